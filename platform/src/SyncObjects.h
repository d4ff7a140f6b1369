#pragma once
// What the waits know of an object: a waitable handle object takes its signal without
// blocking, and every change of state bumps a wake word that waiters sleep on (a futex in
// memory shared by all processes of one root, so a change in one process wakes the others).
#include <cstdint>
#include <memory>

#include "platform/WinTypes.h"
#include "platform/src/Handles.h"

namespace standin::sync {

/// The current root's wake word, mapped once per root and never unmapped (objects made under
/// an earlier root keep theirs). A process-local word when the root cannot hold it.
std::uint32_t* RootWakeWord();
/// Bumps the word and wakes every waiter sleeping on it.
void WakeAll(std::uint32_t* word);
/// Sleeps while the word still holds `seen`, at most timeoutMs (negative: no limit).
void SleepOnWord(std::uint32_t* word, std::uint32_t seen, std::int64_t timeoutMs);

enum class Take { NotReady, Taken, Abandoned };

class Waitable : public handles::Object {
public:
    explicit Waitable(std::uint32_t* wake) : wake_(wake) {}
    /// Takes the signal when there is one (an auto-reset event resets, a mutex is owned).
    virtual Take TryTake() = 0;
    /// Whether TryTake would succeed now, without taking (mutexes cannot tell: true).
    virtual bool LooksReady() { return true; }
    /// Gives back what TryTake took, for a wait-all that could not take everything.
    /// `wake` tells waiters; a give-back that only restores the earlier state need not.
    virtual void Untake(bool wake) = 0;
    /// True when a change can happen without a wake (a mutex's owner dying): waiters poll.
    virtual bool NeedsPolling() const { return false; }
    virtual bool IsMutex() const { return false; }
    std::uint32_t* WakeWord() const { return wake_; }

private:
    std::uint32_t* wake_;
};

}  // namespace standin::sync

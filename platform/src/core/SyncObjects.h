#pragma once
// What the waits know of an object: a waitable handle object takes its signal without
// blocking, and every change of state bumps a wake word that waiters sleep on (a futex in
// memory shared by all processes of one root, so a change in one process wakes the others).
// Beside the word sits a count of the waiters about to sleep on it: a change that finds the
// count at 0 wakes nobody and makes no system call.
#include <cstdint>
#include <memory>

#include "platform/WinTypes.h"
#include "platform/src/core/Handles.h"

namespace standin::sync {

/// The current root's wake word, mapped once per root and never unmapped (objects made under
/// an earlier root keep theirs). A process-local word when the root cannot hold it. The
/// word after it counts the sleepers (SleeperMark).
std::uint32_t* RootWakeWord();
/// Bumps the word and wakes every waiter sleeping on it (none is asleep when no SleeperMark
/// is held on the word).
void WakeAll(std::uint32_t* word);
/// Sleeps while the word still holds `seen`, at most timeoutMs (negative: no limit). The
/// caller holds a SleeperMark on the word and read `seen` after taking it.
void SleepOnWord(std::uint32_t* word, std::uint32_t seen, std::int64_t timeoutMs);

/// Counts the holder among the word's sleepers for as long as it lives, so that WakeAll
/// wakes it. Taken before the waiter reads the word it compares against.
class SleeperMark {
public:
    explicit SleeperMark(std::uint32_t* word);
    ~SleeperMark();
    SleeperMark(const SleeperMark&) = delete;
    SleeperMark& operator=(const SleeperMark&) = delete;

private:
    std::uint32_t* word_;
};

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

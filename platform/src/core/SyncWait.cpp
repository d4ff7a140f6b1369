// Waits on events, mutexes and threads. A wait first tries to take what it waits for; only
// when that fails does it count itself among the word's sleepers, read the wake word, try
// again, and sleep on the word until some object changes. Objects whose change wakes nobody
// (a mutex whose owner died) are polled in short slices instead. An uncontended wait is a
// handle look-up and an atomic operation; a change with no sleepers is one atomic add.
#include <fcntl.h>
#include <linux/futex.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Kernel.h"
#include "platform/StandIn.h"
#include "platform/Sync.h"
#include "platform/src/core/SyncObjects.h"

namespace standin::sync {
namespace {

std::uint32_t* MapRootWord(const std::string& root) {
    const std::string folder = root + "/.kernel";
    mkdir(root.c_str(), 0777);
    mkdir(folder.c_str(), 0777);
    const int fd = open((folder + "/wake").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    struct stat info {};
    // Every process sizes it the same, so a second ftruncate changes nothing.
    if (fstat(fd, &info) != 0 || (info.st_size < 4096 && ftruncate(fd, 4096) != 0)) {
        close(fd);
        return nullptr;
    }
    void* view = mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    close(fd);
    return view == MAP_FAILED ? nullptr : static_cast<std::uint32_t*>(view);
}

}  // namespace

std::uint32_t* RootWakeWord() {
    static std::mutex lock;
    static auto* words = new std::map<std::string, std::uint32_t*>();  // never freed: objects point in
    alignas(8) static std::uint32_t localWord[2] = {};  // the word and its sleeper count
    const std::string root = standin::Root();
    std::lock_guard<std::mutex> guard(lock);
    auto it = words->find(root);
    if (it != words->end()) return it->second;
    std::uint32_t* word = MapRootWord(root);
    if (word == nullptr) word = localWord;
    words->emplace(root, word);
    return word;
}

// Both sides use sequentially consistent order: either the waker sees the sleeper's mark, or
// the sleeper's read of the word (after its mark) sees the bump and the change before it.
void WakeAll(std::uint32_t* word) {
    std::atomic_ref<std::uint32_t>(word[0]).fetch_add(1, std::memory_order_seq_cst);
    if (std::atomic_ref<std::uint32_t>(word[1]).load(std::memory_order_seq_cst) == 0) return;
    syscall(SYS_futex, word, FUTEX_WAKE, INT32_MAX, nullptr, nullptr, 0);
}

SleeperMark::SleeperMark(std::uint32_t* word) : word_(word) {
    std::atomic_ref<std::uint32_t>(word_[1]).fetch_add(1, std::memory_order_seq_cst);
}

SleeperMark::~SleeperMark() { std::atomic_ref<std::uint32_t>(word_[1]).fetch_sub(1, std::memory_order_seq_cst); }

void SleepOnWord(std::uint32_t* word, std::uint32_t seen, std::int64_t timeoutMs) {
    timespec limit{};
    timespec* limitPtr = nullptr;
    if (timeoutMs >= 0) {
        limit.tv_sec = static_cast<time_t>(timeoutMs / 1000);
        limit.tv_nsec = static_cast<long>((timeoutMs % 1000) * 1000000);
        limitPtr = &limit;
    }
    // Returns early on a wake, a changed word or a signal: the caller checks again anyway.
    syscall(SYS_futex, word, FUTEX_WAIT, seen, limitPtr, nullptr, 0);
}

}  // namespace standin::sync

namespace {

namespace sync = standin::sync;
using Clock = std::chrono::steady_clock;

constexpr DWORD kNotYet = 0xFFFFFFFEu;  // internal: nothing could be taken this round
constexpr std::int64_t kPollSliceMs = 5;  // how soon a waiter sees an abandoned mutex

DWORD TakeAny(const std::vector<std::shared_ptr<sync::Waitable>>& objects) {
    for (size_t i = 0; i < objects.size(); ++i) {
        switch (objects[i]->TryTake()) {
        case sync::Take::Taken: return WAIT_OBJECT_0 + static_cast<DWORD>(i);
        case sync::Take::Abandoned: return WAIT_ABANDONED_0 + static_cast<DWORD>(i);
        case sync::Take::NotReady: break;
        }
    }
    return kNotYet;
}

// Events are looked at first so that a wait-all takes no mutex while an event is unset.
// Mutexes are taken before events: giving back a mutex only restores the earlier state, which
// no waiter can have missed, while an event lost to a race must wake the others when given back.
DWORD TakeAll(const std::vector<std::shared_ptr<sync::Waitable>>& objects) {
    for (const auto& object : objects)
        if (!object->LooksReady()) return kNotYet;
    std::vector<size_t> taken;
    DWORD abandoned = kNotYet;
    for (const bool mutexes : {true, false}) {
        for (size_t i = 0; i < objects.size(); ++i) {
            if (objects[i]->IsMutex() != mutexes) continue;
            const sync::Take result = objects[i]->TryTake();
            if (result == sync::Take::NotReady) {
                for (auto it = taken.rbegin(); it != taken.rend(); ++it) objects[*it]->Untake(!mutexes);
                return kNotYet;
            }
            taken.push_back(i);
            if (result == sync::Take::Abandoned && abandoned == kNotYet) abandoned = WAIT_ABANDONED_0 + static_cast<DWORD>(i);
        }
    }
    return abandoned != kNotYet ? abandoned : WAIT_OBJECT_0;
}

DWORD TakeOne(sync::Waitable& object) {
    switch (object.TryTake()) {
    case sync::Take::Taken: return WAIT_OBJECT_0;
    case sync::Take::Abandoned: return WAIT_ABANDONED_0;
    case sync::Take::NotReady: break;
    }
    return kNotYet;
}

// Sleeps until the objects can be taken or the time is up; `take` tries once.
template <typename TakeFn>
DWORD SleepUntilTaken(std::uint32_t* word, bool polling, DWORD milliseconds, TakeFn take) {
    const bool forever = milliseconds == INFINITE;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(forever ? 0 : milliseconds);
    const sync::SleeperMark mark(word);
    for (;;) {
        const std::uint32_t seen = std::atomic_ref<std::uint32_t>(*word).load(std::memory_order_seq_cst);
        const DWORD result = take();
        if (result != kNotYet) return result;
        std::int64_t sliceMs = -1;
        if (!forever) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) return WAIT_TIMEOUT;
            sliceMs = left;
        }
        if (polling) sliceMs = sliceMs < 0 ? kPollSliceMs : std::min(sliceMs, kPollSliceMs);
        sync::SleepOnWord(word, seen, sliceMs);
    }
}

// One object: no list is built, and an object that is ready is taken at once.
DWORD WaitOne(HANDLE handle, DWORD milliseconds) {
    const std::shared_ptr<sync::Waitable> object = standin::handles::LookupAs<sync::Waitable>(handle);
    if (object == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    const DWORD result = TakeOne(*object);
    if (result != kNotYet) return result;
    if (milliseconds == 0) return WAIT_TIMEOUT;
    return SleepUntilTaken(object->WakeWord(), object->NeedsPolling(), milliseconds, [&] { return TakeOne(*object); });
}

DWORD Wait(DWORD count, const HANDLE* handles, bool waitAll, DWORD milliseconds) {
    if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || handles == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    std::vector<std::shared_ptr<sync::Waitable>> objects;
    objects.reserve(count);
    bool polling = false;
    for (DWORD i = 0; i < count; ++i) {
        std::shared_ptr<sync::Waitable> object = standin::handles::LookupAs<sync::Waitable>(handles[i]);
        if (object == nullptr) {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
        if (waitAll && std::find(objects.begin(), objects.end(), object) != objects.end()) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return WAIT_FAILED;
        }
        // Objects made under different roots wake different words: watch the first, poll.
        polling = polling || object->NeedsPolling() || (!objects.empty() && object->WakeWord() != objects[0]->WakeWord());
        objects.push_back(std::move(object));
    }
    auto take = [&] { return waitAll ? TakeAll(objects) : TakeAny(objects); };
    const DWORD result = take();
    if (result != kNotYet) return result;
    if (milliseconds == 0) return WAIT_TIMEOUT;
    return SleepUntilTaken(objects[0]->WakeWord(), polling, milliseconds, take);
}

}  // namespace

PLATFORM_API DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) { return WaitOne(handle, milliseconds); }

PLATFORM_API DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds) {
    return Wait(count, handles, waitAll != FALSE, milliseconds);
}

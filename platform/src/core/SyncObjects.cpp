// Events and mutexes. Their state lives in a small shared record: in the process's memory for
// an unnamed object, in a file below the root ("<root>/.kernel/sync-<name>") mapped by every
// process that opens the name. A mutex records its owner as a process and thread id; a waiter
// that finds the owner gone takes the mutex as abandoned. Nothing here needs the kernel's
// robust-futex list, which user-mode emulators do not provide. Each process holds a shared
// flock on a named record while it has a handle; the last one to let go marks the record free,
// which frees the name. The file and the process's mapping of it stay (a few per process, the
// most recent ones), so that a name opened again and again costs no file creation and no
// mapping each time; a free record is claimed afresh by the next creator, and a kept file
// that drops out of a process's few is removed when no process uses it.
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <sched.h>

#include <atomic>
#include <map>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Kernel.h"
#include "platform/StandIn.h"
#include "platform/Sync.h"
#include "platform/src/core/Handles.h"
#include "platform/src/core/PathMap.h"
#include "platform/src/core/ProcessIds.h"
#include "platform/src/core/SharedFile.h"
#include "platform/src/core/SyncObjects.h"

namespace {

namespace sync = standin::sync;
namespace paths = standin::paths;
namespace shared = standin::shared;

constexpr std::uint32_t kRecordMagic = 0x5953564Bu;  // "KVSY": in use
constexpr std::uint32_t kFreeMagic = 0x4546564Bu;    // "KVFE": no process holds it, the name is free
constexpr std::uint32_t kClaimMagic = 0x4C43564Bu;   // "KVCL": being made anew by a creator
constexpr std::uint32_t kTypeEvent = 1;
constexpr std::uint32_t kTypeMutex = 2;

// The record shared between processes.
struct SharedRecord {
    std::uint32_t magic;
    std::uint32_t type;
    std::uint32_t manualReset;
    std::uint32_t signalled;
    std::uint32_t depth;      // mutex: the owner's count of takes; only the owner touches it
    std::uint32_t reserved[3];
    alignas(8) std::uint64_t owner;  // mutex: process id << 32 | thread id of the owner, 0 for none
};
static_assert(offsetof(SharedRecord, magic) == 0);
static_assert(offsetof(SharedRecord, type) == 4);
static_assert(offsetof(SharedRecord, manualReset) == 8);
static_assert(offsetof(SharedRecord, signalled) == 12);
static_assert(offsetof(SharedRecord, depth) == 16);
static_assert(offsetof(SharedRecord, owner) == 32);
static_assert(sizeof(SharedRecord) == 40);
static_assert(std::atomic_ref<std::uint64_t>::is_always_lock_free);

bool InitRecord(SharedRecord* record, std::uint32_t type, bool manualReset, bool signalled) {
    record->type = type;
    record->manualReset = manualReset ? 1 : 0;
    record->signalled = signalled ? 1 : 0;
    record->depth = 0;
    record->owner = 0;
    // Last: a record with its magic is complete.
    std::atomic_ref<std::uint32_t>(record->magic).store(kRecordMagic, std::memory_order_release);
    return true;
}

std::atomic_ref<std::uint32_t> MagicOf(SharedRecord* record) { return std::atomic_ref<std::uint32_t>(record->magic); }

// Whether the open file is still the one at path (not removed, not replaced).
bool IsFileAt(int fd, const std::string& path) {
    struct stat mine {}, named {};
    return fstat(fd, &mine) == 0 && stat(path.c_str(), &named) == 0 && mine.st_dev == named.st_dev &&
           mine.st_ino == named.st_ino;
}

// Whether the open file of a name, published long since, still has its name; *info is its
// status. A name's file is only ever linked once under its name (its temporary name gone
// before anyone keeps it) and removed by unlink(), never renamed over: no link left means
// removed.
bool StillNamed(int fd, struct stat* info) { return fstat(fd, info) == 0 && info->st_nlink > 0; }

// --- Named records this process no longer uses: the file and the mapping kept for the next open ---

struct KeptRecord {
    std::string path;
    int fd = -1;  // not flocked while kept
    SharedRecord* record = nullptr;
    pid_t process = 0;  // a forked child finds its parent's records and only closes them
};

struct KeptRecords {
    std::mutex lock;
    std::vector<KeptRecord> records;  // oldest first
};

constexpr size_t kMaxKeptRecords = 16;

KeptRecords& Kept() {
    static auto* kept = new KeptRecords();  // never destroyed: handles may be closed at exit
    return *kept;
}

// Lets go of a kept record for good; a free record that no process uses loses its file.
void Drop(const KeptRecord& kept) {
    if (kept.process == standin::ids::Process() && flock(kept.fd, LOCK_EX | LOCK_NB) == 0 &&
        MagicOf(kept.record).load() == kFreeMagic && IsFileAt(kept.fd, kept.path))
        unlink(kept.path.c_str());
    munmap(kept.record, sizeof(SharedRecord));
    close(kept.fd);  // ends the exclusive lock, if taken
}

// Called with the list locked: records inherited from a parent process are not ours.
void DropInherited(std::vector<KeptRecord>& records) {
    const pid_t self = standin::ids::Process();
    for (auto it = records.begin(); it != records.end();) {
        if (it->process == self) {
            ++it;
            continue;
        }
        Drop(*it);
        it = records.erase(it);
    }
}

void Keep(KeptRecord kept) {
    KeptRecords& all = Kept();
    std::lock_guard<std::mutex> guard(all.lock);
    DropInherited(all.records);
    for (auto it = all.records.begin(); it != all.records.end(); ++it) {
        if (it->path == kept.path) {
            Drop(*it);
            all.records.erase(it);
            break;
        }
    }
    all.records.push_back(std::move(kept));
    if (all.records.size() > kMaxKeptRecords) {
        Drop(all.records.front());
        all.records.erase(all.records.begin());
    }
}

// The kept record of path, taken out of the list.
std::optional<KeptRecord> TakeKept(const std::string& path) {
    KeptRecords& all = Kept();
    std::lock_guard<std::mutex> guard(all.lock);
    DropInherited(all.records);
    for (auto it = all.records.begin(); it != all.records.end(); ++it) {
        if (it->path == path) {
            KeptRecord kept = std::move(*it);
            all.records.erase(it);
            return kept;
        }
    }
    return std::nullopt;
}

// The calling thread as a mutex owner (a forked child's thread is another owner).
std::uint64_t ThisThread() {
    return static_cast<std::uint64_t>(static_cast<std::uint32_t>(standin::ids::Process())) << 32 |
           static_cast<std::uint32_t>(standin::ids::Thread());
}

// False once the owner's thread has ended, or its process ended (even before its parent
// collected it).
bool OwnerRuns(std::uint64_t owner) {
    const auto process = static_cast<pid_t>(owner >> 32);
    const auto thread = static_cast<pid_t>(owner & 0xFFFFFFFFu);
    if (syscall(SYS_tgkill, process, thread, 0) != 0 && errno != EPERM) return false;
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/task/%d/stat", static_cast<int>(process), static_cast<int>(thread));
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno != ENOENT;
    char text[256];
    const ssize_t n = read(fd, text, sizeof text - 1);
    close(fd);
    if (n <= 0) return true;
    text[n] = '\0';
    // "tid (name) S ...": the state follows the last parenthesis.
    const char* nameEnd = nullptr;
    for (const char* c = text; *c != '\0'; ++c)
        if (*c == ')') nameEnd = c;
    if (nameEnd == nullptr || nameEnd[1] == '\0' || nameEnd[2] == '\0') return true;
    return nameEnd[2] != 'Z' && nameEnd[2] != 'X';
}

// Where a record lives and how it goes away.
struct Backing {
    SharedRecord* record = nullptr;
    int fd = -1;             // named: the file, flocked shared while this process uses it
    std::string path;        // named: the name's file, removed by the last user
};

class SyncObject : public sync::Waitable {
public:
    SyncObject(Backing backing, std::uint32_t* wake) : Waitable(wake), b_(std::move(backing)) {}
    ~SyncObject() override {
        if (b_.fd < 0) {
            delete b_.record;
            return;
        }
        // The last process to let go frees the name; the file and the mapping stay for the
        // next open.
        if (flock(b_.fd, LOCK_EX | LOCK_NB) == 0) MagicOf(b_.record).store(kFreeMagic);
        flock(b_.fd, LOCK_UN);
        Keep(KeptRecord{std::move(b_.path), b_.fd, b_.record, standin::ids::Process()});
    }
    SyncObject(const SyncObject&) = delete;
    SyncObject& operator=(const SyncObject&) = delete;

    std::uint32_t Type() const { return b_.record->type; }

protected:
    SharedRecord* Record() const { return b_.record; }

private:
    Backing b_;
};

class EventObject final : public SyncObject {
public:
    using SyncObject::SyncObject;
    sync::Take TryTake() override {
        std::atomic_ref<std::uint32_t> state(Record()->signalled);
        if (Record()->manualReset != 0) return state.load() != 0 ? sync::Take::Taken : sync::Take::NotReady;
        std::uint32_t expected = 1;
        return state.compare_exchange_strong(expected, 0) ? sync::Take::Taken : sync::Take::NotReady;
    }
    bool LooksReady() override { return std::atomic_ref<std::uint32_t>(Record()->signalled).load() != 0; }
    void Untake(bool wake) override {
        if (Record()->manualReset != 0) return;
        std::atomic_ref<std::uint32_t>(Record()->signalled).store(1);
        if (wake) sync::WakeAll(WakeWord());
    }
    void Set() {
        std::atomic_ref<std::uint32_t>(Record()->signalled).store(1);
        sync::WakeAll(WakeWord());
    }
    void Reset() { std::atomic_ref<std::uint32_t>(Record()->signalled).store(0); }
};

class MutexObject final : public SyncObject {
public:
    using SyncObject::SyncObject;
    sync::Take TryTake() override {
        const std::uint64_t self = ThisThread();
        std::uint64_t current = Owner().load();
        if (current == self) {
            ++Record()->depth;
            return sync::Take::Taken;
        }
        if (current == 0 && Owner().compare_exchange_strong(current, self)) {
            Record()->depth = 1;
            return sync::Take::Taken;
        }
        // A mutex has one owner: whatever the dead one held is now the caller's.
        if (current != 0 && !OwnerRuns(current) && Owner().compare_exchange_strong(current, self)) {
            Record()->depth = 1;
            return sync::Take::Abandoned;
        }
        return sync::Take::NotReady;
    }
    void Untake(bool wake) override {
        GiveBack();
        if (wake) sync::WakeAll(WakeWord());
    }
    bool NeedsPolling() const override { return true; }
    bool IsMutex() const override { return true; }
    /// False when the calling thread does not own the mutex.
    bool Release() {
        if (!GiveBack()) return false;
        sync::WakeAll(WakeWord());
        return true;
    }

private:
    // One take fewer; the last one frees the mutex. False when the caller is not the owner.
    bool GiveBack() {
        if (Owner().load() != ThisThread()) return false;
        if (--Record()->depth == 0) Owner().store(0);
        return true;
    }
    std::atomic_ref<std::uint64_t> Owner() const { return std::atomic_ref<std::uint64_t>(Record()->owner); }
};

// --- Names ---

bool StartsWithNoCase(const std::u16string& text, std::u16string_view prefix) {
    return text.size() >= prefix.size() && paths::EqualNoCase(std::u16string_view(text).substr(0, prefix.size()), prefix);
}

std::u16string WithoutSessionPrefix(const std::u16string& name) {
    for (std::u16string_view prefix : {std::u16string_view(u"Global\\"), std::u16string_view(u"Local\\")})
        if (StartsWithNoCase(name, prefix)) return name.substr(prefix.size());
    return name;
}

bool Exists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

// --- The process's view of named records: one object per name, shared by its handles ---

struct FileKey {
    dev_t dev;
    ino_t ino;
    bool operator<(const FileKey& other) const { return dev != other.dev ? dev < other.dev : ino < other.ino; }
};

struct OpenNames {
    std::mutex lock;
    std::map<FileKey, std::weak_ptr<SyncObject>> objects;
};

OpenNames& Names() {
    static auto* names = new OpenNames();  // never destroyed: handles may be closed at exit
    return *names;
}


struct NamedRequest {
    std::uint32_t type;
    bool create;
    bool manualReset;
    bool initialState;
};

// Opens the name's file (flocked shared), making it complete with `request` when there is none
// and the caller may create.
int OpenRecordFile(const std::string& path, const NamedRequest& request, bool* created, DWORD* error) {
    return standin::shared::OpenOrPublish(
        path, request.create,
        [&request](int fd) -> DWORD {
            void* view = MAP_FAILED;
            if (ftruncate(fd, sizeof(SharedRecord)) == 0)
                view = mmap(nullptr, sizeof(SharedRecord), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
            const bool ready = view != MAP_FAILED && InitRecord(static_cast<SharedRecord*>(view), request.type,
                                                                request.manualReset, request.initialState);
            if (view != MAP_FAILED) munmap(view, sizeof(SharedRecord));
            return ready ? ERROR_SUCCESS : ERROR_NOT_ENOUGH_MEMORY;
        },
        created, error);
}

std::shared_ptr<SyncObject> MakeObject(std::uint32_t type, Backing backing) {
    if (type == kTypeEvent) return std::make_shared<EventObject>(std::move(backing), sync::RootWakeWord());
    return std::make_shared<MutexObject>(std::move(backing), sync::RootWakeWord());
}

// Makes the mapped record the caller's: an object in use is opened (of the requested type
// only), a free one is made anew when the caller may create. ERROR_SUCCESS or the error to
// report.
DWORD Claim(SharedRecord* record, const NamedRequest& request, bool* created) {
    std::atomic_ref<std::uint32_t> magic = MagicOf(record);
    // Another creator's claim is a few stores: a short wait.
    for (int round = 0; round < 100000; ++round) {
        std::uint32_t seen = magic.load(std::memory_order_acquire);
        if (seen == kRecordMagic) {
            *created = false;
            return record->type == request.type ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
        }
        if (seen == kFreeMagic) {
            if (!request.create) return ERROR_FILE_NOT_FOUND;
            if (!magic.compare_exchange_strong(seen, kClaimMagic)) continue;
            InitRecord(record, request.type, request.manualReset, request.initialState);
            *created = true;
            return ERROR_SUCCESS;
        }
        if (seen != kClaimMagic) return ERROR_INVALID_HANDLE;  // not a record
        sched_yield();
    }
    return ERROR_INVALID_HANDLE;
}

// The name's file, flocked shared, and this process's mapping of it: the kept ones when they
// are still the name's, else opened (made complete with `request` when there is none and the
// caller may create, *created then set). *info is the file's status.
bool OpenRecord(const std::string& path, const NamedRequest& request, KeptRecord* open, bool* created, DWORD* error,
                struct stat* info) {
    if (std::optional<KeptRecord> kept = TakeKept(path)) {
        // Under the shared lock no other process removes it.
        flock(kept->fd, LOCK_SH);
        if (StillNamed(kept->fd, info)) {
            *open = std::move(*kept);
            return true;
        }
        munmap(kept->record, sizeof(SharedRecord));  // removed since: open the name afresh
        close(kept->fd);
    }
    mkdir(standin::Root().c_str(), 0777);
    mkdir(path.substr(0, path.find_last_of('/')).c_str(), 0777);
    const int fd = OpenRecordFile(path, request, created, error);
    if (fd < 0) return false;
    void* view = fstat(fd, info) == 0 && info->st_size >= static_cast<off_t>(sizeof(SharedRecord))
                     ? mmap(nullptr, sizeof(SharedRecord), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0)
                     : MAP_FAILED;
    if (view == MAP_FAILED) {
        close(fd);
        *error = ERROR_INVALID_HANDLE;  // not a record
        return false;
    }
    *open = KeptRecord{path, fd, static_cast<SharedRecord*>(view), standin::ids::Process()};
    return true;
}

std::shared_ptr<SyncObject> OpenNamed(const std::u16string& givenName, const NamedRequest& request, bool* created,
                                      DWORD* error) {
    const std::u16string name = WithoutSessionPrefix(givenName);
    const std::string folder = standin::Root() + "/.kernel";
    // One name space with the mappings, which keep the name as given.
    if (Exists(folder + "/mapping-" + shared::EscapeName(givenName)) ||
        (name.size() != givenName.size() && Exists(folder + "/mapping-" + shared::EscapeName(name)))) {
        *error = ERROR_INVALID_HANDLE;
        return nullptr;
    }
    *created = false;
    KeptRecord open;
    struct stat info {};
    if (!OpenRecord(folder + "/sync-" + shared::EscapeName(name), request, &open, created, error, &info)) return nullptr;
    const FileKey key{info.st_dev, info.st_ino};
    OpenNames& names = Names();
    std::lock_guard<std::mutex> guard(names.lock);
    if (auto it = names.objects.find(key); it != names.objects.end()) {
        if (std::shared_ptr<SyncObject> live = it->second.lock()) {
            // The open object holds its own lock and mapping.
            munmap(open.record, sizeof(SharedRecord));
            close(open.fd);
            if (live->Type() != request.type) {
                *error = ERROR_INVALID_HANDLE;
                return nullptr;
            }
            *created = false;
            return live;
        }
        names.objects.erase(it);
    }
    // A file just made is complete and the caller's; one found may be free or of another type.
    if (!*created) {
        if (const DWORD refused = Claim(open.record, request, created); refused != ERROR_SUCCESS) {
            flock(open.fd, LOCK_UN);
            Keep(std::move(open));
            *error = refused;
            return nullptr;
        }
    }
    std::shared_ptr<SyncObject> object = MakeObject(request.type, Backing{open.record, open.fd, std::move(open.path)});
    names.objects[key] = object;
    return object;
}

HANDLE Fail(DWORD error) {
    SetLastError(error);
    return nullptr;
}

// Unnamed (NULL or empty name) objects live in this process only.
HANDLE Create(const NamedRequest& request, LPCWSTR name) {
    std::u16string text;
    if (name == nullptr || !paths::WideArg(name, &text) || text.empty()) {
        auto* record = new (std::nothrow) SharedRecord{};
        if (record == nullptr || !InitRecord(record, request.type, request.manualReset, request.initialState)) {
            delete record;
            return Fail(ERROR_NOT_ENOUGH_MEMORY);
        }
        HANDLE handle = standin::handles::Insert(MakeObject(request.type, Backing{record, -1, {}}));
        SetLastError(ERROR_SUCCESS);
        return handle;
    }
    bool created = false;
    DWORD error = ERROR_SUCCESS;
    std::shared_ptr<SyncObject> object = OpenNamed(text, request, &created, &error);
    if (object == nullptr) return Fail(error);
    HANDLE handle = standin::handles::Insert(object);
    SetLastError(created ? ERROR_SUCCESS : ERROR_ALREADY_EXISTS);
    return handle;
}

HANDLE Open(std::uint32_t type, LPCWSTR name) {
    std::u16string text;
    if (!paths::WideArg(name, &text) || text.empty()) return Fail(ERROR_INVALID_PARAMETER);
    bool created = false;
    DWORD error = ERROR_SUCCESS;
    std::shared_ptr<SyncObject> object = OpenNamed(text, NamedRequest{type, false, false, false}, &created, &error);
    if (object == nullptr) return Fail(error);
    HANDLE handle = standin::handles::Insert(std::move(object));
    SetLastError(ERROR_SUCCESS);
    return handle;
}

// An ANSI name converted; NULL stays NULL.
bool AnsiName(LPCSTR name, std::u16string* wide) {
    if (name == nullptr) return true;
    if (!paths::AnsiArg(name, wide)) return false;
    wide->push_back(u'\0');
    return true;
}

LPCWSTR WideOrNull(LPCSTR name, const std::u16string& wide) { return name == nullptr ? nullptr : wide.c_str(); }

}  // namespace

PLATFORM_API HANDLE CreateEventW(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCWSTR name) {
    return Create(NamedRequest{kTypeEvent, true, manualReset != FALSE, initialState != FALSE}, name);
}

PLATFORM_API HANDLE CreateEventA(LPSECURITY_ATTRIBUTES security, BOOL manualReset, BOOL initialState, LPCSTR name) {
    std::u16string wide;
    if (!AnsiName(name, &wide)) return Fail(ERROR_INVALID_NAME);
    return CreateEventW(security, manualReset, initialState, WideOrNull(name, wide));
}

PLATFORM_API HANDLE OpenEventW(DWORD, BOOL, LPCWSTR name) { return Open(kTypeEvent, name); }

PLATFORM_API HANDLE OpenEventA(DWORD access, BOOL inheritHandle, LPCSTR name) {
    std::u16string wide;
    if (name == nullptr || !AnsiName(name, &wide)) return Fail(ERROR_INVALID_PARAMETER);
    return OpenEventW(access, inheritHandle, wide.c_str());
}

PLATFORM_API BOOL SetEvent(HANDLE event) {
    const std::shared_ptr<EventObject> object = standin::handles::LookupAs<EventObject>(event);
    if (object == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    object->Set();
    return TRUE;
}

PLATFORM_API BOOL ResetEvent(HANDLE event) {
    const std::shared_ptr<EventObject> object = standin::handles::LookupAs<EventObject>(event);
    if (object == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    object->Reset();
    return TRUE;
}

PLATFORM_API HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES, BOOL initialOwner, LPCWSTR name) {
    HANDLE handle = Create(NamedRequest{kTypeMutex, true, false, false}, name);
    if (handle == nullptr) return nullptr;
    const DWORD created = GetLastError();
    // An existing mutex is only opened: its owner stays as it is.
    if (initialOwner != FALSE && created == ERROR_SUCCESS) {
        standin::handles::LookupAs<MutexObject>(handle)->TryTake();
        SetLastError(ERROR_SUCCESS);
    }
    return handle;
}

PLATFORM_API HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES security, BOOL initialOwner, LPCSTR name) {
    std::u16string wide;
    if (!AnsiName(name, &wide)) return Fail(ERROR_INVALID_NAME);
    return CreateMutexW(security, initialOwner, WideOrNull(name, wide));
}

PLATFORM_API HANDLE OpenMutexW(DWORD, BOOL, LPCWSTR name) { return Open(kTypeMutex, name); }

PLATFORM_API BOOL ReleaseMutex(HANDLE mutex) {
    const std::shared_ptr<MutexObject> object = standin::handles::LookupAs<MutexObject>(mutex);
    if (object == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!object->Release()) {
        SetLastError(ERROR_NOT_OWNER);
        return FALSE;
    }
    return TRUE;
}

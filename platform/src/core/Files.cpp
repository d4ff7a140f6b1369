// File handles: CreateFileW and the calls on an open file.
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <limits>
#include <map>
#include <vector>

#include "platform/Files.h"
#include "platform/Kernel.h"
#include "platform/src/core/FileObjects.h"
#include "platform/src/core/PathMap.h"
#include "platform/src/core/StandInState.h"

namespace standin::files {
namespace {

constexpr DWORD kFileReadData = 0x1;
constexpr DWORD kFileWriteData = 0x2;
constexpr DWORD kFileAppendData = 0x4;
constexpr DWORD kDelete = 0x10000;
constexpr DWORD kMaximumAllowed = 0x02000000;
constexpr std::int64_t kUnixEpochIn1601 = 11644473600LL;  // seconds from 1601 to 1970
constexpr std::int64_t kTicksPerSecond = 10000000;        // FILETIME units per second

struct Open {
    unsigned long long token;
    DWORD access;
    DWORD share;
};

struct Entry {
    std::vector<Open> opens;
    std::string deletePath;  // removed with the last handle (FILE_FLAG_DELETE_ON_CLOSE)
    unsigned views = 0;
};

struct SharingTable {
    std::mutex lock;
    std::map<FileId, Entry> files;
    unsigned long long nextToken = 1;
};

SharingTable& Table() {
    static SharingTable* table = new SharingTable();  // never destroyed: handles may close at exit
    return *table;
}

void DropIfUnused(std::map<FileId, Entry>::iterator it) {
    if (it->second.opens.empty() && it->second.views == 0) Table().files.erase(it);
}

HANDLE Fail(DWORD error) {
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

BOOL FailBool(DWORD error) {
    SetLastError(error);
    return FALSE;
}

HANDLE OpenFile(const std::u16string& path, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
    if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) return Fail(ERROR_INVALID_PARAMETER);
    DWORD injected = 0;
    if (Injected(Fault::FileCreate, ERROR_ACCESS_DENIED, &injected)) return Fail(injected);
    const paths::Resolved target = paths::Resolve(path);
    if (target.error != ERROR_SUCCESS) return Fail(target.error);
    if (target.isRoot) return Fail(ERROR_ACCESS_DENIED);

    const DWORD rights = ShareAccessOf(access, flags);
    const bool truncate = disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;
    if (disposition == TRUNCATE_EXISTING && (rights & kAccessWrite) == 0) return Fail(ERROR_INVALID_PARAMETER);
    int mode = O_RDONLY;
    if ((rights & kAccessWrite) != 0) mode = (rights & kAccessRead) != 0 ? O_RDWR : O_WRONLY;

    std::unique_lock<std::mutex> guard = LockSharing();
    struct stat info {};
    const bool exists = stat(target.linuxPath.c_str(), &info) == 0;
    int fd = -1;
    bool existed = false;
    if (exists) {
        if (S_ISDIR(info.st_mode)) return Fail(ERROR_ACCESS_DENIED);
        if (disposition == CREATE_NEW) return Fail(ERROR_FILE_EXISTS);
        const bool readOnly = (info.st_mode & S_IWUSR) == 0;
        if (readOnly && (truncate || (rights & (kAccessWrite | kAccessDelete)) != 0)) return Fail(ERROR_ACCESS_DENIED);
        // Cutting a file short under a mapped view would fault the view's readers.
        if (truncate && HasViewsLocked(IdOf(info)) && info.st_size > 0) return Fail(ERROR_USER_MAPPED_FILE);
        if (const DWORD error = CheckSharing(IdOf(info), rights, share); error != ERROR_SUCCESS) return Fail(error);
        fd = open(target.linuxPath.c_str(), mode | O_CLOEXEC | (truncate ? O_TRUNC : 0));
        if (fd < 0) return Fail(paths::ErrorFromErrno(errno));
        existed = true;
    } else {
        if (!target.parentExists) return Fail(ERROR_PATH_NOT_FOUND);
        if (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING) return Fail(ERROR_FILE_NOT_FOUND);
        const mode_t permissions = (flags & FILE_ATTRIBUTE_READONLY) != 0 ? 0444 : 0666;
        fd = open(target.linuxPath.c_str(), mode | O_CLOEXEC | O_CREAT | O_EXCL, permissions);
        if (fd < 0) {
            const int error = errno;
            if (error == EEXIST) return Fail(disposition == CREATE_NEW ? ERROR_FILE_EXISTS : ERROR_SHARING_VIOLATION);
            return Fail(paths::ErrorFromErrno(error));
        }
    }

    struct stat opened {};
    if (fstat(fd, &opened) != 0) {
        const int error = errno;
        close(fd);
        return Fail(paths::ErrorFromErrno(error));
    }
    const bool deleteOnClose = (flags & FILE_FLAG_DELETE_ON_CLOSE) != 0;
    const unsigned long long token =
        RegisterOpen(IdOf(opened), rights, share, deleteOnClose ? target.linuxPath : std::string());
    guard.unlock();

    HANDLE handle = handles::Insert(std::make_shared<FileObject>(fd, IdOf(opened), rights, token));
    if (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS) {
        SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    }
    return handle;
}

}  // namespace

bool Injected(Fault kind, DWORD fallback, DWORD* error) {
    if (!standin::state::ShouldFail(kind, error)) return false;
    if (*error == ERROR_SUCCESS) *error = fallback;
    return true;
}

DWORD ShareAccessOf(DWORD desiredAccess, DWORD flagsAndAttributes) {
    DWORD rights = 0;
    if ((desiredAccess & (GENERIC_READ | GENERIC_ALL | kMaximumAllowed | kFileReadData)) != 0) rights |= kAccessRead;
    if ((desiredAccess & (GENERIC_WRITE | GENERIC_ALL | kMaximumAllowed | kFileWriteData | kFileAppendData)) != 0)
        rights |= kAccessWrite;
    if ((desiredAccess & (GENERIC_ALL | kDelete)) != 0 || (flagsAndAttributes & FILE_FLAG_DELETE_ON_CLOSE) != 0)
        rights |= kAccessDelete;
    return rights;
}

FileObject::~FileObject() {
    std::string doomed;
    {
        std::lock_guard<std::mutex> guard(Table().lock);
        auto it = Table().files.find(id_);
        if (it != Table().files.end()) {
            std::vector<Open>& opens = it->second.opens;
            for (auto open = opens.begin(); open != opens.end(); ++open) {
                if (open->token == token_) {
                    opens.erase(open);
                    break;
                }
            }
            if (opens.empty()) {
                doomed.swap(it->second.deletePath);
                DropIfUnused(it);
            }
        }
        // Only the file this handle opened goes, not one created since under its name.
        struct stat info {};
        if (!doomed.empty() && stat(doomed.c_str(), &info) == 0 && IdOf(info) == id_) unlink(doomed.c_str());
    }
    close(fd_);
}

std::unique_lock<std::mutex> LockSharing() { return std::unique_lock<std::mutex>(Table().lock); }

DWORD CheckSharing(FileId id, DWORD shareAccess, DWORD shareMode) {
    auto it = Table().files.find(id);
    if (it == Table().files.end()) return ERROR_SUCCESS;
    auto conflicts = [](DWORD access, DWORD share) {
        return ((access & kAccessRead) != 0 && (share & FILE_SHARE_READ) == 0) ||
               ((access & kAccessWrite) != 0 && (share & FILE_SHARE_WRITE) == 0) ||
               ((access & kAccessDelete) != 0 && (share & FILE_SHARE_DELETE) == 0);
    };
    for (const Open& open : it->second.opens) {
        if (open.access == 0) continue;  // an open for attributes only holds no share mode
        if (conflicts(shareAccess, open.share) || conflicts(open.access, shareMode)) return ERROR_SHARING_VIOLATION;
    }
    return ERROR_SUCCESS;
}

unsigned long long RegisterOpen(FileId id, DWORD shareAccess, DWORD shareMode, const std::string& deleteOnClosePath) {
    Entry& entry = Table().files[id];
    const unsigned long long token = Table().nextToken++;
    entry.opens.push_back(Open{token, shareAccess, shareMode});
    if (!deleteOnClosePath.empty()) entry.deletePath = deleteOnClosePath;
    return token;
}

void AddView(FileId id) {
    std::lock_guard<std::mutex> guard(Table().lock);
    ++Table().files[id].views;
}

void RemoveView(FileId id) {
    std::lock_guard<std::mutex> guard(Table().lock);
    auto it = Table().files.find(id);
    if (it == Table().files.end() || it->second.views == 0) return;
    --it->second.views;
    DropIfUnused(it);
}

bool HasViewsLocked(FileId id) {
    auto it = Table().files.find(id);
    return it != Table().files.end() && it->second.views > 0;
}

DWORD AttributesOf(const struct stat& info) {
    DWORD attributes = S_ISDIR(info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    if (!S_ISDIR(info.st_mode) && (info.st_mode & S_IWUSR) == 0) attributes |= FILE_ATTRIBUTE_READONLY;
    return attributes;
}

bool TimesOf(int fd, const char* path, FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite) {
    struct statx info {};
    const int flags = path[0] == '\0' ? AT_EMPTY_PATH : 0;
    if (statx(fd, path, flags, STATX_BASIC_STATS | STATX_BTIME, &info) != 0) return false;
    auto convert = [](const struct statx_timestamp& t) {
        struct timespec time {};
        time.tv_sec = static_cast<time_t>(t.tv_sec);
        time.tv_nsec = static_cast<long>(t.tv_nsec);
        return ToFileTime(time);
    };
    const struct statx_timestamp& born = (info.stx_mask & STATX_BTIME) != 0 ? info.stx_btime : info.stx_ctime;
    if (creation != nullptr) *creation = convert(born);
    if (lastAccess != nullptr) *lastAccess = convert(info.stx_atime);
    if (lastWrite != nullptr) *lastWrite = convert(info.stx_mtime);
    return true;
}

FILETIME ToFileTime(const struct timespec& time) {
    const std::int64_t seconds = static_cast<std::int64_t>(time.tv_sec) + kUnixEpochIn1601;
    const std::uint64_t ticks =
        seconds < 0 ? 0 : static_cast<std::uint64_t>(seconds) * kTicksPerSecond + static_cast<std::uint64_t>(time.tv_nsec / 100);
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

struct timespec FromFileTime(const FILETIME& time) {
    const std::uint64_t ticks = (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    std::int64_t seconds = static_cast<std::int64_t>(ticks / kTicksPerSecond) - kUnixEpochIn1601;
    struct timespec result {};
    // A 32-bit time_t cannot hold every FILETIME: clamp rather than wrap.
    if (seconds > std::numeric_limits<time_t>::max()) seconds = std::numeric_limits<time_t>::max();
    if (seconds < std::numeric_limits<time_t>::min()) seconds = std::numeric_limits<time_t>::min();
    result.tv_sec = static_cast<time_t>(seconds);
    result.tv_nsec = static_cast<long>((ticks % kTicksPerSecond) * 100);
    return result;
}

}  // namespace standin::files

using standin::Fault;
using standin::files::FileObject;
using standin::files::Injected;

namespace {

std::shared_ptr<FileObject> FileOf(HANDLE file) { return standin::handles::LookupAs<FileObject>(file); }

}  // namespace

PLATFORM_API HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES, DWORD disposition,
                                DWORD flagsAndAttributes, HANDLE) {
    std::u16string name;
    if (!standin::paths::WideArg(path, &name)) return standin::files::Fail(ERROR_PATH_NOT_FOUND);
    return standin::files::OpenFile(name, access, share, disposition, flagsAndAttributes);
}

PLATFORM_API HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES, DWORD disposition,
                                DWORD flagsAndAttributes, HANDLE) {
    std::u16string name;
    if (!standin::paths::AnsiArg(path, &name)) return standin::files::Fail(ERROR_PATH_NOT_FOUND);
    return standin::files::OpenFile(name, access, share, disposition, flagsAndAttributes);
}

PLATFORM_API BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD cbToRead, LPDWORD cbRead, LPVOID overlapped) {
    if (cbRead != nullptr) *cbRead = 0;
    const std::shared_ptr<FileObject> object = FileOf(file);
    if (object == nullptr) return standin::files::FailBool(ERROR_INVALID_HANDLE);
    if (overlapped != nullptr || (buffer == nullptr && cbToRead > 0)) return standin::files::FailBool(ERROR_INVALID_PARAMETER);
    if (!object->CanRead()) return standin::files::FailBool(ERROR_ACCESS_DENIED);
    DWORD total = 0;
    while (total < cbToRead) {
        const ssize_t got = read(object->Fd(), static_cast<char*>(buffer) + total, cbToRead - total);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return standin::files::FailBool(standin::paths::ErrorFromErrno(errno));
        if (got == 0) break;  // end of file: success with fewer bytes, as on the platform
        total += static_cast<DWORD>(got);
    }
    if (cbRead != nullptr) *cbRead = total;
    return TRUE;
}

PLATFORM_API BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD cbToWrite, LPDWORD cbWritten, LPVOID overlapped) {
    if (cbWritten != nullptr) *cbWritten = 0;
    const std::shared_ptr<FileObject> object = FileOf(file);
    if (object == nullptr) return standin::files::FailBool(ERROR_INVALID_HANDLE);
    if (overlapped != nullptr || (buffer == nullptr && cbToWrite > 0)) return standin::files::FailBool(ERROR_INVALID_PARAMETER);
    if (!object->CanWrite()) return standin::files::FailBool(ERROR_ACCESS_DENIED);
    DWORD injected = 0;
    if (Injected(Fault::FileWrite, ERROR_DISK_FULL, &injected)) return standin::files::FailBool(injected);
    DWORD unused = 0;
    const DWORD wanted = standin::state::ShouldFail(Fault::FileShortWrite, &unused) ? cbToWrite / 2 : cbToWrite;
    DWORD total = 0;
    while (total < wanted) {
        const ssize_t put = write(object->Fd(), static_cast<const char*>(buffer) + total, wanted - total);
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) {
            if (cbWritten != nullptr) *cbWritten = total;
            return standin::files::FailBool(standin::paths::ErrorFromErrno(errno));
        }
        total += static_cast<DWORD>(put);
    }
    if (cbWritten != nullptr) *cbWritten = total;
    return TRUE;
}

PLATFORM_API BOOL FlushFileBuffers(HANDLE file) {
    const std::shared_ptr<FileObject> object = FileOf(file);
    if (object == nullptr) return standin::files::FailBool(ERROR_INVALID_HANDLE);
    if (!object->CanWrite()) return standin::files::FailBool(ERROR_ACCESS_DENIED);
    if (fsync(object->Fd()) != 0) return standin::files::FailBool(standin::paths::ErrorFromErrno(errno));
    return TRUE;
}

PLATFORM_API DWORD GetFileSize(HANDLE file, LPDWORD highSize) {
    const std::shared_ptr<FileObject> object = FileOf(file);
    if (object == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_FILE_SIZE;
    }
    DWORD injected = 0;
    struct stat info {};
    if (Injected(Fault::FileSize, ERROR_ACCESS_DENIED, &injected)) {
        SetLastError(injected);
        return INVALID_FILE_SIZE;
    }
    if (fstat(object->Fd(), &info) != 0) {
        SetLastError(standin::paths::ErrorFromErrno(errno));
        return INVALID_FILE_SIZE;
    }
    const std::uint64_t size = static_cast<std::uint64_t>(info.st_size);
    if (highSize != nullptr) *highSize = static_cast<DWORD>(size >> 32);
    // A true size whose low part is INVALID_FILE_SIZE is told apart by a cleared last error.
    if (static_cast<DWORD>(size) == INVALID_FILE_SIZE) SetLastError(NO_ERROR);
    return static_cast<DWORD>(size);
}

PLATFORM_API BOOL GetFileTime(HANDLE file, LPFILETIME creation, LPFILETIME lastAccess, LPFILETIME lastWrite) {
    const std::shared_ptr<FileObject> object = FileOf(file);
    if (object == nullptr) return standin::files::FailBool(ERROR_INVALID_HANDLE);
    DWORD injected = 0;
    if (Injected(Fault::FileTime, ERROR_ACCESS_DENIED, &injected)) return standin::files::FailBool(injected);
    if (!standin::files::TimesOf(object->Fd(), "", creation, lastAccess, lastWrite))
        return standin::files::FailBool(standin::paths::ErrorFromErrno(errno));
    return TRUE;
}

// The creation time cannot be set on Linux; it is accepted and left as it is.
PLATFORM_API BOOL SetFileTime(HANDLE file, const FILETIME*, const FILETIME* lastAccess, const FILETIME* lastWrite) {
    const std::shared_ptr<FileObject> object = FileOf(file);
    if (object == nullptr) return standin::files::FailBool(ERROR_INVALID_HANDLE);
    if (!object->CanWrite()) return standin::files::FailBool(ERROR_ACCESS_DENIED);
    // NULL or a zero time leaves that time unchanged, as on the platform.
    auto pick = [](const FILETIME* time) {
        struct timespec result {};
        if (time == nullptr || (time->dwLowDateTime == 0 && time->dwHighDateTime == 0)) {
            result.tv_nsec = UTIME_OMIT;
            return result;
        }
        return standin::files::FromFileTime(*time);
    };
    const struct timespec times[2] = {pick(lastAccess), pick(lastWrite)};
    if (futimens(object->Fd(), times) != 0) return standin::files::FailBool(standin::paths::ErrorFromErrno(errno));
    return TRUE;
}

PLATFORM_API DWORD SetFilePointer(HANDLE file, LONG distance, LPLONG distanceHigh, DWORD method) {
    const std::shared_ptr<FileObject> object = FileOf(file);
    if (object == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_SET_FILE_POINTER;
    }
    // Without a high part the distance is a signed 32-bit value; with one, the low part is unsigned.
    const std::int64_t move = distanceHigh == nullptr
                                  ? static_cast<std::int64_t>(distance)
                                  : static_cast<std::int64_t>((static_cast<std::uint64_t>(static_cast<DWORD>(*distanceHigh)) << 32) |
                                                              static_cast<DWORD>(distance));
    std::int64_t origin = 0;
    if (method == FILE_CURRENT) {
        origin = lseek(object->Fd(), 0, SEEK_CUR);
    } else if (method == FILE_END) {
        struct stat info {};
        origin = fstat(object->Fd(), &info) == 0 ? static_cast<std::int64_t>(info.st_size) : -1;
    } else if (method != FILE_BEGIN) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (origin < 0) {
        SetLastError(standin::paths::ErrorFromErrno(errno));
        return INVALID_SET_FILE_POINTER;
    }
    if ((move < 0 && origin + move < 0) || (move > 0 && origin > INT64_MAX - move)) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return INVALID_SET_FILE_POINTER;
    }
    const std::int64_t target = origin + move;
    // Beyond what this build's file offsets hold (2 GiB on x86): refused, never wrapped.
    if (target > static_cast<std::int64_t>(std::numeric_limits<off_t>::max())) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (distanceHigh == nullptr && target > static_cast<std::int64_t>(0xFFFFFFFE)) {
        SetLastError(ERROR_INVALID_PARAMETER);  // the caller could not be told the high part
        return INVALID_SET_FILE_POINTER;
    }
    if (lseek(object->Fd(), static_cast<off_t>(target), SEEK_SET) < 0) {
        SetLastError(standin::paths::ErrorFromErrno(errno));
        return INVALID_SET_FILE_POINTER;
    }
    if (distanceHigh != nullptr) *distanceHigh = static_cast<LONG>(static_cast<std::uint64_t>(target) >> 32);
    if (static_cast<DWORD>(target) == INVALID_SET_FILE_POINTER) SetLastError(NO_ERROR);
    return static_cast<DWORD>(target);
}

PLATFORM_API BOOL SetEndOfFile(HANDLE file) {
    const std::shared_ptr<FileObject> object = FileOf(file);
    if (object == nullptr) return standin::files::FailBool(ERROR_INVALID_HANDLE);
    if (!object->CanWrite()) return standin::files::FailBool(ERROR_ACCESS_DENIED);
    const off_t position = lseek(object->Fd(), 0, SEEK_CUR);
    struct stat info {};
    if (position < 0 || fstat(object->Fd(), &info) != 0) return standin::files::FailBool(standin::paths::ErrorFromErrno(errno));
    {
        std::unique_lock<std::mutex> guard = standin::files::LockSharing();
        if (position < info.st_size && standin::files::HasViewsLocked(object->Id()))
            return standin::files::FailBool(ERROR_USER_MAPPED_FILE);
    }
    if (ftruncate(object->Fd(), position) != 0) return standin::files::FailBool(standin::paths::ErrorFromErrno(errno));
    return TRUE;
}

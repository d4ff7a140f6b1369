// Calls on files by name: delete, move, copy, attributes and folders.
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "platform/Files.h"
#include "platform/Kernel.h"
#include "platform/src/core/FileObjects.h"
#include "platform/src/core/PathMap.h"

namespace {

using standin::Fault;
using standin::paths::Resolved;
namespace files = standin::files;
namespace paths = standin::paths;

constexpr DWORD kMoveFileCopyAllowed = 0x2;
constexpr DWORD kErrorNotSameDevice = 17;

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

bool IsReadOnly(const struct stat& info) { return !S_ISDIR(info.st_mode) && (info.st_mode & S_IWUSR) == 0; }

// An existing file named by the caller, or the error that says why there is none.
DWORD FindExisting(LPCWSTR path, Resolved* resolved, struct stat* info) {
    std::u16string name;
    if (!paths::WideArg(path, &name)) return ERROR_PATH_NOT_FOUND;
    *resolved = paths::Resolve(name);
    if (resolved->error != ERROR_SUCCESS) return resolved->error;
    if (stat(resolved->linuxPath.c_str(), info) != 0) return paths::MissingError(*resolved);
    return ERROR_SUCCESS;
}

// Copies the bytes and the write time of an open file into a new or emptied one.
DWORD CopyContent(int from, int to) {
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        const ssize_t got = read(from, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return paths::ErrorFromErrno(errno);
        if (got == 0) break;
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = write(to, buffer.data() + done, static_cast<size_t>(got - done));
            if (put < 0 && errno == EINTR) continue;
            if (put < 0) return paths::ErrorFromErrno(errno);
            done += put;
        }
    }
    struct stat info {};
    if (fstat(from, &info) == 0) {
        const struct timespec times[2] = {info.st_atim, info.st_mtim};
        futimens(to, times);
    }
    return ERROR_SUCCESS;
}

DWORD CopyByName(const std::string& from, const std::string& to, bool failIfExists) {
    const int source = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (source < 0) return paths::ErrorFromErrno(errno);
    const int target = open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | (failIfExists ? O_EXCL : 0), 0666);
    if (target < 0) {
        const int error = errno;
        close(source);
        return error == EEXIST ? ERROR_FILE_EXISTS : paths::ErrorFromErrno(error);
    }
    const DWORD error = CopyContent(source, target);
    close(source);
    if (close(target) != 0 && error == ERROR_SUCCESS) return paths::ErrorFromErrno(errno);
    return error;
}

BOOL Move(LPCWSTR from, LPCWSTR to, DWORD flags) {
    DWORD injected = 0;
    if (files::Injected(Fault::FileMove, ERROR_ACCESS_DENIED, &injected)) return Fail(injected);
    Resolved source;
    struct stat sourceInfo {};
    if (const DWORD error = FindExisting(from, &source, &sourceInfo); error != ERROR_SUCCESS) return Fail(error);
    std::u16string targetName;
    if (!paths::WideArg(to, &targetName)) return Fail(ERROR_PATH_NOT_FOUND);
    const Resolved target = paths::Resolve(targetName);
    if (target.error != ERROR_SUCCESS) return Fail(target.error);
    if (source.isRoot || target.isRoot) return Fail(ERROR_ACCESS_DENIED);
    if (!target.parentExists) return Fail(ERROR_PATH_NOT_FOUND);

    std::unique_lock<std::mutex> guard = files::LockSharing();
    // A move opens the source for deletion: every handle must share delete.
    if (files::CheckSharing(files::IdOf(sourceInfo), files::kAccessDelete, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE) !=
        ERROR_SUCCESS)
        return Fail(ERROR_SHARING_VIOLATION);
    std::string destination = target.linuxPath;
    struct stat targetInfo {};
    if (stat(target.linuxPath.c_str(), &targetInfo) == 0) {
        if (files::IdOf(targetInfo) == files::IdOf(sourceInfo)) {
            destination = target.parent + "/" + target.givenLast;  // a change of case only
        } else {
            if ((flags & MOVEFILE_REPLACE_EXISTING) == 0) return Fail(ERROR_ALREADY_EXISTS);
            if (S_ISDIR(targetInfo.st_mode) || S_ISDIR(sourceInfo.st_mode) || IsReadOnly(targetInfo))
                return Fail(ERROR_ACCESS_DENIED);
            if (files::CheckSharing(files::IdOf(targetInfo), files::kAccessDelete,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE) != ERROR_SUCCESS)
                return Fail(ERROR_ACCESS_DENIED);
        }
    }
    if (rename(source.linuxPath.c_str(), destination.c_str()) == 0) return TRUE;
    if (errno != EXDEV) return Fail(paths::ErrorFromErrno(errno));
    if ((flags & kMoveFileCopyAllowed) == 0 || S_ISDIR(sourceInfo.st_mode)) return Fail(kErrorNotSameDevice);
    if (const DWORD error = CopyByName(source.linuxPath, destination, false); error != ERROR_SUCCESS) return Fail(error);
    unlink(source.linuxPath.c_str());
    return TRUE;
}

DWORD Attributes(const std::u16string& name) {
    const Resolved resolved = paths::Resolve(name);
    if (resolved.error != ERROR_SUCCESS) {
        SetLastError(resolved.error);
        return INVALID_FILE_ATTRIBUTES;
    }
    struct stat info {};
    if (stat(resolved.linuxPath.c_str(), &info) != 0) {
        SetLastError(paths::MissingError(resolved));
        return INVALID_FILE_ATTRIBUTES;
    }
    return files::AttributesOf(info);
}

}  // namespace

// Deleting a file removes its name at once even while other handles (sharing delete) keep
// it open, as current versions of the platform do.
PLATFORM_API BOOL DeleteFileW(LPCWSTR path) {
    DWORD injected = 0;
    if (files::Injected(Fault::FileDelete, ERROR_ACCESS_DENIED, &injected)) return Fail(injected);
    Resolved resolved;
    struct stat info {};
    if (const DWORD error = FindExisting(path, &resolved, &info); error != ERROR_SUCCESS) return Fail(error);
    if (S_ISDIR(info.st_mode) || IsReadOnly(info)) return Fail(ERROR_ACCESS_DENIED);
    std::unique_lock<std::mutex> guard = files::LockSharing();
    if (files::CheckSharing(files::IdOf(info), files::kAccessDelete, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE) !=
        ERROR_SUCCESS)
        return Fail(ERROR_SHARING_VIOLATION);
    if (unlink(resolved.linuxPath.c_str()) != 0) return Fail(paths::ErrorFromErrno(errno));
    return TRUE;
}

PLATFORM_API BOOL MoveFileW(LPCWSTR from, LPCWSTR to) { return Move(from, to, 0); }

PLATFORM_API BOOL MoveFileExW(LPCWSTR from, LPCWSTR to, DWORD flags) { return Move(from, to, flags); }

PLATFORM_API BOOL CopyFileW(LPCWSTR from, LPCWSTR to, BOOL failIfExists) {
    Resolved source;
    struct stat sourceInfo {};
    if (const DWORD error = FindExisting(from, &source, &sourceInfo); error != ERROR_SUCCESS) return Fail(error);
    if (S_ISDIR(sourceInfo.st_mode)) return Fail(ERROR_ACCESS_DENIED);
    std::u16string targetName;
    if (!paths::WideArg(to, &targetName)) return Fail(ERROR_PATH_NOT_FOUND);
    const Resolved target = paths::Resolve(targetName);
    if (target.error != ERROR_SUCCESS) return Fail(target.error);
    if (!target.parentExists) return Fail(ERROR_PATH_NOT_FOUND);

    std::unique_lock<std::mutex> guard = files::LockSharing();
    // The source is read shared for reading; the target is written, not shared.
    if (files::CheckSharing(files::IdOf(sourceInfo), files::kAccessRead, FILE_SHARE_READ) != ERROR_SUCCESS)
        return Fail(ERROR_SHARING_VIOLATION);
    struct stat targetInfo {};
    if (stat(target.linuxPath.c_str(), &targetInfo) == 0) {
        if (failIfExists) return Fail(ERROR_FILE_EXISTS);
        if (files::IdOf(targetInfo) == files::IdOf(sourceInfo)) return Fail(ERROR_SHARING_VIOLATION);
        if (S_ISDIR(targetInfo.st_mode) || IsReadOnly(targetInfo)) return Fail(ERROR_ACCESS_DENIED);
        if (files::HasViewsLocked(files::IdOf(targetInfo))) return Fail(ERROR_USER_MAPPED_FILE);
        if (files::CheckSharing(files::IdOf(targetInfo), files::kAccessWrite, 0) != ERROR_SUCCESS)
            return Fail(ERROR_SHARING_VIOLATION);
    }
    if (const DWORD error = CopyByName(source.linuxPath, target.linuxPath, failIfExists != FALSE); error != ERROR_SUCCESS)
        return Fail(error);
    return TRUE;
}

PLATFORM_API DWORD GetFileAttributesW(LPCWSTR path) {
    std::u16string name;
    if (!paths::WideArg(path, &name)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    return Attributes(name);
}

PLATFORM_API DWORD GetFileAttributesA(LPCSTR path) {
    std::u16string name;
    if (!paths::AnsiArg(path, &name)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    return Attributes(name);
}

// Only READONLY is kept (as the owner's write permission); the other bits have no Linux
// counterpart and are accepted without effect.
PLATFORM_API BOOL SetFileAttributesW(LPCWSTR path, DWORD attributes) {
    Resolved resolved;
    struct stat info {};
    if (const DWORD error = FindExisting(path, &resolved, &info); error != ERROR_SUCCESS) return Fail(error);
    if (S_ISDIR(info.st_mode)) return TRUE;
    mode_t mode = info.st_mode & 07777;
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        mode &= static_cast<mode_t>(~(S_IWUSR | S_IWGRP | S_IWOTH));
    } else {
        mode |= S_IWUSR;
    }
    if (chmod(resolved.linuxPath.c_str(), mode) != 0) return Fail(paths::ErrorFromErrno(errno));
    return TRUE;
}

PLATFORM_API BOOL CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES) {
    std::u16string name;
    if (!paths::WideArg(path, &name)) return Fail(ERROR_PATH_NOT_FOUND);
    const Resolved resolved = paths::Resolve(name);
    if (resolved.error != ERROR_SUCCESS) return Fail(resolved.error);
    struct stat info {};
    if (resolved.isRoot || stat(resolved.linuxPath.c_str(), &info) == 0) return Fail(ERROR_ALREADY_EXISTS);
    if (!resolved.parentExists) return Fail(ERROR_PATH_NOT_FOUND);
    if (mkdir(resolved.linuxPath.c_str(), 0777) != 0) return Fail(paths::ErrorFromErrno(errno));
    return TRUE;
}

PLATFORM_API BOOL RemoveDirectoryW(LPCWSTR path) {
    Resolved resolved;
    struct stat info {};
    if (const DWORD error = FindExisting(path, &resolved, &info); error != ERROR_SUCCESS) return Fail(error);
    if (!S_ISDIR(info.st_mode)) return Fail(ERROR_DIRECTORY);
    if (resolved.isRoot) return Fail(ERROR_ACCESS_DENIED);
    if (rmdir(resolved.linuxPath.c_str()) != 0) {
        const int error = errno;
        return Fail(error == ENOTEMPTY || error == EEXIST ? ERROR_DIR_NOT_EMPTY : paths::ErrorFromErrno(error));
    }
    return TRUE;
}

#pragma once
// File handles of the stand-in and the process-wide table that enforces sharing between
// them, keyed by the real file (device and inode).
#include <sys/stat.h>
#include <sys/types.h>

#include <mutex>
#include <string>

#include "platform/StandIn.h"
#include "platform/WinTypes.h"
#include "platform/src/core/Handles.h"

namespace standin::files {

struct FileId {
    dev_t device = 0;
    ino_t inode = 0;
    friend bool operator<(const FileId& a, const FileId& b) {
        return a.device != b.device ? a.device < b.device : a.inode < b.inode;
    }
    friend bool operator==(const FileId& a, const FileId& b) = default;
};

inline FileId IdOf(const struct stat& info) { return FileId{info.st_dev, info.st_ino}; }

/// The rights of an open that sharing looks at.
enum ShareAccess : DWORD {
    kAccessRead = 0x1,
    kAccessWrite = 0x2,
    kAccessDelete = 0x4,
};
/// The sharing-relevant rights of a CreateFileW access mask and flags.
DWORD ShareAccessOf(DWORD desiredAccess, DWORD flagsAndAttributes);

/// An open file. Its descriptor is its own, so each handle keeps its own file pointer.
/// Owns the descriptor and its entry in the sharing table (`openToken`).
class FileObject : public handles::Object {
public:
    FileObject(int fd, FileId id, DWORD shareAccess, unsigned long long openToken)
        : fd_(fd), id_(id), access_(shareAccess), token_(openToken) {}
    ~FileObject() override;
    FileObject(const FileObject&) = delete;
    FileObject& operator=(const FileObject&) = delete;

    int Fd() const { return fd_; }
    FileId Id() const { return id_; }
    bool CanRead() const { return (access_ & kAccessRead) != 0; }
    bool CanWrite() const { return (access_ & kAccessWrite) != 0; }

private:
    int fd_;
    FileId id_;
    DWORD access_;
    unsigned long long token_;
};

/// Guards the sharing table; hold it from a sharing check to the change it allows.
std::unique_lock<std::mutex> LockSharing();
/// ERROR_SHARING_VIOLATION when an open with these rights and this share mode conflicts
/// with an open handle of the file, else ERROR_SUCCESS. Caller holds LockSharing().
DWORD CheckSharing(FileId id, DWORD shareAccess, DWORD shareMode);
/// Records an open (caller holds LockSharing()) and returns its token for FileObject;
/// deleteOnClosePath, when not empty, is removed once the last handle of the file closes.
unsigned long long RegisterOpen(FileId id, DWORD shareAccess, DWORD shareMode, const std::string& deleteOnClosePath);

/// Mapped views of a file in this process: a file with views cannot be cut short.
void AddView(FileId id);
void RemoveView(FileId id);
/// Caller holds LockSharing().
bool HasViewsLocked(FileId id);

/// A planned failure of this kind: true with the planned error, or `fallback` when the
/// plan named none.
bool Injected(Fault kind, DWORD fallback, DWORD* error);

/// The platform attributes of a Linux file: DIRECTORY or ARCHIVE, READONLY without write
/// permission for its owner.
DWORD AttributesOf(const struct stat& info);

/// Creation, access and write times of an open file (fd, path "") or of a path (fd
/// AT_FDCWD); the creation time is the change time where the file system keeps none.
bool TimesOf(int fd, const char* path, FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite);

/// Times as FILETIME (100 ns since 1601) and back.
FILETIME ToFileTime(const struct timespec& time);
struct timespec FromFileTime(const FILETIME& time);
}  // namespace standin::files

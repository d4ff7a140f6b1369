// File mappings and their views. A named mapping without a file is a file below the root
// ("<root>/.kernel/mapping-<name>") so that every process of the stand-in sees the same
// bytes; each process holds a shared flock on it while it has a handle or a view, and the
// last one to let go removes it, so that the name lives as long as it is in use.
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <limits>
#include <map>
#include <mutex>

#include "platform/Files.h"
#include "platform/Kernel.h"
#include "platform/StandIn.h"
#include "platform/src/core/FileObjects.h"
#include "platform/src/core/Handles.h"
#include "platform/src/core/PathMap.h"
#include "platform/src/core/SharedFile.h"

namespace {

namespace files = standin::files;
namespace paths = standin::paths;
namespace shared = standin::shared;

constexpr std::uint64_t kAllocationGranularity = 65536;  // view offsets are multiples of it

class MappingObject : public standin::handles::Object {
public:
    MappingObject(int fd, std::uint64_t size, bool writable) : fd_(fd), size_(size), writable_(writable) {}
    ~MappingObject() override {
        // The last process to let go of a named mapping removes its file.
        if (!namedPath_.empty() && flock(fd_, LOCK_EX | LOCK_NB) == 0) {
            struct stat mine {}, named {};
            if (fstat(fd_, &mine) == 0 && stat(namedPath_.c_str(), &named) == 0 && files::IdOf(mine) == files::IdOf(named))
                unlink(namedPath_.c_str());
        }
        close(fd_);
    }
    MappingObject(const MappingObject&) = delete;
    MappingObject& operator=(const MappingObject&) = delete;

    int Fd() const { return fd_; }
    std::uint64_t Size() const { return size_; }
    bool Writable() const { return writable_; }
    void SetFile(files::FileId id) {
        fileId_ = id;
        hasFile_ = true;
    }
    bool HasFile() const { return hasFile_; }
    files::FileId File() const { return fileId_; }
    void SetNamedPath(std::string path) { namedPath_ = std::move(path); }

private:
    int fd_;
    std::uint64_t size_;
    bool writable_;
    bool hasFile_ = false;
    files::FileId fileId_;
    std::string namedPath_;
};

struct View {
    size_t length;
    std::shared_ptr<MappingObject> mapping;  // keeps a named mapping alive while viewed
};

struct ViewTable {
    std::mutex lock;
    std::map<UINT_PTR, View> views;
};

ViewTable& Views() {
    static ViewTable* table = new ViewTable();  // never destroyed: views may be unmapped at exit
    return *table;
}

HANDLE Fail(DWORD error) {
    SetLastError(error);
    return nullptr;
}

// Opens the named mapping's file, making it with `size` bytes when there is none; *created
// tells which.
int OpenNamed(const std::string& path, std::uint64_t size, bool* created, DWORD* error) {
    const std::string folder = path.substr(0, path.find_last_of('/'));
    mkdir(folder.c_str(), 0777);
    return standin::shared::OpenOrPublish(
        path, true,
        [size](int fd) -> DWORD {
            return ftruncate(fd, static_cast<off_t>(size)) == 0 ? ERROR_SUCCESS : paths::ErrorFromErrno(errno);
        },
        created, error);
}

HANDLE CreateNamedOrAnonymous(DWORD protect, std::uint64_t size, LPCWSTR name) {
    if (size == 0) return Fail(ERROR_INVALID_PARAMETER);
    if (size > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) return Fail(ERROR_NOT_ENOUGH_MEMORY);
    const bool writable = protect == PAGE_READWRITE;
    if (name == nullptr) {
        const int fd = memfd_create("kv-mapping", MFD_CLOEXEC);
        if (fd < 0) return Fail(paths::ErrorFromErrno(errno));
        if (ftruncate(fd, static_cast<off_t>(size)) != 0) {
            close(fd);
            return Fail(ERROR_NOT_ENOUGH_MEMORY);
        }
        HANDLE handle = standin::handles::Insert(std::make_shared<MappingObject>(fd, size, writable));
        SetLastError(ERROR_SUCCESS);
        return handle;
    }
    const std::string path = standin::Root() + "/.kernel/mapping-" + shared::EscapeName(name);
    bool created = false;
    DWORD error = ERROR_SUCCESS;
    const int fd = OpenNamed(path, size, &created, &error);
    if (fd < 0) return Fail(error);
    struct stat info {};
    fstat(fd, &info);
    // An existing mapping keeps its own size, whatever this caller asked for.
    auto mapping = std::make_shared<MappingObject>(fd, static_cast<std::uint64_t>(info.st_size), writable);
    mapping->SetNamedPath(path);
    HANDLE handle = standin::handles::Insert(std::move(mapping));
    SetLastError(created ? ERROR_SUCCESS : ERROR_ALREADY_EXISTS);
    return handle;
}

HANDLE CreateOverFile(HANDLE file, DWORD protect, std::uint64_t size) {
    const std::shared_ptr<files::FileObject> object = standin::handles::LookupAs<files::FileObject>(file);
    if (object == nullptr) return Fail(ERROR_INVALID_HANDLE);
    const bool writable = protect == PAGE_READWRITE;
    if (!object->CanRead() || (writable && !object->CanWrite())) return Fail(ERROR_ACCESS_DENIED);
    struct stat info {};
    if (fstat(object->Fd(), &info) != 0) return Fail(paths::ErrorFromErrno(errno));
    const std::uint64_t fileSize = static_cast<std::uint64_t>(info.st_size);
    if (size == 0) size = fileSize;
    if (size == 0) return Fail(ERROR_FILE_INVALID);
    if (size > fileSize) {
        // A writable mapping grows the file to its size; a read-only one cannot.
        if (!writable) return Fail(ERROR_NOT_ENOUGH_MEMORY);
        if (size > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max()) ||
            ftruncate(object->Fd(), static_cast<off_t>(size)) != 0)
            return Fail(ERROR_DISK_FULL);
    }
    const int fd = fcntl(object->Fd(), F_DUPFD_CLOEXEC, 0);
    if (fd < 0) return Fail(paths::ErrorFromErrno(errno));
    auto mapping = std::make_shared<MappingObject>(fd, size, writable);
    mapping->SetFile(object->Id());
    HANDLE handle = standin::handles::Insert(std::move(mapping));
    SetLastError(ERROR_SUCCESS);
    return handle;
}

}  // namespace

// A name given with a file handle is not registered: files are shared through their path.
PLATFORM_API HANDLE CreateFileMappingW(HANDLE file, LPSECURITY_ATTRIBUTES, DWORD protect, DWORD maxSizeHigh,
                                       DWORD maxSizeLow, LPCWSTR name) {
    const DWORD pageProtection = protect & 0xFF;  // the section flags above it change nothing here
    if (pageProtection != PAGE_READONLY && pageProtection != PAGE_READWRITE) return Fail(ERROR_INVALID_PARAMETER);
    DWORD injected = 0;
    if (files::Injected(standin::Fault::FileMapping, ERROR_NOT_ENOUGH_MEMORY, &injected)) return Fail(injected);
    const std::uint64_t size = (static_cast<std::uint64_t>(maxSizeHigh) << 32) | maxSizeLow;
    if (file == INVALID_HANDLE_VALUE) return CreateNamedOrAnonymous(pageProtection, size, name);
    return CreateOverFile(file, pageProtection, size);
}

PLATFORM_API LPVOID MapViewOfFile(HANDLE mapping, DWORD access, DWORD offsetHigh, DWORD offsetLow, SIZE_T cbMap) {
    const std::shared_ptr<MappingObject> object = standin::handles::LookupAs<MappingObject>(mapping);
    if (object == nullptr) return Fail(ERROR_INVALID_HANDLE);
    const bool write = (access & FILE_MAP_WRITE) != 0;
    if (!write && (access & FILE_MAP_READ) == 0) return Fail(ERROR_INVALID_PARAMETER);
    if (write && !object->Writable()) return Fail(ERROR_ACCESS_DENIED);
    DWORD injected = 0;
    if (files::Injected(standin::Fault::FileMapping, ERROR_NOT_ENOUGH_MEMORY, &injected)) return Fail(injected);

    const std::uint64_t offset = (static_cast<std::uint64_t>(offsetHigh) << 32) | offsetLow;
    if (offset % kAllocationGranularity != 0) return Fail(ERROR_MAPPED_ALIGNMENT);
    if (offset >= object->Size()) return Fail(ERROR_ACCESS_DENIED);
    const std::uint64_t length = cbMap == 0 ? object->Size() - offset : cbMap;
    if (length > object->Size() - offset) return Fail(ERROR_ACCESS_DENIED);
    if (length > std::numeric_limits<size_t>::max() / 2) return Fail(ERROR_NOT_ENOUGH_MEMORY);

    const int protection = PROT_READ | (write ? PROT_WRITE : 0);
    void* view = mmap(nullptr, static_cast<size_t>(length), protection, MAP_SHARED, object->Fd(), static_cast<off_t>(offset));
    if (view == MAP_FAILED) return Fail(ERROR_NOT_ENOUGH_MEMORY);
    if (object->HasFile()) files::AddView(object->File());
    std::lock_guard<std::mutex> guard(Views().lock);
    Views().views[reinterpret_cast<UINT_PTR>(view)] = View{static_cast<size_t>(length), object};
    return view;
}

PLATFORM_API BOOL UnmapViewOfFile(LPCVOID view) {
    View found{};
    {
        std::lock_guard<std::mutex> guard(Views().lock);
        auto it = Views().views.find(reinterpret_cast<UINT_PTR>(view));
        if (it == Views().views.end()) {
            SetLastError(ERROR_INVALID_ADDRESS);
            return FALSE;
        }
        found = std::move(it->second);
        Views().views.erase(it);
    }
    munmap(const_cast<void*>(view), found.length);
    if (found.mapping->HasFile()) files::RemoveView(found.mapping->File());
    return TRUE;
}

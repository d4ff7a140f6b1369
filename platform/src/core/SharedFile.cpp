#include "platform/src/core/SharedFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>

#include "platform/src/core/PathMap.h"

namespace standin::shared {
namespace {

std::atomic<unsigned> tempCounter{0};

}  // namespace

std::string EscapeName(const std::u16string& name) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char16_t c : name) {
        if ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'_' || c == u'-') {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back('%');
            for (int shift = 12; shift >= 0; shift -= 4) out.push_back(kHex[(c >> shift) & 0xF]);
        }
    }
    return out;
}

int OpenOrPublish(const std::string& path, bool create, const FillNewFile& fill, bool* created, DWORD* error) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        int fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
        if (fd >= 0) {
            flock(fd, LOCK_SH);
            struct stat mine {}, named {};
            // Removed by its last user between our open and our lock: start again.
            if (fstat(fd, &mine) == 0 && stat(path.c_str(), &named) == 0 && mine.st_dev == named.st_dev &&
                mine.st_ino == named.st_ino) {
                *created = false;
                return fd;
            }
            close(fd);
            continue;
        }
        if (errno != ENOENT) break;
        if (!create) {
            *error = ERROR_FILE_NOT_FOUND;
            return -1;
        }
        const std::string temp = path + ".new-" + std::to_string(getpid()) + "-" + std::to_string(tempCounter.fetch_add(1));
        fd = open(temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) break;
        if (const DWORD failed = fill(fd); failed != ERROR_SUCCESS) {
            close(fd);
            unlink(temp.c_str());
            *error = failed;
            return -1;
        }
        flock(fd, LOCK_SH);
        const int linked = link(temp.c_str(), path.c_str());
        unlink(temp.c_str());
        if (linked == 0) {
            *created = true;
            return fd;
        }
        close(fd);  // another process made it first: open theirs
    }
    *error = paths::ErrorFromErrno(errno);
    return -1;
}

}  // namespace standin::shared

#include "platform/src/core/ModuleImages.h"

#include <dlfcn.h>
#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <sys/mman.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/ResourceTable.h"

namespace standin::modules {
namespace {

constexpr size_t kMaxKeptImages = 8;
constexpr off_t kMaxSymbolBytes = 1 << 20;  // a resource-only file has a handful of symbols

struct KeptImages {
    std::mutex lock;
    std::vector<ResourceImage> images;  // oldest first
};

KeptImages& Kept() {
    static auto* kept = new KeptImages();  // never destroyed: modules may be freed at exit
    return *kept;
}

bool SameFile(const ImageFile& a, const ImageFile& b) {
    return a.device == b.device && a.inode == b.inode && a.size == b.size && a.modified.tv_sec == b.modified.tv_sec &&
           a.modified.tv_nsec == b.modified.tv_nsec;
}

void Unmap(ResourceImage& image) {
    dlclose(image.dl);
    close(image.copy);
}

bool ReadAt(int fd, void* to, size_t count, off_t at) {
    return pread(fd, to, count, at) == static_cast<ssize_t>(count);
}

// Whether the file's dynamic symbols define the resource table and nothing else.
bool FileIsResourceOnly(int fd, off_t fileSize) {
    ElfW(Ehdr) header{};
    constexpr unsigned char kClass = sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32;
    if (!ReadAt(fd, &header, sizeof header, 0) || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
        header.e_ident[EI_CLASS] != kClass || header.e_shentsize != sizeof(ElfW(Shdr)) || header.e_shnum == 0)
        return false;
    std::vector<ElfW(Shdr)> sections(header.e_shnum);
    if (!ReadAt(fd, sections.data(), sections.size() * sizeof(ElfW(Shdr)), static_cast<off_t>(header.e_shoff)))
        return false;
    for (const ElfW(Shdr)& table : sections) {
        if (table.sh_type != SHT_DYNSYM) continue;
        if (table.sh_link >= sections.size() || table.sh_entsize != sizeof(ElfW(Sym))) return false;
        const ElfW(Shdr)& text = sections[table.sh_link];
        const auto fits = [fileSize](const ElfW(Shdr)& s) {
            return static_cast<off_t>(s.sh_size) <= kMaxSymbolBytes && static_cast<off_t>(s.sh_offset) <= fileSize &&
                   static_cast<off_t>(s.sh_size) <= fileSize - static_cast<off_t>(s.sh_offset);
        };
        if (!fits(table) || !fits(text)) return false;
        std::vector<ElfW(Sym)> symbols(table.sh_size / sizeof(ElfW(Sym)));
        std::vector<char> names(text.sh_size + 1, '\0');  // ends in a terminator whatever the file holds
        if (!ReadAt(fd, symbols.data(), symbols.size() * sizeof(ElfW(Sym)), static_cast<off_t>(table.sh_offset)) ||
            !ReadAt(fd, names.data(), text.sh_size, static_cast<off_t>(text.sh_offset)))
            return false;
        bool resources = false;
        for (size_t i = 1; i < symbols.size(); ++i) {
            const ElfW(Sym)& symbol = symbols[i];
            const unsigned binding = ELF32_ST_BIND(symbol.st_info);  // the same field in both classes
            if (symbol.st_shndx == SHN_UNDEF || (binding != STB_GLOBAL && binding != STB_WEAK && binding != STB_GNU_UNIQUE))
                continue;
            if (symbol.st_name >= text.sh_size || std::strcmp(names.data() + symbol.st_name, STANDIN_RESOURCES_EXPORT) != 0)
                return false;
            resources = true;
        }
        return resources;
    }
    return false;
}

// Copies the whole file into memory of this process's own and maps that.
bool MapCopy(int fd, off_t size, ResourceImage* image) {
    const int copy = memfd_create("kv-resource-image", MFD_CLOEXEC);
    if (copy < 0) return false;
    off_t at = 0;
    while (at < size) {
        const ssize_t n = sendfile(copy, fd, &at, static_cast<size_t>(size - at));
        if (n <= 0) {
            close(copy);
            return false;
        }
    }
    char name[64];
    std::snprintf(name, sizeof name, "/proc/self/fd/%d", copy);
    void* dl = dlopen(name, RTLD_NOW | RTLD_LOCAL);
    if (dl == nullptr) {
        close(copy);
        return false;
    }
    image->dl = dl;
    image->copy = copy;
    return true;
}

}  // namespace

bool OpenResourceImage(const std::string& canonicalPath, ResourceImage* image) {
    const int fd = open(canonicalPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info {};
    if (fstat(fd, &info) != 0) {
        close(fd);
        return false;
    }
    const ImageFile file{info.st_dev, info.st_ino, info.st_size, info.st_mtim};
    {
        KeptImages& kept = Kept();
        std::lock_guard<std::mutex> guard(kept.lock);
        for (auto it = kept.images.begin(); it != kept.images.end(); ++it) {
            if (it->path != canonicalPath) continue;
            ResourceImage found = std::move(*it);
            kept.images.erase(it);
            if (SameFile(found.file, file)) {
                close(fd);
                *image = std::move(found);
                return true;
            }
            Unmap(found);  // the file changed: its new contents are mapped afresh
            break;
        }
    }
    const bool mapped = FileIsResourceOnly(fd, info.st_size) && MapCopy(fd, info.st_size, image);
    close(fd);
    if (!mapped) return false;
    image->path = canonicalPath;
    image->file = file;
    return true;
}

void KeepImage(ResourceImage image) {
    KeptImages& kept = Kept();
    std::lock_guard<std::mutex> guard(kept.lock);
    for (auto it = kept.images.begin(); it != kept.images.end(); ++it) {
        if (it->path == image.path) {
            Unmap(*it);
            kept.images.erase(it);
            break;
        }
    }
    kept.images.push_back(std::move(image));
    if (kept.images.size() > kMaxKeptImages) {
        Unmap(kept.images.front());
        kept.images.erase(kept.images.begin());
    }
}

}  // namespace standin::modules

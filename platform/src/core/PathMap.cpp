#include "platform/src/core/PathMap.h"

#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <vector>

#include "platform/Kernel.h"
#include "platform/StandIn.h"
#include "platform/src/core/StandInState.h"

namespace standin::paths {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

bool IsDriveLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

// Characters that no Windows file name may hold.
bool IsForbidden(char16_t c) {
    return c < 0x20 || c == u'<' || c == u'>' || c == u':' || c == u'"' || c == u'|';
}

bool IsWildcard(char16_t c) { return c == u'*' || c == u'?'; }

bool IsDirectory(const std::string& linuxPath) {
    struct stat info {};
    return stat(linuxPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool Exists(const std::string& linuxPath) {
    struct stat info {};
    return stat(linuxPath.c_str(), &info) == 0;
}

// The entry of `folder` whose name folds to `name`: the exact spelling when it exists, else
// the first matching entry in byte order (so the choice does not depend on readdir's order).
bool FindEntry(const std::string& folder, std::u16string_view name, std::string* found) {
    const std::string exact = ToUtf8(name);
    if (Exists(folder + "/" + exact)) {
        *found = exact;
        return true;
    }
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return false;
    bool any = false;
    while (const dirent* entry = readdir(dir)) {
        std::string entryName = entry->d_name;
        if (entryName == "." || entryName == "..") continue;
        if (!EqualNoCase(FromUtf8(entryName), name)) continue;
        if (!any || entryName < *found) *found = entryName;
        any = true;
    }
    closedir(dir);
    return any;
}

// Windows drops trailing dots and blanks of each name ("file." opens "file").
std::u16string_view TrimComponent(std::u16string_view part) {
    while (!part.empty() && (part.back() == u'.' || part.back() == u' ')) part.remove_suffix(1);
    return part;
}

}  // namespace

std::string ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp < 0xE000) {
            cp = kReplacement;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

std::u16string FromUtf8(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        int extra = 0;
        char32_t cp = 0;
        char32_t minimum = 0;
        if (lead < 0x80) {
            cp = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            cp = lead & 0x1F, extra = 1, minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            cp = lead & 0x0F, extra = 2, minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            cp = lead & 0x07, extra = 3, minimum = 0x10000;
        } else {
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        size_t j = i + 1;
        bool valid = true;
        for (int k = 0; k < extra; ++k, ++j) {
            if (j >= text.size() || (static_cast<unsigned char>(text[j]) & 0xC0) != 0x80) {
                valid = false;
                break;
            }
            cp = (cp << 6) | (static_cast<unsigned char>(text[j]) & 0x3F);
        }
        if (!valid || cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) {
            out.push_back(kReplacement);
            i = valid ? j : i + 1;
            continue;
        }
        i = j;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

char16_t FoldCase(char16_t c) {
    if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 0x20);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 0x20);
    if (c == 0xFF) return 0x178;
    if (c >= 0xFF41 && c <= 0xFF5A) return static_cast<char16_t>(c - 0x20);  // full-width a-z
    return c;
}

bool EqualNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldCase(a[i]) != FoldCase(b[i])) return false;
    return true;
}

bool LessNoCase(std::u16string_view a, std::u16string_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const char16_t x = FoldCase(a[i]);
        const char16_t y = FoldCase(b[i]);
        if (x != y) return x < y;
    }
    return a.size() < b.size();
}

bool WideArg(LPCWSTR text, std::u16string* out) {
    if (text == nullptr) return false;
    *out = text;
    return true;
}

bool AnsiArg(LPCSTR text, std::u16string* out) {
    if (text == nullptr) return false;
    const int cch = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (cch <= 0) return false;
    std::u16string wide(static_cast<size_t>(cch), u'\0');
    if (MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), cch) != cch) return false;
    wide.resize(static_cast<size_t>(cch - 1));
    *out = std::move(wide);
    return true;
}

Resolved Resolve(std::u16string_view windowsPath, bool wildcardsInLast) {
    Resolved result;
    std::u16string path(windowsPath);
    for (char16_t& c : path)
        if (c == u'/') c = u'\\';
    if (path.starts_with(u"\\\\?\\UNC\\")) {
        path = u"\\\\" + path.substr(8);
    } else if (path.starts_with(u"\\\\?\\")) {
        path = path.substr(4);
    }
    if (path.empty()) {
        result.error = ERROR_PATH_NOT_FOUND;
        return result;
    }

    // The fixed part (drive or share) and the names below it.
    std::string base = standin::Root();
    std::u16string windowsBase;
    std::u16string rest;
    size_t fixedNames = 0;  // leading names of `rest` that ".." may not remove (server, share)
    if (path.starts_with(u"\\\\")) {
        base += "/UNC";
        windowsBase = u"\\";
        rest = path.substr(2);
        fixedNames = 2;
    } else {
        const std::u16string current = standin::state::SystemDirectory();
        if (path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == u':') {
            const char16_t drive = FoldCase(path[0]);
            rest = path.substr(2);
            if (rest.empty() || !IsSeparator(rest[0])) {
                // "X:name": against the current folder when it is on X, else X's root.
                if (current.size() >= 2 && FoldCase(current[0]) == drive) rest = current.substr(2) + u"\\" + rest;
            }
            base += "/" + std::string(1, static_cast<char>(drive));
            windowsBase = std::u16string(1, drive) + u":";
        } else {
            std::u16string full = IsSeparator(path[0]) ? current.substr(0, 2) + path : current + u"\\" + path;
            if (full.size() < 2 || !IsDriveLetter(full[0]) || full[1] != u':') {
                result.error = ERROR_PATH_NOT_FOUND;
                return result;
            }
            return Resolve(full, wildcardsInLast);
        }
    }

    std::vector<std::u16string> names;
    size_t start = 0;
    while (start <= rest.size()) {
        size_t end = rest.find(u'\\', start);
        if (end == std::u16string::npos) end = rest.size();
        const std::u16string_view part(rest.data() + start, end - start);
        const bool isLast = end == rest.size();
        start = end + 1;
        if (part == u"..") {
            if (names.size() > fixedNames) names.pop_back();
            continue;
        }
        if (part.empty() || part == u".") {
            if (names.size() < fixedNames) {
                result.error = ERROR_PATH_NOT_FOUND;  // "\\server" without a share, "\\\x"
                return result;
            }
            continue;
        }
        // A pattern keeps its dots: "*." asks for names without an extension.
        const std::u16string_view trimmed = wildcardsInLast && isLast ? part : TrimComponent(part);
        if (trimmed.empty()) continue;
        for (char16_t c : trimmed) {
            if (IsForbidden(c) || (IsWildcard(c) && !(wildcardsInLast && isLast))) {
                result.error = ERROR_INVALID_NAME;
                return result;
            }
        }
        names.emplace_back(trimmed);
    }
    if (names.size() < fixedNames) {
        result.error = ERROR_PATH_NOT_FOUND;
        return result;
    }

    // Look each folder up case-insensitively while they exist; keep the rest as given.
    std::string current = base;
    bool existing = IsDirectory(base);
    result.windowsPath = windowsBase;
    result.isRoot = names.size() == fixedNames;
    result.parentExists = existing;
    result.parent = base;
    for (size_t i = 0; i < names.size(); ++i) {
        const bool last = i + 1 == names.size();
        std::string found;
        if (last) {
            result.parentIsRoot = i == fixedNames;
            result.parent = current;
            result.parentExists = existing;
            result.givenLast = ToUtf8(names[i]);
            result.lastPattern = names[i];
        }
        const bool literal = last && wildcardsInLast;
        if (existing && !literal && FindEntry(current, names[i], &found)) {
            current += "/" + found;
            if (!last) existing = IsDirectory(current);
        } else {
            current += "/" + ToUtf8(names[i]);
            existing = false;
        }
        result.windowsPath += u"\\" + names[i];
    }
    if (names.empty()) result.windowsPath += u"\\";
    result.linuxPath = current;
    return result;
}

DWORD ErrorFromErrno(int error) {
    switch (error) {
        case 0: return ERROR_SUCCESS;
        case ENOENT: return ERROR_FILE_NOT_FOUND;
        case ENOTDIR: return ERROR_PATH_NOT_FOUND;
        case EACCES:
        case EPERM:
        case EISDIR:
        case EROFS: return ERROR_ACCESS_DENIED;
        case EEXIST: return ERROR_ALREADY_EXISTS;
        case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
        case ENOSPC:
        case EDQUOT: return ERROR_DISK_FULL;
        case ENAMETOOLONG: return ERROR_INVALID_NAME;
        case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
        case EBADF: return ERROR_INVALID_HANDLE;
        case EINVAL: return ERROR_INVALID_PARAMETER;
        case EBUSY: return ERROR_BUSY;
        default: return ERROR_GEN_FAILURE;
    }
}

}  // namespace standin::paths

namespace standin {

// A path that cannot name a file (bad characters, "\\server" alone) maps to "".
std::string MapPath(const std::u16string& windowsPath) {
    const paths::Resolved resolved = paths::Resolve(windowsPath);
    return resolved.error == ERROR_SUCCESS ? resolved.linuxPath : std::string();
}

}  // namespace standin

// Ini profile files on real files. A file is ANSI (the stand-in's ANSI code page), UTF-16LE
// with a byte-order mark or UTF-8 with one; a rewrite keeps the encoding, the line ends and
// every line it does not change, and replaces the file whole (temporary file and rename).
// Writers of all processes take one lock file below the root, so that no update is lost.
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/Kernel.h"
#include "platform/Profile.h"
#include "platform/StandIn.h"
#include "platform/src/core/PathMap.h"
#include "platform/src/core/StandInState.h"

namespace {

namespace paths = standin::paths;

constexpr size_t kMaxIniBytes = 16 * 1024 * 1024;  // larger files are refused, not read

enum class Encoding { Ansi, Utf16, Utf8 };

struct IniText {
    Encoding encoding = Encoding::Ansi;
    std::u16string lineEnd = u"\r\n";
    bool endsWithLineEnd = true;
    std::vector<std::u16string> lines;
};

struct IniLine {
    enum Kind { Other, Section, Key } kind = Other;
    std::u16string name;   // section or key name, trimmed
    std::u16string value;  // key value, trimmed, matching quotes removed
};

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string Trim(std::u16string_view text) {
    size_t begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    return std::u16string(text.substr(begin, end - begin));
}

IniLine Classify(const std::u16string& line) {
    IniLine result;
    const std::u16string text = Trim(line);
    if (text.empty() || text[0] == u';') return result;
    if (text[0] == u'[') {
        const size_t close = text.find(u']');
        result.kind = IniLine::Section;
        result.name = Trim(std::u16string_view(text).substr(1, close == std::u16string::npos ? std::u16string::npos : close - 1));
        return result;
    }
    const size_t equals = text.find(u'=');
    if (equals == std::u16string::npos) return result;
    result.kind = IniLine::Key;
    result.name = Trim(std::u16string_view(text).substr(0, equals));
    result.value = Trim(std::u16string_view(text).substr(equals + 1));
    if (result.value.size() >= 2 && (result.value[0] == u'"' || result.value[0] == u'\'') &&
        result.value.back() == result.value[0])
        result.value = result.value.substr(1, result.value.size() - 2);
    return result;
}

// The Linux path of a profile file; a bare name lives in the Windows directory.
paths::Resolved ProfilePath(LPCWSTR fileName) {
    std::u16string name = fileName != nullptr ? std::u16string(fileName) : std::u16string(u"win.ini");
    if (name.find_first_of(u"\\/:") == std::u16string::npos) name = standin::state::WindowsDirectory() + u"\\" + name;
    return paths::Resolve(name);
}

std::u16string DecodeAnsi(const std::string& bytes) {
    if (bytes.empty()) return {};
    if (bytes.size() > static_cast<size_t>(INT32_MAX)) return {};
    const int size = static_cast<int>(bytes.size());
    const int cch = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    if (cch <= 0) return {};
    std::u16string text(static_cast<size_t>(cch), u'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, text.data(), cch);
    return text;
}

std::string EncodeAnsi(const std::u16string& text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int cb = WideCharToMultiByte(CP_ACP, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (cb <= 0) return {};
    std::string bytes(static_cast<size_t>(cb), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), size, bytes.data(), cb, nullptr, nullptr);
    return bytes;
}

// Reads the whole file; nullopt with the error when it is missing or cannot be read.
std::optional<std::string> ReadBytes(const std::string& path, DWORD* error) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        *error = paths::ErrorFromErrno(errno);
        return std::nullopt;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode) || static_cast<std::uint64_t>(info.st_size) > kMaxIniBytes) {
        *error = S_ISDIR(info.st_mode) ? ERROR_ACCESS_DENIED : ERROR_NOT_ENOUGH_MEMORY;
        close(fd);
        return std::nullopt;
    }
    std::string bytes;
    char chunk[16384];
    for (;;) {
        const ssize_t got = read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        bytes.append(chunk, static_cast<size_t>(got));
        if (bytes.size() > kMaxIniBytes) break;  // grew while read: keep the bound
    }
    close(fd);
    return bytes;
}

IniText Parse(const std::string& bytes) {
    IniText ini;
    std::u16string text;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE) {
        ini.encoding = Encoding::Utf16;
        for (size_t i = 2; i + 1 < bytes.size(); i += 2)  // an odd last byte is no character
            text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                 (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    } else if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        ini.encoding = Encoding::Utf8;
        text = paths::FromUtf8(std::string_view(bytes).substr(3));
    } else {
        text = DecodeAnsi(bytes);
    }
    const size_t firstBreak = text.find_first_of(u"\r\n");
    if (firstBreak != std::u16string::npos && text[firstBreak] == u'\n') ini.lineEnd = u"\n";
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of(u"\r\n", start);
        if (end == std::u16string::npos) {
            ini.lines.push_back(text.substr(start));
            ini.endsWithLineEnd = false;
            break;
        }
        ini.lines.push_back(text.substr(start, end - start));
        start = end + (text.compare(end, 2, u"\r\n") == 0 ? 2 : 1);
    }
    return ini;
}

std::string Serialize(const IniText& ini) {
    std::u16string text;
    for (size_t i = 0; i < ini.lines.size(); ++i) {
        text += ini.lines[i];
        if (i + 1 < ini.lines.size() || ini.endsWithLineEnd) text += ini.lineEnd;
    }
    switch (ini.encoding) {
        case Encoding::Utf16: {
            std::string bytes = "\xFF\xFE";
            for (char16_t c : text) {
                bytes.push_back(static_cast<char>(c & 0xFF));
                bytes.push_back(static_cast<char>(c >> 8));
            }
            return bytes;
        }
        case Encoding::Utf8: return "\xEF\xBB\xBF" + paths::ToUtf8(text);
        case Encoding::Ansi: break;
    }
    return EncodeAnsi(text);
}

// Index of the first line of the first section of that name, or npos.
size_t FindSection(const IniText& ini, std::u16string_view section) {
    for (size_t i = 0; i < ini.lines.size(); ++i) {
        const IniLine line = Classify(ini.lines[i]);
        if (line.kind == IniLine::Section && paths::EqualNoCase(line.name, section)) return i;
    }
    return std::u16string::npos;
}

// One past the last line of the section that starts at `header`.
size_t SectionEnd(const IniText& ini, size_t header) {
    size_t i = header + 1;
    while (i < ini.lines.size() && Classify(ini.lines[i]).kind != IniLine::Section) ++i;
    return i;
}

size_t FindKey(const IniText& ini, size_t header, std::u16string_view key) {
    const size_t end = SectionEnd(ini, header);
    for (size_t i = header + 1; i < end; ++i) {
        const IniLine line = Classify(ini.lines[i]);
        if (line.kind == IniLine::Key && paths::EqualNoCase(line.name, key)) return i;
    }
    return std::u16string::npos;
}

std::optional<IniText> Load(LPCWSTR fileName, DWORD* error) {
    const paths::Resolved path = ProfilePath(fileName);
    if (path.error != ERROR_SUCCESS) {
        *error = path.error;
        return std::nullopt;
    }
    const std::optional<std::string> bytes = ReadBytes(path.linuxPath, error);
    if (!bytes) return std::nullopt;
    return Parse(*bytes);
}

// A list of names, each terminated, the whole ended by a second terminator; cut to fit
// with both terminators kept, as the platform does.
DWORD CopyList(const std::vector<std::u16string>& names, LPWSTR buffer, DWORD cchBuffer) {
    if (cchBuffer == 0) return 0;
    if (cchBuffer == 1) {
        buffer[0] = u'\0';
        return 0;
    }
    std::u16string list;
    for (const std::u16string& name : names) list += name + u'\0';
    if (list.size() + 1 <= cchBuffer) {
        list.copy(buffer, list.size());
        buffer[list.size()] = u'\0';
        return static_cast<DWORD>(list.size());
    }
    list.copy(buffer, cchBuffer - 2);
    buffer[cchBuffer - 2] = u'\0';
    buffer[cchBuffer - 1] = u'\0';
    return cchBuffer - 2;
}

DWORD CopyValue(const std::u16string& value, LPWSTR buffer, DWORD cchBuffer) {
    if (cchBuffer == 0) return 0;
    const size_t n = std::min<size_t>(value.size(), cchBuffer - 1);
    value.copy(buffer, n);
    buffer[n] = u'\0';
    return static_cast<DWORD>(n);
}

std::optional<std::u16string> LookUp(LPCWSTR section, LPCWSTR key, LPCWSTR fileName) {
    DWORD error = ERROR_SUCCESS;
    const std::optional<IniText> ini = Load(fileName, &error);
    if (!ini) {
        SetLastError(error);
        return std::nullopt;
    }
    const size_t header = FindSection(*ini, section);
    if (header == std::u16string::npos) return std::nullopt;
    const size_t line = FindKey(*ini, header, key);
    if (line == std::u16string::npos) return std::nullopt;
    return Classify(ini->lines[line]).value;
}

// Holds the writers' lock of all processes for the life of the object.
class WriterLock {
public:
    WriterLock() : fd_(open((standin::Root() + "/.profile.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666)) {
        if (fd_ >= 0) flock(fd_, LOCK_EX);
    }
    ~WriterLock() {
        if (fd_ >= 0) close(fd_);
    }
    WriterLock(const WriterLock&) = delete;
    WriterLock& operator=(const WriterLock&) = delete;

private:
    int fd_;
};

std::atomic<unsigned> tempCounter{0};

DWORD Replace(const paths::Resolved& path, const std::string& bytes, mode_t mode) {
    const std::string temp =
        path.parent + "/." + path.givenLast + ".new-" + std::to_string(getpid()) + "-" + std::to_string(tempCounter.fetch_add(1));
    const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) return paths::ErrorFromErrno(errno);
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) break;
        done += static_cast<size_t>(put);
    }
    const int error = done == bytes.size() ? (fsync(fd) == 0 ? 0 : errno) : errno;
    close(fd);
    if (error == 0 && rename(temp.c_str(), path.linuxPath.c_str()) == 0) return ERROR_SUCCESS;
    const DWORD result = paths::ErrorFromErrno(error != 0 ? error : errno);
    unlink(temp.c_str());
    return result;
}

DWORD Write(LPCWSTR section, LPCWSTR key, LPCWSTR value, LPCWSTR fileName) {
    const paths::Resolved path = ProfilePath(fileName);
    if (path.error != ERROR_SUCCESS) return path.error;
    if (!path.parentExists) return ERROR_PATH_NOT_FOUND;
    WriterLock lock;
    struct stat info {};
    const bool exists = stat(path.linuxPath.c_str(), &info) == 0;
    if (exists && (S_ISDIR(info.st_mode) || (info.st_mode & S_IWUSR) == 0)) return ERROR_ACCESS_DENIED;
    IniText ini;
    if (exists) {
        DWORD error = ERROR_SUCCESS;
        const std::optional<std::string> bytes = ReadBytes(path.linuxPath, &error);
        if (!bytes) return error;
        ini = Parse(*bytes);
    }

    const size_t header = FindSection(ini, section);
    if (key == nullptr) {  // remove the section
        if (header == std::u16string::npos) return ERROR_SUCCESS;
        ini.lines.erase(ini.lines.begin() + static_cast<std::ptrdiff_t>(header),
                        ini.lines.begin() + static_cast<std::ptrdiff_t>(SectionEnd(ini, header)));
    } else if (value == nullptr) {  // remove the key
        if (header == std::u16string::npos) return ERROR_SUCCESS;
        const size_t line = FindKey(ini, header, key);
        if (line == std::u16string::npos) return ERROR_SUCCESS;
        ini.lines.erase(ini.lines.begin() + static_cast<std::ptrdiff_t>(line));
    } else {
        const std::u16string entry = std::u16string(key) + u"=" + value;
        if (header == std::u16string::npos) {
            ini.lines.push_back(u"[" + std::u16string(section) + u"]");
            ini.lines.push_back(entry);
            ini.endsWithLineEnd = true;
        } else if (const size_t line = FindKey(ini, header, key); line != std::u16string::npos) {
            ini.lines[line] = entry;
        } else {
            // After the section's last entry, ahead of the blank lines that part it from the next.
            size_t at = SectionEnd(ini, header);
            while (at > header + 1 && Trim(ini.lines[at - 1]).empty()) --at;
            ini.lines.insert(ini.lines.begin() + static_cast<std::ptrdiff_t>(at), entry);
            if (at == ini.lines.size() - 1) ini.endsWithLineEnd = true;
        }
    }
    return Replace(path, Serialize(ini), exists ? (info.st_mode & 07777) : 0666);
}

}  // namespace

PLATFORM_API UINT GetPrivateProfileIntW(LPCWSTR section, LPCWSTR key, INT defaultValue, LPCWSTR fileName) {
    if (section == nullptr || key == nullptr) return static_cast<UINT>(defaultValue);
    const std::optional<std::u16string> value = LookUp(section, key, fileName);
    if (!value) return static_cast<UINT>(defaultValue);
    size_t i = 0;
    bool negative = false;
    if (i < value->size() && (value->at(i) == u'-' || value->at(i) == u'+')) negative = value->at(i++) == u'-';
    UINT result = 0;
    if (value->compare(i, 2, u"0x") == 0 || value->compare(i, 2, u"0X") == 0) {
        for (i += 2; i < value->size(); ++i) {
            const char16_t c = value->at(i);
            UINT digit = 0;
            if (c >= u'0' && c <= u'9') digit = c - u'0';
            else if (c >= u'a' && c <= u'f') digit = c - u'a' + 10;
            else if (c >= u'A' && c <= u'F') digit = c - u'A' + 10;
            else break;
            result = result * 16 + digit;
        }
    } else {
        for (; i < value->size() && value->at(i) >= u'0' && value->at(i) <= u'9'; ++i) result = result * 10 + (value->at(i) - u'0');
    }
    return negative ? 0u - result : result;
}

PLATFORM_API DWORD GetPrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue, LPWSTR buffer,
                                            DWORD cchBuffer, LPCWSTR fileName) {
    if (buffer == nullptr || cchBuffer == 0) return 0;
    if (section == nullptr || key == nullptr) {
        // Listings: the section names, or the key names of one section.
        DWORD error = ERROR_SUCCESS;
        const std::optional<IniText> ini = Load(fileName, &error);
        std::vector<std::u16string> names;
        if (!ini) {
            SetLastError(error);
        } else if (section == nullptr) {
            for (const std::u16string& text : ini->lines)
                if (const IniLine line = Classify(text); line.kind == IniLine::Section) names.push_back(line.name);
        } else if (const size_t header = FindSection(*ini, section); header != std::u16string::npos) {
            for (size_t i = header + 1; i < SectionEnd(*ini, header); ++i)
                if (const IniLine line = Classify(ini->lines[i]); line.kind == IniLine::Key) names.push_back(line.name);
        }
        return CopyList(names, buffer, cchBuffer);
    }
    const std::optional<std::u16string> value = LookUp(section, key, fileName);
    if (value) return CopyValue(*value, buffer, cchBuffer);
    std::u16string fallback = defaultValue != nullptr ? std::u16string(defaultValue) : std::u16string();
    while (!fallback.empty() && fallback.back() == u' ') fallback.pop_back();  // as the platform does
    return CopyValue(fallback, buffer, cchBuffer);
}

PLATFORM_API BOOL WritePrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR value, LPCWSTR fileName) {
    if (section == nullptr) {
        // All NULL asks to flush a cache; there is none, every write reaches the file.
        if (key == nullptr && value == nullptr) return TRUE;
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const DWORD error = Write(section, key, value, fileName);
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}

#include "platform/src/core/RegistryStore.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>

#include "platform/StandIn.h"
#include "platform/src/core/PathMap.h"

// The file is text, one record a line:
//   KVREG 1
//   K <hive> <last write, FILETIME as decimal> =<escaped path below the hive>
//   V =<escaped value name> <type> <data as hex>
// Names are UTF-8 with every byte outside '!'..'~', and '%' and '\', written "%XX"; the
// path's components are joined by '\'. Values follow their key. Lines that do not read are
// skipped, never trusted.
namespace standin::registry {
namespace {

constexpr size_t kMaxFileBytes = 64 * 1024 * 1024;

struct Version {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    struct timespec modified {};
    struct timespec changed {};
    bool operator==(const Version& other) const {
        return exists == other.exists && device == other.device && inode == other.inode && size == other.size &&
               modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec &&
               changed.tv_sec == other.changed.tv_sec && changed.tv_nsec == other.changed.tv_nsec;
    }
};

Version VersionOf(const struct stat& info) {
    return Version{true, info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
}

struct State {
    std::mutex lock;
    std::string root;  // the stand-in root the tree was loaded for
    Version loaded;
    std::unique_ptr<Tree> tree = std::make_unique<Tree>();
};

State& Global() {
    static State* state = new State();  // never destroyed: keys may be closed at exit
    return *state;
}

std::atomic<unsigned> tempCounter{0};

std::string FilePath(const std::string& root) { return root + "/.registry"; }

std::string Escape(std::u16string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : paths::ToUtf8(text)) {
        if (c > ' ' && c <= '~' && c != '%' && c != '\\') {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back('%');
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 0xF]);
        }
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::optional<std::u16string> Unescape(std::string_view text) {
    std::string bytes;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            bytes.push_back(text[i]);
            continue;
        }
        if (i + 2 >= text.size()) return std::nullopt;
        const int high = HexDigit(text[i + 1]);
        const int low = HexDigit(text[i + 2]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes.push_back(static_cast<char>(high * 16 + low));
        i += 2;
    }
    return paths::FromUtf8(bytes);
}

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    while (start <= line.size()) {
        size_t end = line.find(' ', start);
        if (end == std::string_view::npos) end = line.size();
        fields.push_back(line.substr(start, end - start));
        start = end + 1;
    }
    return fields;
}

bool ParseNumber(std::string_view text, std::uint64_t* value) {
    if (text.empty() || text.size() > 20) return false;
    std::uint64_t result = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        const std::uint64_t digit = static_cast<std::uint64_t>(c - '0');
        if (result > (UINT64_MAX - digit) / 10) return false;
        result = result * 10 + digit;
    }
    *value = result;
    return true;
}

void ParseInto(std::string_view text, Tree* tree) {
    Key* current = nullptr;
    size_t start = 0;
    bool first = true;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (first) {
            first = false;
            if (line != "KVREG 1") return;  // not ours, or a later format: read nothing
            continue;
        }
        const std::vector<std::string_view> fields = Fields(line);
        if (fields.size() == 4 && fields[0] == "K" && fields[3].starts_with('=')) {
            std::uint64_t hive = 0, ticks = 0;
            current = nullptr;
            if (!ParseNumber(fields[1], &hive) || hive >= kHiveCount || !ParseNumber(fields[2], &ticks)) continue;
            Key* key = &tree->hives[hive];
            const std::string_view path = fields[3].substr(1);
            bool valid = true;
            for (size_t at = 0; valid && at < path.size();) {
                size_t stop = path.find('\\', at);
                if (stop == std::string_view::npos) stop = path.size();
                const std::optional<std::u16string> name = Unescape(path.substr(at, stop - at));
                if (!name || name->empty()) {
                    valid = false;
                    break;
                }
                bool created = false;
                key = key->AddSubKey(*name, FILETIME{}, &created);
                at = stop + 1;
            }
            if (!valid) continue;
            key->lastWrite = FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
            current = key;
        } else if (fields.size() == 4 && fields[0] == "V" && fields[1].starts_with('=') && current != nullptr) {
            std::uint64_t type = 0;
            const std::optional<std::u16string> name = Unescape(fields[1].substr(1));
            if (!name || !ParseNumber(fields[2], &type) || type > 0xFFFFFFFFu || fields[3].size() % 2 != 0) continue;
            Value value{*name, static_cast<DWORD>(type), {}};
            bool valid = true;
            for (size_t i = 0; i < fields[3].size(); i += 2) {
                const int high = HexDigit(fields[3][i]);
                const int low = HexDigit(fields[3][i + 1]);
                if (high < 0 || low < 0) {
                    valid = false;
                    break;
                }
                value.data.push_back(static_cast<BYTE>(high * 16 + low));
            }
            if (!valid || current->FindValue(value.name) != nullptr) continue;
            current->values.push_back(std::move(value));
        }
    }
}

void WriteKey(const Key& key, int hive, const std::string& path, std::string* out) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    const std::uint64_t ticks = (static_cast<std::uint64_t>(key.lastWrite.dwHighDateTime) << 32) | key.lastWrite.dwLowDateTime;
    *out += "K " + std::to_string(hive) + " " + std::to_string(ticks) + " =" + path + "\n";
    for (const Value& value : key.values) {
        *out += "V =" + Escape(value.name) + " " + std::to_string(value.type) + " ";
        for (BYTE b : value.data) {
            out->push_back(kHex[b >> 4]);
            out->push_back(kHex[b & 0xF]);
        }
        out->push_back('\n');
    }
    for (const auto& sub : key.subKeys) WriteKey(*sub, hive, path.empty() ? Escape(sub->name) : path + "\\" + Escape(sub->name), out);
}

// Brings the tree up to date with the file (caller holds the process lock).
void Refresh(State& s) {
    const std::string root = standin::Root();
    if (root != s.root) {
        s.root = root;
        s.loaded = Version{};
        s.tree = std::make_unique<Tree>();
    }
    // One stat tells whether the file is still the one loaded, or still missing: a read
    // that finds nothing changed costs no open, also when there is no file at all. Another
    // process replaces the file whole, so a change always shows in the stat.
    const std::string path = FilePath(root);
    struct stat info {};
    const bool present = stat(path.c_str(), &info) == 0;
    if (present ? VersionOf(info) == s.loaded : !s.loaded.exists) return;
    const int fd = present ? open(path.c_str(), O_RDONLY | O_CLOEXEC) : -1;
    if (fd < 0) {
        if (s.loaded.exists) s.tree = std::make_unique<Tree>();  // the file went: so did its keys
        s.loaded = Version{};
        return;
    }
    if (fstat(fd, &info) != 0 || VersionOf(info) == s.loaded) {
        close(fd);
        return;
    }
    std::string bytes;
    if (static_cast<std::uint64_t>(info.st_size) <= kMaxFileBytes) {
        char chunk[16384];
        for (;;) {
            const ssize_t got = read(fd, chunk, sizeof chunk);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0 || bytes.size() > kMaxFileBytes) break;
            bytes.append(chunk, static_cast<size_t>(got));
        }
    }
    close(fd);
    auto tree = std::make_unique<Tree>();
    ParseInto(bytes, tree.get());
    s.tree = std::move(tree);
    s.loaded = VersionOf(info);
}

bool Save(State& s) {
    std::string text = "KVREG 1\n";
    for (int hive = 0; hive < kHiveCount; ++hive) WriteKey(s.tree->hives[hive], hive, std::string(), &text);
    const std::string path = FilePath(s.root);
    const std::string temp = path + ".new-" + std::to_string(getpid()) + "-" + std::to_string(tempCounter.fetch_add(1));
    const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t put = write(fd, text.data() + done, text.size() - done);
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) break;
        done += static_cast<size_t>(put);
    }
    struct stat info {};
    const bool written = done == text.size() && fstat(fd, &info) == 0;
    close(fd);
    if (!written || rename(temp.c_str(), path.c_str()) != 0) {
        unlink(temp.c_str());
        return false;
    }
    // What we wrote is what we hold; the change time moved with the rename, so ask again.
    if (stat(path.c_str(), &info) == 0) s.loaded = VersionOf(info);
    return true;
}

}  // namespace

Key* Key::FindSubKey(std::u16string_view wanted) const {
    for (const auto& sub : subKeys)
        if (paths::EqualNoCase(sub->name, wanted)) return sub.get();
    return nullptr;
}

Key* Key::AddSubKey(std::u16string_view wanted, const FILETIME& now, bool* created) {
    if (Key* existing = FindSubKey(wanted)) {
        *created = false;
        return existing;
    }
    auto key = std::make_unique<Key>();
    key->name = std::u16string(wanted);
    key->lastWrite = now;
    auto place = std::lower_bound(subKeys.begin(), subKeys.end(), wanted,
                                  [](const std::unique_ptr<Key>& k, std::u16string_view n) { return paths::LessNoCase(k->name, n); });
    *created = true;
    return subKeys.insert(place, std::move(key))->get();
}

Value* Key::FindValue(std::u16string_view wanted) {
    for (Value& value : values)
        if (paths::EqualNoCase(value.name, wanted)) return &value;
    return nullptr;
}

Key* Tree::Find(Hive hive, const std::vector<std::u16string>& path) {
    Key* key = &hives[hive];
    for (const std::u16string& name : path) {
        key = key->FindSubKey(name);
        if (key == nullptr) return nullptr;
    }
    return key;
}

LONG Read(const std::function<LONG(Tree&)>& read) {
    State& s = Global();
    std::lock_guard<std::mutex> guard(s.lock);
    Refresh(s);
    return read(*s.tree);
}

LONG Change(const std::function<LONG(Tree&, bool* changed)>& change) {
    State& s = Global();
    std::lock_guard<std::mutex> guard(s.lock);
    const std::string root = standin::Root();
    const int lockFd = open((root + "/.registry.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (lockFd < 0 || flock(lockFd, LOCK_EX) != 0) {
        if (lockFd >= 0) close(lockFd);
        return static_cast<LONG>(ERROR_CANTWRITE);
    }
    Refresh(s);
    bool changed = false;
    LONG result = change(*s.tree, &changed);
    if (result == static_cast<LONG>(ERROR_SUCCESS) && changed && !Save(s)) {
        // Keep memory and file in step: drop the unsaved change.
        s.tree = std::make_unique<Tree>();
        s.loaded = Version{};
        Refresh(s);
        result = static_cast<LONG>(ERROR_CANTWRITE);
    }
    close(lockFd);
    return result;
}

}  // namespace standin::registry

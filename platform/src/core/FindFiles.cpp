// Listing a folder by a pattern. The listing is taken whole at FindFirstFileW, so files
// made or removed while a caller walks it do not disturb the walk.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include "platform/Files.h"
#include "platform/Kernel.h"
#include "platform/src/core/FileObjects.h"
#include "platform/src/core/Handles.h"
#include "platform/src/core/PathMap.h"

namespace {

namespace paths = standin::paths;

class FindObject : public standin::handles::Object {
public:
    explicit FindObject(std::vector<WIN32_FIND_DATAW> items) : items_(std::move(items)) {}

    /// The next record, false at the end.
    bool Next(WIN32_FIND_DATAW* data) {
        std::lock_guard<std::mutex> guard(lock_);
        if (next_ >= items_.size()) return false;
        *data = items_[next_++];
        return true;
    }

private:
    std::mutex lock_;
    std::vector<WIN32_FIND_DATAW> items_;
    size_t next_ = 0;
};

// '*' matches any run, '?' one character; letters compare folded.
bool Matches(std::u16string_view pattern, std::u16string_view name) {
    size_t p = 0, n = 0, starP = std::u16string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == u'?' || paths::FoldCase(pattern[p]) == paths::FoldCase(name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::u16string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*') ++p;
    return p == pattern.size();
}

// A name without a dot also matches as "name.", so "*.*" lists every name and "*." those
// without an extension, as on the platform.
bool MatchesName(const std::u16string& pattern, const std::u16string& name) {
    if (Matches(pattern, name)) return true;
    return name.find(u'.') == std::u16string::npos && Matches(pattern, name + u".");
}

bool FillRecord(const std::string& folder, const std::string& entry, WIN32_FIND_DATAW* data) {
    const std::u16string name = paths::FromUtf8(entry);
    if (name.size() >= MAX_PATH) return false;  // cannot be reported in cFileName
    const std::string full = folder + "/" + entry;
    struct stat info {};
    if (stat(full.c_str(), &info) != 0) return false;
    *data = WIN32_FIND_DATAW{};
    data->dwFileAttributes = standin::files::AttributesOf(info);
    standin::files::TimesOf(AT_FDCWD, full.c_str(), &data->ftCreationTime, &data->ftLastAccessTime,
                            &data->ftLastWriteTime);
    if (!S_ISDIR(info.st_mode)) {
        const std::uint64_t size = static_cast<std::uint64_t>(info.st_size);
        data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
        data->nFileSizeLow = static_cast<DWORD>(size);
    }
    name.copy(data->cFileName, name.size());
    data->cFileName[name.size()] = u'\0';
    return true;
}

HANDLE Fail(DWORD error) {
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

}  // namespace

PLATFORM_API HANDLE FindFirstFileW(LPCWSTR pattern, WIN32_FIND_DATAW* data) {
    std::u16string text;
    if (!paths::WideArg(pattern, &text) || data == nullptr) return Fail(ERROR_INVALID_PARAMETER);
    if (text.empty() || text.back() == u'\\' || text.back() == u'/') return Fail(ERROR_FILE_NOT_FOUND);
    const paths::Resolved resolved = paths::Resolve(text, true);
    if (resolved.error != ERROR_SUCCESS) return Fail(resolved.error);
    if (resolved.isRoot) return Fail(ERROR_FILE_NOT_FOUND);
    if (!resolved.parentExists) return Fail(ERROR_PATH_NOT_FOUND);

    DIR* dir = opendir(resolved.parent.c_str());
    if (dir == nullptr) return Fail(ERROR_PATH_NOT_FOUND);
    std::vector<std::pair<std::u16string, std::string>> names;
    while (const dirent* entry = readdir(dir)) {
        const std::string entryName = entry->d_name;
        // A drive or share root has no "." and ".." entries on the platform.
        if ((entryName == "." || entryName == "..") && resolved.parentIsRoot) continue;
        const std::u16string wide = paths::FromUtf8(entryName);
        if (MatchesName(resolved.lastPattern, wide)) names.emplace_back(wide, entryName);
    }
    closedir(dir);
    std::sort(names.begin(), names.end(), [](const auto& a, const auto& b) {
        if (paths::EqualNoCase(a.first, b.first)) return a.second < b.second;
        return paths::LessNoCase(a.first, b.first);
    });

    std::vector<WIN32_FIND_DATAW> items;
    for (const auto& name : names) {
        WIN32_FIND_DATAW record;
        if (FillRecord(resolved.parent, name.second, &record)) items.push_back(record);
    }
    if (items.empty()) return Fail(ERROR_FILE_NOT_FOUND);
    auto find = std::make_shared<FindObject>(std::move(items));
    find->Next(data);
    return standin::handles::Insert(std::move(find));
}

PLATFORM_API BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW* data) {
    const std::shared_ptr<FindObject> object = standin::handles::LookupAs<FindObject>(find);
    if (object == nullptr || data == nullptr) {
        SetLastError(object == nullptr ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!object->Next(data)) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    return TRUE;
}

PLATFORM_API BOOL FindClose(HANDLE find) {
    if (standin::handles::LookupAs<FindObject>(find) == nullptr || !standin::handles::Remove(find)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

// The cache file beside the data file, the two-call image fetch that uses it, and
// whole-file mapping.
#include <cstring>

#include "platform/Files.h"
#include "platform/Kernel.h"
#include "platform/Owners.h"
#include "settings/ModelCache.h"
#include "settings/ModelCompiler.h"

namespace {

constexpr size_t kCachePathChars = 264;

// Closes a file handle on every path out.

HANDLE OpenForReading(LPCWSTR path) {
    return CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Fresh only when both times can be read and the cache is not older than the data file.
bool IsCacheFresh(LPCWSTR dataFilePath, LPCWSTR cachePath) {
    const FileHandle data(OpenForReading(dataFilePath));
    if (!data.Valid()) return false;
    const FileHandle cache(OpenForReading(cachePath));
    if (!cache.Valid()) return false;
    FILETIME dataTime{};
    FILETIME cacheTime{};
    if (!GetFileTime(data.Get(), nullptr, nullptr, &dataTime)) return false;
    if (!GetFileTime(cache.Get(), nullptr, nullptr, &cacheTime)) return false;
    return CompareFileTime(&cacheTime, &dataTime) >= 0;
}

}  // namespace

BOOL MakeModelCachePath(LPCWSTR dataFilePath, LPWSTR out, size_t cchOut) {
    if (dataFilePath == nullptr || out == nullptr || cchOut == 0) return FALSE;
    // The last "." anywhere in the path, directory names included, as existing caches are
    // named that way.
    size_t length = 0;
    size_t keep = 0;
    bool dot = false;
    for (; dataFilePath[length] != u'\0'; ++length) {
        if (dataFilePath[length] == u'.') {
            keep = length + 1;
            dot = true;
        }
    }
    static constexpr WCHAR kDotExtension[] = u".VMC";
    const WCHAR* extension = dot ? kDotExtension + 1 : kDotExtension;
    if (!dot) keep = length;
    const size_t cchExtension = dot ? 3 : 4;
    if (keep + cchExtension + 1 > cchOut) {
        out[0] = u'\0';
        return FALSE;
    }
    std::memcpy(out, dataFilePath, keep * sizeof(WCHAR));
    std::memcpy(out + keep, extension, (cchExtension + 1) * sizeof(WCHAR));
    return TRUE;
}

BOOL MapWholeFile(LPCWSTR path, const BYTE** view, const BYTE** cursor, DWORD* cbFile) {
    if (path == nullptr || view == nullptr || cursor == nullptr) return FALSE;
    const FileHandle file(OpenForReading(path));
    if (!file.Valid()) return FALSE;
    if (cbFile != nullptr) {
        const DWORD size = GetFileSize(file.Get(), nullptr);
        if (size == INVALID_FILE_SIZE) return FALSE;
        *cbFile = size;
    }
    const FileHandle mapping(CreateFileMappingW(file.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping.Valid()) return FALSE;
    // The view outlives both handles; the caller unmaps it.
    const void* mapped = MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, 0);
    if (mapped == nullptr) return FALSE;
    *view = static_cast<const BYTE*>(mapped);
    *cursor = *view;
    return TRUE;
}

ModelDescription* LoadModelCache(LPCWSTR dataFilePath, int* status) {
    if (status != nullptr) *status = 0;
    WCHAR cachePath[kCachePathChars];
    if (!MakeModelCachePath(dataFilePath, cachePath, kCachePathChars)) return nullptr;
    if (!IsCacheFresh(dataFilePath, cachePath)) return nullptr;

    const BYTE* view = nullptr;
    const BYTE* cursor = nullptr;
    DWORD cbCache = 0;
    if (!MapWholeFile(cachePath, &view, &cursor, &cbCache)) return nullptr;
    // Checked after the copy: another process may rewrite the file while it is mapped.
    auto* image = static_cast<ModelDescription*>(GlobalAlloc(GPTR, cbCache));
    if (image != nullptr) {
        std::memcpy(image, view, cbCache);
        if (!IsModelImageConsistent(reinterpret_cast<const BYTE*>(image), cbCache)) {
            GlobalFree(image);
            image = nullptr;
        }
    }
    UnmapViewOfFile(view);
    if (image != nullptr && status != nullptr) *status = 1;
    return image;
}

void WriteModelCache(LPCWSTR dataFilePath, const ModelDescription* image) {
    if (image == nullptr) return;
    WCHAR cachePath[kCachePathChars];
    if (!MakeModelCachePath(dataFilePath, cachePath, kCachePathChars)) return;
    const FileHandle cache(
        CreateFileW(cachePath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!cache.Valid()) return;
    // A failed or short write is left for the next load's checks to reject.
    DWORD written = 0;
    WriteFile(cache.Get(), image, image->TotalSize, &written, nullptr);
}

int GetModelDescriptionImage(LPCWSTR dataFilePath, BYTE* buffer, DWORD cbBuffer, DWORD* cbImage) {
    if (cbImage != nullptr) *cbImage = 0;
    if (dataFilePath == nullptr) return 0;
    int status = 0;
    ModelDescription* image = LoadModelCache(dataFilePath, &status);
    if (image == nullptr) {
        image = CompileModelDescription(dataFilePath);
        if (image == nullptr) return 0;
        WriteModelCache(dataFilePath, image);
    }
    const DWORD size = image->TotalSize;
    int result = 0;
    if (buffer != nullptr && cbBuffer == size) {
        std::memcpy(buffer, image, size);
        result = 1;
    }
    if (cbImage != nullptr) *cbImage = size;
    GlobalFree(image);
    return result;
}

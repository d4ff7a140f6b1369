// Resources of loaded modules: the table reader and the platform's resource functions.
#include <algorithm>
#include <cstring>
#include <new>
#include <optional>
#include <tuple>

#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/src/core/ModuleRegistry.h"
#include "platform/src/ResourceReader.h"
#include "platform/src/core/StandInState.h"

namespace standin::resources {
namespace {

bool EntryLess(const ResourceEntry& a, const ResourceEntry& b) {
    return std::tie(a.Type, a.Id, a.Language) < std::tie(b.Type, b.Id, b.Language);
}

}  // namespace

Table Table::Parse(const BYTE* bytes, size_t cb) {
    Table table;
    // Data handed out as UTF-16 text must be aligned; the compiler aligns its tables.
    if (bytes == nullptr || cb < sizeof(ResourceTableHeader) || reinterpret_cast<uintptr_t>(bytes) % 4 != 0)
        return table;
    ResourceTableHeader header{};
    std::memcpy(&header, bytes, sizeof header);
    if (header.Magic != kResourceTableMagic) return table;
    if (header.Count > (cb - sizeof header) / sizeof(ResourceEntry)) return table;
    const size_t dataStart = sizeof header + size_t{header.Count} * sizeof(ResourceEntry);

    std::vector<ResourceEntry> entries(header.Count);
    for (size_t i = 0; i < entries.size(); ++i) {
        ResourceEntry& e = entries[i];
        std::memcpy(&e, bytes + sizeof header + i * sizeof(ResourceEntry), sizeof e);
        const bool idsValid = e.Type != 0 && e.Type <= 0xFFFF && e.Id != 0 && e.Id <= 0xFFFF;
        const bool dataInside = e.Offset % 4 == 0 && e.Offset >= dataStart && e.Offset <= cb && e.Size <= cb - e.Offset;
        // Strictly ascending: sorted for the lookups and free of duplicates.
        const bool ordered = i == 0 || EntryLess(entries[i - 1], e);
        if (!idsValid || !dataInside || !ordered) return table;
    }
    table.bytes_ = bytes;
    table.entries_ = std::move(entries);
    table.valid_ = true;
    return table;
}

std::span<const ResourceEntry> Table::Find(DWORD type, DWORD id) const {
    const auto key = [](const ResourceEntry& e) { return std::make_pair(e.Type, e.Id); };
    const auto first = std::lower_bound(entries_.begin(), entries_.end(), std::make_pair(type, id),
                                        [&](const ResourceEntry& e, const auto& k) { return key(e) < k; });
    auto last = first;
    while (last != entries_.end() && key(*last) == std::make_pair(type, id)) ++last;
    return {entries_.data() + (first - entries_.begin()), static_cast<size_t>(last - first)};
}

bool Table::HasType(DWORD type) const {
    const auto it = std::lower_bound(entries_.begin(), entries_.end(), type,
                                     [](const ResourceEntry& e, DWORD t) { return e.Type < t; });
    return it != entries_.end() && it->Type == type;
}

bool Table::Owns(const ResourceEntry* entry) const {
    for (const ResourceEntry& e : entries_)
        if (&e == entry) return true;
    return false;
}

const ResourceEntry* ChooseLanguage(std::span<const ResourceEntry> candidates, LANGID userLanguage) {
    if (candidates.empty()) return nullptr;
    const auto first = [&](auto&& accept) -> const ResourceEntry* {
        for (const ResourceEntry& e : candidates)
            if (accept(static_cast<LANGID>(e.Language))) return &e;
        return nullptr;
    };
    if (const ResourceEntry* e = first([&](LANGID l) { return l == userLanguage; })) return e;
    if (const ResourceEntry* e = first([&](LANGID l) { return PRIMARYLANGID(l) == PRIMARYLANGID(userLanguage); }))
        return e;
    if (const ResourceEntry* e = first([](LANGID l) { return PRIMARYLANGID(l) == LANG_NEUTRAL; })) return e;
    if (const ResourceEntry* e = first([](LANGID l) { return l == 0x409; })) return e;
    return &candidates.front();
}

bool StringInBlock(const BYTE* block, DWORD cbBlock, unsigned index, const WCHAR** text, size_t* cch) {
    size_t pos = 0;
    for (unsigned i = 0; i < 16; ++i) {
        if (cbBlock - pos < sizeof(WORD)) return false;
        WORD length = 0;
        std::memcpy(&length, block + pos, sizeof length);
        pos += sizeof length;
        if (size_t{length} * sizeof(WCHAR) > cbBlock - pos) return false;
        if (i == index) {
            *text = reinterpret_cast<const WCHAR*>(block + pos);
            *cch = length;
            return true;
        }
        pos += size_t{length} * sizeof(WCHAR);
    }
    return false;
}

}  // namespace standin::resources

namespace {

using standin::resources::Table;

constexpr DWORD kStringType = 6;  // RT_STRING

// An integer id: MAKEINTRESOURCEW or the "#123" spelling of one.
std::optional<DWORD> ResourceId(LPCWSTR name) {
    if (name == nullptr) return std::nullopt;
    if (IS_INTRESOURCE(name)) return LOWORD(reinterpret_cast<ULONG_PTR>(name));
    if (name[0] != u'#' || name[1] == u'\0') return std::nullopt;
    DWORD value = 0;
    for (LPCWSTR p = name + 1; *p != u'\0'; ++p) {
        if (*p < u'0' || *p > u'9') return std::nullopt;
        value = value * 10 + static_cast<DWORD>(*p - u'0');
        if (value > 0xFFFF) return std::nullopt;
    }
    return value;
}

// The entry for one resource, language chosen (language 0) or exact; nullptr with the
// error the platform reports.
const ResourceEntry* Lookup(HMODULE module, LPCWSTR type, LPCWSTR name, LANGID language, DWORD* error) {
    const Table* table = standin::modules::TableOf(module);
    if (table == nullptr) {
        *error = ERROR_INVALID_HANDLE;
        return nullptr;
    }
    if (table->Entries().empty()) {
        *error = ERROR_RESOURCE_DATA_NOT_FOUND;
        return nullptr;
    }
    const std::optional<DWORD> typeId = ResourceId(type);
    if (!typeId || !table->HasType(*typeId)) {
        *error = ERROR_RESOURCE_TYPE_NOT_FOUND;
        return nullptr;
    }
    const std::optional<DWORD> nameId = ResourceId(name);
    const auto candidates = nameId ? table->Find(*typeId, *nameId) : std::span<const ResourceEntry>();
    if (candidates.empty()) {
        *error = ERROR_RESOURCE_NAME_NOT_FOUND;
        return nullptr;
    }
    if (language == 0) return standin::resources::ChooseLanguage(candidates, standin::state::UserDefaultLanguage());
    for (const ResourceEntry& e : candidates)
        if (e.Language == language) return &e;
    *error = ERROR_RESOURCE_LANG_NOT_FOUND;
    return nullptr;
}

HRSRC AsHandle(const ResourceEntry* entry) {
    return reinterpret_cast<HRSRC>(const_cast<ResourceEntry*>(entry));
}

}  // namespace

PLATFORM_API HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type) {
    return FindResourceExW(module, type, name, 0);
}

PLATFORM_API HRSRC FindResourceExW(HMODULE module, LPCWSTR type, LPCWSTR name, LANGID language) {
    DWORD error = ERROR_SUCCESS;
    const ResourceEntry* entry = Lookup(module, type, name, language, &error);
    if (entry == nullptr) SetLastError(error);
    return AsHandle(entry);
}

PLATFORM_API HGLOBAL LoadResource(HMODULE module, HRSRC resource) {
    const Table* table = standin::modules::TableOf(module);
    const auto* entry = reinterpret_cast<const ResourceEntry*>(resource);
    if (table == nullptr || !table->Owns(entry)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return const_cast<BYTE*>(table->Data(*entry));
}

PLATFORM_API LPVOID LockResource(HGLOBAL resource) { return resource; }

PLATFORM_API DWORD SizeofResource(HMODULE module, HRSRC resource) {
    const Table* table = standin::modules::TableOf(module);
    const auto* entry = reinterpret_cast<const ResourceEntry*>(resource);
    if (table == nullptr || !table->Owns(entry)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return entry->Size;
}

PLATFORM_API int LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int cchBuffer) {
    if (buffer == nullptr || cchBuffer < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    DWORD error = ERROR_RESOURCE_NAME_NOT_FOUND;
    const WCHAR* text = nullptr;
    size_t cch = 0;
    const Table* table = standin::modules::TableOf(instance);
    const ResourceEntry* block =
        id > 0xFFFF ? nullptr : Lookup(instance, MAKEINTRESOURCEW(kStringType), MAKEINTRESOURCEW(id / 16 + 1), 0, &error);
    if (block == nullptr || !standin::resources::StringInBlock(table->Data(*block), block->Size, id % 16, &text, &cch) ||
        cch == 0) {
        if (error != ERROR_INVALID_HANDLE) error = ERROR_RESOURCE_NAME_NOT_FOUND;
        if (cchBuffer > 0) buffer[0] = u'\0';
        SetLastError(error);
        return 0;
    }
    if (cchBuffer == 0) {
        *reinterpret_cast<const WCHAR**>(buffer) = text;
        return static_cast<int>(cch);
    }
    const size_t copied = std::min(cch, static_cast<size_t>(cchBuffer) - 1);
    std::memcpy(buffer, text, copied * sizeof(WCHAR));
    buffer[copied] = u'\0';
    return static_cast<int>(copied);
}

PLATFORM_API BOOL EnumResourceLanguagesW(HMODULE module, LPCWSTR type, LPCWSTR name, ENUMRESLANGPROCW proc,
                                         LONG_PTR param) {
    if (proc == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DWORD error = ERROR_SUCCESS;
    const ResourceEntry* chosen = Lookup(module, type, name, 0, &error);
    if (chosen == nullptr) {
        SetLastError(error);
        return FALSE;
    }
    // Languages taken first: the callback may free the module.
    std::vector<WORD> languages;
    try {
        for (const ResourceEntry& e : standin::modules::TableOf(module)->Find(chosen->Type, chosen->Id))
            languages.push_back(e.Language);
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    for (WORD language : languages) {
        if (!proc(module, type, name, language, param)) {
            SetLastError(ERROR_RESOURCE_ENUM_USER_STOP);
            return FALSE;
        }
    }
    return TRUE;
}

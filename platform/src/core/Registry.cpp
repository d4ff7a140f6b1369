// Registry calls over the shared store. An opened key is a handle of its own that remembers
// its hive, path and rights; a key removed meanwhile (by any process) reads as deleted.
#include <algorithm>
#include <map>
#include <mutex>
#include <optional>

#include "platform/Kernel.h"
#include "platform/Registry.h"
#include "platform/StandIn.h"
#include "platform/src/core/FileObjects.h"
#include "platform/src/core/PathMap.h"
#include "platform/src/core/RegistryStore.h"

namespace {

namespace paths = standin::paths;
using standin::registry::Hive;
using standin::registry::Key;
using standin::registry::Tree;
using standin::registry::Value;

constexpr DWORD kGenericRead = 0x80000000u;
constexpr DWORD kGenericWrite = 0x40000000u;
constexpr DWORD kGenericAll = 0x10000000u;
constexpr DWORD kMaximumAllowed = 0x02000000u;
constexpr DWORD kAllKeyRights = KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY;

struct OpenKey {
    Hive hive;
    std::vector<std::u16string> path;  // names as stored
    DWORD rights;
};

struct KeyTable {
    std::mutex lock;
    std::map<UINT_PTR, OpenKey> keys;
    UINT_PTR next = 0x10000;
};

KeyTable& Keys() {
    static KeyTable* table = new KeyTable();  // never destroyed: keys may be closed at exit
    return *table;
}

LONG Result(DWORD error) { return static_cast<LONG>(error); }

DWORD RightsOf(DWORD access) {
    DWORD rights = access & kAllKeyRights;
    if ((access & kGenericRead) != 0) rights |= KEY_READ & kAllKeyRights;
    if ((access & kGenericWrite) != 0) rights |= KEY_WRITE & kAllKeyRights;
    if ((access & (kGenericAll | kMaximumAllowed)) != 0) rights |= kAllKeyRights;
    return rights;
}

std::optional<Hive> Predefined(HKEY key) {
    if (key == HKEY_CLASSES_ROOT) return standin::registry::kClassesRoot;
    if (key == HKEY_CURRENT_USER) return standin::registry::kCurrentUser;
    if (key == HKEY_LOCAL_MACHINE) return standin::registry::kLocalMachine;
    if (key == HKEY_USERS) return standin::registry::kUsers;
    return std::nullopt;
}

// The hive, path and rights behind a key handle; false for an unknown handle.
bool Lookup(HKEY key, OpenKey* out) {
    if (const std::optional<Hive> hive = Predefined(key)) {
        *out = OpenKey{*hive, {}, kAllKeyRights};
        return true;
    }
    std::lock_guard<std::mutex> guard(Keys().lock);
    auto it = Keys().keys.find(reinterpret_cast<UINT_PTR>(key));
    if (it == Keys().keys.end()) return false;
    *out = it->second;
    return true;
}

HKEY NewHandle(OpenKey key) {
    std::lock_guard<std::mutex> guard(Keys().lock);
    const UINT_PTR value = Keys().next;
    Keys().next += 4;
    Keys().keys.emplace(value, std::move(key));
    return reinterpret_cast<HKEY>(value);
}

// Splits "a\b\" into its names; empty names (a trailing or doubled "\") are dropped.
std::vector<std::u16string> SplitPath(LPCWSTR subKey) {
    std::vector<std::u16string> names;
    if (subKey == nullptr) return names;
    const std::u16string text = subKey;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(u'\\', start);
        if (end == std::u16string::npos) end = text.size();
        if (end > start) names.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

FILETIME Now() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return now;
}

// Copies `bytes` by the two-call rule: no buffer gives the size, a short one ERROR_MORE_DATA.
LONG CopyData(const std::vector<BYTE>& bytes, LPBYTE data, LPDWORD cbData) {
    if (data != nullptr && cbData == nullptr) return Result(ERROR_INVALID_PARAMETER);
    if (cbData == nullptr) return Result(ERROR_SUCCESS);
    const DWORD size = static_cast<DWORD>(bytes.size());
    if (data == nullptr) {
        *cbData = size;
        return Result(ERROR_SUCCESS);
    }
    if (*cbData < size) {
        *cbData = size;
        return Result(ERROR_MORE_DATA);
    }
    std::copy(bytes.begin(), bytes.end(), data);
    *cbData = size;
    return Result(ERROR_SUCCESS);
}

// The name by the enumeration rule: cch counts the terminator going in, not coming out.
LONG CopyName(const std::u16string& name, LPWSTR buffer, LPDWORD cchBuffer) {
    if (buffer == nullptr || cchBuffer == nullptr) return Result(ERROR_INVALID_PARAMETER);
    if (*cchBuffer <= name.size()) return Result(ERROR_MORE_DATA);
    name.copy(buffer, name.size());
    buffer[name.size()] = u'\0';
    *cchBuffer = static_cast<DWORD>(name.size());
    return Result(ERROR_SUCCESS);
}

// The key behind an open key inside a store call: ERROR_KEY_DELETED when another caller
// removed it, ERROR_ACCESS_DENIED when the handle lacks the right.
LONG Reach(Tree& tree, const OpenKey& open, DWORD right, Key** key) {
    if ((open.rights & right) != right) return Result(ERROR_ACCESS_DENIED);
    *key = tree.Find(open.hive, open.path);
    return *key == nullptr ? Result(ERROR_KEY_DELETED) : Result(ERROR_SUCCESS);
}

LONG OpenKeyW(HKEY key, const std::vector<std::u16string>& names, DWORD access, PHKEY result) {
    if (result == nullptr) return Result(ERROR_INVALID_PARAMETER);
    *result = nullptr;
    DWORD injected = 0;
    if (standin::files::Injected(standin::Fault::RegistryOpen, ERROR_ACCESS_DENIED, &injected)) return Result(injected);
    OpenKey parent;
    if (!Lookup(key, &parent)) return Result(ERROR_INVALID_HANDLE);
    OpenKey opened{parent.hive, {}, RightsOf(access)};
    const LONG status = standin::registry::Read([&](Tree& tree) {
        Key* at = tree.Find(parent.hive, parent.path);
        if (at == nullptr) return Result(ERROR_KEY_DELETED);
        opened.path = parent.path;
        for (const std::u16string& name : names) {
            at = at->FindSubKey(name);
            if (at == nullptr) return Result(ERROR_FILE_NOT_FOUND);
            opened.path.push_back(at->name);
        }
        return Result(ERROR_SUCCESS);
    });
    if (status == Result(ERROR_SUCCESS)) *result = NewHandle(std::move(opened));
    return status;
}

LONG QueryValue(HKEY key, const std::u16string& name, LPDWORD type, std::vector<BYTE>* bytes) {
    OpenKey open;
    if (!Lookup(key, &open)) return Result(ERROR_INVALID_HANDLE);
    return standin::registry::Read([&](Tree& tree) {
        Key* at = nullptr;
        if (const LONG status = Reach(tree, open, KEY_QUERY_VALUE, &at); status != Result(ERROR_SUCCESS)) return status;
        const Value* value = at->FindValue(name);
        if (value == nullptr) return Result(ERROR_FILE_NOT_FOUND);
        if (type != nullptr) *type = value->type;
        *bytes = value->data;
        return Result(ERROR_SUCCESS);
    });
}

bool IsString(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

}  // namespace

PLATFORM_API LONG RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD, DWORD access, PHKEY result) {
    return OpenKeyW(key, SplitPath(subKey), access, result);
}

PLATFORM_API LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, DWORD access, PHKEY result) {
    std::u16string wide;
    if (subKey != nullptr && !paths::AnsiArg(subKey, &wide)) return Result(ERROR_INVALID_PARAMETER);
    return OpenKeyW(key, SplitPath(subKey != nullptr ? wide.c_str() : nullptr), access, result);
}

// The class name is not kept: nothing reads it back.
PLATFORM_API LONG RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD, LPWSTR, DWORD, DWORD access, LPVOID, PHKEY result,
                                  LPDWORD disposition) {
    if (result == nullptr) return Result(ERROR_INVALID_PARAMETER);
    *result = nullptr;
    OpenKey parent;
    if (!Lookup(key, &parent)) return Result(ERROR_INVALID_HANDLE);
    const std::vector<std::u16string> names = SplitPath(subKey);
    OpenKey opened{parent.hive, parent.path, RightsOf(access)};
    bool createdLast = false;
    const LONG status = standin::registry::Change([&](Tree& tree, bool* changed) {
        Key* at = tree.Find(parent.hive, parent.path);
        if (at == nullptr) return Result(ERROR_KEY_DELETED);
        const FILETIME now = Now();
        for (const std::u16string& name : names) {
            Key* next = at->FindSubKey(name);
            if (next == nullptr) {
                if ((parent.rights & KEY_CREATE_SUB_KEY) == 0) return Result(ERROR_ACCESS_DENIED);
                next = at->AddSubKey(name, now, &createdLast);
                at->lastWrite = now;
                *changed = true;
            } else {
                createdLast = false;
            }
            opened.path.push_back(next->name);
            at = next;
        }
        return Result(ERROR_SUCCESS);
    });
    if (status != Result(ERROR_SUCCESS)) return status;
    if (disposition != nullptr) *disposition = createdLast ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *result = NewHandle(std::move(opened));
    return status;
}

PLATFORM_API LONG RegQueryValueExW(HKEY key, LPCWSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD cbData) {
    if (data != nullptr && cbData == nullptr) return Result(ERROR_INVALID_PARAMETER);
    std::vector<BYTE> bytes;
    const LONG status = QueryValue(key, name != nullptr ? std::u16string(name) : std::u16string(), type, &bytes);
    if (status != Result(ERROR_SUCCESS)) return status;
    return CopyData(bytes, data, cbData);
}

// String data comes back in the ANSI code page, its size counted in bytes of that form.
PLATFORM_API LONG RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD cbData) {
    if (data != nullptr && cbData == nullptr) return Result(ERROR_INVALID_PARAMETER);
    std::u16string wideName;
    if (name != nullptr && !paths::AnsiArg(name, &wideName)) return Result(ERROR_INVALID_PARAMETER);
    DWORD storedType = REG_NONE;
    std::vector<BYTE> bytes;
    const LONG status = QueryValue(key, wideName, &storedType, &bytes);
    if (status != Result(ERROR_SUCCESS)) return status;
    if (type != nullptr) *type = storedType;
    if (IsString(storedType) && bytes.size() >= 2) {
        std::u16string text(bytes.size() / 2, u'\0');
        for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        const int cb = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
        std::vector<BYTE> ansi(cb > 0 ? static_cast<size_t>(cb) : 0);
        if (cb > 0)
            WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), reinterpret_cast<LPSTR>(ansi.data()), cb,
                                nullptr, nullptr);
        bytes = std::move(ansi);
    }
    return CopyData(bytes, data, cbData);
}

PLATFORM_API LONG RegSetValueExW(HKEY key, LPCWSTR name, DWORD, DWORD type, const BYTE* data, DWORD cbData) {
    if (data == nullptr && cbData > 0) return Result(ERROR_INVALID_PARAMETER);
    OpenKey open;
    if (!Lookup(key, &open)) return Result(ERROR_INVALID_HANDLE);
    const std::u16string valueName = name != nullptr ? std::u16string(name) : std::u16string();
    return standin::registry::Change([&](Tree& tree, bool* changed) {
        Key* at = nullptr;
        if (const LONG status = Reach(tree, open, KEY_SET_VALUE, &at); status != Result(ERROR_SUCCESS)) return status;
        std::vector<BYTE> bytes(data, data + cbData);
        if (Value* value = at->FindValue(valueName)) {
            value->type = type;
            value->data = std::move(bytes);
        } else {
            at->values.push_back(Value{valueName, type, std::move(bytes)});
        }
        at->lastWrite = Now();
        *changed = true;
        return Result(ERROR_SUCCESS);
    });
}

PLATFORM_API LONG RegDeleteValueW(HKEY key, LPCWSTR name) {
    OpenKey open;
    if (!Lookup(key, &open)) return Result(ERROR_INVALID_HANDLE);
    const std::u16string valueName = name != nullptr ? std::u16string(name) : std::u16string();
    return standin::registry::Change([&](Tree& tree, bool* changed) {
        Key* at = nullptr;
        if (const LONG status = Reach(tree, open, KEY_SET_VALUE, &at); status != Result(ERROR_SUCCESS)) return status;
        for (auto it = at->values.begin(); it != at->values.end(); ++it) {
            if (paths::EqualNoCase(it->name, valueName)) {
                at->values.erase(it);
                at->lastWrite = Now();
                *changed = true;
                return Result(ERROR_SUCCESS);
            }
        }
        return Result(ERROR_FILE_NOT_FOUND);
    });
}

PLATFORM_API LONG RegDeleteKeyW(HKEY key, LPCWSTR subKey) {
    if (subKey == nullptr) return Result(ERROR_INVALID_PARAMETER);
    OpenKey open;
    if (!Lookup(key, &open)) return Result(ERROR_INVALID_HANDLE);
    std::vector<std::u16string> path = open.path;
    for (std::u16string& name : SplitPath(subKey)) path.push_back(std::move(name));
    if (path.empty()) return Result(ERROR_ACCESS_DENIED);  // a hive itself
    return standin::registry::Change([&](Tree& tree, bool* changed) {
        if (tree.Find(open.hive, open.path) == nullptr) return Result(ERROR_KEY_DELETED);
        const std::u16string last = path.back();
        path.pop_back();
        Key* parent = tree.Find(open.hive, path);
        Key* doomed = parent != nullptr ? parent->FindSubKey(last) : nullptr;
        if (doomed == nullptr) return Result(ERROR_FILE_NOT_FOUND);
        if (!doomed->subKeys.empty()) return Result(ERROR_ACCESS_DENIED);
        for (auto it = parent->subKeys.begin(); it != parent->subKeys.end(); ++it) {
            if (it->get() == doomed) {
                parent->subKeys.erase(it);
                break;
            }
        }
        parent->lastWrite = Now();
        *changed = true;
        return Result(ERROR_SUCCESS);
    });
}

PLATFORM_API LONG RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD cchName, LPDWORD, LPWSTR className,
                                LPDWORD cchClass, LPFILETIME lastWrite) {
    if (name == nullptr || cchName == nullptr) return Result(ERROR_INVALID_PARAMETER);
    OpenKey open;
    if (!Lookup(key, &open)) return Result(ERROR_INVALID_HANDLE);
    return standin::registry::Read([&](Tree& tree) {
        Key* at = nullptr;
        if (const LONG status = Reach(tree, open, KEY_ENUMERATE_SUB_KEYS, &at); status != Result(ERROR_SUCCESS)) return status;
        if (index >= at->subKeys.size()) return Result(ERROR_NO_MORE_ITEMS);
        const Key& sub = *at->subKeys[index];
        if (const LONG status = CopyName(sub.name, name, cchName); status != Result(ERROR_SUCCESS)) return status;
        if (className != nullptr && cchClass != nullptr && *cchClass > 0) className[0] = u'\0';
        if (cchClass != nullptr) *cchClass = 0;
        if (lastWrite != nullptr) *lastWrite = sub.lastWrite;
        return Result(ERROR_SUCCESS);
    });
}

PLATFORM_API LONG RegEnumValueW(HKEY key, DWORD index, LPWSTR name, LPDWORD cchName, LPDWORD, LPDWORD type, LPBYTE data,
                                LPDWORD cbData) {
    if (name == nullptr || cchName == nullptr || (data != nullptr && cbData == nullptr)) return Result(ERROR_INVALID_PARAMETER);
    OpenKey open;
    if (!Lookup(key, &open)) return Result(ERROR_INVALID_HANDLE);
    return standin::registry::Read([&](Tree& tree) {
        Key* at = nullptr;
        if (const LONG status = Reach(tree, open, KEY_QUERY_VALUE, &at); status != Result(ERROR_SUCCESS)) return status;
        if (index >= at->values.size()) return Result(ERROR_NO_MORE_ITEMS);
        const Value& value = at->values[index];
        if (const LONG status = CopyName(value.name, name, cchName); status != Result(ERROR_SUCCESS)) return status;
        if (type != nullptr) *type = value.type;
        return CopyData(value.data, data, cbData);
    });
}

PLATFORM_API LONG RegCloseKey(HKEY key) {
    if (Predefined(key)) return Result(ERROR_SUCCESS);
    std::lock_guard<std::mutex> guard(Keys().lock);
    return Keys().keys.erase(reinterpret_cast<UINT_PTR>(key)) == 1 ? Result(ERROR_SUCCESS) : Result(ERROR_INVALID_HANDLE);
}

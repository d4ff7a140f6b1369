// The window sets' language and their language libraries.
#include "psw/Language.h"

#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "psw/PswLog.h"
#include "psw/RegistrySettings.h"
#include "platform/Kernel.h"
#include "platform/Locale.h"
#include "platform/Modules.h"
#include "platform/Registry.h"

// Lookup order: the first row of a primary language serves it (Chinese: the simplified one).
const SubLangRow SubLang[10] = {
    {kPrimaryEnglish, kLangEnglish},
    {kPrimaryFrench, kLangFrench},
    {kPrimaryItalian, kLangItalian},
    {kPrimaryGerman, kLangGerman},
    {kPrimarySpanish, kLangSpanish},
    {kPrimaryChinese, kLangChineseSimplified},
    {kPrimaryChinese, kLangChineseTraditional},
    {kPrimaryKorean, kLangKorean},
    {kPrimaryJapanese, kLangJapanese},
    {0, 0},
};

namespace {

constexpr LANGID kDefaultLanguage = kLangEnglish;
constexpr LANGID kFallbackLanguage = kLangJapanese;

// When ntdll's version resource names only the default language: the languages these code
// pages stand for.
struct CodePageLanguage {
    UINT codePage;
    LANGID language;
};
constexpr CodePageLanguage kCodePageLanguages[] = {
    {874, 1054},   // Thai
    {1255, 1037},  // Hebrew
    {1256, 1025},  // Arabic (Saudi Arabia)
};

// The language libraries that window sets hold, one entry per reference. The platform's
// loader counts the module itself; this list answers "which library serves LANGID x" while
// at least one window set of that language lives, whatever other sets load or release.
struct HeldLibrary {
    LANGID language;
    HMODULE module;
};
std::mutex heldLock;  // guards Held(): any set's window thread adds, removes and looks up entries
std::vector<HeldLibrary>& Held() {
    static std::vector<HeldLibrary> held;
    return held;
}

HMODULE LibraryFor(LANGID language) {
    std::lock_guard<std::mutex> guard(heldLock);
    const auto& held = Held();
    for (auto it = held.rbegin(); it != held.rend(); ++it) {
        if (it->language == language) return it->module;
    }
    return nullptr;
}

// The language the process would show without a registry choice.
struct LangDefaults {
    LANGID defaultLanguage;
    LANGID uiLanguage;
    LANGID systemLanguage;
};

BOOL EnumResLangProc(HMODULE, LPCWSTR, LPCWSTR name, WORD language, LONG_PTR param) {
    if (name == nullptr) return FALSE;
    if (language != kDefaultLanguage) *reinterpret_cast<LANGID*>(param) = language;
    return TRUE;
}

BOOL GetLanguageNtdll(LANGID* out) {
    HMODULE ntdll = LoadLibraryW(u"ntdll.dll");
    if (!ntdll) return FALSE;
    LANGID language = kDefaultLanguage;
    EnumResourceLanguagesW(ntdll, RT_VERSION, MAKEINTRESOURCEW(1), EnumResLangProc,
                           reinterpret_cast<LONG_PTR>(&language));
    FreeLibrary(ntdll);
    if (language == kDefaultLanguage) {
        const UINT codePage = GetACP();
        for (const CodePageLanguage& row : kCodePageLanguages) {
            if (row.codePage == codePage) language = row.language;
        }
    }
    *out = language;
    return TRUE;
}

BOOL GetLanguageKernel32GetUserDefaultUILanguage(LANGID* out) {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (!kernel) {
        LogPrint(kLogError, "GetModuleHandleA() failed\n");
        return FALSE;
    }
    using UiLanguageProc = LANGID (*)();
    auto proc = reinterpret_cast<UiLanguageProc>(reinterpret_cast<void (*)()>(GetProcAddress(kernel, "GetUserDefaultUILanguage")));
    if (!proc) {
        LogPrint(kLogError, "GetUserDefaultUILanguage() failed\n");
        return FALSE;
    }
    *out = proc();
    return TRUE;
}

BOOL LangInit(LangDefaults* d, LANGID defaultLanguage) {
    *d = LangDefaults{defaultLanguage, defaultLanguage, defaultLanguage};
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    if (!GetVersionExW(&version)) {
        LogPrint(kLogError, "GetOSVersionEx() failed\n");
        return FALSE;
    }
    const bool oldNt = version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion < 5;
    const BOOL found = oldNt ? GetLanguageNtdll(&d->uiLanguage) : GetLanguageKernel32GetUserDefaultUILanguage(&d->uiLanguage);
    if (!found) d->uiLanguage = GetSystemDefaultLangID();
    d->systemLanguage = GetSystemDefaultLangID();
    return TRUE;
}

}  // namespace

DWORD GetOSIndex(const OSVERSIONINFOW* v) {
    if (v->dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && v->dwMajorVersion == 4) {
        if (v->dwMinorVersion == 10) return kOs95;
        if (v->dwMinorVersion == 90) return kOs98Me;
        return kOsUnknown;
    }
    if (v->dwPlatformId == VER_PLATFORM_WIN32_NT) {
        if (v->dwMajorVersion == 4 && v->dwMinorVersion == 0) return kOsNt4;
        if (v->dwMajorVersion == 5 && v->dwMinorVersion == 0) return kOs2000;
        if (v->dwMajorVersion == 5 && v->dwMinorVersion == 1) return kOsXp;
        if (v->dwMajorVersion > 5) return kOsLater;
    }
    return kOsUnknown;
}

LANGID SubLangOf(LANGID language) {
    for (const SubLangRow* row = SubLang; row->primary != 0; ++row) {
        if (row->primary == PRIMARYLANGID(language)) return row->language;
    }
    return 0;
}

LANGID GetLanguageID(DWORD osIndex) {
    LangDefaults d{};
    LangInit(&d, kDefaultLanguage);
    LANGID candidate = d.systemLanguage;
    if (osIndex >= kOs2000) {
        candidate = d.uiLanguage;
    } else if (d.uiLanguage != d.systemLanguage && d.uiLanguage == d.defaultLanguage) {
        candidate = d.uiLanguage;
    }
    const LANGID mapped = SubLangOf(candidate);
    return mapped != 0 ? mapped : kDefaultLanguage;
}

BOOL GetResourceDllHandle(PSWDATA* record, LPCSTR driverName) {
    WCHAR driver[64] = {};
    if (MultiByteToWideChar(CP_ACP, 0, driverName, -1, driver, 64) == 0) return FALSE;
    const std::u16string machineKey = std::u16string(kPswRootKey) + u"\\Printers\\" + driver;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, machineKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        LogPrint(kLogError, "RegOpenKeyEx() failed\n");
        return FALSE;
    }
    WCHAR folder[MAX_PATH] = {};
    const BOOL read = QueryRegString(key, u"DIRPATH", folder, MAX_PATH);
    RegCloseKey(key);
    if (!read) {
        LogPrint(kLogError, "RegQueryValueEx() failed\n");
        return FALSE;
    }
    // The library's name must fit behind the folder in one path.
    char name[16];
    snprintf(name, sizeof(name), "QW774%03X.DLL", static_cast<unsigned>(record->language));
    std::u16string path(folder);
    for (const char* p = name; *p; ++p) path += static_cast<char16_t>(*p);
    if (path.size() >= MAX_PATH) {
        LogPrint(kLogError, "LoadLibrary() failed\n");
        return FALSE;
    }
    HMODULE module = LoadLibraryW(path.c_str());
    if (!module) {
        LogPrint(kLogError, "LoadLibrary() failed\n");
        return FALSE;
    }
    ReleaseResourceDll(record);
    {
        std::lock_guard<std::mutex> guard(heldLock);
        Held().push_back(HeldLibrary{record->language, module});
    }
    record->languageModule = module;
    return TRUE;
}

void ReleaseResourceDll(PSWDATA* record) {
    if (!record || !record->languageModule) return;
    {
        std::lock_guard<std::mutex> guard(heldLock);
        auto& held = Held();
        for (auto it = held.rbegin(); it != held.rend(); ++it) {
            if (it->module == record->languageModule) {
                held.erase(std::next(it).base());
                break;
            }
        }
    }
    FreeLibrary(record->languageModule);
    record->languageModule = nullptr;
}

BOOL GetLangID(PSWDATA* record) {
    const DWORD osIndex = GetOSIndex(&record->osVersion);
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPswRootKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        LogPrint(kLogError, "RegOpenKeyEx() failed\n");
        return FALSE;
    }
    DWORD stored = 0;
    const BOOL present = QueryRegDword(key, u"LangID", &stored);
    RegCloseKey(key);
    LANGID language = 0;
    if (!present) {
        language = GetLanguageID(osIndex);
    } else {
        language = static_cast<LANGID>(stored);
        if (language != kLangChineseSimplified && language != kLangChineseTraditional) {
            const LANGID mapped = SubLangOf(language);
            if (mapped != 0) language = mapped;
        }
    }
    record->language = language;
    if (!GetPrinterDriverName(record, record->printerName)) {
        LogPrint(kLogError, "GetPrinterDriverName() failed\n");
        return FALSE;
    }
    if (GetResourceDllHandle(record, record->driverName)) return TRUE;
    record->language = kFallbackLanguage;
    if (GetResourceDllHandle(record, record->driverName)) return TRUE;
    LogPrint(kLogError, "GetResourceDllHandle() failed\n");
    return FALSE;
}

int LoadStringEx(LANGID language, UINT id, LPWSTR buffer, DWORD cbBuffer) {
    if (buffer == nullptr) return 0;
    const DWORD cchBuffer = cbBuffer / sizeof(WCHAR);
    std::memset(buffer, 0, cbBuffer);
    if (cchBuffer == 0) return 0;
    HMODULE module = LibraryFor(language);
    if (!module) return 0;
    HRSRC block = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), language);
    if (!block) return 0;
    const auto* data = static_cast<const WCHAR*>(LockResource(LoadResource(module, block)));
    const DWORD cchBlock = SizeofResource(module, block) / sizeof(WCHAR);
    if (!data) return 0;
    // Sixteen counted strings; a count that runs past the block ends the walk.
    DWORD at = 0;
    for (UINT entry = 0; entry < id % 16; ++entry) {
        if (at >= cchBlock) return 0;
        at += 1 + data[at];
    }
    if (at >= cchBlock) return 0;
    DWORD length = data[at];
    if (length > cchBlock - at - 1) return 0;
    length = std::min(length, cchBuffer - 1);
    std::memcpy(buffer, data + at + 1, length * sizeof(WCHAR));
    buffer[length] = 0;
    return static_cast<int>(length);
}

const void* LoadDialog(HINSTANCE, UINT id, LANGID language) {
    HMODULE module = LibraryFor(language);
    HRSRC found = module ? FindResourceExW(module, RT_DIALOG, MAKEINTRESOURCEW(id), language) : nullptr;
    if (!found) {
        LogPrint(kLogError, "FindResourceEx() failed\n");
        return nullptr;
    }
    return LockResource(LoadResource(module, found));
}

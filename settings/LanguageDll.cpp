// The driver's language library, named after the driver file and the user's locale.
#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/Spooler.h"
#include "settings/SpoolerQueries.h"

namespace {

constexpr size_t kStemChars = 5;  // characters of the driver file's name kept in the library's

}  // namespace

bool BuildLanguageDllName(LPCWSTR driverPath, LCID locale, LPWSTR out, size_t cchOut) {
    if (out == nullptr || cchOut == 0) return false;
    out[0] = u'\0';
    if (driverPath == nullptr) return false;
    const size_t length = static_cast<size_t>(lstrlenW(driverPath));
    size_t lastSeparator = length;
    for (size_t i = 0; i < length; ++i) {
        if (driverPath[i] == u'\\') lastSeparator = i;
    }
    if (lastSeparator == length || length - lastSeparator - 1 < kStemChars) return false;

    const LPCWSTR suffix = locale == kLocaleJapanese ? u"sj.dll" : u"se.dll";
    const size_t keep = lastSeparator + 1 + kStemChars;
    const size_t suffixChars = static_cast<size_t>(lstrlenW(suffix));
    if (keep + suffixChars + 1 > cchOut) return false;
    for (size_t i = 0; i < keep; ++i) out[i] = driverPath[i];
    for (size_t i = 0; i <= suffixChars; ++i) out[keep + i] = suffix[i];
    return true;
}

HMODULE LoadLanguageDll(HANDLE printer) {
    BYTE* info = GetDriverInfo(printer, 2);
    if (info == nullptr) return nullptr;
    WCHAR name[MAX_PATH];
    const bool named =
        BuildLanguageDllName(reinterpret_cast<const DRIVER_INFO_2W*>(info)->pDriverPath, GetUserLocale(), name, MAX_PATH);
    GlobalFree(info);
    return named ? LoadLibraryW(name) : nullptr;
}

void FreeLanguageDll(HMODULE module) {
    if (module != nullptr) FreeLibrary(module);
}

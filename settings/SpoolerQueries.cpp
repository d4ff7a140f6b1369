// Spooler records by the two-call pattern, the user's locale and the raw-only attribute.
#include "settings/SpoolerQueries.h"

#include "platform/Kernel.h"
#include "platform/Owners.h"
#include "platform/Registry.h"
#include "platform/Spooler.h"

namespace {

// One call shape for both records: buffer NULL and size 0 measures, then the same call packs.
template <typename Query>
BYTE* FetchRecord(Query query) {
    DWORD cbNeeded = 0;
    if (query(nullptr, 0, &cbNeeded) || GetLastError() != ERROR_INSUFFICIENT_BUFFER || cbNeeded == 0) {
        return nullptr;
    }
    const DWORD cbBlock = cbNeeded;
    auto* block = static_cast<BYTE*>(GlobalAlloc(GPTR, cbBlock));
    if (block == nullptr) return nullptr;
    if (!query(block, cbBlock, &cbNeeded)) {
        GlobalFree(block);
        return nullptr;
    }
    return block;
}



// Hexadecimal digits up to the first other character, saturating like the C runtime's
// unsigned conversion so that a long value cannot wrap round to 0x411.
DWORD ParseHex(LPCWSTR text) {
    DWORD value = 0;
    for (; *text != u'\0'; ++text) {
        DWORD digit;
        if (*text >= u'0' && *text <= u'9') {
            digit = static_cast<DWORD>(*text - u'0');
        } else if (*text >= u'a' && *text <= u'f') {
            digit = static_cast<DWORD>(*text - u'a' + 10);
        } else if (*text >= u'A' && *text <= u'F') {
            digit = static_cast<DWORD>(*text - u'A' + 10);
        } else {
            break;
        }
        if (value > 0x0FFFFFFFu) return 0xFFFFFFFFu;
        value = (value << 4) | digit;
    }
    return value;
}

bool IsNtVersion5OrLater() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    if (!GetVersionExW(&info)) return false;
    return info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion >= 5;
}

}  // namespace

BYTE* GetPrinterInfo(HANDLE printer, DWORD level) {
    return FetchRecord([&](BYTE* buffer, DWORD cbBuffer, DWORD* cbNeeded) {
        return GetPrinterW(printer, level, buffer, cbBuffer, cbNeeded) != FALSE;
    });
}

BYTE* GetDriverInfo(HANDLE printer, DWORD level) {
    return FetchRecord([&](BYTE* buffer, DWORD cbBuffer, DWORD* cbNeeded) {
        return GetPrinterDriverW(printer, nullptr, level, buffer, cbBuffer, cbNeeded) != FALSE;
    });
}

LCID GetUserLocale() {
    RegistryKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, u"Control Panel\\International", 0, KEY_READ, key.Out()) != ERROR_SUCCESS) {
        return kLocaleJapanese;
    }
    // 64 bytes of value and room for a terminator that the stored value may lack.
    WCHAR text[33] = {};
    DWORD cbText = 64;
    DWORD type = 0;
    if (RegQueryValueExW(key.Get(), u"Locale", nullptr, &type, reinterpret_cast<BYTE*>(text), &cbText) !=
        ERROR_SUCCESS) {
        return kLocaleJapanese;
    }
    text[cbText / sizeof(WCHAR) < 32 ? cbText / sizeof(WCHAR) : 32] = u'\0';
    return ParseHex(text) == 0x411 ? kLocaleJapanese : kLocaleEnglish;
}

int QueryRawOnlyAttribute(LPCWSTR printerName) {
    if (printerName == nullptr || printerName[0] == u'\0' || !IsNtVersion5OrLater()) return 0;
    PrinterHandle printer;
    if (!OpenPrinterW(const_cast<LPWSTR>(printerName), printer.Out(), nullptr)) return 0;
    BYTE* info = GetPrinterInfo(printer.Get(), 2);
    if (info == nullptr) return 0;
    const DWORD attributes = reinterpret_cast<const PRINTER_INFO_2W*>(info)->Attributes;
    GlobalFree(info);
    return (attributes & PRINTER_ATTRIBUTE_RAW_ONLY) != 0 ? 1 : 2;
}

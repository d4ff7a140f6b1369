#include "psw/DialogText.h"

#include "platform/User.h"
#include "platform/WinGdi.h"

void SetDialogFont(HWND hwnd, const PSWDATA* d) {
    if (d->osVersion.dwPlatformId == VER_PLATFORM_WIN32_NT && d->osVersion.dwMajorVersion > 4) {
        return;
    }
    EnumChildWindows(
        hwnd,
        [](HWND child, LPARAM) -> BOOL {
            SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
            return TRUE;
        },
        0);
}

BOOL CreateShortString(HDC dc, int maxWidth, LPCWSTR text, LPCWSTR suffix, LPWSTR out, int cchOut) {
    if (maxWidth <= 0 || text == nullptr || out == nullptr || cchOut <= 0) {
        return FALSE;
    }
    out[0] = u'\0';
    const int len = lstrlenW(text);
    if (len == 0) {
        return TRUE;
    }
    SIZE extent{};
    GetTextExtentPoint32W(dc, text, len, &extent);
    if (extent.cx <= maxWidth) {
        lstrcpynW(out, text, cchOut);
        return TRUE;
    }
    const int suffixLen = suffix != nullptr ? lstrlenW(suffix) : 0;
    SIZE suffixExtent{};
    GetTextExtentPoint32W(dc, suffix != nullptr ? suffix : u"", suffixLen, &suffixExtent);
    if (suffixExtent.cx > maxWidth) {
        return FALSE;
    }
    int keep = 0;
    for (LPCWSTR p = text; *p != u'\0';) {
        LPCWSTR next = CharNextW(p);
        const int candidate = static_cast<int>(next - text);
        SIZE part{};
        GetTextExtentPoint32W(dc, text, candidate, &part);
        if (part.cx + suffixExtent.cx >= maxWidth || candidate + suffixLen >= cchOut) {
            break;
        }
        keep = candidate;
        p = next;
    }
    lstrcpynW(out, text, keep + 1);
    if (suffix != nullptr) {
        lstrcpynW(out + keep, suffix, cchOut - keep);
    }
    return TRUE;
}

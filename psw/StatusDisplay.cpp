#include "psw/StatusDisplay.h"

#include <cstring>
#include <vector>

#include "psw/Language.h"
#include "psw/PswLog.h"
#include "psw/PswModule.h"
#include "platform/Modules.h"
#include "platform/Controls.h"
#include "platform/User.h"
#include "platform/WinGdi.h"

namespace {

constexpr int kStatusTextControl = 162;
constexpr int kPictureControl = 181;
constexpr int kTonerIconControl = 721;
constexpr int kTonerTextControl = 781;
constexpr DWORD kAbsent = 0xFFFFFFFFu;

struct PictureRow {
    WORD picture;
    WORD text;
    bool tonerCheck;
};

PictureRow PictureOf(WORD row) {
    if (row == 9) {
        return {10115, 1641, false};
    }
    if (row == 5 || row == 7 || row == 8 || (row >= 10 && row <= 28)) {
        return {10111, 1602, true};
    }
    return {10151, 1372, false};
}

/// ErrSupplies entry k (from 1); kAbsent when the count or the value does not hold it.
DWORD SuppliesEntry(const PSWDATA* d, DWORD k) {
    const PSWVariable& row = d->variables[kVarErrSupplies];
    if (PswValueDword(row, 0, 0) < k) {
        return kAbsent;
    }
    return PswValueDword(row, k * sizeof(DWORD), kAbsent);
}

bool SuppliesBit(const PSWDATA* d, DWORD k, DWORD bit) {
    const DWORD v = SuppliesEntry(d, k);
    return v != kAbsent && (v & bit) != 0;
}

HPALETTE g_palette = nullptr;

}  // namespace

UINT StatusTextId(const PSWDATA* d) {
    const WORD row = d->statusRow;
    const DWORD cover = PswValueDword(d->variables[kVarErrCoverOpen], 0, kAbsent);
    switch (row) {
    case kStatusRowOpcError: {
        constexpr struct { DWORD entry; UINT text; } kOrder[] = {{2, 1752}, {4, 1753}, {5, 1754}, {3, 1755}};
        for (const auto& o : kOrder) {
            if (SuppliesBit(d, o.entry, 0x4)) {
                return o.text;
            }
        }
        return 2062;
    }
    case kStatusRowStackerFailure:
        return cover != kAbsent && (cover & 0x1) != 0 ? 2025 : PswStatusTable()[row].stringId;
    case kStatusRowOpcDrumError:
        if (cover != kAbsent && (cover & 0x3) != 0) {
            return 2025;
        }
        return SuppliesBit(d, 1, 0x1) ? 1756 : SuppliesBit(d, 2, 0x1) ? 1757 : 2014;
    case kStatusRowTrayFailureDeselected: {
        const DWORD load = PswValueDword(d->variables[kVarErrLoadPaper], 0, kAbsent);
        if (load == kAbsent) {
            return 0;
        }
        constexpr UINT kTexts[] = {1758, 1759, 1760, 1761};
        for (int bit = 0; bit < 4; ++bit) {
            if ((load & (1u << bit)) != 0) {
                return kTexts[bit];
            }
        }
        return 0;
    }
    default:
        return row < kPswStatusRows ? PswStatusTable()[row].stringId : PswStatusTable()[kPswLastStatusRow].stringId;
    }
}

BOOL SetPrinterStatus(PSWDATA* d, HWND baseDialog) {
    if (d == nullptr || baseDialog == nullptr) {
        return FALSE;
    }
    const UINT id = StatusTextId(d);
    if (id == 0) {
        return TRUE;
    }
    WCHAR text[256] = {};
    LoadStringEx(d->language, id, text, sizeof(text));
    SendDlgItemMessageW(baseDialog, kStatusTextControl, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    return TRUE;
}

TonerLine TonerLineOf(const PSWDATA* d) {
    const PictureRow row = PictureOf(d->statusRow);
    TonerLine line{row.picture, row.text, -1};
    if (row.tonerCheck) {
        const DWORD low = PswValueDword(d->variables[kVarCurrentStatus], offsetof(SRM_CURRENT_STATUS, dwLow));
        if ((low & 0x4000) != 0) {
            line = {10115, 1641, 0};
        } else if ((low & 0x2) != 0) {
            line = {10114, 1662, 1};
        }
    }
    if (line.icon < 0) {
        line.icon = line.text == 1641 ? 0 : line.text == 1662 ? 1 : -1;
    }
    return line;
}

BOOL SetTonerRemain(PSWDATA* d, HWND baseDialog) {
    if (d == nullptr || baseDialog == nullptr) {
        return FALSE;
    }
    const TonerLine line = TonerLineOf(d);
    if (line.text != d->shownTonerText) {
        d->shownTonerText = line.text;
        WCHAR text[64] = {};
        LoadStringEx(d->language, line.text, text, sizeof(text));
        SetDlgItemTextW(baseDialog, kTonerTextControl, text);
    }
    HICON icon = line.icon >= 0 ? d->statusIcons[line.icon] : nullptr;
    if (icon != d->shownTonerIcon) {
        d->shownTonerIcon = icon;
        SendDlgItemMessageW(baseDialog, kTonerIconControl, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    }
    if (line.picture != d->shownPicture) {
        d->shownPicture = line.picture;
        const HWND picture = GetDlgItem(baseDialog, kPictureControl);
        InvalidateRect(picture, nullptr, TRUE);
        UpdateWindow(picture);
    }
    return TRUE;
}

BOOL DrawBMP(HDC dc, UINT id, int x, int y) {
    const HMODULE module = PswModule();
    HRSRC res = FindResourceW(module, MAKEINTRESOURCEW(id), RT_BITMAP);
    if (res == nullptr) {
        LogPrint(kLogError, "[DrawBMP] FindResource() is failed. ResourceNo = %u\n", id);
        return FALSE;
    }
    HGLOBAL loaded = LoadResource(module, res);
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    const DWORD cb = SizeofResource(module, res);
    if (bytes == nullptr || cb < sizeof(BITMAPINFOHEADER)) {
        LogPrint(kLogError, "[DrawBMP] LockResource() is failed. ResourceNo = %u\n", id);
        return FALSE;
    }
    std::vector<BYTE> copy(static_cast<const BYTE*>(bytes), static_cast<const BYTE*>(bytes) + cb);
    BITMAPINFOHEADER header;
    std::memcpy(&header, copy.data(), sizeof(header));
    DWORD colours = header.biClrUsed;
    if (colours == 0 && header.biBitCount <= 8) {
        colours = 1u << header.biBitCount;
    }
    const SIZE_T bitsOffset = static_cast<SIZE_T>(header.biSize) + 4u * colours;
    if (header.biSize < sizeof(BITMAPINFOHEADER) || colours > 256 || bitsOffset >= cb ||
        header.biCompression != BI_RGB) {
        LogPrint(kLogError, "[DrawBMP] malformed bitmap. ResourceNo = %u\n", id);
        return FALSE;
    }
    HPALETTE oldPalette = nullptr;
    if (colours != 0 && (GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE) != 0) {
        if (g_palette == nullptr) {
            std::vector<BYTE> block(sizeof(LOGPALETTE) + colours * sizeof(PALETTEENTRY));
            auto* log = reinterpret_cast<LOGPALETTE*>(block.data());
            log->palVersion = 0x300;
            log->palNumEntries = static_cast<WORD>(colours);
            const BYTE* quads = copy.data() + header.biSize;
            for (DWORD i = 0; i < colours; ++i) {
                log->palPalEntry[i] = {quads[i * 4 + 2], quads[i * 4 + 1], quads[i * 4], 0};
            }
            g_palette = CreatePalette(log);
        }
        oldPalette = SelectPalette(dc, g_palette, FALSE);
        RealizePalette(dc);
    }
    const auto* info = reinterpret_cast<const BITMAPINFO*>(copy.data());
    HBITMAP bitmap = CreateDIBitmap(dc, &info->bmiHeader, CBM_INIT, copy.data() + bitsOffset, info, DIB_RGB_COLORS);
    if (bitmap != nullptr) {
        BITMAP bm{};
        GetObjectW(bitmap, sizeof(bm), &bm);
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(dc, x, y, bm.bmWidth, bm.bmHeight, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteDC(memory);
        DeleteObject(bitmap);
    }
    if (oldPalette != nullptr) {
        SelectPalette(dc, oldPalette, FALSE);
    }
    return bitmap != nullptr;
}

void ResetPicturePalette() {
    if (g_palette != nullptr) {
        DeleteObject(g_palette);
        g_palette = nullptr;
    }
}

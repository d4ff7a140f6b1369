#include "psw/StatusDisplay.h"

#include <cstring>
#include <iterator>
#include <vector>

#include "psw/Language.h"
#include "psw/PswLog.h"
#include "psw/PswModule.h"
#include "platform/Modules.h"
#include "platform/Controls.h"
#include "platform/User.h"
#include "platform/WinGdi.h"
#include "resources/psw/PswIds.h"

namespace {

constexpr DWORD kAbsent = 0xFFFFFFFFu;

// CurrentStatus low-word bits that change the toner line (the first is row 9's bit too).
constexpr DWORD kLowTonerOut = 0x4000u;
constexpr DWORD kLowTonerLow = 0x2u;

// ErrSupplies holds a count, then one word per supply from entry 1; bits of an entry.
constexpr DWORD kSupplyMissing = 0x1u;
constexpr DWORD kSupplyUsedUp = 0x4u;
// ErrCoverOpen bits of the covers that, open, explain a row better than the row's own text.
constexpr DWORD kStackerCovers = 0x1u;
constexpr DWORD kCleanerCovers = 0x3u;

// Texts that name which supply or which paper-loading step a row means.
struct SupplyText {
    DWORD entry;  // of ErrSupplies
    UINT text;
};
constexpr SupplyText kUsedUpTexts[] = {{2, kUsedUpWasteTonerText},
                                       {4, kUsedUpDeveloperText},
                                       {5, kUsedUpKitFText},
                                       {3, kUsedUpAirFilterText}};  // in the order asked
constexpr SupplyText kMissingTexts[] = {{1, kMissingCleanerBladeText}, {2, kMissingWasteTonerBottleText}};
// By ErrLoadPaper bit, from bit 0.
constexpr UINT kTrayLoadTexts[] = {kLoadTimedOutText, kLoadSetUpText, kLoadSwitchText, kLoadFoldText};

// The picture and toner text a status row starts from; the toner check may replace both.
struct PictureRow {
    WORD picture;
    WORD text;
    bool tonerCheck;
};

PictureRow PictureOf(WORD row) {
    if (row == kStatusRowTonerOut) {
        return {kPictureTonerOut, kTonerOutText, false};
    }
    if (row == kStatusRowCancelling || row == kStatusRowEngineAlarm || row == kStatusRowPaperJam ||
        (row >= kStatusRowOpcError && row <= kStatusRowReady)) {
        return {kPicturePrinter, kTonerText, true};
    }
    return {kPictureOff, kFrameText, false};
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

// The library-wide palette of the status pictures: made, selected and forgotten on the window
// thread only (every window set of the process runs on the host's one window thread); no lock.
HPALETTE g_palette = nullptr;

}  // namespace

UINT StatusTextId(const PSWDATA* d) {
    const WORD row = d->statusRow;
    const DWORD cover = PswValueDword(d->variables[kVarErrCoverOpen], 0, kAbsent);
    switch (row) {
    case kStatusRowOpcError:
        for (const SupplyText& usedUp : kUsedUpTexts) {
            if (SuppliesBit(d, usedUp.entry, kSupplyUsedUp)) {
                return usedUp.text;
            }
        }
        return kStatusTextSupplyUsedUp;
    case kStatusRowStackerFailure:
        if (cover != kAbsent && (cover & kStackerCovers) != 0) {
            return kStatusTextCoverOpen;
        }
        return PswStatusTable()[row].stringId;
    case kStatusRowOpcDrumError:
        if (cover != kAbsent && (cover & kCleanerCovers) != 0) {
            return kStatusTextCoverOpen;
        }
        for (const SupplyText& missing : kMissingTexts) {
            if (SuppliesBit(d, missing.entry, kSupplyMissing)) {
                return missing.text;
            }
        }
        return kStatusTextCleanerMissing;
    case kStatusRowTrayFailureDeselected: {
        const DWORD load = PswValueDword(d->variables[kVarErrLoadPaper], 0, kAbsent);
        if (load == kAbsent) {
            return 0;
        }
        for (DWORD bit = 0; bit < std::size(kTrayLoadTexts); ++bit) {
            if ((load & (1u << bit)) != 0) {
                return kTrayLoadTexts[bit];
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
    SendDlgItemMessageW(baseDialog, kBaseStatusLabel, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    return TRUE;
}

TonerLine TonerLineOf(const PSWDATA* d) {
    const PictureRow row = PictureOf(d->statusRow);
    TonerLine line{row.picture, row.text, kStatusIconNone};
    if (row.tonerCheck) {
        const DWORD low = PswValueDword(d->variables[kVarCurrentStatus], offsetof(SRM_CURRENT_STATUS, dwLow));
        if ((low & kLowTonerOut) != 0) {
            line = {kPictureTonerOut, kTonerOutText, kStatusIconError};
        } else if ((low & kLowTonerLow) != 0) {
            line = {kPictureTonerLow, kTonerLowText, kStatusIconCaution};
        }
    }
    if (line.icon == kStatusIconNone) {
        line.icon = line.text == kTonerOutText   ? kStatusIconError
                    : line.text == kTonerLowText ? kStatusIconCaution
                                                 : kStatusIconNone;
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
        SetDlgItemTextW(baseDialog, kTonerLabel, text);
    }
    HICON icon = line.icon != kStatusIconNone ? d->statusIcons[line.icon] : nullptr;
    if (icon != d->shownTonerIcon) {
        d->shownTonerIcon = icon;
        SendDlgItemMessageW(baseDialog, kTonerIcon, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    }
    if (line.picture != d->shownPicture) {
        d->shownPicture = line.picture;
        const HWND picture = GetDlgItem(baseDialog, kBasePicture);
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

// The print-position dialogs' fields: numbers read from and written to the offset and scale
// edits in 0.1 mm, 0.01 inch or percent, the spaces left around the image, the units and
// the paper caption.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <string>

#include "platform/Controls.h"
#include "platform/Modules.h"
#include "platform/User.h"
#include "resources/ui/StringIds.h"
#include "ui/dialogs/PositionDialog.h"
#include "ui/pages/PropertyPages.h"
#include "ui/entry/UiContext.h"

namespace {

constexpr double kTenthMmToInch = 0.39370078740157477;  // 0.1 mm in 0.01 inch
constexpr double kInchToTenthMm = 2.54;
constexpr float kPercent = 0.01f;
constexpr int kEditChars = 64;
constexpr LONG kMaxDigitsValue = 999999999;  // read values saturate here
// The fixed N-up picture's spaces: 35.4 mm across and 14.3 mm down, less the offsets.
constexpr LONG kFixedNupSpanMm = 354;
constexpr LONG kFixedNupDropMm = 143;
constexpr double kFixedNupSpanInch = 139.37007874015748;
constexpr double kFixedNupDropInch = 56.29921259842519;

// Edits and spins of both sides, and the unit labels.
constexpr int kOffsetEdits[] = {kPositionTopEdit,     kPositionLeftEdit,     kPositionBelowText,     kPositionRightText,
                                kPositionBackTopEdit, kPositionBackLeftEdit, kPositionBackBelowText, kPositionBackRightText};
constexpr int kOffsetSpins[] = {kPositionTopSpin, kPositionLeftSpin, kPositionBackTopSpin, kPositionBackLeftSpin};
constexpr int kUnitLabels[] = {kPositionTopUnit,     kPositionLeftUnit,     kPositionBelowUnit,     kPositionRightUnit,
                               kPositionBackTopUnit, kPositionBackLeftUnit, kPositionBackBelowUnit, kPositionBackRightUnit};

bool Inches(const DriverDevMode* block) { return (block->FeatureFlags & kFeatureInches) != 0; }

LONG DivisorOf(const DriverDevMode* block) { return Inches(block) ? 100 : 10; }

std::u16string TextOf(HWND dialog, int id) {
    WCHAR text[kEditChars + 1] = {};
    GetDlgItemTextW(dialog, id, text, static_cast<int>(std::size(text)));
    return text;
}

void AppendNumber(std::u16string& out, unsigned long value, int minDigits) {
    char16_t digits[24];
    int count = 0;
    do {
        digits[count++] = static_cast<char16_t>(u'0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (int i = count; i < minDigits; ++i) out.push_back(u'0');
    while (count > 0) out.push_back(digits[--count]);
}

// Writes the text when it differs from the control's (or always), as the dialog's own change.
void WriteField(PositionDialogState* state, HWND dialog, int id, LPCWSTR text, bool always) {
    if (!always && TextOf(dialog, id) == std::u16string(text)) return;
    const bool before = state->updating;
    state->updating = true;
    SetDlgItemTextW(dialog, id, text);
    state->updating = before;
}

void WriteNumber(PositionDialogState* state, HWND dialog, int id, LONG value, LONG divisor, bool always) {
    WCHAR text[16];
    FormatPositionText(text, value, divisor);
    WriteField(state, dialog, id, text, always);
}

void SetSpin(PositionDialogState* state, HWND dialog, int spinId, LONG value) {
    const bool before = state->updating;
    state->updating = true;
    SendDlgItemMessageW(dialog, spinId, UDM_SETPOS32, 0, static_cast<LPARAM>(value));
    state->updating = before;
}

}  // namespace

double RoundingBias(double x) { return x >= 0 ? 0.5 : -0.5; }

LONG RoundAway(double x) {
    const double limited = std::fmax(std::fmin(x + RoundingBias(x), 2147483647.0), -2147483647.0);
    return static_cast<LONG>(limited);
}

LONG InchToTenthMm(LONG hundredthsInch) { return RoundAway(hundredthsInch * kInchToTenthMm); }

LONG TenthMmToInch(LONG tenthMm) { return RoundAway(tenthMm * kTenthMmToInch); }

void FormatPositionText(LPWSTR out, LONG value, LONG divisor) {
    std::u16string text;
    if (value < 0) text.push_back(u'-');
    const unsigned long magnitude = value < 0 ? 0ul - static_cast<unsigned long>(value) : static_cast<unsigned long>(value);
    if (divisor == 10 || divisor == 100) {
        AppendNumber(text, magnitude / static_cast<unsigned long>(divisor), 1);
        text.push_back(u'.');
        AppendNumber(text, magnitude % static_cast<unsigned long>(divisor), divisor == 10 ? 1 : 2);
    } else {
        AppendNumber(text, magnitude, 1);
    }
    text.copy(out, text.size());
    out[text.size()] = 0;
}

LONG ReadPositionEdit(PositionDialogState* state, HWND dialog, bool normalise, int editId, int spinId, bool* digits) {
    const DriverDevMode* block = PositionBlock(state);
    const bool scale = editId == kPositionScaleEdit;
    const int allowedDecimals = scale ? 0 : (Inches(block) ? 2 : 1);
    const std::u16string text = TextOf(dialog, editId);
    size_t at = 0;
    bool negative = false;
    bool changed = false;
    bool anyDigit = false;
    int64_t value = 0;
    if (scale && text == u"---") {
        at = text.size();
    } else if (scale && !text.empty() && text[0] == u'-') {
        changed = true;  // a scale is never negative: the whole text goes
    } else {
        if (at < text.size() && text[at] == u'-') {
            negative = true;
            ++at;
        }
        // Whole digits, then the point and the decimals the unit allows; cut at anything else.
        int decimals = 0;
        bool point = false;
        size_t end = at;
        for (; end < text.size(); ++end) {
            const char16_t c = text[end];
            if (c >= u'0' && c <= u'9') {
                if (point && decimals == allowedDecimals) break;
                if (point) ++decimals;
                value = std::min<int64_t>(value * 10 + (c - u'0'), kMaxDigitsValue);
                anyDigit = true;
            } else if (c == u'.' && !point && allowedDecimals > 0) {
                point = true;
            } else {
                break;
            }
        }
        if (end < text.size()) changed = true;
        for (int i = decimals; i < allowedDecimals; ++i) value = std::min<int64_t>(value * 10, kMaxDigitsValue);
        at = end;
    }
    if (digits != nullptr) *digits = anyDigit;
    const LONG divisor = scale ? 1 : DivisorOf(block);
    if (normalise) {
        if (!scale) value = std::min<int64_t>(value, Inches(block) ? kPositionLimitInch : kPositionLimitMm);
        WCHAR shown[16];
        FormatPositionText(shown, static_cast<LONG>(negative ? -value : value), divisor);
        WriteField(state, dialog, editId, shown, true);
    } else if (changed) {
        const std::u16string cut = text.substr(0, at);
        WriteField(state, dialog, editId, cut.c_str(), true);
        SendDlgItemMessageW(dialog, editId, EM_SETSEL, 100, 100);
    }
    const LONG result = static_cast<LONG>(negative ? -value : value);
    if (!scale && spinId != 0) SetSpin(state, dialog, spinId, result);
    return result;
}

double ScaledWidth(const PositionDialogState* state) {
    const DriverDevMode* block = &state->context->scratchBlock;
    const LONG printable = state->docWidth - state->docMargins[kLeft] - state->docMargins[kRight];
    return static_cast<double>(block->LayoutScale) * printable * static_cast<double>(kPercent);
}

double ScaledLength(const PositionDialogState* state) {
    const DriverDevMode* block = &state->context->scratchBlock;
    const LONG printable = state->docLength - state->docMargins[kTop] - state->docMargins[kBottom];
    return static_cast<double>(block->LayoutScale) * printable * static_cast<double>(kPercent);
}

void SetPositionLimits(PositionDialogState* state, HWND dialog) {
    const DriverDevMode* block = PositionBlock(state);
    const LONG limit = Inches(block) ? kPositionLimitInch : kPositionLimitMm;
    for (int id : kOffsetEdits) SendDlgItemMessageW(dialog, id, EM_LIMITTEXT, 7, 0);
    for (int id : kOffsetSpins) {
        SendDlgItemMessageW(dialog, id, UDM_SETRANGE32, static_cast<WPARAM>(-limit), static_cast<LPARAM>(limit));
    }
    SendDlgItemMessageW(dialog, kPositionScaleEdit, EM_LIMITTEXT, 3, 0);
    SendDlgItemMessageW(dialog, kPositionScaleSpin, UDM_SETRANGE32, 1, 999);
}

void ShowPositionFields(PositionDialogState* state, HWND dialog, bool all) {
    const DriverDevMode* block = PositionBlock(state);
    const bool inches = Inches(block);
    const LONG shift = LeftShiftApplies(block) ? kNupLeftShift : 0;
    const LONG top = block->TopMargin;
    const LONG left = block->LeftMargin - shift;
    LONG shownTop = inches ? TenthMmToInch(top) : top;
    LONG shownLeft = inches ? TenthMmToInch(left) : left;
    LONG below = 0;
    LONG right = 0;
    if (state->mode & kModeFixedNup) {
        below = inches ? RoundAway(kFixedNupDropInch - shownTop) : kFixedNupDropMm - top;
        right = inches ? RoundAway(kFixedNupSpanInch - shownLeft) : kFixedNupSpanMm - left;
    } else {
        const double belowTenthMm = state->outLength - top - ScaledLength(state);
        const double rightTenthMm = state->outWidth - block->LeftMargin - ScaledWidth(state) - shift;
        below = RoundAway(inches ? belowTenthMm * kTenthMmToInch : belowTenthMm);
        right = RoundAway(inches ? rightTenthMm * kTenthMmToInch : rightTenthMm);
    }
    const LONG divisor = DivisorOf(block);
    WriteNumber(state, dialog, kPositionTopEdit, shownTop, divisor, all);
    WriteNumber(state, dialog, kPositionLeftEdit, shownLeft, divisor, all);
    WriteNumber(state, dialog, kPositionBelowText, below, divisor, all);
    WriteNumber(state, dialog, kPositionRightText, right, divisor, all);
    SetSpin(state, dialog, kPositionTopSpin, shownTop);
    SetSpin(state, dialog, kPositionLeftSpin, shownLeft);
    if (state->mode & kModeFixedNup) {
        WriteField(state, dialog, kPositionScaleEdit, u"---", all);
    } else {
        SetSpin(state, dialog, kPositionScaleSpin, block->LayoutScale);
        WriteNumber(state, dialog, kPositionScaleEdit, block->LayoutScale, 1, all);
    }
}

void ShowPositionUnits(PositionDialogState* state, HWND dialog) {
    const bool inches = Inches(PositionBlock(state));
    CheckRadioButton(dialog, kPositionMillimetresRadio, kPositionInchesRadio,
                     inches ? kPositionInchesRadio : kPositionMillimetresRadio);
    for (int id : kUnitLabels) WriteField(state, dialog, id, inches ? u"inch" : u"mm", false);
}

void ShowPaperCaption(PositionDialogState* state, HWND dialog) {
    const DriverDevMode* block = PositionBlock(state);
    if (NupCountsInUse(block)) {
        WCHAR text[128] = {};
        if (state->context->languageLibrary != nullptr) {
            LoadStringW(state->context->languageLibrary, kSetByPagesPerSheetText, text,
                        static_cast<int>(std::size(text)));
        }
        WriteField(state, dialog, kPositionCaption, text, true);
        return;
    }
    // Sizes are never negative on the caption; a negative one shows as 0.
    const auto magnitude = [](LONG v) { return v < 0 ? 0ul : static_cast<unsigned long>(v); };
    std::u16string caption(state->outName, std::char_traits<char16_t>::length(state->outName));
    caption += u" (";
    if (Inches(block)) {
        const unsigned long width = magnitude(static_cast<LONG>(state->outWidth * kTenthMmToInch));
        const unsigned long length = magnitude(static_cast<LONG>(state->outLength * kTenthMmToInch));
        AppendNumber(caption, width / 100, 1);
        caption += u".";
        AppendNumber(caption, width % 100, 2);
        caption += u" ｘ ";
        AppendNumber(caption, length / 100, 1);
        caption += u".";
        AppendNumber(caption, length % 100, 2);
        caption += u" inch)";
    } else {
        const unsigned long width = magnitude(state->outWidth);
        const unsigned long length = magnitude(state->outLength);
        AppendNumber(caption, width / 10, 1);
        caption += u".";
        AppendNumber(caption, width % 10, 1);
        caption += u" ｘ ";
        AppendNumber(caption, length / 10, 1);
        caption += u".";
        AppendNumber(caption, length % 10, 1);
        caption += u" mm)";
    }
    WriteField(state, dialog, kPositionCaption, caption.c_str(), true);
}

void ArrangeScaleControls(PositionDialogState* state, HWND dialog) {
    const DriverDevMode* block = PositionBlock(state);
    if (!NupCountsInUse(block)) {
        for (int id = kPositionBackGroup; id < kPositionBackGroup + 15; ++id) {
            ShowWindow(GetDlgItem(dialog, id), SW_HIDE);
            EnableWindow(GetDlgItem(dialog, id), FALSE);
        }
        for (int id = kPositionBackCentreButton; id < kPositionBackCentreButton + 3; ++id) {
            ShowWindow(GetDlgItem(dialog, id), SW_HIDE);
            EnableWindow(GetDlgItem(dialog, id), FALSE);
        }
        RECT front{};
        RECT back{};
        GetWindowRect(GetDlgItem(dialog, kPositionFrontGroup), &front);
        GetWindowRect(GetDlgItem(dialog, kPositionBackGroup), &back);
        const int dx = (back.right - front.right) / 2;
        const auto move = [dialog, dx](int first, int last) {
            for (int id = first; id <= last; ++id) {
                HWND control = GetDlgItem(dialog, id);
                if (control == nullptr) continue;
                RECT r{};
                GetWindowRect(control, &r);
                MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
                MoveWindow(control, r.left + dx, r.top, r.right - r.left, r.bottom - r.top, FALSE);
            }
        };
        move(kPositionFrontGroup, kPositionCentreButton);
        move(kPositionScaleGroup, kPositionScaleUnit);
        WCHAR text[64] = {};
        if (state->context->languageLibrary != nullptr &&
            LoadStringW(state->context->languageLibrary, kPrintPositionGroupText, text,
                        static_cast<int>(std::size(text))) > 0) {
            WriteField(state, dialog, kPositionFrontGroup, text, true);
        }
    }
    if ((state->mode & kModeFixedNup) || NupCountsInUse(block)) {
        for (int id = kPositionScaleGroup; id <= kPositionScaleUnit; ++id) EnableWindow(GetDlgItem(dialog, id), FALSE);
        return;
    }
    const BOOL scaling = (block->FeatureFlags & kFeatureScaling) != 0 ? TRUE : FALSE;
    EnableWindow(GetDlgItem(dialog, kPositionScaleGroup), TRUE);
    EnableWindow(GetDlgItem(dialog, kPositionScaleCheck), TRUE);
    EnableWindow(GetDlgItem(dialog, kPositionScaleUnit), TRUE);
    EnableWindow(GetDlgItem(dialog, kPositionScaleEdit), scaling);
    EnableWindow(GetDlgItem(dialog, kPositionScaleSpin), scaling);
}

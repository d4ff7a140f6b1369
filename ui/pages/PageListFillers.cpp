// The pages' list fillers: entries in a fixed order with language strings as texts and the
// setting's value as item data, the current value selected.
#include "ui/pages/PageListFillers.h"

#include <algorithm>
#include <iterator>

#include "platform/Controls.h"
#include "platform/Modules.h"
#include "platform/Owners.h"
#include "platform/Spooler.h"
#include "platform/User.h"
#include "resources/ui/PictureIds.h"
#include "resources/ui/StringIds.h"
#include "settings/Forms.h"
#include "settings/SpoolerQueries.h"
#include "ui/pages/PageIcons.h"
#include "ui/pages/PropertyPages.h"

namespace {

constexpr int kEntryChars = 32;

struct Entry {
    DWORD value;
    int stringId;
};
constexpr Entry kStampTexts[] = {{0, kStampConfidentialText}, {1, kStampDraftText},     {2, kStampCopyText},
                                 {3, kStampUrgentText},       {4, kStampImportantText}, {5, kStampInternalUseText},
                                 {6, kStampDoNotCopyText},    {7, kStampApprovedText},  {8, kStampOwnText}};
// Positions 3 to 5 have no entry: a stored 3 selects the first entry.
constexpr Entry kStampPositions[] = {{0, kStampTopLeftText},      {1, kStampTopCentreText},
                                     {2, kStampTopRightText},     {6, kStampBottomLeftText},
                                     {7, kStampBottomCentreText}, {8, kStampBottomRightText}};
constexpr Entry kNupCounts[] = {{1, kNupCountOneText}, {2, kNupCountTwoText}, {3, kNupCountThreeText}};

// Icons of the arrangement picture, as the settings tree shows them.
constexpr int kOneRowIcon = kTwoAcrossIconId;
constexpr int kOneColumnIcon = kTwoDownIconId;
constexpr int kFirstOrderIcon = kSixAcrossThenDownIconId;
constexpr int kSecondOrderIcon = kSixAcrossFromRightIconId;

constexpr DWORD kFeatureFixedDestination = 0x20;  // FeatureFlags bit 5

void LoadEntryText(const PageRecord* page, int id, LPWSTR out, int cch) {
    out[0] = u'\0';
    if (page->context->languageLibrary != nullptr) LoadStringW(page->context->languageLibrary, id, out, cch);
}

LRESULT Combo(HWND dialog, int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendDlgItemMessageW(dialog, id, message, wParam, lParam);
}

// Adds one entry; its index, or -1.
int AddEntry(PageRecord* page, HWND dialog, int combo, int stringId, DWORD value) {
    WCHAR text[kEntryChars] = {};
    LoadEntryText(page, stringId, text, kEntryChars);
    const auto index = static_cast<int>(Combo(dialog, combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
    if (index >= 0) Combo(dialog, combo, CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(value));
    return index;
}

// Selects the entry whose data is value, else the first one.
void SelectValue(HWND dialog, int combo, DWORD value) {
    const auto count = static_cast<int>(Combo(dialog, combo, CB_GETCOUNT));
    int chosen = 0;
    for (int i = 0; i < count; ++i) {
        if (static_cast<DWORD>(Combo(dialog, combo, CB_GETITEMDATA, static_cast<WPARAM>(i))) == value) {
            chosen = i;
            break;
        }
    }
    Combo(dialog, combo, CB_SETCURSEL, static_cast<WPARAM>(chosen));
}

template <size_t N>
void FillTable(PageRecord* page, HWND dialog, int combo, const Entry (&entries)[N], DWORD value) {
    if (page == nullptr || page->context == nullptr || dialog == nullptr) return;
    Combo(dialog, combo, CB_RESETCONTENT);
    for (const Entry& entry : entries) AddEntry(page, dialog, combo, entry.stringId, entry.value);
    SelectValue(dialog, combo, value);
}

template <size_t N>
int StringOf(const Entry (&entries)[N], DWORD value, int otherwise) {
    for (const Entry& entry : entries) {
        if (entry.value == value) return entry.stringId;
    }
    return otherwise;
}

// The block's form name, terminated whether the field is or not.
struct FormNameText {
    explicit FormNameText(const DriverDevMode& settings) {
        std::copy(std::begin(settings.Public.dmFormName), std::end(settings.Public.dmFormName), text);
    }
    WCHAR text[std::size(DEVMODEW{}.dmFormName) + 1] = {};
};

// Whether count v on one side fits the working paper with 1, 2 or 3 on the other.
bool CountListed(const DriverDevMode& settings, BYTE v, bool down) {
    const FormNameText name(settings);
    for (BYTE other = 1; other <= 3; ++other) {
        if (IsNupLayoutAllowed(name.text, settings.Public.dmPaperWidth, settings.Public.dmPaperLength,
                               down ? v : other, down ? other : v) != 0) {
            return true;
        }
    }
    return false;
}

void FillNupList(PageRecord* page, HWND dialog, int combo, bool down) {
    if (page == nullptr || page->context == nullptr || dialog == nullptr) return;
    const DriverDevMode& settings = page->context->workingBlock;
    Combo(dialog, combo, CB_RESETCONTENT);
    for (const Entry& entry : kNupCounts) {
        if (entry.value != 1 && !CountListed(settings, static_cast<BYTE>(entry.value), down)) continue;
        AddEntry(page, dialog, combo, entry.stringId, entry.value);
    }
    SelectValue(dialog, combo, down ? settings.NupDown : settings.NupAcross);
}

void SetRadioText(PageRecord* page, HWND dialog, int radio, int stringId, LPCWSTR accelerator) {
    WCHAR text[kEntryChars + 8] = {};
    LoadEntryText(page, stringId, text, kEntryChars);
    int n = 0;
    while (text[n] != u'\0') ++n;
    for (; *accelerator != u'\0' && n + 1 < static_cast<int>(std::size(text)); ++accelerator) text[n++] = *accelerator;
    text[n] = u'\0';
    SetDlgItemTextW(dialog, radio, text);
}

// Fixed sheet texts of the named papers. A named paper with another layout has none.
struct NamedSheet {
    const char16_t* name;
    int down;
    int across;
    const char16_t* text;  // nullptr: never a text for this paper
};
constexpr NamedSheet kNamedSheets[] = {
    {u"A3", 0, 0, nullptr},
    {u"Letter", 0, 0, nullptr},
    {u"B4 (JIS)", 0, 0, nullptr},
    {u"Letter 横", 0, 0, nullptr},
    {u"A3 横", 0, 0, nullptr},
    {u"A4 横", 0, 0, nullptr},
    {u"B4 (JIS) 横", 0, 0, nullptr},
    {u"B5 (JIS) 横", 0, 0, nullptr},
    {u"A4", 1, 2, u"17 2/3 インチ(幅) × 12 インチ(長)"},
    {u"A5", 1, 2, u"12 2/3 インチ(幅) × 8 1/2 インチ(長)"},
    {u"B5 (JIS)", 1, 2, u"15 1/3 インチ(幅) × 10 1/2 インチ(長)"},
    {u"はがき", 2, 2, u"9 インチ(幅) × 12 インチ(長)"},
    {u"はがき", 2, 3, u"13 インチ(幅) × 12 インチ(長)"},
    {u"往復はがき", 2, 1, u"9 インチ(幅) × 12 インチ(長)"},
    {u"往復はがき", 2, 2, u"16 5/6 インチ(幅) × 12 インチ(長)"},
    {u"A5 横", 2, 1, u"9 1/3 インチ(幅) × 12 インチ(長)"},
    {u"A5 横", 2, 2, u"17 2/3 インチ(幅) × 12 インチ(長)"},
    {u"はがき 横", 2, 1, u"6 5/6 インチ(幅) × 8 インチ(長)"},
    {u"はがき 横", 2, 2, u"12 2/3 インチ(幅) × 8 インチ(長)"},
    {u"はがき 横", 3, 1, u"6 5/6 インチ(幅) × 12 インチ(長)"},
    {u"はがき 横", 3, 2, u"12 2/3 インチ(幅) × 12 インチ(長)"},
    {u"往復はがき 横", 1, 2, u"12 2/3 インチ(幅) × 8 インチ(長)"},
};

bool SameText(LPCWSTR a, LPCWSTR b) {
    while (*a != u'\0' && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

// Appends text to out (kNupSheetTextChars), cut to fit.
class SheetText {
public:
    explicit SheetText(LPWSTR out) : out_(out) { out_[0] = u'\0'; }
    void Put(LPCWSTR text) {
        for (; *text != u'\0' && n_ + 1 < kNupSheetTextChars; ++text) out_[n_++] = *text;
        out_[n_] = u'\0';
    }
    void Number(long long value) {
        WCHAR digits[24];
        int count = 0;
        const bool negative = value < 0;
        unsigned long long magnitude = negative ? 0ull - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
        do {
            digits[count++] = static_cast<WCHAR>(u'0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude != 0);
        if (negative) Put(u"-");
        WCHAR one[2] = {};
        while (count > 0) {
            one[0] = digits[--count];
            Put(one);
        }
    }

private:
    LPWSTR out_;
    size_t n_ = 0;
};

long long CeilDiv(long long a, long long b) { return a >= 0 ? (a + b - 1) / b : -((-a) / b); }

// A remainder of 1 to 424 microns over a half inch counts as the half inch.
long long SnapToHalfInch(long long microns) {
    const long long rest = microns % 12700;
    return rest >= 1 && rest <= 424 ? microns - rest : microns;
}

void PutWidth(SheetText& text, long long sixtieths) {
    long long inches = sixtieths / 60;
    const long long sixths = CeilDiv((sixtieths % 60) * 6, 60);
    text.Number(sixths == 6 ? inches + 1 : inches);
    switch (sixths) {
    case 1:
    case 5:
        text.Put(u" ");
        text.Number(sixths);
        text.Put(u"/6");
        break;
    case 2:
    case 4:
        text.Put(u" ");
        text.Number(sixths / 2);
        text.Put(u"/3");
        break;
    case 3: text.Put(u" 1/2"); break;
    default: break;
    }
    text.Put(u" インチ(幅)");
}

void PutLength(SheetText& text, long long sixtieths) {
    const long long inches = sixtieths / 60;
    const long long rest = sixtieths % 60;
    if (rest == 0) {
        text.Number(inches);
    } else if (rest <= 30) {
        text.Number(inches);
        text.Put(u" 1/2");
    } else {
        text.Number(inches + 1);
    }
    text.Put(u" インチ(長)");
}

}  // namespace

int ChoiceValue1StringId(DWORD value) { return StringOf(kStampTexts, value, kStampConfidentialText); }
int ChoiceValue2StringId(DWORD value) {
    constexpr Entry kNames[] = {{0, kStampTopLeftText},      {1, kStampTopCentreText},   {3, kStampMiddleLeftText},
                                {4, kStampCentreText},       {5, kStampMiddleRightText}, {6, kStampBottomLeftText},
                                {7, kStampBottomCentreText}, {8, kStampBottomRightText}};
    return StringOf(kNames, value, kStampTopRightText);
}
int NupCountStringId(DWORD value) { return StringOf(kNupCounts, value, kNupCountOneText); }

void FillChoiceValue1List(PageRecord* page, HWND dialog) {
    if (page == nullptr || page->context == nullptr) return;
    FillTable(page, dialog, kStampTextCombo, kStampTexts, page->context->workingBlock.PageStampSelector);
}

void FillChoiceValue2List(PageRecord* page, HWND dialog) {
    if (page == nullptr || page->context == nullptr) return;
    FillTable(page, dialog, kStampPositionCombo, kStampPositions, page->context->workingBlock.PageStampPosition);
}

void FillNupDownList(PageRecord* page, HWND dialog) { FillNupList(page, dialog, kNupDownCombo, true); }
void FillNupAcrossList(PageRecord* page, HWND dialog) { FillNupList(page, dialog, kNupAcrossCombo, false); }

void ShowNupArrangement(PageRecord* page, HWND dialog) {
    if (page == nullptr || page->context == nullptr || dialog == nullptr) return;
    const DriverDevMode& settings = page->context->workingBlock;
    int icon = 0;
    if (settings.NupDown == 1 || settings.NupAcross == 1) {
        SetRadioText(page, dialog, kNupOrderFirstRadio, kAcrossText, u"(&H)");
        SetRadioText(page, dialog, kNupOrderSecondRadio, kDownText, u"(&I)");
        icon = settings.NupDown != 1 ? kOneColumnIcon : settings.NupAcross == 1 ? kOneByOneIconId : kOneRowIcon;
    } else {
        SetRadioText(page, dialog, kNupOrderFirstRadio, kAcrossThenDownText, u"(&H)");
        SetRadioText(page, dialog, kNupOrderSecondRadio, kDownThenAcrossText, u"(&I)");
        icon = settings.NupOrder == 1 ? kSecondOrderIcon : kFirstOrderIcon;
    }
    SendDlgItemMessageW(dialog, kNupOrderPicture, STM_SETICON, reinterpret_cast<WPARAM>(PageIcon(page, icon)), 0);
    CheckRadioButton(dialog, kNupOrderFirstRadio, kNupOrderSecondRadio,
                     settings.NupOrder == 1 ? kNupOrderSecondRadio : kNupOrderFirstRadio);
}

void FillOutputDestinationList(PageRecord* page, HWND dialog) {
    if (page == nullptr || page->context == nullptr || dialog == nullptr) return;
    const DriverDevMode& settings = page->context->workingBlock;
    Combo(dialog, kDestinationCombo, CB_RESETCONTENT);
    AddEntry(page, dialog, kDestinationCombo, kPrinterDestinationText, kPrinterDestinationText);
    GlobalBlock info(GetPrinterInfo(page->context->printer, 2));
    const auto* printer = info.As<const PRINTER_INFO_2W>();
    if (printer != nullptr && QueryRawOnlyAttribute(printer->pPrinterName) == 1) {
        AddEntry(page, dialog, kDestinationCombo, kRelaydockDestinationText, kRelaydockDestinationText);
    }
    DWORD chosen = 0;  // the first entry
    if ((settings.FeatureFlags & kFeatureFixedDestination) == 0 && settings.OutputDestination == 0) {
        chosen =
            (settings.RelaydockFlags & kRelaydockFileMode) != 0 ? kRelaydockDestinationText : kPrinterDestinationText;
    }
    SelectValue(dialog, kDestinationCombo, chosen);
}

int NupSheetSizeText(HANDLE printer, LPCWSTR formName, int down, int across, LPWSTR out) {
    if (out == nullptr) return 0;
    out[0] = u'\0';
    if (formName == nullptr) return 0;
    bool named = false;
    for (const NamedSheet& sheet : kNamedSheets) {
        if (!SameText(sheet.name, formName)) continue;
        named = true;
        if (sheet.text != nullptr && sheet.down == down && sheet.across == across) {
            SheetText(out).Put(sheet.text);
            return 1;
        }
    }
    if (named) return 0;

    UsableForms forms(printer);
    const FORM_INFO_1W* form = forms.Find(formName);
    if (form == nullptr) return 0;
    const long long width = SnapToHalfInch(form->Size.cx);
    const long long length = SnapToHalfInch(form->Size.cy);
    SheetText text(out);
    PutWidth(text, across * CeilDiv(width * 60 - 1524000, 25400) + 60);
    text.Put(u" × ");
    PutLength(text, CeilDiv(length * 60, 25400) * down);
    return 1;
}

void WarnNupSheetSize(PageRecord* page, HWND dialog) {
    if (page == nullptr || page->context == nullptr) return;
    const UiContext& context = *page->context;
    const DriverDevMode& settings = context.workingBlock;
    if (settings.NupDown == 1 && settings.NupAcross == 1) return;
    const FormNameText formName(settings);
    WCHAR size[kNupSheetTextChars] = {};
    if (NupSheetSizeText(context.printer, formName.text, settings.NupDown, settings.NupAcross, size) == 0) return;

    // The library's text is only a template: its first "%s" takes the size, nothing else in it
    // is a conversion.
    WCHAR format[129] = {};
    if (context.languageLibrary != nullptr) LoadStringW(context.languageLibrary, kSheetSizeMessage, format, 129);
    WCHAR message[129 + kNupSheetTextChars] = {};
    size_t n = 0;
    bool substituted = false;
    for (LPCWSTR p = format; *p != u'\0' && n + 1 < std::size(message); ++p) {
        if (!substituted && p[0] == u'%' && p[1] == u's') {
            for (LPCWSTR s = size; *s != u'\0' && n + 1 < std::size(message); ++s) message[n++] = *s;
            substituted = true;
            ++p;
            continue;
        }
        message[n++] = *p;
    }
    message[n] = u'\0';
    MessageBeep(MB_ICONWARNING);
    MessageBoxW(dialog, message, context.printerName, MB_ICONWARNING);
}

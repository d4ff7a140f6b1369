// Document page two's procedure: every control writes its field of the working block (and
// the field's copy among the user's choices), the resolver makes the block whole again, and
// the page shows what it left, warnings first. Typed numbers are taken at once when they lie
// in their range; anything else keeps the last one taken until the page is left.
#include <algorithm>
#include <iterator>
#include <string_view>

#include "platform/Controls.h"
#include "platform/User.h"
#include "ui/resolver/Constraints.h"
#include "ui/pages/DocumentPage2.h"
#include "ui/dialogs/FeederDialog.h"
#include "ui/dialogs/Finishing.h"
#include "ui/pages/LayoutPreview.h"
#include "ui/pages/PageCommon.h"
#include "ui/pages/PageIcons.h"
#include "ui/pages/PageListFillers.h"
#include "ui/pages/PageRoutines.h"
#include "ui/dialogs/PresetDialog.h"
#include "ui/data/PrinterDataValues.h"
#include "ui/pages/PropertyPages.h"
#include "ui/tree/SettingsTree.h"
#include "ui/status/StatusQuery.h"
#include "ui/dialogs/SubstDialogs.h"
#include "ui/dialogs/TreeDialogs.h"

namespace {

// Controls.
constexpr int kPaperList = 1204;
constexpr int kOutputPaperList = 1208;
constexpr int kSameAsPaperCheck = 1210;
constexpr int kSubstitutionButton = 1211;
constexpr int kScalingCheck = 1213;
constexpr int kScaleEdit = 1214;
constexpr int kScaleUpDown = 1215;
constexpr int kPortraitRadio = 1217;
constexpr int kLandscapeRadio = 1219;
constexpr int kSourceList = 1223;
constexpr int kMediaList = 1226;
constexpr int kCopiesEdit = 1229;
constexpr int kCopiesUpDown = 1230;
constexpr int kPrintModeList = 1234;
constexpr int kFeederButton = 1235;
constexpr int kOutputTrayList = 1238;
constexpr int kSeparatorCheck = 1240;
constexpr int kSettingsListButton = 1003;
constexpr int kSavePresetButton = 1005;
constexpr int kRestoreDefaultsItem = 1010;
constexpr int kReadStatusItem = 1011;

// Templates of the dialogs the page opens (the others open through their own routines).
constexpr int kPresetDialog = 2200;

// Messages.
constexpr UINT kWarnNoOutputPaper = 700;
constexpr UINT kWarnScale = 709;
constexpr UINT kWarnMediaDuplex = 711;
constexpr UINT kWarnCopies = 713;
constexpr UINT kWarnPostcardMedia = 762;
constexpr UINT kWarnReturnPostcardMedia = 763;
constexpr UINT kWarnStackerSort = 765;
constexpr UINT kWarnManualDuplex = 777;
constexpr UINT kWarnScalingOff = 805;
constexpr UINT kWarnFirstCleared = 753;
constexpr UINT kWarnSecondCleared = 754;

// Hints.
constexpr UINT kHintPaper = 606;
constexpr UINT kHintOrientation = 607;
constexpr UINT kHintSource = 608;
constexpr UINT kHintCopies = 609;
constexpr UINT kHintOutputPaper = 615;
constexpr UINT kHintDefaults = 616;
constexpr UINT kHintFeederMedia = 631;
constexpr UINT kHintOutputTray = 636;
constexpr UINT kHintSeparator = 637;
constexpr UINT kHintNup = 673;
constexpr int kHintWarning = 2;

// Fields' bits.
constexpr DWORD kFeatureSameAsPaper = 0x1;  // set: the output paper is not the paper
constexpr DWORD kFeatureScaling = 0x2;
constexpr DWORD kDataPresetsFixed = 1u << 16;
constexpr DWORD kOutputFinisherMode = 1u << 8;
constexpr DWORD kOutputSort = 1u << 10;
constexpr DWORD kOutputStacker = 1u << 26;
constexpr DWORD kStatusReported = 0x4;
constexpr WORD kDeviceInstalled = 0x8;
constexpr int kFinisherSlot = 13;  // DEV_FIN1
constexpr WORD kMediaPlain = 0;
constexpr WORD kMediaByFeeder = 1;
constexpr int kHelpTopic = 2;

constexpr int kMinCopies = 1, kMaxCopies = 999;
constexpr int kMinScale = 10, kMaxScale = 400;
constexpr UINT kManualSourceString = 207;
constexpr int kManualNameChars = 24;  // the manual source's name: at most 23 characters
constexpr int kNumberChars = 8;
constexpr char16_t kNoScale[] = u"---";
constexpr char16_t kPostcard[] = u"\u306F\u304C\u304D";                        // はがき
constexpr char16_t kReturnPostcard[] = u"\u5F80\u5FA9\u306F\u304C\u304D";        // 往復はがき

// Icons of the page's statics, from the page's own icons.
struct StaticIcon {
    int control;
    int icon;
};
constexpr StaticIcon kStaticIcons[] = {
    // Paper, output paper, scaling (a magnifier), source (a tray), media, output tray, print
    // mode (sorted sets), copies and the separator sheet.
    {1202, kDocumentPaperIconId}, {1206, kOutputPaperIconId}, {1209, kOutputPaperIconId}, {1212, 733},
    {1221, 771}, {1224, 779}, {1236, 732}, {1232, 737}, {1227, 738}, {1231, 786}, {1001, 736},
};

// The page's help ids by control, ending with 0.
constexpr DWORD kHelpIds[] = {
    kPaperList, 2001, kOutputPaperList, 2002, kSameAsPaperCheck, 2003, kSubstitutionButton, 2004,
    kScalingCheck, 2005, kScaleEdit, 2005, kPortraitRadio, 2006, kLandscapeRadio, 2006,
    kSourceList, 2007, kMediaList, 2008, kFeederButton, 2009, kPrintModeList, 2010,
    kOutputTrayList, 2011, kCopiesEdit, 2012, kSeparatorCheck, 2013, kNupDownCombo, 2014,
    kNupAcrossCombo, 2014, kNupOrderFirstRadio, 2015, kNupOrderSecondRadio, 2015, 0, 0,
};

// Set while the page writes an edit itself, so that its EN_CHANGE is not taken as typing.
thread_local int t_writingEdit = 0;

class EditWrite {
public:
    EditWrite() { ++t_writingEdit; }
    ~EditWrite() { --t_writingEdit; }
    EditWrite(const EditWrite&) = delete;
    EditWrite& operator=(const EditWrite&) = delete;
};

DriverDevMode& Working(PageRecord* page) { return page->context->workingBlock; }

void Warn(PageRecord* page, HWND dialog, UINT textId) { ShowPageWarning(page, dialog, textId); }

void SetEditNumber(HWND dialog, int edit, UINT value) {
    const EditWrite writing;
    SetDlgItemInt(dialog, edit, value, FALSE);
}

void ShowScale(PageRecord* page, HWND dialog) {
    const EditWrite writing;
    ShowScaleText(page, dialog);
}

// The edit's text as a number: digits only, at most six of them.
bool ReadNumber(HWND dialog, int edit, int* value) {
    WCHAR text[kNumberChars] = {};
    const int length = GetDlgItemTextW(dialog, edit, text, kNumberChars);
    if (length <= 0 || length > 6) return false;
    int number = 0;
    for (int i = 0; i < length; ++i) {
        if (text[i] < u'0' || text[i] > u'9') return false;
        number = number * 10 + (text[i] - u'0');
    }
    *value = number;
    return true;
}

bool EditShows(HWND dialog, int edit, std::u16string_view wanted) {
    WCHAR text[kNumberChars] = {};
    GetDlgItemTextW(dialog, edit, text, kNumberChars);
    return wanted == text;
}

// A refused edit: the warning, the edit focused with its text selected, the page kept.
bool Refuse(PageRecord* page, HWND dialog, int edit, UINT textId) {
    Warn(page, dialog, textId);
    HWND control = GetDlgItem(dialog, edit);
    SetFocus(control);
    SendMessageW(control, EM_SETSEL, 0, -1);
    SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 1);
    return false;
}

bool CheckCopies(PageRecord* page, HWND dialog) {
    int copies = 0;
    if (ReadNumber(dialog, kCopiesEdit, &copies) && copies >= kMinCopies && copies <= kMaxCopies) return true;
    return Refuse(page, dialog, kCopiesEdit, kWarnCopies);
}

bool CheckScale(PageRecord* page, HWND dialog) {
    int scale = 0;
    if (ReadNumber(dialog, kScaleEdit, &scale) && scale >= kMinScale && scale <= kMaxScale) return true;
    if (EditShows(dialog, kScaleEdit, kNoScale) && Working(page).PagesPerSheet != 1) return true;
    return Refuse(page, dialog, kScaleEdit, kWarnScale);
}

bool CheckEdits(PageRecord* page, HWND dialog) { return CheckCopies(page, dialog) && CheckScale(page, dialog); }

void SetUpDown(HWND dialog, int upDown, int low, int high, int position) {
    SendDlgItemMessageW(dialog, upDown, UDM_SETRANGE, 0, MAKELONG(high, low));
    SendDlgItemMessageW(dialog, upDown, UDM_SETPOS, 0, MAKELONG(position, 0));
}

// The scale edit and its up-down for the block: the scale within its range, or "---".
void ShowScaleEdit(PageRecord* page, HWND dialog) {
    const DriverDevMode& block = Working(page);
    const EditWrite writing;
    if (block.PagesPerSheet == 1) {
        SendDlgItemMessageW(dialog, kScaleEdit, EM_LIMITTEXT, 3, 0);
        SetUpDown(dialog, kScaleUpDown, kMinScale, kMaxScale, block.LayoutScale);
    }
    ShowScaleText(page, dialog);
}

void ShowCopiesEdit(PageRecord* page, HWND dialog) {
    const DriverDevMode& block = Working(page);
    const int copies = block.OutputDestination != 0 ? 1 : block.Public.dmCopies;
    const EditWrite writing;
    SendDlgItemMessageW(dialog, kCopiesEdit, EM_LIMITTEXT, 3, 0);
    SetUpDown(dialog, kCopiesUpDown, kMinCopies, kMaxCopies, copies);
    SetDlgItemInt(dialog, kCopiesEdit, static_cast<UINT>(copies), FALSE);
}

void Refresh(PageRecord* page, HWND dialog) { RefreshDocumentPage2(page, dialog); }

LPARAM SelectedData(HWND dialog, int list) {
    const auto selected = SendDlgItemMessageW(dialog, list, CB_GETCURSEL, 0, 0);
    if (selected < 0) return -1;
    return SendDlgItemMessageW(dialog, list, CB_GETITEMDATA, static_cast<WPARAM>(selected), 0);
}

bool InOutputPaperList(HWND dialog, LPCWSTR name) {
    // Past the first entry, which stands for no output paper whatever its text.
    return SendDlgItemMessageW(dialog, kOutputPaperList, CB_FINDSTRINGEXACT, 0, reinterpret_cast<LPARAM>(name)) > 0;
}

template <size_t N>
void SetName(WCHAR (&field)[N], WCHAR (&shadow)[N], LPCWSTR name) {
    std::fill(field, field + N, u'\0');
    std::fill(shadow, shadow + N, u'\0');
    for (size_t i = 0; i + 1 < N && name[i] != u'\0'; ++i) field[i] = shadow[i] = name[i];
}

template <size_t N>
bool SameName(const WCHAR (&field)[N], LPCWSTR name) {
    const WCHAR* end = std::find(field, field + N, u'\0');
    return std::u16string_view(field, static_cast<size_t>(end - field)) == std::u16string_view(name);
}

bool FinisherInstalled(const DriverDevMode& block) {
    return (block.DeviceSlots[kFinisherSlot].State & kDeviceInstalled) != 0;
}

// The finishing warnings after a change that may have moved a position: the position
// warnings in finisher mode, then the cleared positions.
void WarnFinishing(PageRecord* page, HWND dialog, BYTE keptFirst, BYTE keptSecond, bool beep, bool onlyInFinisherMode) {
    const DriverDevMode& block = Working(page);
    const bool finisher = (block.CoverFlags & kOutputFinisherMode) != 0;
    if (finisher) ShowFinishingWarnings(page, dialog, block, beep);
    if (onlyInFinisherMode && !finisher) return;
    if (keptFirst != 0 && block.FinishPosition1 == 0) ShowFinishingMessage(page, dialog, kWarnFirstCleared, MB_ICONWARNING, beep);
    if (keptSecond != 0 && block.FinishPosition2 == 0) {
        ShowFinishingMessage(page, dialog, kWarnSecondCleared, MB_ICONWARNING, beep);
    }
}

// --- Lifecycle ---

void OnInitDialog(PageRecord* page, HWND dialog) {
    UiContext& context = *page->context;
    SetControlIcon(dialog, kDocumentPaperIcon, PageIcon(page, kDocumentPaperIconId));
    SetControlIcon(dialog, kOutputPaperIcon, PageIcon(page, kOutputPaperIconId));
    QueryPrinterStatus(&context.status, context.printer, nullptr);
    UpdateStatusFlag(&context.workingBlock, &context.status, context.printer);
    PublishDsProperties(&context.workingBlock, &context.status, context.printer, context.model);
}

void OnSetActive(PageRecord* page, HWND dialog) {
    ShowScaleEdit(page, dialog);
    ShowCopiesEdit(page, dialog);
    Refresh(page, dialog);
    for (const StaticIcon& icon : kStaticIcons) SetControlIcon(dialog, icon.control, PageIcon(page, icon.icon));
    PostMessageW(dialog, kPage2SourceStateMessage, 0, 0);
    PostMessageW(dialog, kPage2PaperHintsMessage, 0, 0);
}

void ShowPaperPicture(PageRecord* page, HWND dialog) {
    const DriverDevMode& block = Working(page);
    SendDlgItemMessageW(dialog, kPreviewControl, LB_SETITEMDATA, 0, block.Public.dmPaperSize);
    if (HWND picture = GetDlgItem(dialog, kPreviewControl); picture != nullptr) InvalidateRect(picture, nullptr, TRUE);
}

void OnSourceState(PageRecord* page, HWND dialog) {
    ShowPaperPresence(dialog, &page->context->status);
    WarnSourceNotInstalled(page, dialog);
}

// --- Controls ---

void OnPaper(PageRecord* page, HWND dialog) {
    DriverDevMode& block = Working(page);
    const LPARAM data = SelectedData(dialog, kPaperList);
    if (data < 0) return;
    WCHAR name[kUiNameChars * 2 + 1] = {};
    GetPaperNameByIndex(page, dialog, static_cast<int>(data), name);
    if (SameName(block.Public.dmFormName, name)) return;
    SetName(block.Public.dmFormName, block.SavedFormName, name);
    const bool plain = block.NupDown == 1 && block.NupAcross == 1;
    if ((block.FeatureFlags & kFeatureSameAsPaper) != 0 && plain && block.OutputPaperSize == 0 &&
        !InOutputPaperList(dialog, name)) {
        Warn(page, dialog, kWarnNoOutputPaper);
    }
    OnSettingChanged(page, dialog, 0, FALSE);
    block.SavedLayoutScale = block.LayoutScale;
    ShowScale(page, dialog);
    Refresh(page, dialog);
    WarnNupSheetSize(page, dialog);
    NotifyPageChanged(page, dialog);
}

void OnOutputPaper(PageRecord* page, HWND dialog) {
    DriverDevMode& block = Working(page);
    const LPARAM data = SelectedData(dialog, kOutputPaperList);
    if (data < 0) return;
    WCHAR name[kUiNameChars * 2 + 1] = {};
    if (LOWORD(data) != 0) GetPaperNameByIndex(page, dialog, static_cast<int>(data), name);
    if (SameName(block.OutputPaperName, name)) return;
    if (name[0] == u'\0') {
        WCHAR paper[kUiNameChars + 1] = {};
        std::copy(block.Public.dmFormName, block.Public.dmFormName + kUiNameChars, paper);
        if (!InOutputPaperList(dialog, paper)) Warn(page, dialog, kWarnNoOutputPaper);
    }
    SetName(block.OutputPaperName, block.SavedOutputPaperName, name);
    OnSettingChanged(page, dialog, 0, FALSE);
    block.SavedLayoutScale = block.LayoutScale;
    ShowScale(page, dialog);
    Refresh(page, dialog);
    NotifyPageChanged(page, dialog);
}

void OnSameAsPaper(PageRecord* page, HWND dialog) {
    DriverDevMode& block = Working(page);
    const bool notSame = IsDlgButtonChecked(dialog, kSameAsPaperCheck) != BST_CHECKED;
    if (((block.FeatureFlags & kFeatureSameAsPaper) != 0) == notSame) return;
    SetPageHint(page, dialog, 0, 0);
    if (notSame) {
        block.FeatureFlags |= kFeatureSameAsPaper;
        block.SavedFeatureFlags |= kFeatureSameAsPaper;
    } else {
        block.FeatureFlags &= ~kFeatureSameAsPaper;
        block.SavedFeatureFlags &= ~kFeatureSameAsPaper;
    }
    OnSettingChanged(page, dialog, 0, FALSE);
    block.SavedLayoutScale = block.LayoutScale;
    Refresh(page, dialog);
    ShowScale(page, dialog);
    NotifyPageChanged(page, dialog);
}

void OnScaling(PageRecord* page, HWND dialog) {
    DriverDevMode& block = Working(page);
    const bool scaling = IsDlgButtonChecked(dialog, kScalingCheck) == BST_CHECKED;
    if (((block.FeatureFlags & kFeatureScaling) != 0) == scaling) return;
    SetPageHint(page, dialog, 0, 0);
    if (scaling) {
        block.FeatureFlags |= kFeatureScaling;
        block.SavedFeatureFlags |= kFeatureScaling;
    } else {
        block.FeatureFlags &= ~kFeatureScaling;
        block.SavedFeatureFlags &= ~kFeatureScaling;
    }
    block.SavedLayoutScale = block.LayoutScale;
    OnSettingChanged(page, dialog, 0, FALSE);
    Refresh(page, dialog);
    ShowScaleEdit(page, dialog);
    NotifyPageChanged(page, dialog);
}

void OnScaleTyped(PageRecord* page, HWND dialog) {
    if (t_writingEdit != 0) return;
    DriverDevMode& block = Working(page);
    SetPageHint(page, dialog, 0, 0);
    if ((block.FeatureFlags & kFeatureScaling) == 0) return;
    int scale = 0;
    if (!ReadNumber(dialog, kScaleEdit, &scale) || scale < kMinScale || scale > kMaxScale) return;
    block.LayoutScale = block.SavedLayoutScale = static_cast<WORD>(scale);
    NotifyPageChanged(page, dialog);
    OnSettingChanged(page, dialog, 0, FALSE);
    Refresh(page, dialog);
    // What validation left is what the edit shows.
    if (block.PagesPerSheet != 1 || block.LayoutScale != scale) ShowScale(page, dialog);
}

void OnOrientation(PageRecord* page, HWND dialog, SHORT orientation) {
    DriverDevMode& block = Working(page);
    SetPageHint(page, dialog, kHintOrientation, kHintInfo);
    if (block.Public.dmOrientation == orientation) return;
    block.Public.dmOrientation = block.SavedOrientation = orientation;
    const BYTE keptFirst = block.FinishPosition1;
    const BYTE keptSecond = block.FinishPosition2;
    OnSettingChanged(page, dialog, 0, FALSE);
    WarnFinishing(page, dialog, keptFirst, keptSecond, false, false);
    block.SavedLayoutScale = block.LayoutScale;
    Refresh(page, dialog);
    NotifyPageChanged(page, dialog);
}

bool HasManualSlot(PageRecord* page, WORD value) {
    const UiContext& context = *page->context;
    WCHAR manual[kManualNameChars] = {};
    if (LoadStringW(context.languageLibrary, kManualSourceString, manual, kManualNameChars) <= 0) return false;
    const ModelDescription* model = context.model;
    const auto* slots = model != nullptr ? ModelList<ModelNamedValue>(model, model->InputSlotOffset, model->InputSlotCount)
                                         : nullptr;
    for (DWORD i = 0; slots != nullptr && i < model->InputSlotCount; ++i) {
        if (LOWORD(slots[i].Value) != value) continue;
        WCHAR name[kManualNameChars + 1] = {};
        // Compared within the image: a name longer than the manual source's is another one.
        const LPCWSTR text = ModelString(model, slots[i].NameOffset);
        const size_t room = text[0] == u'\0' ? 0 : (model->TotalSize - slots[i].NameOffset) / sizeof(WCHAR);
        size_t length = 0;
        while (length < room && length < kManualNameChars && text[length] != u'\0') {
            name[length] = text[length];
            ++length;
        }
        if (std::u16string_view(name) == manual) return true;
    }
    return false;
}

void OnSource(PageRecord* page, HWND dialog) {
    DriverDevMode& block = Working(page);
    const LPARAM data = SelectedData(dialog, kSourceList);
    if (data < 0) return;
    const auto source = static_cast<WORD>(data);
    const SHORT keptDuplex = block.Public.dmDuplex;
    if (source != static_cast<WORD>(block.Public.dmDefaultSource)) {
        block.Public.dmDefaultSource = block.SavedDefaultSource = static_cast<SHORT>(source);
        OnSettingChanged(page, dialog, 0, FALSE);
        Refresh(page, dialog);
        ShowPaperPicture(page, dialog);
    }
    if (keptDuplex != DMDUP_SIMPLEX) {
        if (HasManualSlot(page, source)) {
            Warn(page, dialog, kWarnManualDuplex);
        } else if (block.SourceMediaValue != kMediaPlain && block.SourceMediaValue != kMediaByFeeder) {
            Warn(page, dialog, kWarnMediaDuplex);
        }
    }
    SetPageHint(page, dialog, kHintSource, kHintInfo);
    NotifyPageChanged(page, dialog);
}

void OnMediaKind(PageRecord* page, HWND dialog) {
    DriverDevMode& block = Working(page);
    const LPARAM data = SelectedData(dialog, kMediaList);
    if (data < 0 || static_cast<WORD>(data) == block.SourceMediaValue) return;
    const auto kind = static_cast<WORD>(data);
    block.SourceMediaValue = block.SavedSourceMediaValue = kind;
    WCHAR source[kUiNameChars * 2 + 1] = {};
    CurrentSourceName(page, source, std::size(source));
    block.SourceValues[SourceValueIndex(page->context->languageLibrary, source)] = kind;
    const BYTE keptFirst = block.FinishPosition1;
    const BYTE keptSecond = block.FinishPosition2;
    if (block.Public.dmDuplex != DMDUP_SIMPLEX && kind != kMediaPlain && kind != kMediaByFeeder) {
        Warn(page, dialog, kWarnMediaDuplex);
    }
    WCHAR paper[kUiNameChars + 1] = {};
    GetEffectivePaperName(page, paper);
    if (kind != kMediaByFeeder) {
        if (std::u16string_view(paper) == kPostcard) Warn(page, dialog, kWarnPostcardMedia);
        if (std::u16string_view(paper) == kReturnPostcard) Warn(page, dialog, kWarnReturnPostcardMedia);
    }
    OnSettingChanged(page, dialog, 0, FALSE);
    Refresh(page, dialog);
    if (kind == kMediaByFeeder) {
        SetPageHint(page, dialog, kHintFeederMedia, kHintWarning);
    } else {
        SetPageHint(page, dialog, 0, 0);
    }
    if ((block.CoverFlags & kOutputFinisherMode) != 0) {
        WarnFinishing(page, dialog, keptFirst, keptSecond, true, true);
        SetPageHint(page, dialog, 0, 0);
    }
    NotifyPageChanged(page, dialog);
}

void OnCopiesTyped(PageRecord* page, HWND dialog) {
    if (t_writingEdit != 0) return;
    DriverDevMode& block = Working(page);
    if (block.OutputDestination != 0) return;
    int copies = 0;
    if (ReadNumber(dialog, kCopiesEdit, &copies)) {
        if (copies == kMaxCopies + 1) {
            copies = 1;
            SetEditNumber(dialog, kCopiesEdit, 1);
        }
        if (copies >= kMinCopies && copies <= kMaxCopies) {
            if (block.Public.dmCopies != copies) {
                block.Public.dmCopies = static_cast<SHORT>(copies);
                NotifyPageChanged(page, dialog);
            }
            OnSettingChanged(page, dialog, 0, FALSE);
            Refresh(page, dialog);
            if (block.Public.dmCopies != copies) SetEditNumber(dialog, kCopiesEdit, static_cast<UINT>(block.Public.dmCopies));
        }
    }
    SetPageHint(page, dialog, kHintCopies, kHintInfo);
}

void OnPrintMode(PageRecord* page, HWND dialog) {
    DriverDevMode& block = Working(page);
    const auto selected = SendDlgItemMessageW(dialog, kPrintModeList, CB_GETCURSEL, 0, 0);
    if (selected < 0) return;
    const SHORT keptDuplex = block.Public.dmDuplex;
    const bool changed = block.PrintMode != selected;
    if (changed) block.PrintMode = block.SavedPrintMode = static_cast<WORD>(selected);
    OnSettingChanged(page, dialog, 0, FALSE);
    Refresh(page, dialog);
    if (keptDuplex != DMDUP_SIMPLEX && block.SourceMediaValue != kMediaPlain) Warn(page, dialog, kWarnMediaDuplex);
    SetPageHint(page, dialog, 0, 0);
    if (changed) NotifyPageChanged(page, dialog);
}

void OnOutputTray(PageRecord* page, HWND dialog) {
    DriverDevMode& block = Working(page);
    const LPARAM data = SelectedData(dialog, kOutputTrayList);
    const DWORD before = block.CoverFlags;
    for (const OutputTrayItem& item : kOutputTrayItems) {
        if (static_cast<LPARAM>(item.stringId) != data || (block.CoverFlags & item.bit) != 0) continue;
        block.CoverFlags = (block.CoverFlags & ~kOutputTrayBits) | item.bit;
        block.SavedCoverFlags = (block.SavedCoverFlags & ~kOutputTrayBits) | item.bit;
        if ((block.CoverFlags & kOutputStacker) != 0 && (block.CoverFlags & kOutputSort) != 0) {
            Warn(page, dialog, kWarnStackerSort);
        }
    }
    OnSettingChanged(page, dialog, 0, FALSE);
    Refresh(page, dialog);
    if (FinisherInstalled(block)) SetPageHint(page, dialog, kHintOutputTray, kHintInfo);
    if (block.CoverFlags != before) NotifyPageChanged(page, dialog);
}

void OnSeparator(PageRecord* page, HWND dialog) {
    DriverDevMode& block = Working(page);
    const DWORD on = IsDlgButtonChecked(dialog, kSeparatorCheck) == BST_CHECKED ? 1 : 0;
    if (block.PageDecorationOption == on) return;
    block.PageDecorationOption = on;
    if (on != 0) {
        SetPageHint(page, dialog, kHintSeparator, kHintInfo);
    } else {
        SetPageHint(page, dialog, 0, 0);
    }
    Refresh(page, dialog);
    NotifyPageChanged(page, dialog);
}

void OnNupCount(PageRecord* page, HWND dialog, int list) {
    DriverDevMode& block = Working(page);
    const LPARAM data = SelectedData(dialog, list);
    if (data < 0) return;
    const auto count = static_cast<BYTE>(data);
    BYTE& field = list == kNupDownCombo ? block.NupDown : block.NupAcross;
    if (field != count) {
        block.SavedNupDown = block.NupDown;
        block.SavedNupAcross = block.NupAcross;
        field = count;
        const WORD keptLayout = block.PagesPerSheet;
        OnSettingChanged(page, dialog, 0, FALSE);
        ShowScale(page, dialog);
        Refresh(page, dialog);
        WarnNupSheetSize(page, dialog);
        if (keptLayout != 1 && block.PagesPerSheet == 1) Warn(page, dialog, kWarnScalingOff);
    }
    SetPageHint(page, dialog, kHintNup, kHintInfo);
    NotifyPageChanged(page, dialog);
}

void OnNupOrder(PageRecord* page, HWND dialog, BYTE order) {
    DriverDevMode& block = Working(page);
    SetPageHint(page, dialog, 0, 0);
    if (block.NupOrder == order) return;
    block.NupOrder = block.SavedNupOrder = order;
    OnSettingChanged(page, dialog, 0, FALSE);
    Refresh(page, dialog);
    MarkPresetModified(page, dialog);
    NotifyPageChanged(page, dialog);
}

void OnRestoreDefaults(PageRecord* page, HWND dialog) {
    const int restored = RestoreDefaults(page, dialog);
    Working(page).OptionFlags |= kOptionPageActive;
    if (restored == 0) return;
    OnSettingChanged(page, dialog, 0, FALSE);
    ShowCopiesEdit(page, dialog);
    ShowScaleEdit(page, dialog);
    Refresh(page, dialog);
    SetFocus(GetDlgItem(dialog, kPaperList));
    NotifyPageChanged(page, dialog);
    CheckAnsiNameField(dialog, page, NameFieldCheck::Warn);
    ResetTreeAfterDefaults(page, dialog);
    SetPageHint(page, dialog, kHintDefaults, kHintInfo);
}

void OnReadStatus(PageRecord* page, HWND dialog) {
    if (ShowStatusWaitBox(page, dialog) > 0) NotifyPageChanged(page, dialog);
    OnSettingChanged(page, dialog, 0, FALSE);
    Refresh(page, dialog);
}

void OnSettingsList(PageRecord* page, HWND dialog) {
    page->flags |= kPageFlagTreeLayout;
    if (CheckEdits(page, dialog)) ShowSettingsTreeDialog(page, dialog);
    page->flags &= ~kPageFlagTreeLayout;
}

void OnSavePreset(PageRecord* page, HWND dialog) {
    if (!CheckEdits(page, dialog)) return;
    const INT_PTR result = DialogBoxParamW(page->context->languageLibrary, MAKEINTRESOURCEW(kPresetDialog), dialog,
                                           PresetDlgProc, reinterpret_cast<LPARAM>(page));
    if (result > 0) NotifyPageChanged(page, dialog);
}

void OnFeeder(PageRecord* page, HWND dialog) {
    const INT_PTR result = ShowFeederSettingDialog(page, dialog);
    OnSettingChanged(page, dialog, 0, FALSE);
    Refresh(page, dialog);
    MarkPresetModified(page, dialog);
    if (result == 1) NotifyPageChanged(page, dialog);
}

void OnSubstitution(PageRecord* page, HWND dialog) {
    SetPageHint(page, dialog, 0, 0);
    page->flags |= kPageFlagReadOnlyTables;
    ShowOutPaperDialog(page, dialog, kOutPaperDocumentDialog);
}

BOOL OnCommand(PageRecord* page, HWND dialog, int control, int code) {
    if (code == BN_CLICKED) {
        switch (control) {
    case kSettingsListButton: OnSettingsList(page, dialog); return TRUE;
    case kSavePresetButton: OnSavePreset(page, dialog); return TRUE;
    case kRestoreDefaultsItem: OnRestoreDefaults(page, dialog); return TRUE;
    case kReadStatusItem: OnReadStatus(page, dialog); return TRUE;
    case kSameAsPaperCheck: OnSameAsPaper(page, dialog); return TRUE;
    case kSubstitutionButton: OnSubstitution(page, dialog); return TRUE;
    case kScalingCheck: OnScaling(page, dialog); return TRUE;
    case kPortraitRadio: OnOrientation(page, dialog, DMORIENT_PORTRAIT); return TRUE;
    case kLandscapeRadio: OnOrientation(page, dialog, DMORIENT_LANDSCAPE); return TRUE;
    case kFeederButton: OnFeeder(page, dialog); return TRUE;
    case kSeparatorCheck: OnSeparator(page, dialog); return TRUE;
    case kNupOrderFirstRadio: OnNupOrder(page, dialog, 0); return TRUE;
    case kNupOrderSecondRadio: OnNupOrder(page, dialog, 1); return TRUE;
    default: break;
        }
    }
    if (code == CBN_SETFOCUS) {
        switch (control) {
        case kPaperList: SetPageHint(page, dialog, kHintPaper, kHintInfo); return TRUE;
        case kOutputPaperList: SetPageHint(page, dialog, kHintOutputPaper, kHintInfo); return TRUE;
        case kSourceList: SetPageHint(page, dialog, kHintSource, kHintInfo); return TRUE;
        case kMediaList:
        case kPrintModeList: SetPageHint(page, dialog, 0, 0); return TRUE;
        case kOutputTrayList:
            if (FinisherInstalled(Working(page))) SetPageHint(page, dialog, kHintOutputTray, kHintInfo);
            return TRUE;
        case kNupDownCombo:
        case kNupAcrossCombo: SetPageHint(page, dialog, kHintNup, kHintInfo); return TRUE;
        default: return FALSE;
        }
    }
    if (code == CBN_SELCHANGE) {
        switch (control) {
        case kPaperList: OnPaper(page, dialog); return TRUE;
        case kOutputPaperList: OnOutputPaper(page, dialog); return TRUE;
        case kSourceList: OnSource(page, dialog); return TRUE;
        case kMediaList: OnMediaKind(page, dialog); return TRUE;
        case kPrintModeList: OnPrintMode(page, dialog); return TRUE;
        case kOutputTrayList: OnOutputTray(page, dialog); return TRUE;
        case kNupDownCombo:
        case kNupAcrossCombo: OnNupCount(page, dialog, control); return TRUE;
        default: return FALSE;
        }
    }
    if (code == EN_CHANGE && control == kScaleEdit) {
        OnScaleTyped(page, dialog);
        return TRUE;
    }
    if (code == EN_CHANGE && control == kCopiesEdit) {
        OnCopiesTyped(page, dialog);
        return TRUE;
    }
    if (code == EN_SETFOCUS && control == kCopiesEdit) {
        SetPageHint(page, dialog, kHintCopies, kHintInfo);
        return TRUE;
    }
    return FALSE;
}

BOOL OnContextMenu(PageRecord* page, HWND dialog, HWND control, LPARAM position) {
    const UiContext& context = *page->context;
    const int menuId = (context.workingBlock.OptionFlags & kDataPresetsFixed) != 0 ? 1014 : 1009;
    HMENU menu = LoadMenuW(context.languageLibrary, MAKEINTRESOURCEW(menuId));
    if (menu == nullptr) return FALSE;
    HMENU popup = GetSubMenu(menu, 0);
    if (popup == nullptr) {
        DestroyMenu(menu);
        return FALSE;
    }
    const bool mayChange = (context.flags & kUiMayChange) != 0;
    const bool statusReported = (context.status.printerExtStatus & kStatusReported) != 0;
    EnableMenuItem(popup, kReadStatusItem, MF_BYCOMMAND | (statusReported && mayChange ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(popup, kSavePresetButton,
                   MF_BYCOMMAND | ((context.flags & (kUiMayChange | kUiMayWriteData)) == (kUiMayChange | kUiMayWriteData)
                                       ? MF_ENABLED
                                       : MF_GRAYED));
    EnableMenuItem(popup, kRestoreDefaultsItem, MF_BYCOMMAND | (mayChange ? MF_ENABLED : MF_GRAYED));
    int x = static_cast<short>(LOWORD(position));
    int y = static_cast<short>(HIWORD(position));
    if (position == -1) {
        RECT rect{};
        GetWindowRect(control != nullptr ? control : dialog, &rect);
        x = (rect.left + rect.right) / 2;
        y = (rect.top + rect.bottom) / 2;
    }
    TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, x, y, 0, dialog, nullptr);
    DestroyMenu(menu);
    return TRUE;
}

INT_PTR OnNotify(PageRecord* page, HWND dialog, WPARAM wParam, LPARAM lParam) {
    const auto* note = reinterpret_cast<const NMHDR*>(lParam);
    if (note == nullptr) return FALSE;
    switch (note->code) {
    case PSN_SETACTIVE: {
        const INT_PTR handled = PageFrameDlgProc(dialog, WM_NOTIFY, wParam, lParam);
        OnSetActive(page, dialog);
        return handled;
    }
    case PSN_KILLACTIVE:
        if (CheckEdits(page, dialog)) SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 0);
        return TRUE;
    case PSN_HELP:
        ShowPageHelpTopic(page, kHelpTopic);
        return TRUE;
    default: return PageFrameDlgProc(dialog, WM_NOTIFY, wParam, lParam);
    }
}

}  // namespace

INT_PTR DocumentPage2DlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        const INT_PTR result = PageFrameDlgProc(dialog, message, wParam, lParam);
        PageRecord* page = PageRecordOf(dialog);
        if (page != nullptr && page->context != nullptr) OnInitDialog(page, dialog);
        return result;
    }
    PageRecord* page = PageRecordOf(dialog);
    if (page == nullptr || page->context == nullptr) return FALSE;
    switch (message) {
    case WM_MEASUREITEM: {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (measure == nullptr || measure->CtlID != static_cast<UINT>(kPreviewControl)) return FALSE;
        RECT client{};
        GetClientRect(GetDlgItem(dialog, kPreviewControl), &client);
        measure->itemWidth = static_cast<UINT>(client.right);
        measure->itemHeight = static_cast<UINT>(client.bottom > 0 ? client.bottom : 1);
        return TRUE;
    }
    case WM_DRAWITEM: {
        const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (draw == nullptr || draw->CtlID != static_cast<UINT>(kPreviewControl)) return FALSE;
        if ((draw->itemAction & ODA_DRAWENTIRE) != 0) PaintLayoutPreview(draw, page, dialog);
        return TRUE;
    }
    case WM_NOTIFY: return OnNotify(page, dialog, wParam, lParam);
    case WM_COMMAND: return OnCommand(page, dialog, LOWORD(wParam), HIWORD(wParam));
    case WM_CONTEXTMENU: return OnContextMenu(page, dialog, reinterpret_cast<HWND>(wParam), lParam);
    case WM_HELP: return ShowControlHelp(page, lParam, kHelpIds);
    default: break;
    }
    if (message == kPage2SourceStateMessage) {
        OnSourceState(page, dialog);
        return TRUE;
    }
    if (message == kPage2PaperHintsMessage) {
        ShowPaperPicture(page, dialog);
        return TRUE;
    }
    return PageFrameDlgProc(dialog, message, wParam, lParam);
}

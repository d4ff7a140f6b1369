// The TrueType substitution dialog: each fixed-pitch TrueType face of the system and the
// printer's device font that replaces it, stored as "TBL_TTSubstTable".
#include <iterator>

#include "platform/Controls.h"
#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/Shell.h"
#include "platform/User.h"
#include "resources/ui/StringIds.h"
#include "settings/PrinterData.h"
#include "ui/data/PrinterDataValues.h"
#include "ui/dialogs/SubstDialogs.h"
#include "ui/data/SubstTable.h"

namespace {

constexpr SubstControls kControls{kTTSubstList, kTTSubstLabel, kTTSubstNameText, kTTSubstCombo};
// The device fonts in the order they are offered; the first stands for no substitution.
constexpr UINT kDeviceFontTexts[] = {kNoSubstitutionText, kMinchoFontName,         kVerticalMinchoFontName,
                                     kGothicFontName,     kVerticalGothicFontName, kCourierFontName,
                                     kLinePrinterFontName};
constexpr int kDeviceFontChars = 32;

// Help tables: {control id, help id} pairs ending with 0.
constexpr DWORD kNormalHelpIds[] = {kTTSubstList, 20010, kTTSubstCombo, 20040, kDefaultsButton, 20020, IDOK, 20030,
                                    IDCANCEL, 20050, 0, 0};
constexpr DWORD kReadOnlyHelpIds[] = {kTTSubstList, 20011, kCloseButton, 20060, 0, 0};

bool IsFixedPitchTrueType(const LOGFONTW* font, DWORD type) {
    return font != nullptr && (type & TRUETYPE_FONTTYPE) != 0 && (font->lfPitchAndFamily & FIXED_PITCH) != 0;
}

// Each face of a family: its full name (TrueType fonts come with one), listed once.
int AddFaceProc(const LOGFONTW* font, const TEXTMETRICW* /*metrics*/, DWORD type, LPARAM param) {
    if (!IsFixedPitchTrueType(font, type)) return 1;
    const auto* full = reinterpret_cast<const ENUMLOGFONTW*>(font);
    WCHAR name[kSubstItemChars] = {};
    for (int i = 0; i < LF_FULLFACESIZE && full->elfFullName[i] != u'\0'; ++i) name[i] = full->elfFullName[i];
    if (name[0] == u'\0') return 1;
    const auto list = reinterpret_cast<HWND>(param);
    LVFINDINFOW find{};
    find.flags = LVFI_STRING;
    find.psz = name;
    if (SendMessageW(list, LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)) < 0) {
        AddSubstItem(list, name, 0);
    }
    return 1;
}

struct FamilyWalk {
    HDC dc;
    HWND list;
};

int AddFamilyProc(const LOGFONTW* font, const TEXTMETRICW* /*metrics*/, DWORD type, LPARAM param) {
    if (!IsFixedPitchTrueType(font, type)) return 1;
    const auto* walk = reinterpret_cast<const FamilyWalk*>(param);
    WCHAR family[LF_FACESIZE] = {};
    lstrcpynW(family, font->lfFaceName, LF_FACESIZE);
    EnumFontsW(walk->dc, family, AddFaceProc, reinterpret_cast<LPARAM>(walk->list));
    return 1;
}

void FillTrueTypeFaceList(HWND dialog) {
    const HDC dc = GetDC(dialog);
    FamilyWalk walk{dc, GetDlgItem(dialog, kTTSubstList)};
    EnumFontsW(dc, nullptr, AddFamilyProc, reinterpret_cast<LPARAM>(&walk));
    if (dc != nullptr) ReleaseDC(dialog, dc);
}

void FillDeviceFontList(HWND dialog, HMODULE language) {
    for (UINT id : kDeviceFontTexts) {
        WCHAR text[kDeviceFontChars] = {};
        LoadStringW(language, id, text, kDeviceFontChars);
        const LRESULT entry = SendDlgItemMessageW(dialog, kTTSubstCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        if (entry >= 0) SendDlgItemMessageW(dialog, kTTSubstCombo, CB_SETITEMDATA, static_cast<WPARAM>(entry), id);
    }
}

void LoadTTSubstTable(HWND dialog, UiContext* context) {
    const HWND list = GetDlgItem(dialog, kTTSubstList);
    {
        const StoredSubstTable stored(context, PD_TT_SUBST_TABLE);
        SubstTableReader reader = stored.Reader();
        SubstPair pair{};
        while (reader.Next(&pair)) {
            const int item = FindSubstItem(list, pair.first);
            if (item < 0) continue;
            const int entry = FindSubstChoice(dialog, kControls, pair.second);
            if (entry >= 0) SetSubstItemParam(list, item, entry);
        }
    }
    RefreshSubstLists(dialog, kControls);
}

void ApplyDefaultTTSubst(HWND dialog) {
    const HWND list = GetDlgItem(dialog, kTTSubstList);
    for (int item = 0, count = SubstItemCount(list); item < count; ++item) SetSubstItemParam(list, item, 0);
    SubstTableReader reader = BuiltInSubstTable(kDefaultTTSubstTableId);
    SubstPair pair{};
    while (reader.Next(&pair)) {
        const int item = FindSubstItemExact(list, pair.first);
        if (item < 0) continue;
        const int entry = FindSubstChoice(dialog, kControls, pair.second);
        if (entry >= 0) SetSubstItemParam(list, item, entry);
    }
    RefreshSubstLists(dialog, kControls);
}

// Only faces with a substitution are stored; both names go through the same cut when the
// table is counted and when it is packed.
bool SaveTTSubstTable(HWND dialog, UiContext* context) {
    const HWND list = GetDlgItem(dialog, kTTSubstList);
    return StoreSubstTable(context, PD_TT_SUBST_TABLE, [&](auto put) {
        for (int item = 0, count = SubstItemCount(list); item < count; ++item) {
            if (SubstItemParam(list, item) <= 0) continue;
            WCHAR face[kSubstItemChars] = {};
            WCHAR device[kSubstItemChars] = {};
            GetSubstItemText(list, item, 0, face, kSubstItemChars);
            GetSubstItemText(list, item, 1, device, kSubstItemChars);
            put(face, device);
        }
    });
}

void OnInitDialog(HWND dialog, PageRecord* page) {
    UiContext* context = page->context;
    const bool readOnly = IsReadOnlySubst(page);
    InsertSubstColumns(dialog, kControls, context->languageLibrary, kTrueTypeFontColumnText, kPrinterFontColumnText);
    LayoutSubstMode(dialog, kControls, readOnly);
    FillTrueTypeFaceList(dialog);
    FillDeviceFontList(dialog, context->languageLibrary);
    if (readOnly && (context->workingBlock.OptionFlags & kOptionBuiltinTTSubst) != 0) {
        ApplyDefaultTTSubst(dialog);
    } else {
        LoadTTSubstTable(dialog, context);
    }
}

void OnItemChanged(HWND dialog, const NMLISTVIEW* change) {
    if ((change->uChanged & LVIF_STATE) == 0 || (change->uNewState & LVIS_FOCUSED) == 0) return;
    ShowSubstItem(dialog, kControls, change->iItem);
}

}  // namespace

INT_PTR TTSubstDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* page = reinterpret_cast<PageRecord*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        if (page == nullptr || page->context == nullptr) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        OnInitDialog(dialog, page);
        return TRUE;
    }
    auto* page = reinterpret_cast<PageRecord*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (page == nullptr || page->context == nullptr) return FALSE;
    switch (message) {
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header == nullptr || header->idFrom != kTTSubstList || header->code != LVN_ITEMCHANGED) return FALSE;
        OnItemChanged(dialog, reinterpret_cast<const NMLISTVIEW*>(lParam));
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            // The read-only layout has no OK; Enter must not store there either.
            if (IsReadOnlySubst(page)) return TRUE;
            SaveTTSubstTable(dialog, page->context);
            EndDialog(dialog, 1);
            return TRUE;
        case IDCANCEL:
        case kCloseButton: EndDialog(dialog, 0); return TRUE;
        case kDefaultsButton:
            if (!IsReadOnlySubst(page)) ApplyDefaultTTSubst(dialog);
            return TRUE;
        case kTTSubstCombo:
            if (HIWORD(wParam) != CBN_SELCHANGE) return FALSE;
            SetSelectedSubstChoice(dialog, kControls,
                                   static_cast<int>(SendDlgItemMessageW(dialog, kTTSubstCombo, CB_GETCURSEL, 0, 0)));
            return TRUE;
        default: return FALSE;
        }
    case WM_HELP: return ShowSubstHelp(page, lParam, kNormalHelpIds, kReadOnlyHelpIds);
    default: return FALSE;
    }
}

INT_PTR ShowTTSubstDialog(PageRecord* page, HWND owner, int templateId) {
    return OpenSubstDialog(page, owner, templateId, TTSubstDlgProc);
}

// The output-paper substitution dialog: for each paper of the form list, the output paper it
// is printed on, stored as "TBL_OutPaperTable". Stored (or built-in) pairs that the lists
// cannot show are kept and stored again, so that OK never drops the installation's table.
#include <initializer_list>
#include <new>

#include "platform/Controls.h"
#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/Shell.h"
#include "platform/User.h"
#include "resources/ui/StringIds.h"
#include "settings/PrinterData.h"
#include "ui/pages/PageCommon.h"
#include "ui/data/PrinterDataValues.h"
#include "ui/dialogs/SubstDialogs.h"
#include "ui/data/SubstTable.h"

namespace {

constexpr SubstControls kControls{kOutPaperSubstList, kOutPaperSubstLabel, kOutPaperSubstNameText, kOutPaperSubstCombo};
// The settings tree's labels of the two papers head the columns.
constexpr UINT kPaperColumnText = kPaperSizeTreeItem;
constexpr UINT kOutputColumnText = kOutputPaperTreeItem;
constexpr int kNoOutputChars = 32;
constexpr LPARAM kUnset = -1;

// An output paper's size, in tenths of a millimetre: above the first, at most the second.
constexpr LONG kMinWidth = 1650, kMaxWidth = 4572, kMinLength = 1777, kMaxLength = 3556;
// Standard papers are never output papers.
constexpr const char16_t* kStandardPapers[] = {
    u"A3", u"A4", u"A5", u"B4 (JIS)", u"B5 (JIS)", u"Letter", u"はがき", u"往復はがき",
    u"A3 横", u"A4 横", u"A5 横", u"B4 (JIS) 横", u"B5 (JIS) 横", u"Letter 横", u"はがき 横", u"往復はがき 横",
};

constexpr DWORD kNormalHelpIds[] = {kOutPaperSubstList, 21010, kOutPaperSubstCombo, 21040, kDefaultsButton, 21020,
                                    IDOK,               21030, IDCANCEL,            21050, 0,               0};
constexpr DWORD kReadOnlyHelpIds[] = {kOutPaperSubstList, 21011, kCloseButton, 21060, 0, 0};

// The dialog's own record (GWLP_USERDATA): the pairs the lists cannot show, packed as stored.
struct OutPaperState {
    UiPoolBlock kept;
    DWORD keptCb = 0;
};

OutPaperState* StateOf(HWND dialog) { return reinterpret_cast<OutPaperState*>(GetWindowLongPtrW(dialog, GWLP_USERDATA)); }

bool IsStandardPaper(LPCWSTR name) {
    for (LPCWSTR standard : kStandardPapers) {
        if (lstrcmpW(name, standard) == 0) return true;
    }
    return false;
}

bool IsOutputPaper(const UiContext* context, DWORD form) {
    const FormSize& size = context->formSize[form];
    return size.width > kMinWidth && size.width <= kMaxWidth && size.length > kMinLength && size.length <= kMaxLength &&
           !IsStandardPaper(context->formName[form]);
}

// The form's name, cut to the stored length.
void FormName(const UiContext* context, DWORD form, WCHAR (&out)[kSubstItemChars]) {
    lstrcpynW(out, context->formName[form], static_cast<int>(kSubstNameChars + 1));
}

void FillOutPaperSourceList(HWND dialog, const UiContext* context) {
    const HWND list = GetDlgItem(dialog, kOutPaperSubstList);
    for (DWORD form = 0; form < context->formCount; ++form) {
        WCHAR name[kSubstItemChars] = {};
        FormName(context, form, name);
        AddSubstItem(list, name, kUnset);
    }
}

// The model's default form as an entry of the output papers, -1 when it is none of them.
int DefaultFormChoice(HWND dialog, const UiContext* context) {
    if (context->model == nullptr) return -1;
    const ModelForm* form = ModelDefaultForm(context->model);
    if (form == nullptr) return -1;
    const int entry = FindSubstChoice(dialog, kControls, ModelString(context->model, form->NameOffset));
    return entry > 0 ? entry : -1;
}

void FillOutPaperTargetList(HWND dialog, const UiContext* context) {
    const HWND list = GetDlgItem(dialog, kOutPaperSubstList);
    for (int item = 0, count = SubstItemCount(list); item < count; ++item) SetSubstItemParam(list, item, kUnset);
    for (DWORD form = 0; form < context->formCount; ++form) {
        if (!IsOutputPaper(context, form)) continue;
        WCHAR name[kSubstItemChars] = {};
        FormName(context, form, name);
        const LRESULT entry = SendDlgItemMessageW(dialog, kOutPaperSubstCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        if (entry >= 0) {
            SendDlgItemMessageW(dialog, kOutPaperSubstCombo, CB_SETITEMDATA, static_cast<WPARAM>(entry),
                                static_cast<LPARAM>(context->formIndex[form]));
        }
        const int item = FindSubstItem(list, name);
        if (item >= 0) SetSubstItemParam(list, item, 0);
    }
    WCHAR none[kNoOutputChars] = {};
    LoadStringW(context->languageLibrary, kNoOutputPaperText, none, kNoOutputChars);
    SendDlgItemMessageW(dialog, kOutPaperSubstCombo, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(none));
    SendDlgItemMessageW(dialog, kOutPaperSubstCombo, CB_SETITEMDATA, 0, 0);
    const int fallback = DefaultFormChoice(dialog, context);
    if (fallback < 0) return;
    for (int item = 0, count = SubstItemCount(list); item < count; ++item) {
        if (SubstItemParam(list, item) != 0) SetSubstItemParam(list, item, fallback);
    }
}

// Shows the pairs of the table the lists can show (find picks the paper's item) and keeps the
// others, in their order, for the next save.
template <class FindItem>
void TakePairs(HWND dialog, UiContext* context, SubstTableReader reader, FindItem findItem) {
    OutPaperState* state = StateOf(dialog);
    const HWND list = GetDlgItem(dialog, kOutPaperSubstList);
    state->kept.Reset();
    state->keptCb = 0;
    // Kept pairs are never longer than the bytes they were read from.
    const DWORD capacity = reader.Size();
    if (capacity != 0) state->kept = UiPoolBlock(context->pool, capacity);
    SubstPair pair{};
    while (reader.Next(&pair)) {
        const int item = findItem(list, pair.first);
        const int entry = FindSubstChoice(dialog, kControls, pair.second);
        if (item >= 0 && entry > 0) {
            SetSubstItemParam(list, item, entry);
        } else if (state->kept.Valid()) {
            PutSubstPair(state->kept.Bytes(), capacity, &state->keptCb, pair.first, pair.second);
        }
    }
    if (state->keptCb > capacity) state->keptCb = capacity;
}

void LoadOutPaperTable(HWND dialog, UiContext* context) {
    {
        const StoredSubstTable stored(context, PD_OUT_PAPER_TABLE);
        TakePairs(dialog, context, stored.Reader(), FindSubstItem);
    }
    RefreshSubstLists(dialog, kControls);
}

void ApplyDefaultOutPaper(HWND dialog, UiContext* context) {
    const HWND list = GetDlgItem(dialog, kOutPaperSubstList);
    const int fallback = DefaultFormChoice(dialog, context);
    for (int item = 0, count = SubstItemCount(list); item < count; ++item) {
        WCHAR name[kSubstItemChars] = {};
        GetSubstItemText(list, item, 0, name, kSubstItemChars);
        SetSubstItemParam(list, item, FindSubstChoice(dialog, kControls, name) > 0 ? 0 : fallback);
    }
    TakePairs(dialog, context, BuiltInSubstTable(kDefaultOutPaperTableId), FindSubstItemExact);
    RefreshSubstLists(dialog, kControls);
}

// Papers with an output paper of their own choosing, then the kept pairs of papers the user
// did not set here.
bool SaveOutPaperTable(HWND dialog, UiContext* context) {
    const HWND list = GetDlgItem(dialog, kOutPaperSubstList);
    const OutPaperState* state = StateOf(dialog);
    return StoreSubstTable(context, PD_OUT_PAPER_TABLE, [&](auto put) {
        for (int item = 0, count = SubstItemCount(list); item < count; ++item) {
            if (SubstItemParam(list, item) <= 0) continue;
            WCHAR paper[kSubstItemChars] = {};
            WCHAR output[kSubstItemChars] = {};
            GetSubstItemText(list, item, 0, paper, kSubstItemChars);
            GetSubstItemText(list, item, 1, output, kSubstItemChars);
            put(paper, output);
        }
        if (state == nullptr || !state->kept.Valid()) return;
        SubstTableReader kept(state->kept.Bytes(), state->keptCb);
        SubstPair pair{};
        while (kept.Next(&pair)) {
            const int item = FindSubstItem(list, pair.first);
            if (item < 0 || SubstItemParam(list, item) <= 0) put(pair.first, pair.second);
        }
    });
}

void OnChoice(HWND dialog, PageRecord* page) {
    const int entry = static_cast<int>(SendDlgItemMessageW(dialog, kOutPaperSubstCombo, CB_GETCURSEL, 0, 0));
    if (entry < 0) return;
    WCHAR paper[kSubstItemChars] = {};
    GetDlgItemTextW(dialog, kOutPaperSubstNameText, paper, kSubstItemChars);
    if (entry != 0 || FindSubstChoice(dialog, kControls, paper) > 0) {
        SetSelectedSubstChoice(dialog, kControls, entry);
        return;
    }
    // Only an output paper can go without one.
    ShowPageWarning(page, dialog, kNeedsOutputPaperMessage);
    const HWND list = GetDlgItem(dialog, kOutPaperSubstList);
    const int item = SelectedSubstItem(list);
    const LPARAM current = item >= 0 ? SubstItemParam(list, item) : kUnset;
    SendDlgItemMessageW(dialog, kOutPaperSubstCombo, CB_SETCURSEL, static_cast<WPARAM>(current), 0);
    if (current >= 0) SendDlgItemMessageW(dialog, kOutPaperSubstCombo, CB_SETTOPINDEX, static_cast<WPARAM>(current), 0);
}

void EnableChoices(HWND dialog, const PageRecord* page) {
    if (IsReadOnlySubst(page)) return;
    for (int control : {kOutPaperSubstLabel, kOutPaperSubstNameText, kOutPaperSubstCombo})
        EnableWindow(GetDlgItem(dialog, control), TRUE);
}

bool OnInitDialog(HWND dialog, PageRecord* page) {
    UiContext* context = page->context;
    void* memory = UiPoolAlloc(context->pool, sizeof(OutPaperState));
    if (memory == nullptr) return false;
    SetWindowLongPtrW(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new (memory) OutPaperState));
    const bool readOnly = IsReadOnlySubst(page);
    InsertSubstColumns(dialog, kControls, context->languageLibrary, kPaperColumnText, kOutputColumnText);
    LayoutSubstMode(dialog, kControls, readOnly);
    FillOutPaperSourceList(dialog, context);
    FillOutPaperTargetList(dialog, context);
    if (readOnly && (context->workingBlock.OptionFlags & kOptionNoOutPaperTable) != 0) {
        ApplyDefaultOutPaper(dialog, context);
    } else {
        LoadOutPaperTable(dialog, context);
    }
    EnableChoices(dialog, page);
    return true;
}

void OnDestroy(HWND dialog, PageRecord* page) {
    OutPaperState* state = StateOf(dialog);
    if (state == nullptr) return;
    SetWindowLongPtrW(dialog, GWLP_USERDATA, 0);
    state->~OutPaperState();
    UiPoolFree(page->context->pool, state);
}

}  // namespace

INT_PTR OutPaperDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* page = reinterpret_cast<PageRecord*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        if (page == nullptr || page->context == nullptr || !OnInitDialog(dialog, page)) EndDialog(dialog, 0);
        return TRUE;
    }
    auto* page = reinterpret_cast<PageRecord*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (page == nullptr || page->context == nullptr || StateOf(dialog) == nullptr) return FALSE;
    switch (message) {
    case WM_DESTROY: OnDestroy(dialog, page); return FALSE;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header == nullptr || header->idFrom != kOutPaperSubstList || header->code != LVN_ITEMCHANGED) return FALSE;
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
        if ((change->uChanged & LVIF_STATE) == 0 || (change->uNewState & LVIS_FOCUSED) == 0) return TRUE;
        ShowSubstItem(dialog, kControls, change->iItem);
        EnableChoices(dialog, page);
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            if (IsReadOnlySubst(page)) return TRUE;
            SaveOutPaperTable(dialog, page->context);
            EndDialog(dialog, 1);
            return TRUE;
        case IDCANCEL:
        case kCloseButton: EndDialog(dialog, 0); return TRUE;
        case kDefaultsButton:
            if (IsReadOnlySubst(page)) return TRUE;
            ApplyDefaultOutPaper(dialog, page->context);
            EnableChoices(dialog, page);
            return TRUE;
        case kOutPaperSubstCombo:
            if (HIWORD(wParam) != CBN_SELCHANGE) return FALSE;
            OnChoice(dialog, page);
            return TRUE;
        default: return FALSE;
        }
    case WM_HELP: return ShowSubstHelp(page, lParam, kNormalHelpIds, kReadOnlyHelpIds);
    default: return FALSE;
    }
}

INT_PTR ShowOutPaperDialog(PageRecord* page, HWND owner, int templateId) {
    return OpenSubstDialog(page, owner, templateId, OutPaperDlgProc);
}

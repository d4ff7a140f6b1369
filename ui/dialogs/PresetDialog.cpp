// The preset dialog: the stored presets in an icon list, saving the working settings as a new
// or replacing preset, deleting, and reordering by dragging.
#include "ui/dialogs/PresetDialog.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/Controls.h"
#include "platform/PropSheet.h"
#include "platform/User.h"
#include "resources/ui/StringIds.h"
#include "ui/pages/PageCommon.h"
#include "ui/pages/PageIcons.h"
#include "ui/pages/PropertyPages.h"
#include "ui/dialogs/TreeDialogs.h"
#include "ui/entry/UiOwners.h"

namespace {

constexpr int kIconCount = static_cast<int>(kPresetIconCount);
constexpr int kIconItemHeight = 54;
constexpr UINT kFocusNameMessage = 1130;
constexpr UINT kListBoxSetFocus = 4;  // LBN_SETFOCUS

// Strings of the language library.

constexpr DWORD kPresetHelpIds[] = {0, 0};

// The dialog's own state, kept in its GWLP_USERDATA from WM_INITDIALOG to its end.
struct PresetDialogState {
    PageRecord* page = nullptr;
    std::vector<std::u16string> savedNames;  // saved in this dialog, newest first
    // Dragging.
    ImageListHandle dragImage;
    bool dragging = false;
    int dragItem = -1;
    RECT listRect{};   // the list in the dialog's client coordinates
    RECT leftZone{};   // scroll zones at its edges, half an item wide
    RECT rightZone{};
    int scrollStep = 0;  // pixels per timer tick; 0 while no zone is entered
    int scrolled = 0;    // the list's horizontal scroll since opening
};

PresetDialogState* StateOf(HWND dialog) {
    return reinterpret_cast<PresetDialogState*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
}

HWND List(HWND dialog) { return GetDlgItem(dialog, kPresetDialogList); }

int SelectedItem(HWND list) {
    return static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void SetItemState(HWND list, int item, UINT state, UINT mask) {
    LVITEMW lv{};
    lv.state = state;
    lv.stateMask = mask;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lv));
}

void SelectAndFocus(HWND list, int item) {
    SetItemState(list, item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(item), FALSE);
}

int InsertRecord(HWND list, int at, PresetRecord* record) {
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = at;
    item.pszText = record->name;
    item.iImage = static_cast<int>(record->icon);
    item.lParam = reinterpret_cast<LPARAM>(record);
    return static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

// The first item whose name is the text, -1 for none.
int FindByName(HWND list, const std::u16string& name) {
    const int count = PresetItemCount(list);
    for (int i = 0; i < count; ++i) {
        const PresetRecord* record = PresetAt(list, i);
        if (record != nullptr && name == record->name) return i;
    }
    return -1;
}

std::u16string ControlText(HWND dialog, int control, int chars) {
    std::u16string text(static_cast<size_t>(chars), u'\0');
    const UINT got = GetDlgItemTextW(dialog, control, text.data(), chars);
    text.resize(got);
    return text;
}

int Message(HWND dialog, const PresetDialogState& state, UINT textId, UINT style) {
    const UiContext* context = state.page->context;
    return ShowMessage(dialog, textId, context->printerName, 0, style, context->languageLibrary);
}

void ClearSelection(HWND dialog) {
    SetDlgItemTextW(dialog, kPresetDialogCommentText, u"");
    EnableWindow(GetDlgItem(dialog, kPresetDialogDeleteButton), FALSE);
    SetItemState(List(dialog), -1, 0, LVIS_SELECTED);
}

void ForgetName(PresetDialogState* state, const std::u16string& name) {
    auto& names = state->savedNames;
    names.erase(std::remove(names.begin(), names.end(), name), names.end());
}

void OnInitDialog(HWND dialog, PresetDialogState* state) {
    PageRecord* page = state->page;
    HWND icons = GetDlgItem(dialog, kPresetDialogIconList);
    SendMessageW(icons, LB_SETITEMHEIGHT, 0, kIconItemHeight);
    // The icons stand side by side in square cells.
    SendMessageW(icons, LB_SETCOLUMNWIDTH, kIconItemHeight, 0);
    for (int i = 0; i < kIconCount; ++i) {
        const LRESULT at = SendMessageW(icons, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u""));
        SendMessageW(icons, LB_SETITEMDATA, static_cast<WPARAM>(at), i);
    }
    HWND list = List(dialog);
    SendMessageW(list, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(PageLargeImages(page)));
    ReadPresetTable(dialog, page, kPresetDialogList);
    SendDlgItemMessageW(dialog, kPresetDialogNameEdit, EM_LIMITTEXT, kPresetNameChars - 1, 0);
    SendDlgItemMessageW(dialog, kPresetDialogCommentEdit, EM_LIMITTEXT, kPresetCommentChars - 1, 0);
    SendMessageW(icons, LB_SETCURSEL, 0, 0);
    EnableWindow(GetDlgItem(dialog, kPresetDialogDeleteButton), FALSE);
    EnableWindow(GetDlgItem(dialog, kPresetDialogSaveButton), FALSE);
    const int current = page->context->workingBlock.PresetIndex;
    if (const PresetRecord* record = current >= 0 ? PresetAt(list, current) : nullptr)
        state->savedNames.insert(state->savedNames.begin(), std::u16string(record->name));
    PostMessageW(dialog, kFocusNameMessage, 0, 0);
}

void OnListItemChanged(HWND dialog, const NMLISTVIEW* note) {
    if ((note->uChanged & LVIF_STATE) == 0) return;
    const UINT wanted = LVIS_SELECTED | LVIS_FOCUSED;
    // Selected or focused now (not only keeping one of them while losing the other).
    if ((note->uNewState & ~note->uOldState & wanted) != 0) {
        const PresetRecord* record = reinterpret_cast<const PresetRecord*>(note->lParam);
        EnableWindow(GetDlgItem(dialog, kPresetDialogDeleteButton), TRUE);
        SetDlgItemTextW(dialog, kPresetDialogCommentText, record != nullptr ? record->comment : u"");
        SetDlgItemTextW(dialog, kPresetDialogNameEdit, u"");
        SetDlgItemTextW(dialog, kPresetDialogCommentEdit, u"");
        EnableWindow(GetDlgItem(dialog, kPresetDialogSaveButton), FALSE);
    } else if ((note->uOldState & LVIS_SELECTED) != 0 && (note->uNewState & LVIS_SELECTED) == 0) {
        SetDlgItemTextW(dialog, kPresetDialogCommentText, u"");
        EnableWindow(GetDlgItem(dialog, kPresetDialogDeleteButton), FALSE);
    }
}

void OnDelete(HWND dialog, PresetDialogState* state) {
    HWND list = List(dialog);
    const int item = SelectedItem(list);
    PresetRecord* record = item >= 0 ? PresetAt(list, item) : nullptr;
    if (record == nullptr) return;
    if ((record->id & kPresetBuiltIn) != 0) {
        Message(dialog, *state, kBuiltInPresetKeptMessage, MB_ICONINFORMATION);
        return;
    }
    if (Message(dialog, *state, kDeletePresetMessage, MB_OKCANCEL | MB_ICONEXCLAMATION) != IDOK) return;
    ForgetName(state, record->name);
    SendMessageW(list, LVM_DELETEITEM, static_cast<WPARAM>(item), 0);
    UiPoolFree(state->page->context->pool, record);
    SendMessageW(list, LVM_ARRANGE, LVA_ALIGNLEFT, 0);
    SetDlgItemTextW(dialog, kPresetDialogCommentText, u"");
    EnableWindow(GetDlgItem(dialog, kPresetDialogDeleteButton), FALSE);
    const int count = PresetItemCount(list);
    if (count > 0) SelectAndFocus(list, std::min(item, count - 1));
}

void OnSave(HWND dialog, PresetDialogState* state) {
    HWND list = List(dialog);
    const std::u16string name = ControlText(dialog, kPresetDialogNameEdit, kPresetNameChars);
    const std::u16string comment = ControlText(dialog, kPresetDialogCommentEdit, kPresetCommentChars);
    const int existing = FindByName(list, name);
    if (existing >= 0) {
        if ((PresetAt(list, existing)->id & kPresetBuiltIn) != 0) {
            Message(dialog, *state, kBuiltInPresetNameMessage, MB_ICONINFORMATION);
            return;
        }
        if (Message(dialog, *state, kReplacePresetMessage, MB_OKCANCEL | MB_ICONEXCLAMATION) != IDOK) return;
    }
    const int limit = existing >= 0 ? kPresetLimit + 1 : kPresetLimit;
    if (PresetItemCount(list) >= limit) {
        Message(dialog, *state, kPresetLimitMessage, MB_ICONINFORMATION);
        return;
    }
    if (ShowPresetTreeDialog(state->page, dialog) != 1) {
        ClearSelection(dialog);
        return;
    }
    UiContext* context = state->page->context;
    const LRESULT icon = SendDlgItemMessageW(dialog, kPresetDialogIconList, LB_GETCURSEL, 0, 0);
    if (icon < 0) return;
    // The new record is had before the one it replaces goes: a save that fails keeps the list
    // as it was, and says so.
    auto* record = static_cast<PresetRecord*>(UiPoolAlloc(context->pool, sizeof(PresetRecord)));
    if (record == nullptr) {
        Message(dialog, *state, kPresetsNotSavedMessage, MB_ICONWARNING);
        return;
    }
    MakeUserPreset(context->workingBlock, static_cast<DWORD>(icon), name.c_str(), comment.c_str(), record);
    const int at = InsertRecord(list, PresetItemCount(list), record);
    if (at < 0) {
        UiPoolFree(context->pool, record);
        Message(dialog, *state, kPresetsNotSavedMessage, MB_ICONWARNING);
        return;
    }
    if (existing >= 0) {
        PresetRecord* replaced = PresetAt(list, existing);
        SendMessageW(list, LVM_DELETEITEM, static_cast<WPARAM>(existing), 0);
        UiPoolFree(context->pool, replaced);
    }
    const int added = PresetItemCount(list) - 1;
    SelectAndFocus(list, added);
    ForgetName(state, record->name);
    state->savedNames.insert(state->savedNames.begin(), std::u16string(record->name));
    SetDlgItemTextW(dialog, kPresetDialogNameEdit, u"");
    SetDlgItemTextW(dialog, kPresetDialogCommentEdit, u"");
}

// The display position OK makes current: the preset saved last (or current at opening), else
// the standard preset; 0 when none matches or the list holds one preset.
int ChosenPresetIndex(HWND dialog, const PresetDialogState& state) {
    HWND list = List(dialog);
    if (PresetItemCount(list) <= 1) return 0;
    std::u16string name;
    if (!state.savedNames.empty()) {
        name = state.savedNames.front();
    } else {
        WCHAR standard[kPresetNameChars] = {};
        LoadStringW(state.page->context->languageLibrary, kPresetStandardName, standard,
                    static_cast<int>(kPresetNameChars));
        name = standard;
    }
    return std::max(FindByName(list, name), 0);
}

// --- Dragging ---------------------------------------------------------------------------

void BeginDrag(HWND dialog, PresetDialogState* state, const NMLISTVIEW* note) {
    HWND list = List(dialog);
    if (SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0) != 1) return;
    POINT imageAt{};
    state->dragImage.Reset(reinterpret_cast<HIMAGELIST>(
        SendMessageW(list, LVM_CREATEDRAGIMAGE, static_cast<WPARAM>(note->iItem), reinterpret_cast<LPARAM>(&imageAt))));
    if (!state->dragImage.Valid()) return;
    state->dragging = true;
    state->dragItem = note->iItem;
    GetWindowRect(list, &state->listRect);
    POINT corner{state->listRect.left, state->listRect.top};
    POINT far{state->listRect.right, state->listRect.bottom};
    ScreenToClient(dialog, &corner);
    ScreenToClient(dialog, &far);
    state->listRect = RECT{corner.x, corner.y, far.x, far.y};
    const LONG half = std::max<LONG>(1, LOWORD(SendMessageW(list, LVM_GETITEMSPACING, 0, 0)) / 2);
    state->leftZone = RECT{corner.x, corner.y, corner.x + half, far.y};
    state->rightZone = RECT{far.x - half, corner.y, far.x, far.y};
    ImageList_BeginDrag(state->dragImage.Get(), 0, note->ptAction.x - imageAt.x, note->ptAction.y - imageAt.y);
    POINT start = note->ptAction;
    ClientToScreen(list, &start);
    ScreenToClient(dialog, &start);
    ImageList_DragEnter(dialog, start.x, start.y);
    SetCapture(dialog);
}

void OnDragMove(HWND dialog, PresetDialogState* state, POINT at) {
    ImageList_DragMove(at.x, at.y);
    const bool overList = PtInRect(&state->listRect, at) != FALSE;
    SetCursor(overList ? nullptr : LoadCursorW(nullptr, IDC_NO));
    HWND list = List(dialog);
    const int step = std::max(1, LOWORD(SendMessageW(list, LVM_GETITEMSPACING, 0, 0)) / 2);
    int scroll = 0;
    if (PtInRect(&state->leftZone, at)) scroll = -step;
    if (PtInRect(&state->rightZone, at)) scroll = step;
    if (scroll == state->scrollStep) return;
    state->scrollStep = scroll;
    if (scroll != 0)
        SetTimer(dialog, kPresetTimer, kPresetTimerMs, nullptr);
    else
        KillTimer(dialog, kPresetTimer);
}

void OnScrollTimer(HWND dialog, PresetDialogState* state) {
    if (!state->dragging || state->scrollStep == 0) return;
    ImageList_DragShowNolock(FALSE);
    SendMessageW(List(dialog), LVM_SCROLL, static_cast<WPARAM>(state->scrollStep), 0);
    state->scrolled += state->scrollStep;
    ImageList_DragShowNolock(TRUE);
}

// Moves the dragged record after the item left of the drop point (first when there is none)
// and fills the list again in the new order.
void DropAt(HWND dialog, PresetDialogState* state, POINT at) {
    HWND list = List(dialog);
    POINT inList = at;
    ClientToScreen(dialog, &inList);
    ScreenToClient(list, &inList);
    const int count = PresetItemCount(list);
    int target = -1;
    for (int i = 0; i < count; ++i) {
        RECT bounds{};
        bounds.left = LVIR_BOUNDS;
        if (SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&bounds)) != FALSE &&
            bounds.left < inList.x)
            target = i;
    }
    const int moved = state->dragItem;
    if (moved < 0 || moved >= count || target == moved || target == moved - 1) return;
    std::vector<PresetRecord*> order;
    for (int i = 0; i < count; ++i) order.push_back(PresetAt(list, i));
    PresetRecord* dragged = order[static_cast<size_t>(moved)];
    order.erase(order.begin() + moved);
    const int place = target < moved ? target + 1 : target;
    order.insert(order.begin() + place, dragged);
    // Emptying the list keeps the records, which are put back in the new order.
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    for (size_t i = 0; i < order.size(); ++i) InsertRecord(list, static_cast<int>(i), order[i]);
    if (state->scrolled != 0) SendMessageW(list, LVM_SCROLL, static_cast<WPARAM>(state->scrolled), 0);
    SelectAndFocus(list, place);
}

void EndDrag(HWND dialog, PresetDialogState* state, const POINT* dropAt) {
    if (!state->dragging) return;
    state->dragging = false;
    ImageList_DragLeave(dialog);
    ImageList_EndDrag();
    ReleaseCapture();
    KillTimer(dialog, kPresetTimer);
    state->scrollStep = 0;
    state->dragImage.Reset();
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    if (dropAt != nullptr && PtInRect(&state->listRect, *dropAt)) DropAt(dialog, state, *dropAt);
    state->dragItem = -1;
}

// --- Messages ---------------------------------------------------------------------------

void DrawIconItem(const PresetDialogState& state, const DRAWITEMSTRUCT* draw) {
    if (draw->itemID == static_cast<UINT>(-1)) return;
    const bool selected = (draw->itemState & ODS_SELECTED) != 0;
    const GdiObject brush(CreateSolidBrush(GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW)));
    FillRect(draw->hDC, &draw->rcItem, static_cast<HBRUSH>(brush.Get()));
    HIMAGELIST images = PageLargeImages(state.page);
    if (images == nullptr) return;
    int cx = 32;
    int cy = 32;
    ImageList_GetIconSize(images, &cx, &cy);
    const int x = draw->rcItem.left + (draw->rcItem.right - draw->rcItem.left - cx) / 2;
    const int y = draw->rcItem.top + (draw->rcItem.bottom - draw->rcItem.top - cy) / 2;
    ImageList_Draw(images, static_cast<int>(draw->itemData), draw->hDC, x, y, ILD_TRANSPARENT);
}

void OnCommand(HWND dialog, PresetDialogState* state, int control, int code) {
    switch (control) {
    case IDOK: {
        const SHORT chosen = static_cast<SHORT>(ChosenPresetIndex(dialog, *state));
        state->savedNames.clear();
        // A list that is not the whole table (it could not be read or copied whole) is not
        // written: the stored presets stay, the current one with them, and the user is told.
        if (!WritePresetTable(dialog, state->page, kPresetDialogList, TRUE)) {
            Message(dialog, *state, kPresetsNotSavedMessage, MB_ICONWARNING);
            EndDialog(dialog, 0);
            return;
        }
        state->page->context->workingBlock.PresetIndex = chosen;
        EndDialog(dialog, 1);
        return;
    }
    case IDCANCEL:
        state->savedNames.clear();
        WritePresetTable(dialog, state->page, kPresetDialogList, FALSE);
        EndDialog(dialog, 0);
        return;
    case kPresetDialogDeleteButton:
        if (code == BN_CLICKED) OnDelete(dialog, state);
        return;
    case kPresetDialogSaveButton:
        if (code == BN_CLICKED) OnSave(dialog, state);
        return;
    case kPresetDialogNameEdit:
        if (code == EN_CHANGE)
            EnableWindow(GetDlgItem(dialog, kPresetDialogSaveButton),
                         GetWindowTextLengthW(GetDlgItem(dialog, kPresetDialogNameEdit)) > 0 ? TRUE : FALSE);
        if (code == EN_SETFOCUS) ClearSelection(dialog);
        return;
    case kPresetDialogCommentEdit:
        if (code == EN_SETFOCUS) ClearSelection(dialog);
        return;
    case kPresetDialogIconList:
        if (code == static_cast<int>(kListBoxSetFocus) || code == LBN_SELCHANGE) ClearSelection(dialog);
        return;
    default: return;
    }
}

void OnNotify(HWND dialog, PresetDialogState* state, const NMHDR* header) {
    if (header->idFrom != kPresetDialogList) return;
    switch (header->code) {
    case LVN_ITEMCHANGED: OnListItemChanged(dialog, reinterpret_cast<const NMLISTVIEW*>(header)); return;
    case LVN_BEGINDRAG: BeginDrag(dialog, state, reinterpret_cast<const NMLISTVIEW*>(header)); return;
    case LVN_KEYDOWN:
        if (reinterpret_cast<const NMLVKEYDOWN*>(header)->wVKey == VK_DELETE) OnDelete(dialog, state);
        return;
    default: return;
    }
}

POINT PointOf(LPARAM lParam) {
    return POINT{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
}

}  // namespace

INT_PTR PresetDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* page = reinterpret_cast<PageRecord*>(lParam);
        if (page == nullptr || page->context == nullptr) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        auto state = std::make_unique<PresetDialogState>();
        state->page = page;
        SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
        SetWindowLongPtrW(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state.get()));
        OnInitDialog(dialog, state.release());
        return TRUE;
    }
    PresetDialogState* state = StateOf(dialog);
    if (state == nullptr) return FALSE;
    switch (message) {
    case WM_COMMAND: OnCommand(dialog, state, LOWORD(wParam), HIWORD(wParam)); return TRUE;
    case WM_NOTIFY: OnNotify(dialog, state, reinterpret_cast<const NMHDR*>(lParam)); return TRUE;
    case WM_DRAWITEM:
        if (wParam != kPresetDialogIconList) return FALSE;
        DrawIconItem(*state, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_MEASUREITEM:
        if (wParam != kPresetDialogIconList) return FALSE;
        reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = kIconItemHeight;
        return TRUE;
    case WM_MOUSEMOVE:
        if (state->dragging) OnDragMove(dialog, state, PointOf(lParam));
        return TRUE;
    case WM_LBUTTONUP: {
        const POINT at = PointOf(lParam);
        EndDrag(dialog, state, &at);
        return TRUE;
    }
    case WM_TIMER:
        if (wParam == kPresetTimer) OnScrollTimer(dialog, state);
        return TRUE;
    case WM_HELP: {
        const auto* help = reinterpret_cast<const HELPINFO*>(lParam);
        if (help != nullptr && help->iContextType == HELPINFO_WINDOW)
            InvokeHtmlHelp(static_cast<HWND>(help->hItemHandle), state->page->context->helpPath, HH_TP_HELP_WM_HELP,
                           reinterpret_cast<ULONG_PTR>(kPresetHelpIds));
        return TRUE;
    }
    case kFocusNameMessage: SetFocus(GetDlgItem(dialog, kPresetDialogNameEdit)); return TRUE;
    case WM_DESTROY:
        EndDrag(dialog, state, nullptr);
        SetWindowLongPtrW(dialog, GWLP_USERDATA, 0);
        delete state;
        return FALSE;
    default: return FALSE;
    }
}

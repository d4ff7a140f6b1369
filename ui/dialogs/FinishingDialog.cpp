// The finishing-position dialog: two rows of pictures, one per finishing position, that edit
// the context's scratch block and hand it to the working block on OK. Its lists, current
// entries and hovered items live in the dialog's own record, one per open dialog.
#include <memory>
#include <new>
#include <string_view>

#include "platform/Controls.h"
#include "platform/User.h"
#include "platform/UserDialogs.h"
#include "platform/WinGdi.h"
#include "resources/ui/ControlIds.h"
#include "resources/ui/StringIds.h"
#include "ui/dialogs/Finishing.h"
#include "ui/pages/PropertyPages.h"
#include "ui/entry/UiInstance.h"

namespace {

constexpr int kItemsPerRow = 6;
constexpr int kLabelChars = 32;  // at most 31 characters and the terminator
constexpr COLORREF kSelectedFill = RGB(10, 36, 106);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr int kIconSide = 32;

// One of the two rows: its list, the current entry (-1 none) and the hovered item.
struct PositionRow {
    int control = 0;
    int label = 0;
    FinishPositionList list{};
    int current = -1;
    WORD hover = kNoHoverItem;
    WNDPROC previous = nullptr;
};

struct FinishDialog {
    PageRecord* page = nullptr;
    HWND dialog = nullptr;
    PositionRow rows[2];
};

FinishDialog* DialogOf(HWND dialog) { return reinterpret_cast<FinishDialog*>(GetWindowLongPtrW(dialog, DWLP_USER)); }

DriverDevMode& Scratch(FinishDialog& d) { return d.page->context->scratchBlock; }

PositionRow* RowOf(FinishDialog& d, int control) {
    for (PositionRow& row : d.rows) {
        if (row.control == control) return &row;
    }
    return nullptr;
}

const FinishPositionEntry* EntryAt(const PositionRow& row, int index) {
    if (index < 0 || static_cast<size_t>(index) >= FinishListLength(row.list)) return nullptr;
    return &row.list[static_cast<size_t>(index)];
}

// The label of an entry, at most 31 characters, and its two lines around the first "|".
struct Label {
    WCHAR text[kLabelChars] = {};
    std::u16string_view first;
    std::u16string_view second;
};

Label LoadLabel(const FinishDialog& d, const FinishPositionEntry& entry) {
    Label label;
    LoadStringW(d.page->context->languageLibrary, static_cast<UINT>(entry.label), label.text, kLabelChars);
    const std::u16string_view text(label.text);
    const size_t bar = text.find(u'|');
    label.first = text.substr(0, bar);
    label.second = bar == std::u16string_view::npos ? std::u16string_view{} : text.substr(bar + 1);
    return label;
}

void ShowLabel(FinishDialog& d, const PositionRow& row, int index) {
    const FinishPositionEntry* entry = EntryAt(row, index);
    if (entry == nullptr) return;
    const Label label = LoadLabel(d, *entry);
    std::u16string joined(label.first);
    joined += label.second;
    SetDlgItemTextW(d.dialog, row.label, joined.c_str());
}

int IndexOfCode(const PositionRow& row, int code) {
    const size_t length = FinishListLength(row.list);
    for (size_t i = 0; i < length; ++i) {
        if (row.list[i].code == code) return static_cast<int>(i);
    }
    return -1;
}

void Select(FinishDialog& d, PositionRow& row, int index) {
    SendDlgItemMessageW(d.dialog, row.control, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    InvalidateRect(GetDlgItem(d.dialog, row.control), nullptr, FALSE);
}

// The name of the paper the rules look at: the context's form of that code, else dmFormName.
void ShowPaperName(FinishDialog& d) {
    const UiContext* context = d.page->context;
    const int paper = FinishingPaper(context->scratchBlock);
    for (DWORD i = 0; context->formIndex != nullptr && context->formName != nullptr && i < context->formCount; ++i) {
        if (context->formIndex[i] == paper) {
            WCHAR name[kUiNameChars + 1] = {};
            std::char_traits<char16_t>::copy(name, context->formName[i], kUiNameChars);
            SetDlgItemTextW(d.dialog, kFinishingPaperText, name);
            return;
        }
    }
    WCHAR name[CCHFORMNAME + 1] = {};
    std::char_traits<char16_t>::copy(name, context->scratchBlock.Public.dmFormName, CCHFORMNAME);
    SetDlgItemTextW(d.dialog, kFinishingPaperText, name);
}

void InvalidateItem(HWND list, WORD item) {
    if (item == kNoHoverItem) return;
    RECT rect{};
    if (SendMessageW(list, LB_GETITEMRECT, item, reinterpret_cast<LPARAM>(&rect)) != LB_ERR) InvalidateRect(list, &rect, FALSE);
}

LRESULT CALLBACK PositionListWndProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* d = reinterpret_cast<FinishDialog*>(GetWindowLongPtrW(list, GWLP_USERDATA));
    PositionRow* row = d != nullptr ? RowOf(*d, GetDlgCtrlID(list)) : nullptr;
    if (row == nullptr || row->previous == nullptr) return DefWindowProcW(list, message, wParam, lParam);
    const LRESULT answer = CallWindowProcW(row->previous, list, message, wParam, lParam);
    if (message == WM_MOUSEMOVE) {
        const POINT point{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
        WORD hovered = kNoHoverItem;
        const size_t length = FinishListLength(row->list);
        for (size_t i = 0; i < length && hovered == kNoHoverItem; ++i) {
            RECT rect{};
            if (SendMessageW(list, LB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&rect)) != LB_ERR && PtInRect(&rect, point)) {
                hovered = static_cast<WORD>(i);
            }
        }
        if (hovered != row->hover) {
            InvalidateItem(list, row->hover);
            InvalidateItem(list, hovered);
            row->hover = hovered;
        }
    } else if (message == WM_NCMOUSEMOVE && row->hover != kNoHoverItem) {
        InvalidateItem(list, row->hover);
        row->hover = kNoHoverItem;
        UpdateWindow(list);
    }
    return answer;
}

void FillRow(FinishDialog& d, PositionRow& row, int position) {
    HWND list = GetDlgItem(d.dialog, row.control);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    // The pictures stand side by side, each a sixth of the list wide.
    RECT client{};
    GetClientRect(list, &client);
    SendMessageW(list, LB_SETCOLUMNWIDTH, static_cast<WPARAM>(client.right / kItemsPerRow), 0);
    const size_t length = FinishListLength(row.list);
    for (size_t i = 0; i < length; ++i) {
        const LRESULT item = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u""));
        if (item >= 0) SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(item), static_cast<LPARAM>(i));
    }
    row.current = IndexOfCode(row, position);
    Select(d, row, row.current);
    SetWindowLongPtrW(list, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&d));
    row.previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PositionListWndProc)));
}

void UnhookRows(FinishDialog& d) {
    for (PositionRow& row : d.rows) {
        HWND list = GetDlgItem(d.dialog, row.control);
        if (list == nullptr || row.previous == nullptr) continue;
        SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(row.previous));
        SetWindowLongPtrW(list, GWLP_USERDATA, 0);
        row.previous = nullptr;
    }
}

BOOL InitDialog(HWND dialog, PageRecord* page) {
    if (page == nullptr || page->context == nullptr) {
        EndDialog(dialog, FALSE);
        return TRUE;
    }
    auto owned = std::unique_ptr<FinishDialog>(new (std::nothrow) FinishDialog());
    if (owned == nullptr) {
        EndDialog(dialog, FALSE);
        return TRUE;
    }
    FinishDialog& d = *owned.release();  // freed at WM_DESTROY
    d.page = page;
    d.dialog = dialog;
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&d));
    UiContext* context = page->context;
    context->scratchBlock = context->workingBlock;
    const DriverDevMode& scratch = context->scratchBlock;
    ShowPaperName(d);
    d.rows[0].control = kFinishingFirstList;
    d.rows[0].label = kFinishingFirstText;
    d.rows[0].list = BuildFinishPosition1Table(scratch, IsManualSource(scratch, context->model, context->languageLibrary));
    d.rows[1].control = kFinishingSecondList;
    d.rows[1].label = kFinishingSecondText;
    d.rows[1].list = BuildFinishPosition2Table(scratch);
    FillRow(d, d.rows[0], scratch.FinishPosition1);
    FillRow(d, d.rows[1], scratch.FinishPosition2);
    return TRUE;
}

void MeasureItem(HWND dialog, MEASUREITEMSTRUCT* measure) {
    RECT client{};
    if (!GetClientRect(GetDlgItem(dialog, static_cast<int>(measure->CtlID)), &client)) return;
    measure->itemWidth = static_cast<UINT>(client.right / kItemsPerRow);
    if (client.bottom > 0) measure->itemHeight = static_cast<UINT>(client.bottom);
}

void DrawItem(FinishDialog& d, const DRAWITEMSTRUCT* item) {
    const PositionRow* row = RowOf(d, static_cast<int>(item->CtlID));
    if (row == nullptr || (item->itemAction & (ODA_DRAWENTIRE | ODA_SELECT)) == 0) return;
    const FinishPositionEntry* entry = EntryAt(*row, static_cast<int>(item->itemData));
    if (entry == nullptr) return;
    HDC hdc = item->hDC;
    const RECT& r = item->rcItem;
    const bool selected = (item->itemState & ODS_SELECTED) != 0;
    HBRUSH fill = CreateSolidBrush(selected ? kSelectedFill : kWhite);
    FillRect(hdc, &r, fill);
    DeleteObject(fill);

    const int middle = (r.left + r.right) / 2;
    const int height = r.bottom - r.top;
    if (HICON icon = LoadIconW(UiLibraryInstance(), MAKEINTRESOURCEW(entry->icon))) {
        DrawIconEx(hdc, middle - 15, r.top + (height - 14) / 3 - 16, icon, kIconSide, kIconSide, 0, nullptr, DI_NORMAL);
    }
    const Label label = LoadLabel(d, *entry);
    const COLORREF oldColour = SetTextColor(hdc, selected ? kWhite : kBlack);
    const int oldMode = SetBkMode(hdc, TRANSPARENT);
    const UINT oldAlign = SetTextAlign(hdc, TA_CENTER | TA_BOTTOM);
    const int y = r.top + (height * 8 - 112) / 10 - 1;
    TextOutW(hdc, middle + 1, y, label.first.data(), static_cast<int>(label.first.size()));
    SetTextAlign(hdc, TA_CENTER | TA_TOP);
    TextOutW(hdc, middle + 1, y, label.second.data(), static_cast<int>(label.second.size()));
    SetTextAlign(hdc, oldAlign);
    SetBkMode(hdc, oldMode);
    SetTextColor(hdc, oldColour);

    const DriverDevMode& scratch = Scratch(d);
    const int position = row->control == kFinishingFirstList ? scratch.FinishPosition1 : scratch.FinishPosition2;
    if (entry->code == position) ShowLabel(d, *row, static_cast<int>(item->itemData));
}

int SelectedIndex(FinishDialog& d, const PositionRow& row) {
    const LRESULT selected = SendDlgItemMessageW(d.dialog, row.control, LB_GETCURSEL, 0, 0);
    if (selected < 0) return -1;
    return static_cast<int>(SendDlgItemMessageW(d.dialog, row.control, LB_GETITEMDATA, static_cast<WPARAM>(selected), 0));
}

// Sets the scratch block's duplex and its copy back to one-sided printing.
void DuplexOff(FinishDialog& d) {
    Scratch(d).Public.dmDuplex = DMDUP_SIMPLEX;
    Scratch(d).SavedDuplex = DMDUP_SIMPLEX;
    ShowFinishingMessage(d.page, d.dialog, kDuplexOffForFinishingMessage, MB_ICONWARNING, false);
}

// The common part of a choice in the row of side 0 (first) or 1 (second): the duplex
// conflict prompt, then the question whether the other row's position, which conflicts with
// the choice, is to be cleared, and the choice stored with its chosen flag. False when
// nothing more is to be done; else the item the row stands on and the position stored.
bool ChoosePosition(FinishDialog& d, int side, int index, int& chosen, int& code) {
    const bool first = side == 0;
    PositionRow& row = d.rows[first ? 0 : 1];
    PositionRow& other = d.rows[first ? 1 : 0];
    DriverDevMode& s = Scratch(d);
    BYTE& own = first ? s.FinishPosition1 : s.FinishPosition2;
    BYTE& cleared = first ? s.FinishPosition2 : s.FinishPosition1;
    InvalidateRect(GetDlgItem(d.dialog, row.control), nullptr, FALSE);
    ShowLabel(d, row, index);
    const FinishPositionEntry* entry = EntryAt(row, index);
    if (entry == nullptr || index == row.current) return false;
    chosen = index;
    code = entry->code;
    bool changed = true;
    const bool duplexConflict =
        first ? FinishPosition1DuplexConflict(s.Public.dmOrientation, s.Public.dmDuplex, code, s.PagesPerSheet)
              : FinishPosition2DuplexConflict(s.Public.dmOrientation, s.Public.dmDuplex, code, s.PagesPerSheet);
    if (duplexConflict) {
        const INT_PTR answer =
            ShowFinishConflictPrompt(d.page, d.dialog, first ? kFirstAgainstDuplexPrompt : kSecondAgainstDuplexPrompt);
        if (answer == kConflictGiveUp) {
            Select(d, row, row.current);
            changed = false;
            chosen = row.current;
            const FinishPositionEntry* current = EntryAt(row, row.current);
            code = current != nullptr ? current->code : own;
        } else if (answer == kConflictAlternative) {
            DuplexOff(d);
        }
    }
    if (FinishPositionsConflict(s.Public.dmOrientation, FinishingPaper(s), first ? code : s.FinishPosition1,
                                first ? s.FinishPosition2 : code, s.PagesPerSheet, s.Public.dmDefaultSource)) {
        if (ShowFinishingMessage(d.page, d.dialog, first ? kClearSecondPositionMessage : kClearFirstPositionMessage,
                                 MB_OKCANCEL | MB_ICONEXCLAMATION, false) != IDOK) {
            Select(d, row, row.current);
            return false;
        }
        cleared = 0;
        s.CoverFlags &= ~(first ? kOutputSecondChosen : kOutputFirstChosen);
        other.current = 0;
        Select(d, other, 0);
        ShowFinishingMessage(d.page, d.dialog, first ? kSecondPositionDroppedMessage : kFirstPositionDroppedMessage,
                             MB_ICONWARNING, false);
    } else if (!changed) {
        return false;
    }
    const DWORD ownFlag = first ? kOutputFirstChosen : kOutputSecondChosen;
    if (code != 0) {
        s.CoverFlags |= ownFlag;
    } else {
        s.CoverFlags &= ~ownFlag;
    }
    own = static_cast<BYTE>(code);
    return true;
}

void ChooseFirst(FinishDialog& d, int index) {
    int chosen = 0;
    int code = 0;
    if (!ChoosePosition(d, 0, index, chosen, code)) return;
    DriverDevMode& s = Scratch(d);
    WarnFirstPosition(d.page, d.dialog, s, code, true);
    if ((s.CoverFlags & kOutputFirstOption) != 0 && code != 0) {
        s.CoverFlags &= ~kOutputFirstOption;
        ShowFinishingMessage(d.page, d.dialog, kOutputPositionOffMessage, MB_ICONWARNING, false);
    } else if ((d.page->context->workingBlock.CoverFlags & kOutputFirstOption) != 0 && code == 0) {
        s.CoverFlags |= kOutputFirstOption;
    }
    d.rows[0].current = chosen;
}

void ChooseSecond(FinishDialog& d, int index) {
    int chosen = 0;
    int code = 0;
    if (!ChoosePosition(d, 1, index, chosen, code)) return;
    WarnSecondPosition(d.page, d.dialog, Scratch(d), code, true);
    d.rows[1].current = chosen;
}

void RestoreDefaultPositions(FinishDialog& d) {
    DriverDevMode& s = Scratch(d);
    s.FinishPosition1 = 0;
    s.FinishPosition2 = 0;
    s.CoverFlags &= ~(kOutputFirstChosen | kOutputSecondChosen);
    for (PositionRow& row : d.rows) {
        row.current = 0;
        Select(d, row, 0);
    }
}

}  // namespace

INT_PTR FinishPositionDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) return InitDialog(dialog, reinterpret_cast<PageRecord*>(lParam));
    // Fixed-height owner-drawn lists are measured as they are made, before WM_INITDIALOG.
    if (message == WM_MEASUREITEM) {
        MeasureItem(dialog, reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        return TRUE;
    }
    FinishDialog* d = DialogOf(dialog);
    if (d == nullptr) return FALSE;
    switch (message) {
    case WM_DRAWITEM:
        DrawItem(*d, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case kFinishingFirstList:
        case kFinishingSecondList:
            if (HIWORD(wParam) == LBN_SELCHANGE) {
                const int index = SelectedIndex(*d, LOWORD(wParam) == kFinishingFirstList ? d->rows[0] : d->rows[1]);
                if (LOWORD(wParam) == kFinishingFirstList) {
                    ChooseFirst(*d, index);
                } else {
                    ChooseSecond(*d, index);
                }
            }
            return TRUE;
        case kDefaultsButton:
            RestoreDefaultPositions(*d);
            return TRUE;
        case IDOK:
            d->page->context->workingBlock = d->page->context->scratchBlock;
            EndDialog(dialog, TRUE);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, FALSE);
            return TRUE;
        default:
            return FALSE;
        }
    case WM_DESTROY:
        UnhookRows(*d);
        SetWindowLongPtrW(dialog, DWLP_USER, 0);
        delete d;
        return FALSE;
    default:
        return FALSE;
    }
}

INT_PTR ShowFinishPositionDialog(PageRecord* page, HWND owner) {
    if (page == nullptr || page->context == nullptr || page->context->languageLibrary == nullptr) return 0;
    const INT_PTR result = DialogBoxParamW(page->context->languageLibrary, MAKEINTRESOURCEW(kFinishingDialogTemplate), owner,
                                           &FinishPositionDlgProc, reinterpret_cast<LPARAM>(page));
    return result > 0 ? result : 0;
}

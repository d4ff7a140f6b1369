// Document page three's items: the table of what each tree item shows and sets, the control
// set of each kind of item, and the choice of an entry.
#include <algorithm>
#include <cstdio>
#include <iterator>

#include "platform/Kernel.h"
#include "platform/User.h"
#include "resources/ui/ControlIds.h"
#include "resources/ui/PictureIds.h"
#include "resources/ui/StringIds.h"
#include "ui/pages/DocumentPage3Internal.h"
#include "ui/pages/PageCommon.h"
#include "ui/dialogs/PresetDialog.h"
#include "ui/tree/SettingsTree.h"
#include "ui/entry/UiInstance.h"

namespace page3 {
namespace {

constexpr DWORD Bit(int n) { return 1u << n; }

// The icons of a switch's two entries.
constexpr WORD kOnIcon = kCheckMarkIconId;
constexpr WORD kOffIcon = kCrossMarkIconId;
constexpr Item kItems[] = {
    {kPrinterTreeItem, ItemKind::Version, nullptr, {}, 0, FlagWord::Feature, 0, 0, false, 0, 0, 0},
    {kGraphicsTreeItem, ItemKind::Heading, nullptr, {}, 0, FlagWord::Feature, 0, 0, false, 0, 0, 0},
    {kFontsTreeItem, ItemKind::Heading, nullptr, {}, 0, FlagWord::Feature, 0, 0, false, 0, 0, 0},
    {kJobTreeItem, ItemKind::Heading, nullptr, {}, 0, FlagWord::Feature, 0, 0, false, 0, 0, 0},
    {kResolutionTreeItem, ItemKind::Resolution, u"(&R)", {}, 0, FlagWord::Feature, 0, 0, false, 0, 320, 0},
    {kTonerSaveTreeItem, ItemKind::Choice, u"(&B)", {{kStandardText, kOffIcon}, {kTonerSaveOnText, kOnIcon}}, 2,
     FlagWord::Feature, Bit(10), kTonerSaveOnText, true, kTonerSaveHint, 300, 0},
    {kSmoothingTreeItem, ItemKind::Choice, u"(&P)",
     {{kStandardText, kJaggedLineIconId}, {kEnhancedText, kSmoothLineIconId}}, 2, FlagWord::Feature, Bit(11),
     kEnhancedText, false, kSmoothingHint, 319, 0},
    {kTrueTypeSubstitutionTreeItem, ItemKind::Choice, u"(&T)", {{kOnText, kOnIcon}, {kOffText, kOffIcon}}, 2,
     FlagWord::Feature, Bit(13), kOnText, true, 0, 323, 0},
    {kDownloadAsOutlineTreeItem, ItemKind::Choice, u"(&O)", {{kOutlineOnText, kOnIcon}, {kOutlineOffText, kOffIcon}}, 2,
     FlagWord::Feature, Bit(15), kOutlineOnText, true, 0, 313, 0},
    {kTrueTypeAsGraphicsTreeItem, ItemKind::Choice, u"(&U)",
     {{kTrueTypeAsGraphicsOffText, kOffIcon}, {kTrueTypeAsGraphicsOnText, kOnIcon}}, 2, FlagWord::Feature, Bit(14),
     kTrueTypeAsGraphicsOnText, true, 0, 301, 0},
    {kOwnerTextTreeItem, ItemKind::OwnerText, u"(&L)",
     {{kOwnerNoneText, kOwnerTextNoneIconId},
      {kOwnerUserNameText, kOwnerTextUserNameIconId},
      {kOwnerOwnText, kOwnerTextOwnIconId}},
     3, FlagWord::Feature, 0, 0, false, 0, 311, 0},
    {kPrintProcessingTreeItem, ItemKind::Choice, u"(&C)",
     {{kFastProcessingText, kFastProcessingIconId}, {kStandardProcessingText, kStandardProcessingIconId}}, 2,
     FlagWord::Feature, Bit(24), kFastProcessingText, false, kFastProcessingHint, 302, 0},
    {kCompatibleMarginsTreeItem, ItemKind::Choice, u"(&D)",
     {{kStandardText, kOffIcon}, {kCompatibleMarginsOnText, kOnIcon}}, 2, FlagWord::Option, Bit(18),
     kCompatibleMarginsOnText, true, kCompatibleMarginsHint, 0, 0},
    {kEdgeEnhancementTreeItem, ItemKind::Choice, u"(&E)",
     {{kEdgeEnhancementOnText, kOnIcon}, {kEdgeEnhancementOffText, kOffIcon}}, 2, FlagWord::Feature, Bit(27),
     kEdgeEnhancementOnText, true, kEdgeEnhancementHint, 325, 0},
    {kColourAdjustmentTreeItem, ItemKind::Button, nullptr, {}, 0, FlagWord::Feature, 0, 0, false, 0, 308,
     kColourAdjustmentButtonText},
    {kPrintPositionTreeItem, ItemKind::Button, nullptr, {}, 0, FlagWord::Feature, 0, 0, false, 0, 316,
     kPrintPositionButtonText},
    {kFormOverlayTreeItem, ItemKind::Button, nullptr, {}, 0, FlagWord::Feature, 0, 0, false, kFormOverlayHint, 306,
     kFormOverlayButtonText},
    {kReadPrinterStatusTreeItem, ItemKind::Button, nullptr, {}, 0, FlagWord::Feature, 0, 0, false, 0, 318,
     kReadStatusButtonText},
};

constexpr DWORD kUserNameBit = Bit(21);
constexpr DWORD kOwnerTextBit = Bit(22);
constexpr DWORD kSubstitutionBit = Bit(13);
constexpr WORD kResolutionIcon = kResolutionIconId;
constexpr int kMaxListRows = 7;
constexpr int kLabelChars = 128;

// The controls the page shows and hides by item, and each kind's set (ending with -1).
constexpr int kControls[] = {kItemLabel, kItemIcon, kItemList, kItemText, kItemTextLabel, kItemButton,
                             kItemSecondButton, kItemModelName, kItemDriverName, kItemVersion, kItemVersionExtra, 0};
constexpr int kListSet[] = {kItemLabel, kItemList, -1};
constexpr int kSubstitutionSet[] = {kItemLabel, kItemList, kItemSecondButton, -1};
constexpr int kOwnerTextSet[] = {kItemLabel, kItemList, kItemText, kItemTextLabel, -1};
constexpr int kButtonSet[] = {kItemLabel, kItemButton, -1};
constexpr int kVersionSet[] = {kItemIcon, kItemModelName, kItemDriverName, kItemVersion, kItemVersionExtra, -1};
// Controls whose help follows the shown item (the tree has the placeholder's id). The list
// ends with an id that no template of the language library holds, as it always has.
constexpr int kUnheldHelpControl = 1007;
constexpr int kHelpControls[kHelpControlCount] = {kTreePlaceholder, kItemLabel,      kItemIcon,    kItemList,
                                                  kItemText,        kItemTextLabel,  kItemButton,  kItemSecondButton,
                                                  kItemModelName,   kItemDriverName, kItemVersion, kItemVersionExtra,
                                                  kDefaultsButton,  kUnheldHelpControl};

DWORD* WordOf(DriverDevMode& block, FlagWord word) {
    return word == FlagWord::Feature ? &block.FeatureFlags : &block.OptionFlags;
}
DWORD* SavedWordOf(DriverDevMode& block, FlagWord word) {
    return word == FlagWord::Feature ? &block.SavedFeatureFlags : &block.SavedOptionFlags;
}

const int* ControlSetOf(const Item& item) {
    switch (item.kind) {
    case ItemKind::Version: return kVersionSet;
    case ItemKind::Resolution: return kListSet;
    case ItemKind::Choice: return item.id == kTrueTypeSubstitutionTreeItem ? kSubstitutionSet : kListSet;
    case ItemKind::OwnerText: return kOwnerTextSet;
    case ItemKind::Button: return kButtonSet;
    case ItemKind::Heading: break;
    }
    return nullptr;
}

void SetLabel(PageRecord* page, HWND dialog, const Item& item) {
    WCHAR text[kLabelChars + 8] = {};
    LoadStringW(page->context->languageLibrary, static_cast<UINT>(item.id), text, kLabelChars);
    if (item.accelerator != nullptr) lstrcatW(text, item.accelerator);
    SetDlgItemTextW(dialog, kItemLabel, text);
}

void AddEntry(HWND list, LPCWSTR text, WORD value, WORD icon) {
    const auto index = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (index >= 0) SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(index), MAKELONG(icon, value));
}

void FillList(PageRecord* page, HWND dialog, const Item& item) {
    HWND list = GetDlgItem(dialog, kItemList);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    if (item.kind == ItemKind::Resolution) {
        const ModelDescription* model = page->context->model;
        const auto* records =
            model != nullptr ? ModelList<ModelResolution>(model, model->ResolutionOffset, model->ResolutionCount) : nullptr;
        for (DWORD i = 0; records != nullptr && i < model->ResolutionCount; ++i) {
            WCHAR text[24];
            char narrow[24];
            std::snprintf(narrow, sizeof narrow, "%ludpi", static_cast<unsigned long>(records[i].Value1));
            int n = 0;
            for (; narrow[n] != '\0'; ++n) text[n] = static_cast<char16_t>(narrow[n]);
            text[n] = u'\0';
            AddEntry(list, text, static_cast<WORD>(records[i].Value1), kResolutionIcon);
        }
        return;
    }
    for (int i = 0; i < item.entryCount; ++i) {
        WCHAR text[kLabelChars] = {};
        LoadStringW(page->context->languageLibrary, item.entries[i].text, text, kLabelChars);
        AddEntry(list, text, item.entries[i].text, item.entries[i].icon);
    }
}

// The value (high word of the entry's data) that the block holds for the item.
WORD CurrentValue(const Item& item, DriverDevMode& block) {
    switch (item.kind) {
    case ItemKind::Resolution: return static_cast<WORD>(block.Public.dmPrintQuality);
    case ItemKind::Choice: {
        if ((*WordOf(block, item.word) & item.bit) != 0) return item.setEntry;
        for (int i = 0; i < item.entryCount; ++i) {
            if (item.entries[i].text != item.setEntry) return item.entries[i].text;
        }
        return 0;
    }
    case ItemKind::OwnerText:
        if (block.FeatureFlags & kUserNameBit) return kOwnerUserNameText;
        if (block.FeatureFlags & kOwnerTextBit) return kOwnerOwnText;
        return kOwnerNoneText;
    default: return 0;
    }
}

// The list's height becomes min(entries + 1, 7) rows, in place.
void SizeList(HWND dialog) {
    HWND list = GetDlgItem(dialog, kItemList);
    RECT rect{};
    if (list == nullptr || !GetControlRectInDialog(dialog, kItemList, &rect)) return;
    const auto entries = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    const auto rowHeight = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
    RECT client{};
    GetClientRect(list, &client);
    const int frame = static_cast<int>((rect.bottom - rect.top) - (client.bottom - client.top));
    const int rows = std::min(std::max(entries, 0) + 1, kMaxListRows);
    MoveWindow(list, rect.left, rect.top, rect.right - rect.left, rows * rowHeight + frame, TRUE);
}

// The owner text field follows the item's entry: the user name shown and disabled, the own
// text shown and enabled, or nothing. The texts are copied bounded: a block may hold them
// unterminated.
void ShowOwnerTextField(PageRecord* page, HWND dialog, WORD entry) {
    const DriverDevMode& block = page->context->workingBlock;
    WCHAR text[kOwnerTextChars + 2] = {};
    if (entry == kOwnerUserNameText) {
        std::copy_n(block.UserName1, std::min<size_t>(std::size(block.UserName1), std::size(text) - 1), text);
    } else if (entry == kOwnerOwnText) {
        std::copy_n(block.UserName2, std::min<size_t>(std::size(block.UserName2), std::size(text) - 1), text);
    }
    const bool own = entry == kOwnerOwnText && IsWindowEnabled(GetDlgItem(dialog, kItemList));
    SetDlgItemTextW(dialog, kItemText, text);
    EnableWindow(GetDlgItem(dialog, kItemText), own);
    EnableWindow(GetDlgItem(dialog, kItemTextLabel), own);
}

void SetHelpNumbers(HWND dialog, PageRecord* page, DWORD help) {
    State* state = StateOf(dialog, page);
    if (state == nullptr) return;
    for (int i = 0; i < kHelpControlCount; ++i) {
        state->helpIds[2 * i] = static_cast<DWORD>(kHelpControls[i]);
        state->helpIds[2 * i + 1] = help;
    }
    state->helpIds[2 * kHelpControlCount] = 0;
    state->helpIds[2 * kHelpControlCount + 1] = 0;
}

}  // namespace

const Item* FindItem(int itemId) {
    for (const Item& item : kItems) {
        if (item.id == itemId) return &item;
    }
    return nullptr;
}

int SelectedTreeItem(PageRecord* page) {
    if (page->tree == nullptr) return 0;
    const auto item = reinterpret_cast<HTREEITEM>(SendMessageW(page->tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (item == nullptr) return 0;
    TVITEMW data{};
    data.mask = TVIF_HANDLE | TVIF_PARAM;
    data.hItem = item;
    if (!SendMessageW(page->tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data))) return 0;
    return TreeItemId(data.lParam);
}

void ShowItem(PageRecord* page, HWND dialog, int itemId) {
    State* state = StateOf(dialog, page);
    if (state != nullptr) state->shownItem = itemId;
    SetPageHint(page, dialog, 0, 0);
    const Item* item = FindItem(itemId);
    ShowControlGroup(page, dialog, kControls, item != nullptr ? ControlSetOf(*item) : nullptr);
    SendMessageW(GetDlgItem(dialog, kItemList), LB_RESETCONTENT, 0, 0);
    SetHelpNumbers(dialog, page, item != nullptr ? item->help : 0);
    if (item != nullptr) {
        SetLabel(page, dialog, *item);
        switch (item->kind) {
        case ItemKind::Version: ShowDriverVersion(page, dialog); break;
        case ItemKind::Button: {
            WCHAR text[kLabelChars] = {};
            LoadStringW(page->context->languageLibrary, item->buttonLabel, text, kLabelChars);
            SetDlgItemTextW(dialog, kItemButton, text);
            break;
        }
        case ItemKind::Resolution:
        case ItemKind::Choice:
        case ItemKind::OwnerText:
            FillList(page, dialog, *item);
            SelectCurrentEntry(page, dialog);
            break;
        case ItemKind::Heading: break;
        }
        if (item->hint != 0) SetPageHint(page, dialog, item->hint, kHintInfo);
    }
    SizeList(dialog);
}

void SelectCurrentEntry(PageRecord* page, HWND dialog) {
    State* state = StateOf(dialog, page);
    const Item* item = state != nullptr ? FindItem(state->shownItem) : nullptr;
    if (item == nullptr) return;
    HWND list = GetDlgItem(dialog, kItemList);
    const WORD value = CurrentValue(*item, page->context->workingBlock);
    const auto count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    int current = 0;  // no entry of the block's value: the first
    for (int i = 0; i < count; ++i) {
        if (HIWORD(static_cast<DWORD>(SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(i), 0))) == value) {
            current = i;
            break;
        }
    }
    if (count > 0) {
        SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(current), 0);
        // A list that shows every entry is not scrolled.
        const int top = count + 1 <= kMaxListRows ? 0 : current;
        SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(top), 0);
    }
    if (item->kind == ItemKind::OwnerText) ShowOwnerTextField(page, dialog, value);
    if (item->id == kTrueTypeSubstitutionTreeItem) {
        EnableWindow(GetDlgItem(dialog, kItemSecondButton),
                     IsWindowEnabled(list) && (page->context->workingBlock.FeatureFlags & kSubstitutionBit) != 0);
        WCHAR text[kLabelChars] = {};
        LoadStringW(page->context->languageLibrary, kSubstitutionTableButtonText, text, kLabelChars);
        SetDlgItemTextW(dialog, kItemSecondButton, text);
    }
}

void ChooseEntry(PageRecord* page, HWND dialog) {
    State* state = StateOf(dialog, page);
    const Item* item = state != nullptr ? FindItem(state->shownItem) : nullptr;
    if (item == nullptr) return;
    HWND list = GetDlgItem(dialog, kItemList);
    const auto index = SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (index < 0) return;
    const WORD value = HIWORD(static_cast<DWORD>(SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(index), 0)));
    DriverDevMode& block = page->context->workingBlock;
    switch (item->kind) {
    case ItemKind::Resolution:
        block.Public.dmPrintQuality = static_cast<SHORT>(value);
        OnSettingChanged(page, dialog, item->id, TRUE);
        break;
    case ItemKind::Choice: {
        DWORD* word = WordOf(block, item->word);
        *word = value == item->setEntry ? (*word | item->bit) : (*word & ~item->bit);
        if (item->saved) {
            DWORD* saved = SavedWordOf(block, item->word);
            *saved = value == item->setEntry ? (*saved | item->bit) : (*saved & ~item->bit);
        }
        if (item->id == kPrintProcessingTreeItem) {
            OnSettingChanged(page, dialog, 0, TRUE);
            MarkPresetModified(page, dialog);
        } else {
            OnSettingChanged(page, dialog, item->id, TRUE);
        }
        break;
    }
    case ItemKind::OwnerText:
        block.FeatureFlags &= ~(kUserNameBit | kOwnerTextBit);
        if (value == kOwnerUserNameText) block.FeatureFlags |= kUserNameBit;
        if (value == kOwnerOwnText) block.FeatureFlags |= kOwnerTextBit;
        OnSettingChanged(page, dialog, item->id, TRUE);
        SetPageHint(page, dialog, 0, 0);
        break;
    default: return;
    }
    // What the resolver left is what the page shows.
    SelectCurrentEntry(page, dialog);
    if (item->kind == ItemKind::OwnerText) CheckAnsiNameField(dialog, page, NameFieldCheck::Deferred);
}

}  // namespace page3

// Routines every page shares with document page one: a change run through the resolver and
// the settings tree, a control group shown or hidden, and the check of the owner name that
// goes to the printer in the ANSI code page.
#include <algorithm>
#include <iterator>

#include "platform/Controls.h"
#include "platform/Kernel.h"
#include "platform/User.h"
#include "ui/Constraints.h"
#include "ui/DocumentPage1.h"
#include "ui/PageCommon.h"
#include "ui/PropertyPages.h"
#include "ui/SettingsTree.h"

namespace {

constexpr DWORD kPrintOwnerName = 1u << 21;  // FeatureFlags
constexpr int kNameChars = 17;
constexpr int kNameBytes = 34;
constexpr int kNameScanBytes = 17;
constexpr UINT kNameWarning = 724;
constexpr int kNameTreeItem = 447;

bool IsLeadByte(unsigned char byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

// Whether the settings tree's selected item is greyed.
bool TreeSelectionGreyed(const PageRecord* page) {
    if (page == nullptr || page->tree == nullptr) return false;
    const LRESULT selected = SendMessageW(page->tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
    if (selected == 0) return false;
    TVITEMW item{};
    item.mask = TVIF_PARAM;
    item.hItem = reinterpret_cast<HTREEITEM>(selected);
    if (SendMessageW(page->tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) == FALSE) return false;
    return (TreeItemFlags(item.lParam) & kTreeFlagGreyed) != 0;
}

bool Lists(const int* list, int id, int end) {
    if (list == nullptr) return false;
    for (; *list != end; ++list) {
        if (*list == id) return true;
    }
    return false;
}

}  // namespace

void OnSettingChanged(PageRecord* page, HWND pageWindow, int settingId, BOOL notify) {
    if (page == nullptr || page->context == nullptr) return;
    UiContext* context = page->context;
    ApplyConstraints(&context->workingBlock, page, &context->status, context->printer, context->model, pageWindow,
                     context->languageLibrary, context->flags);
    if (settingId != 0) {
        RefreshTreeItem(page, settingId);
    } else {
        RefreshSettingsTree(page);
    }
    if (notify == FALSE) return;
    HWND sheet = page->sheet != nullptr ? page->sheet : GetParent(pageWindow);
    if (sheet != nullptr) SendMessageW(sheet, PSM_CHANGED, reinterpret_cast<WPARAM>(pageWindow), 0);
}

void ShowControlGroup(PageRecord* page, HWND pageWindow, const int* controls, const int* shown) {
    if (controls == nullptr) return;
    const bool greyed = TreeSelectionGreyed(page);
    for (const int* id = controls; *id != 0; ++id) {
        HWND control = GetDlgItem(pageWindow, *id);
        const bool show = Lists(shown, *id, -1);
        ShowWindow(control, show ? SW_SHOW : SW_HIDE);
        EnableWindow(control, show && !greyed ? TRUE : FALSE);
    }
}

bool CheckAnsiNameField(HWND pageWindow, PageRecord* page, NameFieldCheck mode) {
    if (page == nullptr || page->context == nullptr) return false;
    DriverDevMode& block = page->context->workingBlock;
    if ((block.FeatureFlags & kPrintOwnerName) == 0) return false;
    // The field may come without its terminator: only its own characters are read.
    WCHAR name[kNameChars + 1] = {};
    std::copy_n(block.UserName1, std::min<size_t>(kNameChars, std::size(block.UserName1)), name);
    char ansi[kNameBytes + 1] = {};
    WideCharToMultiByte(CP_ACP, 0, name, -1, ansi, kNameBytes, nullptr, nullptr);
    bool refused = false;
    for (int i = 0; i < kNameScanBytes && ansi[i] != '\0'; ++i) {
        const auto byte = static_cast<unsigned char>(ansi[i]);
        if (byte == '"' || byte == '~' || IsLeadByte(byte)) {
            refused = true;
            break;
        }
    }
    if (!refused) return false;
    switch (mode) {
    case NameFieldCheck::Warn:
        block.FeatureFlags &= ~kPrintOwnerName;
        ShowPageWarning(page, pageWindow, kNameWarning);
        break;
    case NameFieldCheck::Deferred:
        block.FeatureFlags &= ~kPrintOwnerName;
        PostMessageW(pageWindow, kNameFieldWarningMessage, 0, 0);
        break;
    case NameFieldCheck::SelectItem:
        if (page->tree != nullptr) {
            if (HTREEITEM item = FindTreeItem(page, kNameTreeItem)) {
                SendMessageW(page->tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
            }
        }
        break;
    }
    return true;
}

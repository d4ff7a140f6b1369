// Routines every page shares: a change run through the resolver and the settings tree, a
// control group shown or hidden, the tree's selection, help, the version item, and the check
// of the owner name that goes to the printer in the ANSI code page.
#include "ui/pages/PageRoutines.h"

#include <algorithm>
#include <iterator>

#include "platform/Controls.h"
#include "platform/Kernel.h"
#include "platform/User.h"
#include "resources/ui/ControlIds.h"
#include "resources/ui/PictureIds.h"
#include "resources/ui/StringIds.h"
#include "ui/resolver/Constraints.h"
#include "ui/data/DriverVersion.h"
#include "ui/pages/PageCommon.h"
#include "ui/pages/PropertyPages.h"
#include "ui/tree/SettingsTree.h"
#include "ui/entry/UiInstance.h"

namespace {

constexpr DWORD kPrintOwnerName = 1u << 21;  // FeatureFlags
constexpr size_t kNameChars = 17;
constexpr int kNameBytes = 34;
constexpr int kNameScanBytes = 17;

constexpr int kDriverIconId = kPrinterIconId;

bool IsLeadByte(unsigned char byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

HTREEITEM TreeItem(const PageRecord* page, WPARAM which) {
    if (page == nullptr || page->tree == nullptr) return nullptr;
    return reinterpret_cast<HTREEITEM>(SendMessageW(page->tree, TVM_GETNEXTITEM, which, 0));
}

void SelectTreeItem(const PageRecord* page, HTREEITEM item) {
    SendMessageW(page->tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
}

// Whether the settings tree's selected item is greyed.
bool TreeSelectionGreyed(const PageRecord* page) {
    HTREEITEM selected = TreeItem(page, TVGN_CARET);
    if (selected == nullptr) return false;
    TVITEMW item{};
    item.mask = TVIF_PARAM;
    item.hItem = selected;
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

void OnSettingChanged(PageRecord* page, HWND pageWindow, [[maybe_unused]] int settingId, BOOL notify) {
    if (page == nullptr || page->context == nullptr) return;
    UiContext* context = page->context;
    ApplyConstraints(&context->workingBlock, page, &context->status, context->printer, context->model, pageWindow,
                     context->languageLibrary, context->flags);
    // The resolver may have changed any setting along with the one chosen (smoothing turns
    // toner saving off), so every row is built again, not only the chosen item's.
    RefreshSettingsTree(page);
    if (notify != FALSE) NotifyPageChanged(page, pageWindow);
}

void NotifyPageChanged(PageRecord* page, HWND pageWindow) {
    HWND sheet = page != nullptr && page->sheet != nullptr ? page->sheet : GetParent(pageWindow);
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

void SelectTreeRoot(PageRecord* page) {
    if (page == nullptr || page->tree == nullptr) return;
    SelectTreeItem(page, TreeItem(page, TVGN_ROOT));
}

void ReselectTreeItem(PageRecord* page) {
    if (page == nullptr || page->tree == nullptr) return;
    HTREEITEM item = TreeItem(page, TVGN_CARET);
    if (item == nullptr) item = TreeItem(page, TVGN_ROOT);
    SelectTreeItem(page, nullptr);
    SelectTreeItem(page, item);
}

void ResetTreeAfterDefaults(PageRecord* page, HWND pageWindow) {
    if (TreeItem(page, TVGN_CARET) == nullptr) return;
    OnSettingChanged(page, pageWindow, 0, FALSE);
    SelectTreeRoot(page);
}

void ShowPageHelpTopic(const PageRecord* page, DWORD topic) {
    if (page == nullptr || page->context == nullptr) return;
    InvokeHtmlHelp(GetDesktopWindow(), page->context->helpPath, HH_HELP_CONTEXT, topic);
}

BOOL ShowControlHelp(const PageRecord* page, LPARAM helpInfo, const DWORD* helpIds) {
    const auto* help = reinterpret_cast<const HELPINFO*>(helpInfo);
    if (help == nullptr || page == nullptr || page->context == nullptr) return FALSE;
    InvokeHtmlHelp(static_cast<HWND>(help->hItemHandle), page->context->helpPath, HH_TP_HELP_WM_HELP,
                   reinterpret_cast<ULONG_PTR>(helpIds));
    return TRUE;
}

void ShowDriverVersion(PageRecord* page, HWND pageWindow) {
    if (page == nullptr || page->context == nullptr) return;
    const UiContext* context = page->context;
    SetDlgItemTextW(pageWindow, kItemModelName,
                    context->model != nullptr ? ModelString(context->model, context->model->PrinterName) : u"");
    SetDlgItemTextW(pageWindow, kItemDriverName, u"Printer Driver");
    SetControlIcon(pageWindow, kItemIcon, LoadIconW(UiLibraryInstance(), MAKEINTRESOURCEW(kDriverIconId)));
    WCHAR version[64] = {};
    if (!ReadFileVersionText(context->driverPath, version, std::size(version))) return;
    WCHAR text[80] = u"Version ";
    lstrcatW(text, version);
    SetDlgItemTextW(pageWindow, kItemVersion, text);
}

bool HasRefusedNameByte(LPCWSTR text, size_t cchText) {
    if (text == nullptr) return false;
    // The text may come without its terminator: only its own characters are read.
    WCHAR name[kNameChars + 1] = {};
    for (size_t i = 0; i < std::min(cchText, kNameChars) && text[i] != u'\0'; ++i) name[i] = text[i];
    char ansi[kNameBytes + 1] = {};
    WideCharToMultiByte(CP_ACP, 0, name, -1, ansi, kNameBytes, nullptr, nullptr);
    for (int i = 0; i < kNameScanBytes && ansi[i] != '\0'; ++i) {
        const auto byte = static_cast<unsigned char>(ansi[i]);
        if (byte == '"' || byte == '~' || IsLeadByte(byte)) return true;
    }
    return false;
}

bool CheckAnsiNameField(HWND pageWindow, PageRecord* page, NameFieldCheck mode) {
    if (page == nullptr || page->context == nullptr) return false;
    DriverDevMode& block = page->context->workingBlock;
    if ((block.FeatureFlags & kPrintOwnerName) == 0) return false;
    if (!HasRefusedNameByte(block.UserName1, std::size(block.UserName1))) return false;
    switch (mode) {
    case NameFieldCheck::Warn:
        block.FeatureFlags &= ~kPrintOwnerName;
        ShowPageWarning(page, pageWindow, kUserNameCharactersMessage);
        break;
    case NameFieldCheck::Deferred:
        block.FeatureFlags &= ~kPrintOwnerName;
        PostMessageW(pageWindow, kNameFieldWarningMessage, 0, 0);
        break;
    case NameFieldCheck::SelectItem:
        if (page->tree != nullptr) {
            if (HTREEITEM item = FindTreeItem(page, kOwnerTextTreeItem)) SelectTreeItem(page, item);
        }
        break;
    }
    return true;
}

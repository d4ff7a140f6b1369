// The settings tree in dialogs of its own. Each dialog draws its tree through a page record of
// its own (a copy of the opener's without the opener's tree), so that the opener's tree state
// stays as it was; the opener's tree field names the dialog's tree while the dialog is up.
#include <memory>
#include <new>

#include "platform/Controls.h"
#include "platform/PropSheet.h"
#include "platform/User.h"
#include "platform/UserDialogs.h"
#include "platform/UserResources.h"
#include "resources/ui/ControlIds.h"
#include "ui/resolver/Constraints.h"
#include "ui/pages/PropertyPages.h"
#include "ui/tree/SettingsTree.h"
#include "ui/dialogs/TreeDialogs.h"

namespace {

constexpr DWORD kTreeHelpIds[] = {0, 0};

struct TreeDialog {
    PageRecord* opener = nullptr;
    PageRecord hosted{};
    HWND openerTree = nullptr;  // the opener's tree field before the dialog
};

TreeDialog* DialogOf(HWND dialog) { return reinterpret_cast<TreeDialog*>(GetWindowLongPtrW(dialog, DWLP_USER)); }

BOOL StartTree(HWND dialog, PageRecord* opener) {
    if (opener == nullptr || opener->context == nullptr) {
        EndDialog(dialog, 0);
        return FALSE;
    }
    auto owned = std::unique_ptr<TreeDialog>(new (std::nothrow) TreeDialog());
    if (owned == nullptr) {
        EndDialog(dialog, 0);
        return FALSE;
    }
    TreeDialog& d = *owned.release();  // freed at WM_DESTROY
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&d));
    d.opener = opener;
    d.openerTree = opener->tree;
    d.hosted.context = opener->context;
    d.hosted.dialog = dialog;
    d.hosted.templateId = opener->templateId;
    d.hosted.flags = opener->flags;
    d.hosted.comPage = opener->comPage;
    d.hosted.sheet = opener->sheet;
    d.hosted.images = opener->images;
    d.hosted.hoverItem = kNoHoverItem;

    HWND tree = CreateSettingsTree(&d.hosted, dialog);
    opener->tree = tree;
    UiContext& context = *opener->context;
    ApplyConstraints(&context.workingBlock, &d.hosted, &context.status, context.printer, context.model, dialog,
                     context.languageLibrary, context.flags);
    RefreshSettingsTree(&d.hosted);
    if (tree != nullptr) {
        const auto root = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
        SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(root));
    }
    return TRUE;
}

// Takes the tree down and gives the opener its tree field back.
void EndTree(HWND dialog, TreeDialog& d, INT_PTR result) {
    HWND tree = d.hosted.tree;
    ReleaseSettingsTree(&d.hosted);
    if (tree != nullptr && IsWindow(tree)) DestroyWindow(tree);
    d.opener->tree = d.openerTree;
    EndDialog(dialog, result);
}

INT_PTR CommonMessage(HWND dialog, UINT message, LPARAM lParam, TreeDialog& d) {
    switch (message) {
    case WM_DRAWITEM:
        return DrawListItem(&d.hosted, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_HELP: {
        const auto* help = reinterpret_cast<const HELPINFO*>(lParam);
        if (help != nullptr) {
            InvokeHtmlHelp(static_cast<HWND>(help->hItemHandle), d.hosted.context->helpPath, HH_TP_HELP_WM_HELP,
                           reinterpret_cast<ULONG_PTR>(kTreeHelpIds));
        }
        return TRUE;
    }
    case WM_DESTROY:
        // A dialog taken down without its buttons still gives everything back.
        if (d.hosted.treeState != nullptr) {
            ReleaseSettingsTree(&d.hosted);
            d.opener->tree = d.openerTree;
        }
        SetWindowLongPtrW(dialog, DWLP_USER, 0);
        delete &d;
        return FALSE;
    default:
        return FALSE;
    }
}

INT_PTR ShowTreeDialog(PageRecord* page, HWND owner, int templateId, DLGPROC proc) {
    if (page == nullptr || page->context == nullptr || page->context->languageLibrary == nullptr) return 0;
    const INT_PTR result = DialogBoxParamW(page->context->languageLibrary, MAKEINTRESOURCEW(templateId), owner, proc,
                                           reinterpret_cast<LPARAM>(page));
    return result > 0 ? result : 0;
}

}  // namespace

INT_PTR TreeHostDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) return StartTree(dialog, reinterpret_cast<PageRecord*>(lParam));
    TreeDialog* d = DialogOf(dialog);
    if (d == nullptr) return FALSE;
    if (message != WM_COMMAND) return CommonMessage(dialog, message, lParam, *d);
    SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 0);
    if (LOWORD(wParam) != IDCANCEL && LOWORD(wParam) != kCloseButton) return FALSE;
    EndTree(dialog, *d, 1);
    return TRUE;
}

INT_PTR PresetTreeDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* page = reinterpret_cast<PageRecord*>(lParam);
        if (page != nullptr && page->context != nullptr && page->context->model != nullptr) {
            SetWindowTextW(dialog, ModelString(page->context->model, page->context->model->PrinterName));
        }
        const BOOL started = StartTree(dialog, page);
        SendDlgItemMessageW(dialog, kPresetConfirmIcon, STM_SETICON,
                            reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_QUESTION)), 0);
        return started;
    }
    TreeDialog* d = DialogOf(dialog);
    if (d == nullptr) return FALSE;
    if (message != WM_COMMAND) return CommonMessage(dialog, message, lParam, *d);
    SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 0);
    if (LOWORD(wParam) == IDOK) {
        EndTree(dialog, *d, 1);
    } else if (LOWORD(wParam) == IDCANCEL) {
        EndTree(dialog, *d, 0);
    } else {
        return FALSE;
    }
    return TRUE;
}

INT_PTR ShowSettingsTreeDialog(PageRecord* page, HWND owner) {
    return ShowTreeDialog(page, owner, kSettingsListTemplate, &TreeHostDlgProc);
}

INT_PTR ShowPresetTreeDialog(PageRecord* page, HWND owner) {
    return ShowTreeDialog(page, owner, kPresetConfirmTemplate, &PresetTreeDlgProc);
}

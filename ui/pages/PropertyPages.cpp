// The sheets' pages: one record per page with its pictures, the page records handed to
// compstui one page at a time, their release, and the dialog procedure the pages start from
// (with the settings tree on the pages that hold its placeholder, and the constraint resolver
// over the page's controls).
#include "ui/pages/PropertyPages.h"

#include <new>

#include "platform/User.h"
#include "platform/WinGdi.h"
#include "resources/ui/ControlIds.h"
#include "resources/ui/PictureIds.h"
#include "ui/resolver/Constraints.h"
#include "ui/pages/DevicePage.h"
#include "ui/pages/DocumentPage1.h"
#include "ui/pages/DocumentPage2.h"
#include "ui/pages/DocumentPage3.h"
#include "ui/pages/PageIcons.h"
#include "ui/tree/SettingsTree.h"
#include "ui/entry/UiInstance.h"

namespace {

struct PageKind {
    int templateId;  // in the language library
    WORD tabIcon;
};
constexpr PageKind kDocumentPages[] = {{kDocumentPage1Template, kLayoutTabIconId},
                                      {kDocumentPage2Template, kPaperTabIconId},
                                      {kDocumentPage3Template, kSettingsTabIconId}};
constexpr PageKind kDevicePage = {kDevicePageTemplate, kDeviceTabIconId};

// The pages with a procedure of their own, which hands the frame what it leaves; the others
// run on the frame alone.
struct PageProcedure {
    int templateId;
    DLGPROC procedure;
};
constexpr PageProcedure kPageProcedures[] = {
    {kDocumentPage1Template, DocumentPage1DlgProc},
    {kDocumentPage2Template, DocumentPage2DlgProc},
    {kDocumentPage3Template, DocumentPage3DlgProc},
    {kDevicePageTemplate, DevicePageDlgProc},
};

DLGPROC ProcedureFor(int templateId) {
    for (const PageProcedure& row : kPageProcedures) {
        if (row.templateId == templateId) return row.procedure;
    }
    return PageFrameDlgProc;
}

// The frame's help table: {control id, help id} pairs ending with 0; the pages bring their own.
constexpr DWORD kFrameHelpIds[] = {0, 0};

PageRecord* NewPageRecord(UiContext* context, int templateId) {
    auto* page = new (std::nothrow) PageRecord{};
    if (page == nullptr) return nullptr;
    page->context = context;
    page->templateId = templateId;
    page->hoverItem = kNoHoverItem;
    page->images = CreatePageImages(UiLibraryInstance());
    return page;
}

void FreePageRecord(PageRecord* page) {
    // A page window that outlives its record must not reach it.
    if (page->dialog != nullptr && IsWindow(page->dialog) && PageRecordOf(page->dialog) == page) {
        SetWindowLongPtrW(page->dialog, DWLP_USER, 0);
    }
    // The tree gives the page's image list back before the list goes.
    ReleaseSettingsTree(page);
    DestroyPageImages(page->images);
    if (page->bitmap != nullptr) DeleteObject(page->bitmap);
    if (page->child != nullptr && IsWindow(page->child)) DestroyWindow(page->child);
    delete page;
}

// Creates one page and hands it to compstui; false when either refuses. A refused page is
// released here (its callback frees its record); the pages added before stay with compstui.
bool AddPage(UiContext* context, const PageKind& kind) {
    PageRecord* page = NewPageRecord(context, kind.templateId);
    if (page == nullptr) return false;
    const HANDLE activation = PageActivationContext();
    PROPSHEETPAGEW sheetPage{};
    sheetPage.dwSize = sizeof sheetPage;
    sheetPage.dwFlags = PSP_USEICONID | PSP_HASHELP | PSP_USECALLBACK | (activation != nullptr ? PSP_USEFUSIONCONTEXT : 0);
    sheetPage.hInstance = context->languageLibrary;
    sheetPage.pszTemplate = MAKEINTRESOURCEW(kind.templateId);
    sheetPage.pszIcon = MAKEINTRESOURCEW(kind.tabIcon);
    sheetPage.pfnDlgProc = ProcedureFor(kind.templateId);
    sheetPage.lParam = reinterpret_cast<LPARAM>(page);
    sheetPage.pfnCallback = PropertyPageCallback;
    sheetPage.hActCtx = activation;
    HPROPSHEETPAGE handle = CreatePropertySheetPageW(&sheetPage);
    if (handle == nullptr) {
        FreePageRecord(page);  // no page, so no release callback
        return false;
    }
    const LONG_PTR answer = context->comPropSheetFn(context->comPropSheet, CPSFUNC_ADD_HPROPSHEETPAGE,
                                                    reinterpret_cast<LPARAM>(handle), 0);
    if (answer == 0) {
        DestroyPropertySheetPage(handle);
        return false;
    }
    page->comPage = reinterpret_cast<HANDLE>(answer);
    return true;
}

void OnInitDialog(PageRecord* page, HWND dialog) {
    page->dialog = dialog;
    if (page->context == nullptr) return;
    if (GetDlgItem(dialog, kTreePlaceholder) != nullptr) CreateSettingsTree(page, dialog);
    PageFrameResolve(page);
}

void OnSetActive(PageRecord* page, HWND sheet) {
    page->sheet = sheet;
    page->context->workingBlock.OptionFlags |= kOptionPageActive;
    PageFrameResolve(page);
}

// Hands the working block to the sheet's result and reports the page applied.
void OnApply(PageRecord* page) {
    UiContext* context = page->context;
    context->workingBlock.OptionFlags &= ~kOptionPageActive;
    context->resultBlock = context->workingBlock;
    if (page->sheet != nullptr) SendMessageW(page->sheet, PSM_UNCHANGED, reinterpret_cast<WPARAM>(page->dialog), 0);
    if (context->comPropSheetFn != nullptr) {
        context->comPropSheetFn(context->comPropSheet, CPSFUNC_SET_RESULT, reinterpret_cast<LPARAM>(page->comPage),
                                CPSUI_OK);
    }
}

}  // namespace

int BuildPropertyPages(UiContext* context) {
    if (context == nullptr || context->comPropSheetFn == nullptr) return 0;
    context->workingBlock.OptionFlags |= kOptionPageActive;
    if (PageActivationContext() == nullptr) CreatePageActivationContext();
    if (context->flags & kUiDeviceSheet) return AddPage(context, kDevicePage) ? 1 : 0;
    for (const PageKind& kind : kDocumentPages) {
        if (!AddPage(context, kind)) return 0;
    }
    return 1;
}

UINT PropertyPageCallback(HWND /*window*/, UINT message, PROPSHEETPAGEW* page) {
    if (message == PSPCB_RELEASE && page != nullptr && page->lParam != 0) {
        FreePageRecord(reinterpret_cast<PageRecord*>(page->lParam));
        page->lParam = 0;
    }
    return 1;
}

void PageFrameResolve(PageRecord* page) {
    UiContext* context = page->context;
    ApplyConstraints(&context->workingBlock, page, &context->status, context->printer, context->model, page->dialog,
                     context->languageLibrary, context->flags);
    RefreshSettingsTree(page);
}

PageRecord* PageRecordOf(HWND dialog) { return reinterpret_cast<PageRecord*>(GetWindowLongPtrW(dialog, DWLP_USER)); }

INT_PTR PageFrameDlgProc(HWND dialog, UINT message, WPARAM /*wParam*/, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        const auto* sheetPage = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
        auto* page = sheetPage != nullptr ? reinterpret_cast<PageRecord*>(sheetPage->lParam) : nullptr;
        SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
        if (page != nullptr) OnInitDialog(page, dialog);
        return TRUE;
    }
    PageRecord* page = PageRecordOf(dialog);
    if (page == nullptr || page->context == nullptr) return FALSE;
    switch (message) {
    case WM_DESTROY:
        page->dialog = nullptr;
        SetWindowLongPtrW(dialog, DWLP_USER, 0);
        return FALSE;
    case WM_NOTIFY: {
        const auto* note = reinterpret_cast<const NMHDR*>(lParam);
        if (note == nullptr) return FALSE;
        if (note->code == PSN_SETACTIVE) {
            OnSetActive(page, note->hwndFrom);
        } else if (note->code == PSN_APPLY) {
            OnApply(page);
        } else {
            return FALSE;
        }
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, PSNRET_NOERROR);
        return TRUE;
    }
    case WM_HELP: {
        const auto* help = reinterpret_cast<const HELPINFO*>(lParam);
        if (help == nullptr) return FALSE;
        InvokeHtmlHelp(static_cast<HWND>(help->hItemHandle), page->context->helpPath, HH_TP_HELP_WM_HELP,
                       reinterpret_cast<ULONG_PTR>(kFrameHelpIds));
        return TRUE;
    }
    default: return FALSE;
    }
}

void SetPageBitmap(PageRecord* page, HBITMAP bitmap) {
    if (page == nullptr) return;
    if (page->bitmap != nullptr && page->bitmap != bitmap) DeleteObject(page->bitmap);
    page->bitmap = bitmap;
}

void SetPageChild(PageRecord* page, HWND child) {
    if (page == nullptr) return;
    if (page->child != nullptr && page->child != child && IsWindow(page->child)) DestroyWindow(page->child);
    page->child = child;
}

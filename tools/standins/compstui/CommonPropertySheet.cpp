// "compstui.dll": CommonPropertySheetUIW calls the caller's sheet function with
// PROPSHEETUI_REASON_INIT (the function adds its pages through pfnComPropSheet), then
// GET_INFO_HEADER, shows the pages in a property sheet, passes each page's
// CPSFUNC_SET_RESULT on as SET_RESULT, and ends with DESTROY once the sheet has released its
// pages.
#include <memory>
#include <mutex>
#include <set>
#include <vector>

#include "platform/Kernel.h"
#include "platform/PropSheet.h"

namespace {

constexpr DWORD kSheetSignature = 0x43505355;  // "USPC"

struct ComSheet {
    DWORD signature = kSheetSignature;
    PFNPROPSHEETUI function = nullptr;
    PROPSHEETUI_INFO info{};
    std::vector<HPROPSHEETPAGE> pages;
    bool resultOk = false;
};

struct Live {
    std::mutex lock;
    std::set<ComSheet*> sheets;
};
Live& TheLive() {
    static Live live;
    return live;
}

ComSheet* Known(HANDLE handle) {
    auto* sheet = static_cast<ComSheet*>(handle);
    std::lock_guard<std::mutex> guard(TheLive().lock);
    return TheLive().sheets.count(sheet) != 0 && sheet->signature == kSheetSignature ? sheet : nullptr;
}

LONG_PTR ComPropSheet(HANDLE handle, UINT function, LPARAM lParam1, LPARAM lParam2) {
    ComSheet* sheet = Known(handle);
    if (sheet == nullptr) return 0;
    switch (function) {
    case CPSFUNC_ADD_HPROPSHEETPAGE: {
        auto page = reinterpret_cast<HPROPSHEETPAGE>(lParam1);
        if (page == nullptr) return 0;  // nothing to add: the caller sees a refusal
        sheet->pages.push_back(page);
        return reinterpret_cast<LONG_PTR>(page);
    }
    case CPSFUNC_ADD_PROPSHEETPAGEW: {
        HPROPSHEETPAGE page = CreatePropertySheetPageW(reinterpret_cast<LPCPROPSHEETPAGEW>(lParam1));
        if (page == nullptr) return 0;
        sheet->pages.push_back(page);
        return reinterpret_cast<LONG_PTR>(page);
    }
    case CPSFUNC_GET_PAGECOUNT: return static_cast<LONG_PTR>(sheet->pages.size());
    case CPSFUNC_SET_RESULT: {
        SETRESULT_INFO result{};
        result.cbSize = sizeof(SETRESULT_INFO);
        result.hSetResult = reinterpret_cast<HANDLE>(lParam1);
        result.Result = lParam2;
        sheet->info.Reason = PROPSHEETUI_REASON_SET_RESULT;
        sheet->function(&sheet->info, reinterpret_cast<LPARAM>(&result));
        if (lParam2 == CPSUI_OK) sheet->resultOk = true;
        return 1;
    }
    default: return 0;  // the other functions are not offered
    }
}

LONG Run(ComSheet& sheet, HWND owner, LPARAM lParam, LPDWORD pResult) {
    sheet.info.cbSize = sizeof(PROPSHEETUI_INFO);
    sheet.info.Version = PROPSHEETUI_INFO_VERSION;
    sheet.info.hComPropSheet = &sheet;
    sheet.info.pfnComPropSheet = ComPropSheet;
    sheet.info.lParamInit = lParam;
    sheet.info.Reason = PROPSHEETUI_REASON_INIT;
    if (sheet.function(&sheet.info, lParam) <= 0) {
        // A refused start ends here: the pages it added are released, DESTROY is not sent.
        for (HPROPSHEETPAGE page : sheet.pages) DestroyPropertySheetPage(page);
        return ERR_CPSUI_GETLASTERROR;
    }
    PROPSHEETUI_INFO_HEADER header{};
    header.cbSize = sizeof(header);
    header.hWndParent = owner;
    sheet.info.Reason = PROPSHEETUI_REASON_GET_INFO_HEADER;
    sheet.function(&sheet.info, reinterpret_cast<LPARAM>(&header));

    INT_PTR shown = -1;
    if (!sheet.pages.empty()) {
        PROPSHEETHEADERW psh{};
        psh.dwSize = sizeof(psh);
        psh.dwFlags = ((header.Flags & PSUIHDRF_PROPTITLE) ? PSH_PROPTITLE : 0) |
                      ((header.Flags & PSUIHDRF_NOAPPLYNOW) ? PSH_NOAPPLYNOW : 0);
        psh.hwndParent = owner;
        psh.hInstance = header.hInst;
        psh.pszCaption = header.pTitle;
        psh.nPages = static_cast<UINT>(sheet.pages.size());
        psh.phpage = sheet.pages.data();
        shown = PropertySheetW(&psh);  // releases every page
    }
    sheet.pages.clear();
    sheet.info.Reason = PROPSHEETUI_REASON_DESTROY;
    sheet.function(&sheet.info, shown > 0 ? 1 : 0);
    if (shown < 0) return ERR_CPSUI_NO_PROPSHEETPAGE;
    const DWORD result = sheet.resultOk ? CPSUI_OK : CPSUI_CANCEL;
    if (pResult != nullptr) *pResult = result;
    return static_cast<LONG>(result);
}

}  // namespace

DLL_EXPORT LONG CommonPropertySheetUIW(HWND hWndOwner, PFNPROPSHEETUI pfnPropSheetUI, LPARAM lParam,
                                       LPDWORD pResult) {
    if (pfnPropSheetUI == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return ERR_CPSUI_INVALID_PDATA;
    }
    auto sheet = std::make_unique<ComSheet>();
    sheet->function = pfnPropSheetUI;
    {
        std::lock_guard<std::mutex> guard(TheLive().lock);
        TheLive().sheets.insert(sheet.get());
    }
    const LONG answer = Run(*sheet, hWndOwner, lParam, pResult);
    {
        std::lock_guard<std::mutex> guard(TheLive().lock);
        TheLive().sheets.erase(sheet.get());
    }
    sheet->signature = 0;
    return answer;
}

// Opening the substitution dialogs and their help.
#include "platform/Controls.h"
#include "platform/PropSheet.h"
#include "platform/Shell.h"
#include "platform/User.h"
#include "ui/dialogs/SubstDialogs.h"

INT_PTR OpenSubstDialog(PageRecord* page, HWND owner, int templateId, DLGPROC proc) {
    if (page == nullptr || page->context == nullptr) return -1;
    return DialogBoxParamW(page->context->languageLibrary, MAKEINTRESOURCEW(templateId), owner, proc,
                           reinterpret_cast<LPARAM>(page));
}

INT_PTR ShowSubstHelp(const PageRecord* page, LPARAM helpInfo, const DWORD* normalIds, const DWORD* readOnlyIds) {
    const auto* help = reinterpret_cast<const HELPINFO*>(helpInfo);
    if (help == nullptr) return FALSE;
    InvokeHtmlHelp(static_cast<HWND>(help->hItemHandle), page->context->helpPath, HH_TP_HELP_WM_HELP,
                   reinterpret_cast<ULONG_PTR>(IsReadOnlySubst(page) ? readOnlyIds : normalIds));
    return TRUE;
}

// The status window library's exported entry points: thin shims over the library's own code
// (psw/StatusWindow.h), plus its window and dialog procedures. Nothing may leave them by
// exception.
#include "psw/BaseDialog.h"
#include "psw/ExtendedDialogs.h"
#include "psw/ExtendedWindow.h"
#include "psw/MainWindow.h"
#include "psw/PswLog.h"
#include "psw/PswModule.h"
#include "psw/StatusWindow.h"
#include "platform/Modules.h"
#include "platform/WinTypes.h"

// The loader calls the library's DllInitialize itself (it has no DllMain).
DLL_EXPORT BOOL DllInitialize(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) noexcept {
    if (reason == DLL_PROCESS_ATTACH) {
        SetPswModule(instance);
        LogOpen(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        LogClose();
    }
    return TRUE;
}

DLL_EXPORT DWORD GetPSWStatusTable(HMODULE* module, const void** table, DWORD* count, DWORD* reserved) noexcept {
    return psw::GetPSWStatusTable(module, reinterpret_cast<const PSWStatusEntry**>(table), count, reserved);
}

DLL_EXPORT DWORD InitializeStatusWindowEx(LPCSTR printerName, LPVOID unused, HWND parent, HWND* mainWindow,
                                          HWND* dialogs, HACCEL* accelerators, DWORD* extra) noexcept {
    return psw::InitializeStatusWindowEx(printerName, unused, parent, mainWindow, dialogs, accelerators, extra);
}

DLL_EXPORT DWORD DisplayStatusWindow(HWND mainWindow, UINT userStart) noexcept {
    return psw::DisplayStatusWindow(mainWindow, userStart);
}

DLL_EXPORT DWORD CloseStatusWindow(HWND mainWindow, BOOL byUser) noexcept { return psw::CloseStatusWindow(mainWindow, byUser); }

DLL_EXPORT DWORD DestroyStatusWindow(HWND mainWindow) noexcept { return psw::DestroyStatusWindow(mainWindow); }

// The window and dialog procedures, exported under their own names. The library's functions of
// those names have C++ linkage, so each export is a shim whose symbol is given the name.
#define KV_EXPORT_PROCEDURE(Result, name)                                                                      \
    DLL_EXPORT Result Exported##name(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept        \
        __asm__(#name);                                                                                        \
    DLL_EXPORT Result Exported##name(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {      \
        return name(window, message, wParam, lParam);                                                          \
    }

KV_EXPORT_PROCEDURE(LRESULT, MainWndProc)
KV_EXPORT_PROCEDURE(LRESULT, EWS_MainWndProc)
KV_EXPORT_PROCEDURE(INT_PTR, BaseDlgProc)
KV_EXPORT_PROCEDURE(INT_PTR, AuthorityDlgProc)
KV_EXPORT_PROCEDURE(INT_PTR, EwsDlgProcHead)
KV_EXPORT_PROCEDURE(INT_PTR, EwsDlgProcLeft)
KV_EXPORT_PROCEDURE(INT_PTR, EwsDlgProcFoot)
KV_EXPORT_PROCEDURE(INT_PTR, EwsDlgProcR01)
KV_EXPORT_PROCEDURE(INT_PTR, EwsDlgProcR02)
KV_EXPORT_PROCEDURE(INT_PTR, EwsDlgProcR03)
KV_EXPORT_PROCEDURE(INT_PTR, EwsDlgProcR04)
KV_EXPORT_PROCEDURE(INT_PTR, EwsDlgProcR05)
KV_EXPORT_PROCEDURE(INT_PTR, EwsDlgProcR06)

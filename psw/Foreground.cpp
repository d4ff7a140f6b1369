#include "psw/Foreground.h"

#include "psw/PswLog.h"
#include "platform/User.h"

BOOL CallSetForegroundWindow(HWND hwnd) {
    const BOOL ok = SetForegroundWindow(hwnd);
    LogPrint(kLogTrace, "SetForegroundWindow return %d\n", ok);
    return ok;
}

BOOL CallSetForegroundWindowEx(HWND hwnd) {
    // The foreground window's thread shares its input with ours while we ask.
    const HWND foreground = GetForegroundWindow();
    const DWORD from = foreground != nullptr ? GetWindowThreadProcessId(foreground, nullptr) : 0;
    const DWORD to = GetWindowThreadProcessId(hwnd, nullptr);
    const bool attached = from != 0 && to != 0 && from != to && AttachThreadInput(from, to, TRUE);
    DWORD timeout = 0;
    const bool read = SystemParametersInfoW(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &timeout, 0) != FALSE;
    if (read && timeout != 0) {
        SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, nullptr, 0);
    }
    const BOOL ok = SetForegroundWindow(hwnd);
    if (read && timeout != 0) {
        SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, reinterpret_cast<PVOID>(static_cast<ULONG_PTR>(timeout)), 0);
    }
    if (attached) {
        AttachThreadInput(from, to, FALSE);
    }
    return ok;
}

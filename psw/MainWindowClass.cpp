#include "psw/MainWindowClass.h"

#include <atomic>
#include <cstring>
#include <iterator>

#include "psw/PswLog.h"
#include "psw/PswModule.h"
#include "platform/User.h"
#include "platform/WinGdi.h"
#include "resources/psw/PswIds.h"

namespace {

constexpr WCHAR kClassPrefix[] = u"PSWWndClass ";

// The main windows' procedure, stored by every class registration (always the same one) on a
// window thread and read by PswRecordOf on any: atomic, no lock.
std::atomic<WNDPROC> g_mainProcedure{nullptr};

/// Whether the window is of the class this library registered for its main windows. The
/// class stays what it is when a host subclasses the window (replaces its procedure).
bool IsMainWindowClass(HWND window) {
    WCHAR name[sizeof(PSWDATA::mainClassName) / sizeof(WCHAR)] = {};
    if (GetClassNameW(window, name, static_cast<int>(std::size(name))) == 0) {
        return false;
    }
    const int prefix = lstrlenW(kClassPrefix);
    if (lstrlenW(name) < prefix || std::memcmp(name, kClassPrefix, prefix * sizeof(WCHAR)) != 0) {
        return false;
    }
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    const WNDPROC procedure = g_mainProcedure.load();
    return procedure != nullptr && GetClassInfoExW(PswModule(), name, &wc) && wc.lpfnWndProc == procedure;
}

}  // namespace

BOOL RegisterMiscWndClass(PSWDATA* d, WNDPROC procedure) {
    g_mainProcedure.store(procedure);
    WCHAR driver[64] = {};
    MultiByteToWideChar(CP_ACP, 0, d->driverName, -1, driver, 63);
    lstrcpynW(d->mainClassName, kClassPrefix, static_cast<int>(std::size(d->mainClassName)));
    const int used = lstrlenW(d->mainClassName);
    lstrcpynW(d->mainClassName + used, driver, static_cast<int>(std::size(d->mainClassName)) - used);
    UnregisterClassW(d->mainClassName, PswModule());
    const bool withIcon = d->osVersion.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS ||
                          (d->osVersion.dwPlatformId == VER_PLATFORM_WIN32_NT && d->osVersion.dwMajorVersion > 3);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = procedure;
    wc.cbWndExtra = sizeof(void*);
    wc.hInstance = PswModule();
    wc.hIcon = withIcon ? LoadIconW(PswModule(), MAKEINTRESOURCEW(kWindowIcon)) : nullptr;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = d->mainClassName;
    wc.hIconSm = LoadIconW(PswModule(), MAKEINTRESOURCEW(kWindowIcon));
    if (RegisterClassExW(&wc) == 0) {
        WNDCLASSW old{0, procedure, 0, static_cast<int>(sizeof(void*)), PswModule(), wc.hIcon, wc.hCursor,
                      wc.hbrBackground, nullptr, d->mainClassName};
        if (RegisterClassW(&old) == 0) {
            LogPrint(kLogError, "Main RegisterClass() is failed.\n");
        }
    }
    return TRUE;
}

PSWDATA* PswRecordOf(HWND mainWindow) {
    if (mainWindow == nullptr || !IsWindow(mainWindow) || !IsMainWindowClass(mainWindow)) {
        return nullptr;
    }
    auto* d = reinterpret_cast<PSWDATA*>(GetWindowLongPtrW(mainWindow, GWLP_USERDATA));
    return d != nullptr && d->signature == kPswSignature ? d : nullptr;
}

#pragma once
// A small stand-in for the status-monitor program: it loads the status window library by
// name, resolves its five exports, owns a hidden parent window, creates one status window set
// per printer, shows, hides, closes and destroys them through the exports, and pumps the
// messages of its thread (the library's accelerators first).
//
// Single-threaded: every call comes from the thread that loaded the library.
#include <string>
#include <vector>

#include "platform/User.h"
#include "platform/WinTypes.h"

namespace pswhost {

/// The library's exports, as the status-monitor program calls them.
struct PswExports {
    DWORD (*GetPSWStatusTable)(HMODULE* module, const void** table, DWORD* count, DWORD* reserved) = nullptr;
    DWORD (*InitializeStatusWindowEx)(LPCSTR printerName, LPVOID unused, HWND parent, HWND* mainWindow,
                                      HWND* dialogs, HACCEL* accelerators, DWORD* extra) = nullptr;
    DWORD (*DisplayStatusWindow)(HWND mainWindow, UINT userStart) = nullptr;
    DWORD (*CloseStatusWindow)(HWND mainWindow, BOOL byUser) = nullptr;
    DWORD (*DestroyStatusWindow)(HWND mainWindow) = nullptr;
};

/// One printer's window set as InitializeStatusWindowEx handed it out.
struct WindowSet {
    std::string printer;
    HWND main = nullptr;
    HWND dialogs[2] = {};  // the main and the extended window
    HACCEL accelerators = nullptr;
};

class PswHost {
public:
    PswHost() = default;
    /// Destroys the window sets left, the parent window, and frees the library.
    ~PswHost();
    PswHost(const PswHost&) = delete;
    PswHost& operator=(const PswHost&) = delete;

    /// Loads the library by name and resolves its five exports. FALSE with the last error
    /// when it is missing or lacks an export (ERROR_PROC_NOT_FOUND); nothing stays loaded then.
    BOOL Load(const std::u16string& moduleName = u"QW774ZZZ.DLL");
    /// Destroys what is left and frees the library.
    void Unload();
    bool Loaded() const { return module_ != nullptr; }
    const PswExports& Exports() const { return exports_; }
    /// The hidden window the status windows are created for.
    HWND Parent();

    /// InitializeStatusWindowEx for the printer (an ANSI name, as the program passes it); the
    /// export's code. A set that was made is kept and returned through *set (may be NULL).
    DWORD Create(const std::string& printer, WindowSet* set = nullptr);
    /// The printer's set, NULL when it has none.
    const WindowSet* Find(const std::string& printer) const;
    HWND MainOf(const std::string& printer) const;
    const std::vector<WindowSet>& Sets() const { return sets_; }

    /// DisplayStatusWindow: 0 an automatic popup, 1 opened by the user, 2 the extended window.
    DWORD Show(HWND main, UINT userStart) const;
    /// CloseStatusWindow as the program's own hide (not by the user: popups stay armed).
    DWORD Hide(HWND main) const;
    /// CloseStatusWindow as the user closing it.
    DWORD Close(HWND main) const;
    /// DestroyStatusWindow; the set is forgotten whatever it answers.
    DWORD Destroy(HWND main);

    /// Handles the messages waiting for this thread (accelerators of the sets first) and
    /// returns how many; stops at WM_QUIT, which it records.
    size_t Pump();
    /// Pumps until `done` holds or timeoutMs of real time passed; true when it holds.
    template <typename Pred>
    bool PumpUntil(Pred done, DWORD timeoutMs);
    /// True once WM_QUIT reached the host's loop.
    bool SawQuit() const { return sawQuit_; }

private:
    bool PumpOnce(DWORD waitMs);

    HMODULE module_ = nullptr;
    PswExports exports_;
    HWND parent_ = nullptr;
    std::vector<WindowSet> sets_;
    bool sawQuit_ = false;
};

/// Milliseconds of real time (the host's clock, for PumpUntil).
DWORD HostMilliseconds();

template <typename Pred>
bool PswHost::PumpUntil(Pred done, DWORD timeoutMs) {
    const DWORD start = HostMilliseconds();
    while (!done()) {
        const DWORD spent = HostMilliseconds() - start;
        if (spent >= timeoutMs) return false;
        PumpOnce(timeoutMs - spent < 10 ? timeoutMs - spent : 10);
    }
    return true;
}

}  // namespace pswhost

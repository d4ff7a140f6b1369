#pragma once
// Controls of the stand-in's user side for hosts and tests: the screen (monitors, metrics),
// scripted answers for modal loops and popup menus, the keyboard state, and the pixels of
// each window. These are not platform calls; product code never includes this header.
#include <functional>
#include <vector>

#include "platform/User.h"
#include "platform/WinTypes.h"

namespace standin::ui {

struct Monitor {
    RECT rect;  // in virtual-screen coordinates; the first monitor is the primary one
    RECT work;  // its work area
};
/// Replaces the monitors (at least one). Default: one 1024 x 768 monitor with a work area
/// of 1024 x 728 (a 40-pixel task bar at the bottom). SM_CXSCREEN / SM_CYSCREEN follow the
/// primary monitor.
void SetMonitors(const std::vector<Monitor>& monitors);
/// Overrides one GetSystemMetrics value until ResetUi.
void SetSystemMetric(int index, int value);
/// Destroys every window, class, timer, menu and icon that is left, empties every queue and
/// restores the default screen, metrics, key state and scripts. Call it with no modal loop
/// running; the test fixture calls it between tests.
void ResetUi();

/// Called once each time a modal dialog loop starts (after WM_INITDIALOG and the showing),
/// with the dialog; it may send messages, press buttons or end the dialog. Nested dialogs
/// call it again. An empty function clears it.
void OnModalDialog(std::function<void(HWND dialog)> script);
/// Chooses TrackPopupMenu's command: called with the menu and owner; return 0 to cancel.
void OnTrackPopupMenu(std::function<UINT(HMENU menu, HWND owner)> script);

/// The keyboard as GetKeyState reports it.
void SetKeyDown(int virtualKey, bool down);
/// Posts WM_KEYDOWN (and WM_KEYUP) of the key to the thread's focus window (or the given
/// window), as a keyboard would.
void PressKey(int virtualKey, HWND target = nullptr);

/// Counts SetForegroundWindow calls since ResetUi.
unsigned ForegroundRequests();
/// Whether the last SetForegroundWindow came from the foreground window's thread or from a
/// thread whose input was joined with it (AttachThreadInput); and the joins standing now.
bool LastForegroundJoined();
unsigned JoinedInputCount();

/// The client area's pixels, 24 bits (B, G, R) per pixel, rows top-down without padding;
/// resized with the client area (what fits is kept, new parts are white). NULL for an
/// unknown window. Valid until the window changes size or is destroyed; owner thread only.
struct Surface {
    LONG width = 0;
    LONG height = 0;
    std::vector<BYTE> bgr;
};
Surface* WindowSurface(HWND hwnd);
/// Invalidates the window and its descendants and sends WM_PAINT to each (parent first).
void Paint(HWND hwnd);

/// Blocks until a message sent from another thread waits for the given thread to pump, or
/// timeoutMs of real time passed (a guard for broken tests, never a pacing wait). True when
/// one waits.
bool WaitForPendingSend(DWORD threadId, DWORD timeoutMs);

/// Windows alive now (the desktop excluded), so that a test can tell a leak.
unsigned LiveWindowCount();

}  // namespace standin::ui

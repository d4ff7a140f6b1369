#pragma once
// Showing and hiding a window set: the two exports that do it, which the main window and the
// popup checks call as well. Window thread.
#include "platform/WinTypes.h"

namespace psw {
/// Shows the window userStart names (kShow*), when the user may watch the printer and the
/// display conditions allow.
DWORD DisplayStatusWindow(HWND mainWindow, UINT userStart);
/// Hides the main window and ends the authority notice; a close of an automatic popup by the
/// user (byUser) keeps the popups of the jobs counted now from showing again.
DWORD CloseStatusWindow(HWND mainWindow, BOOL byUser);
}  // namespace psw

#pragma once
// Bringing a window of the window set to the foreground. Window thread.
#include "platform/WinTypes.h"

/// SetForegroundWindow, with its result in the log.
BOOL CallSetForegroundWindow(HWND hwnd);
/// SetForegroundWindow while the foreground window's thread shares its input with the
/// window's and the foreground lock timeout is off; both are put back afterwards.
BOOL CallSetForegroundWindowEx(HWND hwnd);

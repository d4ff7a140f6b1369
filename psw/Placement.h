#pragma once
// Keeps windows reachable: checks a window rectangle against the monitors' work areas, moves
// (and for sizable windows shrinks) it back inside, centres new windows and places children.
// Works on plain rectangles and styles; any thread.
#include "platform/User.h"
#include "platform/WinTypes.h"

inline constexpr DWORD kPlacementOk = 0u;
inline constexpr DWORD kPlacementFault = 1u;
inline constexpr DWORD kPlacementMove = 2u;
inline constexpr DWORD kPlacementResize = 4u;

/// Mode bits of AdjustWndRect: resize (else move); in move mode, keep the size (no cut).
inline constexpr DWORD kAdjustResize = 0x1u;
inline constexpr DWORD kAdjustNoCut = 0x2u;

DWORD PointSizeToRect(RECT* out, LONG x, LONG y, LONG cx, LONG cy);
DWORD RectToPointSize(POINT* point, SIZE* size, LONG left, LONG top, LONG right, LONG bottom);
/// Centres the window's rectangle in the work area (halves rounded down).
DWORD CenterRect(RECT* out, const RECT* window, const RECT* work);
/// The part of the title bar that must stay on screen for the window to be dragged.
DWORD GetHoldTitleRect(const RECT* window, DWORD style, RECT* out);
/// kPlacementResize when the work area is narrower or lower than the window.
DWORD CheckWndSize(const RECT* window, const RECT* work);
/// Finds the work area that the window belongs to; kPlacementOk, kPlacementMove or kPlacementResize.
DWORD CheckWndRect(const RECT* window, const RECT* holdTitle, RECT* work);
DWORD AdjustWndRect(RECT* out, const RECT* window, const RECT* work, DWORD style, DWORD mode);
/// The window rectangle corrected to the screen; returns what CheckWndRect found.
DWORD GetCorrectWndRect(RECT* out, const RECT* window, DWORD style);
/// Moves and sizes the window to the corrected rectangle, only when a correction is needed.
DWORD SetWndRect(HWND window, LONG left, LONG top, LONG right, LONG bottom);
/// Modes of AdjustWndToMon and SetChildWndRect.
inline constexpr DWORD kMonitorCentre = 1u;      // centre in the monitor's work area
inline constexpr DWORD kMonitorKeepInside = 2u;  // move (and for sizable windows cut) into it

/// kMonitorCentre centres in the monitor's work area (the primary one when monitor is NULL),
/// kMonitorKeepInside keeps inside it; other modes leave out unset.
DWORD AdjustWndToMon(HMONITOR monitor, RECT* out, const RECT* window, DWORD style, DWORD mode);
/// Places the child in the work area of the monitor nearest to the parent (a kMonitor* mode).
DWORD SetChildWndRect(HWND parent, HWND child, DWORD mode);
/// The primary work area (SPI_GETWORKAREA, else the whole screen).
void GetPrimaryWorkArea(RECT* work);

#pragma once
// The window messages of a window set, all in the private range from WM_USER: those the
// manager posts to the main window when a variable changes (one per row of the variable
// table) or a refresh request is answered, those the main window passes on to the base dialog
// and the extended window, and the one the settings watch thread posts.
#include "platform/UserMessages.h"
#include "platform/WinTypes.h"

// --- Posted by the manager, one per variable ---
inline constexpr UINT WM_PSW_PORT = 0x401u;
inline constexpr UINT WM_PSW_PRINTEREXTSTATUS = 0x402u;
inline constexpr UINT WM_PSW_SPOOLERQUEUE = 0x403u;
inline constexpr UINT WM_PSW_SENDINGJOBINFO = 0x404u;
inline constexpr UINT WM_PSW_PRINTINGJOBINFO = 0x405u;
inline constexpr UINT WM_PSW_PRINTERQUEUE = 0x406u;
inline constexpr UINT WM_PSW_PRINTERBINCONFIG = 0x407u;
inline constexpr UINT WM_PSW_PRINTEROPTCONFIG = 0x408u;
inline constexpr UINT WM_PSW_USERAUTHORITY = 0x409u;  // also posted by the window set, see below
inline constexpr UINT WM_PSW_PRINTERNAME = 0x40Au;
inline constexpr UINT WM_PSW_CURRENTSTATUS = 0x40Bu;
inline constexpr UINT WM_PSW_COMPULSIVEPOLLING = 0x40Cu;
inline constexpr UINT WM_PSW_LMSTATUS = 0x40Du;
inline constexpr UINT WM_PSW_TONERREMAIN = 0x40Eu;
inline constexpr UINT WM_PSW_PRINTERDISPLAY = 0x410u;  // the printer's display: no variable posts it yet
inline constexpr UINT WM_PSW_ERRCOVEROPEN = 0x411u;
inline constexpr UINT WM_PSW_ERRSUPPLIES = 0x412u;
inline constexpr UINT WM_PSW_CURRENTFEEDER = 0x415u;
inline constexpr UINT WM_PSW_ERRNOPAPER2 = 0x416u;
inline constexpr UINT WM_PSW_ERRPAPERJAM = 0x417u;
inline constexpr UINT WM_PSW_ERRLOADPAPER = 0x41Cu;

// --- The refresh answer, and the end of the range the main window takes as status messages ---
inline constexpr UINT WM_PSW_SET_REFRESHSTATUS = 0x465u;
inline constexpr UINT WM_PSW_SET_LAST = 0x466u;

/// wParam of a WM_PSW_USERAUTHORITY that DisplayStatusWindow posts when the user asked to see
/// a window: the notice shows even while the main window is hidden.
inline constexpr WPARAM kAuthorityAskedByUser = 1;

/// Posted by the main window to the base dialog and the extended window: the status row or a
/// value they show changed.
inline constexpr UINT WM_PSW_UPDATE_INFORMATION = 0x4C9u;
/// Posted by the settings watch thread to the main window (wParam 0, lParam 0).
inline constexpr UINT WM_PSW_SETTING_UPDATE = 0x4CAu;

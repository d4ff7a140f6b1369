#pragma once
// The font of the window set's windows and dialogs, and texts cut to a width. Window thread.
#include "psw/PswRecord.h"
#include "platform/WinTypes.h"

/// Gives every child of the window the default GUI font, on systems before NT 5 (later ones
/// keep the templates' own font).
void SetDialogFont(HWND hwnd, const PSWDATA* data);
/// The text as it fits maxWidth on the device context: whole when it fits, else its longest
/// start (whole characters) that fits with the suffix after it, then the suffix; cut to cchOut
/// characters with the terminator. FALSE for bad arguments or a suffix wider than maxWidth.
BOOL CreateShortString(HDC dc, int maxWidth, LPCWSTR text, LPCWSTR suffix, LPWSTR out, int cchOut);

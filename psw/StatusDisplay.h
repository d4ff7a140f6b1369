#pragma once
// What the base dialog shows for the current status row: the status text, the toner line
// (its icon and text) and the status picture (an owner-drawn control), drawn from this
// library's own bitmaps. Each is compared with its cache so that an unchanged state sends
// nothing to the controls. Window thread.
#include "psw/StatusTables.h"

/// The status text id for the record's current row and values (0: leave the text as it is).
UINT StatusTextId(const PSWDATA* data);
BOOL SetPrinterStatus(PSWDATA* data, HWND baseDialog);
/// The toner line and picture a row and CurrentStatus give.
struct TonerLine {
    WORD picture;
    WORD text;
    int icon;  // a StatusIcon: index into statusIcons, or kStatusIconNone
};
TonerLine TonerLineOf(const PSWDATA* data);
BOOL SetTonerRemain(PSWDATA* data, HWND baseDialog);
/// Draws bitmap resource id of this library at (x, y); FALSE when it is missing or malformed.
BOOL DrawBMP(HDC dc, UINT id, int x, int y);
/// Forgets the library-wide palette (the display changed).
void ResetPicturePalette();

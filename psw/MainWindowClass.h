#pragma once
// The main windows' class: "PSWWndClass <driver>" of this library's module, registered with
// the procedure the main window hands in, and the test that tells a main window of this
// library (and so its record) from any other window.
#include "psw/PswRecord.h"
#include "platform/UserTypes.h"
#include "platform/WinTypes.h"

/// Window thread: registers "PSWWndClass <driver>" for the record's driver with that procedure
/// (an earlier registration of the same name serves) and names it in record->mainClassName.
/// The procedure is kept: PswRecordOf accepts only windows of a class that has it.
BOOL RegisterMiscWndClass(PSWDATA* data, WNDPROC procedure);
/// The record of one of this library's main windows; NULL for any other window, a window
/// whose record is gone, or NULL.
PSWDATA* PswRecordOf(HWND mainWindow);

#pragma once
// The feeder setting dialog: the feeder setting of the current source, edited on the context's
// scratch block.
#include "platform/UserTypes.h"
#include "platform/WinTypes.h"

struct PageRecord;

/// kFeederDialogTemplate, parameter: the opener's PageRecord. On OK the scratch block becomes
/// the working block, the resolver runs over it (with the opener's controls) and the warnings
/// about media, duplex and finishing follow; ends with 1. Cancel ends with 0.
INT_PTR FeederSettingDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
/// Opens the dialog over `owner`; its result, 0 when it cannot be shown.
INT_PTR ShowFeederSettingDialog(PageRecord* page, HWND owner);

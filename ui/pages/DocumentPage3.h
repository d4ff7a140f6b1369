#pragma once
// The third page of the document sheet (kDocumentPage3Template): the settings tree, and for the
// selected tree item a list of choices, a button that opens a sub-dialog, the owner text with
// its list, or the driver's version. Every change goes to the context's working block.
#include "platform/UserTypes.h"
#include "platform/WinTypes.h"
#include "ui/pages/PageRoutines.h"  // kNameFieldWarningMessage, posted by the name-field check

/// The page's own messages, posted to itself: put the focus into the owner text with its whole
/// text selected; kNameFieldWarningMessage warns that the user name cannot be printed and
/// chooses no owner text.
inline constexpr UINT kFocusOwnerTextMessage = 1131;

/// The page's dialog procedure. What it does not handle itself goes to PageFrameDlgProc.
INT_PTR DocumentPage3DlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

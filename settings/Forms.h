#pragma once
// The usable-forms list, the N-up arrangement rule and the system version tests.
#include "platform/Spooler.h"
#include "platform/WinTypes.h"

/// Form size window of this printer, thousandths of a millimetre (bounds included).
inline constexpr LONG kUsableMinWidth = 72000;
inline constexpr LONG kUsableMaxWidth = 457200;
inline constexpr LONG kUsableMinLength = 59300;
inline constexpr LONG kUsableMaxLength = 355600;

/// True when the form lies in the window or is named "A3" or "B4 (JIS)".
bool IsUsableForm(const FORM_INFO_1W& form);
/// A form blanked by EnumUsableForms (empty name, 0 x 0). Lookups by name or size skip it.
bool IsBlankedForm(const FORM_INFO_1W& form);

/// The spooler's forms for the printer with the unusable ones blanked in place (positions
/// kept), as one GlobalAlloc block the caller frees; NULL when they cannot be listed.
FORM_INFO_1W* EnumUsableForms(HANDLE printer, DWORD* count);
/// 1-based position of the first form (not blanked) whose name equals name exactly, else 0.
DWORD FindFormByName(const FORM_INFO_1W* forms, DWORD count, LPCWSTR name);

/// 1 when down x across pages fit the paper; width and length in tenths of a millimetre.
int IsNupLayoutAllowed(LPCWSTR formName, int width, int length, BYTE down, BYTE across);

/// 1 for version 5.1 or later.
int IsOsVersion51OrLater();
/// The same test under the user-interface code's name.
int IsOsLaterThan50();

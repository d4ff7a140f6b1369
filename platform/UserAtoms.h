#pragma once
// The global atom table.
#include "platform/WinTypes.h"

// --- Global atoms ---
// One process-wide table of strings with reference counts, compared without regard to case.
// A string of the form "#123" (or an integer atom made with MAKEINTATOM) is the atom 123
// itself, below 0xC000; string atoms are numbered from 0xC000.
#define MAXINTATOM 0xC000u
PLATFORM_API ATOM GlobalAddAtomW(LPCWSTR text);
/// Drops one reference; the string goes with the last. Returns 0 on success, the atom when
/// it is not in the table (ERROR_INVALID_HANDLE).
PLATFORM_API ATOM GlobalDeleteAtom(ATOM atom);
PLATFORM_API ATOM GlobalFindAtomW(LPCWSTR text);
/// Characters copied without the terminator, cut to fit `cchBuffer`; 0 when unknown.
PLATFORM_API UINT GlobalGetAtomNameW(ATOM atom, LPWSTR buffer, int cchBuffer);

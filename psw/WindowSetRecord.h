#pragma once
// What a window set's record holds beyond plain values: its status icons, its settings written
// back to the registry, and its release with everything it holds. Window thread.
#include "psw/PswRecord.h"
#include "platform/WinTypes.h"

/// Loads the status icons into record->statusIcons (see StatusIcon), destroying the ones
/// loaded before.
void LoadStatusIcons(PSWDATA* data);
/// Writes the window set's settings under the printer's current key: the main window's
/// position, the extended window's while it exists, and the five settings.
void SaveWindowSetRegData(PSWDATA* data);
/// After the printer's name changed from oldName to the record's name: removes the old
/// printer key's settings and writes the window set's under the new one. Does nothing when
/// the two names give the same key (no real rename). TRUE.
BOOL UpdatePSWRegData(PSWDATA* data, LPCWSTR oldName);
/// Frees everything the record holds, then the record.
void PswBufferRelease(PSWDATA* data);

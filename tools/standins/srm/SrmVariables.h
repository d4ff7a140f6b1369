#pragma once
// What the manager knows of each variable: its size rule, and how the narrow layout the
// monitor writes is widened (and narrowed again for ANSI readers).
#include <string>

#include "tools/standins/srm/SrmStore.h"

namespace srm {

/// Checks a wide value against the variable's rule: SRMRES_SUCCESS, SRMRES_INVALID_PARAMETER
/// (wrong size) or SRMRES_ACCESS_DENIED (a value only the manager writes).
DWORD CheckWide(const std::u16string& name, const Bytes& value);
/// A value written through the ANSI entry in the wide layout the manager keeps.
DWORD Widen(const std::u16string& name, const Bytes& narrow, Bytes* wide);
/// The kept value as an ANSI reader sees it.
Bytes Narrow(const std::u16string& name, const Bytes& wide);
/// True for the counted lists (a u32 count, then the entries).
bool IsCountedList(const std::u16string& name);
/// A wide ";"-list given with a byte count: read up to the count or the first NUL.
std::u16string ListText(const void* list, DWORD cb);

}  // namespace srm

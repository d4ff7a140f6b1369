#pragma once
// Typed reads and writes of the printer's data values for the user interface. A value is
// taken only when its type and size are what the driver writes; anything else counts as
// absent. Writes report nothing (a user without rights simply leaves the values as they are).
#include "platform/Owners.h"
#include "platform/WinTypes.h"

namespace printerdata {

/// True with *value when the value is a REG_DWORD of exactly 4 bytes.
[[nodiscard]] bool ReadDword(HANDLE printer, LPCWSTR name, DWORD* value);
void WriteDword(HANDLE printer, LPCWSTR name, DWORD value);
/// Writes the DWORD unless the same REG_DWORD is stored already.
void WriteDwordIfChanged(HANDLE printer, LPCWSTR name, DWORD value);
/// True when a value of that name exists, whatever its type and size.
[[nodiscard]] bool Exists(HANDLE printer, LPCWSTR name);
/// A REG_BINARY value whole, in a block the caller owns; *cb its size. Holds nothing when the
/// value is absent, empty, of another type or cannot be read.
[[nodiscard]] GlobalBlock ReadBinary(HANDLE printer, LPCWSTR name, DWORD* cb);
void WriteBinary(HANDLE printer, LPCWSTR name, const void* data, DWORD cb);

}  // namespace printerdata

#pragma once
// The escapes applications send through the engine.
#include "platform/Ddi.h"
#include "settings/DriverDevMode.h"

inline constexpr ULONG kEscQueryEscSupport = 8;
inline constexpr ULONG kEscSetCopyCount = 17;
inline constexpr ULONG kEscPassThrough = 19;
inline constexpr ULONG kEscGetTechnology = 20;
inline constexpr ULONG kEscSetPageSettings = 9999;

/// Answers 0 for unknown escapes and for a bad device or buffer (last error 87), -1 (as
/// ULONG) for a failed copy count, pass-through or settings escape. PASSTHROUGH's input is a
/// u16 count and that many bytes, written straight to the destination after the pending job
/// and page setup; 9999 takes a whole 2,208-byte settings block.
[[nodiscard]] ULONG DrvEscape(SURFOBJ* pso, ULONG escape, ULONG cbIn, PVOID in, ULONG cbOut, PVOID out) noexcept;

/// Copies the fields that the page-settings escape (9999) replaces from one settings block
/// into another: pages per sheet, frame, slot order, the four margins, duplex, copies, the
/// feature bits 2-5, 8 and 9, the cover flags, the two finishing positions and the duplex shift.
void CopyPageSettingsEscapeFields(DriverDevMode& to, const DriverDevMode& from);

#pragma once
// The job's own PJL header as the rendering library writes it, read on the first write of a
// job, and the job identifiers the monitor makes itself.
#include <cstddef>
#include <span>

#include "langmon/PortContext.h"

namespace langmon {

inline constexpr LONG kJobTypeUnparsed = 0;
inline constexpr LONG kJobTypePostScript = 1;
inline constexpr LONG kJobTypePjl = 2;
inline constexpr LONG kJobTypeOther = -1;

/// Clears the parse state of the port's job (type, name copy, UEL and PostScript flags).
void ResetJobHeader(PortContext& port);
/// Reads the header from the job's first bytes; never reads past data's end. On SNMP ports
/// the JCID comes from '@JCID="..."'; elsewhere the 24-character job name takes its place.
void ParseJobHeader(PortContext& port, std::span<const std::byte> data);
/// The SNMP index of a JCID ("AB" gives "2.65.66") into out (terminated); false when it does
/// not fit or the JCID holds other than digits and upper-case letters.
[[nodiscard]] bool EncodeJcidIndex(const char* jcid, char* out, size_t cbOut);
/// 24 upper-case hexadecimal characters: "03", the computer name's first 5 bytes, its
/// CRC-16/ARC, the tick count. out must hold 25 bytes.
void MakeJobUID(char* out);
/// A new GUID as the printer's job table expects it; out must hold 33 bytes.
[[nodiscard]] bool MakeGuidJCID(char* out);
/// CRC-16/ARC (reflected 0xA001, initial 0).
WORD Crc16Arc(std::span<const std::byte> data);

}  // namespace langmon

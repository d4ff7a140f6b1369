#pragma once
// The objects a test printer serves through the SNMP agent: a text file of one object a line,
//
//     OID ACCESS TYPE VALUE
//
// ACCESS is "ro" or "rw"; TYPE is one of the agent's value words (integer, gauge, counter,
// timeticks, ipaddress, objectid, string, octet); VALUE is the rest of the line ("octet" in
// hexadecimal bytes separated by spaces, which carries bytes a line cannot). Empty lines and
// lines starting with '#' are skipped. The writer replaces the file whole (a new file renamed
// over the old), so a reader never sees half of it.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace snmptool {

using OidArcs = std::vector<uint32_t>;

struct ServedObject {
    bool writable = false;
    std::string type;
    std::string value;
};

/// Objects in the agent's order: arc by arc, a name before the names below it.
using ObjectTable = std::map<OidArcs, ServedObject>;

/// "1.3.6.1" or ".1.3.6.1": at least one arc, each a decimal number of at most 32 bits.
std::optional<OidArcs> ParseOidText(std::string_view text);
/// ".1.3.6.1", the form the agent reads and writes.
std::string FormatOidText(const OidArcs& arcs);
bool IsUnder(const OidArcs& name, const OidArcs& subtree);

/// True for the value words the agent takes from a pass program.
bool IsKnownType(std::string_view type);

/// Reads the file; lines that do not parse are skipped. Empty when the file cannot be read.
ObjectTable LoadObjects(const std::string& path);
/// Writes the table beside the file and renames it over the file. False on any failure.
bool SaveObjects(const std::string& path, const ObjectTable& table);

/// The object after `name` inside `subtree`, in the agent's order; end() when none.
ObjectTable::const_iterator NextObject(const ObjectTable& table, const OidArcs& name, const OidArcs& subtree);

}  // namespace snmptool

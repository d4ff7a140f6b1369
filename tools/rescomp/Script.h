#pragma once
// The statements of a resource script. Supported: LANGUAGE, STRINGTABLE and "<id> RCDATA".
// Resource ids are numbers (named resources are not supported). Further resource kinds
// (DIALOG, DIALOGEX, MENU, ACCELERATORS, ICON, BITMAP) plug into the table of kinds in
// Script.cpp: each gets the parser positioned after its keyword.
#include <string>

#include "Table.h"

namespace rescomp {

/// Parses one script into the set. Each script starts with language 0x0409 until its first
/// LANGUAGE statement. Throws CompileError on bad input.
void ParseScript(const std::string& file, const std::string& text, ResourceSet& out);

}  // namespace rescomp

#pragma once
// The statements of a resource script: LANGUAGE, STRINGTABLE, and "<id> <kind>" for RCDATA,
// DIALOG, DIALOGEX, MENU, MENUEX, ACCELERATORS, ICON, BITMAP, RT_MANIFEST, VERSIONINFO and
// numeric types read from a file; #define, #undef and #include of a header of defines. Resource ids are
// numbers or defined names (named resources are not supported). Each kind is a row of the
// table in Script.cpp and gets the parser positioned after its keyword.
#include <string>

#include "Table.h"

namespace rescomp {

/// Parses one script into the set. Each script starts with language 0x0409 until its first
/// LANGUAGE statement. Throws CompileError on bad input.
void ParseScript(const std::string& file, const std::string& text, ResourceSet& out);

}  // namespace rescomp

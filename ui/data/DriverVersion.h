#pragma once
// The version text of the driver file: its version resource read as the platform's version
// functions read one, through the module's own resources.
#include <cstddef>

#include "platform/WinTypes.h"

/// The value of a path of keys (as "\VarFileInfo\Translation" or
/// "\StringFileInfo\041104B0\FileVersion") in a version block as a version resource holds
/// it: nodes of {u16 length, u16 value length, u16 type, key, value, children}, each at a
/// 4-byte boundary. Keys compare without case. On success *value points into the block and *cbValue is the value's size in
/// bytes (a text value's size counts its terminator when the block stores one); a node whose
/// lengths reach past its parent ends the search with false.
bool FindVersionValue(const BYTE* block, size_t cbBlock, LPCWSTR path, const BYTE** value, size_t* cbValue);

/// "FileVersion" of the file's first language and code page (its "\VarFileInfo\Translation"),
/// cut to cchOut - 1 characters. False, with out unchanged, when the file is no module that
/// the platform can reach, has no version resource or the value is missing.
bool ReadFileVersionText(LPCWSTR path, LPWSTR out, size_t cchOut);

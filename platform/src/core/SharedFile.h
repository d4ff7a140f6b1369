#pragma once
// The file behind a named object that several processes share (named mappings, events,
// mutexes): opened flocked shared, or made complete and published whole by link(), so no
// process ever sees it half made.
#include <functional>
#include <string>

#include "platform/WinTypes.h"

namespace standin::shared {

/// Fills a new file before it is published; ERROR_SUCCESS or the error to report.
using FillNewFile = std::function<DWORD(int fd)>;

/// The file at path, opened read-write and flocked shared; when it is missing and create is
/// set, a new one made by fill. *created tells which. -1 with *error on failure
/// (ERROR_FILE_NOT_FOUND when it is missing and create is clear).
int OpenOrPublish(const std::string& path, bool create, const FillNewFile& fill, bool* created, DWORD* error);

/// A named object's name as a file name: letters, digits, '_' and '-' as they are, every other
/// code unit as "%XXXX". Names compare case-sensitively and none reaches outside the folder.
std::string EscapeName(const std::u16string& name);

}  // namespace standin::shared

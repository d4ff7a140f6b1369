#pragma once
// Windows paths below the stand-in's root, name folding and the small conversions that the
// files, profile and registry families share.
#include <string>
#include <string_view>

#include "platform/WinTypes.h"

namespace standin::paths {

/// UTF-16 <-> UTF-8 for Linux names. Unpaired surrogates and invalid bytes become U+FFFD,
/// so such a name never matches another one by folding.
std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view text);

/// Case folding of names: ASCII, Latin-1 and the full-width Latin letters.
char16_t FoldCase(char16_t c);
bool EqualNoCase(std::u16string_view a, std::u16string_view b);
/// Ordering by folded characters (for sorted key and file listings).
bool LessNoCase(std::u16string_view a, std::u16string_view b);

/// A NUL-terminated argument as a string; false for NULL.
bool WideArg(LPCWSTR text, std::u16string* out);
/// An ANSI argument converted from the ANSI code page; false for NULL or a failed conversion.
bool AnsiArg(LPCSTR text, std::u16string* out);

struct Resolved {
    DWORD error = ERROR_SUCCESS;  // set when the path cannot name anything (bad name, empty)
    std::string linuxPath;        // the mapped path
    std::string parent;           // mapped folder that holds the last component
    std::string givenLast;        // the last component as the caller spelled it (UTF-8)
    std::u16string windowsPath;   // the full, normalised Windows path
    std::u16string lastPattern;   // the last component as UTF-16 (FindFirstFileW's pattern)
    bool parentExists = false;    // every folder above the last component exists
    bool isRoot = false;          // the path names a drive or share root
    bool parentIsRoot = false;    // the last component lies directly in a drive or share root
};

/// Maps a Windows path. Relative names resolve against the system directory (the stand-in's
/// current directory), a rooted "\x" against its drive, "X:x" against the root of drive X.
/// "." and ".." are resolved by name and never climb above the drive or share. With
/// wildcardsInLast the last component may hold '*' and '?' (kept as given, not looked up).
Resolved Resolve(std::u16string_view windowsPath, bool wildcardsInLast = false);

/// ERROR_FILE_NOT_FOUND, or ERROR_PATH_NOT_FOUND when a folder above the name is missing.
inline DWORD MissingError(const Resolved& path) {
    return path.parentExists ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

/// The platform error for an errno value of a failed file call.
DWORD ErrorFromErrno(int error);

}  // namespace standin::paths

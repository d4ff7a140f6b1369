#pragma once
// Code-page conversion for the other platform families (paths, profile files, ANSI entry
// points). The same converters stand behind MultiByteToWideChar and WideCharToMultiByte.
// These helpers allocate and may throw std::bad_alloc; exported callers catch it.
#include <string>
#include <string_view>

#include "platform/WinTypes.h"

namespace standin::codepage {

/// True for the code pages the stand-in converts: CP_ACP, CP_OEMCP (taken as the ANSI code
/// page), 932, 1252 and CP_UTF8.
bool IsSupported(UINT codePage);
/// CP_ACP and CP_OEMCP resolved to the stand-in's ANSI code page; others unchanged.
UINT Resolve(UINT codePage);
bool IsLeadByte(UINT codePage, BYTE byte);

/// Invalid input becomes the code page's replacement character (U+30FB for 932, U+FFFD for
/// UTF-8); an unsupported code page gives an empty string.
std::u16string ToWide(UINT codePage, std::string_view bytes);
/// Characters the code page lacks become '?' (U+FFFD's encoding for UTF-8).
std::string FromWide(UINT codePage, std::u16string_view text);

/// Linux file names and messages are UTF-8.
inline std::u16string FromUtf8(std::string_view bytes) { return ToWide(65001u, bytes); }
inline std::string ToUtf8(std::u16string_view text) { return FromWide(65001u, text); }

}  // namespace standin::codepage

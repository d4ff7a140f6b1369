#pragma once
// Text between the host's UTF-8 and the libraries' UTF-16.
#include <string>
#include <vector>

#include "platform/WinTypes.h"

namespace kvtest {

/// The text's UTF-16LE bytes, after the byte-order mark FF FE when withBom.
std::vector<BYTE> Utf16LeBytes(const std::u16string& text, bool withBom);
std::u16string U16(const std::string& utf8);
std::string U8(const std::u16string& utf16);

}  // namespace kvtest

#include "tools/sample/Utf16.h"

#include "platform/Kernel.h"

namespace kvtest {

std::vector<BYTE> Utf16LeBytes(const std::u16string& text, bool withBom) {
    std::vector<BYTE> bytes;
    if (withBom) bytes = {0xFF, 0xFE};
    for (char16_t c : text) {
        bytes.push_back(static_cast<BYTE>(c & 0xFF));
        bytes.push_back(static_cast<BYTE>(c >> 8));
    }
    return bytes;
}

// Both through the platform's own UTF-8 conversion, measured first and then written.
std::u16string U16(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int cbText = static_cast<int>(utf8.size());
    std::u16string out(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), cbText, nullptr, 0)), u'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), cbText, out.data(), static_cast<int>(out.size()));
    return out;
}

std::string U8(const std::u16string& utf16) {
    if (utf16.empty()) return {};
    const int cchText = static_cast<int>(utf16.size());
    std::string out(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, utf16.data(), cchText, nullptr, 0, nullptr, nullptr)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), cchText, out.data(), static_cast<int>(out.size()), nullptr, nullptr);
    return out;
}

}  // namespace kvtest

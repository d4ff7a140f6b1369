// The form-overlay file's header: read once into a terminated copy, and its inch texts.
#include "ui/data/FormFileHeader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "settings/FormFile.h"
#include "settings/SpoolerQueries.h"

namespace {

constexpr char kFormMagic[] = "ZEV KD-VELUMO Form Object";
constexpr size_t kMagicLineBytes = 64;
constexpr DWORD kUnitsPerInch = 7200;
constexpr DWORD kUnitsPerHundredth = 72;

}  // namespace

DWORD FormFileHeader::Dword(size_t offset) const {
    return offset + 4 <= kFormHeaderBytes ? FormHeaderDword(bytes, offset) : 0;
}

bool FormFileHeader::MagicMatches() const {
    const char* text = KindText();
    const size_t textBytes = std::strlen(text);  // the header's own terminator bounds it
    const size_t lineEnd = std::min(textBytes, kMagicLineBytes);
    const void* feed = std::memchr(text, '\n', lineEnd);
    const size_t lineBytes = feed != nullptr ? static_cast<size_t>(static_cast<const char*>(feed) - text) : textBytes;
    return lineBytes == sizeof kFormMagic - 1 && std::memcmp(text, kFormMagic, lineBytes) == 0;
}

int ReadFormFileHeader(FormFileHeader* header, LPCSTR path) {
    if (header == nullptr || path == nullptr) return 0;
    char bounded[kFormFilePathBytes];
    size_t length = 0;
    while (length + 1 < sizeof bounded && path[length] != '\0') ++length;
    std::memcpy(bounded, path, length);
    bounded[length] = '\0';

    const FormFileView file(bounded);
    if (!file.Mapped()) return 0;
    // A short file gives what it has; the rest reads as zeros rather than as whatever
    // follows the mapping.
    const size_t copied = std::min<size_t>(file.Size(), kFormHeaderBytes);
    std::memcpy(header->bytes, file.Data(), copied);
    std::memset(header->bytes + copied, 0, sizeof header->bytes - copied);
    return 1;
}

void FormatInchText(DWORD length, LPWSTR out, size_t cchOut) {
    if (out == nullptr || cchOut == 0) return;
    const DWORD inches = length / kUnitsPerInch;
    const DWORD hundredths = (length / kUnitsPerHundredth) % 100;
    char text[32];
    if (hundredths != 0) std::snprintf(text, sizeof text, "%lu.%02lu inch", static_cast<unsigned long>(inches),
                                       static_cast<unsigned long>(hundredths));
    else std::snprintf(text, sizeof text, "%lu inch", static_cast<unsigned long>(inches));
    size_t i = 0;
    for (; i + 1 < cchOut && text[i] != '\0'; ++i) out[i] = static_cast<WCHAR>(text[i]);
    out[i] = 0;
}

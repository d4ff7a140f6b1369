// The path of the form-overlay file that a settings block names.
#include <cstring>

#include "platform/Kernel.h"
#include "settings/SpoolerQueries.h"

namespace {

constexpr char kOverlayExtension[] = ".fn2";
constexpr size_t kOverlayExtensionBytes = sizeof(kOverlayExtension) - 1;

// Applications fill these fields, so a terminator is not promised.
size_t BoundedLength(const char* text, size_t cbField) {
    size_t length = 0;
    while (length < cbField && text[length] != '\0') ++length;
    return length;
}

// Whether the last character (not byte) is "\": in a double-byte code page the trail byte
// of a character may be 0x5C.
bool EndsWithBackslash(const char* text, size_t length) {
    const UINT codePage = GetACP();
    size_t i = 0;
    size_t lastStart = 0;
    while (i < length) {
        lastStart = i;
        const bool pair = IsDBCSLeadByteEx(codePage, static_cast<BYTE>(text[i])) && i + 1 < length;
        i += pair ? 2 : 1;
    }
    return length > 0 && lastStart == length - 1 && text[lastStart] == '\\';
}

}  // namespace

int MakeFormFilePath(DriverDevMode* block, char* out) {
    if (out == nullptr) return 0;
    std::memset(out, 0, kFormFilePathBytes);
    if (block == nullptr) return 0;
    const bool overlayOn = (block->OverlayFlags & kOverlayOn) != 0;

    const size_t folderBytes = BoundedLength(block->OverlayFolder, sizeof(block->OverlayFolder));
    if (folderBytes == 0) {
        if (overlayOn) block->OverlayStatus |= kOverlayNoFolder;
        return 0;
    }
    const size_t nameBytes = BoundedLength(block->OverlayName, sizeof(block->OverlayName));
    const size_t separatorBytes = EndsWithBackslash(block->OverlayFolder, folderBytes) ? 0 : 1;
    const size_t extensionBytes = nameBytes == 0 ? 0 : kOverlayExtensionBytes;
    // A cut path would name some other file; no path at all stops the overlay instead.
    if (folderBytes + separatorBytes + nameBytes + extensionBytes + 1 > kFormFilePathBytes) {
        block->OverlayStatus |= kOverlayPathTooLong;
        return 0;
    }

    char* cursor = out;
    std::memcpy(cursor, block->OverlayFolder, folderBytes);
    cursor += folderBytes;
    if (separatorBytes != 0) *cursor++ = '\\';
    if (nameBytes == 0) {
        if (overlayOn) block->OverlayStatus |= kOverlayNoName;
        return 0;
    }
    std::memcpy(cursor, block->OverlayName, nameBytes);
    cursor += nameBytes;
    std::memcpy(cursor, kOverlayExtension, kOverlayExtensionBytes);
    return 0;
}

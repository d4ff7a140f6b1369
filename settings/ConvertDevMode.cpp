// Copying a DEVMODE of one layout into a DEVMODE of another. The source is outside data (an
// application's or the spooler's block): its header is read byte-wise, and nothing is read
// past what it claims, nor past cbSource when the caller knows the buffer's size.
#include <cstddef>
#include <cstring>

#include "settings/MergeSettings.h"

namespace {

WORD ReadWord(const BYTE* bytes, size_t offset) {
    WORD value;
    std::memcpy(&value, bytes + offset, sizeof(value));
    return value;
}

void WriteWord(BYTE* bytes, size_t offset, WORD value) { std::memcpy(bytes + offset, &value, sizeof(value)); }

// dmSpecVersion that a layout of this size carries; 0 when the size is not one of the three
// layouts this driver knows. Only those are accepted on either side: a block claiming another
// size would have its private part looked for (or written) wherever that size points.
WORD SpecVersionForSize(WORD size) {
    switch (size) {
    case 188: return 0x0320;
    case 212: return 0x0400;
    case 220: return 0x0401;
    default: return 0;
    }
}

}  // namespace

int ConvertDevModeLayout(const DEVMODEW* source, DEVMODEW* destination, size_t cbSource) {
    if (source == nullptr || destination == nullptr) return -1;
    const BYTE* src = reinterpret_cast<const BYTE*>(source);
    BYTE* dst = reinterpret_cast<BYTE*>(destination);
    if (cbSource < offsetof(DEVMODEW, dmFields)) return -1;

    const WORD srcSize = ReadWord(src, offsetof(DEVMODEW, dmSize));
    const WORD srcExtra = ReadWord(src, offsetof(DEVMODEW, dmDriverExtra));
    if (SpecVersionForSize(srcSize) == 0) return -1;
    if (static_cast<size_t>(srcSize) + srcExtra > cbSource) return -1;

    const WORD dstDriverVersion = ReadWord(dst, offsetof(DEVMODEW, dmDriverVersion));
    const WORD dstSize = ReadWord(dst, offsetof(DEVMODEW, dmSize));
    const WORD dstExtra = ReadWord(dst, offsetof(DEVMODEW, dmDriverExtra));
    const WORD dstSpec = SpecVersionForSize(dstSize);
    if (dstSpec == 0) return -1;

    // memmove: a caller may convert a block into itself.
    const size_t cbPublic = srcSize < dstSize ? srcSize : dstSize;
    std::memmove(dst, src, cbPublic);
    WriteWord(dst, offsetof(DEVMODEW, dmSpecVersion), dstSpec);
    WriteWord(dst, offsetof(DEVMODEW, dmDriverVersion), dstDriverVersion);
    WriteWord(dst, offsetof(DEVMODEW, dmSize), dstSize);
    WriteWord(dst, offsetof(DEVMODEW, dmDriverExtra), dstExtra);

    const size_t cbPrivate = srcExtra < dstExtra ? srcExtra : dstExtra;
    std::memmove(dst + dstSize, src + srcSize, cbPrivate);
    return static_cast<int>(cbPublic + cbPrivate);
}

#pragma once
// The first 220 bytes of a form-overlay file as the user interface reads them, and the texts
// the overlay dialog shows of them.
#include <cstddef>

#include "platform/WinTypes.h"

inline constexpr size_t kFormHeaderBytes = 220;

// Header offsets (integers little-endian; lengths in 1/7200 inch).
inline constexpr size_t kFormHeaderTitle = 68;
inline constexpr size_t kFormHeaderTitleEnd = 99;
inline constexpr size_t kFormHeaderMaker = 100;
inline constexpr size_t kFormHeaderVersionHigh = 104;
inline constexpr size_t kFormHeaderVersionLow = 108;
inline constexpr size_t kFormHeaderLanguage = 112;
inline constexpr size_t kFormHeaderFormat = 128;
inline constexpr size_t kFormHeaderSource = 132;
inline constexpr size_t kFormHeaderSizeCode = 136;
inline constexpr size_t kFormHeaderLength = 140;
inline constexpr size_t kFormHeaderWidth = 144;
inline constexpr size_t kFormHeaderOrientation = 148;
inline constexpr size_t kFormHeaderSizeCodeAgain = 152;

// Size codes of the header.
inline constexpr DWORD kFormSizeFree = 0;
inline constexpr DWORD kFormSizeLetter = 0x2;
inline constexpr DWORD kFormSizeTenByEleven = 0x10;
inline constexpr DWORD kFormSizeFifteenByEleven = 0x20;
inline constexpr DWORD kFormSizeA4 = 0x200;
inline constexpr DWORD kFormSizeB5 = 0x1000;

/// The header with one terminator more than the file gives, so that its texts always end.
struct FormFileHeader {
    BYTE bytes[kFormHeaderBytes + 1];

    DWORD Dword(size_t offset) const;
    BYTE Orientation() const { return bytes[kFormHeaderOrientation]; }
    /// The text from offset 0 to its terminator (the file kind the dialog shows).
    const char* KindText() const { return reinterpret_cast<const char*>(bytes); }
    /// The first line: the text from offset 0 ended at a line feed within the first 64
    /// bytes, else at its terminator, compared with the form magic.
    bool MagicMatches() const;
};

/// Reads the header of the file at the ANSI path (at most 142 bytes with its terminator,
/// system code page): its first 220 bytes, a shorter file's bytes followed by zeros. 1, or 0
/// with the header untouched when the file cannot be mapped (an empty one among them).
int ReadFormFileHeader(FormFileHeader* header, LPCSTR path);

/// A length in 1/7200 inch as the dialog shows it: "11 inch", "9.50 inch", "10.10 inch".
void FormatInchText(DWORD length, LPWSTR out, size_t cchOut);

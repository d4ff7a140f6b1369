// The job name and identifier of the PJL JOB line, the PJL text filters and the download
// table reset.
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/Kernel.h"
#include "render/DriverEntry.h"
#include "render/OutputStream.h"
#include "render/PjlHeader.h"
#include "render/draw/GlyphDownload.h"

namespace {

// CRC-16/ARC a byte at a time with two 16-entry tables: the low and the high nibble of
// (byte XOR low byte of the running value), each table built from the reflected 0x8005.
constexpr WORD CrcOfByte(unsigned value) {
    unsigned crc = value;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) != 0 ? (crc >> 1) ^ 0xA001u : crc >> 1;
    return static_cast<WORD>(crc);
}
struct CrcNibbleTables {
    WORD Low[16];
    WORD High[16];
};
constexpr CrcNibbleTables MakeCrcTables() {
    CrcNibbleTables tables{};
    for (unsigned n = 0; n < 16; ++n) {
        tables.Low[n] = CrcOfByte(n);
        tables.High[n] = CrcOfByte(n << 4);
    }
    return tables;
}
constexpr CrcNibbleTables kCrcTables = MakeCrcTables();
static_assert(kCrcTables.Low[1] == 0xC0C1 && kCrcTables.High[1] == 0xCC01);

constexpr char kHexDigits[] = "0123456789ABCDEF";

void PutHexByte(char* out, BYTE value) {
    out[0] = kHexDigits[value >> 4];
    out[1] = kHexDigits[value & 0x0F];
}

// Upper bound on what the retry of GetComputerNameA may ask for; anything larger is no
// computer name.
constexpr DWORD kComputerNameRetryMax = 4096;

}  // namespace

WORD Crc16Arc(const BYTE* bytes, size_t count) {
    WORD crc = 0;
    for (size_t i = 0; i < count; ++i) {
        const BYTE index = static_cast<BYTE>(bytes[i] ^ (crc & 0xFF));
        crc = static_cast<WORD>((crc >> 8) ^ kCrcTables.Low[index & 0x0F] ^ kCrcTables.High[index >> 4]);
    }
    return crc;
}

void MakeJobIdString(char* out, LPCSTR name, BYTE firstByte) {
    const char* text = name != nullptr ? name : "";
    const size_t length = std::strlen(text);
    PutHexByte(out, firstByte);
    // Five name bytes; a short name is padded with zero bytes.
    for (size_t i = 0; i < 5; ++i) PutHexByte(out + 2 + 2 * i, i < length ? static_cast<BYTE>(text[i]) : 0);
    // An empty name still gets a checksum, so the name keeps its width.
    const char* crcText = length != 0 ? text : "********";
    const WORD crc = Crc16Arc(reinterpret_cast<const BYTE*>(crcText), std::strlen(crcText));
    PutHexByte(out + 12, static_cast<BYTE>(crc >> 8));
    PutHexByte(out + 14, static_cast<BYTE>(crc & 0xFF));
    const DWORD ticks = GetTickCount();
    for (int i = 0; i < 4; ++i) PutHexByte(out + 16 + 2 * i, static_cast<BYTE>(ticks >> (24 - 8 * i)));
    out[24] = '\0';
}

void GetComputerJobId(PDEV* /*pdev*/, char* out, LPCSTR computerName) {
    const size_t given = computerName != nullptr ? std::strlen(computerName) : 0;
    if (given >= 1 && given <= MAX_COMPUTERNAME_LENGTH) {
        MakeJobIdString(out, computerName, 1);
        return;
    }
    char name[255] = {};
    DWORD cch = sizeof name;
    if (GetComputerNameA(name, &cch)) {
        MakeJobIdString(out, name, 1);
        return;
    }
    // A longer name than the block holds: once more with the size the call asked for.
    const DWORD error = GetLastError();
    if ((error == ERROR_INSUFFICIENT_BUFFER || error == ERROR_BUFFER_OVERFLOW) && cch > sizeof name &&
        cch <= kComputerNameRetryMax) {
        char* large = static_cast<char*>(GlobalAlloc(GPTR, cch + 1));
        if (large != nullptr) {
            DWORD cchLarge = cch;
            const BOOL got = GetComputerNameA(large, &cchLarge);
            if (got) MakeJobIdString(out, large, 1);
            GlobalFree(large);
            if (got) return;
        }
    }
    MakeJobIdString(out, "UNKNOWN", 1);
}

void MakeJcid(const PDEV* pdev, char* out) {
    SYSTEMTIME utc = {};
    GetSystemTime(&utc);
    // The last six bytes of the process GUID tell this process's jobs from another's.
    const BYTE* tail = pdev->ProcessGuid.Data4 + 2;
    std::snprintf(out, kJcidBytes, "%03d%03d%03d%03d%03d%03d%04d%02d%02d%02d%02d%02d%03d%010lu", tail[0], tail[1],
                  tail[2], tail[3], tail[4], tail[5], utc.wYear % 10000, utc.wMonth % 100, utc.wDay % 100,
                  utc.wHour % 100, utc.wMinute % 100, utc.wSecond % 100, utc.wMilliseconds % 1000,
                  static_cast<unsigned long>(pdev->JobId));
}

int ConvertToAnsi(LPCWSTR src, int cchMax, char* out, int cbOut, bool* cut) {
    if (cut != nullptr) *cut = false;
    if (out == nullptr || cbOut <= 0) return 0;
    out[0] = '\0';
    if (src == nullptr || cchMax <= 0) return 0;
    int cch = 0;
    while (cch < cchMax && src[cch] != 0) ++cch;
    // Fewer and fewer source characters until the bytes fit: a cut never ends inside a
    // double-byte character or a surrogate pair.
    for (int take = cch; take > 0; --take) {
        if (take < cch && src[take - 1] >= 0xD800 && src[take - 1] <= 0xDBFF) continue;
        const int needed = WideCharToMultiByte(CP_ACP, 0, src, take, nullptr, 0, nullptr, nullptr);
        if (needed <= 0 || needed > cbOut - 1) continue;
        const int written = WideCharToMultiByte(CP_ACP, 0, src, take, out, cbOut - 1, nullptr, nullptr);
        if (written <= 0) break;
        out[written] = '\0';
        if (cut != nullptr) *cut = take < cch;
        return written;
    }
    if (cut != nullptr) *cut = cch > 0;
    out[0] = '\0';
    return 0;
}

void MakePJLName(char* out, LPCWSTR name) {
    char ansi[43];
    int length = ConvertToAnsi(name, 42, ansi, sizeof ansi);
    if (length >= 17) {
        // Keep 13 bytes, or 12 when the 13th would be the first half of a double-byte
        // character.
        const UINT codePage = GetACP();
        int keep = 0;
        while (keep < length) {
            const int step = IsDBCSLeadByteEx(codePage, static_cast<BYTE>(ansi[keep])) && keep + 1 < length ? 2 : 1;
            if (keep + step > 13) break;
            keep += step;
        }
        std::memcpy(ansi + keep, "...", 4);
        length = keep + 3;
    }
    for (int i = 0; i < length; ++i) {
        if (ansi[i] == '"' || ansi[i] == '~') {
            out[0] = '\0';
            return;
        }
    }
    std::memcpy(out, ansi, static_cast<size_t>(length) + 1);
}

void StripPjlControlBytes(char* text) {
    if (text == nullptr) return;
    char* to = text;
    for (const char* from = text; *from != '\0'; ++from) {
        const BYTE c = static_cast<BYTE>(*from);
        if (c < 0x20 || c == 0x7F || c == '"') continue;
        *to++ = *from;
    }
    *to = '\0';
}

void ResetDownloadTable(PDEV* pdev) {
    const int dpi = Resolution(pdev);
    if ((dpi != 200 && dpi != 400) || pdev->Model == nullptr || (pdev->Model->Flags & 1) == 0) return;
    ResetGlyphCache(pdev);
    if (!OutputFailed(pdev)) {
        static constexpr BYTE kForgetDownloads[] = {0xBC, 0x21, 0x00, 0x00};
        WriteOutput(pdev, kForgetDownloads, sizeof kForgetDownloads);
    }
}

void WriteFormattedOutput(PDEV* pdev, const char* format, ...) {
    char text[256];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (length <= 0) return;
    const DWORD count = length < static_cast<int>(sizeof text) ? static_cast<DWORD>(length) : sizeof text - 1;
    WriteOutput(pdev, text, count);
}

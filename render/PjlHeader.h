#pragma once
// The PJL job frame around the VRTL job: header, trailer, job name and identifier, and the
// ANSI text helpers the PJL lines and the banner share.
#include <cstddef>

#include "render/Pdev.h"

inline constexpr size_t kJobNameBytes = 25;    // 24 hex characters and the terminator
inline constexpr size_t kJcidBytes = 46;       // 45 decimal digits and the terminator
inline constexpr size_t kPjlNameBytes = 17;    // MakePJLName: 16 bytes and the terminator
inline constexpr size_t kJobTimeBytes = 13;    // YYYYMMDDhhmm and the terminator
/// OptionFlags bit: send the job identifier (not in file mode).
inline constexpr DWORD kOptionSendJcid = 1u << 17;
/// FeatureFlags bit: the driver makes the copies (capture and replay).
inline constexpr DWORD kFeatureDriverCopies = 1u << 2;
/// FeatureFlags bits choosing the inner job's user name (UserName1 or UserName2).
inline constexpr DWORD kFeatureUserName1 = 1u << 21;
inline constexpr DWORD kFeatureUserName2 = 1u << 22;
/// CoverFlags bits: banner sheet before the job, and before and after it.
inline constexpr DWORD kCoverBefore = 1u << 1;
inline constexpr DWORD kCoverBeforeAndAfter = 1u << 2;
/// PageOptionBits: the end-mark bits.
inline constexpr BYTE kEndMarkLow = 1u << 0;
inline constexpr BYTE kEndMarkHigh = 1u << 2;

/// The whole header from the first UEL to ESC c 1 (and the print-port block in file mode);
/// creates the job file and opens the capture file on the way. Called once per job by
/// FlushPendingSetup. Always TRUE: a failed stream drops the bytes.
[[nodiscard]] BOOL WriteJobHeader(PDEV* pdev);
/// The outer PJL lines; keeps the job name in pdev->WantedPage.JobName for the EOJ line.
void WritePjlJobStart(PDEV* pdev);
/// File mode's print-port block naming the printer model.
void WriteRelaydockMarker(PDEV* pdev);
/// End-mark sheets, the partly filled N-up sheet, the inner and outer job ends, and the
/// replay of captured copies. Always TRUE.
[[nodiscard]] BOOL WriteJobTrailer(PDEV* pdev);

/// The 24-character job name from an ANSI computer name (used when it has 1 to 15 bytes,
/// else the system's computer name, else "UNKNOWN").
void GetComputerJobId(PDEV* pdev, char* out /* kJobNameBytes */, LPCSTR computerName);
/// firstByte, the first five name bytes, the CRC of the name and the tick count, in hex.
void MakeJobIdString(char* out /* kJobNameBytes */, LPCSTR name, BYTE firstByte);
/// The 45-digit job identifier: process GUID tail, UTC time and the spooler's job id.
void MakeJcid(const PDEV* pdev, char* out /* kJcidBytes */);
/// CRC-16/ARC (reflected 0x8005, initial 0, no final XOR).
WORD Crc16Arc(const BYTE* bytes, size_t count);
/// The inner job's time text: the local time, or the model's default day and time when the
/// clock is invalid or earlier than them. defaultTime is HHMM.
void FormatJobTime(DWORD defaultDay, DWORD defaultTime, const SYSTEMTIME& local, char* out /* kJobTimeBytes */);

/// The ANSI name for a PJL field: at most 16 bytes (13 and "..." when longer, cut at a
/// character boundary, so 12 when the 13th byte would start a double-byte character),
/// empty when it holds '"' or '~'.
void MakePJLName(char* out /* >= kPjlNameBytes */, LPCWSTR name);
/// Text for a PJL field: '"', CR, LF and every other control byte (below 0x20, and 0x7F)
/// removed in place. None of them can be the second byte of a double-byte character.
void StripPjlControlBytes(char* text);
/// Converts at most cchMax UTF-16 units of src (fewer when it ends sooner) to the ANSI code
/// page into out, cbOut bytes with the terminator. A text that does not fit is cut at a
/// character boundary and *cut (when given) set. Returns the bytes written without the
/// terminator. A NULL src gives "".
int ConvertToAnsi(LPCWSTR src, int cchMax, char* out, int cbOut, bool* cut = nullptr);

/// Clears the glyph-download state of 200 and 400 dpi download models and tells the
/// printer to forget its downloaded glyphs.
void ResetDownloadTable(PDEV* pdev);

/// Writes printf-formatted ANSI text (at most 255 bytes; longer text is cut) to the stream.
void WriteFormattedOutput(PDEV* pdev, const char* format, ...) __attribute__((format(printf, 2, 3)));

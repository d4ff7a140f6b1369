// The debug log: one line per call appended to LG0, which is rolled over to LG1 when it
// passes the size limit. Several processes may write at once, so nothing is kept open.
#include "settings/DebugLog.h"

#include <cstdarg>
#include <cstdio>

#include "platform/Files.h"
#include "platform/Kernel.h"
#include "platform/LastErrorKeeper.h"
#include "platform/Owners.h"

namespace {

constexpr WCHAR kLogFolder[] = u"C:\\KV-TD520_LOG";
constexpr WCHAR kCurrentLog[] = u"C:\\KV-TD520_LOG\\KV-TD520.LG0";
constexpr WCHAR kPreviousLogName[] = u"\\KV-TD520.LG1";
constexpr size_t kPreviousNameBytes = 260;
constexpr int kLineBytes = 527;  // "YY-MM-DD hh:mm:ss:" and the longest text
constexpr DWORD kMinLimitMiB = 1;
constexpr DWORD kMaxLimitMiB = 100;

// Puts the caller's last error back however the log call ends.

// Bytes of text that fit kDebugLogTextMax without splitting a double-byte character.
int TextBytes(LPCSTR text) {
    const UINT codePage = GetACP();
    int length = 0;
    while (text[length] != '\0') {
        const bool pair = IsDBCSLeadByteEx(codePage, static_cast<BYTE>(text[length])) && text[length + 1] != '\0';
        const int step = pair ? 2 : 1;
        if (length + step > kDebugLogTextMax) break;
        length += step;
    }
    return length;
}

int FormatLine(char (&line)[kLineBytes + 1], LPCSTR text) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const int written = std::snprintf(line, sizeof(line), "%02d-%02d-%02d %02d:%02d:%02d:%.*s", now.wYear % 100,
                                      now.wMonth % 100, now.wDay % 100, now.wHour % 100, now.wMinute % 100,
                                      now.wSecond % 100, TextBytes(text), text);
    if (written < 0) return 0;
    return written < static_cast<int>(sizeof(line)) ? written : static_cast<int>(sizeof(line)) - 1;
}

HANDLE OpenCurrentLog() {
    if (GetFileAttributesW(kLogFolder) == INVALID_FILE_ATTRIBUTES) CreateDirectoryW(kLogFolder, nullptr);
    return CreateFileW(kCurrentLog, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_ALWAYS, FILE_ATTRIBUTE_ARCHIVE, nullptr);
}

// Moves LG0 over LG1. Another writer may hold LG0 open, so none of this is sure to work.
void RollOver() {
    auto* previous = static_cast<WCHAR*>(GlobalAlloc(GPTR, kPreviousNameBytes));
    if (previous != nullptr) {
        lstrcpynW(previous, kLogFolder, static_cast<int>(kPreviousNameBytes / sizeof(WCHAR)));
        lstrcatW(previous, kPreviousLogName);
        DeleteFileW(previous);
        MoveFileW(kCurrentLog, previous);
        GlobalFree(previous);
    }
    // Nothing is left after a move; without the name buffer the old log is simply dropped.
    DeleteFileW(kCurrentLog);
}

}  // namespace

int WriteDebugLog(LPCSTR text, DWORD limitMiB) {
    LastErrorKeeper keepLastError;
    if (text == nullptr) text = "";
    const DWORD clamped = limitMiB < kMinLimitMiB ? kMinLimitMiB : (limitMiB > kMaxLimitMiB ? kMaxLimitMiB : limitMiB);
    const DWORD cbLimit = clamped << 20;

    char line[kLineBytes + 1];
    const int cbLine = FormatLine(line, text);

    // One rollover per line: when it cannot take effect, the line goes to the old file.
    for (int attempt = 0;; ++attempt) {
        FileHandle file(OpenCurrentLog());
        if (!file.Valid()) return 0;
        DWORD high = 0;
        SetLastError(NO_ERROR);
        const DWORD low = GetFileSize(file.Get(), &high);
        if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return 0;
        if (attempt == 0 && (high != 0 || low > cbLimit)) {
            file.Reset();
            RollOver();
            continue;
        }
        SetFilePointer(file.Get(), 0, nullptr, FILE_END);
        DWORD cbWritten = 0;
        WriteFile(file.Get(), line, static_cast<DWORD>(cbLine), &cbWritten, nullptr);  // a lost line is not reported
        return 1;
    }
}

int WriteDebugLogF(DWORD limitMiB, LPCSTR format, ...) {
    if (format == nullptr) return 0;
    // One byte over the limit, so that WriteDebugLog cuts at a character boundary.
    char text[kDebugLogTextMax + 2];
    va_list args;
    va_start(args, format);
    const int written = std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    if (written < 0) return 0;
    return WriteDebugLog(text, limitMiB);
}

// Trace log writer: settings from "ZEVLMLOG.INI", file naming, rotation and the lines.
#include "langmon/log/TraceLog.h"

#include <cstdio>

#include "platform/Files.h"
#include "platform/Kernel.h"
#include "platform/LastErrorKeeper.h"
#include "platform/Owners.h"
#include "platform/Profile.h"

#ifndef MOVEFILE_COPY_ALLOWED
#define MOVEFILE_COPY_ALLOWED 0x2u
#endif

namespace {

constexpr WCHAR kIniFile[] = u"ZEVLMLOG.INI";
constexpr WCHAR kSection[] = u"ZEVKV-TD520";
constexpr WCHAR kFolderLeaf[] = u"\\ZEVKV-TD520LOG";
constexpr WCHAR kCurrentExtension[] = u".TRG";
constexpr int kExtensionLength = 4;  // ".TRG", ".TR1" and ".001" alike

/// A bounded UTF-16 builder over a caller's buffer; once something did not fit it stays
/// failed, so a name is either whole or refused.
class WideBuilder {
public:
    WideBuilder(LPWSTR buffer, size_t cch) : buffer_(buffer), cch_(cch) { buffer_[0] = u'\0'; }
    WideBuilder& Add(LPCWSTR text) {
        for (; ok_ && *text != u'\0'; ++text) Put(*text);
        return *this;
    }
    WideBuilder& Add(LPCWSTR text, size_t count) {
        for (size_t i = 0; ok_ && i < count && text[i] != u'\0'; ++i) Put(text[i]);
        return *this;
    }
    bool ok() const { return ok_; }
    size_t length() const { return length_; }

private:
    void Put(WCHAR c) {
        if (length_ + 1 >= cch_) {
            ok_ = false;
            buffer_[0] = u'\0';
            return;
        }
        buffer_[length_++] = c;
        buffer_[length_] = u'\0';
    }
    LPWSTR buffer_;
    size_t cch_;
    size_t length_ = 0;
    bool ok_ = true;
};

void TraceOff(TraceSettings& log) {
    log.on = FALSE;
    log.mode = 0;
    log.flags = 0;
    log.historyCount = 1;
    log.folder[0] = u'\0';
    log.fileName[0] = u'\0';
}

bool IsTraceDrive(LPCWSTR path) {
    if (path[0] == u'\0' || path[1] != u':') return false;
    const WCHAR root[] = {path[0], u':', u'\\', u'\0'};
    const UINT kind = GetDriveTypeW(root);
    return kind == DRIVE_FIXED || kind == DRIVE_REMOTE || kind == DRIVE_RAMDISK;
}

// PATH on a usable drive keeps its drive and first folder (D:\logs\a\b keeps D:\logs);
// anything else falls back to the Windows directory's drive.
bool MakeTraceFolder(LPCWSTR path, TraceSettings& log) {
    WideBuilder folder(log.folder, MAX_PATH);
    if (IsTraceDrive(path)) {
        size_t keep = 0;
        int backslashes = 0;
        for (; path[keep] != u'\0'; ++keep) {
            if (path[keep] == u'\\' && ++backslashes == 2) break;
        }
        if (keep > 0 && path[keep - 1] == u'\\') --keep;  // "D:\" names the drive root
        WCHAR base[MAX_PATH];
        WideBuilder baseBuilder(base, MAX_PATH);
        if (!baseBuilder.Add(path, keep).ok()) return false;
        if (keep > 2) CreateDirectoryW(base, nullptr);
        folder.Add(base);
    } else {
        WCHAR windows[MAX_PATH];
        const UINT cch = GetWindowsDirectoryW(windows, MAX_PATH);
        if (cch < 2 || cch >= MAX_PATH || windows[1] != u':') return false;
        folder.Add(windows, 2);
    }
    if (!folder.Add(kFolderLeaf).ok()) return false;
    CreateDirectoryW(log.folder, nullptr);
    return true;
}

// The current file's name is made once per context, from the printer name of the first line.
bool EnsureFileName(TraceSettings& log, LPCWSTR printerName) {
    if (log.fileName[0] != u'\0') return true;
    if (printerName == nullptr || printerName[0] == u'\0') return false;
    WCHAR cleaned[MAX_PATH];
    WideBuilder cleanedBuilder(cleaned, MAX_PATH);
    if (!cleanedBuilder.Add(printerName).ok()) return false;
    SanitizeFileName(cleaned);
    WideBuilder name(log.fileName, MAX_PATH);
    return name.Add(log.folder).Add(u"\\ZEVLM-").Add(cleaned).Add(kCurrentExtension).ok();
}

bool EnsureSecurity(TraceSettings& log) {
    if (log.securityReady) return true;
    if (!InitializeSecurityDescriptor(&log.security, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&log.security, TRUE, nullptr, FALSE)) {
        return false;
    }
    log.securityReady = TRUE;
    return true;
}

HANDLE OpenTraceFile(TraceSettings& log) {
    SECURITY_ATTRIBUTES attributes{sizeof(SECURITY_ATTRIBUTES), log.securityReady ? &log.security : nullptr, FALSE};
    return CreateFileW(log.fileName, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &attributes,
                       OPEN_ALWAYS, FILE_ATTRIBUTE_ARCHIVE, nullptr);
}

// "<folder>\ZEVLM-<printer>" followed by the given extension.
bool RotatedName(const TraceSettings& log, LPCWSTR extension, LPWSTR out) {
    WideBuilder name(out, MAX_PATH);
    const size_t baseLength = static_cast<size_t>(lstrlenW(log.fileName) - kExtensionLength);
    return name.Add(log.fileName, baseLength).Add(extension).ok();
}

// ".001" to ".009": the history count never passes 9.
void NumberedExtension(DWORD number, LPWSTR out) {
    out[0] = u'.';
    out[1] = u'0';
    out[2] = u'0';
    out[3] = static_cast<WCHAR>(u'0' + number % 10);
    out[4] = u'\0';
}

void Rotate(const TraceSettings& log) {
    constexpr DWORD kMove = MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED;
    WCHAR target[MAX_PATH];
    if (log.historyCount <= 1) {
        if (RotatedName(log, u".TR1", target)) MoveFileExW(log.fileName, target, kMove);
        return;
    }
    // Shift the numbered files up by one, the oldest falling off, then the current is .001.
    WCHAR source[MAX_PATH];
    for (DWORD k = log.historyCount; k >= 2; --k) {
        WCHAR from[kExtensionLength + 1];
        WCHAR to[kExtensionLength + 1];
        NumberedExtension(k - 1, from);
        NumberedExtension(k, to);
        if (RotatedName(log, from, source) && RotatedName(log, to, target)) MoveFileExW(source, target, kMove);
    }
    if (RotatedName(log, u".001", target)) MoveFileExW(log.fileName, target, kMove);
}

bool AtLimit(const TraceSettings& log, HANDLE file) {
    DWORD high = 0;
    const DWORD low = GetFileSize(file, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS) return false;
    return high != 0 || low >= log.sizeLimitBytes;
}

bool AppendBytes(HANDLE file, const CHAR* bytes, DWORD count) {
    if (SetFilePointer(file, 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER && GetLastError() != ERROR_SUCCESS) {
        return false;
    }
    DWORD written = 0;
    return WriteFile(file, bytes, count, &written, nullptr) && written == count;
}

}  // namespace

DWORD TraceFlagsFrom(DWORD magic, DWORD level, DWORD extLevel) {
    DWORD flags = 0x1;
    if (magic != 0) {
        flags = magic & 0xFFFF;
    } else if ((level & 7) == 2) {
        flags = 0x3;
    } else if ((level & 7) == 3) {
        flags = 0x7;
    }
    flags += 0x70000;
    if (extLevel & 0x1) flags &= ~kTraceDevice;
    if (extLevel & 0x2) flags &= ~kTraceJobs;
    if (extLevel & 0x4) flags &= ~kTracePublisher;
    return flags;
}

void LoadTraceSettings(TraceSettings& log) {
    TraceOff(log);
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExW(&version) || version.dwPlatformId != VER_PLATFORM_WIN32_NT || version.dwMajorVersion < 4) {
        return;
    }
    WCHAR windows[MAX_PATH];
    WCHAR found[MAX_PATH];
    const UINT cchWindows = GetWindowsDirectoryW(windows, MAX_PATH);
    if (cchWindows == 0 || cchWindows >= MAX_PATH) return;
    const DWORD cchFound = SearchPathW(windows, kIniFile, nullptr, MAX_PATH, found, nullptr);
    if (cchFound == 0 || cchFound >= MAX_PATH) return;

    const UINT mode = GetPrivateProfileIntW(kSection, u"MODE", 0, kIniFile);
    if (mode != 1 && mode != 2) return;
    const UINT magic = GetPrivateProfileIntW(kSection, u"MAGIC", 0, kIniFile);
    const UINT level = GetPrivateProfileIntW(kSection, u"LEVEL", 1, kIniFile);
    const UINT extLevel = GetPrivateProfileIntW(kSection, u"EXTLEVEL", 0, kIniFile);
    UINT sizeMb = GetPrivateProfileIntW(kSection, u"SIZE", 10, kIniFile);
    if (sizeMb < 1 || sizeMb > 100) sizeMb = 10;
    const UINT noLimit = GetPrivateProfileIntW(kSection, u"FLAG", 0, kIniFile);
    UINT history = GetPrivateProfileIntW(kSection, u"HISTORY", 1, kIniFile);
    if (history < 1 || history > 9) history = 1;
    WCHAR path[MAX_PATH];
    GetPrivateProfileStringW(kSection, u"PATH", u"DUMMY", path, MAX_PATH, kIniFile);

    if (!MakeTraceFolder(path, log)) {
        TraceOff(log);
        return;
    }
    log.on = TRUE;
    log.mode = mode;
    log.flags = TraceFlagsFrom(magic, level, extLevel);
    log.sizeLimitBytes = noLimit == 1 ? 0 : sizeMb * kTraceMegabyte;
    log.historyCount = history;
}

void SanitizeFileName(LPWSTR name) {
    for (; *name != u'\0'; ++name) {
        switch (*name) {
        case u'\\': case u'/': case u':': case u'*': case u'?': case u'<': case u'>': case u'|': case u'"':
            *name = u'-';
            break;
        default:
            break;
        }
    }
}

void TraceLine(TraceSettings& log, LPCWSTR printerName, LPCSTR text) {
    if (!log.on) return;
    SYSTEMTIME now{};
    GetLocalTime(&now);
    LastErrorKeeper keepError;
    EnsureSecurity(log);
    if (!EnsureFileName(log, printerName)) return;
    FileHandle file(OpenTraceFile(log));
    if (!file.Valid()) return;
    if (log.sizeLimitBytes != 0 && AtLimit(log, file.Get())) {
        FlushFileBuffers(file.Get());
        file.Reset();
        Rotate(log);
        file.Reset(OpenTraceFile(log));
        // A rotation that could not move the file away would only grow it further.
        if (!file.Valid() || AtLimit(log, file.Get())) return;
    }
    CHAR line[kTraceTextMax + 32];
    const int length = std::snprintf(line, sizeof line, "%02d/%02d %02d:%02d:%02d:%03d\t%.*s\r\n", now.wMonth, now.wDay,
                                     now.wHour, now.wMinute, now.wSecond, now.wMilliseconds, kTraceTextMax, text);
    if (length <= 0) return;
    AppendBytes(file.Get(), line, static_cast<DWORD>(length < static_cast<int>(sizeof line) ? length : sizeof line - 1));
}

void TraceText(TraceSettings& log, LPCWSTR printerName, LPCSTR text) {
    if (!log.on) return;
    LastErrorKeeper keepError;
    EnsureSecurity(log);
    if (!EnsureFileName(log, printerName)) return;
    FileHandle file(OpenTraceFile(log));
    if (!file.Valid()) return;
    AppendBytes(file.Get(), text, static_cast<DWORD>(lstrlenA(text)));
}

void TraceTextF(TraceSettings& log, LPCWSTR printerName, DWORD flag, LPCSTR format, ...) {
    if (!TraceWanted(log, flag)) return;
    CHAR text[kTraceTextMax + 1];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (length >= 0) TraceText(log, printerName, text);
}

void TraceV(TraceSettings& log, LPCWSTR printerName, DWORD flag, LPCSTR format, va_list args) {
    if (!TraceWanted(log, flag)) return;
    CHAR text[kTraceTextMax + 1];
    if (std::vsnprintf(text, sizeof text, format, args) < 0) return;
    TraceLine(log, printerName, text);
}

void TraceF(TraceSettings& log, LPCWSTR printerName, DWORD flag, LPCSTR format, ...) {
    va_list args;
    va_start(args, format);
    TraceV(log, printerName, flag, format, args);
    va_end(args);
}

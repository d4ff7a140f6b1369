// Print history files and the lost-print check.
#include "langmon/log/PrintHistory.h"

#include <cstdio>
#include <cstring>

#include "langmon/log/EventLog.h"
#include "langmon/MonitorProcess.h"
#include "langmon/PortHolds.h"
#include "langmon/status/StatusPort.h"
#include "langmon/log/TraceLog.h"
#include "platform/Files.h"
#include "platform/Modules.h"
#include "platform/Owners.h"
#include "platform/Registry.h"
#include "platform/Spooler.h"

namespace langmon {
namespace {

constexpr WCHAR kPrnChkKey[] = u"SOFTWARE\\ZEV\\Relaydock\\Env\\PrnChk";
constexpr WCHAR kDirKey[] = u"SOFTWARE\\ZEV\\Relaydock\\Env\\Dir";
constexpr WCHAR kHistoryLeaf[] = u"\\RAS\\Trc";
constexpr WCHAR kHistoryPrefix[] = u"LMOUT";
constexpr WCHAR kHistoryExtension[] = u".txt";
constexpr CHAR kTerminator[] = "__TERMINATER__\r\n";
constexpr CHAR kProductMark[] = "Relaydock-";
constexpr DWORD kBaseDirBytes = 256;
constexpr DWORD kJobReadPauseMs = 120;

bool ReadDword(LPCWSTR path, LPCWSTR name, DWORD* value) {
    RegistryKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, key.Out()) != ERROR_SUCCESS) return false;
    DWORD type = REG_NONE;
    DWORD data = 0;
    DWORD cb = sizeof data;
    if (RegQueryValueExW(key.Get(), name, nullptr, &type, reinterpret_cast<LPBYTE>(&data), &cb) != ERROR_SUCCESS ||
        type != REG_DWORD || cb != sizeof data) {
        return false;
    }
    *value = data;
    return true;
}

// BaseDir: at most 256 bytes, terminated whatever the stored value holds.
bool ReadBaseDir(LPWSTR out) {
    RegistryKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kDirKey, 0, KEY_READ, key.Out()) != ERROR_SUCCESS) return false;
    DWORD type = REG_NONE;
    DWORD cb = kBaseDirBytes;
    if (RegQueryValueExW(key.Get(), u"BaseDir", nullptr, &type, reinterpret_cast<LPBYTE>(out), &cb) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return false;
    }
    out[cb / sizeof(WCHAR) < kBaseDirBytes / sizeof(WCHAR) ? cb / sizeof(WCHAR) : kBaseDirBytes / sizeof(WCHAR)] = 0;
    return out[0] != 0;
}

// The folder of the host program's executable.
bool HostFolder(LPWSTR out) {
    const DWORD cch = GetModuleFileNameW(nullptr, out, MAX_PATH);
    if (cch == 0 || cch >= MAX_PATH) return false;
    for (DWORD i = cch; i-- > 0;) {
        if (out[i] == u'\\') {
            out[i] = 0;
            return true;
        }
    }
    return false;
}

void StripTrailingBackslash(LPWSTR path) {
    int cch = lstrlenW(path);
    while (cch > 0 && path[cch - 1] == u'\\') path[--cch] = 0;
}

// Wide text for a trace line.
struct AnsiText {
    explicit AnsiText(LPCWSTR text) { ToAnsi(text != nullptr ? text : u"", bytes, sizeof bytes); }
    CHAR bytes[2 * MAX_PATH];
};

bool Append(HANDLE file, const CHAR* bytes, DWORD cb) {
    DWORD written = 0;
    return SetFilePointer(file, 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER &&
           WriteFile(file, bytes, cb, &written, nullptr) && written == cb;
}

void CloseHistoryFile(PortContext& port) {
    PrintCheck& check = *port.Check;
    if (check.File == INVALID_HANDLE_VALUE) return;
    Append(check.File, kTerminator, sizeof kTerminator - 1);
    WriteTraceLine(&port, kTraceAlways, "PrnOrdChk: [PrintHistoryFile] wrote terminater.");
    CloseHandle(check.File);
    check.File = INVALID_HANDLE_VALUE;
    check.Path[0] = 0;
    check.Lines = 0;
}

bool OpenHistoryFile(PortContext& port, const SYSTEMTIME& today) {
    PrintCheck& check = *port.Check;
    WCHAR name[MAX_PATH] = {};
    if (const PortPrinterName printer(port); printer.get() != nullptr) lstrcpyW(name, printer.get());
    SanitizeHistoryName(name);
    if (MakeHistoryFileName(check.Folder, kHistoryPrefix, name, kHistoryExtension, today, check.Path)) {
        WriteTraceLine(&port, kTraceAlways, "PrnOrdChk: [PrintHistoryFile] = %s", AnsiText(check.Path).bytes);
        check.File = CreateFileW(check.Path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_ARCHIVE, nullptr);
    }
    if (check.File == INVALID_HANDLE_VALUE) {
        WriteTraceLine(&port, kTraceAlways, "PrnOrdChk: [PrintHistoryFile] can not open.");
        check.HistoryOn = FALSE;
        return false;
    }
    check.Lines = 0;
    check.Year = today.wYear;
    check.Month = today.wMonth;
    check.Day = today.wDay;
    return true;
}

// The job's document name in the ANSI code page, at most 63 bytes; false when the spooler
// cannot say.
bool ReadDocumentName(PortContext& port, DWORD jobId, LPCSTR status, CHAR (&document)[kHistoryDocBytes + 1]) {
    // The binding stays while the caller holds the port; its printer handle is fixed.
    HANDLE printer = nullptr;
    {
        PortLockHold lock(port);
        if (port.CurrentBinding != nullptr) printer = port.CurrentBinding->printer;
    }
    bool own = false;
    if (printer == nullptr) {
        PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ACCESS_USE};
        PortPrinterName name(port);
        if (name.get() == nullptr || !OpenPrinterW(name.writable(), &printer, &defaults)) {
            WriteTraceLine(&port, kTraceAlways, "PrnOrdChk: OutPrnHist_JobStatus(JobId=%lu, JobStatus=%s)",
                           static_cast<unsigned long>(jobId), status);
            WriteTraceLine(&port, kTraceAlways, "PrnOrdChk: @CP2 OpenPrinter()->GetLastError()=0x%08lx",
                           static_cast<unsigned long>(GetLastError()));
            return false;
        }
        own = true;
    }
    bool ok = false;
    BYTE probe[4];
    DWORD needed = 0;
    if (GetJobW(printer, jobId, 1, probe, sizeof probe, &needed) || GetLastError() != ERROR_INSUFFICIENT_BUFFER ||
        needed < sizeof(JOB_INFO_1W)) {
        WriteTraceLine(&port, kTraceAlways, "PrnOrdChk: OutPrnHist_JobStatus(JobId=%lu, JobStatus=%s)",
                       static_cast<unsigned long>(jobId), status);
        WriteTraceLine(&port, kTraceAlways, "PrnOrdChk: @CP3 GetJob()->GetLastError()=0x%08lx",
                       static_cast<unsigned long>(GetLastError()));
        Sleep(kJobReadPauseMs);
    } else if (auto* block = static_cast<BYTE*>(HeapAllocZero(needed))) {
        for (int attempt = 0; attempt < 2 && !ok; ++attempt) {
            if (attempt != 0) Sleep(kJobReadPauseMs);
            DWORD cb = 0;
            ok = GetJobW(printer, jobId, 1, block, needed, &cb) != FALSE;
        }
        if (ok) {
            const auto* job = reinterpret_cast<const JOB_INFO_1W*>(block);
            ToAnsi(job->pDocument != nullptr ? job->pDocument : u"", document, sizeof document);
        } else {
            WriteTraceLine(&port, kTraceAlways, "PrnOrdChk: OutPrnHist_JobStatus(JobId=%lu, JobStatus=%s)",
                           static_cast<unsigned long>(jobId), status);
            WriteTraceLine(&port, kTraceAlways, "PrnOrdChk: @CP4 GetJob()->GetLastError()=0x%08lx",
                           static_cast<unsigned long>(GetLastError()));
        }
        HeapFreeBlock(block);
    }
    if (own) ClosePrinter(printer);
    return ok;
}

}  // namespace

void SanitizeHistoryName(LPWSTR name) {
    for (; *name != 0; ++name) {
        switch (*name) {
        case u'\\': case u'/': case u':': case u',': case u';': case u'*': case u'?': case u'"': case u'<':
        case u'>': case u'|':
            *name = u'_';
            break;
        default:
            break;
        }
    }
}

bool MakeHistoryFileName(LPCWSTR folder, LPCWSTR prefix, LPCWSTR name, LPCWSTR extension, const SYSTEMTIME& today,
                         LPWSTR out) {
    WCHAR base[MAX_PATH];
    if (folder != nullptr && folder[0] != 0) {
        if (lstrlenW(folder) >= MAX_PATH) return false;
        lstrcpyW(base, folder);
    } else if (!HostFolder(base)) {
        return false;
    }
    StripTrailingBackslash(base);

    CHAR date[16];
    std::snprintf(date, sizeof date, "%04u%02u%02u", today.wYear, today.wMonth, today.wDay);
    WCHAR wideDate[16];
    for (int i = 0; i < 16; ++i) wideDate[i] = static_cast<WCHAR>(static_cast<unsigned char>(date[i]));

    // "<base>\<prefix>_<name>_<date>_" is shared by the pattern and the result.
    WCHAR stem[MAX_PATH];
    const int cchStem = lstrlenW(base) + 1 + lstrlenW(prefix) + 1 + lstrlenW(name) + 1 + 8 + 1;
    const int cchExtension = lstrlenW(extension);
    if (cchStem + 3 + cchExtension + 1 > MAX_PATH) return false;
    lstrcpyW(stem, base);
    lstrcatW(stem, u"\\");
    lstrcatW(stem, prefix);
    lstrcatW(stem, u"_");
    lstrcatW(stem, name);
    lstrcatW(stem, u"_");
    lstrcatW(stem, wideDate);
    lstrcatW(stem, u"_");

    WCHAR pattern[MAX_PATH];
    lstrcpyW(pattern, stem);
    lstrcatW(pattern, u"*");
    lstrcatW(pattern, extension);

    // The file made last gives the number; of two made at the same time the higher number.
    DWORD number = 0;
    ULONGLONG newest = 0;
    bool any = false;
    WIN32_FIND_DATAW found{};
    const HANDLE find = FindFirstFileW(pattern, &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const int cch = lstrlenW(found.cFileName);
            const int at = cch - cchExtension - 4;
            if (at < 0 || found.cFileName[at] != u'_') continue;
            DWORD n = 0;
            bool digits = true;
            for (int i = at + 1; i < at + 4; ++i) {
                if (found.cFileName[i] < u'0' || found.cFileName[i] > u'9') digits = false;
                n = n * 10 + static_cast<DWORD>(found.cFileName[i] - u'0');
            }
            if (!digits) continue;
            const ULONGLONG created =
                (static_cast<ULONGLONG>(found.ftCreationTime.dwHighDateTime) << 32) | found.ftCreationTime.dwLowDateTime;
            if (!any || created > newest || (created == newest && n > number)) {
                newest = created;
                number = n;
                any = true;
            }
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }
    number = any ? number + 1 : 1;
    if (number > kHistoryMaxNumber) number = 1;

    const WCHAR digits[] = {static_cast<WCHAR>(u'0' + number / 100), static_cast<WCHAR>(u'0' + number / 10 % 10),
                            static_cast<WCHAR>(u'0' + number % 10), 0};
    lstrcpyW(out, stem);
    lstrcatW(out, digits);
    lstrcatW(out, extension);
    return true;
}

bool GetPrintCheckInfo(PortContext& port) {
    WriteTraceLine(&port, kTraceAlways, "PrnChk: GetPrintCheckInfo() - start.");
    if (port.Check == nullptr) {
        port.Check = static_cast<PrintCheck*>(HeapAllocZero(sizeof(PrintCheck)));
        if (port.Check == nullptr) return false;
        port.Check->File = INVALID_HANDLE_VALUE;
    }
    PrintCheck& check = *port.Check;
    DWORD value = 0;
    check.HistoryOn = FALSE;
    if (ReadDword(kPrnChkKey, u"PrnOrdChk", &value)) {
        WriteTraceLine(&port, kTraceAlways, "PrnChk: RD_REG [PrnOrdChk] = 0x%08lx", static_cast<unsigned long>(value));
        check.HistoryOn = value != 0 ? TRUE : FALSE;
    } else {
        WriteTraceLine(&port, kTraceAlways, "PrnChk: RD_REG [PrnOrdChk] can not get.");
    }
    if (check.HistoryOn) {
        WCHAR base[MAX_PATH] = {};
        if (ReadBaseDir(base)) {
            WriteTraceLine(&port, kTraceAlways, "PrnChk: RD_REG [BaseDir] = %s", AnsiText(base).bytes);
        } else {
            WriteTraceLine(&port, kTraceAlways, "PrnChk: RD_REG [BaseDir] can not get.");
            if (!HostFolder(base)) base[0] = 0;
        }
        StripTrailingBackslash(base);
        if (base[0] == 0 || lstrlenW(base) + lstrlenW(kHistoryLeaf) >= MAX_PATH) {
            check.HistoryOn = FALSE;
        } else {
            // The history's folders are made here: without them the history would switch
            // itself off at its first line.
            CreateDirectoryW(base, nullptr);
            lstrcpyW(check.Folder, base);
            lstrcatW(check.Folder, u"\\RAS");
            CreateDirectoryW(check.Folder, nullptr);
            lstrcpyW(check.Folder, base);
            lstrcatW(check.Folder, kHistoryLeaf);
            CreateDirectoryW(check.Folder, nullptr);
        }
    }
    check.LostCheckOn = TRUE;
    if (ReadDword(kPrnChkKey, u"PrnLostChk", &value)) {
        WriteTraceLine(&port, kTraceAlways, "PrnChk: RD_REG [PrnLostChk] = 0x%08lx", static_cast<unsigned long>(value));
        check.LostCheckOn = value != 0 ? TRUE : FALSE;
    } else {
        WriteTraceLine(&port, kTraceAlways, "PrnChk: RD_REG [PrnLostChk] can not get.");
    }
    WriteTraceLine(&port, kTraceAlways, "PrnChk: GetPrintCheckInfo() - end.");
    return true;
}

void ResetPrintCheckInfo(PortContext& port) {
    if (port.Check == nullptr) return;
    WriteTraceLine(&port, kTraceAlways, "PrnChk: ResetPrintCheckInfo() - start.");
    // Only a file that holds lines gets its last line: none is made just to close it.
    if (port.Check->HistoryOn) CloseHistoryFile(port);
    if (port.Check->File != INVALID_HANDLE_VALUE) CloseHandle(port.Check->File);
    HeapFreeBlock(port.Check);
    port.Check = nullptr;
    WriteTraceLine(&port, kTraceAlways, "PrnChk: ResetPrintCheckInfo() - end.");
}

void OutPrnHist_JobStatus(PortContext& port, DWORD jobId, LPCSTR status) {
    if (port.Check == nullptr || !port.Check->HistoryOn) return;
    PrintCheck& check = *port.Check;
    SYSTEMTIME today{};
    GetLocalTime(&today);
    if (check.File != INVALID_HANDLE_VALUE &&
        (today.wYear != check.Year || today.wMonth != check.Month || today.wDay != check.Day)) {
        WriteTraceLine(&port, kTraceAlways, "PrnOrdChk: [PrintHistoryFile] past create date.");
        CloseHistoryFile(port);
    }
    CHAR document[kHistoryDocBytes + 1] = {};
    if (!ReadDocumentName(port, jobId, status, document)) return;
    if (std::strstr(document, kProductMark) == nullptr) return;
    // The file is opened for the first line that goes into it, so no day gets an empty one.
    if (check.File == INVALID_HANDLE_VALUE && !OpenHistoryFile(port, today)) return;

    CHAR line[kHistoryDocBytes + 64];
    const int cb = std::snprintf(line, sizeof line, "%s\t%.32s\r\n", document, status);
    if (cb <= 0 || !Append(check.File, line, static_cast<DWORD>(cb))) return;
    WriteTraceLine(&port, kTraceAlways, "PrnOrdChk: <LMOUT> JobId=%lu, Msg=%s", static_cast<unsigned long>(jobId),
                   status);
    if (++check.Lines >= kHistoryMaxLines) {
        WriteTraceLine(&port, kTraceAlways, "PrnOrdChk: [PrintHistoryFile] became max line.");
        CloseHistoryFile(port);
    }
}

void PrnLostChk(PortContext& port, DWORD bit, LPCSTR text) {
    if (port.Check == nullptr || !port.Check->LostCheckOn) return;
    bool publish = false;
    {
        PortLockHold lock(port);
        StatusVariable* row =
            port.Variables != nullptr ? port.Variables->Find("ErrPrintSequence", port.ModelMask, false) : nullptr;
        if (row == nullptr) {
            WriteTraceLine(&port, kTraceAlways, "PrnLostChk: SRM StatusVariables [ErrPrintSequence] not found.");
            return;
        }
        WriteTraceLine(&port, kTraceAlways, "PrnLostChk: [%s]", text);
        DWORD value = 0;
        if (row->value != nullptr && row->cbValue == sizeof value) std::memcpy(&value, row->value, sizeof value);
        if ((value & bit) != 0) {
            WriteTraceLine(&port, kTraceAlways, "PrnLostChk: [%s] @ not 1st time(do not update SRM)", text);
            return;
        }
        WriteTraceLine(&port, kTraceAlways, "PrnLostChk: [%s] @ 1st time(do update SRM)", text);
        value |= bit;
        publish = port.Variables->Store(*row, &value, sizeof value);
    }
    if (publish) PublishPort(port);
}

}  // namespace langmon

// File mode: the job folder and base name, the counter file, the numbered job file and
// the helper program.
#include "render/JobFiles.h"

#include <cstring>

#include "platform/Files.h"
#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/Process.h"
#include "platform/Profile.h"
#include "platform/Spooler.h"
#include "settings/DebugLog.h"
#include "settings/SpoolerQueries.h"

namespace {

constexpr DWORD kLogHooks = 1u << 0;
constexpr size_t kNameChars = 256;  // JobFolder and JobFileName, with the terminator
constexpr size_t kNumberSuffixChars = 9;  // five digits and ".prn"
constexpr WCHAR kCounterFileName[] = u"\\Number.dat";
constexpr WCHAR kCounterSection[] = u"DATA";
constexpr WCHAR kCounterKey[] = u"LastNumber";

void LogFailure(const PDEV* pdev, const char* what) {
    const DWORD error = GetLastError();
    if (DebugLogWanted(pdev->Settings, kLogHooks)) {
        WriteDebugLogF(pdev->Settings.LogSizeLimit, "%s failed with error %u\n", what, error);
    }
}

size_t BoundedLength(const WCHAR* text, size_t cchMax) {
    size_t n = 0;
    while (n < cchMax && text[n] != 0) ++n;
    return n;
}

/// Copies a settings field that may lack its terminator.
void CopyField(WCHAR* out, const WCHAR* field, size_t cchField) {
    const size_t n = BoundedLength(field, cchField - 1);
    std::memcpy(out, field, n * sizeof(WCHAR));
    out[n] = 0;
}

/// Appends text when the result still fits cchOut characters with the terminator.
bool Append(WCHAR* out, size_t cchOut, const WCHAR* text) {
    const size_t have = BoundedLength(out, cchOut);
    const size_t add = BoundedLength(text, cchOut);
    if (have + add >= cchOut) return false;
    std::memcpy(out + have, text, add * sizeof(WCHAR));
    out[have + add] = 0;
    return true;
}

bool EndsWith(const WCHAR* text, size_t length, const WCHAR* tail, size_t tailLength) {
    return length >= tailLength && std::memcmp(text + length - tailLength, tail, tailLength * sizeof(WCHAR)) == 0;
}

/// Back to the base name after an earlier job of this device numbered it. A name whose
/// ".prn" is not preceded by five digits is not one this code made: only ".prn" goes.
void StripJobNumber(WCHAR* name) {
    size_t length = BoundedLength(name, kNameChars - 1);
    name[length] = 0;
    if (!EndsWith(name, length, u".prn", 4)) return;
    length -= 4;
    bool numbered = length >= 5;
    for (size_t i = 0; numbered && i < 5; ++i) numbered = name[length - 1 - i] >= u'0' && name[length - 1 - i] <= u'9';
    if (numbered) length -= 5;
    name[length] = 0;
}

/// A base name from the settings must name a file inside the job folder.
bool IsPlainFileName(const WCHAR* name) {
    for (const WCHAR* p = name; *p != 0; ++p) {
        if (*p < 0x20) return false;
        for (const WCHAR* bad = u"\\/:*?\"<>|"; *bad != 0; ++bad) {
            if (*p == *bad) return false;
        }
    }
    return true;
}

/// Creates each folder along the path; errors are left for the open that follows to show.
void CreateFolders(const WCHAR* folder) {
    WCHAR partial[MAX_PATH];
    const size_t length = BoundedLength(folder, MAX_PATH - 1);
    for (size_t i = 0; i < length; ++i) {
        if (folder[i] == u'\\' && i > 0) {
            std::memcpy(partial, folder, i * sizeof(WCHAR));
            partial[i] = 0;
            CreateDirectoryW(partial, nullptr);
        }
    }
    std::memcpy(partial, folder, length * sizeof(WCHAR));
    partial[length] = 0;
    CreateDirectoryW(partial, nullptr);
}

HANDLE CreateNew(const WCHAR* path) {
    return CreateFileW(path, GENERIC_ALL, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

/// Five digits with leading zeros (the number is always 0..99999).
void FormatJobNumber(LONG number, WCHAR* out /* 6 */) {
    for (int i = 4; i >= 0; --i) {
        out[i] = static_cast<WCHAR>(u'0' + number % 10);
        number /= 10;
    }
    out[5] = 0;
}

void FormatDecimal(LONG number, WCHAR* out /* 12 */) {
    WCHAR reversed[11];
    int n = 0;
    do {
        reversed[n++] = static_cast<WCHAR>(u'0' + number % 10);
        number /= 10;
    } while (number > 0);
    for (int i = 0; i < n; ++i) out[i] = reversed[n - 1 - i];
    out[n] = 0;
}

}  // namespace

void PrepareJobFileNames(PDEV* pdev) {
    pdev->JobFolder[0] = 0;
    pdev->JobFileName[0] = 0;
    if (!FileMode(pdev)) return;
    const WORD flags = pdev->Settings.RelaydockFlags;
    if ((flags & kRelaydockOwnFolder) != 0) {
        CopyField(pdev->JobFolder, pdev->Settings.JobFolder, kNameChars);
        StripTrailingBackslash(pdev->JobFolder);
    } else {
        GetJobFolder(pdev->JobFolder);
    }
    if ((flags & kRelaydockOwnFileName) != 0) {
        CopyField(pdev->JobFileName, pdev->Settings.JobFileName, kNameChars);
        StripPrnExtension(pdev->JobFileName);
    } else {
        FormatDateString(pdev->JobFileName, pdev->Model != nullptr ? pdev->Model->DefaultLocalDay : 0);
    }
}

LONG NextCounterValue(LPCWSTR counterText) {
    // Read like the C runtime's decimal reader, but saturating instead of overflowing.
    const WCHAR* p = counterText;
    if (p == nullptr) return 1;
    while (*p == u' ' || *p == u'\t') ++p;
    bool negative = false;
    if (*p == u'-' || *p == u'+') negative = *p++ == u'-';
    int64_t value = 0;
    for (; *p >= u'0' && *p <= u'9'; ++p) {
        value = value * 10 + (*p - u'0');
        if (value > kLastJobFileNumber) value = kLastJobFileNumber + 1;
    }
    if (negative && value != 0) return 0;
    return value < kLastJobFileNumber ? static_cast<LONG>(value) + 1 : 0;
}

bool NextJobFileNumber(PDEV* pdev, LPCWSTR folder, LPWSTR path, size_t cchPath, LPWSTR name, size_t cchName) {
    WCHAR counterPath[MAX_PATH] = {};
    if (!Append(counterPath, MAX_PATH, folder) || !Append(counterPath, MAX_PATH, kCounterFileName)) return false;
    const size_t suffix = FileMode(pdev) ? kNumberSuffixChars : 5;
    if (BoundedLength(path, cchPath) + suffix >= cchPath || BoundedLength(name, cchName) + suffix >= cchName) {
        return false;
    }

    LONG number = 0;
    HANDLE counter = CreateNew(counterPath);
    if (counter == INVALID_HANDLE_VALUE) {
        if (GetLastError() == ERROR_FILE_EXISTS) {
            WCHAR text[12] = {};
            GetPrivateProfileStringW(kCounterSection, kCounterKey, kCounterKey, text, 12, counterPath);
            number = NextCounterValue(text);
        } else {
            CreateFolders(folder);
            counter = CreateNew(counterPath);
        }
    }
    WCHAR decimal[12];
    FormatDecimal(number, decimal);
    if (!WritePrivateProfileStringW(kCounterSection, kCounterKey, decimal, counterPath)) {
        LogFailure(pdev, "WritePrivateProfileStringW (Number.dat)");
    }
    if (counter != INVALID_HANDLE_VALUE) CloseHandle(counter);

    WCHAR digits[6];
    FormatJobNumber(number, digits);
    Append(path, cchPath, digits);
    Append(name, cchName, digits);
    if (FileMode(pdev)) {
        Append(path, cchPath, u".prn");
        Append(name, cchName, u".prn");
    }
    return true;
}

void CreateJobFile(PDEV* pdev) {
    pdev->JobFile = nullptr;
    pdev->JobFileCreated = FALSE;
    if (!FileMode(pdev)) return;

    WCHAR folder[kNameChars];
    CopyField(folder, pdev->JobFolder, kNameChars);
    WCHAR base[kNameChars];
    CopyField(base, pdev->JobFileName, kNameChars);
    StripJobNumber(base);
    std::memcpy(pdev->JobFileName, base, sizeof base);

    const size_t folderLength = BoundedLength(folder, kNameChars);
    const size_t baseLength = BoundedLength(base, kNameChars);
    // Refused names leave the job without a file: its first write fails and stops the job.
    if (!IsPlainFileName(base) || folderLength + 1 + baseLength + kNumberSuffixChars > MAX_PATH - 1 ||
        baseLength + kNumberSuffixChars > kNameChars - 1) {
        SetLastError(ERROR_INVALID_NAME);
        LogFailure(pdev, "Job file name");
        return;
    }

    for (int attempt = 0; attempt < kJobFileNumberTries; ++attempt) {
        WCHAR path[MAX_PATH] = {};
        WCHAR name[kNameChars] = {};
        Append(path, MAX_PATH, folder);
        Append(path, MAX_PATH, u"\\");
        Append(path, MAX_PATH, base);
        Append(name, kNameChars, base);
        if (!NextJobFileNumber(pdev, folder, path, MAX_PATH, name, kNameChars)) {
            LogFailure(pdev, "NextJobFileNumber");
            return;
        }
        std::memcpy(pdev->JobFileName, name, sizeof name);

        HANDLE file = CreateNew(path);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) {
            CreateFolders(folder);
            file = CreateNew(path);
        }
        if (file != INVALID_HANDLE_VALUE) {
            pdev->JobFile = file;
            pdev->JobFileCreated = TRUE;
            return;
        }
        // Another job holds this number: take the next rather than lose the job.
        if (GetLastError() != ERROR_FILE_EXISTS) break;
    }
    LogFailure(pdev, "CreateFileW (job file)");
}

void CloseJobFile(PDEV* pdev) {
    if (pdev->JobFile != nullptr && pdev->JobFile != INVALID_HANDLE_VALUE) CloseHandle(pdev->JobFile);
    pdev->JobFile = nullptr;
}

bool BuildHelperCommandLine(const PDEV* pdev, LPCWSTR printerName, LPWSTR out) {
    constexpr size_t kCch = kHelperCommandChars + 1;
    out[0] = 0;
    WCHAR windows[MAX_PATH];
    const UINT cchWindows = GetWindowsDirectoryW(windows, MAX_PATH);
    if (cchWindows == 0 || cchWindows >= MAX_PATH) return false;
    StripTrailingBackslash(windows);
    const WCHAR* program = sizeof(void*) == 8 ? u"\\System32\\spool\\drivers\\x64\\3\\KV416SP.EXE "
                                              : u"\\System32\\spool\\drivers\\w32x86\\3\\KV410SP.EXE ";
    const bool fits = Append(out, kCch, windows) && Append(out, kCch, program) &&
                      Append(out, kCch, printerName != nullptr ? printerName : u"") && Append(out, kCch, u",") &&
                      Append(out, kCch, pdev->JobFolder) && Append(out, kCch, u"\\") &&
                      Append(out, kCch, pdev->JobFileName);
    if (!fits) out[0] = 0;
    return fits;
}

void StartHelperProgram(PDEV* pdev) {
    if (!FileMode(pdev)) return;
    CloseJobFile(pdev);
    const bool created = pdev->JobFileCreated != FALSE;
    pdev->JobFileCreated = FALSE;  // one start per job file
    // A file this job did not create may be another job's: it is never handed over.
    if ((pdev->Settings.RelaydockFlags & kRelaydockStartHelper) == 0 || !created) return;

    BYTE* info = GetPrinterInfo(pdev->Printer, 2);
    if (info == nullptr) return;
    const auto* printer = reinterpret_cast<const PRINTER_INFO_2W*>(info);
    WCHAR command[kHelperCommandChars + 1];
    if (!BuildHelperCommandLine(pdev, printer->pPrinterName, command)) {
        SetLastError(ERROR_BUFFER_OVERFLOW);
        LogFailure(pdev, "Helper command line");
    } else {
        char ansi[kHelperCommandBytes];
        if (WideCharToMultiByte(CP_ACP, 0, command, -1, ansi, static_cast<int>(sizeof ansi), nullptr, nullptr) > 0) {
            WinExec(ansi, SW_SHOWNORMAL);
        } else {
            LogFailure(pdev, "WideCharToMultiByte (helper command line)");
        }
    }
    GlobalFree(info);
}

#if KV_PRINT_PORT_CONTROL
namespace {
using SetCtrlProc = LONG (*)(void* block, DWORD id, const void* data, DWORD cbData);
using ControlThreadProc = LONG (*)(DWORD command, void* block);
constexpr DWORD kPortStopThread = 0x10000;
constexpr DWORD kPortPages = 4101;
constexpr DWORD kPortSheets = 4102;
constexpr DWORD kOptionCountFromPageNumber = 1u << 26;

/// An exported entry as the function it is (through the generic function pointer type,
/// which converts to any other without a warning).
template <typename Proc>
Proc EntryAs(FARPROC proc) {
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(proc));
}

LONG CallControlThread(PDEV* pdev) {
    const FARPROC proc = GetProcAddress(pdev->PrintPortLibrary, "RdSpl_ControlThread");
    if (proc == nullptr) return -1;
    return EntryAs<ControlThreadProc>(proc)(kPortStopThread, pdev->PrintPortControl);
}

LONG CallSetCtrl(PDEV* pdev, DWORD id, DWORD value) {
    const FARPROC proc = GetProcAddress(pdev->PrintPortLibrary, "RdSpl_SetCtrl");
    if (proc == nullptr) return -1;
    return EntryAs<SetCtrlProc>(proc)(pdev->PrintPortControl, id, &value, sizeof value);
}
}  // namespace

void FinishPrintPortJob(PDEV* pdev, bool failed) {
    if (pdev->PrintPortLibrary == nullptr) return;
    CloseJobFile(pdev);
    if (failed) {
        CallControlThread(pdev);
    } else {
        const PageSettings& page = pdev->WantedPage;
        const bool byPageNumber = (pdev->Settings.OptionFlags & kOptionCountFromPageNumber) != 0 && page.PageNumber > 0;
        const LONG pages = page.PageCount == 1 || byPageNumber ? page.PageNumber : page.PageCount - 1;
        const LONG sheets = page.SheetCount == 0 || byPageNumber ? page.PageNumber : page.SheetCount;
        if (pdev->PrintPortGoOn != 0 && CallSetCtrl(pdev, kPortPages, static_cast<DWORD>(pages)) != 0) {
            pdev->PrintPortGoOn = 0;
        }
        if (pdev->PrintPortGoOn != 0 && CallSetCtrl(pdev, kPortSheets, static_cast<DWORD>(sheets)) != 0) {
            pdev->PrintPortGoOn = 0;
        }
        CallControlThread(pdev);
    }
    FreeLibrary(pdev->PrintPortLibrary);
    pdev->PrintPortLibrary = nullptr;
}
#endif

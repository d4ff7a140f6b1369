#pragma once
// Controls of the platform stand-in for hosts and tests: where the Windows drive lives,
// which clock, code page, computer name and system version the platform reports, where
// modules are found, which faults to inject, and the spooler's printer database.
// These are not platform calls; product code never includes this header.
#include <string>
#include <vector>

#include "platform/Spooler.h"
#include "platform/WinTypes.h"

namespace standin {

/// The Linux folder that holds the Windows drives: "C:\x" is "<root>/C/x". Defaults to the
/// environment value KV_STANDIN_ROOT, else a folder below /tmp made once per process.
void SetRoot(const std::string& linuxFolder);
std::string Root();
/// The Linux path of a Windows path (drive letter upper-cased, each existing component
/// found case-insensitively, missing components kept as given).
std::string MapPath(const std::u16string& windowsPath);

void SetAnsiCodePage(UINT codePage);  // 932 (default) or 1252
void SetWindowsDirectory(const std::u16string& path);  // default "C:\Windows"
void SetComputerName(const std::u16string& name);      // default "KVHOST"
void SetUserName(const std::u16string& name);          // default "user"
void SetOsVersion(DWORD major, DWORD minor, DWORD build, DWORD platformId);  // default 6.1, NT
void SetUserDefaultLanguage(LANGID language);           // used by LoadStringW: default 0x411

/// Fixes the local time (and the system time, nine hours earlier) until UseRealClock.
void SetLocalTime(const SYSTEMTIME& time);
void AdvanceClock(DWORD milliseconds);
void SetTickCount(DWORD ticks);
void UseRealClock();

/// Folders (Linux paths) searched for modules by bare name after the system directory.
void AddModuleFolder(const std::string& linuxFolder);

enum class Fault {
    GlobalAlloc,   // GlobalAlloc returns NULL
    FileCreate,    // CreateFileW fails
    FileWrite,     // WriteFile fails
    FileShortWrite,// WriteFile writes half of the bytes and succeeds
    FileMove,      // MoveFileW / MoveFileExW fail
    FileDelete,    // DeleteFileW fails
    FileMapping,   // CreateFileMappingW / MapViewOfFile fail
    FileTime,      // GetFileTime fails
    FileSize,      // GetFileSize fails
    RegistryOpen,  // RegOpenKeyExW fails
    LoadLibrary,   // LoadLibraryW fails
};
/// The next `count` calls of that kind after `skip` successful ones fail with `error`.
void InjectFault(Fault kind, DWORD error, unsigned skip = 0, unsigned count = 1);
void ClearFaults();
/// Number of calls of that kind seen since the last ClearFaults (for tests that count).
unsigned CallCount(Fault kind);

// --- Spooler database ---
struct PrinterSetup {
    std::u16string name;
    std::u16string port = u"LPT1:";
    std::u16string driverName = u"KV-TD520";
    std::u16string driverPath;   // e.g. "C:\drv\KV416SD.DLL"
    std::u16string dataFile;     // e.g. "C:\drv\KV416SD.DAT"
    std::u16string configFile;
    std::u16string helpFile;
    DWORD attributes = PRINTER_ATTRIBUTE_LOCAL;
    std::vector<BYTE> devMode;   // the printer's own DEVMODE, empty for none
};
struct FormSetup {
    std::u16string name;
    LONG width;   // thousandths of a millimetre
    LONG length;
    RECTL imageable;
    DWORD flags = FORM_BUILTIN;
};
void ResetSpooler();
void AddPrinter(const PrinterSetup& printer);
void SetPrinterDevMode(const std::u16string& printer, const std::vector<BYTE>& devMode);
void SetPrinterAttributes(const std::u16string& printer, DWORD attributes);
/// The form database that EnumFormsW lists for every printer, in this order.
void SetForms(const std::vector<FormSetup>& forms);
/// A handle opened without PRINTER_ACCESS_ADMINISTER cannot write printer data; this also
/// refuses writes for every handle of that printer (a user without rights).
void SetPrinterDataReadOnly(const std::u16string& printer, bool readOnly);
/// Printer handles open now (server handles included), so that a test can tell a leak.
unsigned OpenPrinterHandleCount();

}  // namespace standin

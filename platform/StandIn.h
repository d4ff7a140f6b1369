#pragma once
// Controls of the platform stand-in for hosts and tests: where the Windows drive lives,
// which clock, code page, computer name and system version the platform reports, where
// modules are found, which faults to inject, and the spooler's printer database.
// These are not platform calls; product code never includes this header.
#include <string>
#include <vector>

#include "platform/Ddi.h"
#include "platform/Spooler.h"
#include "platform/Sync.h"
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

/// A thread that CreateThread started and that has not ended yet: its Linux thread id and
/// its start routine, so that a watchdog can tell which thread is which.
struct RunningThread {
    long linuxThreadId;
    LPTHREAD_START_ROUTINE start;
};
std::vector<RunningThread> RunningThreads();

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
    PrinterWrite,  // WritePrinter fails
    PrinterShortWrite,  // WritePrinter writes half of the bytes, reports that and succeeds
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
    std::u16string monitorName;  // the driver's language monitor (DRIVER_INFO_3W), "" for none
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
/// The printer is deleted: no longer listed nor opened by name (open handles keep working).
void RemovePrinter(const std::u16string& printer);
void SetPrinterDevMode(const std::u16string& printer, const std::vector<BYTE>& devMode);
void SetPrinterAttributes(const std::u16string& printer, DWORD attributes);
/// The form database that EnumFormsW lists for every printer, in this order.
void SetForms(const std::vector<FormSetup>& forms);
/// A handle opened without PRINTER_ACCESS_ADMINISTER cannot write printer data; this also
/// refuses writes for every handle of that printer (a user without rights).
void SetPrinterDataReadOnly(const std::u16string& printer, bool readOnly);
/// Printer handles open now (server handles included), so that a test can tell a leak.
unsigned OpenPrinterHandleCount();

// --- Spooler jobs (StartDocPrinterW to EndDocPrinter) ---
enum class JobState { None, Spooling, Complete, Aborted };
struct JobSummary {
    JobState state = JobState::None;  // None: no such job
    std::u16string document;
    DWORD pages = 0;  // StartPagePrinter calls
};
/// The Linux path of the job's bytes: "<root>/.spool/<printer>/<jobId>.job", or the mapped
/// output file the document named; "" for an unknown job.
std::string JobOutputPath(const std::u16string& printer, DWORD jobId);
/// The newest job of the printer, 0 when it has none.
DWORD LastJobId(const std::u16string& printer);
/// What the job holds now (empty once aborted or for an unknown job).
std::vector<BYTE> JobBytes(const std::u16string& printer, DWORD jobId);
/// The bytes each successful WritePrinter call added, in call order (a short write counts
/// what it wrote; a failed call adds no entry).
std::vector<DWORD> JobWriteSizes(const std::u16string& printer, DWORD jobId);
JobSummary DescribeJob(const std::u16string& printer, DWORD jobId);

// --- Process services and the graphics engine ---

/// The GUID that the next CoCreateGuid returns (once); without one it makes a random GUID.
void SetNextGuid(const GUID& guid);
/// The command lines given to WinExec, oldest first (none of them was run).
std::vector<std::string> ExecutedCommands();
void ClearExecutedCommands();

namespace engine {

/// A device of the engine, as GDI makes one per DC: the host makes it before DrvEnablePDEV
/// (which receives the HDEV) and binds the driver's DHPDEV once it has it; EngAssociateSurface
/// accepts only such devices and copies their DHPDEV into the surface.
HDEV MakeDevice(DHPDEV dhpdev = nullptr);
bool BindDevice(HDEV hdev, DHPDEV dhpdev);
void ForgetDevice(HDEV hdev);

/// What EngAssociateSurface recorded, so that a host routes drawing to the driver's hooks;
/// 0 / false / NULL for an unknown surface.
FLONG SurfaceHooks(HSURF hsurf);
bool IsBandingSurface(HSURF hsurf);
HDEV SurfaceDevice(HSURF hsurf);

/// Live engine objects, so that a test can tell a leak.
unsigned LiveSurfaceCount();
unsigned LivePaletteCount();
unsigned LiveAllocationCount();  // EngAllocMem blocks not yet freed

struct PaletteContents {
    ULONG mode = 0;               // PAL_INDEXED, PAL_BITFIELDS, PAL_RGB or PAL_BGR
    std::vector<ULONG> colors;    // PAL_INDEXED only
    FLONG red = 0, green = 0, blue = 0;  // PAL_BITFIELDS only
};
/// False for an unknown palette.
bool GetPaletteContents(HPALETTE hpal, PaletteContents* contents);

/// What the host points FONTOBJ::pvProducer at to choose the height of EngTextOut's own font.
struct FontSize {
    static constexpr ULONG kSignature = 0x5A53464Bu;  // "KFSZ"
    ULONG signature = kSignature;
    LONG heightDots = 20;  // cell height: ascent 4/5, descent 1/5; cell width 3/5 of it
};

/// A point in dots as 28.4 fixed point.
constexpr POINTFIX FixPoint(LONG xDots, LONG yDots) { return POINTFIX{xDots * 16, yDots * 16}; }

/// Owns an engine PATHOBJ; move-only. get() is NULL when empty.
class Path {
public:
    Path() = default;
    explicit Path(PATHOBJ* path) : path_(path) {}
    ~Path();
    Path(Path&& other) noexcept : path_(other.path_) { other.path_ = nullptr; }
    Path& operator=(Path&& other) noexcept;
    Path(const Path&) = delete;
    Path& operator=(const Path&) = delete;
    PATHOBJ* get() const { return path_; }

private:
    PATHOBJ* path_ = nullptr;
};
/// A path of straight-line figures (28.4 points), all closed or all open.
Path MakePath(const std::vector<std::vector<POINTFIX>>& figures, bool closed);

/// Owns an engine CLIPOBJ; move-only.
class Clip {
public:
    Clip() = default;
    explicit Clip(CLIPOBJ* clip) : clip_(clip) {}
    ~Clip();
    Clip(Clip&& other) noexcept : clip_(other.clip_) { other.clip_ = nullptr; }
    Clip& operator=(Clip&& other) noexcept;
    Clip(const Clip&) = delete;
    Clip& operator=(const Clip&) = delete;
    CLIPOBJ* get() const { return clip_; }

private:
    CLIPOBJ* clip_ = nullptr;
};
/// A clip region of rectangles (which should not overlap): DC_RECT for one (or none, which
/// clips everything away), DC_COMPLEX with their union as bounds for more.
Clip MakeClip(const std::vector<RECTL>& rects);

}  // namespace engine

}  // namespace standin

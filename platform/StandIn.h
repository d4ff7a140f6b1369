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
    PrinterDataRead,    // GetPrinterDataW / GetPrinterDataExW answer the error
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
/// Paths, clips, transforms, translations, brushes, fonts and strings not yet freed.
unsigned LiveDrawingObjectCount();

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


/// A path made of records as PATHOBJ_bEnum hands them out: each record is one batch of
/// points with its PD_* flags (PD_BEGINSUBPATH on a figure's first record, PD_ENDSUBPATH and
/// PD_CLOSEFIGURE on its last, PD_BEZIERS on records of Bezier points, three per segment).
/// The first point of a PD_BEGINSUBPATH record is the figure's start point, so such a record
/// of Bezier points holds 1 + 3k of them; the points of any other record go on from the last
/// point of the record before. The engine's own fills and strokes flatten the curves.
struct PathRecord {
    FLONG flags = 0;
    std::vector<POINTFIX> points;
};
Path MakePathRecords(const std::vector<PathRecord>& records);

/// Owns an engine XFORMOBJ with the matrix given; move-only.
class Xform {
public:
    Xform() = default;
    explicit Xform(XFORMOBJ* xform) : xform_(xform) {}
    ~Xform();
    Xform(Xform&& other) noexcept : xform_(other.xform_) { other.xform_ = nullptr; }
    Xform& operator=(Xform&& other) noexcept;
    Xform(const Xform&) = delete;
    Xform& operator=(const Xform&) = delete;
    XFORMOBJ* get() const { return xform_; }

private:
    XFORMOBJ* xform_ = nullptr;
};
Xform MakeXform(const XFORML& matrix);

/// Owns an engine XLATEOBJ; move-only. An empty table makes a trivial translation (XO_TRIVIAL,
/// no pulXlate).
class Xlate {
public:
    Xlate() = default;
    explicit Xlate(XLATEOBJ* xlate) : xlate_(xlate) {}
    ~Xlate();
    Xlate(Xlate&& other) noexcept : xlate_(other.xlate_) { other.xlate_ = nullptr; }
    Xlate& operator=(Xlate&& other) noexcept;
    Xlate(const Xlate&) = delete;
    Xlate& operator=(const Xlate&) = delete;
    XLATEOBJ* get() const { return xlate_; }

private:
    XLATEOBJ* xlate_ = nullptr;
};
Xlate MakeXlate(const std::vector<ULONG>& table);

/// The driver hooks the engine calls back for a device (DrvRealizeBrush from
/// BRUSHOBJ_pvGetRbrush, DrvCopyBits from a HALFTONE EngStretchBlt onto a device surface).
/// The host sets them from the driver's table after DrvEnablePDEV.
bool SetDeviceHook(HDEV hdev, ULONG index, PFN hook);

/// Owns an engine BRUSHOBJ; move-only. A solid brush has iSolidColor; a pattern or hatch
/// brush has iSolidColor 0xFFFFFFFF and is realized by the driver on demand.
class Brush {
public:
    Brush() = default;
    explicit Brush(BRUSHOBJ* brush) : brush_(brush) {}
    ~Brush();
    Brush(Brush&& other) noexcept : brush_(other.brush_) { other.brush_ = nullptr; }
    Brush& operator=(Brush&& other) noexcept;
    Brush(const Brush&) = delete;
    Brush& operator=(const Brush&) = delete;
    BRUSHOBJ* get() const { return brush_; }

private:
    BRUSHOBJ* brush_ = nullptr;
};
Brush MakeSolidBrush(ULONG color);
/// A hatch brush (HS_*) of two colours (entry 0 background, entry 1 foreground) realized for
/// the surface's device.
Brush MakeHatchBrush(SURFOBJ* target, ULONG hatch, ULONG foreground, ULONG background);
/// A pattern brush over a copy of the pattern bitmap (any engine format) with its colour
/// table (entries 0x00BBGGRR; may be empty), realized for the surface's device.
Brush MakePatternBrush(SURFOBJ* target, SURFOBJ* pattern, const std::vector<ULONG>& colors);

/// One glyph of a font: its bitmap (1 bit per pixel, rows padded to bytes, top row first,
/// set bit = ink), its origin relative to the baseline point and its advance in dots.
struct GlyphImage {
    SIZEL size{};
    POINTL origin{};
    LONG advance = 0;
    std::vector<BYTE> bits;
};

/// What a font object is made from. Device fonts (FO_TYPE_DEVICE) name the driver's face;
/// TrueType fonts (FO_TYPE_TRUETYPE) carry the engine's metrics and glyphs: the engine's own
/// small face (a fixed cell of heightDots, every character drawn from the built-in glyphs)
/// under the face name and charset given.
struct FontSpec {
    FLONG type = FO_TYPE_DEVICE;
    ULONG iFace = 0;
    ULONG_PTR iFile = 0;
    ULONG_PTR iTTUniq = 0;
    FLONG simulations = 0;        // FO_SIM_BOLD, FO_SIM_ITALIC
    XFORML matrix{1, 0, 0, 1, 0, 0};
    // TrueType only:
    std::u16string faceName;
    BYTE charset = 0;
    USHORT weight = 400;
    bool italic = false;
    USHORT unitsPerEm = 2048;
    LONG heightDots = 20;
};
/// Owns an engine FONTOBJ; move-only.
class Font {
public:
    Font() = default;
    explicit Font(FONTOBJ* font) : font_(font) {}
    ~Font();
    Font(Font&& other) noexcept : font_(other.font_) { other.font_ = nullptr; }
    Font& operator=(Font&& other) noexcept;
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;
    FONTOBJ* get() const { return font_; }

private:
    FONTOBJ* font_ = nullptr;
};
Font MakeFont(const FontSpec& spec);
/// The glyph of a TrueType font for a character (its glyph handle is the UTF-16 value).
GlyphImage FontGlyph(const FontSpec& spec, char16_t character);

/// What a string object is made from: glyph handles with their baseline positions (dots),
/// the text (UTF-16, one character per glyph), flAccel and ulCharInc. With withBits, every
/// GLYPHPOS carries the glyph's bits (pgdf) from the font; batchSize > 0 makes STROBJ_bEnum
/// hand the glyphs out in batches of that size (pgp is then NULL).
struct StringSpec {
    std::vector<HGLYPH> glyphs;
    std::vector<POINTL> positions;
    std::u16string text;
    FLONG flAccel = SO_HORIZONTAL;
    ULONG ulCharInc = 0;
    RECTL background{};
    bool withBits = false;
    ULONG batchSize = 0;
};
/// Owns an engine STROBJ; move-only.
class String {
public:
    String() = default;
    explicit String(STROBJ* str) : str_(str) {}
    ~String();
    String(String&& other) noexcept : str_(other.str_) { other.str_ = nullptr; }
    String& operator=(String&& other) noexcept;
    String(const String&) = delete;
    String& operator=(const String&) = delete;
    STROBJ* get() const { return str_; }

private:
    STROBJ* str_ = nullptr;
};
/// font: the font whose glyph bits withBits takes (may be NULL otherwise).
String MakeString(const StringSpec& spec, FONTOBJ* font);

}  // namespace engine

}  // namespace standin

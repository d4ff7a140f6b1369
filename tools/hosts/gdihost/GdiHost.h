#pragma once
// A small stand-in for what the graphics engine does with a printer graphics driver: load
// it by name and take its hook table, enable a device on a printer, run documents and pages
// through the hooks (banding included), forward escapes and reset the device. Drawing is
// recorded per page and replayed through the driver's hooks at the end of the page, the way
// the engine plays a page into each band. The same operations can be drawn by the engine
// alone into a plain 1-bit bitmap, as the reference for what the driver should have printed.
//
// Single-threaded: one host drives one driver from one thread, as the engine does per device.
#include <array>
#include <string>
#include <vector>

#include "platform/Ddi.h"
#include "platform/StandIn.h"
#include "platform/WinTypes.h"

namespace gdihost {

/// A pen: one dot wide and cosmetic, or geometric of widthDots with its joins, caps and
/// dash lengths (dots; empty for a solid line). Colours are RGB 0x00BBGGRR.
struct PenSpec {
    LONG widthDots = 1;
    bool geometric = false;
    ULONG join = JOIN_ROUND;
    ULONG cap = ENDCAP_ROUND;
    FLOATL miterLimit = 10.0f;
    std::vector<FLOATL> dashes;
    bool alternate = false;       // cosmetic every-other-dot style
    ULONG color = 0;
};

/// A brush: a solid colour, a standard hatch (HS_*) of two colours, or a pattern bitmap
/// (1 bit per pixel, rows top first padded to 4 bytes; a set bit takes `color`, a clear one
/// `background`).
struct BrushSpec {
    enum class Kind { Solid, Hatch, Pattern };
    Kind kind = Kind::Solid;
    ULONG color = 0;
    ULONG background = 0x00FFFFFF;
    ULONG hatch = HS_CROSS;
    SIZEL patternSize{8, 8};
    std::vector<BYTE> patternBits;
};

/// A source bitmap: BMF_1BPP, BMF_8BPP or BMF_24BPP, rows top first padded to 4 bytes, with
/// its colour table (RGB entries; 1-bit and 8-bit formats).
struct BitmapSpec {
    SIZEL size{};
    ULONG format = BMF_1BPP;
    std::vector<BYTE> bits;
    std::vector<ULONG> palette;
};

/// One drawing call of a page, in page dots.
struct DrawOp {
    enum class Kind {
        FillRect, FillPolygon, Line, Text,
        Path,          // records, pathMode, pen, brush, fillMode, mix
        Paint,         // brush over the clip
        DeviceText,    // a resident font of the driver (face), at baseline `origin`
        TrueTypeText,  // an engine TrueType face (faceName, charset), at baseline `origin`
        Blit,          // bitmap at rect from sourceRect's left-top, rop4 (and brush for ROPs with a pattern)
        Stretch,       // bitmap's sourceRect into rect
    };
    enum class PathMode { Stroke, Fill, StrokeAndFill };
    Kind kind = Kind::FillRect;
    RECTL rect{};                // FillRect, Blit, Stretch: right and bottom exclusive
    bool black = true;           // FillRect: black or white
    std::vector<POINTL> points;  // FillPolygon: the corners; Line: from, to
    LONG widthDots = 1;          // Line
    POINTL origin{};             // Text: top-left corner of the first character cell; other text: baseline
    std::u16string text;         // Text, DeviceText, TrueTypeText
    LONG heightDots = 0;         // Text, DeviceText, TrueTypeText: character height (em)
    // Paths: figures in 28.4 page coordinates (standin::engine::FixPoint for whole dots).
    std::vector<standin::engine::PathRecord> records;
    PathMode pathMode = PathMode::Fill;
    PenSpec pen;
    BrushSpec brush;
    FLONG fillMode = FP_ALTERNATEMODE;
    MIX mix = 0x0D0D;            // R2_COPYPEN in both halves
    /// Clip rectangles (page dots, non-overlapping); empty: the whole surface.
    std::vector<RECTL> clip;
    // Text in fonts.
    ULONG face = 0;              // DeviceText: the driver's font number
    std::u16string faceName;     // TrueTypeText
    BYTE charset = 0;            // TrueTypeText
    LONG angleDegrees = 0;       // escapement, counter-clockwise
    bool glyphIndex = false;     // TrueTypeText: drawn by glyph indices (never substituted)
    ULONG color = 0;             // DeviceText, TrueTypeText: RGB
    // Bitmaps.
    BitmapSpec bitmap;
    RECTL sourceRect{};
    ROP4 rop4 = SRCCOPY_ROP4;
    bool withBrush = false;      // Blit: the brush takes part
};

/// The loaded rendering library with the hooks its DrvEnableDriver handed over.
class DriverModule {
public:
    DriverModule() = default;
    ~DriverModule();
    DriverModule(const DriverModule&) = delete;
    DriverModule& operator=(const DriverModule&) = delete;

    /// Loads the module by name (e.g. "KV416SD.dll") and enables it with engine version
    /// 0x20000. FALSE with the last error when the module is missing, lacks DrvEnableDriver
    /// (ERROR_PROC_NOT_FOUND), refuses (its own error) or hands over a malformed table
    /// (ERROR_INVALID_DATA); nothing stays loaded then.
    BOOL Load(const std::u16string& moduleName);
    /// DrvDisableDriver, then FreeLibrary. FALSE with ERROR_BUSY while a device is open on it.
    BOOL Unload();

    bool Loaded() const { return module_ != nullptr; }
    HMODULE Module() const { return module_; }
    /// The hook at that INDEX_* position, or NULL when the driver gave none.
    PFN Hook(ULONG index) const { return index < hooks_.size() ? hooks_[index] : nullptr; }
    template <typename Fn>
    Fn HookAs(ULONG index) const {
        // Through the generic function type, which may stand for any.
        return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(Hook(index)));
    }
    /// The indexes in the order the driver listed them, and the version it reported.
    const std::vector<ULONG>& HookOrder() const { return order_; }
    ULONG DriverVersion() const { return driverVersion_; }
    /// What DrvQueryDriverInfo said of DRVQUERY_USERMODE (false when it is not exported).
    bool UserMode() const { return userMode_; }

private:
    friend class PrinterDC;
    HMODULE module_ = nullptr;
    std::array<PFN, INDEX_LAST + 1> hooks_{};
    std::vector<ULONG> order_;
    ULONG driverVersion_ = 0;
    bool userMode_ = false;
    unsigned openDevices_ = 0;
};

/// A 1-bit page bitmap, top-down, rows of `stride` bytes; a set bit is white.
struct PageBitmap {
    SIZEL size{};
    LONG stride = 0;
    std::vector<BYTE> bits;
    bool Black(LONG x, LONG y) const;
    size_t BlackCount() const;
};

/// A printer device context over a loaded driver: the printer handle, one device (PDEV) and
/// its surface, the document and the page being drawn.
class PrinterDC {
public:
    explicit PrinterDC(DriverModule& driver) : driver_(driver) {}
    ~PrinterDC();
    PrinterDC(const PrinterDC&) = delete;
    PrinterDC& operator=(const PrinterDC&) = delete;

    /// OpenPrinterW, DrvEnablePDEV, DrvCompletePDEV, DrvEnableSurface. `devMode` may be NULL
    /// (the driver's defaults); the byte form is checked to hold the whole DEVMODE it claims
    /// (ERROR_INVALID_PARAMETER otherwise), and empty means none. FALSE with the last error;
    /// nothing stays open then.
    BOOL Open(const std::u16string& printerName, const DEVMODEW* devMode);
    BOOL Open(const std::u16string& printerName, const std::vector<BYTE>& devMode);
    /// Aborts an open document, then DrvDisableSurface, DrvDisablePDEV, ClosePrinter.
    void Close();
    bool IsOpen() const { return pdev_ != nullptr; }

    /// StartDocPrinterW (so that the driver's WritePrinter calls land in the job), then
    /// DrvStartDoc with the job id. When the hook fails the job is aborted.
    BOOL StartDoc(const std::u16string& docName);
    /// Ends an open page first, then DrvEndDoc and EndDocPrinter (both run; FALSE if either fails).
    BOOL EndDoc();
    /// DrvEndDoc with ED_ABORTDOC, then AbortPrinter.
    BOOL AbortDoc();
    /// StartPagePrinter, DrvStartPage; the page's drawing is recorded from here.
    BOOL StartPage();
    /// Plays the page into the driver: on a banding surface DrvStartBanding, the drawing
    /// once per band, DrvNextBand until it answers (-1, -1) (at most kMaxBands bands, else
    /// ERROR_INVALID_DATA); otherwise the drawing and DrvSendPage. Then EndPagePrinter.
    /// FALSE when any hook failed (the rest of the page is still played).
    BOOL EndPage();

    // Drawing, recorded for EndPage. FALSE with ERROR_INVALID_PARAMETER outside a page or for
    // a shape that draws nothing the engine would accept.
    BOOL FillRect(const RECTL& rect, bool black);
    BOOL FillPolygon(const std::vector<POINTL>& points);
    BOOL Line(POINTL from, POINTL to, LONG widthDots);
    /// Text whose cell's top-left corner is (x, y), in the engine's built-in face.
    BOOL Text(LONG x, LONG y, const std::u16string& text, LONG heightDots);
    /// Any operation (the kinds after Text): checked for what the engine would refuse, then
    /// recorded. Device text is laid out by the driver's advance widths when played.
    BOOL Draw(DrawOp op);

    /// DrvEscape on the device's surface; 0 when the driver has no escape hook.
    ULONG Escape(ULONG iEsc, const void* in, ULONG cbIn, void* out, ULONG cbOut);

    /// ResetDC: the new device is enabled and completed first, DrvResetPDEV(old, new) carries
    /// the job over, then the old surface and device are disabled and the new surface is
    /// enabled (the order the engine documents for a reset). A failed enable or reset keeps
    /// the old device; a failed new surface leaves the DC closed. Refused inside a page.
    BOOL ResetDevice(const DEVMODEW* devMode);
    BOOL ResetDevice(const std::vector<BYTE>& devMode);

    const GDIINFO& GdiInfo() const { return gdiInfo_; }
    const DEVINFO& DevInfo() const { return devInfo_; }
    DHPDEV Pdev() const { return pdev_; }
    HSURF Surface() const { return surface_; }
    HANDLE Printer() const { return printer_; }
    DWORD JobId() const { return jobId_; }
    bool Banding() const { return banding_; }
    /// What was drawn on the current (or, after EndPage, the last) page.
    const std::vector<DrawOp>& PageOps() const { return ops_; }
    /// Bands of the last page played on a banding surface.
    unsigned LastPageBands() const { return lastBands_; }
    /// The hook that failed last ("DrvBitBlt", ...), empty when none has.
    const std::string& FailedHook() const { return failedHook_; }

    static constexpr unsigned kMaxBands = 64;

private:
    BOOL EnableDevice(const DEVMODEW* devMode, DHPDEV* pdev, HDEV* hdev, GDIINFO* gdiInfo, DEVINFO* devInfo);
    BOOL EnableSurface();
    void DisableSurface();
    /// Notes the hook as failed; its last error, or ERROR_GEN_FAILURE when it set none.
    DWORD HookError(const char* hook);
    BOOL PlayPage(SURFOBJ* surface, POINTL bandOrigin);
    BOOL Record(DrawOp op);

    DriverModule& driver_;
    HANDLE printer_ = nullptr;
    std::u16string deviceName_;
    DHPDEV pdev_ = nullptr;
    HDEV hdev_ = nullptr;
    HSURF surface_ = nullptr;
    SURFOBJ* surfObj_ = nullptr;
    bool banding_ = false;
    GDIINFO gdiInfo_{};
    DEVINFO devInfo_{};
    DWORD jobId_ = 0;
    bool inDoc_ = false;
    bool inPage_ = false;
    std::vector<DrawOp> ops_;
    unsigned lastBands_ = 0;
    std::string failedHook_;
};

/// Draws the operations with the engine's own routines (no driver) onto a white page of
/// `size` dots. FALSE with the last error when the engine refuses a bitmap or a call.
BOOL RenderReference(SIZEL size, const std::vector<DrawOp>& ops, PageBitmap* page);

}  // namespace gdihost

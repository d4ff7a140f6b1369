#pragma once
// The device state (PDEV) of the rendering library: one per device context, from
// DrvEnablePDEV to DrvDisablePDEV. Its first and last dwords hold the signature "K8QT"; the
// groups between them belong to the code that owns them (named beside each group). The
// record is the driver's own memory and is never stored or exchanged, so its layout may
// differ between builds.
#include "platform/Ddi.h"
#include "platform/WinTypes.h"
#include "settings/DriverDevMode.h"
#include "settings/MemoryPool.h"
#include "settings/ModelDescription.h"
#include "render/draw/GlyphCacheState.h"
#include "render/draw/TextState.h"
#include "render/draw/VectorState.h"

inline constexpr DWORD kPdevSignature = 0x5451384Bu;  // "K8QT"
inline constexpr DWORD kOutputBufferSize = 4096;
inline constexpr DWORD kCaptureMirrorSize = 64 * 1024;

// --- Output stream (OutputStream.cpp) ---
struct OutputBuffer {
    DWORD Capacity;           // always kOutputBufferSize
    BYTE* WritePos;           // next free byte of Data
    DWORD Count;              // bytes held
    BYTE Data[kOutputBufferSize];
};

// --- Geometry (Geometry.cpp, Paper.cpp) ---
/// A paper: name, size and printable rectangle in micrometres, and its paper code.
struct PaperRecord {
    WCHAR Name[32];
    LONG Width;
    LONG Height;
    RECTL Printable;
    DWORD Code;               // 123 when the name is not in the paper-name table
};
struct PageGeometry {
    WORD ScalePercent;
    RECTL NupSlots[16];       // dots, in the order pages fill the sheet
    POINTL CentringOffset;    // dots
    RECTL SheetFrame;         // dots
    PaperRecord InputPaper;
    PaperRecord OutputPaper;
    const ModelForm* PaperMarginList;  // the model's form list chosen for this device
    DWORD PaperMarginCount;
    POINTL OddOrigin;         // dots
    POINTL EvenOrigin;        // dots
};

// --- Page settings (PageSetup.cpp); the counters belong to the job and page flow ---
struct PageSettings {
    DWORD FormStorageOpen;
    DWORD PaperCode;
    DWORD PaperWidth;         // micrometres
    DWORD PaperHeight;
    WORD Orientation;
    WORD DefaultSource;
    WORD Duplex;
    WORD DuplexShift;         // settings DuplexShift
    BYTE BindingSwap;
    BYTE Reserved25;
    WORD PagesPerSheet;
    LONG PageCount;           // 1 at the start of a job
    LONG SheetCount;
    LONG SlotIndex;
    char JobName[25];         // 24 hex characters and the terminator
    char FormName[14];
    BYTE NupDown;
    BYTE NupAcross;
    BYTE NupOrder;
    BYTE Reserved82[2];
    LONG SecondPageCount;
    LONG FurtherWord;         // 1 at the start of a job
    LONG PageNumber;
};
static_assert(sizeof(PageSettings) == 96);

// --- Drawing state (draw/DrawingState.cpp) ---
struct DrawingStateCache {
    WORD FillGray1;
    WORD FillGray2;
    WORD SelectedFill;
    BYTE Pattern8x8[80];
    BYTE RopForeground;
    BYTE RopBackground;
    BYTE LineStyle;
    BYTE DashCount;
    DWORD DashLengths[30];
    DWORD DashSum;
    BYTE PenGray;
    BYTE PenMode;
    WORD LineWidth;
    BYTE CapJoin;
    WORD Miter;
    BYTE TextGray;
    BYTE CharMode;
    WORD DirectionAngle;
    WORD StyleWords[2];
    WORD SizeValues[4];       // C3, C4, C5, C6
    WORD FontNumber;
    DWORD DownloadTableMark;
    SHORT SingleByteFont;
    SHORT DoubleByteFont;
    BYTE Pattern24x24[72];
    WORD ClipPathPoints;
    DWORD ClipPathStored;
    POINTL Position;          // printer dots, after mapping
    DWORD PositionKnown;
    RECTL ClipRect;           // printer dots
};
/// The six limits of the installed memory's row of the model (after the memory size).
struct DeviceLimits {
    DWORD GlyphMemory;
    DWORD GlyphBitmapMax;
    DWORD GlyphExtentMax;
    DWORD LinePathLimit;
    DWORD CurvePathLimit;
    DWORD ClipPathLimit;
};

// FlowFlags bits (job and page flow).
inline constexpr DWORD kFlowHeaderPending = 0x1;
inline constexpr DWORD kFlowPageSetupDue = 0x2;
inline constexpr DWORD kFlowJobStarted = 0x4;
inline constexpr DWORD kFlowPageStarted = 0x8;
inline constexpr DWORD kFlowEjectFirst = 0x10;
inline constexpr DWORD kFlowDataPending = 0x20;
inline constexpr DWORD kFlowDataWritten = 0x40;
inline constexpr DWORD kFlowSettingsEscapeSeen = 0x80;
// StateFlags bits shared by the rendering and drawing code.
inline constexpr DWORD kStateOutputFailed = 0x4;
inline constexpr DWORD kStatePageControl = 0x80;
inline constexpr DWORD kStateFsROwed = 0x100;
inline constexpr DWORD kStatePatternMode = 0x200;
inline constexpr DWORD kStateClipComputeOnly = 0x400;     // clip pieces computed, not sent
inline constexpr DWORD kStateSizesSwapped = 0x4000;       // double-byte sizes sent swapped
inline constexpr DWORD kStateTextResize = 0x8000;         // text sizes recomputed
inline constexpr DWORD kStateDeviceFontText = 0x10000;
inline constexpr DWORD kStateHorizontalDbcs = 0x20000;    // horizontal double-byte font
inline constexpr DWORD kStateRopSet = 0x80000;            // the blit's logical operation is set
inline constexpr DWORD kStateClipPath = 0x100000;
inline constexpr DWORD kStateDoubling = 0x200000;
inline constexpr DWORD kStateAsciiPath = 0x400000;        // an ASCII path awaits its ending
inline constexpr DWORD kStateDownloadFull = 0x800000;
inline constexpr DWORD kStateTextRect = 0x1000000;        // rectangle fill of text
inline constexpr DWORD kStateDeferredClip = 0x10000000;
inline constexpr DWORD kStateRectPending = 0x20000000;
inline constexpr DWORD kStateEndOfJobMask = 0xFEDFF1FFu;
inline constexpr DWORD kStateEndOfJobSet = 0x100000;

// --- Bitmap drawing: the work record of the bitmap hooks ---
struct RasterWorkRecord {
    BYTE Flags;
    BYTE Bytes1to3[3];        // 2, 1, 255 after FillGDIInfo
    DWORD Value;
    void* WorkBuffer;         // on the allocation chain, NULL when none
    BYTE PaletteCodes[8];     // colour codes of the last direct bitmap's palette; [0] 255 = unknown
    COLORADJUSTMENT ColorAdjustment;
};

/// A work block on the device's allocation chain that grows as needed and is kept for reuse
/// (NULL and 0 until first needed); freed with the chain.
struct ReusableBlock {
    BYTE* Data;
    SIZE_T Size;
};

struct PDEV {
    // Header
    DWORD Signature;
    PoolBlock** ChainHead;    // the chain head cell
    HANDLE Printer;
    HDEV EngineDevice;
    HSURF Surface;            // the surface handed to GDI
    HMODULE Module;
    const ModelDescription* Model;
    DriverDevMode Settings;

    OutputBuffer Output;
    DWORD OutputError;        // the first failed write's error once OutputFailed is set
    PageGeometry Geometry;
    PageSettings SentPage;
    PageSettings WantedPage;

    // Drawing state
    DrawingStateCache Draw;
    DWORD FirstDrawingOfPage;
    DeviceLimits Limits;
    DWORD StateFlags;         // starts 0x80
    DWORD MappingMode;        // bit 1: whole sheet (no doubling)
    DWORD FlowFlags;          // starts kFlowHeaderPending
    DWORD DownloadFull;
    BYTE FrameBeingDrawn;
    DWORD SheetBlank;
    signed char UnitFactor;   // 2 at 200 and 300 dpi, else 1
    DWORD SentOrientation;    // orientation of the page setup last sent
    LONG RasterShiftX;        // horizontal shift of the turned-page raster writer
    DWORD ReducedStretch;     // set by the bitmap hooks around an engine shrink: positions unscaled
    // Graphics values that the text and line code start from (ResetGraphicsState).
    FLOATL FontMatrix[4];     // 2 x 2, row by row
    FLOATL LineTransform[6];  // eM11, eM12, eM21, eM22, eDx, eDy
    DWORD TextCell[4];
    DWORD GlyphRunMode;
    DWORD TextValues[2];

    // Device fonts and text (count 0 in graphics-only mode)
    BYTE DeviceFontCount;
    void** FontResourceTable;
    WCHAR* TrueTypeSubstList;

    // Glyph cache
    WORD NextDownloadCode;
    WORD DownloadFontId;      // 0xF000
    DWORD DownloadBudget;
    DWORD DownloadResetDone;
    DWORD DownloadedCount;    // glyphs held by the printer for this job
    DWORD GlyphsOnPage;       // glyphs downloaded since the last page setup

    // Paths, clips and rectangles (draw/VectorState.h)
    VectorState Vector;
    // Text and device-font state of the current call and printer (draw/TextState.h)
    TextState Text;
    // Glyph cache of downloaded glyphs (draw/GlyphCacheState.h)
    GlyphCacheState GlyphCache;
    // Bitmap hooks: the clip of an engine shrink under way, for DrvCopyBits' call-backs
    CLIPOBJ* ReducedStretchClip;

    // Vector and clip
    HPALETTE Palette;
    RasterWorkRecord* RasterWork;
    RECTL ClipLimitRect;      // dots: {0, 0, width + 1, height + 1}
    RECTL PageRect;
    RECTL OutputPaperRect;
    WORD VectorResolution;    // 0 = none yet

    // Page decorations
    DWORD PageDecorationOption;  // copied from the settings, kept and carried, not read
    DWORD PageStampSwitch;
    DWORD PageNumberStamp;
    DWORD DocumentNameStamp;
    WCHAR PageStampText[128];
    DWORD PageStampPosition;
    BYTE BannerOrientation;   // 'L' or 'P' of the job's first banner, for the last one

    // Job
    DWORD JobId;
    WCHAR DocumentName[65];
    HANDLE JobFile;           // the open job file of file mode, NULL when none
    BOOL JobFileCreated;      // this job created JobFile (only such a file goes to the helper)
#if KV_PRINT_PORT_CONTROL
    HMODULE PrintPortLibrary; // outside print-port library; nothing loads it, so NULL
    BYTE PrintPortControl[64];
    DWORD PrintPortGoOn;      // 1 from the job header until a control call refuses
#endif
    WCHAR JobFolder[256];     // no trailing backslash
    WCHAR JobFileName[256];   // base name, then base + 5 digits + ".prn" once the header ran
    int SavedPriority;
    bool PriorityLowered;
    POINTL SavedOddOrigin;
    POINTL SavedEvenOrigin;
    SHORT SavedOrientation;
    void* PageWorkBlock;

    // Surfaces
    HSURF ShadowBitmap;
    SURFOBJ* ShadowSurface;

    // Band output (BandOutput.cpp, RasterImage.cpp): kept from chunk to chunk of the band
    ReusableBlock BandCompression;  // zero seed row, then the coder's output area
    ReusableBlock BandCutCopy;      // a chunk cut at the page's right edge
    ReusableBlock BandTurned;       // a chunk turned by 90 degrees for its N-up slot

    // Capture file (driver-made copies). It and JobFile belong to the device: FreePDEV closes
    // both (and deletes the capture file), so DrvResetPDEV clears them in the old device once
    // it has moved them into the new one.
    HANDLE CaptureFile;       // NULL when no capture is open
    WCHAR CapturePath[260];   // empty when no capture file exists
    BYTE* CaptureMirror;      // kCaptureMirrorSize bytes on the allocation chain, or NULL
    DWORD CaptureMirrorCount; // bytes in CaptureMirror not yet in the capture file

    // Trailer
    GUID ProcessGuid;
    DWORD SignatureEnd;
};

/// TRUE when pdev is non-null and both signature fields hold "K8QT".
[[nodiscard]] BOOL ValidatePDEV(const PDEV* pdev);
/// The PDEV of a surface handed to a hook (its dhpdev), or NULL.
inline PDEV* PdevOf(SURFOBJ* pso) { return pso == nullptr ? nullptr : reinterpret_cast<PDEV*>(pso->dhpdev); }

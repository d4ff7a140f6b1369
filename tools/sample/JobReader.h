#pragma once
// Reader of a whole print job as it reaches the printer: the PJL frame, the VRTL mode
// switches and text commands, the binary drawing-state commands, the vector paths and clips,
// the line and fill attributes, the device-font text, the glyph downloads and the raster and
// glyph images, as a listing of commands with their decoded operands and offsets. A second
// step paints the listing onto one 1-bit page per ejected sheet, as the printer would draw it,
// so that a test can compare what the driver sent with what the engine drew (and the demo can
// show the sheets).
//
// Every read is bounded by the stream's end; a malformed stream ends the listing with one
// Error entry that carries the offset of the bytes that could not be read.
#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "platform/WinTypes.h"

namespace kvtest {

enum class CommandKind {
    Uel,              // ESC %-12345X
    PjlLine,          // text: the line without its CRLF
    FsSwitch,         // FS and one letter: Y, Z, R, U; opcode = the letter
    FsText,           // FS, a letter, text up to '.': opcode = letter, text = what follows it
    FsCounted,        // FS, two digits n, then n characters: text = the n characters
    RelaydockMarker,  // FS, a count, "zRDStart" CRLF "DrvName=" name CRLF "RDEnd" CRLF
    EscReset,         // ESC c 1
    EscText,          // ESC and a letter with its fixed characters: opcode = letter
    VectorText,       // two capital letters, operands, ';' (text without the ';')
    Position,         // B6, B7, B8 00: values = x, y
    ClipRect,         // B1, B2 00 at the current position: values = dy, dx
    LogicalOp,        // A6 00: values = foreground, background code
    PenGray,          // AD 00: values = gray code, mode byte
    Rectangle,        // DB, DC, DD 00, DE 00: values = h, w, x, y
    DownloadReset,    // BC 21 00 00
    Raster,           // F2 / F4 image: raster header, rows decoded
    Eject,            // CR FF
    Nul,              // a single NUL byte (end-mark sheets)
    Error,            // text: what is wrong; the listing ends here
    // Vector paths: figures hold absolute printer points.
    Polyline,         // E0 00: one figure, the points after the current position
    Path,             // E0 04, E8, E9, EA: opcode, values[0] = mode byte; figures
    ClipPath,         // B5 02 / B5 04: values[0] = mode byte; figures
    // Line and fill attributes.
    LineWidth,        // AF 00: values = width
    LineJoin,         // B0: values = cap-and-join byte, miter value
    DashDefine,       // AB 10: numbers = the dash lengths
    LineStyle,        // AC: values = the three operand bytes
    Fill,             // A5: values = type (1 solid, 2-13 hatch), first gray, second gray
    PatternDefine,    // A0: values = resolution code, side (8 or 24); image = side rows
    PatternSelect,    // A4 00: values = pattern number (0x0100 or 0x0101)
    PatternGray,      // A2 (foreground) / A3 (background): values = logical code, gray
    // Text.
    CharMode,         // C2 00 00: values = mode byte
    TextGray,         // BD 00: values = gray code
    FontSelect,       // CA 00 (single-byte) / CB 00 (double-byte or download): values = font
    CharSize,         // C3-C6 00: opcode names the size; values = size in dots
    CharStyle,        // C8 00: values = style word (bit 0 bold, 1 italic, 15 vertical)
    CharDirection,    // C7 00: values = angle in degrees
    Characters,       // CC (one), CE (a run), CD (a run with displacements, or plain codes)
    GlyphDownload,    // C0 / C1: values = font id, character code, width, height; image
    GlyphImage,       // F2 / F4 00 00 10: raster header; image decoded from its strips
    BannerLine,       // a text line of the banner page, without its CR LF
    FormFeed,         // FF ending the banner page
};

const char* CommandKindName(CommandKind kind);

/// One figure of a path. Curve figures (count pair kind 1) hold their start point and then
/// Bezier segments of three points (two control points and the end point).
struct PathFigure {
    LONG kind = 0;  // 0 lines, 1 curves (the first value of the EA count pair)
    std::vector<POINTL> points;
};

/// One character of a text command.
struct TextChar {
    WORD code = 0;   // one byte after CA, two after CB (lead byte high)
    LONG dx = 0;     // CD: displacement after the nominal advance
    LONG dy = 0;
};

/// Header fields of a raster image command.
struct RasterHeader {
    bool compressed = false;  // fourth opcode byte 0x20
    bool scaled = false;      // F4: page size given
    WORD width = 0;           // source pixels per row
    WORD rows = 0;
    WORD pageWidth = 0;       // F4 only: size on the page in dots
    WORD pageHeight = 0;
    DWORD dataBytes = 0;
    size_t dataOffset = 0;    // offset of the data in the stream
    /// Bytes per row of the image: (width + 7) / 8.
    size_t Stride() const { return (static_cast<size_t>(width) + 7) / 8; }
};

struct StreamCommand {
    CommandKind kind = CommandKind::Error;
    size_t offset = 0;  // of the command's first byte
    size_t size = 0;    // bytes the command takes, data included
    BYTE opcode = 0;    // first byte of a binary command, letter of FS and ESC commands
    std::string text;
    LONG values[4] = {0, 0, 0, 0};
    RasterHeader raster;
    /// Raster, glyph images, glyph downloads and patterns: rows x Stride() bytes, a set bit
    /// black (patterns: a set bit takes the A2 gray, a clear one the A3 gray), decompressed
    /// when compressed (raster.width and raster.rows give the size).
    std::vector<BYTE> image;
    /// Paths and clip paths.
    std::vector<PathFigure> figures;
    /// Vector text commands: the decimal operands; dash definitions: the lengths.
    std::vector<LONG> numbers;
    /// Characters commands.
    std::vector<TextChar> chars;
    /// CD only: the run carries displacement bytes (the text run form); false for the plain
    /// character form of the page stamp.
    bool displaced = false;

    /// One line for listings and failure messages: offset, kind and operands.
    std::string Describe() const;
};

/// Images whose rows take more than this are refused as malformed.
inline constexpr size_t kMaxRasterImageBytes = 64u * 1024 * 1024;
/// Paths and clip paths with more point records than this are refused (the counts are 16-bit).
inline constexpr size_t kMaxPathRecords = 65535;
/// PJL lines and text commands longer than this are refused as malformed.
inline constexpr size_t kMaxTextCommand = 4096;

struct JobListing {
    std::vector<StreamCommand> commands;

    /// The Error entry, or NULL when the whole stream was read.
    const StreamCommand* Error() const;
    bool Ok() const { return Error() == nullptr; }
    size_t Count(CommandKind kind) const;
    /// The commands of one kind, in stream order.
    std::vector<const StreamCommand*> All(CommandKind kind) const;
    std::vector<std::string> PjlLines() const;
    /// Describe() of every command, one per line (long listings keep their head and tail).
    std::string Describe(size_t maxLines = 200) const;
};

/// Reads a job stream. The stream starts in PJL mode; "@PJL ENTER LANGUAGE=VRTL" switches
/// to VRTL commands until the next UEL. Character codes are one byte after a CA font select
/// and two after CB; a character command before any select is malformed. Glyph downloads get
/// their character code as the printer assigns it: 0 for C0, one more per C1 of the font.
JobListing DecodeJobStream(std::span<const BYTE> stream);

/// A 1-bit page, top-down; a set bit is black (the printer's sense, not the engine's).
struct PageImage {
    LONG width = 0;
    LONG height = 0;
    LONG stride = 0;
    std::vector<BYTE> bits;
    bool ejected = false;  // ended by CR FF (false for drawing left after the last eject)

    PageImage() = default;
    PageImage(LONG widthDots, LONG heightDots);
    bool Black(LONG x, LONG y) const;
    void SetBlack(LONG x, LONG y);
    void Set(LONG x, LONG y, bool black);
    size_t BlackCount() const;
};

struct RenderedJob {
    std::vector<PageImage> pages;
    /// Black pixels of images that fell outside the page or the clip rectangle.
    size_t pixelsDropped = 0;
    /// First problem met (an image before any position), empty when none.
    std::string error;
};

/// Paints the listing onto pages of `pageSize` dots; a printer point p lands on page pixel
/// p - origin. Each CR FF (and the banner's FF) closes a page; drawing after the last one makes
/// a last page with ejected = false. Raster images set their black pixels, F4 images stretched
/// to their page size by nearest pixel. Rectangles, paths (strokes at the line width with the
/// dash style, fills even-odd or winding, Beziers flattened), device-font characters (the
/// engine's built-in glyphs at the cell size of C3-C6, turned by the direction), downloaded
/// glyphs and glyph images are painted with the fill, pen or text gray (a gray as an ordered
/// dither, hatches and 8 x 8 / 24 x 24 patterns tiled from the page origin) through the
/// logical-operation pair, inside the clip rectangle or clip path.
RenderedJob RenderPages(const JobListing& listing, SIZEL pageSize, POINTL origin = {0, 0});

}  // namespace kvtest

#pragma once
// Reader of a whole print job as it reaches the printer: the PJL frame, the VRTL mode
// switches and text commands, the binary drawing-state commands and the raster images, as a
// listing of commands with their offsets. A second step replays the positions and raster
// images of the listing onto one 1-bit page per ejected sheet, so that a test can compare
// what the driver sent with what the engine drew (and the demo can show the sheets).
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
};

const char* CommandKindName(CommandKind kind);

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
    /// Raster only: rows x Stride() bytes, a set bit black, decompressed when compressed.
    std::vector<BYTE> image;

    /// One line for listings and failure messages: offset, kind and operands.
    std::string Describe() const;
};

/// Images whose rows take more than this are refused as malformed.
inline constexpr size_t kMaxRasterImageBytes = 64u * 1024 * 1024;
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
/// to VRTL commands until the next UEL.
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
    size_t BlackCount() const;
};

struct RenderedJob {
    std::vector<PageImage> pages;
    /// Black pixels of images that fell outside the page or the clip rectangle.
    size_t pixelsDropped = 0;
    /// First problem met (an image before any position), empty when none.
    std::string error;
};

/// Replays positions, clip rectangles, page-control mode and raster images onto pages of
/// `pageSize` dots; a printer point p lands on page pixel p - origin. Each CR FF closes a
/// page; drawing after the last one makes a last page with ejected = false. F4 images are
/// stretched to their page size by nearest pixel. Other commands are not drawn.
RenderedJob RenderPages(const JobListing& listing, SIZEL pageSize, POINTL origin = {0, 0});

}  // namespace kvtest

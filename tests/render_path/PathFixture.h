#pragma once
// A device ready for path, clip and rectangle output (out of page-control mode, limits set,
// the clip piece the whole page and already held by the printer), and a decoder of the packed
// point stream that is independent of the encoder.
#include <memory>
#include <vector>

#include "platform/StandIn.h"
#include "tests/render_flow/FlowFixture.h"
#include "tests/support/ByteCompare.h"

namespace pathtest {

using flowtest::TestDevice;
using Golden = kvtest::GoldenStream;

inline POINTFIX Fix(LONG x, LONG y) { return standin::engine::FixPoint(x, y); }

/// A small closed figure the path tests draw.
inline const std::vector<POINTFIX> kTriangle = {Fix(100, 100), Fix(103, 90), Fix(90, 90)};

struct Limits {
    DWORD line = 5000;
    DWORD curve = 5000;
    DWORD clip = 5000;
};

class PathTest : public flowtest::FlowTest {
protected:
    /// Doubling at 200 and 300 dpi, as the vector scale sets it.
    std::unique_ptr<TestDevice> Device(SHORT dpi = 600, Limits limits = {}, WORD pagesPerSheet = 1);
    /// The hooks' clip step for one piece: deferred clip and rectangle pending, then the region.
    static BOOL Piece(PDEV* pdev, CLIPOBJ* clip, DWORD* enumStart);
    /// WritePath for one operation (1 stroke, 2 fill, 3 fill and stroke).
    static BOOL Write(PDEV* pdev, PATHOBJ* path, DWORD operation, FLONG fillOptions = FP_ALTERNATEMODE);
};

/// Nibbles of a packed stream back into values: `values` signed numbers in order.
std::vector<LONG> DecodeValues(const BYTE* data, size_t length, size_t values, size_t* nibblesUsed = nullptr);

/// A packed single figure (E0 04, E8 2x): n points, the first absolute.
std::vector<POINTL> DecodeSingle(const BYTE* data, size_t length, size_t n);

struct DecodedFigure {
    std::vector<POINTL> pairs;   // the count pairs before its points
    std::vector<POINTL> points;  // absolute
};
/// A packed multi-figure stream of R records with `pairsPerFigure` count pairs per figure
/// (1: E8 Ax and B5 04, with a terminator; 2: EA). The last pair gives the point count.
std::vector<DecodedFigure> DecodeFigures(const BYTE* data, size_t length, size_t records, int pairsPerFigure,
                                         bool terminator);

/// Big-endian readers over a byte vector.
inline DWORD Word(const std::vector<BYTE>& b, size_t at) { return (DWORD{b.at(at)} << 8) | b.at(at + 1); }
inline DWORD Dword(const std::vector<BYTE>& b, size_t at) { return (Word(b, at) << 16) | Word(b, at + 2); }
inline LONG SignedWord(const std::vector<BYTE>& b, size_t at) { return static_cast<SHORT>(Word(b, at)); }

std::vector<BYTE> Be16(std::initializer_list<LONG> values);

}  // namespace pathtest

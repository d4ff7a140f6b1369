#include "tests/render_path/PathFixture.h"

#include "render/Geometry.h"
#include "render/draw/Clip.h"
#include "render/draw/PathOutput.h"

// The hand-built device of the flow tests, shared as it is.
#include "tests/render_flow/FlowFixture.cpp"

namespace pathtest {

std::unique_ptr<TestDevice> PathTest::Device(SHORT dpi, Limits limits, WORD pagesPerSheet) {
    flowtest::DeviceOptions options;
    options.dpi = dpi;
    options.pagesPerSheet = pagesPerSheet;
    auto device = MakeDevice(options);
    PDEV* p = device->pdev();
    if (p == nullptr) return device;
    p->StateFlags &= ~(kStatePageControl | kStateClipPath);
    if (dpi == 200 || dpi == 300) p->StateFlags |= kStateDoubling;
    p->Limits.LinePathLimit = limits.line;
    p->Limits.CurvePathLimit = limits.curve;
    p->Limits.ClipPathLimit = limits.clip;
    p->ClipLimitRect = PrintableRectDots(p->Geometry.InputPaper, dpi);
    p->Vector.ClipPiece = p->ClipLimitRect;
    p->Draw.LineWidth = 1;
    SetClipRectangle(p, p->Vector.ClipPiece);
    device->ClearBuffer();
    return device;
}

BOOL PathTest::Piece(PDEV* pdev, CLIPOBJ* clip, DWORD* enumStart) {
    pdev->StateFlags |= kStateDeferredClip | kStateRectPending;
    return SetClipRegion(pdev, clip, nullptr, enumStart);
}

BOOL PathTest::Write(PDEV* pdev, PATHOBJ* path, DWORD operation, FLONG fillOptions) {
    pdev->Vector.Operation = operation;
    pdev->Vector.OutlineFlag = operation == 3 ? 1 : 0;
    return WritePath(pdev, path, nullptr, nullptr, fillOptions);
}

std::vector<LONG> DecodeValues(const BYTE* data, size_t length, size_t values, size_t* nibblesUsed) {
    size_t at = 0;  // nibble index
    auto next = [&]() -> unsigned {
        if (at / 2 >= length) {
            ADD_FAILURE() << "packed stream ends early at nibble " << at;
            return 0;
        }
        const BYTE b = data[at / 2];
        const unsigned nibble = (at % 2 == 0) ? (b >> 4) : (b & 0xF);
        ++at;
        return nibble;
    };
    std::vector<LONG> out;
    for (size_t i = 0; i < values; ++i) {
        const unsigned head = next();
        const bool negative = (head & 8) != 0;
        const unsigned kind = head & 7;
        LONG m;
        if (kind <= 4) {
            m = static_cast<LONG>(kind);
        } else if (kind == 5) {
            m = static_cast<LONG>(next());
        } else if (kind == 6) {
            m = static_cast<LONG>(next() << 4);
            m |= static_cast<LONG>(next());
        } else {
            m = 0;
            for (int k = 0; k < 4; ++k) m = (m << 4) | static_cast<LONG>(next());
        }
        out.push_back(negative ? -m : m);
    }
    if (nibblesUsed != nullptr) *nibblesUsed = at;
    // One pad nibble at most, and it is zero.
    EXPECT_EQ((at + 1) / 2, length) << "packed length";
    if (at % 2 == 1 && at / 2 < length) {
        EXPECT_EQ(data[at / 2] & 0xF, 0) << "pad nibble";
    }
    return out;
}

namespace {

/// Adds a 16-bit difference as the printer does (modulo 65536, read as signed).
LONG Add16(LONG base, LONG delta) { return static_cast<SHORT>(static_cast<uint16_t>(base + delta)); }

}  // namespace

std::vector<POINTL> DecodeSingle(const BYTE* data, size_t length, size_t n) {
    const std::vector<LONG> v = DecodeValues(data, length, 2 * n);
    std::vector<POINTL> points;
    POINTL prev{0, 0};
    for (size_t i = 0; i < n; ++i) {
        const POINTL p{Add16(i == 0 ? 0 : prev.x, v[2 * i]), Add16(i == 0 ? 0 : prev.y, v[2 * i + 1])};
        points.push_back(p);
        prev = p;
    }
    return points;
}

std::vector<DecodedFigure> DecodeFigures(const BYTE* data, size_t length, size_t records, int pairsPerFigure,
                                         bool terminator) {
    const std::vector<LONG> v = DecodeValues(data, length, 2 * records);
    std::vector<DecodedFigure> figures;
    size_t r = 0;
    auto take = [&]() -> POINTL {
        if (r >= records) {
            ADD_FAILURE() << "record " << r << " past the count " << records;
            return POINTL{0, 0};
        }
        const POINTL p{v[2 * r], v[2 * r + 1]};
        ++r;
        return p;
    };
    while (r < records) {
        if (terminator && r + 1 == records) {
            const POINTL t = take();
            EXPECT_EQ(t.x, 0);
            EXPECT_EQ(t.y, 0);
            break;
        }
        DecodedFigure f;
        for (int k = 0; k < pairsPerFigure; ++k) f.pairs.push_back(take());
        const LONG n = f.pairs.back().y;
        POINTL prev{0, 0};
        for (LONG i = 0; i < n; ++i) {
            const POINTL d = take();
            const POINTL p = i == 0 ? d : POINTL{Add16(prev.x, d.x), Add16(prev.y, d.y)};
            f.points.push_back(p);
            prev = p;
        }
        figures.push_back(f);
    }
    return figures;
}

std::vector<BYTE> Be16(std::initializer_list<LONG> values) {
    std::vector<BYTE> out;
    for (LONG v : values) {
        out.push_back(static_cast<BYTE>(v >> 8));
        out.push_back(static_cast<BYTE>(v));
    }
    return out;
}

}  // namespace pathtest

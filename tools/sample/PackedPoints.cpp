// The packed point stream of the path and clip-path commands: nibbles, the high one of each
// byte first. A value is a 16-bit difference: 0-4 one nibble (8 added when negative; the
// nibble 8 alone is -32768), 5 / D and one nibble, 6 / E and two, 7 / F and four. A record
// is x then y. Figure starts and count pairs are coded against (0, 0); only ordinary points
// are coded against the previous point, and count pairs leave it alone.
#include "tools/sample/StreamDecode.h"

namespace kvtest::decode {
namespace {

class NibbleReader {
public:
    NibbleReader(const BYTE* data, size_t size) : data_(data), size_(size) {}

    std::optional<LONG> Value() {
        const auto first = Nibble();
        if (!first) return std::nullopt;
        const LONG n = *first;
        if (n <= 4) return n;
        if (n == 8) return -32768;
        if (n >= 9 && n <= 12) return -(n - 8);
        const int digits = (n & 7) == 5 ? 1 : (n & 7) == 6 ? 2 : 4;
        LONG m = 0;
        for (int i = 0; i < digits; ++i) {
            const auto d = Nibble();
            if (!d) return std::nullopt;
            m = (m << 4) | *d;
        }
        return (n & 8) != 0 ? -m : m;
    }

    /// True when the records used the bytes exactly, the last one padded by a zero nibble.
    bool EndsExactly() const {
        if ((used_ + 1) / 2 != size_) return false;
        return used_ % 2 == 0 || (data_[used_ / 2] & 0x0F) == 0;
    }

private:
    std::optional<LONG> Nibble() {
        if (used_ / 2 >= size_) return std::nullopt;
        const BYTE b = data_[used_ / 2];
        const LONG n = used_ % 2 == 0 ? b >> 4 : b & 0x0F;
        ++used_;
        return n;
    }

    const BYTE* data_;
    size_t size_;
    size_t used_ = 0;
};

LONG Wrap16(LONG v) { return static_cast<SHORT>(static_cast<WORD>(v & 0xFFFF)); }

class RecordReader {
public:
    RecordReader(const BYTE* data, size_t size, size_t records, std::string* error)
        : nibbles_(data, size), left_(records), error_(error) {}

    /// A record coded against (0, 0): a figure start or a count pair.
    bool Absolute(POINTL* p) {
        if (!Take(p)) return false;
        p->x = Wrap16(p->x);
        p->y = Wrap16(p->y);
        return true;
    }
    /// A figure start: absolute, and the previous point from then on.
    bool Start(POINTL* p) {
        if (!Absolute(p)) return false;
        previous_ = *p;
        return true;
    }
    /// An ordinary point: a difference from the previous point.
    bool Ordinary(POINTL* p) {
        POINTL d{};
        if (!Take(&d)) return false;
        previous_ = POINTL{Wrap16(previous_.x + d.x), Wrap16(previous_.y + d.y)};
        *p = previous_;
        return true;
    }
    /// Reads a figure of n points: its start and n - 1 ordinary points.
    bool Figure(LONG n, PathFigure* figure) {
        if (n < 1) return Fail("a figure without points");
        if (static_cast<size_t>(n) > left_) return Fail("a figure count past the records");
        figure->points.resize(static_cast<size_t>(n));
        if (!Start(&figure->points[0])) return false;
        for (size_t i = 1; i < figure->points.size(); ++i) {
            if (!Ordinary(&figure->points[i])) return false;
        }
        return true;
    }
    size_t Left() const { return left_; }
    bool Finish() {
        if (!nibbles_.EndsExactly()) return Fail("packed length does not match its records");
        return true;
    }
    bool Fail(const char* what) {
        if (error_->empty()) *error_ = what;
        return false;
    }

private:
    bool Take(POINTL* p) {
        if (left_ == 0) return Fail("more packed records than counted");
        const auto x = nibbles_.Value();
        const auto y = x ? nibbles_.Value() : std::nullopt;
        if (!y) return Fail("packed points cut short");
        --left_;
        *p = POINTL{*x, *y};
        return true;
    }

    NibbleReader nibbles_;
    size_t left_;
    std::string* error_;
    POINTL previous_{0, 0};
};

}  // namespace

std::optional<std::vector<PathFigure>> DecodePackedPoints(const BYTE* data, size_t size, size_t records,
                                                          PackedLayout layout, std::string* error) {
    error->clear();
    RecordReader in(data, size, records, error);
    std::vector<PathFigure> figures;
    switch (layout) {
        case PackedLayout::Figure: {
            PathFigure& f = figures.emplace_back();
            if (!in.Figure(static_cast<LONG>(records), &f)) return std::nullopt;
            break;
        }
        case PackedLayout::MultiFigure:
            for (;;) {
                POINTL pair{};
                if (!in.Absolute(&pair)) return std::nullopt;
                if (pair.x == 0 && pair.y == 0) break;
                if (pair.x != 0) {
                    in.Fail("a figure's count pair does not begin with 0");
                    return std::nullopt;
                }
                // Counts are plain 16-bit numbers.
                if (!in.Figure(pair.y & 0xFFFF, &figures.emplace_back())) return std::nullopt;
            }
            if (in.Left() != 0) {
                in.Fail("records after the terminator");
                return std::nullopt;
            }
            break;
        case PackedLayout::CountPairs:
            while (in.Left() > 0) {
                POINTL first{};
                POINTL second{};
                if (!in.Absolute(&first) || !in.Absolute(&second)) return std::nullopt;
                if (first.x != 0 || first.y != 1 || (second.x != 0 && second.x != 1)) {
                    in.Fail("a figure without its count pairs (0, 1) and (0 or 1, n)");
                    return std::nullopt;
                }
                PathFigure& f = figures.emplace_back();
                f.kind = second.x;
                if (!in.Figure(second.y & 0xFFFF, &f)) return std::nullopt;
                if (f.kind == 1 && (f.points.size() - 1) % 3 != 0) {
                    in.Fail("a curve figure whose points are not a start and whole segments");
                    return std::nullopt;
                }
            }
            break;
    }
    if (!in.Finish()) return std::nullopt;
    return figures;
}

}  // namespace kvtest::decode

// The packed point stream: nibble-coded differences, high nibble of each byte first.
#include <cstdint>

#include "render/OutputStream.h"
#include "render/draw/PathInternal.h"

namespace {

/// Nibbles into a zero-filled buffer: phase 0 starts a byte, phase 1 fills its low half.
class NibbleWriter {
public:
    explicit NibbleWriter(BYTE* out) : out_(out) {}
    void Put(unsigned nibble) {
        if (phase_ == 0) {
            *out_ = static_cast<BYTE>((nibble & 0xF) << 4);
            phase_ = 1;
        } else {
            *out_++ |= static_cast<BYTE>(nibble & 0xF);
            phase_ = 0;
        }
    }

private:
    BYTE* out_;
    int phase_ = 0;
};

/// One value: the 16-bit difference read as signed. Returns the bits written.
DWORD EncodeValue(NibbleWriter& writer, LONG current, LONG previous) {
    const auto v = static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(current) - static_cast<uint32_t>(previous)));
    const unsigned negative = v < 0 ? 8u : 0u;
    // -32768 has no 15-bit magnitude; the long form carries it as 0x8000.
    const unsigned m = v < 0 ? static_cast<unsigned>(-static_cast<int32_t>(v)) : static_cast<unsigned>(v);
    if (m <= 4) {
        writer.Put(m | negative);
        return 4;
    }
    if (m <= 15) {
        writer.Put(0x5 | negative);
        writer.Put(m);
        return 8;
    }
    if (m <= 255) {
        writer.Put(0x6 | negative);
        writer.Put(m >> 4);
        writer.Put(m);
        return 12;
    }
    writer.Put(0x7 | negative);
    writer.Put(m >> 12);
    writer.Put(m >> 8);
    writer.Put(m >> 4);
    writer.Put(m);
    return 20;
}

DWORD EncodeDelta(NibbleWriter& writer, POINTL current, POINTL previous) {
    const DWORD bits = EncodeValue(writer, current.x, previous.x);
    return bits + EncodeValue(writer, current.y, previous.y);
}

}  // namespace

DWORD EncodePointRecords(PDEV* pdev, const PathPointRecord* records, DWORD count, BYTE* packed, bool setPosition) {
    NibbleWriter writer(packed);
    const POINTL origin{0, 0};
    POINTL previous{0, 0};
    POINTL last{0, 0};
    bool any = false;
    DWORD bits = 0;
    for (DWORD i = 0; i < count; ++i) {
        const POINTL p{records[i].x, records[i].y};
        switch (records[i].kind) {
        case kPointFigureStart:
            bits += EncodeDelta(writer, p, origin);
            previous = last = p;
            any = true;
            break;
        case kPointCountPair:
            bits += EncodeDelta(writer, p, origin);  // the previous point stays
            break;
        case kPointTerminator:
            bits += EncodeDelta(writer, origin, origin);
            break;
        default:
            bits += EncodeDelta(writer, p, previous);
            previous = last = p;
            any = true;
            break;
        }
    }
    if (setPosition && any) pdev->Draw.Position = last;
    return bits;
}

WorkBlock::WorkBlock(PDEV* pdev, uint64_t cb) : pdev_(pdev) {
    // Anything past 32 bits could not be sized on the 32-bit build; the callers cap their
    // counts long before.
    if (cb == 0 || cb > 0x7FFFFFFFu) return;
    data_ = static_cast<BYTE*>(PoolAlloc(pdev_->ChainHead, static_cast<SIZE_T>(cb)));
}

WorkBlock::~WorkBlock() {
    if (data_ != nullptr) PoolFree(pdev_->ChainHead, data_);
}

void WritePackedBody(PDEV* pdev, const RecordList& records, BYTE* packed, bool setPosition) {
    const DWORD bits = EncodePointRecords(pdev, records.Data(), records.Count(), packed, setPosition);
    const DWORD length = PackedLength(bits);
    PutDwordBE(pdev, length);
    (void)WriteOutput(pdev, packed, length);
}

void PutBytes(PDEV* pdev, std::initializer_list<BYTE> bytes) {
    (void)WriteOutput(pdev, bytes.begin(), static_cast<DWORD>(bytes.size()));
}

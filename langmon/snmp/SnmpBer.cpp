// BER of SNMP version 1 messages.
#include "langmon/snmp/SnmpBer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace snmp {
namespace {

constexpr bool IsSeparator(char c) { return c == '.' || c == ',' || c == ' ' || c == '\t'; }

uint8_t Byte(std::span<const std::byte> bytes, size_t index) { return static_cast<uint8_t>(bytes[index]); }

// Integer contents. INTEGER takes 1..4 bytes, sign-extended. The unsigned application types
// also take a fifth byte when the first is 0 (their values of 2^31 and above need it); some
// agents drop that byte, so 1..4 bytes are read as unsigned for them.
bool DecodeNumber(BerTag type, std::span<const std::byte> content, int64_t& number) {
    const bool isSigned = type == BerTag::Integer;
    if (content.empty() || content.size() > 5) {
        return false;
    }
    if (content.size() == 5 && (isSigned || Byte(content, 0) != 0)) {
        return false;
    }
    uint64_t value = 0;
    for (const std::byte b : content) {
        value = (value << 8) | static_cast<uint8_t>(b);
    }
    if (isSigned && (Byte(content, 0) & 0x80) != 0) {
        value |= ~uint64_t{0} << (8 * content.size());
    }
    number = static_cast<int64_t>(value);
    return true;
}

// X.690: the first sub-identifier holds the first two arcs; a sub-identifier never starts
// with 0x80 and its last byte has bit 0x80 clear.
BerError DecodeOid(std::span<const std::byte> content, Oid& oid) {
    oid.count = 0;
    if (content.empty()) {
        return BerError::BadOid;
    }
    size_t i = 0;
    bool first = true;
    while (i < content.size()) {
        if (Byte(content, i) == 0x80) {
            return BerError::ArcTooLarge;
        }
        uint64_t value = 0;
        bool ended = false;
        while (i < content.size()) {
            const uint8_t b = Byte(content, i++);
            value = (value << 7) | (b & 0x7F);
            if (value > (first ? 80 + uint64_t{0xFFFFFFFF} : uint64_t{0xFFFFFFFF})) {
                return BerError::ArcTooLarge;
            }
            if ((b & 0x80) == 0) {
                ended = true;
                break;
            }
        }
        if (!ended) {
            return BerError::BadOid;
        }
        const size_t needed = first ? 2 : 1;
        if (oid.count + needed > kMaxOidArcs) {
            return BerError::OidTooLong;
        }
        if (first) {
            const uint32_t top = value < 40 ? 0 : (value < 80 ? 1 : 2);
            const uint64_t second = value - 40u * top;
            if (second > 0xFFFFFFFFu) {
                return BerError::ArcTooLarge;
            }
            oid.arcs[oid.count++] = top;
            oid.arcs[oid.count++] = static_cast<uint32_t>(second);
            first = false;
        } else {
            oid.arcs[oid.count++] = static_cast<uint32_t>(value);
        }
    }
    return BerError::None;
}

bool DecodeInteger32(BerCursor& cursor, int32_t& value) {
    std::span<const std::byte> content;
    if (!cursor.Expect(BerTag::Integer, content)) {
        return false;
    }
    int64_t number = 0;
    if (!DecodeNumber(BerTag::Integer, content, number)) {
        return cursor.Fail(BerError::BadInteger);
    }
    value = static_cast<int32_t>(number);
    return true;
}

bool DecodeValue(BerCursor& cursor, SnmpValue& value) {
    uint8_t tag = 0;
    std::span<const std::byte> content;
    if (!cursor.Next(tag, content)) {
        return false;
    }
    value = SnmpValue{};
    value.type = static_cast<BerTag>(tag);
    switch (value.type) {
    case BerTag::Integer:
    case BerTag::Counter:
    case BerTag::Gauge:
    case BerTag::TimeTicks:
        return DecodeNumber(value.type, content, value.number) || cursor.Fail(BerError::BadInteger);
    case BerTag::OctetString:
    case BerTag::Opaque:
        if (content.size() > kMaxStringBytes) {
            return cursor.Fail(BerError::StringTooLong);
        }
        value.bytes = content;
        return true;
    case BerTag::IpAddress:
        if (content.size() != 4) {
            return cursor.Fail(BerError::BadIpAddress);
        }
        value.bytes = content;
        return true;
    case BerTag::Null:
    case BerTag::NoSuchObject:
    case BerTag::NoSuchInstance:
    case BerTag::EndOfMibView:
        return content.empty() || cursor.Fail(BerError::BadNull);
    case BerTag::ObjectId:
        if (const BerError error = DecodeOid(content, value.oid); error != BerError::None) {
            return cursor.Fail(error);
        }
        return true;
    default:
        return cursor.Fail(BerError::UnknownValueType);
    }
}

bool DecodeBinding(BerCursor& cursor, VarBind& binding) {
    std::span<const std::byte> content;
    if (!cursor.Expect(BerTag::Sequence, content)) {
        return false;
    }
    BerCursor inner(content);
    std::span<const std::byte> name;
    bool ok = inner.Expect(BerTag::ObjectId, name);
    if (ok) {
        if (const BerError error = DecodeOid(name, binding.name); error != BerError::None) {
            ok = inner.Fail(error);
        }
    }
    ok = ok && DecodeValue(inner, binding.value);
    if (ok && !inner.AtEnd()) {
        ok = inner.Fail(BerError::LengthMismatch);
    }
    return ok || cursor.Adopt(inner);
}

// Writes from the end of the buffer towards its start, so that each item's length is known
// when its header is written.
class ReverseWriter {
public:
    explicit ReverseWriter(std::span<std::byte> out) : out_(out), start_(out.size()) {}

    void Put(uint8_t b) {
        if (start_ == 0) {
            overflow_ = true;
            return;
        }
        out_[--start_] = static_cast<std::byte>(b);
    }
    void Put(std::span<const std::byte> bytes) {
        for (size_t i = bytes.size(); i-- > 0;) {
            Put(static_cast<uint8_t>(bytes[i]));
        }
    }
    /// Header of an item whose content was written since `mark` (the size before it).
    void Header(BerTag tag, size_t mark) { Header(static_cast<uint8_t>(tag), mark); }
    void Header(uint8_t tag, size_t mark) {
        const size_t length = Size() - mark;
        if (length < 0x80) {
            Put(static_cast<uint8_t>(length));
        } else if (length <= 0xFF) {
            Put(static_cast<uint8_t>(length));
            Put(0x81);
        } else if (length <= 0xFFFF) {
            Put(static_cast<uint8_t>(length));
            Put(static_cast<uint8_t>(length >> 8));
            Put(0x82);
        } else {
            overflow_ = true;
        }
        Put(tag);
    }
    void Number(BerTag tag, int64_t value) {
        const size_t mark = Size();
        // Shortest two's-complement form: stop once the rest is only sign.
        uint8_t last = 0;
        do {
            last = static_cast<uint8_t>(value & 0xFF);
            Put(last);
            value >>= 8;
        } while (!((value == 0 && (last & 0x80) == 0) || (value == -1 && (last & 0x80) != 0)));
        Header(tag, mark);
    }
    void ObjectId(const Oid& oid) {
        const size_t mark = Size();
        for (size_t i = oid.count; i-- > 2;) {
            SubIdentifier(oid.arcs[i]);
        }
        SubIdentifier(uint64_t{oid.arcs[0]} * 40 + oid.arcs[1]);
        Header(BerTag::ObjectId, mark);
    }

    size_t Size() const { return out_.size() - start_; }
    bool Overflow() const { return overflow_; }
    size_t Start() const { return start_; }

private:
    void SubIdentifier(uint64_t value) {
        Put(static_cast<uint8_t>(value & 0x7F));
        for (value >>= 7; value != 0; value >>= 7) {
            Put(static_cast<uint8_t>(0x80 | (value & 0x7F)));
        }
    }

    std::span<std::byte> out_;
    size_t start_;
    bool overflow_ = false;
};

bool Encodable(const Oid& oid) {
    return oid.count >= 2 && oid.count <= kMaxOidArcs && oid.arcs[0] <= 2 && (oid.arcs[0] == 2 || oid.arcs[1] < 40);
}

bool WriteValue(ReverseWriter& writer, const SnmpValue& value) {
    switch (value.type) {
    case BerTag::Integer:
        if (value.number < INT32_MIN || value.number > INT32_MAX) {
            return false;
        }
        writer.Number(value.type, value.number);
        return true;
    case BerTag::Counter:
    case BerTag::Gauge:
    case BerTag::TimeTicks:
        if (value.number < 0 || value.number > UINT32_MAX) {
            return false;
        }
        writer.Number(value.type, value.number);
        return true;
    case BerTag::OctetString:
    case BerTag::Opaque:
    case BerTag::IpAddress: {
        if (value.bytes.size() > kMaxStringBytes || (value.type == BerTag::IpAddress && value.bytes.size() != 4)) {
            return false;
        }
        const size_t mark = writer.Size();
        writer.Put(value.bytes);
        writer.Header(value.type, mark);
        return true;
    }
    case BerTag::Null:
    case BerTag::NoSuchObject:
    case BerTag::NoSuchInstance:
    case BerTag::EndOfMibView:
        writer.Put(0);
        writer.Put(static_cast<uint8_t>(value.type));
        return true;
    case BerTag::ObjectId:
        if (!Encodable(value.oid)) {
            return false;
        }
        writer.ObjectId(value.oid);
        return true;
    default:
        return false;
    }
}

bool IsRequestPdu(BerTag pdu) {
    return pdu == BerTag::GetRequest || pdu == BerTag::GetNextRequest || pdu == BerTag::SetRequest;
}

bool DecodePdu(BerCursor& pdu, SnmpMessage& message) {
    std::span<const std::byte> content;
    if (message.pdu == BerTag::Trap) {
        if (!pdu.Expect(BerTag::ObjectId, content)) {
            return false;
        }
        if (const BerError error = DecodeOid(content, message.enterprise); error != BerError::None) {
            return pdu.Fail(error);
        }
        if (!pdu.Expect(BerTag::IpAddress, content)) {
            return false;
        }
        if (content.size() != 4) {
            return pdu.Fail(BerError::BadIpAddress);
        }
        std::memcpy(message.agentAddress.data(), content.data(), 4);
        if (!DecodeInteger32(pdu, message.genericTrap) || !DecodeInteger32(pdu, message.specificTrap) ||
            !pdu.Expect(BerTag::TimeTicks, content)) {
            return false;
        }
        if (!DecodeNumber(BerTag::TimeTicks, content, message.timeStamp)) {
            return pdu.Fail(BerError::BadInteger);
        }
    } else if (!DecodeInteger32(pdu, message.requestId) || !DecodeInteger32(pdu, message.errorStatus) ||
               !DecodeInteger32(pdu, message.errorIndex)) {
        return false;
    }
    if (!pdu.Expect(BerTag::Sequence, message.bindingList)) {
        return false;
    }
    if (!pdu.AtEnd()) {
        return pdu.Fail(BerError::LengthMismatch);
    }
    BerCursor list(message.bindingList);
    VarBind binding;
    while (!list.AtEnd()) {
        if (message.bindingCount == kMaxBindings) {
            list.Fail(BerError::TooManyBindings);
            return pdu.Adopt(list);
        }
        if (!DecodeBinding(list, binding)) {
            return pdu.Adopt(list);
        }
        ++message.bindingCount;
    }
    return true;
}

bool DecodeWhole(BerCursor& outer, SnmpMessage& message, bool acceptRequests) {
    std::span<const std::byte> body;
    if (!outer.Expect(BerTag::Sequence, body)) {
        return false;
    }
    if (!outer.AtEnd()) {
        return outer.Fail(BerError::TrailingBytes);
    }
    BerCursor cursor(body);
    if (!DecodeInteger32(cursor, message.version) || !cursor.Expect(BerTag::OctetString, message.community)) {
        return outer.Adopt(cursor);
    }
    if (message.community.size() > kMaxCommunityBytes) {
        cursor.Fail(BerError::StringTooLong);
        return outer.Adopt(cursor);
    }
    const size_t pduAt = cursor.Offset();
    uint8_t tag = 0;
    std::span<const std::byte> content;
    if (!cursor.Next(tag, content)) {
        return outer.Adopt(cursor);
    }
    message.pdu = static_cast<BerTag>(tag);
    const bool known = message.pdu == BerTag::GetResponse || message.pdu == BerTag::Trap ||
                       (acceptRequests && IsRequestPdu(message.pdu));
    if (!known) {
        cursor.FailAt(BerError::UnknownPdu, pduAt);
        return outer.Adopt(cursor);
    }
    if (!cursor.AtEnd()) {
        cursor.Fail(BerError::LengthMismatch);
        return outer.Adopt(cursor);
    }
    BerCursor pdu(content);
    if (!DecodePdu(pdu, message)) {
        cursor.Adopt(pdu);
        return outer.Adopt(cursor);
    }
    return true;
}

}  // namespace

bool ParseOid(std::string_view text, Oid& oid) {
    oid.count = 0;
    size_t i = 0;
    while (i < text.size()) {
        if (IsSeparator(text[i])) {
            ++i;
            continue;
        }
        uint64_t value = 0;
        size_t digits = 0;
        while (i < text.size() && !IsSeparator(text[i])) {
            const char c = text[i++];
            if (c < '0' || c > '9') {
                return false;
            }
            value = value * 10 + static_cast<unsigned>(c - '0');
            if (value > 0xFFFFFFFFu || ++digits > 10) {
                return false;
            }
        }
        if (oid.count == kMaxOidArcs) {
            return false;
        }
        oid.arcs[oid.count++] = static_cast<uint32_t>(value);
    }
    return Encodable(oid);
}

size_t FirstArcChars(std::string_view text) {
    size_t begin = 0;
    while (begin < text.size() && IsSeparator(text[begin])) {
        ++begin;
    }
    size_t end = begin;
    while (end < text.size() && !IsSeparator(text[end])) {
        ++end;
    }
    return end - begin;
}

bool FormatOid(const Oid& oid, std::span<char> text) {
    size_t used = 0;
    for (size_t i = 0; i < oid.count; ++i) {
        char piece[12];
        const int n = std::snprintf(piece, sizeof piece, i == 0 ? "%u" : ".%u", static_cast<unsigned>(oid.arcs[i]));
        if (n < 0 || used + static_cast<size_t>(n) + 1 > text.size()) {
            if (!text.empty()) {
                text[0] = '\0';
            }
            return false;
        }
        std::memcpy(text.data() + used, piece, static_cast<size_t>(n));
        used += static_cast<size_t>(n);
    }
    if (used + 1 > text.size()) {
        return false;
    }
    text[used] = '\0';
    return true;
}

int CompareOid(const Oid& left, const Oid& right) {
    const size_t common = std::min(left.count, right.count);
    for (size_t i = 0; i < common; ++i) {
        if (left.arcs[i] != right.arcs[i]) {
            return left.arcs[i] < right.arcs[i] ? -1 : 1;
        }
    }
    return left.count == right.count ? 0 : (left.count < right.count ? -1 : 1);
}

bool OidStartsWith(const Oid& oid, const Oid& prefix) {
    return prefix.count <= oid.count && std::equal(prefix.arcs.begin(), prefix.arcs.begin() + prefix.count, oid.arcs.begin());
}

bool BerCursor::Fail(BerError error) {
    if (error_ == BerError::None) {
        error_ = error == BerError::None ? BerError::Truncated : error;
        errorOffset_ = offset_;
    }
    return false;
}

bool BerCursor::FailAt(BerError error, size_t offset) {
    if (error_ == BerError::None) {
        Fail(error);
        errorOffset_ = std::min(offset, bytes_.size());
    }
    return false;
}

bool BerCursor::Adopt(const BerCursor& inner) {
    if (error_ != BerError::None) {
        return false;
    }
    const std::byte* begin = bytes_.data();
    const std::byte* innerBegin = inner.bytes_.data();
    size_t base = offset_;
    if (innerBegin != nullptr && begin != nullptr && innerBegin >= begin && innerBegin <= begin + bytes_.size()) {
        base = static_cast<size_t>(innerBegin - begin);
    }
    error_ = inner.error_ == BerError::None ? BerError::Truncated : inner.error_;
    errorOffset_ = base + inner.errorOffset_;
    return false;
}

bool BerCursor::Next(uint8_t& tag, std::span<const std::byte>& content) {
    if (error_ != BerError::None) {
        return false;
    }
    const size_t left = bytes_.size() - offset_;
    if (left < 2) {
        return Fail(BerError::Truncated);
    }
    tag = Byte(bytes_, offset_);
    if ((tag & 0x1F) == 0x1F) {
        return Fail(BerError::HighTagNumber);
    }
    const uint8_t first = Byte(bytes_, offset_ + 1);
    size_t header = 2;
    size_t length = first;
    if (first & 0x80) {
        const size_t count = first & 0x7F;
        if (count == 0 || count > 2) {
            return Fail(BerError::BadLength);
        }
        if (left < 2 + count) {
            return Fail(BerError::Truncated);
        }
        length = 0;
        for (size_t i = 0; i < count; ++i) {
            length = (length << 8) | Byte(bytes_, offset_ + 2 + i);
        }
        header += count;
    }
    if (length > left - header) {
        return Fail(BerError::Truncated);
    }
    content = bytes_.subspan(offset_ + header, length);
    offset_ += header + length;
    return true;
}

bool BerCursor::Expect(BerTag tag, std::span<const std::byte>& content) {
    const size_t at = offset_;
    uint8_t got = 0;
    if (!Next(got, content)) {
        return false;
    }
    if (got != static_cast<uint8_t>(tag)) {
        offset_ = at;
        return Fail(BerError::UnexpectedTag);
    }
    return true;
}

bool BindingReader::Next(VarBind& binding) { return !cursor_.AtEnd() && DecodeBinding(cursor_, binding); }

bool DecodeMessage(std::span<const std::byte> datagram, SnmpMessage& message, DecodeResult* result,
                   bool acceptRequests) {
    message = SnmpMessage{};
    BerCursor outer(datagram);
    const bool ok = DecodeWhole(outer, message, acceptRequests);
    if (!ok) {
        message.bindingList = {};
        message.bindingCount = 0;
    }
    if (result != nullptr) {
        result->error = outer.Error();
        result->offset = outer.ErrorOffset();
    }
    return ok;
}

size_t EncodeMessage(const MessageOut& message, std::span<std::byte> out, BerError* error) {
    const auto refuse = [error](BerError why) -> size_t {
        if (error != nullptr) {
            *error = why;
        }
        return 0;
    };
    if (message.community.size() > kMaxCommunityBytes || message.bindings.size() > kMaxBindings) {
        return refuse(BerError::BadArgument);
    }
    ReverseWriter writer(out);
    const size_t listMark = writer.Size();
    for (size_t i = message.bindings.size(); i-- > 0;) {
        const BindingOut& binding = message.bindings[i];
        if (binding.name == nullptr || !Encodable(*binding.name)) {
            return refuse(BerError::BadArgument);
        }
        const size_t mark = writer.Size();
        if (!WriteValue(writer, binding.value)) {
            return refuse(BerError::BadArgument);
        }
        writer.ObjectId(*binding.name);
        writer.Header(BerTag::Sequence, mark);
    }
    writer.Header(BerTag::Sequence, listMark);
    const size_t pduMark = listMark;
    writer.Number(BerTag::Integer, message.errorIndex);
    writer.Number(BerTag::Integer, message.errorStatus);
    writer.Number(BerTag::Integer, message.requestId);
    writer.Header(message.pdu, pduMark);
    const size_t communityMark = writer.Size();
    writer.Put(std::as_bytes(std::span<const char>(message.community.data(), message.community.size())));
    writer.Header(BerTag::OctetString, communityMark);
    writer.Number(BerTag::Integer, message.version);
    writer.Header(BerTag::Sequence, 0);
    if (writer.Overflow()) {
        return refuse(BerError::OutputTooSmall);
    }
    const size_t size = writer.Size();
    std::memmove(out.data(), out.data() + writer.Start(), size);
    return size;
}

}  // namespace snmp

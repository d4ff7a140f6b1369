#pragma once
// BER of SNMP version 1 messages: object names, the encoder of requests (and of the answers
// that test agents give), and the bounded decoder of datagrams. Nothing here allocates; a
// decoded message holds views into the datagram it came from, so the datagram must outlive it.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace snmp {

enum class BerTag : uint8_t {
    Integer = 0x02,
    OctetString = 0x04,
    Null = 0x05,
    ObjectId = 0x06,
    Sequence = 0x30,
    IpAddress = 0x40,
    Counter = 0x41,
    Gauge = 0x42,
    TimeTicks = 0x43,
    Opaque = 0x44,
    // Exception values of later agents: length 0, they mean "no value here".
    NoSuchObject = 0x80,
    NoSuchInstance = 0x81,
    EndOfMibView = 0x82,
    GetRequest = 0xA0,
    GetNextRequest = 0xA1,
    GetResponse = 0xA2,
    SetRequest = 0xA3,
    Trap = 0xA4,
};

/// Arcs of a name at most. A datagram with a longer name or OBJECT IDENTIFIER value is
/// dropped, and no longer name is sent: a walk can always go on from a name it was given.
/// The monitor's longest names are the JCID map's rows (langmon/printer/JobTracking.cpp): 13 arcs of
/// the column, 46 of a 45-character JCID's index, the PRID's count and its arcs; 62 for the
/// printer's two-arc PRIDs, 69 for a count of 9.
inline constexpr size_t kMaxOidArcs = 69;
inline constexpr size_t kMaxCommunityBytes = 32;
/// OCTET STRING, IpAddress and Opaque contents.
inline constexpr size_t kMaxStringBytes = 1024;
inline constexpr size_t kMaxBindings = 31;

/// An object name as its arcs (each fits in 32 bits).
struct Oid {
    std::array<uint32_t, kMaxOidArcs> arcs{};
    size_t count = 0;

    std::span<const uint32_t> Arcs() const { return {arcs.data(), count}; }
};

/// Reads "1.3.6.1.2.1.1.1.0". Pieces are separated by '.', ',', ' ' or TAB (empty pieces,
/// such as a leading '.', are skipped) and must be decimal numbers of at most 32 bits. False
/// for anything else, for fewer than 2 or more than kMaxOidArcs arcs, a first arc above 2,
/// or a second arc above 39 under a first arc of 0 or 1 (they could not be encoded).
[[nodiscard]] bool ParseOid(std::string_view text, Oid& oid);
/// Characters of the first piece of a name text (after any leading separators), as
/// ParseOid splits it.
size_t FirstArcChars(std::string_view text);
/// Dotted text with its NUL. False (and "" when there is room for it) when it does not fit.
[[nodiscard]] bool FormatOid(const Oid& oid, std::span<char> text);
/// Arc by arc; a name that is a prefix of another sorts first. <0, 0 or >0.
[[nodiscard]] int CompareOid(const Oid& left, const Oid& right);
[[nodiscard]] bool OidStartsWith(const Oid& oid, const Oid& prefix);

enum class BerError : uint8_t {
    None,
    Truncated,         // an item runs past the end of what holds it
    BadLength,         // indefinite form, or a long form of more than two bytes
    HighTagNumber,     // identifier with the multi-byte tag form
    UnexpectedTag,     // not the item this place of the message holds
    BadInteger,        // no content bytes, or more than the type allows
    BadOid,            // empty, first arc not 0..2, or last byte with bit 0x80 set
    OidTooLong,        // more than kMaxOidArcs arcs
    ArcTooLarge,       // an arc above 32 bits, or one with a redundant leading byte
    StringTooLong,     // more than kMaxStringBytes (community: kMaxCommunityBytes)
    BadNull,           // NULL or exception value with content
    BadIpAddress,      // IpAddress not 4 bytes
    TooManyBindings,
    UnknownPdu,
    UnknownValueType,
    LengthMismatch,    // a constructed item's content is not exactly its parts
    TrailingBytes,     // bytes after the message
    OutputTooSmall,    // encoder: the buffer cannot hold the message
    BadArgument,       // encoder: a request that cannot be expressed
};

/// A walk over BER items inside a byte range. It never reads past its end; the first error
/// is kept (with its offset) and every later call fails.
class BerCursor {
public:
    explicit BerCursor(std::span<const std::byte> bytes) : bytes_(bytes) {}

    /// The next item's identifier and content; the cursor moves past it.
    [[nodiscard]] bool Next(uint8_t& tag, std::span<const std::byte>& content);
    /// The next item, which must have this tag.
    [[nodiscard]] bool Expect(BerTag tag, std::span<const std::byte>& content);
    /// Records `error` at the current offset unless one is kept already; always false.
    bool Fail(BerError error);
    /// As Fail, at `offset` of this cursor's range.
    bool FailAt(BerError error, size_t offset);
    /// Takes the error of a cursor over a part of this one's range, at its place here;
    /// always false.
    bool Adopt(const BerCursor& inner);

    [[nodiscard]] bool AtEnd() const { return offset_ == bytes_.size(); }
    size_t Offset() const { return offset_; }
    BerError Error() const { return error_; }
    size_t ErrorOffset() const { return errorOffset_; }

private:
    std::span<const std::byte> bytes_;
    size_t offset_ = 0;
    BerError error_ = BerError::None;
    size_t errorOffset_ = 0;
};

/// One value of a variable binding.
struct SnmpValue {
    BerTag type = BerTag::Null;
    /// INTEGER (-2^31..2^31-1); Counter, Gauge, TimeTicks (0..2^32-1).
    int64_t number = 0;
    /// OCTET STRING, IpAddress, Opaque: a view into the datagram (encoder: the bytes to send).
    std::span<const std::byte> bytes;
    /// OBJECT IDENTIFIER.
    Oid oid;
};

struct VarBind {
    Oid name;
    SnmpValue value;
};

/// A decoded GetResponse or Trap.
struct SnmpMessage {
    int32_t version = 0;
    std::span<const std::byte> community;
    BerTag pdu = BerTag::GetResponse;
    // GetResponse
    int32_t requestId = 0;
    int32_t errorStatus = 0;
    int32_t errorIndex = 0;
    // Trap
    Oid enterprise;
    std::array<uint8_t, 4> agentAddress{};
    int32_t genericTrap = 0;
    int32_t specificTrap = 0;
    int64_t timeStamp = 0;
    /// Content of the binding list, already checked item by item; read with BindingReader.
    std::span<const std::byte> bindingList;
    size_t bindingCount = 0;
};

struct DecodeResult {
    BerError error = BerError::None;
    size_t offset = 0;  // where the first problem was found
};

/// Decodes one whole datagram (a GetResponse or a Trap; request PDUs too when
/// `acceptRequests`, for agents). Every item is checked before true is returned.
[[nodiscard]] bool DecodeMessage(std::span<const std::byte> datagram, SnmpMessage& message,
                                 DecodeResult* result = nullptr, bool acceptRequests = false);

/// The bindings of a message that DecodeMessage accepted, in order.
class BindingReader {
public:
    explicit BindingReader(const SnmpMessage& message) : cursor_(message.bindingList) {}
    [[nodiscard]] bool Next(VarBind& binding);

private:
    BerCursor cursor_;
};

/// One binding to encode. `value.bytes` and `value.oid` are read only for their types.
struct BindingOut {
    const Oid* name = nullptr;
    SnmpValue value;
};

struct MessageOut {
    int32_t version = 0;
    std::string_view community;
    BerTag pdu = BerTag::GetRequest;
    int32_t requestId = 0;
    int32_t errorStatus = 0;
    int32_t errorIndex = 0;
    std::span<const BindingOut> bindings;
};

/// Encodes with definite lengths and the shortest integer forms. Returns the message's size
/// in bytes, or 0 (with `error` when given) when it does not fit or cannot be expressed.
[[nodiscard]] size_t EncodeMessage(const MessageOut& message, std::span<std::byte> out,
                                   BerError* error = nullptr);

}  // namespace snmp

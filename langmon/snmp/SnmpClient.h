#pragma once
// The monitor's SNMP version 1 client: one blocking request per call over UDP, one variable
// binding, no state kept between calls. Windows Sockets must have been started (the monitor
// does that when a port opens). Any thread may call; each call has its own socket.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "langmon/snmp/SnmpBer.h"

namespace snmp {

/// Size of the callers' text buffers for names and values (with the terminating NUL).
inline constexpr size_t kSnmpTextBytes = 256;
/// Answers kept from one request to the broadcast address.
inline constexpr size_t kMaxAnswers = 64;

/// How requests are made. The defaults are the monitor's; tests shorten the waits and point
/// the port at their agent.
struct SnmpSettings {
    uint16_t port = 161;
    /// One wait for the socket to become writable or readable, in milliseconds.
    uint32_t waitMs = 1000;
    /// Waits for an answer before the request counts as timed out.
    uint32_t waitsPerTry = 2;
    /// Sends of the same request after a time-out (the monitor's callers retry themselves).
    uint32_t retries = 0;
    /// Datagrams read per try, good or not.
    uint32_t maxReads = 256;
    int32_t requestId = 1;
    std::string_view community = "vantel";
    /// The target an empty target text means; answers to it are gathered from every sender
    /// until a time-out or kMaxAnswers.
    std::string_view broadcastAddress = "255.255.255.255";
};

enum class PduKind : uint8_t { Get, GetNext, Set };

/// The value a caller wants. Integer takes INTEGER, Counter, Gauge and TimeTicks that fit in
/// 32 signed bits; String takes OCTET STRING; Any takes every value but NULL and the
/// exception values. A Get or GetNext carries a placeholder of that kind: INTEGER 0 for
/// Integer; for String and Any (the walks, which read texts) an OCTET STRING of zero bytes,
/// one per character of the name's first arc ("1.3.6..." gives 04 01 00).
enum class ValueKind : uint8_t { Any, Integer, String };

/// Whether a value of this type and number is one of the kind wanted.
[[nodiscard]] bool ValueFits(ValueKind want, BerTag type, int64_t number);

enum class SnmpError : uint8_t {
    None = 0,
    Socket = 1,        // the send failed (detail kSnmpDetailSend)
    Setup = 4,         // socket creation or set-up failed (detail: the Winsock error)
    Timeout = 5,       // no answer for this request
    Unresolved = 6,    // the target name is not known
    BadName = 7,       // the object name text is not a name that can be sent
    ErrorStatus = 8,   // the agent answered with an error status (detail: the status)
    NoValue = 9,       // the answer has no value of the wanted kind (NULL, exception, other type)
    WrongName = 10,    // a Get or Set answered for another object
    NotAdvancing = 11, // a GetNext answered with a name that does not follow the one asked
};

/// Detail beside SnmpError::Socket. A failed receive drops that datagram and reads on, so
/// it ends, if nothing good follows, as a time-out.
inline constexpr int kSnmpDetailSend = 10;

/// One answer, copied out of its datagram.
struct SnmpAnswer {
    char sender[16] = {};               // dotted address of the agent
    char name[kSnmpTextBytes] = {};     // dotted object name
    Oid oid;
    BerTag type = BerTag::Null;
    int64_t number = 0;
    /// OCTET STRING, Opaque and IpAddress bytes (at most 256; longer values are cut),
    /// OBJECT IDENTIFIER as dotted text; always NUL-terminated.
    std::array<char, kSnmpTextBytes + 1> text = {};
    size_t cbText = 0;
    bool textCut = false;
};

struct SnmpCall {
    const char* target = nullptr;  // dotted address or host name; empty: the broadcast address
    const char* name = nullptr;    // dotted object name, at most 255 characters
    PduKind kind = PduKind::Get;
    ValueKind want = ValueKind::Any;
    int32_t setValue = 0;          // SetRequest: the INTEGER to set
};

class SnmpClient {
public:
    explicit SnmpClient(const SnmpSettings& settings) : settings_(settings) {}

    /// Sends the request and waits for its answer: same version, community and request id,
    /// from the target's address and port, a GetResponse with a zero error status and a
    /// value of the wanted kind. True with Answer() filled; false with Error() and Detail().
    [[nodiscard]] bool Request(const SnmpCall& call);

    SnmpError Error() const { return error_; }
    [[nodiscard]] int Detail() const { return detail_; }
    /// The first answer (after sorting by sender for the broadcast address).
    const SnmpAnswer& Answer() const { return answers_.front(); }
    std::span<const SnmpAnswer> Answers() const { return answers_; }

private:
    bool Fail(SnmpError error, int detail = 0);

    SnmpSettings settings_;
    SnmpError error_ = SnmpError::None;
    int detail_ = 0;
    std::vector<SnmpAnswer> answers_;
};

// The monitor's calls. Each answers true on success; a null argument or a buffer too small for
// the answer's text is a failure. Text values are cut to the buffer (NUL-terminated).

[[nodiscard]] bool SnmpGetString(const SnmpSettings& settings, const char* target, const char* name,
                                 std::span<char> value);
[[nodiscard]] bool SnmpGetInteger(const SnmpSettings& settings, const char* target, const char* name,
                                  int32_t* value);
/// `name` holds the name to start from and receives the answer's name.
[[nodiscard]] bool SnmpGetNextString(const SnmpSettings& settings, const char* target, std::span<char> name,
                                     std::span<char> value);
[[nodiscard]] bool SnmpGetNextInteger(const SnmpSettings& settings, const char* target, std::span<char> name,
                                      int32_t* value);
/// `value` holds the value to set and receives the value in the answer.
[[nodiscard]] bool SnmpSetInteger(const SnmpSettings& settings, const char* target, const char* name,
                                  int32_t* value);

enum class WalkStop : uint8_t {
    None,           // still walking
    LeftSubtree,    // the next name is outside the start name's subtree (a normal end)
    EndOfMib,       // the agent has no object after the last one (noSuchName to a GetNext)
    Failed,         // a request failed (see Error())
    NotAdvancing,   // the agent answered with a name that does not follow the last one
    StepLimit,      // maxSteps answers were taken
    WrongKind,      // an object of the subtree holds a value of another kind
};

/// GetNext from a start name, one object per Next(), inside the start name's subtree.
class SnmpWalk {
public:
    SnmpWalk(const SnmpSettings& settings, const char* target, const char* start, ValueKind want, size_t maxSteps);

    /// True with Answer() holding the next object; false once the walk has stopped.
    [[nodiscard]] bool Next();

    const SnmpAnswer& Answer() const { return client_.Answer(); }
    WalkStop Stop() const { return stop_; }
    SnmpError Error() const { return client_.Error(); }
    size_t Steps() const { return steps_; }

private:
    SnmpClient client_;
    const char* target_;
    ValueKind want_;
    size_t maxSteps_;
    size_t steps_ = 0;
    Oid subtree_;
    char current_[kSnmpTextBytes] = {};
    WalkStop stop_ = WalkStop::None;
};

}  // namespace snmp

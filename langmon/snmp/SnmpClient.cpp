// The monitor's SNMP version 1 client over the platform's Windows Sockets.
#include "langmon/snmp/SnmpClient.h"

#include <algorithm>
#include <cstring>

#include "platform/Winsock.h"

namespace snmp {
namespace {

constexpr size_t kReceiveBytes = 2048;
constexpr size_t kSendBytes = 1024;

/// Owns one socket: non-blocking while it lives, back to blocking and closed at the end;
/// after a failure it is closed hard (no linger).
class UdpSocket {
public:
    UdpSocket() = default;
    ~UdpSocket() {
        if (socket_ == INVALID_SOCKET) {
            return;
        }
        ULONG blocking = 0;
        ioctlsocket(socket_, FIONBIO, &blocking);
        if (hard_) {
            const WsaLinger noLinger{1, 0};
            setsockopt(socket_, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&noLinger), sizeof noLinger);
        }
        closesocket(socket_);
    }
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    /// 0, or the Winsock error.
    int Open() {
        socket_ = socket(AF_INET, SOCK_DGRAM, 0);
        if (socket_ == INVALID_SOCKET) {
            return WSAGetLastError();
        }
        ULONG nonBlocking = 1;
        const int on = 1;
        if (ioctlsocket(socket_, FIONBIO, &nonBlocking) != 0 ||
            setsockopt(socket_, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&on), sizeof on) != 0) {
            return WSAGetLastError();
        }
        return 0;
    }
    SOCKET Get() const { return socket_; }
    void CloseHard() { hard_ = true; }

private:
    SOCKET socket_ = INVALID_SOCKET;
    bool hard_ = false;
};

/// Waits for the socket to become readable (or writable); true when it did.
bool WaitFor(SOCKET s, bool writable, uint32_t waitMs) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval timeout{static_cast<LONG>(waitMs / 1000), static_cast<LONG>((waitMs % 1000) * 1000)};
    return select(0, writable ? nullptr : &set, writable ? &set : nullptr, nullptr, &timeout) > 0;
}

/// The target as a network-order address, or false when the name is not known.
bool ResolveTarget(const char* target, ULONG& address) {
    address = inet_addr(target);
    if (address != INADDR_NONE || std::strcmp(target, "255.255.255.255") == 0) {
        return true;
    }
    const hostent* host = gethostbyname(target);
    if (host == nullptr || host->h_addrtype != AF_INET || host->h_length != 4 || host->h_addr_list[0] == nullptr) {
        return false;
    }
    std::memcpy(&address, host->h_addr_list[0], sizeof address);
    return true;
}

}  // namespace

bool ValueFits(ValueKind want, BerTag type, int64_t number) {
    switch (type) {
    case BerTag::Null:
    case BerTag::NoSuchObject:
    case BerTag::NoSuchInstance:
    case BerTag::EndOfMibView:
        return false;
    default:
        break;
    }
    switch (want) {
    case ValueKind::Integer:
        return (type == BerTag::Integer || type == BerTag::Counter || type == BerTag::Gauge ||
                type == BerTag::TimeTicks) &&
               number >= INT32_MIN && number <= INT32_MAX;
    case ValueKind::String:
        return type == BerTag::OctetString;
    case ValueKind::Any:
        return true;
    }
    return false;
}

namespace {

void CopyValue(const SnmpValue& value, SnmpAnswer& answer) {
    answer.type = value.type;
    answer.number = value.number;
    answer.text.fill('\0');
    if (value.type == BerTag::ObjectId) {
        answer.textCut = !FormatOid(value.oid, answer.text);
        answer.cbText = std::strlen(answer.text.data());
        return;
    }
    const size_t cb = std::min(value.bytes.size(), kSnmpTextBytes);
    if (cb > 0) {
        std::memcpy(answer.text.data(), value.bytes.data(), cb);
    }
    answer.cbText = cb;
    answer.textCut = cb < value.bytes.size();
}

/// Copies a text with its NUL into a caller's buffer; false when the buffer is empty.
bool CopyText(const char* text, size_t cb, std::span<char> out) {
    if (out.empty()) {
        return false;
    }
    const size_t n = std::min(cb, out.size() - 1);
    std::memcpy(out.data(), text, n);
    out[n] = '\0';
    return true;
}

}  // namespace

bool SnmpClient::Fail(SnmpError error, int detail) {
    error_ = error;
    detail_ = detail;
    answers_.clear();
    return false;
}

bool SnmpClient::Request(const SnmpCall& call) {
    error_ = SnmpError::None;
    detail_ = 0;
    answers_.clear();

    Oid name;
    if (call.name == nullptr || std::strlen(call.name) >= kSnmpTextBytes || !ParseOid(call.name, name)) {
        return Fail(SnmpError::BadName);
    }
    const std::string_view broadcast = settings_.broadcastAddress;
    char targetText[kSnmpTextBytes];
    if (call.target == nullptr || call.target[0] == '\0') {
        if (!CopyText(broadcast.data(), broadcast.size(), targetText)) {
            return Fail(SnmpError::Unresolved);
        }
    } else if (!CopyText(call.target, std::strlen(call.target), targetText)) {
        return Fail(SnmpError::Unresolved);
    }
    // Answers to the broadcast address come from anyone; they are gathered, not matched.
    const bool gather = broadcast == targetText;
    ULONG address = 0;
    if (!ResolveTarget(targetText, address)) {
        return Fail(SnmpError::Unresolved);
    }

    // Build the request before opening anything.
    BindingOut binding;
    binding.name = &name;
    // ParseOid took at most ten digits for the first arc.
    constexpr std::array<std::byte, 10> kZeros{};
    if (call.kind == PduKind::Set) {
        binding.value.type = BerTag::Integer;
        binding.value.number = call.setValue;
    } else if (call.want == ValueKind::Integer) {
        binding.value.type = BerTag::Integer;
    } else {
        // A text's placeholder: one zero byte per character of the first arc (ValueKind).
        binding.value.type = BerTag::OctetString;
        binding.value.bytes = std::span(kZeros).first(std::min(FirstArcChars(call.name), kZeros.size()));
    }
    MessageOut message;
    message.community = settings_.community;
    message.pdu = call.kind == PduKind::Get      ? BerTag::GetRequest
                  : call.kind == PduKind::GetNext ? BerTag::GetNextRequest
                                                  : BerTag::SetRequest;
    message.requestId = settings_.requestId;
    message.bindings = {&binding, 1};
    std::array<std::byte, kSendBytes> request;
    const size_t cbRequest = EncodeMessage(message, request);
    if (cbRequest == 0) {
        return Fail(SnmpError::BadName);
    }

    UdpSocket udp;
    if (const int error = udp.Open(); error != 0) {
        udp.CloseHard();
        return Fail(SnmpError::Setup, error);
    }
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(settings_.port);
    to.sin_addr.s_addr = address;

    std::array<std::byte, kReceiveBytes> datagram;
    for (uint32_t attempt = 0; attempt <= settings_.retries; ++attempt) {
        // Send, waiting for room when the socket has none.
        uint32_t sendWaits = 0;
        while (sendto(udp.Get(), reinterpret_cast<const char*>(request.data()), static_cast<int>(cbRequest), 0,
                      reinterpret_cast<const sockaddr*>(&to), sizeof to) == SOCKET_ERROR) {
            if (WSAGetLastError() != WSAEWOULDBLOCK) {
                udp.CloseHard();
                return Fail(SnmpError::Socket, kSnmpDetailSend);
            }
            if (sendWaits == settings_.waitsPerTry) {
                udp.CloseHard();
                return Fail(SnmpError::Timeout);
            }
            ++sendWaits;
            WaitFor(udp.Get(), true, settings_.waitMs);
        }

        uint32_t waits = 0;
        for (uint32_t reads = 0; reads < settings_.maxReads; ++reads) {
            sockaddr_in from{};
            int cbFrom = sizeof from;
            const int got = recvfrom(udp.Get(), reinterpret_cast<char*>(datagram.data()), kReceiveBytes, 0,
                                     reinterpret_cast<sockaddr*>(&from), &cbFrom);
            if (got == SOCKET_ERROR) {
                if (WSAGetLastError() != WSAEWOULDBLOCK) {
                    // A broken or oversized datagram: drop it and read on.
                    continue;
                }
                if (waits == settings_.waitsPerTry) {
                    break;
                }
                // Only a wait that ends without a datagram uses up the budget: decoys and
                // other agents' answers must not cut the wait for the real one short.
                if (!WaitFor(udp.Get(), false, settings_.waitMs)) ++waits;
                continue;
            }
            SnmpMessage answer;
            if (!DecodeMessage(std::span(datagram.data(), static_cast<size_t>(got)), answer)) {
                continue;
            }
            const bool fromTarget = from.sin_addr.s_addr == address && from.sin_port == htons(settings_.port);
            const std::string_view community(reinterpret_cast<const char*>(answer.community.data()),
                                             answer.community.size());
            if (answer.version != 0 || answer.pdu != BerTag::GetResponse || answer.requestId != settings_.requestId ||
                community != settings_.community || answer.bindingCount == 0 || (!gather && !fromTarget)) {
                continue;
            }
            VarBind result;
            BindingReader reader(answer);
            if (!reader.Next(result)) {
                continue;
            }
            if (gather) {
                // Every agent that answers well is kept; the others are passed over.
                if (answer.errorStatus != 0 || !ValueFits(call.want, result.value.type, result.value.number)) {
                    continue;
                }
            } else if (answer.errorStatus != 0) {
                // The agent's answer to this request: an error is the result, never a value.
                udp.CloseHard();
                return Fail(SnmpError::ErrorStatus, answer.errorStatus);
            } else if (call.kind == PduKind::GetNext ? CompareOid(result.name, name) <= 0
                                                     : CompareOid(result.name, name) != 0) {
                udp.CloseHard();
                return Fail(call.kind == PduKind::GetNext ? SnmpError::NotAdvancing : SnmpError::WrongName);
            } else if (!ValueFits(call.kind == PduKind::Set ? ValueKind::Integer : call.want, result.value.type, result.value.number)) {
                udp.CloseHard();
                return Fail(SnmpError::NoValue);
            }
            SnmpAnswer& kept = answers_.emplace_back();
            std::strncpy(kept.sender, inet_ntoa(from.sin_addr), sizeof kept.sender - 1);
            kept.oid = result.name;
            if (!FormatOid(result.name, kept.name)) {
                // A name too long for the callers' buffers cannot be walked on from.
                answers_.pop_back();
                if (gather) {
                    continue;
                }
                udp.CloseHard();
                return Fail(SnmpError::WrongName);
            }
            CopyValue(result.value, kept);
            if (!gather || answers_.size() == kMaxAnswers) {
                break;
            }
        }
        if (!answers_.empty() && (!gather || answers_.size() == kMaxAnswers)) {
            return true;
        }
        if (gather && !answers_.empty()) {
            break;
        }
    }
    if (answers_.empty()) {
        udp.CloseHard();
        return Fail(SnmpError::Timeout);
    }
    std::stable_sort(answers_.begin(), answers_.end(),
                     [](const SnmpAnswer& a, const SnmpAnswer& b) { return std::strcmp(a.sender, b.sender) < 0; });
    return true;
}

bool SnmpGetString(const SnmpSettings& settings, const char* target, const char* name, std::span<char> value) {
    if (target == nullptr || name == nullptr || value.empty()) {
        return false;
    }
    SnmpClient client(settings);
    if (!client.Request({target, name, PduKind::Get, ValueKind::String, 0})) {
        return false;
    }
    return CopyText(client.Answer().text.data(), client.Answer().cbText, value);
}

bool SnmpGetInteger(const SnmpSettings& settings, const char* target, const char* name, int32_t* value) {
    if (target == nullptr || name == nullptr || value == nullptr) {
        return false;
    }
    SnmpClient client(settings);
    if (!client.Request({target, name, PduKind::Get, ValueKind::Integer, 0})) {
        return false;
    }
    *value = static_cast<int32_t>(client.Answer().number);
    return true;
}

namespace {

bool GetNext(const char* target, std::span<char> name, ValueKind want,
             SnmpClient& client) {
    if (target == nullptr || name.empty() || std::memchr(name.data(), '\0', name.size()) == nullptr) {
        return false;
    }
    if (!client.Request({target, name.data(), PduKind::GetNext, want, 0})) {
        return false;
    }
    const char* answerName = client.Answer().name;
    const size_t cb = std::strlen(answerName);
    if (cb >= name.size()) {
        return false;
    }
    std::memcpy(name.data(), answerName, cb + 1);
    return true;
}

}  // namespace

bool SnmpGetNextString(const SnmpSettings& settings, const char* target, std::span<char> name,
                       std::span<char> value) {
    if (value.empty()) {
        return false;
    }
    SnmpClient client(settings);
    if (!GetNext(target, name, ValueKind::String, client)) {
        return false;
    }
    return CopyText(client.Answer().text.data(), client.Answer().cbText, value);
}

bool SnmpGetNextInteger(const SnmpSettings& settings, const char* target, std::span<char> name, int32_t* value) {
    if (value == nullptr) {
        return false;
    }
    SnmpClient client(settings);
    if (!GetNext(target, name, ValueKind::Integer, client)) {
        return false;
    }
    *value = static_cast<int32_t>(client.Answer().number);
    return true;
}

bool SnmpSetInteger(const SnmpSettings& settings, const char* target, const char* name, int32_t* value) {
    if (target == nullptr || name == nullptr || value == nullptr) {
        return false;
    }
    SnmpClient client(settings);
    if (!client.Request({target, name, PduKind::Set, ValueKind::Integer, *value})) {
        return false;
    }
    *value = static_cast<int32_t>(client.Answer().number);
    return true;
}

SnmpWalk::SnmpWalk(const SnmpSettings& settings, const char* target, const char* start, ValueKind want,
                   size_t maxSteps)
    : client_(settings), target_(target), want_(want), maxSteps_(maxSteps) {
    if (target == nullptr || start == nullptr || std::strlen(start) >= sizeof current_ || !ParseOid(start, subtree_)) {
        stop_ = WalkStop::Failed;
        return;
    }
    std::memcpy(current_, start, std::strlen(start) + 1);
}

bool SnmpWalk::Next() {
    if (stop_ != WalkStop::None) {
        return false;
    }
    if (steps_ == maxSteps_) {
        stop_ = WalkStop::StepLimit;
        return false;
    }
    // The subtree test comes before the kind test: the first object past a column is
    // usually of another kind, and it ends the walk normally.
    if (!client_.Request({target_, current_, PduKind::GetNext, ValueKind::Any, 0})) {
        // A version 1 agent tells the end of its objects with noSuchName.
        constexpr int kNoSuchName = 2;
        const SnmpError error = client_.Error();
        stop_ = error == SnmpError::NotAdvancing                                      ? WalkStop::NotAdvancing
                : error == SnmpError::ErrorStatus && client_.Detail() == kNoSuchName ? WalkStop::EndOfMib
                                                                                      : WalkStop::Failed;
        return false;
    }
    const SnmpAnswer& answer = client_.Answer();
    if (!OidStartsWith(answer.oid, subtree_)) {
        stop_ = WalkStop::LeftSubtree;
        return false;
    }
    if (!ValueFits(want_, answer.type, answer.number)) {
        stop_ = WalkStop::WrongKind;
        return false;
    }
    std::memcpy(current_, client_.Answer().name, sizeof current_);
    ++steps_;
    return true;
}

}  // namespace snmp

// The test printer's SNMP agent.
#include "tools/sample/SnmpAgent.h"

#include <chrono>
#include <cstring>

#include "platform/Winsock.h"
#include "tools/sample/Problems.h"

namespace kvtest {
namespace {

constexpr int32_t kNoSuchName = 2;
constexpr int32_t kBadValue = 3;

std::vector<uint32_t> Key(const std::string& name) {
    snmp::Oid oid;
    KV_SAMPLE_EXPECT(snmp::ParseOid(name, oid), "bad object name in the agent's table: " + name);
    return {oid.arcs.begin(), oid.arcs.begin() + static_cast<std::ptrdiff_t>(oid.count)};
}

snmp::Oid ToOid(const std::vector<uint32_t>& key) {
    snmp::Oid oid;
    oid.count = key.size();
    std::copy(key.begin(), key.end(), oid.arcs.begin());
    return oid;
}

SOCKET OpenBound(uint16_t& port) {
    const SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
    if (s == INVALID_SOCKET) {
        return s;
    }
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int cb = sizeof local;
    if (bind(s, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&local), &cb) != 0) {
        closesocket(s);
        return INVALID_SOCKET;
    }
    port = ntohs(local.sin_port);
    return s;
}

}  // namespace

std::string JcidIndex(const std::string& jcid) {
    std::string index = std::to_string(jcid.size());
    for (const char c : jcid) {
        // Appended in parts: GCC 12 warns falsely on `"." + std::string` at -O3.
        index.append(1, '.').append(std::to_string(static_cast<unsigned char>(c)));
    }
    return index;
}

SnmpAgent::SnmpAgent() {
    WSADATA data;
    const int started = WSAStartup(MAKEWORD(1, 1), &data);
    KV_SAMPLE_EXPECT(started == 0, "WSAStartup failed: " + std::to_string(started));
    socket_ = OpenBound(port_);
    uint16_t otherPort = 0;
    otherSocket_ = OpenBound(otherPort);
    KV_SAMPLE_EXPECT(socket_ != INVALID_SOCKET, "the agent has no socket on the loopback");
    KV_SAMPLE_EXPECT(otherSocket_ != INVALID_SOCKET, "the agent has no second socket on the loopback");
    thread_ = std::thread([this] { Serve(); });
}

SnmpAgent::~SnmpAgent() {
    stop_ = true;
    thread_.join();
    closesocket(socket_);
    closesocket(otherSocket_);
    WSACleanup();
}

snmp::SnmpSettings SnmpAgent::Settings(uint32_t waitMs) const {
    snmp::SnmpSettings settings;
    settings.port = port_;
    settings.waitMs = waitMs;
    return settings;
}

void SnmpAgent::Put(const std::string& name, Value value) {
    const std::vector<uint32_t> key = Key(name);
    std::lock_guard<std::mutex> hold(lock_);
    table_[key] = std::move(value);
}

void SnmpAgent::SetString(const std::string& name, const std::string& value) {
    Put(name, Value{snmp::BerTag::OctetString, 0, value, {}});
}

void SnmpAgent::SetInteger(const std::string& name, int64_t value, snmp::BerTag type) {
    Put(name, Value{type, value, {}, {}});
}

void SnmpAgent::SetObjectId(const std::string& name, const std::string& value) {
    Value v{snmp::BerTag::ObjectId, 0, {}, {}};
    KV_SAMPLE_EXPECT(snmp::ParseOid(value, v.oid), "bad object identifier value: " + value);
    Put(name, v);
}

void SnmpAgent::SetNull(const std::string& name) { Put(name, Value{}); }

void SnmpAgent::Remove(const std::string& name) {
    const std::vector<uint32_t> key = Key(name);
    std::lock_guard<std::mutex> hold(lock_);
    table_.erase(key);
}

void SnmpAgent::Clear() {
    std::lock_guard<std::mutex> hold(lock_);
    table_.clear();
}

void SnmpAgent::SetCommunity(const std::string& community) {
    std::lock_guard<std::mutex> hold(lock_);
    community_ = community;
}

void SnmpAgent::LoadPrinter() {
    SetString("1.3.6.1.2.1.1.1.0", "ZEV KV-TD520");
    SetInteger("1.3.6.1.2.1.25.3.2.1.5.1", 2);         // hrDeviceStatus: running
    SetInteger("1.3.6.1.2.1.25.3.5.1.1.1", 3);         // hrPrinterStatus: idle
    SetString("1.3.6.1.2.1.25.3.5.1.2.1", std::string(1, '\0'));  // hrPrinterDetectedErrorState
    SetString("1.3.6.1.2.1.43.15.1.1.5.1.1", "VRTL Level2.ZK3PT");
    SetString("1.3.6.1.2.1.43.15.1.1.5.1.2", "ESC/P");
    SetInteger("1.3.6.1.2.1.43.8.2.1.4.1.1", 2970);    // tray length
    SetInteger("1.3.6.1.2.1.43.8.2.1.5.1.1", 2100);    // tray width
    SetInteger("1.3.6.1.2.1.43.8.2.1.10.1.1", -3);     // tray level: some paper
}

void SnmpAgent::SetAlerts(const std::vector<std::string>& texts) {
    const snmp::Oid column = ToOid(Key("1.3.6.1.2.1.43.18.1.1.8.1"));
    {
        std::lock_guard<std::mutex> hold(lock_);
        std::erase_if(table_, [&column](const auto& row) { return snmp::OidStartsWith(ToOid(row.first), column); });
    }
    for (size_t i = 0; i < texts.size(); ++i) {
        SetString("1.3.6.1.2.1.43.18.1.1.8.1." + std::to_string(i + 1), texts[i]);
    }
}

void SnmpAgent::AddJob(const std::string& jcid, const std::string& prid, int32_t state, int32_t reasons,
                       int32_t pages) {
    SetString("1.3.6.1.4.1.253.8.59.6.1.1.3.1." + prid, jcid);
    SetInteger("1.3.6.1.4.1.253.8.59.6.1.1.9.1." + prid, state);
    SetInteger("1.3.6.1.4.1.253.8.59.6.1.1.10.1." + prid, reasons);
    SetInteger("1.3.6.1.4.1.253.8.59.16.1.1.5.1." + prid, pages);
    SetString("1.3.6.1.4.1.253.8.59.8.1.1.2." + JcidIndex(jcid) + "." + prid, jcid);
}

void SnmpAgent::SetEndlessColumn(const std::string& column, const std::string& value) {
    snmp::Oid oid;
    if (!column.empty()) {
        KV_SAMPLE_EXPECT(snmp::ParseOid(column, oid) && oid.count < snmp::kMaxOidArcs,
                         "bad endless column: " + column);
    }
    std::lock_guard<std::mutex> hold(lock_);
    endless_ = oid;
    endlessValue_ = value;
}

void SnmpAgent::Script(std::vector<AgentAction> actions) {
    std::lock_guard<std::mutex> hold(lock_);
    script_.assign(actions.begin(), actions.end());
}

std::vector<ReceivedRequest> SnmpAgent::Requests() const {
    std::lock_guard<std::mutex> hold(lock_);
    return requests_;
}

size_t SnmpAgent::RequestCount() const {
    std::lock_guard<std::mutex> hold(lock_);
    return requests_.size();
}

void SnmpAgent::Serve() {
    std::vector<uint8_t> buffer(4096);
    while (!stop_) {
        // Short waits so that the destructor never waits long for the thread.
        fd_set set;
        FD_ZERO(&set);
        FD_SET(socket_, &set);
        const timeval timeout{0, 20000};
        const int ready = select(0, &set, nullptr, nullptr, &timeout);
        if (ready == SOCKET_ERROR) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (ready <= 0) {
            continue;
        }
        sockaddr_in from{};
        int cbFrom = sizeof from;
        const int got = recvfrom(socket_, reinterpret_cast<char*>(buffer.data()), static_cast<int>(buffer.size()), 0,
                                 reinterpret_cast<sockaddr*>(&from), &cbFrom);
        if (got > 0) {
            Answer(std::vector<uint8_t>(buffer.begin(), buffer.begin() + got),
                   Peer{from.sin_addr.s_addr, from.sin_port});
        }
    }
}

void SnmpAgent::Send(uintptr_t s, const std::vector<std::byte>& bytes, const Peer& peer) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = peer.address;
    to.sin_port = peer.port;
    sendto(s, reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()), 0,
           reinterpret_cast<const sockaddr*>(&to), sizeof to);
}

void SnmpAgent::Answer(const std::vector<uint8_t>& datagram, const Peer& from) {
    snmp::SnmpMessage request;
    const auto bytes = std::as_bytes(std::span(datagram));
    if (!snmp::DecodeMessage(bytes, request, nullptr, true) || request.bindingCount != 1) {
        return;
    }
    snmp::VarBind binding;
    snmp::BindingReader reader(request);
    if (!reader.Next(binding)) {
        return;
    }
    ReceivedRequest seen;
    seen.pdu = request.pdu;
    seen.requestId = request.requestId;
    seen.community.assign(reinterpret_cast<const char*>(request.community.data()), request.community.size());
    char name[1024];
    if (snmp::FormatOid(binding.name, name)) {
        seen.name = name;
    }
    seen.valueType = binding.value.type;
    seen.number = binding.value.number;
    seen.value.assign(reinterpret_cast<const char*>(binding.value.bytes.data()), binding.value.bytes.size());
    seen.bytes = datagram;

    // Decide the answer under the lock; send it outside.
    AgentAction action;
    snmp::Oid answerName = binding.name;
    Value value;
    int32_t errorStatus = 0;
    {
        std::lock_guard<std::mutex> hold(lock_);
        requests_.push_back(seen);
        if (seen.community != community_) {
            return;
        }
        if (!script_.empty()) {
            action = script_.front();
            script_.pop_front();
        }
        const std::vector<uint32_t> key(binding.name.arcs.begin(),
                                        binding.name.arcs.begin() + static_cast<std::ptrdiff_t>(binding.name.count));
        if (request.pdu == snmp::BerTag::GetNextRequest && endless_.count != 0 &&
            snmp::OidStartsWith(binding.name, endless_)) {
            // The row after the one asked, one arc below the column.
            const size_t rowArc = endless_.count;
            answerName = endless_;
            answerName.arcs[rowArc] = binding.name.count > rowArc ? binding.name.arcs[rowArc] + 1 : 1;
            answerName.count = rowArc + 1;
            value = Value{snmp::BerTag::OctetString, 0, endlessValue_, {}};
        } else if (request.pdu == snmp::BerTag::GetNextRequest) {
            const auto next = table_.upper_bound(key);
            if (next == table_.end()) {
                errorStatus = kNoSuchName;
            } else {
                answerName = ToOid(next->first);
                value = next->second;
            }
        } else {
            const auto it = table_.find(key);
            if (it == table_.end()) {
                errorStatus = kNoSuchName;
            } else if (request.pdu == snmp::BerTag::SetRequest) {
                if (it->second.type != binding.value.type) {
                    errorStatus = kBadValue;
                } else {
                    it->second.number = binding.value.number;
                }
                value = it->second;
            } else {
                value = it->second;
            }
        }
    }
    if (errorStatus != 0) {
        // Errors echo the request's binding.
        value = Value{binding.value.type, binding.value.number,
                      std::string(reinterpret_cast<const char*>(binding.value.bytes.data()), binding.value.bytes.size()),
                      binding.value.oid};
    }
    if (action.errorStatus != 0) {
        errorStatus = action.errorStatus;
    }
    if (action.sameName) {
        answerName = binding.name;
    }
    if (!action.answerName.empty()) {
        KV_SAMPLE_EXPECT(snmp::ParseOid(action.answerName, answerName), "bad scripted name: " + action.answerName);
    }
    if (action.nullValue) {
        value = Value{};
    }

    const auto encode = [&](int32_t requestId) {
        snmp::BindingOut out;
        out.name = &answerName;
        out.value.type = value.type;
        out.value.number = value.number;
        out.value.bytes = std::as_bytes(std::span(value.bytes.data(), value.bytes.size()));
        out.value.oid = value.oid;
        snmp::MessageOut message;
        message.community = seen.community;
        message.pdu = snmp::BerTag::GetResponse;
        message.requestId = requestId;
        message.errorStatus = errorStatus;
        message.errorIndex = errorStatus != 0 ? 1 : 0;
        message.bindings = {&out, 1};
        std::vector<std::byte> encoded(4096);
        const size_t size = snmp::EncodeMessage(message, encoded);
        KV_SAMPLE_EXPECT(size != 0, "the agent could not encode its answer");
        encoded.resize(size);
        return encoded;
    };
    const auto sendTwisted = [&](AnswerTwist twist) {
        switch (twist) {
        case AnswerTwist::None:
            Send(socket_, encode(request.requestId), from);
            break;
        case AnswerTwist::Drop:
            break;
        case AnswerTwist::Corrupt: {
            std::vector<std::byte> cut = encode(request.requestId);
            cut.pop_back();
            Send(socket_, cut, from);
            break;
        }
        case AnswerTwist::WrongId:
            Send(socket_, encode(request.requestId + 1000), from);
            break;
        case AnswerTwist::OtherPort:
            Send(otherSocket_, encode(request.requestId), from);
            break;
        case AnswerTwist::Garbage: {
            std::vector<std::byte> junk(16, std::byte{0xA5});
            Send(socket_, junk, from);
            break;
        }
        }
    };
    if (action.delayMs > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(action.delayMs));
    }
    for (const AnswerTwist decoy : action.decoys) {
        sendTwisted(decoy);
    }
    sendTwisted(action.twist);
}

}  // namespace kvtest

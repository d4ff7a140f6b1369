#pragma once
// A printer's SNMP agent for tests and benchmarks: a thread serving UDP on 127.0.0.1 at an
// ephemeral port, answering Get, GetNext and Set from a table of objects that the caller fills,
// and scriptable to misbehave for the next requests. Needs nothing from the host but loopback.
// What it cannot do as asked (a bad object name, no socket) goes to tools/sample/Problems.h.
#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "langmon/snmp/SnmpBer.h"
#include "langmon/snmp/SnmpClient.h"
#include "tools/sample/Waits.h"

namespace kvtest {

/// How one answer is spoilt.
enum class AnswerTwist {
    None,
    Drop,         // nothing is sent
    Corrupt,      // the last byte is cut off, so the datagram does not decode
    WrongId,      // the request id is changed
    OtherPort,    // sent from another socket of the agent
    Garbage,      // 16 bytes that are not BER at all
};

/// What the agent does with one request (taken in order; without one it answers plainly).
struct AgentAction {
    uint32_t delayMs = 0;              // before the answer (and its decoys)
    std::vector<AnswerTwist> decoys;   // spoilt copies sent ahead of the answer
    AnswerTwist twist = AnswerTwist::None;
    int32_t errorStatus = 0;           // the answer carries this error status
    bool sameName = false;             // GetNext: answer with the name that was asked
    bool nullValue = false;            // the value is NULL
    std::string answerName{};          // answer with this object name (e.g. one before the asked)
};

struct ReceivedRequest {
    snmp::BerTag pdu = snmp::BerTag::GetRequest;
    int32_t requestId = 0;
    std::string community;
    std::string name;
    snmp::BerTag valueType = snmp::BerTag::Null;
    int64_t number = 0;
    std::string value;                 // the bytes of an OCTET STRING value
    std::vector<uint8_t> bytes;        // the whole datagram
};

class SnmpAgent {
public:
    /// Starts Windows Sockets (counted) and the serving thread.
    SnmpAgent();
    ~SnmpAgent();
    SnmpAgent(const SnmpAgent&) = delete;
    SnmpAgent& operator=(const SnmpAgent&) = delete;

    uint16_t Port() const { return port_; }
    /// Client settings aimed at this agent: one wait of `waitMs` for an answer, two per try.
    snmp::SnmpSettings Settings(uint32_t waitMs = kAnswerWaitMs) const;

    void SetString(const std::string& name, const std::string& value);
    void SetInteger(const std::string& name, int64_t value, snmp::BerTag type = snmp::BerTag::Integer);
    void SetObjectId(const std::string& name, const std::string& value);
    void SetNull(const std::string& name);
    void Remove(const std::string& name);
    void Clear();
    /// Requests with another community are not answered.
    void SetCommunity(const std::string& community);

    /// A printer as the monitor reads it: sysDescr "ZEV KV-TD520", running and idle, no
    /// errors, two interpreters, one input tray.
    void LoadPrinter();
    /// The printer's alert texts (rows 1..n of the alert description column).
    void SetAlerts(const std::vector<std::string>& texts);
    /// A job in the printer's job tables under the printer job index `prid` (dotted, e.g.
    /// "1.7"): its JCID, state, state reasons and pages, and the JCID-to-index row.
    void AddJob(const std::string& jcid, const std::string& prid, int32_t state, int32_t reasons, int32_t pages);

    /// A column without end: a GetNext at or below `column` answers the row after the one asked
    /// ("column.1", "column.2", ... for ever), each holding the string `value`. Replaces any
    /// earlier endless column; an empty `column` removes it.
    void SetEndlessColumn(const std::string& column, const std::string& value);

    /// Actions for the next requests, in order.
    void Script(std::vector<AgentAction> actions);
    std::vector<ReceivedRequest> Requests() const;
    size_t RequestCount() const;

private:
    struct Value {
        snmp::BerTag type = snmp::BerTag::Null;
        int64_t number = 0;
        std::string bytes;
        snmp::Oid oid;
    };
    /// An address and port in network byte order.
    struct Peer {
        uint32_t address = 0;
        uint16_t port = 0;
    };
    void Serve();
    void Answer(const std::vector<uint8_t>& datagram, const Peer& from);
    void Send(uintptr_t s, const std::vector<std::byte>& bytes, const Peer& to);
    void Put(const std::string& name, Value value);

    mutable std::mutex lock_;
    std::map<std::vector<uint32_t>, Value> table_;
    std::string community_ = "vantel";
    std::deque<AgentAction> script_;
    snmp::Oid endless_;                // no arcs: no endless column
    std::string endlessValue_;
    std::vector<ReceivedRequest> requests_;
    // Windows Sockets handles (the header stays free of the platform's socket names, which
    // clash with the host's in test files).
    uintptr_t socket_ = 0;
    uintptr_t otherSocket_ = 0;
    uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

/// "AB" -> "2.65.66": the JCID's length and its character codes, as the printer indexes it.
std::string JcidIndex(const std::string& jcid);

}  // namespace kvtest

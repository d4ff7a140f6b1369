#pragma once
// A followed network port whose printer is a loopback SNMP agent with its job tables, one bound
// printer whose manager records every push with its bytes, the print history on, and queue
// entries that the tests make and fill themselves (as StartDocPort, the header parse and
// EndDocPort would). Waits are milliseconds.
#include <string>
#include <vector>

#include "langmon/MonitorProcess.h"
#include "langmon/status/StatusManagerLink.h"
#include "tools/sample/PrinterOids.h"
#include "tests/support/TestRoot.h"
#include "tools/sample/SnmpAgent.h"

namespace kvtest {

inline constexpr char16_t kTrackPrinter[] = u"KV Printer";

// Job states and reasons as the printer reports them.
inline constexpr int32_t kCreating = 3;
inline constexpr int32_t kProcessing = 7;
inline constexpr int32_t kTerminating = 14;
inline constexpr int32_t kCompleted = 17;
inline constexpr int32_t kCanceledByUser = 0x80;
inline constexpr int32_t kAbortBySystem = 0x200;

/// One `PrintingJobInfo` push: the JobID and Page it carried.
struct PrintingPush {
    DWORD jobId;
    DWORD page;
    bool operator==(const PrintingPush&) const = default;
};
void PrintTo(const PrintingPush& push, std::ostream* out);

// Single agent actions for scripts.
inline AgentAction DropAnswer() {
    AgentAction action;
    action.twist = AnswerTwist::Drop;
    return action;
}
inline AgentAction ErrorAnswer(int32_t errorStatus) {
    AgentAction action;
    action.errorStatus = errorStatus;
    return action;
}
/// A GetNext answered with the name that was asked.
inline AgentAction SameNameAnswer() {
    AgentAction action;
    action.sameName = true;
    return action;
}
inline AgentAction NamedAnswer(const std::string& name) {
    AgentAction action;
    action.answerName = name;
    return action;
}

/// A JCID of the header's 45 characters (digits and capitals) ending in the number `n`.
std::string TestJcid(int n);

class TrackTest : public StandInTest {
protected:
    void SetUp() override;
    void TearDown() override;

    /// An entry for spooler job `jobId` at the queue's tail with the JCID and its index, on the
    /// port's printer; the spooler holds the job as document "Relaydock-<jobId>".
    langmon::JobQueueEntry* Queue(DWORD jobId, const std::string& jcid, bool endDocSeen = false);
    /// JobIds of the queued entries, head first.
    std::vector<DWORD> QueuedJobs();
    std::vector<PrintingPush> PrintingPushes() const;
    /// Pushes of that variable, and the last value pushed (4 bytes) or 0xDEADBEEF.
    size_t Pushes(const std::string& name) const;
    DWORD LastDword(const std::string& name) const;
    void ClearPushes();
    /// Whether the spooler was told the job's last page was ejected.
    bool Ejected(DWORD jobId);
    /// Today's print history file (empty when there is none).
    std::string History();
    /// Empties the port's queue without telling the spooler, and the agent's table.
    void Reset();

public:
    static DWORD RecordUpdate(DWORD manager, LPCSTR name, LPCVOID value, DWORD cb);

protected:
    SnmpAgent agent_;
    langmon::MonitorHandle monitor_{};
    langmon::PortContext* port_ = nullptr;
    SrmBinding* binding_ = nullptr;
};

}  // namespace kvtest

#pragma once
// A network printer for the load tests: its SNMP agent on loopback, a power switch, and its
// job table, which lists the tracked jobs it printed as completed until the spooler heard
// that their last page was ejected. Any thread may call it.
#include <map>
#include <mutex>
#include <string>

#include "platform/WinTypes.h"
#include "tools/sample/SnmpAgent.h"

namespace kvtest {

class LoadPrinter {
public:
    /// Switched on: the supported model, idle, with paper.
    explicit LoadPrinter(std::u16string spoolerName);

    SnmpAgent& Agent() { return agent_; }
    const std::u16string& SpoolerName() const { return spoolerName_; }

    /// Off, the printer answers no object (the monitor takes it for switched off) and forgets
    /// its jobs; on, it answers again with an empty job table.
    void PowerOff();
    void PowerOn();
    /// The job reached the printer whole: a tracked job is listed as completed while the
    /// printer is on.
    void Printed(DWORD jobId, bool tracked);
    /// Drops the listed jobs whose LAST_PAGE_EJECTED the spooler received.
    void ForgetEjected();

private:
    void Unlist(DWORD jobId);

    std::mutex lock_;
    SnmpAgent agent_;
    std::u16string spoolerName_;
    bool on_ = true;
    std::map<DWORD, std::string> listed_;  // job id -> its JCID, in the job table now
};

}  // namespace kvtest

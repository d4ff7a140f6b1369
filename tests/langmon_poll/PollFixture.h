#pragma once
// A followed network port whose printer is a loopback SNMP agent, with one bound printer whose
// manager records every push. Intervals and SNMP waits are milliseconds.
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "langmon/MonitorProcess.h"
#include "langmon/PortSettings.h"
#include "langmon/printer/DeviceCheck.h"
#include "langmon/status/StatusManagerLink.h"
#include "langmon/printer/StatusThread.h"
#include "tools/sample/PrinterOids.h"
#include "tools/sample/SnmpAgent.h"
#include "tests/support/TestRoot.h"

namespace kvtest {


/// Pushes the manager received, from any thread.
class PushLog {
public:
    void Add(const char* name);
    size_t Count(const std::string& name) const;
    size_t Total() const;
    void Clear();

private:
    mutable std::mutex lock_;
    std::vector<std::string> names_;
};

class PollTest : public StandInTest {
protected:
    void SetUp() override;
    void TearDown() override;

    /// Makes the port of that name, of the standard TCP/IP kind, with its bound printer.
    void MakePort(const std::u16string& name);
    /// Requests to the agent that asked for sysDescr: one per device check.
    size_t DeviceReads() const;
    /// Polls `done` every few milliseconds until it holds or `limitMs` passed.
    static bool WaitFor(const std::function<bool()>& done, int limitMs);
    /// The port's PrinterStatus M word (0xDEADBEEF without one).
    DWORD StatusM();

public:
    static void Record(const char* name);
    static DWORD ReadRequest(DWORD manager, LPCSTR name, LPVOID buffer, DWORD cb, LPDWORD cbNeeded);

protected:

    SnmpAgent agent_;
    langmon::MonitorHandle monitor_{};
    langmon::PortContext* port_ = nullptr;
    SrmBinding* binding_ = nullptr;
    /// The manager's answer to "RefreshStatus" (empty: the manager has none).
    static std::string refreshList_;
    static PushLog pushes_;
};

}  // namespace kvtest

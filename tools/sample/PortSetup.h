#pragma once
// Port contexts made directly from the monitor's library: the monitor's process state started
// for them, made and deleted under the process lock, aimed at the sample SNMP agent, and given
// a binding whose manager is a plain function.
#include <string>

#include "langmon/MonitorProcess.h"
#include "langmon/status/StatusManagerLink.h"
#include "tools/sample/SnmpAgent.h"

namespace kvtest {

/// Starts the monitor's process state; the handle gets its signature and the default waits.
bool StartMonitor(langmon::MonitorHandle& monitor);

/// NULL when the library refuses the context.
langmon::PortContext* CreatePort(const std::u16string& name, const std::u16string& printer,
                                 const langmon::MonitorHandle& monitor);
void DeletePort(langmon::PortContext* port);
/// Stops the port's status thread first.
void StopAndDeletePort(langmon::PortContext* port);

/// How a port's SNMP client asks the agent.
struct AgentAim {
    DWORD waitMs = kAnswerWaitMs;  // one wait for an answer (two per request)
    bool onePowerOffTry = true;  // a printer that does not answer is off at the first miss
};
/// The port's SNMP client asks the agent, with no pause between objects.
void AimAtAgent(langmon::PortContext& port, const SnmpAgent& agent, const AgentAim& aim = {});

/// A binding as the manager link makes it (a monitor-heap block that the port frees), the
/// port's first and current one, whose manager's pushes go to `update`; NULL without memory.
SrmBinding* BindRecorder(langmon::PortContext& port, const std::u16string& printer, PFN_UpdatePrinterStatusA update);

}  // namespace kvtest

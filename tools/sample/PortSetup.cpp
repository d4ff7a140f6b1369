#include "tools/sample/PortSetup.h"

#include <cstring>

#include "langmon/PortSettings.h"
#include "langmon/printer/StatusThread.h"
#include "langmon/status/StatusVariables.h"
#include "langmon/MonitorRegistry.h"
#include "langmon/PortList.h"
#include "platform/Kernel.h"

namespace kvtest {

bool StartMonitor(langmon::MonitorHandle& monitor) {
    const bool started = langmon::StartMonitorProcess(nullptr);
    monitor.Signature = langmon::kMonitorSignature;
    monitor.Waits = langmon::LoadWaits(nullptr);
    return started;
}

langmon::PortContext* CreatePort(const std::u16string& name, const std::u16string& printer,
                                 const langmon::MonitorHandle& monitor) {
    EnterCriticalSection(&langmon::Process().Lock);
    langmon::PortContext* port = langmon::CreatePortContext(name.c_str(), printer.c_str(), monitor);
    LeaveCriticalSection(&langmon::Process().Lock);
    return port;
}

void DeletePort(langmon::PortContext* port) {
    EnterCriticalSection(&langmon::Process().Lock);
    langmon::DeletePortContext(port);
    LeaveCriticalSection(&langmon::Process().Lock);
}

void StopAndDeletePort(langmon::PortContext* port) {
    langmon::StopStatusThread(*port);
    DeletePort(port);
}

void AimAtAgent(langmon::PortContext& port, const SnmpAgent& agent, const AgentAim& aim) {
    port.SnmpPort = agent.Port();
    port.SnmpWaitMs = aim.waitMs;
    if (port.Settings == nullptr) return;
    port.Settings->oidIntervalMs = 0;
    if (aim.onePowerOffTry) port.Settings->maxPowerOffTries = 1;
}

SrmBinding* BindRecorder(langmon::PortContext& port, const std::u16string& printer, PFN_UpdatePrinterStatusA update) {
    auto* binding = static_cast<SrmBinding*>(langmon::HeapAllocZero(sizeof(SrmBinding)));
    if (binding == nullptr) return nullptr;
    std::memcpy(binding->printerName, printer.c_str(), (printer.size() + 1) * sizeof(char16_t));
    binding->manager = 1;
    binding->entries.UpdatePrinterStatusA = update;
    binding->modelMask = kKvTd520ModelMask;
    port.FirstBinding = binding;
    port.CurrentBinding = binding;
    return binding;
}

}  // namespace kvtest

#include "tests/langmon_core/PortFixture.h"

#include <cstring>

#include "platform/StandInMonitor.h"

namespace kvtest {

void PortContextTest::SetUp() {
    StandInTest::SetUp();
    standin::monitor::Reset();
    ASSERT_TRUE(langmon::StartMonitorProcess(nullptr));
    monitor_.Signature = langmon::kMonitorSignature;
    monitor_.Waits = langmon::LoadWaits(nullptr);
    monitor_.Waits.PortMutexMs = 200;
    monitor_.Waits.PendingOutputMs = 30;
    monitor_.Waits.RetryPauseMs = 1;
    monitor_.Waits.ServiceMutexMs = 30;
    monitor_.Waits.ServiceAnswerMs = 50;
    monitor_.WinMajor = 6;
}

void PortContextTest::TearDown() {
    langmon::MonitorProcess& process = langmon::Process();
    for (auto* port : ports_) {
        if (port->PortMonitor.pfnClosePort != nullptr) port->PortMonitor.pfnClosePort(port->PortMonitorPort);
        EnterCriticalSection(&process.Lock);
        langmon::DeletePortContext(port);
        LeaveCriticalSection(&process.Lock);
    }
    langmon::EndMonitorProcess();
    StandInTest::TearDown();
}

langmon::PortContext* PortContextTest::MakePort(const std::u16string& name, DWORD kind) {
    langmon::MonitorProcess& process = langmon::Process();
    EnterCriticalSection(&process.Lock);
    langmon::PortContext* port = langmon::CreatePortContext(name.c_str(), u"KV Printer", monitor_);
    LeaveCriticalSection(&process.Lock);
    if (port == nullptr) return nullptr;
    std::memcpy(&port->PortMonitor, standin::monitor::FilePortMonitorTable(), sizeof(MONITOR2));
    std::u16string copy = name;
    port->PortMonitor.pfnOpenPort(standin::monitor::FilePortMonitor(), copy.data(), &port->PortMonitorPort);
    port->PortKind = kind;
    ports_.push_back(port);
    return port;
}

}  // namespace kvtest

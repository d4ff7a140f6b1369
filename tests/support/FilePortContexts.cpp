#include "tests/support/FilePortContexts.h"

#include <cstring>

#include "platform/StandInMonitor.h"
#include "tools/sample/PortSetup.h"

namespace kvtest {

void FilePortContextTest::SetUp() {
    StandInTest::SetUp();
    standin::monitor::Reset();
    ASSERT_TRUE(StartMonitor(monitor_));
    monitor_.Waits.PortMutexMs = 200;
    monitor_.Waits.RetryPauseMs = 1;
    monitor_.WinMajor = 6;
}

void FilePortContextTest::TearDown() {
    for (auto* port : ports_) {
        if (port->PortMonitor.pfnClosePort != nullptr) port->PortMonitor.pfnClosePort(port->PortMonitorPort);
        DeletePort(port);
    }
    langmon::EndMonitorProcess();
    StandInTest::TearDown();
}

langmon::PortContext* FilePortContextTest::MakePort(const std::u16string& name, DWORD kind) {
    langmon::PortContext* port = CreatePort(name, u"KV Printer", monitor_);
    if (port == nullptr) return nullptr;
    std::memcpy(&port->PortMonitor, standin::monitor::FilePortMonitorTable(), sizeof(MONITOR2));
    std::u16string copy = name;
    port->PortMonitor.pfnOpenPort(standin::monitor::FilePortMonitor(), copy.data(), &port->PortMonitorPort);
    port->PortKind = kind;
    ports_.push_back(port);
    return port;
}

}  // namespace kvtest

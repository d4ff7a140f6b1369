#pragma once
// A port context made directly from the monitor's library, on the file port monitor, for the
// parts the MONITOR2 entries reach only on followed ports.
#include "langmon/Monitor.h"
#include "tests/support/TestRoot.h"

namespace kvtest {

class PortContextTest : public StandInTest {
protected:
    void SetUp() override;
    void TearDown() override;
    /// A context of that kind with the file port monitor's port open below it.
    langmon::PortContext* MakePort(const std::u16string& name, DWORD kind);

    langmon::MonitorHandle monitor_{};
    std::vector<langmon::PortContext*> ports_;
};

}  // namespace kvtest

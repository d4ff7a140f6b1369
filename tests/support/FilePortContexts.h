#pragma once
// A fixture of port contexts made directly from the monitor's library, each with the file port
// monitor's port open below it, for the parts no MONITOR2 entry reaches directly. Its waits
// are milliseconds; a fixture of its own may shorten more of them after SetUp.
#include <string>
#include <vector>

#include "langmon/MonitorProcess.h"
#include "tests/support/TestRoot.h"

namespace kvtest {

class FilePortContextTest : public StandInTest {
protected:
    void SetUp() override;
    void TearDown() override;
    /// A context of that kind with the file port monitor's port open below it.
    langmon::PortContext* MakePort(const std::u16string& name, DWORD kind);

    langmon::MonitorHandle monitor_{};
    std::vector<langmon::PortContext*> ports_;
};

}  // namespace kvtest

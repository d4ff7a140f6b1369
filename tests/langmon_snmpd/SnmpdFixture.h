#pragma once
// A test with Debian's snmpd serving the test printer: the objects of `printer_` are written
// to the pass program's file and snmpd is started before the test body; Publish() rewrites the
// file, and the next request sees the change. Without a running snmpd the test is skipped,
// or fails when the environment says the agent is required (KV_REQUIRE_SNMPD=1, set by
// tools/test.sh, which installs it).
#include <string>

#include "langmon/snmp/SnmpClient.h"
#include "tests/langmon_snmpd/PrinterObjects.h"
#include "tests/langmon_snmpd/SnmpdProcess.h"
#include "tests/support/TestRoot.h"
#include "tools/sample/Waits.h"

namespace kvtest {

class SnmpdTest : public StandInTest {
protected:
    void SetUp() override;
    void TearDown() override;

    /// Rewrites the objects file from printer_.
    void Publish();
    /// Client settings aimed at snmpd: one wait of `waitMs`, two per request.
    snmp::SnmpSettings Settings(uint32_t waitMs = kAnswerWaitMs) const;
    /// Starts snmpd again after StopAgent, on the same port.
    [[nodiscard]] bool RestartAgent();
    void StopAgent() { snmpd_.Stop(); }
    std::string ObjectsFile() const { return folder_ + "/objects.txt"; }

    PrinterObjects printer_;
    SnmpdProcess snmpd_;

private:
    std::string folder_;
    bool socketsStarted_ = false;
};

}  // namespace kvtest

#pragma once
// The monitor as the spooler loads it, on a followed network port whose printer uses this
// model's driver and is watched by the status manager stand-in, with every trace flag on.
#include <string>
#include <vector>

#include "platform/Monitor.h"
#include "platform/StandInMonitor.h"
#include "platform/StatusManager.h"
#include "tests/support/MachineKeys.h"
#include "tests/support/ManagerModule.h"
#include "tests/support/TestRoot.h"
#include "tools/sample/SnmpAgent.h"
#include "tools/standins/srm/SrmControls.h"

namespace kvtest {

inline constexpr char16_t kWirePrinter[] = u"KV Printer";
inline constexpr char16_t kWirePort[] = u"IP_127.0.0.1";
inline constexpr char16_t kTracePath[] = u"C:\\ZEVKV-TD520LOG\\ZEVLM-KV Printer.TRG";

/// The status manager stand-in as a client of it sees a printer.
class ManagerView {
public:
    /// The variable's bytes, empty when the manager has none.
    std::vector<BYTE> Read(const std::u16string& printer, const char* name);
    DWORD ReadDword(const std::u16string& printer, const char* name, DWORD otherwise = 0xDEADBEEF);
    /// Updates of that variable the manager received so far.
    size_t UpdateCount(const std::u16string& variable);

private:
    ManagerModule srm_;
};

class WireTest : public StandInTest {
protected:
    void SetUp() override;
    void TearDown() override;
    /// Loads the monitor again (the root's waits are read at initialisation).
    void Reload();
    /// Replaces ZEVLMLOG.INI; the trace settings are read when a port opens.
    void WriteIni(const std::string& keys);

    HANDLE Open(const std::u16string& port = kWirePort);
    BOOL Start(HANDLE port, DWORD jobId);
    bool WriteAll(HANDLE port, const std::vector<BYTE>& bytes);
    bool RunJob(HANDLE port, DWORD jobId, size_t bytes = 300);
    std::string Text(const std::u16string& path);

    standin::monitor::LanguageMonitorHost host_;
    MONITOR2* table_ = nullptr;
    /// The port's printer: the supported model, idle, with paper.
    SnmpAgent agent_;
};

}  // namespace kvtest

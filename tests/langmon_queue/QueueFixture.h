#pragma once
// The monitor's MONITOR2 table taken from its library as the spooler takes it, over the file
// port monitor, on a standard TCP/IP port whose printer is a loopback SNMP agent and whose
// printer is bound to the status manager stand-in. Every wait is milliseconds; every trace
// flag is on. Tests drive the table and look into the port context behind its handle.
#include <functional>
#include <string>
#include <vector>

#include "langmon/MonitorProcess.h"
#include "platform/Monitor.h"
#include "platform/StatusManager.h"
#include "tests/support/ManagerModule.h"
#include "tools/sample/PrinterOids.h"
#include "tests/support/TestRoot.h"
#include "tools/sample/SnmpAgent.h"
#include "tools/standins/srm/SrmControls.h"

namespace kvtest {

/// The job control that reports the last page ejected.
inline constexpr DWORD kEject = JOB_CONTROL_LAST_PAGE_EJECTED;

inline constexpr char16_t kQueuePrinter[] = u"KV Printer";
inline constexpr char16_t kQueuePort[] = u"IP_127.0.0.1";
inline constexpr char16_t kQueueTrace[] = u"C:\\ZEVKV-TD520LOG\\ZEVLM-KV Printer.TRG";
inline constexpr char16_t kQueueHistory[] = u"C:\\Relay\\RAS\\Trc\\LMOUT_KV Printer_20240305_001.txt";
inline constexpr char kCancelColumn[] = "1.3.6.1.4.1.253.8.76.3.2.1.1.1.";

/// The status manager stand-in as another client reads it.
class ManagerReader {
public:
    /// The variable's DWORD, `otherwise` when the manager has no 4-byte value.
    DWORD Dword(const char* name, DWORD otherwise = 0xDEADBEEF);
    /// Updates of that variable the manager received so far (from any client).
    size_t Updates(const std::u16string& variable);

private:
    ManagerModule srm_;
};

/// The job's first bytes as the rendering library writes them: UEL, the JOB line with the
/// 24-character name and the 45-character JCID, ENTER, then `body` bytes of data.
std::vector<BYTE> PjlJob(const std::string& jcid, size_t body = 200);
/// A 45-character JCID of digits and capitals made from the job id.
std::string JcidFor(DWORD jobId);

class QueueTest : public StandInTest {
protected:
    void SetUp() override;
    void TearDown() override;

    /// The agent serves the supported printer, idle, with paper.
    void LoadAgentPrinter();
    /// Opens the port; the context behind it aims its SNMP client at the agent.
    HANDLE Open();
    void Close();
    BOOL Start(DWORD jobId);
    bool Write(const std::vector<BYTE>& bytes);
    BOOL End();
    /// Start, write and end one job; false when a call failed.
    bool RunJob(DWORD jobId, const std::vector<BYTE>& bytes);

    /// The printer answered a device check as the supported model.
    bool WaitSupported();
    static bool WaitFor(const std::function<bool()>& done, int limitMs = 3000);

    DWORD QueueLength();
    std::vector<DWORD> QueuedJobs();
    std::string Trace();
    /// SET requests the agent received.
    std::vector<ReceivedRequest> Sets() const;
    /// The spooler job's JOB_CONTROL commands.
    static std::vector<DWORD> Commands(DWORD jobId);

    SnmpAgent agent_;
    HKEY root_ = nullptr;
    MONITORINIT init_{};
    HANDLE monitor_ = nullptr;
    MONITOR2* table_ = nullptr;
    HANDLE handle_ = nullptr;
    langmon::PortContext* port_ = nullptr;
};

}  // namespace kvtest

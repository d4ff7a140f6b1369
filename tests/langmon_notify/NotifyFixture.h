#pragma once
// A followed network port whose printers are bound to the status manager stand-in through the
// monitor's own binding code, each with its notification thread, and a loopback SNMP agent as
// the printer. Every wait of the port is a few milliseconds.
#include <functional>
#include <string>
#include <vector>

#include "langmon/MonitorProcess.h"
#include "langmon/status/StatusManagerLink.h"
#include "platform/StatusManager.h"
#include "tests/support/TestRoot.h"
#include "tools/sample/SnmpAgent.h"
#include "tools/standins/srm/SrmControls.h"

namespace kvtest {

inline constexpr char16_t kNotifyPort[] = u"IP_127.0.0.1";
inline constexpr char16_t kNotifyPrinter[] = u"KV Printer";
inline constexpr char16_t kNotifyDriver[] = u"ZEV KV-TD520 (VX)";
/// The language monitor every test printer's driver names.
inline constexpr char16_t kNotifyMonitor[] = u"Stanvel Language Monitor for ZEV KV-TD520 (VX)";

/// The status manager as another client of it sees a printer: values written through a
/// connection of its own (so the monitor's registrations hear of them), and the records.
class ManagerClient {
public:
    ManagerClient() = default;
    ~ManagerClient() { Unload(); }
    ManagerClient(const ManagerClient&) = delete;
    ManagerClient& operator=(const ManagerClient&) = delete;
    /// Loads the manager by name (once the test's root is in place).
    bool Load();
    void Unload();

    DWORD Write(const std::u16string& printer, const char16_t* name, const void* value, DWORD cb);
    DWORD WriteDword(const std::u16string& printer, const char16_t* name, DWORD value);
    DWORD WritePort(const std::u16string& printer, DWORD first, const std::u16string& port,
                    const std::u16string& redirect = u"");
    DWORD WritePrinterName(const std::u16string& printer, const std::u16string& name);
    /// 0xDEADBEEF when the manager has no 4-byte value.
    DWORD ReadDword(const std::u16string& printer, const char* name);
    /// The monitor's live event registrations for the printer.
    DWORD Registrations(const std::u16string& printer);
    /// Updates of that variable of that printer (any variable for an empty name) so far.
    size_t Updates(const std::u16string& printer, const std::u16string& variable = u"");
    void ClearRecords();

private:
    HMODULE module_ = nullptr;
    PFN_OpenManagerExW open_ = nullptr;
    PFN_CloseManager close_ = nullptr;
    PFN_GetPrinterStatusA get_ = nullptr;
    PFN_UpdatePrinterStatusW update_ = nullptr;
    PFN_SrmTestEventRegistrations registrations_ = nullptr;
    PFN_SrmTestReadUpdates updates_ = nullptr;
    PFN_SrmTestClearRecords clear_ = nullptr;
};

struct TestPrinter {
    std::u16string name;
    std::u16string port = kNotifyPort;
    bool bidi = true;
    std::u16string monitor = kNotifyMonitor;
    std::u16string driver = kNotifyDriver;
};

class NotifyTest : public StandInTest {
protected:
    void SetUp() override;
    void TearDown() override;

    /// The printer in the spooler and in the spooler's registry (its driver's name).
    void AddPrinter(const TestPrinter& printer);
    /// The port context of the standard TCP/IP kind, aimed at the agent; its printer is the
    /// port's printer name.
    void MakePort(const std::u16string& printer = kNotifyPrinter, const std::u16string& name = kNotifyPort);
    /// LoadStatusManager as the job flow calls it; NULL when refused.
    SrmBinding* Bind(const std::u16string& printer = kNotifyPrinter, bool replay = true);
    /// Binds and waits until the printer's notification thread has registered.
    void BindAndWait(const std::u16string& printer = kNotifyPrinter);
    /// PJLMonClosePort; the context is gone afterwards.
    void ClosePort();

    size_t BindingCount();
    bool IsBound(const std::u16string& printer);
    /// The bound printers' names in binding order.
    std::vector<std::u16string> BoundNames();
    bool PollingAlive() const;
    /// A field of the port whose rule is PortLock, read under it: the port's threads run.
    DWORD Locked(DWORD langmon::PortContext::*field) const;
    /// Variable polling at this interval for the port.
    void Variable(DWORD intervalMs);
    /// Sets the named event the way another process would.
    void Signal(const std::u16string& name);

    static bool WaitFor(const std::function<bool()>& done, int limitMs = 5000);
    static void Pause(int ms);

    SnmpAgent agent_;
    ManagerClient manager_;
    langmon::MonitorHandle monitor_{};
    langmon::PortContext* port_ = nullptr;
};

}  // namespace kvtest

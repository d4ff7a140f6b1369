#pragma once
// The status window library loaded by name in the status-monitor host, for one printer whose
// manager side the test writes as the monitor would (its own connection to the loaded manager
// stand-in), with the language libraries installed where the driver's key points.
#include <string>
#include <vector>

#include "platform/StandIn.h"
#include "resources/psw/PswIds.h"
#include "tests/support/PswHostedFixture.h"
#include "tools/standins/srm/SrmControls.h"

namespace kvtest {

inline constexpr char kHostPrinter[] = "KV Status";
inline constexpr char16_t kHostPrinterW[] = u"KV Status";
inline constexpr char16_t kHostPort[] = u"IP_127.0.0.1";
inline constexpr char16_t kHostDriverKey[] = u"Software\\ZEV\\Stanvel\\Printers\\ZEV KV-TD520 (VX)";
inline constexpr char16_t kHostUserKey[] = u"Software\\ZEV\\Stanvel\\KV Status\\PSW";

// Words of "PrinterStatus" (H, M, L) as the monitor publishes them.
inline constexpr DWORD kLowOnline = 0x1;
inline constexpr DWORD kLowPrinting = 0x8;
inline constexpr DWORD kLowPaperOut = 0x10000;  // L bit of the paper-out row

class PswHostTest : public PswHostedTest {
protected:
    PswHostTest() : PswHostedTest(kHostDriverKey) {}
    void SetUp() override;

    /// A value of the user's settings key (before Create, or with the watch event set).
    void SetUserDword(const char16_t* name, DWORD value) { PswHostedTest::SetUserDword(kHostUserKey, name, value); }
    // The monitor's side, on its own connection to the manager.
    void Publish(const char* name, const void* value, DWORD cb);
    void PublishDword(const char* name, DWORD value) { Publish(name, &value, sizeof value); }
    void PublishStatus(DWORD high, DWORD middle, DWORD low);
    /// A value stored as given (any size), as a misbehaving manager would hand it out.
    void SetRaw(const char16_t* name, const void* value, DWORD cb);
    /// A job of `user` in the spooler; with `taken` the monitor reports it taken for the port.
    void AddJob(DWORD id, const std::u16string& document, const std::u16string& user, bool taken);
    /// A value as a status window reads it from the manager; empty when it has none.
    std::vector<BYTE> ReadValue(const char16_t* name);
    /// Tells the manager that the spooler's jobs changed.
    void SpoolerChanged();

    /// Creates the printer's window set (expects success).
    HWND Create();
    /// The base dialog of a main window, and a control's text.
    static HWND BaseDialog(HWND main);
    static std::u16string ControlText(HWND main, int id);
    /// Pumps until the status text reads `text`.
    bool WaitForStatusText(HWND main, const std::u16string& text, DWORD timeoutMs = 5000);

    std::u16string user_;
    /// Cleared before SetUp by tests whose values come from the loaded monitor itself.
    bool writesAsMonitor_ = true;

private:
    DWORD monitor_ = 0;
    DWORD queued_ = 0;
    PFN_GetPrinterStatusW get_ = nullptr;
    PFN_SrmTestSetRawValue raw_ = nullptr;
    PFN_SrmStandInSpoolerChanged spoolerChanged_ = nullptr;
};

}  // namespace kvtest

#pragma once
// Fixture of the status-query tests: the sample printer, the status manager stand-in loaded
// by name for its test controls, a connection of the monitor's kind that publishes the
// printer's variables, a monitor that answers refresh requests as the test sets, and a window
// of the sheet's thread for the answers that are posted.
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/StatusManager.h"
#include "platform/User.h"
#include "settings/PrinterData.h"
#include "tests/support/TestRoot.h"
#include "tools/sample/SamplePrinter.h"
#include "tools/standins/srm/SrmControls.h"

namespace kvuitest {

/// The monitor's side of refresh requests: each request's list is recorded, the values set in
/// `publish` are published, and the answer given; with `hold` set it first waits until
/// released (at most 30 s).
class TestMonitor {
public:
    TestMonitor();
    ~TestMonitor();
    TestMonitor(const TestMonitor&) = delete;
    TestMonitor& operator=(const TestMonitor&) = delete;

    struct Value {
        std::u16string name;
        std::vector<BYTE> bytes;
    };
    void Publish(const std::u16string& name, std::vector<BYTE> bytes);
    /// Forgets the lists, the values to publish and the hold.
    void Reset();
    void Hold();
    void Release();
    /// Waits (generously) until the monitor has taken a refresh in hand / finished one.
    bool WaitEntered();
    bool WaitFinished();
    std::vector<std::string> Lists();
    std::atomic<DWORD> answer{SRMRES_SUCCESS};

    static DWORD Answer(LPCWSTR printer, void* context);
    PFN_GetPrinterStatusA get = nullptr;
    PFN_UpdatePrinterStatusW update = nullptr;
    DWORD manager = 0;

private:
    std::mutex lock_;
    std::vector<std::string> lists_;
    std::vector<Value> publish_;
    bool hold_ = false;
    HANDLE entered_;
    HANDLE release_;
    HANDLE finished_;
};

class StatusTest : public kvtest::StandInTest {
protected:
    void SetUp() override;
    void TearDown() override;

    HANDLE Printer() const { return printer_->handle(); }
    /// The monitor's connection writes a value (size rules apply).
    void Publish(const char16_t* name, const void* value, DWORD cb);
    void PublishDword(const char16_t* name, DWORD value);
    void PublishTrays(const std::vector<BinConfigEntry>& trays);
    /// A value as the test gives it, whatever its size.
    void SetRaw(const char16_t* name, const std::vector<BYTE>& bytes);
    std::vector<BYTE> Stored(const char16_t* name);
    /// Installs the monitor (until TearDown).
    void StartMonitor();
    /// This process's OpenManagerExW modes since SetUp (the fixture's own connection left out).
    std::vector<DWORD> OpenedModes();
    /// The next posted message of that number for the window, within the wait.
    bool TakePosted(UINT message, DWORD waitMs, MSG* msg = nullptr);

    HMODULE srm_ = nullptr;
    PFN_OpenManagerExW open_ = nullptr;
    PFN_CloseManager close_ = nullptr;
    PFN_GetPrinterStatusW getW_ = nullptr;
    PFN_UpdatePrinterStatusW updateW_ = nullptr;
    PFN_ResSetPrinterStatus collect_ = nullptr;
    PFN_SrmTestSetRawValue setRaw_ = nullptr;
    PFN_SrmTestOpenRequests openRequests_ = nullptr;
    PFN_SrmTestSetSettingsRefreshWait setSettingsWait_ = nullptr;
    PFN_SrmTestOpenedModes openedModes_ = nullptr;
    PFN_SrmTestSetRequestRefusal setRequestRefusal_ = nullptr;
    PFN_SrmTestClearRecords clearRecords_ = nullptr;
    PFN_SrmStandInSetRefreshHandler setRefresher_ = nullptr;
    DWORD publisher_ = 0;
    TestMonitor monitor_;
    std::unique_ptr<kvtest::ScopedPrinter> printer_;
    HWND window_ = nullptr;
};

/// One tray as the monitor reports it.
BinConfigEntry Tray(SHORT binId, SHORT value, WORD formIndex, BYTE level);
/// A count and its entries as the manager keeps the list.
std::vector<BYTE> TrayBytes(DWORD count, const std::vector<BinConfigEntry>& trays);

inline constexpr char16_t kTrayList[] = u"PrinterStatus;PrinterExtStatus;PrinterBinConfig";

}  // namespace kvuitest

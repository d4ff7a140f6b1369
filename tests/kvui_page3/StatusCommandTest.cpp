// The printer-status command of page three's menu: the wait box opens against the status
// manager, waits for the monitor's answer and takes over what the printer reports, or warns
// when the printer cannot tell its options.
#include <vector>

#include "platform/Modules.h"
#include "platform/PropSheet.h"
#include "platform/StandInShell.h"
#include "platform/StandInUi.h"
#include "platform/User.h"
#include "resources/ui/ControlIds.h"
#include "resources/ui/StringIds.h"
#include "tests/kvui_page3/Page3Fixture.h"
#include "tests/kvui_status/StatusFixture.h"
#include "tools/sample/SamplePrinter.h"
#include "ui/status/StatusQuery.h"

namespace kvuipage3 {
namespace {

template <class Fn>
Fn Export(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// The status manager stand-in with the sample printer's monitor connected: it publishes the
// printer's variables and answers refresh requests through the test's monitor.
class ManagerWithMonitor {
public:
    ManagerWithMonitor() : srm_(LoadLibraryW(kSrmLibraryName)) {
        if (srm_ == nullptr) return;
        open_ = Export<PFN_OpenManagerExW>(srm_, "OpenManagerExW");
        close_ = Export<PFN_CloseManager>(srm_, "CloseManager");
        setHandler_ = Export<PFN_SrmStandInSetRefreshHandler>(srm_, "SrmStandInSetRefreshHandler");
        monitor.get = Export<PFN_GetPrinterStatusA>(srm_, "GetPrinterStatusA");
        monitor.update = Export<PFN_UpdatePrinterStatusW>(srm_, "UpdatePrinterStatusW");
        if (open_ == nullptr || close_ == nullptr || setHandler_ == nullptr || monitor.get == nullptr ||
            monitor.update == nullptr) {
            return;
        }
        if (open_(kvtest::kSamplePrinterName, u"\\\\.\\kjlmon", kSrmModeMonitor, &monitor.manager) != SRMRES_SUCCESS) return;
        ready_ = setHandler_(kvuitest::TestMonitor::Answer, &monitor) != FALSE;
    }
    ~ManagerWithMonitor() {
        monitor.Release();
        if (setHandler_ != nullptr) setHandler_(nullptr, nullptr);
        if (monitor.manager != 0) close_(monitor.manager);
        if (srm_ != nullptr) FreeLibrary(srm_);
    }
    ManagerWithMonitor(const ManagerWithMonitor&) = delete;
    ManagerWithMonitor& operator=(const ManagerWithMonitor&) = delete;

    bool Ready() const { return ready_; }
    bool PublishDword(const char16_t* name, DWORD value) {
        return monitor.update(monitor.manager, name, &value, sizeof value) == SRMRES_SUCCESS;
    }

    kvuitest::TestMonitor monitor;

private:
    HMODULE srm_;
    PFN_OpenManagerExW open_ = nullptr;
    PFN_CloseManager close_ = nullptr;
    PFN_SrmStandInSetRefreshHandler setHandler_ = nullptr;
    bool ready_ = false;
};

std::vector<BYTE> StatusWords(DWORD middle) {
    std::vector<BYTE> bytes(12, 0);
    for (int i = 0; i < 4; ++i) bytes[4 + i] = static_cast<BYTE>(middle >> (8 * i));
    return bytes;
}

TEST_F(Page3Test, ThePrinterStatusCommandWaitsForThePrintersAnswer) {
    struct Case {
        const char* name;
        DWORD middleWord;  // of the status the monitor publishes
        bool taken;        // the options are taken over and the sheet told of the change
        std::vector<UINT> warnings;
    };
    const Case cases[] = {
        {"ready", 0, true, {}},
        {"offline", 0x100, false, {kPrinterOfflineMessage}},
        {"busy", 0x200, false, {kPrinterBusyMessage}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        standin::ui::ResetShell();
        standin::ui::OnMessageBox([](const standin::ui::MessageBoxCall&) { return IDOK; });
        ManagerWithMonitor manager;
        ASSERT_TRUE(manager.Ready());
        ASSERT_TRUE(manager.PublishDword(u"PrinterExtStatus", 0x4));
        manager.monitor.Publish(u"PrinterStatus", StatusWords(c.middleWord));
        std::vector<int> opened;
        subDialog_ = [&](HWND dialog) {
            opened.push_back(GetDlgItem(dialog, kStatusWaitText) != nullptr ? kStatusWaitBoxTemplate : 0);
        };
        bool reported = false;
        bool changed = false;
        RunPage(nullptr, [&](Page& page) {
            page.context->workingBlock.OptionFlags &= ~kOptionPrinterReported;
            standin::ui::OnTrackPopupMenu([](HMENU menu, HWND) -> UINT {
                const UINT state = GetMenuState(menu, kReadStatusItem, MF_BYCOMMAND);
                return state != static_cast<UINT>(-1) && (state & (MF_GRAYED | MF_DISABLED)) == 0 ? kReadStatusItem : 0;
            });
            SendMessageW(page.dialog, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(page.dialog), -1);
            Pump();
            reported = (page.context->workingBlock.OptionFlags & kOptionPrinterReported) != 0;
            changed = IsWindowEnabled(GetDlgItem(page.sheet, ID_APPLY_NOW)) != FALSE;
        }, false);
        EXPECT_EQ(opened, std::vector<int>{kStatusWaitBoxTemplate});
        EXPECT_TRUE(manager.monitor.WaitFinished());
        EXPECT_TRUE(reported);  // the printer reports its status, whatever the status says
        std::vector<std::u16string> expected;
        for (UINT id : c.warnings) expected.push_back(String(id));
        std::vector<std::u16string> shown;
        for (const auto& call : standin::ui::MessageBoxes()) shown.push_back(call.text);
        EXPECT_EQ(shown, expected);
        EXPECT_EQ(changed, c.taken);
    }
}

}  // namespace
}  // namespace kvuipage3

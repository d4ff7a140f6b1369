// The whole path: a network printer (the SNMP agent fixture) followed by the loaded language
// monitor over a standard TCP/IP port, the monitor publishing to the loaded manager stand-in,
// and the status window library in the status-monitor host reading the manager. The printer
// goes from ready to paper out, then prints a job of the user's, then is ready again; the
// window's texts, popup and pictures follow, in English and in Japanese.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "langmon/PortContext.h"
#include "platform/Monitor.h"
#include "platform/StandInDraw.h"
#include "platform/StandInMonitor.h"
#include "platform/User.h"
#include "tests/psw_host/HostFixture.h"
#include "tests/support/MachineKeys.h"
#include "tests/support/MonitorSetup.h"
#include "tools/sample/PrinterOids.h"
#include "tools/sample/MonitorPass.h"
#include "tools/sample/PortSetup.h"
#include "tools/sample/SnmpAgent.h"

namespace kvtest {
namespace {

constexpr char16_t kTcpPorts[] = u"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports\\";
constexpr DWORD kFollowMs = 10000;  // the monitor polls every few ms: generous for a loaded machine

// Status texts of the rows the printer goes through.

// hrPrinterStatus and hrDeviceStatus values.
constexpr int64_t kPrinterOther = 1;
constexpr int64_t kPrinterIdle = 3;
constexpr int64_t kPrinterPrinting = 4;
constexpr int64_t kDeviceRunning = 2;
constexpr int64_t kDeviceDown = 5;

class StatusWindowEndToEnd : public PswHostTest, public ::testing::WithParamInterface<DWORD> {
protected:
    void SetUp() override {
        writesAsMonitor_ = false;
        PswHostTest::SetUp();
        if (HasFatalFailure()) return;
        SetLanguage(GetParam());
        SetMachineString(std::u16string(kTcpPorts) + kHostPort, u"IPAddress", u"127.0.0.1");
        standin::monitor::SetPorts({{kHostPort, u"TCPMON.DLL", u"Standard TCP/IP Port", PORT_TYPE_WRITE}});
        AddStatusVariablesKey();
        agent_.LoadPrinter();
        agent_.SetInteger(kTrayLevelOid, 0);
        ASSERT_NO_FATAL_FAILURE(LoadMonitorWithWaits(
            monitor_, U16(KV_LANGMON_MODULE),
            ShortRootWaits(20, {{u"StatusQueuedInterval", 10}, {u"StatusIdleInterval", 30}, {u"EndedJobRecordPause", 1}})));
        port_ = OpenFilePort(monitor_.Table(), monitor_.Monitor(), kHostPort, kHostPrinterW);
        ASSERT_NE(port_, nullptr) << GetLastError();
        AimAtAgent(*langmon::PortFromHandle(port_), agent_);
    }
    void TearDown() override {
        host_.Unload();
        if (port_ != nullptr) {
            EXPECT_TRUE(monitor_.Table()->pfnClosePort(port_));
        }
        monitor_.Unload();
        PswHostTest::TearDown();
    }

    std::u16string Text(UINT id) { return LibraryString(GetParam(), id); }
    /// The users of a queue's jobs as the manager serves them to the window.
    std::vector<std::u16string> QueueUsers(const char16_t* name) {
        const std::vector<BYTE> value = ReadValue(name);
        DWORD count = 0;
        if (value.size() >= sizeof count) std::memcpy(&count, value.data(), sizeof count);
        std::vector<std::u16string> users;
        for (DWORD i = 0; i < count && 4 + (i + 1) * sizeof(SRM_JOB_INFO_W) <= value.size(); ++i) {
            SRM_JOB_INFO_W job{};
            std::memcpy(&job, value.data() + 4 + i * sizeof job, sizeof job);
            job.szUserName[31] = 0;
            users.emplace_back(job.szUserName);
        }
        return users;
    }
    void PrinterState(int64_t printer, int64_t device, const std::vector<std::string>& alerts) {
        agent_.SetInteger(kHrPrinterOid, printer);
        agent_.SetInteger(kHrDeviceOid, device);
        agent_.SetAlerts(alerts);
    }
    /// The window painted, saved as a PNG in the output folder's psw_host folder, and its pixels.
    standin::ui::Pixels Picture(HWND main, const std::string& state) {
        const std::filesystem::path folder = std::filesystem::path(KV_OUT_DIR) / "psw_host";
        std::filesystem::create_directories(folder);
        const std::string name = "status-" + std::to_string(GetParam()) + "-" + state + ".png";
        EXPECT_TRUE(standin::ui::SavePicture(main, (folder / name).string())) << name;
        return standin::ui::PaintWindow(main);
    }

    SnmpAgent agent_;
    standin::monitor::LanguageMonitorHost monitor_;
    HANDLE port_ = nullptr;
};

// Pixels that differ between two pictures of the same window.
size_t Differing(const standin::ui::Pixels& a, const standin::ui::Pixels& b) {
    if (a.width != b.width || a.height != b.height) return a.bgr.size() + b.bgr.size();
    size_t n = 0;
    for (size_t i = 0; i < a.bgr.size(); i += 3) {
        if (a.bgr[i] != b.bgr[i] || a.bgr[i + 1] != b.bgr[i + 1] || a.bgr[i + 2] != b.bgr[i + 2]) ++n;
    }
    return n;
}

TEST_P(StatusWindowEndToEnd, ReadyPaperOutPrintingTheUsersJobAndReadyAgain) {
    // The monitor follows the port, so the manager's "LMStatus" has bit 0 set: an error found
    // while a job waits in the spooler counts for the popup.
    const HWND main = Create();
    ASSERT_NE(main, nullptr);

    // Ready: the text says so; nothing of the user's, so no popup.
    ASSERT_TRUE(WaitForStatusText(main, Text(kStatusTextReady), kFollowMs)) << U8(ControlText(main, kBaseStatusLabel));
    EXPECT_FALSE(IsWindowVisible(main));
    const standin::ui::Pixels ready = Picture(main, "ready");

    // Paper out: the error row, still no popup (no job of the user's waits).
    PrinterState(kPrinterOther, kDeviceDown, {"Hop No Paper"});
    ASSERT_TRUE(WaitForStatusText(main, Text(kStatusTextPaperOut), kFollowMs))
        << U8(ControlText(main, kBaseStatusLabel));
    EXPECT_FALSE(IsWindowVisible(main));
    const standin::ui::Pixels paperOut = Picture(main, "paper-out");
    EXPECT_GT(Differing(ready, paperOut), 0u) << "the status text is drawn";

    // A job of the user's comes to the port while the printer has no paper: it waits in the
    // spooler's queue and the window pops up for it.
    const std::u16string document = u"Quarterly report";
    standin::monitor::AddJob(kHostPrinterW, 7, 0, document, user_);
    SpoolerChanged();
    std::u16string writable = kHostPrinterW;
    DOC_INFO_1W info{const_cast<LPWSTR>(document.c_str()), nullptr, nullptr};
    ASSERT_TRUE(monitor_.Table()->pfnStartDocPort(port_, writable.data(), 7, 1, reinterpret_cast<LPBYTE>(&info)));
    std::string page = "Page one of the report.\f";
    DWORD written = 0;
    EXPECT_TRUE(monitor_.Table()->pfnWritePort(port_, reinterpret_cast<LPBYTE>(page.data()),
                                                static_cast<DWORD>(page.size()), &written));
    EXPECT_TRUE(host_.PumpUntil([&] { return IsWindowVisible(main) != FALSE; }, kFollowMs)) << "the popup";
    EXPECT_EQ(ControlText(main, kBaseStatusLabel), Text(kStatusTextPaperOut));
    EXPECT_EQ(QueueUsers(u"SpoolerQueue"), std::vector<std::u16string>{user_});
    EXPECT_TRUE(QueueUsers(u"PrinterQueue").empty());
    const standin::ui::Pixels popup = Picture(main, "paper-out-popup");

    // Paper loaded: the printer prints it; with the error gone the popup closes by itself.
    PrinterState(kPrinterPrinting, kDeviceRunning, {});
    EXPECT_TRUE(WaitForStatusText(main, Text(kStatusTextPrinting), kFollowMs))
        << U8(ControlText(main, kBaseStatusLabel));
    const standin::ui::Pixels printing = Picture(main, "printing");
    EXPECT_GT(Differing(popup, printing), 0u);
    EXPECT_TRUE(host_.PumpUntil([&] { return !IsWindowVisible(main); }, kFollowMs)) << "the popup closes";

    // The job is done and the printer idle: ready again, the queues empty.
    EXPECT_TRUE(monitor_.Table()->pfnEndDocPort(port_));
    PrinterState(kPrinterIdle, kDeviceRunning, {});
    standin::monitor::SetJobStatus(kHostPrinterW, 7, JOB_STATUS_PRINTED);
    SpoolerChanged();
    EXPECT_TRUE(WaitForStatusText(main, Text(kStatusTextReady), kFollowMs)) << U8(ControlText(main, kBaseStatusLabel));
    EXPECT_TRUE(QueueUsers(u"SpoolerQueue").empty());
    EXPECT_FALSE(IsWindowVisible(main));
    EXPECT_EQ(Differing(ready, Picture(main, "ready-again")), 0u);
}

INSTANTIATE_TEST_SUITE_P(Languages, StatusWindowEndToEnd, ::testing::Values(1033u, 1041u),
                         [](const ::testing::TestParamInfo<DWORD>& info) {
                             return info.param == 1033 ? std::string("English") : std::string("Japanese");
                         });

}  // namespace
}  // namespace kvtest

// A window set's life through the host: the first popup decided once everything is in place,
// a failed creation that leaves nothing behind, destroy (also from inside the authority
// notice, and while the settings watcher has news), several sets on one thread, and the
// status text that follows the printer while a refresh is pending.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "psw/StatusTables.h"
#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/StandInUi.h"
#include "platform/User.h"
#include "tests/psw_host/HostFixture.h"

namespace kvtest {
namespace {

constexpr DWORD kSettleMs = 5000;

using WindowSetLife = PswHostTest;

// The status-monitor program finds the entry points and the window and dialog procedures by
// their names.
TEST_F(WindowSetLife, TheLibraryExportsItsEntryPointsAndProcedures) {
    HMODULE library = LoadLibraryW(u"QW774ZZZ.DLL");
    ASSERT_NE(library, nullptr);
    for (const char* name : {"GetPSWStatusTable", "InitializeStatusWindowEx", "DisplayStatusWindow",
                             "CloseStatusWindow", "DestroyStatusWindow", "MainWndProc", "EWS_MainWndProc",
                             "BaseDlgProc", "AuthorityDlgProc", "EwsDlgProcHead", "EwsDlgProcLeft", "EwsDlgProcFoot",
                             "EwsDlgProcR01", "EwsDlgProcR02", "EwsDlgProcR03", "EwsDlgProcR04", "EwsDlgProcR05",
                             "EwsDlgProcR06"}) {
        EXPECT_NE(GetProcAddress(library, name), nullptr) << name;
    }
    FreeLibrary(library);
}

TEST_F(WindowSetLife, TheFirstPopupIsDecidedAtTheEndOfCreation) {
    // A job of the user's is printing before the window exists: it pops up at once, with
    // its stored size, unless watching is off.
    struct Case {
        DWORD watch;
        bool shown;
    } const cases[] = {{1, true}, {0, false}};
    for (const Case& c : cases) {
        SetUserDword(u"WatchPrinter", c.watch);
        AddJob(c.watch + 1, u"Report", user_, true);
        const HWND main = Create();
        EXPECT_EQ(IsWindowVisible(main) != FALSE, c.shown) << "watch " << c.watch;
        RECT rect{};
        GetWindowRect(main, &rect);
        EXPECT_GT(rect.right - rect.left, 0);
        EXPECT_GT(rect.bottom - rect.top, 0);
        host_.Pump();
        EXPECT_EQ(IsWindowVisible(main) != FALSE, c.shown) << "nothing later undoes the decision";
        host_.Destroy(main);
    }
}

TEST_F(WindowSetLife, AFailedCreationLeavesNoWindowAndNoQuit) {
    // The manager is the last library a creation loads, after the main window was made.
    standin::ClearFaults();
    host_.Destroy(Create());
    const unsigned loads = standin::CallCount(standin::Fault::LoadLibrary);
    ASSERT_GT(loads, 0u);
    const unsigned windows = standin::ui::LiveWindowCount();
    standin::InjectFault(standin::Fault::LoadLibrary, ERROR_MOD_NOT_FOUND, loads - 1);
    pswhost::WindowSet set;
    EXPECT_EQ(host_.Create(kHostPrinter, &set), static_cast<DWORD>(SRMERR_LOAD));
    standin::ClearFaults();
    EXPECT_EQ(set.main, nullptr);
    EXPECT_EQ(standin::ui::LiveWindowCount(), windows);
    host_.Pump();
    EXPECT_FALSE(host_.SawQuit());
    // The class and the thread serve the next set.
    const HWND main = Create();
    EXPECT_TRUE(IsWindow(main));
}

TEST_F(WindowSetLife, DestroyDestroysAndALateNotificationFindsNothing) {
    host_.Parent();
    const unsigned windows = standin::ui::LiveWindowCount();
    const HWND main = Create();
    const HWND base = BaseDialog(main);
    ASSERT_TRUE(IsWindow(base));
    ASSERT_TRUE(host_.Show(main, 1) == 0 && IsWindowVisible(main));
    // Queued for the window before it goes, handled after.
    PostMessageW(main, WM_PSW_CURRENTSTATUS, 0, 0);
    PostMessageW(main, WM_PSW_PRINTERQUEUE, 0, 0);
    EXPECT_EQ(host_.Destroy(main), 0u);
    EXPECT_FALSE(IsWindow(main));
    EXPECT_FALSE(IsWindow(base));
    EXPECT_EQ(standin::ui::LiveWindowCount(), windows);
    host_.Pump();
    EXPECT_FALSE(host_.SawQuit());
    // The handle is no status window any more: refused, not read.
    EXPECT_NE(host_.Exports().DestroyStatusWindow(main), 0u);
    EXPECT_NE(host_.Show(main, 1), 0u);
}

TEST_F(WindowSetLife, DestroyingOneSetLeavesTheOtherRunning) {
    const HWND first = Create();
    const HWND second = Create();
    ASSERT_NE(first, second);
    EXPECT_EQ(host_.Destroy(first), 0u);
    host_.Pump();
    EXPECT_FALSE(host_.SawQuit());
    PublishStatus(0, 0, kLowOnline | kLowPaperOut);
    EXPECT_TRUE(WaitForStatusText(second, LibraryString(1033, kStatusTextPaperJam)));
    EXPECT_FALSE(host_.SawQuit());
}

TEST_F(WindowSetLife, DestroyWhileTheWatcherHasNewsReturnsAtOnce) {
    const HWND main = Create();
    ASSERT_EQ(host_.Show(main, 1), 0u);
    // Watching switched off: the watcher tells the window, which closes.
    SetUserDword(u"WatchPrinter", 0);
    SignalSettings();
    EXPECT_TRUE(host_.PumpUntil([&] { return !IsWindowVisible(main); }, kSettleMs));
    host_.Pump();
    // News again: once the watcher has told the window (whatever way), the window thread
    // destroys the set without pumping first.
    SetUserDword(u"WatchPrinter", 1);
    SignalSettings();
    const auto told = [] { return (GetQueueStatus(QS_POSTMESSAGE | QS_SENDMESSAGE) & 0xFFFF) != 0; };
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kSettleMs);
    while (!told() && std::chrono::steady_clock::now() < until) std::this_thread::yield();
    ASSERT_TRUE(told());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(host_.Destroy(main), 0u);
    const auto spent = std::chrono::steady_clock::now() - start;
    EXPECT_LT(spent, std::chrono::milliseconds(2000));
    EXPECT_FALSE(IsWindow(main));
}

TEST_F(WindowSetLife, DestroyFromInsideTheAuthorityNoticeWaitsForItsLoop) {
    const DWORD refused = 0;
    SetRaw(u"UserAuthority", &refused, sizeof refused);
    host_.Parent();
    const unsigned windows = standin::ui::LiveWindowCount();
    const HWND main = Create();
    int notices = 0;
    standin::ui::OnModalDialog([&](HWND) {
        ++notices;
        EXPECT_EQ(host_.Destroy(main), 0u);
    });
    EXPECT_EQ(host_.Show(main, 1), 0u);  // refused: the notice comes through the queue
    EXPECT_TRUE(host_.PumpUntil([&] { return notices == 1 && !IsWindow(main); }, kSettleMs));
    host_.Pump();
    standin::ui::OnModalDialog({});
    EXPECT_EQ(standin::ui::LiveWindowCount(), windows);
    EXPECT_FALSE(host_.SawQuit());
}

TEST_F(WindowSetLife, TheStatusTextFollowsThePrinterWhileARefreshIsPending) {
    const HWND main = Create();
    ASSERT_TRUE(WaitForStatusText(main, LibraryString(1033, kStatusTextReady)));
    // The user asks for a refresh that nobody answers yet.
    PostMessageW(main, WM_COMMAND, kRefreshButton, 0);
    host_.Pump();
    PublishStatus(0, 0, kLowOnline | kLowPaperOut);
    EXPECT_TRUE(WaitForStatusText(main, LibraryString(1033, kStatusTextPaperJam)));
    PublishStatus(0, 0, kLowOnline);
    EXPECT_TRUE(WaitForStatusText(main, LibraryString(1033, kStatusTextReady)));
}

TEST_F(WindowSetLife, AJobNameWithoutTerminatorIsCutAtItsField) {
    const HWND main = Create();
    // Every character of the 584-byte record set: no terminator anywhere.
    std::vector<WCHAR> record(584 / sizeof(WCHAR), u'x');
    SetRaw(u"PrintingJobInfo", record.data(), 584);
    EXPECT_TRUE(host_.PumpUntil([&] { return !ControlText(main, kBaseJobNameLabel).empty(); }, kSettleMs));
    EXPECT_EQ(ControlText(main, kBaseJobNameLabel), std::u16string(255, u'x'));
}

}  // namespace
}  // namespace kvtest

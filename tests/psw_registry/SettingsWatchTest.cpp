// The settings watch thread and what the window thread does with its notice.
#include <gtest/gtest.h>

#include "psw/RegistrySettings.h"
#include "psw/SettingsWatch.h"
#include "platform/Sync.h"
#include "platform/User.h"
#include "tests/psw_registry/RegistryTestValues.h"
#include "tests/support/PswBaseFixture.h"
#include "tests/support/WaitUntil.h"

namespace {

class SettingsWatchTest : public kvtest::PswBaseTest {
protected:
    void SetUp() override {
        PswBaseTest::SetUp();
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.lpszClassName = u"PswWatchTest";
        RegisterClassW(&wc);
        window_ = CreateWindowExW(0, u"PswWatchTest", u"", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr, nullptr,
                                  nullptr);
        ASSERT_NE(window_, nullptr);
        record_->mainWindow = window_;
    }
    // Takes the watcher's notices from the queue; true when one was there.
    bool TakeNotice() {
        MSG msg{};
        bool seen = false;
        while (PeekMessageW(&msg, window_, WM_PSW_SETTING_UPDATE, WM_PSW_SETTING_UPDATE, PM_REMOVE)) seen = true;
        return seen;
    }
    static void Signal() {
        HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, kSettingUpdateEvent);
        ASSERT_NE(event, nullptr);
        SetEvent(event);
        CloseHandle(event);
    }
    HWND window_ = nullptr;
};

TEST_F(SettingsWatchTest, ASignalReachesTheWindowAndStopNeverWaitsForThePump) {
    ASSERT_TRUE(StartWatchPslSetting(record_.get(), window_));
    ASSERT_TRUE(kvtest::WaitUntil([] {
        HANDLE e = OpenEventW(EVENT_MODIFY_STATE, FALSE, kSettingUpdateEvent);
        if (e) CloseHandle(e);
        return e != nullptr;
    }, 5000));
    Signal();
    ASSERT_TRUE(kvtest::WaitUntil([this] { return TakeNotice(); }, 5000));

    // Signalled again while this (the window) thread does not pump: stopping must still end.
    Signal();
    StopWatchPslSetting(record_.get());
    EXPECT_EQ(record_->watchThread, nullptr);
    EXPECT_EQ(record_->watchStopEvent, nullptr);
    StopWatchPslSetting(record_.get());  // twice is harmless
}

TEST_F(SettingsWatchTest, WatchingOffClosesVisibleWindowsAndOnAgainReArmsThePopups) {
    ShowWindow(window_, SW_SHOW);
    record_->poppedUp = kPoppedMyJob | kPoppedOtherJob;

    SetDword(HKEY_CURRENT_USER, kUserKey, u"WatchPrinter", 0);
    PslSettingChange change = ApplyPslSetting(record_.get());
    EXPECT_TRUE(change.closeMain);
    EXPECT_FALSE(change.closeEws);  // no extended window
    ShowWindow(window_, SW_HIDE);
    // Closing counts as the user's close, which suppresses the popups of the jobs counted.
    record_->poppedUp = kPoppedMyJob | kPoppedOtherJob;
    change = ApplyPslSetting(record_.get());  // still off: nothing to close, nothing re-armed
    EXPECT_FALSE(change.closeMain);
    EXPECT_EQ(record_->poppedUp, 3u);

    SetDword(HKEY_CURRENT_USER, kUserKey, u"WatchPrinter", 1);
    change = ApplyPslSetting(record_.get());
    EXPECT_FALSE(change.closeMain);
    EXPECT_EQ(record_->mainDisplayCondition & kDisplayNoWatch, 0u);
    EXPECT_EQ(record_->poppedUp, 0u);

    // A change of another setting while watching leaves the popped-up bits alone.
    record_->poppedUp = kPoppedMyJob;
    SetDword(HKEY_CURRENT_USER, kUserKey, u"PopUpCondition", 2);
    ApplyPslSetting(record_.get());
    EXPECT_EQ(record_->poppedUp, kPoppedMyJob);
    EXPECT_EQ(record_->popUpCondition, 2u);
}

}  // namespace

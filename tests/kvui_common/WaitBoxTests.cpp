// The status wait box against the status manager stand-in: answers at once, later, never,
// refused, and the user giving up.
#include <chrono>
#include <string>

#include "platform/StandInDraw.h"
#include "platform/StandInShell.h"
#include "platform/StandInUi.h"
#include "platform/User.h"
#include "resources/ui/StringIds.h"
#include "tests/kvui_common/CommonFixture.h"
#include "ui/status/StatusQuery.h"

namespace kvuicommon {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

class WaitBox : public CommonTest {
protected:
    void PublishMiddleWord(DWORD word) {
        const DWORD words[3] = {0, word, 0};
        Publish(u"PrinterStatus", words, sizeof(words));
    }
    std::vector<std::u16string> Texts() {
        std::vector<std::u16string> texts;
        for (const auto& box : standin::ui::MessageBoxes()) texts.push_back(box.text);
        return texts;
    }
    std::u16string Text(UINT id) { return LanguageString(language_, id); }
};

TEST_F(WaitBox, APrinterWithoutStatusEndsTheBoxAtOnceWithoutAWord) {
    PublishDword(u"PrinterExtStatus", 0);
    StartMonitor();
    bool scripted = false;
    standin::ui::OnModalDialog([&](HWND) { scripted = true; });
    EXPECT_EQ(ShowStatusWaitBox(&page_, host_), 0);
    EXPECT_FALSE(scripted);
    EXPECT_TRUE(standin::ui::MessageBoxes().empty());
}

TEST_F(WaitBox, AnAnswerAlreadyThereIsEvaluatedAtOnce) {
    struct Case {
        DWORD word;
        INT_PTR result;
        UINT warning;
    };
    const Case cases[] = {{0x0, 1, 0},
                          {0x300, 0, kPrinterOfflineMessage},
                          {0x200, 0, kPrinterBusyMessage},
                          {0x1000, 0, kStatusUnreadableMessage},
                          {0x1300, 0, kPrinterOfflineMessage}};
    for (const Case& c : cases) {
        standin::ui::ResetShell();
        PublishDword(u"PrinterExtStatus", 0x14);
        PublishMiddleWord(c.word);
        StartMonitor();
        EXPECT_EQ(ShowStatusWaitBox(&page_, host_), c.result) << c.word;
        const auto texts = Texts();
        if (c.warning == 0) {
            EXPECT_TRUE(texts.empty());
            EXPECT_NE(Working().OptionFlags & kOptionPrinterReported, 0u);
        } else {
            ASSERT_EQ(texts.size(), 1u) << c.word;
            EXPECT_EQ(texts[0], Text(c.warning));
            EXPECT_EQ(standin::ui::MessageBoxes()[0].caption, std::u16string(context_->printerName));
            EXPECT_EQ(standin::ui::MessageBoxes()[0].type, MB_ICONWARNING);
        }
    }
}

TEST_F(WaitBox, ALaterAnswerIsCollectedAndEvaluated) {
    struct Case {
        DWORD answer;
        DWORD word;
        INT_PTR result;
        UINT warning;
    };
    const Case cases[] = {{SRMRES_SUCCESS, 0, 1, 0},
                          {SRMRES_SUCCESS, 0x200, 0, kPrinterBusyMessage},
                          {SRMRES_BUSY, 0, 0, kStatusUnreadableMessage}};
    for (const Case& c : cases) {
        standin::ui::ResetShell();
        monitor_.Reset();
        PublishDword(u"PrinterExtStatus", 0x4);
        monitor_.Publish(u"PrinterStatus", {0, 0, 0, 0, BYTE(c.word), BYTE(c.word >> 8), 0, 0, 0, 0, 0, 0});
        monitor_.answer = c.answer;
        StartMonitor();
        bool waited = false;
        standin::ui::OnModalDialog([&](HWND dialog) {
            waited = true;
            if (c.result == 1) standin::ui::SavePicture(dialog, (OutputFolder() / "wait-box.png").string());
        });
        EXPECT_EQ(ShowStatusWaitBox(&page_, host_), c.result);
        EXPECT_TRUE(waited);
        EXPECT_EQ(context_->status.pendingRequest, 0u);
        EXPECT_EQ(openRequests_(), 0u);
        EXPECT_EQ(Texts(), c.warning == 0 ? std::vector<std::u16string>{} : std::vector<std::u16string>{Text(c.warning)});
    }
    EXPECT_TRUE(std::filesystem::exists(OutputFolder() / "wait-box.png"));
}

TEST_F(WaitBox, ARefusedRequestWarns) {
    PublishDword(u"PrinterExtStatus", 0x4);
    StartMonitor();
    setRequestRefusal_(SRMRES_INVALID_PARAMETER);
    EXPECT_EQ(ShowStatusWaitBox(&page_, host_), 0);
    EXPECT_EQ(Texts(), std::vector<std::u16string>{Text(kStatusUnreadableMessage)});
}

TEST_F(WaitBox, NoAnswerEndsTheRequestAndTheBoxAfterTheTimeLimit) {
    setSettingsWait_(200);
    PublishDword(u"PrinterExtStatus", 0x4);
    monitor_.Hold();
    StartMonitor();
    SetStatusWaitTimeLimit(300);
    const auto started = steady_clock::now();
    EXPECT_EQ(ShowStatusWaitBox(&page_, host_), 0);
    EXPECT_GE(steady_clock::now() - started, milliseconds(300));
    EXPECT_EQ(Texts(), std::vector<std::u16string>{Text(kStatusUnreadableMessage)});
    EXPECT_EQ(context_->status.pendingRequest, 0u);
    EXPECT_EQ(context_->status.manager, nullptr);
    EXPECT_EQ(openRequests_(), 0u);
    monitor_.Release();
}

TEST_F(WaitBox, TheUserEndsAWaitWithCancelEscapeOrClose) {
    const std::function<void(HWND)> ways[] = {
        [](HWND dialog) { SendMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0); },
        [](HWND dialog) { standin::ui::PressKey(VK_ESCAPE, dialog); },
        [](HWND dialog) { PostMessageW(dialog, WM_CLOSE, 0, 0); },
    };
    setSettingsWait_(200);
    for (const auto& way : ways) {
        monitor_.Reset();
        PublishDword(u"PrinterExtStatus", 0x4);
        monitor_.Hold();
        StartMonitor();
        standin::ui::OnModalDialog(way);
        EXPECT_EQ(ShowStatusWaitBox(&page_, host_), 0);
        EXPECT_TRUE(standin::ui::MessageBoxes().empty());
        EXPECT_EQ(context_->status.pendingRequest, 0u);
        EXPECT_EQ(openRequests_(), 0u);
        monitor_.Release();
        ASSERT_TRUE(monitor_.WaitFinished());
    }
}

}  // namespace
}  // namespace kvuicommon

#pragma once
// Shared fixture of the control and property-sheet tests: a clean user side, the sample
// resource module loaded, and a log of what a parent window was told.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Kernel.h"
#include "platform/StandInControls.h"
#include "platform/StandInDraw.h"
#include "platform/StandInShell.h"
#include "platform/StandInUi.h"
#include "tests/support/TestRoot.h"

namespace uicontrols {

/// A WM_COMMAND or WM_NOTIFY (or other message) a parent received.
struct Heard {
    UINT message;
    int id;
    UINT code;  // notification code, or the message's wParam
};

class ControlsTest : public kvtest::StandInTest {
protected:
    void SetUp() override {
        StandInTest::SetUp();
        standin::ui::ResetUi();
        standin::ui::ResetShell();
        standin::ui::ClearDrawLogs();
        samples_ = LoadLibraryW(u"kvuisamples.dll");
        ASSERT_NE(samples_, nullptr);
        liveObjects_ = standin::ui::LiveGdiObjectCount();
    }
    void TearDown() override {
        standin::ui::ResetUi();
        EXPECT_EQ(standin::ui::LiveGdiObjectCount(), liveObjects_);
        if (samples_ != nullptr) FreeLibrary(samples_);
        StandInTest::TearDown();
    }
    /// A visible top-level parent ("Recorder" class) that logs what it hears and answers
    /// WM_NOTIFY with 1 for the codes listed in Refusals().
    HWND MakeParent(int width = 400, int height = 300);
    /// A child control of the parent.
    HWND MakeControl(HWND parent, LPCWSTR cls, DWORD style, int id, RECT rect = {10, 10, 210, 160},
                     LPCWSTR text = u"");

public:
    /// A 300 x 60 list box (id 9) of that style at the parent's top left.
    HWND MakeControlFor(HWND parent, DWORD style) { return MakeControl(parent, u"ListBox", style, 9, {0, 0, 300, 60}); }
    static std::vector<Heard>& Log();
    /// Codes the parent answers WM_NOTIFY with 1 (a refusal), consumed once each.
    static std::vector<UINT>& Refusals();
    static std::vector<UINT> CodesFor(int id);

protected:
    HMODULE samples_ = nullptr;
    unsigned liveObjects_ = 0;
};

}  // namespace uicontrols

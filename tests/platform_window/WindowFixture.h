#pragma once
// Fixture of the window-core tests: a clean user side per test, and a recorder of the
// messages a window receives.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Kernel.h"
#include "platform/StandInUi.h"
#include "platform/User.h"
#include "tests/support/TestRoot.h"

namespace uitest {

struct Seen {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LONG_PTR userDataThen;
};

/// Messages received by windows of the "Recorder" class, oldest first.
std::vector<Seen>& Log();
std::vector<UINT> MessagesOf(HWND hwnd);
LRESULT CALLBACK RecorderProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

class UiTest : public kvtest::StandInTest {
protected:
    void SetUp() override;
    void TearDown() override;
    /// A top-level "Recorder" window (or a child when parent is given).
    HWND MakeWindow(DWORD style, RECT rect, HWND parent = nullptr, LPVOID param = nullptr, UINT_PTR id = 0);
    HINSTANCE instance_ = nullptr;
};

}  // namespace uitest

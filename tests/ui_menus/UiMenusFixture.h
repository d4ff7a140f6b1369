#pragma once
// Fixture of the menu, accelerator, image and dialog tests: a clean user side, the test
// resource module loaded by name, and recording window classes registered for that module
// (the dialog's controls among them, so that the dialog tests need no built-in controls).
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/StandInUi.h"
#include "platform/User.h"
#include "tests/support/TestRoot.h"
#include "tests/ui_menus/resources/UiMenusIds.h"

namespace menutest {

struct Seen {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

/// Messages the recording windows received, oldest first.
std::vector<Seen>& Log();
/// The creation text of each recorded control by id (an icon's is 0xFFFF, id).
std::map<int, std::u16string>& CreationTexts();

class UiMenusTest : public kvtest::StandInTest {
protected:
    void SetUp() override;
    void TearDown() override;
    /// A top-level recording window of the module.
    HWND MakeOwner();
    std::vector<Seen> MessagesOf(HWND hwnd, UINT message) const;

    HMODULE module_ = nullptr;
};

}  // namespace menutest

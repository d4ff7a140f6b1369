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
#include "tests/platform_menus/resources/UiMenusIds.h"

namespace menutest {

/// Written into out-parameters and the last error before a call, to show what the call left alone.
inline constexpr DWORD kSentinel = 0xDEADBEEF;

/// The text of a menu item, by position or by command as `flags` says.
inline std::u16string TextOf(HMENU menu, UINT item, UINT flags) {
    char16_t buffer[64] = {};
    const int n = GetMenuStringW(menu, item, buffer, 64, flags);
    return std::u16string(buffer, static_cast<size_t>(n));
}

/// A dialog procedure that only accepts the initial focus.
inline INT_PTR CALLBACK QuietProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG ? TRUE : FALSE; }

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

class MenusTest : public kvtest::StandInTest {
protected:
    void SetUp() override;
    void TearDown() override;
    /// A top-level recording window of the module.
    HWND MakeOwner();
    std::vector<Seen> MessagesOf(HWND hwnd, UINT message) const;

    HMODULE module_ = nullptr;
};

}  // namespace menutest

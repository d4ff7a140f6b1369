#pragma once
// Shared fixture of the print-position tests: the sample printer with a sheet context made as
// the entry points make one, one page record as the dialogs' parameter, and helpers that act
// on an open dialog as a user does.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "platform/User.h"
#include "tests/support/TestRoot.h"
#include "ui/dialogs/PositionDialog.h"
#include "ui/pages/PropertyPages.h"
#include "ui/entry/UiContext.h"

namespace kvuiposition {

class PositionTest : public kvtest::StandInTest {
protected:
    void SetUp() override;
    void TearDown() override;

    /// Opens the dialog the working block asks for; the script runs once it shows and closes it.
    INT_PTR Open(const std::function<void(HWND dialog)>& script);

    /// The edit's text.
    static std::u16string Text(HWND dialog, int id);
    /// Replaces the edit's text by typing it (select all, then the characters).
    static void Type(HWND dialog, int id, const std::u16string& text);
    /// Moves the focus to OK, so that the edit that had it reports losing it.
    static void LeaveEdit(HWND dialog);
    static void Click(HWND dialog, int id);
    /// The dialog's state while it is open.
    PositionDialogState* State() { return page_.position; }
    static std::filesystem::path OutputFolder();

    HANDLE printer_ = nullptr;
    UiContext* context_ = nullptr;
    PageRecord page_{};
    unsigned liveGdiObjects_ = 0;
};

}  // namespace kvuiposition

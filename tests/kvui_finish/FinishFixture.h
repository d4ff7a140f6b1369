#pragma once
// Shared fixture of the finishing, feeder and tree dialog tests: the sample printer with its
// model, the user-interface library's resources, both language libraries, a sheet context
// whose blocks hold the printer's defaults, and a page record as the pages hand their
// dialogs. Dialogs are driven through the stand-in's modal-dialog and message-box scripts.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/StandInShell.h"
#include "platform/StandInUi.h"
#include "tests/support/TestRoot.h"
#include "ui/pages/PropertyPages.h"
#include "ui/entry/UiContext.h"

namespace kvuifinish {

class DialogTest : public kvtest::StandInTest {
protected:
    void SetUp() override;
    void TearDown() override;

    /// The language library the context uses from now on: English (SE) or Japanese (SJ).
    void UseLanguage(bool japanese);

    /// Runs `open` with a script for every modal dialog that opens meanwhile: the script gets
    /// the dialog and its nesting depth (1 for the first).
    INT_PTR Drive(const std::function<INT_PTR()>& open, const std::function<void(HWND dialog, int depth)>& script);

    /// Clicks a control of a dialog in its centre, as a user does.
    static void Click(HWND dialog, int control);
    /// Brings item `index` of the owner-drawn list into view and clicks it.
    static void ClickListItem(HWND dialog, int control, int index);
    static std::u16string TextOf(HWND dialog, int control);
    /// Writes the dialog's picture into the test folder's output; false when it could not.
    static bool SavePicture(HWND dialog, const std::string& name);

    /// The texts of the message boxes shown so far, and the text of a language string.
    std::vector<std::u16string> MessageTexts() const;
    std::u16string String(UINT id) const;

    DriverDevMode& Working() { return context_->workingBlock; }

    HANDLE printer_ = nullptr;
    HMODULE resources_ = nullptr;
    HMODULE english_ = nullptr;
    HMODULE japanese_ = nullptr;
    const ModelDescription* model_ = nullptr;
    UiPool* pool_ = nullptr;
    UiContext* context_ = nullptr;
    PageRecord page_{};
    unsigned liveGdiObjects_ = 0;
};

}  // namespace kvuifinish

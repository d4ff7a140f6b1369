#pragma once
// Document page two as a user meets it: the document sheet of the sample printer opened
// through the common property sheet library, its second tab chosen, the test's steps run on
// the page, and OK or Cancel pressed; what the sheet handed back, the warnings shown and the
// printer data are there to check afterwards.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/StandInShell.h"
#include "tests/support/TestRoot.h"
#include "ui/entry/UiContext.h"

namespace kvuipage2 {

/// What one run of the sheet left.
struct SheetOutcome {
    LONG answer = 0;                         // CommonPropertySheetUIW's answer
    std::vector<DriverDevMode> results;      // the result block at each SET_RESULT
    bool opened = false;                     // the page was shown and the steps ran
};

class Page2Test : public kvtest::StandInTest {
protected:
    void SetUp() override;
    void TearDown() override;

    /// Opens the sheet (in Japanese or English) with `prepare` run on the new context before
    /// its pages are built, runs `steps` on page two, then presses OK (or Cancel).
    SheetOutcome RunSheet(const std::function<void(HWND page, UiContext& context)>& steps, bool pressOk = true,
                          const std::function<void(UiContext& context)>& prepare = {}, bool japanese = false);

    /// Delivers the messages posted so far (the page posts some to itself).
    static void Pump();
    /// A user's actions on the page.
    static void Choose(HWND page, int combo, int index);
    /// The entry of the combo box whose item data is `data`; -1 when none.
    static int FindData(HWND page, int combo, LPARAM data);
    static void ChooseData(HWND page, int combo, LPARAM data);
    static void Click(HWND page, int control);
    /// Empties the edit and types the text into it.
    static void Retype(HWND page, int edit, const std::u16string& text);
    static std::u16string TextOf(HWND page, int control);
    static LPARAM SelectedData(HWND page, int combo);
    static bool Checked(HWND page, int control);

    /// The texts of the message boxes shown, and the string of the language library.
    static std::vector<std::u16string> MessageTexts();
    std::u16string String(UINT id, bool japanese = false) const;
    /// The value of the model's input slot of that name; -1 when none.
    int SlotValue(const std::u16string& name) const;
    /// Writes the page's picture into the test's output folder.
    static bool SavePicture(HWND page, const std::string& name);

    HANDLE printer_ = nullptr;
    HMODULE resources_ = nullptr;
    HMODULE english_ = nullptr;
    HMODULE japanese_ = nullptr;
    HMODULE htui_ = nullptr;
    const ModelDescription* model_ = nullptr;
    unsigned liveGdiObjects_ = 0;
};

}  // namespace kvuipage2

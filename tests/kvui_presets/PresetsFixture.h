#pragma once
// Shared fixture of the preset tests: the sample printer with its model (copied, so that a
// test can choose the built-in presets) and language library, a sheet context and the page
// record that opens the preset dialog, and a scripted run of the dialog.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/TestRoot.h"
#include "ui/dialogs/PresetDialog.h"
#include "ui/pages/PropertyPages.h"
#include "ui/entry/UiContext.h"

namespace kvuipresets {

// Built-in slots of the driver: 0 standard, 4 job file, 5 separate copies, 6 two-up, 7 wide.
inline constexpr DWORD kAllBuiltIns = 0xF1;

/// The user's locale as GetUserLocale reads it ("00000411" Japanese, "00000409" English).
void SetUserLocale(const char16_t* locale);

class PresetsTest : public kvtest::StandInTest {
protected:
    void SetUp() override;
    void TearDown() override;

    /// The model's PresetFlags for the next reads.
    void SetPresetFlags(DWORD flags);
    /// Opens the preset dialog; script runs once it is up (and must end it). The confirmation
    /// of a save answers confirm_.
    INT_PTR RunDialog(const std::function<void(HWND dialog)>& script);
    /// Presses a button of the dialog as a user does.
    static void Press(HWND dialog, int control);
    /// Clicks the list's item.
    static void ClickItem(HWND dialog, int item);
    /// Types the name (and comment) and presses Save.
    static void SaveAs(HWND dialog, const std::u16string& name, const std::u16string& comment = u"");
    /// The names in the list, in order.
    static std::vector<std::u16string> Names(HWND dialog);

    /// The stored table: whether it exists, and its whole records.
    bool TableStored();
    std::vector<PresetRecord> StoredTable();
    std::vector<BYTE> StoredBytes();
    void StoreTable(const std::vector<BYTE>& bytes);
    void StoreTable(const std::vector<PresetRecord>& records);
    /// A user preset of the default settings.
    PresetRecord UserPreset(const std::u16string& name, DWORD icon = 3) const;
    /// Message box texts shown, oldest first.
    static std::vector<std::u16string> Messages();
    static std::filesystem::path OutputFolder();

    HANDLE printer_ = nullptr;
    HMODULE resources_ = nullptr;
    HMODULE language_ = nullptr;
    std::vector<BYTE> model_;
    UiContext* context_ = nullptr;
    PageRecord page_{};
    INT_PTR confirm_ = 1;
    int confirmations_ = 0;
};

}  // namespace kvuipresets

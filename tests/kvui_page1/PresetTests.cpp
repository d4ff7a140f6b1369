// Page one's presets against the stored table: a table the page could not read whole is never
// written back when the page is left or cancelled, and one that was read is; a preset clicked
// is applied, and one saved from the button or the menu is stored and shown.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/Spooler.h"
#include "platform/StandInControls.h"
#include "platform/StandInShell.h"
#include "platform/StandInUi.h"
#include "resources/ui/ControlIds.h"
#include "tests/kvui_page1/Page1Fixture.h"
#include "ui/dialogs/PresetDialog.h"
#include "ui/data/PrinterDataValues.h"

namespace kvuipage1 {
namespace {

TEST_F(Page1Test, OnlyATableReadWholeIsWrittenBackWhenThePageIsLeft) {
    struct Case {
        const char* name;
        DWORD records;   // stored records, each marked by its icon
        bool readable;   // within the read cap
    };
    for (const Case& c : {Case{"over the cap", kPresetReadCap + 1, false}, Case{"two records", 2, true}}) {
        SCOPED_TRACE(c.name);
        std::vector<PresetRecord> table(c.records);
        for (DWORD i = 0; i < c.records; ++i) {
            table[i].icon = i % 20;
            table[i].name[0] = static_cast<WCHAR>(u'A' + i % 26);
        }
        const auto* bytes = reinterpret_cast<const BYTE*>(table.data());
        const std::vector<BYTE> stored(bytes, bytes + table.size() * sizeof(PresetRecord));
        ASSERT_EQ(SetPrinterDataW(printer_, const_cast<LPWSTR>(PD_PRESET_TABLE), REG_BINARY, const_cast<BYTE*>(stored.data()),
                                  static_cast<DWORD>(stored.size())),
                  static_cast<DWORD>(ERROR_SUCCESS));
        int shown = -1;
        RunSheet(nullptr, [&](HWND sheet, HWND page) {
            shown = PresetItemCount(GetDlgItem(page, kPagePresetList));
            // Leaving the page writes the list; coming back reads it again; Cancel writes again.
            standin::ui::ClickSheetTab(sheet, 1);
            standin::ui::ClickSheetTab(sheet, 0);
            SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        });
        EXPECT_EQ(shown, c.readable ? static_cast<int>(c.records) : 0);
        EXPECT_EQ(StoredPresetTable(printer_), stored);
    }
}

void StoreTable(HANDLE printer, const std::vector<PresetRecord>& table) {
    const auto* bytes = reinterpret_cast<const BYTE*>(table.data());
    std::vector<BYTE> stored(bytes, bytes + table.size() * sizeof(PresetRecord));
    ASSERT_EQ(SetPrinterDataW(printer, const_cast<LPWSTR>(PD_PRESET_TABLE), REG_BINARY, stored.data(),
                              static_cast<DWORD>(stored.size())),
              static_cast<DWORD>(ERROR_SUCCESS));
}

PresetRecord Preset(DWORD id, DWORD icon, const std::u16string& name, const std::u16string& comment, SHORT copies) {
    PresetRecord record{};
    record.id = id;
    record.icon = icon;
    std::copy(name.begin(), name.end(), record.name);
    std::copy(comment.begin(), comment.end(), record.comment);
    record.values.Public.dmCopies = copies;
    record.mask.Public.dmCopies = static_cast<SHORT>(0xFFFF);
    return record;
}

void ClickPreset(HWND page, int item) {
    HWND list = GetDlgItem(page, kPagePresetList);
    RECT bounds{};
    bounds.left = LVIR_ICON;
    ASSERT_TRUE(SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&bounds)));
    standin::ui::ClickAt(list, (bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2);
}

// A preset clicked in the list, a user's or a built-in one, is applied to the settings and its
// comment shown.
TEST_F(Page1Test, ClickingAPresetAppliesItAndShowsItsComment) {
    struct Case {
        int item;
        SHORT copies;
        std::u16string hint;
    };
    const std::vector<PresetRecord> table = {
        Preset(0, 0, u"None", u"", 1),
        Preset(0, 3, u"Three", u"three copies", 3),
        Preset(kPresetBuiltIn, 0, u"Two", u"two copies", 2),
    };
    for (const Case& c : {Case{1, 3, u"three copies"}, Case{2, 2, u"two copies"}}) {
        SCOPED_TRACE(c.item);
        ASSERT_NO_FATAL_FAILURE(StoreTable(printer_, table));
        SHORT copies = 0;
        int selected = -1;
        std::u16string hint;
        RunSheet([](UiContext* context) { context->workingBlock.PresetIndex = 0; },
                 [&](HWND, HWND page) {
                     ClickPreset(page, c.item);
                     copies = Working(page).Public.dmCopies;
                     selected = Working(page).PresetIndex;
                     WCHAR text[256] = {};
                     GetDlgItemTextW(page, kHintText, text, 256);
                     hint = text;
                 });
        EXPECT_EQ(copies, c.copies);
        EXPECT_EQ(selected, c.item);
        EXPECT_EQ(hint, c.hint);
    }
}

// Saving a preset from the button and from the menu opens the preset dialog; what it saves is
// in the stored table and in the page's list at once, and in the list of the next sheet.
TEST_F(Page1Test, BothSaveCommandsSaveAPresetThatTheNextSheetShows) {
    struct Case {
        const char* name;
        bool fromMenu;
    };
    for (const Case& c : {Case{"button", false}, Case{"menu", true}}) {
        SCOPED_TRACE(c.name);
        standin::ui::ResetShell();
        standin::ui::OnMessageBox([](const standin::ui::MessageBoxCall&) { return IDOK; });
        ASSERT_NO_FATAL_FAILURE(StoreTable(printer_, {Preset(0, 0, u"First", u"", 1)}));
        OnNextDialog([](HWND dialog) {
            standin::ui::TypeText(GetDlgItem(dialog, kPresetDialogNameEdit), u"Five copies");
            standin::ui::ClickAt(GetDlgItem(dialog, kPresetDialogSaveButton), 3, 3);
            standin::ui::ClickAt(GetDlgItem(dialog, IDOK), 3, 3);
        });
        OnNextDialog([](HWND confirmation) { EndDialog(confirmation, IDOK); });
        int shownAfterSave = 0;
        RunSheet(nullptr, [&](HWND, HWND page) {
            Working(page).Public.dmCopies = 5;
            if (c.fromMenu) {
                standin::ui::OnTrackPopupMenu([](HMENU, HWND) -> UINT { return kSavePresetButton; });
                SendMessageW(page, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(page), -1);
            } else {
                Click(page, kPagePresetSaveButton);
            }
            shownAfterSave = PresetItemCount(GetDlgItem(page, kPagePresetList));
        });
        EXPECT_EQ(shownAfterSave, 2);
        const std::vector<BYTE> stored = StoredPresetTable(printer_);
        ASSERT_EQ(stored.size(), 2 * sizeof(PresetRecord));
        PresetRecord saved{};
        std::copy(stored.begin() + sizeof(PresetRecord), stored.end(), reinterpret_cast<BYTE*>(&saved));
        EXPECT_EQ(std::u16string(saved.name), u"Five copies");
        EXPECT_EQ(saved.values.Public.dmCopies, 5);

        int shownNext = 0;
        SHORT copiesNext = 0;
        RunSheet(nullptr, [&](HWND, HWND page) {
            shownNext = PresetItemCount(GetDlgItem(page, kPagePresetList));
            ClickPreset(page, 0);
            ClickPreset(page, 1);
            copiesNext = Working(page).Public.dmCopies;
        });
        EXPECT_EQ(shownNext, 2);
        EXPECT_EQ(copiesNext, 5);
    }
    standin::ui::OnTrackPopupMenu(nullptr);
}

}  // namespace
}  // namespace kvuipage1

// Page one's presets against the stored table: a table the page could not read whole is never
// written back when the page is left or cancelled, and one that was read is.
#include <vector>

#include "platform/Spooler.h"
#include "platform/StandInControls.h"
#include "tests/kvui_page1/Page1Fixture.h"
#include "ui/PresetDialog.h"
#include "ui/PrinterDataValues.h"

namespace kvuipage1 {
namespace {

std::vector<BYTE> StoredTable(HANDLE printer) {
    DWORD type = 0;
    DWORD needed = 0;
    auto* name = const_cast<LPWSTR>(PD_PRESET_TABLE);
    if (GetPrinterDataW(printer, name, &type, nullptr, 0, &needed) != ERROR_MORE_DATA) return {};
    std::vector<BYTE> bytes(needed);
    if (GetPrinterDataW(printer, name, &type, bytes.data(), needed, &needed) != ERROR_SUCCESS) return {};
    return bytes;
}

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
            shown = PresetItemCount(GetDlgItem(page, kPagePresetListControl));
            // Leaving the page writes the list; coming back reads it again; Cancel writes again.
            standin::ui::ClickSheetTab(sheet, 1);
            standin::ui::ClickSheetTab(sheet, 0);
            SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        });
        EXPECT_EQ(shown, c.readable ? static_cast<int>(c.records) : 0);
        EXPECT_EQ(StoredTable(printer_), stored);
    }
}

}  // namespace
}  // namespace kvuipage1

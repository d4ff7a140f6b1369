// The preset dialog's row of icons: the twenty icons stand side by side in square cells, and
// a click on one chooses it.
#include "platform/Controls.h"
#include "platform/StandInControls.h"
#include "resources/ui/ControlIds.h"
#include "tests/kvui_presets/PresetsFixture.h"

namespace kvuipresets {
namespace {

using PresetIcons = PresetsTest;

TEST_F(PresetIcons, TheIconsStandSideBySideAndAClickChoosesOne) {
    RunDialog([&](HWND dialog) {
        HWND list = GetDlgItem(dialog, kPresetDialogIconList);
        const auto height = static_cast<LONG>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
        ASSERT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 20);
        for (int i = 0; i < 20; ++i) {
            RECT item{};
            ASSERT_EQ(SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item)), 1);
            EXPECT_EQ(item.left, i * height) << i;
            EXPECT_EQ(item.right - item.left, height) << i;
            EXPECT_EQ(item.top, 0) << i;
        }
        RECT third{};
        SendMessageW(list, LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&third));
        standin::ui::ClickAt(list, (third.left + third.right) / 2, (third.top + third.bottom) / 2);
        EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 2);
        Press(dialog, IDCANCEL);
    });
}

}  // namespace
}  // namespace kvuipresets

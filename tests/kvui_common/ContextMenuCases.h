#pragma once
// The settings pages' context menu as the sheet's rights and the printer's status allow it:
// the cases every page with the menu is checked against, what each does to the context, and
// the items' states as the menu shows them.
#include <utility>
#include <vector>

#include "platform/StandInUi.h"
#include "platform/User.h"
#include "resources/ui/ControlIds.h"
#include "ui/entry/UiContext.h"

namespace kvtest {

struct MenuCase {
    const char* name;
    bool fixedPresets;  // the data word's bit 16: the short menu
    DWORD contextFlags;
    DWORD extStatus;
    std::vector<std::pair<UINT, bool>> items;  // command, enabled
};

inline std::vector<MenuCase> ContextMenuCases() {
    return {
        {"all", false, kUiMayChange | kUiMayWriteData, kExtStatusKnown,
         {{kSavePresetButton, true}, {kRestoreDefaultsItem, true}, {kReadStatusItem, true}}},
        {"no data", false, kUiMayChange, kExtStatusKnown,
         {{kSavePresetButton, false}, {kRestoreDefaultsItem, true}, {kReadStatusItem, true}}},
        {"no status", false, kUiMayChange | kUiMayWriteData, 0,
         {{kSavePresetButton, true}, {kRestoreDefaultsItem, true}, {kReadStatusItem, false}}},
        {"read only", false, kUiMayWriteData, kExtStatusKnown,
         {{kSavePresetButton, false}, {kRestoreDefaultsItem, false}, {kReadStatusItem, false}}},
        {"fixed presets", true, 0, 0, {{kDefaultsButton, true}, {kSettingsListButton, true}}},
    };
}

/// Gives the context the case's rights, status and data word.
inline void ApplyMenuCase(UiContext* context, const MenuCase& c) {
    context->flags = (context->flags & ~(kUiMayChange | kUiMayWriteData)) | c.contextFlags;
    context->status.printerExtStatus = c.extStatus;
    DWORD& data = context->workingBlock.OptionFlags;
    data = c.fixedPresets ? (data | 0x10000u) : (data & ~0x10000u);
}

/// The next menus tracked record into *seen the state of each of the case's items they hold,
/// and choose nothing.
inline void RecordMenuItems(const MenuCase& c, std::vector<std::pair<UINT, bool>>* seen) {
    standin::ui::OnTrackPopupMenu([&c, seen](HMENU menu, HWND) -> UINT {
        for (const auto& [command, enabled] : c.items) {
            const UINT state = GetMenuState(menu, command, MF_BYCOMMAND);
            if (state == static_cast<UINT>(-1)) continue;
            seen->emplace_back(command, (state & (MF_GRAYED | MF_DISABLED)) == 0);
        }
        return 0;
    });
}

}  // namespace kvtest

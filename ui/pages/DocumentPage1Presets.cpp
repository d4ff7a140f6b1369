// Document page one's presets list: filled from the stored table each time the page becomes
// active, written back when it is left (only a complete read is ever written), and a preset
// chosen in it applied to the working settings.
#include <algorithm>

#include "platform/Controls.h"
#include "platform/User.h"
#include "resources/ui/PictureIds.h"
#include "settings/DefaultSettings.h"
#include "ui/pages/DocumentPage1Internal.h"
#include "ui/pages/PageIcons.h"
#include "ui/dialogs/PresetDialog.h"
#include "ui/pages/PropertyPages.h"

namespace page1 {
namespace {

constexpr int kPresetHintIcon = kLightBulbIconId;  // the hint icon of a preset's comment

// Filling guard: the page's own changes of the list are no user's choice.
class Filling {
public:
    explicit Filling(State& state) : state_(state) { ++state_.filling; }
    ~Filling() { --state_.filling; }
    Filling(const Filling&) = delete;
    Filling& operator=(const Filling&) = delete;

private:
    State& state_;
};

void SetItemState(HWND list, int item, UINT stateBits, UINT mask) {
    LVITEMW change{};
    change.state = stateBits;
    change.stateMask = mask;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&change));
}

bool NamesItem(HWND list, int item) { return item >= 0 && item < PresetItemCount(list); }

// The preset's comment in the hint line (an empty one clears the line).
void ShowComment(PageRecord* page, HWND dialog, const PresetRecord& record) {
    WCHAR comment[kPresetCommentChars + 1] = {};
    std::copy_n(record.comment, kPresetCommentChars, comment);
    if (comment[0] == u'\0') {
        SetPageHint(page, dialog, 0, 0);
        return;
    }
    SetDlgItemTextW(dialog, kHintText, comment);
    HWND icon = GetDlgItem(dialog, kHintIcon);
    ShowWindow(icon, SW_SHOW);
    EnableWindow(icon, TRUE);
    SetControlIcon(dialog, kHintIcon, PageIcon(page, kPresetHintIcon));
}

void ApplyChosenPreset(PageRecord* page, HWND dialog, State& state, int item, bool clicked) {
    HWND list = GetDlgItem(dialog, kPagePresetList);
    DriverDevMode& block = page->context->workingBlock;
    if (item < 0 || item == block.PresetIndex) return;
    const PresetRecord* record = PresetAt(list, item);
    if (record == nullptr) return;
    if (NamesItem(list, block.PresetIndex)) {
        Filling guard(state);
        SetItemState(list, block.PresetIndex, 0, LVIS_OVERLAYMASK);
    }
    const DWORD features = block.FeatureFlags;
    const WORD relaydock = block.RelaydockFlags;
    const WORD destination = block.OutputDestination;
    ApplyPreset(*record, &block);
    // A built-in preset without its own icon leaves the destination to the user.
    if (record->id != 0 && record->icon == 0) {
        block.FeatureFlags = features;
        block.RelaydockFlags = relaydock;
        block.OutputDestination = destination;
    }
    const WORD shift = block.SavedDuplexShift;
    const DWORD cover = block.SavedCoverFlags;
    const BYTE feeder = block.SavedFeederSetting;
    RefreshSavedCopy(&block);
    if (!clicked) {
        block.SavedDuplexShift = shift;
        block.SavedCoverFlags = cover;
        block.SavedFeederSetting = feeder;
    }
    OnSettingChanged(page, dialog, 0, FALSE);
    ShowPanel(page, dialog);
    ShowComment(page, dialog, *record);
    block.PresetIndex = static_cast<SHORT>(item);
    MarkPresetModified(page, dialog);
    NotifyPageChanged(page, dialog);
}

}  // namespace

void FillPresetList(PageRecord* page, HWND dialog, State& state, bool load) {
    HWND list = GetDlgItem(dialog, kPagePresetList);
    if (list == nullptr) return;
    Filling guard(state);
    WritePresetTable(dialog, page, kPagePresetList, FALSE);
    SendMessageW(list, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(PageLargeImages(page)));
    SHORT& index = page->context->workingBlock.PresetIndex;
    if (load && index == -1) LoadPresets(page);
    ReadPresetTable(dialog, page, kPagePresetList);
    // An index that names no preset of the table (an application's settings may hold any) is
    // none; the table's default preset is taken then.
    if (!NamesItem(list, index)) {
        index = -1;
        if (load) LoadPresets(page);
        if (!NamesItem(list, index)) index = -1;
    }
    SelectCurrentPreset(page, dialog, state);
}

void SelectCurrentPreset(PageRecord* page, HWND dialog, State& state) {
    HWND list = GetDlgItem(dialog, kPagePresetList);
    const int index = page->context->workingBlock.PresetIndex;
    if (!NamesItem(list, index)) return;
    Filling guard(state);
    SetItemState(list, index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    if (NamesItem(list, state.presetTop)) SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(state.presetTop), FALSE);
    SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), FALSE);
}

void OnPresetNotify(PageRecord* page, HWND dialog, State& state, const NMHDR* note) {
    if (state.filling > 0) return;
    if (note->code == LVN_ITEMCHANGED) {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(note);
        // Only a selection names the preset chosen; the old item's deselection does not.
        if ((change->uNewState & LVIS_SELECTED) != 0 && (change->uOldState & LVIS_SELECTED) == 0) {
            ApplyChosenPreset(page, dialog, state, change->iItem, false);
        }
    } else if (note->code == NM_CLICK) {
        ApplyChosenPreset(page, dialog, state, reinterpret_cast<const NMITEMACTIVATE*>(note)->iItem, true);
    }
}

void SavePresetList(PageRecord* page, HWND dialog, State& state) {
    HWND list = GetDlgItem(dialog, kPagePresetList);
    if (list == nullptr) return;
    Filling guard(state);
    state.presetTop = static_cast<int>(SendMessageW(list, LVM_GETTOPINDEX, 0, 0));
    WritePresetTable(dialog, page, kPagePresetList, TRUE);
}

}  // namespace page1

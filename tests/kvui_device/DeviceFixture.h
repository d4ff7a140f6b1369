#pragma once
// Fixture of the device page tests: the sample printer with the status manager stand-in, the
// library's resources, the halftone library stand-in, and the printer's property sheet opened
// through the product's entry and the common property sheet stand-in. A test scripts the
// page (clicks, choices, double clicks) and each modal dialog the page opens, in order.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Controls.h"
#include "tests/kvui_status/StatusSheetFixture.h"
#include "tools/standins/htui/Halftone.h"
#include "ui/pages/DevicePage.h"
#include "ui/pages/PropertyPages.h"
#include "ui/entry/UiContext.h"

namespace kvuidevice {

class DeviceTest : public kvuitest::StatusSheetTest {
protected:
    void SetUp() override;
    void TearDown() override;

    /// The printer's model file with every line that starts with `key` replaced by `lines`
    /// (in the place of the first); call before the sheet opens.
    void ReplaceModelLines(const std::u16string& key, const std::vector<std::u16string>& lines);

    using DialogScript = std::function<void(HWND dialog)>;
    /// Opens the printer's sheet (as an administrator unless readOnly), runs the script on its
    /// page and the dialog scripts on the modal dialogs opened meanwhile, in order (a dialog
    /// without a script is cancelled and counted); the entry's answer. The script ends the
    /// sheet (Ok or Cancel); a sheet left open is cancelled.
    bool RunSheet(const std::function<void()>& script, std::vector<DialogScript> dialogs = {}, bool readOnly = false);

    // --- On the open sheet ---
    PageRecord* Record() const { return PageRecordOf(page_); }
    DriverDevMode& Working() const { return Record()->context->workingBlock; }
    /// Clicks the tree's item.
    void SelectItem(int itemId);
    void DoubleClickItem(int itemId);
    /// Clicks the list's entry.
    void ChooseEntry(int index);
    void Press(int control);
    /// Dispatches what is queued for this thread.
    static void Pump();
    std::vector<LPARAM> EntryData() const;
    std::vector<std::u16string> EntryTexts() const;
    int CurrentEntry() const;
    bool Enabled(int control) const;
    bool Shown(int control) const;
    std::u16string Text(int control) const;
    /// Whether the sheet was told of a change not yet applied.
    bool ApplyEnabled() const;
    void Ok();
    void Cancel();
    void SavePagePicture(const std::string& name) const;

    // --- Around it ---
    DWORD StoredDword(const char16_t* name) const;
    void StoreBytes(const char16_t* name, DWORD type, const std::vector<BYTE>& bytes);
    std::vector<BYTE> StoredBytes(const char16_t* name) const;

    HMODULE htuiModule_ = nullptr;
    htui::SetScriptFn setHtuiScript_ = nullptr;
    htui::CallsFn htuiCalls_ = nullptr;
    HWND sheet_ = nullptr;
    HWND page_ = nullptr;
    int unscriptedDialogs_ = 0;
};

/// A dialog's control text.
std::u16string ControlText(HWND dialog, int control);
/// The DEVHTINFO stored under a value, as bytes.
std::vector<BYTE> HalftoneBytes(const DEVHTINFO& info);

}  // namespace kvuidevice

// The overlay dialog driven as a user drives it: the switch, a typed, listed or browsed file,
// the warnings, the recent-files history in printer data, OK and Cancel.
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Controls.h"
#include "platform/Modules.h"
#include "platform/StandInControls.h"
#include "platform/StandInDraw.h"
#include "platform/StandInShell.h"
#include "platform/StandInUi.h"
#include "platform/User.h"
#include "resources/ui/ControlIds.h"
#include "resources/ui/StringIds.h"
#include "tests/kvui_overlay/OverlayFixture.h"
#include "ui/data/OverlayForm.h"
#include "ui/data/PrinterDataIo.h"

namespace kvuioverlay {
namespace {

std::filesystem::path OutputFolder() {
    const std::filesystem::path folder = std::filesystem::path(KV_OUT_DIR) / "kvui_overlay";
    std::filesystem::create_directories(folder);
    return folder;
}

std::u16string ItemText(HWND dialog, int id) {
    WCHAR text[600] = {};
    GetDlgItemTextW(dialog, id, text, 600);
    return text;
}

std::vector<std::u16string> ComboItems(HWND dialog) {
    std::vector<std::u16string> items;
    const LRESULT count = SendDlgItemMessageW(dialog, kOverlayFileCombo, CB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) {
        WCHAR text[600] = {};
        SendDlgItemMessageW(dialog, kOverlayFileCombo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        items.emplace_back(text);
    }
    return items;
}

WPARAM ComboCommand(UINT code) { return static_cast<WPARAM>(2303u | (code << 16)); }

void Click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

// Replaces the combo's text as a user does: select all, then type.
void TypePath(HWND dialog, const std::u16string& path) {
    SetDlgItemTextW(dialog, kOverlayFileCombo, u"");
    standin::ui::TypeText(GetDlgItem(dialog, kOverlayFileCombo), path);
}

std::vector<BYTE> History(const std::vector<std::u16string>& paths) {
    std::u16string data;
    for (const std::u16string& p : paths) data += p + u'\0';
    std::vector<BYTE> bytes(data.size() * 2);
    std::memcpy(bytes.data(), data.data(), bytes.size());
    return bytes;
}

std::vector<std::u16string> StoredHistory(HANDLE printer) {
    DWORD cb = 0;
    const GlobalBlock value = printerdata::ReadBinary(printer, kFormHistoryValue, &cb);
    std::vector<std::u16string> paths;
    const auto* units = value.As<const char16_t>();
    for (size_t at = 0; units != nullptr && at < cb / 2;) {
        std::u16string path(units + at);
        at += path.size() + 1;
        paths.push_back(path);
    }
    return paths;
}

class OverlayDialog : public OverlayTest {
protected:
    void SetUp() override {
        OverlayTest::SetUp();
        if (!HasFatalFailure()) Install();
        if (HasFatalFailure()) return;
        WriteFile(kFormFile, FormFile(0x200).bytes);
        WriteFile(u"C:\\forms\\Letter.fn2", FormFile(0x2).bytes);
        WriteFile(u"C:\\forms\\notes.txt", FormFile(0x2).bytes);
    }
    // Opens the dialog with the script; the dialog's result.
    INT_PTR Run(const std::function<void(HWND)>& script) {
        standin::ui::OnModalDialog([&](HWND dialog) {
            script(dialog);
            standin::ui::OnModalDialog(nullptr);
        });
        return OpenFormOverlayDialog(&page_, nullptr);
    }
};

TEST_F(OverlayDialog, TypedFileSwitchedOnRegistersItsFormInBothLanguages) {
    for (const bool japanese : {true, false}) {
        SCOPED_TRACE(japanese);
        if (context_ != nullptr) {
            UiPoolDestroy(context_->pool);
            FreeLibrary(language_);
        }
        ASSERT_NE(NewContext(japanese), nullptr);
        const INT_PTR result = Run([&](HWND dialog) {
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, kOverlayFileCombo)));
            Click(dialog, kOverlaySwitch);
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, kOverlayFileCombo)));
            TypePath(dialog, u"C:\\forms\\INVOICE.FN2");
            SendMessageW(dialog, WM_COMMAND, ComboCommand(CBN_KILLFOCUS), 0);
            EXPECT_EQ(ItemText(dialog, kOverlayKindText), u"ZEV KD-VELUMO Form Object\n");
            EXPECT_EQ(ItemText(dialog, kOverlayTitleText), u"Invoice");
            EXPECT_EQ(ItemText(dialog, kOverlayMakerText), u"KD-VELUMO for Windows VRTL版");
            EXPECT_EQ(ItemText(dialog, kOverlayVersionText), u"2.1.3.4");
            EXPECT_EQ(ItemText(dialog, kOverlayLanguageText), u"VRTL Level2");
            EXPECT_EQ(ItemText(dialog, kOverlayFormatText), u"1.05");
            EXPECT_EQ(ItemText(dialog, kOverlayPaperSizeText), u"サイズ数値指定");
            EXPECT_EQ(ItemText(dialog, kOverlayOrientationText), u"縦方向");
            EXPECT_EQ(ItemText(dialog, kOverlayWidthText).substr(0, 4), u"8.26");
            Click(dialog, kOverlayMarginsCheck);
            const std::string name = japanese ? "overlay-2300-ja.png" : "overlay-2300-en.png";
            EXPECT_TRUE(standin::ui::SavePicture(dialog, (OutputFolder() / name).string()));
            Click(dialog, IDOK);
        });
        EXPECT_EQ(result, 1);
        const DriverDevMode& working = context_->workingBlock;
        EXPECT_EQ(working.OverlayFlags & (kOverlayOn | kOverlayChecked), kOverlayOn | kOverlayChecked);
        EXPECT_EQ(working.SavedOverlayFlags & kOverlayChecked, kOverlayChecked);
        EXPECT_STREQ(working.OverlayFolder, "C:\\forms");
        EXPECT_STREQ(working.OverlayName, "invoice");  // the file's own spelling
        EXPECT_EQ(working.OverlayStatus, 0u);
        EXPECT_EQ(Wide(working.Public.dmFormName), u"A4 (フォーム指定サイズ)");
        const std::vector<std::u16string> forms = SpoolerFormNames();
        EXPECT_NE(std::find(forms.begin(), forms.end(), u"A4 (フォーム指定サイズ)"), forms.end());
        EXPECT_EQ(StoredHistory(printer_), std::vector<std::u16string>{u"C:\\forms\\invoice.fn2"});
        EXPECT_TRUE(standin::ui::MessageBoxes().empty());
    }
}

TEST_F(OverlayDialog, BadPathsWarnAndKeepTheDialogOpen) {
    ASSERT_NE(NewContext(false), nullptr);
    struct Case {
        std::u16string typed;
        UINT textId;
    };
    const Case cases[] = {
        {u"C:\\forms\\notes.txt", kNotFormFileMessage},
        {u"invoice.fn2", kFormFileUnreadableMessage},
        {u"C:\\forms\\absent.fn2", kFormFileUnreadableMessage},
        {u"C:\\" + std::u16string(130, u'f') + u"\\invoice.fn2", kFormFileUnreadableMessage},
    };
    const DriverDevMode before = context_->workingBlock;
    const INT_PTR result = Run([&](HWND dialog) {
        Click(dialog, kOverlaySwitch);
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.typed.begin(), c.typed.end()));
            standin::ui::ResetShell();
            TypePath(dialog, c.typed);
            Click(dialog, IDOK);
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
            const std::vector<standin::ui::MessageBoxCall> boxes = standin::ui::MessageBoxes();
            ASSERT_EQ(boxes.size(), 1u);
            WCHAR reason[129] = {};
            LoadStringW(language_, c.textId, reason, 129);
            // The path and the reason on lines of their own.
            EXPECT_EQ(boxes[0].text, c.typed + u"\n" + reason);
            EXPECT_EQ(boxes[0].caption, u"KV-TD520");
            EXPECT_EQ(boxes[0].type & MB_ICONWARNING, MB_ICONWARNING);
            EXPECT_TRUE(IsWindow(dialog));
        }
        Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(std::memcmp(&context_->workingBlock, &before, sizeof before), 0);
    EXPECT_TRUE(StoredHistory(printer_).empty());
}

TEST_F(OverlayDialog, HistoryHoldsTenAndTheNewestComesFirst) {
    std::vector<std::u16string> stored;
    for (int i = 1; i <= 12; ++i) stored.push_back(u"C:\\old\\f" + std::u16string(1, static_cast<char16_t>(u'a' + i)) + u".fn2");
    stored.insert(stored.begin() + 2, u"");  // empty entries are skipped
    printerdata::WriteBinary(printer_, kFormHistoryValue, History(stored).data(),
                             static_cast<DWORD>(History(stored).size()));
    ASSERT_NE(NewContext(), nullptr);
    NameFile(&context_->workingBlock);
    const INT_PTR result = Run([&](HWND dialog) {
        const std::vector<std::u16string> items = ComboItems(dialog);
        ASSERT_EQ(items.size(), 10u);  // the current file and nine of the ten entries read
        EXPECT_EQ(items[0], u"C:\\forms\\invoice.fn2");
        EXPECT_EQ(ItemText(dialog, kOverlayFileCombo), u"C:\\forms\\invoice.fn2");
        EXPECT_EQ(items[1], stored[0]);
        EXPECT_EQ(items[9], stored[9]);
        EXPECT_TRUE(IsDlgButtonChecked(dialog, kOverlaySwitch));
        // Browsing to a new file pushes the tenth out.
        standin::ui::ScriptOpenFile(u"C:\\forms\\Letter.fn2");
        Click(dialog, kOverlayBrowseButton);
        EXPECT_EQ(ItemText(dialog, kOverlayFileCombo), u"C:\\forms\\Letter.fn2");
        EXPECT_EQ(ItemText(dialog, kOverlayPaperSizeText), u"サイズ数値指定");
        const std::vector<std::u16string> after = ComboItems(dialog);
        ASSERT_EQ(after.size(), 10u);
        EXPECT_EQ(after[0], u"C:\\forms\\Letter.fn2");
        EXPECT_EQ(after[1], u"C:\\forms\\invoice.fn2");
        EXPECT_EQ(after[9], stored[8]);
        // Choosing a listed file puts it into the edit and checks it.
        SendDlgItemMessageW(dialog, kOverlayFileCombo, CB_SETCURSEL, 1, 0);
        SendMessageW(dialog, WM_COMMAND, ComboCommand(CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, kOverlayFileCombo)));
        EXPECT_EQ(ItemText(dialog, kOverlayFileCombo), u"C:\\forms\\invoice.fn2");
        Click(dialog, IDOK);
    });
    EXPECT_EQ(result, 1);
    const std::vector<std::u16string> saved = StoredHistory(printer_);
    ASSERT_EQ(saved.size(), 10u);
    EXPECT_EQ(saved[0], u"C:\\forms\\invoice.fn2");
    EXPECT_EQ(saved[1], u"C:\\forms\\Letter.fn2");
    EXPECT_EQ(Wide(context_->workingBlock.Public.dmFormName), u"A4 (フォーム指定サイズ)");
}

TEST_F(OverlayDialog, LongNamesAreCutAndReadOnlyContextsDisableTheControls) {
    WriteFile(u"C:\\forms\\quarterly-report.fn2", FormFile(0x2).bytes);
    ASSERT_NE(NewContext(), nullptr);
    Run([&](HWND dialog) {
        Click(dialog, kOverlaySwitch);
        TypePath(dialog, u"C:\\forms\\quarterly-report.fn2");
        SendMessageW(dialog, WM_COMMAND, ComboCommand(CBN_KILLFOCUS), 0);
        EXPECT_STREQ(context_->scratchBlock.OverlayName, "quarterl");
        Click(dialog, IDCANCEL);
    });
    context_->flags &= ~kUiMayChange;
    Run([&](HWND dialog) {
        for (const int id : {kOverlayFileLabel, kOverlaySwitch, kOverlayFileCombo, kOverlayBrowseButton, kDefaultsButton,
                             kOverlayMarginsCheck}) {
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, id))) << id;
        }
        Click(dialog, IDCANCEL);
    });
}

}  // namespace
}  // namespace kvuioverlay

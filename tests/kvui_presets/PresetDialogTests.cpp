// The preset dialog driven as a user drives it: the list from the stored table (or the
// built-ins), saving, replacing, deleting and dragging presets, and what OK and Cancel store.
#include <algorithm>
#include <string>

#include "platform/Controls.h"
#include "platform/StandInControls.h"
#include "platform/StandInDraw.h"
#include "platform/StandInShell.h"
#include "platform/StandInUi.h"
#include "platform/Spooler.h"
#include "platform/StandIn.h"
#include "resources/ui/ControlIds.h"
#include "resources/ui/StringIds.h"
#include "settings/SpoolerQueries.h"
#include "ui/data/PrinterDataValues.h"
#include "tests/kvui_presets/PresetsFixture.h"

namespace kvuipresets {
namespace {

constexpr WPARAM kLeftButton = 0x0001;  // kLeftButton
LPARAM At(int x, int y) { return static_cast<LPARAM>((static_cast<DWORD>(y) << 16) | static_cast<WORD>(x)); }

class PresetDialog : public PresetsTest {
protected:
    std::u16string Text(UINT id) const {
        WCHAR text[256] = {};
        LoadStringW(language_, id, text, 256);
        return text;
    }
    // The names of a stored table.
    std::vector<std::u16string> StoredNames() {
        std::vector<std::u16string> names;
        for (const PresetRecord& record : StoredTable()) names.emplace_back(record.name);
        return names;
    }
    std::vector<std::u16string> BuiltInNames() const {
        return {Text(kPresetStandardName), Text(kPresetJobFileName), Text(kPresetSeparateCopiesName),
                Text(kPresetTwoUpName), Text(kPresetWideOutputName)};
    }
    static bool Enabled(HWND dialog, int control) { return IsWindowEnabled(GetDlgItem(dialog, control)) != FALSE; }
};

TEST_F(PresetDialog, WithoutATableTheBuiltInsShowAndOkStoresThem) {
    std::vector<std::u16string> shown;
    const INT_PTR result = RunDialog([&](HWND dialog) {
        shown = Names(dialog);
        EXPECT_FALSE(Enabled(dialog, kPresetDialogDeleteButton));
        EXPECT_FALSE(Enabled(dialog, kPresetDialogSaveButton));
        EXPECT_EQ(SendDlgItemMessageW(dialog, kPresetDialogIconList, LB_GETCOUNT, 0, 0), 20);
        EXPECT_EQ(SendDlgItemMessageW(dialog, kPresetDialogIconList, LB_GETCURSEL, 0, 0), 0);
        Press(dialog, IDOK);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(shown, BuiltInNames());
    EXPECT_EQ(StoredNames(), BuiltInNames());
}

TEST_F(PresetDialog, ASaveThatRunsOutOfMemoryIsToldAndKeepsTheStoredTable) {
    // Type a name, Save, OK, with each allocation of the dialog failing in turn: the table is
    // stored whole (the built-ins or the stored presets, and the new one), or the user is told
    // and the stored presets stay as they were (OK may store the list as it was shown).
    const PresetRecord mine = UserPreset(u"Mine");
    struct Case {
        const char* what;
        std::vector<PresetRecord> stored;  // empty: no table
        std::vector<std::u16string> whole;
    };
    std::vector<std::u16string> builtInsAndNew = BuiltInNames();
    builtInsAndNew.push_back(u"New");
    const Case cases[] = {
        {"no table", {}, builtInsAndNew},
        {"a stored user preset", {mine}, {u"Mine", u"New"}},
        {"a user preset replaced", {mine, UserPreset(u"New", 5)}, {u"Mine", u"New"}},
    };
    const auto names = [](const std::vector<PresetRecord>& records) {
        std::vector<std::u16string> out;
        for (const PresetRecord& record : records) out.emplace_back(record.name);
        return out;
    };
    const std::u16string told = Text(kPresetsNotSavedMessage);
    ASSERT_FALSE(told.empty());
    for (const Case& c : cases) {
        for (unsigned k = 0;; ++k) {
            SCOPED_TRACE(testing::Message() << c.what << ", allocation " << k);
            DeletePrinterDataW(printer_, const_cast<LPWSTR>(PD_PRESET_TABLE));
            if (!c.stored.empty()) StoreTable(c.stored);
            const bool storedBefore = TableStored();
            const std::vector<BYTE> before = StoredBytes();
            context_->workingBlock.PresetIndex = 0;
            const size_t seen = Messages().size();
            standin::ClearFaults();
            standin::InjectFault(standin::Fault::GlobalAlloc, ERROR_NOT_ENOUGH_MEMORY, k);
            const INT_PTR result = RunDialog([&](HWND dialog) {
                SaveAs(dialog, u"New");
                Press(dialog, IDOK);
            });
            const bool failed = standin::CallCount(standin::Fault::GlobalAlloc) > k;
            standin::ClearFaults();
            const std::vector<std::u16string> messages = Messages();
            const bool toldUser = std::find(messages.begin() + static_cast<long>(seen), messages.end(), told) !=
                                  messages.end();
            if (!toldUser) {
                EXPECT_EQ(result, 1);
                EXPECT_EQ(StoredNames(), c.whole);
                EXPECT_EQ(context_->workingBlock.PresetIndex, static_cast<SHORT>(c.whole.size() - 1));
            } else if (TableStored() != storedBefore || StoredBytes() != before) {
                // Only the save failed: OK stored the list as it was, which is the old table.
                EXPECT_EQ(result, 1);
                EXPECT_EQ(StoredNames(), c.stored.empty() ? BuiltInNames() : names(c.stored));
                EXPECT_EQ(context_->workingBlock.PresetIndex, 0);
            } else {
                EXPECT_EQ(context_->workingBlock.PresetIndex, 0);
            }
            if (!failed) break;
        }
    }
}

TEST_F(PresetDialog, NoBuiltInsAndNoTableOkStoresAnEmptyTableAndChoosesTheFirst) {
    SetPresetFlags(0);
    context_->workingBlock.PresetIndex = 3;
    RunDialog([&](HWND dialog) {
        EXPECT_TRUE(Names(dialog).empty());
        Press(dialog, IDOK);
    });
    EXPECT_TRUE(TableStored());
    EXPECT_TRUE(StoredBytes().empty());
    EXPECT_EQ(context_->workingBlock.PresetIndex, 0);
}

TEST_F(PresetDialog, SavedPresetsSurviveAReloadFromPrinterData) {
    context_->workingBlock.Public.dmCopies = 7;
    RunDialog([&](HWND dialog) {
        SaveAs(dialog, u"Seven copies", u"for the office");
        SendDlgItemMessageW(dialog, kPresetDialogIconList, LB_SETCURSEL, 4, 0);
        SaveAs(dialog, u"Second");
        Press(dialog, IDOK);
    });
    EXPECT_EQ(confirmations_, 2);
    std::vector<std::u16string> expected = BuiltInNames();
    expected.push_back(u"Seven copies");
    expected.push_back(u"Second");
    EXPECT_EQ(StoredNames(), expected);
    EXPECT_EQ(context_->workingBlock.PresetIndex, 6) << "the preset saved last is the current one";

    std::u16string comment;
    RunDialog([&](HWND dialog) {
        EXPECT_EQ(Names(dialog), expected);
        ClickItem(dialog, 5);
        EXPECT_TRUE(Enabled(dialog, kPresetDialogDeleteButton));
        WCHAR text[128] = {};
        GetDlgItemTextW(dialog, kPresetDialogCommentText, text, 128);
        comment = text;
        Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(comment, u"for the office");
    const std::vector<PresetRecord> table = StoredTable();
    ASSERT_EQ(table.size(), 7u);
    EXPECT_EQ(table[5].id, 0u);
    EXPECT_EQ(table[5].icon, 0u);
    EXPECT_EQ(table[5].values.Public.dmCopies, 7);
    EXPECT_EQ(table[5].mask.Public.dmCopies, static_cast<SHORT>(0xFFFF));
    EXPECT_EQ(table[6].icon, 4u);
}

TEST_F(PresetDialog, SavingUnderAUserPresetsNameAsksAndMovesItToTheEnd) {
    StoreTable(std::vector<PresetRecord>{UserPreset(u"Mine"), UserPreset(u"Other")});
    struct Case {
        int answer;
        std::vector<std::u16string> names;
    };
    for (const Case& c : {Case{IDCANCEL, {u"Mine", u"Other"}}, Case{IDOK, {u"Other", u"Mine"}}}) {
        standin::ui::ResetShell();
        standin::ui::OnMessageBox([&](const standin::ui::MessageBoxCall&) { return c.answer; });
        RunDialog([&](HWND dialog) {
            SaveAs(dialog, u"Mine");
            Press(dialog, IDOK);
        });
        EXPECT_EQ(Messages(), std::vector<std::u16string>{Text(kReplacePresetMessage)});
        EXPECT_EQ(StoredNames(), c.names);
    }
}

TEST_F(PresetDialog, BuiltInsCanBeNeitherReplacedNorDeleted) {
    RunDialog([&](HWND dialog) {
        SaveAs(dialog, Text(kPresetStandardName));
        ClickItem(dialog, 1);
        Press(dialog, kPresetDialogDeleteButton);
        Press(dialog, IDOK);
    });
    EXPECT_EQ(confirmations_, 0);
    EXPECT_EQ(Messages(),
              (std::vector<std::u16string>{Text(kBuiltInPresetNameMessage), Text(kBuiltInPresetKeptMessage)}));
    EXPECT_EQ(StoredNames(), BuiltInNames());
}

TEST_F(PresetDialog, DeletingAUserPresetAsksFirstAndSelectsTheNextOne) {
    StoreTable(std::vector<PresetRecord>{UserPreset(u"A"), UserPreset(u"B"), UserPreset(u"C")});
    standin::ui::OnMessageBox([](const standin::ui::MessageBoxCall&) { return IDCANCEL; });
    RunDialog([&](HWND dialog) {
        ClickItem(dialog, 1);
        Press(dialog, kPresetDialogDeleteButton);
        EXPECT_EQ(Names(dialog).size(), 3u);
        standin::ui::OnMessageBox([](const standin::ui::MessageBoxCall&) { return IDOK; });
        // The Delete key in the list does the same.
        SendMessageW(GetDlgItem(dialog, kPresetDialogList), WM_KEYDOWN, VK_DELETE, 0);
        EXPECT_EQ(Names(dialog), (std::vector<std::u16string>{u"A", u"C"}));
        HWND list = GetDlgItem(dialog, kPresetDialogList);
        EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 1);
        ClickItem(dialog, 1);
        Press(dialog, kPresetDialogDeleteButton);
        EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 0)
            << "deleting the last selects the one before";
        Press(dialog, IDOK);
    });
    EXPECT_EQ(Messages(), (std::vector<std::u16string>{Text(kDeletePresetMessage), Text(kDeletePresetMessage),
                                                       Text(kDeletePresetMessage)}));
    EXPECT_EQ(StoredNames(), std::vector<std::u16string>{u"A"});
}

TEST_F(PresetDialog, TwentyPresetsAreTheLimitButOneOfThemMayBeReplaced) {
    std::vector<PresetRecord> full;
    for (int i = 0; i < kPresetLimit; ++i) full.push_back(UserPreset(u"P" + std::u16string(1, u'a' + i)));
    StoreTable(full);
    RunDialog([&](HWND dialog) {
        SaveAs(dialog, u"New");
        EXPECT_EQ(Messages(), std::vector<std::u16string>{Text(kPresetLimitMessage)});
        SetDlgItemTextW(dialog, kPresetDialogNameEdit, u"");
        SaveAs(dialog, u"Pc");
        Press(dialog, IDOK);
    });
    EXPECT_EQ(confirmations_, 1);
    const std::vector<std::u16string> names = StoredNames();
    ASSERT_EQ(names.size(), 20u);
    EXPECT_EQ(names.back(), u"Pc");
    EXPECT_EQ(names[2], u"Pd");
}

TEST_F(PresetDialog, ARefusedConfirmationSavesNothing) {
    confirm_ = 0;
    RunDialog([&](HWND dialog) {
        SaveAs(dialog, u"Never");
        EXPECT_EQ(Names(dialog).size(), 5u);
        Press(dialog, IDOK);
    });
    EXPECT_EQ(confirmations_, 1);
    EXPECT_EQ(StoredNames(), BuiltInNames());
}

TEST_F(PresetDialog, CancelLeavesTheStoredTableAlone) {
    StoreTable(std::vector<PresetRecord>{UserPreset(u"Kept")});
    const std::vector<BYTE> before = StoredBytes();
    RunDialog([&](HWND dialog) {
        SaveAs(dialog, u"Dropped");
        ClickItem(dialog, 0);
        standin::ui::OnMessageBox([](const standin::ui::MessageBoxCall&) { return IDOK; });
        Press(dialog, kPresetDialogDeleteButton);
        EXPECT_EQ(Names(dialog), std::vector<std::u16string>{u"Dropped"});
        Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(StoredBytes(), before);
}

TEST_F(PresetDialog, SelectingAPresetClearsTheEditsAndFocusingThemDropsTheSelection) {
    RunDialog([&](HWND dialog) {
        standin::ui::TypeText(GetDlgItem(dialog, kPresetDialogNameEdit), u"x");
        EXPECT_TRUE(Enabled(dialog, kPresetDialogSaveButton));
        ClickItem(dialog, 2);
        WCHAR text[16] = {};
        GetDlgItemTextW(dialog, kPresetDialogNameEdit, text, 16);
        EXPECT_EQ(std::u16string(text), u"");
        EXPECT_FALSE(Enabled(dialog, kPresetDialogSaveButton));
        EXPECT_TRUE(Enabled(dialog, kPresetDialogDeleteButton));
        SetFocus(GetDlgItem(dialog, kPresetDialogCommentEdit));
        EXPECT_FALSE(Enabled(dialog, kPresetDialogDeleteButton));
        HWND list = GetDlgItem(dialog, kPresetDialogList);
        EXPECT_EQ(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0), 0);
        Press(dialog, IDCANCEL);
    });
}

// Drags the item by the mouse and lets it go at x (list coordinates) on the list's row.
void DragItem(HWND dialog, int item, int dropX) {
    HWND list = GetDlgItem(dialog, kPresetDialogList);
    RECT icon{};
    icon.left = LVIR_ICON;
    SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&icon));
    const int x = (icon.left + icon.right) / 2;
    const int y = (icon.top + icon.bottom) / 2;
    SendMessageW(list, WM_LBUTTONDOWN, kLeftButton, At(x, y));
    SendMessageW(list, WM_MOUSEMOVE, kLeftButton, At(x + 10, y));
    POINT at{dropX, y};
    ClientToScreen(list, &at);
    ScreenToClient(dialog, &at);
    SendMessageW(dialog, WM_MOUSEMOVE, kLeftButton, At(at.x, at.y));
    SendMessageW(dialog, WM_LBUTTONUP, 0, At(at.x, at.y));
}

int ItemLeft(HWND dialog, int item) {
    RECT bounds{};
    bounds.left = LVIR_BOUNDS;
    SendMessageW(GetDlgItem(dialog, kPresetDialogList), LVM_GETITEMRECT, static_cast<WPARAM>(item),
                 reinterpret_cast<LPARAM>(&bounds));
    return bounds.left;
}

TEST_F(PresetDialog, DraggingMovesAPresetAfterTheOneLeftOfTheDrop) {
    StoreTable(std::vector<PresetRecord>{UserPreset(u"A"), UserPreset(u"B"), UserPreset(u"C"), UserPreset(u"D")});
    RunDialog([&](HWND dialog) {
        // A after C; then D first; then B just right of its own left neighbour: no move.
        DragItem(dialog, 0, ItemLeft(dialog, 2) + 5);
        EXPECT_EQ(Names(dialog), (std::vector<std::u16string>{u"B", u"C", u"A", u"D"}));
        HWND list = GetDlgItem(dialog, kPresetDialogList);
        EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 2);
        DragItem(dialog, 3, 0);
        EXPECT_EQ(Names(dialog), (std::vector<std::u16string>{u"D", u"B", u"C", u"A"}));
        DragItem(dialog, 1, ItemLeft(dialog, 0) + 5);
        EXPECT_EQ(Names(dialog), (std::vector<std::u16string>{u"D", u"B", u"C", u"A"}));
        EXPECT_FALSE(standin::ui::ImageDrag().dragging);
        Press(dialog, IDOK);
    });
    EXPECT_EQ(StoredNames(), (std::vector<std::u16string>{u"D", u"B", u"C", u"A"}));
}

TEST_F(PresetDialog, TheEdgesOfTheListScrollEveryTenthOfASecondWhileDragging) {
    RunDialog([&](HWND dialog) {
        HWND list = GetDlgItem(dialog, kPresetDialogList);
        RECT icon{};
        icon.left = LVIR_ICON;
        SendMessageW(list, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&icon));
        const int y = (icon.top + icon.bottom) / 2;
        SendMessageW(list, WM_LBUTTONDOWN, kLeftButton, At(icon.left + 2, y));
        SendMessageW(list, WM_MOUSEMOVE, kLeftButton, At(icon.left + 12, y));
        EXPECT_TRUE(standin::ui::ImageDrag().dragging);
        RECT client{};
        GetClientRect(list, &client);
        POINT edge{client.right - 2, y};
        ClientToScreen(list, &edge);
        ScreenToClient(dialog, &edge);
        SendMessageW(dialog, WM_MOUSEMOVE, kLeftButton, At(edge.x, edge.y));
        // The timer runs while the mouse stays in the zone and stops when the drag ends.
        EXPECT_TRUE(KillTimer(dialog, kPresetTimer));
        SendMessageW(dialog, WM_MOUSEMOVE, kLeftButton, At(edge.x - 1, edge.y));
        SendMessageW(dialog, WM_LBUTTONUP, 0, At(edge.x - 1, edge.y));
        EXPECT_FALSE(KillTimer(dialog, kPresetTimer));
        EXPECT_FALSE(standin::ui::ImageDrag().dragging);
        Press(dialog, IDCANCEL);
    });
}

TEST_F(PresetDialog, PicturesInBothLanguages) {
    for (const char16_t* locale : {u"00000409", u"00000411"}) {
        SetUserLocale(locale);
        FreeLanguageDll(language_);
        language_ = LoadLanguageDll(printer_);
        ASSERT_NE(language_, nullptr);
        context_->languageLibrary = language_;
        RunDialog([&](HWND dialog) {
            ClickItem(dialog, 0);
            const std::string file = std::string("preset-dialog-") + (locale[7] == u'9' ? "en" : "ja") + ".png";
            EXPECT_TRUE(standin::ui::SavePicture(dialog, (OutputFolder() / file).string()));
            Press(dialog, IDCANCEL);
        });
    }
}

}  // namespace
}  // namespace kvuipresets

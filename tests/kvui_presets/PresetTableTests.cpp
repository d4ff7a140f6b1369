// The stored table through the pages' calls: a table that cannot be read whole is never
// written back, bad records are made safe, the current preset and the mark of a changed one,
// and what a user preset fixes.
#include <cstring>
#include <string>

#include "platform/Controls.h"
#include "platform/StandInUi.h"
#include "resources/ui/ControlIds.h"
#include "tests/kvui_presets/PresetsFixture.h"

namespace kvuipresets {
namespace {

class PresetTable : public PresetsTest {};

TEST_F(PresetTable, ATableThatCannotBeReadWholeIsNeverWrittenBack) {
    // Larger than the driver reads: the list stays empty, and neither OK nor Cancel stores it.
    const std::vector<BYTE> huge((kPresetReadCap + 1) * sizeof(PresetRecord), 0);
    StoreTable(huge);
    for (const int button : {IDOK, IDCANCEL}) {
        RunDialog([&](HWND dialog) {
            EXPECT_TRUE(Names(dialog).empty());
            Press(dialog, button);
        });
        EXPECT_EQ(StoredBytes().size(), huge.size()) << button;
    }
}

TEST_F(PresetTable, OnlyWholeRecordsAreReadAndBadFieldsAreMadeSafe) {
    PresetRecord bad = UserPreset(u"Bad");
    bad.icon = 77;
    for (WCHAR& c : bad.name) c = u'N';
    for (WCHAR& c : bad.comment) c = u'C';
    std::vector<BYTE> bytes(2 * sizeof(PresetRecord) + 100, 0xEE);
    const PresetRecord good = UserPreset(u"Good", 5);
    std::memcpy(bytes.data(), &good, sizeof good);
    std::memcpy(bytes.data() + sizeof good, &bad, sizeof bad);
    StoreTable(bytes);
    RunDialog([&](HWND dialog) {
        EXPECT_EQ(Names(dialog), (std::vector<std::u16string>{u"Good", std::u16string(15, u'N')}));
        Press(dialog, IDOK);
    });
    const std::vector<BYTE> stored = StoredBytes();
    ASSERT_EQ(stored.size(), 2 * sizeof(PresetRecord));
    PresetRecord second{};
    std::memcpy(&second, stored.data() + sizeof(PresetRecord), sizeof second);
    EXPECT_EQ(second.icon, 0u);
    EXPECT_EQ(second.name[15], 0);
    EXPECT_EQ(second.comment[127], 0);
}

TEST_F(PresetTable, LoadPresetsChoosesTheFirstDefaultPreset) {
    PresetRecord defaultOne = UserPreset(u"Default");
    defaultOne.id = kPresetDefault;
    struct Case {
        std::vector<PresetRecord> table;
        SHORT expected;
    };
    const Case cases[] = {
        {{UserPreset(u"A"), UserPreset(u"B"), defaultOne, defaultOne}, 2},
        {{UserPreset(u"A")}, 9},  // no default preset: unchanged
    };
    for (const Case& c : cases) {
        StoreTable(c.table);
        context_->workingBlock.PresetIndex = 9;
        LoadPresets(&page_);
        EXPECT_EQ(context_->workingBlock.PresetIndex, c.expected);
    }
    // Without a table the built-ins count: the standard preset is the default, first.
    SetPrinterDataW(printer_, const_cast<LPWSTR>(u"TBL_PresetTable"), REG_BINARY, nullptr, 0);
    context_->workingBlock.PresetIndex = 9;
    LoadPresets(&page_);
    EXPECT_EQ(context_->workingBlock.PresetIndex, 0);
}

TEST_F(PresetTable, AChangedSettingMarksTheSelectedPresetAndUndoingItClearsTheMark) {
    StoreTable(std::vector<PresetRecord>{UserPreset(u"A")});
    HWND window = CreateWindowExW(0, u"STATIC", u"", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, u"", WS_CHILD | LVS_ICON, 0, 0, 300, 200, window,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPagePresetList)), nullptr, nullptr);
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(ReadPresetTable(window, &page_, kPagePresetList));
    LVITEMW select{};
    select.state = select.stateMask = LVIS_SELECTED;
    SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&select));
    const auto overlay = [&] { return SendMessageW(list, LVM_GETITEMSTATE, 0, LVIS_OVERLAYMASK); };
    MarkPresetModified(&page_, window);
    EXPECT_EQ(overlay(), 0);
    context_->workingBlock.Public.dmCopies = 3;
    MarkPresetModified(&page_, window);
    EXPECT_EQ(overlay(), static_cast<LRESULT>(INDEXTOOVERLAYMASK(1)));
    // Settings a preset does not fix change nothing.
    context_->workingBlock.Public.dmCopies = context_->defaultBlock.Public.dmCopies;
    context_->workingBlock.InstalledMemory += 1024;
    MarkPresetModified(&page_, window);
    EXPECT_EQ(overlay(), 0);
    EXPECT_NE(SendMessageW(list, LVM_GETITEMSTATE, 0, LVIS_SELECTED), 0);
    WritePresetTable(window, &page_, kPagePresetList, FALSE);
    DestroyWindow(window);
}

TEST_F(PresetTable, AUserPresetFixesTheUnitAfterTheUserTextWhetherOrNotTheTextPrints) {
    // The user's text is 17 units at 588; the unit at 622 after it is a setting of its own.
    constexpr size_t kText = offsetof(DriverDevMode, UserName2);
    struct Case {
        bool printed;
        std::u16string text;
        size_t firstFree;  // first unit of the text whose mask is 0 (17: none)
    };
    const Case cases[] = {
        {false, u"abc", 0},
        {true, u"abc", 4},
        {true, std::u16string(16, u'x'), 17},  // the terminator in the last unit
        {true, std::u16string(17, u'x'), 17},  // no terminator at all
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.printed << " " << c.text.size());
        DriverDevMode working = context_->defaultBlock;
        working.FeatureFlags = c.printed ? working.FeatureFlags | (1u << 22) : working.FeatureFlags & ~(1u << 22);
        auto* text = reinterpret_cast<BYTE*>(&working) + kText;
        std::memset(text, 0, 18 * sizeof(WCHAR));
        std::memcpy(text, c.text.data(), c.text.size() * sizeof(WCHAR));
        PresetRecord record{};
        MakeUserPreset(working, 0, u"Mine", u"", &record);
        const auto* mask = reinterpret_cast<const BYTE*>(&record.mask);
        for (size_t unit = 0; unit < 17; ++unit) {
            const BYTE expected = unit < c.firstFree ? 0xFF : 0x00;
            EXPECT_EQ(mask[kText + unit * 2], expected) << unit;
            EXPECT_EQ(mask[kText + unit * 2 + 1], expected) << unit;
        }
        EXPECT_EQ(mask[622], 0xFF);
        EXPECT_EQ(mask[623], 0xFF);
    }
}

TEST_F(PresetTable, AUserPresetFixesTheSettingsButNotTheBookkeeping) {
    DriverDevMode working = context_->defaultBlock;
    struct Case {
        WORD overlay;
        DWORD dataMask;
    };
    for (const Case c : {Case{0, 0u}, Case{1, 0x200u}}) {
        working.OverlayFlags = c.overlay;
        PresetRecord record{};
        MakeUserPreset(working, 2, u"Mine", u"note", &record);
        EXPECT_EQ(record.mask.OptionFlags, c.dataMask);
    }
    working.FeatureFlags &= ~(1u << 22);
    PresetRecord record{};
    MakeUserPreset(working, 2, u"Mine", u"note", &record);
    EXPECT_EQ(record.mask.Public.dmCopies, static_cast<SHORT>(0xFFFF));
    EXPECT_EQ(record.mask.PresetIndex, 0);
    EXPECT_EQ(record.mask.CategoryIndex, 0);
    EXPECT_EQ(record.mask.InstalledMemory, 0u);
    EXPECT_EQ(record.mask.SavedFeatureFlags, 0u);
    EXPECT_EQ(record.mask.ComputerName[0], 0);
    EXPECT_EQ(record.mask.UserName2[0], 0);
    const size_t formLength = std::char_traits<char16_t>::length(working.Public.dmFormName);
    EXPECT_EQ(record.mask.Public.dmFormName[formLength], 0xFFFF) << "the terminator is fixed";
    EXPECT_EQ(record.mask.Public.dmFormName[formLength + 1], 0) << "the bytes after it are not";

    // Applying a preset never touches the block's own frame.
    record.values.Public.dmSize = 1;
    record.values.PrivateID = 0xBAD;
    record.values.Public.dmCopies = 42;
    DriverDevMode target = context_->defaultBlock;
    ApplyPreset(record, &target);
    EXPECT_EQ(target.Public.dmCopies, 42);
    EXPECT_EQ(target.Public.dmSize, context_->defaultBlock.Public.dmSize);
    EXPECT_EQ(target.PrivateID, context_->defaultBlock.PrivateID);
    EXPECT_TRUE(PresetMatches(record, target));
}

}  // namespace
}  // namespace kvuipresets

// The stored preset table: written from the built-in presets when missing, rebuilt for the
// user's language (unchanged built-ins renamed, user presets and changed built-ins kept), and
// stored tables of the wrong type or with a partial record at the end.
#include <cstring>
#include <string>
#include <vector>

#include "resources/ui/StringIds.h"
#include "tests/kvui_data/DataFixture.h"
#include "ui/data/PresetTable.h"
#include "ui/data/PrinterDataValues.h"

namespace kvuidata {
namespace {

BuiltInPreset Slot(DWORD id, DWORD icon, WORD nameId) {
    BuiltInPreset entry{};
    entry.id = id;
    entry.icon = icon;
    entry.nameId = nameId;
    entry.commentId = nameId;
    entry.copies = 1;
    entry.nupDown = 1;
    entry.nupAcross = 1;
    return entry;
}

// Slots 0 to 2 selected by the sample model's PresetFlags (0x7); the empty slot 2 gives a
// blank record and slot 3 is not selected. The standard preset fixes the page counts, the job-file
// one the copies.
const BuiltInPreset kList[] = {
    Slot(3, 17, kPresetStandardName),
    Slot(1, 4, kPresetJobFileName),
    BuiltInPreset{},
    Slot(1, 9, kPresetJobFileName),
};

std::vector<PresetRecord> Records(const StoredValue& value) {
    std::vector<PresetRecord> records(value.bytes.size() / sizeof(PresetRecord));
    if (!records.empty()) std::memcpy(records.data(), value.bytes.data(), records.size() * sizeof(PresetRecord));
    return records;
}

std::vector<BYTE> TableBytes(const std::vector<PresetRecord>& records, size_t extra = 0) {
    std::vector<BYTE> bytes(records.size() * sizeof(PresetRecord) + extra, 0xEE);
    if (!records.empty()) std::memcpy(bytes.data(), records.data(), records.size() * sizeof(PresetRecord));
    return bytes;
}

class PresetTableTest : public LinkedDataTest {
protected:
    std::vector<PresetRecord> Stored() { return Records(ReadValue(printer_, PD_PRESET_TABLE)); }
};

TEST_F(PresetTableTest, AMissingTableIsWrittenFromTheSelectedBuiltInsEmptySlotsBlank) {
    SetUserLocale(u"00000409");
    UpdatePresetTable(printer_, model_, false, kList);
    const StoredValue value = ReadValue(printer_, PD_PRESET_TABLE);
    EXPECT_EQ(value.type, REG_BINARY);
    const std::vector<PresetRecord> records = Records(value);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].id, 3u);
    EXPECT_EQ(records[0].icon, 17u);
    EXPECT_EQ(std::u16string(records[0].name), u"Standard");
    EXPECT_EQ(records[0].mask.NupDown, 0xFF);
    EXPECT_EQ(records[0].mask.Public.dmCopies, 0);
    const DriverDevMode defaults = Defaults();
    EXPECT_EQ(records[1].values.InstalledMemory, defaults.InstalledMemory);
    EXPECT_EQ(records[1].values.Public.dmCopies, 1);
    // The empty slot: no name, the defaults and nothing fixed.
    EXPECT_EQ(records[2].id, 0u);
    EXPECT_EQ(records[2].name[0], u'\0');
    EXPECT_EQ(std::memcmp(&records[2].values, &defaults, sizeof defaults), 0);
    const std::vector<BYTE> noMask(sizeof(DriverDevMode), 0);
    EXPECT_EQ(std::memcmp(&records[2].mask, noMask.data(), noMask.size()), 0);
}

TEST_F(PresetTableTest, ALanguageChangeRenamesUnchangedBuiltInsAndKeepsTheRest) {
    SetUserLocale(u"00000411");
    UpdatePresetTable(printer_, model_, false, kList);
    std::vector<PresetRecord> records = Stored();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(std::u16string(records[0].name), u"標準");
    // A user preset of the same name and a built-in whose mask the user changed.
    PresetRecord user = records[0];
    user.id = 0;
    records[1].mask.NupOrder = 0xFF;
    records.insert(records.begin() + 1, user);
    WriteValue(printer_, PD_PRESET_TABLE, REG_BINARY, TableBytes(records));

    SetUserLocale(u"00000409");
    UpdatePresetTable(printer_, model_, true, kList);
    const std::vector<PresetRecord> rebuilt = Stored();
    ASSERT_EQ(rebuilt.size(), 4u);
    EXPECT_EQ(std::u16string(rebuilt[0].name), u"Standard");
    EXPECT_EQ(std::u16string(rebuilt[1].name), u"標準") << "a user preset was renamed";
    EXPECT_EQ(std::u16string(rebuilt[2].name), u"ジョブファイル") << "a changed built-in was renamed";
}

TEST_F(PresetTableTest, AStoredTableStaysWhileTheLanguageIsTheSame) {
    const std::vector<BYTE> table(2 * sizeof(PresetRecord), 0x42);
    WriteValue(printer_, PD_PRESET_TABLE, REG_BINARY, table);
    UpdatePresetTable(printer_, model_, false, kList);
    EXPECT_EQ(ReadValue(printer_, PD_PRESET_TABLE).bytes, table);
}

TEST_F(PresetTableTest, OnlyWholeRecordsOfAStoredTableAreKept) {
    SetUserLocale(u"00000409");
    UpdatePresetTable(printer_, model_, false, kList);
    const std::vector<PresetRecord> built = Stored();
    ASSERT_EQ(built.size(), 3u);
    struct Case {
        size_t records;
        size_t extra;
    };
    for (const Case c : {Case{1, 100}, Case{0, sizeof(PresetRecord) - 1}, Case{2, sizeof(PresetRecord) - 1}}) {
        const std::vector<PresetRecord> head(built.begin(), built.begin() + static_cast<long>(c.records));
        WriteValue(printer_, PD_PRESET_TABLE, REG_BINARY, TableBytes(head, c.extra));
        UpdatePresetTable(printer_, model_, true, kList);
        const StoredValue value = ReadValue(printer_, PD_PRESET_TABLE);
        EXPECT_EQ(value.bytes.size(), c.records * sizeof(PresetRecord)) << c.records << " + " << c.extra;
        EXPECT_EQ(Records(value).size(), c.records);
    }
}

TEST_F(PresetTableTest, ATableThatIsNoBinaryValueIsReplacedByTheBuiltIns) {
    WriteValue(printer_, PD_PRESET_TABLE, REG_DWORD, DwordBytes(7));
    UpdatePresetTable(printer_, model_, false, kList);
    const StoredValue value = ReadValue(printer_, PD_PRESET_TABLE);
    EXPECT_EQ(value.type, REG_BINARY);
    EXPECT_EQ(Records(value).size(), 3u);
}

TEST_F(PresetTableTest, TheLanguageValueFollowsTheUsersLocale) {
    const DriverDevMode defaults = Defaults();
    SetUserLocale(u"00000409");
    InitPrinterDataDefaults(&defaults, printer_, model_);
    const StoredValue language = ReadValue(printer_, PD_PRESET_LANGUAGE);
    EXPECT_EQ(language.type, REG_DWORD);
    EXPECT_EQ(language.AsDword(), 1033u);
    // The driver's own list: the sample model selects the standard preset and the empty
    // slots 1 and 2.
    const StoredValue table = ReadValue(printer_, PD_PRESET_TABLE);
    EXPECT_TRUE(table.present);
    EXPECT_EQ(table.type, REG_BINARY);
    EXPECT_EQ(table.bytes.size(), 3 * sizeof(PresetRecord));
    SetUserLocale(u"00000411");
    InitPrinterDataDefaults(&defaults, printer_, model_);
    EXPECT_EQ(ReadValue(printer_, PD_PRESET_LANGUAGE).AsDword(), 1041u);
}

TEST_F(PresetTableTest, BuiltInsThatCannotBeMadeLeaveTheTableAndItsLanguageForTheNextTime) {
    // Every allocation fails in turn while the printer's data is set up: the table is either
    // written whole with its language noted, or neither is, and the next set-up makes them.
    const DriverDevMode defaults = Defaults();
    SetUserLocale(u"00000409");
    InitPrinterDataDefaults(&defaults, printer_, model_);
    const std::vector<BYTE> whole = ReadValue(printer_, PD_PRESET_TABLE).bytes;
    ASSERT_EQ(whole.size(), 3 * sizeof(PresetRecord));
    // A stored user table whose language changes keeps its user preset whatever fails.
    std::vector<PresetRecord> withUser = Records(ReadValue(printer_, PD_PRESET_TABLE));
    withUser.push_back(withUser[0]);
    withUser.back().id = 0;
    withUser.back().mask.NupOrder = 0xFF;
    for (const bool stored : {false, true}) {
        for (unsigned k = 0;; ++k) {
            SCOPED_TRACE(testing::Message() << (stored ? "stored" : "absent") << " allocation " << k);
            DeletePrinterDataW(printer_, const_cast<LPWSTR>(PD_PRESET_LANGUAGE));
            DeletePrinterDataW(printer_, const_cast<LPWSTR>(PD_PRESET_TABLE));
            if (stored) WriteValue(printer_, PD_PRESET_TABLE, REG_BINARY, TableBytes(withUser));
            const std::vector<BYTE> before = ReadValue(printer_, PD_PRESET_TABLE).bytes;
            standin::ClearFaults();
            standin::InjectFault(standin::Fault::GlobalAlloc, ERROR_NOT_ENOUGH_MEMORY, k);
            InitPrinterDataDefaults(&defaults, printer_, model_);
            const bool failed = standin::CallCount(standin::Fault::GlobalAlloc) > k;
            standin::ClearFaults();
            const StoredValue language = ReadValue(printer_, PD_PRESET_LANGUAGE);
            const std::vector<BYTE> after = ReadValue(printer_, PD_PRESET_TABLE).bytes;
            if (language.present) {
                EXPECT_EQ(language.AsDword(), 1033u);
                EXPECT_EQ(after.size(), stored ? withUser.size() * sizeof(PresetRecord) : whole.size());
                // The built-ins with their names (the defaults they start from are the
                // settings library's to make).
                const std::vector<PresetRecord> records = Records(ReadValue(printer_, PD_PRESET_TABLE));
                const std::vector<PresetRecord> wholeRecords = Records(StoredValue{true, REG_BINARY, whole});
                for (size_t i = 0; i < wholeRecords.size() && i < records.size(); ++i) {
                    EXPECT_EQ(records[i].id, wholeRecords[i].id) << i;
                    EXPECT_EQ(std::u16string(records[i].name), std::u16string(wholeRecords[i].name)) << i;
                }
            } else {
                EXPECT_EQ(after, before) << "the table changed while its language was not noted";
                InitPrinterDataDefaults(&defaults, printer_, model_);
                EXPECT_EQ(ReadValue(printer_, PD_PRESET_LANGUAGE).AsDword(), 1033u);
                EXPECT_EQ(ReadValue(printer_, PD_PRESET_TABLE).bytes.size(), after.empty() ? whole.size() : after.size());
            }
            if (!failed) break;
        }
    }
}

}  // namespace
}  // namespace kvuidata

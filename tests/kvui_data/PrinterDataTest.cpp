// Printer data written by the library and read back: the installed options and switches, the
// halftone values, the default tables, and stored values of the wrong type, size or bits.
#include <cstring>
#include <string>
#include <vector>

#include "platform/Modules.h"
#include "settings/Forms.h"
#include "settings/HalftonePatterns.h"
#include "settings/PrinterData.h"
#include "settings/SpoolerQueries.h"
#include "tests/kvui_data/DataFixture.h"
#include "ui/data/PrinterDataValues.h"

namespace kvuidata {
namespace {

const char16_t* const kDwordValues[] = {
    u"DAT_CompatibleMargin", u"DAT_CompatibleMarginBack", u"TBL_TTSubstDefault", u"TBL_OutPaperDefault",
    u"DEV_Memory", u"DEV_Feeder1", u"DEV_Feeder2", u"DEV_Feeder3", u"DEV_Feeder4", u"DEV_Feeder5", u"DEV_MP",
    u"DEV_MSF", u"DEV_Manual", u"DEV_ENV", u"DEV_Duplex", u"DEV_Sorter", u"DEV_Plotter", u"DEV_NIC", u"DEV_RCC",
    u"DEV_FIN1", u"DEV_FIN2", u"DEV_LCS", u"DEV_FUT", u"DEV_HDD", u"DEV_LCH", u"DAT_GROUPA", u"DAT_GROUPB",
};

std::vector<BYTE> Resource(HMODULE module, WORD id) {
    const HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(id), RT_RCDATA);
    if (resource == nullptr) return {};
    const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, resource)));
    return std::vector<BYTE>(bytes, bytes + SizeofResource(module, resource));
}

// The NUL-terminated strings of a table value, in order.
std::vector<std::u16string> Strings(const std::vector<BYTE>& bytes) {
    std::vector<std::u16string> out;
    std::u16string current;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const char16_t c = static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8);
        if (c == 0) {
            out.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    return out;
}

// A block with values that differ from the defaults in every kind of field.
DriverDevMode ChangedBlock(DriverDevMode block) {
    block.OptionFlags |= kOptionCompatibleMargin;
    block.OptionFlags &= ~kOptionBuiltinTTSubst;
    block.SavedOptionFlags |= kOptionCompatibleMargin;
    block.InstalledMemory = 524288;
    block.DeviceSlots[3] = {0x0009, 4};
    block.DeviceSlots[19] = {0x0008, 0};
    block.SourceGroupA = 0x5A;
    block.SourceGroupB = 0xA5;
    return block;
}

using PrinterDataTest = LinkedDataTest;

TEST_F(PrinterDataTest, EveryValueIsWrittenAndReadsBackIntoTheSameFields) {
    const DriverDevMode written = ChangedBlock(Defaults());
    InitPrinterDataDefaults(&written, printer_, model_);
    for (const char16_t* name : kDwordValues) {
        const StoredValue value = ReadValue(printer_, name);
        EXPECT_TRUE(value.present && value.type == REG_DWORD && value.bytes.size() == 4) << kvtest::U8(name);
    }
    EXPECT_EQ(ReadValue(printer_, u"DEV_Feeder4").AsDword(), 0x00090004u);
    EXPECT_EQ(ReadValue(printer_, u"DAT_CompatibleMargin").AsDword(), 0x200u);
    EXPECT_EQ(ReadValue(printer_, u"TBL_TTSubstDefault").AsDword(), 0u);

    // A block of other values takes every field back from the printer.
    DriverDevMode read{};
    read.OptionFlags = kOptionBuiltinTTSubst | 0x1000;
    ReadInstalledOptions(&read, printer_);
    EXPECT_EQ(read.OptionFlags & (kOptionCompatibleMargin | kOptionBuiltinTTSubst | kOptionNoOutPaperTable),
              written.OptionFlags & (kOptionCompatibleMargin | kOptionBuiltinTTSubst | kOptionNoOutPaperTable));
    EXPECT_EQ(read.OptionFlags & 0x1000u, 0x1000u) << "a bit without a value changed";
    EXPECT_EQ(read.SavedOptionFlags & kOptionCompatibleMargin, kOptionCompatibleMargin);
    EXPECT_EQ(read.InstalledMemory, written.InstalledMemory);
    EXPECT_EQ(std::memcmp(read.DeviceSlots, written.DeviceSlots, sizeof read.DeviceSlots), 0);
    EXPECT_EQ(read.SourceGroupA, 0x5A);
    EXPECT_EQ(read.SourceGroupB, 0xA5);
}

TEST_F(PrinterDataTest, ValuesOfTheBlockReplaceStoredOnesButTablesAndHalftoneStay) {
    // A stored installed option that differs is replaced, even by a block of pure defaults
    // (what the printer's first initialisation writes).
    WriteValue(printer_, u"DEV_Feeder2", REG_DWORD, DwordBytes(0x00080007));
    WriteValue(printer_, u"DEV_Memory", REG_BINARY, DwordBytes(0x12345678));
    const std::vector<BYTE> ownTable = {'A', 0, 0, 0, 'B', 0, 0, 0};
    WriteValue(printer_, u"TBL_TTSubstTable", REG_BINARY, ownTable);
    const std::vector<BYTE> ownHalftone(132, 0x11);
    WriteValue(printer_, u"DAT_CurDevHTInfo600", REG_BINARY, ownHalftone);

    const DriverDevMode defaults = Defaults();
    InitPrinterDataDefaults(&defaults, printer_, model_);
    const DeviceSlot feeder2 = defaults.DeviceSlots[1];
    EXPECT_EQ(ReadValue(printer_, u"DEV_Feeder2").AsDword(), DWORD{feeder2.State} << 16 | feeder2.Code);
    const StoredValue memory = ReadValue(printer_, u"DEV_Memory");
    EXPECT_EQ(memory.type, REG_DWORD);
    EXPECT_EQ(memory.AsDword(), defaults.InstalledMemory);
    EXPECT_EQ(ReadValue(printer_, u"TBL_TTSubstTable").bytes, ownTable);
    EXPECT_EQ(ReadValue(printer_, u"DAT_CurDevHTInfo600").bytes, ownHalftone);
}

TEST_F(PrinterDataTest, MissingTablesComeFromTheLibrarysResourcesByteForByte) {
    const DriverDevMode defaults = Defaults();
    InitPrinterDataDefaults(&defaults, printer_, model_);
    const StoredValue substitutes = ReadValue(printer_, u"TBL_TTSubstTable");
    const StoredValue outPaper = ReadValue(printer_, u"TBL_OutPaperTable");
    EXPECT_EQ(substitutes.type, REG_BINARY);
    EXPECT_EQ(substitutes.bytes.size(), 200u);
    EXPECT_EQ(substitutes.bytes, Resource(resources_, kDefaultTTSubstTableId));
    EXPECT_EQ(outPaper.bytes.size(), 372u);
    EXPECT_EQ(outPaper.bytes, Resource(resources_, kDefaultOutPaperTableId));
    const std::vector<std::u16string> pairs = Strings(substitutes.bytes);
    ASSERT_EQ(pairs.size(), 16u);
    EXPECT_EQ(pairs[4], u"ＱＸ 明朝");
    EXPECT_EQ(pairs[15], u"@ｺﾞｼｯｸ");
    const std::vector<std::u16string> papers = Strings(outPaper.bytes);
    ASSERT_EQ(papers.size(), 28u);
    EXPECT_EQ(papers[0], u"A3->B4");
    EXPECT_EQ(papers[1], u"B4 (JIS)");
    EXPECT_EQ(papers[26], u"LP->A4");
}

TEST_F(PrinterDataTest, HalftoneValuesAreInstalledPerResolutionWithThePatternAndGammaOfTheSystem) {
    const DriverDevMode defaults = Defaults();
    InitPrinterDataDefaults(&defaults, printer_, model_);
    // The sample model: 8x8_M at 600 dpi with gamma 10000, and 12000 for newer systems.
    const bool later = IsOsLaterThan50() != 0;
    struct Row {
        const char16_t* name;
        DWORD pattern;
        LONG gamma;
    };
    const Row rows[] = {
        {u"DAT_CurDevHTInfo200", 3, 10000}, {u"DAT_CurDevHTInfo240", 3, 10000},
        {u"DAT_CurDevHTInfo300", 5, 10000}, {u"DAT_CurDevHTInfo400", 5, 10000},
        {u"DAT_CurDevHTInfo600", 7, later ? 12000 : 10000}, {u"DAT_CurDevHTInfo1200", 9, later ? 12000 : 10000},
    };
    for (const Row& row : rows) {
        const StoredValue value = ReadValue(printer_, row.name);
        ASSERT_EQ(value.bytes.size(), sizeof(DEVHTINFO)) << kvtest::U8(row.name);
        DEVHTINFO info{};
        std::memcpy(&info, value.bytes.data(), sizeof info);
        EXPECT_EQ(info.HTFlags, 2u);
        EXPECT_EQ(info.HTPatternSize, row.pattern) << kvtest::U8(row.name);
        EXPECT_EQ(info.ColorInfo.RedGamma, row.gamma);
        EXPECT_EQ(info.ColorInfo.BlueGamma, row.gamma);
        EXPECT_EQ(info.ColorInfo.Cyan.Y, 65534);
        EXPECT_EQ(info.ColorInfo.AlignmentWhite.Y, 10000);
        EXPECT_EQ(info.ColorInfo.MagentaInYellowDye, 129);
    }
}

TEST_F(PrinterDataTest, PatternNamesMapToTheirStandardValues) {
    EXPECT_EQ(HalftonePatternSizeOfName(u"HT_PATSIZE_2x2"), 0);
    EXPECT_EQ(HalftonePatternSizeOfName(u"HT_PATSIZE_8x8_M"), 7);
    EXPECT_EQ(HalftonePatternSizeOfName(u"HT_PATSIZE_USER"), 18);
    EXPECT_EQ(HalftonePatternSizeOfName(u"HT_PATSIZE_8x8_m"), -1);
    EXPECT_EQ(HalftonePatternSizeOfName(u""), -1);
    EXPECT_EQ(InstalledHalftoneValueName(300), std::u16string(u"DAT_CurDevHTInfo300"));
    EXPECT_EQ(InstalledHalftoneValueName(720), nullptr);
}

TEST_F(PrinterDataTest, APrinterWithoutWriteRightsKeepsItsData) {
    ClosePrinter(printer_);
    std::u16string name = kvtest::kSamplePrinterName;
    ASSERT_TRUE(OpenPrinterW(name.data(), &printer_, nullptr));
    const DriverDevMode defaults = Defaults();
    InitPrinterDataDefaults(&defaults, printer_, model_);
    EXPECT_FALSE(ReadValue(printer_, u"DEV_Feeder1").present);
    EXPECT_FALSE(ReadValue(printer_, u"TBL_PresetLanguage").present);
}

// --- Stored values the driver did not write -------------------------------------------------

struct MalformedCase {
    const char* what;
    const char16_t* name;
    DWORD type;
    std::vector<BYTE> bytes;
    // The block's fields afterwards, from a block of known contents.
    DWORD optionFlags;
    DWORD memory;
    DeviceSlot feeder1;
    BYTE groupA;
};

constexpr DWORD kStartFlags = 0x00030003u | 0x1000u;
constexpr DWORD kStartMemory = 1234;
constexpr DeviceSlot kStartSlot{0x0001, 2};
constexpr BYTE kStartGroup = 0x33;

std::vector<BYTE> Bytes(std::initializer_list<BYTE> bytes) { return bytes; }

const MalformedCase kMalformed[] = {
    {"a switch with every bit set sets only its own bit", u"DAT_CompatibleMargin", REG_DWORD,
     DwordBytes(0xFFFFFFFF), kStartFlags | kOptionCompatibleMargin, kStartMemory, kStartSlot, kStartGroup},
    {"a switch of 0 clears only its own bit", u"TBL_TTSubstDefault", REG_DWORD, DwordBytes(0),
     kStartFlags & ~kOptionBuiltinTTSubst, kStartMemory, kStartSlot, kStartGroup},
    {"a switch with other bits but not its own clears it", u"TBL_OutPaperDefault", REG_DWORD, DwordBytes(0xFFFFFFFD),
     kStartFlags & ~kOptionNoOutPaperTable, kStartMemory, kStartSlot, kStartGroup},
    {"a switch stored as binary is ignored", u"DAT_CompatibleMargin", REG_BINARY, DwordBytes(0x200), kStartFlags,
     kStartMemory, kStartSlot, kStartGroup},
    {"memory stored as binary is ignored", u"DEV_Memory", REG_BINARY, DwordBytes(4096), kStartFlags, kStartMemory,
     kStartSlot, kStartGroup},
    {"memory of 2 bytes is ignored", u"DEV_Memory", REG_DWORD, Bytes({0x10, 0x20}), kStartFlags, kStartMemory,
     kStartSlot, kStartGroup},
    {"memory of 8 bytes is ignored", u"DEV_Memory", REG_DWORD, Bytes({1, 0, 0, 0, 2, 0, 0, 0}), kStartFlags,
     kStartMemory, kStartSlot, kStartGroup},
    {"an empty value is ignored", u"DEV_Feeder1", REG_DWORD, {}, kStartFlags, kStartMemory, kStartSlot, kStartGroup},
    {"an installed option splits into flags and value", u"DEV_Feeder1", REG_DWORD, DwordBytes(0x00080005),
     kStartFlags, kStartMemory, DeviceSlot{0x0008, 5}, kStartGroup},
    {"an installed option as a string is ignored", u"DEV_Feeder1", REG_SZ, Bytes({'8', 0, 0, 0}), kStartFlags,
     kStartMemory, kStartSlot, kStartGroup},
    {"a group value gives its low byte", u"DAT_GROUPA", REG_DWORD, DwordBytes(0x12345678), kStartFlags,
     kStartMemory, kStartSlot, 0x78},
};

TEST_F(PrinterDataTest, StoredValuesOfTheWrongTypeSizeOrBitsChangeNothingElse) {
    for (const MalformedCase& c : kMalformed) {
        InstallPrinter({});
        WriteValue(printer_, c.name, c.type, c.bytes);
        DriverDevMode block{};
        block.OptionFlags = kStartFlags;
        block.InstalledMemory = kStartMemory;
        block.DeviceSlots[0] = kStartSlot;
        block.SourceGroupA = kStartGroup;
        ReadInstalledOptions(&block, printer_);
        EXPECT_EQ(block.OptionFlags, c.optionFlags) << c.what;
        EXPECT_EQ(block.InstalledMemory, c.memory) << c.what;
        EXPECT_EQ(block.DeviceSlots[0].State, c.feeder1.State) << c.what;
        EXPECT_EQ(block.DeviceSlots[0].Code, c.feeder1.Code) << c.what;
        EXPECT_EQ(block.SourceGroupA, c.groupA) << c.what;
    }
}

}  // namespace
}  // namespace kvuidata

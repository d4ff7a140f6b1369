// The default settings block: values from the model, the forms and the language library.
#include <cstring>
#include <string>

#include "platform/Kernel.h"
#include "settings/DefaultSettings.h"
#include "tests/settings_defaults/DefaultsFixture.h"

namespace kvtest {
namespace {

TEST_F(DefaultsTest, BuildsTheDocumentedBlock) {
    InstallPrinter();
    DriverDevMode block;
    std::memset(&block, 0xAB, sizeof(block));  // every byte must be written
    BuildDefaultDevMode(&block, printer(), nullptr, model_.get());

    const DEVMODEW& dm = block.Public;
    EXPECT_EQ(Text(dm.dmDeviceName), u"KV-TD520 Test");
    EXPECT_EQ(dm.dmSpecVersion, 0x0401);
    EXPECT_EQ(dm.dmDriverVersion, 0x0100);
    EXPECT_EQ(dm.dmSize, 220);
    EXPECT_EQ(dm.dmDriverExtra, 1988);
    EXPECT_EQ(dm.dmFields, 0x04010702u);
    EXPECT_EQ(dm.dmOrientation, 1);
    EXPECT_EQ(dm.dmPaperSize, kA4Position);
    // 210,000 x 297,000 thousandths of a millimetre.
    EXPECT_EQ(dm.dmPaperWidth, 2100);
    EXPECT_EQ(dm.dmPaperLength, 2970);
    EXPECT_EQ(Text(dm.dmFormName), u"A4");
    EXPECT_EQ(dm.dmScale, 100);
    EXPECT_EQ(dm.dmCopies, 1);
    EXPECT_EQ(dm.dmDefaultSource, 7);
    EXPECT_EQ(dm.dmPrintQuality, 600);
    EXPECT_EQ(dm.dmColor, 1);
    EXPECT_EQ(dm.dmDuplex, 1);
    EXPECT_EQ(dm.dmTTOption, 1);
    EXPECT_EQ(dm.dmNup, 1u);
    EXPECT_EQ(dm.dmDitherType, 2u);

    EXPECT_EQ(block.OverlayFlags, 4);
    EXPECT_EQ(std::memcmp(block.Signature, "VRTL Level2 Form", 17), 0);
    EXPECT_EQ(block.PrivateID, kTestPrivateId);
    EXPECT_EQ(block.FeatureFlags, 0x162114C4u);
    EXPECT_EQ(block.OptionFlags, 0x00030003u);
    EXPECT_EQ(block.PresetIndex, -1);
    // Margin words 4,230 (left) and 4,200 (top): a remainder rounds up.
    EXPECT_EQ(block.LeftMargin, 43);
    EXPECT_EQ(block.TopMargin, 42);
    EXPECT_EQ(block.LeftMarginEven, 43);
    EXPECT_EQ(block.TopMarginEven, 42);
    EXPECT_EQ(block.InstalledMemory, 64u);
    EXPECT_EQ(block.SplitCounts, 0x12);
    EXPECT_EQ(block.PageStampPosition, 2u);
    EXPECT_EQ(block.Word924, 130);
    EXPECT_EQ(block.Word926, 100);
    EXPECT_EQ(block.ColorAdjustment.caSize, 24);
    EXPECT_EQ(block.ColorAdjustment.caRedGamma, 10000);
    EXPECT_EQ(block.ColorAdjustment.caReferenceWhite, 10000);
    EXPECT_EQ(block.NupDown, 1);
    EXPECT_EQ(block.NupAcross, 1);
    EXPECT_EQ(block.LogControl & kLogOn, 0u);

    // The saved copy holds the live values.
    EXPECT_EQ(block.SavedPaperSize, dm.dmPaperSize);
    EXPECT_EQ(Text(block.SavedFormName), u"A4");
    EXPECT_EQ(block.SavedFeatureFlags, block.FeatureFlags);
    EXPECT_EQ(block.SavedOptionFlags, block.OptionFlags);
    EXPECT_EQ(block.SavedLayoutScale, 100);
    EXPECT_EQ(block.SavedPrintMode, 3);
    EXPECT_EQ(block.SavedFeederSetting, 1);
    EXPECT_EQ(block.SavedNupAcross, 1);
    EXPECT_TRUE(UnterminatedFields(block).empty());
}

TEST_F(DefaultsTest, TwoBuildsAreByteEqual) {
    InstallPrinter();
    DriverDevMode first;
    DriverDevMode second;
    std::memset(&first, 0x11, sizeof(first));
    std::memset(&second, 0xEE, sizeof(second));
    BuildDefaultDevMode(&first, printer(), nullptr, model_.get());
    BuildDefaultDevMode(&second, printer(), nullptr, model_.get());
    EXPECT_EQ(BlockBytesOf(first), BlockBytesOf(second));
}

TEST_F(DefaultsTest, DefaultFormOutsideTheFormListKeepsTheModelsPaper) {
    InstallPrinter();
    ModelImage model = CompileModel(u"*DefaultForm \"Custom Sheet\" 200050 300099 0 0 0 0\r\n");
    ASSERT_NE(model, nullptr);
    DriverDevMode block;
    BuildDefaultDevMode(&block, printer(), nullptr, model.get());
    EXPECT_EQ(block.Public.dmPaperSize, 0);
    EXPECT_EQ(block.Public.dmPaperWidth, 2000);
    EXPECT_EQ(block.Public.dmPaperLength, 3000);
    EXPECT_EQ(Text(block.Public.dmFormName), u"Custom Sheet");
}

TEST_F(DefaultsTest, MissingSingleRecordsGiveTheFallbacks) {
    InstallPrinter();
    // The lists that follow the absent records must not be read in their place.
    ModelImage model = CompileModel(
        u"*FriendlyName \"Bare\"\r\n"
        u"*MemorySize 128 1 1 1 1 1 1\r\n"
        u"*InputSlot \"FEEDER1\" 1\r\n"
        u"*FormPort \"Letter\" 215900 279400 5000 5000 5000 5000\r\n");
    ASSERT_NE(model, nullptr);
    ASSERT_EQ(ModelDefaultForm(model.get()), nullptr);
    DriverDevMode block;
    BuildDefaultDevMode(&block, printer(), nullptr, model.get());
    EXPECT_EQ(Text(block.Public.dmFormName), u"A4");
    EXPECT_EQ(block.Public.dmPaperSize, kA4Position);
    EXPECT_EQ(block.Public.dmPaperWidth, 2100);
    EXPECT_EQ(block.Public.dmPaperLength, 2970);
    EXPECT_EQ(block.TopMargin, 0);
    EXPECT_EQ(block.LeftMargin, 0);
    EXPECT_EQ(block.Public.dmDefaultSource, 0);
    EXPECT_EQ(block.InstalledMemory, 0u);
}

TEST_F(DefaultsTest, LongNamesAreCutToTheirFields) {
    InstallPrinter();
    const std::u16string longName = u"KV-TD520 with a friendly name far too long";
    const std::u16string longForm = u"A form name of more than thirty-one characters";
    ModelImage model = CompileModel(u"*FriendlyName \"" + longName + u"\"\r\n*DefaultForm \"" + longForm +
                                    u"\" 210000 297000 0 0 0 0\r\n");
    ASSERT_NE(model, nullptr);
    DriverDevMode block;
    BuildDefaultDevMode(&block, printer(), nullptr, model.get());
    EXPECT_EQ(Text(block.Public.dmDeviceName), longName.substr(0, 31));
    EXPECT_EQ(Text(block.Public.dmFormName), longForm.substr(0, 31));
    EXPECT_EQ(Text(block.SavedFormName), longForm.substr(0, 31));
}

TEST_F(DefaultsTest, NoFormListLeavesPaperSizeZero) {
    SamplePrinterOptions options;
    options.forms.clear();
    InstallPrinter(options);
    DriverDevMode block;
    BuildDefaultDevMode(&block, printer(), nullptr, model_.get());
    EXPECT_EQ(block.Public.dmPaperSize, 0);
    EXPECT_EQ(Text(block.Public.dmFormName), u"A4");
}

// --- Device slots ---

struct DeviceCodeCase {
    DWORD recordValue;
    WORD inputCode;
    WORD optionCode;
};

TEST(DeviceCodes, LowestSetBitChoosesTheCode) {
    const DeviceCodeCase cases[] = {
        {0x00000000, 0, 0},
        {0x00000001, 1, 1},
        {0x00000082, 2, 1001},     // bits 1 and 7: the lower wins
        {0x00000080, 1001, 5003},
        {0x00000400, 4001, 1},     // last input bit
        {0x00000800, 0, 2},        // beyond the input table
        {0x00001000, 0, 4501},     // last option bit
        {0x00002000, 0, 0},        // beyond both tables
        {0xFFFF0000, 0, 0},        // the state word plays no part
        {0x00080040, 7, 5002},
    };
    for (const DeviceCodeCase& c : cases) {
        EXPECT_EQ(InputDeviceCode(c.recordValue), c.inputCode) << std::hex << c.recordValue;
        EXPECT_EQ(OptionDeviceCode(c.recordValue), c.optionCode) << std::hex << c.recordValue;
    }
}

TEST_F(DefaultsTest, DeviceSlotsComeFromTheLanguageLibraryNames) {
    InstallPrinter();
    ASSERT_TRUE(languageLibraries_);
    DriverDevMode block;
    BuildDefaultDevMode(&block, printer(), nullptr, model_.get());
    struct Expected {
        int slot;
        WORD state;
        WORD code;
    };
    const Expected expected[] = {
        {0, 0x0008, 2},      // FEEDER1 0x00080082
        {5, 0x0001, 1001},   // MSF 0x00010080
        {8, 0x0004, 1},      // DUPLEX, an option device
        {18, 0, 0},          // MP: a record without bits
        {19, 0x0002, 4501},  // LCH 0x00021000
    };
    for (int slot = 0; slot < kDeviceSlotCount; ++slot) {
        WORD state = 0;
        WORD code = 0;
        for (const Expected& e : expected) {
            if (e.slot == slot) {
                state = e.state;
                code = e.code;
            }
        }
        EXPECT_EQ(block.DeviceSlots[slot].State, state) << "slot " << slot;
        EXPECT_EQ(block.DeviceSlots[slot].Code, code) << "slot " << slot;
    }
}

TEST_F(DefaultsTest, SecondHandleFindsTheLanguageLibrary) {
    // The first printer's driver folder holds no language library; the second one's does.
    SamplePrinterOptions bare;
    bare.name = u"Bare printer";
    bare.driverPath = u"C:\\bare\\KV416SD.DLL";
    bare.installLanguageLibraries = false;
    InstallSamplePrinter(bare);
    ScopedPrinter barePrinter(bare.name);
    ASSERT_NE(barePrinter.handle(), nullptr);
    InstallPrinter();
    ASSERT_TRUE(languageLibraries_);

    DriverDevMode alone;
    BuildDefaultDevMode(&alone, barePrinter.handle(), nullptr, model_.get());
    EXPECT_EQ(alone.DeviceSlots[0].Code, 0);
    DriverDevMode helped;
    BuildDefaultDevMode(&helped, barePrinter.handle(), printer(), model_.get());
    EXPECT_EQ(helped.DeviceSlots[0].Code, 2);
}

TEST_F(DefaultsTest, MissingLanguageLibraryLeavesEverySlotZero) {
    SamplePrinterOptions options;
    options.installLanguageLibraries = false;
    InstallPrinter(options);
    DriverDevMode block;
    BuildDefaultDevMode(&block, printer(), nullptr, model_.get());
    for (int slot = 0; slot < kDeviceSlotCount; ++slot) {
        EXPECT_EQ(block.DeviceSlots[slot].State, 0) << slot;
        EXPECT_EQ(block.DeviceSlots[slot].Code, 0) << slot;
    }
}

struct InputOptionCase {
    const char16_t* name;
    bool withEntry;
    WORD reported;   // first u16 of the bin-configuration entry
    DeviceSlot expected;
};

TEST_F(DefaultsTest, InputDeviceOptionTakesAnAllowedReportedValue) {
    const DeviceSlot before = {0x7777, 0x6666};
    const InputOptionCase cases[] = {
        {u"FEEDER1", false, 0, {0x0008, 2}},      // mask 0x82: 2 and 1001 allowed
        {u"FEEDER1", true, 1001, {0x0008, 1001}},
        {u"FEEDER1", true, 2, {0x0008, 2}},
        {u"FEEDER1", true, 3, {0x0008, 2}},       // 3 is not in the mask
        {u"FEEDER1", true, 0, {0x0008, 2}},
        {u"MP", true, 1, {0, 0}},                 // a record without bits allows nothing
        {u"LCH", true, 1, before},                // an option device, not an input device
        {u"FEEDER9", true, 1, before},
        {u"feeder1", false, 0, before},           // names compare exactly
    };
    for (const InputOptionCase& c : cases) {
        DeviceSlot pair = before;
        // The entry sits at an odd address inside a status record.
        BYTE status[16] = {};
        std::memcpy(status + 1, &c.reported, sizeof(c.reported));
        ApplyInputDeviceOption(&pair, c.withEntry ? status + 1 : nullptr, c.name, model_.get());
        EXPECT_EQ(pair.State, c.expected.State) << U8(c.name) << " " << c.reported;
        EXPECT_EQ(pair.Code, c.expected.Code) << U8(c.name) << " " << c.reported;
    }
}

}  // namespace
}  // namespace kvtest

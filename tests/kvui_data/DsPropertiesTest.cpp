// The directory-service properties and the installed options taken from the trays that the
// printer reported.
#include <cstring>
#include <string>
#include <vector>

#include "tests/kvui_data/DataFixture.h"
#include "ui/data/PrinterDataValues.h"

namespace kvuidata {
namespace {

std::vector<BYTE> MultiString(const std::u16string& text) {
    std::vector<BYTE> bytes((text.size() + 2) * 2, 0);
    std::memcpy(bytes.data(), text.data(), text.size() * 2);
    return bytes;
}

StoredValue Ds(HANDLE printer, const std::u16string& name) { return ReadValue(printer, name, u"DsDriver"); }

BinConfigEntry Tray(SHORT bin, SHORT value) { return BinConfigEntry{bin, value, 1, 100, 0, -1}; }

using DsPropertiesTest = LinkedDataTest;

TEST_F(DsPropertiesTest, TheSixPropertiesComeFromTheBlockAndTheLanguageLibrary) {
    SetUserLocale(u"00000409");
    DriverDevMode block = Defaults();
    block.InstalledMemory = 262144;
    block.DeviceSlots[8] = {0x0009, 1};  // duplex unit present and installed
    PrinterStatusSnapshot status{};
    PublishDsProperties(&block, &status, printer_, model_);
    EXPECT_EQ(Ds(printer_, u"printMediaReady").bytes, std::vector<BYTE>(4, 0));
    EXPECT_EQ(Ds(printer_, u"printMediaReady").type, REG_MULTI_SZ);
    EXPECT_EQ(Ds(printer_, u"printBinNames").bytes, MultiString(u"Auto Select"));
    EXPECT_EQ(Ds(printer_, u"printLanguage").bytes, MultiString(u"VRTL"));
    EXPECT_EQ(Ds(printer_, u"printDuplexSupported").bytes, std::vector<BYTE>{1});
    EXPECT_EQ(Ds(printer_, u"printMemory").AsDword(), 262144u);
    EXPECT_EQ(Ds(printer_, u"printStaplingSupported").bytes, std::vector<BYTE>{0});

    for (const WORD flags : {WORD{0x0001}, WORD{0x0008}}) {
        block.DeviceSlots[8].State = flags;
        PublishDsProperties(&block, &status, printer_, model_);
        EXPECT_EQ(Ds(printer_, u"printDuplexSupported").bytes, std::vector<BYTE>{0}) << flags;
    }
}

TEST_F(DsPropertiesTest, ReportedTraysSetTheInstalledOptions) {
    DriverDevMode block = Defaults();
    for (DeviceSlot& slot : block.DeviceSlots) slot.State |= kDeviceInstalled;
    PrinterStatusSnapshot status{};
    status.printerExtStatus = kExtStatusKnown;
    status.binConfig[0] = Tray(1, 0);
    status.binConfig[1] = Tray(3, 7);
    status.binConfig[2] = Tray(5, 0);
    status.binConfig[3] = Tray(77, 0);  // no tray of this printer
    status.binConfigCount = 4;
    PublishDsProperties(&block, &status, printer_, model_);
    auto installed = [&block](int slot) { return (block.DeviceSlots[slot].State & kDeviceInstalled) != 0; };
    EXPECT_TRUE(installed(0));
    EXPECT_FALSE(installed(1));
    EXPECT_TRUE(installed(2));
    EXPECT_EQ(block.DeviceSlots[2].Code, 7);
    EXPECT_TRUE(installed(4));
    EXPECT_TRUE(installed(19)) << "the fifth feeder brings its unit";
    EXPECT_FALSE(installed(5));
    EXPECT_TRUE(installed(8)) << "duplex is no tray";
    EXPECT_TRUE(installed(16)) << "FUT is no tray";
}

TEST_F(DsPropertiesTest, AReportedCountAboveTheTrayListReadsOnlyTheList) {
    DriverDevMode block = Defaults();
    PrinterStatusSnapshot status{};
    status.printerExtStatus = kExtStatusKnown;
    for (int i = 0; i < kBinConfigEntries; ++i) status.binConfig[i] = Tray(77, 0);
    // What follows the list would read as a manual-feed tray.
    status.spoolerStatus = 2001;
    status.binConfigCount = 12;
    PublishDsProperties(&block, &status, printer_, model_);
    EXPECT_EQ(block.DeviceSlots[6].State & kDeviceInstalled, 0);
}

TEST_F(DsPropertiesTest, WithoutTheLanguageLibraryNothingIsPublished) {
    kvtest::SamplePrinterOptions options;
    options.installLanguageLibraries = false;
    options.driverPath = u"C:\\drv\\KVX.DLL";  // too short a name to lead to a language library
    InstallPrinter(options);
    DriverDevMode block = Defaults();
    PrinterStatusSnapshot status{};
    PublishDsProperties(&block, &status, printer_, model_);
    EXPECT_FALSE(Ds(printer_, u"printMemory").present);
}

}  // namespace
}  // namespace kvuidata

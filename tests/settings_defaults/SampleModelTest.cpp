// The defaults and the job settings of the sample printer with the driver's own data file and
// language libraries, as the rendering and user-interface libraries get them.
#include <cstring>
#include <memory>
#include <string>

#include "settings/DefaultSettings.h"
#include "settings/MergeSettings.h"
#include "settings/ModelCache.h"
#include "tests/support/TestRoot.h"
#include "tools/sample/SamplePrinter.h"

namespace kvtest {
namespace {

class SampleModelTest : public StandInTest {
protected:
    void SetUp() override {
        StandInTest::SetUp();
        InitSettingsLock();
        const SamplePrinterResult installed = InstallSamplePrinter();
        ASSERT_TRUE(installed.dataFileCopied);
        ASSERT_TRUE(installed.languageLibrariesInstalled);
        printer_ = std::make_unique<ScopedPrinter>();
        ASSERT_NE(printer_->handle(), nullptr);
        model_ = AcquireModelDescription(printer_->handle());
        ASSERT_NE(model_, nullptr);
    }
    void TearDown() override {
        ReleaseModelDescription(model_);
        printer_.reset();
        FreeSettingsLock();
        StandInTest::TearDown();
    }

    std::unique_ptr<ScopedPrinter> printer_;
    const ModelDescription* model_ = nullptr;
};

TEST_F(SampleModelTest, DefaultsOfTheDriversModel) {
    DriverDevMode block;
    BuildDefaultDevMode(&block, printer_->handle(), nullptr, model_);
    EXPECT_EQ(std::u16string(block.Public.dmDeviceName), u"KV-TD520");
    EXPECT_EQ(std::u16string(block.Public.dmFormName), u"A4");
    EXPECT_EQ(block.Public.dmPaperSize, 9);
    EXPECT_EQ(block.Public.dmPrintQuality, 600);
    EXPECT_EQ(block.Public.dmDefaultSource, 7);
    EXPECT_EQ(block.PrivateID, model_->PrivateID);
    EXPECT_EQ(block.TopMargin, 43);
    EXPECT_EQ(block.LeftMargin, 43);
    EXPECT_EQ(block.InstalledMemory, 131072u);
    struct Slot {
        int index;
        WORD state;
        WORD code;
    };
    const Slot slots[] = {
        {0, 0x0008, 1},      // FEEDER1 0x00080001
        {5, 0x0008, 1001},   // MSF 0x00080080
        {6, 0x0008, 2001},   // MANUAL 0x00080100
        {11, 0x0008, 3001},  // NIC, an option device, 0x00080008
        {19, 0x0000, 4501},  // LCH 0x00001000
    };
    for (const Slot& s : slots) {
        EXPECT_EQ(block.DeviceSlots[s.index].State, s.state) << s.index;
        EXPECT_EQ(block.DeviceSlots[s.index].Code, s.code) << s.index;
    }

    DriverDevMode again;
    std::memset(&again, 0x5A, sizeof(again));
    BuildDefaultDevMode(&again, printer_->handle(), nullptr, model_);
    EXPECT_EQ(std::memcmp(&block, &again, sizeof(block)), 0);
}

TEST_F(SampleModelTest, JobSettingsTakeTheCallersOwnBlock) {
    DriverDevMode caller;
    BuildDefaultDevMode(&caller, printer_->handle(), nullptr, model_);
    caller.Public.dmFields = DM_PAPERSIZE | DM_COPIES | DM_ORIENTATION;
    caller.Public.dmPaperSize = 8;  // A3
    caller.Public.dmCopies = 12;
    caller.Public.dmOrientation = 2;
    caller.PagesPerSheet = 4;
    DriverDevMode block;
    GetCurrentDevMode(&block, &caller.Public, printer_->handle(), nullptr, model_, sizeof(caller));
    EXPECT_EQ(std::u16string(block.Public.dmFormName), u"A3");
    EXPECT_EQ(block.Public.dmPaperLength, 4200);
    EXPECT_EQ(block.Public.dmCopies, 12);
    EXPECT_EQ(block.Public.dmOrientation, 2);
    EXPECT_EQ(block.PagesPerSheet, 4);
    EXPECT_EQ(block.SavedPaperSize, 8);
    EXPECT_EQ(block.SavedOrientation, 2);
}

}  // namespace
}  // namespace kvtest

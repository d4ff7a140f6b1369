// The process-wide shared model description: use count, private copies and replacement.
#include <gtest/gtest.h>

#include <string>

#include "platform/Spooler.h"
#include "settings/ModelCache.h"
#include "tests/settings_model/ModelTestSupport.h"

namespace {

constexpr char16_t kFirstData[] = u"C:\\drv\\KV1.DAT";
constexpr char16_t kSecondData[] = u"C:\\other\\KV2.DAT";

class ModelSharing : public kvtest::StandInTest {
protected:
    void SetUp() override {
        StandInTest::SetUp();
        InitSettingsLock();
        AddPrinter(u"First", kFirstData, "*PPM 11\r\n*FriendlyName \"First\"\r\n");
        AddPrinter(u"FirstAgain", kFirstData, "");
        AddPrinter(u"Second", kSecondData, "*PPM 22\r\n*FriendlyName \"Second\"\r\n");
    }
    void TearDown() override {
        for (HANDLE printer : printers_) ClosePrinter(printer);
        FreeSettingsLock();  // frees the shared image; the leak checker sees the rest
        StandInTest::TearDown();
    }

    // Adds a printer of the stand-in's spooler; an empty source shares an existing data file.
    void AddPrinter(const std::u16string& name, const std::u16string& dataFile, const std::string& source) {
        if (!source.empty()) WriteFile(dataFile, kvtest::Utf16LeBytes(kvtest::U16(source), true));
        standin::PrinterSetup setup;
        setup.name = name;
        setup.driverPath = u"C:\\drv\\KVDRV.DLL";
        setup.dataFile = dataFile;
        standin::AddPrinter(setup);
    }
    HANDLE Open(const std::u16string& name) {
        HANDLE printer = nullptr;
        std::u16string copy = name;
        EXPECT_TRUE(OpenPrinterW(copy.data(), &printer, nullptr));
        printers_.push_back(printer);
        return printer;
    }

    std::vector<HANDLE> printers_;
};

TEST_F(ModelSharing, SameDataFileSharesOneBlock) {
    const ModelDescription* a = AcquireModelDescription(Open(u"First"));
    const ModelDescription* b = AcquireModelDescription(Open(u"FirstAgain"));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a, b);
    EXPECT_EQ(a->PPM, 11u);
    EXPECT_EQ(SharedModelUseCount(), 2u);

    ReleaseModelDescription(a);
    ReleaseModelDescription(b);
    EXPECT_EQ(SharedModelUseCount(), 0u);
    // Kept at count 0 for the next acquire of the same file.
    const ModelDescription* c = AcquireModelDescription(Open(u"First"));
    EXPECT_EQ(c, a);
    EXPECT_EQ(c->PPM, 11u);
    EXPECT_EQ(SharedModelUseCount(), 1u);
    ReleaseModelDescription(c);
}

TEST_F(ModelSharing, OtherDataFileWhileInUseGetsAPrivateCopy) {
    const ModelDescription* shared = AcquireModelDescription(Open(u"First"));
    const ModelDescription* copy = AcquireModelDescription(Open(u"Second"));
    ASSERT_TRUE(shared && copy);
    EXPECT_NE(copy, shared);
    EXPECT_EQ(copy->PPM, 22u);
    EXPECT_EQ(SharedModelUseCount(), 1u);
    ReleaseModelDescription(copy);  // freed; the leak checker would report it otherwise
    EXPECT_EQ(SharedModelUseCount(), 1u);
    EXPECT_EQ(shared->PPM, 11u);
    ReleaseModelDescription(shared);
}

TEST_F(ModelSharing, OtherDataFileAtCountZeroReplacesTheSharedImage) {
    const ModelDescription* first = AcquireModelDescription(Open(u"First"));
    ASSERT_NE(first, nullptr);
    ReleaseModelDescription(first);
    const ModelDescription* second = AcquireModelDescription(Open(u"Second"));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->PPM, 22u);
    EXPECT_EQ(SharedModelUseCount(), 1u);
    // The first file is now the other one: a private copy.
    const ModelDescription* again = AcquireModelDescription(Open(u"First"));
    ASSERT_NE(again, nullptr);
    EXPECT_NE(again, second);
    EXPECT_EQ(again->PPM, 11u);
    EXPECT_EQ(SharedModelUseCount(), 1u);
    ReleaseModelDescription(again);
    ReleaseModelDescription(second);
}

TEST_F(ModelSharing, SurplusReleasesKeepTheCountAtZero) {
    const ModelDescription* model = AcquireModelDescription(Open(u"First"));
    ASSERT_NE(model, nullptr);
    ReleaseModelDescription(model);
    ReleaseModelDescription(model);
    ReleaseModelDescription(model);
    EXPECT_EQ(SharedModelUseCount(), 0u);
    EXPECT_EQ(AcquireModelDescription(Open(u"First")), model);
    EXPECT_EQ(SharedModelUseCount(), 1u);
    ReleaseModelDescription(model);
    ReleaseModelDescription(nullptr);
}

TEST_F(ModelSharing, NoImageWithoutDriverInformationOrDataFile) {
    AddPrinter(u"NoFile", u"C:\\drv\\MISSING.DAT", "");
    AddPrinter(u"LongPath", u"C:\\" + std::u16string(270, u'd') + u".DAT", "");
    EXPECT_EQ(AcquireModelDescription(Open(u"NoFile")), nullptr);
    EXPECT_EQ(AcquireModelDescription(Open(u"LongPath")), nullptr);
    EXPECT_EQ(AcquireModelDescription(nullptr), nullptr);
    EXPECT_EQ(SharedModelUseCount(), 0u);
    // A failed acquire does not disturb a later one.
    const ModelDescription* model = AcquireModelDescription(Open(u"First"));
    ASSERT_NE(model, nullptr);
    ReleaseModelDescription(model);
}

TEST_F(ModelSharing, FillFromTheCacheTheSizeQueryWrote) {
    const ModelDescription* model = AcquireModelDescription(Open(u"Second"));
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(ReadFile(u"C:\\other\\KV2.VMC"), modeltest::ImageBytes(model));
    EXPECT_EQ(modeltest::Str(model, model->FriendlyName), "Second");
    ReleaseModelDescription(model);
}

}  // namespace

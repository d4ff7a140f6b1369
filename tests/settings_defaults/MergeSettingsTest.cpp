// Merging a caller's DEVMODE into a settings block, and the job settings order.
#include <cstring>
#include <string>
#include <vector>

#include "settings/DefaultSettings.h"
#include "settings/MergeSettings.h"
#include "tests/settings_defaults/DefaultsFixture.h"

namespace kvtest {
namespace {

// A public-only DEVMODE (220 bytes, no private part) naming only the given fields.
DEVMODEW PublicSource(DWORD fields) {
    DEVMODEW dm{};
    dm.dmSpecVersion = 0x0401;
    dm.dmSize = sizeof(DEVMODEW);
    dm.dmFields = fields;
    return dm;
}

class MergeTest : public DefaultsTest {
protected:
    void SetUp() override {
        DefaultsTest::SetUp();
        InstallPrinter();
        BuildDefaultDevMode(&defaults_, printer(), nullptr, model_.get());
    }

    void Merge(DriverDevMode* block, const void* source, size_t cbSource) {
        MergeDevMode(block, static_cast<const DEVMODEW*>(source), printer(), model_.get(), cbSource);
    }
    void Merge(DriverDevMode* block, const DEVMODEW& source) { Merge(block, &source, sizeof(source)); }
    void Merge(DriverDevMode* block, const std::vector<BYTE>& source) { Merge(block, source.data(), source.size()); }

    DriverDevMode defaults_;
};

struct PublicFieldCase {
    const char* label;
    DWORD bit;
    SHORT DEVMODEW::*field;
    SHORT value;
    SHORT expected;
};

TEST_F(MergeTest, PublicFieldsAreTakenWhenNamedAndInRange) {
    const PublicFieldCase cases[] = {
        {"portrait to landscape", DM_ORIENTATION, &DEVMODEW::dmOrientation, 2, 2},
        {"orientation 3", DM_ORIENTATION, &DEVMODEW::dmOrientation, 3, 1},
        {"orientation not named", 0, &DEVMODEW::dmOrientation, 2, 1},
        {"copies 0", DM_COPIES, &DEVMODEW::dmCopies, 0, 7},
        {"copies 1", DM_COPIES, &DEVMODEW::dmCopies, 1, 1},
        {"copies 999", DM_COPIES, &DEVMODEW::dmCopies, 999, 999},
        {"copies 1000", DM_COPIES, &DEVMODEW::dmCopies, 1000, 999},
        {"copies 32767", DM_COPIES, &DEVMODEW::dmCopies, 32767, 999},
        {"copies -5", DM_COPIES, &DEVMODEW::dmCopies, -5, 7},
        {"copies not named", 0, &DEVMODEW::dmCopies, 5, 7},
        {"listed source", DM_DEFAULTSOURCE, &DEVMODEW::dmDefaultSource, 1001, 1001},
        {"unlisted source", DM_DEFAULTSOURCE, &DEVMODEW::dmDefaultSource, 5, 7},
        {"listed resolution", DM_PRINTQUALITY, &DEVMODEW::dmPrintQuality, 400, 400},
        {"unlisted resolution", DM_PRINTQUALITY, &DEVMODEW::dmPrintQuality, 300, 600},
        {"second resolution value", DM_PRINTQUALITY, &DEVMODEW::dmPrintQuality, 0, 600},
        {"duplex 3", DM_DUPLEX, &DEVMODEW::dmDuplex, 3, 3},
        {"duplex 4", DM_DUPLEX, &DEVMODEW::dmDuplex, 4, 1},
        {"duplex 0", DM_DUPLEX, &DEVMODEW::dmDuplex, 0, 1},
    };
    for (const PublicFieldCase& c : cases) {
        DriverDevMode block = defaults_;
        block.Public.dmCopies = 7;
        DEVMODEW source = PublicSource(c.bit);
        source.*c.field = c.value;
        Merge(&block, source);
        EXPECT_EQ(block.Public.*c.field, c.expected) << c.label;
    }
}

struct PaperCase {
    const char* label;
    DWORD fields;
    SHORT paperSize;
    const char16_t* formName;
    SHORT length;
    SHORT width;
    SHORT expectedSize;
    const char16_t* expectedName;
    SHORT expectedLength;
    SHORT expectedWidth;
};

TEST_F(MergeTest, PaperComesFromTheFirstRuleThatFindsAForm) {
    // The block starts on B5 (JIS), 182 x 257 mm.
    const PaperCase cases[] = {
        {"size", DM_PAPERSIZE, kA4Position, u"", 0, 0, kA4Position, u"A4", 2970, 2100},
        {"A3 kept by its name", DM_PAPERSIZE, 8, u"", 0, 0, 8, u"A3", 4200, 2970},
        {"blanked entry", DM_PAPERSIZE, kTabloidPosition, u"", 0, 0, kB5Position, u"B5 (JIS)", 2570, 1820},
        {"blanked entry, then name", DM_PAPERSIZE | DM_FORMNAME, kTabloidPosition, u"A4", 0, 0, kA4Position, u"A4",
         2970, 2100},
        {"size beyond the list, then name", DM_PAPERSIZE | DM_FORMNAME, 500, u"A5", 0, 0, 11, u"A5", 2100, 1480},
        {"name", DM_FORMNAME, 0, u"A4", 0, 0, kA4Position, u"A4", 2970, 2100},
        {"name the printer lacks", DM_FORMNAME, 0, u"No such form", 0, 0, kB5Position, u"B5 (JIS)", 2570, 1820},
        {"empty name", DM_FORMNAME, 0, u"", 0, 0, kB5Position, u"B5 (JIS)", 2570, 1820},
        {"unknown name, then size", DM_FORMNAME | DM_PAPERLENGTH | DM_PAPERWIDTH, 0, u"No such form", 2970, 2100,
         kA4Position, u"A4", 2970, 2100},
        {"size within 100", DM_PAPERLENGTH | DM_PAPERWIDTH, 0, u"", 2970, 2101, kA4Position, u"A4", 2970, 2100},
        {"size within 100 both ways", DM_PAPERLENGTH | DM_PAPERWIDTH, 0, u"", 2969, 2101, kA4Position, u"A4", 2970,
         2100},
        {"size 200 off", DM_PAPERLENGTH | DM_PAPERWIDTH, 0, u"", 2970, 2102, kB5Position, u"B5 (JIS)", 2570, 1820},
        {"length alone", DM_PAPERLENGTH, 0, u"", 2970, 2100, kB5Position, u"B5 (JIS)", 2570, 1820},
        {"0 x 0 matches no blanked entry", DM_PAPERLENGTH | DM_PAPERWIDTH, 0, u"", 0, 0, kB5Position, u"B5 (JIS)",
         2570, 1820},
    };
    for (const PaperCase& c : cases) {
        DriverDevMode block = defaults_;
        block.Public.dmPaperSize = kB5Position;
        std::memcpy(block.Public.dmFormName, u"B5 (JIS)", sizeof(u"B5 (JIS)"));
        block.Public.dmPaperLength = 2570;
        block.Public.dmPaperWidth = 1820;
        DEVMODEW source = PublicSource(c.fields);
        source.dmPaperSize = c.paperSize;
        std::u16string(c.formName).copy(source.dmFormName, CCHFORMNAME - 1);
        source.dmPaperLength = c.length;
        source.dmPaperWidth = c.width;
        Merge(&block, source);
        SCOPED_TRACE(c.label);
        EXPECT_EQ(block.Public.dmPaperSize, c.expectedSize);
        EXPECT_EQ(Text(block.Public.dmFormName), c.expectedName);
        EXPECT_EQ(block.Public.dmPaperLength, c.expectedLength);
        EXPECT_EQ(block.Public.dmPaperWidth, c.expectedWidth);
        // The saved public values follow every merge.
        EXPECT_EQ(block.SavedPaperSize, c.expectedSize);
        EXPECT_EQ(Text(block.SavedFormName), c.expectedName);
    }
}

TEST_F(MergeTest, OwnPrivatePartIsTakenWhole) {
    DriverDevMode source = defaults_;
    std::strcpy(source.OverlayFolder, "D:\\forms");
    source.FeatureFlags = 0x00000800;
    source.NupDown = 2;
    source.SavedOverlayFlags = 0x55;
    source.SavedPaperSize = 99;
    source.Public.dmFields = DM_COPIES;
    source.Public.dmCopies = 3;
    DriverDevMode block = defaults_;
    Merge(&block, BlockBytesOf(source));
    EXPECT_EQ(std::string(block.OverlayFolder), "D:\\forms");
    EXPECT_EQ(block.FeatureFlags, 0x00000800u);
    EXPECT_EQ(block.NupDown, 2);
    EXPECT_EQ(block.Public.dmCopies, 3);
    // Only the public part of the saved copy is refreshed after the private part came in.
    EXPECT_EQ(block.SavedOverlayFlags, 0x55);
    EXPECT_EQ(block.SavedPaperSize, kA4Position);
}

TEST_F(MergeTest, OwnPrivatePartBehindAnOlderPublicLayout) {
    DriverDevMode full = defaults_;
    full.FeatureFlags = 0x00000800;
    std::vector<BYTE> source = BlockBytesOf(full);
    source.erase(source.begin() + 212, source.begin() + 220);
    const WORD size = 212;
    const WORD spec = 0x0400;
    std::memcpy(source.data() + offsetof(DEVMODEW, dmSize), &size, 2);
    std::memcpy(source.data() + offsetof(DEVMODEW, dmSpecVersion), &spec, 2);
    DriverDevMode block = defaults_;
    Merge(&block, source);
    EXPECT_EQ(block.FeatureFlags, 0x00000800u);
}

TEST_F(MergeTest, AnotherModelsPrivatePartIsIgnoredWhilePublicFieldsMerge) {
    DriverDevMode source = defaults_;
    source.PrivateID = kTestPrivateId + 1;
    source.FeatureFlags = 0x00000800;
    source.Public.dmFields = DM_COPIES | DM_DUPLEX;
    source.Public.dmCopies = 4;
    source.Public.dmDuplex = 2;
    DriverDevMode block = defaults_;
    Merge(&block, BlockBytesOf(source));
    EXPECT_EQ(block.FeatureFlags, defaults_.FeatureFlags);
    EXPECT_EQ(block.Public.dmCopies, 4);
    EXPECT_EQ(block.Public.dmDuplex, 2);
    EXPECT_EQ(block.SavedDuplex, 2);
}

TEST_F(MergeTest, ShortPrivatePartIsIgnoredEvenBehindTheBlocksOwnId) {
    // 100 private bytes stop before PrivateID (offset 172 of the part): the converted copy
    // would still show the block's own size and id.
    DriverDevMode full = defaults_;
    std::strcpy(full.OverlayFolder, "X:\\elsewhere");
    full.OverlayFlags = 1;
    std::vector<BYTE> source = BlockBytesOf(full);
    source.resize(220 + 100);
    const WORD extra = 100;
    std::memcpy(source.data() + offsetof(DEVMODEW, dmDriverExtra), &extra, 2);
    DriverDevMode block = defaults_;
    Merge(&block, source);
    EXPECT_EQ(std::string(block.OverlayFolder), "");
    EXPECT_EQ(block.OverlayFlags, defaults_.OverlayFlags);
}

TEST_F(MergeTest, UnterminatedStringsComeOutTerminated) {
    std::vector<BYTE> source = BlockBytesOf(defaults_);
    for (const StringField& field : kStringFields) {
        std::memset(source.data() + field.offset, 'A', field.unitBytes * field.units);
    }
    DriverDevMode block = defaults_;
    Merge(&block, source);
    EXPECT_EQ(UnterminatedFields(block), std::vector<std::string>());
    EXPECT_EQ(std::string(block.OverlayFolder), std::string(127, 'A'));
    EXPECT_EQ(Text(block.JobFolder).size(), 255u);
}

TEST_F(MergeTest, NothingChangesWithoutAScratchBlockOrASource) {
    DriverDevMode source = defaults_;
    source.Public.dmCopies = 9;
    source.FeatureFlags = 0x00000800;
    DriverDevMode block = defaults_;
    standin::InjectFault(standin::Fault::GlobalAlloc, ERROR_NOT_ENOUGH_MEMORY, 0, 1);
    Merge(&block, BlockBytesOf(source));
    standin::ClearFaults();
    Merge(&block, nullptr, 0);
    EXPECT_EQ(BlockBytesOf(block), BlockBytesOf(defaults_));
}

// --- Job settings: defaults, printer's DEVMODE, caller's DEVMODE ---

class CurrentDevModeTest : public DefaultsTest {
protected:
    void InstallWithPrinterDevMode(const std::vector<BYTE>& devMode) {
        SamplePrinterOptions options;
        options.devMode = devMode;
        InstallPrinter(options);
    }
};

TEST_F(CurrentDevModeTest, NoCallerBlockGivesDefaultsWithThePrintersDevMode) {
    InstallWithPrinterDevMode(PublicDevMode(u"B5 (JIS)", kB5Position));
    DriverDevMode expected;
    BuildDefaultDevMode(&expected, printer(), nullptr, model_.get());
    expected.Public.dmPaperSize = kB5Position;
    std::memcpy(expected.Public.dmFormName, u"B5 (JIS)", sizeof(u"B5 (JIS)"));
    expected.Public.dmPaperLength = 2570;
    expected.Public.dmPaperWidth = 1820;
    RefreshSavedPublicCopy(&expected);

    DriverDevMode block;
    GetCurrentDevMode(&block, nullptr, printer(), nullptr, model_.get());
    EXPECT_EQ(BlockBytesOf(block), BlockBytesOf(expected));
}

TEST_F(CurrentDevModeTest, CallerFormThePrinterLacksKeepsThePrintersPaper) {
    InstallWithPrinterDevMode(PublicDevMode(u"B5 (JIS)", kB5Position));
    DEVMODEW caller = PublicSource(DM_FORMNAME | DM_COPIES);
    std::memcpy(caller.dmFormName, u"No such form", sizeof(u"No such form"));
    caller.dmCopies = 2;
    DriverDevMode block;
    GetCurrentDevMode(&block, &caller, printer(), nullptr, model_.get(), sizeof(caller));
    EXPECT_EQ(block.Public.dmPaperSize, kB5Position);
    EXPECT_EQ(Text(block.Public.dmFormName), u"B5 (JIS)");
    EXPECT_EQ(block.Public.dmCopies, 2);
}

TEST_F(CurrentDevModeTest, PrintersOwnPrivatePartIsTaken) {
    InstallPrinter();
    DriverDevMode stored;
    BuildDefaultDevMode(&stored, printer(), nullptr, model_.get());
    stored.FeatureFlags = 0x00000800;
    standin::SetPrinterDevMode(kSamplePrinterName, BlockBytesOf(stored));
    DriverDevMode block;
    GetCurrentDevMode(&block, nullptr, printer(), nullptr, model_.get());
    EXPECT_EQ(block.FeatureFlags, 0x00000800u);
}

TEST_F(CurrentDevModeTest, PrinterDevModeClaimingMoreThanTheSpoolerHoldsIsIgnored) {
    // 220 bytes stored, 220 + 1,988 claimed: the claim ends past the spooler's record.
    std::vector<BYTE> devMode = PublicDevMode(u"B5 (JIS)", kB5Position);
    const WORD extra = 1988;
    std::memcpy(devMode.data() + offsetof(DEVMODEW, dmDriverExtra), &extra, 2);
    InstallWithPrinterDevMode(devMode);
    DriverDevMode block;
    GetCurrentDevMode(&block, nullptr, printer(), nullptr, model_.get());
    EXPECT_EQ(block.Public.dmPaperSize, kA4Position);
}

}  // namespace
}  // namespace kvtest

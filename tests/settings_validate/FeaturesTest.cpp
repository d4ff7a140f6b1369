// The paper source, the values this printer does not vary, the feature switches and the
// raw-only check of file mode.
#include <string>

#include "platform/Kernel.h"
#include "platform/Spooler.h"
#include "settings/ValidateSettings.h"
#include "tests/settings_validate/ValidateFixture.h"

namespace kvtest {
namespace {

constexpr DWORD Bit(int n) { return 1u << n; }
constexpr DWORD kOptionIgnoreMemory = Bit(17);

struct SourceCase {
    SHORT source;
    SHORT expectedSource;
    WORD expectedMediaValue;
};

// SourceValues hold 100 + their index; the saved value is 55.
TEST_F(ValidateTest, KeepsAKnownSourceAndTakesItsMediaValue) {
    const SourceCase cases[] = {
        {kSourceAuto, kSourceAuto, 100},
        {kSourceFeeder1, kSourceFeeder1, 101},
        {261, 261, 105},  // FEEDER5
        {kSourceManual, kSourceManual, 106},
        {kSourceGroupA, kSourceGroupA, 107},
        {264, 264, 108},                                 // GROUPB
        {kSourceMultiPurpose, kSourceMultiPurpose, 55},  // no per-source value
        {5, 5, 55},                                      // ENV
        {999, kSourceAuto, 100},                         // unknown to the model
        {0, kSourceAuto, 100},
    };
    const DriverDevMode defaults = block_;
    for (const SourceCase& c : cases) {
        SCOPED_TRACE(c.source);
        block_ = defaults;
        for (int i = 0; i < kSourceValueCount; ++i) block_.SourceValues[i] = static_cast<WORD>(100 + i);
        block_.SavedSourceMediaValue = 55;
        block_.SourceMediaValue = 77;
        block_.Public.dmDefaultSource = c.source;
        Validate();
        EXPECT_EQ(block_.Public.dmDefaultSource, c.expectedSource);
        EXPECT_EQ(block_.SourceMediaValue, c.expectedMediaValue);
    }
}

TEST_F(ValidateTest, ForcesTheValuesThisPrinterDoesNotVary) {
    block_.Public.dmOrientation = 2;
    block_.Public.dmDuplex = 3;
    block_.CoverFlags = 6;
    block_.DuplexShift = 12;
    block_.FeatureFlags |= Bit(5) | Bit(8);
    block_.OptionFlags |= kOptionCompatibleMargin;
    block_.OutputDestination = 3;
    Validate();
    EXPECT_EQ(block_.Public.dmOrientation, 1);
    EXPECT_EQ(block_.Public.dmDuplex, 1);
    EXPECT_EQ(block_.CoverFlags, 0u);
    EXPECT_EQ(block_.DuplexShift, 0);
    EXPECT_EQ(block_.FeatureFlags & (Bit(5) | Bit(8)), 0u);
    EXPECT_EQ(block_.OptionFlags & kOptionCompatibleMargin, 0u);
    EXPECT_EQ(block_.OutputDestination, 0);
}

TEST_F(ValidateTest, KeepsTheTwoSplitCountsInRange) {
    const struct {
        BYTE in, expected;
    } cases[] = {
        {0x12, 0x12}, {0x66, 0x66}, {0x17, 0x16}, {0x11, 0x12}, {0x10, 0x12}, {0x6F, 0x66},
        {0x72, 0x62}, {0x70, 0x62}, {0xFF, 0x66}, {0x05, 0x15}, {0x00, 0x12}, {0x0F, 0x16},
    };
    const DriverDevMode defaults = block_;
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.in));
        block_ = defaults;
        block_.SplitCounts = c.in;
        Validate();
        EXPECT_EQ(block_.SplitCounts, c.expected);
    }
}

TEST_F(ValidateTest, ClearsPageOptionBit2WhenBit0IsSet) {
    const struct {
        BYTE in, expected;
    } cases[] = {{0x05, 0x01}, {0x07, 0x03}, {0x04, 0x04}, {0x01, 0x01}, {0xFD, 0xF9}};
    const DriverDevMode defaults = block_;
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.in));
        block_ = defaults;
        block_.PageOptionBits = c.in;
        Validate();
        EXPECT_EQ(block_.PageOptionBits, c.expected);
    }
}

struct FeatureCase {
    const char* label;
    void (*setup)(DriverDevMode& block);
    bool withStatus;
    DWORD extStatus;
    DWORD runningPss;
    DWORD expectSet, expectClear;              // FeatureFlags
    DWORD expectOptionSet, expectOptionClear;  // OptionFlags
};

// Every case starts from the default A4 block from the automatic source with bits 3, 4, 5
// and 7 switched on.
TEST_F(ValidateTest, ClearsTheFeaturesThePaperSourceAndStatusExclude) {
    const DWORD b3 = Bit(3), b4 = Bit(4), b5 = Bit(5), b6 = Bit(6), b7 = Bit(7), o16 = Bit(16);
    const FeatureCase cases[] = {
        {"A4 from the automatic source", [](DriverDevMode&) {}, false, 0, 0, b3 | b4 | b6 | b7, b5, o16, 0},
        {"manual feeder keeps 6", [](DriverDevMode& b) { b.Public.dmDefaultSource = kSourceManual; }, false, 0, 0,
         b6, b3 | b4, 0, 0},
        {"multi-purpose feeder keeps 6",
         [](DriverDevMode& b) { b.Public.dmDefaultSource = kSourceMultiPurpose; }, false, 0, 0, b6, b3 | b4, 0, 0},
        {"feeder 1 clears 6", [](DriverDevMode& b) { b.Public.dmDefaultSource = kSourceFeeder1; }, false, 0, 0, 0,
         b3 | b4 | b6, 0, 0},
        {"A3 output paper",
         [](DriverDevMode& b) {
             SetFormName(b, u"A3");
             SetOutputName(b, u"A3");
             b.FeatureFlags |= kFeatureNupLayout;
         },
         false, 0, 0, b6, b3 | b4, 0, 0},
        {"往復はがき output paper",
         [](DriverDevMode& b) {
             SetFormName(b, u"往復はがき");
             SetOutputName(b, u"往復はがき");
             b.FeatureFlags |= kFeatureNupLayout;
         },
         false, 0, 0, 0, b3 | b4 | b6, 0, 0},
        {"封筒 洋形 4 号 paper", [](DriverDevMode& b) { SetFormName(b, u"封筒 洋形 4 号"); }, false, 0, 0, 0,
         b3 | b4 | b6, 0, 0},
        {"paper without a FormPort record", [](DriverDevMode& b) { SetFormName(b, u"Executive"); }, false, 0, 0, 0,
         b3 | b4 | b6, 0, 0},
        {"print mode 2", [](DriverDevMode& b) { b.PrintMode = 2; }, false, 0, 0, b6, b3 | b4, 0, 0},
        {"bit 6 off", [](DriverDevMode& b) { b.FeatureFlags &= ~Bit(6); }, false, 0, 0, 0, b3 | b4 | b6, 0, 0},
        // With a status snapshot.
        {"unknown status, 600 dpi, too little memory",
         [](DriverDevMode& b) {
             b.OptionFlags &= ~kOptionIgnoreMemory;
             b.InstalledMemory = 0x11FFF;
         },
         true, 0, 1, b3 | b6, b4 | b5 | b7, 0, o16},
        {"unknown status, 600 dpi, enough memory",
         [](DriverDevMode& b) {
             b.OptionFlags &= ~kOptionIgnoreMemory;
             b.InstalledMemory = 0x12000;
         },
         true, 0, 1, b3 | b4, 0, 0, 0},
        {"unknown status, 1200 dpi, too little memory",
         [](DriverDevMode& b) {
             b.OptionFlags &= ~kOptionIgnoreMemory;
             b.Public.dmPrintQuality = 1200;
             b.InstalledMemory = 0x41FFF;
         },
         true, 0, 1, b3, b4, 0, 0},
        {"unknown status, 1200 dpi, enough memory",
         [](DriverDevMode& b) {
             b.OptionFlags &= ~kOptionIgnoreMemory;
             b.Public.dmPrintQuality = 1200;
             b.InstalledMemory = 0x42000;
         },
         true, 0, 1, b3 | b4, 0, 0, 0},
        {"unknown status, memory check off", [](DriverDevMode& b) { b.InstalledMemory = 0; }, true, 0, 1, b3 | b4, 0,
         0, 0},
        {"known status skips the memory check",
         [](DriverDevMode& b) {
             b.OptionFlags &= ~kOptionIgnoreMemory;
             b.InstalledMemory = 0;
         },
         true, 0x4, 1, b3 | b4, b5 | b7, 0, o16},
        {"status with the capability", [](DriverDevMode&) {}, true, 0xC, 1, b3 | b4 | b7, b5, o16, 0},
        {"capability without known status", [](DriverDevMode&) {}, true, 0x8, 1, 0, b7, 0, o16},
        {"no status leaves bit 16", [](DriverDevMode& b) { b.OptionFlags |= Bit(16); }, false, 0, 0, b7, 0, o16, 0},
    };
    const DriverDevMode defaults = block_;
    for (const FeatureCase& c : cases) {
        SCOPED_TRACE(c.label);
        block_ = defaults;
        block_.FeatureFlags |= b3 | b4 | b5 | b7;
        c.setup(block_);
        const PrinterStatusSnapshot status = Status(c.extStatus, c.runningPss);
        Validate(c.withStatus ? &status : nullptr);
        EXPECT_EQ(block_.FeatureFlags & c.expectSet, c.expectSet);
        EXPECT_EQ(block_.FeatureFlags & c.expectClear, 0u);
        EXPECT_EQ(block_.OptionFlags & c.expectOptionSet, c.expectOptionSet);
        EXPECT_EQ(block_.OptionFlags & c.expectOptionClear, 0u);
    }
}

struct OutputFeatureCase {
    const char* label;
    DWORD features;
    SHORT quality;
    WORD pagesPerSheet;
    bool overlay;
    DWORD expectSet, expectClear;
};

TEST_F(ValidateTest, ClearsTheFeaturesTheOutputExcludes) {
    const DWORD deviceRendered = Bit(10) | Bit(12) | Bit(13) | Bit(14) | Bit(15) | Bit(27);
    const OutputFeatureCase cases[] = {
        {"one page per sheet clears 9", Bit(9), 600, 1, false, 0, Bit(9)},
        {"pages per sheet keep 9", Bit(9), 600, 2, false, Bit(9), 0},
        {"overlay clears 9", Bit(9), 600, 2, true, 0, Bit(9)},
        {"graphics only", Bit(11) | deviceRendered, 600, 1, false, Bit(11), deviceRendered},
        {"device features without graphics only", deviceRendered, 600, 1, false, deviceRendered, 0},
        {"300 dpi clears 12", Bit(12) | Bit(17), 300, 1, false, Bit(17), Bit(12)},
        {"1200 dpi clears 12 and 17", Bit(12) | Bit(17), 1200, 1, false, 0, Bit(12) | Bit(17)},
    };
    const DriverDevMode defaults = block_;
    for (const OutputFeatureCase& c : cases) {
        SCOPED_TRACE(c.label);
        block_ = defaults;
        block_.FeatureFlags |= c.features;
        block_.Public.dmPrintQuality = c.quality;
        block_.PagesPerSheet = c.pagesPerSheet;
        if (c.overlay) block_.OverlayFlags |= kOverlayOn;
        Validate();
        EXPECT_EQ(block_.FeatureFlags & c.expectSet, c.expectSet);
        EXPECT_EQ(block_.FeatureFlags & c.expectClear, 0u);
    }
}

TEST_F(ValidateTest, KeepsTheOverlayCheckOnlyWithTheOverlay) {
    const struct {
        WORD in, expected;
    } cases[] = {{0x0008, 0x0000}, {0x000C, 0x0004}, {0x0009, 0x0009}, {0x0004, 0x0004}};
    const DriverDevMode defaults = block_;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        block_ = defaults;
        block_.OverlayFlags = c.in;
        Validate();
        EXPECT_EQ(block_.OverlayFlags, c.expected);
    }
}

struct RawOnlyCase {
    const char* label;
    DWORD attributes;
    DWORD osMajor, osPlatform;
    bool staleHandle;
    WORD relaydockIn, expected;
};

TEST_F(ValidateTest, KeepsFileModeOnlyForARawOnlyPrinter) {
    const DWORD local = PRINTER_ATTRIBUTE_LOCAL;
    const DWORD rawOnly = PRINTER_ATTRIBUTE_LOCAL | PRINTER_ATTRIBUTE_RAW_ONLY;
    const WORD fileMode = kRelaydockFileMode | kRelaydockStartHelper | kRelaydockOwnFolder;
    const WORD otherBits = kRelaydockStartHelper | kRelaydockOwnFolder;
    const RawOnlyCase cases[] = {
        {"raw-only printer", rawOnly, 6, VER_PLATFORM_WIN32_NT, false, fileMode, fileMode},
        {"printer that also spools EMF", local, 6, VER_PLATFORM_WIN32_NT, false, fileMode, otherBits},
        {"system before version 5", rawOnly, 4, VER_PLATFORM_WIN32_NT, false, fileMode, otherBits},
        {"system that is not NT", rawOnly, 5, VER_PLATFORM_WIN32_WINDOWS, false, fileMode, otherBits},
        {"file mode off", rawOnly, 6, VER_PLATFORM_WIN32_NT, false, otherBits, otherBits},
        {"printer that cannot be read", local, 6, VER_PLATFORM_WIN32_NT, true, fileMode, fileMode},
    };
    const DriverDevMode defaults = block_;
    for (const RawOnlyCase& c : cases) {
        SCOPED_TRACE(c.label);
        standin::SetPrinterAttributes(kSamplePrinterName, c.attributes);
        standin::SetOsVersion(c.osMajor, 1, 7601, c.osPlatform);
        block_ = defaults;
        block_.RelaydockFlags = c.relaydockIn;
        if (c.staleHandle) {
            HANDLE stale = nullptr;
            std::u16string name = kSamplePrinterName;
            ASSERT_TRUE(OpenPrinterW(name.data(), &stale, nullptr));
            ASSERT_TRUE(ClosePrinter(stale));
            ValidateDevMode(&block_, nullptr, stale, nullptr, model_.get());
        } else {
            Validate();
        }
        EXPECT_EQ(block_.RelaydockFlags, c.expected);
    }
}

}  // namespace
}  // namespace kvtest

// Blocks from outside: range checks on every validation, validation that cannot resolve the
// paper, and a second validation that changes nothing.
#include <cstring>
#include <string>

#include "platform/Kernel.h"
#include "platform/StandIn.h"
#include "settings/ValidateSettings.h"
#include "tests/settings_validate/ValidateFixture.h"

namespace kvtest {
namespace {

// How much of the validation can run.
enum class Limit { None, NoLanguageLibrary, NoForms, NoModel };

const char* LimitName(Limit limit) {
    switch (limit) {
        case Limit::None: return "full validation";
        case Limit::NoLanguageLibrary: return "no language library";
        case Limit::NoForms: return "no forms";
        case Limit::NoModel: return "no model";
    }
    return "";
}

class LimitedValidateTest : public ValidateTest, public ::testing::WithParamInterface<Limit> {
protected:
    void ValidateWithLimit() {
        const Limit limit = GetParam();
        if (limit == Limit::NoLanguageLibrary) standin::InjectFault(standin::Fault::LoadLibrary, ERROR_MOD_NOT_FOUND);
        if (limit == Limit::NoForms) standin::SetForms({});
        ValidateDevMode(&block_, nullptr, printer(), nullptr, limit == Limit::NoModel ? nullptr : model_.get());
        standin::ClearFaults();
    }
};

struct ClampCase {
    const char* label;
    void (*setup)(DriverDevMode& block);
    long (*field)(const DriverDevMode& block);
    long expected;
};

TEST_P(LimitedValidateTest, BringsUntrustedFieldsIntoRange) {
    using B = DriverDevMode;
    const ClampCase cases[] = {
        {"pages per sheet 0", [](B& b) { b.PagesPerSheet = 0; }, [](const B& b) -> long { return b.PagesPerSheet; }, 1},
        {"pages per sheet 3", [](B& b) { b.PagesPerSheet = 3; }, [](const B& b) -> long { return b.PagesPerSheet; }, 1},
        {"pages per sheet 17", [](B& b) { b.PagesPerSheet = 17; }, [](const B& b) -> long { return b.PagesPerSheet; },
         1},
        {"pages per sheet 16", [](B& b) { b.PagesPerSheet = 16; }, [](const B& b) -> long { return b.PagesPerSheet; },
         16},
        // Bit 1 keeps the scale from being computed anew.
        {"scale 0",
         [](B& b) {
             b.FeatureFlags |= kFeatureNoReduction;
             b.LayoutScale = 0;
         },
         [](const B& b) -> long { return b.LayoutScale; }, 10},
        {"scale 5",
         [](B& b) {
             b.FeatureFlags |= kFeatureNoReduction;
             b.LayoutScale = 5;
         },
         [](const B& b) -> long { return b.LayoutScale; }, 10},
        {"scale 401",
         [](B& b) {
             b.FeatureFlags |= kFeatureNoReduction;
             b.LayoutScale = 401;
         },
         [](const B& b) -> long { return b.LayoutScale; }, 400},
        {"scale 400",
         [](B& b) {
             b.FeatureFlags |= kFeatureNoReduction;
             b.LayoutScale = 400;
         },
         [](const B& b) -> long { return b.LayoutScale; }, 400},
        {"copies 0", [](B& b) { b.Public.dmCopies = 0; }, [](const B& b) -> long { return b.Public.dmCopies; }, 1},
        {"copies -3", [](B& b) { b.Public.dmCopies = -3; }, [](const B& b) -> long { return b.Public.dmCopies; }, 1},
        {"copies 1000", [](B& b) { b.Public.dmCopies = 1000; }, [](const B& b) -> long { return b.Public.dmCopies; },
         999},
        {"copies 999", [](B& b) { b.Public.dmCopies = 999; }, [](const B& b) -> long { return b.Public.dmCopies; }, 999},
        {"down 0", [](B& b) { b.NupDown = 0; }, [](const B& b) -> long { return b.NupDown; }, 1},
        {"down 4", [](B& b) { b.NupDown = 4; }, [](const B& b) -> long { return b.NupDown; }, 1},
        {"across 200", [](B& b) { b.NupAcross = 200; }, [](const B& b) -> long { return b.NupAcross; }, 1},
        {"page frame 5", [](B& b) { b.PageFrame = 5; }, [](const B& b) -> long { return b.PageFrame; }, 0},
        {"page frame 4", [](B& b) { b.PageFrame = 4; }, [](const B& b) -> long { return b.PageFrame; }, 4},
        {"slot order 4",
         [](B& b) {
             b.PagesPerSheet = 4;
             b.NupSlotOrder = 4;
         },
         [](const B& b) -> long { return b.NupSlotOrder; }, 0},
        {"slot order 3",
         [](B& b) {
             b.PagesPerSheet = 4;
             b.NupSlotOrder = 3;
         },
         [](const B& b) -> long { return b.NupSlotOrder; }, 3},
        {"stamp selector 9", [](B& b) { b.PageStampSelector = 9; },
         [](const B& b) -> long { return static_cast<long>(b.PageStampSelector); }, 0},
        {"stamp selector 8", [](B& b) { b.PageStampSelector = 8; },
         [](const B& b) -> long { return static_cast<long>(b.PageStampSelector); }, 8},
        {"stamp position 0xFFFFFFFF", [](B& b) { b.PageStampPosition = 0xFFFFFFFFu; },
         [](const B& b) -> long { return static_cast<long>(b.PageStampPosition); }, 2},
        {"stamp position 0", [](B& b) { b.PageStampPosition = 0; },
         [](const B& b) -> long { return static_cast<long>(b.PageStampPosition); }, 0},
        {"log size 0", [](B& b) { b.LogSizeLimit = 0; },
         [](const B& b) -> long { return static_cast<long>(b.LogSizeLimit); }, 10},
        {"log size 101", [](B& b) { b.LogSizeLimit = 101; },
         [](const B& b) -> long { return static_cast<long>(b.LogSizeLimit); }, 10},
        {"log size 100", [](B& b) { b.LogSizeLimit = 100; },
         [](const B& b) -> long { return static_cast<long>(b.LogSizeLimit); }, 100},
    };
    const DriverDevMode defaults = block_;
    for (const ClampCase& c : cases) {
        SCOPED_TRACE(c.label);
        block_ = defaults;
        c.setup(block_);
        ValidateWithLimit();
        EXPECT_EQ(c.field(block_), c.expected);
    }
}

TEST_P(LimitedValidateTest, EndsEveryStringInsideItsField) {
    for (WCHAR& c : block_.UserName1) c = u'U';
    for (WCHAR& c : block_.OutputPaperName) c = u'O';
    for (WCHAR& c : block_.JobFileName) c = u'J';
    ValidateWithLimit();
    EXPECT_EQ(block_.UserName1[16], 0);
    EXPECT_EQ(block_.OutputPaperName[31], 0);
    EXPECT_EQ(block_.JobFileName[255], 0);
}

// When the paper cannot be resolved, the rest of the block is still made safe.
TEST_P(LimitedValidateTest, ChecksWhatNeedsNeitherFormsNorLanguageLibrary) {
    standin::SetPrinterAttributes(kSamplePrinterName, PRINTER_ATTRIBUTE_LOCAL);
    SetPaper(u"No such paper");
    block_.Public.dmPaperSize = 77;
    block_.Public.dmOrientation = 2;
    block_.Public.dmDuplex = 3;
    block_.CoverFlags = 2;
    block_.SplitCounts = 0xFF;
    block_.PageOptionBits = 0x05;
    block_.OutputDestination = 9;
    block_.OverlayFlags = kOverlayOn;
    block_.PagesPerSheet = 4;
    block_.PageFrame = 3;
    block_.FeatureFlags |= (1u << 5) | (1u << 9);
    block_.RelaydockFlags = kRelaydockFileMode;
    ValidateWithLimit();

    EXPECT_EQ(block_.Public.dmOrientation, 1);
    EXPECT_EQ(block_.Public.dmDuplex, 1);
    EXPECT_EQ(block_.CoverFlags, 0u);
    EXPECT_EQ(block_.SplitCounts, 0x66);
    EXPECT_EQ(block_.PageOptionBits, 0x01);
    EXPECT_EQ(block_.OutputDestination, 0);
    EXPECT_EQ(block_.PagesPerSheet, 1);
    EXPECT_EQ(block_.PageFrame, 0);
    EXPECT_EQ(block_.FeatureFlags & ((1u << 5) | (1u << 9)), 0u);
    EXPECT_EQ(block_.RelaydockFlags & kRelaydockFileMode, 0);
    if (GetParam() == Limit::None) {
        EXPECT_EQ(Text(block_.Public.dmFormName), u"A4");
    } else {
        // The paper itself needs the forms, the model and the library.
        EXPECT_EQ(Text(block_.Public.dmFormName), u"No such paper");
        EXPECT_EQ(block_.Public.dmPaperSize, 77);
    }
}

INSTANTIATE_TEST_SUITE_P(Limits, LimitedValidateTest,
                         ::testing::Values(Limit::None, Limit::NoLanguageLibrary, Limit::NoForms, Limit::NoModel),
                         [](const ::testing::TestParamInfo<Limit>& info) {
                             std::string name;
                             for (const char* p = LimitName(info.param); *p != 0; ++p) {
                                 if (*p != ' ' && *p != '-') name.push_back(*p);
                             }
                             return name;
                         });

TEST_F(ValidateTest, ADefaultBlockIsLeftAsItIsBySecondValidation) {
    Validate();
    const DriverDevMode once = block_;
    Validate();
    EXPECT_EQ(std::memcmp(&block_, &once, sizeof once), 0);
    EXPECT_EQ(Text(block_.Public.dmFormName), u"A4");
    EXPECT_EQ(block_.LayoutScale, 100);
}

TEST_F(ValidateTest, IgnoresAMissingBlock) {
    ValidateDevMode(nullptr, nullptr, printer(), nullptr, model_.get());
    SUCCEED();
}

}  // namespace
}  // namespace kvtest

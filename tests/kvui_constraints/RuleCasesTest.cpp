// The resolver's rules one click at a time: a starting block, the user's change (written to
// the field and its shadow as a page writes it), then the values the rules and validation
// force and the controls and tree items they grey or enable.
#include <functional>

#include "platform/StandIn.h"
#include "tests/kvui_constraints/ConstraintsFixture.h"

namespace kvuitest {
namespace {

struct Sheet {
    DWORD flags = kWritableSheet;
    bool withStatus = false;
    PrinterStatusSnapshot status{};
};

struct RuleCase {
    const char* name;
    std::function<void(DriverDevMode&, Sheet&)> change;
    std::function<void(const DriverDevMode&)> forced;  // may be empty
    std::vector<int> greyedControls;
    std::vector<int> enabledControls;
    std::vector<int> greyedItems;
    std::vector<int> enabledItems;
};

void Install(DriverDevMode& b, int slot) { b.DeviceSlots[slot].State |= 0x8; }

// The printer has not reported its memory, so the memory the user set counts.
void UnreportedMemory(DriverDevMode& b) {
    b.OptionFlags &= ~0x20000u;
    b.SavedOptionFlags &= ~0x20000u;
}

constexpr DWORD kOptionCapability = 0x10000;

template <typename T>
void Choose(T& field, T& shadow, T value) {
    field = value;
    shadow = value;
}

class RuleCasesTest : public ConstraintsTest, public ::testing::WithParamInterface<size_t> {};

const std::vector<RuleCase>& Cases() {
    static const std::vector<RuleCase> cases = {
        {"OverlayKeepsThePaperInTheShadow",
         [](DriverDevMode& b, Sheet&) {
             Choose<WORD>(b.OverlayFlags, b.SavedOverlayFlags, b.OverlayFlags | kOverlayOn);
             // The overlay's own form replaces the paper, not its shadow.
             std::u16string(u"A3").copy(b.Public.dmFormName, 3);
         },
         [](const DriverDevMode& b) {
             EXPECT_EQ(std::u16string(b.Public.dmFormName), u"A3");
             EXPECT_EQ(std::u16string(b.SavedFormName), u"A4");
             EXPECT_EQ(b.SavedPaperWidth, 2100);
             EXPECT_EQ(b.SavedPaperLength, 2970);
         },
         {1201, 1202, 1203, 1204, 1216, 1220, 1221, 1223, 1205, 1206, 1115, 1118},
         {1224, 1225, 1226},
         {419, 425, 426, 422, 403, 456},
         {427}},
        {"PaperWithoutAnyNupLayoutGreysEveryNupChoice",
         [](DriverDevMode& b, Sheet&) {
             PickForm(b, u"A3");
         },
         nullptr,
         {4142, 4143, 4144, 4145, 4146, 4147, 4148, 4149, 4150},
         {1201, 1204},
         {4575, 4576, 4577, 4578},
         {419}},
        {"ManualPostcardGreysSourceAndDuplex",
         [](DriverDevMode& b, Sheet& sheet) {
             PickForm(b, u"はがき");
             PickOutputPaper(b, u"はがき");
             Install(b, kSlotManual);
             Install(b, kSlotDuplex);
             sheet.withStatus = true;
             sheet.status.printerExtStatus = kExtStatusKnown;
         },
         nullptr,
         {1221, 1222, 1223, 1127, 1130, 1133},
         {1224, 1225, 1226, 1201},
         {426, 407},
         {427, 419}},
        {"PostcardWithoutManualFeedKeepsTheSource",
         [](DriverDevMode& b, Sheet&) {
             PickForm(b, u"はがき");
             PickOutputPaper(b, u"はがき");
             b.DeviceSlots[kSlotManual].State = 0;
         },
         nullptr,
         {1127},
         {1221, 1222, 1223},
         {407},
         {426}},
        {"DuplexNeedsTheUnitWhenTheStatusIsKnown",
         [](DriverDevMode&, Sheet& sheet) { sheet.withStatus = true; },
         nullptr,
         {1127, 1128, 1129, 1130, 1131, 1132, 1133},
         {},
         {407},
         {}},
        {"DuplexUnitInstalled",
         [](DriverDevMode& b, Sheet& sheet) {
             sheet.withStatus = true;
             Install(b, kSlotDuplex);
         },
         nullptr,
         {},
         {1127, 1133},
         {},
         {407}},
        {"ManualSourceRefusesDuplex",
         [](DriverDevMode& b, Sheet&) {
             Choose<SHORT>(b.Public.dmDefaultSource, b.SavedDefaultSource, kSourceManual);
         },
         [](const DriverDevMode& b) { EXPECT_EQ(b.Public.dmDefaultSource, kSourceManual); },
         {1127},
         {1221},
         {407},
         {426}},
        {"DuplexChoiceStaysInTheShadowWhileValidationForcesSimplex",
         [](DriverDevMode& b, Sheet&) { Choose<SHORT>(b.Public.dmDuplex, b.SavedDuplex, 2); },
         [](const DriverDevMode& b) {
             EXPECT_EQ(b.Public.dmDuplex, 1);
             EXPECT_EQ(b.SavedDuplex, 2);
         },
         {1134, 4400},
         {1127},
         {408, 4304},
         {407}},
        {"LandscapeIsForcedBackButRemembered",
         [](DriverDevMode& b, Sheet&) { Choose<SHORT>(b.Public.dmOrientation, b.SavedOrientation, 2); },
         [](const DriverDevMode& b) {
             EXPECT_EQ(b.Public.dmOrientation, 1);
             EXPECT_EQ(b.SavedOrientation, 2);
         },
         {},
         {1216, 1220},
         {},
         {425}},
        {"NupIsNotPlain",
         [](DriverDevMode& b, Sheet&) {
             Choose<BYTE>(b.NupDown, b.SavedNupDown, 1);
             Choose<BYTE>(b.NupAcross, b.SavedNupAcross, 2);
         },
         [](const DriverDevMode& b) { EXPECT_EQ(b.NupAcross, 2); },
         {1205, 1209, 1210, 1206, 1212, 1111, 1114},
         {4142, 4144, 4146},
         {422, 421, 423, 402},
         {4575, 4577}},
        {"OutputPaperSwitchOpensTheOutputPaper",
         [](DriverDevMode& b, Sheet&) {
             b.FeatureFlags |= 0x1;
             b.SavedFeatureFlags |= 0x1;
         },
         [](const DriverDevMode& b) { EXPECT_NE(b.FeatureFlags & 0x1, 0u); },
         {},
         {1205, 1206, 1207, 1208},
         {},
         {421, 422}},
        {"ScalingGreysThePagesPerSheet",
         [](DriverDevMode& b, Sheet&) {
             b.FeatureFlags |= 0x2;
             b.SavedFeatureFlags |= 0x2;
         },
         nullptr,
         {1111, 1114, 1115, 1117, 1118, 1119, 1120},
         {1214, 1215, 1212},
         {402, 403, 404, 405},
         {424, 423}},
        {"TwoPagesPerSheetGreyTheLastSlotOrders",
         [](DriverDevMode& b, Sheet&) { Choose<WORD>(b.PagesPerSheet, b.SavedPagesPerSheet, 2); },
         [](const DriverDevMode& b) { EXPECT_EQ(b.PagesPerSheet, 2); },
         {1124, 1125, 1212},
         {1120, 1123, 1118, 1119, 1111},
         {423},
         {404, 405, 402}},
        {"FinisherOpensBindingAndFinishing",
         [](DriverDevMode& b, Sheet&) { Install(b, kSlotFinisher); },
         nullptr,
         {},
         {1236, 1237, 1238, 1160, 1164, 1159},
         {},
         {598}},
        {"FinisherRefusesA5",
         [](DriverDevMode& b, Sheet&) {
             Install(b, kSlotFinisher);
             PickForm(b, u"A5");
             PickOutputPaper(b, u"A5");
         },
         nullptr,
         {1236, 1164, 1160},
         {1163, 1165},
         {598},
         {}},
        {"PostcardGreysTheFinishingLowByte",
         [](DriverDevMode& b, Sheet&) {
             Install(b, kSlotFinisher);
             PickForm(b, u"往復はがき");
             PickOutputPaper(b, u"往復はがき");
         },
         nullptr,
         {1163, 1164, 1165, 1166, 1236},
         {1157, 1162, 1167},
         {598},
         {}},
        {"ThickMediaRefusesBindingAndOpensNothingOfTheMedia",
         [](DriverDevMode& b, Sheet&) {
             Install(b, kSlotFinisher);
             Install(b, kSlotLargeCapacity);
             Choose<WORD>(b.SourceMediaValue, b.SavedSourceMediaValue, 2);
             for (WORD& value : b.SourceValues) value = 2;
         },
         [](const DriverDevMode& b) { EXPECT_EQ(b.SourceMediaValue, 2); },
         {1236, 1232, 1235, 1127},
         {},
         {598, 588, 354, 407},
         {}},
        {"SecondMediaOpensItsControl",
         [](DriverDevMode& b, Sheet&) {
             Choose<WORD>(b.SourceMediaValue, b.SavedSourceMediaValue, 1);
             for (WORD& value : b.SourceValues) value = 1;
         },
         nullptr,
         {},
         {1235},
         {},
         {354}},
        {"LargeCapacityOpensThePrintMode",
         [](DriverDevMode& b, Sheet&) { Install(b, kSlotLargeCapacity); },
         nullptr,
         {},
         {1232, 1233, 1234},
         {},
         {588}},
        {"PrintModeRefusesA3FromAnotherSource",
         [](DriverDevMode& b, Sheet&) {
             Install(b, kSlotLargeCapacity);
             PickForm(b, u"A3");
             PickOutputPaper(b, u"A3");
             Choose<SHORT>(b.Public.dmDefaultSource, b.SavedDefaultSource, 257);
         },
         nullptr,
         {1232, 1233, 1234},
         {},
         {588},
         {}},
        {"MemoryBelow73728RefusesBit16At600Dpi",
         [](DriverDevMode& b, Sheet& sheet) {
             sheet.withStatus = true;
             b.InstalledMemory = 73727;
             UnreportedMemory(b);
             b.FeatureFlags |= 0x10;
             b.SavedFeatureFlags |= 0x10;
         },
         [](const DriverDevMode& b) {
             EXPECT_EQ(b.FeatureFlags & 0x10, 0u);
             EXPECT_NE(b.SavedFeatureFlags & 0x10, 0u);
         },
         {1145},
         {},
         {413},
         {}},
        {"Memory73728AllowsBit16At600Dpi",
         [](DriverDevMode& b, Sheet& sheet) {
             sheet.withStatus = true;
             b.InstalledMemory = 73728;
             UnreportedMemory(b);
             b.FeatureFlags |= 0x10;
             b.SavedFeatureFlags |= 0x10;
         },
         [](const DriverDevMode& b) { EXPECT_NE(b.FeatureFlags & 0x10, 0u); },
         {},
         {1145},
         {},
         {413}},
        {"ReportedMemoryNeedsNoCheck",
         [](DriverDevMode& b, Sheet& sheet) {
             sheet.withStatus = true;
             sheet.status.printerExtStatus = kExtStatusKnown;
             b.InstalledMemory = 0;
             b.FeatureFlags |= 0x10;
             b.SavedFeatureFlags |= 0x10;
         },
         [](const DriverDevMode& b) { EXPECT_NE(b.FeatureFlags & 0x10, 0u); },
         {},
         {1145},
         {},
         {413, 451}},
        {"Bit8FollowsBit4WhileBit16IsOn",
         [](DriverDevMode& b, Sheet&) {
             b.FeatureFlags = (b.FeatureFlags | 0x10 | 0x4) & ~0x8u;
             b.SavedFeatureFlags = (b.SavedFeatureFlags | 0x10 | 0x4) & ~0x8u;
         },
         [](const DriverDevMode& b) {
             EXPECT_NE(b.FeatureFlags & 0x8, 0u);
             EXPECT_NE(b.SavedFeatureFlags & 0x8, 0u);
         },
         {},
         {1142, 1143, 1144, 1145},
         {},
         {412, 413}},
        {"A5RefusesTheA4Switches",
         [](DriverDevMode& b, Sheet&) {
             PickForm(b, u"A5");
             PickOutputPaper(b, u"A5");
         },
         nullptr,
         {1142, 1145},
         {},
         {412, 413},
         {449}},
        {"EnvelopeRefusesBit64",
         [](DriverDevMode& b, Sheet&) {
             PickForm(b, u"封筒 洋形 4 号");
             PickOutputPaper(b, u"封筒 洋形 4 号");
         },
         nullptr,
         {},
         {},
         {449, 412},
         {}},
        {"StatusWithoutCapabilityGreysItem450",
         [](DriverDevMode&, Sheet& sheet) {
             sheet.withStatus = true;
             sheet.status.printerExtStatus = kExtStatusKnown;
         },
         nullptr,
         {},
         {},
         {450},
         {451}},
        {"StatusWithCapabilityAllowsItem450",
         [](DriverDevMode&, Sheet& sheet) {
             sheet.withStatus = true;
             sheet.status.printerExtStatus = kExtStatusKnown | kExtStatusCapability;
         },
         nullptr,
         {},
         {},
         {},
         {450, 451}},
        {"StatusWithoutReportGreysItem451",
         [](DriverDevMode&, Sheet& sheet) { sheet.withStatus = true; },
         nullptr,
         {},
         {},
         {451, 459},
         {}},
        {"GraphicsOnlyKeepsTheDeviceSwitches",
         [](DriverDevMode& b, Sheet&) {
             b.FeatureFlags |= kFeatureGraphicsOnly | 0x400 | 0x1000;
             b.SavedFeatureFlags |= kFeatureGraphicsOnly | 0x400 | 0x1000;
         },
         [](const DriverDevMode& b) {
             EXPECT_EQ(b.FeatureFlags & (0x400 | 0x1000), 0u);
             EXPECT_EQ(b.SavedFeatureFlags & (0x400 | 0x1000), 0x1400u);
         },
         {},
         {},
         {433, 4330, 435, 442, 443, 444},
         {439}},
        {"At1200DpiItem439IsGreyed",
         [](DriverDevMode& b, Sheet&) { b.Public.dmPrintQuality = 1200; },
         nullptr,
         {},
         {},
         {439, 435},
         {433, 442}},
        {"PageOptionFirstBit",
         [](DriverDevMode& b, Sheet&) { b.PageOptionBits = 0x1; },
         nullptr,
         {4163, 4164, 4165, 4166},
         {4152, 4160, 4161, 4162},
         {4595},
         {4582}},
        {"PageOptionSecondBit",
         [](DriverDevMode& b, Sheet&) { b.PageOptionBits = 0x4; },
         nullptr,
         {4152, 4160, 4161, 4162},
         {4163, 4164, 4165, 4166, 4151},
         {4582},
         {4595, 4581}},
        {"StampWithJobText",
         [](DriverDevMode& b, Sheet&) {
             b.PageStampSwitch = 1;
             b.PageStampSelector = 8;
         },
         nullptr,
         {},
         {1171, 1173, 1176, 1177, 1178},
         {},
         {640, 641}},
        {"StampWithAnotherText",
         [](DriverDevMode& b, Sheet&) {
             b.PageStampSwitch = 1;
             b.PageStampSelector = 3;
         },
         nullptr,
         {1177, 1178},
         {1173, 1176},
         {},
         {640}},
        {"ReadOnlySheetGreysEverySetting",
         [](DriverDevMode& b, Sheet& sheet) {
             sheet.flags = kUiMayWriteData;
             // The tree shows items 451 and 459 only without the capability bit.
             Choose<DWORD>(b.OptionFlags, b.SavedOptionFlags, b.OptionFlags & ~kOptionCapability);
         },
         nullptr,
         SettingControls(),
         {},
         SettingItems(),
         {}},
        {"AdvancedSheetGreysWhatTheApplicationSets",
         [](DriverDevMode&, Sheet& sheet) { sheet.flags = kWritableSheet | kUiAdvancedSheet; },
         nullptr,
         AdvancedControls(),
         {1205, 1209, 1224, 1139, 1110},
         AdvancedItems(),
         {410, 427}},
        {"SheetWithoutDataPermissionGreysItsControl",
         [](DriverDevMode&, Sheet& sheet) { sheet.flags = kUiMayChange; },
         nullptr,
         {1110},
         {1108, 1109, 1201},
         {},
         {419}},
    };
    return cases;
}

TEST_P(RuleCasesTest, ForcesAndGreys) {
    const RuleCase& c = Cases()[GetParam()];
    Sheet sheet;
    c.change(block(), sheet);
    Click(sheet.flags, sheet.withStatus ? &sheet.status : nullptr);
    if (c.forced) c.forced(block());
    for (int id : c.greyedControls) EXPECT_FALSE(ControlEnabled(id)) << Id(id);
    for (int id : c.enabledControls) EXPECT_TRUE(ControlEnabled(id)) << Id(id);
    for (int id : c.greyedItems) EXPECT_TRUE(ItemGreyed(id)) << Id(id);
    for (int id : c.enabledItems) EXPECT_FALSE(ItemGreyed(id)) << Id(id);
}

INSTANTIATE_TEST_SUITE_P(Rules, RuleCasesTest, ::testing::Range<size_t>(0, Cases().size()),
                         [](const ::testing::TestParamInfo<size_t>& info) { return std::string(Cases()[info.param].name); });

}  // namespace
}  // namespace kvuitest

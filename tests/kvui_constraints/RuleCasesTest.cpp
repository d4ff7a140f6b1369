// The resolver's rules one click at a time: a starting block, the user's change (written to
// the field and its shadow as a page writes it), then the values the rules and validation
// force and the controls and tree items they grey or enable.
#include <functional>

#include "platform/StandIn.h"
#include "resources/ui/ControlIds.h"
#include "resources/ui/StringIds.h"
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
         {kPaperGroup, kPaperSizeIcon, kPaperLabel, kPaperList, kOrientationGroup, kLandscapeIcon, kSourceIcon,
          kSourceList, kOutputPaperGroup, kOutputPaperSizeIcon, kPageOrderIcon, kShiftMarginsIcon},
         {kMediaIcon, kMediaLabel, kMediaList},
         {kPaperSizeTreeItem, kOrientationTreeItem, kPaperSourceTreeItem, kPrintOnOutputPaperTreeItem,
          kPageOrderTreeItem, kUnlistedCompatibleMarginsTreeItem},
         {kMediaTypeTreeItem}},
        {"PaperWithoutAnyNupLayoutGreysEveryNupChoice",
         [](DriverDevMode& b, Sheet&) {
             PickForm(b, u"A3");
         },
         nullptr,
         {kNupGroup, kNupDownLabel, kNupAcrossLabel, kNupDownCombo, kNupAcrossCombo, kNupOrderLabel, kNupOrderPicture,
          kNupOrderFirstRadio, kNupOrderSecondRadio},
         {kPaperGroup, kPaperList},
         {kNupTreeItem, kNupDownTreeItem, kNupAcrossTreeItem, kNupOrderTreeItem},
         {kPaperSizeTreeItem}},
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
         {kSourceIcon, kSourceLabel, kSourceList, kDuplexGroup, kDuplexSideIcon, kDuplexShortEdgeRadio},
         {kMediaIcon, kMediaLabel, kMediaList, kPaperGroup},
         {kPaperSourceTreeItem, kDuplexTreeItem},
         {kMediaTypeTreeItem, kPaperSizeTreeItem}},
        {"PostcardWithoutManualFeedKeepsTheSource",
         [](DriverDevMode& b, Sheet&) {
             PickForm(b, u"はがき");
             PickOutputPaper(b, u"はがき");
             b.DeviceSlots[kSlotManual].State = 0;
         },
         nullptr,
         {kDuplexGroup},
         {kSourceIcon, kSourceLabel, kSourceList},
         {kDuplexTreeItem},
         {kPaperSourceTreeItem}},
        {"DuplexNeedsTheUnitWhenTheStatusIsKnown",
         [](DriverDevMode&, Sheet& sheet) { sheet.withStatus = true; },
         nullptr,
         {kDuplexGroup, kDuplexIcon, kDuplexLabel, kDuplexSideIcon, kDuplexOffRadio, kDuplexLongEdgeRadio,
          kDuplexShortEdgeRadio},
         {},
         {kDuplexTreeItem},
         {}},
        {"DuplexUnitInstalled",
         [](DriverDevMode& b, Sheet& sheet) {
             sheet.withStatus = true;
             Install(b, kSlotDuplex);
         },
         nullptr,
         {},
         {kDuplexGroup, kDuplexShortEdgeRadio},
         {},
         {kDuplexTreeItem}},
        {"ManualSourceRefusesDuplex",
         [](DriverDevMode& b, Sheet&) {
             Choose<SHORT>(b.Public.dmDefaultSource, b.SavedDefaultSource, kSourceManual);
         },
         [](const DriverDevMode& b) { EXPECT_EQ(b.Public.dmDefaultSource, kSourceManual); },
         {kDuplexGroup},
         {kSourceIcon},
         {kDuplexTreeItem},
         {kPaperSourceTreeItem}},
        {"DuplexChoiceStaysInTheShadowWhileValidationForcesSimplex",
         [](DriverDevMode& b, Sheet&) { Choose<SHORT>(b.Public.dmDuplex, b.SavedDuplex, 2); },
         [](const DriverDevMode& b) {
             EXPECT_EQ(b.Public.dmDuplex, 1);
             EXPECT_EQ(b.SavedDuplex, 2);
         },
         {kBindingGroup, kBindingShiftLabel},
         {kDuplexGroup},
         {kBindingEdgeTreeItem, kBindingSideTreeItem},
         {kDuplexTreeItem}},
        {"LandscapeIsForcedBackButRemembered",
         [](DriverDevMode& b, Sheet&) { Choose<SHORT>(b.Public.dmOrientation, b.SavedOrientation, 2); },
         [](const DriverDevMode& b) {
             EXPECT_EQ(b.Public.dmOrientation, 1);
             EXPECT_EQ(b.SavedOrientation, 2);
         },
         {},
         {kOrientationGroup, kLandscapeIcon},
         {},
         {kOrientationTreeItem}},
        {"NupIsNotPlain",
         [](DriverDevMode& b, Sheet&) {
             Choose<BYTE>(b.NupDown, b.SavedNupDown, 1);
             Choose<BYTE>(b.NupAcross, b.SavedNupAcross, 2);
         },
         [](const DriverDevMode& b) { EXPECT_EQ(b.NupAcross, 2); },
         {kOutputPaperGroup, kSameAsPaperIcon, kSameAsPaperCheck, kOutputPaperSizeIcon, kScalingIcon,
          kPagesPerSheetGroup, kPagesPerSheetList},
         {kNupGroup, kNupAcrossLabel, kNupAcrossCombo},
         {kPrintOnOutputPaperTreeItem, kOutputPaperTreeItem, kScalingTreeItem, kPagesPerSheetTreeItem},
         {kNupTreeItem, kNupAcrossTreeItem}},
        {"OutputPaperSwitchOpensTheOutputPaper",
         [](DriverDevMode& b, Sheet&) {
             b.FeatureFlags |= 0x1;
             b.SavedFeatureFlags |= 0x1;
         },
         [](const DriverDevMode& b) { EXPECT_NE(b.FeatureFlags & 0x1, 0u); },
         {},
         {kOutputPaperGroup, kOutputPaperSizeIcon, kOutputPaperLabel, kOutputPaperList},
         {},
         {kOutputPaperTreeItem, kPrintOnOutputPaperTreeItem}},
        {"ScalingGreysThePagesPerSheet",
         [](DriverDevMode& b, Sheet&) {
             b.FeatureFlags |= 0x2;
             b.SavedFeatureFlags |= 0x2;
         },
         nullptr,
         {kPagesPerSheetGroup, kPagesPerSheetList, kPageOrderIcon, kPageOrderList, kShiftMarginsIcon,
          kShiftMarginsCheck, kBorderGroup},
         {kScaleEdit, kScaleUpDown, kScalingIcon},
         {kPagesPerSheetTreeItem, kPageOrderTreeItem, kPageBorderTreeItem, kMarginShiftTreeItem},
         {kScaleTreeItem, kScalingTreeItem}},
        {"TwoPagesPerSheetGreyTheLastSlotOrders",
         [](DriverDevMode& b, Sheet&) { Choose<WORD>(b.PagesPerSheet, b.SavedPagesPerSheet, 2); },
         [](const DriverDevMode& b) { EXPECT_EQ(b.PagesPerSheet, 2); },
         {kBorderThickRadio, kBorderDottedRadio, kScalingIcon},
         {kBorderGroup, kBorderThinRadio, kShiftMarginsIcon, kShiftMarginsCheck, kPagesPerSheetGroup},
         {kScalingTreeItem},
         {kPageBorderTreeItem, kMarginShiftTreeItem, kPagesPerSheetTreeItem}},
        {"FinisherOpensBindingAndFinishing",
         [](DriverDevMode& b, Sheet&) { Install(b, kSlotFinisher); },
         nullptr,
         {},
         {kOutputTrayIcon, kOutputTrayLabel, kOutputTrayList, kPrintModeStapleRadio, kOutputPositionLeftRadio,
          kPrintModeSortRadio},
         {},
         {kOutputTrayTreeItem}},
        {"FinisherRefusesA5",
         [](DriverDevMode& b, Sheet&) {
             Install(b, kSlotFinisher);
             PickForm(b, u"A5");
             PickOutputPaper(b, u"A5");
         },
         nullptr,
         {kOutputTrayIcon, kOutputPositionLeftRadio, kPrintModeStapleRadio},
         {kOutputPositionNoneRadio, kOutputPositionCentreRadio},
         {kOutputTrayTreeItem},
         {}},
        {"PostcardGreysTheFinishingLowByte",
         [](DriverDevMode& b, Sheet&) {
             Install(b, kSlotFinisher);
             PickForm(b, u"往復はがき");
             PickOutputPaper(b, u"往復はがき");
         },
         nullptr,
         {kOutputPositionNoneRadio, kOutputPositionLeftRadio, kOutputPositionCentreRadio, kOutputPositionRightRadio,
          kOutputTrayIcon},
         {kPrintModeGroup, kOutputPositionGroup, kFirstPositionIcon},
         {kOutputTrayTreeItem},
         {}},
        {"ThickMediaRefusesBindingAndOpensNothingOfTheMedia",
         [](DriverDevMode& b, Sheet&) {
             Install(b, kSlotFinisher);
             Install(b, kSlotLargeCapacity);
             Choose<WORD>(b.SourceMediaValue, b.SavedSourceMediaValue, 2);
             for (WORD& value : b.SourceValues) value = 2;
         },
         [](const DriverDevMode& b) { EXPECT_EQ(b.SourceMediaValue, 2); },
         {kOutputTrayIcon, kPrintModeIcon, kFeederButton, kDuplexGroup},
         {},
         {kOutputTrayTreeItem, kPrintModeTreeItem, 354, kDuplexTreeItem},
         {}},
        {"SecondMediaOpensItsControl",
         [](DriverDevMode& b, Sheet&) {
             Choose<WORD>(b.SourceMediaValue, b.SavedSourceMediaValue, 1);
             for (WORD& value : b.SourceValues) value = 1;
         },
         nullptr,
         {},
         {kFeederButton},
         {},
         {354}},
        {"LargeCapacityOpensThePrintMode",
         [](DriverDevMode& b, Sheet&) { Install(b, kSlotLargeCapacity); },
         nullptr,
         {},
         {kPrintModeIcon, kPrintModeLabel, kPrintModeList},
         {},
         {kPrintModeTreeItem}},
        {"PrintModeRefusesA3FromAnotherSource",
         [](DriverDevMode& b, Sheet&) {
             Install(b, kSlotLargeCapacity);
             PickForm(b, u"A3");
             PickOutputPaper(b, u"A3");
             Choose<SHORT>(b.Public.dmDefaultSource, b.SavedDefaultSource, 257);
         },
         nullptr,
         {kPrintModeIcon, kPrintModeLabel, kPrintModeList},
         {},
         {kPrintModeTreeItem},
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
         {kFastWithMemoryCheck},
         {},
         {kFastWithMemoryTreeItem},
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
         {kFastWithMemoryCheck},
         {},
         {kFastWithMemoryTreeItem}},
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
         {kFastWithMemoryCheck},
         {},
         {kFastWithMemoryTreeItem, kReadPrinterStatusTreeItem}},
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
         {kLinkedOptionsIcon, kLinkedOptionsLabel, kFastA4Check, kFastWithMemoryCheck},
         {},
         {kFastA4TreeItem, kFastWithMemoryTreeItem}},
        {"A5RefusesTheA4Switches",
         [](DriverDevMode& b, Sheet&) {
             PickForm(b, u"A5");
             PickOutputPaper(b, u"A5");
         },
         nullptr,
         {kLinkedOptionsIcon, kFastWithMemoryCheck},
         {},
         {kFastA4TreeItem, kFastWithMemoryTreeItem},
         {kPaperFeedCheckTreeItem}},
        {"EnvelopeRefusesBit64",
         [](DriverDevMode& b, Sheet&) {
             PickForm(b, u"封筒 洋形 4 号");
             PickOutputPaper(b, u"封筒 洋形 4 号");
         },
         nullptr,
         {},
         {},
         {kPaperFeedCheckTreeItem, kFastA4TreeItem},
         {}},
        {"StatusWithoutCapabilityGreysItem450",
         [](DriverDevMode&, Sheet& sheet) {
             sheet.withStatus = true;
             sheet.status.printerExtStatus = kExtStatusKnown;
         },
         nullptr,
         {},
         {},
         {kPrinterTrayCheckTreeItem},
         {kReadPrinterStatusTreeItem}},
        {"StatusWithCapabilityAllowsItem450",
         [](DriverDevMode&, Sheet& sheet) {
             sheet.withStatus = true;
             sheet.status.printerExtStatus = kExtStatusKnown | kExtStatusCapability;
         },
         nullptr,
         {},
         {},
         {},
         {kPrinterTrayCheckTreeItem, kReadPrinterStatusTreeItem}},
        {"StatusWithoutReportGreysItem451",
         [](DriverDevMode&, Sheet& sheet) { sheet.withStatus = true; },
         nullptr,
         {},
         {},
         {kReadPrinterStatusTreeItem, kMemoryTreeItem},
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
         {kTonerSaveTreeItem, kEdgeEnhancementTreeItem, kFineLinesTreeItem, kTrueTypeSubstitutionTreeItem,
          kDownloadAsOutlineTreeItem, kTrueTypeAsGraphicsTreeItem},
         {kFastGraphicsTreeItem}},
        {"At1200DpiItem439IsGreyed",
         [](DriverDevMode& b, Sheet&) { b.Public.dmPrintQuality = 1200; },
         nullptr,
         {},
         {},
         {kFastGraphicsTreeItem, kFineLinesTreeItem},
         {kTonerSaveTreeItem, kTrueTypeSubstitutionTreeItem}},
        {"PageOptionFirstBit",
         [](DriverDevMode& b, Sheet&) { b.PageOptionBits = 0x1; },
         nullptr,
         {kSplitJobCheck, kSplitJobsLabel, kSplitJobsEdit, kSplitJobsUpDown},
         {kSeparateCopiesCheck, kSplitPagesLabel, kSplitPagesEdit, kSplitPagesUpDown},
         {kSplitJobTreeItem},
         {kSeparateCopiesTreeItem}},
        {"PageOptionSecondBit",
         [](DriverDevMode& b, Sheet&) { b.PageOptionBits = 0x4; },
         nullptr,
         {kSeparateCopiesCheck, kSplitPagesLabel, kSplitPagesEdit, kSplitPagesUpDown},
         {kSplitJobCheck, kSplitJobsLabel, kSplitJobsEdit, kSplitJobsUpDown, kSeparateCopiesIcon},
         {kSeparateCopiesTreeItem},
         {kSplitJobTreeItem, kCopiesAndJobsTreeItem}},
        {"StampWithJobText",
         [](DriverDevMode& b, Sheet&) {
             b.PageStampSwitch = 1;
             b.PageStampSelector = 8;
         },
         nullptr,
         {},
         {kStampIcon, kStampPositionCombo, kStampTextLabel, kJobTextEdit, kJobTextLabel},
         {},
         {kStampTextTreeItem, kStampPositionTreeItem}},
        {"StampWithAnotherText",
         [](DriverDevMode& b, Sheet&) {
             b.PageStampSwitch = 1;
             b.PageStampSelector = 3;
         },
         nullptr,
         {kJobTextEdit, kJobTextLabel},
         {kStampPositionCombo, kStampTextLabel},
         {},
         {kStampTextTreeItem}},
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
         {kOutputPaperGroup, kSameAsPaperIcon, kMediaIcon, kPrinterStatusGroup, kPagePresetSaveButton},
         AdvancedItems(),
         {kUsePrinterStatusTreeItem, kMediaTypeTreeItem}},
        {"SheetWithoutDataPermissionGreysItsControl",
         [](DriverDevMode&, Sheet& sheet) { sheet.flags = kUiMayChange; },
         nullptr,
         {kPagePresetSaveButton},
         {kPresetsLabel, kPagePresetList, kPaperGroup},
         {},
         {kPaperSizeTreeItem}},
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

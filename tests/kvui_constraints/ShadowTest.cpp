// Clicks in a row: a choice the rules force away waits in its shadow and comes back once the
// constraint is lifted; the tree item's other flags and a hidden item are left alone.
#include <cstring>

#include "resources/ui/ControlIds.h"
#include "resources/ui/StringIds.h"
#include "tests/kvui_constraints/ConstraintsFixture.h"
#include "ui/resolver/Constraints.h"

namespace kvuitest {
namespace {

using ShadowTest = ConstraintsTest;

TEST_F(ShadowTest, PaperComesBackWhenTheOverlayIsTurnedOff) {
    PickForm(block(), u"B5 (JIS)");
    Click();
    block().OverlayFlags |= kOverlayOn;
    block().SavedOverlayFlags |= kOverlayOn;
    PickForm(block(), u"A3");
    // The overlay's form stands in the paper fields only; the user's choice is the start's.
    std::memcpy(block().SavedFormName, u"B5 (JIS)", sizeof u"B5 (JIS)");
    Click();
    EXPECT_EQ(std::u16string(block().Public.dmFormName), u"A3");
    EXPECT_FALSE(ControlEnabled(kPaperGroup));

    block().OverlayFlags &= static_cast<WORD>(~kOverlayOn);
    block().SavedOverlayFlags &= static_cast<WORD>(~kOverlayOn);
    Click();
    EXPECT_EQ(std::u16string(block().Public.dmFormName), u"B5 (JIS)");
    EXPECT_TRUE(ControlEnabled(kPaperGroup));
    EXPECT_FALSE(ItemGreyed(kPaperSizeTreeItem));
}

TEST_F(ShadowTest, OverlayChangingThePaperRemembersTheUsersPaper) {
    PickForm(block(), u"B5 (JIS)");
    Click();
    // The overlay is turned on and its form replaces the paper in the same click.
    block().OverlayFlags |= kOverlayOn;
    block().SavedOverlayFlags |= kOverlayOn;
    Click();
    std::memcpy(block().Public.dmFormName, u"A3", sizeof u"A3");
    Click();
    EXPECT_EQ(std::u16string(block().Public.dmFormName), u"A3");
    EXPECT_EQ(std::u16string(block().SavedFormName), u"B5 (JIS)");
}

TEST_F(ShadowTest, DeviceSwitchesComeBackAfterGraphicsOnly) {
    block().FeatureFlags |= 0x2000;
    block().SavedFeatureFlags |= 0x2000;
    Click();
    ASSERT_NE(block().FeatureFlags & 0x2000, 0u);
    block().FeatureFlags |= kFeatureGraphicsOnly;
    block().SavedFeatureFlags |= kFeatureGraphicsOnly;
    Click();
    EXPECT_EQ(block().FeatureFlags & 0x2000, 0u);
    EXPECT_TRUE(ItemGreyed(kTrueTypeSubstitutionTreeItem));
    block().FeatureFlags &= ~kFeatureGraphicsOnly;
    block().SavedFeatureFlags &= ~kFeatureGraphicsOnly;
    Click();
    EXPECT_NE(block().FeatureFlags & 0x2000, 0u);
    EXPECT_FALSE(ItemGreyed(kTrueTypeSubstitutionTreeItem));
}

TEST_F(ShadowTest, OutputPaperComesBackAfterNup) {
    PickForm(block(), u"B5 (JIS)");
    PickOutputPaper(block(), u"A4");
    Click();
    ASSERT_EQ(std::u16string(block().OutputPaperName), u"A4");
    block().NupDown = block().SavedNupDown = 1;
    block().NupAcross = block().SavedNupAcross = 2;
    Click();
    ASSERT_EQ(block().NupAcross, 2);
    EXPECT_EQ(block().OutputPaperName[0], 0);  // N-up prints on the paper itself
    EXPECT_FALSE(ControlEnabled(kOutputPaperSizeIcon));
    block().NupAcross = block().SavedNupAcross = 1;
    Click();
    EXPECT_EQ(std::u16string(block().OutputPaperName), u"A4");
    EXPECT_TRUE(ControlEnabled(kOutputPaperSizeIcon));
}

TEST_F(ShadowTest, ReadOnlySheetThenWritableSheetEnablesAgain) {
    Click(kUiMayWriteData);
    EXPECT_FALSE(ControlEnabled(kPaperGroup));
    EXPECT_TRUE(ItemGreyed(kPaperSizeTreeItem));
    Click();
    EXPECT_TRUE(ControlEnabled(kPaperGroup));
    EXPECT_FALSE(ItemGreyed(kPaperSizeTreeItem));
}

TEST_F(ShadowTest, TreeItemKeepsItsOtherBits) {
    const LPARAM before = ItemData(kPaperSizeTreeItem);
    EnableTreeItem(&page_, kPaperSizeTreeItem, FALSE);
    EXPECT_EQ(ItemData(kPaperSizeTreeItem), before | (LPARAM{1} << 16));
    EnableTreeItem(&page_, kPaperSizeTreeItem, TRUE);
    EXPECT_EQ(ItemData(kPaperSizeTreeItem), before);
}

TEST_F(ShadowTest, ItemNotShownIsLeftAlone) {
    // Items 451, 458 and 459 are not shown while the capability bit is set.
    block().OptionFlags |= 0x10000;
    const LPARAM before = ItemData(kMemoryTreeItem);
    EnableTreeItem(&page_, kMemoryTreeItem, FALSE);
    EXPECT_EQ(ItemData(kMemoryTreeItem), before);
    block().OptionFlags &= ~0x10000u;
    EnableTreeItem(&page_, kMemoryTreeItem, FALSE);
    EXPECT_NE(ItemData(kMemoryTreeItem), before);
}

TEST_F(ShadowTest, MissingDialogTreeAndControlsAreTolerated) {
    EnableDialogControl(nullptr, kPaperGroup, FALSE);
    EnableDialogControl(dialog_, 9999, FALSE);
    EnableTreeItem(nullptr, kPaperSizeTreeItem, FALSE);
    PageRecord noTree{};
    noTree.context = context_.get();
    noTree.dialog = dialog_;
    noTree.templateId = kDocumentPage3Template;
    EnableTreeItem(&noTree, kPaperSizeTreeItem, FALSE);
    ApplyConstraints(&block(), nullptr, nullptr, printer(), model_.get(), nullptr, language_, 0);
    ApplyConstraints(nullptr, &page_, nullptr, printer(), model_.get(), dialog_, language_, 0);
    EXPECT_TRUE(ControlEnabled(kPaperGroup));
    EXPECT_FALSE(ItemGreyed(kPaperSizeTreeItem));
}

}  // namespace
}  // namespace kvuitest

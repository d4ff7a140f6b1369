// The pictures of a page: the tree's icons padded to 16 x 18, their image list keyed by icon
// id (the tree's own icons beyond the range loaded first included), and the rows of icons that
// settings values index, clamped.
#include "platform/StandInDraw.h"
#include "platform/User.h"
#include "resources/ui/PictureIds.h"
#include "tests/kvui_pages/PagesFixture.h"
#include "ui/pages/PageIcons.h"
#include "ui/entry/UiOwners.h"

namespace kvuipages {
namespace {

class PageIcons : public PagesTest {
protected:
    void SetUp() override {
        PagesTest::SetUp();
        page_.images = CreatePageImages(resources_);
        ASSERT_NE(page_.images, nullptr);
    }
    void TearDown() override {
        DestroyPageImages(page_.images);
        PagesTest::TearDown();
    }
    PageRecord page_{};
};

struct IconBitmaps {
    ICONINFO info{};
    standin::ui::Pixels color;
    standin::ui::Pixels mask;
};
IconBitmaps Read(HICON icon) {
    IconBitmaps read;
    if (!GetIconInfo(icon, &read.info)) return read;
    read.color = standin::ui::BitmapPixels(read.info.hbmColor);
    read.mask = standin::ui::BitmapPixels(read.info.hbmMask);
    DeleteObject(read.info.hbmColor);
    DeleteObject(read.info.hbmMask);
    return read;
}

TEST_F(PageIcons, PaddingPutsTheIconOneRowDownOnAWhiteOpaqueFrame) {
    IconHandle source(static_cast<HICON>(LoadImageW(resources_, MAKEINTRESOURCEW(kPortraitStapleNoneIconId), IMAGE_ICON, 16, 16, 0)));
    ASSERT_TRUE(source.Valid());
    IconHandle padded(PadIconTo16x18(source.Get()));
    ASSERT_TRUE(padded.Valid());
    const IconBitmaps from = Read(source.Get());
    const IconBitmaps to = Read(padded.Get());
    ASSERT_EQ(from.color.width, 16);
    ASSERT_EQ(from.color.height, 16);
    ASSERT_EQ(to.color.width, 16);
    ASSERT_EQ(to.color.height, 18);
    ASSERT_EQ(to.mask.height, 18);
    EXPECT_EQ(to.info.xHotspot, from.info.xHotspot + 1);
    EXPECT_EQ(to.info.yHotspot, from.info.yHotspot + 1);
    int transparent = 0;
    for (int x = 0; x < 16; ++x) {
        for (int y : {0, 17}) {
            EXPECT_EQ(to.color.At(x, y), RGB(255, 255, 255)) << x << "," << y;
            EXPECT_EQ(to.mask.At(x, y), RGB(0, 0, 0)) << x << "," << y;
        }
        for (int y = 0; y < 16; ++y) {
            EXPECT_EQ(to.color.At(x, y + 1), from.color.At(x, y)) << x << "," << y;
            EXPECT_EQ(to.mask.At(x, y + 1), from.mask.At(x, y)) << x << "," << y;
            transparent += from.mask.At(x, y) == RGB(255, 255, 255);
        }
    }
    EXPECT_GT(transparent, 0) << "the sample icon should have a transparent part to carry over";
    EXPECT_EQ(PadIconTo16x18(nullptr), nullptr);
}

TEST_F(PageIcons, TreeImagesAreKeyedByIconIdBeyondTheLoadedRange) {
    HIMAGELIST tree = PageTreeImages(&page_);
    int cx = 0, cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(tree, &cx, &cy));
    EXPECT_EQ(cx, 16);
    EXPECT_EQ(cy, 18);
    // Every icon from the first staple to the scale that the library has, in order.
    int expected = 0;
    for (int id = kPortraitStapleNoneIconId; id <= kScaleIconId; ++id) {
        const bool present = FindResourceW(resources_, MAKEINTRESOURCEW(id), RT_GROUP_ICON) != nullptr;
        EXPECT_EQ(GetTreeImageIndex(&page_, id), present ? expected : -1) << id;
        expected += present ? 1 : 0;
    }
    ASSERT_EQ(ImageList_GetImageCount(tree), expected);
    // The tree's own icons after that range join the list once each.
    for (int id = kPrinterCheckedIconId; id <= kFolderDiskIconId; ++id) {
        const bool present = FindResourceW(resources_, MAKEINTRESOURCEW(id), RT_GROUP_ICON) != nullptr;
        EXPECT_EQ(GetTreeImageIndex(&page_, id), present ? expected : -1) << id;
        expected += present ? 1 : 0;
    }
    EXPECT_GE(expected, 111);
    // Asked again, they keep their places.
    const int first = GetTreeImageIndex(&page_, kPortraitStapleNoneIconId);
    const int joined = GetTreeImageIndex(&page_, kPrinterCheckedIconId);
    EXPECT_EQ(GetTreeImageIndex(&page_, kPortraitStapleNoneIconId), first);
    EXPECT_EQ(GetTreeImageIndex(&page_, kPrinterCheckedIconId), joined);
    EXPECT_EQ(ImageList_GetImageCount(tree), expected);
    // Ids that no icon carries (a value used as an id) add nothing.
    for (int id : {0, -1, 4242, 65535, 100000}) EXPECT_EQ(GetTreeImageIndex(&page_, id), -1) << id;
    EXPECT_EQ(ImageList_GetImageCount(tree), expected);
    EXPECT_EQ(GetTreeImageIndex(nullptr, kPortraitStapleNoneIconId), -1);
}

TEST_F(PageIcons, LargeListAndSingleIcons) {
    HIMAGELIST large = PageLargeImages(&page_);
    EXPECT_EQ(ImageList_GetImageCount(large), 21);
    for (int id : {kLockIconId, kOnePageIconId, kTwoAcrossIconId, kTwoDownIconId, kSixAcrossThenDownIconId,
                   kPrinterReadyIconId, kDocumentPaperIconId, kCopiesIconId, kDuplexLongEdgeIconId, 32514}) {
        const bool present = id == 32514 || FindResourceW(resources_, MAKEINTRESOURCEW(id), RT_GROUP_ICON) != nullptr;
        EXPECT_EQ(PageIcon(&page_, id) != nullptr, present) << id;
    }
    EXPECT_EQ(PageIcon(&page_, kJobFilePresetIconId), nullptr);  // only in the image list
    EXPECT_EQ(PageIcon(nullptr, kLockIconId), nullptr);
}

struct RowCase {
    PageIconRow row;
    int index;
    int id;
};

TEST_F(PageIcons, RowIndicesFromSettingsAreClamped) {
    const RowCase cases[] = {
        {PageIconRow::Nine, 0, kOnePageIconId},
        {PageIconRow::Nine, 1, kFourAcrossThenDownIconId},
        {PageIconRow::Nine, 8, kFourDownFromRightLandscapeIconId},
        {PageIconRow::Nine, 9, kFourDownFromRightLandscapeIconId},
        {PageIconRow::Nine, -1, kOnePageIconId},
        {PageIconRow::Nine, 0x7FFFFFFF, kFourDownFromRightLandscapeIconId},
        {PageIconRow::Five, 0, kTwoDownIconId},
        {PageIconRow::Five, 1, kSixDownFromRightIconId},
        {PageIconRow::Five, 4, kSixAcrossThenDownIconId},
        {PageIconRow::Five, 65535, kSixAcrossThenDownIconId},
        {PageIconRow::Five, -32768, kTwoDownIconId},
    };
    for (const RowCase& c : cases) {
        EXPECT_EQ(PageRowIcon(&page_, c.row, c.index), PageIcon(&page_, c.id)) << c.index << " -> " << c.id;
        EXPECT_NE(PageIcon(&page_, c.id), nullptr) << c.id;
    }
}

}  // namespace
}  // namespace kvuipages

// The pictures of a page: image lists and single icons loaded from the library's module,
// the 16 x 18 padding of the tree's icons, and the lookups the pages and the tree use.
#include "ui/pages/PageIcons.h"

#include <algorithm>
#include <iterator>
#include <new>

#include "platform/User.h"
#include "platform/WinGdi.h"
#include "resources/ui/PictureIds.h"
#include "ui/pages/PropertyPages.h"

namespace {

constexpr int kLargeFirst = kJobFilePresetIconId;
constexpr int kLargeLast = kPresetChangedIconId;  // also overlay image 1
// The tree's list starts with every icon of these ids in order; it grows by the icons the tree
// asks for later.
constexpr int kTreeFirst = kPortraitStapleNoneIconId;
constexpr int kTreeLast = kScaleIconId;
constexpr int kTreeGrow = 128;
constexpr int kTreeWidth = 16;
constexpr int kTreeHeight = 18;
constexpr int kSmallSide = 16;

// Icons every page loads at their default size, shared (LoadIconW).
constexpr int kSharedIcons[] = {
    // The hints' icons.
    kLockIconId, kInfoIconId, kNoteIconId, kCautionIconId,
    // Row nine.
    kOnePageIconId, kFourAcrossThenDownIconId, kFourAcrossThenDownLandscapeIconId, kFourDownThenAcrossIconId,
    kFourDownThenAcrossLandscapeIconId, kFourAcrossFromRightIconId, kFourAcrossFromRightLandscapeIconId,
    kFourDownFromRightIconId, kFourDownFromRightLandscapeIconId,
    // The pages' statics and lists.
    kFourUpLandscapeIconId, kFourAcrossThenDownPortraitIconId, kMarginShiftIconId, kLightBulbIconId,
    kCheckMarkIconId, kCrossMarkIconId, kPortraitIconId, kLandscapeIconId, kPrinterCheckedIconId,
    kPrinterCrossedIconId, kOneByOneIconId, kTwoAcrossFromRightIconId, kTwoDownFromBottomIconId, kTwoAcrossIconId,
    // Row five.
    kTwoDownIconId, kSixDownFromRightIconId, kSixAcrossFromRightIconId, kSixDownThenAcrossIconId,
    kSixAcrossThenDownIconId,
    // The printer's state.
    kPrinterReadyIconId, kPrinterNoticeIconId, kPrinterWarningIconId, kPrinterErrorIconId,
};
// Icons every page loads at 16 x 16 and destroys with the page.
constexpr int kSmallIcons[] = {
    kDocumentPaperIconId, kOutputPaperIconId, kPagesPerSheetIconId, kPageOrderIconId, kTrayIconId,
    kMediaTypeIconId, kSheetOutIconId, kPaperSizeIconId, kPrintOnOutputPaperIconId, kMagnifierIconId,
    kCheckedSheetIconId, kSortedSetsIconId, kJobFileIconId, kSeparatorSheetIconId, kCopiesIconId,
};
constexpr int kWideIcon = kDuplexLongEdgeIconId;
constexpr int kWideIconWidth = 90;
constexpr int kWideIconHeight = 30;
constexpr int kQuestionIcon = 32514;  // IDI_QUESTION

constexpr int kRowNine[] = {
    kOnePageIconId,
    kFourAcrossThenDownIconId, kFourAcrossThenDownLandscapeIconId,
    kFourDownThenAcrossIconId, kFourDownThenAcrossLandscapeIconId,
    kFourAcrossFromRightIconId, kFourAcrossFromRightLandscapeIconId,
    kFourDownFromRightIconId, kFourDownFromRightLandscapeIconId,
};
constexpr int kRowFive[] = {kTwoDownIconId, kSixDownFromRightIconId, kSixAcrossFromRightIconId,
                            kSixDownThenAcrossIconId, kSixAcrossThenDownIconId};

constexpr int kLastResourceId = 0xFFFF;

HICON LoadOwnIcon(HINSTANCE library, int id, int width, int height) {
    if (library == nullptr || id <= 0 || id > kLastResourceId) return nullptr;
    return static_cast<HICON>(LoadImageW(library, MAKEINTRESOURCEW(id), IMAGE_ICON, width, height, 0));
}

// Loads, pads and adds one icon to the tree's list; the index or -1.
int AddTreeIcon(PageImages& images, int id) {
    if (auto found = images.treeIndex.find(id); found != images.treeIndex.end()) return found->second;
    int index = -1;
    IconHandle loaded(LoadOwnIcon(images.library, id, kSmallSide, kSmallSide));
    if (loaded.Valid() && images.tree.Valid()) {
        IconHandle padded(PadIconTo16x18(loaded.Get()));
        if (padded.Valid()) index = ImageList_AddIcon(images.tree.Get(), padded.Get());
    }
    images.treeIndex[id] = index;
    return index;
}

const PageImages* ImagesOf(const PageRecord* page) { return page != nullptr ? page->images : nullptr; }

}  // namespace

HICON PadIconTo16x18(HICON icon) {
    ICONINFO source{};
    if (icon == nullptr || !GetIconInfo(icon, &source)) return nullptr;
    GdiObject sourceColor(source.hbmColor);
    GdiObject sourceMask(source.hbmMask);
    BITMAP colorFormat{};
    BITMAP maskFormat{};
    if (!sourceColor.Valid() || GetObjectW(sourceColor.Get(), sizeof colorFormat, &colorFormat) == 0 ||
        GetObjectW(sourceMask.Get(), sizeof maskFormat, &maskFormat) == 0) {
        return nullptr;
    }
    GdiObject color(CreateBitmap(kTreeWidth, kTreeHeight, 1, colorFormat.bmBitsPixel, nullptr));
    GdiObject mask(CreateBitmap(kTreeWidth, kTreeHeight, 1, maskFormat.bmBitsPixel, nullptr));
    MemoryDc from(CreateCompatibleDC(nullptr));
    MemoryDc to(CreateCompatibleDC(nullptr));
    if (!color.Valid() || !mask.Valid() || !from.Valid() || !to.Valid()) return nullptr;
    // A white, opaque frame; the icon goes one row down.
    {
        ScopedSelection target(to.Get(), color.Get());
        ScopedSelection picture(from.Get(), sourceColor.Get());
        PatBlt(to.Get(), 0, 0, kTreeWidth, kTreeHeight, WHITENESS);
        StretchBlt(to.Get(), 0, 1, kSmallSide, kSmallSide, from.Get(), 0, 0, colorFormat.bmWidth,
                   colorFormat.bmHeight, SRCCOPY);
    }
    {
        ScopedSelection target(to.Get(), mask.Get());
        ScopedSelection picture(from.Get(), sourceMask.Get());
        PatBlt(to.Get(), 0, 0, kTreeWidth, kTreeHeight, BLACKNESS);
        StretchBlt(to.Get(), 0, 1, kSmallSide, kSmallSide, from.Get(), 0, 0, maskFormat.bmWidth, maskFormat.bmHeight,
                   SRCCOPY);
    }
    ICONINFO padded{};
    padded.fIcon = TRUE;
    padded.xHotspot = source.xHotspot + 1;
    padded.yHotspot = source.yHotspot + 1;
    padded.hbmMask = static_cast<HBITMAP>(mask.Get());
    padded.hbmColor = static_cast<HBITMAP>(color.Get());
    return CreateIconIndirect(&padded);
}

PageImages* CreatePageImages(HINSTANCE library) {
    auto* images = new (std::nothrow) PageImages();
    if (images == nullptr) return nullptr;
    images->library = library;

    images->large.Reset(ImageList_Create(32, 32, ILC_COLOR4 | ILC_MASK, kLargeLast - kLargeFirst + 1, 1));
    if (images->large.Valid()) {
        int last = -1;
        for (int id = kLargeFirst; id <= kLargeLast; ++id) {
            last = ImageList_AddIcon(images->large.Get(), LoadIconW(library, MAKEINTRESOURCEW(id)));
        }
        if (last >= 0) ImageList_SetOverlayImage(images->large.Get(), last, 1);
    }

    images->tree.Reset(ImageList_Create(kTreeWidth, kTreeHeight, ILC_COLOR4 | ILC_MASK, kTreeLast - kTreeFirst + 1,
                                        kTreeGrow));
    for (int id = kTreeFirst; id <= kTreeLast; ++id) AddTreeIcon(*images, id);

    for (int id : kSharedIcons) images->sharedIcons[id] = LoadIconW(library, MAKEINTRESOURCEW(id));
    images->sharedIcons[kQuestionIcon] = LoadIconW(nullptr, IDI_QUESTION);
    for (int id : kSmallIcons) images->ownIcons[id].Reset(LoadOwnIcon(library, id, kSmallSide, kSmallSide));
    images->ownIcons[kWideIcon].Reset(LoadOwnIcon(library, kWideIcon, kWideIconWidth, kWideIconHeight));
    return images;
}

void DestroyPageImages(PageImages* images) { delete images; }

HIMAGELIST PageLargeImages(const PageRecord* page) {
    const PageImages* images = ImagesOf(page);
    return images != nullptr ? images->large.Get() : nullptr;
}

HIMAGELIST PageTreeImages(const PageRecord* page) {
    const PageImages* images = ImagesOf(page);
    return images != nullptr ? images->tree.Get() : nullptr;
}

HICON PageIcon(const PageRecord* page, int id) {
    const PageImages* images = ImagesOf(page);
    if (images == nullptr) return nullptr;
    if (auto shared = images->sharedIcons.find(id); shared != images->sharedIcons.end()) return shared->second;
    if (auto own = images->ownIcons.find(id); own != images->ownIcons.end()) return own->second.Get();
    return nullptr;
}

HICON PageRowIcon(const PageRecord* page, PageIconRow row, int index) {
    const int* first = row == PageIconRow::Nine ? std::begin(kRowNine) : std::begin(kRowFive);
    const int count = row == PageIconRow::Nine ? static_cast<int>(std::size(kRowNine)) : static_cast<int>(std::size(kRowFive));
    return PageIcon(page, first[std::clamp(index, 0, count - 1)]);
}

int GetTreeImageIndex(PageRecord* page, int iconId) {
    if (page == nullptr || page->images == nullptr) return -1;
    return AddTreeIcon(*page->images, iconId);
}

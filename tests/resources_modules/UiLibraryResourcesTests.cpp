// The user-interface library's own resources, from the resource module it will link: every
// icon and bitmap the pages name, each its own picture; the manifest; and the two default
// tables written into a new printer's data, read back pair by pair.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/User.h"
#include "resources/ui/PictureIds.h"
#include "tests/support/TestRoot.h"

namespace uiresources {
namespace {

struct Range {
    int first;
    int last;
};

const Range kIcons[] = {
    {kPrinterReadyIconId, kPrinterErrorIconId},      {kJobFilePresetIconId, kPresetChangedIconId},
    {kLayoutCategoryIconId, kDestinationCategoryIconId}, {kPortraitStapleNoneIconId, kSorterBinsIconId},
    {kPrinterIconId, kFolderDiskIconId},             {kLayoutTabIconId, kDeviceTabIconId},
};
// Icons that a page also loads at a size of its own: a third image of that size.
struct ExtraSize {
    int id;
    LONG width;
    LONG height;
};
const ExtraSize kExtraSizes[] = {{kDuplexLongEdgeIconId, 90, 30}};
const Range kBitmaps[] = {
    {kPreviewItemBitmapId, kPreviewItemBitmapId},
    {kSheetUprightBitmapId, kGridOf16TurnedBitmapId},
    {kTwoUpNumber1BitmapId, kBindingLeftTurnedBitmapId},
};

class UiLibraryResources : public kvtest::StandInTest {
protected:
    void SetUp() override {
        StandInTest::SetUp();
        module_ = LoadLibraryW(u"KVUIRES");
        ASSERT_NE(module_, nullptr);
    }
    void TearDown() override {
        if (module_ != nullptr) FreeLibrary(module_);
        StandInTest::TearDown();
    }
    std::vector<BYTE> Bytes(LPCWSTR type, int id) {
        HRSRC found = FindResourceW(module_, MAKEINTRESOURCEW(id), type);
        if (found == nullptr) return {};
        const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(module_, found)));
        if (data == nullptr) return {};
        return std::vector<BYTE>(data, data + SizeofResource(module_, found));
    }
    HMODULE module_ = nullptr;
};

template <typename T>
T At(const std::vector<BYTE>& bytes, size_t offset) {
    T v{};
    if (offset + sizeof v <= bytes.size()) std::memcpy(&v, bytes.data() + offset, sizeof v);
    return v;
}

// A 4-bit DIB's header fields: width, height, bit count.
struct Header {
    LONG width;
    LONG height;
    WORD bits;
};
Header HeaderOf(const std::vector<BYTE>& dib) { return {At<LONG>(dib, 4), At<LONG>(dib, 8), At<WORD>(dib, 14)}; }

TEST_F(UiLibraryResources, EveryIconHasASmallAndALargeImageOfItsOwn) {
    std::set<std::vector<BYTE>> small, large;
    int count = 0;
    for (const Range& r : kIcons) {
        for (int id = r.first; id <= r.last; ++id) {
            SCOPED_TRACE(id);
            ++count;
            // The preview item's bitmap shares its id with the first tab icon.
            if (id != kPreviewItemBitmapId) {
                EXPECT_EQ(FindResourceW(module_, MAKEINTRESOURCEW(id), RT_BITMAP), nullptr);
            }
            const ExtraSize* extra = nullptr;
            for (const ExtraSize& e : kExtraSizes)
                if (e.id == id) extra = &e;
            const size_t images = extra != nullptr ? 3 : 2;
            // The group directory: reserved 0, type 1 (icon), count, then 14-byte entries.
            const std::vector<BYTE> group = Bytes(RT_GROUP_ICON, id);
            ASSERT_EQ(group.size(), 6u + images * 14u);
            EXPECT_EQ(At<WORD>(group, 0), 0);
            EXPECT_EQ(At<WORD>(group, 2), 1);
            ASSERT_EQ(At<WORD>(group, 4), images);
            std::set<std::pair<int, int>> sizes;
            for (size_t e = 0; e < images; ++e) {
                const size_t at = 6 + 14 * e;
                const int width = group[at], height = group[at + 1];
                sizes.insert({width, height});
                const std::vector<BYTE> image = Bytes(RT_ICON, At<WORD>(group, at + 12));
                ASSERT_EQ(image.size(), At<DWORD>(group, at + 8));
                const Header h = HeaderOf(image);
                EXPECT_EQ(h.width, width);
                EXPECT_EQ(h.height, 2 * height);  // colour rows and mask rows
                EXPECT_EQ(h.bits, 4);
                if (width == 16) small.insert(image);
                if (width == 32) large.insert(image);
            }
            std::set<std::pair<int, int>> wanted{{16, 16}, {32, 32}};
            if (extra != nullptr) wanted.insert({extra->width, extra->height});
            EXPECT_EQ(sizes, wanted);
            // The platform's loader takes each size the pages ask for.
            for (const auto& [width, height] : wanted) {
                HANDLE icon = LoadImageW(module_, MAKEINTRESOURCEW(id), IMAGE_ICON, width, height, 0);
                EXPECT_NE(icon, nullptr) << width;
                if (icon != nullptr) DestroyIcon(static_cast<HICON>(icon));
            }
        }
    }
    EXPECT_EQ(count, 166);
    EXPECT_EQ(small.size(), 166u);  // no two alike
    EXPECT_EQ(large.size(), 166u);
}

constexpr int kFirstNumber = kTwoUpNumber1BitmapId;  // page-number layers of the preview
constexpr int kLastNumber = kSixteenUpInverseNumber16BitmapId;

TEST_F(UiLibraryResources, EveryBitmapIsASmallPictureOfItsOwn) {
    // Every layer of the layout preview fits the preview's item.
    const Header item = HeaderOf(Bytes(RT_BITMAP, kPreviewItemBitmapId));
    std::set<std::vector<BYTE>> pictures;
    std::map<int, std::vector<BYTE>> numbers;
    int count = 0;
    for (const Range& r : kBitmaps) {
        for (int id = r.first; id <= r.last; ++id) {
            SCOPED_TRACE(id);
            ++count;
            if (id != kLayoutTabIconId) {  // the first tab icon shares the preview item's id
                EXPECT_EQ(FindResourceW(module_, MAKEINTRESOURCEW(id), RT_GROUP_ICON), nullptr);
            }
            const std::vector<BYTE> dib = Bytes(RT_BITMAP, id);
            ASSERT_GE(dib.size(), 40u);
            const Header h = HeaderOf(dib);
            EXPECT_EQ(At<DWORD>(dib, 0), 40u);
            EXPECT_GT(h.width, 0);
            EXPECT_LE(h.width, item.width);
            EXPECT_GT(h.height, 0);
            EXPECT_LE(h.height, item.height);
            EXPECT_EQ(h.bits, 4);
            // A page number is the same picture for every page count ("1" of two pages is
            // "1" of four); every other bitmap is one of its own.
            if (id >= kFirstNumber && id <= kLastNumber) {
                numbers[id] = dib;
            } else {
                pictures.insert(dib);
            }
        }
    }
    EXPECT_EQ(count, 84);
    EXPECT_EQ(pictures.size(), 84u - numbers.size());
    // Numbers differ from each other, and the second set from the first.
    EXPECT_NE(numbers[kTwoUpNumber1BitmapId], numbers[kTwoUpNumber2BitmapId]);
    EXPECT_NE(numbers[kTwoUpNumber1BitmapId], numbers[kTwoUpInverseNumber1BitmapId]);
    EXPECT_NE(numbers[kSixteenUpNumber9BitmapId], numbers[kSixteenUpNumber16BitmapId]);
}

TEST_F(UiLibraryResources, ManifestIsResourceTwoOfItsType) {
    const std::vector<BYTE> manifest = Bytes(RT_MANIFEST, 2);
    ASSERT_FALSE(manifest.empty());
    const std::string text(manifest.begin(), manifest.end());
    EXPECT_EQ(text.rfind("<?xml", 0), 0u);
    EXPECT_NE(text.find("<assembly"), std::string::npos);
    EXPECT_NE(text.find("</assembly>"), std::string::npos);
    EXPECT_EQ(FindResourceW(module_, MAKEINTRESOURCEW(1), RT_MANIFEST), nullptr);
}

// The strings of a table of terminated UTF-16 strings, in order; a missing last terminator
// shows as a final string ending in '?'.
std::vector<std::u16string> Strings(const std::vector<BYTE>& bytes) {
    std::vector<std::u16string> out;
    std::u16string current;
    for (size_t at = 0; at + 1 < bytes.size(); at += 2) {
        const char16_t c = At<char16_t>(bytes, at);
        if (c == 0) {
            out.push_back(current);
            current.clear();
        } else {
            current.push_back(c);
        }
    }
    if (!current.empty() || bytes.size() % 2 != 0) out.push_back(current + u"?");
    return out;
}

TEST_F(UiLibraryResources, DefaultTablesHoldTheirPairs) {
    struct Table {
        int id;
        size_t bytes;
        std::vector<std::u16string> strings;
    };
    const Table tables[] = {
        {1000,
         200,
         {u"ＭＳ 明朝", u"明朝", u"ＭＳ ゴシック", u"ｺﾞｼｯｸ", u"ＱＸ 明朝", u"明朝", u"ＱＸ ゴシック", u"ｺﾞｼｯｸ",
          u"@ＭＳ 明朝", u"@明朝", u"@ＭＳ ゴシック", u"@ｺﾞｼｯｸ", u"@ＱＸ 明朝", u"@明朝", u"@ＱＸ ゴシック",
          u"@ｺﾞｼｯｸ"}},
        {1001,
         372,
         {u"A3->B4", u"B4 (JIS)", u"A3->A4",   u"A4",       u"B4->A4",   u"A4",       u"B4->B5",
          u"B5 (JIS)", u"A4->B5", u"B5 (JIS)", u"A4->A3",   u"A3",       u"A4->B4",   u"B4 (JIS)",
          u"B4->A3", u"A3",       u"B5->A4",   u"A4",       u"B5->B4",   u"B4 (JIS)", u"A4x2->A4",
          u"A4",     u"B5x2->B5", u"B5 (JIS)", u"LP->B4",   u"B4 (JIS)", u"LP->A4",   u"A4"}},
    };
    for (const Table& t : tables) {
        SCOPED_TRACE(t.id);
        const std::vector<BYTE> bytes = Bytes(RT_RCDATA, t.id);
        EXPECT_EQ(bytes.size(), t.bytes);
        EXPECT_EQ(Strings(bytes), t.strings);
        EXPECT_EQ(t.strings.size() % 2, 0u);
    }
}

}  // namespace
}  // namespace uiresources

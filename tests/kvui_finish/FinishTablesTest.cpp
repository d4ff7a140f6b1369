// The finishing position lists and conflict rules: which positions each orientation, paper and
// source offers, the copies the tree and pages take, and the three conflict rules.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "resources/ui/PictureIds.h"
#include "resources/ui/StringIds.h"
#include "ui/dialogs/Finishing.h"

namespace {

DriverDevMode Block(SHORT orientation, SHORT paper, WORD layoutMode = 1, WORD outputPaper = 0) {
    DriverDevMode block{};
    block.Public.dmOrientation = orientation;
    block.Public.dmPaperSize = paper;
    block.PagesPerSheet = layoutMode;
    block.OutputPaperSize = outputPaper;
    return block;
}

std::vector<int> Codes(const FinishPositionList& list) {
    std::vector<int> codes;
    for (size_t i = 0; i < FinishListLength(list); ++i) codes.push_back(list[i].code);
    return codes;
}

struct ListCase {
    const char* name;
    DriverDevMode block;
    bool manual;
    std::vector<int> first;
    std::vector<int> second;
    int firstIcon;
};

TEST(FinishingTables, ListsFollowOrientationPaperAndSource) {
    const ListCase cases[] = {
        {"A4 portrait manual", Block(1, 9), true, {0, 1, 4, 5, 6, 2, 3}, {0, 2, 3}, kPortraitStapleNoneIconId},
        {"Letter portrait", Block(1, 1), false, {0, 1, 4, 5, 6}, {0}, kPortraitStapleNoneIconId},
        {"B5 portrait", Block(1, 13), true, {0, 1, 4, 5, 6}, {0}, kPortraitStapleNoneIconId},
        {"A3 portrait", Block(1, 8), false, {0, 1, 4, 3}, {0, 1}, kPortraitStapleNoneIconId},
        {"B4 landscape", Block(2, 12), false, {0, 1, 4, 5, 6}, {0}, kLandscapeStapleNoneIconId},
        {"A4 landscape manual", Block(2, 9), true, {0, 1, 4, 3, 7, 5, 6}, {0, 1}, kLandscapeStapleNoneIconId},
        {"B5 landscape", Block(2, 13), false, {0, 1, 4, 3}, {0}, kLandscapeStapleNoneIconId},
        {"A3 landscape", Block(2, 8), false, {0, 1, 4, 5, 6}, {0, 2, 3}, kLandscapeStapleNoneIconId},
        {"postcard", Block(1, 43), true, {0}, {0}, kPortraitStapleNoneIconId},
        // Turned layouts stand the pages the other way round.
        {"A4 landscape, layout 2", Block(2, 9, 2), false, {0, 1, 4, 5, 6}, {0, 2, 3}, kPortraitStapleNoneIconId},
        {"A4 portrait, layout 6", Block(1, 9, 6), false, {0, 1, 4, 3}, {0, 1}, kLandscapeStapleNoneIconId},
        // The output paper wins over the document's.
        {"output A3", Block(1, 9, 1, 8), false, {0, 1, 4, 3}, {0, 1}, kPortraitStapleNoneIconId},
    };
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.name);
        const FinishPositionList first = BuildFinishPosition1Table(c.block, c.manual);
        const FinishPositionList second = BuildFinishPosition2Table(c.block);
        EXPECT_EQ(Codes(first), c.first);
        EXPECT_EQ(Codes(second), c.second);
        EXPECT_EQ(first[0].icon, c.firstIcon);
        EXPECT_EQ(first[FinishListLength(first)].label, -1);
        EXPECT_EQ(second[FinishListLength(second)].code, 255);
    }
    const FinishPositionList full = BuildFinishPosition1Table(Block(2, 9), true);
    EXPECT_EQ(full[4].icon, kLandscapeStapleTopRightIconId);
    EXPECT_EQ(full[4].label, kLandscapeStapleTopRightText);
}

TEST(FinishingTables, CopiesReadOnlyTheListAndPadWithEndEntries) {
    // The second list holds at most three entries and its end; the five-entry copy that the
    // tree takes gets end entries past it, never bytes from beyond the list.
    FinishPositionEntry second[5];
    std::fill(std::begin(second), std::end(second), FinishPositionEntry{7, 7, 7});
    GetFinishPosition2Table(Block(1, 43), second);
    EXPECT_EQ(second[0].code, 0);
    for (size_t i = 1; i < 5; ++i) {
        EXPECT_EQ(second[i].icon, -1) << i;
        EXPECT_EQ(second[i].code, 255) << i;
    }
    FinishPositionEntry first[8];
    GetFinishPosition1Table(Block(1, 9), nullptr, nullptr, first);  // no model: not the manual source
    EXPECT_EQ(first[4].code, 6);
    EXPECT_EQ(first[5].code, 255);
    EXPECT_EQ(first[7].code, 255);
}

TEST(FinishingTables, SheetsOnTwoThreadsKeepTheirOwnLists) {
    // Each caller gets its own list: two threads building different lists never see the
    // other's entries.
    auto build = [](SHORT orientation, SHORT paper, std::vector<int> expected, bool* ok) {
        for (int i = 0; i < 2000 && *ok; ++i) {
            FinishPositionEntry copy[5];
            GetFinishPosition2Table(Block(orientation, paper), copy);
            std::vector<int> codes;
            for (const FinishPositionEntry& e : copy) {
                if (e.code != 255) codes.push_back(e.code);
            }
            *ok = codes == expected;
        }
    };
    bool portraitOk = true;
    bool landscapeOk = true;
    std::thread a(build, SHORT{1}, SHORT{9}, std::vector<int>{0, 2, 3}, &portraitOk);
    std::thread b(build, SHORT{2}, SHORT{13}, std::vector<int>{0}, &landscapeOk);
    a.join();
    b.join();
    EXPECT_TRUE(portraitOk);
    EXPECT_TRUE(landscapeOk);
}

struct DuplexCase {
    SHORT orientation;
    SHORT duplex;
    std::vector<int> first;   // positions 0-7 that conflict
    std::vector<int> second;  // positions 0-3 that conflict
};

TEST(FinishingTables, DuplexConflicts) {
    const DuplexCase cases[] = {
        {1, 2, {2, 3, 4, 6}, {1, 3}}, {1, 3, {5, 6}, {2, 3}}, {2, 2, {5, 6, 7}, {2, 3}},
        {2, 3, {3, 4, 6, 7}, {1, 3}}, {1, 1, {}, {}},         {2, 4, {}, {}},
    };
    for (const DuplexCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.orientation) + "/" + std::to_string(c.duplex));
        std::vector<int> first, second;
        for (int p = 0; p <= 7; ++p) {
            if (FinishPosition1DuplexConflict(c.orientation, c.duplex, p, 1)) first.push_back(p);
            if (p <= 3 && FinishPosition2DuplexConflict(c.orientation, c.duplex, p, 1)) second.push_back(p);
        }
        EXPECT_EQ(first, c.first);
        EXPECT_EQ(second, c.second);
    }
    // Layout 8 turns a landscape orientation into portrait pages.
    EXPECT_TRUE(FinishPosition1DuplexConflict(2, 2, 2, 8));
    EXPECT_FALSE(FinishPosition1DuplexConflict(1, 2, 2, 8));
}

struct PairCase {
    SHORT orientation;
    int paper;
    SHORT source;
    std::vector<std::pair<int, int>> conflicts;
};

TEST(FinishingTables, PositionConflicts) {
    const PairCase cases[] = {
        {1, 9, 262, {{1, 3}, {2, 2}, {2, 3}, {3, 2}, {3, 3}, {4, 2}, {5, 3}, {6, 2}}},
        {2, 9, 262, {{5, 1}, {6, 1}, {7, 1}}},
        {1, 9, 4, {{1, 3}, {4, 2}, {5, 3}, {6, 2}}},
        {2, 8, 4, {{1, 3}, {4, 2}, {5, 3}, {6, 2}}},
        {2, 8, 262, {{1, 3}, {4, 2}, {5, 3}, {6, 2}}},
        {1, 8, 4, {}},
        {2, 9, 4, {}},
        {1, 13, 262, {}},
    };
    for (const PairCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.orientation) + "/" + std::to_string(c.paper) + "/" + std::to_string(c.source));
        std::vector<std::pair<int, int>> found;
        for (int p1 = 0; p1 <= 7; ++p1) {
            for (int p2 = 0; p2 <= 3; ++p2) {
                if (FinishPositionsConflict(c.orientation, c.paper, p1, p2, 1, c.source)) found.emplace_back(p1, p2);
            }
        }
        EXPECT_EQ(found, c.conflicts);
    }
}

}  // namespace

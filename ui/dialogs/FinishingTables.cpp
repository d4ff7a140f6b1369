// The finishing position lists of a settings block and the rules that tell when a position
// cannot stay with a duplex value or with the other position.
#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <string_view>

#include "platform/User.h"
#include "resources/ui/PictureIds.h"
#include "resources/ui/StringIds.h"
#include "ui/dialogs/Finishing.h"

namespace {

constexpr int kSlotNameChars = 80;

// Paper codes of the form list.
constexpr int kLetter = 1;
constexpr int kA3 = 8;
constexpr int kA4 = 9;
constexpr int kB4 = 12;
constexpr int kB5 = 13;

struct Row {
    int32_t icon;
    int32_t label;
    BYTE code;
};

// First positions after entry 0, by orientation and paper group.
constexpr Row kPortraitFullRows[] = {
    {kPortraitStapleTopLeftIconId, kPortraitStapleTopLeftText, 1},
    {kPortraitStapleTopTwoIconId, kPortraitStapleTopTwoText, 4},
    {kPortraitStapleBottomLeftIconId, kPortraitStapleBottomLeftText, 5},
    {kPortraitStapleBottomRightIconId, kPortraitStapleBottomRightText, 6},
    {kPortraitStapleTopRightIconId, kPortraitStapleTopRightText, 2},
    {kPortraitStapleLeftTwoIconId, kPortraitStapleLeftTwoText, 3},
};
constexpr Row kPortraitSmallRows[] = {
    {kPortraitStapleTopLeftIconId, kPortraitStapleTopLeftText, 1},
    {kPortraitStapleTopTwoIconId, kPortraitStapleTopTwoText, 4},
    {kPortraitStapleBottomLeftIconId, kPortraitStapleBottomLeftText, 5},
    {kPortraitStapleBottomRightIconId, kPortraitStapleBottomRightText, 6},
};
constexpr Row kPortraitLargeRows[] = {
    {kPortraitStapleTopLeftIconId, kPortraitStapleTopLeftText, 1},
    {kPortraitStapleTopTwoIconId, kPortraitStapleTopTwoText, 4},
    {kPortraitStapleLeftTwoIconId, kPortraitStapleLeftTwoText, 3},
};
constexpr Row kLandscapeFullRows[] = {
    {kLandscapeStapleTopLeftIconId, kLandscapeStapleTopLeftText, 1},
    {kLandscapeStapleTopTwoIconId, kLandscapeStapleTopTwoText, 4},
    {kLandscapeStapleLeftTwoIconId, kLandscapeStapleLeftTwoText, 3},
    {kLandscapeStapleTopRightIconId, kLandscapeStapleTopRightText, 7},
    {kLandscapeStapleBottomLeftIconId, kLandscapeStapleBottomLeftText, 5},
    {kLandscapeStapleBottomRightIconId, kLandscapeStapleBottomRightText, 6},
};
constexpr Row kLandscapeSmallRows[] = {
    {kLandscapeStapleTopLeftIconId, kLandscapeStapleTopLeftText, 1},
    {kLandscapeStapleTopTwoIconId, kLandscapeStapleTopTwoText, 4},
    {kLandscapeStapleLeftTwoIconId, kLandscapeStapleLeftTwoText, 3},
};
constexpr Row kLandscapeLargeRows[] = {
    {kLandscapeStapleTopLeftIconId, kLandscapeStapleTopLeftText, 1},
    {kLandscapeStapleTopTwoIconId, kLandscapeStapleTopTwoText, 4},
    {kLandscapeStapleBottomLeftIconId, kLandscapeStapleBottomLeftText, 5},
    {kLandscapeStapleBottomRightIconId, kLandscapeStapleBottomRightText, 6},
};

class ListBuilder {
public:
    ListBuilder() { list_.fill(kFinishListEnd); }
    void Add(const Row& row) {
        if (count_ < kFinishListEntries) list_[count_++] = FinishPositionEntry{row.icon, row.label, row.code};
    }
    template <size_t N>
    void Add(const Row (&rows)[N]) {
        for (const Row& row : rows) Add(row);
    }
    const FinishPositionList& List() const { return list_; }

private:
    FinishPositionList list_{};
    size_t count_ = 0;
};

bool IsOneOf(int value, std::initializer_list<int> values) {
    return std::find(values.begin(), values.end(), value) != values.end();
}

bool IsPair(int position1, int position2, std::initializer_list<std::pair<int, int>> pairs) {
    return std::find(pairs.begin(), pairs.end(), std::pair<int, int>{position1, position2}) != pairs.end();
}

}  // namespace

bool IsFinishingPortrait(SHORT orientation, WORD layoutMode) {
    const bool turned = layoutMode == 2 || layoutMode == 6 || layoutMode == 8;
    return turned ? orientation != DMORIENT_PORTRAIT : orientation == DMORIENT_PORTRAIT;
}

int FinishingPaper(const DriverDevMode& block) {
    return block.OutputPaperSize != 0 ? block.OutputPaperSize : block.Public.dmPaperSize;
}

size_t FinishListLength(const FinishPositionList& list) {
    size_t length = 0;
    while (length < kFinishListEntries && list[length].code != kFinishListEnd.code) ++length;
    return length;
}

FinishPositionList BuildFinishPosition1Table(const DriverDevMode& block, bool manualSource) {
    ListBuilder builder;
    const int paper = FinishingPaper(block);
    const bool small = ((paper == kLetter || paper == kA4) && !manualSource) || paper == kB5;
    const bool full = (paper == kLetter || paper == kA4) && manualSource;
    const bool large = paper == kA3 || paper == kB4;
    if (IsFinishingPortrait(block.Public.dmOrientation, block.PagesPerSheet)) {
        builder.Add(Row{kPortraitStapleNoneIconId, kPortraitStapleNoneText, 0});
        if (full) builder.Add(kPortraitFullRows);
        if (small) builder.Add(kPortraitSmallRows);
        if (large) builder.Add(kPortraitLargeRows);
    } else {
        builder.Add(Row{kLandscapeStapleNoneIconId, kLandscapeStapleNoneText, 0});
        if (full) builder.Add(kLandscapeFullRows);
        if (small) builder.Add(kLandscapeSmallRows);
        if (large) builder.Add(kLandscapeLargeRows);
    }
    return builder.List();
}

FinishPositionList BuildFinishPosition2Table(const DriverDevMode& block) {
    ListBuilder builder;
    const int paper = FinishingPaper(block);
    if (IsFinishingPortrait(block.Public.dmOrientation, block.PagesPerSheet)) {
        builder.Add(Row{kPortraitPunchNoneIconId, kPortraitPunchNoneText, 0});
        if (paper == kA3) builder.Add(Row{kPortraitPunchLeftIconId, kPortraitPunchLeftText, 1});
        if (paper == kA4)
            builder.Add({Row{kPortraitPunchTopIconId, kPortraitPunchTopText, 2},
                         Row{kPortraitPunchRightIconId, kPortraitPunchRightText, 3}});
    } else {
        builder.Add(Row{kLandscapePunchNoneIconId, kLandscapePunchNoneText, 0});
        if (paper == kA3) {
            builder.Add({Row{kLandscapePunchTopIconId, kLandscapePunchTopText, 2},
                         Row{kLandscapePunchRightIconId, kLandscapePunchRightText, 3}});
        }
        if (paper == kA4) builder.Add(Row{kLandscapePunchLeftIconId, kLandscapePunchLeftText, 1});
    }
    return builder.List();
}

bool IsManualSource(const DriverDevMode& block, const ModelDescription* model, HMODULE languageLibrary) {
    WCHAR name[kSlotNameChars] = {};
    if (model == nullptr || languageLibrary == nullptr ||
        LoadStringW(languageLibrary, kManualSourceName, name, kSlotNameChars) <= 0) {
        return false;
    }
    const ModelNamedValue* slots = ModelList<ModelNamedValue>(model, model->InputSlotOffset, model->InputSlotCount);
    for (DWORD i = 0; slots != nullptr && i < model->InputSlotCount; ++i) {
        if (static_cast<SHORT>(LOWORD(slots[i].Value)) == block.Public.dmDefaultSource &&
            std::u16string_view(name) == ModelString(model, slots[i].NameOffset)) {
            return true;
        }
    }
    return false;
}

void GetFinishPosition1Table(const DriverDevMode& block, const ModelDescription* model, HMODULE languageLibrary,
                             FinishPositionEntry (&out)[8]) {
    const FinishPositionList list = BuildFinishPosition1Table(block, IsManualSource(block, model, languageLibrary));
    std::copy_n(list.begin(), std::size(out), out);
}

void GetFinishPosition2Table(const DriverDevMode& block, FinishPositionEntry (&out)[5]) {
    // The list has room for every slot the copy takes; slots past its end are end entries.
    const FinishPositionList list = BuildFinishPosition2Table(block);
    std::copy_n(list.begin(), std::size(out), out);
}

bool FinishPosition1DuplexConflict(SHORT orientation, SHORT duplex, int position, WORD layoutMode) {
    if (IsFinishingPortrait(orientation, layoutMode)) {
        if (duplex == DMDUP_VERTICAL) return IsOneOf(position, {2, 3, 4, 6});
        if (duplex == DMDUP_HORIZONTAL) return IsOneOf(position, {5, 6});
        return false;
    }
    if (duplex == DMDUP_VERTICAL) return IsOneOf(position, {5, 6, 7});
    if (duplex == DMDUP_HORIZONTAL) return IsOneOf(position, {3, 4, 6, 7});
    return false;
}

bool FinishPosition2DuplexConflict(SHORT orientation, SHORT duplex, int position, WORD layoutMode) {
    const bool portrait = IsFinishingPortrait(orientation, layoutMode);
    if (duplex == DMDUP_VERTICAL) return IsOneOf(position, portrait ? std::initializer_list<int>{1, 3} : std::initializer_list<int>{2, 3});
    if (duplex == DMDUP_HORIZONTAL) return IsOneOf(position, portrait ? std::initializer_list<int>{2, 3} : std::initializer_list<int>{1, 3});
    return false;
}

bool FinishPositionsConflict(SHORT orientation, int paper, int position1, int position2, WORD layoutMode, SHORT source) {
    const bool portrait = IsFinishingPortrait(orientation, layoutMode);
    if (paper == kA4 && source == kFinishingSource) {
        if (portrait) {
            return IsPair(position1, position2, {{1, 3}, {4, 2}, {3, 2}, {3, 3}, {2, 2}, {2, 3}, {5, 3}, {6, 2}});
        }
        return IsPair(position1, position2, {{7, 1}, {5, 1}, {6, 1}});
    }
    const bool paperGoes = portrait ? paper == kA4 : paper == kA3;
    return paperGoes && IsPair(position1, position2, {{1, 3}, {4, 2}, {5, 3}, {6, 2}});
}

// The status-bit table: every row can be reached from a CurrentStatus value, the row order is
// the priority order, and short values never read past their end.
#include <gtest/gtest.h>

#include "psw/StatusTables.h"
#include "resources/psw/PswIds.h"

namespace {

struct RowCase {
    WORD row;
    int word;  // 1..6: which DWORD of CurrentStatus
    DWORD bit;
};

// One value per row, each setting only that row's bit.
constexpr RowCase kRows[] = {
    {1, 2, 0x1000}, {2, 2, 0x400},     {3, 2, 0x200},      {4, 2, 0x80},       {5, 6, 0x4},
    {6, 2, 0x100},  {7, 3, 0x400},     {8, 3, 0x10000},    {9, 3, 0x4000},     {10, 3, 0x20000000},
    {11, 1, 0x8},   {12, 2, 0x4},      {13, 3, 0x8000},    {14, 2, 0x40000000}, {15, 3, 0x4000000},
    {16, 3, 0x800000}, {17, 2, 0x2000}, {18, 3, 0x80000},  {19, 3, 0x400000},  {20, 3, 0x10},
    {21, 3, 0x1000}, {22, 6, 0x2},     {23, 3, 0x40},      {24, 3, 0x8},       {25, 4, 0x1},
    {26, 4, 0x2},   {27, 3, 0x80},     {28, 3, 0x1},       {29, 2, 0x800},
};

TEST(StatusRows, EveryRowIsReachedFromItsOwnBit) {
    bool reached[kPswStatusRows] = {};
    for (const RowCase& c : kRows) {
        DWORD words[6] = {};
        words[c.word - 1] = c.bit;
        const WORD row = StatusRowOf(words, sizeof(words));
        EXPECT_EQ(row, c.row) << "word " << c.word << " bit 0x" << std::hex << c.bit;
        reached[row] = true;
    }
    DWORD zero[6] = {};
    reached[StatusRowOf(zero, sizeof(zero))] = true;
    EXPECT_EQ(StatusRowOf(zero, sizeof(zero)), kPswLastStatusRow);
    for (int row = 1; row < kPswStatusRows; ++row) {
        EXPECT_TRUE(reached[row]) << "row " << row;
    }
}

TEST(StatusRows, EarlierRowWinsAndShortValuesReadAsZero) {
    DWORD both[6] = {0, 0x1000, 0x8, 0, 0, 0};  // rows 1 and 24
    EXPECT_EQ(StatusRowOf(both, sizeof(both)), 1);
    // Only the first 8 bytes: the low word (row 24) is not there.
    DWORD lowOnly[6] = {0, 0, 0x8, 0, 0, 0};
    EXPECT_EQ(StatusRowOf(lowOnly, 8), kPswLastStatusRow);
    EXPECT_EQ(StatusRowOf(nullptr, 24), kPswLastStatusRow);
}

TEST(StatusRows, TableHandedToTheHostMatchesItsLayout) {
    const PSWStatusEntry* table = PswStatusTable();
    for (int i = 0; i < kPswStatusRows; ++i) {
        EXPECT_EQ(table[i].row, static_cast<DWORD>(i));
        EXPECT_EQ(table[i].helpContext, 0u);
    }
    EXPECT_EQ(table[kStatusRowOpcError].stringId, kStatusTextSupplyUsedUp);
    EXPECT_EQ(table[kPswLastStatusRow].stringId, kStatusTextUnknown);
    EXPECT_EQ(table[4].statusClass, static_cast<DWORD>(StatusClass::Error));
    EXPECT_EQ(PswStatusKind(0) & kKindHoldsJob, 0u);
    EXPECT_EQ(PswStatusKind(25) & kKindHoldsJob, 0u);
    EXPECT_EQ(PswStatusKind(kStatusRowEngineAlarm) & kKindHoldsJob, kKindHoldsJob);
}

}  // namespace

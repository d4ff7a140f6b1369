// The tables from PrinterStatus to the icon level and the spooler's port status, and the
// decoders of values the printer sends (tray sizes, parts life, console lines).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "langmon/printer/StateMapping.h"
#include "platform/Monitor.h"

namespace {


struct MaskCase {
    PrinterStatusValue status;
    DWORD icon;
    DWORD portStatus;  // 0: none
};

// One case per row of the icon and port-status tables, each with the bit alone, in the
// tables' order. Rows ahead win: the last cases prove it.
const MaskCase kMaskCases[] = {
    {{0, 0x200, 0}, 0, 0},         // another model
    {{0, 0x80, 0}, 1, 8},          // hardware error: user intervention
    {{0, 0x100, 0}, 0, 0},         // powered off
    {{0, 0, 0x400}, 1, 8},         // engine alarm
    {{0, 0, 0x10000}, 1, 2},       // paper jam
    {{0, 0, 0x4000}, 1, 6},        // no toner
    {{0, 0, 0x20000000}, 1, 8},    // supply at its end
    {{0x8, 0, 0}, 1, 8},           // stacker
    {{0, 0x4, 0}, 1, 8},           // supply missing
    {{0, 0, 0x8000}, 1, 7},        // cover open
    {{0, 0x40000000, 0}, 1, 8},    // paper loading
    {{0, 0, 0x4000000}, 1, 3},     // no paper, tray still has some
    {{0, 0, 0x800000}, 1, 3},      // hopper empty
    {{0, 0x2000, 0}, 1, 8},        // form over
    {{0, 0, 0x80000}, 2, 1},       // maintenance request: offline
    {{0, 0, 0x400000}, 1, 9},      // paper miss set: out of memory
    {{0, 0, 0x10}, 2, 0},          // warming up
    {{0, 0, 0x1000}, 2, 1},        // offline
    {{0, 0x4000000, 0}, 2, 0},     // auto cleaning
    {{0, 0, 0x8}, 0, 0},           // printing
    {{0, 0, 0x2}, 0, 0},           // low toner: no icon row of its own, no port status
    {{0, 0, 0x80}, 2, 0},          // near end
    {{0, 0, 0x1}, 0, 0},           // online
    {{0, 0, 0x800}, 0, 0},         // icon row only
    {{0, 0, 0}, 0, 0},             // nothing: no row meets
    {{0, 0x200, 0x10000}, 0, 0},   // another model hides the jam
    {{0, 0x100, 0x8000}, 0, 0},    // powered off hides the open cover
    {{0, 0x80, 0x10000}, 1, 8},    // hardware error ahead of the jam
    {{0, 0, 0x1009}, 2, 1},        // offline ahead of printing and online
    {{0, 0, 0x82}, 2, 0},          // near end with low toner
};

class MaskTableTest : public ::testing::TestWithParam<MaskCase> {};

TEST_P(MaskTableTest, IconAndPortStatus) {
    const MaskCase& c = GetParam();
    EXPECT_EQ(langmon::IconStateOf(c.status), c.icon);
    const langmon::PortStatusCode code = langmon::PortStatusOf(c.status);
    EXPECT_EQ(code.status, c.portStatus);
    EXPECT_EQ(code.severity, c.portStatus == 0 ? 0u : PORT_STATUS_TYPE_ERROR);
}

INSTANTIATE_TEST_SUITE_P(Rows, MaskTableTest, ::testing::ValuesIn(kMaskCases));

TEST(StateMapping, EveryIconAndPortRowHasACase) {
    // A row added to a table without a case above would go untested.
    EXPECT_EQ(langmon::IconTable().size(), 23u);
    EXPECT_EQ(langmon::PortStatusTable().size(), 23u);
}

TEST(StateMapping, ShortTableRowsCarryTheFullTablesValues) {
    for (const langmon::AlertRow& s : langmon::ShortAlertTable()) {
        bool found = false;
        for (const langmon::AlertRow& f : langmon::FullAlertTable()) {
            if (f.text != s.text) continue;
            found = true;
            EXPECT_EQ(f.group, s.group) << s.text;
            EXPECT_EQ(f.alertBit, s.alertBit) << s.text;
            EXPECT_EQ(f.detailBit, s.detailBit) << s.text;
        }
        EXPECT_TRUE(found) << s.text;
    }
}

TEST(StateMapping, AlertBitsOwnDisjointStatusBits) {
    // Two alerts owning one bit would let one clear the other's report.
    PrinterStatusValue seen{};
    for (const langmon::AlertBitRow& row : langmon::AlertBitTable()) {
        EXPECT_EQ(seen.H & row.bits.H, 0u);
        EXPECT_EQ(seen.M & row.bits.M, 0u);
        EXPECT_EQ(seen.L & row.bits.L, 0u);
        seen.H |= row.bits.H;
        seen.M |= row.bits.M;
        seen.L |= row.bits.L;
    }
}

TEST(StateMapping, AlertBitsReplaceOnlyTheirOwnBits) {
    const PrinterStatusValue before{0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
    const PrinterStatusValue after = langmon::ApplyAlertBits(before, 0);
    EXPECT_EQ(after.H, 0xFFFFFFF7u);
    EXPECT_EQ(after.M, 0xFFFFFFFFu & ~(0x80u | 0x4 | 0x40000000 | 0x2000 | 0x4000000 | 0x1F00));
    EXPECT_EQ(after.L, 0xFFFFFFFFu & ~(0x400u | 0x10000 | 0x4000 | 0x20000000 | 0x8000 | 0x4000000 | 0x800000 |
                                        0x80000 | 0x400000 | 0x1000 | 0x2 | 0x80));
}

struct ActivityCase {
    LONG hrPrinterStatus;
    bool job;
    bool printerPrinting;
    DWORD lBefore;
    DWORD lAfter;
};
const ActivityCase kActivityCases[] = {
    {3, false, false, 0x48, 0x1},         // idle: printing and idle-wait cleared, online
    {4, false, false, 0, 0x9},            // the printer prints
    {3, true, false, 0, 0x9},             // a job of ours is on the port
    {1, false, true, 0, 0x9},             // the job tracking sees it print
    {3, false, true, 0, 0x1},             // ... but not while the printer says idle
    {5, false, false, 0, 0x11},           // warming up
    {3, false, false, 0x1000, 0x1000},    // offline: not online
    {3, false, false, 0x2, 0x83},         // low toner also shows near end
};
class ActivityTest : public ::testing::TestWithParam<ActivityCase> {};
TEST_P(ActivityTest, LowWord) {
    const ActivityCase& c = GetParam();
    const PrinterStatusValue after = langmon::ApplyActivity({0, 0, c.lBefore}, {c.hrPrinterStatus, c.job, c.printerPrinting});
    EXPECT_EQ(after.L, c.lAfter);
}
INSTANTIATE_TEST_SUITE_P(Rows, ActivityTest, ::testing::ValuesIn(kActivityCases));

TEST(StateMapping, TrayWords) {
    struct {
        int32_t value;
        WORD length;
        WORD width;
    } const cases[] = {
        {2970, 2, 18},        // ((297 + 150) x 6) / 1000, ((297 + 15) x 6) / 100
        {0, 0, 0},            // (150 x 6) / 1000 = 0, (15 x 6) / 100 = 0
        {-2, 0, 0},           // "unknown"
        {INT32_MIN, 0, 0},    // would overflow the arithmetic
        {INT32_MAX, 0xFFFF, 0xFFFF},  // beyond the word: held at its top
    };
    for (const auto& c : cases) {
        EXPECT_EQ(langmon::TrayLengthWord(c.value), c.length) << c.value;
        EXPECT_EQ(langmon::TrayWidthWord(c.value), c.width) << c.value;
    }
    EXPECT_EQ(langmon::TrayLevelByte(-3), 100);
    EXPECT_EQ(langmon::TrayLevelByte(0), 0);
    EXPECT_EQ(langmon::TrayLevelByte(-2), 254);
    EXPECT_EQ(langmon::TrayLevelByte(500), 254);
}

TEST(StateMapping, PartsLife) {
    ErrPartsLifeValue life{};
    ASSERT_TRUE(langmon::ParsePartsLife("PM Parts Life 00A0 0100 FFFF", &life));
    EXPECT_EQ(life.Life[0], 0xA0);
    EXPECT_EQ(life.Life[1], 0x100);
    EXPECT_EQ(life.Life[2], 0xFFFF);
    const char* const refused[] = {
        "PM Parts Life 00a0 0100 FFFF",  // lower case is not the printer's form
        "PM Parts Life 00A0 0100 FFF",   // one digit short
        "PM Parts Life 00A0 01G0 FFFF",  // not hexadecimal
        "PM Parts Lif 00A0 0100 FFFF",
        "",
    };
    for (const char* text : refused) {
        life = {{1, 2, 3}};
        EXPECT_FALSE(langmon::ParsePartsLife(text, &life)) << text;
        EXPECT_EQ(life.Life[0], 1) << text;
    }
}

TEST(StateMapping, ServiceCallNumber) {
    const std::string mark = "\x83\x52\x81\x5B\x83\x8B";  // "コール" in Shift-JIS
    struct {
        std::string line;
        bool found;
        DWORD number;
    } const cases[] = {
        {"SC1234" + mark, true, 1234},        // bytes 0-1 are the printer's own prefix
        {"  1234" + mark + " 00", true, 1234},
        {"  07  " + mark, true, 7},
        {"  ----" + mark, false, 0},          // no number
        {"  1234" + std::string("\x83\x52\x81\x5B\x83\x8A"), false, 0},  // another word
        {"  12", false, 0},                   // shorter than the mark's place
    };
    for (const auto& c : cases) {
        DWORD number = 0xDEADBEEF;
        const bool found = langmon::ParseServiceCallNumber({c.line.data(), c.line.size()}, &number);
        EXPECT_EQ(found, c.found) << c.line;
        EXPECT_EQ(number, c.found ? c.number : 0xDEADBEEFu) << c.line;
    }
}

}  // namespace

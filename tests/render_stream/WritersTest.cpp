// The typed writers: big-endian words, angles, mapped points, decimal lists and the
// formatter.
#include <climits>
#include <cstring>
#include <functional>

#include "tests/render_stream/StreamFixture.h"

namespace streamtest {
namespace {

TEST_F(StreamTest, BigEndianWordsAndAngles) {
    PutDwordBE(pdev_, 0x01020304);  // dword, most significant byte first
    PutWordBE(pdev_, 0xA0B0);       // word
    struct AngleCase {
        BYTE mode;
        WORD angle;
        WORD sent;
    };
    const AngleCase angles[] = {
        {1, 100, 10},    // 370 reduced once
        {0, 300, 30},    // 390 reduced once
        {0, 0, 90},
        {1, 90, 0},      // exactly 360
        {7, 45, 45},     // other modes add nothing
        {7, 400, 40},    // ...but are reduced all the same
        {1, 1000, 910},  // reduced only once
    };
    std::vector<BYTE> expected = {0x01, 0x02, 0x03, 0x04, 0xA0, 0xB0};
    for (const AngleCase& a : angles) {
        PutAngleBE(pdev_, a.mode, a.angle);
        expected.push_back(static_cast<BYTE>(a.sent >> 8));
        expected.push_back(static_cast<BYTE>(a.sent));
    }
    EXPECT_TRUE(SameBytes(SpooledAfterFlush(), expected));
}

TEST_F(StreamTest, SmallWriterFlushesWhenItDoesNotFit) {
    const std::vector<BYTE> fill = Pattern(4095, 1);
    Write(fill);
    PutWordBE(pdev_, 0x0102);
    EXPECT_EQ(WriteSizes(), std::vector<DWORD>{4095});
    EXPECT_EQ(pdev_->Output.Count, 2u);
    EXPECT_TRUE(SameBytes(SpooledAfterFlush(), Concat({fill, {0x01, 0x02}})));
}

struct NumberListCase {
    const char* name;
    std::vector<LONG> values;
    bool accepted;
    std::string text;
};

std::vector<LONG> Ones(size_t count) { return std::vector<LONG>(count, 1); }
std::string OnesText(size_t count) {
    std::string text;
    for (size_t i = 0; i < count; ++i) text += i == 0 ? "1" : ",1";
    return text;
}

TEST_F(StreamTest, NumberLists) {
    std::vector<LONG> upTo254 = Ones(126);
    upTo254.push_back(10);
    const NumberListCase cases[] = {
        {"three values", {1, -2, 300}, true, "1,-2,300"},
        {"none", {}, true, ""},
        {"extremes", {INT_MIN, INT_MAX, 0}, true, "-2147483648,2147483647,0"},
        {"253 characters", Ones(127), true, OnesText(127)},
        {"254 characters", upTo254, true, OnesText(126) + ",10"},
        {"255 characters", Ones(128), false, ""},
    };
    for (const NumberListCase& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        SetLastError(0xDEADBEEF);
        EXPECT_EQ(PutNumberList(pdev_, static_cast<int>(c.values.size()), c.values.data()), c.accepted ? TRUE : FALSE);
        EXPECT_EQ(GetLastError(), c.accepted ? 0xDEADBEEF : ERROR_BUFFER_OVERFLOW);
        EXPECT_TRUE(SameBytes(SpooledAfterFlush(), Bytes(c.text)));
    }
}

struct PrintfCase {
    const char* expected;
    std::function<int(PDEV*)> call;
};

TEST_F(StreamTest, FormatterConversions) {
    const PrintfCase cases[] = {
        {"false/7", [](PDEV* p) { return OutputPrintf(p, "%b/%u", 0, 7); }},
        {"true", [](PDEV* p) { return OutputPrintf(p, "%b", 5u); }},
        {"A.", [](PDEV* p) { return OutputPrintf(p, "%c.", 0x141); }},
        {"-5|-5|-5", [](PDEV* p) { return OutputPrintf(p, "%d|%l|%ld", -5, -5, LONG{-5}); }},
        {"-1|4294967295", [](PDEV* p) { return OutputPrintf(p, "%d|%u", 0xFFFFFFFFu, -1); }},
        {"0007|03|001022", [](PDEV* p) { return OutputPrintf(p, "%04d|%02d|%03d%03d", 7, 3, 1, 22); }},
        {"0000000042|4294967295", [](PDEV* p) { return OutputPrintf(p, "%010lu|%010lu", DWORD{42}, DWORD{4294967295u}); }},
        {"-007", [](PDEV* p) { return OutputPrintf(p, "%04d", -7); }},
        {"202403050907", [](PDEV* p) { return OutputPrintf(p, "%08d%04d", 20240305, 907); }},
        {"BEEF|beef|00FF", [](PDEV* p) { return OutputPrintf(p, "%X|%x|%04X", 0xBEEF, 0xBEEF, 255); }},
        {"7   |   ab", [](PDEV* p) { return OutputPrintf(p, "%-4d|%5s", 7, "ab"); }},
        {"%q", [](PDEV* p) { return OutputPrintf(p, "%%%q"); }},
        {"\x1C&600.", [](PDEV* p) { return OutputPrintf(p, "\x1C&%d.", 600); }},
        {"12345678901", [](PDEV* p) { return OutputPrintf(p, "%d", 12345678901LL); }},
        // A missing argument or one of the wrong kind prints nothing rather than reading garbage.
        {"[][]", [](PDEV* p) { return OutputPrintf(p, "[%s][%d]", 5, "text"); }},
        {"x=", [](PDEV* p) { return OutputPrintf(p, "x=%d"); }},
        {"()", [](PDEV* p) { return OutputPrintf(p, "(%s)", static_cast<const char*>(nullptr)); }},
        {"end", [](PDEV* p) { return OutputPrintf(p, "end%"); }},
    };
    for (const PrintfCase& c : cases) {
        SCOPED_TRACE(c.expected);
        TearDown();
        SetUp();
        EXPECT_EQ(c.call(pdev_), static_cast<int>(std::strlen(c.expected)));
        EXPECT_TRUE(SameBytes(SpooledAfterFlush(), Bytes(c.expected)));
    }
}

TEST_F(StreamTest, FormatterPassesLongTextsInPieces) {
    const std::string longText(1000, 'x');
    const std::string expected = "<" + longText + "|" + longText + ">";
    EXPECT_EQ(OutputPrintf(pdev_, "<%s|%s>", longText.c_str(), longText.c_str()), static_cast<int>(expected.size()));
    EXPECT_TRUE(SameBytes(SpooledAfterFlush(), Bytes(expected)));
}

TEST_F(StreamTest, FormatterReportsBytesAddedBeforeAFailure) {
    Write(Pattern(3500, 1));
    const std::string text(600, 'y');
    // 256 and 256 fit the buffer; the final 88 need a flush, which fails.
    standin::InjectFault(standin::Fault::PrinterWrite, ERROR_WRITE_FAULT);
    EXPECT_EQ(OutputPrintf(pdev_, "%s", text.c_str()), -512);
    EXPECT_TRUE(OutputFailed(pdev_));
    EXPECT_EQ(OutputPrintf(pdev_, "abc"), -1);  // nothing could be added
}

struct RotateCase {
    const char* name;
    BYTE mode;
    signed char unit;
    POINTL in;
    POINTL out;
};

TEST_F(StreamTest, RotatePointTurnsInsideTheSlotOrAboutThePage) {
    pdev_->Geometry.NupSlots[1] = RECTL{10, 20, 110, 220};
    pdev_->WantedPage.SlotIndex = 1;
    const RotateCase cases[] = {
        {"inside the slot", 0, 1, {5, 7}, {-3, 225}},
        {"inside the slot, doubled units", 0, 2, {5, 7}, {-13, 455}},
        {"about the page", 1, 1, {5, 7}, {193, 5}},
        {"about the page, doubled units", 1, 2, {5, 7}, {393, 5}},
        {"other modes leave it", 7, 1, {5, 7}, {5, 7}},
    };
    for (const RotateCase& c : cases) {
        SCOPED_TRACE(c.name);
        pdev_->UnitFactor = c.unit;
        POINTL point = c.in;
        RotatePoint(pdev_, c.mode, &point);
        EXPECT_EQ(point.x, c.out.x);
        EXPECT_EQ(point.y, c.out.y);
    }
    pdev_->WantedPage.SlotIndex = 16;  // no such slot: nothing to turn inside
    POINTL point{5, 7};
    RotatePoint(pdev_, 0, &point);
    EXPECT_EQ(point.x, 5);
    EXPECT_EQ(point.y, 7);

    DWORD a = 1, b = 2;
    SwapDwords(a, b);
    EXPECT_EQ(a, 2u);
    EXPECT_EQ(b, 1u);
}

struct MappedPointCase {
    const char* name;
    std::function<void(PDEV*)> setup;
    SHORT x, y;
    WORD sentX, sentY;
};

TEST_F(StreamTest, MappedPointsTakeScaleSlotTurnAndOrigin) {
    const auto duplexed = [](PDEV* p) {
        p->Settings.DeviceSlots[8].State = 1;  // DEV_Duplex installed
        p->Settings.Public.dmDuplex = 2;
    };
    const auto twoUp = [](PDEV* p) {
        p->Geometry.ScalePercent = 50;
        p->Settings.PagesPerSheet = 2;
        p->Geometry.NupSlots[1] = RECTL{1000, 0, 2000, 1400};
        p->Geometry.CentringOffset = POINTL{5, 6};
        p->WantedPage.SlotIndex = 1;
    };
    const MappedPointCase cases[] = {
        {"plain page, odd origin", [](PDEV*) {}, 10, 20, 110, 220},
        {"negative result wraps to 16 bits", [](PDEV* p) { p->Geometry.OddOrigin = {0, 0}; }, -5, 20, 0xFFFB, 20},
        {"duplex, page 2: even origin", [&](PDEV* p) { duplexed(p); p->WantedPage.PageCount = 2; }, 10, 20, 310, 420},
        {"duplex, page 3: odd origin", [&](PDEV* p) { duplexed(p); p->WantedPage.PageCount = 3; }, 10, 20, 110, 220},
        {"duplex, page 2, origins swapped", [&](PDEV* p) {
             duplexed(p);
             p->WantedPage.PageCount = 2;
             p->Settings.FeatureFlags |= 1u << 8;
         }, 10, 20, 110, 220},
        {"simplex, page 2: odd origin", [](PDEV* p) {
             p->Settings.DeviceSlots[8].State = 1;
             p->WantedPage.PageCount = 2;
         }, 10, 20, 110, 220},
        {"duplex without the unit: odd origin", [](PDEV* p) {
             p->Settings.Public.dmDuplex = 2;
             p->WantedPage.PageCount = 2;
         }, 10, 20, 110, 220},
        {"frame drawn: sheet 1 is a back side", [&](PDEV* p) {
             duplexed(p);
             p->FrameBeingDrawn = 1;
             p->WantedPage.SheetCount = 1;
         }, 10, 20, 310, 420},
        {"scale 80, one page per sheet: no slot offset", [](PDEV* p) { p->Geometry.ScalePercent = 80; }, 10, 21, 108, 216},
        {"2-up: scaled and placed in the slot", twoUp, 10, 20, 1110, 216},
        {"2-up, turned sheet: turned in the slot", [&](PDEV* p) {
             twoUp(p);
             p->Settings.Public.dmOrientation = 2;
         }, 10, 20, 1116, 1590},
        {"2-up, turned sheet, graphics only: not turned", [&](PDEV* p) {
             twoUp(p);
             p->Settings.Public.dmOrientation = 2;
             p->Settings.FeatureFlags |= kFeatureGraphicsOnly;
         }, 10, 20, 1110, 216},
        {"2-up, sheet 1 duplexed: even origin", [&](PDEV* p) {
             twoUp(p);
             duplexed(p);
             p->WantedPage.SheetCount = 1;
         }, 10, 20, 1310, 416},
    };
    for (const MappedPointCase& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        pdev_->Geometry.OddOrigin = POINTL{100, 200};
        pdev_->Geometry.EvenOrigin = POINTL{300, 400};
        c.setup(pdev_);
        PutMappedPoint(pdev_, c.x, c.y);
        const std::vector<BYTE> expected = {static_cast<BYTE>(c.sentX >> 8), static_cast<BYTE>(c.sentX),
                                            static_cast<BYTE>(c.sentY >> 8), static_cast<BYTE>(c.sentY)};
        EXPECT_TRUE(SameBytes(SpooledAfterFlush(), expected));
    }
}

}  // namespace
}  // namespace streamtest

// The page frame, the page stamp and the banner sheet as the page end, job header and
// trailer write them: golden bytes per decoration, the stamp's text, size and place, and the
// banner's switches.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/Geometry.h"
#include "render/DocumentHooks.h"
#include "render/OutputStream.h"
#include "render/PageDecorations.h"
#include "render/PjlHeader.h"
#include "render/draw/DrawingState.h"
#include "tests/render_flow/FlowFixture.h"
#include "tests/support/ByteCompare.h"

namespace flowtest {
namespace {

class DecorationTest : public FlowTest {
protected:
    /// A device out of page-control mode with its page rectangles, nothing buffered, and the
    /// printer's state already at the values decorations set (so only what a test changes
    /// shows in the bytes).
    std::unique_ptr<TestDevice> DecorDevice(SHORT dpi = 600, WORD pagesPerSheet = 1) {
        DeviceOptions options;
        options.dpi = dpi;
        options.pagesPerSheet = pagesPerSheet;
        options.startSpoolJob = false;
        auto device = MakeDevice(options);
        PDEV* pdev = device->pdev();
        pdev->PageRect = PrintableRectDots(pdev->Geometry.InputPaper, dpi);
        pdev->OutputPaperRect = pdev->PageRect;
        pdev->VectorResolution = static_cast<WORD>(dpi);
        pdev->SentOrientation = static_cast<DWORD>(pdev->Settings.Public.dmOrientation);
        pdev->StateFlags &= ~kStatePageControl;
        return device;
    }

    static std::vector<BYTE> Take(TestDevice& device) {
        std::vector<BYTE> bytes = device.Buffered();
        device.ClearBuffer();
        return bytes;
    }

    /// One document of one page with DrawSomething's drawing, through the hooks; the job's
    /// bytes in *job.
    static void OnePageJob(TestDevice& device, std::vector<BYTE>* job) {
        ASSERT_TRUE(DrvStartDoc(device.surface(), nullptr, 0));
        ASSERT_TRUE(DrvStartPage(device.surface()));
        DrawSomething(device.pdev());
        ASSERT_TRUE(DrvSendPage(device.surface()));
        ASSERT_TRUE(DrvEndDoc(device.surface(), 0));
        *job = device.Spooled();
    }

    static void SetStampText(PDEV* pdev, const std::u16string& text) {
        std::fill(std::begin(pdev->PageStampText), std::end(pdev->PageStampText), u'\0');
        std::copy(text.begin(), text.end(), pdev->PageStampText);
    }
};

// The run command that ends a stamp: CD, the character count, then each code in two bytes
// with a zero displacement.
std::vector<BYTE> StampRun(const std::vector<WORD>& codes) {
    std::vector<BYTE> run{0xCD, static_cast<BYTE>(codes.size())};
    for (WORD code : codes) {
        run.push_back(static_cast<BYTE>(code >> 8));
        run.push_back(static_cast<BYTE>(code & 0xFF));
        run.push_back(0);
        run.push_back(0);
    }
    return run;
}

bool EndsWith(const std::vector<BYTE>& bytes, const std::vector<BYTE>& tail) {
    return bytes.size() >= tail.size() && std::equal(tail.begin(), tail.end(), bytes.end() - tail.size());
}

TEST_F(DecorationTest, StampSetsTheGothicFontItsSizesAndGrayOnce) {
    auto device = DecorDevice();
    PDEV* pdev = device->pdev();
    SetStampText(pdev, u"AB");
    pdev->PageStampPosition = 0;
    WritePageStamp(pdev, 1);
    const std::vector<BYTE> first = Take(*device);
    const std::vector<BYTE> font = {
        0xC2, 0x00, 0x00, 0x02,  // character mode 2
        0xCB, 0x00, 0x25, 0x10,  // the double-byte Gothic font
        0xC3, 0x00, 0x00, 0x58,  // single-byte height 88
        0xC4, 0x00, 0x00, 0x2C,  // single-byte width 44
        0xC5, 0x00, 0x00, 0x58,  // double-byte height 88
        0xC6, 0x00, 0x00, 0x58,  // double-byte width 88
        0xC8, 0x00, 0x00, 0x00,  // plain style
        0xA6, 0x00, 0xC0, 0xAA,  // logical operation of text
        0xBD, 0x00, 0x10, 0x00,  // text gray 16
    };
    EXPECT_NE(std::search(first.begin(), first.end(), font.begin(), font.end()), first.end())
        << kvtest::HexDump(first);
    EXPECT_TRUE(EndsWith(first, StampRun({0x0041, 0x0042}))) << kvtest::HexDump(first);
    EXPECT_EQ(pdev->SheetBlank, 0u);

    // The printer holds all of it now, the position included: a second stamp is the run alone.
    WritePageStamp(pdev, 1);
    const std::vector<BYTE> second = Take(*device);
    EXPECT_EQ(second, StampRun({0x0041, 0x0042})) << kvtest::HexDump(second);
}

TEST_F(DecorationTest, StampPlacesTheTextInTheNineCellsOfTheArea) {
    struct Case {
        DWORD position;
        const char16_t* text;
        LONG n;  // bytes of the text in the ANSI code page
    };
    // At 600 dpi the size is 88: half pitch w = 44 a byte, height h = 88.
    const Case cases[] = {{0, u"0123456789", 10}, {4, u"0123456789", 10}, {8, u"0123456789", 10}, {8, u"あい", 4}};
    for (const Case& c : cases) {
        auto device = DecorDevice();
        PDEV* pdev = device->pdev();
        SetStampText(pdev, c.text);
        pdev->PageStampPosition = c.position;
        WritePageStamp(pdev, 1);
        const RECTL a = pdev->PageRect;
        const LONG n = c.n;
        POINTL want{};
        switch (c.position) {
            case 0:
                want = POINTL{a.left + 2, a.top + 2};
                break;
            case 4:
                want = POINTL{(a.right - a.left) / 2 - 22 * n + a.left, (a.bottom - a.top) / 2 - 44 + a.top};
                break;
            default:
                want = POINTL{a.right - 44 * n - 2, a.bottom - 88 - 2};
                break;
        }
        EXPECT_EQ(pdev->Draw.Position.x, MapPagePoint(pdev, want, false).x) << "position " << c.position;
        EXPECT_EQ(pdev->Draw.Position.y, MapPagePoint(pdev, want, false).y) << "position " << c.position;
    }
}

TEST_F(DecorationTest, StampTextsByKind) {
    struct Case {
        const char* what;
        bool pageNumber;
        std::u16string text;
        std::vector<WORD> codes;
    };
    const Case cases[] = {
        {"page number", true, u"", {'-', '3', '-'}},
        {"kana", false, u"ｱ", {0x00B1}},
        {"kanji", false, u"漢", {0x8ABF}},
        // A roman numeral that the printer's character set does not hold: full-width '?'.
        {"outside the printer's rows", false, u"\u2170", {0x8148}},
        {"a control character", false, u"\u0007", {'?'}},
    };
    for (const Case& c : cases) {
        auto device = DecorDevice();
        PDEV* pdev = device->pdev();
        pdev->WantedPage.PageCount = 3;
        pdev->PageNumberStamp = c.pageNumber ? 1 : 0;
        SetStampText(pdev, c.text);
        WritePageStamp(pdev, 1);
        const std::vector<BYTE> bytes = Take(*device);
        EXPECT_TRUE(EndsWith(bytes, StampRun(c.codes))) << c.what << ": " << kvtest::HexDump(bytes);
    }
}

TEST_F(DecorationTest, LongStampIsCutAtTheCountTheRunCanCarry) {
    auto device = DecorDevice();
    PDEV* pdev = device->pdev();
    pdev->DocumentNameStamp = 1;
    std::fill(std::begin(pdev->DocumentName), std::end(pdev->DocumentName) - 1, u'x');
    pdev->DocumentName[std::size(pdev->DocumentName) - 1] = 0;
    WritePageStamp(pdev, 1);
    const std::vector<BYTE> bytes = Take(*device);
    const std::vector<WORD> codes(std::size(pdev->DocumentName) - 1, 'x');
    EXPECT_TRUE(EndsWith(bytes, StampRun(codes)));
}

TEST_F(DecorationTest, NupStampIsScaledButNotBelowItsMinimum) {
    struct Case {
        WORD scale;
        WORD size;
    };
    for (const Case c : {Case{50, 44}, Case{30, 34}}) {
        auto device = DecorDevice(600, 2);
        PDEV* pdev = device->pdev();
        pdev->Geometry.ScalePercent = c.scale;
        SetStampText(pdev, u"A");
        WritePageStamp(pdev, 2);
        EXPECT_EQ(pdev->Draw.SizeValues[0], c.size) << "scale " << c.scale;
        EXPECT_EQ(pdev->Geometry.ScalePercent, c.scale) << "the scale is restored";
    }
}

TEST_F(DecorationTest, SolidFrameIsOneOutlinedRectangleInsetByADot) {
    auto device = DecorDevice();
    PDEV* pdev = device->pdev();
    pdev->Settings.PageFrame = 1;
    DrawPageFrame(pdev, 1);
    const std::vector<BYTE> bytes = Take(*device);
    const RECTL a = pdev->PageRect;
    const LONG h = (a.bottom - 1) - (a.top + 1);
    ASSERT_GE(h, 256);
    std::vector<BYTE> rect = {0xDE, 0x00, static_cast<BYTE>(h >> 8), static_cast<BYTE>(h)};
    EXPECT_NE(std::search(bytes.begin(), bytes.end(), rect.begin(), rect.end()), bytes.end())
        << "an outlined long rectangle: " << kvtest::HexDump(bytes);
    const std::vector<BYTE> state = {
        0xAD, 0x00, 0x10, 0x4F,  // pen black
        0xA5, 0x01, 0x00, 0x00,  // solid fill
    };
    EXPECT_NE(std::search(bytes.begin(), bytes.end(), state.begin(), state.end()), bytes.end());
}

TEST_F(DecorationTest, DashedFrameOfAFaceLayoutIsFourLines) {
    auto device = DecorDevice();
    PDEV* pdev = device->pdev();
    pdev->Settings.PageFrame = 2;
    pdev->Settings.NupDown = 2;
    pdev->Settings.NupAcross = 1;
    DrawPageFrame(pdev, 1);
    const std::vector<BYTE> bytes = Take(*device);
    EXPECT_EQ(CountOf(bytes, {0xE0, 0x00, 0x00, 0x01}), 4u) << kvtest::HexDump(bytes);
    EXPECT_EQ(CountOf(bytes, {0xAC, 0x01, 0x06, 0x00}), 1u) << "the dashed style";
    EXPECT_EQ(pdev->MappingMode & kMappingWholeSheet, 0u) << "the whole-sheet mapping ends with the frame";
}

TEST_F(DecorationTest, CornerMarksAreFourTwoSegmentLines) {
    struct Case {
        SHORT dpi;
        LONG length;
    };
    for (const Case c : {Case{600, 60}, Case{1200, 120}, Case{240, 24}}) {
        auto device = DecorDevice(c.dpi);
        PDEV* pdev = device->pdev();
        pdev->Settings.PageFrame = 4;
        DrawPageFrame(pdev, 1);
        const std::vector<BYTE> bytes = Take(*device);
        EXPECT_EQ(CountOf(bytes, {0xE0, 0x00, 0x00, 0x02}), 4u) << c.dpi;
        // The last mark ends at the bottom-left corner, L dots above the bottom edge.
        const RECTL a = pdev->PageRect;
        const POINTL last = MapPagePoint(pdev, POINTL{a.left + 1, a.bottom - 1 - 1 - c.length}, false);
        EXPECT_EQ(pdev->Draw.Position.x, last.x) << c.dpi;
        EXPECT_EQ(pdev->Draw.Position.y, last.y) << c.dpi;
    }
}

TEST_F(DecorationTest, FrameOptionsOutsideTheListDrawNothing) {
    auto device = DecorDevice();
    PDEV* pdev = device->pdev();
    for (WORD option : {WORD{0}, WORD{5}, WORD{0xFFFF}}) {
        pdev->Settings.PageFrame = option;
        DrawPageFrame(pdev, 1);
        EXPECT_TRUE(Take(*device).empty()) << option;
    }
}

TEST_F(DecorationTest, FrameAndStampOnOnePagePerSheet) {
    struct Case {
        WORD frame;
        size_t stamps;
        size_t rectangles;
    };
    // The page end stamps the page itself, and the frame stamps it too.
    for (const Case c : {Case{0, 1, 0}, Case{1, 2, 1}}) {
        DeviceOptions options;
        auto device = MakeDevice(options);
        PDEV* pdev = device->pdev();
        pdev->PageRect = PrintableRectDots(pdev->Geometry.InputPaper, 600);
        pdev->OutputPaperRect = pdev->PageRect;
        pdev->Settings.PageFrame = c.frame;
        pdev->PageStampSwitch = 1;
        SetStampText(pdev, u"Z");
        std::vector<BYTE> job;
        ASSERT_NO_FATAL_FAILURE(OnePageJob(*device, &job));
        const std::vector<BYTE> run = StampRun({'Z'});
        EXPECT_EQ(CountOf(job, run), c.stamps) << "frame " << c.frame;
        EXPECT_EQ(CountOf(job, {0xDE, 0x00}), c.rectangles) << "frame " << c.frame;
    }
}

TEST_F(DecorationTest, BannerSwitches) {
    struct Case {
        DWORD coverFlags;
        DWORD paperCode;
        size_t banners;
        size_t endResets;
    };
    const Case cases[] = {
        {0, 134, 0, 0},
        {kCoverBefore, 134, 1, 0},
        {kCoverBeforeAndAfter, 134, 2, 1},
        {kCoverBeforeAndAfter, 106, 0, 0},  // postcards get none
    };
    for (const Case& c : cases) {
        DeviceOptions options;
        auto device = MakeDevice(options);
        PDEV* pdev = device->pdev();
        pdev->Settings.CoverFlags = c.coverFlags;
        pdev->Geometry.OutputPaper.Code = c.paperCode;
        std::vector<BYTE> job;
        ASSERT_NO_FATAL_FAILURE(OnePageJob(*device, &job));
        EXPECT_EQ(CountOf(job, "\x1c" "fPAI."), c.banners) << c.coverFlags << "/" << c.paperCode;
        // The trailer ends the job's last sheet with FF and the reset itself; the last banner adds one.
        EXPECT_EQ(CountOf(job, "\x0c\x1b" "c1"), c.endResets + 1) << c.coverFlags << "/" << c.paperCode;
    }
}

TEST_F(DecorationTest, BannerPrintsTheChosenUserAndTheDuplexCommand) {
    auto device = DecorDevice();
    PDEV* pdev = device->pdev();
    DriverDevMode& s = pdev->Settings;
    s.DeviceSlots[8].State = 0x9;  // a duplex unit the banner addresses
    s.Public.dmDuplex = 2;
    s.DuplexShift = 12;
    s.SourceMediaValue = 0;
    std::u16string user = u"alice";
    std::copy(user.begin(), user.end(), s.UserName2);
    s.FeatureFlags |= 1u << 22;
    WriteBannerPage(pdev, TRUE);
    const std::vector<BYTE> bytes = Take(*device);
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_EQ(text.rfind("\x1c'B,F,1,12.\x1c" "fPAI.\r\n\r\n\r\n\r\n\r\n       User : alice\r\n       Date : ", 0), 0u)
        << kvtest::HexDump(bytes);
    EXPECT_NE(text.find("       Time : "), std::string::npos);
    EXPECT_EQ(text.back(), '\x0c');

    // The last banner keeps the first one's orientation and ends with the printer reset.
    s.Public.dmOrientation = 2;
    WriteBannerPage(pdev, FALSE);
    const std::vector<BYTE> end = Take(*device);
    EXPECT_EQ(std::string(end.begin(), end.end()), "\x1c'B,F,1,12.\x1c" "fPAI.\x0c\x1b" "c1");
}

TEST_F(DecorationTest, BannerWithoutDuplexUnitDuplexSettingOrOnASimplexLayout) {
    struct Case {
        WORD slot;
        SHORT duplex;
        WORD layout;
        const char* head;
    };
    const Case cases[] = {
        {0x1, 2, 0, "\x1c" "fPAI."},         // not a unit the banner addresses
        {0x9, 1, 0, "\x1c'S.\x1c" "fPAI."},  // simplex
        {0x9, 2, 2, "\x1c'S.\x1c" "fPAI."},  // a layout that keeps the banner simplex
        {0x9, 3, 0, "\x1c'B,F,2,0.\x1c" "fPAI."},
    };
    for (const Case& c : cases) {
        auto device = DecorDevice();
        PDEV* pdev = device->pdev();
        pdev->Settings.DeviceSlots[8].State = c.slot;
        pdev->Settings.Public.dmDuplex = c.duplex;
        pdev->Settings.DuplexShift = 0;
        pdev->Settings.SourceMediaValue = c.layout;
        WriteBannerPage(pdev, TRUE);
        const std::vector<BYTE> bytes = Take(*device);
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), std::string(c.head) + "\x0c") << c.head;
    }
}

}  // namespace
}  // namespace flowtest

// The job trailer: golden streams with and without end-mark sheets, the partly filled N-up
// sheet, the sheet counting, and the copies the driver makes by replaying the inner job.
#include <cstring>
#include <string>
#include <vector>

#include "render/OutputStream.h"
#include "render/PjlHeader.h"
#include "tests/render_pjl/PjlFixture.h"

namespace kvpjl {
namespace {

constexpr char kJobName[] = "015043310000F5F00012ABCD";

class JobTrailerTest : public PjlTest {
protected:
    void SetUp() override {
        PjlTest::SetUp();
        if (HasFatalFailure()) return;
        DriverDevMode& s = Settings();
        s.FeatureFlags = 0;
        s.OptionFlags = 0;
        s.OverlayFlags = 0;
        s.CoverFlags = 0;
        s.PageOptionBits = 0;
        s.NupDown = 1;
        s.NupAcross = 1;
        s.Public.dmCopies = 1;
        std::memcpy(Pdev().WantedPage.JobName, kJobName, sizeof kJobName);
        Pdev().WantedPage.SheetCount = 3;
        Pdev().WantedPage.PageNumber = 3;
    }

    // The steps every trailer ends with.
    static void AddJobEnd(Golden& golden) {
        golden.Add("font and page end", {0x1C, 'f', 'P', 'C', '0', '.'})
            .Add("unit 0", {0x1C, '&', '0', '.'})
            .Add("ESC c 1", kEscC1)
            .Add("inner UEL", kUel)
            .Add("inner EOJ", "@PJL EOJ\r\n")
            .Add("inner end", "@PJL ENTER LANGUAGE=DEFAULT\r\n")
            .Add("outer UEL", kUel)
            .Add("outer EOJ with the job name", std::string("@PJL EOJ NAME=\"") + kJobName + "\"\r\n")
            .Add("outer end", "@PJL ENTER LANGUAGE=DEFAULT\r\n");
    }
};

TEST_F(JobTrailerTest, WithoutEndMarkGolden) {
    ASSERT_TRUE(WriteJobTrailer(&Pdev()));
    Golden golden;
    golden.Add("ESC c 1", kEscC1);
    AddJobEnd(golden);
    EXPECT_TRUE(golden.Matches(Spooled()));
    EXPECT_EQ(Pdev().WantedPage.SheetCount, 3);
}

TEST_F(JobTrailerTest, EndMarkSheetsWithOverlayAndNupGolden) {
    DriverDevMode& s = Settings();
    s.PageOptionBits = kEndMarkLow;
    s.SplitCounts = 0x32;  // low nibble: two sheets
    s.OverlayFlags = kOverlayOn;
    s.NupDown = 1;
    s.NupAcross = 2;
    s.NupOrder = 1;
    ASSERT_TRUE(WriteJobTrailer(&Pdev()));
    Golden golden;
    golden.Add("overlay off", {0x1C, 'u', '2', ',', '1', ',', 'E', '.'})
        .Add("whole N-up sheet: 2 x 497 + 60 by 702", "\x1c" "f1LP,1054,702,1/60,i.")
        .Add("end-mark sheet 1", {0x00, 0x0D, 0x0C})
        .Add("ESC c 1 between sheets", kEscC1)
        .Add("end-mark sheet 2", {0x00, 0x0D, 0x0C})
        .Add("ESC c 1", kEscC1);
    AddJobEnd(golden);
    EXPECT_TRUE(golden.Matches(Spooled()));
    EXPECT_EQ(Pdev().WantedPage.SheetCount, 5);
}

TEST_F(JobTrailerTest, PartlyFilledSheetGolden) {
    DriverDevMode& s = Settings();
    s.PageOptionBits = kEndMarkHigh;
    s.SplitCounts = 0x21;  // high nibble: two sheets, no ESC c 1 between them
    s.NupAcross = 2;
    Pdev().WantedPage.SlotIndex = 1;
    Pdev().StateFlags = 0;  // not in page-control mode
    Pdev().SheetBlank = 0;
    ASSERT_TRUE(WriteJobTrailer(&Pdev()));
    Golden golden;
    golden.Add("page-control mode", {0x1C, 'Z'})
        .Add("eject the partly filled sheet", {0x0D, 0x0C})
        .Add("end-mark sheet 1", {0x00, 0x0D, 0x0C})
        .Add("end-mark sheet 2", {0x00, 0x0D, 0x0C})
        .Add("ESC c 1", kEscC1);
    AddJobEnd(golden);
    EXPECT_TRUE(golden.Matches(Spooled()));
    EXPECT_EQ(Pdev().WantedPage.SheetCount, 6);
    EXPECT_EQ(Pdev().WantedPage.SlotIndex, 0);
    EXPECT_EQ(Pdev().SheetBlank, 1u);
}

TEST_F(JobTrailerTest, PartlyFilledSheetKeepsSheetNotBlankWithBit28) {
    Settings().FeatureFlags = 1u << 28;
    Pdev().WantedPage.SlotIndex = 1;
    EXPECT_TRUE(WriteJobTrailer(&Pdev()));
    EXPECT_EQ(Pdev().SheetBlank, 0u);
    EXPECT_EQ(Pdev().WantedPage.SheetCount, 4);
}

// After each end-mark sheet of a full last sheet: the sheet count, unless there is none yet
// or the job counts by page number.
TEST_F(JobTrailerTest, EndMarkSheetCounting) {
    struct Case {
        LONG sheets;
        bool byPageNumber;
        LONG pageNumber;
        LONG sheetsAfter;
        LONG pageNumberAfter;
    };
    const Case cases[] = {
        {3, false, 3, 5, 3},
        {0, false, 3, 0, 5},
        {3, true, 3, 3, 5},
        {3, true, 0, 5, 0},
    };
    for (const Case& c : cases) {
        Settings().PageOptionBits = kEndMarkLow;
        Settings().SplitCounts = 0x02;
        Settings().OptionFlags = c.byPageNumber ? 1u << 26 : 0;
        Pdev().WantedPage.SheetCount = c.sheets;
        Pdev().WantedPage.PageNumber = c.pageNumber;
        EXPECT_TRUE(WriteJobTrailer(&Pdev()));
        TakeBuffered();
        EXPECT_EQ(Pdev().WantedPage.SheetCount, c.sheetsAfter) << c.sheets << (c.byPageNumber ? " by page" : "");
        EXPECT_EQ(Pdev().WantedPage.PageNumber, c.pageNumberAfter);
    }
}

TEST_F(JobTrailerTest, EndMarkSheetCountsFromTheSettingsByte) {
    struct Case {
        BYTE bits;
        BYTE counts;
        size_t sheets;
    };
    const Case cases[] = {
        {kEndMarkLow, 0x53, 3},
        {kEndMarkHigh, 0x53, 5},
        {kEndMarkLow | kEndMarkHigh, 0x53, 3},
        {kEndMarkLow, 0x50, 0},
        {0, 0x53, 0},
    };
    for (const Case& c : cases) {
        Settings().PageOptionBits = c.bits;
        Settings().SplitCounts = c.counts;
        const std::string sheet("\0\r\x0c", 3);
        const size_t before = CountOf(Spooled(), sheet);
        EXPECT_TRUE(WriteJobTrailer(&Pdev()));
        EXPECT_EQ(CountOf(Spooled(), sheet) - before, c.sheets)
            << int{c.bits} << " " << int{c.counts};
    }
}

// dmCopies 5 with the driver making the copies on the spooler: the printer is asked for
// one copy and the inner job goes out five times in all.
TEST_F(JobTrailerTest, DriverCopiesReplayTheInnerJob) {
    DriverDevMode& s = Settings();
    s.FeatureFlags = kFeatureDriverCopies;
    s.Public.dmCopies = 5;
    SetWide(s.ComputerName, u"PC1");
    standin::SetTickCount(0x0012ABCD);
    EXPECT_TRUE(WriteJobHeader(&Pdev()));
    ASSERT_NE(Pdev().CaptureFile, nullptr);
    const std::string page = "\x1c" "d240.PAGE";
    WriteOutput(&Pdev(), page.data(), static_cast<DWORD>(page.size()));
    EXPECT_TRUE(WriteJobTrailer(&Pdev()));
    const std::string stream = Text(Spooled());

    const size_t innerStart = stream.find(kUel, 1);
    const std::string outerEnd = std::string(kUel) + "@PJL EOJ NAME=\"" + kJobName + "\"\r\n@PJL ENTER LANGUAGE=DEFAULT\r\n";
    ASSERT_NE(innerStart, std::string::npos);
    ASSERT_GE(stream.size(), innerStart + outerEnd.size());
    const std::string outerStart = stream.substr(0, innerStart);
    EXPECT_NE(outerStart.find("@PJL SET COPIES=1\r\n"), std::string::npos);
    EXPECT_NE(outerStart.find("@PJL SET COLLATE=OFF\r\n"), std::string::npos);
    const std::string body = stream.substr(innerStart, stream.size() - innerStart - outerEnd.size());
    ASSERT_EQ(body.size() % 5, 0u);
    const std::string inner = body.substr(0, body.size() / 5);
    EXPECT_EQ(body, inner + inner + inner + inner + inner);
    EXPECT_EQ(inner.rfind("@PJL EOJ\r\n@PJL ENTER LANGUAGE=DEFAULT\r\n"), inner.size() - 39);
    EXPECT_NE(inner.find(page), std::string::npos);
    EXPECT_EQ(stream.substr(stream.size() - outerEnd.size()), outerEnd);
    EXPECT_EQ(Pdev().CaptureFile, nullptr);
}

}  // namespace
}  // namespace kvpjl

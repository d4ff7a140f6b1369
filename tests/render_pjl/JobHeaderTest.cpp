// The job header: golden streams, the JOB line's fixed positions, copies and collation,
// names from applications and users, and the optional lines.
#include <cstring>
#include <string>
#include <vector>

#include "platform/Kernel.h"
#include "render/OutputStream.h"
#include "render/PjlHeader.h"
#include "tests/render_pjl/PjlFixture.h"

namespace kvpjl {
namespace {

constexpr DWORD kOverlaySwitch = 1u << 3;

class JobHeaderTest : public PjlTest {
protected:
    void SetUp() override {
        PjlTest::SetUp();
        if (HasFatalFailure()) return;
        // A plain job: no identifier, no copies by the driver, no end mark, no overlay.
        DriverDevMode& s = Settings();
        s.FeatureFlags = kFeatureUserName1;
        s.OptionFlags = 0;
        s.OverlayFlags = 0;
        s.CoverFlags = 0;
        s.PageOptionBits = 0;
        s.Public.dmCopies = 1;
        SetWide(s.ComputerName, u"PC1");
        SetWide(s.UserName1, u"TARO");
        SetWide(s.PageStampUserName, u"taro");
        SetWide(Pdev().DocumentName, u"Report.txt");
        standin::SetTickCount(0x0012ABCD);
        standin::SetLocalTime(SYSTEMTIME{2024, 5, 1, 6, 7, 8, 9, 0});
    }
};

TEST_F(JobHeaderTest, SpoolerModeGolden) {
    ASSERT_TRUE(WriteJobHeader(&Pdev()));
    Golden golden;
    golden.Add("UEL", kUel)
        .Add("outer JOB line", "@PJL JOB NAME=\"015043310000F5F00012ABCD\" DNAME=\"Report.txt\" UNAME=\"taro\"\r\n")
        .Add("collation", "@PJL SET COLLATE=OFF\r\n")
        .Add("copies", "@PJL SET COPIES=1\r\n")
        .Add("end mark", "@PJL SET ENDMARK=OFF\r\n")
        .Add("back to the default language", "@PJL ENTER LANGUAGE=DEFAULT\r\n")
        .Add("inner UEL", kUel)
        .Add("inner JOB line", "@PJL JOB USER=\"TARO\" TIME=\"202405060708\"\r\n")
        .Add("MSW014", "@PJL SET LPARM:VRTL MSW014=ON\r\n")
        .Add("MSW101", "@PJL SET LPARM:VRTL MSW101=OFF\r\n")
        .Add("MSW102", "@PJL SET LPARM:VRTL MSW102=OFF\r\n")
        .Add("enter VRTL", "@PJL ENTER LANGUAGE=VRTL\r\n")
        .Add("ESC c 1", kEscC1);
    EXPECT_TRUE(golden.Matches(Spooled()));
    EXPECT_STREQ(Pdev().WantedPage.JobName, "015043310000F5F00012ABCD");
}

TEST_F(JobHeaderTest, FileModeGoldenWithRelaydockMarker) {
    UseFileMode();
    DriverDevMode& s = Settings();
    s.OptionFlags = kOptionSendJcid;  // never sent in file mode
    s.FeatureFlags |= kFeatureDriverCopies;
    s.Public.dmCopies = 3;
    s.OverlayFlags = kOverlayOn | kOverlaySwitch;
    s.CoverFlags = kCoverBeforeAndAfter;
    s.PageOptionBits = kEndMarkLow;
    ASSERT_TRUE(WriteJobHeader(&Pdev()));
    EXPECT_EQ(Pdev().CaptureFile, nullptr) << "file mode never captures";

    Golden golden;
    golden.Add("UEL", kUel)
        .Add("outer JOB line without JCID",
             "@PJL JOB NAME=\"015043310000F5F00012ABCD\" DNAME=\"Report.txt\" UNAME=\"taro\"\r\n")
        .Add("collation by the printer", "@PJL SET COLLATE=ON\r\n")
        .Add("copies", "@PJL SET COPIES=3\r\n")
        .Add("end mark", "@PJL SET ENDMARK=ON\r\n")
        .Add("back to the default language", "@PJL ENTER LANGUAGE=DEFAULT\r\n")
        .Add("inner UEL", kUel)
        .Add("inner JOB line", "@PJL JOB USER=\"TARO\" TIME=\"202405060708\"\r\n")
        .Add("MSW014", "@PJL SET LPARM:VRTL MSW014=ON\r\n")
        .Add("overlay switch", "@PJL SET LPARM:VRTL MSW047=ON\r\n")
        .Add("MSW101", "@PJL SET LPARM:VRTL MSW101=OFF\r\n")
        .Add("MSW102", "@PJL SET LPARM:VRTL MSW102=OFF\r\n")
        .Add("banner sheets", "@PJL SET INTERSHEET=ON\r\n")
        .Add("before and after", "@PJL SET INTERSHEETMODE=COVER2\r\n")
        .Add("enter VRTL", "@PJL ENTER LANGUAGE=VRTL\r\n")
        .Add("ESC c 1", kEscC1)
        .Add("print-port block: FS, 8 + 27 bytes follow", "\x1c" "35zRDStart\r\n")
        .Add("model name", "DrvName=KV-TD520\r\n")
        .Add("block end", "RDEnd\r\n");
    EXPECT_TRUE(golden.Matches(JobFileBytes()));
    EXPECT_TRUE(Spooled().empty());
}

// The port monitor takes the name at bytes 15-38 and the identifier at 48-92 of the line.
TEST_F(JobHeaderTest, JobLineFixedPositions) {
    standin::SetLocalTime(SYSTEMTIME{2024, 3, 2, 5, 9, 7, 3, 456});
    Settings().OptionFlags = kOptionSendJcid;
    EXPECT_TRUE(WriteJobHeader(&Pdev()));
    const std::string line = FirstPjlLine(Spooled());
    ASSERT_GE(line.size(), 94u) << line;
    EXPECT_EQ(line.substr(0, 15), "@PJL JOB NAME=\"");
    EXPECT_EQ(line.substr(15, 24), "015043310000F5F00012ABCD");
    EXPECT_EQ(line.substr(39, 9), "\" @JCID=\"");
    EXPECT_EQ(line.substr(48, 45), "001002003250255000" "20240305000703456" "0000000042");
    EXPECT_EQ(line.substr(93), "\" DNAME=\"Report.txt\" UNAME=\"taro\"");
}

TEST_F(JobHeaderTest, DnameAtByte40WithoutJcid) {
    EXPECT_TRUE(WriteJobHeader(&Pdev()));
    const std::string line = FirstPjlLine(Spooled());
    ASSERT_GE(line.size(), 48u);
    EXPECT_EQ(line[39], '"');
    EXPECT_EQ(line.substr(40, 8), " DNAME=\"");
}

TEST_F(JobHeaderTest, CopiesAndCollation) {
    struct Case {
        SHORT copies;
        bool driverCopies;
        bool fileMode;
        const char* lines;      // COLLATE and COPIES lines
        SHORT settingsCopies;   // dmCopies afterwards
    };
    const Case cases[] = {
        // The driver replays the inner job: the printer makes one copy.
        {5, true, false, "@PJL SET COLLATE=OFF\r\n@PJL SET COPIES=1\r\n", 5},
        {5, true, true, "@PJL SET COLLATE=ON\r\n@PJL SET COPIES=5\r\n", 5},
        {5, false, false, "@PJL SET COLLATE=OFF\r\n@PJL SET COPIES=5\r\n", 5},
        {5, false, true, "@PJL SET COLLATE=OFF\r\n@PJL SET COPIES=5\r\n", 5},
        {1, true, true, "@PJL SET COLLATE=OFF\r\n@PJL SET COPIES=1\r\n", 1},
        {0, false, true, "@PJL SET COLLATE=OFF\r\n@PJL SET COPIES=1\r\n", 1},
        {-4, false, false, "@PJL SET COLLATE=OFF\r\n@PJL SET COPIES=1\r\n", 1},
        {1000, false, false, "@PJL SET COLLATE=OFF\r\n@PJL SET COPIES=999\r\n", 999},
        {999, false, true, "@PJL SET COLLATE=OFF\r\n@PJL SET COPIES=999\r\n", 999},
    };
    for (const Case& c : cases) {
        DriverDevMode& s = Settings();
        s.Public.dmCopies = c.copies;
        s.FeatureFlags = c.driverCopies ? kFeatureDriverCopies : 0;
        s.RelaydockFlags = c.fileMode ? kRelaydockFileMode : 0;
        WritePjlJobStart(&Pdev());
        const std::string text = Text(TakeBuffered());
        const size_t at = text.find("@PJL SET COLLATE");
        ASSERT_NE(at, std::string::npos);
        EXPECT_EQ(text.substr(at, text.find("@PJL SET ENDMARK") - at), c.lines)
            << "copies " << c.copies << (c.driverCopies ? ", driver copies" : "") << (c.fileMode ? ", file mode" : "");
        EXPECT_EQ(s.Public.dmCopies, c.settingsCopies);
    }
}

TEST_F(JobHeaderTest, CaptureOpensOnlyForDriverCopiesOnTheSpooler) {
    Settings().FeatureFlags |= kFeatureDriverCopies;
    Settings().Public.dmCopies = 5;
    EXPECT_TRUE(WriteJobHeader(&Pdev()));
    EXPECT_NE(Pdev().CaptureFile, nullptr);
}

// Text from applications and users cannot end the JOB line or a quoted value.
TEST_F(JobHeaderTest, InjectedNamesStayInsideTheirValues) {
    SetWide(Pdev().DocumentName, u"evil\r\n@PJL SET COPIES=99\r\n\"x\"");
    SetWide(Settings().PageStampUserName, u"bob\" DNAME=\"");
    SetWide(Settings().UserName1, u"a\rb");
    EXPECT_TRUE(WriteJobHeader(&Pdev()));
    const std::vector<BYTE> stream = Spooled();
    EXPECT_EQ(FirstPjlLine(stream),
              "@PJL JOB NAME=\"015043310000F5F00012ABCD\" DNAME=\"evil@PJL SET COPIES=99x\" UNAME=\"bob DNAME=\"");
    EXPECT_EQ(CountOf(stream, "\r\n@PJL SET COPIES=99"), 0u);
    EXPECT_EQ(CountOf(stream, "@PJL JOB USER=\"ab\""), 1u);
    EXPECT_EQ(CountOf(stream, "\r"), CountOf(stream, "\r\n"));
}

TEST_F(JobHeaderTest, DocumentNameBounds) {
    struct Case {
        std::u16string name;
        std::string dname;  // UTF-8 of the expected value
    };
    const std::u16string kanji64(64, u'漢');
    const Case cases[] = {
        {u"", ""},
        {kanji64, kvtest::U8(kanji64)},               // 64 characters fill 128 bytes
        {kanji64 + u"X", kvtest::U8(kanji64)},        // the 65th character is not taken
        {std::u16string(64, u'a') + u"b", std::string(64, 'a')},
    };
    for (const Case& c : cases) {
        std::memset(Pdev().DocumentName, 0xEE, sizeof Pdev().DocumentName);
        SetWide(Pdev().DocumentName, c.name);
        WritePjlJobStart(&Pdev());
        const std::string line = FirstPjlLine(Bytes(std::string(kUel) + Text(TakeBuffered())));
        const size_t from = line.find("DNAME=\"") + 7;
        const std::string value = line.substr(from, line.find("\" UNAME=") - from);
        std::u16string wide(200, u'\0');
        MultiByteToWideChar(CP_ACP, 0, value.c_str(), -1, wide.data(), 200);
        EXPECT_EQ(kvtest::U8(wide.c_str()), c.dname);
        EXPECT_LE(value.size(), 128u);
    }
}

TEST_F(JobHeaderTest, InnerJobUserName) {
    struct Case {
        DWORD flags;
        std::u16string name1;
        std::u16string name2;
        const char* user;
    };
    const Case cases[] = {
        {kFeatureUserName1, u"ABCDEFGHIJKLMNOP", u"", "ABCDEFGHIJKLMNOP"},   // 16 bytes kept
        {kFeatureUserName1, u"ABCDEFGHIJKLMNOPQ", u"", "ABCDEFGHIJKLM..."},  // 17 bytes cut
        {kFeatureUserName1, u"a~b", u"", ""},
        {kFeatureUserName1 | kFeatureUserName2, u"", u"SECOND", "SECOND"},   // first empty
        {kFeatureUserName2, u"FIRST", u"SECOND", "SECOND"},
        // The second name is cut to 16 bytes, without "...", and loses its quotes.
        {kFeatureUserName2, u"", u"ABCDEFGHIJKLMNOPQ", "ABCDEFGHIJKLMNOP"},
        {kFeatureUserName2, u"", u"say \"hi\"", "say hi"},
        {0, u"FIRST", u"SECOND", ""},
    };
    for (const Case& c : cases) {
        TakeBuffered();
        Settings().FeatureFlags = c.flags;
        SetWide(Settings().UserName1, c.name1);
        SetWide(Settings().UserName2, c.name2);
        EXPECT_TRUE(WriteJobHeader(&Pdev()));
        const std::string text = Text(TakeBuffered());
        EXPECT_NE(text.find(std::string("@PJL JOB USER=\"") + c.user + "\" TIME="), std::string::npos)
            << kvtest::U8(c.name1) << " / " << kvtest::U8(c.name2);
        CloseCaptureFile(&Pdev());
    }
}

TEST_F(JobHeaderTest, OptionalLines) {
    struct Case {
        WORD overlay;
        DWORD cover;
        DWORD paperCode;
        std::vector<std::string> present;
        std::vector<std::string> absent;
    };
    const Case cases[] = {
        {0, 0, 101, {}, {"MSW047", "INTERSHEET"}},
        {kOverlayOn, 0, 101, {"MSW047=OFF"}, {}},
        {kOverlayOn | kOverlaySwitch, 0, 101, {"MSW047=ON"}, {}},
        {kOverlaySwitch, 0, 101, {}, {"MSW047"}},
        {0, kCoverBefore, 101, {"INTERSHEET=ON", "INTERSHEETMODE=COVER1"}, {}},
        {0, kCoverBefore | kCoverBeforeAndAfter, 101, {"INTERSHEETMODE=COVER2"}, {}},
        // No banner sheets on postcards.
        {0, kCoverBeforeAndAfter, 106, {}, {"INTERSHEET"}},
        {0, kCoverBeforeAndAfter, 108, {}, {"INTERSHEET"}},
        {0, kCoverBeforeAndAfter, 109, {"INTERSHEET=ON"}, {}},
    };
    for (const Case& c : cases) {
        Settings().OverlayFlags = c.overlay;
        Settings().CoverFlags = c.cover;
        Pdev().Geometry.OutputPaper.Code = c.paperCode;
        EXPECT_TRUE(WriteJobHeader(&Pdev()));
        const std::vector<BYTE> text = TakeBuffered();
        for (const std::string& p : c.present) EXPECT_EQ(CountOf(text, p), 1u) << p;
        for (const std::string& a : c.absent) EXPECT_EQ(CountOf(text, a), 0u) << a;
    }
}

TEST_F(JobHeaderTest, TimeFallsBackToTheModelsDefaultDay) {
    // The fixed clock of the tests (2024-03-05) is before the model's default day.
    standin::SetLocalTime(SYSTEMTIME{2024, 3, 2, 5, 9, 7, 3, 0});
    EXPECT_TRUE(WriteJobHeader(&Pdev()));
    EXPECT_EQ(CountOf(Spooled(), "TIME=\"202404010000\""), 1u);
}

TEST_F(JobHeaderTest, PrintPortBlockCountsTheNameBytes) {
    struct Case {
        std::u16string name;
        std::string expected;
    };
    const Case cases[] = {
        {u"", "\x1c" "27zRDStart\r\nDrvName=\r\nRDEnd\r\n"},
        {u"KV", "\x1c" "29zRDStart\r\nDrvName=KV\r\nRDEnd\r\n"},
        {u"印刷機", "\x1c" "33zRDStart\r\nDrvName=\x88\xf3\x8d\xfc\x8b\x40\r\nRDEnd\r\n"},
    };
    for (const Case& c : cases) {
        // A copy of the model whose printer name is replaced (or absent).
        std::vector<DWORD> image(model_->TotalSize / 4 + 64, 0);
        std::memcpy(image.data(), model_, model_->TotalSize);
        auto* model = reinterpret_cast<ModelDescription*>(image.data());
        model->PrinterName = 0;
        if (!c.name.empty()) {
            model->PrinterName = model_->TotalSize;
            std::memcpy(reinterpret_cast<BYTE*>(image.data()) + model_->TotalSize, c.name.c_str(),
                        (c.name.size() + 1) * 2);
            model->TotalSize += 128;
        }
        Pdev().Model = model;
        WriteRelaydockMarker(&Pdev());
        EXPECT_EQ(Text(TakeBuffered()), c.expected);
        Pdev().Model = model_;
    }
}

TEST_F(JobHeaderTest, ResetDownloadTableOnlyForDownloadModels) {
    struct Case {
        SHORT dpi;
        bool written;
    };
    const Case cases[] = {{200, true}, {400, true}, {300, false}, {600, false}, {240, false}};
    for (const Case& c : cases) {
        Settings().Public.dmPrintQuality = c.dpi;
        Pdev().StateFlags |= kStateDownloadFull;
        Pdev().DownloadBudget = 1;
        Pdev().DownloadFontId = 0xF123;
        ResetDownloadTable(&Pdev());
        const std::vector<BYTE> bytes = TakeBuffered();
        if (c.written) {
            EXPECT_EQ(bytes, (std::vector<BYTE>{0xBC, 0x21, 0x00, 0x00})) << c.dpi;
            EXPECT_EQ(Pdev().StateFlags & kStateDownloadFull, 0u);
            EXPECT_EQ(Pdev().DownloadBudget, 8192u - 380u);
            EXPECT_EQ(Pdev().DownloadFontId, 0xF000);
        } else {
            EXPECT_TRUE(bytes.empty()) << c.dpi;
            EXPECT_EQ(Pdev().DownloadFontId, 0xF123);
        }
    }
    // A failed stream: the state is reset, nothing written.
    Settings().Public.dmPrintQuality = 400;
    Pdev().StateFlags |= kStateOutputFailed | kStateDownloadFull;
    ResetDownloadTable(&Pdev());
    EXPECT_TRUE(TakeBuffered().empty());
    EXPECT_EQ(Pdev().StateFlags & kStateDownloadFull, 0u);
}

}  // namespace
}  // namespace kvpjl

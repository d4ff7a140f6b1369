// File mode: the counter file, the numbered job file, names that do not fit, files taken by
// other jobs, and the helper program's command line.
#include <optional>

#include "platform/Modules.h"
#include "platform/Profile.h"
#include "tests/render_stream/StreamFixture.h"

namespace streamtest {
namespace {

class JobFileTest : public StreamTest {
protected:
    void SetUp() override {
        StreamTest::SetUp();
        standin::ClearExecutedCommands();
    }
    std::u16string CounterValue(const std::u16string& folder) {
        WCHAR text[32] = {};
        GetPrivateProfileStringW(u"DATA", u"LastNumber", u"(none)", text, 32, (folder + u"\\Number.dat").c_str());
        return text;
    }
    std::u16string JobFileName() const { return pdev_->JobFileName; }
};

TEST_F(JobFileTest, CounterFileGivesTheNextNumber) {
    struct Case {
        const char* name;
        std::optional<std::string> counterFile;  // none: no Number.dat yet
        std::u16string fileName;
        std::u16string counterAfter;
    };
    const Case cases[] = {
        {"fresh folder", std::nullopt, u"REPORT00000.prn", u"0"},
        {"after 0", "[DATA]\r\nLastNumber=0\r\n", u"REPORT00001.prn", u"1"},
        {"after 41", "[DATA]\r\nLastNumber=41\r\n", u"REPORT00042.prn", u"42"},
        {"after 99998", "[DATA]\r\nLastNumber=99998\r\n", u"REPORT99999.prn", u"99999"},
        {"after 99999 it starts again", "[DATA]\r\nLastNumber=99999\r\n", u"REPORT00000.prn", u"0"},
        {"without the key", "[DATA]\r\n", u"REPORT00001.prn", u"1"},
        {"empty file", "", u"REPORT00001.prn", u"1"},
        {"not a number", "[DATA]\r\nLastNumber=abc\r\n", u"REPORT00001.prn", u"1"},
        {"negative", "[DATA]\r\nLastNumber=-5\r\n", u"REPORT00000.prn", u"0"},
        {"too large", "[DATA]\r\nLastNumber=100000\r\n", u"REPORT00000.prn", u"0"},
        {"overflowing", "[DATA]\r\nLastNumber=99999999999\r\n", u"REPORT00000.prn", u"0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        const std::u16string folder = u"C:\\Jobs" + kvtest::U16(std::to_string(&c - cases));
        if (c.counterFile) WriteFile(folder + u"\\Number.dat", *c.counterFile);
        UseFileMode(folder, u"REPORT");
        CreateJobFile(pdev_);
        ASSERT_NE(pdev_->JobFile, nullptr);
        EXPECT_TRUE(pdev_->JobFileCreated);
        EXPECT_EQ(JobFileName(), c.fileName);
        EXPECT_TRUE(FileExists(folder + u"\\" + c.fileName));
        EXPECT_EQ(CounterValue(folder), c.counterAfter);
    }
}

TEST_F(JobFileTest, TheJobGoesIntoItsFile) {
    UseFileMode(u"C:\\Jobs", u"REPORT");
    CreateJobFile(pdev_);
    const std::vector<BYTE> bytes = Pattern(9000, 4);
    Write(bytes);
    ASSERT_TRUE(FlushOutput(pdev_));
    CloseJobFile(pdev_);
    EXPECT_TRUE(SameBytes(ReadFile(u"C:\\Jobs\\REPORT00000.prn"), bytes));
    EXPECT_TRUE(Spooled().empty());
}

TEST_F(JobFileTest, ASecondJobOnTheDeviceTakesTheNextNumber) {
    WriteFile(u"C:\\Jobs\\Number.dat", "[DATA]\r\nLastNumber=41\r\n");
    UseFileMode(u"C:\\Jobs", u"REPORT");
    CreateJobFile(pdev_);
    EXPECT_EQ(JobFileName(), u"REPORT00042.prn");
    CloseJobFile(pdev_);
    CreateJobFile(pdev_);
    EXPECT_EQ(JobFileName(), u"REPORT00043.prn");
    EXPECT_TRUE(FileExists(u"C:\\Jobs\\REPORT00043.prn"));
}

TEST_F(JobFileTest, MissingFoldersAreCreated) {
    UseFileMode(u"C:\\Out\\Deep\\Jobs\\", u"R");
    CreateJobFile(pdev_);
    ASSERT_NE(pdev_->JobFile, nullptr);
    EXPECT_TRUE(FileExists(u"C:\\Out\\Deep\\Jobs\\R00000.prn"));
    EXPECT_EQ(CounterValue(u"C:\\Out\\Deep\\Jobs"), u"0");
}

TEST_F(JobFileTest, ANumberTakenByAnotherJobIsSkipped) {
    WriteFile(u"C:\\Jobs\\Number.dat", "[DATA]\r\nLastNumber=41\r\n");
    WriteFile(u"C:\\Jobs\\REPORT00042.prn", "other job");
    UseFileMode(u"C:\\Jobs", u"REPORT");
    CreateJobFile(pdev_);
    ASSERT_NE(pdev_->JobFile, nullptr);
    EXPECT_EQ(JobFileName(), u"REPORT00043.prn");
    EXPECT_EQ(CounterValue(u"C:\\Jobs"), u"43");
    EXPECT_TRUE(SameBytes(ReadFile(u"C:\\Jobs\\REPORT00042.prn"), Bytes("other job")));
}

TEST_F(JobFileTest, WhenEveryTriedNumberIsTakenTheJobFailsWithoutTouchingThem) {
    for (int i = 0; i < kJobFileNumberTries; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "C:\\Jobs\\R%05d.prn", i);
        WriteFile(kvtest::U16(name), "taken");
    }
    UseFileMode(u"C:\\Jobs", u"R", kRelaydockStartHelper);
    CreateJobFile(pdev_);
    EXPECT_EQ(pdev_->JobFile, nullptr);
    EXPECT_FALSE(pdev_->JobFileCreated);
    EXPECT_TRUE(SameBytes(ReadFile(u"C:\\Jobs\\R00099.prn"), Bytes("taken")));
    EXPECT_FALSE(FileExists(u"C:\\Jobs\\R00100.prn"));
    Write(Bytes("data"));
    EXPECT_FALSE(FlushOutput(pdev_));
    EXPECT_TRUE(OutputFailed(pdev_));
    StartHelperProgram(pdev_);  // another job's file is never handed over
    EXPECT_TRUE(standin::ExecutedCommands().empty());
}

TEST_F(JobFileTest, NamesThatDoNotFitOrLeaveTheFolderAreRefused) {
    const std::u16string folder204 = u"C:\\" + std::u16string(100, u'f') + u"\\" + std::u16string(100, u'g');
    struct Case {
        const char* name;
        std::u16string folder;
        std::u16string base;
        bool created;
    };
    const Case cases[] = {
        {"path of 259 characters", folder204, std::u16string(45, u'n'), true},
        {"path of 260 characters", folder204, std::u16string(45 + 1, u'n'), false},
        {"name of 255 characters", u"C:\\", std::u16string(246, u'n'), true},
        {"name of 256 characters", u"C:\\", std::u16string(247, u'n'), false},
        {"name with a folder in it", u"C:\\Jobs", u"..\\Windows\\x", false},
        {"name with a drive", u"C:\\Jobs", u"D:x", false},
        {"empty name", u"C:\\Jobs", u"", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        UseFileMode(c.folder, c.base);
        CreateJobFile(pdev_);
        EXPECT_EQ(pdev_->JobFile != nullptr, c.created);
        EXPECT_EQ(pdev_->JobFileCreated != FALSE, c.created);
        if (!c.created) {
            Write(Bytes("x"));
            EXPECT_FALSE(FlushOutput(pdev_));
        }
    }
}

TEST_F(JobFileTest, NumberedNamesGoBackToTheirBase) {
    struct Case {
        std::u16string nameBefore;  // what the device's name holds when the header runs
        std::u16string created;
    };
    const Case cases[] = {
        {u"REPORT00042.prn", u"REPORT00000.prn"},
        {u"REPORT", u"REPORT00000.prn"},
        {u"abc.prn", u"abc00000.prn"},   // fewer than five digits before ".prn": only ".prn" goes
        {u"12345.prn", u"00000.prn"},
        {u"A1234x.prn", u"A1234x00000.prn"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(kvtest::U8(c.nameBefore));
        TearDown();
        SetUp();
        UseFileMode(u"C:\\Jobs" + kvtest::U16(std::to_string(&c - cases)), u"");
        std::copy(c.nameBefore.begin(), c.nameBefore.end(), pdev_->JobFileName);
        CreateJobFile(pdev_);
        EXPECT_EQ(JobFileName(), c.created);
    }
}

TEST_F(JobFileTest, DeviceSetUpChoosesFolderAndBaseName) {
    ModelDescription model{};
    struct Case {
        const char* name;
        WORD flags;
        std::u16string folder;
        std::u16string base;
        DWORD defaultDay;
        std::u16string wantFolder;
        std::u16string wantName;
    };
    const Case cases[] = {
        {"own folder and name", kRelaydockFileMode | kRelaydockOwnFolder | kRelaydockOwnFileName, u"D:\\Out\\",
         u"job.prn", 20240101, u"D:\\Out", u"job"},
        {"one backslash and one .prn only", kRelaydockFileMode | kRelaydockOwnFolder | kRelaydockOwnFileName,
         u"D:\\Out\\\\", u"job.prn.prn", 20240101, u"D:\\Out\\", u"job.prn"},
        {"default folder, today's date", kRelaydockFileMode, u"D:\\Out", u"job", 20240101, u"C:\\KV-TD520_JOB",
         u"240305"},
        {"default name before the model's day", kRelaydockFileMode | kRelaydockOwnFolder, u"D:\\Out", u"job",
         20250101, u"D:\\Out", u"250101"},
        {"not file mode", kRelaydockOwnFolder | kRelaydockOwnFileName, u"D:\\Out", u"job", 20240101, u"", u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        model.DefaultLocalDay = c.defaultDay;
        pdev_->Model = &model;
        pdev_->Settings.RelaydockFlags = c.flags;
        std::copy(c.folder.begin(), c.folder.end(), pdev_->Settings.JobFolder);
        std::copy(c.base.begin(), c.base.end(), pdev_->Settings.JobFileName);
        PrepareJobFileNames(pdev_);
        EXPECT_EQ(std::u16string(pdev_->JobFolder), c.wantFolder);
        EXPECT_EQ(std::u16string(pdev_->JobFileName), c.wantName);
    }
}

TEST_F(JobFileTest, SettingsFieldsWithoutTerminatorAreReadWithinBounds) {
    pdev_->Settings.RelaydockFlags = kRelaydockFileMode | kRelaydockOwnFolder | kRelaydockOwnFileName;
    std::fill(std::begin(pdev_->Settings.JobFolder), std::end(pdev_->Settings.JobFolder), u'a');
    std::fill(std::begin(pdev_->Settings.JobFileName), std::end(pdev_->Settings.JobFileName), u'b');
    PrepareJobFileNames(pdev_);
    EXPECT_EQ(std::u16string(pdev_->JobFolder), std::u16string(255, u'a'));
    EXPECT_EQ(std::u16string(pdev_->JobFileName), std::u16string(255, u'b'));
    CreateJobFile(pdev_);  // far too long: refused
    EXPECT_EQ(pdev_->JobFile, nullptr);
}

TEST_F(JobFileTest, HelperProgramGetsPrinterAndFile) {
    const std::string program = sizeof(void*) == 8 ? "C:\\Windows\\System32\\spool\\drivers\\x64\\3\\KV416SP.EXE "
                                                   : "C:\\Windows\\System32\\spool\\drivers\\w32x86\\3\\KV410SP.EXE ";
    struct Case {
        const char* name;
        WORD extraFlags;
        std::u16string folder;
        std::optional<std::string> command;  // none: not started
    };
    const Case cases[] = {
        {"asked for", kRelaydockStartHelper, u"C:\\Jobs", program + "KV-TD520,C:\\Jobs\\REPORT00000.prn"},
        {"ANSI text in code page 932", kRelaydockStartHelper, u"C:\\ジョブ",
         program + "KV-TD520,C:\\\x83\x57\x83\x87\x83\x75\\REPORT00000.prn"},
        {"not asked for", 0, u"C:\\Jobs", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        UseFileMode(c.folder, u"REPORT", c.extraFlags);
        CreateJobFile(pdev_);
        ASSERT_NE(pdev_->JobFile, nullptr);
        StartHelperProgram(pdev_);
        EXPECT_EQ(pdev_->JobFile, nullptr);  // closed before the helper reads it
        StartHelperProgram(pdev_);           // a second call starts nothing more
        const std::vector<std::string> commands = standin::ExecutedCommands();
        if (c.command) {
            ASSERT_EQ(commands.size(), 1u);
            EXPECT_EQ(commands[0], *c.command);
        } else {
            EXPECT_TRUE(commands.empty());
        }
    }
}

TEST_F(JobFileTest, HelperCommandLineMustFit) {
    // 511 characters fit; the printer name takes up what the rest leaves.
    UseFileMode(u"C:\\Jobs", u"R", kRelaydockStartHelper);
    std::copy_n(u"R00000.prn", 11, pdev_->JobFileName);
    WCHAR command[kHelperCommandChars + 1];
    ASSERT_TRUE(BuildHelperCommandLine(pdev_, u"", command));
    const size_t fixed = std::u16string(command).size();
    const std::u16string longest(kHelperCommandChars - fixed, u'p');
    EXPECT_TRUE(BuildHelperCommandLine(pdev_, longest.c_str(), command));
    EXPECT_EQ(std::u16string(command).size(), kHelperCommandChars);
    EXPECT_FALSE(BuildHelperCommandLine(pdev_, (longest + u"p").c_str(), command));
    EXPECT_EQ(command[0], 0);
}

TEST_F(JobFileTest, HelperIsNotStartedOutsideFileMode) {
    pdev_->Settings.RelaydockFlags = kRelaydockStartHelper;
    pdev_->JobFileCreated = TRUE;
    StartHelperProgram(pdev_);
    EXPECT_TRUE(standin::ExecutedCommands().empty());
}

#if KV_PRINT_PORT_CONTROL
TEST_F(JobFileTest, PrintPortLibraryWithoutItsEntriesIsFreedAndTheJobFileClosed) {
    for (const bool failed : {false, true}) {
        SCOPED_TRACE(failed ? "failure path" : "normal path");
        TearDown();
        SetUp();
        UseFileMode(u"C:\\Jobs", u"R");
        CreateJobFile(pdev_);
        ASSERT_NE(pdev_->JobFile, nullptr);
        pdev_->PrintPortLibrary = LoadLibraryW(u"ole32.dll");
        ASSERT_NE(pdev_->PrintPortLibrary, nullptr);
        pdev_->PrintPortGoOn = 1;
        FinishPrintPortJob(pdev_, failed);
        EXPECT_EQ(pdev_->PrintPortLibrary, nullptr);
        EXPECT_EQ(pdev_->JobFile, nullptr);
        EXPECT_EQ(pdev_->PrintPortGoOn, failed ? 1u : 0u);  // a missing entry answers -1
    }
}
#endif

}  // namespace
}  // namespace streamtest

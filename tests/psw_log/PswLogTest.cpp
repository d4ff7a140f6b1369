// The debug log: level from the profile, line format, dumps and its sharing between sets.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <vector>

#include "psw/PswLog.h"
#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/Profile.h"
#include "platform/StatusManager.h"
#include "tests/support/TestRoot.h"

namespace {

class PswLogTest : public kvtest::StandInTest {
protected:
    void SetUp() override {
        StandInTest::SetUp();
        WCHAR path[MAX_PATH];
        const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::u16string name(path, n);
        name = name.substr(name.find_last_of(u'\\') + 1);
        stem_ = name.substr(0, name.find_last_of(u'.'));
    }
    void TearDown() override {
        while (LogLevel() != 0) LogClose();
        StandInTest::TearDown();
    }
    void SetLevel(int level) {
        const std::u16string value = std::u16string(1, static_cast<char16_t>(u'0' + level));
        WritePrivateProfileStringW(u"LOG_SETTING", u"LogLevel", value.c_str(), (stem_ + u".ini").c_str());
    }
    std::u16string LogPath() const { return u"C:\\Users\\user\\Desktop\\" + stem_ + u".log"; }
    // The message parts of the log's lines (after "File.cpp(  42): ").
    std::vector<std::string> Messages() {
        const auto bytes = ReadFile(LogPath());
        std::istringstream in(std::string(bytes.begin(), bytes.end()));
        std::vector<std::string> out;
        for (std::string line; std::getline(in, line);) {
            const size_t at = line.find("): ");
            out.push_back(at == std::string::npos ? line : line.substr(at + 3));
        }
        return out;
    }
    std::u16string stem_;
};

TEST_F(PswLogTest, LevelZeroOrNoProfileWritesNothing) {
    LogOpen(nullptr);
    LogPrint(kLogError, "failed\n");
    LogClose();
    EXPECT_FALSE(FileExists(LogPath()));
    SetLevel(0);
    LogOpen(nullptr);
    LogPrint(kLogError, "failed\n");
    LogClose();
    EXPECT_FALSE(FileExists(LogPath()));
}

TEST_F(PswLogTest, LevelOneKeepsFailuresOnlyInTheLineFormat) {
    SetLevel(1);
    LogOpen(nullptr);
    LogPrint(kLogError, "GetPrinterStatus() failed %d\n", 7);
    LogPrint(kLogCondition, "dwMutexRet == WAIT_TIMEOUT\n");
    LogPrint(kLogTrace, "CallHelp start\n");
    const auto bytes = ReadFile(LogPath());
    const std::string text(bytes.begin(), bytes.end());
    // "09:07:03.000 [pid  tid ]: PswLogTest.cpp(  NN): ..."
    EXPECT_EQ(text.substr(0, 13), "09:07:03.000 ");
    EXPECT_NE(text.find("]: PswLogTest.cpp("), std::string::npos) << text;
    EXPECT_EQ(Messages(), std::vector<std::string>{"GetPrinterStatus() failed 7"});
}

TEST_F(PswLogTest, ADumpOfTwentyBytesWritesTwoLines) {
    SetLevel(3);
    LogOpen(nullptr);
    std::vector<BYTE> bytes(20);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<BYTE>('A' + i);
    bytes[1] = 0x07;
    LogDump(bytes.data(), static_cast<DWORD>(bytes.size()));
    const auto raw = ReadFile(LogPath());
    const std::string text(raw.begin(), raw.end());
    EXPECT_EQ(text,
              "0000 41 07 43 44 45 46 47 48  49 4A 4B 4C 4D 4E 4F 50   A.CDEFGH IJKLMNOP\n"
              "0010 51 52 53 54                                        QRST\n");
}

TEST_F(PswLogTest, OneSetClosingLeavesTheLogToTheOthers) {
    SetLevel(1);
    LogOpen(nullptr);  // the library's attach
    LogOpen(nullptr);  // a window set
    LogOpen(nullptr);  // another one
    LogClose();        // the first set ends
    LogPrint(kLogError, "still here\n");
    LogClose();
    LogClose();
    LogPrint(kLogError, "after the last\n");
    EXPECT_EQ(Messages(), std::vector<std::string>{"still here"});
}

TEST_F(PswLogTest, DumpJobInfoReadsNoMoreThanTheValueHolds) {
    SetLevel(3);
    LogOpen(nullptr);
    // A queue that claims three jobs but holds one, and a port cut inside its name.
    std::vector<BYTE> queue(4 + sizeof(SRM_JOB_INFO_W));
    const DWORD claimed = 3;
    std::memcpy(queue.data(), &claimed, 4);
    SRM_JOB_INFO_W job{};
    std::u16string(u"doc").copy(job.szJobName, 3);
    std::u16string(u"user").copy(job.szUserName, 4);
    job.dwJobId = 12;
    std::memcpy(queue.data() + 4, &job, sizeof(job));
    DumpJobInfo(u"PrinterQueue", queue.data(), static_cast<DWORD>(queue.size()));
    SRM_PORT port{};
    DumpJobInfo(u"Port", &port, 100);
    DumpJobInfo(u"UserAuthority", nullptr, 0);
    const DWORD bare = 2;
    DumpJobInfo(u"PrinterQueue", &bare, 4);  // the monitor's bare count
    const std::string dashes(25, '-');
    const std::string end(65, '-');
    EXPECT_EQ(Messages(), (std::vector<std::string>{
                              dashes + " PrinterQueue " + dashes, "dwJobNum[3]", "szJobName[doc]", "szUserName[user]",
                              "dwJobId[12]", "(cut)", end,
                              dashes + " Port " + dashes, "dwPortType[0x00000000]", "(cut)", end,
                              dashes + " UserAuthority " + dashes, "lpVoid == NULL", end,
                              dashes + " PrinterQueue " + dashes, "[0x00000002]", end}));
}

}  // namespace

// Print history files: one per day and per 1,000 lines, numbered after the file made last.
#include <gtest/gtest.h>
#include <unistd.h>

#include "langmon/MonitorProcess.h"
#include "langmon/PortList.h"
#include "langmon/log/PrintHistory.h"
#include "platform/Files.h"
#include "platform/StandIn.h"
#include "tests/langmon_wire/WireFixture.h"

namespace kvtest {
namespace {

constexpr char16_t kFolder[] = u"C:\\Relay\\RAS\\Trc";

// A port context of the monitor's library, as OpenPortEx leaves it, with the history on.
class HistoryTest : public StandInTest {
protected:
    void SetUp() override {
        StandInTest::SetUp();
        standin::monitor::Reset();
        standin::PrinterSetup printer;
        printer.name = u"KV:Printer";
        standin::AddPrinter(printer);
        SetMachineDword(u"SOFTWARE\\ZEV\\Relaydock\\Env\\PrnChk", u"PrnOrdChk", 1);
        SetMachineString(u"SOFTWARE\\ZEV\\Relaydock\\Env\\Dir", u"BaseDir", u"C:\\Relay");
        standin::monitor::AddJob(u"KV:Printer", 7, 0, u"Relaydock-7");
        ASSERT_TRUE(langmon::StartMonitorProcess(nullptr));
        monitor_.Signature = langmon::kMonitorSignature;
        monitor_.Waits.PortMutexMs = 100;
        EnterCriticalSection(&langmon::Process().Lock);
        port_ = langmon::CreatePortContext(u"LPT1:", u"KV:Printer", monitor_);
        LeaveCriticalSection(&langmon::Process().Lock);
        ASSERT_NE(port_, nullptr);
        ASSERT_TRUE(langmon::GetPrintCheckInfo(*port_));
    }
    void TearDown() override {
        if (port_ != nullptr) {
            langmon::ResetPrintCheckInfo(*port_);
            EnterCriticalSection(&langmon::Process().Lock);
            langmon::DeletePortContext(port_);
            LeaveCriticalSection(&langmon::Process().Lock);
        }
        langmon::EndMonitorProcess();
        StandInTest::TearDown();
    }
    std::string Text(const std::u16string& name) {
        const std::vector<BYTE> bytes = ReadFile(std::u16string(kFolder) + u"\\" + name);
        return std::string(bytes.begin(), bytes.end());
    }

    langmon::MonitorHandle monitor_{};
    langmon::PortContext* port_ = nullptr;
};

TEST_F(HistoryTest, ThousandthLineClosesTheFile) {
    for (int i = 0; i < 1001; ++i) langmon::OutPrnHist_JobStatus(*port_, 7, "Start");
    std::string full;
    for (int i = 0; i < 1000; ++i) full += "Relaydock-7\tStart\r\n";
    // The printer name's colon cannot stand in a file name.
    const std::string first = Text(u"LMOUT_KV_Printer_20240305_001.txt");
    EXPECT_EQ(first.size(), full.size() + 16);
    EXPECT_TRUE(first == full + "__TERMINATER__\r\n");
    EXPECT_EQ(Text(u"LMOUT_KV_Printer_20240305_002.txt"), "Relaydock-7\tStart\r\n");
}

TEST_F(HistoryTest, NewDayStartsANewFile) {
    langmon::OutPrnHist_JobStatus(*port_, 7, "Start");
    standin::SetLocalTime(SYSTEMTIME{2024, 3, 2, 6, 0, 0, 1, 0});
    langmon::OutPrnHist_JobStatus(*port_, 7, "End");
    langmon::ResetPrintCheckInfo(*port_);
    EXPECT_EQ(Text(u"LMOUT_KV_Printer_20240305_001.txt"), "Relaydock-7\tStart\r\n__TERMINATER__\r\n");
    EXPECT_EQ(Text(u"LMOUT_KV_Printer_20240306_001.txt"), "Relaydock-7\tEnd\r\n__TERMINATER__\r\n");
}

TEST_F(HistoryTest, JobsOfOtherProductsAndUnknownJobsWriteNothing) {
    standin::monitor::AddJob(u"KV:Printer", 8, 0, u"report");
    langmon::OutPrnHist_JobStatus(*port_, 8, "Start");
    langmon::OutPrnHist_JobStatus(*port_, 99, "Start");  // the spooler does not know it
    langmon::ResetPrintCheckInfo(*port_);
    EXPECT_FALSE(FileExists(std::u16string(kFolder) + u"\\LMOUT_KV_Printer_20240305_001.txt"));
}

TEST_F(HistoryTest, NumberFollowsTheFileMadeLast) {
    struct Case {
        const char* what;
        std::vector<std::u16string> made;  // in this order
        std::u16string expected;
    };
    const std::vector<Case> cases = {
        {"none", {}, u"LMOUT_P_20240305_001.txt"},
        {"made last is not the highest", {u"LMOUT_P_20240305_003.txt", u"LMOUT_P_20240305_007.txt",
                                          u"LMOUT_P_20240305_005.txt"}, u"LMOUT_P_20240305_006.txt"},
        {"after 100 comes 1", {u"LMOUT_P_20240305_100.txt"}, u"LMOUT_P_20240305_001.txt"},
        {"other days and names do not count", {u"LMOUT_P_20240304_009.txt", u"LMOUT_Q_20240305_004.txt",
                                               u"LMOUT_P_20240305_x12.txt"}, u"LMOUT_P_20240305_001.txt"},
    };
    const SYSTEMTIME today{2024, 3, 2, 5, 9, 7, 3, 0};
    int round = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::u16string folder = u"C:\\H" + U16(std::to_string(++round));
        for (const auto& name : c.made) {
            WriteFile(folder + u"\\" + name, "x");
            usleep(20000);  // creation times that tell the files apart (file times are coarse)
        }
        CreateDirectoryW(folder.c_str(), nullptr);
        WCHAR out[MAX_PATH];
        ASSERT_TRUE(langmon::MakeHistoryFileName(folder.c_str(), u"LMOUT", u"P", u".txt", today, out));
        EXPECT_EQ(std::u16string(out), folder + u"\\" + c.expected);
    }
}

}  // namespace
}  // namespace kvtest

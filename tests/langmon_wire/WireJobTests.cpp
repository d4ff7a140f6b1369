// The monitor's parts wired together: trace lines and print history of a job, status
// variables at the manager (also from another process), the lost-print check, and the
// registry settings that change the write path and the waits.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <regex>

#include "platform/Files.h"
#include "platform/Kernel.h"
#include "platform/Registry.h"
#include "platform/StandIn.h"
#include "tests/langmon_wire/WireFixture.h"
#include "tests/support/ChildProcess.h"

namespace kvtest {
namespace {

constexpr char16_t kPrnChkKey[] = u"SOFTWARE\\ZEV\\Relaydock\\Env\\PrnChk";
constexpr char16_t kHistoryFile[] = u"C:\\Relay\\RAS\\Trc\\LMOUT_KV Printer_20240305_001.txt";

using WireJobTest = WireTest;

TEST_F(WireJobTest, JobWritesItsTraceLinesAndHistory) {
    SetMachineDword(kPrnChkKey, u"PrnOrdChk", 1);
    SetMachineString(u"SOFTWARE\\ZEV\\Relaydock\\Env\\Dir", u"BaseDir", u"C:\\Relay\\");
    standin::monitor::AddJob(kWirePrinter, 7, 0, u"Relaydock-123", u"alice");
    standin::monitor::AddJob(kWirePrinter, 8, 0, u"report", u"bob");
    HANDLE port = Open();
    ASSERT_NE(port, nullptr);
    ASSERT_TRUE(RunJob(port, 7));
    ASSERT_TRUE(RunJob(port, 8));
    ASSERT_TRUE(table_->pfnClosePort(port));

    // Only the print-port product's job is in the history, closed with its last line.
    EXPECT_EQ(Text(kHistoryFile), "Relaydock-123\tStart\r\nRelaydock-123\tEnd\r\n__TERMINATER__\r\n");
    EXPECT_EQ(standin::monitor::JobCommands(kWirePrinter, 7), std::vector<DWORD>{JOB_CONTROL_LAST_PAGE_EJECTED});

    const std::string trace = Text(kTracePath);
    for (const char* expected : {"KJLMON:PJLMonOpenPortEx -START-", "PrnChk: RD_REG [PrnOrdChk] = 0x00000001",
                                 "ClosePortTimeout = [100]\r\n", "KJLMON:PJLMonOpenPortEx settings -START-",
                                 "TRACE LOG LEVEL [0007ffff]\r\n", "PortName   :IP_127.0.0.1\r\n",
                                 "dwPortStatus      [00000105]\r\n", "KJLMON:InJobQueue JobId = 7",
                                 "PrnOrdChk: <LMOUT> JobId=7, Msg=Start", "UpdateSRM_All: Variable:[SendingJobInfo]",
                                 "      JobName:[Relaydock-123]\r\n     UserName:[alice]\r\n        JobID:[7]",
                                 "UpdateSRM_All: Variable:[PrinterStatus]", "KJLMON:PJLMonEndDocPort -START- JobId = 8",
                                 "KJLMON:CheckDeviceId -SUCCESS-", "PrnOrdChk: <LMOUT> JobId=7, Msg=End",
                                 "PrnOrdChk: [PrintHistoryFile] wrote terminater.", "KJLMON:PJLMonClosePort -END-"}) {
        EXPECT_NE(trace.find(expected), std::string::npos) << expected;
    }
    EXPECT_EQ(trace.find("JobId=8, Msg="), std::string::npos);
    // Every timed line carries the fixed clock's local time.
    EXPECT_TRUE(std::regex_search(trace, std::regex("(^|\n)03/05 09:07:03:\\d{3}\tKJLMON:PJLMonClosePort -START-\r\n")));
}

TEST_F(WireJobTest, NoTraceWithoutSettingsFileAndNoHistoryWithoutSwitch) {
    DeleteFileW(u"C:\\Windows\\ZEVLMLOG.INI");
    standin::monitor::AddJob(kWirePrinter, 7, 0, u"Relaydock-123");
    HANDLE port = Open();
    ASSERT_NE(port, nullptr);
    ASSERT_TRUE(RunJob(port, 7));
    ASSERT_TRUE(table_->pfnClosePort(port));
    EXPECT_FALSE(FileExists(kTracePath));
    EXPECT_FALSE(FileExists(kHistoryFile));
    EXPECT_FALSE(FileExists(u"C:\\Relay\\RAS\\Trc"));
}

TEST_F(WireJobTest, TraceFileRotatesWhenFull) {
    WriteIni("MODE=1\r\nSIZE=1\r\nHISTORY=2\r\n");
    WriteFile(u"C:\\ZEVKV-TD520LOG\\ZEVLM-KV Printer.001", "older\r\n");
    WriteFile(kTracePath, std::string(1048576, 'x'));
    HANDLE port = Open();
    ASSERT_NE(port, nullptr);
    ASSERT_TRUE(table_->pfnClosePort(port));
    EXPECT_EQ(Text(u"C:\\ZEVKV-TD520LOG\\ZEVLM-KV Printer.002"), "older\r\n");
    EXPECT_EQ(Text(u"C:\\ZEVKV-TD520LOG\\ZEVLM-KV Printer.001").size(), 1048576u);
    const std::string current = Text(kTracePath);
    EXPECT_LT(current.size(), 10000u);
    EXPECT_NE(current.find("KJLMON:PJLMonOpenPortEx -START-"), std::string::npos);
}

std::string Hex(const std::vector<BYTE>& bytes) {
    std::string hex;
    for (const BYTE b : bytes) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02x", b);
        hex += digits;
    }
    return hex;
}

// Values at the manager as a second process reads them. Arguments: pairs of a variable's
// name and its expected bytes in hex. Exit code 0 when all agree, else the number of the
// first pair that did not.
int CheckManagerValues(const std::vector<std::string>& args) {
    // The manager serves the printers that its process's spooler knows.
    standin::PrinterSetup printer;
    printer.name = kWirePrinter;
    printer.port = kWirePort;
    printer.driverName = kTestDriver;
    standin::AddPrinter(printer);
    ManagerView view;
    for (size_t i = 0; i + 1 < args.size(); i += 2)
        if (Hex(view.Read(kWirePrinter, args[i].c_str())) != args[i + 1]) return static_cast<int>(i / 2) + 1;
    return 0;
}
const bool kCheckRegistered = kvtest::RegisterChildRoutine("check-manager-values", CheckManagerValues);

int CheckFromChild(const std::vector<std::pair<const char*, std::vector<BYTE>>>& expected) {
    std::vector<std::string> args;
    for (const auto& [name, bytes] : expected) {
        args.push_back(name);
        args.push_back(Hex(bytes));
    }
    return kvtest::RunInChildProcess("check-manager-values", args);
}

template <typename T>
std::vector<BYTE> Bytes(const T& value) {
    std::vector<BYTE> bytes(sizeof value);
    std::memcpy(bytes.data(), &value, sizeof value);
    return bytes;
}

TEST_F(WireJobTest, StatusVariablesReachTheManagerAtOpenStartAndEnd) {
    standin::monitor::AddJob(kWirePrinter, 7, 0, u"Report A", u"alice");
    ManagerView view;
    HANDLE port = Open();
    ASSERT_NE(port, nullptr);
    // Open: the network port is served, its printer's state is not known yet, no error.
    EXPECT_EQ(view.Read(kWirePrinter, "PrinterStatus"), Bytes(std::array<DWORD, 3>{0, 2048, 0}));
    // Its polling (0x10) may have started already.
    EXPECT_EQ(view.ReadDword(kWirePrinter, "PrinterExtStatus") & ~0x10u, 7u);
    EXPECT_EQ(view.ReadDword(kWirePrinter, "ErrPaperJam"), 0xFFFFFFFFu);
    EXPECT_EQ(view.ReadDword(kWirePrinter, "CurrentFeeder"), 1u);

    // Start: the job being sent, its bit in JobStatus and the printing mark, seen by another
    // process through the manager's store.
    ASSERT_TRUE(Start(port, 7));
    SRM_JOB_INFO_A sending{};
    std::memcpy(sending.szJobName, "Report A", sizeof "Report A");
    std::memcpy(sending.szUserName, "alice", sizeof "alice");
    sending.dwJobId = 7;
    EXPECT_EQ(CheckFromChild({{"SendingJobInfo", Bytes(sending)}, {"JobStatus", Bytes(DWORD{1})}}), 0);
    // The printer answered the job's device check: its own state shows, marked printing.
    const std::vector<BYTE> status = view.Read(kWirePrinter, "PrinterStatus");
    ASSERT_EQ(status.size(), 12u);
    DWORD low = 0;
    std::memcpy(&low, status.data() + 8, sizeof low);
    EXPECT_NE(low & 0x8u, 0u);

    // End: the job is gone from every one of them.
    ASSERT_TRUE(WriteAll(port, std::vector<BYTE>(100, 7)));
    ASSERT_TRUE(table_->pfnEndDocPort(port));
    EXPECT_EQ(CheckFromChild({{"SendingJobInfo", Bytes(SRM_JOB_INFO_A{})}, {"JobStatus", Bytes(DWORD{0})}}), 0);

    ASSERT_TRUE(table_->pfnClosePort(port));
    EXPECT_EQ(view.Read(kWirePrinter, "PrinterStatus"), Bytes(std::array<DWORD, 3>{0, 4096, 0}));
    EXPECT_EQ(view.ReadDword(kWirePrinter, "PrinterExtStatus"), 0u);
}

TEST_F(WireJobTest, LongDocumentNameIsCutNotLost) {
    // A name longer than any fixed record: the job record is sized by the spooler's answer.
    const std::u16string name(3000, u'd');
    standin::monitor::AddJob(kWirePrinter, 9, 0, name, u"carol");
    ManagerView view;
    HANDLE port = Open();
    ASSERT_NE(port, nullptr);
    ASSERT_TRUE(Start(port, 9));
    const std::vector<BYTE> sending = view.Read(kWirePrinter, "SendingJobInfo");
    ASSERT_EQ(sending.size(), sizeof(SRM_JOB_INFO_A));
    SRM_JOB_INFO_A info{};
    std::memcpy(&info, sending.data(), sizeof info);
    EXPECT_EQ(std::string(info.szJobName), std::string(sizeof info.szJobName - 1, 'd'));
    EXPECT_STREQ(info.szUserName, "carol");
    ASSERT_TRUE(WriteAll(port, std::vector<BYTE>(100, 7)));
    ASSERT_TRUE(table_->pfnEndDocPort(port));
    ASSERT_TRUE(table_->pfnClosePort(port));
}

TEST_F(WireJobTest, PrinterOfAnotherDriverGetsNoBinding) {
    SetMachineString(u"System\\CurrentControlSet\\control\\Print\\Printers\\KV Printer", u"Printer Driver",
                     u"Other Driver");
    standin::monitor::AddJob(kWirePrinter, 7);
    ManagerView view;
    HANDLE port = Open();
    ASSERT_NE(port, nullptr);
    ASSERT_TRUE(RunJob(port, 7));
    ASSERT_TRUE(table_->pfnClosePort(port));
    EXPECT_TRUE(view.Read(kWirePrinter, "PrinterStatus").empty());
    // Unfollowed, the job still ends with one LAST_PAGE_EJECTED.
    EXPECT_EQ(standin::monitor::JobCommands(kWirePrinter, 7), std::vector<DWORD>{JOB_CONTROL_LAST_PAGE_EJECTED});
}

TEST_F(WireJobTest, LostEndDocIsReportedOnce) {
    struct Case {
        const char* what;
        bool setSwitch;
        DWORD lostCheck;
        size_t pushes;
    };
    for (const Case& c : {Case{"default on", false, 0, 1}, Case{"switched off", true, 0, 0},
                          Case{"switched on", true, 5, 1}}) {
        SCOPED_TRACE(c.what);
        if (c.setSwitch) SetMachineDword(kPrnChkKey, u"PrnLostChk", c.lostCheck);
        ManagerView view;
        const size_t before = view.UpdateCount(u"ErrPrintSequence");
        HANDLE port = Open();
        ASSERT_NE(port, nullptr);
        ASSERT_TRUE(Start(port, 7));
        // The first job's EndDocPort never comes: the next two are refused while it may run.
        for (DWORD job : {8u, 9u}) {
            SetLastError(0xDEADBEEF);
            EXPECT_FALSE(Start(port, job));
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BUSY));
        }
        EXPECT_EQ(view.UpdateCount(u"ErrPrintSequence") - before, c.pushes);
        if (c.pushes != 0) {
            EXPECT_EQ(view.ReadDword(kWirePrinter, "ErrPrintSequence"), 0x1u);
        }
        ASSERT_TRUE(table_->pfnEndDocPort(port));
        ASSERT_TRUE(table_->pfnClosePort(port));
    }
    const std::string trace = Text(kTracePath);
    EXPECT_NE(trace.find("PrnLostChk: [Lost EndDoc] @ 1st time(do update SRM)"), std::string::npos);
    EXPECT_NE(trace.find("PrnLostChk: [Lost EndDoc] @ not 1st time(do not update SRM)"), std::string::npos);
}

TEST_F(WireJobTest, PortModeChoosesChunkedWrites) {
    struct Case {
        const char* what;
        DWORD mode;  // 0: no value
        std::vector<std::string> writes;
    };
    const std::vector<Case> cases = {
        {"no value", 0, {"WritePort 10000/10000"}},
        {"mode 1", 1, {"WritePort 10000/10000"}},
        {"mode 2", 2, {"WritePort 4096/4096", "WritePort 4096/4096", "WritePort 1808/1808"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        standin::monitor::Reset();
        standin::monitor::SetPorts({{kWirePort, u"TCPMON.DLL", u"Standard TCP/IP Port", PORT_TYPE_WRITE}});
        if (c.mode != 0) SetMachineDword(u"SOFTWARE\\ZEV\\Stanvel\\Printers", u"MyPortMode", c.mode);
        HANDLE port = Open();
        ASSERT_NE(port, nullptr);
        ASSERT_TRUE(RunJob(port, 7, 10000));
        ASSERT_TRUE(table_->pfnClosePort(port));
        std::vector<std::string> writes;
        for (const std::string& call : standin::monitor::PortCalls(kWirePort)) {
            if (call.rfind("WritePort", 0) == 0) writes.push_back(call);
        }
        EXPECT_EQ(writes, c.writes);
        const auto documents = standin::monitor::PortDocuments(kWirePort);
        ASSERT_EQ(documents.size(), 1u);
        EXPECT_EQ(documents[0].bytes, std::vector<BYTE>(10000, 7));
    }
}

TEST_F(WireJobTest, ChunkTheDeviceDidNotTakeIsOfferedAgain) {
    // A chunk that times out is "nothing written", not a failed job: the job arrives whole.
    standin::monitor::Reset();
    standin::monitor::SetPorts({{kWirePort, u"TCPMON.DLL", u"Standard TCP/IP Port", PORT_TYPE_WRITE}});
    SetMachineDword(u"SOFTWARE\\ZEV\\Stanvel\\Printers", u"MyPortMode", 2);
    standin::monitor::PortBehaviour behaviour;
    behaviour.writeError = 1460;  // ERROR_TIMEOUT
    behaviour.skipWrites = 1;
    behaviour.failWrites = 1;
    standin::monitor::SetPortBehaviour(kWirePort, behaviour);
    HANDLE port = Open();
    ASSERT_NE(port, nullptr);
    ASSERT_TRUE(RunJob(port, 7, 10000));
    ASSERT_TRUE(table_->pfnClosePort(port));
    const auto documents = standin::monitor::PortDocuments(kWirePort);
    ASSERT_EQ(documents.size(), 1u);
    EXPECT_EQ(documents[0].bytes, std::vector<BYTE>(10000, 7));
}

TEST_F(WireJobTest, RegistrySettingsAreClampedAndShownAtOpen) {
    struct Case {
        const char* what;
        DWORD rootCap;          // the monitor root's ClosePortTimeout
        DWORD closeTimeout;     // 0: no value for the driver
        DWORD polling;          // LMMode 1 with this PollingIntervals; 0: LMMode absent
        DWORD maxPowerOff;
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases = {
        {"defaults", 86400000, 0, 0, 2,
         {"ClosePortTimeout = [120000]", "Reg reading Step  [       1]", "dwPollingIntervals[    3000]msec",
          "dwSNMP_PWOFF      [       2]times"}},
        {"below the ranges", 86400000, 60000, 500, 0,
         {"ClosePortTimeout = [120000]", "Reg reading Step  [       5]", "bVariablePolling  [00000001]",
          "dwPollingIntervals[    1000]msec", "dwSNMP_PWOFF      [       1]times"}},
        {"above the ranges", 86400000, 100000000, 20000, 50,
         {"ClosePortTimeout = [86400000]", "dwPollingIntervals[   10000]msec", "dwSNMP_PWOFF      [      20]times"}},
        {"within", 86400000, 500000, 5000, 7,
         {"ClosePortTimeout = [500000]", "dwPollingIntervals[    5000]msec", "dwSNMP_PWOFF      [       7]times"}},
        {"shortened by the monitor root", 100, 500000, 0, 2, {"ClosePortTimeout = [100]"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteFileW(kTracePath);
        host_.SetRootValue(u"ClosePortTimeout", c.rootCap);
        Reload();
        const std::u16string polling = u"SOFTWARE\\ZEV\\Stanvel\\Printers\\ZEV KV-TD520 (VX)";
        SetMachineDword(polling, u"MaxPWOFF", c.maxPowerOff);
        if (c.polling != 0) {
            SetMachineDword(polling, u"LMMode", 1);
            SetMachineDword(polling, u"PollingIntervals", c.polling);
        } else {
            HKEY key = nullptr;
            ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, polling.c_str(), 0, KEY_ALL_ACCESS, &key), 0);
            RegDeleteValueW(key, u"LMMode");
            RegDeleteValueW(key, u"PollingIntervals");
            RegCloseKey(key);
        }
        if (c.closeTimeout != 0) {
            SetMachineDword(u"SOFTWARE\\ZEV\\ClosePortTimeout", u"ZEV KV-TD520 (VX)", c.closeTimeout);
        } else {
            HKEY key = nullptr;
            if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\ZEV\\ClosePortTimeout", 0, KEY_ALL_ACCESS, &key) == 0) {
                RegDeleteValueW(key, u"ZEV KV-TD520 (VX)");
                RegCloseKey(key);
            }
        }
        HANDLE port = Open();
        ASSERT_NE(port, nullptr);
        ASSERT_TRUE(table_->pfnClosePort(port));
        const std::string trace = Text(kTracePath);
        for (const std::string& line : c.lines) EXPECT_NE(trace.find(line), std::string::npos) << line;
    }
}

}  // namespace
}  // namespace kvtest

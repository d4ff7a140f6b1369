// The monitor as the spooler drives it: initialisation, ports, jobs, reads and control
// requests through the MONITOR2 table, from one and from several threads.
#include <atomic>
#include <map>
#include <string>
#include <thread>

#include "platform/Kernel.h"
#include "platform/StandInWinsock.h"
#include "platform/Winsock.h"
#include "tests/langmon_core/MonitorFixture.h"

namespace kvtest {
namespace {

using standin::monitor::PortDocuments;

constexpr DWORD kSentinel = 0xDEADBEEF;

class MonitorInitTest : public StandInTest {};

TEST_F(MonitorInitTest, RefusesIncompleteInitRecords) {
    standin::monitor::LanguageMonitorHost host;
    ASSERT_TRUE(host.Load(U16(KV_LANGMON_MODULE), u"KV Init"));
    MONITORINIT good = *host.Init();
    struct Case {
        const char* what;
        void (*spoil)(MONITORINIT&);
    } cases[] = {
        {"no spooler", [](MONITORINIT& i) { i.hSpooler = nullptr; }},
        {"no registry root", [](MONITORINIT& i) { i.hckRegistryRoot = nullptr; }},
        {"no registry functions", [](MONITORINIT& i) { i.pMonitorReg = nullptr; }},
    };
    for (const Case& c : cases) {
        MONITORINIT init = good;
        c.spoil(init);
        HANDLE monitor = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(kSentinel));
        SetLastError(kSentinel);
        EXPECT_EQ(host.Initialize(&init, &monitor), nullptr) << c.what;
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER) << c.what;
    }
}

TEST_F(MonitorInitTest, TableHoldsTheJobEntriesOnly) {
    standin::monitor::LanguageMonitorHost host;
    ASSERT_TRUE(host.Load(U16(KV_LANGMON_MODULE), u"KV Init"));
    const MONITOR2* t = host.Table();
    EXPECT_EQ(t->cbSize, sizeof(MONITOR2));
    for (auto slot : {reinterpret_cast<const void*>(t->pfnOpenPortEx), reinterpret_cast<const void*>(t->pfnStartDocPort),
                      reinterpret_cast<const void*>(t->pfnWritePort), reinterpret_cast<const void*>(t->pfnReadPort),
                      reinterpret_cast<const void*>(t->pfnEndDocPort), reinterpret_cast<const void*>(t->pfnClosePort),
                      reinterpret_cast<const void*>(t->pfnGetPrinterDataFromPort),
                      reinterpret_cast<const void*>(t->pfnShutdown)}) {
        EXPECT_NE(slot, nullptr);
    }
    for (auto slot : {reinterpret_cast<const void*>(t->pfnEnumPorts), reinterpret_cast<const void*>(t->pfnOpenPort),
                      reinterpret_cast<const void*>(t->pfnAddPort), reinterpret_cast<const void*>(t->pfnDeletePort),
                      reinterpret_cast<const void*>(t->pfnSetPortTimeOuts),
                      reinterpret_cast<const void*>(t->pfnXcvOpenPort)}) {
        EXPECT_EQ(slot, nullptr);
    }
}

using MonitorPortTest = MonitorTest;

TEST_F(MonitorPortTest, OpenRefusals) {
    SetLastError(kSentinel);
    EXPECT_EQ(Open(u"NExx:"), nullptr);
    EXPECT_EQ(GetLastError(), 3007u);
    EXPECT_EQ(standin::monitor::OpenPortCount(), 0u);

    HANDLE lpt = Open(u"LPT1:");
    ASSERT_NE(lpt, nullptr);
    EXPECT_EQ(Open(u"lpt1:"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BUSY));
    EXPECT_TRUE(table_->pfnClosePort(lpt));
    EXPECT_EQ(standin::monitor::OpenPortCount(), 0u);

    standin::monitor::PortBehaviour refuse;
    refuse.openError = ERROR_ACCESS_DENIED;
    standin::monitor::SetPortBehaviour(u"COM1:", refuse);
    EXPECT_EQ(Open(u"COM1:"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    standin::monitor::SetPortBehaviour(u"COM1:", {});
    HANDLE com = Open(u"COM1:");
    ASSERT_NE(com, nullptr);
    EXPECT_TRUE(table_->pfnClosePort(com));
}

// Sockets live exactly while at least one port is open, whatever order the ports close in.
// A port opens even when sockets cannot start; the next open starts them.
TEST_F(MonitorPortTest, SocketsLiveWhileAnyPortIsOpen) {
    struct StartupsRestored {
        ~StartupsRestored() { standin::FailStartups(0); }
    } restore;
    struct Step {
        const char16_t* port;
        bool open;
        int startError;    // what WSAStartup answers during the step
        unsigned started;  // our startups outstanding after the step
    };
    const Step steps[] = {
        {u"LPT1:", true, WSASYSNOTREADY, 0},
        {u"USB001", true, 0, 1},
        {u"COM1:", true, 0, 1},
        {u"LPT1:", false, 0, 1},
        {u"USB001", false, 0, 1},
        {u"COM1:", false, 0, 0},
        {u"LPT2:", true, 0, 1},
        {u"LPT2:", false, WSASYSNOTREADY, 0},
        {u"LPT2:", true, WSASYSNOTREADY, 0},
        {u"LPT2:", false, 0, 0},
    };
    const unsigned base = standin::StartupCount();
    std::map<std::u16string, HANDLE> open;
    int index = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(index++);
        standin::FailStartups(step.startError);
        if (step.open) {
            HANDLE port = Open(step.port);
            ASSERT_NE(port, nullptr);
            open[step.port] = port;
        } else {
            ASSERT_EQ(open.count(step.port), 1u);
            EXPECT_TRUE(table_->pfnClosePort(open[step.port]));
            open.erase(step.port);
        }
        EXPECT_EQ(standin::StartupCount(), base + step.started);
    }
}

TEST_F(MonitorPortTest, NullHandlesAreRefused) {
    DWORD n = kSentinel;
    BYTE b[4] = {};
    SetLastError(kSentinel);
    EXPECT_FALSE(table_->pfnStartDocPort(nullptr, nullptr, 1, 1, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(table_->pfnWritePort(nullptr, b, 4, &n));
    EXPECT_FALSE(table_->pfnReadPort(nullptr, b, 4, &n));
    EXPECT_FALSE(table_->pfnEndDocPort(nullptr));
    EXPECT_FALSE(table_->pfnClosePort(nullptr));
    EXPECT_FALSE(table_->pfnGetPrinterDataFromPort(nullptr, 1, nullptr, nullptr, 0, nullptr, 0, &n));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(MonitorPortTest, JobsInSequenceArriveWholeAndEjected) {
    HANDLE port = Open(u"LPT1:");
    ASSERT_NE(port, nullptr);
    standin::monitor::PortBehaviour slow;
    slow.maxTakePerWrite = 1000;  // the port takes part of each write: the spooler calls again
    standin::monitor::SetPortBehaviour(u"LPT1:", slow);
    const std::vector<size_t> sizes = {1, 79, 80, 81, 4096, 10000};
    for (DWORD job = 1; job <= sizes.size(); ++job) {
        standin::monitor::AddJob(u"KV Printer", job);
        const auto bytes = JobBytes(job, sizes[job - 1]);
        ASSERT_TRUE(RunJob(port, job, {bytes})) << job;
    }
    const auto docs = PortDocuments(u"LPT1:");
    ASSERT_EQ(docs.size(), sizes.size());
    for (DWORD job = 1; job <= sizes.size(); ++job) {
        EXPECT_EQ(docs[job - 1].jobId, job);
        EXPECT_TRUE(docs[job - 1].ended);
        EXPECT_EQ(docs[job - 1].bytes, JobBytes(job, sizes[job - 1])) << job;
        EXPECT_EQ(standin::monitor::JobCommands(u"KV Printer", job),
                  std::vector<DWORD>{JOB_CONTROL_LAST_PAGE_EJECTED});
    }
    EXPECT_TRUE(table_->pfnClosePort(port));
}

TEST_F(MonitorPortTest, JobsFromSeveralThreadsAreSerialised) {
    HANDLE port = Open(u"USB001");
    ASSERT_NE(port, nullptr);
    constexpr DWORD kThreads = 4;
    constexpr DWORD kJobsEach = 5;
    for (DWORD id = 1; id <= kThreads * kJobsEach; ++id) standin::monitor::AddJob(u"KV Printer", id);
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (DWORD t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (DWORD j = 0; j < kJobsEach; ++j) {
                const DWORD id = t * kJobsEach + j + 1;
                const auto bytes = JobBytes(id, 300 + id * 37);
                std::u16string printer = u"KV Printer";
                std::u16string doc = u"Job";
                DOC_INFO_1W info{doc.data(), nullptr, nullptr};
                // A port busy with another job answers ERROR_BUSY: the spooler tries again.
                int tries = 0;
                while (!table_->pfnStartDocPort(port, printer.data(), id, 1, reinterpret_cast<LPBYTE>(&info))) {
                    if (GetLastError() != ERROR_BUSY || ++tries > 100000) {
                        ++failures;
                        return;
                    }
                    std::this_thread::yield();
                }
                for (size_t at = 0; at < bytes.size(); at += 100) {
                    std::vector<BYTE> piece(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                                            bytes.begin() + static_cast<std::ptrdiff_t>(std::min(at + 100, bytes.size())));
                    if (!WriteAll(port, piece)) ++failures;
                }
                if (!table_->pfnEndDocPort(port)) ++failures;
            }
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(failures.load(), 0);
    const auto docs = PortDocuments(u"USB001");
    ASSERT_EQ(docs.size(), kThreads * kJobsEach);
    std::vector<bool> seen(kThreads * kJobsEach + 1);
    for (const auto& doc : docs) {
        ASSERT_GE(doc.jobId, 1u);
        ASSERT_LE(doc.jobId, kThreads * kJobsEach);
        EXPECT_FALSE(seen[doc.jobId]);
        seen[doc.jobId] = true;
        EXPECT_EQ(doc.bytes, JobBytes(doc.jobId, 300 + doc.jobId * 37)) << doc.jobId;
    }
    EXPECT_TRUE(table_->pfnClosePort(port));
}

TEST_F(MonitorPortTest, PortsRunJobsSideBySide) {
    const std::vector<std::u16string> names = {u"LPT1:", u"COM2:", u"USB003", u"FILE:"};
    std::vector<HANDLE> ports;
    for (const auto& name : names) {
        ports.push_back(Open(name));
        ASSERT_NE(ports.back(), nullptr);
    }
    for (DWORD id = 1; id <= 12; ++id) standin::monitor::AddJob(u"KV Printer", id);
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (size_t p = 0; p < ports.size(); ++p) {
        threads.emplace_back([&, p] {
            for (DWORD j = 0; j < 3; ++j) {
                const DWORD id = static_cast<DWORD>(p * 3 + j + 1);
                if (!RunJob(ports[p], id, {JobBytes(id, 5000), JobBytes(id, 77)})) ++failures;
            }
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(failures.load(), 0);
    for (size_t p = 0; p < ports.size(); ++p) {
        const auto docs = PortDocuments(names[p]);
        ASSERT_EQ(docs.size(), 3u);
        for (const auto& doc : docs) {
            auto expected = JobBytes(doc.jobId, 5000);
            const auto tail = JobBytes(doc.jobId, 77);
            expected.insert(expected.end(), tail.begin(), tail.end());
            EXPECT_EQ(doc.bytes, expected);
        }
        EXPECT_TRUE(table_->pfnClosePort(ports[p]));
    }
}

TEST_F(MonitorPortTest, LostEndDocPortFreesThePortWithoutMixingJobs) {
    Reload(u"LostEndDocTimeout", 40);
    standin::SetTickCount(1000);
    HANDLE port = Open(u"LPT2:");
    ASSERT_NE(port, nullptr);
    standin::monitor::AddJob(u"KV Printer", 1);
    standin::monitor::AddJob(u"KV Printer", 2);
    std::u16string printer = u"KV Printer";
    std::u16string doc = u"Lost";
    DOC_INFO_1W info{doc.data(), nullptr, nullptr};
    ASSERT_TRUE(table_->pfnStartDocPort(port, printer.data(), 1, 1, reinterpret_cast<LPBYTE>(&info)));
    ASSERT_TRUE(WriteAll(port, JobBytes(1, 500)));
    // No EndDocPort for job 1. Job 2 is refused while job 1 may still be running...
    EXPECT_FALSE(table_->pfnStartDocPort(port, printer.data(), 2, 1, reinterpret_cast<LPBYTE>(&info)));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BUSY));
    // ...and admitted once job 1 has been silent for the lost-job time.
    standin::AdvanceClock(60);
    ASSERT_TRUE(RunJob(port, 2, {JobBytes(2, 700)}));
    const auto docs = PortDocuments(u"LPT2:");
    ASSERT_EQ(docs.size(), 2u);
    EXPECT_TRUE(docs[0].ended);
    EXPECT_EQ(docs[0].bytes, JobBytes(1, 500));
    EXPECT_EQ(docs[1].bytes, JobBytes(2, 700));
    EXPECT_EQ(standin::monitor::JobCommands(u"KV Printer", 1), std::vector<DWORD>{JOB_CONTROL_LAST_PAGE_EJECTED});
    // A write of no job goes nowhere.
    DWORD written = kSentinel;
    BYTE late[3] = {1, 2, 3};
    EXPECT_FALSE(table_->pfnWritePort(port, late, 3, &written));
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(PortDocuments(u"LPT2:").size(), 2u);
    EXPECT_TRUE(table_->pfnClosePort(port));
}

TEST_F(MonitorPortTest, RefusedStartDocLeavesNoJobOpen) {
    HANDLE port = Open(u"LPT3:");
    ASSERT_NE(port, nullptr);
    standin::monitor::PortBehaviour refuse;
    refuse.startDocError = ERROR_WRITE_FAULT;
    standin::monitor::SetPortBehaviour(u"LPT3:", refuse);
    std::u16string printer = u"KV Printer";
    std::u16string doc = u"D";
    DOC_INFO_1W info{doc.data(), nullptr, nullptr};
    EXPECT_FALSE(table_->pfnStartDocPort(port, printer.data(), 5, 1, reinterpret_cast<LPBYTE>(&info)));
    EXPECT_EQ(GetLastError(), ERROR_WRITE_FAULT);
    standin::monitor::SetPortBehaviour(u"LPT3:", {});
    standin::monitor::AddJob(u"KV Printer", 6);
    EXPECT_TRUE(RunJob(port, 6, {JobBytes(6, 10)}));
    EXPECT_TRUE(table_->pfnClosePort(port));
}

TEST_F(MonitorPortTest, ReadPortUsesItsOwnDocumentOutsideJobs) {
    HANDLE lpt = Open(u"LPT1:");
    ASSERT_NE(lpt, nullptr);
    standin::monitor::PortBehaviour answer;
    answer.readData = {'@', 'P', 'J', 'L'};
    standin::monitor::SetPortBehaviour(u"LPT1:", answer);
    BYTE buffer[16] = {};
    DWORD read = kSentinel;
    ASSERT_TRUE(table_->pfnReadPort(lpt, buffer, sizeof buffer, &read));
    EXPECT_EQ(read, 4u);
    EXPECT_EQ(buffer[0], '@');
    const auto docs = PortDocuments(u"LPT1:");
    ASSERT_EQ(docs.size(), 1u);
    EXPECT_EQ(docs[0].docName, u"KJLMON Doc");
    EXPECT_EQ(docs[0].jobId, 0xFFFFFFFFu);
    EXPECT_TRUE(docs[0].ended);

    // A USB port with nothing to give answers ERROR_GEN_FAILURE: an empty read, not garbage.
    HANDLE usb = Open(u"USB002");
    ASSERT_NE(usb, nullptr);
    standin::monitor::PortBehaviour empty;
    empty.readError = ERROR_GEN_FAILURE;
    standin::monitor::SetPortBehaviour(u"USB002", empty);
    read = kSentinel;
    EXPECT_TRUE(table_->pfnReadPort(usb, buffer, sizeof buffer, &read));
    EXPECT_EQ(read, 0u);
    EXPECT_TRUE(table_->pfnClosePort(usb));
    EXPECT_TRUE(table_->pfnClosePort(lpt));
}

TEST_F(MonitorPortTest, ControlRequestsReachThePortMonitor) {
    HANDLE port = Open(u"LPT1:");
    ASSERT_NE(port, nullptr);
    standin::monitor::PortBehaviour answers;
    answers.controlAnswers[0x160014] = {0x00, 0x01, 0x00, 0x01};
    standin::monitor::SetPortBehaviour(u"LPT1:", answers);
    BYTE out[8] = {};
    DWORD returned = kSentinel;
    EXPECT_TRUE(table_->pfnGetPrinterDataFromPort(port, 0x160014, nullptr, nullptr, 0, reinterpret_cast<LPWSTR>(out),
                                                  sizeof out, &returned));
    EXPECT_EQ(returned, 4u);
    EXPECT_EQ(out[1], 0x01);
    returned = kSentinel;
    EXPECT_FALSE(table_->pfnGetPrinterDataFromPort(port, 0x160024, nullptr, nullptr, 0,
                                                   reinterpret_cast<LPWSTR>(out), sizeof out, &returned));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    EXPECT_EQ(returned, 0u);
    EXPECT_TRUE(table_->pfnClosePort(port));
}

TEST_F(MonitorPortTest, WriteFailureReachesTheSpooler) {
    HANDLE port = Open(u"LPT1:");
    ASSERT_NE(port, nullptr);
    standin::monitor::PortBehaviour failing;
    failing.writeError = ERROR_WRITE_FAULT;
    failing.failWrites = 1;
    standin::monitor::SetPortBehaviour(u"LPT1:", failing);
    std::u16string printer = u"KV Printer";
    std::u16string doc = u"D";
    DOC_INFO_1W info{doc.data(), nullptr, nullptr};
    standin::monitor::AddJob(u"KV Printer", 9);
    ASSERT_TRUE(table_->pfnStartDocPort(port, printer.data(), 9, 1, reinterpret_cast<LPBYTE>(&info)));
    auto bytes = JobBytes(9, 64);
    DWORD written = kSentinel;
    EXPECT_FALSE(table_->pfnWritePort(port, bytes.data(), 64, &written));
    EXPECT_EQ(GetLastError(), ERROR_WRITE_FAULT);
    EXPECT_EQ(written, 0u);
    EXPECT_TRUE(WriteAll(port, bytes));
    EXPECT_TRUE(table_->pfnEndDocPort(port));
    EXPECT_EQ(PortDocuments(u"LPT1:")[0].bytes, bytes);
    EXPECT_TRUE(table_->pfnClosePort(port));
}

}  // namespace
}  // namespace kvtest

#include "tests/langmon_load/LoadFixture.h"

#include <algorithm>
#include <random>
#include <thread>

#include "langmon/MonitorProcess.h"
#include "platform/Kernel.h"
#include "tests/support/MachineKeys.h"
#include "tests/support/MonitorSetup.h"
#include "tests/support/TestRun.h"
#include "tools/sample/MonitorPass.h"
#include "tools/sample/PortSetup.h"

namespace kvtest {
namespace {

constexpr char16_t kTcpPorts[] = u"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports\\";
constexpr char16_t kDpuPorts[] = u"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\ZEV TCP/IP DPU Port\\Ports\\";
// A printer the monitor never asks is switched on again after this long all the same.
constexpr auto kLongestOff = std::chrono::seconds(10);
// The spooler's pause before it offers a refused call again.
constexpr auto kSpoolerPause = std::chrono::microseconds(2000);
constexpr size_t kLongestPiece = 300;
// The run's bound on a loaded machine, within the watchdog's bound for one test (120 s, 300 s
// under an emulator) with room for the ejects' wait and the checks.
constexpr auto kNativeRunBound = std::chrono::seconds(90);
constexpr auto kEmulatedRunBound = std::chrono::seconds(240);

#if defined(__has_feature)
#define KV_LOAD_HAS_FEATURE(x) __has_feature(x)
#else
#define KV_LOAD_HAS_FEATURE(x) 0
#endif

// How many times slower than a plain optimised build this build runs the monitor's threads.
int BuildSlowdown() {
    int factor = 1;
#if defined(__SANITIZE_THREAD__) || KV_LOAD_HAS_FEATURE(thread_sanitizer)
    factor *= 4;
#elif defined(__SANITIZE_ADDRESS__) || KV_LOAD_HAS_FEATURE(address_sanitizer)
    factor *= 2;
#endif
#if !defined(__OPTIMIZE__)
    factor *= 2;
#endif
    return factor;
}

bool Deleted(const std::u16string& printer, DWORD jobId) {
    for (DWORD command : standin::monitor::JobCommands(printer, jobId)) {
        if (command == JOB_CONTROL_DELETE || command == JOB_CONTROL_CANCEL) return true;
    }
    return false;
}

}  // namespace

std::chrono::seconds LoadTest::RunBound() { return RunsUnderEmulator() ? kEmulatedRunBound : kNativeRunBound; }

size_t LoadTest::JobsPerThread() { return kJobsPerThread / static_cast<size_t>(BuildSlowdown()); }

void LoadTest::SetUp() {
    StandInTest::SetUp();
    standin::monitor::Reset();
}

void LoadTest::TearDown() {
    ClosePorts();
    host_.Unload();
    printers_.clear();
    StandInTest::TearDown();
}

void LoadTest::Prepare(const std::vector<LoadPortSetup>& ports) {
    setups_ = ports;
    std::vector<standin::monitor::PortSetup> listed;
    for (const LoadPortSetup& setup : ports) {
        printers_.push_back(std::make_unique<LoadPrinter>(setup.printer));
        standin::PrinterSetup printer;
        printer.name = setup.printer;
        printer.port = setup.port;
        printer.driverName = kTestDriver;
        AddSpoolerPrinter(printer);
        // The printer's address where the port monitor's configuration keeps it.
        SetMachineString(std::u16string(kTcpPorts) + setup.port, u"IPAddress", u"127.0.0.1");
        if (setup.kind == LoadPortKind::DpuTcp) {
            SetMachineString(std::u16string(kDpuPorts) + setup.port, u"IPAddress", u"127.0.0.1");
            listed.push_back({setup.port, u"ZEVDPU.DLL", u"ZEV TCP/IP DPU Port", PORT_TYPE_WRITE});
        } else {
            listed.push_back({setup.port, u"TCPMON.DLL", u"Standard TCP/IP Port", PORT_TYPE_WRITE});
        }
    }
    standin::monitor::SetPorts(listed);
    AddStatusVariablesKey();
    // Waits in milliseconds, but the port mutex generous: eight threads queue for it. A job's
    // last bytes held back are given up after 20 ms of a port that takes nothing. Polling runs
    // every 10 ms during jobs and every 250 ms between them, so that a printer switched off
    // or on and a job the printer lists done are seen soon.
    ASSERT_NO_FATAL_FAILURE(LoadMonitorWithWaits(host_, U16(KV_LANGMON_MODULE),
                                                 ShortRootWaits(20, {{u"PortMutexTimeout", 10000},
                                                                     {u"StatusQueuedInterval", 10},
                                                                     {u"StatusIdleInterval", 250},
                                                                     {u"EndedJobRecordPause", 1}})));
    table_ = host_.Table();
}

void LoadTest::OpenPorts() {
    for (size_t i = 0; i < setups_.size(); ++i) {
        HANDLE handle = OpenFilePort(table_, host_.Monitor(), setups_[i].port, setups_[i].printer);
        ASSERT_NE(handle, nullptr) << U8(setups_[i].port) << ": error " << GetLastError();
        ports_.push_back(handle);
        // The polling thread waits one idle interval before its first read; the port's SNMP
        // client is aimed at the agent with the port held, as the polling pass holds it.
        langmon::PortContext* context = langmon::PortFromHandle(handle);
        ASSERT_NE(context, nullptr);
        ASSERT_EQ(WaitForSingleObject(context->PortMutex, INFINITE), WAIT_OBJECT_0);
        AimAtAgent(*context, printers_[i]->Agent());
        ReleaseMutex(context->PortMutex);
    }
}

void LoadTest::ClosePorts() {
    for (HANDLE port : ports_) EXPECT_TRUE(table_->pfnClosePort(port));
    ports_.clear();
}

void LoadTest::Run(const std::vector<FaultPhase>& phases) {
    const size_t perThread = JobsPerThread();
    runs_.assign(kThreads * perThread, JobRun{});
    for (size_t i = 0; i < runs_.size(); ++i) {
        JobRun& run = runs_[i];
        const auto id = static_cast<DWORD>(i + 1);
        // Sizes from one record to 40 (32 to 1,280 bytes, around the 80-byte window). Three
        // jobs in four are followed on the printer by their JCID; the fourth, which is not, ends
        // the following of those queued before it.
        run.job = LoadJob{id, 1 + (id * 7919u) % 40u, id % 4 != 0};
        run.port = (i / perThread) % ports_.size();
        run.bytes = LoadJobBytes(run.job).size();
        standin::monitor::AddJob(setups_[run.port].printer, id, 0, u"Load " + U16(std::to_string(id)), u"load");
    }
    deadline_ = std::chrono::steady_clock::now() + RunBound();
    emptyWrites_ = std::make_unique<std::atomic<size_t>[]>(ports_.size());
    jobsLeft_ = std::make_unique<std::atomic<size_t>[]>(ports_.size());
    for (const JobRun& run : runs_) ++jobsLeft_[run.port];
    std::atomic<bool> spoolersDone{false};
    std::jthread conductor([&] { Conduct(phases, spoolersDone); });
    {
        std::vector<std::jthread> spoolers;
        for (size_t t = 0; t < kThreads; ++t) spoolers.emplace_back([this, t] { Spool(t); });
    }
    spoolersDone = true;
}

void LoadTest::Spool(size_t thread) {
    const size_t perThread = runs_.size() / kThreads;
    for (size_t j = 0; j < perThread && !PastDeadline(); ++j) SpoolJob(runs_[thread * perThread + j]);
}

void LoadTest::SpoolJob(JobRun& run) {
    run.ran = true;
    HANDLE port = ports_[run.port];
    LoadPrinter& printer = *printers_[run.port];
    std::u16string printerName = setups_[run.port].printer;
    std::u16string document = u"Load " + U16(std::to_string(run.job.id));
    DOC_INFO_1W info{document.data(), nullptr, nullptr};
    // Another thread's job on the port answers ERROR_BUSY, a port held long ERROR_SEM_TIMEOUT:
    // the spooler offers the job again.
    while (!PastDeadline()) {
        if (table_->pfnStartDocPort(port, printerName.data(), run.job.id, 1, reinterpret_cast<LPBYTE>(&info))) {
            run.started = true;
            break;
        }
        run.startError = GetLastError();
        if (run.startError != ERROR_BUSY && run.startError != ERROR_SEM_TIMEOUT) break;
        std::this_thread::sleep_for(kSpoolerPause);
    }
    if (run.started) {
        std::vector<BYTE> bytes = LoadJobBytes(run.job);
        std::mt19937 pieces(run.job.id);
        // The first piece holds a tracked job's whole header, as the rendering library's first
        // write does; the rest come in pieces of 1 to 300 bytes.
        size_t piece = std::min(bytes.size(), LoadJobBytes(LoadJob{run.job.id, 0, run.job.tracked}).size() +
                                                  1 + pieces() % kLongestPiece);
        while (run.accepted < bytes.size() && !PastDeadline()) {
            // A job the monitor had deleted is not written any further.
            if (Deleted(printerName, run.job.id)) {
                run.deletedSeen = true;
                break;
            }
            const auto offered = static_cast<DWORD>(std::min(piece, bytes.size() - run.accepted));
            DWORD written = 0xDEADBEEF;
            const BOOL ok = table_->pfnWritePort(port, bytes.data() + run.accepted, offered, &written);
            if (written > offered) {
                run.badCount = true;
                break;
            }
            // What the monitor reports taken counts, also from a failed call: the rest is
            // offered again.
            run.accepted += written;
            if (!ok) {
                ++run.failedWrites;
            } else if (written == 0) {
                ++run.emptyWrites;
                ++emptyWrites_[run.port];
            } else if (written < offered) {
                ++run.shortWrites;
            }
            if (!ok || written == 0) std::this_thread::sleep_for(kSpoolerPause);
            if (written == offered) piece = 1 + pieces() % kLongestPiece;
        }
        run.ended = table_->pfnEndDocPort(port) != FALSE;
        if (run.ended && !run.deletedSeen && run.accepted == run.bytes) printer.Printed(run.job.id, run.job.tracked);
    }
    --jobsLeft_[run.port];
    ++finished_;
}

void LoadTest::Conduct(const std::vector<FaultPhase>& phases, const std::atomic<bool>& spoolersDone) {
    const size_t total = runs_.size();
    size_t next = 0;
    bool off = false;
    std::vector<size_t> asksAtOff(printers_.size());
    std::vector<size_t> heldAtOff(printers_.size());
    std::chrono::steady_clock::time_point offSince;
    for (;;) {
        const bool last = spoolersDone;
        for (auto& printer : printers_) printer->ForgetEjected();
        while (!last && next < phases.size() && finished_ >= next * total / phases.size()) {
            const FaultPhase& phase = phases[next++];
            for (const LoadPortSetup& setup : setups_) standin::monitor::SetPortBehaviour(setup.port, phase.behaviour);
            phasesApplied_.push_back(phase.what);
            if (phase.powerCycle && !off) {
                for (size_t i = 0; i < printers_.size(); ++i) {
                    printers_[i]->PowerOff();
                    asksAtOff[i] = printers_[i]->Agent().RequestCount();
                    heldAtOff[i] = emptyWrites_[i];
                }
                off = true;
                offSince = std::chrono::steady_clock::now();
            }
        }
        if (off) {
            bool asked = true;
            size_t asks = 0;
            for (size_t i = 0; i < printers_.size(); ++i) {
                const size_t n = printers_[i]->Agent().RequestCount() - asksAtOff[i];
                const bool held = emptyWrites_[i] - heldAtOff[i] >= kHeldWhileOff || jobsLeft_[i] == 0;
                asked = asked && n >= kAsksWhileOff && held;
                asks += n;
            }
            if (asked || last || std::chrono::steady_clock::now() - offSince > kLongestOff) {
                for (auto& printer : printers_) printer->PowerOn();
                asksWhileOff_ += asks;
                ++powerCycles_;
                off = false;
            }
        }
        if (last) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    for (const LoadPortSetup& setup : setups_) standin::monitor::SetPortBehaviour(setup.port, {});
}

}  // namespace kvtest

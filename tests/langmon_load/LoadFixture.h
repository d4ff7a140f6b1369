#pragma once
// The monitor as the spooler loads it, with followed network ports whose printers are
// loopback SNMP agents, driven by several spooler threads at once. Each thread runs its own
// jobs through StartDocPort, WritePort (pieces of random size, offered again from where the
// monitor stopped taking) and EndDocPort; a conductor thread meanwhile makes the port monitor
// below fail, take part of the writes and cancel, and switches the printers off and on.
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "platform/Monitor.h"
#include "platform/StandInMonitor.h"
#include "tests/langmon_load/LoadJob.h"
#include "tests/langmon_load/LoadPrinter.h"
#include "tests/support/TestRoot.h"

namespace kvtest {

enum class LoadPortKind { StandardTcp, DpuTcp };

struct LoadPortSetup {
    const char16_t* port;
    const char16_t* printer;
    LoadPortKind kind;
};

/// One stretch of the run: from its share of the finished jobs on, the port monitor of every
/// port behaves so; with `powerCycle` the printers are switched off and, once the monitor has
/// found them off and held jobs for it, on again.
struct FaultPhase {
    const char* what;
    standin::monitor::PortBehaviour behaviour;
    bool powerCycle = false;
};

/// What the spooler saw of one job.
struct JobRun {
    LoadJob job;
    size_t port = 0;            // index into the ports
    size_t bytes = 0;           // the job's size
    bool ran = false;           // its thread got to it before the deadline
    bool started = false;       // StartDocPort answered TRUE
    DWORD startError = 0;       // the last StartDocPort error
    size_t accepted = 0;        // bytes the monitor reported taken
    bool badCount = false;      // a WritePort reported more taken than it was offered
    bool deletedSeen = false;   // the spooler found the job deleted and stopped writing it
    bool ended = false;         // EndDocPort answered TRUE
    unsigned failedWrites = 0;  // WritePort answered FALSE
    unsigned shortWrites = 0;   // took part of what it was offered
    unsigned emptyWrites = 0;   // TRUE with nothing taken
};

class LoadTest : public StandInTest {
protected:
    static constexpr size_t kThreads = 8;
    // Jobs per thread in a plain optimised build; a slower build runs a share of them (below).
    static constexpr size_t kJobsPerThread = 100;
    // A switched-off printer is switched on again once the monitor has asked it this often
    // and a job of its port has been held this many times (WritePort taking nothing), or its
    // port has no jobs left.
    static constexpr size_t kAsksWhileOff = 2;
    static constexpr size_t kHeldWhileOff = 1;

    void SetUp() override;
    void TearDown() override;

    /// The printers, their spooler entries and ports, and the monitor loaded with short waits.
    void Prepare(const std::vector<LoadPortSetup>& ports);
    /// Opens every port through the monitor and aims it at its printer's agent.
    void OpenPorts();
    /// Runs kThreads spooler threads of kJobsPerThread jobs each (thread t on port t % ports)
    /// while the conductor goes through the phases, each taking an equal share of the jobs.
    /// Returns when every thread is done or the deadline passed.
    void Run(const std::vector<FaultPhase>& phases);
    /// Closes every port through the monitor.
    void ClosePorts();
    size_t Finished() const { return finished_; }
    bool PastDeadline() const { return std::chrono::steady_clock::now() > deadline_; }
    /// How long the run may take: one test's share of the watchdog's bound (longer under an
    /// emulator, where the watchdog allows longer).
    static std::chrono::seconds RunBound();
    /// Jobs per spooler thread in this tree: kJobsPerThread divided by what the build's
    /// sanitizers and a build without optimisation cost, so that the run fits its bound.
    static size_t JobsPerThread();

    std::vector<LoadPortSetup> setups_;
    std::vector<std::unique_ptr<LoadPrinter>> printers_;
    std::vector<HANDLE> ports_;
    standin::monitor::LanguageMonitorHost host_;
    MONITOR2* table_ = nullptr;
    std::vector<JobRun> runs_;
    std::chrono::steady_clock::time_point deadline_;
    // What the conductor saw.
    unsigned powerCycles_ = 0;
    size_t asksWhileOff_ = 0;     // requests to the printers while they were off
    std::vector<std::string> phasesApplied_;

private:
    void Spool(size_t thread);
    void SpoolJob(JobRun& run);
    void Conduct(const std::vector<FaultPhase>& phases, const std::atomic<bool>& spoolersDone);

    std::atomic<size_t> finished_{0};
    // Per port: WritePort calls that took nothing, jobs the port has left.
    std::unique_ptr<std::atomic<size_t>[]> emptyWrites_;
    std::unique_ptr<std::atomic<size_t>[]> jobsLeft_;
};

}  // namespace kvtest

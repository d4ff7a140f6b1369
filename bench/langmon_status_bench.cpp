// Benchmarks of one status pass of a followed network port (ReadStatus2 with the port mutex
// held) against the sample loopback SNMP agent, the printer supported and idle:
//   StatusPass/idle          no job queued: the device check and the state mapping only.
//   StatusPass/job           one job queued and printing, its PRID known: the device check
//                            (shorter with a job) and the job's three readings.
//   StatusPass/job_lookup    the same job with its PRID looked up again in the JCID map (the
//                            first pass of every job); the pause before the lookup is 0 here.
// Reported per pass: the SNMP requests the agent received and the wall time; beside it, in
// the same iterations, the reference: the pass's own request datagrams sent again as raw UDP
// round trips on loopback, a new socket per request (raw_ms), and the ratio pass / raw. The
// pauses
// between objects (OIDIntervals, 10 ms by default) are 0 here, so the time is the requests'
// own; each object read adds OIDIntervals to it on a real port.
//   PollingMinute/idle       the polling thread at its default intervals for a minute, the
//                            printer idle; PollingMinute/printer_off the same with a printer
//                            that never answers. Reported: CPU milliseconds of the whole
//                            process (the agent's thread included) per minute, and the passes
//                            made. PollingMinute/no_polling is the same minute without the
//                            polling thread (the agent's own cost, to subtract). Each takes a
//                            minute: --benchmark_filter=StatusPass skips them.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/socket.h>
#include <netinet/in.h>
#include <unistd.h>

#include <sys/time.h>

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "langmon/job/JobQueue.h"
#include "langmon/MonitorProcess.h"
#include "langmon/MonitorRegistry.h"
#include "langmon/PortHolds.h"
#include "langmon/PortSettings.h"
#include "langmon/status/StatusManagerLink.h"
#include "langmon/printer/StatusThread.h"
#include "langmon/status/StatusVariables.h"
#include "platform/Kernel.h"
#include "platform/StandIn.h"
#include "platform/StandInMonitor.h"
#include "tools/sample/PortSetup.h"
#include "tools/sample/RunRoot.h"
#include "tools/sample/SnmpAgent.h"

namespace {

constexpr char16_t kPrinter[] = u"KV Printer";
constexpr char16_t kPortName[] = u"IP_127.0.0.1";
constexpr char kJcid[] = "JCID00000000000000000000000000000000000000042";
constexpr char kPrid[] = "1.7";
constexpr DWORD kJobId = 42;

DWORD CountPush(DWORD, LPCSTR, LPCVOID, DWORD) { return 0; }

/// One stand-in root, the monitor's process state and the agent for the whole run.
class Environment {
public:
    Environment() {
        kvtest::UseRunRoot(folder_);
        standin::PrinterSetup printer;
        printer.name = kPrinter;
        printer.port = kPortName;
        standin::AddPrinter(printer);
        standin::monitor::AddJob(kPrinter, kJobId, 0, u"bench", u"user");
        kvtest::StartMonitor(monitor_);
        monitor_.Waits.RetryPauseMs = 0;
        monitor_.WinMajor = 6;
        agent_.LoadPrinter();
        agent_.AddJob(kJcid, kPrid, 7, 0, 3);
    }
    kvtest::SnmpAgent& Agent() { return agent_; }
    const langmon::MonitorHandle& Monitor() const { return monitor_; }

private:
    kvtest::TempFolder folder_;
    kvtest::SnmpAgent agent_;
    langmon::MonitorHandle monitor_{};
};
Environment& Env() {
    static Environment env;
    return env;
}

/// A standard TCP/IP port aimed at the agent, with one bound printer of the model.
class Port {
public:
    Port() {
        Env();  // the monitor's process state first
        port_ = kvtest::CreatePort(kPortName, kPrinter, Env().Monitor());
        if (port_ == nullptr) return;
        port_->PortKind = langmon::port_kind::StandardTcpPort;
        kvtest::AimAtAgent(*port_, Env().Agent(), {.waitMs = 500, .onePowerOffTry = false});
        kvtest::BindRecorder(*port_, kPrinter, CountPush);
    }
    ~Port() {
        if (port_ != nullptr) kvtest::DeletePort(port_);
    }
    Port(const Port&) = delete;
    Port& operator=(const Port&) = delete;
    langmon::PortContext* get() const { return port_; }

private:
    langmon::PortContext* port_ = nullptr;
};

enum class Pass { Idle, Job, JobLookup };

using Clock = std::chrono::steady_clock;

/// Sends each datagram to the agent from a new socket and waits for its answer: what the
/// requests of a pass cost without the monitor. False when an answer did not come.
bool RawRoundTrips(const std::vector<std::vector<uint8_t>>& datagrams, uint16_t agentPort) {
    sockaddr_in agent{};
    agent.sin_family = AF_INET;
    agent.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    agent.sin_port = htons(agentPort);
    bool answered = true;
    for (const std::vector<uint8_t>& datagram : datagrams) {
        const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        if (fd < 0) return false;
        timeval wait{1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        std::byte answer[1500];
        answered &= ::sendto(fd, datagram.data(), datagram.size(), 0, reinterpret_cast<const sockaddr*>(&agent),
                             sizeof agent) == static_cast<ssize_t>(datagram.size()) &&
                    ::recv(fd, answer, sizeof answer, 0) > 0;
        ::close(fd);
    }
    return answered;
}

void BM_StatusPass(benchmark::State& state, Pass pass) {
    Port holder;
    langmon::PortContext* port = holder.get();
    if (port == nullptr) {
        state.SkipWithError("the port context could not be made");
        return;
    }
    if (pass != Pass::Idle) {
        langmon::JobQueueEntry* entry = langmon::InJobQueue(*port, kJobId);
        std::snprintf(entry->Jcid, sizeof entry->Jcid, "%s", kJcid);
        std::snprintf(entry->JcidIndex, sizeof entry->JcidIndex, "%s", kvtest::JcidIndex(kJcid).c_str());
        std::snprintf(entry->PrinterJobIndex, sizeof entry->PrinterJobIndex, "%s", kPrid);
        entry->Binding = port->FirstBinding;
    }
    // A first pass off the clock: the printer found supported, its variables published.
    if (langmon::WaitSpoolerFunc(*port) != 0) {
        state.SkipWithError("the port mutex could not be taken");
        return;
    }
    langmon::ReadStatus2(*port);
    if ((port->State & langmon::port_state::DeviceSupported) == 0) {
        langmon::ReleaseSpoolerFunc(*port);
        state.SkipWithError("the agent did not answer as the supported printer");
        return;
    }
    // The datagrams of one pass, for the raw reference.
    const size_t first = Env().Agent().RequestCount();
    if (pass == Pass::JobLookup) port->QueueHead->PrinterJobIndex[0] = '\0';
    langmon::ReadStatus2(*port);
    std::vector<std::vector<uint8_t>> datagrams;
    {
        const std::vector<kvtest::ReceivedRequest> received = Env().Agent().Requests();
        for (size_t i = first; i < received.size(); ++i) datagrams.push_back(received[i].bytes);
    }
    const size_t before = Env().Agent().RequestCount();
    double passSeconds = 0;
    double rawSeconds = 0;
    for (auto _ : state) {
        if (pass == Pass::JobLookup) port->QueueHead->PrinterJobIndex[0] = '\0';
        const auto start = Clock::now();
        langmon::ReadStatus2(*port);
        const auto passed = Clock::now();
        if (!RawRoundTrips(datagrams, Env().Agent().Port())) state.SkipWithError("a raw round trip was not answered");
        const auto end = Clock::now();
        const double seconds = std::chrono::duration<double>(passed - start).count();
        passSeconds += seconds;
        rawSeconds += std::chrono::duration<double>(end - passed).count();
        state.SetIterationTime(seconds);
    }
    langmon::ReleaseSpoolerFunc(*port);
    const double n = static_cast<double>(state.iterations());
    const double raw = static_cast<double>(datagrams.size()) * n;
    const double requests = static_cast<double>(Env().Agent().RequestCount() - before) - raw;
    state.counters["requests"] = benchmark::Counter(requests, benchmark::Counter::kAvgIterations);
    if (n > 0 && rawSeconds > 0) {
        state.counters["raw_ms"] = rawSeconds * 1000 / n;
        state.counters["ratio"] = passSeconds / rawSeconds;
    }
    if (pass != Pass::Idle && port->QueueHead == nullptr) state.SkipWithError("the job left the queue");
}
BENCHMARK_CAPTURE(BM_StatusPass, idle, Pass::Idle)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK_CAPTURE(BM_StatusPass, job, Pass::Job)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK_CAPTURE(BM_StatusPass, job_lookup, Pass::JobLookup)->Unit(benchmark::kMillisecond)->UseManualTime();

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

/// A loopback UDP port that takes datagrams and never answers: a printer that is off.
class SilentPort {
public:
    SilentPort() {
        fd_ = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
            port_ = ntohs(address.sin_port);
        }
    }
    ~SilentPort() {
        if (fd_ >= 0) ::close(fd_);
    }
    SilentPort(const SilentPort&) = delete;
    SilentPort& operator=(const SilentPort&) = delete;
    DWORD port() const { return port_; }

private:
    int fd_ = -1;
    DWORD port_ = 0;
};

enum class Polling { None, PrinterOn, PrinterOff };

void BM_PollingMinute(benchmark::State& state, Polling polling) {
    Port holder;
    langmon::PortContext* port = holder.get();
    if (port == nullptr) {
        state.SkipWithError("the port context could not be made");
        return;
    }
    SilentPort silent;
    if (polling == Polling::PrinterOff) port->SnmpPort = silent.port();
    port->Waits = langmon::LoadWaits(nullptr);  // the default intervals
    port->Settings->oidIntervalMs = kDefaultOidIntervalMs;
    for (auto _ : state) {
        const double cpu = CpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        const DWORD passes = port->StatusPasses;
        if (polling != Polling::None) langmon::RequestPolling(*port);
        Sleep(60000);
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double used = CpuSeconds() - cpu;
        state.counters["cpu_ms_per_min"] = used * 1000 * 60 / wall;
        state.counters["passes"] = static_cast<double>(port->StatusPasses - passes);
        langmon::StopStatusThread(*port);
    }
}

// The agent's own thread wakes every 20 ms: "no_polling" is the baseline to subtract.
BENCHMARK_CAPTURE(BM_PollingMinute, no_polling, Polling::None)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_PollingMinute, idle, Polling::PrinterOn)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_PollingMinute, printer_off, Polling::PrinterOff)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

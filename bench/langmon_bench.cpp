// Benchmarks of the port language monitor over the platform stand-in, with the file port
// monitor below it writing real files under a temporary root:
//   WritePort/<path>/<bytes>  one WritePort's worth of job data through each write path:
//                        whole (the loaded monitor's WritePort on a local port, one call to
//                        the port per write), kept tail, chunks of 4,096 and the 80-byte
//                        hold-back window (the paths of followed ports, called directly). Each
//                        iteration also hands the same bytes to the file port's own WritePort
//                        (the two take turns going first); reported: MB/s through the path,
//                        MB/s of the direct write in the same run and their ratio (path /
//                        direct; 1.0 means no cost of its own). Two paths must hand the port
//                        other calls than one per buffer, so beside that yardstick they are
//                        also set against a direct write of the same bytes in the same calls:
//                        the chunked path in 4,096-byte calls (direct4096_MB/s, ratio_4096),
//                        the hold-back path as the previous buffer's last 80 bytes and then
//                        this buffer up to its last 80 (directpair_MB/s, ratio_pair). The
//                        document is ended and a new one begun every 32 MB, off the clock.
//   Overhead/<path>/<bytes>  the same paths over a port monitor that takes every byte and
//                        keeps none: the time left is the monitor's own, reported per
//                        WritePort call (ns/call) and per port-monitor call (ns/port_call).
//                        Each also reports peak_MB: the process's peak resident memory so far
//                        (getrusage), which stays flat over the run when nothing piles up.
//   TraceLines           trace-log lines of a WritePort line with every flag on (MODE=1,
//                        MAGIC=65535): lines per second, the file rotating at its 10 MB limit.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "langmon/job/JobEntries.h"
#include "langmon/job/JobQueue.h"
#include "langmon/job/WritePaths.h"
#include "langmon/MonitorProcess.h"
#include "langmon/PortList.h"
#include "langmon/PortHolds.h"
#include "langmon/log/TraceLog.h"
#include "platform/Files.h"
#include "platform/Kernel.h"
#include "platform/StandIn.h"
#include "platform/StandInMonitor.h"
#include "tools/sample/PortSetup.h"
#include "tools/sample/RunRoot.h"
#include "tools/sample/Utf16.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr char16_t kPrinter[] = u"KV Printer";
constexpr size_t kDocumentBytes = 32u << 20;

/// One stand-in root for the whole run, the monitor's process state started.
class Environment {
public:
    Environment() {
        kvtest::UseRunRoot(folder_);
        standin::PrinterSetup printer;
        printer.name = kPrinter;
        standin::AddPrinter(printer);
        standin::monitor::SetPorts({{u"LPT1:", u"Local Port", u"", PORT_TYPE_WRITE}});
        kvtest::StartMonitor(monitor_);
        monitor_.WinMajor = 6;
    }
    const std::string& Root() const { return folder_.Path(); }
    const langmon::MonitorHandle& Monitor() const { return monitor_; }

private:
    kvtest::TempFolder folder_;
    langmon::MonitorHandle monitor_{};
};
Environment& Env() {
    static Environment env;
    return env;
}

// Ended documents are removed so that a long run does not fill the disk.
void RemoveDocuments(const std::u16string& port) {
    std::string folder = kvtest::U8(port);  // the file port's folder: ':' becomes '_'
    for (char& c : folder) c = c == ':' ? '_' : c;
    std::error_code error;
    for (const auto& file : fs::directory_iterator(fs::path(Env().Root()) / ".ports" / folder, error)) {
        if (file.path().extension() == ".prn") fs::remove(file.path(), error);
    }
}

DOC_INFO_1W* DocInfo() {
    static char16_t name[] = u"bench";
    static DOC_INFO_1W info{name, nullptr, nullptr};
    return &info;
}

/// How a direct write hands the bytes to the port.
enum class Shape {
    Whole,           // one call per buffer (as often as the port needs)
    Pieces4096,      // at most 4,096 bytes per call
    TrailingWindow,  // the calls the hold-back path makes: the previous buffer's last 80
                     // bytes, then this buffer up to its own last 80
};

/// The file port monitor's port written directly: the yardstick of every path.
class DirectPort {
public:
    explicit DirectPort(const std::u16string& name, Shape shape = Shape::Whole) : name_(name), shape_(shape) {
        table_ = standin::monitor::FilePortMonitorTable();
        table_->pfnOpenPort(standin::monitor::FilePortMonitor(), name_.data(), &port_);
        Start();
    }
    ~DirectPort() {
        table_->pfnEndDocPort(port_);
        table_->pfnClosePort(port_);
        RemoveDocuments(name_);
    }
    DirectPort(const DirectPort&) = delete;
    DirectPort& operator=(const DirectPort&) = delete;
    bool Write(const BYTE* data, DWORD cb) {
        if (shape_ != Shape::TrailingWindow) return Send(data, cb);
        const DWORD window = langmon::kHoldBackBytes;
        if (cb < window) return false;  // the sizes measured are all larger
        if (haveWindow_ && !Send(window_, window)) return false;
        std::memcpy(window_, data + cb - window, window);
        haveWindow_ = true;
        return Send(data, cb - window);
    }
    void Restart() {
        table_->pfnEndDocPort(port_);
        RemoveDocuments(name_);
        Start();
    }

private:
    bool Send(const BYTE* data, DWORD cb) {
        for (DWORD at = 0; at < cb;) {
            DWORD written = 0;
            const DWORD left = cb - at;
            const DWORD ask = shape_ == Shape::Pieces4096 && left > langmon::kChunkBytes ? langmon::kChunkBytes : left;
            if (!table_->pfnWritePort(port_, const_cast<BYTE*>(data + at), ask, &written)) return false;
            at += written;
        }
        return true;
    }
    void Start() {
        std::u16string printer = kPrinter;
        table_->pfnStartDocPort(port_, printer.data(), ++job_, 1, reinterpret_cast<LPBYTE>(DocInfo()));
        haveWindow_ = false;
    }
    std::u16string name_;
    Shape shape_;
    MONITOR2* table_ = nullptr;
    HANDLE port_ = nullptr;
    DWORD job_ = 0;
    BYTE window_[langmon::kHoldBackBytes] = {};
    bool haveWindow_ = false;
};

enum class Path { Whole, KeptTail, Chunked, HoldBack };

// A port monitor that takes every byte and keeps none, and counts the writes it was handed.
namespace null_port {
int g_port;
unsigned long g_writes;
BOOL OpenPort(HANDLE, LPWSTR, HANDLE* port) {
    *port = &g_port;
    return TRUE;
}
BOOL StartDocPort(HANDLE, LPWSTR, DWORD, DWORD, LPBYTE) { return TRUE; }
BOOL WritePort(HANDLE, LPBYTE, DWORD cb, LPDWORD written) {
    ++g_writes;
    *written = cb;
    return TRUE;
}
BOOL ReadPort(HANDLE, LPBYTE, DWORD, LPDWORD read) {
    *read = 0;
    return TRUE;
}
BOOL EndDocPort(HANDLE) { return TRUE; }
BOOL ClosePort(HANDLE) { return TRUE; }
MONITOR2 g_table = {
    .cbSize = sizeof(MONITOR2),
    .pfnEnumPorts = nullptr,
    .pfnOpenPort = OpenPort,
    .pfnOpenPortEx = nullptr,
    .pfnStartDocPort = StartDocPort,
    .pfnWritePort = WritePort,
    .pfnReadPort = ReadPort,
    .pfnEndDocPort = EndDocPort,
    .pfnClosePort = ClosePort,
    .pfnAddPort = nullptr,
    .pfnAddPortEx = nullptr,
    .pfnConfigurePort = nullptr,
    .pfnDeletePort = nullptr,
    .pfnGetPrinterDataFromPort = nullptr,  // no control requests: the port answers none
    .pfnSetPortTimeOuts = nullptr,
    .pfnXcvOpenPort = nullptr,
    .pfnXcvDataPort = nullptr,
    .pfnXcvClosePort = nullptr,
    .pfnShutdown = nullptr,
};
}  // namespace null_port

/// A write path with the file port below it.
class PathPort {
public:
    /// Over the file port monitor, or over `below` (with its monitor handle) when given.
    PathPort(Path path, const std::u16string& name, MONITOR2* below = nullptr, HANDLE belowMonitor = nullptr)
        : path_(path), name_(name) {
        if (below == nullptr) {
            below = standin::monitor::FilePortMonitorTable();
            belowMonitor = standin::monitor::FilePortMonitor();
        }
        if (path_ == Path::Whole) {
            host_.Load(u"" KV_LANGMON_MODULE, u"KV Language Monitor");
            table_ = host_.Table();
            std::u16string printer = kPrinter;
            table_->pfnOpenPortEx(host_.Monitor(), belowMonitor, name_.data(), printer.data(), &handle_, below);
        } else {
            langmon::MonitorProcess& process = langmon::Process();
            EnterCriticalSection(&process.Lock);
            port_ = langmon::CreatePortContext(name_.c_str(), kPrinter, Env().Monitor());
            LeaveCriticalSection(&process.Lock);
            std::memcpy(&port_->PortMonitor, below, sizeof(MONITOR2));
            port_->PortMonitor.pfnOpenPort(belowMonitor, name_.data(), &port_->PortMonitorPort);
            port_->PortKind = langmon::port_kind::DpuTcpPort;
        }
        Start();
    }
    ~PathPort() {
        End();
        if (path_ == Path::Whole) {
            table_->pfnClosePort(handle_);
            host_.Unload();
        } else {
            port_->PortMonitor.pfnClosePort(port_->PortMonitorPort);
            langmon::MonitorProcess& process = langmon::Process();
            EnterCriticalSection(&process.Lock);
            langmon::DeletePortContext(port_);
            LeaveCriticalSection(&process.Lock);
        }
        RemoveDocuments(name_);
    }
    PathPort(const PathPort&) = delete;
    PathPort& operator=(const PathPort&) = delete;
    bool ready() const { return path_ == Path::Whole ? handle_ != nullptr : port_ != nullptr; }

    bool Write(const BYTE* data, DWORD cb) {
        for (DWORD at = 0; at < cb;) {
            DWORD written = 0;
            if (!WriteOnce(data + at, cb - at, &written) || written > cb - at) return false;
            at += written;
        }
        return true;
    }
    void Restart() {
        End();
        RemoveDocuments(name_);
        Start();
    }

private:
    BOOL WriteOnce(const BYTE* data, DWORD cb, DWORD* written) {
        if (path_ == Path::Whole) return table_->pfnWritePort(handle_, const_cast<BYTE*>(data), cb, written);
        langmon::PortHold hold(*port_);
        if (!hold.Take()) return FALSE;
        switch (path_) {
            case Path::KeptTail:
                return langmon::WriteKeepTail(*port_, hold, data, cb, written);
            case Path::Chunked:
                return langmon::WriteChunked(*port_, hold, data, cb, written);
            case Path::HoldBack:
                return langmon::WriteHoldBack(*port_, hold, data, cb, written);
            case Path::Whole:
                break;
        }
        return FALSE;
    }
    void Start() {
        std::u16string printer = kPrinter;
        ++job_;
        if (path_ == Path::Whole) {
            table_->pfnStartDocPort(handle_, printer.data(), job_, 1, reinterpret_cast<LPBYTE>(DocInfo()));
            return;
        }
        port_->PortMonitor.pfnStartDocPort(port_->PortMonitorPort, printer.data(), job_, 1,
                                           reinterpret_cast<LPBYTE>(DocInfo()));
        port_->State |= langmon::port_state::InJob;
    }
    void End() {
        if (path_ == Path::Whole) {
            table_->pfnEndDocPort(handle_);
            return;
        }
        langmon::PortHold hold(*port_);
        // The bench's port does not fail; a refused flush only leaves the held data unsent.
        if (hold.Take() && port_->HoldBackHasData != 0) (void)langmon::FlushHoldBack(*port_, hold);
        hold.Release();
        port_->PortMonitor.pfnEndDocPort(port_->PortMonitorPort);
        port_->State &= ~langmon::port_state::InJob;
    }

    Path path_;
    std::u16string name_;
    standin::monitor::LanguageMonitorHost host_;
    MONITOR2* table_ = nullptr;
    HANDLE handle_ = nullptr;
    langmon::PortContext* port_ = nullptr;
    DWORD job_ = 0;
};

// Seconds that one write of the buffer takes.
template <typename Port>
double Timed(Port& port, const std::vector<BYTE>& data, bool* ok) {
    const auto t0 = Clock::now();
    *ok = port.Write(data.data(), static_cast<DWORD>(data.size())) && *ok;
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

// The process's peak resident memory so far, in MB.
double PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024;  // kB
}

void BM_WritePort(benchmark::State& state, Path path, const char16_t* name) {
    Env();
    const DWORD cb = static_cast<DWORD>(state.range(0));
    std::vector<BYTE> data(cb);
    for (DWORD i = 0; i < cb; ++i) data[i] = static_cast<BYTE>(i * 131 + (i >> 9));
    PathPort port(path, name);
    DirectPort direct(u"DIRECT");
    // The second yardstick: the same port calls that the path has to make.
    const bool chunked = path == Path::Chunked;
    const bool holdBack = path == Path::HoldBack;
    DirectPort sameCalls(u"DIRECT2", chunked ? Shape::Pieces4096 : Shape::TrailingWindow);
    const bool withSameCalls = chunked || holdBack;
    if (!port.ready()) {
        state.SkipWithError("the port did not open");
        return;
    }
    double pathSeconds = 0;
    double directSeconds = 0;
    double sameCallsSeconds = 0;
    size_t sinceRestart = 0;
    bool pathFirst = true;
    for (auto _ : state) {
        bool ok = true;
        double seconds = 0;
        // Turns taken so that neither side always meets the other's dirty pages.
        if (pathFirst) seconds = Timed(port, data, &ok);
        directSeconds += Timed(direct, data, &ok);
        if (withSameCalls) sameCallsSeconds += Timed(sameCalls, data, &ok);
        if (!pathFirst) seconds = Timed(port, data, &ok);
        pathFirst = !pathFirst;
        if (!ok) {
            state.SkipWithError("a write failed");
            break;
        }
        pathSeconds += seconds;
        state.SetIterationTime(seconds);
        sinceRestart += cb;
        if (sinceRestart >= kDocumentBytes) {
            port.Restart();
            direct.Restart();
            sameCalls.Restart();
            sinceRestart = 0;
        }
    }
    const double bytes = static_cast<double>(state.iterations()) * cb;
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
    if (pathSeconds > 0 && directSeconds > 0) {
        state.counters["path_MB/s"] = bytes / pathSeconds / 1e6;
        state.counters["direct_MB/s"] = bytes / directSeconds / 1e6;
        state.counters["ratio"] = directSeconds / pathSeconds;
    }
    if (withSameCalls && pathSeconds > 0 && sameCallsSeconds > 0) {
        const std::string calls = chunked ? "4096" : "pair";
        state.counters["direct" + calls + "_MB/s"] = bytes / sameCallsSeconds / 1e6;
        state.counters["ratio_" + calls] = sameCallsSeconds / pathSeconds;
    }
    state.counters["peak_MB"] = PeakMegabytes();
}

void WriteSizes(benchmark::internal::Benchmark* b) {
    for (int64_t kb : {4, 64, 256, 1024}) b->Arg(kb * 1024);
    b->UseManualTime()->Unit(benchmark::kMicrosecond);
}

BENCHMARK_CAPTURE(BM_WritePort, whole, Path::Whole, u"LPT1:")->Apply(WriteSizes);
BENCHMARK_CAPTURE(BM_WritePort, kept_tail, Path::KeptTail, u"TAIL1")->Apply(WriteSizes);
BENCHMARK_CAPTURE(BM_WritePort, chunked_4096, Path::Chunked, u"CHUNK1")->Apply(WriteSizes);
BENCHMARK_CAPTURE(BM_WritePort, hold_back, Path::HoldBack, u"HOLD1")->Apply(WriteSizes);

void BM_Overhead(benchmark::State& state, Path path, const char16_t* name) {
    Env();
    const DWORD cb = static_cast<DWORD>(state.range(0));
    std::vector<BYTE> data(cb);
    for (DWORD i = 0; i < cb; ++i) data[i] = static_cast<BYTE>(i * 131 + (i >> 9));
    static int nullMonitor;
    PathPort port(path, name, &null_port::g_table, &nullMonitor);
    if (!port.ready()) {
        state.SkipWithError("the port did not open");
        return;
    }
    const unsigned long writesBefore = null_port::g_writes;
    const auto t0 = Clock::now();
    for (auto _ : state) {
        if (!port.Write(data.data(), cb)) {
            state.SkipWithError("a write failed");
            break;
        }
    }
    const double ns = std::chrono::duration<double, std::nano>(Clock::now() - t0).count();
    const double portCalls = static_cast<double>(null_port::g_writes - writesBefore);
    if (state.iterations() > 0) state.counters["ns/call"] = ns / static_cast<double>(state.iterations());
    if (portCalls > 0) state.counters["ns/port_call"] = ns / portCalls;
    state.counters["peak_MB"] = PeakMegabytes();
}

void OverheadSizes(benchmark::internal::Benchmark* b) {
    for (int64_t kb : {4, 64, 1024}) b->Arg(kb * 1024);
    b->Unit(benchmark::kNanosecond);
}

BENCHMARK_CAPTURE(BM_Overhead, whole, Path::Whole, u"LPT2:")->Apply(OverheadSizes);
BENCHMARK_CAPTURE(BM_Overhead, kept_tail, Path::KeptTail, u"TAIL2")->Apply(OverheadSizes);
BENCHMARK_CAPTURE(BM_Overhead, chunked_4096, Path::Chunked, u"CHUNK2")->Apply(OverheadSizes);
BENCHMARK_CAPTURE(BM_Overhead, hold_back, Path::HoldBack, u"HOLD2")->Apply(OverheadSizes);

void BM_TraceLines(benchmark::State& state) {
    Env();
    const std::u16string ini = u"C:\\Windows\\ZEVLMLOG.INI";
    const std::string keys = "[ZEVKV-TD520]\r\nMODE=1\r\nMAGIC=65535\r\n";
    const fs::path iniFile = standin::MapPath(ini);
    fs::create_directories(iniFile.parent_path());
    FILE* f = std::fopen(iniFile.c_str(), "wb");
    if (f == nullptr) {
        state.SkipWithError("cannot write the trace settings");
        return;
    }
    std::fwrite(keys.data(), 1, keys.size(), f);
    std::fclose(f);
    TraceSettings* log = NewTraceSettings(langmon::Process().Heap);
    if (log == nullptr || !log->on || log->flags != 0x7FFFF) {
        state.SkipWithError("the trace did not come on with every flag");
        if (log != nullptr) FreeTraceSettings(langmon::Process().Heap, log);
        return;
    }
    unsigned long n = 0;
    for (auto _ : state) {
        TraceF(*log, kPrinter, kTraceWritePort, "KJLMON:PJLMonWritePort -START- cbBuf = %lu (%lu)", 65536ul, ++n);
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["lines/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    FreeTraceSettings(langmon::Process().Heap, log);
    std::error_code error;
    fs::remove(iniFile, error);
    fs::remove_all(standin::MapPath(u"C:\\ZEVKV-TD520LOG"), error);
}
BENCHMARK(BM_TraceLines)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

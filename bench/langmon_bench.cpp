// Benchmarks of the port language monitor over the platform stand-in, with the file port
// monitor below it writing real files under a temporary root:
//   WritePort/<path>/<bytes>  one WritePort's worth of job data through each write path:
//                        whole (the loaded monitor's WritePort on a local port, one call to
//                        the port per write), kept tail, chunks of 4,096 and the 80-byte
//                        hold-back window (the paths of followed ports, called directly). Each
//                        iteration also hands the same bytes to the file port's own WritePort;
//                        reported: MB/s through the path, MB/s of the direct write in the same
//                        run and their ratio (path / direct; 1.0 means no cost of its own).
//                        The document is ended and a new one begun every 32 MB, off the clock.
//   TraceLines           trace-log lines of a WritePort line with every flag on (MODE=1,
//                        MAGIC=65535): lines per second, the file rotating at its 10 MB limit.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "langmon/JobFlow.h"
#include "langmon/JobQueue.h"
#include "langmon/WritePaths.h"
#include "langmon/Monitor.h"
#include "langmon/TraceLog.h"
#include "platform/Files.h"
#include "platform/Kernel.h"
#include "platform/StandIn.h"
#include "platform/StandInMonitor.h"
#include "tests/support/TestRoot.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr char16_t kPrinter[] = u"KV Printer";
constexpr size_t kDocumentBytes = 32u << 20;

/// One stand-in root for the whole run, the monitor's process state started.
class Environment {
public:
    Environment() {
        standin::SetRoot(folder_.Path());
        fs::create_directories(fs::path(folder_.Path()) / "C" / "Windows" / "system32");
        standin::AddModuleFolder(KV_OUT_DIR);
        standin::PrinterSetup printer;
        printer.name = kPrinter;
        standin::AddPrinter(printer);
        standin::monitor::SetPorts({{u"LPT1:", u"Local Port", u"", PORT_TYPE_WRITE}});
        langmon::StartMonitorProcess(nullptr);
        monitor_.Signature = langmon::kMonitorSignature;
        monitor_.Waits = langmon::LoadWaits(nullptr);
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

/// The file port monitor's port written directly: the yardstick of every path.
class DirectPort {
public:
    explicit DirectPort(const std::u16string& name) : name_(name) {
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
        for (DWORD at = 0; at < cb;) {
            DWORD written = 0;
            if (!table_->pfnWritePort(port_, const_cast<BYTE*>(data + at), cb - at, &written)) return false;
            at += written;
        }
        return true;
    }
    void Restart() {
        table_->pfnEndDocPort(port_);
        RemoveDocuments(name_);
        Start();
    }

private:
    void Start() {
        std::u16string printer = kPrinter;
        table_->pfnStartDocPort(port_, printer.data(), ++job_, 1, reinterpret_cast<LPBYTE>(DocInfo()));
    }
    std::u16string name_;
    MONITOR2* table_ = nullptr;
    HANDLE port_ = nullptr;
    DWORD job_ = 0;
};

enum class Path { Whole, KeptTail, Chunked, HoldBack };

/// A write path with the file port below it.
class PathPort {
public:
    PathPort(Path path, const std::u16string& name) : path_(path), name_(name) {
        if (path_ == Path::Whole) {
            host_.Load(u"" KV_LANGMON_MODULE, u"KV Language Monitor");
            table_ = host_.Table();
            std::u16string printer = kPrinter;
            table_->pfnOpenPortEx(host_.Monitor(), standin::monitor::FilePortMonitor(), name_.data(), printer.data(),
                                  &handle_, standin::monitor::FilePortMonitorTable());
        } else {
            langmon::MonitorProcess& process = langmon::Process();
            EnterCriticalSection(&process.Lock);
            port_ = langmon::CreatePortContext(name_.c_str(), kPrinter, Env().Monitor());
            LeaveCriticalSection(&process.Lock);
            std::memcpy(&port_->PortMonitor, standin::monitor::FilePortMonitorTable(), sizeof(MONITOR2));
            port_->PortMonitor.pfnOpenPort(standin::monitor::FilePortMonitor(), name_.data(), &port_->PortMonitorPort);
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
        if (hold.Take() && port_->HoldBackHasData != 0) langmon::FlushHoldBack(*port_, hold);
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

void BM_WritePort(benchmark::State& state, Path path, const char16_t* name) {
    Env();
    const DWORD cb = static_cast<DWORD>(state.range(0));
    std::vector<BYTE> data(cb);
    for (DWORD i = 0; i < cb; ++i) data[i] = static_cast<BYTE>(i * 131 + (i >> 9));
    PathPort port(path, name);
    DirectPort direct(u"DIRECT");
    if (!port.ready()) {
        state.SkipWithError("the port did not open");
        return;
    }
    double pathSeconds = 0;
    double directSeconds = 0;
    size_t sinceRestart = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        const bool ok = port.Write(data.data(), cb);
        const auto t1 = Clock::now();
        const bool okDirect = direct.Write(data.data(), cb);
        const auto t2 = Clock::now();
        if (!ok || !okDirect) {
            state.SkipWithError("a write failed");
            break;
        }
        const double seconds = std::chrono::duration<double>(t1 - t0).count();
        pathSeconds += seconds;
        directSeconds += std::chrono::duration<double>(t2 - t1).count();
        state.SetIterationTime(seconds);
        sinceRestart += cb;
        if (sinceRestart >= kDocumentBytes) {
            port.Restart();
            direct.Restart();
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
}

void WriteSizes(benchmark::internal::Benchmark* b) {
    for (int64_t kb : {64, 256, 1024}) b->Arg(kb * 1024);
    b->UseManualTime()->Unit(benchmark::kMicrosecond);
}

BENCHMARK_CAPTURE(BM_WritePort, whole, Path::Whole, u"LPT1:")->Apply(WriteSizes);
BENCHMARK_CAPTURE(BM_WritePort, kept_tail, Path::KeptTail, u"TAIL1")->Apply(WriteSizes);
BENCHMARK_CAPTURE(BM_WritePort, chunked_4096, Path::Chunked, u"CHUNK1")->Apply(WriteSizes);
BENCHMARK_CAPTURE(BM_WritePort, hold_back, Path::HoldBack, u"HOLD1")->Apply(WriteSizes);

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

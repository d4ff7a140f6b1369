// The status window library loaded by name in the status-monitor host, with 100 window sets
// open on the host's one thread, each bound to its own printer at the manager stand-in:
//   StatusUpdate      one printer's PrinterStatus changes at the manager (ready <-> paper
//                     out, printers in turn) until that window's status row shows the new
//                     text. Counters: messages the host handled per update and per second of its loop,
//                     the part of an update spent in the host's loop (the window's own work:
//                     the rest is the manager stand-in storing the value and posting),
//                     registry opens per update, and messages handled while nothing changed
//                     (after the run).
//   CreateDestroy     one more window set created for a printer and destroyed again.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/Registry.h"
#include "platform/StandIn.h"
#include "platform/StatusManager.h"
#include "platform/User.h"
#include "resources/psw/PswIds.h"
#include "tools/hosts/pswhost/PswHost.h"
#include "tools/sample/RunRoot.h"

namespace {

constexpr int kWindows = 100;
constexpr DWORD kLowOnline = 0x1;
constexpr DWORD kLowPaperOut = 0x800000;
constexpr char16_t kDriver[] = u"KV-TD520";
constexpr char16_t kDriverKey[] = u"Software\\ZEV\\Stanvel\\Printers\\KV-TD520";

template <typename F>
F Export(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

void WriteValue(HKEY root, const std::u16string& key, LPCWSTR name, DWORD type, const void* data, DWORD cb) {
    HKEY k = nullptr;
    if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr) != 0) return;
    RegSetValueExW(k, name, 0, type, static_cast<const BYTE*>(data), cb);
    RegCloseKey(k);
}

std::string PrinterName(int i) { return "KV Status " + std::to_string(100 + i).substr(1); }
std::u16string Wide(const std::string& s) { return std::u16string(s.begin(), s.end()); }

std::u16string StatusText(HWND main) {
    WCHAR text[256] = {};
    GetDlgItemTextW(GetWindow(main, GW_CHILD), kBaseStatusLabel, text, 256);
    return text;
}

// The run's root, printers, language library, manager connections (as the monitor's) and
// the host with its window sets; made once for the whole program.
class Bench {
public:
    Bench() {
        kvtest::UseRunRoot(folder_);
        const std::u16string lang = u"C:\\lang\\";
        WriteValue(HKEY_LOCAL_MACHINE, kDriverKey, u"DIRPATH", REG_SZ, lang.c_str(),
                   static_cast<DWORD>((lang.size() + 1) * sizeof(WCHAR)));
        const DWORD english = 1033;
        WriteValue(HKEY_LOCAL_MACHINE, u"Software\\ZEV\\Stanvel", u"LangID", REG_DWORD, &english, sizeof english);
        const std::filesystem::path target = standin::MapPath(u"C:\\lang\\QW774409.DLL");
        std::filesystem::create_directories(target.parent_path());
        std::filesystem::copy_file(std::filesystem::path(KV_OUT_DIR) / "QW774409.so", target,
                                   std::filesystem::copy_options::overwrite_existing);
        manager_ = LoadLibraryW(kSrmLibraryName);
        const auto open = Export<PFN_OpenManagerExW>(manager_, "OpenManagerExW");
        update_ = Export<PFN_UpdatePrinterStatusA>(manager_, "UpdatePrinterStatusA");
        close_ = Export<PFN_CloseManager>(manager_, "CloseManager");
        if (open == nullptr || update_ == nullptr || close_ == nullptr || !host_.Load()) return;
        for (int i = 0; i < kWindows + 1; ++i) {
            standin::PrinterSetup printer;
            printer.name = Wide(PrinterName(i));
            printer.port = u"IP_127.0.0." + Wide(std::to_string(i + 1));
            printer.driverName = kDriver;
            standin::AddPrinter(printer);
            DWORD connection = 0;
            if (open(printer.name.c_str(), u"\\\\.\\kjlmon", kSrmModeMonitor, &connection) != SRMRES_SUCCESS) return;
            monitors_.push_back(connection);
            const DWORD supported = 7;
            update_(connection, "PrinterExtStatus", &supported, sizeof supported);
            Publish(i, kLowOnline);
        }
        for (int i = 0; i < kWindows; ++i) {
            pswhost::WindowSet set;
            if (host_.Create(PrinterName(i), &set) != 0) return;
            windows_.push_back(set.main);
        }
        host_.Pump();
        ready_ = true;
    }
    ~Bench() {
        host_.Unload();
        for (DWORD connection : monitors_) close_(connection);
        if (manager_ != nullptr) FreeLibrary(manager_);
    }

    bool Ready() const { return ready_; }
    void Publish(int printer, DWORD low) {
        const DWORD words[3] = {0, 0, low};
        update_(monitors_[printer], "PrinterStatus", words, sizeof words);
    }
    pswhost::PswHost& Host() { return host_; }
    HWND Window(int i) const { return windows_[i]; }
    /// The printer of no window, for creating and destroying one.
    std::string SparePrinter() const { return PrinterName(kWindows); }

private:
    kvtest::TempFolder folder_;
    HMODULE manager_ = nullptr;
    PFN_UpdatePrinterStatusA update_ = nullptr;
    PFN_CloseManager close_ = nullptr;
    std::vector<DWORD> monitors_;
    pswhost::PswHost host_;
    std::vector<HWND> windows_;
    bool ready_ = false;
};

Bench& TheBench() {
    static Bench bench;
    return bench;
}

void StatusUpdate(benchmark::State& state) {
    Bench& b = TheBench();
    if (!b.Ready()) {
        state.SkipWithError("the host, the library or the manager did not start");
        return;
    }
    const std::u16string ready = StatusText(b.Window(0));
    b.Publish(0, kLowOnline | kLowPaperOut);
    b.Host().Pump();
    const std::u16string paperOut = StatusText(b.Window(0));
    b.Publish(0, kLowOnline);
    b.Host().Pump();
    if (ready.empty() || paperOut == ready) {
        state.SkipWithError("the status text does not follow the printer");
        return;
    }
    size_t handled = 0;
    int64_t turn = 0;
    std::chrono::steady_clock::duration inLoop{};
    standin::ClearFaults();
    for (auto _ : state) {
        const int printer = static_cast<int>(turn % kWindows);
        const bool out = (turn / kWindows) % 2 == 0;
        ++turn;
        b.Publish(printer, out ? kLowOnline | kLowPaperOut : kLowOnline);
        const std::u16string& expected = out ? paperOut : ready;
        const auto start = std::chrono::steady_clock::now();
        while (StatusText(b.Window(printer)) != expected) handled += b.Host().Pump();
        inLoop += std::chrono::steady_clock::now() - start;
    }
    const double updates = static_cast<double>(state.iterations());
    state.counters["registry opens/update"] = standin::CallCount(standin::Fault::RegistryOpen) / updates;
    state.counters["host loop us/update"] =
        std::chrono::duration<double, std::micro>(inLoop).count() / updates;
    // Every printer back to ready for the next run.
    for (int i = 0; i < kWindows; ++i) b.Publish(i, kLowOnline);
    handled += b.Host().Pump();
    state.counters["messages/update"] = static_cast<double>(handled) / updates;
    const double loopSeconds = std::chrono::duration<double>(inLoop).count();
    state.counters["host loop messages/s"] = loopSeconds > 0 ? static_cast<double>(handled) / loopSeconds : 0;
    // Nothing changes: nothing to handle.
    size_t idle = 0;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(50);
    while (std::chrono::steady_clock::now() < until) idle += b.Host().Pump();
    state.counters["idle messages"] = static_cast<double>(idle);
}

void CreateDestroy(benchmark::State& state) {
    Bench& b = TheBench();
    if (!b.Ready()) {
        state.SkipWithError("the host, the library or the manager did not start");
        return;
    }
    const std::string printer = b.SparePrinter();
    for (auto _ : state) {
        pswhost::WindowSet set;
        if (b.Host().Create(printer, &set) != 0) {
            state.SkipWithError("creation failed");
            return;
        }
        b.Host().Destroy(set.main);
        b.Host().Pump();
    }
}

}  // namespace

BENCHMARK(StatusUpdate)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(CreateDestroy)->Unit(benchmark::kMicrosecond)->UseRealTime();

BENCHMARK_MAIN();

// system_demo: the whole system in one run. The sample KV-TD520 sits on a standard TCP/IP port
// served by the language monitor, loaded by name as the spooler loads it; the printer's SNMP
// agent (the sample agent, on loopback) answers the monitor's status polls, and the monitor
// publishes what it finds to the status manager stand-in. The status window library, loaded by
// name in the status-monitor host, shows the printer. A three-page document is drawn through
// the rendering library and the GDI host into the spooler stand-in; the job then goes through
// the monitor to the port. Halfway through the job the printer runs out of paper, the status
// window pops up, paper is loaded, the rest goes out and the printer is ready again. Each step
// waits until the status window shows it, and is pictured. Last, a second printer on a
// USB-named port, whose state the manager supplies, has its extended window opened and each
// of its sheets pictured.
//
//   system_demo <output-folder>    (must not exist or be empty; the job as the port received it
//                                   is <folder>/job.prn, the pictures <folder>/status-*.png and
//                                   <folder>/extended-*.png beside it)
//
// Exit status 0 on success, 1 with a message on stderr when a step fails or does not take
// effect in time.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <system_error>
#include <vector>

#include "langmon/PortContext.h"
#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/Monitor.h"
#include "platform/Registry.h"
#include "platform/StandIn.h"
#include "platform/StandInDraw.h"
#include "platform/StandInMonitor.h"
#include "platform/StatusManager.h"
#include "platform/User.h"
#include "resources/psw/PswIds.h"
#include "tools/sample/PrinterOids.h"
#include "tools/hosts/CaptionedPicture.h"
#include "tools/hosts/DemoFolder.h"
#include "tools/hosts/DemoPrint.h"
#include "tools/hosts/SampleDocument.h"
#include "tools/hosts/gdihost/GdiHost.h"
#include "tools/hosts/pswhost/PswHost.h"
#include "tools/sample/MonitorPass.h"
#include "tools/sample/PortSetup.h"
#include "tools/sample/SamplePrinter.h"
#include "tools/sample/SampleSettings.h"
#include "tools/sample/SnmpAgent.h"
#include "tools/sample/Utf16.h"
#include "tools/standins/srm/SrmControls.h"

namespace fs = std::filesystem;

namespace {

constexpr char kPrinter[] = "KV-TD520";
constexpr char16_t kPrinterW[] = u"KV-TD520";
constexpr char16_t kTcpPort[] = u"IP_127.0.0.1";
constexpr char kUsbPrinter[] = "KV-TD520 USB";
constexpr char16_t kUsbPrinterW[] = u"KV-TD520 USB";
constexpr char16_t kUsbPort[] = u"USB001";
constexpr char16_t kDriver[] = u"ZEV KV-TD520 (VX)";  // the model the monitor knows
constexpr char16_t kDocument[] = u"KV-TD520 system demo";
constexpr DWORD kJobId = 7;
constexpr int kPages = 3;
constexpr DWORD kEnglish = 1033;

constexpr char16_t kTcpPorts[] = u"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports\\";
constexpr char16_t kStanvel[] = u"Software\\ZEV\\Stanvel";
constexpr char16_t kLanguageFolder[] = u"C:\\lang\\";

// A state should show within this; the wait ends as soon as it does.
constexpr DWORD kStepWaitMs = 10000;


// The popup condition "show only on an error".
constexpr DWORD kPopUpOnErrors = 0x4;
// The monitor's connection bits for a printer it can follow (as the manager reports them).
constexpr DWORD kConnectionFollowed = 7;
// hrPrinterStatus and hrDeviceStatus values the agent reports.
constexpr int64_t kPrinterOther = 1;
constexpr int64_t kPrinterIdle = 3;
constexpr int64_t kPrinterPrinting = 4;
constexpr int64_t kDeviceRunning = 2;
constexpr int64_t kDeviceDown = 5;
// The printer's job table: a job's state and state reasons, and where the printer lists it.
constexpr int32_t kJobProcessing = 7;
constexpr int32_t kJobCompleted = 17;
constexpr int32_t kReasonSuccessful = 0x10;
constexpr char kPrinterJobIndex[] = "1.7";

// The extended window's left buttons, and a control of the sheet each one opens.
struct SheetButton {
    int button;
    int control;
    const char* name;
};
constexpr SheetButton kSheets[] = {
    {kEwsGeneralButton, kGeneralTitle, "1"},     {kEwsTraysButton, kTraysTitle, "2"},
    {kEwsBinsButton, kBinsTitle, "3"},           {kEwsCoversButton, kCoversTitle, "4"},
    {kEwsConsumablesButton, kConsumablesTitle, "5"},
};

int Fail(const std::string& message) {
    std::fprintf(stderr, "system_demo: %s\n", message.c_str());
    return 1;
}

template <typename F>
F Export(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

bool WriteValue(HKEY root, const std::u16string& key, const std::u16string& name, DWORD type, const void* data,
                DWORD cb) {
    HKEY k = nullptr;
    if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr) != 0) return false;
    const bool ok = RegSetValueExW(k, name.c_str(), 0, type, static_cast<const BYTE*>(data), cb) == 0;
    RegCloseKey(k);
    return ok;
}

bool WriteString(HKEY root, const std::u16string& key, const std::u16string& name, const std::u16string& value) {
    return WriteValue(root, key, name, REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(char16_t)));
}

bool WriteDword(HKEY root, const std::u16string& key, const std::u16string& name, DWORD value) {
    return WriteValue(root, key, name, REG_DWORD, &value, sizeof value);
}

bool CopyModule(const std::string& builtName, const std::u16string& windowsPath) {
    const fs::path target = standin::MapPath(windowsPath);
    std::error_code error;
    fs::create_directories(target.parent_path(), error);
    return fs::copy_file(fs::path(KV_OUT_DIR) / (builtName + ".so"), target, fs::copy_options::overwrite_existing,
                         error) &&
           !error;
}

std::u16string LibraryString(UINT id) {
    HMODULE module = LoadLibraryW(u"C:\\lang\\QW774409.DLL");
    WCHAR text[512] = {};
    if (module != nullptr) {
        LoadStringW(module, id, text, 512);
        FreeLibrary(module);
    }
    return text;
}

std::u16string StatusText(HWND main) {
    WCHAR text[512] = {};
    GetDlgItemTextW(GetWindow(main, GW_CHILD), kBaseStatusLabel, text, 512);
    return text;
}

std::u16string JobText(HWND main) {
    WCHAR text[512] = {};
    GetDlgItemTextW(GetWindow(main, GW_CHILD), kBaseJobNameLabel, text, 512);
    return text;
}

/// The JCID of the job header the port received, as the printer reads it; empty without one.
std::string ReceivedJcid(DWORD jobId) {
    const std::string field = "@JCID=\"";
    for (const standin::monitor::PortDocument& doc : standin::monitor::PortDocuments(kTcpPort)) {
        if (doc.jobId != jobId) continue;
        const std::string head(doc.bytes.begin(), doc.bytes.begin() + static_cast<std::ptrdiff_t>(std::min<size_t>(doc.bytes.size(), 512)));
        const size_t at = head.find(field);
        const size_t end = at == std::string::npos ? at : head.find('"', at + field.size());
        if (end != std::string::npos) return head.substr(at + field.size(), end - at - field.size());
    }
    return {};
}

std::u16string UserName() {
    WCHAR name[64] = {};
    DWORD cch = 64;
    return GetUserNameW(name, &cch) ? std::u16string(name) : std::u16string();
}

/// What the run is made of: the printers, the agent, the monitor with its port, the manager
/// (this process's connection as the monitor of the USB printer) and the status-monitor host.
class SystemRun {
public:
    explicit SystemRun(fs::path out) : out_(std::move(out)) {}
    ~SystemRun() {
        host_.Unload();
        if (port_ != nullptr) monitor_.Table()->pfnClosePort(port_);
        monitor_.Unload();
        if (usbConnection_ != 0 && close_ != nullptr) close_(usbConnection_);
        if (manager_ != nullptr) FreeLibrary(manager_);
    }
    SystemRun(const SystemRun&) = delete;
    SystemRun& operator=(const SystemRun&) = delete;

    /// Sets everything up; an error message, empty on success.
    std::string SetUp();
    /// The TCP/IP printer's window set, then the job: ready, printing, paper out with the
    /// popup, done; each step pictured once the window shows it. The port's bytes are checked
    /// against the spooled job and written to job.prn.
    std::string Print();
    /// The USB printer's window set with its extended window, a picture of each sheet.
    std::string Extended();
    void Summary() const;

private:
    std::string InstallPrinters();
    std::string LoadMonitor();
    std::string LoadManager();
    std::string RenderJob();
    /// Pumps the host until `done` holds; the step's failure message otherwise.
    std::string WaitFor(const std::function<bool()>& done, const std::string& what);
    std::string WaitForText(UINT id, const std::string& what);
    std::string Picture(HWND window, const std::string& name);
    std::string ClosedPicture(HWND window, const std::string& name, const std::u16string& caption);
    void PrinterState(int64_t printer, int64_t device, const std::vector<std::string>& alerts);
    std::string SpoolerChanged();
    bool Send(const std::vector<BYTE>& bytes, size_t from, size_t to);
    void Step(const std::string& text);

    fs::path out_;
    kvtest::SnmpAgent agent_;
    standin::monitor::LanguageMonitorHost monitor_;
    HANDLE port_ = nullptr;
    HMODULE manager_ = nullptr;
    PFN_CloseManager close_ = nullptr;
    PFN_SrmStandInSpoolerChanged spoolerChanged_ = nullptr;
    DWORD usbConnection_ = 0;
    pswhost::PswHost host_;
    HWND main_ = nullptr;
    std::u16string user_;
    std::vector<BYTE> job_;
    std::string jcid_;
    std::vector<BYTE> received_;
    std::vector<std::string> pictures_;
    std::vector<std::string> seen_;  // the status window's text at each pictured step
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

void SystemRun::Step(const std::string& text) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_);
    std::printf("[%5lld ms] %s\n", static_cast<long long>(ms.count()), text.c_str());
    std::fflush(stdout);
}

std::string SystemRun::InstallPrinters() {
    kvtest::SamplePrinterOptions sample;
    sample.port = kTcpPort;
    const kvtest::SamplePrinterResult installed = kvtest::InstallSamplePrinter(sample);
    if (!installed.dataFileCopied) return "cannot copy the data file " + kvtest::SampleModelFileSource();
    // The same printer and files under the driver's full name, which the monitor and the
    // status window look up.
    standin::PrinterSetup tcp;
    tcp.name = kPrinterW;
    tcp.port = kTcpPort;
    tcp.driverName = kDriver;
    tcp.driverPath = sample.driverPath;
    tcp.dataFile = sample.dataFile;
    tcp.attributes = sample.attributes;
    standin::AddPrinter(tcp);
    standin::PrinterSetup usb;
    usb.name = kUsbPrinterW;
    usb.port = kUsbPort;
    usb.driverName = kDriver;
    standin::AddPrinter(usb);
    standin::monitor::SetPorts({{kTcpPort, u"TCPMON.DLL", u"Standard TCP/IP Port", PORT_TYPE_WRITE},
                                {kUsbPort, u"USB Monitor", u"Virtual printer port for USB", PORT_TYPE_WRITE}});

    const std::u16string driverKey = std::u16string(kStanvel) + u"\\Printers\\" + kDriver;
    bool ok = WriteString(HKEY_LOCAL_MACHINE, std::u16string(kTcpPorts) + kTcpPort, u"IPAddress", u"127.0.0.1");
    // The monitor finds the printer's driver in the spooler's key, and follows the printers
    // of a driver that has status variables.
    ok = ok && WriteString(HKEY_LOCAL_MACHINE, u"System\\CurrentControlSet\\control\\Print\\Printers\\KV-TD520",
                           u"Printer Driver", kDriver);
    HKEY variables = nullptr;
    ok = ok && RegCreateKeyExW(HKEY_LOCAL_MACHINE, (driverKey + u"\\Status Variables").c_str(), 0, nullptr, 0,
                               KEY_ALL_ACCESS, nullptr, &variables, nullptr) == 0;
    if (variables != nullptr) RegCloseKey(variables);
    // The status window's language libraries, where the driver's key points, in English.
    ok = ok && WriteString(HKEY_LOCAL_MACHINE, driverKey, u"DIRPATH", kLanguageFolder);
    ok = ok && WriteDword(HKEY_LOCAL_MACHINE, kStanvel, u"LangID", kEnglish);
    // The user's choice for the TCP/IP printer: its status window pops up on errors only.
    ok = ok && WriteDword(HKEY_CURRENT_USER, std::u16string(kStanvel) + u"\\" + kPrinterW + u"\\PSW", u"PopUpCondition",
                          kPopUpOnErrors);
    if (!ok) return "cannot write the printers' registry values";
    if (!CopyModule("QW774409", u"C:\\lang\\QW774409.DLL") || !CopyModule("QW774411", u"C:\\lang\\QW774411.DLL"))
        return "cannot install the status window's language libraries from " KV_OUT_DIR;
    user_ = UserName();
    if (user_.empty()) return "no user name";
    Step("Printers: " + std::string(kPrinter) + " on " + kvtest::U8(kTcpPort) + " (standard TCP/IP port), " +
         kUsbPrinter + " on " + kvtest::U8(kUsbPort) + "; user " + kvtest::U8(user_));
    return {};
}

std::string SystemRun::LoadMonitor() {
    agent_.LoadPrinter();
    agent_.SetInteger(kvtest::kTrayLevelOid, 0);
    // Short waits and a quick poll, so that the run takes seconds; read when the monitor starts.
    const std::pair<const char16_t*, DWORD> waits[] = {
        {u"PortMutexTimeout", 300},   {u"ClosePortTimeout", 100},    {u"ClosePortPollInterval", 5},
        {u"PendingOutputTimeout", 20}, {u"RetryPause", 1},           {u"StatusQueuedInterval", 10},
        {u"StatusIdleInterval", 30},   {u"EndedJobRecordPause", 1},
    };
    const std::u16string module = u"" KV_LANGMON_MODULE;
    if (!monitor_.Load(module, u"KV Language Monitor")) return "cannot load the language monitor " KV_LANGMON_MODULE;
    for (const auto& [name, ms] : waits) monitor_.SetRootValue(name, ms);
    monitor_.Unload();
    if (!monitor_.Load(module, u"KV Language Monitor")) return "cannot load the language monitor again";
    port_ = kvtest::OpenFilePort(monitor_.Table(), monitor_.Monitor(), kTcpPort, kPrinterW);
    if (port_ == nullptr) return "the monitor did not open " + kvtest::U8(kTcpPort) + ": error " + std::to_string(GetLastError());
    kvtest::AimAtAgent(*langmon::PortFromHandle(port_), agent_);
    Step("Monitor: " KV_LANGMON_MODULE " loaded, port " + kvtest::U8(kTcpPort) +
         " opened; the printer's SNMP agent answers on udp:127.0.0.1:" + std::to_string(agent_.Port()));
    return {};
}

std::string SystemRun::LoadManager() {
    manager_ = LoadLibraryW(kSrmLibraryName);
    if (manager_ == nullptr) return "cannot load the status manager stand-in";
    const auto open = Export<PFN_OpenManagerExW>(manager_, "OpenManagerExW");
    const auto update = Export<PFN_UpdatePrinterStatusA>(manager_, "UpdatePrinterStatusA");
    close_ = Export<PFN_CloseManager>(manager_, "CloseManager");
    spoolerChanged_ = Export<PFN_SrmStandInSpoolerChanged>(manager_, "SrmStandInSpoolerChanged");
    if (open == nullptr || update == nullptr || close_ == nullptr || spoolerChanged_ == nullptr)
        return "the status manager stand-in lacks an export";
    // No monitor follows a USB port: the manager supplies the USB printer's state itself.
    if (open(kUsbPrinterW, u"\\\\.\\kjlmon", kSrmModeMonitor, &usbConnection_) != SRMRES_SUCCESS)
        return "the manager refused the USB printer";
    const DWORD words[3] = {0, 0, 1};  // online and idle
    if (update(usbConnection_, "PrinterExtStatus", &kConnectionFollowed, sizeof kConnectionFollowed) != SRMRES_SUCCESS ||
        update(usbConnection_, "PrinterStatus", words, sizeof words) != SRMRES_SUCCESS)
        return "the manager did not take the USB printer's state";
    if (!host_.Load()) return "the status-monitor host cannot load QW774ZZZ: error " + std::to_string(GetLastError());
    return {};
}

std::string SystemRun::SetUp() {
    std::string error = InstallPrinters();
    if (error.empty()) error = LoadManager();
    if (error.empty()) error = LoadMonitor();
    return error;
}

std::string SystemRun::WaitFor(const std::function<bool()>& done, const std::string& what) {
    if (host_.PumpUntil(done, kStepWaitMs)) return {};
    return what + " did not happen within " + std::to_string(kStepWaitMs) + " ms (the status text reads \"" +
           kvtest::U8(StatusText(main_)) + "\")";
}

std::string SystemRun::WaitForText(UINT id, const std::string& what) {
    const std::u16string text = LibraryString(id);
    if (text.empty()) return "the language library has no text " + std::to_string(id);
    return WaitFor([&] { return StatusText(main_) == text; }, what);
}

std::string SystemRun::Picture(HWND window, const std::string& name) {
    const fs::path path = out_ / (name + ".png");
    if (!standin::ui::SavePicture(window, path.string())) return "cannot write " + path.string();
    if (window == main_) seen_.push_back("\"" + kvtest::U8(StatusText(main_)) + "\"" + (IsWindowVisible(main_) ? " (shown)" : ""));
    pictures_.push_back(path.filename().string());
    return {};
}

// The window as it was when it closed, under a caption that says so: a hidden window is not
// on the screen, and its picture alone would look like a window still open.
std::string SystemRun::ClosedPicture(HWND window, const std::string& name, const std::u16string& caption) {
    const fs::path path = out_ / (name + ".png");
    if (!kvdemo::WriteCaptionedPicture(standin::ui::PaintWindow(window), caption, path.string()))
        return "cannot write " + path.string();
    seen_.push_back("\"" + kvtest::U8(StatusText(main_)) + "\" (closed)");
    pictures_.push_back(path.filename().string());
    return {};
}

void SystemRun::PrinterState(int64_t printer, int64_t device, const std::vector<std::string>& alerts) {
    agent_.SetInteger(kvtest::kHrPrinterOid, printer);
    agent_.SetInteger(kvtest::kHrDeviceOid, device);
    agent_.SetAlerts(alerts);
}

std::string SystemRun::SpoolerChanged() {
    return spoolerChanged_(kPrinterW) == SRMRES_SUCCESS ? std::string() : "the manager did not read the spooler";
}

bool SystemRun::Send(const std::vector<BYTE>& bytes, size_t from, size_t to) {
    const std::vector<BYTE> piece(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                                  bytes.begin() + static_cast<std::ptrdiff_t>(to));
    return kvtest::WritePortAll(monitor_.Table(), port_, piece);
}

// The document through the rendering library and the GDI host into the spooler stand-in.
std::string SystemRun::RenderJob() {
    std::vector<BYTE> settings = kvtest::DefaultSettingsBlock();
    if (settings.empty()) return "no model description for the printer";
    kvdemo::PrintedJob job;
    const auto drawPage = [](gdihost::PrinterDC& dc, int n) { return kvdemo::DrawSamplePage(dc, n, kDocument); };
    if (const std::string problem = kvdemo::PrintDocument(kPrinterW, settings, kDocument, kPages, drawPage, &job);
        !problem.empty())
        return problem;
    job_ = std::move(job.bytes);
    if (job_.empty()) return "the spooler holds no bytes for the job";
    Step("Rendered: " + std::to_string(kPages) + " pages through " KV_RENDER_NAME ", " + std::to_string(job_.size()) +
         " bytes spooled");
    return {};
}

std::string SystemRun::Print() {
    main_ = nullptr;
    pswhost::WindowSet set;
    if (host_.Create(kPrinter, &set) != 0 || set.main == nullptr) return "the status window was not created for " + std::string(kPrinter);
    main_ = set.main;
    std::string error = WaitForText(kStatusTextReady, "ready");
    if (error.empty()) error = IsWindowVisible(main_) ? "the status window popped up with nothing to print" : Picture(main_, "status-1-ready");
    if (!error.empty()) return error;
    Step("Ready: the monitor polled the printer over SNMP and the status window reads \"" + kvtest::U8(StatusText(main_)) + "\"");

    if (error = RenderJob(); !error.empty()) return error;
    // The spooler hands the job to the port: the monitor starts it and the printer prints.
    standin::monitor::AddJob(kPrinterW, kJobId, 0, kDocument, user_);
    if (error = SpoolerChanged(); !error.empty()) return error;
    std::u16string printer = kPrinterW;
    std::u16string document = kDocument;
    DOC_INFO_1W info{document.data(), nullptr, nullptr};
    if (!monitor_.Table()->pfnStartDocPort(port_, printer.data(), kJobId, 1, reinterpret_cast<LPBYTE>(&info)))
        return "StartDocPort failed: error " + std::to_string(GetLastError());
    PrinterState(kPrinterPrinting, kDeviceRunning, {});
    const size_t half = job_.size() / 2;
    if (!Send(job_, 0, half)) return "WritePort failed: error " + std::to_string(GetLastError());
    // The printer lists the job it receives, under the JCID of its header.
    jcid_ = ReceivedJcid(kJobId);
    if (jcid_.empty()) return "the job reached the port without a JCID";
    agent_.AddJob(jcid_, kPrinterJobIndex, kJobProcessing, 0, 0);
    if (error = WaitForText(kStatusTextPrinting, "printing"); !error.empty()) return error;
    // The monitor names the printing job by its id; the manager adds the spooler's document.
    if (error = WaitFor([&] { return JobText(main_) == kDocument; }, "the printing job's name"); !error.empty()) return error;
    if (error = Picture(main_, "status-2-printing"); !error.empty()) return error;
    Step("Printing: " + std::to_string(half) + " bytes written to the port; the status window reads \"" +
         kvtest::U8(StatusText(main_)) + "\", job \"" + kvtest::U8(JobText(main_)) + "\"");

    // The printer runs out of paper in the middle of the job: the window pops up.
    PrinterState(kPrinterOther, kDeviceDown, {"Hop No Paper"});
    if (error = WaitForText(kStatusTextPaperOut, "paper out"); !error.empty()) return error;
    if (error = WaitFor([&] { return IsWindowVisible(main_) != FALSE; }, "the popup"); !error.empty()) return error;
    if (error = Picture(main_, "status-3-paper-out-popup"); !error.empty()) return error;
    Step("Paper out: the printer reports it over SNMP, the status window reads \"" + kvtest::U8(StatusText(main_)) +
         "\" and pops up");

    // Paper is loaded: the rest of the job goes out, the printer finishes it and is idle.
    PrinterState(kPrinterPrinting, kDeviceRunning, {});
    if (error = WaitForText(kStatusTextPrinting, "printing again"); !error.empty()) return error;
    if (!Send(job_, half, job_.size())) return "WritePort failed: error " + std::to_string(GetLastError());
    if (!monitor_.Table()->pfnEndDocPort(port_)) return "EndDocPort failed: error " + std::to_string(GetLastError());
    Step("Paper loaded: the rest of the job (" + std::to_string(job_.size() - half) + " bytes) written, the document ended");
    // The printer finishes the job and is idle; the monitor sees it completed on the printer
    // and tells the spooler, which tells the manager.
    agent_.AddJob(jcid_, kPrinterJobIndex, kJobCompleted, kReasonSuccessful, kPages);
    PrinterState(kPrinterIdle, kDeviceRunning, {});
    const auto ejected = [] {
        for (DWORD command : standin::monitor::JobCommands(kPrinterW, kJobId)) {
            if (command == JOB_CONTROL_LAST_PAGE_EJECTED) return true;
        }
        return false;
    };
    if (error = WaitFor(ejected, "the monitor's word that the printer finished the job"); !error.empty()) return error;
    if (error = SpoolerChanged(); !error.empty()) return error;
    if (error = WaitForText(kStatusTextReady, "ready after the job"); !error.empty()) return error;
    if (error = WaitFor([&] { return !IsWindowVisible(main_); }, "the popup closing"); !error.empty()) return error;
    if (error = ClosedPicture(main_, "status-4-done", u"Closed by itself: job done, printer ready");
        !error.empty())
        return error;
    Step("Done: the status window reads \"" + kvtest::U8(StatusText(main_)) + "\" and closed by itself");

    for (const standin::monitor::PortDocument& doc : standin::monitor::PortDocuments(kTcpPort)) {
        if (doc.jobId == kJobId && doc.ended) received_ = doc.bytes;
    }
    if (received_ != job_) return "the port did not receive the job as spooled";
    const fs::path jobFile = out_ / "job.prn";
    std::ofstream(jobFile, std::ios::binary)
        .write(reinterpret_cast<const char*>(received_.data()), static_cast<std::streamsize>(received_.size()));
    if (!fs::exists(jobFile)) return "cannot write " + jobFile.string();
    return {};
}

std::string SystemRun::Extended() {
    pswhost::WindowSet set;
    if (host_.Create(kUsbPrinter, &set) != 0 || set.main == nullptr) return "the status window was not created for " + std::string(kUsbPrinter);
    if (host_.Show(set.main, 2) != 0) return "the extended window was not offered for " + kvtest::U8(kUsbPort);
    const HWND ews = set.dialogs[1];
    if (ews == nullptr) return "no extended window";
    // The sheet shown is the window's child that is none of its head, left and foot strips.
    const auto sheet = [ews] {
        for (HWND child = GetWindow(ews, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
            if (GetDlgItem(child, kEwsHeadTitle) == nullptr && GetDlgItem(child, kEwsGeneralButton) == nullptr &&
                GetDlgItem(child, kRefreshButton) == nullptr)
                return child;
        }
        return HWND{};
    };
    HWND left = nullptr;
    for (HWND child = GetWindow(ews, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (GetDlgItem(child, kEwsGeneralButton) != nullptr) left = child;
    }
    if (left == nullptr) return "the extended window has no buttons for its sheets";
    for (const SheetButton& s : kSheets) {
        SendDlgItemMessageW(left, s.button, BM_CLICK, 0, 0);
        const std::string what = std::string("sheet ") + s.name + " of the extended window";
        if (!host_.PumpUntil([&] { return GetDlgItem(sheet(), s.control) != nullptr; }, kStepWaitMs))
            return what + " did not open";
        if (std::string error = Picture(ews, std::string("extended-sheet-") + s.name); !error.empty()) return error;
    }
    WCHAR title[400] = {};
    GetWindowTextW(ews, title, 400);
    Step("Extended window: \"" + kvtest::U8(title) + "\" on " + kvtest::U8(kUsbPort) + ", its five sheets pictured");
    host_.Destroy(set.main);
    return {};
}

void SystemRun::Summary() const {
    std::printf("\nSummary\n");
    std::printf("  Job:      %zu bytes rendered, spooled and passed through " KV_LANGMON_MODULE
                " to %s; the port's bytes equal the job's\n",
                job_.size(), kvtest::U8(kTcpPort).c_str());
    std::string seen;
    for (const std::string& text : seen_) seen += (seen.empty() ? "" : ", ") + text;
    std::printf("  Status:   the status window read %s; it pops up on errors only (the user's setting)\n", seen.c_str());
    std::printf("  Job file: %s\n", (out_ / "job.prn").string().c_str());
    std::printf("  Pictures: %zu in %s\n", pictures_.size(), out_.string().c_str());
    for (const std::string& name : pictures_) std::printf("            %s\n", name.c_str());
}

int Run(int argc, char** argv) {
    fs::path out;
    if (const std::string problem = kvdemo::PrepareDemoFolder(argc, argv, "usage: system_demo <output-folder>", &out);
        !problem.empty())
        return Fail(problem);
    standin::monitor::Reset();

    SystemRun run(out);
    std::string failed = run.SetUp();
    if (failed.empty()) failed = run.Print();
    if (failed.empty()) failed = run.Extended();
    if (!failed.empty()) return Fail(failed);
    run.Summary();
    return 0;
}

}  // namespace

int main(int argc, char** argv) { return Run(argc, argv); }

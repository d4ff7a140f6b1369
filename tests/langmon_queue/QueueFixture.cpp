#include "tests/langmon_queue/QueueFixture.h"

#include <chrono>
#include <cstring>
#include <thread>

#include "langmon/PortSettings.h"
#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/Registry.h"
#include "platform/StandInMonitor.h"
#include "platform/Sync.h"
#include "tests/support/MonitorPass.h"
#include "tests/support/PrinterOids.h"

extern "C" MONITOR2* InitializePrintMonitor2(MONITORINIT* pMonitorInit, HANDLE* phMonitor);

namespace kvtest {
namespace {

constexpr char16_t kMonitorRoot[] = u"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\KV Queue Monitor";

template <typename Fn>
void Resolve(HMODULE module, const char* name, Fn* slot) {
    *slot = reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

void SetString(const std::u16string& key, const std::u16string& name, const std::u16string& value) {
    HKEY handle = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr),
              0);
    RegSetValueExW(handle, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(char16_t)));
    RegCloseKey(handle);
}

void SetDword(HKEY key, const std::u16string& name, DWORD value) {
    RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

}  // namespace

ManagerReader::ManagerReader() {
    module_ = LoadLibraryW(u"KWTQSRMZ.DLL");
    EXPECT_NE(module_, nullptr);
    if (module_ == nullptr) return;
    Resolve(module_, "OpenManagerExW", &open_);
    Resolve(module_, "CloseManager", &close_);
    Resolve(module_, "GetPrinterStatusA", &get_);
    Resolve(module_, "SrmTestReadUpdates", &updates_);
}

ManagerReader::~ManagerReader() {
    if (module_ != nullptr) FreeLibrary(module_);
}

DWORD ManagerReader::Dword(const char* name, DWORD otherwise) {
    DWORD manager = 0;
    if (open_ == nullptr || open_(kQueuePrinter, nullptr, 3, &manager) != 0) return otherwise;
    DWORD value = 0;
    DWORD needed = 0;
    const DWORD rc = get_(manager, name, &value, sizeof value, &needed);
    close_(manager);
    return rc == 0 && needed == sizeof value ? value : otherwise;
}

size_t ManagerReader::Updates(const std::u16string& variable) {
    if (updates_ == nullptr) return 0;
    std::vector<SRM_UPDATE_RECORD> records(updates_(nullptr, 0));
    records.resize(updates_(records.data(), static_cast<DWORD>(records.size())));
    size_t count = 0;
    for (const auto& r : records) count += std::u16string(reinterpret_cast<const char16_t*>(r.variable)) == variable;
    return count;
}

std::string JcidFor(DWORD jobId) {
    std::string jcid = "JCID" + std::to_string(jobId);
    jcid.append(45 - jcid.size(), 'A');
    return jcid;
}

std::vector<BYTE> PjlJob(const std::string& jcid, size_t body) {
    std::string head = "\x1b%-12345X@PJL JOB NAME=\"";
    head.append("KV JOB NAME 0123456789AB");  // 24 characters
    head.append("\" @JCID=\"");
    head.append(jcid);
    head.append("\"\r\n@PJL ENTER LANGUAGE=VRTL\r\n");
    std::vector<BYTE> bytes(head.size() + body, 0x55);
    std::memcpy(bytes.data(), head.data(), head.size());
    return bytes;
}

void QueueTest::SetUp() {
    StandInTest::SetUp();
    standin::monitor::Reset();
    standin::PrinterSetup printer;
    printer.name = kQueuePrinter;
    printer.port = kQueuePort;
    printer.driverName = u"ZEV KV-TD520 (VX)";
    standin::AddPrinter(printer);
    standin::monitor::SetPorts({{kQueuePort, u"TCPMON.DLL", u"Standard TCP/IP Port", PORT_TYPE_WRITE}});
    SetString(u"System\\CurrentControlSet\\control\\Print\\Printers\\KV Printer", u"Printer Driver",
              u"ZEV KV-TD520 (VX)");
    HKEY watched = nullptr;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\ZEV\\Stanvel\\Printers\\ZEV KV-TD520 (VX)\\Status Variables", 0,
                    nullptr, 0, KEY_ALL_ACCESS, nullptr, &watched, nullptr);
    RegCloseKey(watched);
    WriteFile(u"C:\\Windows\\ZEVLMLOG.INI", "[ZEVKV-TD520]\r\nMODE=1\r\nMAGIC=65535\r\n");  // every flag
    LoadAgentPrinter();

    ASSERT_TRUE(langmon::StartMonitorProcess(nullptr));
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kMonitorRoot, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root_, nullptr),
              0);
    // Milliseconds for every wait, so that no test waits for seconds.
    SetDword(root_, u"PortMutexTimeout", 300);
    SetDword(root_, u"ClosePortTimeout", 100);
    SetDword(root_, u"ClosePortPollInterval", 5);
    SetDword(root_, u"PendingOutputTimeout", 20);
    SetDword(root_, u"RetryPause", 1);
    SetDword(root_, u"EndedJobRecordPause", 5);
    SetDword(root_, u"StatusQueuedInterval", 10);
    SetDword(root_, u"StatusIdleInterval", 50);
    SetDword(root_, u"SuspendAckTimeout", 300);
    static int spoolerToken;
    init_ = MONITORINIT{sizeof(MONITORINIT), &spoolerToken, root_, standin::monitor::SpoolerRegistryFunctions(), TRUE,
                        nullptr};
    table_ = InitializePrintMonitor2(&init_, &monitor_);
    ASSERT_NE(table_, nullptr);
}

void QueueTest::TearDown() {
    Close();
    if (table_ != nullptr) table_->pfnShutdown(monitor_);
    if (root_ != nullptr) RegCloseKey(root_);
    langmon::EndMonitorProcess();
    StandInTest::TearDown();
}

void QueueTest::LoadAgentPrinter() {
    agent_.LoadPrinter();
    agent_.SetInteger(kTrayLevelOid, 0);
}

HANDLE QueueTest::Open() {
    std::u16string portName = kQueuePort;
    std::u16string printerName = kQueuePrinter;
    if (!table_->pfnOpenPortEx(monitor_, standin::monitor::FilePortMonitor(), portName.data(), printerName.data(),
                               &handle_, standin::monitor::FilePortMonitorTable())) {
        return nullptr;
    }
    port_ = langmon::PortFromHandle(handle_);
    // The polling thread waits one idle interval before its first read: time enough to aim it.
    port_->SnmpPort = agent_.Port();
    port_->SnmpWaitMs = 200;
    port_->Settings->oidIntervalMs = 0;
    port_->Settings->maxPowerOffTries = 1;
    return handle_;
}

void QueueTest::Close() {
    if (handle_ == nullptr) return;
    EXPECT_TRUE(table_->pfnClosePort(handle_));
    handle_ = nullptr;
    port_ = nullptr;
}

BOOL QueueTest::Start(DWORD jobId) {
    std::u16string printerName = kQueuePrinter;
    std::u16string doc = u"Job " + U16(std::to_string(jobId));
    DOC_INFO_1W info{doc.data(), nullptr, nullptr};
    return table_->pfnStartDocPort(handle_, printerName.data(), jobId, 1, reinterpret_cast<LPBYTE>(&info));
}

bool QueueTest::Write(const std::vector<BYTE>& bytes) { return WritePortAll(table_, handle_, bytes); }

BOOL QueueTest::End() { return table_->pfnEndDocPort(handle_); }

bool QueueTest::RunJob(DWORD jobId, const std::vector<BYTE>& bytes) {
    return Start(jobId) && Write(bytes) && End();
}

bool QueueTest::WaitSupported() {
    return WaitFor([this] { return (port_->State & langmon::port_state::DeviceSupported) != 0; });
}

bool QueueTest::WaitFor(const std::function<bool()>& done, int limitMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

DWORD QueueTest::QueueLength() { return static_cast<DWORD>(QueuedJobs().size()); }

std::vector<DWORD> QueueTest::QueuedJobs() {
    std::vector<DWORD> jobs;
    langmon::PortLockHold lock(*port_);
    for (const langmon::JobQueueEntry* e = port_->QueueHead; e != nullptr; e = e->Next) jobs.push_back(e->JobId);
    return jobs;
}

std::string QueueTest::Trace() {
    const std::vector<BYTE> bytes = ReadFile(kQueueTrace);
    return std::string(bytes.begin(), bytes.end());
}

std::vector<ReceivedRequest> QueueTest::Sets() const {
    std::vector<ReceivedRequest> sets;
    for (const auto& request : agent_.Requests()) {
        if (request.pdu == snmp::BerTag::SetRequest) sets.push_back(request);
    }
    return sets;
}

std::vector<DWORD> QueueTest::Commands(DWORD jobId) { return standin::monitor::JobCommands(kQueuePrinter, jobId); }

}  // namespace kvtest

#include "tests/langmon_wire/WireFixture.h"

#include <cstring>

#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/Registry.h"
#include "langmon/Monitor.h"
#include "langmon/PortSettings.h"
#include "tests/support/MonitorPass.h"
#include "tests/support/PrinterOids.h"

namespace kvtest {
namespace {

template <typename Fn>
void Resolve(HMODULE module, const char* name, Fn* slot) {
    *slot = reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

HKEY CreateMachineKey(const std::u16string& key) {
    HKEY handle = nullptr;
    EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle,
                              nullptr),
              0);
    return handle;
}

}  // namespace

void SetMachineDword(const std::u16string& key, const std::u16string& name, DWORD value) {
    HKEY handle = CreateMachineKey(key);
    RegSetValueExW(handle, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(handle);
}

void SetMachineString(const std::u16string& key, const std::u16string& name, const std::u16string& value) {
    HKEY handle = CreateMachineKey(key);
    RegSetValueExW(handle, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(char16_t)));
    RegCloseKey(handle);
}

ManagerView::ManagerView() {
    module_ = LoadLibraryW(u"KWTQSRMZ.DLL");
    EXPECT_NE(module_, nullptr);
    if (module_ == nullptr) return;
    Resolve(module_, "OpenManagerExW", &open_);
    Resolve(module_, "CloseManager", &close_);
    Resolve(module_, "GetPrinterStatusA", &get_);
    Resolve(module_, "SrmTestReadUpdates", &updates_);
}

ManagerView::~ManagerView() {
    if (module_ != nullptr) FreeLibrary(module_);
}

std::vector<BYTE> ManagerView::Read(const std::u16string& printer, const char* name) {
    DWORD manager = 0;
    if (open_ == nullptr || open_(printer.c_str(), nullptr, 3, &manager) != 0) return {};
    std::vector<BYTE> value(1024);
    DWORD needed = 0;
    if (get_(manager, name, value.data(), static_cast<DWORD>(value.size()), &needed) != 0) needed = 0;
    close_(manager);
    value.resize(needed);
    return value;
}

DWORD ManagerView::ReadDword(const std::u16string& printer, const char* name, DWORD otherwise) {
    const std::vector<BYTE> bytes = Read(printer, name);
    if (bytes.size() != sizeof(DWORD)) return otherwise;
    DWORD value = 0;
    std::memcpy(&value, bytes.data(), sizeof value);
    return value;
}

size_t ManagerView::UpdateCount(const std::u16string& variable) {
    if (updates_ == nullptr) return 0;
    std::vector<SRM_UPDATE_RECORD> records(updates_(nullptr, 0));
    records.resize(updates_(records.data(), static_cast<DWORD>(records.size())));
    size_t count = 0;
    for (const auto& r : records) {
        if (std::u16string(reinterpret_cast<const char16_t*>(r.variable)) == variable) ++count;
    }
    return count;
}

void WireTest::SetUp() {
    StandInTest::SetUp();
    standin::monitor::Reset();
    agent_.LoadPrinter();
    agent_.SetInteger(kTrayLevelOid, 0);  // the tray holds paper
    standin::PrinterSetup printer;
    printer.name = kWirePrinter;
    printer.port = kWirePort;
    printer.driverName = u"ZEV KV-TD520 (VX)";
    standin::AddPrinter(printer);
    standin::monitor::SetPorts({{kWirePort, u"TCPMON.DLL", u"Standard TCP/IP Port", PORT_TYPE_WRITE},
                                {u"LPT1:", u"Local Port", u"", PORT_TYPE_WRITE}});
    SetMachineString(u"System\\CurrentControlSet\\control\\Print\\Printers\\KV Printer", u"Printer Driver",
                     u"ZEV KV-TD520 (VX)");
    HKEY watched = nullptr;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\ZEV\\Stanvel\\Printers\\ZEV KV-TD520 (VX)\\Status Variables", 0,
                    nullptr, 0, KEY_ALL_ACCESS, nullptr, &watched, nullptr);
    RegCloseKey(watched);
    WriteIni("MODE=1\r\nMAGIC=65535\r\n");  // every flag: 0x7FFFF
    // Waits in milliseconds, so no test waits for seconds.
    ASSERT_TRUE(host_.Load(U16(KV_LANGMON_MODULE), u"KV Language Monitor"));
    host_.SetRootValue(u"PortMutexTimeout", 300);
    host_.SetRootValue(u"ClosePortTimeout", 100);
    host_.SetRootValue(u"ClosePortPollInterval", 5);
    host_.SetRootValue(u"PendingOutputTimeout", 50);
    host_.SetRootValue(u"RetryPause", 1);
    host_.SetRootValue(u"EndedJobRecordPause", 5);
    Reload();
}

void WireTest::TearDown() {
    host_.Unload();
    StandInTest::TearDown();
}

void WireTest::Reload() {
    host_.Unload();
    ASSERT_TRUE(host_.Load(U16(KV_LANGMON_MODULE), u"KV Language Monitor"));
    table_ = host_.Table();
}

void WireTest::WriteIni(const std::string& keys) { WriteFile(u"C:\\Windows\\ZEVLMLOG.INI", "[ZEVKV-TD520]\r\n" + keys); }

HANDLE WireTest::Open(const std::u16string& port) {
    std::u16string portName = port;
    std::u16string printerName = kWirePrinter;
    HANDLE handle = nullptr;
    if (!table_->pfnOpenPortEx(host_.Monitor(), standin::monitor::FilePortMonitor(), portName.data(),
                               printerName.data(), &handle, standin::monitor::FilePortMonitorTable())) {
        return nullptr;
    }
    // The polling thread waits one idle interval before its first read: time enough to aim
    // the port's SNMP client at the agent.
    if (langmon::PortContext* context = langmon::PortFromHandle(handle); context != nullptr) {
        context->SnmpPort = agent_.Port();
        context->SnmpWaitMs = 200;
        if (context->Settings != nullptr) {
            context->Settings->oidIntervalMs = 0;
            context->Settings->maxPowerOffTries = 1;
        }
    }
    return handle;
}

BOOL WireTest::Start(HANDLE port, DWORD jobId) {
    std::u16string printerName = kWirePrinter;
    std::u16string doc = u"Job " + U16(std::to_string(jobId));
    DOC_INFO_1W info{doc.data(), nullptr, nullptr};
    return table_->pfnStartDocPort(port, printerName.data(), jobId, 1, reinterpret_cast<LPBYTE>(&info));
}

bool WireTest::WriteAll(HANDLE port, const std::vector<BYTE>& bytes) {
    return WritePortAll(table_, port, bytes);
}

bool WireTest::RunJob(HANDLE port, DWORD jobId, size_t bytes) {
    if (!Start(port, jobId)) return false;
    if (!WriteAll(port, std::vector<BYTE>(bytes, static_cast<BYTE>(jobId)))) return false;
    return table_->pfnEndDocPort(port) != FALSE;
}

std::string WireTest::Text(const std::u16string& path) {
    const std::vector<BYTE> bytes = ReadFile(path);
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace kvtest

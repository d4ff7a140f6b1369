#include "tests/langmon_portdata/PortDataFixture.h"

#include <cstdio>
#include <cstring>

#include "platform/Kernel.h"

namespace kvtest {

void LoadedPortTest::SetUp() {
    StandInTest::SetUp();
    standin::monitor::Reset();
    standin::PrinterSetup printer;
    printer.name = u"KV Printer";
    standin::AddPrinter(printer);
    ASSERT_TRUE(host_.Load(U16(KV_LANGMON_MODULE), u"KV Language Monitor"));
    // Waits in milliseconds, so no test waits for seconds. The waits are read at
    // initialisation: the monitor starts again with them in place.
    host_.SetRootValue(u"PortMutexTimeout", 300);
    host_.SetRootValue(u"ClosePortTimeout", 100);
    host_.SetRootValue(u"ClosePortPollInterval", 5);
    host_.SetRootValue(u"PendingOutputTimeout", 50);
    host_.SetRootValue(u"RetryPause", 1);
    host_.SetRootValue(u"ComPortPause", 1);
    host_.SetRootValue(u"SuspendAckTimeout", 200);
    host_.SetRootValue(u"UsbResendPause", 1);
    host_.SetRootValue(u"UsbResendTimeout", 20);
    host_.Unload();
    ASSERT_TRUE(host_.Load(U16(KV_LANGMON_MODULE), u"KV Language Monitor"));
    table_ = host_.Table();
}

void LoadedPortTest::TearDown() {
    host_.Unload();
    StandInTest::TearDown();
}

HANDLE LoadedPortTest::Open(const std::u16string& port) {
    std::u16string portName = port;
    std::u16string printerName = u"KV Printer";
    HANDLE handle = nullptr;
    if (!table_->pfnOpenPortEx(host_.Monitor(), standin::monitor::FilePortMonitor(), portName.data(),
                               printerName.data(), &handle, standin::monitor::FilePortMonitorTable())) {
        return nullptr;
    }
    return handle;
}

BOOL LoadedPortTest::Start(HANDLE port, DWORD jobId) {
    std::u16string printerName = u"KV Printer";
    std::u16string doc = u"Job " + U16(std::to_string(jobId));
    DOC_INFO_1W info{doc.data(), nullptr, nullptr};
    return table_->pfnStartDocPort(port, printerName.data(), jobId, 1, reinterpret_cast<LPBYTE>(&info));
}

ValueAnswer LoadedPortTest::Ask(HANDLE port, const std::u16string& name, DWORD cbOut) {
    std::u16string copy = name;
    std::vector<BYTE> out(cbOut > sizeof(LONG) ? cbOut : sizeof(LONG), 0x5A);
    ValueAnswer a;
    SetLastError(kSentinel);
    a.result = table_->pfnGetPrinterDataFromPort(port, 0, copy.data(), nullptr, 0, reinterpret_cast<LPWSTR>(out.data()),
                                                 cbOut, &a.returned);
    a.error = GetLastError();
    std::memcpy(&a.answer, out.data(), sizeof a.answer);
    return a;
}

BOOL LoadedPortTest::Control(HANDLE port, DWORD controlId, std::vector<BYTE> in, std::vector<BYTE>& out,
                             DWORD* returned) {
    return table_->pfnGetPrinterDataFromPort(port, controlId, nullptr,
                                             in.empty() ? nullptr : reinterpret_cast<LPWSTR>(in.data()),
                                             static_cast<DWORD>(in.size()),
                                             out.empty() ? nullptr : reinterpret_cast<LPWSTR>(out.data()),
                                             static_cast<DWORD>(out.size()), returned);
}

void BarePortTest::SetUp() {
    StandInTest::SetUp();
    standin::monitor::Reset();
    ASSERT_TRUE(langmon::StartMonitorProcess(nullptr));
    monitor_.Signature = langmon::kMonitorSignature;
    monitor_.Waits = langmon::LoadWaits(nullptr);
    monitor_.Waits.PortMutexMs = 200;
    monitor_.Waits.RetryPauseMs = 1;
    monitor_.WinMajor = 6;
}

void BarePortTest::TearDown() {
    langmon::MonitorProcess& process = langmon::Process();
    for (auto* port : ports_) {
        if (port->PortMonitor.pfnClosePort != nullptr) port->PortMonitor.pfnClosePort(port->PortMonitorPort);
        EnterCriticalSection(&process.Lock);
        langmon::DeletePortContext(port);
        LeaveCriticalSection(&process.Lock);
    }
    langmon::EndMonitorProcess();
    StandInTest::TearDown();
}

langmon::PortContext* BarePortTest::MakePort(const std::u16string& name, DWORD kind) {
    langmon::MonitorProcess& process = langmon::Process();
    EnterCriticalSection(&process.Lock);
    langmon::PortContext* port = langmon::CreatePortContext(name.c_str(), u"KV Printer", monitor_);
    LeaveCriticalSection(&process.Lock);
    if (port == nullptr) return nullptr;
    std::memcpy(&port->PortMonitor, standin::monitor::FilePortMonitorTable(), sizeof(MONITOR2));
    std::u16string copy = name;
    port->PortMonitor.pfnOpenPort(standin::monitor::FilePortMonitor(), copy.data(), &port->PortMonitorPort);
    port->PortKind = kind;
    ports_.push_back(port);
    return port;
}

std::vector<BYTE> AllDocumentBytes(const std::u16string& port) {
    std::vector<BYTE> all;
    for (const auto& doc : standin::monitor::PortDocuments(port)) all.insert(all.end(), doc.bytes.begin(), doc.bytes.end());
    return all;
}

size_t CountCalls(const std::u16string& port, const std::string& prefix) {
    size_t count = 0;
    for (const auto& call : standin::monitor::PortCalls(port)) {
        if (call.compare(0, prefix.size(), prefix) == 0) ++count;
    }
    return count;
}

std::vector<BYTE> Numbered(size_t size, BYTE first) {
    std::vector<BYTE> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<BYTE>((first + i) % 251);
    return bytes;
}

std::string FirstDifference(const std::vector<BYTE>& got, const std::vector<BYTE>& want) {
    size_t at = 0;
    while (at < got.size() && at < want.size() && got[at] == want[at]) ++at;
    if (at == got.size() && at == want.size()) return "equal";
    auto dump = [at](const std::vector<BYTE>& bytes) {
        std::string text;
        const size_t from = at >= 8 ? at - 8 : 0;
        for (size_t i = from; i < bytes.size() && i < at + 8; ++i) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%02X ", bytes[i]);
            text += hex;
        }
        return text;
    };
    return "first difference at " + std::to_string(at) + " (sizes " + std::to_string(got.size()) + " and " +
           std::to_string(want.size()) + ")\n  got:  " + dump(got) + "\n  want: " + dump(want);
}

}  // namespace kvtest

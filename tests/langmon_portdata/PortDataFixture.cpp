#include "tests/langmon_portdata/PortDataFixture.h"

#include <cstring>

#include "platform/Kernel.h"
#include "tests/support/ByteCompare.h"
#include "tests/support/MonitorSetup.h"
#include "tools/sample/MonitorPass.h"

namespace kvtest {

void LoadedPortTest::SetUp() {
    StandInTest::SetUp();
    // Waits in milliseconds, so no test waits for seconds.
    ASSERT_NO_FATAL_FAILURE(LoadMonitorForPrinter(host_, U16(KV_LANGMON_MODULE), u"KV Printer",
                                                  ShortRootWaits(50, {{u"ComPortPause", 1},
                                                                      {u"SuspendAckTimeout", 200},
                                                                      {u"UsbResendPause", 1},
                                                                      {u"UsbResendTimeout", 20}})));
    table_ = host_.Table();
}

void LoadedPortTest::TearDown() {
    host_.Unload();
    StandInTest::TearDown();
}

HANDLE LoadedPortTest::Open(const std::u16string& port) {
    return OpenFilePort(table_, host_.Monitor(), port, u"KV Printer");
}

BOOL LoadedPortTest::Start(HANDLE port, DWORD jobId) {
    return StartJobDocument(table_, port, u"KV Printer", jobId);
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
    const std::string difference = CompareBytes(want, got);
    return difference.empty() ? "equal" : difference;
}

}  // namespace kvtest

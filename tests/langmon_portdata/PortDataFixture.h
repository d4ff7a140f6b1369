#pragma once
// Two views of a port for the printer-data and port-document tests: the monitor loaded by
// name as the spooler loads it (with waits of milliseconds), and a bare port context made
// from the monitor's library for the routines no MONITOR2 entry reaches directly. Both sit on
// the file port monitor.
#include <string>
#include <vector>

#include "langmon/MonitorProcess.h"
#include "platform/Monitor.h"
#include "platform/StandInMonitor.h"
#include "tests/support/FilePortContexts.h"
#include "tests/support/TestRoot.h"

namespace kvtest {

inline constexpr DWORD kSentinel = 0xDEADBEEF;
inline constexpr LONG kUntouched = static_cast<LONG>(0x5A5A5A5A);

/// What one value-name call gave back.
struct ValueAnswer {
    BOOL result = TRUE;
    DWORD error = 0;
    DWORD returned = kSentinel;
    LONG answer = kUntouched;  // the first four bytes of the output buffer
};

class LoadedPortTest : public StandInTest {
protected:
    void SetUp() override;
    void TearDown() override;

    HANDLE Open(const std::u16string& port);
    BOOL Start(HANDLE port, DWORD jobId);
    /// The monitor's record behind a handle (the module and the tests share its layout).
    static langmon::PortContext& Context(HANDLE port) { return *static_cast<langmon::PortContext*>(port); }
    /// ControlID 0 with that value name and an output buffer of cbOut bytes.
    ValueAnswer Ask(HANDLE port, const std::u16string& name, DWORD cbOut = sizeof(LONG));
    /// A control request with its input bytes, into `out`.
    BOOL Control(HANDLE port, DWORD controlId, std::vector<BYTE> in, std::vector<BYTE>& out, DWORD* returned);

    standin::monitor::LanguageMonitorHost host_;
    MONITOR2* table_ = nullptr;
};

class BarePortTest : public FilePortContextTest {};

/// Every byte the port's documents received, in order.
std::vector<BYTE> AllDocumentBytes(const std::u16string& port);
/// How many calls to the port start with `prefix`.
size_t CountCalls(const std::u16string& port, const std::string& prefix);
/// Bytes that show their order: position in every byte, wrapping after 251.
std::vector<BYTE> Numbered(size_t size, BYTE first = 0);
/// "equal", or the first differing offset and both sides around it (CompareBytes).
std::string FirstDifference(const std::vector<BYTE>& got, const std::vector<BYTE>& want);

}  // namespace kvtest

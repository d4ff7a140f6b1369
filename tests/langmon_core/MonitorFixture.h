#pragma once
// A spooler's view of the language monitor: the module loaded by name and initialised with
// short waits, the file port monitor below it, and helpers that run a whole job.
#include <string>
#include <vector>

#include "platform/Monitor.h"
#include "platform/StandInMonitor.h"
#include "tests/support/TestRoot.h"

namespace kvtest {

class MonitorTest : public StandInTest {
protected:
    void SetUp() override;
    void TearDown() override;
    /// Loads the monitor again with one wait changed (read only at initialisation).
    void Reload(const std::u16string& wait, DWORD milliseconds);

    /// Opens the port through the monitor; NULL (last error kept) on failure.
    HANDLE Open(const std::u16string& port, const std::u16string& printer = u"KV Printer");
    /// Start, the chunks in turn (each written until taken), End. False at the first failure.
    bool RunJob(HANDLE port, DWORD jobId, const std::vector<std::vector<BYTE>>& chunks,
                const std::u16string& printer = u"KV Printer");
    /// Writes the whole buffer, calling again for what the monitor did not take.
    bool WriteAll(HANDLE port, const std::vector<BYTE>& bytes);

    standin::monitor::LanguageMonitorHost host_;
    MONITOR2* table_ = nullptr;
};

/// Bytes that tell jobs apart: job id and position in every byte pair.
std::vector<BYTE> JobBytes(DWORD jobId, size_t size);

}  // namespace kvtest

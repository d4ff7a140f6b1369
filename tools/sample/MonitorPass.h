#pragma once
// A job's bytes sent through the language monitor as the spooler sends them: the module
// loaded by name and initialised, its port opened on the file port monitor, the job started,
// written in pieces, ended, and the port closed.
#include <string>
#include <vector>

#include "platform/Monitor.h"
#include "platform/WinTypes.h"

namespace kvtest {

struct MonitorPass {
    bool ok = false;
    std::string failedStep;          // the call that failed, empty on success
    DWORD error = 0;                 // its last error
    std::vector<BYTE> received;      // what the file port monitor wrote for the job
    std::string portFile;            // where it wrote it (a Linux path)
    size_t writes = 0;               // WritePort calls made
};

struct MonitorJob {
    std::u16string module;           // e.g. "VQRTD31X"
    std::u16string printer;
    std::u16string port = u"LPT1:";
    DWORD jobId = 1;
    std::u16string document = u"Document";
    size_t piece = 4096;             // bytes handed to each WritePort
};

MonitorPass PassThroughMonitor(const MonitorJob& job, const std::vector<BYTE>& bytes);

/// OpenPortEx through the monitor on the file port monitor's port; NULL (last error kept) on
/// failure.
HANDLE OpenFilePort(const MONITOR2* table, HANDLE monitor, const std::u16string& port, const std::u16string& printer);
/// StartDocPort for the printer's document "Job <jobId>".
BOOL StartJobDocument(const MONITOR2* table, HANDLE port, const std::u16string& printer, DWORD jobId);

/// Writes all of bytes through the monitor's WritePort, as the spooler does when a call takes
/// only part; false on a failed call, an impossible count or a port that keeps taking nothing.
bool WritePortAll(const MONITOR2* table, HANDLE port, const std::vector<BYTE>& bytes);

}  // namespace kvtest

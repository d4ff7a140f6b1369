#pragma once
// Controls of the spooler's monitor side for hosts and tests: the port list, the jobs the
// spooler holds with the commands monitors sent them, port statuses, redirected devices,
// a host that loads a language monitor as the spooler does, and a real port monitor that
// writes each document to a file below the root. Product code never includes this header.
#include <map>
#include <string>
#include <vector>

#include "platform/Monitor.h"
#include "platform/WinTypes.h"

namespace standin::monitor {

/// Forgets ports, jobs, statuses, redirections and the file port monitor's state.
void Reset();

struct PortSetup {
    std::u16string name;
    std::u16string monitorName = u"Local Port";
    std::u16string description;
    DWORD type = PORT_TYPE_WRITE;
};
/// The list EnumPortsW reports.
void SetPorts(const std::vector<PortSetup>& ports);
/// "LPT1" redirected to "\\srv\prn" (WNetGetConnectionW); an empty share removes it.
void SetRedirection(const std::u16string& device, const std::u16string& share);

/// A job the spooler holds for the printer (GetJobW / EnumJobsW / SetJobW see it); GetJobW
/// reports the document and user names.
void AddJob(const std::u16string& printer, DWORD jobId, DWORD status = 0, const std::u16string& document = u"",
            const std::u16string& user = u"");
void SetJobStatus(const std::u16string& printer, DWORD jobId, DWORD status);
/// The JOB_CONTROL_* commands SetJobW received for the job, oldest first.
std::vector<DWORD> JobCommands(const std::u16string& printer, DWORD jobId);

struct PortStatus {
    DWORD status;
    std::u16string text;
    DWORD severity;
};
/// Every SetPortW level 3 the port received, oldest first.
std::vector<PortStatus> PortStatuses(const std::u16string& port);

/// Loads a language monitor by module name and initialises it as the spooler does, with the
/// monitor's registry root HKLM "SYSTEM\CurrentControlSet\Control\Print\Monitors\<name>".
class LanguageMonitorHost {
public:
    LanguageMonitorHost() = default;
    ~LanguageMonitorHost();
    LanguageMonitorHost(const LanguageMonitorHost&) = delete;
    LanguageMonitorHost& operator=(const LanguageMonitorHost&) = delete;

    /// False (last error kept) when the module or its InitializePrintMonitor2 fails.
    bool Load(const std::u16string& moduleName, const std::u16string& monitorName);
    /// Calls InitializePrintMonitor2 with this record (for tests of its checks).
    MONITOR2* Initialize(MONITORINIT* init, HANDLE* monitor);
    /// Calls the table's Shutdown and frees the module.
    void Unload();
    MONITOR2* Table() const { return table_; }
    HANDLE Monitor() const { return monitor_; }
    MONITORINIT* Init() { return &init_; }
    /// Sets a DWORD below the monitor's registry root.
    void SetRootValue(const std::u16string& name, DWORD value);

private:
    HMODULE module_ = nullptr;
    PFN_InitializePrintMonitor2 entry_ = nullptr;
    MONITOR2* table_ = nullptr;
    HANDLE monitor_ = nullptr;
    MONITORINIT init_{};
    HKEY root_ = nullptr;
};

/// The spooler's MONITORREG over the stand-in's registry (handles are HKEYs).
MONITORREG* SpoolerRegistryFunctions();

// --- The file port monitor: a real port monitor below a language monitor ---
/// Its handle and table, as the spooler passes them to OpenPortEx.
HANDLE FilePortMonitor();
MONITOR2* FilePortMonitorTable();

struct PortBehaviour {
    DWORD openError = 0;            // OpenPort fails with it
    DWORD startDocError = 0;        // StartDocPort fails with it
    DWORD maxTakePerWrite = 0;      // 0: a write takes everything
    DWORD writeError = 0;           // the next failWrites writes fail with it (after skipWrites)
    unsigned failWrites = 0;
    unsigned skipWrites = 0;
    unsigned failEvery = 0;         // not 0: the skip/fail window repeats every failEvery writes
    DWORD writeFailTake = 0;        // bytes a failing write still takes
    std::vector<BYTE> readData;     // what ReadPort gives, once
    DWORD readError = 0;            // ReadPort fails with it when readData is empty
    std::map<DWORD, std::vector<BYTE>> controlAnswers;  // GetPrinterDataFromPort by ControlID
    // ControlIDs whose answer is cut to the caller's buffer and reported with this count
    // instead of the bytes copied: a port monitor that overstates what it returned.
    std::map<DWORD, DWORD> controlClaims;
};
void SetPortBehaviour(const std::u16string& port, const PortBehaviour& behaviour);

struct PortDocument {
    std::u16string printer;
    DWORD jobId = 0;
    DWORD level = 0;
    std::u16string docName;
    std::vector<BYTE> bytes;   // read back from the document's file
    bool ended = false;
    std::string path;          // "<root>/.ports/<port>/<n>.prn"
};
/// Documents of the port in the order they were started.
std::vector<PortDocument> PortDocuments(const std::u16string& port);
/// The calls the port received, e.g. "OpenPort", "StartDocPort 7", "WritePort 100/100",
/// "SetPortTimeOuts 10 0 100 0 0", "ReadPort", "EndDocPort", "ClosePort", "Control 1441812":
/// the newest kMaxCallRecords of them, oldest first.
std::vector<std::string> PortCalls(const std::u16string& port);
inline constexpr size_t kMaxCallRecords = 65536;
struct ControlCall {
    DWORD control = 0;
    std::vector<BYTE> input;   // the caller's input buffer
    DWORD cbOut = 0;           // size of the caller's output buffer
};
/// The GetPrinterDataFromPort calls the port received, oldest first.
std::vector<ControlCall> ControlCalls(const std::u16string& port);
/// Ports the file port monitor has open now.
unsigned OpenPortCount();

}  // namespace standin::monitor

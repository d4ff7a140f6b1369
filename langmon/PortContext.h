#pragma once
// The monitor's record per open port. Its address is the port handle the spooler passes to
// every MONITOR2 entry. One heap block from the monitor's private heap holds the record and,
// after it, the port name. Fields that other areas of the monitor fill (settings, trace,
// status bindings) are named slots here; their owners declare the records they point to.
#include <atomic>
#include <type_traits>

#include "langmon/PortThread.h"
#include "platform/Kernel.h"
#include "platform/Monitor.h"
#include "platform/WinTypes.h"

struct PortSettings;   // langmon/PortSettings.h: registry settings of the port
struct SrmBinding;     // langmon/status/StatusManagerLink.h: status-manager binding of one printer
struct TraceSettings;  // langmon/log/TraceLog.h: trace log settings of the port
class StatusTable;     // langmon/status/StatusVariables.h: the port's status variables

namespace langmon {

struct MonitorHandle;  // langmon/MonitorProcess.h
struct PrintCheck;     // langmon/log/PrintHistory.h: print history and lost-print check

inline constexpr DWORD kPortSignature = 0x4F50;
/// Written over the signature when the block is freed, so a stale handle is refused.
inline constexpr DWORD kPortPoisoned = 0xDEAD4F50;

/// Bits of PortContext::State.
namespace port_state {
inline constexpr DWORD InJob = 0x1;               // between a good StartDocPort and its EndDocPort
inline constexpr DWORD PollingWanted = 0x2;       // cleared to stop the status thread
inline constexpr DWORD StatusThreadAlive = 0x4;
inline constexpr DWORD DeviceTookData = 0x10;     // since the last PJL block
inline constexpr DWORD PjlBlockPending = 0x20;
inline constexpr DWORD PortDocOpen = 0x40;        // a document is open in the port monitor
inline constexpr DWORD DeviceSupported = 0x80;
inline constexpr DWORD CancelDoneLow = 0x200;     // with CancelDoneHigh: job cancel done
inline constexpr DWORD OwnDocument = 0x1000;      // the spooler's document is the monitor's own
inline constexpr DWORD PoweredOff = 0x2000;
inline constexpr DWORD BusyLow = 0x4000;          // with BusyHigh: device busy
inline constexpr DWORD JobEnded = 0x8000;         // set at each job end, cleared before a PJL block
inline constexpr DWORD PrinterAbort = 0x20000;
inline constexpr DWORD KeepSendingJobInfo = 0x40000;
inline constexpr DWORD JobDeleting = 0x100000;
inline constexpr DWORD CancelDoneHigh = 0x800000;
inline constexpr DWORD SrmTerminate = 0x4000000;
inline constexpr DWORD BusyHigh = 0x8000000;
inline constexpr DWORD Closing = 0x40000000;

inline constexpr DWORD CancelDone = CancelDoneLow | CancelDoneHigh;
inline constexpr DWORD DeviceBusy = BusyLow | BusyHigh;
}  // namespace port_state

/// Bits and values of PortContext::PortKind (fixed at open).
namespace port_kind {
inline constexpr DWORD Base = 0x1;
inline constexpr DWORD Local = 0x2;         // USB or a local LPT port
inline constexpr DWORD Bound = 0x4;         // gets a status-manager binding at StartDocPort
inline constexpr DWORD Com = 0x10;          // pauses around the port monitor's documents
inline constexpr DWORD Other = 0x20;
inline constexpr DWORD Share = 0x40;        // no port mutex
inline constexpr DWORD DpuTcp = 0x80;
inline constexpr DWORD StandardTcp = 0x100;
inline constexpr DWORD Snmp = DpuTcp | StandardTcp;
inline constexpr DWORD StatusThreadKinds = 0x19A;

inline constexpr DWORD StandardTcpPort = 0x105;
inline constexpr DWORD DpuTcpPort = 0x85;
inline constexpr DWORD LocalPort = 0x3;      // USB, or LPT not redirected
inline constexpr DWORD SharePort = 0x41;     // LPT redirected to a share, or \\server\share
inline constexpr DWORD ComPort = 0x11;
inline constexpr DWORD OtherPort = 0x21;
}  // namespace port_kind

/// Bits of PortContext::SysFlag.
namespace sys_flag {
inline constexpr DWORD DataWritten = 0x1;
inline constexpr DWORD ResentJob = 0x10000000;       // resent after a power-off: data dropped
inline constexpr DWORD PowerOffJcidSaved = 0x40000000;
inline constexpr DWORD PowerOffJcidSavedAlt = 0x80000000;
inline constexpr DWORD KeptAcrossJobs = 0xC0000000;
}  // namespace sys_flag

/// Bits of JobQueueEntry::Flags and ::Flags2.
namespace job_flag {
inline constexpr DWORD PrinterStarted = 0x1;
inline constexpr DWORD PrinterFinished = 0x2;
inline constexpr DWORD EndDocSeen = 0x20;
inline constexpr DWORD PrinterAborted = 0x80000000;
inline constexpr DWORD LastPageEjectedSent = 0x10;  // in Flags2
}  // namespace job_flag

inline constexpr DWORD kJcidChars = 80;        // text area of a JCID; the header carries 45
inline constexpr DWORD kHeaderJcidChars = 45;
inline constexpr DWORD kHeaderNameChars = 24;
inline constexpr DWORD kHoldBackBytes = 80;
inline constexpr DWORD kChunkBytes = 4096;

/// One queued job of a port, from StartDocPort until the job tracking drops it. Heap block;
/// linked through Next; every access holds PortLock (a copy is taken for longer work).
struct JobQueueEntry {
    DWORD JobId;
    DWORD Flags;                 // job_flag bits
    char PrinterJobIndex[256];   // SNMP index of the printer's job table row
    char JcidIndex[256];         // SNMP index made of the JCID
    char Jcid[81];
    char JcidAtStart[81];        // saved when the printer started the job
    char JcidAtEnd[82];          // saved at EndDocPort
    SrmBinding* Binding;         // the job's printer; not owned
    DWORD Flags2;                // job_flag::LastPageEjectedSent
    JobQueueEntry* Next;
};
static_assert(offsetof(JobQueueEntry, Binding) - offsetof(JobQueueEntry, PrinterJobIndex) >= 756);

/// The waits of a port, in milliseconds. Defaults in MonitorRegistry.cpp; the monitor's registry
/// root can shorten them (tests do).
struct PortWaits {
    DWORD PortMutexMs;        // taking the port (30,000)
    DWORD ClosePortMs;        // cap on ClosePort's wait, whose value the printer's driver names
    DWORD ClosePollMs;        // step of that wait (1,000)
    DWORD PendingOutputMs;    // EndDocPort's sending of the pending output (60,000)
    DWORD ServiceMutexMs;     // the job service's list mutex (600,000)
    DWORD ServiceAnswerMs;    // the job service's answer to an offer (60,000,000)
    DWORD RetryPauseMs;       // pause after a failed or busy write (1,000; busy 2,000 = twice)
    DWORD ComPauseMs;         // COM ports around the port monitor's documents (100)
    DWORD LostJobMs;          // idle time after which an unended job counts as lost (60,000)
    DWORD StatusQueuedMs;     // status pass interval with jobs queued or running (3,000)
    DWORD StatusIdleMs;       // status pass interval without jobs (4,000)
    DWORD SuspendAckMs;       // the status thread's answer to a suspend request (4,000)
    DWORD UsbResendPauseMs;   // pause between resends of a USB port's tail (4,000)
    DWORD UsbResendMs;        // how long the tail is resent before the job is given up (60,000)
    DWORD EndedJobRecordMs;   // pause before the record that ends and clears a printed job (150)
};

/// The record behind a port handle. Made zeroed in the monitor heap by CreatePortContext,
/// freed by DeletePortContext once every thread of the port has been joined. The block is
/// freed without a destructor: every member is plain or atomic.
///
/// Each field that more than one thread touches has one rule, written beside it:
/// - "fixed": set while the port opens, before any thread of the port starts, and not changed
///   again until they have all been joined at close; read without a lock.
/// - "mutex": the port mutex (PortHold / WaitSpoolerFunc). The MONITOR2 entries, the status
///   passes, the job watch's device checks and the notification thread's job check hold it.
///   Share ports take no mutex, but run no thread besides the spooler's.
/// - "lock": PortLock, the per-port critical section (PortLockHold). Taken for short steps
///   that never wait for the mutex; every publisher run holds it.
/// - "both": written holding the mutex and PortLock, read holding either.
/// - "atomic": a std::atomic, changed by single atomic operations (|=, &= are fetch_or and
///   fetch_and) by threads that may hold neither lock.
/// Lock order: the port mutex, then PortLock. The monitor's global lock (ProcessLockHold) is
/// never taken while either is held; opening and closing a port take PortLock inside it.
struct PortContext {
    // identity
    DWORD Signature;             // fixed: kPortSignature while alive
    DWORD cbSize;                // fixed: of the block, name included
    PortContext* Next;           // the monitor's global lock: in the monitor's port list
    LPWSTR PortName;             // fixed: points into this block, after the record

    std::atomic<DWORD> State;    // atomic: port_state bits
    LPWSTR PrinterName;          // lock: heap copy, replaced when a job or a printer scan names
                                 // another printer; others copy it (PortPrinterName)

    // the current job
    DWORD JobId;                 // both: the publisher's ejects compare it under PortLock alone
    DWORD DocInfoLevel;          // mutex
    BYTE* DocInfoCopy;           // mutex: heap block: DOC_INFO_1W or _2W with its strings after it

    HANDLE PortMonitorPort;      // fixed: the real port monitor's handle of this port
    DWORD PortKind;              // fixed: port_kind bits; cleared of Base at close

    // status-manager bindings (the status-manager side fills them)
    SrmBinding* FirstBinding;    // lock: the list and every binding's fields
    SrmBinding* CurrentBinding;  // lock: the job's binding (valid while the mutex is held)
    DWORD BindingBound;          // lock: non-zero when CurrentBinding is bound to the manager

    JobQueueEntry* QueueHead;    // lock: the queue and its entries
    JobQueueEntry* QueueTail;    // lock

    // data the port did not take yet
    DWORD cbPending;             // mutex
    BYTE* Pending;               // mutex

    // synchronisation
    HANDLE PortMutex;            // fixed: serialises the entries, the status thread and the job watch
    HANDLE StopEvent;            // fixed: manual-reset, set once when the port stops
    CRITICAL_SECTION* PortLock;  // fixed: heap block
    DWORD PortLockDepth;         // lock

    DWORD LastDeviceCheckTick;   // mutex: (DWORD)-1: none yet
    ULONGLONG ModelMask;         // lock: written by the model check, read by the publisher
    DWORD InJobWord;             // mutex: 0, 1 or 2
    DWORD PollingOn;             // lock
    DWORD NotifyStartedStatusThread;  // mutex

    MONITOR2 PortMonitor;        // fixed: copy of the real port monitor's table

    std::atomic<DWORD> MyPortMode;  // atomic: changed under the mutex; a thread start reads it
    DWORD PartialWriteSeen;      // mutex
    DWORD PortNotTakingData;     // mutex
    HANDLE SuspendAckEvent;      // fixed: manual-reset
    DWORD SuspendRequest;        // lock

    // job header (JobHeader.cpp); all mutex
    char Jcid[kJcidChars + 1];
    char PowerOffJcid[kJcidChars + 1];
    BYTE HoldBack[kHoldBackBytes + 1];
    DWORD cbHoldBack;            // bytes of this job in HoldBack
    DWORD HoldBackHasData;       // the window holds data of this job
    LONG JobType;                // 0 not parsed, 1 PostScript, 2 PJL header, -1 other
    char JobName[kJcidChars + 1];
    DWORD Enter;
    DWORD BeganWithUel;
    DWORD PostScript;

    DWORD Ieee1284NotRead;       // mutex
    DWORD Ieee1284Mode[2];       // mutex

    // the job's writes; all mutex
    DWORD LastWriteError;
    DWORD WriteFailed;
    DWORD UsbResend;
    DWORD UsbResendFirst;
    DWORD UsbResendCount;
    DWORD WriteStarted;
    std::atomic<DWORD> WriteAllowed;  // atomic: set and cleared under the mutex; a refresh
                                      // request reads it without

    DWORD ServiceInstalled;      // mutex
    DWORD SysFlag;               // mutex: sys_flag bits

    // Slots of the settings, trace and print-check areas.
    PortSettings* Settings;      // fixed: owned; the rules of its fields are in PortSettings.h
    DWORD TraceOn;               // fixed: trace-log switch word
    TraceSettings* Trace;        // fixed: owned; a line is written holding PortLock (TracePort.cpp)
    PortWaits Waits;             // fixed
    DWORD ClosePortTimeoutMs;    // fixed
    const MonitorHandle* Monitor;  // fixed: the handle the port was opened with

    // A job whose EndDocPort may never come: an overlapping StartDocPort marks it, any entry
    // of the job clears the mark, and a later overlap after LostJobMs of silence ends it.
    DWORD LastJobActivityTick;   // mutex
    DWORD LostJobSuspected;      // mutex

    int SavedThreadPriority;     // mutex: the spooler thread's priority before the job changed it
    DWORD PriorityChanged;       // mutex
    DWORD PriorityThreadId;      // mutex: the thread whose priority the job changed

    // Status variables and the print check (langmon/status/StatusPort.h, langmon/log/PrintHistory.h).
    StatusTable* Variables;      // fixed: owned; its rows and values: lock
    BOOL PublishAgain;           // lock: a writer changed a row while the publisher ran
    PrintCheck* Check;           // mutex: owned; freed at close holding the mutex

    // Status polling (langmon/printer/StatusThread.h, langmon/printer/DeviceCheck.h).
    PortThread StatusThread;     // the polling thread (lock) and its wake event (fixed, auto-reset);
                                 // joined by StopStatusThread
    DWORD KeepPolling;           // lock: a job on a TCP/IP port asked for polling until it is done
    DWORD KeepPolling2;          // lock: a later request, dropped after a while (tick below)
    DWORD KeepPolling2Tick;      // lock
    DWORD UstatusOffPending;     // lock: the printer's status reports are to be switched off
    DWORD StatusPass;            // the polling thread's own: 0..2, a printer scan every third pass
    DWORD DeviceCheckCountdown;  // mutex: passes since the last device check
    DWORD JcidPollCount;         // mutex: kept by the job tracking
    std::atomic<DWORD> StatusPasses;  // atomic: passes made since the port opened (watched by tests)
    DWORD SnmpPort;              // mutex: UDP port of the printer's agent; 0: the standard one
    DWORD SnmpWaitMs;            // mutex: one wait for an SNMP answer; 0: the client's default

    // Job tracking on the printer (langmon/printer/JobTracking.h); all mutex.
    DWORD TrackedJobId;          // job of the staged `PrintingJobInfo`; 0: none staged
    DWORD TrackedPage;           // its Page as last published
    DWORD TrackedPageReading;    // the printer's page counter at the last reading

    // Job flow and queue (langmon/job/JobEntries.h, langmon/job/JobQueue.h).
    DWORD PendingEndCount;       // mutex: not 0: EndDocPort owes the job its LAST_PAGE_EJECTED (once)
    std::atomic<DWORD> CurrentJobEjected;  // atomic: LAST_PAGE_EJECTED went out for the job of
                                           // JobId already (also by a publisher run's drop)

    // Notification threads and bound printers (langmon/status/NotifyThread.h, langmon/status/BoundPrinters.h).
    SrmBinding* RetiredBindings; // lock: removed while their notification thread ran; freed once it is joined
    HANDLE StatusThreadEnded;    // fixed: manual-reset: set as the polling thread ends, reset at its start
    DWORD StatusThreadStarts;    // lock: counts the polling thread's starts
    PortThread JobWatch;         // the job watch (lock) and the event that ends its wait early
                                 // (fixed, auto-reset); joined by StopJobWatch
    DWORD JobWatchRunning;       // lock: from its start until its last step
    DWORD JobWatchStop;          // lock: the job watch is to end
    DWORD LastPortSeverity;      // lock: PORT_STATUS_TYPE_* last given to the spooler for the port
    DWORD PollRequests;          // lock: counts requests for polling; an ending thread that missed one goes on

    // Printer data from the port and the monitor's own documents (langmon/job/PortDocument.h).
};

static_assert(std::is_trivially_destructible_v<PortContext>, "freed as a heap block");

/// The context behind a handle, or NULL when it is not a live port context.
inline PortContext* PortFromHandle(HANDLE handle) noexcept {
    auto* port = static_cast<PortContext*>(handle);
    if (port == nullptr || port->Signature != kPortSignature) return nullptr;
    return port;
}

}  // namespace langmon

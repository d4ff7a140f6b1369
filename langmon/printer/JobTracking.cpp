// Following the queued jobs on the printer by their JCID over SNMP.
#include "langmon/printer/JobTracking.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "langmon/printer/DeviceCheck.h"
#include "langmon/PortHolds.h"
#include "langmon/PortSettings.h"
#include "langmon/log/PrintHistory.h"
#include "langmon/printer/PrinterState.h"
#include "langmon/snmp/SnmpClient.h"
#include "langmon/status/StatusPort.h"
#include "langmon/status/StatusVariables.h"
#include "langmon/log/TraceLog.h"
#include "platform/Sync.h"

namespace langmon {
namespace {

// The printer's private job tables, in the maker's subtree 1.3.6.1.4.1.253.8.
constexpr char kJcidColumn[] = "1.3.6.1.4.1.253.8.59.6.1.1.3";      // job table: JCID of each row
constexpr char kStateColumn[] = "1.3.6.1.4.1.253.8.59.6.1.1.9";
constexpr char kReasonsColumn[] = "1.3.6.1.4.1.253.8.59.6.1.1.10";
constexpr char kPagesColumn[] = "1.3.6.1.4.1.253.8.59.16.1.1.5";
constexpr char kJcidMapColumn[] = "1.3.6.1.4.1.253.8.59.8.1.1.2";   // JCID index -> PRID
constexpr char kCancelColumn[] = "1.3.6.1.4.1.253.8.76.3.2.1.1.1";
// The job table's rows of our jobs are "1.<PRID>".
constexpr char kPridRowFormat[] = "1.%s";
constexpr int32_t kCancelValue = 1414;
constexpr size_t kMinUidChars = 10;
// A pass never follows more entries than this (the queue is short; this only bounds it).
constexpr int kMaxEntriesPerPass = 256;
constexpr char kStars[] = "***************************************\r\n";
static_assert(sizeof kStars - 3 == 39);

// Job states and state reasons as the printer reports them.
constexpr int32_t kStateCreating = 3;
constexpr int32_t kStateProcessing = 7;
constexpr int32_t kStatePaused = 13;
constexpr int32_t kStateTerminating = 14;
constexpr int32_t kStateCompleted = 17;
constexpr DWORD kReasonCanceledByUser = 0x80;
constexpr DWORD kReasonAbortBySystem = 0x200;

struct Named {
    DWORD value;
    const char* name;
};
constexpr Named kStateNames[] = {
    {2, "unknown"},     {3, "Creating"}, {6, "Pending"}, {7, "Processing"}, {8, "Interrupted"},
    {11, "Retained"},   {12, "Held"},    {13, "Paused"}, {14, "Terminating"}, {17, "Completed"},
};
constexpr Named kReasonNames[] = {
    {0x10, "SuccessfulCompletion"}, {0x20, "CompletedWithWarning"}, {0x40, "CompletedWithError"},
    {0x80, "CanceledByUser"},       {0x100, "CanceledByOperator"},  {0x200, "AbortBySystem"},
};

struct JobReading {
    int32_t state = 0;
    int32_t reasons = 0;
    int32_t pages = 0;
};

/// What a pass needs of a queue entry, copied under the port's lock: no request runs with the
/// lock held, and the entry itself is only touched again after Locate found it still queued
/// (the publisher frees ended entries).
struct EntryCopy {
    const JobQueueEntry* entry = nullptr;
    const JobQueueEntry* next = nullptr;  // its successor when copied
    DWORD jobId = 0;
    DWORD flags = 0;
    char prid[256] = {};
    char jcidIndex[256] = {};
};

enum class AfterJob { NextJob, StopPass };

// Copies a field that may lack its terminator; the copy always has one.
template <size_t N, size_t M>
void CopyField(char (&to)[N], const char (&from)[M]) {
    const size_t n = strnlen(from, M < N ? M : N - 1);
    std::memcpy(to, from, n);
    to[n] = '\0';
}

void Copy(const JobQueueEntry& entry, EntryCopy& copy) {
    copy.entry = &entry;
    copy.next = entry.Next;
    copy.jobId = entry.JobId;
    copy.flags = entry.Flags;
    CopyField(copy.prid, entry.PrinterJobIndex);
    CopyField(copy.jcidIndex, entry.JcidIndex);
}

bool Listed(const PortContext& port, const JobQueueEntry* entry) {
    for (const JobQueueEntry* e = port.QueueHead; e != nullptr; e = e->Next) {
        if (e == entry) return true;
    }
    return false;
}

// The copied entry when it is still queued. Caller holds the port's lock.
JobQueueEntry* Locate(PortContext& port, const EntryCopy& copy) {
    for (JobQueueEntry* e = port.QueueHead; e != nullptr; e = e->Next) {
        if (e == copy.entry && e->JobId == copy.jobId) return e;
    }
    return nullptr;
}

bool CopyHead(PortContext& port, EntryCopy& copy) {
    PortLockHold lock(port);
    if (port.QueueHead == nullptr) return false;
    Copy(*port.QueueHead, copy);
    return true;
}

// Moves the copy on to the entry after it: its successor while it is queued; once it left
// the queue (ended jobs leave from the head), the successor it had then.
bool CopyNext(PortContext& port, EntryCopy& copy) {
    PortLockHold lock(port);
    const JobQueueEntry* next = nullptr;
    if (const JobQueueEntry* e = Locate(port, copy)) {
        next = e->Next;
    } else if (copy.next != nullptr && Listed(port, copy.next)) {
        next = copy.next;
    }
    if (next == nullptr) return false;
    Copy(*next, copy);
    return true;
}

// "<column>.<row>"; false when it would not fit an object name.
bool RowOid(char (&out)[snmp::kSnmpTextBytes], const char* column, const char* row) {
    const int n = std::snprintf(out, sizeof out, "%s.%s", column, row);
    return n > 0 && static_cast<size_t>(n) < sizeof out;
}

// The printer's address, copied out of the port's scratch.
bool PrinterAddress(PortContext& port, char (&address)[kSnmpScratchBytes]) {
    if (!GetPrinterAddress(port)) return false;
    CopyField(address, port.Settings->snmpAddress);
    return address[0] != '\0';
}

// State, reasons and pages of the job table row `row`.
bool ReadJob(const snmp::SnmpSettings& settings, const char* address, const char* row, JobReading& reading) {
    char oid[snmp::kSnmpTextBytes];
    return RowOid(oid, kStateColumn, row) && snmp::SnmpGetInteger(settings, address, oid, &reading.state) &&
           RowOid(oid, kReasonsColumn, row) && snmp::SnmpGetInteger(settings, address, oid, &reading.reasons) &&
           RowOid(oid, kPagesColumn, row) && snmp::SnmpGetInteger(settings, address, oid, &reading.pages);
}

void TraceReading(PortContext& port, const char* jcid, const char* prid, const JobReading& reading) {
    if (port.Trace == nullptr || !TraceWanted(*port.Trace, kTraceJobs)) return;
    WriteTraceText(&port, kTraceJobs, "%s", kStars);
    if (jcid != nullptr) WriteTraceText(&port, kTraceJobs, "JCID[%s]\r\n", jcid);
    WriteTraceText(&port, kTraceJobs, "PRID[%s]\r\n", prid);
    WriteTraceText(&port, kTraceJobs, "Page  [%03d]\r\n", static_cast<int>(reading.pages));
    WriteTraceText(&port, kTraceJobs, "Status[%08x]\r\nReason[%08x]\r\n", static_cast<unsigned>(reading.state),
                   static_cast<unsigned>(reading.reasons));
    for (const Named& state : kStateNames) {
        if (static_cast<DWORD>(reading.state) == state.value) {
            WriteTraceText(&port, kTraceJobs, "Status:%s\r\n", state.name);
        }
    }
    for (const Named& reason : kReasonNames) {
        if ((static_cast<DWORD>(reading.reasons) & reason.value) != 0) {
            WriteTraceText(&port, kTraceJobs, "Reason:%s\r\n", reason.name);
        }
    }
    WriteTraceText(&port, kTraceJobs, "%s", kStars);
}

// `PrintingJobInfo` {jobId, page} with the publisher's job flags, pushed.
void PublishPrintingJob(PortContext& port, DWORD jobId, DWORD page, DWORD jobFlags) {
    if (port.Variables == nullptr) return;
    {
        PortLockHold lock(port);
        PrintingJobInfoValue value{};
        value.JobID = jobId;
        value.Page = page;
        StatusVariable& row = port.Variables->row(kRowPrintingJobInfo);
        if (!port.Variables->Store(row, &value, sizeof value)) return;
        row.jobFlags = jobFlags;
    }
    PublishPort(port);
}

// What one job's readings mean for its queue entry. `markStarted` is false for the table walk,
// which publishes the start again at each visit.
AfterJob ApplyReading(PortContext& port, const EntryCopy& copy, const JobReading& reading, bool markStarted) {
    const DWORD reasons = static_cast<DWORD>(reading.reasons);
    if ((reasons & kReasonAbortBySystem) != 0) {
        // The job's JCID is kept so that the header parse knows the job when it comes again.
        PortLockHold lock(port);
        JobQueueEntry* entry = Locate(port, copy);
        if (entry == nullptr) return AfterJob::StopPass;
        if (entry->JcidAtStart[0] != '\0') {
            CopyField(port.PowerOffJcid, entry->JcidAtStart);
        } else {
            CopyField(port.PowerOffJcid, entry->Jcid);
        }
        entry->Flags |= job_flag::PrinterAborted;
        port.State |= port_state::PrinterAbort;
        return AfterJob::StopPass;
    }
    if ((reasons & kReasonCanceledByUser) != 0) {
        // A cancel of our own is not the user's doing.
        if ((port.State & port_state::CancelDone) == 0) {
            PrnLostChk(port, kJobSuspended, "JobSuspended");
        }
        return AfterJob::NextJob;
    }

    bool publishStart = false;
    DWORD flags = 0;
    char startedJcid[sizeof JobQueueEntry::JcidAtStart] = {};
    {
        PortLockHold lock(port);
        JobQueueEntry* entry = Locate(port, copy);
        if (entry == nullptr) return AfterJob::StopPass;
        if ((entry->Flags & job_flag::PrinterStarted) == 0) {
            if (markStarted) entry->Flags |= job_flag::PrinterStarted;
            CopyField(entry->JcidAtStart, entry->Jcid);
            CopyField(startedJcid, entry->JcidAtStart);
            publishStart = true;
        }
        if (publishStart || port.TrackedJobId != copy.jobId) {
            // The staged record and its page count belong to one job.
            port.TrackedJobId = copy.jobId;
            port.TrackedPage = 0;
            port.TrackedPageReading = 0;
        }
        flags = entry->Flags;
    }
    if (publishStart) {
        WriteTraceText(&port, kTraceJobs, "szStartedUID[%s]\r\n", startedJcid);
        PublishPrintingJob(port, copy.jobId, 0, kJobRecordCarriesJob);
    }

    if (port.TrackedPage == 0) port.TrackedPageReading = 0;
    if (reading.pages > 0 && static_cast<DWORD>(reading.pages) > port.TrackedPageReading) {
        port.TrackedPage += static_cast<DWORD>(reading.pages) - port.TrackedPageReading;
        port.TrackedPageReading = static_cast<DWORD>(reading.pages);
        PublishPrintingJob(port, copy.jobId, port.TrackedPage, kJobRecordCarriesJob);
    }

    const bool ended = reading.state == kStateTerminating ||
                       (reading.state == kStateCompleted && (flags & job_flag::EndDocSeen) != 0);
    if (!ended) return AfterJob::StopPass;
    OutPrnHist_JobStatus(port, copy.jobId, "End");
    {
        PortLockHold lock(port);
        JobQueueEntry* entry = Locate(port, copy);
        if (entry == nullptr) return AfterJob::NextJob;
        entry->Flags |= job_flag::PrinterFinished;
    }
    // Ends and clears the record: the publisher drops the job (and any in front of it) from
    // the queue, which tells the spooler its last page was ejected.
    PublishPrintingJob(port, copy.jobId, port.TrackedPage, kJobRecordEnded | kJobRecordClears);
    port.TrackedJobId = 0;
    port.TrackedPage = 0;
    port.TrackedPageReading = 0;
    return AfterJob::NextJob;
}

// The PRID from a map row's name: after the request's arcs, a count n and n arcs. False for a
// count of 0, one larger than the arcs there are, or a PRID too long to name objects with.
bool PridOf(const snmp::Oid& name, size_t requestArcs, char (&prid)[256]) {
    const auto arcs = name.Arcs();
    if (arcs.size() <= requestArcs) return false;
    const uint32_t n = arcs[requestArcs];
    if (n == 0 || n > arcs.size() - requestArcs - 1) return false;
    size_t used = 0;
    for (size_t i = 0; i <= n; ++i) {
        const int cb = std::snprintf(prid + used, sizeof prid - used, i == 0 ? "%u" : ".%u",
                                     static_cast<unsigned>(arcs[requestArcs + i]));
        if (cb <= 0 || used + static_cast<size_t>(cb) > kMaxPridChars) {
            prid[0] = '\0';
            return false;
        }
        used += static_cast<size_t>(cb);
    }
    return true;
}

// Walks the JCID map below the JCID index; the last well-formed row gives the PRID.
bool FindPrid(PortContext& port, const snmp::SnmpSettings& settings, const char* address, const char* jcidIndex,
              char (&prid)[256]) {
    prid[0] = '\0';
    char request[snmp::kSnmpTextBytes];
    snmp::Oid requestOid;
    if (jcidIndex[0] == '\0' || !RowOid(request, kJcidMapColumn, jcidIndex) || !snmp::ParseOid(request, requestOid)) {
        WriteTraceText(&port, kTraceJobs, "DEPEND_SNMP:GetAndCheckJCID ERROR[Func]\r\n");
        return false;
    }
    // The printer fills its map a moment after the job's data arrived.
    Sleep(port.Waits.RetryPauseMs);
    snmp::SnmpWalk walk(settings, address, request, snmp::ValueKind::Any, kJcidMapWalkSteps);
    bool found = false;
    while (walk.Next()) {
        const snmp::SnmpAnswer& answer = walk.Answer();
        if (!IsValidJCID(jcidIndex, answer.name)) break;
        char row[256];
        if (!PridOf(answer.oid, requestOid.count, row)) continue;  // a malformed row is passed over
        std::memcpy(prid, row, sizeof prid);
        found = true;
        WriteTraceText(&port, kTraceJobs, "DEPEND_SNMP:GetAndCheckJCID SUCCESS [FWID]\r\n");
    }
    if (walk.Stop() == snmp::WalkStop::LeftSubtree) {
        const bool shorter = std::strlen(walk.Answer().name) < std::strlen(request);
        WriteTraceText(&port, kTraceJobs, shorter ? "DEPEND_SNMP:GetAndCheckJCID ERROR[length]\r\n"
                                                  : "DEPEND_SNMP:GetAndCheckJCID ERROR[NoID]\r\n");
    } else {
        WriteTraceText(&port, kTraceJobs, "DEPEND_SNMP:GetAndCheckJCID ERROR[Func]\r\n");
    }
    return found;
}

// Stores a PRID found for the copied entry, when the entry is still queued.
void StorePrid(PortContext& port, const EntryCopy& copy, const char (&prid)[256]) {
    PortLockHold lock(port);
    if (JobQueueEntry* entry = Locate(port, copy)) CopyField(entry->PrinterJobIndex, prid);
}

// The JCID value of a job table row: an OCTET STRING that is whole text ("" for other values,
// and for values that hold a NUL or were cut: they cannot equal a JCID).
const char* RowJcid(const snmp::SnmpAnswer& answer) {
    if (answer.type != snmp::BerTag::OctetString || answer.textCut ||
        std::strlen(answer.text.data()) != answer.cbText) {
        return "";
    }
    return answer.text.data();
}

// The row index of a job table answer: its name after the JCID column and the dot.
const char* RowIndex(const snmp::SnmpAnswer& answer) { return answer.name + sizeof kJcidColumn; }

struct Lookups {
    bool matched = false;  // a JCID lookup found the PRID
    bool failed = false;   // one did not
};

// The queue from `copy` on: each entry's readings and their outcome, until a job that is not
// done yet, a failed reading or the queue's end.
void FollowQueue(PortContext& port, const snmp::SnmpSettings& settings, const char* address, EntryCopy& copy,
                 Lookups& lookups) {
    for (int visited = 0; visited < kMaxEntriesPerPass; ++visited) {
        bool follow = true;
        if ((copy.flags & job_flag::PrinterAborted) != 0) {
            WriteTraceLine(&port, kTraceJobs, "DEPEND_SNMP:CheckJCID_SNMP JOB is Aborted");
            follow = false;
        } else if (copy.jcidIndex[0] == '\0') {
            follow = false;  // no JCID from the job's header: nothing to look for
        } else if (copy.prid[0] == '\0') {
            follow = FindPrid(port, settings, address, copy.jcidIndex, copy.prid);
            if (follow) StorePrid(port, copy, copy.prid);
            (follow ? lookups.matched : lookups.failed) = true;
        }
        if (follow) {
            char row[snmp::kSnmpTextBytes];
            const int cb = std::snprintf(row, sizeof row, kPridRowFormat, copy.prid);
            JobReading reading;
            if (cb <= 0 || static_cast<size_t>(cb) >= sizeof row) return;
            if (!ReadJob(settings, address, row, reading)) return;  // the next pass tries again
            TraceReading(port, nullptr, copy.prid, reading);
            if (ApplyReading(port, copy, reading, true) == AfterJob::StopPass) return;
        }
        if (!CopyNext(port, copy)) return;
    }
}

}  // namespace

void TrackQueuedJobs(PortContext& port) {
    if (port.JcidPollCount > kJcidFailuresBeforeTableWalk) {
        CheckJCID_SNMP_FD(port);
        port.JcidPollCount = 0;
    } else {
        CheckJCID_SNMP(port);
    }
}

void CheckJCID_SNMP(PortContext& port) {
    EntryCopy copy;
    if (!CopyHead(port, copy)) {
        WriteTraceLine(&port, kTraceJobs, "DEPEND_SNMP:CheckJCID_SNMP EXIT@1");
        return;
    }
    char address[kSnmpScratchBytes];
    if (!PrinterAddress(port, address)) return;
    Lookups lookups;
    FollowQueue(port, PortSnmpSettings(port), address, copy, lookups);
    // The poll counter counts passes whose lookups failed; a match starts it again.
    if (lookups.matched) port.JcidPollCount = 0;
    if (lookups.failed) ++port.JcidPollCount;
}

void CheckJCID_SNMP_FD(PortContext& port) {
    {
        PortLockHold lock(port);
        if (port.QueueHead == nullptr) return;
    }
    char address[kSnmpScratchBytes];
    if (!PrinterAddress(port, address)) return;
    const snmp::SnmpSettings settings = PortSnmpSettings(port);
    snmp::SnmpWalk walk(settings, address, kJcidColumn, snmp::ValueKind::Any, kJobTableWalkSteps);
    while (walk.Next()) {
        // The answer is the walk's own: copy what outlives the next request.
        char jcid[snmp::kSnmpTextBytes + 1];
        char index[snmp::kSnmpTextBytes];
        std::snprintf(jcid, sizeof jcid, "%s", RowJcid(walk.Answer()));
        std::snprintf(index, sizeof index, "%s", RowIndex(walk.Answer()));
        if (jcid[0] == '\0') continue;
        EntryCopy copy;
        {
            PortLockHold lock(port);
            const JobQueueEntry* entry = FindQueuedJobByUid(port, jcid);
            if (entry == nullptr) continue;
            Copy(*entry, copy);
        }
        // An abort is handled once: the status pass drops the job.
        if ((copy.flags & job_flag::PrinterAborted) != 0) continue;
        JobReading reading;
        if (!ReadJob(settings, address, index, reading)) return;
        TraceReading(port, jcid, index, reading);
        if (ApplyReading(port, copy, reading, false) == AfterJob::StopPass) return;
    }
}

bool DEP_CheckPrintingStatus_SNMP(PortContext& port) {
    if ((port.State & port_state::PoweredOff) != 0) return false;
    char address[kSnmpScratchBytes];
    if (!PrinterAddress(port, address)) return false;
    const snmp::SnmpSettings settings = PortSnmpSettings(port);
    snmp::SnmpWalk walk(settings, address, kJcidColumn, snmp::ValueKind::Any, kJobTableWalkSteps);
    while (walk.Next()) {
        if (RowJcid(walk.Answer())[0] == '\0') continue;
        char oid[snmp::kSnmpTextBytes];
        int32_t state = 0;
        if (!RowOid(oid, kStateColumn, RowIndex(walk.Answer())) ||
            !snmp::SnmpGetInteger(settings, address, oid, &state)) {
            return false;
        }
        if (state == kStateCreating || state == kStateProcessing || state == kStatePaused) return true;
    }
    return false;
}

bool DEP_CancelJob_SNMP(PortContext& port) {
    EntryCopy copy;
    {
        PortLockHold lock(port);
        if (port.QueueTail == nullptr) return false;
        Copy(*port.QueueTail, copy);
    }
    if (copy.jcidIndex[0] == '\0') {
        WriteTraceLine(&port, kTraceJobs, "DEPEND_SNMP:CheckJCID_SNMP JCID未解析");
        return false;
    }
    char address[kSnmpScratchBytes];
    if (!PrinterAddress(port, address)) return false;
    const snmp::SnmpSettings settings = PortSnmpSettings(port);
    if (copy.prid[0] == '\0') {
        if (!FindPrid(port, settings, address, copy.jcidIndex, copy.prid)) return false;
        StorePrid(port, copy, copy.prid);
    }
    char oid[snmp::kSnmpTextBytes];
    if (!RowOid(oid, kCancelColumn, copy.prid)) return false;
    int32_t value = kCancelValue;
    // The client counts an answer with an error status as a failure: a refused cancel is not done.
    return snmp::SnmpSetInteger(settings, address, oid, &value);
}

bool GetAndCheckJCID(PortContext& port, JobQueueEntry& entry) {
    char jcidIndex[256];
    {
        PortLockHold lock(port);
        entry.PrinterJobIndex[0] = '\0';
        CopyField(jcidIndex, entry.JcidIndex);
    }
    char address[kSnmpScratchBytes];
    if (!PrinterAddress(port, address)) return false;
    char prid[256];
    if (!FindPrid(port, PortSnmpSettings(port), address, jcidIndex, prid)) return false;
    PortLockHold lock(port);
    CopyField(entry.PrinterJobIndex, prid);
    return true;
}

bool IsValidJCID(const char* indexText, const char* oid) {
    if (indexText == nullptr || oid == nullptr || indexText[0] == '\0') return false;
    constexpr size_t kPrefix = sizeof kJcidMapColumn - 1;
    if (std::strncmp(oid, kJcidMapColumn, kPrefix) != 0 || oid[kPrefix] != '.') return false;
    const char* rest = oid + kPrefix + 1;
    const size_t n = std::strlen(indexText);
    // The index must end where an arc ends: "2.65.66" is not the start of "2.65.667".
    return std::strncmp(rest, indexText, n) == 0 && (rest[n] == '.' || rest[n] == '\0');
}

JobQueueEntry* FindQueuedJobByUid(PortContext& port, const char* uid) {
    if (uid == nullptr || strnlen(uid, kMinUidChars) < kMinUidChars) return nullptr;
    const auto same = [uid](const char* field, size_t cbField) {
        const size_t n = strnlen(field, cbField);
        return n < cbField && std::strncmp(field, uid, cbField) == 0;
    };
    for (JobQueueEntry* e = port.QueueHead; e != nullptr; e = e->Next) {
        if (same(e->Jcid, sizeof e->Jcid) || same(e->JcidAtEnd, sizeof e->JcidAtEnd)) return e;
    }
    return nullptr;
}

namespace {

bool PrinterPrinting(PortContext& port, void*) { return DEP_CheckPrintingStatus_SNMP(port); }

constexpr StateHooks kTrackingHooks{PrinterPrinting, nullptr};

}  // namespace

const StateHooks* TrackingStateHooks() { return &kTrackingHooks; }

}  // namespace langmon

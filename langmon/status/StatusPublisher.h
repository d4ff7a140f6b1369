#pragma once
// The publisher that pushes a port's changed status variables to the status resource manager
// of every printer bound to the port, by the rule of each row.
#include "platform/Kernel.h"  // ahead of the port context, which uses its critical section
#include "langmon/PortContext.h"
#include "langmon/status/StatusManagerLink.h"
#include "langmon/status/StatusVariables.h"
#include "langmon/log/TraceLog.h"

/// JobQueueEntry::Flags2 bit: the entry's ended-job record went out.
inline constexpr DWORD kEntryRecordSent = 0x100;

/// What the publisher reads and changes of a port. The port context fills one per run;
/// tests fill it directly. Every pointer but `table` may be NULL.
struct PublishScope {
    StatusTable* table;
    SrmBinding* firstBinding;
    SrmBinding* currentBinding;           // binding of the job being sent
    ULONGLONG modelMask;                  // the port's model mask
    langmon::JobQueueEntry** queueHead;   // re-read after every drop
    BOOL usbPort;                         // drops every head entry of an ended job
    BOOL* publishAgain;                   // set by writers while a run is under way
    CRITICAL_SECTION* lock;               // the port's lock (re-entrant)
    TraceSettings* trace;
    LPCWSTR printerName;
    DWORD endedJobRecordMs;               // pause before a record that ends and clears a job
    void* hookContext;
    void (*dropHead)(void* context);      // OutJobQueue: LAST_PAGE_EJECTED, unlink and free the head
    void (*printingOff)(void* context);   // the printing mark off once the queue is empty
};

/// Pushes every changed row that has a value; returns the number of rows pushed, -1 without
/// a table. A failed row stays changed for the next run. After a successful push a row
/// without kAttrKeepValue gives its value back.
[[nodiscard]] int UpdateSRM_All(PublishScope& scope);

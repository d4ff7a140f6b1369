#pragma once
// When the status window shows, resizes or hides itself on its own: the job counters kept
// from the two queues, and the checks run after every queue change and status-row change.
// The decisions are pure functions of the record (so they can be tested as tables); the
// Check* functions carry them out on the main window. Window thread.
#include "psw/StatusTables.h"

// Condition bits of popUpCondition (my jobs) and popUpConditionEx (other users' jobs); the first of
// 0x1, 0x2, 0x4 that is set decides.
inline constexpr DWORD kPopupPrinting = 0x1u;         // show while printing
inline constexpr DWORD kPopupIcon = 0x2u;             // show as an icon while printing
inline constexpr DWORD kPopupErrorOnly = 0x4u;        // show only on an error
inline constexpr DWORD kPopupIconOnError = 0x10000u;  // with 0x2: show (not as an icon) on an error

/// Jobs of the user in a queue value ({count, count records of 580 bytes}); the count is
/// clamped to the records the value holds.
DWORD CountMyJobs(const PSWVariable& queue, LPCWSTR userName);
/// The job count of a queue value, clamped to the records it holds (0 when absent).
DWORD QueueJobCount(const PSWVariable& queue);
DWORD CountPrintingMyJob(const PSWDATA* data);
DWORD CountSpoolingMyJob(const PSWDATA* data);

/// Moves the counters on after a queue message (0x403 fetches SpoolerQueue, 0x406
/// PrinterQueue, any other message fetches nothing). FALSE when the fetch fails.
BOOL GetPopupJobInfo(PSWDATA* data, UINT message);

struct PopupDisplay {
    bool show;
    bool asIcon;
};
struct PopupSize {
    bool restore;
    bool minimise;
};
/// What a hidden window does: show, perhaps as an icon.
PopupDisplay DecideDisplay(const PSWDATA* data);
/// What a visible window does: restore wins over minimise.
PopupSize DecideChangeSize(const PSWDATA* data);
/// Whether a visible window may close: no side finds a reason to stay.
bool DecideClose(const PSWDATA* data);

BOOL CheckDisplayAndClose(PSWDATA* data);
BOOL CheckDisplayCondition(PSWDATA* data);
BOOL CheckChangeSizeCondition(PSWDATA* data);
BOOL CheckCloseCondition(PSWDATA* data);

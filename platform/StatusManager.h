#pragma once
// The status resource manager's interface as its clients see it: the library's name, result
// codes, the entry points' types (clients load the library by name and resolve them), and the
// layouts of the variables that the manager hands over. Results are DWORDs; 0 is success.
// The monitor, the manager stand-in and the tests all take it from here.
#include <cstddef>

#include "platform/WinTypes.h"

/// The manager's library, loaded by its bare name.
inline constexpr WCHAR kSrmLibraryName[] = u"KWTQSRMZ.DLL";

// --- Codes of a client's binding to the manager (what loading and opening it can fail with) ---
#define SRMERR_LOAD 1u          // the library could not be loaded
#define SRMERR_OPENFUNC 2u      // an entry point is missing, in the order clients resolve them
#define SRMERR_CLOSEFUNC 3u
#define SRMERR_GETFUNC 4u
#define SRMERR_SETFUNC 5u
#define SRMERR_SETMSGFUNC 6u
#define SRMERR_RESSETFUNC 7u
#define SRMERR_UPDATEFUNC 8u
#define SRMERR_NOTIFFUNC 9u
#define SRMERR_NOTIFEXFUNC 10u
#define SRMERR_KILLFUNC 11u
#define SRMERR_OPEN 16u         // OpenManagerExW failed

// --- Results of the manager's own calls ---
#define SRMRES_SUCCESS 0u
#define SRMRES_NOT_FOUND static_cast<DWORD>(-2)          // no such printer, variable, registration or request
#define SRMRES_ACCESS_DENIED static_cast<DWORD>(-5)      // the variable is the manager's own (CurrentStatus)
#define SRMRES_INVALID_HANDLE static_cast<DWORD>(-6)
#define SRMRES_NOT_DONE static_cast<DWORD>(-19)          // refresh: nobody refreshed (no monitor, or it declined)
#define SRMRES_MORE_DATA static_cast<DWORD>(-33)         // the buffer is too small: *cbNeeded holds the size
#define SRMRES_SIZE_ONLY static_cast<DWORD>(-36)         // a size query (NULL buffer) answered in *cbNeeded
#define SRMRES_BUSY static_cast<DWORD>(-38)              // refresh: the port stayed busy
#define SRMRES_INVALID_PARAMETER static_cast<DWORD>(-87)  // a NULL or malformed argument, a value of the wrong size
#define SRMRES_PENDING static_cast<DWORD>(-997)          // the request has not been answered yet

// --- Connection modes (OpenManagerExW's third argument) ---
inline constexpr DWORD kSrmModeMonitor = 1;
inline constexpr DWORD kSrmModeStatusWindow = 3;
inline constexpr DWORD kSrmModeSettingsRefresh = 8;  // the settings interface, which asks for refreshes
inline constexpr DWORD kSrmModeSettings = 10;        // the settings interface, which only reads

/// How long SetPrinterStatusDirectW waits for the monitor's answer before it gives up with
/// SRMRES_BUSY: on a settings-interface connection (modes 8 and 10, whose caller may be an
/// application without a window) a few seconds; on any other longer than the monitor's own
/// 30-second wait for its port.
inline constexpr DWORD kSrmSettingsRefreshWaitMs = 3000;
inline constexpr DWORD kSrmDirectRefreshWaitMs = 35000;

/// The largest value a client reads whole: a larger size claimed by the manager counts as a
/// failed read (nothing is allocated for it). A queue of 4,096 jobs of 580 bytes, the most the
/// manager lists, fits with room to spare.
inline constexpr DWORD kSrmMaxValueBytes = 4 * 1024 * 1024;

// --- Entry points ---
using PFN_OpenManagerExW = DWORD (*)(LPCWSTR printer, LPCWSTR client, DWORD mode, LPDWORD manager);
using PFN_CloseManager = DWORD (*)(DWORD manager);
/// buffer NULL (cb 0): SRMRES_SIZE_ONLY with the size in *cbNeeded; a short buffer:
/// SRMRES_MORE_DATA with the size (a counted list gets as many leading bytes as fit).
using PFN_GetPrinterStatusW = DWORD (*)(DWORD manager, LPCWSTR name, LPVOID buffer, DWORD cb, LPDWORD cbNeeded);
using PFN_GetPrinterStatusA = DWORD (*)(DWORD manager, LPCSTR name, LPVOID buffer, DWORD cb, LPDWORD cbNeeded);
using PFN_UpdatePrinterStatusW = DWORD (*)(DWORD manager, LPCWSTR name, LPCVOID value, DWORD cb);
using PFN_UpdatePrinterStatusA = DWORD (*)(DWORD manager, LPCSTR name, LPCVOID value, DWORD cb);
/// name "RefreshStatus", list a wide ";"-list of variable names (cb bytes): the monitor has
/// refreshed them when this returns (0), or SRMRES_NOT_DONE / SRMRES_BUSY.
using PFN_SetPrinterStatusDirectW = DWORD (*)(DWORD manager, LPCWSTR name, LPCVOID list, DWORD cb);
/// The same, answered later: `message` is posted to `window` when done (wParam the request
/// id, lParam 0); ResSetPrinterStatus then gives the monitor's answer and closes the request.
/// CloseManager abandons the connection's requests that are still open: no message follows.
using PFN_SetReqPrinterStatusMsgW = DWORD (*)(DWORD manager, LPCWSTR name, LPCVOID list, DWORD cb, HWND window,
                                              UINT message, LPDWORD requestId);
/// SRMRES_PENDING while the monitor has not answered (the request stays open).
using PFN_ResSetPrinterStatus = DWORD (*)(DWORD manager, DWORD requestId, LPDWORD result);
/// Each change of the variable, by any client of any process, posts `message` to `window`
/// (wParam the registration id, lParam 0), in the order of the changes; a window of another
/// process of the same run gets it from a thread of the manager in that process.
using PFN_SetNotificationMsgW = DWORD (*)(DWORD manager, LPCWSTR name, HWND window, UINT message, LPDWORD id);
/// names: `count` names joined by ";"; messages: one per name.
using PFN_SetNotificationMsgExW = DWORD (*)(DWORD manager, DWORD count, LPCWSTR names, HWND window,
                                            const DWORD* messages, LPDWORD id);
using PFN_KillNotificationMsg = DWORD (*)(DWORD manager, DWORD id);
/// events: one per name, set (from a thread of the manager) each time that variable changes.
using PFN_SetNotificationEventExA = DWORD (*)(DWORD manager, DWORD count, LPCSTR names, const HANDLE* events,
                                              LPDWORD id);
using PFN_KillNotificationEvent = DWORD (*)(DWORD manager, DWORD id);
/// Request answers by event and notification by callback.
using PFN_SetReqPrinterStatusEventA = DWORD (*)(DWORD manager, LPCSTR name, LPCVOID value, DWORD cb, HANDLE event,
                                                LPDWORD requestId);
using PFN_SetNotificationEventA = DWORD (*)(DWORD manager, LPCSTR name, HANDLE event, LPDWORD id);
using PFN_SetNotificationCallbackExA = DWORD (*)(DWORD manager, DWORD count, LPCSTR names, LPVOID callback,
                                                 LPVOID context, LPDWORD id);
using PFN_KillNotificationCallback = DWORD (*)(DWORD manager, DWORD id);

// --- Values as the manager hands them over (wide layouts) ---
struct SRM_PORT {  // "Port"
    DWORD dwPortType;  // 0: not known
    WCHAR szPortName[128];
    WCHAR szRedirectName[128];
};
static_assert(offsetof(SRM_PORT, szPortName) == 4 && offsetof(SRM_PORT, szRedirectName) == 260);
static_assert(sizeof(SRM_PORT) == 516);

// --- How the manager keeps "CurrentStatus" ---
// The manager derives it, whenever one of its sources changes, from
//   - "PrinterStatus", the monitor's three state words H, M, L (all 0 until it publishes);
//   - "SpoolerStatus", the manager's own word of what the spooler shows of the printer;
//   - "ClientStatus", the manager's own word for its clients (no bit is defined: 0);
//   - "JobStatus", the monitor's job bits.
// The "Err..." variables are the details of state bits that "PrinterStatus" already carries
// (paper jam, cover open, supplies, stacker, paper loading): they add no bit of their own.
// Readers rank the words by fixed (word, mask) rows, so every state is reached as follows:
//   - each H, M and L bit the monitor publishes appears as it is (power off, unknown port,
//     another model, printer errors, warming up, offline, printing, online, ...);
//   - the job bits appear in dwJobStatus;
//   - the spooler's pause and deletion appear in dwSpoolerStatus (SRM_SPOOLER_*);
//   - SRM_LOW_WAITING is added to L by the manager: jobs wait in the spooler (not yet taken by
//     the monitor), which is neither paused nor deleting one, while the printer is online and
//     prints nothing (the monitor never sets that bit itself);
//   - nothing set at all (before the monitor's first value) is the "no status" row.
#define SRM_SPOOLER_PAUSED 0x1u    // the printer is paused in the spooler
#define SRM_SPOOLER_DELETING 0x2u  // a job of the printer is being deleted
#define SRM_SPOOLER_JOBS 0x8u      // jobs wait in the spooler that the monitor has not taken
                                   // ("SpoolerQueue" is not empty); readers refresh when it changes
#define SRM_LOW_ONLINE 0x1u        // L bits of the monitor that the derivation reads
#define SRM_LOW_PRINTING 0x8u
#define SRM_LOW_WAITING 0x40u      // added by the manager, see above

struct SRM_STATUS_SOURCES {
    DWORD printerStatus[3];  // H, M, L
    DWORD spoolerStatus;
    DWORD clientStatus;
    DWORD jobStatus;
};

struct SRM_CURRENT_STATUS {  // "CurrentStatus", see above
    DWORD dwHigh;
    DWORD dwMiddle;
    DWORD dwLow;
    DWORD dwSpoolerStatus;
    DWORD dwClientStatus;
    DWORD dwJobStatus;
};
static_assert(offsetof(SRM_CURRENT_STATUS, dwSpoolerStatus) == 12 && offsetof(SRM_CURRENT_STATUS, dwJobStatus) == 20);
static_assert(sizeof(SRM_CURRENT_STATUS) == 24);

constexpr SRM_CURRENT_STATUS SrmDeriveCurrentStatus(const SRM_STATUS_SOURCES& sources) {
    DWORD low = sources.printerStatus[2];
    const bool idleOnline = (low & SRM_LOW_ONLINE) != 0 && (low & SRM_LOW_PRINTING) == 0;
    const DWORD spooler = sources.spoolerStatus & (SRM_SPOOLER_JOBS | SRM_SPOOLER_PAUSED | SRM_SPOOLER_DELETING);
    if (idleOnline && spooler == SRM_SPOOLER_JOBS) low |= SRM_LOW_WAITING;
    return SRM_CURRENT_STATUS{sources.printerStatus[0], sources.printerStatus[1], low,
                              sources.spoolerStatus, sources.clientStatus, sources.jobStatus};
}

// The queues are counted lists of SRM_JOB_INFO_W records (u32 count, then the records):
//   - "PrinterQueue": the count the monitor publishes (the jobs it has taken for the port),
//     with the records of that many of the spooler's jobs for the printer, oldest first
//     (zero records where the spooler shows fewer);
//   - "SpoolerQueue": the spooler's further jobs for the printer, the ones not yet taken.
// A job the spooler has seen through (last page ejected, printed, deleted) is in neither.
// The manager reads the spooler when a printer is opened, when the monitor publishes its
// queue, and when a host tells it of a change (SrmStandInSpoolerChanged).
// "UserAuthority": bit 0 set, the user may watch the printer.

struct SRM_JOB_INFO_W {  // "SendingJobInfo", and each record of "PrinterQueue" and "SpoolerQueue"
    WCHAR szJobName[256];
    WCHAR szUserName[32];
    DWORD dwJobId;
};
static_assert(offsetof(SRM_JOB_INFO_W, szUserName) == 512 && offsetof(SRM_JOB_INFO_W, dwJobId) == 576);
static_assert(sizeof(SRM_JOB_INFO_W) == 580);

struct SRM_PRINTING_JOB_INFO_W {  // "PrintingJobInfo"
    SRM_JOB_INFO_W job;
    DWORD dwPrintedPage;
};
static_assert(offsetof(SRM_PRINTING_JOB_INFO_W, dwPrintedPage) == 580 && sizeof(SRM_PRINTING_JOB_INFO_W) == 584);

// The narrow layouts the monitor writes with UpdatePrinterStatusA; the manager widens them.
struct SRM_JOB_INFO_A {  // "SendingJobInfo"
    CHAR szJobName[256];
    CHAR szUserName[32];
    DWORD dwJobId;
};
static_assert(offsetof(SRM_JOB_INFO_A, dwJobId) == 288 && sizeof(SRM_JOB_INFO_A) == 292);

struct SRM_PRINTING_JOB_INFO_A {  // "PrintingJobInfo"
    CHAR szJobName[256];
    CHAR szUserName[32];
    DWORD dwJobId;
    DWORD dwPage;
    BYTE reserved[24];
};
static_assert(offsetof(SRM_PRINTING_JOB_INFO_A, dwJobId) == 288 && offsetof(SRM_PRINTING_JOB_INFO_A, dwPage) == 292);
static_assert(sizeof(SRM_PRINTING_JOB_INFO_A) == 320);

struct SRM_BIN_CONFIG_ENTRY {  // an entry of the counted list "PrinterBinConfig"
    SHORT binId;
    SHORT second;
    WORD third;
    BYTE level;
    BYTE fifth;
    WORD lengthWord;
    WORD widthWord;
};
static_assert(offsetof(SRM_BIN_CONFIG_ENTRY, level) == 6 && sizeof(SRM_BIN_CONFIG_ENTRY) == 12);

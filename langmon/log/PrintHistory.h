#pragma once
// Print history and lost-print check of a port. The history keeps one line per event of the
// print-port product's jobs (document names with "Relaydock-") in a daily numbered file; the
// lost-print check raises bits of the status variable `ErrPrintSequence`.
#include "platform/Kernel.h"  // ahead of the port context, which uses its critical section
#include "langmon/PortContext.h"

namespace langmon {

inline constexpr DWORD kHistoryMaxLines = 1000;   // a file is closed with its 1,000th line
inline constexpr DWORD kHistoryMaxNumber = 100;   // numbers of a day's files run 1..100
inline constexpr DWORD kHistoryDocBytes = 63;     // document name, ANSI bytes
inline constexpr DWORD kLostEndDoc = 0x1;         // `ErrPrintSequence` bits
inline constexpr DWORD kJobSuspended = 0x4;

/// The print-check record of a port (`PortContext::Check`), from the monitor heap.
struct PrintCheck {
    BOOL HistoryOn;
    BOOL LostCheckOn;
    WCHAR Folder[MAX_PATH];  // "<BaseDir>\RAS\Trc"
    WCHAR Path[MAX_PATH];    // the open file
    HANDLE File;             // INVALID_HANDLE_VALUE while none is open
    DWORD Lines;             // written to the open file
    WORD Year, Month, Day;   // local date the open file was made for
};

/// Makes the record and reads the registry (HKLM "SOFTWARE\ZEV\Relaydock\Env\PrnChk"
/// "PrnOrdChk" and "PrnLostChk", "...\Env\Dir" "BaseDir"). False when the heap is exhausted.
[[nodiscard]] bool GetPrintCheckInfo(PortContext& port);
/// Closes the open history file with its last line, then frees the record. At ClosePort.
void ResetPrintCheckInfo(PortContext& port);

/// One history line "document<TAB>status" for the spooler job, when the history is on and
/// the job's document name holds "Relaydock-". A new file at each new day and after 1,000
/// lines.
void OutPrnHist_JobStatus(PortContext& port, DWORD jobId, LPCSTR status);

/// Raises `bit` of `ErrPrintSequence` and publishes it, once: a bit already set is left.
void PrnLostChk(PortContext& port, DWORD bit, LPCSTR text);

/// "<folder>\<prefix>_<name>_<YYYYMMDD>_<nnn><extension>": nnn follows the number of today's
/// file made last (1 after 100), 1 when there is none. `name` is used as given. False when
/// the result does not fit MAX_PATH.
[[nodiscard]] bool MakeHistoryFileName(LPCWSTR folder, LPCWSTR prefix, LPCWSTR name, LPCWSTR extension,
                                       const SYSTEMTIME& today, LPWSTR out);

/// The printer name as it may stand in a history file name: \ / : , ; * ? " < > | become '_'.
void SanitizeHistoryName(LPWSTR name);

}  // namespace langmon

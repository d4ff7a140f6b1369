#pragma once
// The status window's two tables: the status-bit table (which status row, text and class a
// CurrentStatus value means; handed to the host by GetPSWStatusTable) and the template of the
// variable table (the variables a window binds and the messages the manager posts for them),
// with the readers of a variable's value.
#include <cstddef>

#include "psw/PswMessages.h"
#include "psw/PswRecord.h"

/// Rows of the status-bit table and of the variable table (its last row is the empty end row).
inline constexpr int kPswStatusRows = 31;
inline constexpr int kPswVariableRows = 20;
inline constexpr WORD kPswLastStatusRow = 30;
inline constexpr int kPswPrinterNameChars = 260;

/// requestSize of a variable whose size the manager is asked for first.
inline constexpr LONG kAskSize = -1;
/// The notification class every variable registers in (0: none).
inline constexpr WORD kPswNotifyClass = 1;
/// Refresh groups (bits of refreshGroups): the variables asked again after a port change,
/// after a change of the spooler's status and for the refresh button, and the error
/// variables alone.
inline constexpr WORD kRefreshOnPort = 0x1;
inline constexpr WORD kRefreshOnSpooler = 0x2;
inline constexpr WORD kRefreshErrors = 0x4;

/// One row of the variable table: a status variable the window binds, its value as last
/// fetched and its notification. `cbValue` is the byte length of `value` (0 when there is
/// none yet); `requestSize` is the size to ask for (kAskSize: ask the manager first).
struct PSWVariable {
    WORD row;
    WCHAR name[65];
    LPVOID value;   // GlobalAlloc'd, owned by the row
    DWORD cbValue;  // bytes readable at value
    LONG requestSize;
    DWORD notifyId;
    DWORD message;
    WORD notifyClass;    // kPswNotifyClass, or 0 for none
    WORD refreshGroups;  // kRefresh* bits
};

/// The word of CurrentStatus that a status row tests (its value is the word's position
/// plus one; None tests nothing).
enum class StatusWord : WORD { None = 0, High, Middle, Low, Spooler, Client, Job };

/// A status row's class, as the host reads it from the status-bit table.
enum class StatusClass : DWORD {
    Error = 0,     // the printer needs a hand; the popups show for it
    Inactive = 1,  // no error, no printing: not followed, no answer, offline or paused
    Caution = 2,   // printing is held up for a while or something will soon want a hand
    Normal = 3,    // nothing yet, ready, printing, waiting, cancelling or deleting
};

/// Bits of a status row's kind. Only kKindHoldsJob is read (by the popup rules); the other
/// marks the spooler's rows (25, 26) and those where the port gives no status (2, 29, 30).
inline constexpr DWORD kKindHoldsJob = 0x1u;  // a job can be held by the state
inline constexpr DWORD kKindNoPrinterStatus = 0x2u;

// --- Named status rows (the status texts of resources/psw/PswIds.h name them all) ---
inline constexpr WORD kStatusRowOtherPrinter = 3;
inline constexpr WORD kStatusRowCancelling = 5;
inline constexpr WORD kStatusRowEngineAlarm = 7;
inline constexpr WORD kStatusRowPaperJam = 8;
inline constexpr WORD kStatusRowTonerOut = 9;
inline constexpr WORD kStatusRowOpcError = 10;  // a supply is used up
inline constexpr WORD kStatusRowStackerFailure = 11;
inline constexpr WORD kStatusRowOpcDrumError = 12;  // cleaner blade or waste toner bottle missing
inline constexpr WORD kStatusRowTrayFailureDeselected = 14;  // paper loading error
inline constexpr WORD kStatusRowPaperSizeError = 15;
inline constexpr WORD kStatusRowPaperOut = 16;
inline constexpr WORD kStatusRowSupplyLow = 27;
inline constexpr WORD kStatusRowReady = 28;

/// A row of the status-bit table as the host reads it: 36 bytes.
struct PSWStatusEntry {
    DWORD row;
    DWORD mask;
    WORD word;
    WORD stringId;
    DWORD zero;
    DWORD statusClass;  // a StatusClass
    DWORD helpContext;
    BYTE reserved[12];
};
static_assert(sizeof(PSWStatusEntry) == 36 && offsetof(PSWStatusEntry, statusClass) == 16);

/// The status-bit table (kPswStatusRows rows, row order = priority order).
const PSWStatusEntry* PswStatusTable();
/// The kind bits of a row (kKindHoldsJob is clear for rows 0, 25, 26); rows out of range
/// count as the last row.
DWORD PswStatusKind(WORD row);
/// The class of a row; rows out of range count as the last row.
StatusClass PswStatusClass(WORD row);

/// Indices of the variable table's rows.
enum PswVar : int {
    kVarPort = 0,
    kVarPrinterExtStatus,
    kVarSpoolerQueue,
    kVarSendingJobInfo,
    kVarPrintingJobInfo,
    kVarPrinterQueue,
    kVarPrinterBinConfig,
    kVarPrinterOptConfig,
    kVarUserAuthority,
    kVarPrinterName,
    kVarCurrentStatus,
    kVarCompulsivePolling,
    kVarLMStatus,
    kVarErrCoverOpen,
    kVarErrSupplies,
    kVarCurrentFeeder,
    kVarErrNoPaper2,
    kVarErrPaperJam,
    kVarErrLoadPaper,
    kVarEnd,
};
static_assert(kVarEnd + 1 == kPswVariableRows);

/// The template every record's variable table is copied from (values empty).
const PSWVariable* PswVariableTemplate();

/// The status row that a CurrentStatus value means: the first of rows 0..29 whose mask hits
/// the word it selects, else kPswLastStatusRow. A value shorter than 24 bytes counts as zeros.
WORD StatusRowOf(const void* currentStatus, DWORD cbValue);
/// Sets the record's current row from its CurrentStatus value (absent: kPswLastStatusRow).
void ConvertStatusID(LPPSWDATA data);

/// Reads the DWORD at byte offset `offset` of a row's value; `fallback` when the value is
/// absent or too short.
DWORD PswValueDword(const PSWVariable& row, DWORD offset, DWORD fallback = 0);
/// Bit 0 of a single-DWORD variable (LMStatus, CompulsivePolling, UserAuthority...).
bool PswValueBit0(LPPSWDATA data, PswVar var);
/// Copies a fixed wide field of a value into out, always terminated (cchField characters at
/// most, and no more than the value holds).
void CopyWideField(const PSWVariable& row, DWORD offset, DWORD cchField, LPWSTR out, DWORD cchOut);

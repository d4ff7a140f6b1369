#include "psw/StatusTables.h"

#include <cstring>

#include "resources/psw/PswIds.h"

namespace {

// A row of the status-bit table: the CurrentStatus word and bit it tests, the status text it
// shows, its class and its kind bits.
struct StatusRowDef {
    StatusWord word;
    DWORD mask;
    WORD text;
    StatusClass cls;
    DWORD kind;
};

using enum StatusWord;
using enum StatusClass;
constexpr DWORD kHold = kKindHoldsJob;
constexpr DWORD kNoStatus = kKindNoPrinterStatus;

// Row order is priority order: the first row whose mask hits decides; the comment is the row.
// The masks are the monitor's state bits as CurrentStatus carries them, and the manager's
// SRM_SPOOLER_* (rows 25, 26) and SRM_LOW_WAITING (row 23).
//   word     mask        status text                       class     kind
constexpr StatusRowDef kRows[kPswStatusRows] = {
    {None,    0,          0,                                Normal,   0},                  // 0: nothing yet, never hit
    {Middle,  0x1000,     kStatusTextPortClosed,            Inactive, kHold},              // 1
    {Middle,  0x400,      kStatusTextNoStatusOnPort,        Inactive, kHold | kNoStatus},  // 2
    {Middle,  0x200,      kStatusTextOtherPrinter,          Inactive, kHold},              // 3
    {Middle,  0x80,       kStatusTextServiceCall,           Error,    kHold},              // 4
    {Job,     0x4,        kStatusTextCancelling,            Normal,   kHold},              // 5
    {Middle,  0x100,      kStatusTextNoAnswer,              Inactive, kHold},              // 6
    {Low,     0x400,      kStatusTextEngineAlarm,           Error,    kHold},              // 7
    {Low,     0x10000,    kStatusTextPaperJam,              Error,    kHold},              // 8
    {Low,     0x4000,     kStatusTextTonerOut,              Error,    kHold},              // 9
    {Low,     0x20000000, kStatusTextSupplyUsedUp,          Error,    kHold},              // 10
    {High,    0x8,        kStatusTextStackerError,          Error,    kHold},              // 11
    {Middle,  0x4,        kStatusTextCleanerMissing,        Error,    kHold},              // 12
    {Low,     0x8000,     kStatusTextCoverOpen,             Error,    kHold},              // 13
    {Middle,  0x40000000, kStatusTextPaperLoadingError,     Error,    kHold},              // 14
    {Low,     0x4000000,  kStatusTextPaperSizeError,        Error,    kHold},              // 15
    {Low,     0x800000,   kStatusTextPaperOut,              Error,    kHold},              // 16
    {Middle,  0x2000,     kStatusTextPaperSetWrong,         Error,    kHold},              // 17
    {Low,     0x80000,    kStatusTextMaintenance,           Caution,  kHold},              // 18
    {Low,     0x400000,   kStatusTextPageTooComplex,        Error,    kHold},              // 19
    {Low,     0x10,       kStatusTextWarmingUp,             Caution,  kHold},              // 20
    {Low,     0x1000,     kStatusTextOffline,               Inactive, kHold},              // 21
    {Job,     0x2,        kStatusTextJobPaused,             Inactive, kHold},              // 22
    {Low,     0x40,       kStatusTextJobsWaiting,           Normal,   kHold},              // 23
    {Low,     0x8,        kStatusTextPrinting,              Normal,   kHold},              // 24
    {Spooler, 0x1,        kStatusTextPrinterPaused,         Inactive, kNoStatus},          // 25
    {Spooler, 0x2,        kStatusTextDeletingJob,           Normal,   kNoStatus},          // 26
    {Low,     0x80,       kStatusTextSupplyLow,             Caution,  kHold},              // 27
    {Low,     0x1,        kStatusTextReady,                 Normal,   kHold},              // 28
    {Middle,  0x800,      kStatusTextNoStatusOnNetworkPort, Inactive, kHold | kNoStatus},  // 29
    {Low,     0,          kStatusTextUnknown,               Inactive, kHold | kNoStatus},  // 30: no row hit
};

struct StatusTable {
    PSWStatusEntry rows[kPswStatusRows];
    StatusTable() : rows{} {
        for (int i = 0; i < kPswStatusRows; ++i) {
            rows[i].row = static_cast<DWORD>(i);
            rows[i].mask = kRows[i].mask;
            rows[i].word = static_cast<WORD>(kRows[i].word);
            rows[i].stringId = kRows[i].text;
            rows[i].statusClass = static_cast<DWORD>(kRows[i].cls);
        }
    }
};

const StatusTable& Table() {
    static const StatusTable table;
    return table;
}

constexpr PSWVariable Var(WORD row, const char* name, LONG size, DWORD message, WORD groups) {
    PSWVariable v{};
    v.row = row;
    for (int i = 0; name[i] != '\0' && i < 64; ++i) {
        v.name[i] = static_cast<WCHAR>(name[i]);
    }
    v.requestSize = size;
    v.message = message;
    v.notifyClass = message != 0 ? kPswNotifyClass : 0;
    v.refreshGroups = groups;
    return v;
}

// Every row registers in the one notification class. A size of kAskSize asks the manager.
constexpr WORD kPortAndSpooler = kRefreshOnPort | kRefreshOnSpooler;
constexpr WORD kAllGroups = kRefreshOnPort | kRefreshOnSpooler | kRefreshErrors;
constexpr LONG kDword = sizeof(DWORD);
constexpr PSWVariable kVariables[kPswVariableRows] = {
    Var(kVarPort, "Port", sizeof(SRM_PORT), WM_PSW_PORT, 0),
    Var(kVarPrinterExtStatus, "PrinterExtStatus", kDword, WM_PSW_PRINTEREXTSTATUS, kPortAndSpooler),
    Var(kVarSpoolerQueue, "SpoolerQueue", kAskSize, WM_PSW_SPOOLERQUEUE, 0),
    Var(kVarSendingJobInfo, "SendingJobInfo", sizeof(SRM_JOB_INFO_W), WM_PSW_SENDINGJOBINFO, 0),
    Var(kVarPrintingJobInfo, "PrintingJobInfo", sizeof(SRM_PRINTING_JOB_INFO_W), WM_PSW_PRINTINGJOBINFO, 0),
    Var(kVarPrinterQueue, "PrinterQueue", kAskSize, WM_PSW_PRINTERQUEUE, 0),
    Var(kVarPrinterBinConfig, "PrinterBinConfig", kAskSize, WM_PSW_PRINTERBINCONFIG, kAllGroups),
    Var(kVarPrinterOptConfig, "PrinterOptConfig", kAskSize, WM_PSW_PRINTEROPTCONFIG, kAllGroups),
    Var(kVarUserAuthority, "UserAuthority", kDword, WM_PSW_USERAUTHORITY, 0),
    Var(kVarPrinterName, "PrinterName", kPswPrinterNameChars * sizeof(WCHAR), WM_PSW_PRINTERNAME, 0),
    Var(kVarCurrentStatus, "CurrentStatus", sizeof(SRM_CURRENT_STATUS), WM_PSW_CURRENTSTATUS, kPortAndSpooler),
    Var(kVarCompulsivePolling, "CompulsivePolling", kDword, WM_PSW_COMPULSIVEPOLLING, 0),
    Var(kVarLMStatus, "LMStatus", kDword, WM_PSW_LMSTATUS, 0),
    Var(kVarErrCoverOpen, "ErrCoverOpen", kDword, WM_PSW_ERRCOVEROPEN, kAllGroups),
    Var(kVarErrSupplies, "ErrSupplies", kAskSize, WM_PSW_ERRSUPPLIES, kAllGroups),
    Var(kVarCurrentFeeder, "CurrentFeeder", kDword, WM_PSW_CURRENTFEEDER, kAllGroups),
    Var(kVarErrNoPaper2, "ErrNoPaper2", 2 * kDword, WM_PSW_ERRNOPAPER2, kAllGroups),
    Var(kVarErrPaperJam, "ErrPaperJam", kDword, WM_PSW_ERRPAPERJAM, kAllGroups),
    Var(kVarErrLoadPaper, "ErrLoadPaper", kDword, WM_PSW_ERRLOADPAPER, kAllGroups),
    Var(kVarEnd, "", 0, 0, 0),  // the end row
};

}  // namespace

const PSWStatusEntry* PswStatusTable() { return Table().rows; }

DWORD PswStatusKind(WORD row) { return row < kPswStatusRows ? kRows[row].kind : kRows[kPswLastStatusRow].kind; }

StatusClass PswStatusClass(WORD row) { return row < kPswStatusRows ? kRows[row].cls : kRows[kPswLastStatusRow].cls; }

const PSWVariable* PswVariableTemplate() { return kVariables; }

WORD StatusRowOf(const void* currentStatus, DWORD cbValue) {
    DWORD words[6] = {};
    if (currentStatus != nullptr) {
        std::memcpy(words, currentStatus, cbValue < sizeof(words) ? cbValue : sizeof(words));
    }
    for (WORD row = 0; row < kPswLastStatusRow; ++row) {
        const StatusRowDef& def = kRows[row];
        if (def.word >= StatusWord::High && def.word <= StatusWord::Job &&
            (words[static_cast<int>(def.word) - 1] & def.mask) != 0) {
            return row;
        }
    }
    return kPswLastStatusRow;
}

void ConvertStatusID(LPPSWDATA data) {
    const PSWVariable& row = data->variables[kVarCurrentStatus];
    data->statusRow = StatusRowOf(row.value, row.cbValue);
}

DWORD PswValueDword(const PSWVariable& row, DWORD offset, DWORD fallback) {
    if (row.value == nullptr || row.cbValue < offset + sizeof(DWORD)) {
        return fallback;
    }
    DWORD value;
    std::memcpy(&value, static_cast<const BYTE*>(row.value) + offset, sizeof(value));
    return value;
}

bool PswValueBit0(LPPSWDATA data, PswVar var) { return (PswValueDword(data->variables[var], 0) & 1u) != 0; }

void CopyWideField(const PSWVariable& row, DWORD offset, DWORD cchField, LPWSTR out, DWORD cchOut) {
    if (cchOut == 0) {
        return;
    }
    out[0] = u'\0';
    if (row.value == nullptr || row.cbValue <= offset) {
        return;
    }
    DWORD cch = (row.cbValue - offset) / sizeof(WCHAR);
    cch = cch < cchField ? cch : cchField;
    cch = cch < cchOut - 1 ? cch : cchOut - 1;
    std::memcpy(out, static_cast<const BYTE*>(row.value) + offset, cch * sizeof(WCHAR));
    out[cch] = u'\0';
}

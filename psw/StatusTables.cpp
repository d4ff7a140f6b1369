#include "psw/StatusTables.h"

#include <cstring>

namespace {

struct StatusRowDef {
    StatusWord word;
    DWORD mask;
    WORD text;
    DWORD cls;
    DWORD kind;
};

// Row order is priority order: the first row whose mask hits decides.
constexpr StatusRowDef kRows[kPswStatusRows] = {
    {StatusWord::None, 0, 0, 3, 0},  // 0: nothing yet (never hit: its mask is empty)
    {StatusWord::Middle, 0x1000, 2000, 1, 1},
    {StatusWord::Middle, 0x400, 2001, 1, 3},
    {StatusWord::Middle, 0x200, 2002, 1, 1},
    {StatusWord::Middle, 0x80, 2005, 0, 1},
    {StatusWord::Job, 0x4, 2003, 3, 1},
    {StatusWord::Middle, 0x100, 2004, 1, 1},
    {StatusWord::Low, 0x400, 2056, 0, 1},
    {StatusWord::Low, 0x10000, 2006, 0, 1},
    {StatusWord::Low, 0x4000, 2018, 0, 1},
    {StatusWord::Low, 0x20000000, 2062, 0, 1},  // kStatusRowOpcError
    {StatusWord::High, 0x8, 2063, 0, 1},          // kStatusRowStackerFailure
    {StatusWord::Middle, 0x4, 2014, 0, 1},         // kStatusRowOpcDrumError
    {StatusWord::Low, 0x8000, 2025, 0, 1},
    {StatusWord::Middle, 0x40000000, 2064, 0, 1},  // kStatusRowTrayFailureDeselected
    {StatusWord::Low, 0x4000000, 2028, 0, 1},
    {StatusWord::Low, 0x800000, 2029, 0, 1},
    {StatusWord::Middle, 0x2000, 2065, 0, 1},
    {StatusWord::Low, 0x80000, 2017, 2, 1},
    {StatusWord::Low, 0x400000, 2066, 0, 1},
    {StatusWord::Low, 0x10, 2045, 2, 1},
    {StatusWord::Low, 0x1000, 2042, 1, 1},
    {StatusWord::Job, 0x2, 2043, 1, 1},
    {StatusWord::Low, 0x40, 2053, 3, 1},
    {StatusWord::Low, 0x8, 2046, 3, 1},
    {StatusWord::Spooler, 0x1, 2047, 1, 2},
    {StatusWord::Spooler, 0x2, 2048, 3, 2},
    {StatusWord::Low, 0x80, 2067, 2, 1},
    {StatusWord::Low, 0x1, 2054, 3, 1},
    {StatusWord::Middle, 0x800, 2055, 1, 3},
    {StatusWord::Low, 0, 2099, 1, 3},  // kPswLastStatusRow: no row hit
};

struct StatusTable {
    PSWStatusEntry rows[kPswStatusRows];
    StatusTable() : rows{} {
        for (int i = 0; i < kPswStatusRows; ++i) {
            rows[i].row = static_cast<DWORD>(i);
            rows[i].mask = kRows[i].mask;
            rows[i].word = static_cast<WORD>(kRows[i].word);
            rows[i].stringId = kRows[i].text;
            rows[i].statusClass = kRows[i].cls;
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
    v.notifyClass = message != 0 ? 1 : 0;
    v.refreshGroups = groups;
    return v;
}

// Every row registers in notification class 1. Refresh groups: 1 after a port change, 2 after
// a spooler-status change and for the refresh button, 4 the error variables alone.
constexpr PSWVariable kVariables[kPswVariableRows] = {
    Var(0, "Port", sizeof(SRM_PORT), WM_PSW_PORT, 0),
    Var(1, "PrinterExtStatus", 4, WM_PSW_PRINTEREXTSTATUS, 3),
    Var(2, "SpoolerQueue", -1, WM_PSW_SPOOLERQUEUE, 0),
    Var(3, "SendingJobInfo", sizeof(SRM_JOB_INFO_W), WM_PSW_SENDINGJOBINFO, 0),
    Var(4, "PrintingJobInfo", sizeof(SRM_PRINTING_JOB_INFO_W), WM_PSW_PRINTINGJOBINFO, 0),
    Var(5, "PrinterQueue", -1, WM_PSW_PRINTERQUEUE, 0),
    Var(6, "PrinterBinConfig", -1, WM_PSW_PRINTERBINCONFIG, 7),
    Var(7, "PrinterOptConfig", -1, WM_PSW_PRINTEROPTCONFIG, 7),
    Var(8, "UserAuthority", 4, WM_PSW_USERAUTHORITY, 0),
    Var(9, "PrinterName", kPswPrinterNameChars * sizeof(WCHAR), WM_PSW_PRINTERNAME, 0),
    Var(10, "CurrentStatus", sizeof(SRM_CURRENT_STATUS), WM_PSW_CURRENTSTATUS, 3),
    Var(11, "CompulsivePolling", 4, WM_PSW_COMPULSIVEPOLLING, 0),
    Var(12, "LMStatus", 4, WM_PSW_LMSTATUS, 0),
    Var(13, "ErrCoverOpen", 4, WM_PSW_ERRCOVEROPEN, 7),
    Var(14, "ErrSupplies", -1, WM_PSW_ERRSUPPLIES, 7),
    Var(15, "CurrentFeeder", 4, WM_PSW_CURRENTFEEDER, 7),
    Var(16, "ErrNoPaper2", 8, WM_PSW_ERRNOPAPER2, 7),
    Var(17, "ErrPaperJam", 4, WM_PSW_ERRPAPERJAM, 7),
    Var(18, "ErrLoadPaper", 4, WM_PSW_ERRLOADPAPER, 7),
    Var(19, "", 0, 0, 0),
};

}  // namespace

const PSWStatusEntry* PswStatusTable() { return Table().rows; }

DWORD PswStatusKind(WORD row) { return row < kPswStatusRows ? kRows[row].kind : kRows[kPswLastStatusRow].kind; }

DWORD PswStatusClass(WORD row) { return row < kPswStatusRows ? kRows[row].cls : kRows[kPswLastStatusRow].cls; }

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

// The status-variable template, the "no error" defaults and the port's table of values.
#include "langmon/status/StatusVariables.h"

#include <cstring>

#include "platform/Kernel.h"
#include "platform/Sync.h"

namespace {

constexpr DWORD kAttrBoth = kAttrReplay | kAttrKeepValue;

constexpr StatusVariable Row(LPCSTR name, LONG size, LONG elementSize, LONG type, DWORD refresh, DWORD attributes) {
    return StatusVariable{name, kEveryModel, nullptr, size, elementSize, type, 0, 0, refresh, attributes, 0};
}

}  // namespace

// The job records and the queue count are freed after each push (attributes 0): a later
// writer starts from a zeroed value. `PrinterName` and `Port` are the manager's own and
// only hold their place.
const StatusVariable kStatusVariableTemplate[kStatusRowCount] = {
    Row("SendingJobInfo", sizeof(SendingJobInfoValue), 0, kPublishJobRecord, 0, 0),
    Row("PrintingJobInfo", sizeof(PrintingJobInfoValue), 0, kPublishJobRecord, 0, 0),
    Row("PrinterQueue", 4, 0, kPublishQueue, 0, 0),
    Row("JobStatus", 4, 0, kPublishJobStatus, 0, kAttrBoth),
    Row("ErrPaperJam", 4, 0, kPublishPlain, 0, kAttrBoth),
    Row("ErrCoverOpen", 4, 0, kPublishPlain, kRefreshStatus, kAttrBoth),
    Row("ErrNoPaper", sizeof(ErrNoPaperValue), 0, kPublishPlain, 0, kAttrBoth),
    Row("ErrNoPaper2", sizeof(ErrNoPaper2Value), 0, kPublishPlain, 0, kAttrBoth),
    Row("ErrHWError", 4, 0, kPublishPlain, 0, kAttrBoth),
    Row("ErrPaperSizeError", 4, 0, kPublishPlain, 0, kAttrBoth),
    Row("CurrentFeeder", 4, 0, kPublishPlain, kRefreshConfig, kAttrBoth),
    Row("PrinterBinConfig", kCountedList, sizeof(BinConfigEntry), kPublishPlain, kRefreshConfig, kAttrBoth),
    Row("PrinterOptConfig", kCountedList, 8, kPublishModelOnly, kRefreshConfig, kAttrBoth),
    Row("ErrSupplies", sizeof(ErrSuppliesValue), 0, kPublishPlain, 0, kAttrBoth),
    Row("ErrStacker", 4, 0, kPublishPlain, 0, kAttrBoth),
    Row("ErrLoadPaper", 4, 0, kPublishPlain, 0, kAttrBoth),
    Row("PrinterStatus", sizeof(PrinterStatusValue), 0, kPublishStatus, kRefreshStatus, kAttrBoth),
    Row("IconState", 4, 0, kPublishPlain, kRefreshConfig, kAttrBoth),
    Row("PrinterExtStatus", 4, 0, kPublishPlain, kRefreshExtStatus, kAttrBoth),
    Row("PrinterManufacturer", 32, 0, kPublishPlain, kRefreshConfig, kAttrBoth),
    Row("PrinterModel", 32, 0, kPublishPlain, kRefreshConfig, kAttrBoth),
    Row("EmulationInfo", kCountedList, 4, kPublishModelOnly, kRefreshConfig, kAttrBoth),
    Row("PrinterName", 0, 0, kPublishNever, 0, 0),
    Row("Port", 0, 0, kPublishNever, 0, 0),
    Row("ErrPartsLife", sizeof(ErrPartsLifeValue), 0, kPublishPlain, kRefreshConfig, kAttrBoth),
    Row("ErrPrintSequence", 4, 0, kPublishPlain, 0, kAttrBoth),
};

#define FF4 0xFF, 0xFF, 0xFF, 0xFF
const DefaultStatusRow kDefaultStatusRows[] = {
    {kRowErrPaperJam, {0, 0, 0x10000}, {FF4}, 4},
    {kRowErrCoverOpen, {0, 0, 0x8000}, {FF4}, 4},
    {kRowErrNoPaper, {0, 0, 0x4800000}, {FF4}, 4},
    {kRowErrNoPaper2, {0, 0, 0x4800000}, {FF4, 0, 0, 0, 0}, 8},
    {kRowErrHWError, {0, 0x80, 0}, {FF4}, 4},
    {kRowErrPaperSizeError, {0, 0, 0x40000}, {FF4}, 4},
    {kRowErrSupplies, {0, 4, 0x20004082}, {6, 0, 0, 0, FF4, FF4, FF4, FF4, FF4, FF4}, 28},
    {kRowErrStacker, {8, 0, 0}, {FF4}, 4},
    {kRowErrLoadPaper, {0, 0x10, 0}, {FF4}, 4},
    {kRowErrPartsLife, {0, 0, 0x80000}, {0, 0, 0, 0, 0, 0}, 6},
};
#undef FF4
const size_t kDefaultStatusRowCount = sizeof kDefaultStatusRows / sizeof kDefaultStatusRows[0];

void StatusTable::Init(HANDLE heap) {
    Clear();
    heap_ = heap;
    for (int i = 0; i < kStatusRowCount; ++i) rows_[i] = kStatusVariableTemplate[i];
}

void StatusTable::Clear() {
    if (heap_ == nullptr) return;
    for (StatusVariable& variable : *this) FreeValue(variable);
    heap_ = nullptr;
}

void StatusTable::FreeValue(StatusVariable& variable) {
    if (variable.value != nullptr) HeapFree(heap_, 0, variable.value);
    variable.value = nullptr;
    variable.cbValue = 0;
}

StatusVariable* StatusTable::Find(LPCSTR name, ULONGLONG portMask, bool allocate) {
    if (name == nullptr) return nullptr;
    for (StatusVariable& variable : *this) {
        if (std::strcmp(variable.name, name) != 0) continue;
        if (variable.ownerMask != kEveryModel && !MasksMeet(variable.ownerMask, portMask)) continue;
        if (allocate && variable.value == nullptr && variable.size > 0) {
            variable.value = static_cast<BYTE*>(HeapAlloc(heap_, HEAP_ZERO_MEMORY, static_cast<SIZE_T>(variable.size)));
            if (variable.value == nullptr) return nullptr;
            variable.cbValue = static_cast<DWORD>(variable.size);
        }
        return &variable;
    }
    return nullptr;
}

bool StatusTable::Store(StatusVariable& variable, const void* bytes, DWORD cb) {
    if (!ready() || bytes == nullptr) return false;
    if (variable.size == kCountedList) {
        CountedListHeader header{};
        if (cb < sizeof header || variable.elementSize <= 0) return false;
        std::memcpy(&header, bytes, sizeof header);
        if (static_cast<ULONGLONG>(header.Count) * static_cast<ULONGLONG>(variable.elementSize) + sizeof header != cb) {
            return false;
        }
    } else if (variable.size <= 0 || cb != static_cast<DWORD>(variable.size)) {
        return false;
    }
    BYTE* block = variable.value;
    if (block == nullptr || variable.cbValue != cb) {
        block = static_cast<BYTE*>(HeapAlloc(heap_, 0, cb));
        if (block == nullptr) return false;
        FreeValue(variable);
        variable.value = block;
        variable.cbValue = cb;
    }
    std::memcpy(block, bytes, cb);
    variable.changed = 1;
    return true;
}

bool StatusTable::ReadDword(StatusRow index, DWORD* value) const {
    const StatusVariable& variable = rows_[index];
    if (!ready() || variable.value == nullptr || variable.cbValue != sizeof(DWORD)) return false;
    std::memcpy(value, variable.value, sizeof(DWORD));
    return true;
}

bool StatusTable::ReadStatus(PrinterStatusValue* status) const {
    const StatusVariable& variable = rows_[kRowPrinterStatus];
    if (!ready() || variable.value == nullptr || variable.cbValue != sizeof(PrinterStatusValue)) return false;
    std::memcpy(status, variable.value, sizeof *status);
    return true;
}

DWORD StatusTable::PushSize(const StatusVariable& variable) const {
    if (variable.value == nullptr) return 0;
    if (variable.size != kCountedList) {
        return variable.size > 0 && variable.cbValue >= static_cast<DWORD>(variable.size) ? static_cast<DWORD>(variable.size)
                                                                                          : 0;
    }
    CountedListHeader header{};
    if (variable.cbValue < sizeof header || variable.elementSize <= 0) return 0;
    std::memcpy(&header, variable.value, sizeof header);
    const ULONGLONG cb = static_cast<ULONGLONG>(header.Count) * static_cast<ULONGLONG>(variable.elementSize) + sizeof header;
    return cb <= variable.cbValue ? static_cast<DWORD>(cb) : 0;
}

void StatusTable::MarkChanged() {
    for (StatusVariable& variable : *this) {
        if (variable.value != nullptr && (variable.publishType & 0x9) != 0) variable.changed = 1;
    }
}

#pragma once
// The status variables a port publishes to the status resource manager: the value layouts
// every reader shares (the settings interface and the status window read the same bytes),
// the template table of rows, and the port's private copy of it.
#include <cstddef>

#include "platform/WinTypes.h"

// --- Value layouts (little-endian, packed as the manager stores them) ---

struct SendingJobInfoValue {
    CHAR JobName[256];  // ANSI, cut to 255
    CHAR UserName[32];  // ANSI, cut to 31
    DWORD JobID;
};
static_assert(sizeof(SendingJobInfoValue) == 292);
static_assert(offsetof(SendingJobInfoValue, UserName) == 256);
static_assert(offsetof(SendingJobInfoValue, JobID) == 288);

struct PrintingJobInfoValue {
    BYTE Reserved[288];  // zero
    DWORD JobID;
    DWORD Page;
    BYTE Reserved2[24];  // zero
};
static_assert(sizeof(PrintingJobInfoValue) == 320);
static_assert(offsetof(PrintingJobInfoValue, JobID) == 288);
static_assert(offsetof(PrintingJobInfoValue, Page) == 292);

/// H, M and L state words.
struct PrinterStatusValue {
    DWORD H;
    DWORD M;
    DWORD L;
};
static_assert(sizeof(PrinterStatusValue) == 12);
static_assert(offsetof(PrinterStatusValue, L) == 8);

struct ErrNoPaperValue {
    SHORT Tray;
    SHORT TrayWord;
};
static_assert(sizeof(ErrNoPaperValue) == 4);

struct ErrNoPaper2Value {
    SHORT Tray;
    SHORT TrayWord;
    BYTE TrayByte;
    BYTE Zero;
    SHORT Zero2;
};
static_assert(sizeof(ErrNoPaper2Value) == 8);
static_assert(offsetof(ErrNoPaper2Value, TrayByte) == 4);

inline constexpr DWORD kSupplyCount = 6;
struct ErrSuppliesValue {
    DWORD Count;  // always kSupplyCount
    DWORD Detail[kSupplyCount];
};
static_assert(sizeof(ErrSuppliesValue) == 28);

struct ErrPartsLifeValue {
    WORD Life[3];
};
static_assert(sizeof(ErrPartsLifeValue) == 6);

/// Level byte of a tray entry.
inline constexpr BYTE kTrayEmpty = 0;
inline constexpr BYTE kTrayHasPaper = 100;
inline constexpr BYTE kTrayOther = 254;

/// One element of `PrinterBinConfig` (a counted list: DWORD count, then the entries).
struct BinConfigEntry {
    SHORT Tray;
    SHORT Second;
    WORD Third;
    BYTE Level;
    BYTE Fifth;
    WORD Length;
    WORD Width;
};
static_assert(sizeof(BinConfigEntry) == 12);
static_assert(offsetof(BinConfigEntry, Third) == 4);
static_assert(offsetof(BinConfigEntry, Level) == 6);
static_assert(offsetof(BinConfigEntry, Fifth) == 7);
static_assert(offsetof(BinConfigEntry, Length) == 8);
static_assert(offsetof(BinConfigEntry, Width) == 10);

/// The default tray that `ResetConfigVariables` writes.
inline constexpr BinConfigEntry kDefaultBinEntry = {1, 1, 256, kTrayHasPaper, 0, 66, 900};

/// Header of every counted list (`PrinterBinConfig`, `PrinterOptConfig`, `EmulationInfo`).
struct CountedListHeader {
    DWORD Count;
};
static_assert(sizeof(CountedListHeader) == 4);

/// `Port`, kept by the manager itself: a first word, the port name, a second field.
struct PortVariableValue {
    DWORD First;
    WCHAR PortName[128];
    WCHAR Second[128];
};
static_assert(sizeof(PortVariableValue) == 516);
static_assert(offsetof(PortVariableValue, PortName) == 4);
static_assert(offsetof(PortVariableValue, Second) == 260);

/// `PrinterExtStatus` bits.
inline constexpr DWORD kExtPortServed = 0x1;
inline constexpr DWORD kExtNetworkPort = 0x6;
inline constexpr DWORD kExtPolling = 0x10;

/// `EmulationInfo` ids.
inline constexpr DWORD kEmulationVrtl = 0;
inline constexpr DWORD kEmulationEscP = 1;

// --- Rows ---

/// Publisher rules.
enum PublishType : LONG {
    kPublishNever = 0,
    kPublishPlain = 1,       // to every binding
    kPublishJobRecord = 2,   // to the binding that owns the record's job
    kPublishQueue = 5,       // to the binding of each queued job
    kPublishJobStatus = 6,   // to the binding of the job being sent
    kPublishStatus = 8,      // to every binding, other models see "not ours"
    kPublishModelOnly = 9,   // only to bindings of the port's model
};

/// Row attributes.
inline constexpr DWORD kAttrReplay = 0x1;     // sent to a newly bound printer
inline constexpr DWORD kAttrKeepValue = 0x2;  // value kept after a successful push

/// Job flags of the two job records.
inline constexpr DWORD kJobRecordCarriesJob = 0x2;
inline constexpr DWORD kJobRecordEnded = 0x100;
inline constexpr DWORD kJobRecordClears = 0x200;

/// Refresh classes.
inline constexpr DWORD kRefreshStatus = 0x1;
inline constexpr DWORD kRefreshConfig = 0x2;
inline constexpr DWORD kRefreshExtStatus = 0x10;

inline constexpr ULONGLONG kEveryModel = ~0ULL;
/// The one model this monitor serves ("ZEV KV-TD520 (VX)").
inline constexpr ULONGLONG kKvTd520ModelMask = 0x0000002000000000ULL;
inline constexpr LONG kCountedList = -1;

/// One row of a port's table. The value is a block of the table's heap owned by the row.
struct StatusVariable {
    LPCSTR name;
    ULONGLONG ownerMask;
    BYTE* value;          // NULL: none yet
    LONG size;            // bytes, or kCountedList
    LONG elementSize;     // of a counted list's elements
    LONG publishType;     // PublishType
    LONG changed;         // 1: push at the next publisher run
    DWORD jobFlags;
    DWORD refreshClass;
    DWORD attributes;
    DWORD cbValue;        // bytes allocated for `value`
};

/// Row indices, in template order.
enum StatusRow : int {
    kRowSendingJobInfo, kRowPrintingJobInfo, kRowPrinterQueue, kRowJobStatus, kRowErrPaperJam, kRowErrCoverOpen,
    kRowErrNoPaper, kRowErrNoPaper2, kRowErrHWError, kRowErrPaperSizeError, kRowCurrentFeeder,
    kRowPrinterBinConfig, kRowPrinterOptConfig, kRowErrSupplies, kRowErrStacker, kRowErrLoadPaper,
    kRowPrinterStatus, kRowIconState, kRowPrinterExtStatus, kRowPrinterManufacturer, kRowPrinterModel,
    kRowEmulationInfo, kRowPrinterName, kRowPort, kRowErrPartsLife, kRowErrPrintSequence,
    kStatusRowCount
};

/// The template rows, in publishing order (no terminating row: kStatusRowCount counts them).
extern const StatusVariable kStatusVariableTemplate[kStatusRowCount];

/// Masks meet when they share a bit.
[[nodiscard]] inline bool MasksMeet(ULONGLONG a, ULONGLONG b) { return (a & b) != 0; }

/// A port's private copy of the template with the values it owns. Values come from the heap
/// given to Init; the destructor (or Clear) frees them.
class StatusTable {
public:
    StatusTable() = default;
    ~StatusTable() { Clear(); }
    StatusTable(const StatusTable&) = delete;
    StatusTable& operator=(const StatusTable&) = delete;

    /// Copies the template; values come from `heap`.
    void Init(HANDLE heap);
    /// Frees every value; the table has no rows afterwards.
    void Clear();
    [[nodiscard]] bool ready() const { return heap_ != nullptr; }

    StatusVariable& row(StatusRow index) { return rows_[index]; }
    const StatusVariable& row(StatusRow index) const { return rows_[index]; }
    StatusVariable* begin() { return rows_; }
    StatusVariable* end() { return rows_ + (ready() ? kStatusRowCount : 0); }

    /// First row of that name (exact, case-sensitive) that counts for `portMask`. With
    /// `allocate`, a row without value gets a zero-filled one of its size (counted lists are
    /// never allocated here: they have no size without a count). NULL when absent, or when
    /// the allocation failed.
    [[nodiscard]] StatusVariable* Find(LPCSTR name, ULONGLONG portMask, bool allocate);

    /// Stores a copy of `cb` bytes as the value and marks the row changed. False (old value
    /// kept) when the heap is exhausted or the size does not suit the row.
    bool Store(StatusVariable& row, const void* bytes, DWORD cb);
    bool StoreDword(StatusRow index, DWORD value) { return Store(rows_[index], &value, sizeof value); }
    /// The row's value as a DWORD; false without a 4-byte value.
    bool ReadDword(StatusRow index, DWORD* value) const;
    bool ReadStatus(PrinterStatusValue* status) const;

    /// Bytes to push: the fixed size, or 4 + count x element of a counted list. 0 when the
    /// row has no value or a count that runs past its block.
    [[nodiscard]] DWORD PushSize(const StatusVariable& row) const;

    void FreeValue(StatusVariable& row);
    /// Marks changed every row with a value whose publish type has bit 0 or bit 3.
    void MarkChanged();

private:
    HANDLE heap_ = nullptr;
    StatusVariable rows_[kStatusRowCount] = {};
};

/// One default "no error" value of `ApplyDefaultStatus`, tied to the PrinterStatus bits of
/// the error it stands for: it applies only while none of those bits is set.
struct DefaultStatusRow {
    StatusRow row;
    PrinterStatusValue mask;
    BYTE value[28];
    DWORD cbValue;
};
extern const DefaultStatusRow kDefaultStatusRows[];
extern const size_t kDefaultStatusRowCount;

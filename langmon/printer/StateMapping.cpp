// Tables that turn the printer's alerts and activity into PrinterStatus, and PrinterStatus
// into the icon level and the spooler's port status.
#include "langmon/printer/StateMapping.h"

#include <cstring>

#include "platform/Monitor.h"

namespace langmon {
namespace {

using namespace alert_bit;
using namespace alert_group;

constexpr AlertRow kFullAlerts[] = {
    {"Printer Offline", General, Offline, 0x4000},
    {"Hop No Paper", General, HopNoPaper, 0x400},
    {"Paper Miss Set", General, PaperMissSet, 0x800},

    {"Auto Load Time Out Error", alert_group::LoadPaper, alert_bit::LoadPaper, 0x1},
    {"Set Up Paper Error", alert_group::LoadPaper, alert_bit::LoadPaper, 0x2},
    {"No Pushed Load Switch", alert_group::LoadPaper, alert_bit::LoadPaper, 0x4},
    {"No Select Up Down Fold", alert_group::LoadPaper, alert_bit::LoadPaper, 0x8},

    {"Fuser Cover Paper Jam", Jam, PaperJam, 0x1},
    {"Carriage Unit Paper Jam", Jam, PaperJam, 0x2},
    {"Tractor Cover Paper Jam", Jam, PaperJam, 0x4},
    {"Inside Cover Open Jam", Jam, PaperJam, 0x10000},
    {"Tractor Cover Open Jam", Jam, PaperJam, 0x40000},
    {"Scuff Roller Lever Release Error Jam", Jam, PaperJam, 0x100000},
    {"Pinch Roller Unit Cover Open Jam", Jam, PaperJam, 0x200000},
    {"Auto Road Guide Cover Open Jam", Jam, PaperJam, 0x400000},
    {"Fuser Cover Open Jam", Jam, PaperJam, 0x800000},

    {"Inside Cover Open", Cover, CoverOpen, 0x1},
    {"Toner Shutter Open", Cover, CoverOpen, 0x2},
    {"Tractor Cover Open", Cover, CoverOpen, 0x4},
    {"Back Tension Cover Open", Cover, CoverOpen, 0x8},
    {"Scuff Roller Lever Release Error", Cover, CoverOpen, 0x10},
    {"Pinch Roller Unit Cover Open", Cover, CoverOpen, 0x20},
    {"Auto Road Guide Cover Open", Cover, CoverOpen, 0x40},
    {"Fuser Cover Open", Cover, CoverOpen, 0x80},

    {"Auto Cleaning", General, AutoCleaning, 0x8000},

    {"Stacker Table Safety Check Error", alert_group::Stacker, alert_bit::Stacker, 0x1},
    {"Stacker Paper Length Guide Up Error", alert_group::Stacker, alert_bit::Stacker, 0x2},
    {"Stack Miss", alert_group::Stacker, alert_bit::Stacker, 0x4},
    {"No Stacker Table", alert_group::Stacker, alert_bit::Stacker, 0x8},
    {"Stacker Full", alert_group::Stacker, alert_bit::Stacker, 0x10},
    {"Stacker Not Auto", alert_group::Stacker, alert_bit::Stacker, 0x20},

    {"Low Toner", Toner, LowToner, 0x2},
    {"No Toner", Toner, NoToner, 0x4},

    {"Near Full Waste Toner Bottle", WasteToner, SupplyNear, 0x2},
    {"Near Air Filter Life", AirFilter, SupplyNear, 0x2},
    {"Low Developer", Developer, SupplyNear, 0x2},
    {"Near KitF Life", KitF, SupplyNear, 0x2},

    {"Waste Toner Bottle Full", WasteToner, SupplyEnd, 0x4},
    {"Air Filter Life", AirFilter, SupplyEnd, 0x4},
    {"No Developer", Developer, SupplyEnd, 0x4},
    {"KitF Life", KitF, SupplyEnd, 0x4},

    {"No Cleaner Blade", Cleaner, SupplyMissing, 0x1},
    {"No Waste Toner Bottle", WasteToner, SupplyMissing, 0x1},

    {"Maintenance Request", General, Maintenance, 0x1000},
    {"FormOver", General, FormOver, 0x2000},
    {"Engine Alarm", General, EngineAlarm, 0x2},
    {"Serviceman Call", General, ServiceCall, 0x1},
    {"Confidential Call", General, ServiceCall, 0x1},
    {"Printer Reset", General, PrinterReset, 0x80000000},
};

// The warnings a running printer reports; the stop conditions count only while it is down.
constexpr AlertRow kShortAlerts[] = {
    {"Printer Offline", General, Offline, 0x4000},
    {"Auto Cleaning", General, AutoCleaning, 0x8000},
    {"Low Toner", Toner, LowToner, 0x2},
    {"Near Full Waste Toner Bottle", WasteToner, SupplyNear, 0x2},
    {"Near Air Filter Life", AirFilter, SupplyNear, 0x2},
    {"Low Developer", Developer, SupplyNear, 0x2},
    {"Near KitF Life", KitF, SupplyNear, 0x2},
    {"Printer Reset", General, PrinterReset, 0x80000000},
};

// PrinterReset is left out: the printer announces it, but it is no state of its own.
constexpr AlertBitRow kAlertBits[] = {
    {ServiceCall, {0, 0x80, 0}},
    {EngineAlarm, {0, 0, 0x400}},
    {PaperJam, {0, 0, 0x10000}},
    {NoToner, {0, 0, 0x4000}},
    {SupplyEnd, {0, 0, 0x20000000}},
    {alert_bit::Stacker, {0x8, 0, 0}},
    {SupplyMissing, {0, 0x4, 0}},
    {CoverOpen, {0, 0, 0x8000}},
    {alert_bit::LoadPaper, {0, 0x40000000, 0}},
    {TrayNoPaper, {0, 0, 0x4000000}},
    {HopNoPaper, {0, 0, 0x800000}},
    {FormOver, {0, 0x2000, 0}},
    {Maintenance, {0, 0, 0x80000}},
    {PaperMissSet, {0, 0, 0x400000}},
    {Offline, {0, 0, 0x1000}},
    {AutoCleaning, {0, 0x4000000, 0}},
    {LowToner, {0, 0, 0x2}},
    {SupplyNear, {0, 0, 0x80}},
};
static_assert(std::size(kAlertBits) == 18);

// First match wins: "not ours", "powered off" and "port closed" come ahead of any error the
// words may still carry.
constexpr StatusMaskRow kIcons[] = {
    {{0, 0x200, 0}, 0},
    {{0, 0x80, 0}, 1},
    {{0, 0x100, 0}, 0},
    {{0, 0, 0x400}, 1},
    {{0, 0, 0x10000}, 1},
    {{0, 0, 0x4000}, 1},
    {{0, 0, 0x20000000}, 1},
    {{0x8, 0, 0}, 1},
    {{0, 0x4, 0}, 1},
    {{0, 0, 0x8000}, 1},
    {{0, 0x40000000, 0}, 1},
    {{0, 0, 0x4000000}, 1},
    {{0, 0, 0x800000}, 1},
    {{0, 0x2000, 0}, 1},
    {{0, 0, 0x80000}, 2},
    {{0, 0, 0x400000}, 1},
    {{0, 0, 0x10}, 2},
    {{0, 0, 0x1000}, 2},
    {{0, 0x4000000, 0}, 2},
    {{0, 0, 0x8}, 0},
    {{0, 0, 0x80}, 2},
    {{0, 0, 0x1}, 0},
    {{0, 0, 0x800}, 0},
};

namespace ps = port_status;
constexpr StatusMaskRow kPortStatuses[] = {
    {{0, 0x200, 0}, ps::None},
    {{0, 0x80, 0}, ps::UserIntervention},
    {{0, 0x100, 0}, ps::None},
    {{0, 0, 0x400}, ps::UserIntervention},
    {{0, 0, 0x10000}, ps::PaperJam},
    {{0, 0, 0x4000}, ps::NoToner},
    {{0, 0, 0x20000000}, ps::UserIntervention},
    {{0x8, 0, 0}, ps::UserIntervention},
    {{0, 0x4, 0}, ps::UserIntervention},
    {{0, 0, 0x8000}, ps::DoorOpen},
    {{0, 0x40000000, 0}, ps::UserIntervention},
    {{0, 0, 0x4000000}, ps::PaperOut},
    {{0, 0, 0x800000}, ps::PaperOut},
    {{0, 0x2000, 0}, ps::UserIntervention},
    {{0, 0, 0x80000}, ps::Offline},
    {{0, 0, 0x400000}, ps::OutOfMemory},
    {{0, 0, 0x10}, ps::None},
    {{0, 0, 0x1000}, ps::Offline},
    {{0, 0x4000000, 0}, ps::None},
    {{0, 0, 0x8}, ps::None},
    {{0, 0, 0x2}, ps::None},
    {{0, 0, 0x80}, ps::None},
    {{0, 0, 0x1}, ps::None},
};

constexpr InterpreterRow kInterpreters[] = {
    {"VRTL Level2.ZK3PT", 0x1, kEmulationVrtl},
    {"ESC/P", 0x2, kEmulationEscP},
};

// "コール" in Shift-JIS, as the console shows a service call.
constexpr char kServiceCallMark[] = "\x83\x52\x81\x5B\x83\x8B";
constexpr size_t kServiceCallAt = 6;
constexpr size_t kServiceCallNumberAt = 2;

const StatusMaskRow* FirstMeeting(std::span<const StatusMaskRow> rows, const PrinterStatusValue& status) {
    for (const StatusMaskRow& row : rows) {
        if (StatusMeets(status, row.mask)) return &row;
    }
    return nullptr;
}

WORD ClampWord(int64_t value) {
    if (value < 0) return 0;
    return value > 0xFFFF ? WORD{0xFFFF} : static_cast<WORD>(value);
}

bool HexWord(std::string_view digits, WORD* value) {
    DWORD result = 0;
    for (char c : digits) {
        DWORD nibble = 0;
        if (c >= '0' && c <= '9') {
            nibble = static_cast<DWORD>(c - '0');
        } else if (c >= 'A' && c <= 'F') {
            nibble = static_cast<DWORD>(c - 'A' + 10);
        } else {
            return false;
        }
        result = result * 16 + nibble;
    }
    *value = static_cast<WORD>(result);
    return true;
}

}  // namespace

std::span<const AlertRow> FullAlertTable() { return kFullAlerts; }
std::span<const AlertRow> ShortAlertTable() { return kShortAlerts; }
std::span<const AlertBitRow> AlertBitTable() { return kAlertBits; }
std::span<const StatusMaskRow> IconTable() { return kIcons; }
std::span<const StatusMaskRow> PortStatusTable() { return kPortStatuses; }
std::span<const InterpreterRow> InterpreterTable() { return kInterpreters; }

AlertMapResult MapAlerts(std::span<const std::string_view> texts, bool printerDown, BYTE firstTrayLevel) {
    const std::span<const AlertRow> table = printerDown ? FullAlertTable() : ShortAlertTable();
    AlertMapResult result;
    for (std::string_view text : texts) {
        for (const AlertRow& row : table) {
            if (row.text != text) continue;
            DWORD bit = row.alertBit;
            // The hopper is empty but the tray still has paper: the paper in it does not fit.
            if (bit == HopNoPaper && (firstTrayLevel == kTrayOther || firstTrayLevel == kTrayHasPaper)) {
                bit = TrayNoPaper;
            }
            if (bit != PrinterReset) result.alertBits |= bit;
            if (row.group < kDetailWordCount) result.detail[row.group] |= row.detailBit;
            break;
        }
    }
    return result;
}

PrinterStatusValue ApplyAlertBits(const PrinterStatusValue& current, DWORD alertBits) {
    PrinterStatusValue status = current;
    status.M &= ~status_bit::kMAlertOwned;
    for (const AlertBitRow& row : AlertBitTable()) {
        if ((alertBits & row.alertBit) != 0) {
            status.H |= row.bits.H;
            status.M |= row.bits.M;
            status.L |= row.bits.L;
        } else {
            status.H &= ~row.bits.H;
            status.M &= ~row.bits.M;
            status.L &= ~row.bits.L;
        }
    }
    return status;
}

PrinterStatusValue ApplyActivity(const PrinterStatusValue& current, const ActivityInput& input) {
    using namespace status_bit;
    PrinterStatusValue status = current;
    const bool printing = input.hrPrinterStatus == kHrPrinterPrinting || input.jobActive ||
                          (input.hrPrinterStatus != kHrPrinterIdle && input.printerReportsPrinting);
    status.L = printing ? (status.L | kLPrinting) : (status.L & ~kLPrinting);
    status.L = input.hrPrinterStatus == kHrPrinterWarmup ? (status.L | kLWarmingUp) : (status.L & ~kLWarmingUp);
    status.L = (status.L & kLOffline) == 0 ? (status.L | kLOnline) : (status.L & ~kLOnline);
    status.L &= ~kLIdleWait;
    if ((status.L & kLLowToner) != 0) status.L |= kLNearEnd;
    return status;
}

bool StatusMeets(const PrinterStatusValue& status, const PrinterStatusValue& mask) {
    return (status.H & mask.H) != 0 || (status.M & mask.M) != 0 || (status.L & mask.L) != 0;
}

DWORD IconStateOf(const PrinterStatusValue& status) {
    const StatusMaskRow* row = FirstMeeting(IconTable(), status);
    return row == nullptr ? 0 : row->value;
}

PortStatusCode PortStatusOf(const PrinterStatusValue& status) {
    const StatusMaskRow* row = FirstMeeting(PortStatusTable(), status);
    if (row == nullptr || row->value == port_status::None) return {port_status::None, 0};
    return {row->value, PORT_STATUS_TYPE_ERROR};
}

DWORD InterpreterBitOf(std::string_view text) {
    for (const InterpreterRow& row : InterpreterTable()) {
        if (row.text == text) return row.bit;
    }
    return 0;
}

BYTE TrayLevelByte(int32_t level) {
    // prtInputCurrentLevel -3: "at least one sheet"; other values are counts or "unknown".
    if (level == -3) return kTrayHasPaper;
    return level == 0 ? kTrayEmpty : kTrayOther;
}

WORD TrayLengthWord(int32_t length) {
    if (length < 0) return 0;
    return ClampWord((static_cast<int64_t>(length) / 10 + 150) * 6 / 1000);
}

WORD TrayWidthWord(int32_t width) {
    if (width < 0) return 0;
    return ClampWord((static_cast<int64_t>(width) / 10 + 15) * 6 / 100);
}

bool ParsePartsLife(std::string_view text, ErrPartsLifeValue* value) {
    constexpr std::string_view kPrefix = "PM Parts Life ";
    constexpr size_t kOffsets[3] = {14, 19, 24};
    if (value == nullptr || text.size() < 28 || text.substr(0, kPrefix.size()) != kPrefix) return false;
    ErrPartsLifeValue parsed{};
    for (size_t i = 0; i < 3; ++i) {
        if (!HexWord(text.substr(kOffsets[i], 4), &parsed.Life[i])) return false;
    }
    *value = parsed;
    return true;
}

bool ParseServiceCallNumber(std::span<const char> line, DWORD* number) {
    const size_t cbMark = sizeof kServiceCallMark - 1;
    if (number == nullptr || line.size() < kServiceCallAt + cbMark) return false;
    if (std::memcmp(line.data() + kServiceCallAt, kServiceCallMark, cbMark) != 0) return false;
    uint64_t value = 0;
    size_t digits = 0;
    for (size_t i = kServiceCallNumberAt; i < kServiceCallAt && line[i] >= '0' && line[i] <= '9'; ++i, ++digits) {
        value = value * 10 + static_cast<uint64_t>(line[i] - '0');
    }
    if (digits == 0 || value > 0xFFFFFFFFu) return false;
    *number = static_cast<DWORD>(value);
    return true;
}

}  // namespace langmon

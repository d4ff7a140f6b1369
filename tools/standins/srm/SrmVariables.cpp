// The size rules and the narrow/wide conversions of the status variables. Names not in the
// table are the clients' own and are kept as given (1 byte to 64 KB).
#include "tools/standins/srm/SrmVariables.h"

#include <algorithm>
#include <cstring>

#include "platform/Kernel.h"

namespace srm {
namespace {

enum class Rule {
    Fixed,         // exactly `size` bytes
    CountedList,   // u32 count, then count elements of `size` bytes
    JobInfo,       // wide SRM_JOB_INFO_W, narrow SRM_JOB_INFO_A
    PrintingJob,   // wide SRM_PRINTING_JOB_INFO_W, narrow SRM_PRINTING_JOB_INFO_A
    QueueCount,    // wide: counted list of job records; narrow: the bare count
    Text,          // a NUL-terminated wide text; narrow: ANSI text
    ManagerOnly,   // kept by the manager itself
};

struct VariableRule {
    const char16_t* name;
    Rule rule;
    DWORD size;
};

constexpr VariableRule kRules[] = {
    {u"Port", Rule::Fixed, sizeof(SRM_PORT)},
    {u"PrinterName", Rule::Fixed, 520},
    {u"TerminateManager", Rule::Fixed, 4},
    {u"SpoolerStatus", Rule::Fixed, 4},
    {u"RunningPSS", Rule::Fixed, 4},
    {u"CompulsivePolling", Rule::Fixed, 4},
    {u"UserAuthority", Rule::Fixed, 4},
    {u"LMStatus", Rule::Fixed, 4},
    {u"ClientStatus", Rule::Fixed, 4},
    {u"SpoolerQueue", Rule::CountedList, sizeof(SRM_JOB_INFO_W)},
    {u"CurrentStatus", Rule::ManagerOnly, sizeof(SRM_CURRENT_STATUS)},
    {u"SendingJobInfo", Rule::JobInfo, sizeof(SRM_JOB_INFO_W)},
    {u"PrintingJobInfo", Rule::PrintingJob, sizeof(SRM_PRINTING_JOB_INFO_W)},
    {u"PrinterQueue", Rule::QueueCount, sizeof(SRM_JOB_INFO_W)},
    {u"JobStatus", Rule::Fixed, 4},
    {u"ErrPaperJam", Rule::Fixed, 4},
    {u"ErrCoverOpen", Rule::Fixed, 4},
    {u"ErrNoPaper", Rule::Fixed, 4},
    {u"ErrNoPaper2", Rule::Fixed, 8},
    {u"ErrHWError", Rule::Fixed, 4},
    {u"ErrPaperSizeError", Rule::Fixed, 4},
    {u"CurrentFeeder", Rule::Fixed, 4},
    {u"PrinterBinConfig", Rule::CountedList, sizeof(SRM_BIN_CONFIG_ENTRY)},
    {u"PrinterOptConfig", Rule::CountedList, 8},
    {u"ErrSupplies", Rule::CountedList, 4},  // the monitor writes count 6 and six words
    {u"ErrStacker", Rule::Fixed, 4},
    {u"ErrLoadPaper", Rule::Fixed, 4},
    {u"PrinterStatus", Rule::Fixed, 12},
    {u"IconState", Rule::Fixed, 4},
    {u"PrinterExtStatus", Rule::Fixed, 4},
    {u"PrinterManufacturer", Rule::Fixed, 32},
    {u"PrinterModel", Rule::Fixed, 32},
    {u"EmulationInfo", Rule::CountedList, 4},
    {u"ErrPartsLife", Rule::Fixed, 6},
    {u"ErrPrintSequence", Rule::Fixed, 4},
    {u"RefreshStatus", Rule::Text, 0},
};

constexpr DWORD kMaxValue = 65536;
constexpr DWORD kMaxListCount = 4096;

const VariableRule* Find(const std::u16string& name) {
    for (const VariableRule& rule : kRules)
        if (name == rule.name) return &rule;
    return nullptr;
}

bool CountedListFits(const Bytes& value, DWORD element) {
    if (value.size() < 4) return false;
    DWORD count = 0;
    std::memcpy(&count, value.data(), 4);
    return count <= kMaxListCount && value.size() == 4 + static_cast<size_t>(count) * element;
}

// A narrow text field of n bytes (terminated or not) into a wide field of n units.
void WidenField(const char* narrow, size_t n, char16_t* wide) {
    size_t length = 0;
    while (length < n && narrow[length] != '\0') ++length;
    std::memset(wide, 0, n * sizeof(char16_t));
    if (length == 0) return;
    const int got = MultiByteToWideChar(CP_ACP, 0, narrow, static_cast<int>(length), reinterpret_cast<LPWSTR>(wide),
                                        static_cast<int>(n - 1));
    if (got <= 0) wide[0] = u'\0';
}

void NarrowField(const char16_t* wide, size_t n, char* narrow) {
    size_t length = 0;
    while (length < n && wide[length] != u'\0') ++length;
    std::memset(narrow, 0, n);
    if (length == 0) return;
    const int got = WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<LPCWSTR>(wide), static_cast<int>(length), narrow,
                                        static_cast<int>(n - 1), nullptr, nullptr);
    if (got <= 0) narrow[0] = '\0';
}

}  // namespace

DWORD CheckWide(const std::u16string& name, const Bytes& value) {
    const VariableRule* rule = Find(name);
    if (rule == nullptr) return value.empty() || value.size() > kMaxValue ? SRMRES_INVALID_PARAMETER : SRMRES_SUCCESS;
    switch (rule->rule) {
    case Rule::ManagerOnly: return SRMRES_ACCESS_DENIED;
    case Rule::CountedList:
    case Rule::QueueCount: return CountedListFits(value, rule->size) ? SRMRES_SUCCESS : SRMRES_INVALID_PARAMETER;
    case Rule::Text:
        return value.size() >= 2 && value.size() <= kMaxValue && value.size() % 2 == 0 ? SRMRES_SUCCESS
                                                                                         : SRMRES_INVALID_PARAMETER;
    case Rule::Fixed:
    case Rule::JobInfo:
    case Rule::PrintingJob: return value.size() == rule->size ? SRMRES_SUCCESS : SRMRES_INVALID_PARAMETER;
    }
    return SRMRES_INVALID_PARAMETER;
}

DWORD Widen(const std::u16string& name, const Bytes& narrow, Bytes* wide) {
    const VariableRule* rule = Find(name);
    if (rule == nullptr || (rule->rule != Rule::JobInfo && rule->rule != Rule::PrintingJob &&
                            rule->rule != Rule::QueueCount && rule->rule != Rule::Text)) {
        *wide = narrow;  // the same bytes either way
        return CheckWide(name, *wide);
    }
    if (rule->rule == Rule::JobInfo || rule->rule == Rule::PrintingJob) {
        const bool printing = rule->rule == Rule::PrintingJob;
        if (narrow.size() != (printing ? sizeof(SRM_PRINTING_JOB_INFO_A) : sizeof(SRM_JOB_INFO_A)))
            return SRMRES_INVALID_PARAMETER;
        SRM_PRINTING_JOB_INFO_A in{};
        std::memcpy(&in, narrow.data(), narrow.size());
        SRM_PRINTING_JOB_INFO_W out{};
        WidenField(in.szJobName, 256, out.job.szJobName);
        WidenField(in.szUserName, 32, out.job.szUserName);
        out.job.dwJobId = in.dwJobId;
        out.dwPrintedPage = printing ? in.dwPage : 0;
        wide->assign(reinterpret_cast<const BYTE*>(&out),
                     reinterpret_cast<const BYTE*>(&out) + (printing ? sizeof(out) : sizeof(out.job)));
        return SRMRES_SUCCESS;
    }
    if (rule->rule == Rule::QueueCount) {
        // The monitor counts the jobs; the records are the manager's, which knows no more of
        // them than their number.
        DWORD count = 0;
        if (narrow.size() != 4) return SRMRES_INVALID_PARAMETER;
        std::memcpy(&count, narrow.data(), 4);
        if (count > kMaxListCount) return SRMRES_INVALID_PARAMETER;
        wide->assign(4 + static_cast<size_t>(count) * sizeof(SRM_JOB_INFO_W), 0);
        std::memcpy(wide->data(), &count, 4);
        return SRMRES_SUCCESS;
    }
    // Text: ANSI up to its NUL or the byte count.
    size_t length = 0;
    while (length < narrow.size() && narrow[length] != 0) ++length;
    std::u16string text(length, u'\0');
    const int got = length == 0 ? 0
                                : MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(narrow.data()),
                                                      static_cast<int>(length), reinterpret_cast<LPWSTR>(text.data()),
                                                      static_cast<int>(length));
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    text.push_back(u'\0');
    wide->assign(reinterpret_cast<const BYTE*>(text.data()), reinterpret_cast<const BYTE*>(text.data() + text.size()));
    return CheckWide(name, *wide);
}

Bytes Narrow(const std::u16string& name, const Bytes& wide) {
    const VariableRule* rule = Find(name);
    if (rule == nullptr) return wide;
    switch (rule->rule) {
    case Rule::JobInfo:
    case Rule::PrintingJob: {
        SRM_PRINTING_JOB_INFO_W in{};
        std::memcpy(&in, wide.data(), std::min(wide.size(), sizeof(in)));
        SRM_PRINTING_JOB_INFO_A out{};
        NarrowField(in.job.szJobName, 256, out.szJobName);
        NarrowField(in.job.szUserName, 32, out.szUserName);
        out.dwJobId = in.job.dwJobId;
        out.dwPage = in.dwPrintedPage;
        const size_t size = rule->rule == Rule::PrintingJob ? sizeof(SRM_PRINTING_JOB_INFO_A) : sizeof(SRM_JOB_INFO_A);
        return Bytes(reinterpret_cast<const BYTE*>(&out), reinterpret_cast<const BYTE*>(&out) + size);
    }
    case Rule::QueueCount: return Bytes(wide.begin(), wide.begin() + std::min<size_t>(4, wide.size()));
    case Rule::Text: {
        const std::u16string text = ListText(wide.data(), static_cast<DWORD>(wide.size()));
        Bytes out(text.size() * 2 + 1, 0);
        const int got = text.empty() ? 0
                                     : WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<LPCWSTR>(text.c_str()),
                                                           static_cast<int>(text.size()), reinterpret_cast<char*>(out.data()),
                                                           static_cast<int>(out.size() - 1), nullptr, nullptr);
        out.resize((got > 0 ? static_cast<size_t>(got) : 0) + 1);
        return out;
    }
    default: return wide;
    }
}

bool IsCountedList(const std::u16string& name) {
    const VariableRule* rule = Find(name);
    return rule != nullptr && (rule->rule == Rule::CountedList || rule->rule == Rule::QueueCount);
}

std::u16string ListText(const void* list, DWORD cb) {
    std::u16string text;
    const auto* bytes = static_cast<const BYTE*>(list);
    for (DWORD i = 0; i + 1 < cb; i += 2) {
        const char16_t c = static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
        if (c == u'\0') break;
        text.push_back(c);
    }
    return text;
}

}  // namespace srm

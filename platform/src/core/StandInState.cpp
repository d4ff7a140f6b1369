#include "platform/src/core/StandInState.h"

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <mutex>
#include <unistd.h>

namespace standin {
namespace {

struct FaultPlan {
    DWORD error = 0;
    unsigned skip = 0;
    unsigned count = 0;
    unsigned calls = 0;
};

struct State {
    std::mutex lock;
    std::string root;
    UINT codePage = 932;
    std::u16string windowsDirectory = u"C:\\Windows";
    std::u16string computerName = u"KVHOST";
    std::u16string userName = u"user";
    DWORD major = 6, minor = 1, build = 7601, platformId = 2;
    LANGID language = 0x411;
    std::vector<std::string> moduleFolders;
    std::map<Fault, FaultPlan> faults;
    bool clockFixed = false;
    std::int64_t fixedLocalMs = 0;  // milliseconds since 1601-01-01, local time
    bool tickFixed = false;
    DWORD fixedTick = 0;
};

State& Global() {
    static State* state = new State();  // never destroyed: platform calls may run at exit
    return *state;
}

constexpr std::int64_t kLocalOffsetMs = 9LL * 3600 * 1000;  // the fixed clock's zone: UTC+9

// Days from 1601-01-01 to the civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(int y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468 + 134774;  // 1970 -> 1601
}

SYSTEMTIME FromMs(std::int64_t ms) {
    std::int64_t days = ms / 86400000;
    std::int64_t rest = ms % 86400000;
    std::int64_t z = days - 134774 + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
    SYSTEMTIME t{};
    t.wYear = static_cast<WORD>(y);
    t.wMonth = static_cast<WORD>(m);
    t.wDay = static_cast<WORD>(d);
    t.wDayOfWeek = static_cast<WORD>((days + 1) % 7);  // 1601-01-01 was a Monday
    t.wHour = static_cast<WORD>(rest / 3600000);
    t.wMinute = static_cast<WORD>(rest / 60000 % 60);
    t.wSecond = static_cast<WORD>(rest / 1000 % 60);
    t.wMilliseconds = static_cast<WORD>(rest % 1000);
    return t;
}

std::int64_t ToMs(const SYSTEMTIME& t) {
    return DaysFromCivil(t.wYear, t.wMonth, t.wDay) * 86400000 + t.wHour * 3600000LL + t.wMinute * 60000LL +
           t.wSecond * 1000LL + t.wMilliseconds;
}

std::int64_t RealUtcMs() {
    using namespace std::chrono;
    const std::int64_t unixMs = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    return unixMs + 11644473600000LL;
}

std::int64_t RealLocalOffsetMs() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return static_cast<std::int64_t>(local.tm_gmtoff) * 1000;
}

}  // namespace

void SetRoot(const std::string& linuxFolder) {
    std::lock_guard<std::mutex> guard(Global().lock);
    Global().root = linuxFolder;
}

std::string Root() {
    State& s = Global();
    std::lock_guard<std::mutex> guard(s.lock);
    if (s.root.empty()) {
        if (const char* env = std::getenv("KV_STANDIN_ROOT"); env != nullptr && *env != '\0') {
            s.root = env;
        } else {
            s.root = (std::filesystem::temp_directory_path() / ("kvstandin-" + std::to_string(getpid()))).string();
        }
        std::error_code ignored;
        std::filesystem::create_directories(s.root, ignored);
    }
    return s.root;
}

void SetAnsiCodePage(UINT codePage) {
    std::lock_guard<std::mutex> guard(Global().lock);
    Global().codePage = codePage;
}
void SetWindowsDirectory(const std::u16string& path) {
    std::lock_guard<std::mutex> guard(Global().lock);
    Global().windowsDirectory = path;
}
void SetComputerName(const std::u16string& name) {
    std::lock_guard<std::mutex> guard(Global().lock);
    Global().computerName = name;
}
void SetUserName(const std::u16string& name) {
    std::lock_guard<std::mutex> guard(Global().lock);
    Global().userName = name;
}
void SetOsVersion(DWORD major, DWORD minor, DWORD build, DWORD platformId) {
    std::lock_guard<std::mutex> guard(Global().lock);
    State& s = Global();
    s.major = major;
    s.minor = minor;
    s.build = build;
    s.platformId = platformId;
}
void SetUserDefaultLanguage(LANGID language) {
    std::lock_guard<std::mutex> guard(Global().lock);
    Global().language = language;
}

void SetLocalTime(const SYSTEMTIME& time) {
    std::lock_guard<std::mutex> guard(Global().lock);
    Global().clockFixed = true;
    Global().fixedLocalMs = ToMs(time);
}
void AdvanceClock(DWORD milliseconds) {
    std::lock_guard<std::mutex> guard(Global().lock);
    State& s = Global();
    if (s.clockFixed) s.fixedLocalMs += milliseconds;
    if (s.tickFixed) s.fixedTick += milliseconds;
}
void SetTickCount(DWORD ticks) {
    std::lock_guard<std::mutex> guard(Global().lock);
    Global().tickFixed = true;
    Global().fixedTick = ticks;
}
void UseRealClock() {
    std::lock_guard<std::mutex> guard(Global().lock);
    Global().clockFixed = false;
    Global().tickFixed = false;
}

void AddModuleFolder(const std::string& linuxFolder) {
    std::lock_guard<std::mutex> guard(Global().lock);
    for (const std::string& f : Global().moduleFolders)
        if (f == linuxFolder) return;
    Global().moduleFolders.push_back(linuxFolder);
}

void InjectFault(Fault kind, DWORD error, unsigned skip, unsigned count) {
    std::lock_guard<std::mutex> guard(Global().lock);
    FaultPlan& plan = Global().faults[kind];
    plan.error = error;
    plan.skip = skip;
    plan.count = count;
}

void ClearFaults() {
    std::lock_guard<std::mutex> guard(Global().lock);
    Global().faults.clear();
}

unsigned CallCount(Fault kind) {
    std::lock_guard<std::mutex> guard(Global().lock);
    auto it = Global().faults.find(kind);
    return it == Global().faults.end() ? 0 : it->second.calls;
}

namespace state {

bool ShouldFail(Fault kind, DWORD* error) {
    std::lock_guard<std::mutex> guard(Global().lock);
    FaultPlan& plan = Global().faults[kind];
    ++plan.calls;
    if (plan.skip > 0) {
        --plan.skip;
        return false;
    }
    if (plan.count == 0) return false;
    --plan.count;
    if (error != nullptr) *error = plan.error;
    return true;
}

UINT AnsiCodePage() {
    std::lock_guard<std::mutex> guard(Global().lock);
    return Global().codePage;
}
std::u16string WindowsDirectory() {
    std::lock_guard<std::mutex> guard(Global().lock);
    return Global().windowsDirectory;
}
std::u16string SystemDirectory() { return WindowsDirectory() + u"\\system32"; }
std::u16string ComputerName() {
    std::lock_guard<std::mutex> guard(Global().lock);
    return Global().computerName;
}
std::u16string UserName() {
    std::lock_guard<std::mutex> guard(Global().lock);
    return Global().userName;
}
void OsVersion(DWORD* major, DWORD* minor, DWORD* build, DWORD* platformId) {
    std::lock_guard<std::mutex> guard(Global().lock);
    const State& s = Global();
    *major = s.major;
    *minor = s.minor;
    *build = s.build;
    *platformId = s.platformId;
}
LANGID UserDefaultLanguage() {
    std::lock_guard<std::mutex> guard(Global().lock);
    return Global().language;
}
std::vector<std::string> ModuleFolders() {
    std::lock_guard<std::mutex> guard(Global().lock);
    return Global().moduleFolders;
}

SYSTEMTIME LocalTime() {
    std::lock_guard<std::mutex> guard(Global().lock);
    if (Global().clockFixed) return FromMs(Global().fixedLocalMs);
    return FromMs(RealUtcMs() + RealLocalOffsetMs());
}

SYSTEMTIME SystemTime() {
    std::lock_guard<std::mutex> guard(Global().lock);
    if (Global().clockFixed) return FromMs(Global().fixedLocalMs - kLocalOffsetMs);
    return FromMs(RealUtcMs());
}

DWORD TickCount() {
    std::lock_guard<std::mutex> guard(Global().lock);
    if (Global().tickFixed) return Global().fixedTick;
    using namespace std::chrono;
    return static_cast<DWORD>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace state
}  // namespace standin

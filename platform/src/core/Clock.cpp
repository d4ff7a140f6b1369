// The clock: the stand-in's (possibly fixed) local and system time and tick count, and the
// calendar arithmetic between SYSTEMTIME and FILETIME (100-ns units since 1601-01-01).
#include <chrono>
#include <cstdint>
#include <thread>

#include "platform/Kernel.h"
#include "platform/src/core/StandInState.h"

namespace {

constexpr std::int64_t kTicksPerMs = 10'000;
constexpr std::int64_t kMsPerDay = 86'400'000;
constexpr std::int64_t kDaysTo1970 = 134'774;  // 1601-01-01 to 1970-01-01

bool IsLeap(unsigned y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

unsigned DaysInMonth(unsigned y, unsigned m) {
    static constexpr unsigned kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

// Days since 1601-01-01 of a proleptic Gregorian date (year >= 1601).
std::int64_t DaysFromCivil(unsigned y, unsigned m, unsigned d) {
    const unsigned yy = m <= 2 ? y - 1 : y;
    const std::int64_t era = yy / 400;
    const unsigned yoe = static_cast<unsigned>(yy - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146'097 + doe - 719'468 + kDaysTo1970;  // days since 1970, moved to 1601
}

SYSTEMTIME CivilFromMs(std::int64_t ms) {
    const std::int64_t days = ms / kMsPerDay;
    const std::int64_t rest = ms % kMsPerDay;
    const std::int64_t z = days - kDaysTo1970 + 719'468;  // days since 0000-03-01
    const std::int64_t era = z / 146'097;
    const unsigned doe = static_cast<unsigned>(z - era * 146'097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36'524 - doe / 146'096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    SYSTEMTIME t{};
    t.wYear = static_cast<WORD>(yoe + era * 400 + (m <= 2));
    t.wMonth = static_cast<WORD>(m);
    t.wDayOfWeek = static_cast<WORD>((days + 1) % 7);  // 1601-01-01 was a Monday
    t.wDay = static_cast<WORD>(d);
    t.wHour = static_cast<WORD>(rest / 3'600'000);
    t.wMinute = static_cast<WORD>(rest / 60'000 % 60);
    t.wSecond = static_cast<WORD>(rest / 1000 % 60);
    t.wMilliseconds = static_cast<WORD>(rest % 1000);
    return t;
}

std::uint64_t ToUint(const FILETIME& t) { return static_cast<std::uint64_t>(t.dwHighDateTime) << 32 | t.dwLowDateTime; }

FILETIME FromUint(std::uint64_t v) { return FILETIME{static_cast<DWORD>(v), static_cast<DWORD>(v >> 32)}; }

// The platform's accepted range: years 1601-30827; the day of the week is ignored.
bool IsValid(const SYSTEMTIME& t) {
    return t.wYear >= 1601 && t.wYear <= 30'827 && t.wMonth >= 1 && t.wMonth <= 12 && t.wDay >= 1 &&
           t.wDay <= DaysInMonth(t.wYear, t.wMonth) && t.wHour < 24 && t.wMinute < 60 && t.wSecond < 60 &&
           t.wMilliseconds < 1000;
}

std::uint64_t TicksOf(const SYSTEMTIME& t) {
    const std::int64_t ms = DaysFromCivil(t.wYear, t.wMonth, t.wDay) * kMsPerDay + t.wHour * 3'600'000LL +
                            t.wMinute * 60'000LL + t.wSecond * 1000LL + t.wMilliseconds;
    return static_cast<std::uint64_t>(ms * kTicksPerMs);
}

}  // namespace

void GetLocalTime(LPSYSTEMTIME time) {
    if (time != nullptr) *time = standin::state::LocalTime();
}

void GetSystemTime(LPSYSTEMTIME time) {
    if (time != nullptr) *time = standin::state::SystemTime();
}

void GetSystemTimeAsFileTime(LPFILETIME time) {
    if (time != nullptr) *time = FromUint(TicksOf(standin::state::SystemTime()));
}

DWORD GetTickCount() { return standin::state::TickCount(); }

LONG CompareFileTime(const FILETIME* a, const FILETIME* b) {
    if (a == nullptr || b == nullptr) return 0;
    const std::uint64_t x = ToUint(*a);
    const std::uint64_t y = ToUint(*b);
    return x < y ? -1 : (x > y ? 1 : 0);
}

BOOL FileTimeToSystemTime(const FILETIME* fileTime, LPSYSTEMTIME systemTime) {
    // Values with the top bit set are negative times to the platform and refused.
    if (fileTime == nullptr || systemTime == nullptr || (fileTime->dwHighDateTime & 0x8000'0000u) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *systemTime = CivilFromMs(static_cast<std::int64_t>(ToUint(*fileTime) / kTicksPerMs));
    return TRUE;
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, LPFILETIME fileTime) {
    if (systemTime == nullptr || fileTime == nullptr || !IsValid(*systemTime)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *fileTime = FromUint(TicksOf(*systemTime));
    return TRUE;
}

void Sleep(DWORD milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

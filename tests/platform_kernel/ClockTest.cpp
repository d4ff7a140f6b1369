// The stand-in's clock and the SYSTEMTIME / FILETIME arithmetic.
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/Kernel.h"
#include "tests/platform_kernel/KernelTestValues.h"
#include "tests/support/TestRoot.h"

namespace {

std::uint64_t Value(const FILETIME& t) { return static_cast<std::uint64_t>(t.dwHighDateTime) << 32 | t.dwLowDateTime; }

std::string Text(const SYSTEMTIME& t) {
    char text[64];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u (%u) %02u:%02u:%02u.%03u", t.wYear, t.wMonth, t.wDay, t.wDayOfWeek,
                  t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
    return text;
}

class ClockTest : public kvtest::StandInTest {};

TEST_F(ClockTest, FixedClockGivesLocalAndSystemTime) {
    SYSTEMTIME local{};
    GetLocalTime(&local);
    EXPECT_EQ("2024-03-05 (2) 09:07:03.000", Text(local));
    SYSTEMTIME system{};
    GetSystemTime(&system);
    EXPECT_EQ("2024-03-05 (2) 00:07:03.000", Text(system));  // nine hours earlier

    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    EXPECT_EQ(133540708230000000ull, Value(now));  // (1709597223 s since 1970 + 11644473600) x 10^7

    standin::AdvanceClock(86'400'000 - 7 * 60'000);
    GetLocalTime(&local);
    EXPECT_EQ("2024-03-06 (3) 09:00:03.000", Text(local));
}

TEST_F(ClockTest, TickCountCanBeFixedAndAdvanced) {
    standin::SetTickCount(0xFFFFFF00u);
    EXPECT_EQ(0xFFFFFF00u, GetTickCount());
    standin::AdvanceClock(0x200);
    EXPECT_EQ(0x100u, GetTickCount());  // wraps like the platform's 32-bit count
}

TEST(FileTimeTest, RoundTripThroughTheCalendar) {
    struct Case {
        SYSTEMTIME time;
        std::uint64_t ticks;
        const char* text;
    };
    const Case cases[] = {
        {{1601, 1, 0, 1, 0, 0, 0, 0}, 0, "1601-01-01 (1) 00:00:00.000"},
        {{1970, 1, 0, 1, 0, 0, 0, 0}, 116444736000000000ull, "1970-01-01 (4) 00:00:00.000"},
        {{2000, 2, 0, 29, 23, 59, 59, 999}, 125963423999990000ull, "2000-02-29 (2) 23:59:59.999"},
        {{2024, 3, 0, 5, 0, 7, 3, 0}, 133540708230000000ull, "2024-03-05 (2) 00:07:03.000"},
        {{30827, 12, 0, 31, 23, 59, 59, 999}, 0x7FFF35F4F06C58F0ull, "30827-12-31 (5) 23:59:59.999"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        FILETIME ft{};
        ASSERT_TRUE(SystemTimeToFileTime(&c.time, &ft));
        EXPECT_EQ(c.ticks, Value(ft));
        SYSTEMTIME back{};
        ASSERT_TRUE(FileTimeToSystemTime(&ft, &back));
        EXPECT_EQ(c.text, Text(back));  // the day of the week is worked out on the way back
    }
}

TEST(FileTimeTest, SubMillisecondTicksAreDropped) {
    const FILETIME ft{9'999, 0};
    SYSTEMTIME t{};
    ASSERT_TRUE(FileTimeToSystemTime(&ft, &t));
    EXPECT_EQ("1601-01-01 (1) 00:00:00.000", Text(t));
}

TEST(FileTimeTest, OutOfRangeFieldsAreRefused) {
    struct Case {
        const char* name;
        SYSTEMTIME time;
    };
    const Case cases[] = {
        {"year 1600", {1600, 12, 0, 31, 0, 0, 0, 0}},
        {"year 30828", {30828, 1, 0, 1, 0, 0, 0, 0}},
        {"month 0", {2024, 0, 0, 1, 0, 0, 0, 0}},
        {"month 13", {2024, 13, 0, 1, 0, 0, 0, 0}},
        {"day 0", {2024, 1, 0, 0, 0, 0, 0, 0}},
        {"February 29 of a common year", {2023, 2, 0, 29, 0, 0, 0, 0}},
        {"February 29 of 1900", {1900, 2, 0, 29, 0, 0, 0, 0}},
        {"February 30 of a leap year", {2024, 2, 0, 30, 0, 0, 0, 0}},
        {"April 31", {2024, 4, 0, 31, 0, 0, 0, 0}},
        {"hour 24", {2024, 1, 0, 1, 24, 0, 0, 0}},
        {"minute 60", {2024, 1, 0, 1, 0, 60, 0, 0}},
        {"second 60", {2024, 1, 0, 1, 0, 0, 60, 0}},
        {"millisecond 1000", {2024, 1, 0, 1, 0, 0, 0, 1000}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FILETIME ft{kSentinel, kSentinel};
        SetLastError(kSentinel);
        EXPECT_FALSE(SystemTimeToFileTime(&c.time, &ft));
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
        EXPECT_EQ(kSentinel, ft.dwLowDateTime);
    }
    const FILETIME negative{0, 0x80000000u};
    SYSTEMTIME t{};
    SetLastError(kSentinel);
    EXPECT_FALSE(FileTimeToSystemTime(&negative, &t));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
}

TEST(FileTimeTest, CompareFileTimeWeighsTheHighWordFirst) {
    struct Case {
        FILETIME a;
        FILETIME b;
        LONG result;
    };
    const Case cases[] = {
        {{5, 1}, {5, 1}, 0},
        {{4, 1}, {5, 1}, -1},
        {{6, 1}, {5, 1}, 1},
        {{0, 2}, {0xFFFFFFFFu, 1}, 1},
        {{0xFFFFFFFFu, 1}, {0, 2}, -1},
        {{0, 0x80000000u}, {0, 0x7FFFFFFFu}, 1},  // unsigned: the top bit is no sign
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.result, CompareFileTime(&c.a, &c.b));
    }
}

}  // namespace

#include "platform/Kernel.h"
#include "platform/WinError.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace
{
ULONGLONG TicksOf(const FILETIME& ft)
{
    return (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

FILETIME FromTicks(ULONGLONG ticks)
{
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

SYSTEMTIME Make(WORD y, WORD mo, WORD d, WORD h = 0, WORD mi = 0, WORD s = 0, WORD ms = 0)
{
    SYSTEMTIME st = {};
    st.wYear = y;
    st.wMonth = mo;
    st.wDay = d;
    st.wHour = h;
    st.wMinute = mi;
    st.wSecond = s;
    st.wMilliseconds = ms;
    return st;
}

// Sets the process time zone (a POSIX rule, so no zone database is needed) for a test.
class ZoneOverride
{
public:
    explicit ZoneOverride(const char* tz)
    {
        if (const char* old = std::getenv("TZ"))
            m_saved = old, m_had = true;
        ::setenv("TZ", tz, 1);
        ::tzset();
    }
    ~ZoneOverride()
    {
        if (m_had)
            ::setenv("TZ", m_saved.c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

private:
    std::string m_saved;
    bool m_had = false;
};

constexpr ULONGLONG kTicksPerHour = 36000000000ull;
constexpr const char* kBerlin = "CET-1CEST,M3.5.0,M10.5.0/3";
} // namespace

TEST(Time, SystemTimeRoundTripsWithDayOfWeek)
{
    struct Case
    {
        SYSTEMTIME st;
        ULONGLONG ticks;
        WORD dayOfWeek;
    };
    const Case cases[] = {
        {Make(1601, 1, 1), 0, 1},                                       // Monday
        {Make(1970, 1, 1), 116444736000000000ull, 4},                   // Thursday
        {Make(2021, 6, 15, 13, 45, 30), 132682383300000000ull, 2},      // Tuesday
        {Make(2024, 2, 29, 23, 59, 59, 999), 133537247999990000ull, 4}, // leap day
    };
    for (const Case& c : cases)
    {
        FILETIME ft = {};
        ASSERT_TRUE(SystemTimeToFileTime(&c.st, &ft)) << c.st.wYear;
        EXPECT_EQ(TicksOf(ft), c.ticks) << c.st.wYear;
        SYSTEMTIME back = {};
        ASSERT_TRUE(FileTimeToSystemTime(&ft, &back));
        EXPECT_EQ(back.wYear, c.st.wYear);
        EXPECT_EQ(back.wMonth, c.st.wMonth);
        EXPECT_EQ(back.wDay, c.st.wDay);
        EXPECT_EQ(back.wHour, c.st.wHour);
        EXPECT_EQ(back.wMinute, c.st.wMinute);
        EXPECT_EQ(back.wSecond, c.st.wSecond);
        EXPECT_EQ(back.wMilliseconds, c.st.wMilliseconds);
        EXPECT_EQ(back.wDayOfWeek, c.dayOfWeek) << c.st.wYear;
    }
}

TEST(Time, InvalidCalendarValuesAreRefused)
{
    FILETIME ft = {1, 1};
    for (const SYSTEMTIME& st :
         {Make(2023, 2, 29), Make(2021, 13, 1), Make(2021, 4, 31), Make(2021, 1, 0), Make(1600, 12, 31),
          Make(2021, 1, 1, 24), Make(2021, 1, 1, 0, 0, 60), Make(2021, 1, 1, 0, 0, 0, 1000)})
    {
        EXPECT_FALSE(SystemTimeToFileTime(&st, &ft));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    }
    EXPECT_EQ(ft.dwLowDateTime, 1u); // output untouched
    SYSTEMTIME st = {};
    const FILETIME negative = {0, 0x80000000u};
    EXPECT_FALSE(FileTimeToSystemTime(&negative, &st));
}

TEST(Time, DosDateTimeOfAKnownStamp)
{
    FILETIME ft = {};
    ASSERT_TRUE(DosDateTimeToFileTime(21199, 28079, &ft)); // 2021-06-15 13:45:30
    EXPECT_EQ(TicksOf(ft), 132682383300000000ull);
    ASSERT_TRUE(DosDateTimeToFileTime(0x0021, 0, &ft)); // the first DOS day, 1980-01-01
    SYSTEMTIME st = {};
    FileTimeToSystemTime(&ft, &st);
    EXPECT_EQ(st.wYear, 1980);
    EXPECT_EQ(st.wMonth, 1);
    EXPECT_EQ(st.wDay, 1);

    // month 0, day 0 and "62 seconds" are no calendar time
    EXPECT_FALSE(DosDateTimeToFileTime(0, 0, &ft));
    EXPECT_FALSE(DosDateTimeToFileTime(21199, 28079 | 31, &ft));
    EXPECT_FALSE(DosDateTimeToFileTime((41 << 9) | (2 << 5) | 30, 0, &ft)); // 30 February
}

TEST(Time, LocalConversionsUseTheOffsetInForceThen)
{
    ZoneOverride zone(kBerlin);
    SYSTEMTIME winter = Make(2021, 1, 10, 12);
    SYSTEMTIME summer = Make(2021, 7, 10, 12);
    FILETIME utc = {};
    FILETIME local = {};
    FILETIME back = {};

    SystemTimeToFileTime(&winter, &utc);
    ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
    EXPECT_EQ(TicksOf(local) - TicksOf(utc), kTicksPerHour);
    ASSERT_TRUE(LocalFileTimeToFileTime(&local, &back));
    EXPECT_EQ(TicksOf(back), TicksOf(utc));

    SystemTimeToFileTime(&summer, &utc);
    utc = FromTicks(TicksOf(utc) + 1234567); // sub-second part survives
    ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
    EXPECT_EQ(TicksOf(local) - TicksOf(utc), 2 * kTicksPerHour);
    ASSERT_TRUE(LocalFileTimeToFileTime(&local, &back));
    EXPECT_EQ(TicksOf(back), TicksOf(utc));
}

TEST(Time, ZipStampBecomesUtcThroughLocalTime)
{
    ZoneOverride zone(kBerlin);
    FILETIME local = {};
    FILETIME utc = {};
    ASSERT_TRUE(DosDateTimeToFileTime(21199, 28079, &local)); // 13:45:30 summer time
    ASSERT_TRUE(LocalFileTimeToFileTime(&local, &utc));
    SYSTEMTIME st = {};
    FileTimeToSystemTime(&utc, &st);
    EXPECT_EQ(st.wHour, 11);
    EXPECT_EQ(st.wMinute, 45);
}

TEST(Time, UnixConversionsRoundTrip)
{
    const FILETIME epoch = platform::UnixToFileTime(timespec{0, 0});
    EXPECT_EQ(TicksOf(epoch), 116444736000000000ull);

    for (const timespec ts : {timespec{1623764730, 123456700}, timespec{-1, 500000000}, timespec{0, 100}})
    {
        const timespec back = platform::FileTimeToUnix(platform::UnixToFileTime(ts));
        EXPECT_EQ(back.tv_sec, ts.tv_sec);
        EXPECT_EQ(back.tv_nsec, ts.tv_nsec);
    }
    // before 1601 there is no FILETIME
    EXPECT_EQ(TicksOf(platform::UnixToFileTime(timespec{-20000000000, 0})), 0u);
    const timespec first = platform::FileTimeToUnix(FILETIME{0, 0});
    EXPECT_EQ(first.tv_sec, -11644473600);
}

TEST(Time, CompareFileTimeOrdersByValue)
{
    const FILETIME a = FromTicks(0x00000001FFFFFFFFull);
    const FILETIME b = FromTicks(0x0000000200000000ull);
    EXPECT_EQ(CompareFileTime(&a, &b), -1);
    EXPECT_EQ(CompareFileTime(&b, &a), 1);
    EXPECT_EQ(CompareFileTime(&a, &a), 0);
}

TEST(Time, ClocksAgreeWithTheSystem)
{
    ZoneOverride zone("UTC-3"); // three hours east of UTC, no daylight saving
    SYSTEMTIME utc = {};
    SYSTEMTIME local = {};
    GetSystemTime(&utc);
    GetLocalTime(&local);
    FILETIME utcFt = {};
    FILETIME localFt = {};
    SystemTimeToFileTime(&utc, &utcFt);
    SystemTimeToFileTime(&local, &localFt);
    const auto diff = static_cast<long long>(TicksOf(localFt) - TicksOf(utcFt));
    EXPECT_NEAR(static_cast<double>(diff) / kTicksPerHour, 3.0, 0.01);

    const timespec now = platform::FileTimeToUnix(utcFt);
    EXPECT_NEAR(static_cast<double>(now.tv_sec), static_cast<double>(std::time(nullptr)), 2.0);

    const DWORD tick = GetTickCount();
    const ULONGLONG tick64 = GetTickCount64();
    EXPECT_EQ(static_cast<DWORD>(tick64) - tick < 1000u, true);
    Sleep(20);
    EXPECT_GE(GetTickCount64(), tick64 + 20);
}

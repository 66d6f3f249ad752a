// Calendar and clock functions. FILETIME counts 100 ns ticks since 1601-01-01 UTC; the
// calendar arithmetic is done here (proleptic Gregorian) so that it does not depend on the
// range of time_t or on the time zone, which only the local conversions consult.
#include "platform/Kernel.h"
#include "platform/WinError.h"

#include <cstdint>
#include <ctime>
#include <limits>

namespace
{
constexpr int64_t kTicksPerSecond = 10000000;
constexpr int64_t kTicksPerMillisecond = 10000;
constexpr int64_t kSecondsPerDay = 86400;
constexpr int64_t kTicksPerDay = kSecondsPerDay * kTicksPerSecond;
constexpr int64_t kDaysFrom1601To1970 = 134774;
constexpr int64_t kUnixEpochTicks = kDaysFrom1601To1970 * kTicksPerDay;
constexpr int64_t kMaxTicks = std::numeric_limits<int64_t>::max();

// Days since 1970-01-01 of a civil date, and back (H. Hinnant's algorithms).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int64_t& year, unsigned& month, unsigned& day)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = doy - (153 * mp + 2) / 5 + 1;
    month = mp < 10 ? mp + 3 : mp - 9;
    year = static_cast<int64_t>(yoe) + era * 400 + (month <= 2);
}

bool IsLeapYear(unsigned year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

unsigned DaysInMonth(unsigned year, unsigned month)
{
    static const unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool IsValidSystemTime(const SYSTEMTIME& st)
{
    return st.wYear >= 1601 && st.wYear <= 30827 && st.wMonth >= 1 && st.wMonth <= 12 && st.wDay >= 1 &&
           st.wDay <= DaysInMonth(st.wYear, st.wMonth) && st.wHour < 24 && st.wMinute < 60 &&
           st.wSecond < 60 && st.wMilliseconds < 1000;
}

int64_t TicksOf(const FILETIME& ft)
{
    return static_cast<int64_t>((static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
}

FILETIME FileTimeOf(int64_t ticks)
{
    const auto value = static_cast<uint64_t>(ticks);
    return FILETIME{static_cast<DWORD>(value & 0xFFFFFFFFu), static_cast<DWORD>(value >> 32)};
}

// FILETIME values with the top bit set are refused, as they are no time.
bool IsValidFileTime(const FILETIME* ft)
{
    return ft != nullptr && (ft->dwHighDateTime & 0x80000000u) == 0;
}

BOOL Refuse()
{
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

int64_t FloorDiv(int64_t a, int64_t b)
{
    return a / b - (a % b != 0 && (a < 0) != (b < 0));
}

// The zone's offset from UTC (seconds) in force at a UTC instant.
int64_t LocalOffsetAt(time_t utcSeconds)
{
    struct tm local = {};
    if (::localtime_r(&utcSeconds, &local) == nullptr)
        return 0;
    return local.tm_gmtoff;
}

struct timespec Now()
{
    struct timespec now = {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return now;
}
} // namespace

namespace platform
{
struct timespec FileTimeToUnix(const FILETIME& fileTime)
{
    const int64_t ticks = TicksOf(fileTime) < 0 ? kMaxTicks : TicksOf(fileTime);
    const int64_t sinceEpoch = ticks - kUnixEpochTicks;
    const int64_t seconds = FloorDiv(sinceEpoch, kTicksPerSecond);
    struct timespec result = {};
    result.tv_sec = static_cast<time_t>(seconds);
    result.tv_nsec = static_cast<long>((sinceEpoch - seconds * kTicksPerSecond) * 100);
    return result;
}

FILETIME UnixToFileTime(struct timespec time)
{
    constexpr int64_t kMaxSeconds = (kMaxTicks - kUnixEpochTicks) / kTicksPerSecond - 1;
    constexpr int64_t kMinSeconds = -kUnixEpochTicks / kTicksPerSecond;
    if (time.tv_sec > kMaxSeconds)
        return FileTimeOf(kMaxTicks);
    if (time.tv_sec < kMinSeconds)
        return FileTimeOf(0);
    const int64_t ticks =
        static_cast<int64_t>(time.tv_sec) * kTicksPerSecond + time.tv_nsec / 100 + kUnixEpochTicks;
    return FileTimeOf(ticks < 0 ? 0 : ticks);
}
} // namespace platform

BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, LPFILETIME fileTime)
{
    if (systemTime == nullptr || fileTime == nullptr || !IsValidSystemTime(*systemTime))
        return Refuse();
    const SYSTEMTIME& st = *systemTime;
    const int64_t days = DaysFromCivil(st.wYear, st.wMonth, st.wDay) + kDaysFrom1601To1970;
    const int64_t seconds = days * kSecondsPerDay + st.wHour * 3600 + st.wMinute * 60 + st.wSecond;
    *fileTime = FileTimeOf(seconds * kTicksPerSecond + st.wMilliseconds * kTicksPerMillisecond);
    return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME* fileTime, LPSYSTEMTIME systemTime)
{
    if (!IsValidFileTime(fileTime) || systemTime == nullptr)
        return Refuse();
    const int64_t ticks = TicksOf(*fileTime);
    const int64_t days = ticks / kTicksPerDay;
    const int64_t ofDay = ticks % kTicksPerDay;
    int64_t year = 0;
    unsigned month = 0;
    unsigned day = 0;
    CivilFromDays(days - kDaysFrom1601To1970, year, month, day);
    const int64_t seconds = ofDay / kTicksPerSecond;
    systemTime->wYear = static_cast<WORD>(year);
    systemTime->wMonth = static_cast<WORD>(month);
    systemTime->wDayOfWeek = static_cast<WORD>((days + 1) % 7); // 1601-01-01 was a Monday
    systemTime->wDay = static_cast<WORD>(day);
    systemTime->wHour = static_cast<WORD>(seconds / 3600);
    systemTime->wMinute = static_cast<WORD>(seconds / 60 % 60);
    systemTime->wSecond = static_cast<WORD>(seconds % 60);
    systemTime->wMilliseconds = static_cast<WORD>(ofDay % kTicksPerSecond / kTicksPerMillisecond);
    return TRUE;
}

BOOL FileTimeToLocalFileTime(const FILETIME* fileTime, LPFILETIME localFileTime)
{
    if (!IsValidFileTime(fileTime) || localFileTime == nullptr)
        return Refuse();
    const int64_t ticks = TicksOf(*fileTime);
    const int64_t local = ticks + LocalOffsetAt(platform::FileTimeToUnix(*fileTime).tv_sec) * kTicksPerSecond;
    if (local < 0)
        return Refuse();
    *localFileTime = FileTimeOf(local);
    return TRUE;
}

BOOL LocalFileTimeToFileTime(const FILETIME* localFileTime, LPFILETIME fileTime)
{
    SYSTEMTIME st = {};
    if (fileTime == nullptr || !FileTimeToSystemTime(localFileTime, &st))
        return Refuse();
    struct tm local = {};
    local.tm_year = st.wYear - 1900;
    local.tm_mon = st.wMonth - 1;
    local.tm_mday = st.wDay;
    local.tm_hour = st.wHour;
    local.tm_min = st.wMinute;
    local.tm_sec = st.wSecond;
    local.tm_isdst = -1; // let the zone rules decide whether daylight saving was in force
    struct timespec utc = {};
    utc.tv_sec = ::mktime(&local);
    utc.tv_nsec = static_cast<long>(TicksOf(*localFileTime) % kTicksPerSecond * 100);
    *fileTime = platform::UnixToFileTime(utc);
    return TRUE;
}

BOOL DosDateTimeToFileTime(WORD fatDate, WORD fatTime, LPFILETIME fileTime)
{
    SYSTEMTIME st = {};
    st.wYear = static_cast<WORD>((fatDate >> 9) + 1980);
    st.wMonth = static_cast<WORD>((fatDate >> 5) & 15);
    st.wDay = static_cast<WORD>(fatDate & 31);
    st.wHour = static_cast<WORD>(fatTime >> 11);
    st.wMinute = static_cast<WORD>((fatTime >> 5) & 63);
    st.wSecond = static_cast<WORD>((fatTime & 31) * 2);
    return SystemTimeToFileTime(&st, fileTime);
}

LONG CompareFileTime(const FILETIME* first, const FILETIME* second)
{
    const uint64_t a = (static_cast<uint64_t>(first->dwHighDateTime) << 32) | first->dwLowDateTime;
    const uint64_t b = (static_cast<uint64_t>(second->dwHighDateTime) << 32) | second->dwLowDateTime;
    return a < b ? -1 : (a > b ? 1 : 0);
}

void GetSystemTime(LPSYSTEMTIME time)
{
    const FILETIME now = platform::UnixToFileTime(Now());
    FileTimeToSystemTime(&now, time);
}

void GetLocalTime(LPSYSTEMTIME time)
{
    const FILETIME now = platform::UnixToFileTime(Now());
    FILETIME local = now;
    FileTimeToLocalFileTime(&now, &local);
    FileTimeToSystemTime(&local, time);
}

ULONGLONG GetTickCount64()
{
    struct timespec now = {};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<ULONGLONG>(now.tv_sec) * 1000u + static_cast<ULONGLONG>(now.tv_nsec) / 1000000u;
}

DWORD GetTickCount()
{
    return static_cast<DWORD>(GetTickCount64()); // wraps after 49.7 days, as callers expect
}

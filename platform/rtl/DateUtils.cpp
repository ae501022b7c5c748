// Calendar arithmetic for TDateTime and the DOS date-time layout.
#include "platform/rtl/DateUtils.h"

#include "platform/rtl/SysUtils.h"

#include <cmath>

namespace {

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

// Days from 0001-01-01 to the given date.
int64_t DayNumber(int y, int m, int d) {
    int64_t n = 0;
    const int64_t py = y - 1;
    n = py * 365 + py / 4 - py / 100 + py / 400;
    for (int i = 1; i < m; ++i) n += DaysInMonth(y, i);
    return n + d - 1;
}

const int64_t kEpoch = DayNumber(1899, 12, 30);

}  // namespace

bool IsValidDateParts(const TDateParts& p) {
    return p.Year >= 1 && p.Year <= 9999 && p.Month >= 1 && p.Month <= 12 && p.Day >= 1 &&
           p.Day <= DaysInMonth(p.Year, p.Month) && p.Hour >= 0 && p.Hour < 24 && p.Minute >= 0 &&
           p.Minute < 60 && p.Second >= 0 && p.Second < 60 && p.Millisecond >= 0 && p.Millisecond < 1000;
}

bool TryEncodeDateTime(const TDateParts& p, TDateTime& value) {
    if (!IsValidDateParts(p)) return false;
    const double days = static_cast<double>(DayNumber(p.Year, p.Month, p.Day) - kEpoch);
    const double time = (p.Hour * 3600000.0 + p.Minute * 60000.0 + p.Second * 1000.0 + p.Millisecond) / 86400000.0;
    // Before the epoch the fraction counts forwards from the day's number, as in the
    // original date type.
    value = days >= 0 ? days + time : days - time;
    return true;
}

TDateParts DecodeDateTime(TDateTime value) {
    TDateParts p;
    double day = std::floor(value);
    double frac = value - day;
    if (value < 0) {
        day = std::ceil(value);
        frac = day - value;
    }
    int64_t ms = std::llround(frac * 86400000.0);
    if (ms >= 86400000) {
        ms -= 86400000;
        day += value < 0 ? -1 : 1;
    }
    int64_t n = static_cast<int64_t>(day) + kEpoch;
    int y = static_cast<int>(n / 366) + 1;
    while (DayNumber(y + 1, 1, 1) <= n) ++y;
    while (DayNumber(y, 1, 1) > n) --y;
    int m = 1;
    while (m < 12 && DayNumber(y, m + 1, 1) <= n) ++m;
    p.Year = y;
    p.Month = m;
    p.Day = static_cast<int>(n - DayNumber(y, m, 1)) + 1;
    p.Hour = static_cast<int>(ms / 3600000);
    p.Minute = static_cast<int>(ms / 60000 % 60);
    p.Second = static_cast<int>(ms / 1000 % 60);
    p.Millisecond = static_cast<int>(ms % 1000);
    return p;
}

TDateParts DosDateTimeToParts(int32_t dos) {
    const auto v = static_cast<uint32_t>(dos);
    TDateParts p;
    p.Second = static_cast<int>(v & 0x1F) * 2;
    p.Minute = static_cast<int>((v >> 5) & 0x3F);
    p.Hour = static_cast<int>((v >> 11) & 0x1F);
    p.Day = static_cast<int>((v >> 16) & 0x1F);
    p.Month = static_cast<int>((v >> 21) & 0x0F);
    p.Year = static_cast<int>(v >> 25) + 1980;
    p.Millisecond = 0;
    return p;
}

bool TryDosDateTimeToDateTime(int32_t dos, TDateTime& value) {
    return TryEncodeDateTime(DosDateTimeToParts(dos), value);
}

int32_t PartsToDosDateTime(const TDateParts& p) {
    int year = p.Year, month = p.Month, day = p.Day, hour = p.Hour, minute = p.Minute, second = p.Second;
    if (year < 1980) year = 1980, month = 1, day = 1, hour = 0, minute = 0, second = 0;
    if (year > 2107) year = 2107, month = 12, day = 31, hour = 23, minute = 59, second = 58;
    const uint32_t time = static_cast<uint32_t>(second / 2) | static_cast<uint32_t>(minute) << 5 |
                          static_cast<uint32_t>(hour) << 11;
    const uint32_t date = static_cast<uint32_t>(day) | static_cast<uint32_t>(month) << 5 |
                          static_cast<uint32_t>(year - 1980) << 9;
    return static_cast<int32_t>(date << 16 | time);
}

int32_t DateTimeToDosDateTime(TDateTime value) { return PartsToDosDateTime(DecodeDateTime(value)); }

AnsiString FormatDateDdMmYyyy(TDateTime value) {
    const TDateParts p = DecodeDateTime(value);
    return Format("%2.2d.%2.2d.%4.4d", p.Day, p.Month, p.Year);
}

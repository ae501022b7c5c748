// Date-time values (TDateTime, local time) and DOS date-times.
// A DOS date-time is one 32-bit value: time in the low 16 bits (seconds / 2 in bits 0-4,
// minutes in 5-10, hours in 11-15), date in the high 16 bits (day in 16-20, month in 21-24,
// years since 1980 in 25-31).
#pragma once

#include "platform/rtl/Types.h"

#include <cstdint>

struct TDateParts {
    int Year = 1899, Month = 12, Day = 30, Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};

bool IsValidDateParts(const TDateParts& parts);
// False for an impossible date or time (day 31 of April, hour 24, ...).
bool TryEncodeDateTime(const TDateParts& parts, TDateTime& value);
TDateParts DecodeDateTime(TDateTime value);

TDateParts DosDateTimeToParts(int32_t dos);
// False when the DOS value is not a valid date and time.
bool TryDosDateTimeToDateTime(int32_t dos, TDateTime& value);
// Seconds are rounded down to even; years outside 1980..2107 are clamped.
int32_t PartsToDosDateTime(const TDateParts& parts);
int32_t DateTimeToDosDateTime(TDateTime value);

// "05.03.2012".
AnsiString FormatDateDdMmYyyy(TDateTime value);

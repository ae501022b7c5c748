// Small helpers of the archive reader: DOS date-time normalisation, percentages rounded
// halves-to-even, and text and path helpers.
#pragma once

#include "platform/rtl/Types.h"

#include <cstdint>

// Clamps the fields of a DOS date-time into their ranges (hours 0-23, minutes and seconds
// 0-59, years 1980-2099, months 1-12, days 1-31; days are not checked against the month).
// A value that needed no clamping is returned bit for bit.
uint32_t FixDosDateTime(uint32_t value);

// part * 100 / whole to the nearest integer, halves to even, at most 100; 0 when whole <= 0.
int PercentOf(int32_t part, int32_t whole);
int BigPercentOf(int64_t part, int64_t whole);

void SlashesToBackslashes(AnsiString& text);
AnsiString LeftChars(const AnsiString& text, int n);
AnsiString RightChars(const AnsiString& text, int n);

// Label of the volume whose root is given ("A:\"), as a query with room for 13 characters
// reports it: empty when there is none, it cannot be read, or it is longer.
AnsiString VolumeLabel(const AnsiString& root);

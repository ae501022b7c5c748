// Basic types of the system: 8-bit CP1251 text, the date-time value and fixed-size integers.
// Every text the system holds is an AnsiString of CP1251 bytes; conversions to UTF-8 and
// UTF-16 happen only at the edges (CodePage.h).
#pragma once

#include <cstdint>
#include <string>

using AnsiString = std::string;

// Days since 1899-12-30, the fraction being the time of day (local time).
using TDateTime = double;

#ifndef SETUP_NO_CP1251_LITERALS
// Narrow literals are compiled to CP1251 (-fexec-charset); this keeps a build that
// silently stores them as UTF-8 from ever passing.
static_assert(sizeof("\u0416") == 2 && "\u0416"[0] == '\xC6',
              "string literals must be compiled to code page 1251");
#endif

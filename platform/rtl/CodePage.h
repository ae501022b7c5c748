// Code page conversions at the edges of the system: CP1251 (the system's text) to and from
// UTF-8 (Linux file names, the terminal) and UTF-16 (Windows calls), and the OEM code page
// CP866 of archive names. Fixed tables, the same on every platform. No conversion drops a
// character silently: a character without a counterpart is an error.
#pragma once

#include "platform/rtl/Types.h"

#include <string>
#include <string_view>

// Unicode code point of a CP1251 byte. Every byte has one (0x98, unassigned, maps to U+0098),
// so every CP1251 text round-trips through UTF-8 and UTF-16.
char32_t Cp1251ToUnicode(unsigned char c);
// CP1251 byte of a code point, or -1 when CP1251 has none.
int UnicodeToCp1251(char32_t cp);

std::string Cp1251ToUtf8(std::string_view text);
std::u16string Cp1251ToUtf16(std::string_view text);

// Strict conversions into CP1251: invalid UTF-8 / UTF-16 or a character that CP1251 cannot
// hold makes the Try form return false (out is then undefined) and the other raise EConvertError.
bool TryUtf8ToCp1251(std::string_view utf8, AnsiString& out);
AnsiString Utf8ToCp1251(std::string_view utf8);
bool TryUtf16ToCp1251(std::u16string_view utf16, AnsiString& out);
AnsiString Utf16ToCp1251(std::u16string_view utf16);

// True when the text is well-formed UTF-8; multiByte tells whether it holds a sequence of
// more than one byte.
bool IsValidUtf8(std::string_view text, bool* multiByte = nullptr);

// Code point of a CP866 byte, and the CP866 byte of a code point (-1 when none).
char32_t Cp866ToUnicode(unsigned char c);
int UnicodeToCp866(char32_t cp);

// OEM (CP866) text to CP1251. Returns false when a character has no CP1251 counterpart
// (the pseudo-graphics of CP866); such a character becomes "_" in out.
bool OemToAnsi(std::string_view oem, AnsiString& out);
// UTF-8 text to CP1251 the same way: false (and "_" for the character) when a character has
// no CP1251 counterpart or a sequence is malformed (each byte of it then counts as one).
bool Utf8ToAnsi(std::string_view utf8, AnsiString& out);
// CP1251 text to CP866; false (and "_" for the character) when CP866 cannot hold one.
bool AnsiToOem(std::string_view ansi, std::string& out);

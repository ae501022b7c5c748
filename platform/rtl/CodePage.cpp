// Fixed CP1251 / CP866 tables and the UTF-8 / UTF-16 codecs.
#include "platform/rtl/CodePage.h"

#include "platform/rtl/SysUtils.h"

#include <array>

namespace {

// Code points of the bytes 0x80..0xFF.
constexpr char16_t kCp1251High[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

constexpr char16_t kCp866High[128] = {
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
    0x0401, 0x0451, 0x0404, 0x0454, 0x0407, 0x0457, 0x040E, 0x045E,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x2116, 0x00A4, 0x25A0, 0x00A0,
};

int Reverse(const char16_t (&high)[128], char32_t cp) {
    if (cp < 0x80) return static_cast<int>(cp);
    for (int i = 0; i < 128; ++i)
        if (high[i] == cp) return 0x80 + i;
    return -1;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one UTF-8 sequence at text[i]; false for a malformed, overlong or surrogate one.
bool NextUtf8(std::string_view text, size_t& i, char32_t& cp) {
    const auto b0 = static_cast<unsigned char>(text[i]);
    int extra;
    char32_t min;
    if (b0 < 0x80) { cp = b0; ++i; return true; }
    if (b0 >= 0xC2 && b0 <= 0xDF) { extra = 1; cp = b0 & 0x1F; min = 0x80; }
    else if (b0 >= 0xE0 && b0 <= 0xEF) { extra = 2; cp = b0 & 0x0F; min = 0x800; }
    else if (b0 >= 0xF0 && b0 <= 0xF4) { extra = 3; cp = b0 & 0x07; min = 0x10000; }
    else return false;
    if (i + extra >= text.size()) return false;
    for (int k = 1; k <= extra; ++k) {
        const auto b = static_cast<unsigned char>(text[i + k]);
        if ((b & 0xC0) != 0x80) return false;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += extra + 1;
    return true;
}

}  // namespace

char32_t Cp1251ToUnicode(unsigned char c) { return c < 0x80 ? c : kCp1251High[c - 0x80]; }
int UnicodeToCp1251(char32_t cp) { return Reverse(kCp1251High, cp); }
char32_t Cp866ToUnicode(unsigned char c) { return c < 0x80 ? c : kCp866High[c - 0x80]; }
int UnicodeToCp866(char32_t cp) { return Reverse(kCp866High, cp); }

std::string Cp1251ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (char c : text) AppendUtf8(out, Cp1251ToUnicode(static_cast<unsigned char>(c)));
    return out;
}

std::u16string Cp1251ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (char c : text) out += static_cast<char16_t>(Cp1251ToUnicode(static_cast<unsigned char>(c)));
    return out;
}

bool IsValidUtf8(std::string_view text, bool* multiByte) {
    bool multi = false;
    for (size_t i = 0; i < text.size();) {
        char32_t cp;
        if (!NextUtf8(text, i, cp)) return false;
        if (cp >= 0x80) multi = true;
    }
    if (multiByte) *multiByte = multi;
    return true;
}

bool TryUtf8ToCp1251(std::string_view utf8, AnsiString& out) {
    out.clear();
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        char32_t cp;
        if (!NextUtf8(utf8, i, cp)) return false;
        const int b = UnicodeToCp1251(cp);
        if (b < 0) return false;
        out += static_cast<char>(b);
    }
    return true;
}

AnsiString Utf8ToCp1251(std::string_view utf8) {
    AnsiString out;
    if (!TryUtf8ToCp1251(utf8, out))
        throw EConvertError("Text cannot be represented in code page 1251");
    return out;
}

bool TryUtf16ToCp1251(std::u16string_view utf16, AnsiString& out) {
    out.clear();
    out.reserve(utf16.size());
    for (char16_t u : utf16) {
        // A surrogate is never a CP1251 character.
        const int b = (u >= 0xD800 && u <= 0xDFFF) ? -1 : UnicodeToCp1251(u);
        if (b < 0) return false;
        out += static_cast<char>(b);
    }
    return true;
}

AnsiString Utf16ToCp1251(std::u16string_view utf16) {
    AnsiString out;
    if (!TryUtf16ToCp1251(utf16, out))
        throw EConvertError("Text cannot be represented in code page 1251");
    return out;
}

bool OemToAnsi(std::string_view oem, AnsiString& out) {
    bool ok = true;
    out.clear();
    out.reserve(oem.size());
    for (char c : oem) {
        const int b = UnicodeToCp1251(Cp866ToUnicode(static_cast<unsigned char>(c)));
        if (b < 0) {
            ok = false;
            out += '_';
        } else {
            out += static_cast<char>(b);
        }
    }
    return ok;
}

bool Utf8ToAnsi(std::string_view utf8, AnsiString& out) {
    bool ok = true;
    out.clear();
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        char32_t cp;
        int b = -1;
        if (NextUtf8(utf8, i, cp)) b = UnicodeToCp1251(cp);
        else ++i;
        if (b < 0) {
            ok = false;
            out += '_';
        } else {
            out += static_cast<char>(b);
        }
    }
    return ok;
}

bool AnsiToOem(std::string_view ansi, std::string& out) {
    bool ok = true;
    out.clear();
    out.reserve(ansi.size());
    for (char c : ansi) {
        const int b = UnicodeToCp866(Cp1251ToUnicode(static_cast<unsigned char>(c)));
        if (b < 0) {
            ok = false;
            out += '_';
        } else {
            out += static_cast<char>(b);
        }
    }
    return ok;
}

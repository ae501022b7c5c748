// Formatting, number parsing, letter case and path text helpers.
#include "platform/rtl/SysUtils.h"

#include "platform/rtl/CodePage.h"

#include <array>
#include <cstdio>
#include <limits>

namespace {

// Upper- and lower-case partners of the CP1251 bytes, derived from the code points:
// Latin a-z, Cyrillic U+0430..U+044F / U+0410..U+042F, U+0450..U+045F / U+0400..U+040F
// and U+0491 / U+0490.
struct CaseTables {
    std::array<unsigned char, 256> upper{}, lower{};
    CaseTables() {
        for (int b = 0; b < 256; ++b) upper[b] = lower[b] = static_cast<unsigned char>(b);
        for (int b = 0; b < 256; ++b) {
            const char32_t cp = Cp1251ToUnicode(static_cast<unsigned char>(b));
            char32_t up = cp;
            if (cp >= U'a' && cp <= U'z') up = cp - 32;
            else if (cp >= 0x0430 && cp <= 0x044F) up = cp - 0x20;
            else if (cp >= 0x0450 && cp <= 0x045F) up = cp - 0x50;
            else if (cp == 0x0491) up = 0x0490;
            if (up != cp) {
                const int ub = UnicodeToCp1251(up);
                if (ub >= 0) {
                    upper[b] = static_cast<unsigned char>(ub);
                    lower[ub] = static_cast<unsigned char>(b);
                }
            }
        }
    }
};

const CaseTables& Tables() {
    static const CaseTables tables;
    return tables;
}

AnsiString Map(std::string_view s, char (*f)(char)) {
    AnsiString out(s);
    for (char& c : out) c = f(c);
    return out;
}

int CompareMapped(std::string_view a, std::string_view b, char (*f)(char)) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const int ca = static_cast<unsigned char>(f(a[i]));
        const int cb = static_cast<unsigned char>(f(b[i]));
        if (ca != cb) return ca - cb;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }

[[noreturn]] void BadFormat(std::string_view format) {
    throw EConvertError("Format '" + AnsiString(format) + "' invalid or incompatible with argument");
}

}  // namespace

// ---- Format -----------------------------------------------------------------------------

AnsiString FormatArgs(std::string_view format, std::initializer_list<TFormatArg> args) {
    AnsiString out;
    auto next = args.begin();
    for (size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c != '%') {
            out += c;
            continue;
        }
        if (++i >= format.size()) BadFormat(format);
        if (format[i] == '%') {
            out += '%';
            continue;
        }
        bool left = false;
        if (format[i] == '-') {
            left = true;
            ++i;
        }
        int width = 0, precision = -1;
        while (i < format.size() && format[i] >= '0' && format[i] <= '9') width = width * 10 + (format[i++] - '0');
        if (i < format.size() && format[i] == '.') {
            precision = 0;
            ++i;
            while (i < format.size() && format[i] >= '0' && format[i] <= '9')
                precision = precision * 10 + (format[i++] - '0');
        }
        if (i >= format.size() || next == args.end()) BadFormat(format);
        const char type = format[i];
        const TFormatArg& arg = *next++;
        AnsiString piece;
        if (type == 'd' || type == 'u' || type == 'x' || type == 'X') {
            if (!std::holds_alternative<int64_t>(arg)) BadFormat(format);
            int64_t v = std::get<int64_t>(arg);
            bool negative = false;
            uint64_t magnitude;
            if (type == 'd') {
                negative = v < 0;
                magnitude = negative ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
            } else {
                magnitude = static_cast<uint32_t>(v);
            }
            const int base = (type == 'd' || type == 'u') ? 10 : 16;
            const char* digits = type == 'x' ? "0123456789abcdef" : "0123456789ABCDEF";
            do {
                piece.insert(piece.begin(), digits[magnitude % base]);
                magnitude /= base;
            } while (magnitude);
            if (precision > 0 && static_cast<int>(piece.size()) < precision)
                piece.insert(0, precision - piece.size(), '0');
            if (negative) piece.insert(piece.begin(), '-');
        } else if (type == 's') {
            if (!std::holds_alternative<AnsiString>(arg)) BadFormat(format);
            piece = std::get<AnsiString>(arg);
            if (precision >= 0 && static_cast<int>(piece.size()) > precision) piece.resize(precision);
        } else {
            BadFormat(format);
        }
        if (static_cast<int>(piece.size()) < width) {
            if (left) piece.append(width - piece.size(), ' ');
            else piece.insert(0, width - piece.size(), ' ');
        }
        out += piece;
    }
    return out;
}

// ---- Numbers ----------------------------------------------------------------------------

AnsiString IntToStr(int64_t value) { return Format("%d", value); }

bool TryStrToInt(std::string_view text, int32_t& value) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i < text.size() && (text[i] == 'x' || text[i] == 'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size()) return false;
    uint64_t v = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return false;
        v = v * base + d;
        if (v > 0xFFFFFFFFull) return false;
    }
    if (base == 10) {
        // Decimal values must fit the signed range; hexadecimal ones may use all 32 bits.
        if (v > (negative ? 0x80000000ull : 0x7FFFFFFFull)) return false;
    }
    const auto bits = static_cast<uint32_t>(v);
    value = static_cast<int32_t>(negative ? 0u - bits : bits);
    return true;
}

int32_t StrToIntDef(std::string_view text, int32_t defaultValue) {
    int32_t v;
    return TryStrToInt(text, v) ? v : defaultValue;
}

// ---- Letter case ------------------------------------------------------------------------

char UpCaseAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
char LowCaseAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
char AnsiUpCase(char c) { return static_cast<char>(Tables().upper[static_cast<unsigned char>(c)]); }
char AnsiLowCase(char c) { return static_cast<char>(Tables().lower[static_cast<unsigned char>(c)]); }

AnsiString UpperCase(std::string_view s) { return Map(s, UpCaseAscii); }
AnsiString LowerCase(std::string_view s) { return Map(s, LowCaseAscii); }
AnsiString AnsiUpperCase(std::string_view s) { return Map(s, AnsiUpCase); }
AnsiString AnsiLowerCase(std::string_view s) { return Map(s, AnsiLowCase); }

int AnsiCompareText(std::string_view a, std::string_view b) { return CompareMapped(a, b, AnsiUpCase); }
bool AnsiSameText(std::string_view a, std::string_view b) { return a.size() == b.size() && AnsiCompareText(a, b) == 0; }
int CompareText(std::string_view a, std::string_view b) { return CompareMapped(a, b, UpCaseAscii); }
bool SameText(std::string_view a, std::string_view b) { return a.size() == b.size() && CompareText(a, b) == 0; }

// ---- Trimming and searching -------------------------------------------------------------

AnsiString Trim(std::string_view s) { return TrimLeft(TrimRight(s)); }

AnsiString TrimLeft(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && IsBlankOrControl(s[i])) ++i;
    return AnsiString(s.substr(i));
}

AnsiString TrimRight(std::string_view s) {
    size_t n = s.size();
    while (n > 0 && IsBlankOrControl(s[n - 1])) --n;
    return AnsiString(s.substr(0, n));
}

size_t Pos(std::string_view sub, std::string_view s) {
    const size_t p = s.find(sub);
    return p == std::string_view::npos ? 0 : p + 1;
}

AnsiString ReplaceTextAscii(std::string_view s, std::string_view what, std::string_view with) {
    if (what.empty()) return AnsiString(s);
    const AnsiString upper = UpperCase(s);
    const AnsiString key = UpperCase(what);
    AnsiString out;
    size_t i = 0;
    for (;;) {
        const size_t hit = upper.find(key, i);
        if (hit == AnsiString::npos) break;
        out.append(s.substr(i, hit - i));
        out.append(with);
        i = hit + what.size();
    }
    out.append(s.substr(i));
    return out;
}

// ---- Windows paths ----------------------------------------------------------------------

namespace {
size_t NameStart(std::string_view path) {
    const size_t p = path.find_last_of("\\:");
    return p == std::string_view::npos ? 0 : p + 1;
}
}  // namespace

AnsiString ExtractFilePath(std::string_view path) { return AnsiString(path.substr(0, NameStart(path))); }

AnsiString ExtractFileDir(std::string_view path) {
    size_t n = NameStart(path);
    if (n > 0 && path[n - 1] == '\\' && n > 1 && path[n - 2] != ':' && path[n - 2] != '\\') --n;
    return AnsiString(path.substr(0, n));
}

AnsiString ExtractFileName(std::string_view path) { return AnsiString(path.substr(NameStart(path))); }

AnsiString ExtractFileExt(std::string_view path) {
    const size_t start = NameStart(path);
    const size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || dot < start) return AnsiString();
    return AnsiString(path.substr(dot));
}

AnsiString ChangeFileExt(std::string_view path, std::string_view ext) {
    const size_t start = NameStart(path);
    size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || dot < start) dot = path.size();
    return AnsiString(path.substr(0, dot)) + AnsiString(ext);
}

AnsiString IncludeTrailingBackslash(std::string_view path) {
    AnsiString out(path);
    if (out.empty() || out.back() != '\\') out += '\\';
    return out;
}

AnsiString ExcludeTrailingBackslash(std::string_view path) {
    AnsiString out(path);
    if (!out.empty() && out.back() == '\\') out.pop_back();
    return out;
}

// Date normalisation, percentages and text helpers.
#include "unzip/ZipUtils.h"

#include "platform/os/FileSystem.h"

#include <algorithm>
#include <cstdint>

uint32_t FixDosDateTime(uint32_t value) {
    int seconds = static_cast<int>(value & 0x1F) * 2;
    int minutes = static_cast<int>((value >> 5) & 0x3F);
    int hours = static_cast<int>((value >> 11) & 0x1F);
    int day = static_cast<int>((value >> 16) & 0x1F);
    int month = static_cast<int>((value >> 21) & 0x0F);
    int year = static_cast<int>(value >> 25) + 1980;
    bool clamped = false;
    auto clamp = [&clamped](int& v, int lo, int hi) {
        if (v < lo) v = lo, clamped = true;
        if (v > hi) v = hi, clamped = true;
    };
    clamp(hours, 0, 23);
    clamp(minutes, 0, 59);
    clamp(seconds, 0, 59);
    clamp(year, 1980, 2099);
    clamp(month, 1, 12);
    clamp(day, 1, 31);
    if (!clamped) return value;
    const uint32_t time = static_cast<uint32_t>(seconds / 2 + minutes * 32 + hours * 2048);
    const uint32_t date = static_cast<uint32_t>(day + month * 32 + (year - 1980) * 512);
    return date << 16 | time;
}

namespace {

// n / d rounded to the nearest integer, halves to the even neighbour (d > 0).
int64_t RoundHalfEven(int64_t n, int64_t d) {
    const bool negative = n < 0;
    const uint64_t un = negative ? 0 - static_cast<uint64_t>(n) : static_cast<uint64_t>(n);
    const uint64_t ud = static_cast<uint64_t>(d);
    uint64_t q = un / ud;
    const uint64_t r = un % ud;
    if (r > ud - r || (r == ud - r && (q & 1))) ++q;
    return negative ? -static_cast<int64_t>(q) : static_cast<int64_t>(q);
}

}  // namespace

int PercentOf(int32_t part, int32_t whole) {
    if (whole <= 0) return 0;
    return static_cast<int>(std::min<int64_t>(RoundHalfEven(static_cast<int64_t>(part) * 100, whole), 100));
}

int BigPercentOf(int64_t part, int64_t whole) {
    if (whole <= 0) return 0;
    if (part >= whole) return 100;
    if (part > INT64_MAX / 100 || part < INT64_MIN / 100) {
        // part * 100 would overflow: scale both down; the result only needs two digits.
        const int64_t scale = whole / 1000000 + 1;
        return BigPercentOf(part / scale, whole / scale);
    }
    return static_cast<int>(RoundHalfEven(part * 100, whole));
}

void SlashesToBackslashes(AnsiString& text) { std::replace(text.begin(), text.end(), '/', '\\'); }

AnsiString LeftChars(const AnsiString& text, int n) {
    if (n <= 0) return AnsiString();
    return text.substr(0, static_cast<size_t>(n));
}

AnsiString RightChars(const AnsiString& text, int n) {
    if (n <= 0) return AnsiString();
    return static_cast<size_t>(n) >= text.size() ? text : text.substr(text.size() - n);
}

AnsiString VolumeLabel(const AnsiString& root) {
    const AnsiString label = GetVolumeLabel(root);
    return label.size() > 13 ? AnsiString() : label;
}

// The wildcard matcher. Positions count from 1 as in the matcher's description; a character
// past the end of a text reads as NUL ("no character"). The star set is one piece of state
// for the whole match: a nested match clears it, which limits its effect to the characters
// that a star passes over before the next literal match is tried.
#include "unzip/Wildcard.h"

#include "platform/rtl/SysUtils.h"

#include <bitset>

namespace {

class TMatcher {
public:
    int Match(AnsiString P, AnsiString T);

private:
    int MatchAfterStar(const AnsiString& P0, const AnsiString& T0);
    // Reads the set behind "*<" at position p; false when the pattern ends before ">".
    bool BuildStarSet(const AnsiString& P, size_t& p);
    void ClearStarSet() {
        FStarSet.reset();
        FNegated = false;
    }

    std::bitset<256> FStarSet;
    bool FNegated = false;
};

char At(const AnsiString& s, size_t i) { return i >= 1 && i <= s.size() ? s[i - 1] : '\0'; }
unsigned char UAt(const AnsiString& s, size_t i) { return static_cast<unsigned char>(At(s, i)); }

bool TMatcher::BuildStarSet(const AnsiString& P, size_t& p) {
    p += 2;
    FStarSet.reset();
    FNegated = false;
    if (At(P, p) == '^' || At(P, p) == '!') {
        FNegated = true;
        ++p;
    }
    while (At(P, p) != '>') {
        if (p > P.size()) return false;
        if (At(P, p + 1) == '-') {
            for (unsigned c = UAt(P, p); c <= UAt(P, p + 2); ++c) FStarSet.set(c);
            p += 2;
        } else {
            FStarSet.set(UAt(P, p));
        }
        ++p;
    }
    ++p;
    return true;
}

int TMatcher::Match(AnsiString P, AnsiString T) {
    P = LowerCase(P);
    T = LowerCase(T);
    ClearStarSet();
    if (P == "*") return MATCH_VALID;
    size_t p = 1, t = 1;
    int result = 0;
    while (result == 0 && p <= P.size()) {
        if (t > T.size()) return (At(P, p) == '*' && p == P.size()) ? MATCH_VALID : MATCH_ABORT;
        if (At(P, p) == '*') {
            if (At(P, p + 1) == '<') {
                if (!BuildStarSet(P, p)) return MATCH_PATTERN;
            } else {
                ClearStarSet();
            }
            result = MatchAfterStar(P.substr(p - 1), T.substr(t - 1));
        } else if (At(P, p) == '<') {
            ++p;
            bool negated = false;
            if (At(P, p) == '!' || At(P, p) == '^') {
                negated = true;
                ++p;
            }
            if (At(P, p) == '>') return MATCH_PATTERN;
            bool member = false;
            while (!member && At(P, p) != '>') {
                const size_t first = p;
                size_t last = p;
                ++p;
                if (p > P.size()) return MATCH_PATTERN;
                if (At(P, p) == '-') {
                    ++p;
                    last = p;
                    if (p > P.size() || At(P, p) == '>') return MATCH_PATTERN;
                    ++p;
                }
                if (p > P.size()) return MATCH_PATTERN;
                const unsigned lo = std::min(UAt(P, first), UAt(P, last));
                const unsigned hi = std::max(UAt(P, first), UAt(P, last));
                const unsigned c = UAt(T, t);
                if (c >= lo && c <= hi) member = true;
            }
            if (member == negated) return MATCH_RANGE;
            if (member) {
                while (p <= P.size() && At(P, p) != '>') ++p;
                if (p > P.size()) return MATCH_PATTERN;
            }
        } else if (At(P, p) == '?') {
            // any one character
        } else if (At(P, p) != At(T, t)) {
            result = MATCH_LITERAL;
        }
        ++p;
        ++t;
    }
    if (result == 0) return t > T.size() ? MATCH_VALID : MATCH_END;
    return result;
}

int TMatcher::MatchAfterStar(const AnsiString& P0, const AnsiString& T0) {
    AnsiString P = P0, T = T0;
    int result = 0;
    size_t p = 1, t = 1;
    if (!P.empty()) {
        while ((t <= T.size() && p < P.size() && At(P, p) == '?') || At(P, p) == '*') {
            if (At(P, p) == '?') ++t;
            ++p;
        }
    }
    if (t > T.size()) return MATCH_ABORT;
    if (!P.empty() && p > P.size()) return MATCH_VALID;
    for (;;) {
        if (!P.empty() && (At(P, p) == At(T, t) || At(P, p) == '<')) {
            P = P.substr(p - 1);
            T = T.substr(t - 1);
            p = 1;
            t = 1;
            result = Match(P, T);
        }
        if (t > T.size()) return MATCH_ABORT;
        if (result != MATCH_VALID && FStarSet.any()) {
            const bool in = FStarSet.test(UAt(T, t));
            if (FNegated ? in : !in) return MATCH_ABORT;
        }
        ++t;
        if (result == MATCH_VALID || t > T.size()) break;
    }
    if (p > P.size() && t > T.size()) result = MATCH_VALID;
    return result;
}

}  // namespace

int WildcardMatch(const AnsiString& pattern, const AnsiString& text) {
    TMatcher matcher;
    return matcher.Match(pattern, text);
}

bool IsMatch(const AnsiString& pattern, const AnsiString& text) { return WildcardMatch(pattern, text) == MATCH_VALID; }

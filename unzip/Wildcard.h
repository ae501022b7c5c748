// Wildcard patterns that select archive entries: "*" any run of characters, "?" one
// character, "<a-z!...>" one character of a set (negated by "!" or "^"), "*<...>" a run of
// characters of a set. Letters A-Z match their lower case.
#pragma once

#include "platform/rtl/Types.h"

// Result codes of WildcardMatch.
constexpr int MATCH_VALID = 1;    // the text matches
constexpr int MATCH_END = 2;      // the pattern ended before the text
constexpr int MATCH_ABORT = 3;    // the text ended before the pattern
constexpr int MATCH_RANGE = 4;    // a set did not match
constexpr int MATCH_LITERAL = 5;  // a literal character did not match
constexpr int MATCH_PATTERN = 6;  // the pattern is invalid

int WildcardMatch(const AnsiString& pattern, const AnsiString& text);
bool IsMatch(const AnsiString& pattern, const AnsiString& text);

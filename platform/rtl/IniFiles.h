// Reading of settings (INI) files, with the same rules on every platform: section and key
// names match whatever their letter case; a value is the text after the first "=" of its
// line with surrounding blanks removed and one pair of matching quotes taken off; values are
// read up to 2,047 characters; a file that is missing or unreadable has no values.
#pragma once

#include "platform/rtl/Types.h"

#include <cstdint>
#include <string_view>
#include <vector>

class TIniFile {
public:
    static constexpr size_t MaxValueLength = 2047;

    explicit TIniFile(const AnsiString& fileName);

    // The value, or `defaultValue` when the section or key is missing.
    AnsiString ReadString(std::string_view section, std::string_view key, const AnsiString& defaultValue) const;
    // An integer as TryStrToInt reads it; anything else gives the default.
    int32_t ReadInteger(std::string_view section, std::string_view key, int32_t defaultValue) const;
    // 0 is false, any other integer true; a value that is no integer gives the default.
    bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;
    bool SectionExists(std::string_view section) const;

    // Parses text as a settings file would be read (used by the constructor and by tests).
    void Parse(std::string_view text);

private:
    struct TEntry {
        AnsiString Section, Key, Value;
    };
    std::vector<TEntry> FEntries;
    std::vector<AnsiString> FSections;
};

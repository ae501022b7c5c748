// The settings file reader.
#include "platform/rtl/IniFiles.h"

#include "platform/os/FileSystem.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"

TIniFile::TIniFile(const AnsiString& fileName) {
    if (!FileExists(fileName)) return;
    try {
        TStringList lines;
        lines.LoadFromFile(fileName);
        Parse(lines.GetText());
    } catch (const Exception&) {
        FEntries.clear();
        FSections.clear();
    }
}

void TIniFile::Parse(std::string_view text) {
    TStringList lines;
    lines.SetText(text);
    AnsiString section;
    bool inSection = false;
    for (const AnsiString& raw : lines.Lines) {
        const AnsiString line = Trim(raw);
        if (line.empty()) continue;
        if (line[0] == '[') {
            const size_t close = line.find(']');
            section = Trim(line.substr(1, close == AnsiString::npos ? AnsiString::npos : close - 1));
            inSection = true;
            FSections.push_back(section);
            continue;
        }
        const size_t eq = line.find('=');
        if (!inSection || eq == AnsiString::npos) continue;
        TEntry entry;
        entry.Section = section;
        entry.Key = Trim(line.substr(0, eq));
        AnsiString value = Trim(line.substr(eq + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        if (value.size() > MaxValueLength) value.resize(MaxValueLength);
        entry.Value = value;
        if (!entry.Key.empty()) FEntries.push_back(std::move(entry));
    }
}

AnsiString TIniFile::ReadString(std::string_view section, std::string_view key, const AnsiString& defaultValue) const {
    for (const TEntry& e : FEntries)
        if (AnsiSameText(e.Section, section) && AnsiSameText(e.Key, key)) return e.Value;
    return defaultValue;
}

int32_t TIniFile::ReadInteger(std::string_view section, std::string_view key, int32_t defaultValue) const {
    return StrToIntDef(ReadString(section, key, AnsiString()), defaultValue);
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

bool TIniFile::SectionExists(std::string_view section) const {
    for (const AnsiString& s : FSections)
        if (AnsiSameText(s, section)) return true;
    return false;
}

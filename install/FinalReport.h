// The final report of an installation: the success sentence, or the lists of what failed
// with the closing advice. Pure text composition from the run's failure texts and a few
// facts of the package and the settings.
#pragma once

#include "platform/rtl/Types.h"

// The run's failure texts: each entry is "\"" + path + "\", ".
struct TRunFailures {
    AnsiString FailedUpdates;
    AnsiString FailedCreates;
    AnsiString FailedShortcuts;
    AnsiString GroupError;
    // The installation had problems.
    bool Any() const { return !(FailedUpdates + FailedCreates + GroupError + FailedShortcuts).empty(); }
};

struct TReportFacts {
    AnsiString ProductName;
    AnsiString ProductNoun;          // nominative
    AnsiString ProductNounGenitive;
    AnsiString GroupSubdir;          // "\\" + the group's name
    int ShortcutCount = 0;           // records of the package, made or not
    bool StartMenu = true;           // Settings.StartMenu
    // The follow-up program is about to start (set, present, Settings.Run), and its text.
    bool FinishProgramStarts = false;
    AnsiString FinishProgramMessage;
};

// The group's name as the texts give it: GroupSubdir without its first character, at most
// this many characters.
constexpr size_t MaxGroupNameInText = 100;
AnsiString GroupNameInText(const AnsiString& groupSubdir);

// A non-empty failure list with its header in front: the last ", " cut off, ".\r\n" behind.
AnsiString FailureList(const AnsiString& header, const AnsiString& entries);

AnsiString FinalReportText(const TRunFailures& failures, const TReportFacts& facts);

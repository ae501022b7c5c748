// The rules by which the installation run decides where an extracted file goes and whether
// it goes at all: excluded top-level folders, system entries, keep-files, entry names that
// are safe to place. Pure text rules, apart from ClearReadOnly (platform/os).
#pragma once

#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"

// Entries under this folder go to the system folder.
inline constexpr std::string_view SystemEntryPrefix = "SYSTEM\\";
// At most this many characters of a system entry's path below SYSTEM\ are used.
constexpr size_t MaxSystemEntryRest = 200;

// True when E, upper-cased in ASCII, begins with "SYSTEM\".
bool IsSystemEntry(const AnsiString& E);

// True when the top-level folder of the folder part D (its part before the first
// backslash), upper-cased by the CP1251 rules and trimmed, is one of `excludedNames`.
bool IsExcludedFolder(const AnsiString& D, const TStringList* excludedNames);

// True when E equals one of the first `count` entries of `keepFiles`, both upper-cased by
// the CP1251 rules (the whole relative path, folders included).
template <typename TList>
bool IsKeepFile(const AnsiString& E, const TList& keepFiles) {
    const AnsiString upper = AnsiUpperCase(E);
    for (int i = 0; i < keepFiles.Count; ++i)
        if (AnsiUpperCase(keepFiles[i]) == upper) return true;
    return false;
}

// Clears the read-only attribute of a file when it is set; failures are ignored.
void ClearReadOnly(const AnsiString& P);

// True when the entry path E names a file below its root and nowhere else: not empty, not
// absolute, no drive or stream colon, and no folder part that is empty, "." or "..", or
// that Windows would make one of them (a part of dots and blanks only). The archive reader
// refuses such names too; the run checks again, since it writes outside the staging folder.
bool IsSafeEntryPath(const AnsiString& E);

// The folder part of a path (before its last backslash; empty when there is none).
AnsiString FolderPart(const AnsiString& path);

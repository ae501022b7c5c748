// The installation log file, the uninstaller's data: written new, or merged into the log of
// an earlier installation into the same folder. Written beside the old file and then put in
// its place, so that a crash or a full disk never leaves a part of a log where a whole one
// was. Relies on the string lists of platform/rtl and the file services of platform/os.
#pragma once

#include "platform/rtl/Classes.h"

// The name of the new text while it is being written, beside the log.
AnsiString InstallLogPendingName(const AnsiString& logPath);

// The lines the log file at `logPath` is to hold: `installLog` unchanged for a first
// installation; otherwise the old file's lines with each of the lines 2 to the last of
// `installLog` appended that the list does not hold yet in any letter case (the old first
// line stays). `existing` is the old file's content, or null when there is none.
TStringList MergeInstallLog(const TStringList* existing, const TStringList& installLog);

// Writes (or merges) the log. A read-only old log is made writable first. Raises the file
// layer's exceptions when the old log cannot be read or the new one written; the old file is
// then as it was and nothing is left beside it.
void WriteInstallLog(const AnsiString& logPath, const TStringList& installLog);

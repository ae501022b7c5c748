// The shell and registry steps of an installation's end: one file association, one shortcut
// file, the follow-up program, and the text for a Start-menu group that could not be made.
// Relies on the registry and shell services of platform/os.
#pragma once

#include "platform/rtl/Types.h"

#include <cstdint>

// The shortcut file's name is converted into a buffer of this many UTF-16 units, its end
// included: a path of more than ShortcutNameUnits - 1 characters converts to the empty name.
constexpr size_t ShortcutNameUnits = 200;

// Writes the six keys of one association under HKEY_CLASSES_ROOT; the first failing write
// ends it, silently.
void RegisterAssociation(const AnsiString& Extension, const AnsiString& ProgramDir, const AnsiString& ProgramFile,
                         const AnsiString& Description, int32_t IconIndex);

// Makes the shortcut file `linkPath` to `target`; false when any step fails.
bool CreateShortcut(const AnsiString& target, const AnsiString& arguments, const AnsiString& workDir,
                    const AnsiString& linkPath);

// Starts a program through the shell; ShowMode 0 shown, 1 maximized, 2 minimized,
// 3 minimized and not activated, any other hidden.
bool StartProgram(const AnsiString& program, const AnsiString& params, const AnsiString& workDir, int ShowMode);

// GroupError's text for the group folder GroupSubdir.
AnsiString GroupErrorText(const AnsiString& groupSubdir);

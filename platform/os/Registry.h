// The registry, as the system uses it: text values read under HKEY_LOCAL_MACHINE and default
// values written under HKEY_CLASSES_ROOT. On Linux a REGEDIT4 text file stands for it (README).
#pragma once

#include "platform/rtl/SysUtils.h"

enum class TRegistryRoot { ClassesRoot, CurrentUser, LocalMachine };

SETUP_EXCEPTION_CLASS(ERegistryException, Exception);

// Keys are paths below the root, their parts separated by backslashes; one leading backslash
// ("\\SOFTWARE\\Microsoft") is allowed and means the same as none. Names of keys and values
// compare without regard to letter case.
//
// The two reads raise ERegistryException only when the registry itself cannot be read (on
// Linux: a registry file that is not REGEDIT4, named with its line in the message) or a text
// value holds a character that CP1251 cannot hold; a caller that treats an unreadable value
// as a missing one catches it.

// True when the key exists (it is not created).
bool RegKeyExists(TRegistryRoot root, const AnsiString& key);
// Reads a text value (REG_SZ or REG_EXPAND_SZ, unexpanded; the empty name is the default
// value) of an existing key without creating anything; false when the key or the value is
// missing or is not text. The text ends at its first NUL.
bool RegReadString(TRegistryRoot root, const AnsiString& key, const AnsiString& name, AnsiString& value);
// Creates the key (with its parents) when it is missing and sets its default (unnamed) value
// as REG_SZ; raises ERegistryException when either fails, and for a value holding a NUL
// (which Windows would cut off) or, on Linux, a line break (which the file cannot hold).
void RegWriteDefaultValue(TRegistryRoot root, const AnsiString& key, const AnsiString& value);

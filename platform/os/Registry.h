// The registry, as the system uses it: text values read under HKEY_LOCAL_MACHINE and default
// values written under HKEY_CLASSES_ROOT. On Linux a REGEDIT4 text file stands for it (README).
#pragma once

#include "platform/rtl/SysUtils.h"

enum class TRegistryRoot { ClassesRoot, CurrentUser, LocalMachine };

SETUP_EXCEPTION_CLASS(ERegistryException, Exception);

// True when the key exists (it is not created).
bool RegKeyExists(TRegistryRoot root, const AnsiString& key);
// Reads a text value of an existing key without creating anything; false when the key or the
// value is missing or is not text.
bool RegReadString(TRegistryRoot root, const AnsiString& key, const AnsiString& name, AnsiString& value);
// Creates the key when it is missing and sets its default (unnamed) value; raises
// ERegistryException when either fails.
void RegWriteDefaultValue(TRegistryRoot root, const AnsiString& key, const AnsiString& value);

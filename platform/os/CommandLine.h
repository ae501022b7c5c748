// A Windows command line split into its arguments, by the rules Windows programs use
// (CommandLineToArgvW): blanks separate, double quotes group, backslashes escape only before
// a double quote. The Linux backend needs it to give a program its parameters without a shell.
#pragma once

#include "platform/rtl/Types.h"

#include <vector>

// The arguments of `parameters`, the part of a command line after the program's name.
std::vector<AnsiString> SplitCommandLine(const AnsiString& parameters);

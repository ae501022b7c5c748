// The console of a command-line tool: its arguments, standard output and error, lines of
// standard input and the temporary folder, all as the system's CP1251 text. Linux speaks
// UTF-8; Windows uses the console's Unicode functions (names are right on any console code
// page) and UTF-8 when a stream is redirected to a file or pipe.
#pragma once

#include "platform/rtl/Types.h"

#include <vector>

namespace Console {

// The arguments after the program's name. False, with the offending argument's index in
// *bad, when one holds a character that CP1251 cannot hold.
bool Arguments(int argc, char** argv, std::vector<AnsiString>& args, int* bad = nullptr);
void WriteOut(const AnsiString& text);
void WriteErr(const AnsiString& text);
// One line of standard input without its line end; false at the end of input. Characters
// that CP1251 cannot hold become "?" (an answer, never a name).
bool ReadLine(AnsiString& line);
// The folder for temporary files, without a trailing backslash.
AnsiString TempDir();
// A number that differs between processes running at once (for unique names).
unsigned ProcessId();

}  // namespace Console

// zipvol's commands (list, test, extract, pack) on the setup program's own archive reader,
// apart from the process so that tests can run them with their own console.
#pragma once

#include "platform/rtl/Types.h"
#include "tools/ZipPack.h"

#include <vector>

// Where zipvol writes and reads; the program's main passes the real console.
class TZipVolConsole {
public:
    virtual ~TZipVolConsole() = default;
    virtual void Out(const AnsiString& text) = 0;
    virtual void Err(const AnsiString& text) = 0;
    // A line of input (an answer to the overwrite question); false at its end.
    virtual bool ReadLine(AnsiString& line) = 0;
};

// Exit codes.
constexpr int ZipVolPassed = 0;      // every selected entry passed
constexpr int ZipVolSomeFailed = 1;  // some entry failed; each is named on the error stream
constexpr int ZipVolUnreadable = 2;  // the archive could not be read (or the command is wrong)

// Runs one command line (the arguments after the program's name); pack writes the volumes of
// `target`, the package the program was built with.
int ZipVolMain(const std::vector<AnsiString>& args, TZipVolConsole& console, const TPackTarget& target = {});

// The text of zipvol --help.
const char* ZipVolHelp();

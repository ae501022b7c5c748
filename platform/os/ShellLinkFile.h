// The bytes of a shell link (.lnk) file in the documented Shell Link Binary File Format, made
// from what the installer sets: the target, its arguments and its working folder. No machine
// access: the Linux backend saves these bytes; the Windows tests hand them to Windows' own
// shell link object to show that it reads them.
#pragma once

#include "platform/rtl/Types.h"

#include <cstdint>
#include <string>

struct TShellLinkFileData {
    AnsiString Target;      // absolute Windows path: "X:\..." or "\..." (a Linux path)
    AnsiString Arguments;   // may be empty
    AnsiString WorkingDir;  // may be empty
    // What the header says of the target, as Windows fills it in when it saves a link.
    uint32_t TargetAttributes = 0;  // FILE_ATTRIBUTE_* bits
    uint64_t CreationTime = 0;      // FILETIME values: 100 ns since 1601-01-01, UTC
    uint64_t AccessTime = 0;
    uint64_t WriteTime = 0;
    uint32_t TargetSize = 0;        // the low 32 bits of the size
};

// False when the target is not an absolute path or a text is longer than a link can hold.
bool ComposeShellLinkFile(const TShellLinkFileData& data, std::string& bytes);

// The mapping between the system's Windows paths and Linux paths.
// "\" becomes "/", a path that begins with "\" is absolute, and a drive letter stands for the
// host folder that the drive table gives it (empty at start; tests fill it). Names are CP1251
// inside the system and UTF-8 on the host.
#pragma once

#include "platform/rtl/Types.h"

#include <string>

namespace PathMap {

// Maps drive `letter` (A-Z, either case) to a host folder; an empty folder removes it.
void SetDrive(char letter, const std::string& hostFolder);
void ClearDrives();
// Host folder of a drive, empty when it is not mapped.
std::string DriveFolder(char letter);

// False for a path that has no host counterpart (an unmapped drive, a UNC path).
bool ToHost(const AnsiString& path, std::string& host);
// False when the host path holds a character that CP1251 cannot hold, or a backslash.
// A path inside a mapped drive's folder comes back with its drive letter.
bool FromHost(const std::string& host, AnsiString& path);

}  // namespace PathMap

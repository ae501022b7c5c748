// Writing a whole file so that a crash or a full disk leaves either the old file or the new
// one, never a part: the bytes go to a temporary file beside it, are flushed to the disk,
// and the temporary file is then renamed over the old one. Relies on rename(2) being atomic
// within one folder.
#pragma once

#include "platform/rtl/Types.h"

#include <string>
#include <string_view>
#include <sys/types.h>

namespace AtomicFile {

// Writes `bytes` as the file `hostPath` (a Linux path) with the permission bits `mode`.
// `systemPath` is the system's name of the file, the one injected failures see (Create for
// the temporary file, Write, Move for the rename). False on failure, with the error kept for
// LastErrorMessage; the old file is then untouched and no temporary file is left.
// A symbolic link is followed: the file it points to is replaced and the link stays.
bool Write(const std::string& hostPath, std::string_view bytes, mode_t mode, const AnsiString& systemPath);

}  // namespace AtomicFile

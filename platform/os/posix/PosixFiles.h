// Helpers shared by the Linux backend's units: path mapping with the error kept for
// LastErrorMessage, and time conversions.
#pragma once

#include "platform/rtl/Types.h"

#include <ctime>
#include <string>

namespace PosixFiles {

// Maps a Windows path; on failure records "path not found" and returns false.
bool Host(const AnsiString& path, std::string& host);
// Records errno (or an explicit code) as the layer's last error.
void SetError(int error);
int LastError();

TDateTime TimespecToDateTime(const timespec& ts);
int32_t TimespecToDos(const timespec& ts);

}  // namespace PosixFiles

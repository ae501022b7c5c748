// <windows.h> for the win32 backend, without the macros that would rename the platform
// layer's own functions (DeleteFile, CopyFile, ...), and the text helpers every unit needs.
#pragma once

#include <windows.h>

#undef DeleteFile
#undef CopyFile
#undef MoveFile
#undef ReplaceFile
#undef GetModuleFileName
#undef GetDriveType
#undef GetCurrentDir
#undef MessageBox
#undef CreateDirectory

#include "platform/rtl/Types.h"

#include <string>

namespace WinText {

// CP1251 text as UTF-16 for the W functions.
std::wstring Wide(const AnsiString& text);
// UTF-16 from Windows into CP1251; false when a character has no CP1251 counterpart.
bool TryNarrow(const std::wstring& text, AnsiString& out);
AnsiString Narrow(const std::wstring& text);  // raises EConvertError
// A path for the W file functions: absolute paths longer than MAX_PATH get the "\\?\"
// prefix (after normalisation), so that deep folders work.
std::wstring WidePath(const AnsiString& path);
// The text of a Windows error code, in CP1251.
AnsiString ErrorText(DWORD error);
// A file time (UTC) as a local TDateTime at full resolution; 0 when it cannot be converted.
TDateTime FileTimeToDateTime(const FILETIME& utc);

}  // namespace WinText

// A file held open on Windows: a handle that shares reading only, so that deleting, moving
// or writing the file fails with a sharing violation while it is open.
#include "platform/os/HeldFile.h"

#include "platform/os/win32/WinApi.h"
#include "platform/rtl/SysUtils.h"

THeldFile::THeldFile(const AnsiString& path) : FPath(path) {
    HANDLE h = CreateFileW(WinText::WidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        throw EFOpenError("Cannot open file \"" + path + "\". " + WinText::ErrorText(GetLastError()));
    FHandle = reinterpret_cast<intptr_t>(h);
}

THeldFile::~THeldFile() { Release(); }

void THeldFile::Release() {
    if (!Held()) return;
    CloseHandle(reinterpret_cast<HANDLE>(FHandle));
    FHandle = NoHandle;
}

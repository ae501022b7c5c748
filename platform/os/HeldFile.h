// A file held open the way a running program holds its own file: others may read it, but
// not delete, move or write it until it is released. For tests of what the system does with
// a target that another program keeps open; on Linux, where an open file can be deleted,
// the injected faults of posix/Faults.h stand for the lock.
#pragma once

#include "platform/rtl/Types.h"

#include <cstdint>

class THeldFile {
public:
    // Raises EFOpenError when the file cannot be opened.
    explicit THeldFile(const AnsiString& path);
    ~THeldFile();
    THeldFile(const THeldFile&) = delete;
    THeldFile& operator=(const THeldFile&) = delete;

    // The other program closes the file (once; later calls do nothing).
    void Release();
    bool Held() const { return FHandle != NoHandle; }
    const AnsiString& Path() const { return FPath; }

private:
    static constexpr intptr_t NoHandle = -1;
    AnsiString FPath;
    intptr_t FHandle = NoHandle;  // a HANDLE on Windows, a descriptor on Linux
};

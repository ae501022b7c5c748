// A file held open on Linux: an open descriptor, and the path held in the injected faults,
// since Linux itself lets an open file be deleted or renamed.
#include "platform/os/HeldFile.h"

#include "platform/os/FileSystem.h"
#include "platform/os/posix/Faults.h"
#include "platform/os/posix/PosixFiles.h"
#include "platform/rtl/SysUtils.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

[[noreturn]] void OpenFailed(const AnsiString& path) {
    throw EFOpenError("Cannot open file \"" + path + "\". " + LastErrorMessage());
}

}  // namespace

THeldFile::THeldFile(const AnsiString& path) : FPath(path) {
    std::string host;
    if (!PosixFiles::Host(path, host)) OpenFailed(path);
    const int fd = ::open(host.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        PosixFiles::SetError(errno);
        OpenFailed(path);
    }
    FHandle = fd;
    Faults::Hold(path);
}

THeldFile::~THeldFile() { Release(); }

void THeldFile::Release() {
    if (!Held()) return;
    Faults::Release(FPath);
    ::close(static_cast<int>(FHandle));
    FHandle = NoHandle;
}

// The file stream on Linux: a file descriptor, with Windows rules for read-only files.
#include "platform/os/FileStream.h"

#include "platform/os/FileSystem.h"
#include "platform/os/posix/Faults.h"
#include "platform/os/posix/PosixFiles.h"
#include "platform/rtl/SysUtils.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void OpenFailed(const AnsiString& fileName, uint16_t mode, int error) {
    PosixFiles::SetError(error);
    const AnsiString text = (mode == fmCreate ? "Cannot create file \"" : "Cannot open file \"") + fileName +
                            "\". " + LastErrorMessage();
    if (mode == fmCreate) throw EFCreateError(text);
    throw EFOpenError(text);
}

}  // namespace

TFileStream::TFileStream(const AnsiString& fileName, uint16_t mode) : FFileName(fileName), FHandle(-1) {
    std::string host;
    if (!PosixFiles::Host(fileName, host)) OpenFailed(fileName, mode, ENOENT);
    const bool create = mode == fmCreate;
    if (Faults::Fails(create ? TFaultOp::Create : TFaultOp::Open, fileName)) OpenFailed(fileName, mode, EACCES);
    int flags = O_CLOEXEC;
    const int access = create ? fmOpenReadWrite : (mode & 3);
    flags |= access == fmOpenWrite ? O_WRONLY : access == fmOpenReadWrite ? O_RDWR : O_RDONLY;
    if (create) flags |= O_CREAT | O_TRUNC;
    if (access != fmOpenRead) {
        // Windows refuses to write to a read-only file, also for an administrator.
        struct stat st;
        if (::stat(host.c_str(), &st) == 0 && !S_ISDIR(st.st_mode) && (st.st_mode & S_IWUSR) == 0)
            OpenFailed(fileName, mode, EACCES);
    }
    const int fd = ::open(host.c_str(), flags, 0666);
    if (fd < 0) OpenFailed(fileName, mode, errno);
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        OpenFailed(fileName, mode, EISDIR);
    }
    FHandle = fd;
}

TFileStream::~TFileStream() {
    if (FHandle >= 0) ::close(static_cast<int>(FHandle));
}

void TFileStream::Close() {
    if (FHandle < 0) return;
    const int fd = static_cast<int>(FHandle);
    FHandle = -1;
    if (::close(fd) != 0) {
        PosixFiles::SetError(errno);
        throw EWriteError("Cannot close file \"" + FFileName + "\". " + LastErrorMessage());
    }
}

void TFileStream::FlushToDisk() {
    if (FHandle < 0) return;
    const bool injected = Faults::Fails(TFaultOp::Write, FFileName);
    if (injected || ::fsync(static_cast<int>(FHandle)) != 0) {
        PosixFiles::SetError(injected ? ENOSPC : errno);
        throw EWriteError("Cannot write file \"" + FFileName + "\". " + LastErrorMessage());
    }
}

int32_t TFileStream::Read(void* buffer, int32_t count) {
    if (count <= 0 || FHandle < 0) return 0;
    int32_t done = 0;
    while (done < count) {
        const ssize_t n = ::read(static_cast<int>(FHandle), static_cast<char*>(buffer) + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n < 0) PosixFiles::SetError(errno);
            break;
        }
        done += static_cast<int32_t>(n);
    }
    return done;
}

int32_t TFileStream::Write(const void* buffer, int32_t count) {
    if (count <= 0 || FHandle < 0) return 0;
    if (Faults::Fails(TFaultOp::Write, FFileName)) {
        PosixFiles::SetError(ENOSPC);
        return 0;
    }
    int32_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(static_cast<int>(FHandle), static_cast<const char*>(buffer) + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            PosixFiles::SetError(n < 0 ? errno : ENOSPC);
            break;
        }
        done += static_cast<int32_t>(n);
    }
    return done;
}

int64_t TFileStream::Seek(int64_t offset, int origin) {
    const int whence = origin == soFromBeginning ? SEEK_SET : origin == soFromCurrent ? SEEK_CUR : SEEK_END;
    if (origin < 0 || origin > 2) throw EStreamError(Format("Invalid seek origin (%d)", origin));
    const off_t result = ::lseek(static_cast<int>(FHandle), static_cast<off_t>(offset), whence);
    if (result < 0) {
        PosixFiles::SetError(errno);
        return -1;
    }
    return result;
}

TDateTime TFileStream::LastWriteTime() const {
    struct stat st;
    if (FHandle < 0 || ::fstat(static_cast<int>(FHandle), &st) != 0) return 0;
    return PosixFiles::TimespecToDateTime(st.st_mtim);
}

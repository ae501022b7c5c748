// Whole-file replacement through a flushed temporary file and rename(2).
#include "platform/os/posix/AtomicFile.h"

#include "platform/os/posix/Faults.h"
#include "platform/os/posix/PosixFiles.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace AtomicFile {
namespace {

bool Fail(int error) {
    PosixFiles::SetError(error);
    return false;
}

// The folder entry itself must reach the disk too, or a crash right after the rename can
// bring the old name back on some file systems.
void FlushFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return Fail(n < 0 ? errno : ENOSPC);
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

}  // namespace

bool Write(const std::string& hostPath, std::string_view bytes, mode_t mode, const AnsiString& systemPath) {
    std::string target = hostPath;
    struct stat st;
    if (::lstat(hostPath.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char resolved[PATH_MAX];
        if (!::realpath(hostPath.c_str(), resolved)) return Fail(errno);
        target = resolved;
    }
    const size_t slash = target.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    if (Faults::Fails(TFaultOp::Create, systemPath)) return Fail(EACCES);
    std::string temporary = folder + "/." + name + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return Fail(errno);
    bool ok = ::fchmod(fd, mode) == 0 || Fail(errno);
    if (ok && Faults::Fails(TFaultOp::Write, systemPath)) ok = Fail(ENOSPC);
    ok = ok && WriteAll(fd, bytes);
    ok = ok && (::fsync(fd) == 0 || Fail(errno));
    if (::close(fd) != 0 && ok) ok = Fail(errno);
    if (ok && Faults::Fails(TFaultOp::Move, systemPath)) ok = Fail(EACCES);
    ok = ok && (::rename(temporary.c_str(), target.c_str()) == 0 || Fail(errno));
    if (!ok) {
        const int error = PosixFiles::LastError();
        ::unlink(temporary.c_str());
        PosixFiles::SetError(error);
        return false;
    }
    FlushFolder(folder);
    return true;
}

}  // namespace AtomicFile

// Files and folders on Linux, with Windows semantics where the system relies on them:
// read-only files cannot be deleted or written, a move never replaces its target.
#include "platform/os/FileSystem.h"

#include "platform/os/posix/Faults.h"
#include "platform/os/posix/PathMap.h"
#include "platform/os/posix/PosixFiles.h"
#include "platform/os/posix/UserDirs.h"
#include "platform/rtl/CodePage.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/SysUtils.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <linux/limits.h>
#include <sys/stat.h>
#include <unistd.h>

namespace PosixFiles {
namespace {
int gLastError = 0;
}

bool Host(const AnsiString& path, std::string& host) {
    if (path.empty() || !PathMap::ToHost(path, host)) {
        SetError(ENOENT);
        return false;
    }
    return true;
}

void SetError(int error) { gLastError = error; }
int LastError() { return gLastError; }

namespace {
// The local date and time of a file time, seconds kept below 60 (a leap second reads as 59).
TDateParts LocalParts(const timespec& ts) {
    tm local{};
    localtime_r(&ts.tv_sec, &local);
    TDateParts p;
    p.Year = local.tm_year + 1900;
    p.Month = local.tm_mon + 1;
    p.Day = local.tm_mday;
    p.Hour = local.tm_hour;
    p.Minute = local.tm_min;
    p.Second = local.tm_sec > 59 ? 59 : local.tm_sec;
    return p;
}
}  // namespace

TDateTime TimespecToDateTime(const timespec& ts) {
    TDateTime value = 0;
    TryEncodeDateTime(LocalParts(ts), value);
    return value + ts.tv_nsec / 1e9 / 86400.0;
}

int32_t TimespecToDos(const timespec& ts) { return PartsToDosDateTime(LocalParts(ts)); }

}  // namespace PosixFiles

using PosixFiles::Host;
using PosixFiles::SetError;

namespace {

bool StatHost(const std::string& host, struct stat& st) {
    if (::stat(host.c_str(), &st) != 0) {
        SetError(errno);
        return false;
    }
    return true;
}

bool Injected(TFaultOp op, const AnsiString& path) {
    if (Faults::Fails(op, path)) {
        SetError(EACCES);
        return true;
    }
    return false;
}

bool IsReadOnly(const struct stat& st) { return (st.st_mode & S_IWUSR) == 0; }

// A matching that follows Windows: "*.*" and "*" match every name, "?" one character.
bool NameMatches(const std::string& pattern, const std::string& name) {
    if (pattern == "*" || pattern == "*.*") return true;
    return fnmatch(pattern.c_str(), name.c_str(), FNM_PERIOD) == 0;
}

}  // namespace

bool FileExists(const AnsiString& path) {
    std::string host;
    struct stat st;
    return Host(path, host) && StatHost(host, st) && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const AnsiString& path) {
    std::string host;
    struct stat st;
    return Host(path, host) && StatHost(host, st) && S_ISDIR(st.st_mode);
}

int FileGetAttr(const AnsiString& path) {
    std::string host;
    struct stat st;
    if (!Host(path, host) || !StatHost(host, st)) return -1;
    int attr = S_ISDIR(st.st_mode) ? faDirectory : faArchive;
    if (IsReadOnly(st)) attr |= faReadOnly;
    const AnsiString name = ExtractFileName(ExcludeTrailingBackslash(path));
    if (!name.empty() && name[0] == '.') attr |= faHidden;
    return attr;
}

bool FileSetAttr(const AnsiString& path, int attributes) {
    std::string host;
    struct stat st;
    if (!Host(path, host) || Injected(TFaultOp::SetAttr, path) || !StatHost(host, st)) return false;
    mode_t mode = st.st_mode & 07777;
    if (attributes & faReadOnly)
        mode &= ~(S_IWUSR | S_IWGRP | S_IWOTH);
    else if (IsReadOnly(st))
        mode |= S_IWUSR;
    if (mode != (st.st_mode & 07777) && ::chmod(host.c_str(), mode) != 0) {
        SetError(errno);
        return false;
    }
    return true;
}

bool CreateDir(const AnsiString& path) {
    std::string host;
    if (!Host(path, host) || Injected(TFaultOp::CreateDir, path)) return false;
    if (::mkdir(host.c_str(), 0777) != 0) {
        SetError(errno);
        return false;
    }
    return true;
}

bool ForceDirectories(const AnsiString& path) {
    const AnsiString dir = ExcludeTrailingBackslash(path);
    if (dir.empty()) return false;
    if (DirectoryExists(dir)) return true;
    const AnsiString parent = ExtractFileDir(dir);
    // A drive root or the file system's root ends the recursion.
    if (!parent.empty() && parent != dir && !DirectoryExists(parent) && !ForceDirectories(parent)) return false;
    return CreateDir(dir) || DirectoryExists(dir);
}

bool RemoveDir(const AnsiString& path) {
    std::string host;
    if (!Host(path, host) || Injected(TFaultOp::RemoveDir, path)) return false;
    if (::rmdir(host.c_str()) != 0) {
        SetError(errno);
        return false;
    }
    return true;
}

bool DeleteFile(const AnsiString& path) {
    std::string host;
    struct stat st;
    if (!Host(path, host) || Injected(TFaultOp::Delete, path)) return false;
    if (::lstat(host.c_str(), &st) != 0) {
        SetError(errno);
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        SetError(EISDIR);
        return false;
    }
    // Windows refuses to delete a read-only file; the system clears the attribute first
    // where it means to replace one, and relies on the refusal elsewhere.
    if (!S_ISLNK(st.st_mode) && IsReadOnly(st)) {
        SetError(EACCES);
        return false;
    }
    if (::unlink(host.c_str()) != 0) {
        SetError(errno);
        return false;
    }
    return true;
}

namespace {

bool CopyHost(const std::string& from, const std::string& to, bool failIfExists) {
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        SetError(errno);
        return false;
    }
    struct stat st;
    if (::fstat(in, &st) != 0 || S_ISDIR(st.st_mode)) {
        SetError(S_ISDIR(st.st_mode) ? EISDIR : errno);
        ::close(in);
        return false;
    }
    struct stat target;
    if (::stat(to.c_str(), &target) == 0 && !S_ISDIR(target.st_mode) && IsReadOnly(target) && !failIfExists) {
        SetError(EACCES);
        ::close(in);
        return false;
    }
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (failIfExists ? O_EXCL : O_TRUNC);
    const int out = ::open(to.c_str(), flags, st.st_mode & 0777);
    if (out < 0) {
        SetError(errno);
        ::close(in);
        return false;
    }
    bool ok = true;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            SetError(errno);
            ok = false;
            break;
        }
        if (n == 0) break;
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(out, buffer + done, n - done);
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) {
                SetError(w < 0 ? errno : ENOSPC);
                ok = false;
                break;
            }
            done += w;
        }
        if (!ok) break;
    }
    if (::close(out) != 0 && ok) {
        SetError(errno);
        ok = false;
    }
    ::close(in);
    if (ok) {
        const timespec times[2] = {st.st_atim, st.st_mtim};
        ::utimensat(AT_FDCWD, to.c_str(), times, 0);
    } else {
        ::unlink(to.c_str());
    }
    return ok;
}

}  // namespace

bool CopyFile(const AnsiString& from, const AnsiString& to, bool failIfExists) {
    std::string hostFrom, hostTo;
    if (!Host(from, hostFrom) || !Host(to, hostTo) || Injected(TFaultOp::Copy, to)) return false;
    return CopyHost(hostFrom, hostTo, failIfExists);
}

bool MoveFile(const AnsiString& from, const AnsiString& to) {
    std::string hostFrom, hostTo;
    if (!Host(from, hostFrom) || !Host(to, hostTo) || Injected(TFaultOp::Move, from)) return false;
    struct stat st;
    if (::lstat(hostTo.c_str(), &st) == 0) {
        SetError(EEXIST);
        return false;
    }
    if (::rename(hostFrom.c_str(), hostTo.c_str()) == 0) return true;
    if (errno != EXDEV) {
        SetError(errno);
        return false;
    }
    // Across file systems a file is copied and the original removed, as Windows does.
    if (!CopyHost(hostFrom, hostTo, true)) return false;
    if (::unlink(hostFrom.c_str()) != 0) {
        SetError(errno);
        ::unlink(hostTo.c_str());
        return false;
    }
    return true;
}

bool ReplaceFile(const AnsiString& source, const AnsiString& target) {
    std::string hostFrom, hostTo;
    if (!Host(source, hostFrom) || !Host(target, hostTo) || Injected(TFaultOp::Move, source)) return false;
    if (::rename(hostFrom.c_str(), hostTo.c_str()) != 0) {
        SetError(errno);
        return false;
    }
    return true;
}

std::vector<TSearchRec> FindFiles(const AnsiString& pattern) {
    std::vector<TSearchRec> result;
    const AnsiString folder = ExtractFilePath(pattern);
    const AnsiString mask = ExtractFileName(pattern);
    std::string hostFolder;
    if (!Host(folder.empty() ? AnsiString(".") : folder, hostFolder)) return result;
    std::string hostMask;
    if (!PathMap::ToHost(mask, hostMask)) return result;
    DIR* dir = ::opendir(hostFolder.c_str());
    if (!dir) {
        SetError(errno);
        return result;
    }
    while (dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name == "." || name == ".." || !NameMatches(hostMask, name)) continue;
        AnsiString winName;
        if (!TryUtf8ToCp1251(name, winName) || winName.find('\\') != AnsiString::npos) continue;
        struct stat st;
        const std::string full = hostFolder + (hostFolder.empty() || hostFolder.back() == '/' ? "" : "/") + name;
        if (::stat(full.c_str(), &st) != 0) continue;
        TSearchRec rec;
        rec.Name = winName;
        rec.Attr = S_ISDIR(st.st_mode) ? faDirectory : faArchive;
        if (IsReadOnly(st)) rec.Attr |= faReadOnly;
        if (name[0] == '.') rec.Attr |= faHidden;
        rec.Size = S_ISDIR(st.st_mode) ? 0 : st.st_size;
        rec.Time = PosixFiles::TimespecToDos(st.st_mtim);
        result.push_back(rec);
    }
    ::closedir(dir);
    return result;
}

namespace {

// A host name for messages: CP1251 where it can be, "_" for every other character (and for
// every byte that is not UTF-8).
AnsiString ShownName(const std::string& name) {
    AnsiString shown;
    const auto* p = reinterpret_cast<const unsigned char*>(name.data());
    const auto* end = p + name.size();
    while (p < end) {
        const int length = *p < 0x80 ? 1 : (*p >> 5) == 0x6 ? 2 : (*p >> 4) == 0xE ? 3 : (*p >> 3) == 0x1E ? 4 : 0;
        AnsiString one;
        if (length > 0 && end - p >= length &&
            TryUtf8ToCp1251(std::string_view(reinterpret_cast<const char*>(p), static_cast<size_t>(length)), one)) {
            shown += one;
            p += length;
        } else {
            shown += '_';
            p += length > 0 && end - p >= length ? length : 1;
        }
    }
    return shown;
}

}  // namespace

bool ListFolder(const AnsiString& folder, std::vector<TSearchRec>& entries, std::vector<TUnusableEntry>& unusable) {
    entries.clear();
    unusable.clear();
    std::string hostFolder;
    if (!Host(folder, hostFolder) || Injected(TFaultOp::Open, folder)) return false;
    DIR* dir = ::opendir(hostFolder.c_str());
    if (!dir) {
        SetError(errno);
        return false;
    }
    for (;;) {
        errno = 0;
        dirent* e = ::readdir(dir);
        if (!e) break;
        const std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        TSearchRec rec;
        if (!TryUtf8ToCp1251(name, rec.Name) || rec.Name.find('\\') != AnsiString::npos) {
            unusable.push_back({ShownName(name), urNameNotRepresentable});
            continue;
        }
        struct stat st;
        if (::stat((hostFolder + "/" + name).c_str(), &st) != 0) {
            unusable.push_back({rec.Name, urCannotExamine});
            continue;
        }
        if (!S_ISDIR(st.st_mode) && !S_ISREG(st.st_mode)) {
            unusable.push_back({rec.Name, urNotFileOrFolder});
            continue;
        }
        rec.Attr = S_ISDIR(st.st_mode) ? faDirectory : faArchive;
        if (IsReadOnly(st)) rec.Attr |= faReadOnly;
        if (name[0] == '.') rec.Attr |= faHidden;
        rec.Size = S_ISDIR(st.st_mode) ? 0 : st.st_size;
        rec.Time = PosixFiles::TimespecToDos(st.st_mtim);
        entries.push_back(rec);
    }
    const int error = errno;
    ::closedir(dir);
    if (error != 0) {
        SetError(error);
        return false;
    }
    return true;
}

int32_t FileAge(const AnsiString& path) {
    std::string host;
    struct stat st;
    if (!Host(path, host) || !StatHost(host, st) || S_ISDIR(st.st_mode)) return -1;
    return PosixFiles::TimespecToDos(st.st_mtim);
}

bool FileSetDate(const AnsiString& path, int32_t dosDateTime) {
    std::string host;
    if (!Host(path, host) || Injected(TFaultOp::SetDate, path)) return false;
    const TDateParts p = DosDateTimeToParts(dosDateTime);
    tm local{};
    local.tm_year = p.Year - 1900;
    local.tm_mon = p.Month - 1;
    local.tm_mday = p.Day;
    local.tm_hour = p.Hour;
    local.tm_min = p.Minute;
    local.tm_sec = p.Second;
    local.tm_isdst = -1;
    const time_t t = ::mktime(&local);
    if (t == static_cast<time_t>(-1) && !IsValidDateParts(p)) {
        SetError(EINVAL);
        return false;
    }
    timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = t;
    times[1].tv_nsec = 0;
    if (::utimensat(AT_FDCWD, host.c_str(), times, 0) != 0) {
        SetError(errno);
        return false;
    }
    return true;
}

TDateTime FileLastWriteTime(const AnsiString& path) {
    std::string host;
    struct stat st;
    if (!Host(path, host) || !StatHost(host, st)) return 0;
    return PosixFiles::TimespecToDateTime(st.st_mtim);
}

int64_t FileSizeOf(const AnsiString& path) {
    std::string host;
    struct stat st;
    if (!Host(path, host) || !StatHost(host, st) || S_ISDIR(st.st_mode)) return -1;
    return st.st_size;
}

AnsiString GetCurrentDir() {
    char buffer[PATH_MAX];
    AnsiString path;
    if (!::getcwd(buffer, sizeof buffer) || !PathMap::FromHost(buffer, path)) return AnsiString();
    return path;
}

bool SetCurrentDir(const AnsiString& path) {
    std::string host;
    if (!Host(path, host)) return false;
    if (::chdir(host.c_str()) != 0) {
        SetError(errno);
        return false;
    }
    return true;
}

AnsiString GetModuleFileName() {
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return AnsiString();
    buffer[n] = '\0';
    AnsiString path;
    PathMap::FromHost(buffer, path);
    return path;
}

AnsiString LastErrorMessage() {
    const int error = PosixFiles::LastError();
    if (error == 0) return AnsiString();
    AnsiString message;
    if (!TryUtf8ToCp1251(std::strerror(error), message)) message = Format("Error %d", error);
    return message;
}

int GetDriveType(const AnsiString& root) {
    if (root.size() >= 2 && root[1] == ':' && !PathMap::DriveFolder(root[0]).empty()) return DRIVE_FIXED_TYPE;
    return DRIVE_NO_ROOT;
}

AnsiString GetVolumeLabel(const AnsiString&) { return AnsiString(); }

AnsiString GetSystemDir() {
    // ~/.local/lib: where the uninstaller and the package's shared files live for one user
    // (README, "Linux counterparts"); empty without a home folder.
    std::string host;
    AnsiString path;
    if (!UserDirs::SystemFolder(host) || !PathMap::FromHost(host, path)) return AnsiString();
    return path;
}

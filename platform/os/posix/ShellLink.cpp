// Shell links on Linux: the link is kept as set and saved as a real .lnk file
// (ShellLinkFile), written whole through AtomicFile. Nothing on Linux runs such a file; it is
// the record that the uninstaller and the user read (README).
#include "platform/os/Shell.h"

#include "platform/os/FileSystem.h"
#include "platform/os/ShellLinkFile.h"
#include "platform/os/posix/AtomicFile.h"
#include "platform/os/posix/PathMap.h"
#include "platform/os/posix/PosixFiles.h"
#include "platform/rtl/CodePage.h"
#include "platform/rtl/SysUtils.h"

#include <sys/stat.h>

namespace {

constexpr mode_t kLinkFileMode = 0644;
constexpr uint32_t kAttributeReadOnly = 0x01;
constexpr uint32_t kAttributeDirectory = 0x10;
constexpr uint32_t kAttributeArchive = 0x20;
// Seconds from 1601-01-01 (FILETIME's epoch) to 1970-01-01, and FILETIME ticks per second.
constexpr uint64_t kFileTimeEpochSeconds = 11644473600ull;
constexpr uint64_t kFileTimeTicks = 10000000ull;

uint64_t FileTime(const timespec& ts) {
    if (ts.tv_sec < 0) return 0;
    return (static_cast<uint64_t>(ts.tv_sec) + kFileTimeEpochSeconds) * kFileTimeTicks +
           static_cast<uint64_t>(ts.tv_nsec) / 100;
}

// What Windows records of the target in the link's header, when the target is there.
void DescribeTarget(TShellLinkFileData& data) {
    std::string host;
    struct stat st;
    if (!PathMap::ToHost(data.Target, host) || ::stat(host.c_str(), &st) != 0) return;
    data.TargetAttributes = S_ISDIR(st.st_mode) ? kAttributeDirectory : kAttributeArchive;
    if ((st.st_mode & S_IWUSR) == 0) data.TargetAttributes |= kAttributeReadOnly;
    // Linux keeps no creation time that stat gives; the last change stands for it.
    data.CreationTime = FileTime(st.st_ctim);
    data.AccessTime = FileTime(st.st_atim);
    data.WriteTime = FileTime(st.st_mtim);
    data.TargetSize = S_ISDIR(st.st_mode) ? 0 : static_cast<uint32_t>(st.st_size);
}

}  // namespace

struct TShellLink::TImpl {
    bool Created = false;
    TShellLinkFileData Data;
};

void TShellLink::InitializeComLibrary() {}

TShellLink::TShellLink() : FImpl(std::make_unique<TImpl>()) {}

TShellLink::~TShellLink() = default;

bool TShellLink::Create() {
    FImpl->Created = true;
    return true;
}

bool TShellLink::SetPath(const AnsiString& target) {
    if (!FImpl->Created || target.empty()) return false;
    AnsiString full = target;
    // Windows makes a relative target absolute against the current folder.
    if (full[0] != '\\' && !(full.size() >= 2 && full[1] == ':')) full = IncludeTrailingBackslash(GetCurrentDir()) + full;
    FImpl->Data.Target = full;
    return true;
}

bool TShellLink::SetArguments(const AnsiString& arguments) {
    if (!FImpl->Created) return false;
    FImpl->Data.Arguments = arguments;
    return true;
}

bool TShellLink::SetWorkingDirectory(const AnsiString& folder) {
    if (!FImpl->Created) return false;
    FImpl->Data.WorkingDir = folder;
    return true;
}

// The remember flag means nothing here: no link object outlives its save.
bool TShellLink::Save(const std::u16string& fileName, bool) {
    AnsiString name;
    std::string host;
    if (!FImpl->Created || fileName.empty() || !TryUtf16ToCp1251(fileName, name) || !PosixFiles::Host(name, host))
        return false;
    TShellLinkFileData data = FImpl->Data;
    DescribeTarget(data);
    std::string bytes;
    return ComposeShellLinkFile(data, bytes) && AtomicFile::Write(host, bytes, kLinkFileMode, name);
}

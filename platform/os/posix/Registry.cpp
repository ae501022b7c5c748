// The registry on Linux: one REGEDIT4 file, $XDG_CONFIG_HOME/vornsetup/registry.reg, read in
// full for every call and replaced in full for every change (AtomicFile). The one value the
// system reads, HKLM "ProgramFilesDir", has a counterpart when the file does not hold it.
#include "platform/os/Registry.h"

#include "platform/os/posix/AtomicFile.h"
#include "platform/os/posix/PathMap.h"
#include "platform/os/posix/PosixFiles.h"
#include "platform/os/posix/RegistryFile.h"
#include "platform/os/posix/UserDirs.h"
#include "platform/os/FileSystem.h"
#include "platform/rtl/CodePage.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const kCurrentVersionKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const char* const kProgramFilesValue = "ProgramFilesDir";
constexpr mode_t kNewFileMode = 0644;
constexpr size_t kReadChunk = 65536;

// The system's name of a host path, for messages and injected failures.
AnsiString SystemName(const std::string& host) {
    AnsiString name;
    if (!PathMap::FromHost(host, name)) name = "registry.reg";
    return name;
}

// A key as the callers write it ("\\SOFTWARE\\..." or ".ext"), in UTF-8 without leading and
// trailing backslashes; false for a key with an empty part or a control character.
bool KeyPath(const AnsiString& key, std::string& path) {
    size_t begin = 0, end = key.size();
    while (begin < end && key[begin] == '\\') ++begin;
    while (end > begin && key[end - 1] == '\\') --end;
    const AnsiString inner = key.substr(begin, end - begin);
    if (inner.find("\\\\") != AnsiString::npos) return false;
    for (unsigned char c : inner)
        if (c < 0x20) return false;
    path = Cp1251ToUtf8(inner);
    return true;
}

// The registry as the file holds it now; an absent file is an empty registry.
TRegistryFile Load(const std::string& host) {
    const int fd = ::open(host.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return TRegistryFile();
        PosixFiles::SetError(errno);
        throw ERegistryException("Cannot read the registry file \"" + SystemName(host) + "\". " + LastErrorMessage());
    }
    std::string text;
    char buffer[kReadChunk];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            PosixFiles::SetError(errno);
            ::close(fd);
            throw ERegistryException("Cannot read the registry file \"" + SystemName(host) + "\". " +
                                     LastErrorMessage());
        }
        if (n == 0) break;
        text.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return TRegistryFile::Parse(text, SystemName(host));
}

bool LoadIfAvailable(TRegistryFile& file) {
    std::string host;
    if (!UserDirs::RegistryFile(host)) return false;
    file = Load(host);
    return true;
}

// HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion and its parents stand for the Windows
// installation itself, so they exist whenever the home folder does.
// The key is compared as the file compares keys, through a registry that holds just it.
bool IsCurrentVersionKey(TRegistryRoot root, const std::string& path, bool orParent) {
    static const TRegistryFile builtIn = [] {
        TRegistryFile f;
        f.SetText(TRegistryRoot::LocalMachine, kCurrentVersionKey, kProgramFilesValue, "");
        return f;
    }();
    if (root != TRegistryRoot::LocalMachine) return false;
    return orParent ? builtIn.KeyExists(root, path) : builtIn.FindValue(root, path, kProgramFilesValue) != nullptr;
}

AnsiString RootText(TRegistryRoot root) { return TRegistryFile::RootName(root); }

}  // namespace

bool RegKeyExists(TRegistryRoot root, const AnsiString& key) {
    std::string path;
    if (!KeyPath(key, path)) return false;
    std::string home;
    if (IsCurrentVersionKey(root, path, true) && UserDirs::Home(home)) return true;
    TRegistryFile file;
    return LoadIfAvailable(file) && file.KeyExists(root, path);
}

bool RegReadString(TRegistryRoot root, const AnsiString& key, const AnsiString& name, AnsiString& value) {
    std::string path;
    if (!KeyPath(key, path)) return false;
    TRegistryFile file;
    const bool available = LoadIfAvailable(file);
    const std::string utf8Name = Cp1251ToUtf8(name);
    if (const TRegistryFileValue* found = available ? file.FindValue(root, path, utf8Name) : nullptr) {
        if (!found->IsText) return false;
        if (!TryUtf8ToCp1251(found->Data, value))
            throw ERegistryException("The registry value \"" + name + "\" of \"" + RootText(root) + "\\" + key +
                                     "\" holds characters that code page 1251 cannot hold.");
        return true;
    }
    std::string programFiles;
    if (IsCurrentVersionKey(root, path, false) && AnsiSameText(name, kProgramFilesValue) &&
        UserDirs::ProgramFiles(programFiles)) {
        if (!PathMap::FromHost(programFiles, value))
            throw ERegistryException("The program files folder under HOME cannot be named in code page 1251.");
        return true;
    }
    return false;
}

void RegWriteDefaultValue(TRegistryRoot root, const AnsiString& key, const AnsiString& value) {
    const AnsiString keyName = RootText(root) + (key.empty() || key[0] == '\\' ? "" : "\\") + key;
    std::string path;
    if (!KeyPath(key, path)) throw ERegistryException("\"" + keyName + "\" is not a valid registry key name.");
    // A REGEDIT4 text value is one line, and Windows ends a text at its first NUL.
    if (value.find_first_of(AnsiString("\0\r\n", 3)) != AnsiString::npos)
        throw ERegistryException("The default value of \"" + keyName +
                                 "\" holds a line break or a NUL, which the registry file cannot hold.");
    std::string host;
    if (!UserDirs::RegistryFile(host))
        throw ERegistryException("The registry is not available: neither HOME nor XDG_CONFIG_HOME names a folder.");
    TRegistryFile file = Load(host);
    if (!file.SetText(root, path, "", Cp1251ToUtf8(value))) return;
    const std::string folder = host.substr(0, host.find_last_of('/'));
    struct stat st;
    const mode_t mode = ::stat(host.c_str(), &st) == 0 ? (st.st_mode & 07777) : kNewFileMode;
    if (!UserDirs::MakeFolders(folder)) PosixFiles::SetError(errno);
    else if (AtomicFile::Write(host, file.Compose(), mode, SystemName(host))) return;
    throw ERegistryException("Cannot write the registry key \"" + keyName + "\" to \"" + SystemName(host) + "\". " +
                             LastErrorMessage());
}

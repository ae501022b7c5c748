// Shell services on Linux: the special folders' counterparts (UserDirs) and starting a
// program with posix_spawn, without a shell: the parameters are split as Windows splits a
// command line. A file that is not executable is handed to xdg-open, as Windows would open
// it with its associated program.
#include "platform/os/Shell.h"

#include "platform/os/CommandLine.h"
#include "platform/os/posix/PathMap.h"
#include "platform/os/posix/PosixFiles.h"
#include "platform/os/posix/UserDirs.h"
#include "platform/rtl/CodePage.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

const char* const kOpener = "xdg-open";

// Programs started and not yet reaped. The caller never waits for them; each start first
// collects those that have ended, so that none stays a zombie for longer than the next start
// (or the end of the setup program, when init takes them over).
std::vector<pid_t>& Started() {
    static std::vector<pid_t> children;
    return children;
}

void ReapEnded() {
    auto& children = Started();
    for (size_t k = 0; k < children.size();) {
        int status = 0;
        const pid_t r = ::waitpid(children[k], &status, WNOHANG);
        if (r == children[k] || (r < 0 && errno == ECHILD))
            children.erase(children.begin() + static_cast<std::ptrdiff_t>(k));
        else
            ++k;
    }
}

bool IsExecutableFile(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// The program's place in PATH, as Windows finds a program named without folder.
bool FindInPath(const std::string& name, std::string& found) {
    const char* path = std::getenv("PATH");
    if (!path) return false;
    const std::string list = path;
    size_t start = 0;
    for (;;) {
        const size_t end = list.find(':', start);
        const std::string folder = list.substr(start, end == std::string::npos ? end : end - start);
        const std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + name;
        if (IsExecutableFile(candidate)) {
            found = candidate;
            return true;
        }
        if (end == std::string::npos) return false;
        start = end + 1;
    }
}

bool Locate(const AnsiString& program, std::string& host) {
    const bool bare = program.find('\\') == AnsiString::npos && program.find(':') == AnsiString::npos;
    struct stat st;
    if (!PosixFiles::Host(program, host)) return false;
    if (::stat(host.c_str(), &st) == 0) return true;
    const std::string name = host;
    return bare && FindInPath(name, host);
}

class TSpawnSetup {
public:
    TSpawnSetup() {
        FOk = ::posix_spawn_file_actions_init(&FActions) == 0;
        FOk = ::posix_spawnattr_init(&FAttributes) == 0 && FOk;
    }
    ~TSpawnSetup() {
        ::posix_spawn_file_actions_destroy(&FActions);
        ::posix_spawnattr_destroy(&FAttributes);
    }
    TSpawnSetup(const TSpawnSetup&) = delete;
    TSpawnSetup& operator=(const TSpawnSetup&) = delete;

    // The started program is a program of its own, as on Windows: it gets neither the setup
    // program's blocked signals nor its input (the terminal interface reads that).
    bool Prepare(const std::string& workDir) {
        sigset_t none, all;
        sigemptyset(&none);
        sigfillset(&all);
        sigdelset(&all, SIGKILL);
        sigdelset(&all, SIGSTOP);
        FOk = FOk && ::posix_spawnattr_setsigmask(&FAttributes, &none) == 0 &&
              ::posix_spawnattr_setsigdefault(&FAttributes, &all) == 0 &&
              ::posix_spawnattr_setflags(&FAttributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF) == 0 &&
              ::posix_spawn_file_actions_addopen(&FActions, STDIN_FILENO, "/dev/null", O_RDONLY, 0) == 0;
        if (FOk && !workDir.empty()) FOk = ::posix_spawn_file_actions_addchdir_np(&FActions, workDir.c_str()) == 0;
        return FOk;
    }

    bool Spawn(const std::vector<std::string>& arguments, pid_t& pid) {
        std::vector<char*> argv;
        for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        // glibc reports a failing chdir or exec of the child here, not as an exit status.
        const int error = ::posix_spawn(&pid, argv[0], &FActions, &FAttributes, argv.data(), environ);
        if (error != 0) PosixFiles::SetError(error);
        return error == 0;
    }

private:
    posix_spawn_file_actions_t FActions;
    posix_spawnattr_t FAttributes;
    bool FOk = false;
};

}  // namespace

bool GetSpecialFolder(TSpecialFolder folder, AnsiString& path) {
    std::string host;
    const bool found = folder == TSpecialFolder::Programs ? UserDirs::Programs(host) : UserDirs::Desktop(host);
    return found && PathMap::FromHost(host, path);
}

// Linux has no show modes for a program started this way; `show` is not used.
bool StartShellProgram(const AnsiString& program, const AnsiString& parameters, const AnsiString& workDir,
                       TShowMode) {
    ReapEnded();
    std::string host, folder;
    if (program.empty() || !Locate(program, host)) return false;
    if (!workDir.empty() && !PosixFiles::Host(workDir, folder)) return false;
    std::vector<std::string> arguments;
    if (IsExecutableFile(host)) {
        arguments.push_back(host);
        for (const AnsiString& a : SplitCommandLine(parameters)) arguments.push_back(Cp1251ToUtf8(a));
    } else {
        // A document (or a folder): its parameters have no meaning to the opener.
        std::string opener;
        if (!FindInPath(kOpener, opener)) return false;
        arguments = {opener, host};
    }
    TSpawnSetup setup;
    pid_t pid = 0;
    if (!setup.Prepare(folder) || !setup.Spawn(arguments, pid)) return false;
    Started().push_back(pid);
    return true;
}

// Starting a program through the shell: on Linux a script that records its arguments and
// working folder, documents through a stand-in xdg-open, and no zombie left behind; under
// Wine a program started by ShellExecuteExW.
#include "platform/os/FileSystem.h"
#include "platform/os/Shell.h"
#include "platform/rtl/CodePage.h"
#include "platform/rtl/SysUtils.h"
#include "tests/common/TestPaths.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace {

constexpr auto kStartTimeout = std::chrono::seconds(20);

// The marker's text once the started program has written it and closed it ("end" last).
std::string WaitForMarker(const AnsiString& marker) {
    const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (FileExists(marker)) {
            const std::string text = ReadFileBytes(marker);
            if (text.find("end") != std::string::npos) return text;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return "<no marker>";
}

}  // namespace

#ifndef _WIN32

#include "platform/os/posix/PathMap.h"

#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void WriteScript(const AnsiString& path, const std::string& body) {
    WriteFileBytes(path, "#!/bin/sh\n" + body);
    std::string host;
    PathMap::ToHost(path, host);
    ::chmod(host.c_str(), 0755);
}

std::string HostOf(const AnsiString& path) {
    std::string host;
    PathMap::ToHost(path, host);
    return host;
}

// Children of this process that have ended and were not reaped.
int Zombies() {
    int count = 0;
    DIR* proc = ::opendir("/proc");
    while (dirent* e = proc ? ::readdir(proc) : nullptr) {
        std::ifstream stat(std::string("/proc/") + e->d_name + "/stat");
        std::string line;
        if (!std::getline(stat, line)) continue;
        const size_t close = line.rfind(')');
        if (close == std::string::npos) continue;
        char state = 0;
        long parent = 0;
        if (std::sscanf(line.c_str() + close + 1, " %c %ld", &state, &parent) == 2 && state == 'Z' &&
            parent == ::getpid())
            ++count;
    }
    if (proc) ::closedir(proc);
    return count;
}

class PathGuard {
public:
    explicit PathGuard(const std::string& path) {
        if (const char* old = std::getenv("PATH")) FOld = old;
        ::setenv("PATH", path.c_str(), 1);
    }
    ~PathGuard() {
        if (FOld)
            ::setenv("PATH", FOld->c_str(), 1);
        else
            ::unsetenv("PATH");
    }

private:
    std::optional<std::string> FOld;
};

}  // namespace

TEST(StartProgram, ScriptGetsWindowsArgumentsAndWorkingFolder) {
    TScratchDir dir;
    ASSERT_TRUE(ForceDirectories(dir / "Рабочий каталог"));
    WriteScript(dir / "record.sh", "for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done > marker.tmp\n"
                                   "pwd >> marker.tmp\necho end >> marker.tmp\nmv marker.tmp marker\n");
    ASSERT_TRUE(StartShellProgram(dir / "record.sh", "\"C:\\Мой журнал\\vorn.log\" a\\\"b  \"\" $HOME;x",
                                  dir / "Рабочий каталог", TShowMode::Show));
    EXPECT_EQ(WaitForMarker(dir / "Рабочий каталог\\marker"),
              Cp1251ToUtf8("[C:\\Мой журнал\\vorn.log]\n[a\"b]\n[]\n[$HOME;x]\n") + HostOf(dir / "Рабочий каталог") +
                  "\nend\n");

    // Nothing waits for the script: once it has ended it is a zombie until the next start,
    // which collects it (and itself fails: no such program).
    const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    while (Zombies() == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(Zombies(), 1);
    EXPECT_FALSE(StartShellProgram(dir / "missing.sh", "", "", TShowMode::Show));
    EXPECT_EQ(Zombies(), 0);
}

TEST(StartProgram, DocumentsGoToXdgOpenAndFailuresAreReported) {
    TScratchDir dir;
    ASSERT_TRUE(ForceDirectories(dir / "bin"));
    WriteFileBytes(dir / "readme.txt", "read me");
    WriteScript(dir / "record.sh", "echo end > marker\n");
    {
        // A stand-in opener on PATH shows what a document is handed to.
        WriteScript(dir / "bin\\xdg-open", "printf '%s\\n' \"$@\" > \"$(dirname \"$0\")/opened.tmp\"\n"
                                           "echo end >> \"$(dirname \"$0\")/opened.tmp\"\n"
                                           "mv \"$(dirname \"$0\")/opened.tmp\" \"$(dirname \"$0\")/opened\"\n");
        WriteScript(dir / "bin\\vorntool", "echo end > tool-ran\n");
        PathGuard path(HostOf(dir / "bin") + ":/usr/bin:/bin");
        ASSERT_TRUE(StartShellProgram(dir / "readme.txt", "ignored", dir.Path(), TShowMode::Maximized));
        EXPECT_EQ(WaitForMarker(dir / "bin\\opened"), HostOf(dir / "readme.txt") + "\nend\n");
        // A program named without folder is found in PATH.
        ASSERT_TRUE(StartShellProgram("vorntool", "", dir.Path(), TShowMode::Hide));
        EXPECT_EQ(WaitForMarker(dir / "tool-ran"), "end\n");
    }
    {
        PathGuard path(HostOf(dir / "empty"));
        EXPECT_FALSE(StartShellProgram(dir / "readme.txt", "", dir.Path(), TShowMode::Show));  // no opener
    }
    EXPECT_FALSE(StartShellProgram(dir / "missing.exe", "", dir.Path(), TShowMode::Show));
    EXPECT_FALSE(StartShellProgram("", "", dir.Path(), TShowMode::Show));
    EXPECT_FALSE(StartShellProgram(dir / "record.sh", "", dir / "no such folder", TShowMode::Show));
    EXPECT_FALSE(FileExists(dir / "marker"));
}

#else  // _WIN32

TEST(StartProgram, ShellExecuteStartsAProgram) {
    TScratchDir dir;
    ASSERT_TRUE(ForceDirectories(dir / "Рабочий каталог"));
    ASSERT_TRUE(StartShellProgram(GetSystemDir() + "\\cmd.exe", "/c echo end> marker.txt", dir / "Рабочий каталог",
                                  TShowMode::Hide));
    EXPECT_EQ(WaitForMarker(dir / "Рабочий каталог\\marker.txt"), "end\r\n");
}

#endif

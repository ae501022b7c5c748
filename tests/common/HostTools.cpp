// Running host programs for the tests through std::system.
#include "tests/common/HostTools.h"

#ifndef _WIN32
#include "platform/os/posix/PathMap.h"

#include <sys/wait.h>
#include <unistd.h>
#endif

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

bool HostToolAvailable(const char* program) {
#ifdef _WIN32
    (void)program;
    return false;
#else
    return RunHost("command -v " + ShellQuote(program)) == 0;
#endif
}

std::string HostPath(const AnsiString& path) {
#ifdef _WIN32
    return path;
#else
    std::string host;
    if (!PathMap::ToHost(path, host)) return std::string();
    return host;
#endif
}

std::string ShellQuote(const std::string& arg) {
    std::string out = "'";
    for (char c : arg) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

int RunHost(const std::string& commandLine, std::string* output) {
#ifdef _WIN32
    (void)commandLine;
    if (output) output->clear();
    return -1;
#else
    static std::atomic<int> counter{0};
    const std::string capture = "/tmp/setuptest-run-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
    const int status = std::system(("( " + commandLine + " ) >" + capture + " 2>&1 </dev/null").c_str());
    if (output) {
        std::ifstream in(capture, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        *output = text.str();
    }
    std::remove(capture.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

// The console on Linux: UTF-8 on every stream, the temporary folder from TMPDIR.
#include "platform/os/Console.h"

#include "platform/os/posix/PathMap.h"
#include "platform/rtl/CodePage.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <unistd.h>

namespace Console {

bool Arguments(int argc, char** argv, std::vector<AnsiString>& args, int* bad) {
    args.clear();
    for (int i = 1; i < argc; ++i) {
        AnsiString text;
        if (!TryUtf8ToCp1251(argv[i], text)) {
            if (bad) *bad = i - 1;
            return false;
        }
        args.push_back(text);
    }
    return true;
}

void WriteOut(const AnsiString& text) {
    const std::string utf8 = Cp1251ToUtf8(text);
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
}

void WriteErr(const AnsiString& text) {
    std::fflush(stdout);
    const std::string utf8 = Cp1251ToUtf8(text);
    std::fwrite(utf8.data(), 1, utf8.size(), stderr);
    std::fflush(stderr);
}

bool ReadLine(AnsiString& line) {
    std::string utf8;
    if (!std::getline(std::cin, utf8)) return false;
    if (!utf8.empty() && utf8.back() == '\r') utf8.pop_back();
    if (!TryUtf8ToCp1251(utf8, line)) {
        line.clear();
        for (unsigned char c : utf8)
            if (c < 0x80) line += static_cast<char>(c);
            else if ((c & 0xC0) != 0x80) line += '?';
    }
    return true;
}

AnsiString TempDir() {
    const char* tmp = std::getenv("TMPDIR");
    std::string host = tmp && *tmp ? tmp : "/tmp";
    while (host.size() > 1 && host.back() == '/') host.pop_back();
    AnsiString path;
    if (!PathMap::FromHost(host, path)) PathMap::FromHost("/tmp", path);
    return path;
}

unsigned ProcessId() { return static_cast<unsigned>(::getpid()); }

}  // namespace Console

// Windows paths to Linux paths and back.
#include "platform/os/posix/PathMap.h"

#include "platform/rtl/CodePage.h"
#include "platform/rtl/SysUtils.h"

#include <array>

namespace PathMap {
namespace {

std::array<std::string, 26>& Drives() {
    static std::array<std::string, 26> drives;
    return drives;
}

int DriveIndex(char letter) {
    const char up = UpCaseAscii(letter);
    return (up >= 'A' && up <= 'Z') ? up - 'A' : -1;
}

std::string Strip(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

}  // namespace

void SetDrive(char letter, const std::string& hostFolder) {
    const int i = DriveIndex(letter);
    if (i >= 0) Drives()[i] = hostFolder.empty() ? std::string() : Strip(hostFolder);
}

void ClearDrives() {
    for (auto& d : Drives()) d.clear();
}

std::string DriveFolder(char letter) {
    const int i = DriveIndex(letter);
    return i >= 0 ? Drives()[i] : std::string();
}

bool ToHost(const AnsiString& path, std::string& host) {
    AnsiString rest = path;
    std::string prefix;
    if (path.size() >= 2 && path[1] == ':' && DriveIndex(path[0]) >= 0) {
        prefix = DriveFolder(path[0]);
        if (prefix.empty()) return false;
        rest = path.substr(2);
        if (!rest.empty() && rest[0] != '\\') rest.insert(rest.begin(), '\\');
        if (prefix == "/" && !rest.empty()) prefix.clear();
    } else if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        return false;  // UNC names have no counterpart
    }
    for (char& c : rest)
        if (c == '\\') c = '/';
    host = prefix + Cp1251ToUtf8(rest);
    return true;
}

bool FromHost(const std::string& host, AnsiString& path) {
    AnsiString converted;
    if (!TryUtf8ToCp1251(host, converted) || converted.find('\\') != AnsiString::npos) return false;
    // The longest mapped drive folder that holds the path gives the drive letter.
    int best = -1;
    size_t bestLength = 0;
    for (int i = 0; i < 26; ++i) {
        const std::string& folder = Drives()[i];
        if (folder.empty()) continue;
        const bool inside = host == folder ||
                            (host.compare(0, folder.size(), folder) == 0 &&
                             (folder == "/" || host[folder.size()] == '/'));
        if (inside && folder.size() > bestLength) {
            best = i;
            bestLength = folder.size();
        }
    }
    AnsiString rest;
    if (best >= 0) {
        const std::string tail = Drives()[best] == "/" ? host : host.substr(bestLength);
        TryUtf8ToCp1251(tail, rest);
        rest.insert(0, 1, static_cast<char>('A' + best));
        rest.insert(1, 1, ':');
        if (rest.size() == 2) rest += '\\';
    } else {
        rest = converted;
    }
    for (char& c : rest)
        if (c == '/') c = '\\';
    path = rest;
    return true;
}

}  // namespace PathMap

// HOME, the XDG base folders and the desktop folder of xdg-user-dirs.
#include "platform/os/posix/UserDirs.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <string_view>
#include <sys/stat.h>

namespace UserDirs {
namespace {

const char* const kRegistrySubdir = "/vornsetup";
const char* const kRegistryName = "/registry.reg";
const char* const kDesktopKey = "XDG_DESKTOP_DIR=";

std::string StripSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

// A folder below `base`; the root contributes no slash of its own.
std::string Below(const std::string& base, std::string_view tail) {
    std::string out;
    if (base != "/") out.append(base);
    out.append(tail);
    return out;
}

bool AbsoluteVariable(const char* name, std::string& path) {
    const char* value = std::getenv(name);
    if (!value || value[0] != '/') return false;
    path = StripSlashes(value);
    return true;
}

bool UnderHome(const char* tail, std::string& path) {
    std::string home;
    if (!Home(home)) return false;
    path = Below(home, tail);
    return true;
}

bool IsFolder(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The value of one XDG_DESKTOP_DIR line of user-dirs.dirs, a shell assignment: "$HOME/..."
// or an absolute path, in double quotes with backslash escapes. False for anything else.
bool DesktopLine(std::string_view line, const std::string& home, std::string& path) {
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    if (!line.starts_with(kDesktopKey)) return false;
    line.remove_prefix(std::string_view(kDesktopKey).size());
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) line.remove_suffix(1);
    std::string value;
    if (!line.empty() && line.front() == '"') {
        size_t i = 1;
        for (; i < line.size() && line[i] != '"'; ++i) {
            if (line[i] == '\\' && i + 1 < line.size()) ++i;
            value += line[i];
        }
        if (i + 1 != line.size()) return false;  // no closing quote, or text after it
    } else {
        value = std::string(line);
    }
    const std::string_view homeMark = "$HOME";
    if (value.compare(0, homeMark.size(), homeMark) == 0 &&
        (value.size() == homeMark.size() || value[homeMark.size()] == '/')) {
        if (home.empty()) return false;
        std::string resolved = Below(home, std::string_view(value).substr(homeMark.size()));
        if (resolved.empty()) resolved.push_back('/');
        value.swap(resolved);
    }
    if (value.empty() || value[0] != '/') return false;
    path = StripSlashes(value);
    return true;
}

}  // namespace

bool Home(std::string& path) { return AbsoluteVariable("HOME", path); }

bool ConfigHome(std::string& path) { return AbsoluteVariable("XDG_CONFIG_HOME", path) || UnderHome("/.config", path); }

bool DataHome(std::string& path) { return AbsoluteVariable("XDG_DATA_HOME", path) || UnderHome("/.local/share", path); }

bool Desktop(std::string& path) {
    std::string home, config, found;
    Home(home);
    bool configured = false;
    if (ConfigHome(config)) {
        std::ifstream dirs(config + "/user-dirs.dirs");
        std::string line;
        // The file is sourced by a shell: the last assignment counts.
        while (std::getline(dirs, line))
            if (DesktopLine(line, home, found)) configured = true;
    }
    if (!configured) {
        if (home.empty()) return false;
        found = Below(home, "/Desktop");
    }
    // xdg-user-dirs disables a folder by pointing it at the home folder.
    if (!home.empty() && found == home) return false;
    if (!IsFolder(found)) return false;
    path = found;
    return true;
}

bool Programs(std::string& path) {
    std::string data;
    if (!DataHome(data)) return false;
    const std::string folder = Below(data, "/applications");
    if (!MakeFolders(folder)) return false;
    path = folder;
    return true;
}

bool ProgramFiles(std::string& path) { return UnderHome("/.local/opt", path); }

bool SystemFolder(std::string& path) { return UnderHome("/.local/lib", path); }

bool RegistryFile(std::string& path) {
    std::string config;
    if (!ConfigHome(config)) return false;
    path = Below(config, std::string(kRegistrySubdir) + kRegistryName);
    return true;
}

bool MakeFolders(const std::string& path) {
    if (path.empty()) return false;
    if (IsFolder(path)) return true;
    const size_t slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !MakeFolders(path.substr(0, slash))) return false;
    return (::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST) && IsFolder(path);
}

}  // namespace UserDirs

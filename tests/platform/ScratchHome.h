// A home folder for one test on Linux: HOME points at a scratch folder and the XDG variables
// are cleared (or set by the test), and all of them come back when the object goes.
#pragma once

#ifndef _WIN32

#include "platform/os/posix/PathMap.h"
#include "tests/common/TestPaths.h"

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

class TScratchHome {
public:
    TScratchHome() {
        for (const char* name : kVariables) {
            const char* value = std::getenv(name);
            FSaved.push_back(value ? std::optional<std::string>(value) : std::nullopt);
            ::unsetenv(name);
        }
        PathMap::ToHost(FDir.Path(), FHost);
        ::setenv("HOME", FHost.c_str(), 1);
    }
    ~TScratchHome() {
        for (size_t i = 0; i < FSaved.size(); ++i) {
            if (FSaved[i])
                ::setenv(kVariables[i], FSaved[i]->c_str(), 1);
            else
                ::unsetenv(kVariables[i]);
        }
    }
    TScratchHome(const TScratchHome&) = delete;
    TScratchHome& operator=(const TScratchHome&) = delete;

    // The home folder as the system names it, and as Linux does.
    const AnsiString& Path() const { return FDir.Path(); }
    AnsiString operator/(const AnsiString& relative) const { return FDir / relative; }
    const std::string& Host() const { return FHost; }

private:
    static constexpr const char* kVariables[] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"};
    TScratchDir FDir;
    std::string FHost;
    std::vector<std::optional<std::string>> FSaved;
};

#endif

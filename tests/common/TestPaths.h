// Paths for tests: a fresh scratch folder per test, the source tree and the shared
// fixtures, all as the system's Windows paths (under Wine the Linux tree is drive Z:).
#pragma once

#include "platform/os/FileSystem.h"
#include "platform/rtl/Types.h"

#include <string>

// The folder of the PKZIP conformance archives, or empty when it is not there.
AnsiString FixtureDir(const char* sub);
// A folder of the source tree ("tests/unzip/corpus").
AnsiString SourcePath(const char* relative);

// A new empty folder, removed with its contents when the object goes.
class TScratchDir {
public:
    TScratchDir();
    ~TScratchDir();
    TScratchDir(const TScratchDir&) = delete;
    TScratchDir& operator=(const TScratchDir&) = delete;

    const AnsiString& Path() const { return FPath; }
    // Path + "\" + relative.
    AnsiString operator/(const AnsiString& relative) const { return FPath + "\\" + relative; }

private:
    AnsiString FPath;
};

// Whole-file helpers through the platform layer.
std::string ReadFileBytes(const AnsiString& path);
void WriteFileBytes(const AnsiString& path, const std::string& bytes);

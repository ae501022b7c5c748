// Scratch folders and file helpers for the tests.
#include "tests/common/TestPaths.h"

#include "platform/os/FileStream.h"
#include "platform/os/FileSystem.h"
#include "platform/rtl/SysUtils.h"

#include <atomic>
#include <chrono>
#include <cstdlib>

namespace {

// A Linux path of the build machine as the system names it.
AnsiString FromBuildPath(const std::string& unixPath) {
#ifdef _WIN32
    AnsiString p = "Z:" + unixPath;
#else
    AnsiString p = unixPath;
#endif
    for (char& c : p)
        if (c == '/') c = '\\';
    return p;
}

AnsiString TempRoot() {
#ifdef _WIN32
    const char* tmp = std::getenv("TEMP");
    if (tmp && *tmp) return AnsiString(tmp);
    return "C:\\windows\\temp";
#else
    const char* tmp = std::getenv("TMPDIR");
    return FromBuildPath(tmp && *tmp ? tmp : "/tmp");
#endif
}

}  // namespace

AnsiString FixtureDir(const char* sub) {
    const AnsiString dir = FromBuildPath(std::string(SETUP_FIXTURE_DIR) + "/" + sub);
    return DirectoryExists(dir) ? dir : AnsiString();
}

AnsiString SourcePath(const char* relative) { return FromBuildPath(std::string(SETUP_SOURCE_DIR) + "/" + relative); }

TScratchDir::TScratchDir() {
    static std::atomic<int> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    for (;;) {
        FPath = TempRoot() + "\\setuptest-" + IntToStr(static_cast<int64_t>(stamp % 100000000)) + "-" +
                IntToStr(counter++);
        if (!DirectoryExists(FPath) && ForceDirectories(FPath)) break;
    }
}

TScratchDir::~TScratchDir() { RemoveTree(FPath); }

std::string ReadFileBytes(const AnsiString& path) {
    TFileStream file(path, fmOpenRead);
    const int64_t size = file.GetSize();
    std::string data(static_cast<size_t>(size), '\0');
    if (size) file.ReadBuffer(data.data(), static_cast<int32_t>(size));
    return data;
}

void WriteFileBytes(const AnsiString& path, const std::string& bytes) {
    TFileStream file(path, fmCreate);
    file.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
    file.Close();
}


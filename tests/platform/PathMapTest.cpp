// The Linux mapping of Windows paths, the drive table and injected failures.
#ifndef _WIN32

#include "platform/os/FileStream.h"
#include "platform/os/FileSystem.h"
#include "platform/os/posix/Faults.h"
#include "platform/os/posix/PathMap.h"
#include "platform/rtl/SysUtils.h"
#include "tests/common/TestPaths.h"

#include <gtest/gtest.h>

namespace {
struct DriveTableGuard {
    ~DriveTableGuard() { PathMap::ClearDrives(); }
};
}  // namespace

TEST(PathMap, WindowsPathsToHostPaths) {
    DriveTableGuard guard;
    PathMap::SetDrive('e', "/mnt/e/");
    PathMap::SetDrive('R', "/");
    struct Case {
        const char* windows;
        bool ok;
        const char* host;
    } cases[] = {
        {"\\usr\\local\\x.txt", true, "/usr/local/x.txt"},
        {"E:", true, "/mnt/e"},
        {"E:\\", true, "/mnt/e/"},
        {"e:\\setup.exe", true, "/mnt/e/setup.exe"},
        {"E:data\\a", true, "/mnt/e/data/a"},
        {"R:\\tmp", true, "/tmp"},
        {"R:", true, "/"},
        {"rel\\path", true, "rel/path"},
        {"C:\\Program Files", false, ""},
        {"\\\\server\\share", false, ""},
        {"\\Каталог", true, "/\xD0\x9A\xD0\xB0\xD1\x82\xD0\xB0\xD0\xBB\xD0\xBE\xD0\xB3"},
    };
    for (const auto& c : cases) {
        std::string host;
        EXPECT_EQ(PathMap::ToHost(c.windows, host), c.ok) << c.windows;
        if (c.ok) { EXPECT_EQ(host, c.host) << c.windows; }
    }
}

TEST(PathMap, HostPathsComeBackWithTheirDrive) {
    DriveTableGuard guard;
    PathMap::SetDrive('E', "/mnt/e");
    PathMap::SetDrive('F', "/mnt/e/deeper");
    struct Case {
        const char* host;
        bool ok;
        const char* windows;
    } cases[] = {
        {"/mnt/e/setup.exe", true, "E:\\setup.exe"},
        {"/mnt/e", true, "E:\\"},
        {"/mnt/e/deeper/x", true, "F:\\x"},
        {"/mnt/eX/y", true, "\\mnt\\eX\\y"},
        {"/home/u/\xD1\x84", true, "\\home\\u\\ф"},
        {"/a\\b", false, ""},
        {"/\xE4\xB8\xAD", false, ""},
    };
    for (const auto& c : cases) {
        AnsiString path;
        EXPECT_EQ(PathMap::FromHost(c.host, path), c.ok) << c.host;
        if (c.ok) { EXPECT_EQ(path, c.windows) << c.host; }
    }
}

TEST(PathMap, ProgramInADriveRootThroughTheDriveTable) {
    DriveTableGuard guard;
    TScratchDir dir;
    std::string host;
    ASSERT_TRUE(PathMap::ToHost(dir.Path(), host));
    PathMap::SetDrive('E', host);
    WriteFileBytes(dir / "setup.dat", "x");
    EXPECT_TRUE(FileExists("E:\\setup.dat"));
    EXPECT_TRUE(DirectoryExists("E:\\"));
    EXPECT_EQ(GetDriveType("E:\\"), DRIVE_FIXED_TYPE);
    EXPECT_EQ(GetDriveType("Q:\\"), DRIVE_NO_ROOT);
    EXPECT_FALSE(DirectoryExists("Q:\\"));
}

TEST(Faults, InjectedFailuresReachTheCaller) {
    TScratchDir dir;
    WriteFileBytes(dir / "locked.dll", "v1");
    Faults::Set([](TFaultOp op, const AnsiString& path) {
        return (op == TFaultOp::Delete && path.find("locked") != AnsiString::npos) ||
               (op == TFaultOp::Write && path.find("full") != AnsiString::npos);
    });
    EXPECT_FALSE(DeleteFile(dir / "locked.dll"));
    {
        TFileStream full(dir / "full.bin", fmCreate);
        EXPECT_EQ(full.Write("abc", 3), 0);
        EXPECT_NE(LastErrorMessage(), "");
    }
    Faults::Clear();
    EXPECT_TRUE(DeleteFile(dir / "locked.dll"));
}

#endif

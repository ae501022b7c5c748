// The folders Windows gives a program (Start-menu Programs, desktop, system folder): their
// Linux counterparts under a scratch home, and the real ones under Wine.
#include "platform/os/FileSystem.h"
#include "platform/os/Shell.h"
#include "platform/rtl/CodePage.h"
#include "platform/rtl/SysUtils.h"
#include "tests/common/TestPaths.h"
#include "tests/platform/ScratchHome.h"

#include <gtest/gtest.h>

#ifndef _WIN32

#include <cstdlib>

TEST(UserFolders, ProgramsAndSystemFolderUnderHome) {
    TScratchHome home;
    AnsiString path;
    ASSERT_TRUE(GetSpecialFolder(TSpecialFolder::Programs, path));
    EXPECT_EQ(path, home / ".local\\share\\applications");
    EXPECT_TRUE(DirectoryExists(path));  // made, so that the group folder can be created in it
    EXPECT_EQ(GetSystemDir(), home / ".local\\lib");

    ASSERT_TRUE(ForceDirectories(home / "data"));
    ::setenv("XDG_DATA_HOME", (home.Host() + "/data/").c_str(), 1);
    ASSERT_TRUE(GetSpecialFolder(TSpecialFolder::Programs, path));
    EXPECT_EQ(path, home / "data\\applications");

    ::unsetenv("XDG_DATA_HOME");
    ::unsetenv("HOME");
    path = "unchanged";
    EXPECT_FALSE(GetSpecialFolder(TSpecialFolder::Programs, path));
    EXPECT_FALSE(GetSpecialFolder(TSpecialFolder::DesktopDirectory, path));
    EXPECT_EQ(path, "unchanged");
    EXPECT_EQ(GetSystemDir(), "");
    ::setenv("HOME", "relative/home", 1);
    EXPECT_FALSE(GetSpecialFolder(TSpecialFolder::Programs, path));
    EXPECT_EQ(GetSystemDir(), "");
}

TEST(UserFolders, DesktopFromUserDirs) {
    struct Case {
        const char* userDirs;      // the file's text, nullptr for no file
        const char* folder;        // folder under home made before the lookup, nullptr for none
        const char* expected;      // under home, nullptr when unavailable
    } cases[] = {
        {nullptr, "Desktop", "Desktop"},
        {nullptr, nullptr, nullptr},  // no desktop on this machine
        {"# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Рабочий стол\"\n", "Рабочий стол",
         "Рабочий стол"},
        {"XDG_DOWNLOAD_DIR=\"$HOME/Загрузки\"\n", "Desktop", "Desktop"},
        {"XDG_DESKTOP_DIR=\"$HOME/A\"\nXDG_DESKTOP_DIR=\"$HOME/B\"\n", "B", "B"},  // the last one counts
        {"  XDG_DESKTOP_DIR=\"$HOME/with \\\"quote\\\"\"\n", "with \"quote\"", "with \"quote\""},
        {"XDG_DESKTOP_DIR=\"$HOME/\"\n", "Desktop", nullptr},  // disabled
        {"XDG_DESKTOP_DIR=\"$HOMEWORK\"\n", "Desktop", "Desktop"},  // not a home path: ignored
        {"XDG_DESKTOP_DIR=\"relative\"\n", "Desktop", "Desktop"},
        {"XDG_DESKTOP_DIR=\"$HOME/gone\"\n", "Desktop", nullptr},
    };
    for (const auto& c : cases) {
        TScratchHome home;
        if (c.userDirs) {
            ASSERT_TRUE(ForceDirectories(home / ".config"));
            WriteFileBytes(home / ".config\\user-dirs.dirs", Cp1251ToUtf8(c.userDirs));
        }
        if (c.folder) {
            ASSERT_TRUE(ForceDirectories(home / c.folder));
        }
        AnsiString path;
        const bool found = GetSpecialFolder(TSpecialFolder::DesktopDirectory, path);
        EXPECT_EQ(found, c.expected != nullptr) << (c.userDirs ? c.userDirs : "no file") << " " << path;
        if (c.expected && found) {
            EXPECT_EQ(path, home / c.expected);
        }
    }

    // An absolute folder, outside home.
    TScratchHome home;
    TScratchDir elsewhere;
    std::string host;
    ASSERT_TRUE(PathMap::ToHost(elsewhere.Path(), host));
    ASSERT_TRUE(ForceDirectories(home / ".config"));
    WriteFileBytes(home / ".config\\user-dirs.dirs", "XDG_DESKTOP_DIR=\"" + host + "\"\n");
    AnsiString path;
    ASSERT_TRUE(GetSpecialFolder(TSpecialFolder::DesktopDirectory, path));
    EXPECT_EQ(path, elsewhere.Path());
}

#else  // _WIN32

TEST(UserFolders, FoldersOfWindows) {
    for (TSpecialFolder folder : {TSpecialFolder::Programs, TSpecialFolder::DesktopDirectory}) {
        AnsiString path;
        ASSERT_TRUE(GetSpecialFolder(folder, path));
        EXPECT_TRUE(DirectoryExists(path)) << path;
        EXPECT_NE(path.back(), '\\');
    }
    const AnsiString system = GetSystemDir();
    EXPECT_TRUE(FileExists(system + "\\kernel32.dll")) << system;
}

#endif

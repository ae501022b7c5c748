// Shortcut files at the length limit of their name and the keys of one association, through
// the platform's real services (a scratch home on Linux, the test prefix under Wine).
#include "install/ShellSteps.h"

#include "platform/os/FileSystem.h"
#include "platform/os/Registry.h"
#include "tests/common/TestPaths.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include "tests/platform/ScratchHome.h"
#endif

TEST(ShellSteps, AShortcutPathOfMoreThan199CharactersFails) {
    TScratchDir dir;
    const AnsiString target = dir / "target.txt";
    WriteFileBytes(target, "t");
    const AnsiString folder = dir / "links";
    ASSERT_TRUE(CreateDir(folder));
    ASSERT_LT(folder.size() + 6, 199u) << "the scratch folder is too deep for this test";
    const size_t room = 199 - (folder.size() + 1 + 4);  // folder, backslash, name, ".lnk"
    const AnsiString fits = folder + "\\" + AnsiString(room, 'a') + ".lnk";
    const AnsiString tooLong = folder + "\\" + AnsiString(room + 1, 'b') + ".lnk";
    ASSERT_EQ(fits.size(), 199u);
    EXPECT_TRUE(CreateShortcut(target, "", dir.Path(), fits));
    EXPECT_TRUE(FileExists(fits));
    EXPECT_FALSE(CreateShortcut(target, "", dir.Path(), tooLong));
    EXPECT_FALSE(FileExists(tooLong));
}

TEST(ShellSteps, AssociationKeysAndTheFirstFailingWriteEndingTheRecord) {
#ifndef _WIN32
    TScratchHome home;
#endif
    RegisterAssociation("vrnzt", "C:\\XR4", "xr4.exe", "Задание VORN", 2);
    const std::pair<const char*, const char*> expected[] = {
        {".vrnzt", "vrnzt"},
        {"vrnzt", "Задание VORN"},
        {"vrnzt\\DefaultIcon", "C:\\XR4\\xr4.exe,2"},
        {"vrnzt\\Shell", "Open"},
        {"vrnzt\\Shell\\Open", "Open"},
        {"vrnzt\\Shell\\Open\\command", "\"C:\\XR4\\xr4.exe\" \"%1\""},
    };
    for (const auto& [key, value] : expected) {
        AnsiString read;
        EXPECT_TRUE(RegReadString(TRegistryRoot::ClassesRoot, key, "", read)) << key;
        EXPECT_EQ(read, value) << key;
    }
    // A description that the registry refuses (it holds a NUL): the record ends after its
    // first key, silently.
    RegisterAssociation("vrnzu", "C:\\XR4", "xr4.exe", AnsiString("bad\0text", 8), 0);
    AnsiString read;
    EXPECT_TRUE(RegReadString(TRegistryRoot::ClassesRoot, ".vrnzu", "", read));
    EXPECT_FALSE(RegKeyExists(TRegistryRoot::ClassesRoot, "vrnzu\\DefaultIcon"));
}

TEST(ShellSteps, GroupErrorNamesTheGroup) {
    EXPECT_EQ(GroupErrorText("\\VORN for Zat"), "Не удалось создать программную группу \"VORN for Zat\".\r\n");
}

// The registry on both backends: on Linux its REGEDIT4 file byte for byte, its errors, a crash
// while it is replaced, and the HKLM value that stands for the program files folder; under
// Wine the real registry.
#include "platform/os/FileSystem.h"
#include "platform/os/Registry.h"
#include "platform/rtl/SysUtils.h"
#include "tests/common/TestPaths.h"
#include "tests/platform/ScratchHome.h"

#include <gtest/gtest.h>

#ifndef _WIN32

#include "platform/os/posix/Faults.h"

#include <unistd.h>

namespace {

const char* const kRegistryFile = ".config\\vornsetup\\registry.reg";
const char* const kHeader =
    "REGEDIT4\n"
    "; The registry of the setup program on Linux (see its README). Text encoding: UTF-8.\n";

struct FaultGuard {
    ~FaultGuard() { Faults::Clear(); }
};

AnsiString Read(TRegistryRoot root, const AnsiString& key, const AnsiString& name) {
    AnsiString value = "untouched";
    EXPECT_TRUE(RegReadString(root, key, name, value)) << key << " " << name;
    return value;
}

}  // namespace

TEST(RegistryFile, WritesRegedit4TextByteForByte) {
    TScratchHome home;
    RegWriteDefaultValue(TRegistryRoot::ClassesRoot, ".vrd", "vrd");
    RegWriteDefaultValue(TRegistryRoot::ClassesRoot, "vrd\\Shell\\Open\\command",
                         "\"C:\\Program Files\\Задачник\\xr.exe\" \"%1\"");
    RegWriteDefaultValue(TRegistryRoot::ClassesRoot, "vrd", "Файл результатов");
    // Set again in other letter case: the key keeps its first name, the value is replaced.
    RegWriteDefaultValue(TRegistryRoot::ClassesRoot, ".VRD", "vrd2");
    const std::string expected = std::string(kHeader) +
                                 "\n[HKEY_CLASSES_ROOT\\.vrd]\n@=\"vrd2\"\n"
                                 "\n[HKEY_CLASSES_ROOT\\vrd\\Shell\\Open\\command]\n"
                                 "@=\"\\\"C:\\\\Program Files\\\\\xD0\x97\xD0\xB0\xD0\xB4\xD0\xB0\xD1\x87\xD0\xBD"
                                 "\xD0\xB8\xD0\xBA\\\\xr.exe\\\" \\\"%1\\\"\"\n"
                                 "\n[HKEY_CLASSES_ROOT\\vrd]\n@=\"\xD0\xA4\xD0\xB0\xD0\xB9\xD0\xBB \xD1\x80\xD0\xB5"
                                 "\xD0\xB7\xD1\x83\xD0\xBB\xD1\x8C\xD1\x82\xD0\xB0\xD1\x82\xD0\xBE\xD0\xB2\"\n";
    EXPECT_EQ(ReadFileBytes(home / kRegistryFile), expected);

    EXPECT_EQ(Read(TRegistryRoot::ClassesRoot, "VRD\\shell\\open\\COMMAND", ""),
              "\"C:\\Program Files\\Задачник\\xr.exe\" \"%1\"");
    EXPECT_EQ(Read(TRegistryRoot::ClassesRoot, "\\vrd", ""), "Файл результатов");
    EXPECT_EQ(Read(TRegistryRoot::ClassesRoot, ".vrd", ""), "vrd2");
    // Parents of a listed key exist, as the sections of a REGEDIT4 file create them.
    EXPECT_TRUE(RegKeyExists(TRegistryRoot::ClassesRoot, "vrd\\SHELL"));
    EXPECT_FALSE(RegKeyExists(TRegistryRoot::ClassesRoot, "vrd\\Shell\\Print"));
    EXPECT_FALSE(RegKeyExists(TRegistryRoot::CurrentUser, "vrd"));
    AnsiString value;
    EXPECT_FALSE(RegReadString(TRegistryRoot::ClassesRoot, "vrd\\Shell", "", value));  // a key without value

    // Writing the same value again leaves the file as it is; reading it back and writing a
    // change touches only that value's line.
    RegWriteDefaultValue(TRegistryRoot::ClassesRoot, "vrd", "Файл результатов");
    EXPECT_EQ(ReadFileBytes(home / kRegistryFile), expected);
    RegWriteDefaultValue(TRegistryRoot::ClassesRoot, ".vrd", "vrd");
    std::string changed = expected;
    changed.replace(changed.find("vrd2"), 4, "vrd");
    EXPECT_EQ(ReadFileBytes(home / kRegistryFile), changed);
}

TEST(RegistryFile, KeepsWhatItDoesNotWriteItself) {
    TScratchHome home;
    ASSERT_TRUE(ForceDirectories(home / ".config\\vornsetup"));
    // Written by hand on Windows: CR LF, a comment, named values, binary data over two lines.
    WriteFileBytes(home / kRegistryFile,
                   "REGEDIT4\r\n\r\n; mine\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tool]\r\n"
                   "\"Path\" = \"D:\\\\Tools\"\r\n\"Count\"=dword:00000002\r\n"
                   "\"Blob\"=hex:01,02,\\\r\n  03\r\n@=\"default\"\r\n");
    EXPECT_EQ(Read(TRegistryRoot::LocalMachine, "\\Software\\tool", "PATH"), "D:\\Tools");
    AnsiString value;
    EXPECT_FALSE(RegReadString(TRegistryRoot::LocalMachine, "SOFTWARE\\Tool", "Count", value));  // not text
    RegWriteDefaultValue(TRegistryRoot::ClassesRoot, ".x", "x");
    EXPECT_EQ(ReadFileBytes(home / kRegistryFile),
              std::string(kHeader) +
                  "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tool]\n@=\"default\"\n\"Path\"=\"D:\\\\Tools\"\n"
                  "\"Count\"=dword:00000002\n\"Blob\"=hex:01,02,03\n"
                  "\n[HKEY_CLASSES_ROOT\\.x]\n@=\"x\"\n");
}

TEST(RegistryFile, DamagedFileIsAnErrorAndStaysAsItIs) {
    struct Case {
        const char* text;
        const char* message;
    } cases[] = {
        {"", "line 1 is not \"REGEDIT4\""},
        {"Windows Registry Editor Version 5.00\n", "line 1 is not \"REGEDIT4\""},
        {"REGEDIT4\n@=\"x\"\n", "line 2 sets a value before any key"},
        {"REGEDIT4\n[HKEY_CLASSES_ROOT\\.a\n", "line 2 opens a key without closing it"},
        {"REGEDIT4\n[HKEY_USERS\\.a]\n", "line 2 names a root other than"},
        {"REGEDIT4\n[HKEY_CLASSES_ROOT\\a\\\\b]\n", "line 2 names a key with an empty part"},
        {"REGEDIT4\n[-HKEY_CLASSES_ROOT\\a]\n", "line 2 deletes a key"},
        {"REGEDIT4\n[HKEY_CLASSES_ROOT\\a]\n@=\"C:\\x\"\n", "line 3 has a backslash that escapes neither"},
        {"REGEDIT4\n[HKEY_CLASSES_ROOT\\a]\n@=\"open\n", "line 3 has a quoted text without its closing quote"},
        {"REGEDIT4\n[HKEY_CLASSES_ROOT\\a]\n@=\"a\" b\n", "line 3 has text after the closing quote"},
        {"REGEDIT4\n[HKEY_CLASSES_ROOT\\a]\n\"n\"\n", "line 3 has no \"=\""},
        {"REGEDIT4\n[HKEY_CLASSES_ROOT\\a]\n\"n\"=-\n", "line 3 deletes a value"},
        {"REGEDIT4\n[HKEY_CLASSES_ROOT\\a]\n\"n\"=hex:01,\\\n", "line 3 ends inside binary data"},
        {"REGEDIT4\n[HKEY_CLASSES_ROOT\\a]\n@=\"\xC0\xE1\"\n", "line 3 is not UTF-8 text"},
        {"REGEDIT4\n[HKEY_CLASSES_ROOT\\a]\nvalue=1\n", "line 3 is not a key, a value or a comment"},
    };
    for (const auto& c : cases) {
        TScratchHome home;
        ASSERT_TRUE(ForceDirectories(home / ".config\\vornsetup"));
        WriteFileBytes(home / kRegistryFile, c.text);
        AnsiString value;
        for (int step = 0; step < 3; ++step) {
            try {
                if (step == 0) RegKeyExists(TRegistryRoot::ClassesRoot, "a");
                if (step == 1) RegReadString(TRegistryRoot::ClassesRoot, "a", "", value);
                if (step == 2) RegWriteDefaultValue(TRegistryRoot::ClassesRoot, "a", "new");
                ADD_FAILURE() << "no error for " << c.text << " in step " << step;
            } catch (const ERegistryException& e) {
                EXPECT_NE(e.Message.find("The registry file \"" + home / kRegistryFile + "\" cannot be read: "),
                          AnsiString::npos)
                    << e.Message;
                EXPECT_NE(e.Message.find(c.message), AnsiString::npos) << e.Message;
            }
        }
        EXPECT_EQ(ReadFileBytes(home / kRegistryFile), c.text);
    }
}

TEST(RegistryFile, ValuesItCannotHoldAreRefused) {
    TScratchHome home;
    RegWriteDefaultValue(TRegistryRoot::ClassesRoot, "a", "old");
    const std::string before = ReadFileBytes(home / kRegistryFile);
    EXPECT_THROW(RegWriteDefaultValue(TRegistryRoot::ClassesRoot, "a", "two\r\nlines"), ERegistryException);
    EXPECT_THROW(RegWriteDefaultValue(TRegistryRoot::ClassesRoot, "a", AnsiString("nul\0", 4)), ERegistryException);
    EXPECT_THROW(RegWriteDefaultValue(TRegistryRoot::ClassesRoot, "a\\\\b", "x"), ERegistryException);
    EXPECT_EQ(ReadFileBytes(home / kRegistryFile), before);

    // A text that CP1251 cannot hold is an error when it is read, never a "?".
    WriteFileBytes(home / kRegistryFile, "REGEDIT4\n[HKEY_CLASSES_ROOT\\a]\n@=\"\xE6\x97\xA5\"\n");
    AnsiString value;
    EXPECT_THROW(RegReadString(TRegistryRoot::ClassesRoot, "a", "", value), ERegistryException);
}

TEST(RegistryFile, FailedOrInterruptedWriteLeavesTheOldFile) {
    TScratchHome home;
    FaultGuard guard;
    RegWriteDefaultValue(TRegistryRoot::ClassesRoot, ".a", "old");
    const std::string before = ReadFileBytes(home / kRegistryFile);
    const AnsiString file = home / kRegistryFile;
    auto entries = [&] { return FindFiles(home / ".config\\vornsetup\\*").size(); };

    // A full disk, and a rename that fails: an error, the old file, no temporary file left.
    for (TFaultOp op : {TFaultOp::Create, TFaultOp::Write, TFaultOp::Move}) {
        Faults::Set([&](TFaultOp o, const AnsiString& path) { return o == op && path == file; });
        EXPECT_THROW(RegWriteDefaultValue(TRegistryRoot::ClassesRoot, ".a", "new"), ERegistryException);
        Faults::Clear();
        EXPECT_EQ(ReadFileBytes(file), before);
        EXPECT_EQ(entries(), 1u);
    }

    // The process dies between writing the temporary file and renaming it.
    EXPECT_EXIT(
        {
            Faults::Set([&](TFaultOp o, const AnsiString& path) {
                if (o == TFaultOp::Move && path == file) ::_exit(3);
                return false;
            });
            RegWriteDefaultValue(TRegistryRoot::ClassesRoot, ".a", "new");
        },
        ::testing::ExitedWithCode(3), "");
    EXPECT_EQ(ReadFileBytes(file), before);
    EXPECT_EQ(entries(), 2u);  // the dead process's temporary file, fully written
    EXPECT_EQ(Read(TRegistryRoot::ClassesRoot, ".a", ""), "old");
    RegWriteDefaultValue(TRegistryRoot::ClassesRoot, ".a", "new");
    EXPECT_EQ(Read(TRegistryRoot::ClassesRoot, ".a", ""), "new");
}

TEST(RegistryFile, LivesInTheXdgConfigFolder) {
    TScratchHome home;
    ASSERT_TRUE(ForceDirectories(home / "cfg"));
    ::setenv("XDG_CONFIG_HOME", (home.Host() + "/cfg").c_str(), 1);
    RegWriteDefaultValue(TRegistryRoot::ClassesRoot, ".a", "a");
    EXPECT_TRUE(FileExists(home / "cfg\\vornsetup\\registry.reg"));
    EXPECT_FALSE(FileExists(home / kRegistryFile));
    // A relative XDG value is ignored, as the XDG rules say.
    ::setenv("XDG_CONFIG_HOME", "cfg", 1);
    RegWriteDefaultValue(TRegistryRoot::ClassesRoot, ".b", "b");
    EXPECT_TRUE(FileExists(home / kRegistryFile));

    ::unsetenv("XDG_CONFIG_HOME");
    ::unsetenv("HOME");
    EXPECT_THROW(RegWriteDefaultValue(TRegistryRoot::ClassesRoot, ".a", "a"), ERegistryException);
    EXPECT_FALSE(RegKeyExists(TRegistryRoot::ClassesRoot, ".a"));
}

TEST(RegistryCounterparts, ProgramFilesFolderUnderHome) {
    TScratchHome home;
    const AnsiString key = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
    EXPECT_FALSE(FileExists(home / kRegistryFile));
    EXPECT_TRUE(RegKeyExists(TRegistryRoot::LocalMachine, key));
    EXPECT_TRUE(RegKeyExists(TRegistryRoot::LocalMachine, "Software\\Microsoft"));
    EXPECT_FALSE(RegKeyExists(TRegistryRoot::LocalMachine, key + "\\Run"));
    EXPECT_FALSE(RegKeyExists(TRegistryRoot::ClassesRoot, key));
    EXPECT_EQ(Read(TRegistryRoot::LocalMachine, key, "ProgramFilesDir"), home / ".local\\opt");
    AnsiString value;
    EXPECT_FALSE(RegReadString(TRegistryRoot::LocalMachine, key, "CommonFilesDir", value));

    // The file's own value wins.
    ASSERT_TRUE(ForceDirectories(home / ".config\\vornsetup"));
    WriteFileBytes(home / kRegistryFile,
                   "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]\n"
                   "\"ProgramFilesDir\"=\"\\\\opt\\\\\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB3\"\n");
    EXPECT_EQ(Read(TRegistryRoot::LocalMachine, key, "programfilesdir"), "\\opt\\Прог");

    ::unsetenv("HOME");
    ::setenv("XDG_CONFIG_HOME", (home.Host() + "/.config").c_str(), 1);
    EXPECT_EQ(Read(TRegistryRoot::LocalMachine, key, "ProgramFilesDir"), "\\opt\\Прог");
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_FALSE(RegKeyExists(TRegistryRoot::LocalMachine, key));
    EXPECT_FALSE(RegReadString(TRegistryRoot::LocalMachine, key, "ProgramFilesDir", value));
}

#else  // _WIN32

#include "platform/os/win32/WinApi.h"

TEST(Registry, ProgramFilesFolderOfWindows) {
    const AnsiString key = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
    ASSERT_TRUE(RegKeyExists(TRegistryRoot::LocalMachine, key));
    EXPECT_FALSE(RegKeyExists(TRegistryRoot::LocalMachine, key + "\\NoSuchKeyHere"));
    AnsiString value;
    ASSERT_TRUE(RegReadString(TRegistryRoot::LocalMachine, key, "ProgramFilesDir", value));
    EXPECT_TRUE(DirectoryExists(value)) << value;
    EXPECT_FALSE(RegReadString(TRegistryRoot::LocalMachine, key, "NoSuchValueHere", value));
}

TEST(Registry, DefaultValuesUnderClassesRoot) {
    const AnsiString ext = "vornsetuptest" + IntToStr(static_cast<int64_t>(GetCurrentProcessId()));
    struct Cleanup {
        AnsiString Key;
        ~Cleanup() {
            RegDeleteTreeW(HKEY_CLASSES_ROOT, WinText::Wide(Key).c_str());
            RegDeleteTreeW(HKEY_CLASSES_ROOT, WinText::Wide("." + Key).c_str());
        }
    } cleanup{ext};
    EXPECT_FALSE(RegKeyExists(TRegistryRoot::ClassesRoot, ext));
    RegWriteDefaultValue(TRegistryRoot::ClassesRoot, "." + ext, ext);
    RegWriteDefaultValue(TRegistryRoot::ClassesRoot, ext + "\\Shell\\Open\\command",
                         "\"C:\\Программы\\xr.exe\" \"%1\"");
    AnsiString value;
    ASSERT_TRUE(RegReadString(TRegistryRoot::ClassesRoot, "." + ext, "", value));
    EXPECT_EQ(value, ext);
    ASSERT_TRUE(RegReadString(TRegistryRoot::ClassesRoot, UpperCase(ext) + "\\shell\\open\\Command", "", value));
    EXPECT_EQ(value, "\"C:\\Программы\\xr.exe\" \"%1\"");
    EXPECT_TRUE(RegKeyExists(TRegistryRoot::ClassesRoot, ext + "\\Shell"));
    EXPECT_FALSE(RegReadString(TRegistryRoot::ClassesRoot, ext + "\\Shell", "", value));
    EXPECT_THROW(RegWriteDefaultValue(TRegistryRoot::ClassesRoot, ext, AnsiString("a\0b", 3)), ERegistryException);
}

#endif

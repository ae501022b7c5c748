// The file system layer, on both backends.
#include "platform/os/FileStream.h"
#include "platform/os/FileSystem.h"
#include "platform/os/HeldFile.h"
#include "platform/rtl/SysUtils.h"
#include "tests/common/HostTools.h"
#include "tests/common/TestPaths.h"

#include <algorithm>
#include <gtest/gtest.h>

TEST(FileSystem, FilesAreNotFoldersAndFoldersAreNotFiles) {
    TScratchDir dir;
    WriteFileBytes(dir / "f.txt", "x");
    EXPECT_TRUE(FileExists(dir / "f.txt"));
    EXPECT_FALSE(DirectoryExists(dir / "f.txt"));
    EXPECT_TRUE(DirectoryExists(dir.Path()));
    EXPECT_FALSE(FileExists(dir.Path()));
    EXPECT_FALSE(FileExists(dir / "missing"));
    EXPECT_EQ(FileGetAttr(dir / "missing"), -1);
    EXPECT_TRUE(FileGetAttr(dir.Path()) & faDirectory);
}

TEST(FileSystem, FoldersWithParentsAndRemoval) {
    TScratchDir dir;
    EXPECT_TRUE(ForceDirectories(dir / "a\\b\\Каталог\\"));
    EXPECT_TRUE(DirectoryExists(dir / "a\\b\\Каталог"));
    EXPECT_FALSE(CreateDir(dir / "a"));  // exists
    EXPECT_FALSE(RemoveDir(dir / "a"));  // not empty
    EXPECT_TRUE(RemoveDir(dir / "a\\b\\Каталог"));
    WriteFileBytes(dir / "file", "");
    EXPECT_FALSE(ForceDirectories(dir / "file\\sub"));
}

TEST(FileSystem, ReadOnlyFilesAreNotDeletedOrOverwritten) {
    TScratchDir dir;
    const AnsiString f = dir / "ro.txt";
    WriteFileBytes(f, "old");
    ASSERT_TRUE(FileSetAttr(f, FileGetAttr(f) | faReadOnly));
    EXPECT_TRUE(FileGetAttr(f) & faReadOnly);
    EXPECT_FALSE(DeleteFile(f));
    EXPECT_THROW(TFileStream(f, fmCreate), EFCreateError);
    EXPECT_EQ(ReadFileBytes(f), "old");
    ASSERT_TRUE(FileSetAttr(f, FileGetAttr(f) & ~faReadOnly));
    EXPECT_TRUE(DeleteFile(f));
    EXPECT_FALSE(FileExists(f));
}

// What a running program's hold on its file keeps others from (Wine enforces the sharing
// mode across handles and processes as Windows does; on Linux the faults stand for it).
TEST(FileSystem, AFileHeldOpenIsReadButNotDeletedMovedOrReplacedUntilReleased) {
    TScratchDir dir;
    const AnsiString f = dir / "held.dll";
    WriteFileBytes(f, "old");
    WriteFileBytes(dir / "new.dll", "new");
    THeldFile held(f);
    EXPECT_FALSE(DeleteFile(f));
    EXPECT_FALSE(MoveFile(f, dir / "moved.dll"));
    EXPECT_FALSE(CopyFile(dir / "new.dll", f, false));
    EXPECT_THROW(TFileStream(f, fmCreate), EFCreateError);
    EXPECT_EQ(ReadFileBytes(f), "old");
    EXPECT_TRUE(CopyFile(f, dir / "copy.dll", false));
    EXPECT_TRUE(FileSetAttr(f, FileGetAttr(f) & ~faReadOnly));
    held.Release();
    EXPECT_FALSE(held.Held());
    EXPECT_TRUE(DeleteFile(f));
    EXPECT_EQ(ReadFileBytes(dir / "copy.dll"), "old");
    EXPECT_THROW(THeldFile(dir / "missing.dll"), EFOpenError);
}

TEST(FileSystem, MoveNeverReplacesCopyKeepsTime) {
    TScratchDir dir;
    WriteFileBytes(dir / "a", "A");
    WriteFileBytes(dir / "b", "B");
    EXPECT_FALSE(MoveFile(dir / "a", dir / "b"));
    EXPECT_EQ(ReadFileBytes(dir / "b"), "B");
    EXPECT_TRUE(MoveFile(dir / "a", dir / "c"));
    EXPECT_FALSE(FileExists(dir / "a"));
    const int32_t dos = static_cast<int32_t>((30u << 25 | 6u << 21 | 15u << 16) | (8u << 11 | 0u << 5 | 10u));
    ASSERT_TRUE(FileSetDate(dir / "c", dos));
    EXPECT_EQ(FileAge(dir / "c"), dos);
    EXPECT_FALSE(CopyFile(dir / "c", dir / "b", true));
    EXPECT_TRUE(CopyFile(dir / "c", dir / "b", false));
    EXPECT_EQ(ReadFileBytes(dir / "b"), "A");
    EXPECT_EQ(FileAge(dir / "b"), dos);
    EXPECT_EQ(FileSizeOf(dir / "b"), 1);
    EXPECT_TRUE(ReplaceFile(dir / "b", dir / "c"));
    EXPECT_FALSE(FileExists(dir / "b"));
}

TEST(FileSystem, EnumerationListsNamesWithAttributes) {
    TScratchDir dir;
    WriteFileBytes(dir / "один.txt", "1");
    WriteFileBytes(dir / "two.dat", "22");
    ForceDirectories(dir / "sub");
    auto all = FindFiles(dir / "*.*");
    std::vector<AnsiString> names;
    for (const auto& r : all) names.push_back(r.Name);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<AnsiString>{"sub", "two.dat", "один.txt"}));
    for (const auto& r : all) {
        if (r.Name == "sub") { EXPECT_TRUE(r.Attr & faDirectory); }
        if (r.Name == "two.dat") { EXPECT_EQ(r.Size, 2); }
    }
    auto txt = FindFiles(dir / "*.txt");
    ASSERT_EQ(txt.size(), 1u);
    EXPECT_EQ(txt[0].Name, "один.txt");
}

// The full listing accounts for every entry: what FindFiles leaves out comes back as unusable,
// with its reason, and a folder that cannot be read is an error, not an empty folder.
TEST(FileSystem, FullListingNamesWhatCannotBeUsed) {
    TScratchDir dir;
    WriteFileBytes(dir / "один.txt", "1");
    ForceDirectories(dir / "sub");
    std::vector<TUnusableEntry> expected;
#ifndef _WIN32
    ASSERT_EQ(RunHost("cd " + ShellQuote(HostPath(dir.Path())) +
                      " && touch 'x\xE4\xB8\xADy' && mkfifo pipe && ln -s nowhere broken"),
              0);
    expected = {{"broken", urCannotExamine}, {"pipe", urNotFileOrFolder}, {"x_y", urNameNotRepresentable}};
#endif
    std::vector<TSearchRec> entries;
    std::vector<TUnusableEntry> unusable;
    ASSERT_TRUE(ListFolder(dir.Path(), entries, unusable));
    std::vector<AnsiString> names;
    for (const auto& r : entries) names.push_back(r.Name + ((r.Attr & faDirectory) ? "\\" : ""));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<AnsiString>{"sub\\", "один.txt"}));
    std::sort(unusable.begin(), unusable.end(), [](const auto& a, const auto& b) { return a.Name < b.Name; });
    ASSERT_EQ(unusable.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(unusable[i].Name, expected[i].Name);
        EXPECT_EQ(unusable[i].Reason, expected[i].Reason) << expected[i].Name;
    }
    EXPECT_FALSE(ListFolder(dir / "missing", entries, unusable));
    EXPECT_FALSE(ListFolder(dir / "один.txt", entries, unusable));
}

TEST(FileStream, OpenErrorsNameThePath) {
    TScratchDir dir;
    try {
        TFileStream f(dir / "нет.zip", fmOpenRead | fmShareDenyWrite);
        FAIL() << "opened a missing file";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message.rfind("Cannot open file \"" + (dir / "нет.zip") + "\". ", 0), 0u) << e.Message;
        EXPECT_GT(e.Message.size(), ("Cannot open file \"" + (dir / "нет.zip") + "\". ").size());
    }
    EXPECT_THROW(TFileStream(dir / "no\\such\\folder.txt", fmCreate), EFCreateError);
}

TEST(FileStream, ReadWriteSeekAndTime) {
    TScratchDir dir;
    {
        TFileStream f(dir / "s.bin", fmCreate);
        EXPECT_EQ(f.Write("hello world", 11), 11);
        EXPECT_EQ(f.Seek(-5, soFromEnd), 6);
        char buf[5];
        EXPECT_EQ(f.Read(buf, 5), 5);
        EXPECT_EQ(std::string(buf, 5), "world");
        EXPECT_EQ(f.GetSize(), 11);
        EXPECT_GT(f.LastWriteTime(), 40000.0);  // some time after 2009
        f.Close();
    }
    EXPECT_NEAR(FileLastWriteTime(dir / "s.bin"), TFileStream(dir / "s.bin", fmOpenRead).LastWriteTime(), 1e-9);
}

TEST(FileSystem, ProgramAndCurrentFolder) {
    const AnsiString self = GetModuleFileName();
    EXPECT_TRUE(FileExists(self)) << self;
    EXPECT_TRUE(DirectoryExists(GetCurrentDir()));
    EXPECT_FALSE(GetSystemDir().empty());
}

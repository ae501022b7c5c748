// The rollback journal with real files: replaced files come back byte for byte with their
// time and attributes, made files go, copies go after success, and a copy that cannot go
// back is never thrown away.
#include "install/Rollback.h"

#include "install/PlacementRules.h"
#include "platform/os/FileSystem.h"
#include "tests/common/TestPaths.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include "platform/os/posix/Faults.h"
#endif

namespace {

// An old file as an earlier installation left it: a known time and, if asked, read-only.
void WriteOldFile(const AnsiString& path, const std::string& bytes, int32_t dosTime, bool readOnly) {
    WriteFileBytes(path, bytes);
    ASSERT_TRUE(FileSetDate(path, dosTime));
    if (readOnly) {
        ASSERT_TRUE(FileSetAttr(path, FileGetAttr(path) | faReadOnly));
    }
}

// What the run does to a file: keeps a copy, deletes it, puts its own in place.
void ReplaceAsTheRunDoes(TRollback& rollback, const AnsiString& path, const std::string& bytes) {
    ASSERT_TRUE(rollback.KeepCopy(path));
    ClearReadOnly(path);
    ASSERT_TRUE(DeleteFile(path));
    WriteFileBytes(path, bytes);
    rollback.Created(path);
}

constexpr int32_t kOldTime = (32 << 25) | (6 << 21) | (15 << 16) | (9 << 11) | (30 << 5) | 10;  // 2012-06-15 09:30:20

}  // namespace

TEST(Rollback, UndoPutsReplacedFilesBackWithTimeAndAttributesAndDeletesMadeOnes) {
    TScratchDir dir;
    const AnsiString a = dir / "a.txt", b = dir / "sub\\b.dll", fresh = dir / "new.txt";
    ForceDirectories(dir / "sub");
    WriteOldFile(a, "old a", kOldTime, false);
    WriteOldFile(b, std::string("old\0b", 5), kOldTime, true);
    const TDateTime timeA = FileLastWriteTime(a);

    TRollback rollback(TRollback::FreeBackupFolder(dir.Path()));
    ReplaceAsTheRunDoes(rollback, a, "new a");
    ReplaceAsTheRunDoes(rollback, b, "new b");
    // Placed twice in one run: the copy is still of the file from before the run.
    ReplaceAsTheRunDoes(rollback, a, "newer a");
    ASSERT_TRUE(rollback.KeepCopy(fresh));
    WriteFileBytes(fresh, "made");
    FileSetAttr(fresh, FileGetAttr(fresh) | faReadOnly);
    rollback.Created(fresh);
    EXPECT_EQ(rollback.CopiesHeld(), 2);

    rollback.Undo();
    EXPECT_EQ(ReadFileBytes(a), "old a");
    EXPECT_EQ(FileAge(a), kOldTime);
    EXPECT_EQ(FileLastWriteTime(a), timeA);
    EXPECT_EQ(ReadFileBytes(b), std::string("old\0b", 5));
    EXPECT_EQ(FileAge(b), kOldTime);
    EXPECT_NE(FileGetAttr(b) & faReadOnly, 0);
    EXPECT_FALSE(FileExists(fresh)) << "a read-only file the run made goes as well";
    EXPECT_FALSE(DirectoryExists(rollback.BackupFolder()));
    EXPECT_EQ(rollback.CopiesHeld(), 0);
}

TEST(Rollback, CommitRemovesTheCopiesAndKeepsTheNewFiles) {
    TScratchDir dir;
    const AnsiString a = dir / "a.txt";
    WriteOldFile(a, "old", kOldTime, true);
    TRollback rollback(TRollback::FreeBackupFolder(dir.Path()));
    ReplaceAsTheRunDoes(rollback, a, "new");
    ASSERT_TRUE(DirectoryExists(rollback.BackupFolder()));
    rollback.Commit();
    EXPECT_EQ(ReadFileBytes(a), "new");
    EXPECT_FALSE(DirectoryExists(rollback.BackupFolder())) << "read-only copies are removed too";
}

TEST(Rollback, ReleaseAndRestoreNowLeaveTheOldFileInPlace) {
    TScratchDir dir;
    const AnsiString kept = dir / "kept.txt", lost = dir / "lost.txt";
    WriteOldFile(kept, "kept", kOldTime, false);
    WriteOldFile(lost, "lost", kOldTime, false);
    TRollback rollback(TRollback::FreeBackupFolder(dir.Path()));
    // The user gave up replacing the first; the second was deleted and the move then failed.
    ASSERT_TRUE(rollback.KeepCopy(kept));
    rollback.Release(kept);
    ASSERT_TRUE(rollback.KeepCopy(lost));
    ASSERT_TRUE(DeleteFile(lost));
    EXPECT_TRUE(rollback.RestoreNow(lost));
    EXPECT_EQ(ReadFileBytes(lost), "lost");
    EXPECT_EQ(FileAge(lost), kOldTime);
    EXPECT_EQ(rollback.CopiesHeld(), 0);

    rollback.Undo();
    EXPECT_EQ(ReadFileBytes(kept), "kept");
    EXPECT_EQ(ReadFileBytes(lost), "lost");
}

TEST(Rollback, FreeBackupFolderNeverReusesOneLeftBehind) {
    TScratchDir dir;
    const AnsiString first = TRollback::FreeBackupFolder(dir.Path());
    ASSERT_TRUE(ForceDirectories(first));
    WriteFileBytes(first + "\\1", "the only copy of a file a crashed run replaced");
    const AnsiString second = TRollback::FreeBackupFolder(dir.Path());
    EXPECT_NE(second, first);
    EXPECT_EQ(ExtractFilePath(second), ExtractFilePath(first));

    const AnsiString a = dir / "a.txt";
    WriteOldFile(a, "old", kOldTime, false);
    TRollback rollback(second);
    ReplaceAsTheRunDoes(rollback, a, "new");
    rollback.Commit();
    EXPECT_EQ(ReadFileBytes(first + "\\1"), "the only copy of a file a crashed run replaced");
}

#ifndef _WIN32
TEST(Rollback, ACopyThatCannotGoBackStaysWithItsFolder) {
    TScratchDir dir;
    const AnsiString a = dir / "a.txt";
    WriteOldFile(a, "old", kOldTime, false);
    TRollback rollback(TRollback::FreeBackupFolder(dir.Path()));
    ReplaceAsTheRunDoes(rollback, a, "new");
    // The new file is locked while the run is undone: the old one cannot take its place.
    Faults::Set([&](TFaultOp op, const AnsiString& path) { return op == TFaultOp::Delete && path == a; });
    rollback.Undo();
    Faults::Clear();
    EXPECT_EQ(ReadFileBytes(a), "new");
    EXPECT_EQ(rollback.CopiesHeld(), 1);
    const std::vector<TSearchRec> copies = FindFiles(rollback.BackupFolder() + "\\*");
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(ReadFileBytes(rollback.BackupFolder() + "\\" + copies[0].Name), "old");
}

TEST(Rollback, NoCopyNoDeletion) {
    TScratchDir dir;
    const AnsiString a = dir / "a.txt";
    WriteOldFile(a, "old", kOldTime, false);
    TRollback rollback(TRollback::FreeBackupFolder(dir.Path()));
    Faults::Set([](TFaultOp op, const AnsiString&) { return op == TFaultOp::Copy; });
    EXPECT_FALSE(rollback.KeepCopy(a));
    Faults::Clear();
    EXPECT_EQ(rollback.CopiesHeld(), 0);
    EXPECT_TRUE(FindFiles(rollback.BackupFolder() + "\\*").empty()) << "no part of a copy is left";
}
#endif

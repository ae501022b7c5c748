// File placement through the run: excluded folders, system entries, keep-files, read-only
// targets and targets held open by another program with the retry message, new folders, the
// setup program's copy, names that would leave the target folder.
#include "tests/install/RunFixture.h"

#include "platform/os/HeldFile.h"
#include "platform/rtl/SysUtils.h"


TEST_F(RunTest, ExcludedTopLevelFoldersAtAnyDepthButNotASecondLevelOfTheSameName) {
    ExcludedNames->Add("ПРИМЕРЫ");
    ExcludedNames->Add("SAMPLES");
    WriteVolume(1, {Entry("Примеры/a.txt", "x"), Entry("samples/deep/er/b.txt", "x"), Entry("docs/samples/c.txt", "c"),
                    Entry("docs/Примеры/d.txt", "d"), Entry("e.txt", "e")});
    EXPECT_EQ(Run(), ExitInstalled);
    EXPECT_EQ(Tree(PackageDescription.InstallDir),
              (std::vector<AnsiString>{"LIB\\", "UNINST\\", "UNINST\\vornforzat1_0.log", "docs\\", "docs\\samples\\",
                                       "docs\\samples\\c.txt", "docs\\Примеры\\", "docs\\Примеры\\d.txt", "e.txt"}));
}

TEST_F(RunTest, SystemEntriesReplaceOnlyAnOlderFileAndAreNeverLogged) {
    const TPackageDescription& p = PackageDescription;
    const uint32_t entryTime = ZipFixture::DosTime(2012, 3, 5, 10, 20, 30);
    struct Case {
        const char* name;
        uint32_t installed;  // 0: none
        bool replaced;
    } const cases[] = {
        {"none.dll", 0, true},
        {"older.dll", ZipFixture::DosTime(2012, 3, 5, 10, 20, 28), true},
        {"equal.dll", entryTime, false},
        {"newer.dll", ZipFixture::DosTime(2012, 3, 5, 10, 20, 32), false},
    };
    std::vector<ZipFixture::TFixtureEntry> entries;
    for (const Case& c : cases) {
        if (c.installed) {
            WriteFileBytes(p.SystemDir + "\\" + c.name, "installed");
            ASSERT_TRUE(FileSetDate(p.SystemDir + "\\" + c.name, static_cast<int32_t>(c.installed)));
        }
        entries.push_back(Entry(std::string("SYSTEM/") + c.name, "package"));
    }
    entries.push_back(Entry("System/sub/lower.dll", "package"));
    entries.push_back(Entry("a.txt", "a"));
    WriteVolume(1, entries);
    EXPECT_EQ(Run(), ExitInstalled);
    for (const Case& c : cases)
        EXPECT_EQ(ReadFileBytes(p.SystemDir + "\\" + c.name), c.replaced ? "package" : "installed") << c.name;
    EXPECT_EQ(ReadFileBytes(p.SystemDir + "\\sub\\lower.dll"), "package");
    EXPECT_EQ(ReadFileBytes(LogPath()), FirstLogLine() + "\r\n" + Target("a.txt") + "\r\n");
}

TEST_F(RunTest, KeepFilesAndAReadOnlyTargetReplacedWithoutAQuestion) {
    PackageDescription.KeepFiles.Add("CONF\\Настройки.INI");
    PackageDescription.KeepFiles.Add("new.ini");
    ForceDirectories(Target("conf"));
    WriteFileBytes(Target("conf\\настройки.ini"), "the user's");
    WriteFileBytes(Target("locked.dll"), "old");
    ASSERT_TRUE(FileSetAttr(Target("locked.dll"), FileGetAttr(Target("locked.dll")) | faReadOnly));
    WriteVolume(1, {Entry("conf/настройки.ini", "package"), Entry("new.ini", "default"), Entry("locked.dll", "new")});
    Settings.FinalMessage = false;
    EXPECT_EQ(Run(), ExitInstalled);
    EXPECT_TRUE(Driver->Boxes.empty());
    EXPECT_EQ(ReadFileBytes(Target("conf\\настройки.ini")), "the user's");
    EXPECT_EQ(ReadFileBytes(Target("new.ini")), "default");
    EXPECT_EQ(ReadFileBytes(Target("locked.dll")), "new");
    EXPECT_EQ(ReadFileBytes(LogPath()), FirstLogLine() + "\r\n" + Target("conf\\настройки.ini") + "\r\n" +
                                            Target("new.ini") + "\r\n" + Target("locked.dll") + "\r\n");
}

TEST_F(RunTest, NewFoldersAreRecordedOnceUpperCasedAndOnlyTheDeepestOne) {
    WriteVolume(1, {Entry("new/a.txt", "a"), Entry("new/b.txt", "b"), Entry("A/B/c.txt", "c"), Entry("lib/d.txt", "d")});
    EXPECT_EQ(Run(), ExitInstalled);
    const TPackageDescription& p = PackageDescription;
    ASSERT_EQ(p.CreateDirs.Count, 3);
    EXPECT_EQ(p.CreateDirs[0], p.InstallDir + "\\LIB");
    EXPECT_EQ(p.CreateDirs[1], UpperCase(p.InstallDir + "\\new"));
    EXPECT_EQ(p.CreateDirs[2], UpperCase(p.InstallDir + "\\A\\B"));
}

TEST_F(RunTest, TheSetupProgramsCopyIsPlacedLast) {
    const AnsiString module = PackageDescription.StartDir + "\\setup.exe";
    WriteFileBytes(module, "MZ setup");
    ASSERT_TRUE(FileSetAttr(module, FileGetAttr(module) | faReadOnly));
    StartupServices().ModuleFileName = [module] { return module; };
    PackageDescription.SelfCopyName = "setup.exe";
    WriteVolume(1, {Entry("a.txt", "a")});
    EXPECT_EQ(Run(), ExitInstalled);
    EXPECT_EQ(ReadFileBytes(Target("setup.exe")), "MZ setup");
    EXPECT_EQ(FileGetAttr(Target("setup.exe")) & faReadOnly, 0);
    EXPECT_EQ(ReadFileBytes(LogPath()), FirstLogLine() + "\r\n" + Target("a.txt") + "\r\n" + Target("setup.exe") + "\r\n");
}

TEST_F(RunTest, ANameThatWouldLeaveTheTargetFolderIsNeverWritten) {
    PackageDescription.SelfCopyName = "..\\outside.exe";
    WriteVolume(1, {Entry("a.txt", "a")});
    EXPECT_EQ(Run(), ExitInstalledWithProblems);
    EXPECT_FALSE(FileExists(Dir / "outside.exe"));
    EXPECT_FALSE(FileExists(Dir / "XR4\\TEMP\\..\\outside.exe"));
    ASSERT_EQ(Driver->Boxes.size(), 1u);
    EXPECT_NE(Driver->Boxes[0].Text.find("\"" + Target("..\\outside.exe") + "\""), AnsiString::npos);
}

namespace {

AnsiString RetryText(const AnsiString& path) {
    return "Ошибка при обновлении файла \"" + path +
           "\". Возможно, прежняя версия файла используется в одном из работающих приложений. Закройте все "
           "приложения, кроме программы установки VORN for Zat, и повторите попытку обновления, нажав кнопку "
           "\"Повтор\".\r\nПри повторном возникновении ошибки нажмите кнопку \"Далее\".";
}

}  // namespace

TEST_F(RunTest, ATargetHeldOpenAsksToRetryAndGivingUpKeepsTheOldFile) {
    WriteFileBytes(Target("busy.dll"), "old busy");
    WriteFileBytes(Target("freed.dll"), "old freed");
    WriteVolume(1, {Entry("busy.dll", "new busy"), Entry("freed.dll", "new freed"), Entry("z.txt", "z")});
    // Another program holds both files; it closes freed.dll while the first retry message
    // for it is up, and keeps busy.dll open to the end.
    THeldFile busy(Target("busy.dll"));
    THeldFile freed(Target("freed.dll"));
    ASSERT_FALSE(DeleteFile(Target("busy.dll"))) << "the hold does not keep the file from being deleted here";
    Driver->AnswerBoxes({mrRetry, mrIgnore});
    Driver->AnswerBox(mrRetry, [&] { freed.Release(); });
    EXPECT_EQ(Run(), ExitInstalledWithProblems);
    busy.Release();

    ASSERT_EQ(Driver->Boxes.size(), 4u);
    EXPECT_EQ(Driver->Boxes[0].Text, RetryText(Target("busy.dll")));
    EXPECT_EQ(Driver->Boxes[0].Caption, "Предупреждение");
    EXPECT_EQ(Driver->Boxes[0].Buttons, mbRetry | mbIgnore);
    EXPECT_EQ(Driver->Boxes[1].Text, RetryText(Target("busy.dll")));
    EXPECT_EQ(Driver->Boxes[2].Text, RetryText(Target("freed.dll")));
    EXPECT_EQ(Driver->Boxes[3].Text,
              "Установка задачника VORN for Zat завершена.\r\nНе удалось обновить следующие файлы: \r\n\"" +
                  Target("busy.dll") +
                  "\".\r\nИз-за указанных проблем задачник VORN for Zat может работать не вполне корректно.\r\n"
                  "Рекомендуется перезагрузить компьютер и повторно выполнить установку задачника VORN for Zat.");
    EXPECT_EQ(ReadFileBytes(Target("busy.dll")), "old busy");
    EXPECT_EQ(ReadFileBytes(Target("freed.dll")), "new freed");
    EXPECT_EQ(ReadFileBytes(LogPath()), FirstLogLine() + "\r\n" + Target("freed.dll") + "\r\n" + Target("z.txt") + "\r\n");
    EXPECT_EQ(Tree(PackageDescription.InstallDir),
              (std::vector<AnsiString>{"LIB\\", "UNINST\\", "UNINST\\vornforzat1_0.log", "busy.dll", "freed.dll", "z.txt"}))
        << "no copy is left behind";
}

#ifndef _WIN32
TEST_F(RunTest, AMoveFailingAfterTheDeletionPutsTheOldFileBack) {
    WriteFileBytes(Target("a.dll"), "old");
    WriteVolume(1, {Entry("a.dll", "new")});
    Faults::Set([&](TFaultOp op, const AnsiString& path) {
        return op == TFaultOp::Move && path == Target("TEMP\\a.dll");
    });
    EXPECT_EQ(Run(), ExitInstalledWithProblems);
    Faults::Clear();
    EXPECT_EQ(ReadFileBytes(Target("a.dll")), "old");
}

TEST_F(RunTest, AFullDiskWhileWritingTheLogUndoesTheRunAndSaysSo) {
    ForceDirectories(Target("UNINST"));
    WriteFileBytes(LogPath(), "old|log|\r\n");
    WriteVolume(1, {Entry("a.txt", "a")});
    Faults::Set([&](TFaultOp op, const AnsiString& path) { return op == TFaultOp::Write && path.ends_with(".new"); });
    EXPECT_EQ(Run(), ExitRolledBack);
    Faults::Clear();
    ASSERT_EQ(Driver->Boxes.size(), 1u);
    EXPECT_TRUE(Driver->Boxes[0].Text.starts_with("Ошибка при записи файлов установки ("));
    EXPECT_EQ(ReadFileBytes(LogPath()), "old|log|\r\n");
    EXPECT_FALSE(FileExists(Target("a.txt")));
}
#endif

// The installation run end to end through the test driver, with real files: volumes, the
// progress bar, the completion signal, the error routine and its rollback, the log.
#include "tests/install/RunFixture.h"

#include "platform/rtl/SysUtils.h"

namespace {

const AnsiString kReadError2 =
    "Ошибка при чтении данных. Вероятно, испорчен файл setup.dat2.\r\nПродолжение установки невозможно.";

}  // namespace

TEST_F(RunTest, OneVolumeInstallsWritesTheLogAndEndsWithStatusZero) {
    AddShortcuts();
    WriteVolume(1, {Entry("docs/", ""), Entry("docs/readme.txt", "read me"), Entry("bin/tool.exe", "MZ tool"),
                    Entry("Задачи/Урок 1.vrd", "урок")});
    std::vector<int> positions;
    BeforeRun = [&](TInstF3& f) {
        auto shown = f.UnZipper1->OnTotalPercentDone;
        f.UnZipper1->OnTotalPercentDone = [&, shown](TUnZipper* s, int percent) {
            shown(s, percent);
            positions.push_back(f.ProgressBar1->Position());
        };
    };
    EXPECT_EQ(Run(), ExitInstalled);

    EXPECT_EQ(ReadFileBytes(Target("docs\\readme.txt")), "read me");
    EXPECT_EQ(ReadFileBytes(Target("Задачи\\Урок 1.vrd")), "урок");
    EXPECT_FALSE(DirectoryExists(Target("TEMP")));
    EXPECT_EQ(Tree(PackageDescription.InstallDir),
              (std::vector<AnsiString>{"LIB\\", "UNINST\\", "UNINST\\vornforzat1_0.log", "bin\\", "bin\\tool.exe", "docs\\",
                                       "docs\\readme.txt", "Задачи\\", "Задачи\\Урок 1.vrd"}));
    const AnsiString group = PackageDescription.ProgramsDir + "\\VORN for Zat\\Readme.lnk";
    const AnsiString desktop = PackageDescription.DesktopDir + "\\Tool.lnk";
    EXPECT_TRUE(FileExists(group));
    EXPECT_TRUE(FileExists(desktop));
    EXPECT_EQ(ReadFileBytes(LogPath()), FirstLogLine() + "\r\n" + Target("docs\\readme.txt") + "\r\n" +
                                            Target("bin\\tool.exe") + "\r\n" + Target("Задачи\\Урок 1.vrd") + "\r\n" +
                                            group + "\r\n" + desktop + "\r\n");
    ASSERT_FALSE(positions.empty());
    EXPECT_EQ(positions.back(), 100);
    EXPECT_EQ(InstF3->ProgressBar1->Max(), 100 + 3 * 5);
    EXPECT_EQ(InstF3->ProgressBar1->Position(), 115) << "every record handled, the missing target too";
    EXPECT_FALSE(InstF3->Visible());
    EXPECT_EQ(BoxTexts(), (std::vector<AnsiString>{
                              "Установка задачника VORN for Zat успешно завершена.\r\nЯрлыки задачника VORN for Zat "
                              "помещены в группу \"VORN for Zat\" раздела \"Программы\" меню \"Пуск\"."}));
    EXPECT_EQ(Driver->Boxes[0].Caption, "Информация");
    EXPECT_EQ(InstF3->Label1->Caption(), "Установка VORN for Zat");
}

TEST_F(RunTest, TwoVolumesRunTheBarFromZeroToTwoHundred) {
    PackageDescription.VolumeCount = 2;
    WriteVolume(1, {Entry("a.txt", std::string(3000, 'a')), Entry("b.txt", std::string(1000, 'b'))});
    WriteVolume(2, {Entry("c.txt", std::string(2000, 'c'))});
    std::vector<std::pair<int, int>> positions;  // volume, position
    BeforeRun = [&](TInstF3& f) {
        auto shown = f.UnZipper1->OnTotalPercentDone;
        f.UnZipper1->OnTotalPercentDone = [&, shown](TUnZipper* s, int percent) {
            shown(s, percent);
            positions.emplace_back(PackageDescription.CurrentVolume, f.ProgressBar1->Position());
        };
    };
    EXPECT_EQ(Run(), ExitInstalled);
    EXPECT_EQ(ReadFileBytes(Target("c.txt")), std::string(2000, 'c'));
    EXPECT_EQ(InstF3->ProgressBar1->Max(), 200);
    ASSERT_FALSE(positions.empty());
    for (const auto& [volume, position] : positions) {
        EXPECT_GE(position, (volume - 1) * 100);
        EXPECT_LE(position, volume * 100);
    }
    EXPECT_EQ(positions.back(), std::make_pair(2, 200));
    EXPECT_EQ(InstF3->UnZipper1->ZipName(), PackageDescription.StartDir + "\\setup.dat2");
}

TEST_F(RunTest, AMissingSecondVolumeUndoesTheFirstAndKeepsAnEmptyUninst) {
    PackageDescription.VolumeCount = 2;
    WriteVolume(1, {Entry("bin/a.txt", "a"), Entry("b.txt", "b")});
    int placedBeforeTheError = 0;
    BeforeRun = [&](TInstF3& f) {
        auto placed = f.UnZipper1->OnEndUnZip;
        f.UnZipper1->OnEndUnZip = [&, placed](TUnZipper* s, int index, const AnsiString& name) {
            placed(s, index, name);
            placedBeforeTheError += FileExists(Target(index == 0 ? "bin\\a.txt" : "b.txt"));
        };
    };
    EXPECT_EQ(Run(), ExitRolledBack);
    EXPECT_EQ(placedBeforeTheError, 2);
    EXPECT_EQ(BoxTexts(), std::vector<AnsiString>{kReadError2});
    EXPECT_EQ(Driver->Boxes[0].Caption, "Ошибка");
    EXPECT_EQ(Tree(PackageDescription.InstallDir), std::vector<AnsiString>{"UNINST\\"});
}

TEST_F(RunTest, TheLastEntryFailingItsCheckUndoesEverything) {
    ZipFixture::TFixtureEntry bad = Entry("z.txt", "zzz");
    bad.Crc = 0x12345678;
    WriteVolume(1, {Entry("a.txt", "a"), Entry("sub/b.txt", "b"), bad});
    EXPECT_EQ(Run(), ExitRolledBack);
    EXPECT_EQ(BoxTexts(), std::vector<AnsiString>{"Ошибка при чтении данных. Вероятно, испорчен файл setup.dat.\r\n"
                                                  "Продолжение установки невозможно."});
    EXPECT_EQ(Tree(PackageDescription.InstallDir), std::vector<AnsiString>{"UNINST\\"});
}

TEST_F(RunTest, AnUpgradeMeetingADamagedVolumeBringsBackEveryOldFile) {
    TPackageDescription& p = PackageDescription;
    p.VolumeCount = 2;
    p.KeepFiles.Add("settings.ini");
    p.UninstallExtraLines.Add("%InstallDir%\\user.cfg");
    AddShortcuts();
    // The earlier installation: files with their times, a read-only one, a keep-file, the
    // user's own file named by the log's extra line, and the old log.
    const int32_t oldTime = ZipFixture::DosTime(2010, 1, 2, 3, 4, 6);
    struct Old {
        const char* path;
        std::string bytes;
        bool readOnly;
    } const old[] = {{"docs\\readme.txt", "old readme", false},
                     {"bin\\tool.exe", "old tool", true},
                     {"settings.ini", "mine", false},
                     {"user.cfg", "user's", false},
                     {"UNINST\\vornforzat1_0.log", "old|log|\r\n", false}};
    for (const Old& o : old) {
        ForceDirectories(ExtractFileDir(Target(o.path)));
        WriteFileBytes(Target(o.path), o.bytes);
        ASSERT_TRUE(FileSetDate(Target(o.path), oldTime));
        if (o.readOnly) {
            ASSERT_TRUE(FileSetAttr(Target(o.path), FileGetAttr(Target(o.path)) | faReadOnly));
        }
    }
    ForceDirectories(p.ProgramsDir + p.GroupSubdir);
    WriteFileBytes(p.ProgramsDir + p.GroupSubdir + "\\Readme.lnk", "old link");
    WriteVolume(1, {Entry("docs/readme.txt", "new readme"), Entry("bin/tool.exe", "new tool"),
                    Entry("settings.ini", "package default"), Entry("new/fresh.txt", "fresh")});
    ZipFixture::TFixtureEntry bad = Entry("last.txt", "last");
    bad.Crc = 1;
    WriteVolume(2, {Entry("docs/more.txt", "more"), bad});

    EXPECT_EQ(Run(), ExitRolledBack);
    EXPECT_EQ(BoxTexts(), std::vector<AnsiString>{kReadError2});
    for (const Old& o : old) {
        EXPECT_EQ(ReadFileBytes(Target(o.path)), o.bytes) << o.path;
        EXPECT_EQ(FileAge(Target(o.path)), oldTime) << o.path;
        EXPECT_EQ((FileGetAttr(Target(o.path)) & faReadOnly) != 0, o.readOnly) << o.path;
    }
    EXPECT_EQ(Tree(p.InstallDir),
              (std::vector<AnsiString>{"UNINST\\", "UNINST\\vornforzat1_0.log", "bin\\", "bin\\tool.exe", "docs\\",
                                       "docs\\readme.txt", "settings.ini", "user.cfg"}));
    EXPECT_EQ(ReadFileBytes(p.ProgramsDir + p.GroupSubdir + "\\Readme.lnk"), "old link");
}

TEST_F(RunTest, TheRunWindowRefusesToClose) {
    WriteVolume(1, {Entry("a.txt", "a")});
    bool mayClose = true;
    BeforeRun = [&](TInstF3& f) {
        f.UnZipper1->OnStartUnZip = [&](TUnZipper*, int, const AnsiString&, bool&) {
            TTestDriver::CloseBox(f);
            TTestDriver::PressKey(f, vkEscape);
            mayClose = f.CloseQuery();
        };
    };
    EXPECT_EQ(Run(), ExitInstalled);
    EXPECT_FALSE(mayClose);
    EXPECT_EQ(ReadFileBytes(Target("a.txt")), "a");
}

TEST_F(RunTest, AFailureToCreateTheStagingFolderEndsInTheErrorRoutine) {
    WriteVolume(1, {Entry("a.txt", "a")});
    WriteFileBytes(Target("TEMP"), "a file where the staging folder would go");
    EXPECT_EQ(Run(), ExitRolledBack);
    ASSERT_EQ(Driver->Boxes.size(), 1u);
    EXPECT_EQ(Driver->Boxes[0].Text, "Невозможно создать каталог \"" + Target("TEMP") +
                                         "\".\r\nПродолжение установки невозможно.");
    EXPECT_FALSE(FileExists(Target("a.txt")));
    EXPECT_TRUE(FileExists(Target("TEMP")));
}

TEST_F(RunTest, MacrosAreExpandedAtTheStartAndParamsReplaceTheFollowUpParameters) {
    TPackageDescription& p = PackageDescription;
    p.FinishParams = "%InstallDir%\\own.txt";
    Settings.Params = "  %STARTDIR%\\x.txt  ";
    p.Associations.Add({"vrn", "%InstallDir%\\bin", "xr.exe", "VORN", 0});
    WriteVolume(1, {Entry("a.txt", "a")});
    Run();
    EXPECT_EQ(p.FinishParams, p.StartDir + "\\x.txt");
    EXPECT_EQ(p.FinishWorkDir, p.InstallDir);
    EXPECT_EQ(p.CreateDirs[0], p.InstallDir + "\\LIB");
    EXPECT_EQ(p.Associations[0].ProgramDir, p.InstallDir + "\\bin");
}

TEST_F(RunTest, BlankParamsKeepThePackagesOwnFollowUpParameters) {
    PackageDescription.FinishParams = "%INSTALLDIR%\\own.txt";
    Settings.Params = "   ";
    WriteVolume(1, {Entry("a.txt", "a")});
    Run();
    EXPECT_EQ(PackageDescription.FinishParams, PackageDescription.InstallDir + "\\own.txt");
}

TEST_F(RunTest, ADamagedEntryAnywhereUndoesTheRunRatherThanLeavingItsFileOut) {
    struct Case {
        const char* name;
        std::function<ZipFixture::TFixtureEntry()> entry;
    } const cases[] = {
        {"encrypted, bad CRC", [] {
             ZipFixture::TFixtureEntry e = Entry("mid.txt", "mid");
             e.Crc = 7;
             return e;
         }},
        {"not encrypted, bad CRC", [] {
             ZipFixture::TFixtureEntry e = Entry("mid.txt", "mid");
             e.Password.reset();
             e.Crc = 7;
             return e;
         }},
        {"a name climbing out", [] { return Entry("../../evil.txt", "evil"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteVolume(1, {Entry("a.txt", "a"), c.entry(), Entry("z.txt", "z")});
        EXPECT_EQ(Run(), ExitRolledBack);
        EXPECT_EQ(BoxTexts(), std::vector<AnsiString>{"Ошибка при чтении данных. Вероятно, испорчен файл setup.dat.\r\n"
                                                      "Продолжение установки невозможно."});
        EXPECT_EQ(Tree(PackageDescription.InstallDir), std::vector<AnsiString>{"UNINST\\"});
        EXPECT_FALSE(FileExists(Dir / "evil.txt"));
        Application->DestroyForms();
        Driver->Boxes.clear();
    }
}

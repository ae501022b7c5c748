// The package description: the startup steps, the settings file, the folder macros and the
// volume names.
#include "platform/rtl/DateUtils.h"
#include "tests/setup/SetupFixture.h"

#ifndef _WIN32
#include "platform/os/posix/PathMap.h"
#endif

TEST_F(SetupTest, StartFolderAndVolumeNamesFollowTheProgramsOwnPath) {
    struct Case {
        const char* module;
        int volumes;
        const char* startDir;
        std::vector<AnsiString> files;
        const char* dataFile;
    } cases[] = {
        {"E:\\setup.exe", 1, "E:", {"E:\\setup.dat"}, "setup.dat"},
        {"C:\\dist\\setup.exe", 3, "C:\\dist", {"C:\\dist\\setup.dat", "C:\\dist\\setup.dat2", "C:\\dist\\setup.dat3"},
         "setup.dat"},
        {"C:\\a.b\\install", 1, "C:\\a.b", {"C:\\a.b\\install.dat"}, "install.dat"},
        {"C:\\x\\my.setup.exe", 1, "C:\\x", {"C:\\x\\my.setup.dat"}, "my.setup.dat"},
    };
    for (const Case& c : cases) {
        Module = c.module;
        const int volumes = c.volumes;
        UsePackage([volumes](TPackageDescription& p) { p.VolumeCount = volumes; });
        BuildPackageDescription();
        EXPECT_EQ(PackageDescription.StartDir, c.startDir);
        EXPECT_EQ(PackageDescription.DataFileName, c.dataFile);
        ASSERT_EQ(PackageDescription.VolumeCount, volumes);
        for (int n = 1; n <= volumes; ++n) EXPECT_EQ(VolumeFileName(n), c.files[static_cast<size_t>(n - 1)]);
    }
    EXPECT_EQ(VolumeSuffix(1), "");
    EXPECT_EQ(VolumeSuffix(2), "2");
    EXPECT_EQ(VolumeSuffix(10), "10");
    EXPECT_THROW(VolumeSuffix(0), EListError);
    EXPECT_EQ(VolumeDisplayName(3), "my.setup.dat3");
}

TEST_F(SetupTest, StartDirMacroOfABareDriveGetsItsBackslash) {
    struct Case {
        const char* startDir;
        const char* text;
        const char* expanded;
    } cases[] = {
        {"E:", "%STARTDIR%\\x.txt", "E:\\x.txt"},
        {"E:", "%startdir%x.txt", "E:\\x.txt"},
        {"E:", "%STARTDIR%", "E:\\"},
        {"C:\\dist", "%StartDir%\\a;%STARTDIR%\\b", "C:\\dist\\a;C:\\dist\\b"},
        {"C:\\%STARTDIR%", "%STARTDIR%\\y", "C:\\%STARTDIR%\\y"},
        {"C:\\dist", "no macro", "no macro"},
    };
    for (const Case& c : cases) {
        PackageDescription.StartDir = c.startDir;
        EXPECT_EQ(ExpandStartDir(c.text), c.expanded) << c.text;
    }
}

TEST_F(SetupTest, InstallDirMacroIsReplacedEverywhereAndOnce) {
    PackageDescription.InstallDir = "C:\\X";
    EXPECT_EQ(ExpandInstallDir("%InstallDir%\\LIB;%INSTALLDIR%;%installdir%"), "C:\\X\\LIB;C:\\X;C:\\X");
    // A target folder whose own name holds the macro is inserted unchanged.
    PackageDescription.InstallDir = "D:\\%InstallDir%";
    EXPECT_EQ(ExpandInstallDir("%InstallDir%\\UNINST"), "D:\\%InstallDir%\\UNINST");

    BuildPackageDescription();
    PackageDescription.InstallDir = "C:\\X";
    EXPECT_EQ(ExpandInstallDir(PackageDescription.MissingBaseMessage),
              "Для успешной установки задачника VORN for Zat необходимо, чтобы в указанном каталоге "
              "уже был установлен базовый вариант задачника Druvel версии не ниже 4.10.\r\n"
              "В каталоге \"C:\\X\" базовый вариант задачника не найден.");
}

TEST_F(SetupTest, PackageValuesAreComposedFromTheFoldersFoundBefore) {
    BuildPackageDescription();
    const TPackageDescription& p = PackageDescription;
    EXPECT_EQ(p.ProgramFilesDir, Dir / "pf");
    EXPECT_EQ(p.Version, "1.0");
    EXPECT_EQ(p.RunCaption, "Установка VORN for Zat");
    EXPECT_EQ(p.PreviousVersionMessage,
              "Перед установкой данной версии задачника VORN for Zat необходимо удалить ранее установленную "
              "версию (команда \"Пуск | Программы | Druvel 4 | Удаление Druvel 4\").\r\n");
    ASSERT_EQ(p.RequiredFiles.Count, 5);
    EXPECT_EQ(p.RequiredFiles[1], "XR4Setup.exe");
    ASSERT_EQ(p.CreateDirs.Count, 1);
    EXPECT_EQ(p.CreateDirs[0], "%InstallDir%\\LIB");
    ASSERT_EQ(p.Shortcuts.Count, 4);
    const AnsiString group = Dir / "programs\\VORN for Zat";
    const AnsiString system = Dir / "system";
    EXPECT_EQ(p.Shortcuts[0].Folder, group);
    EXPECT_EQ(p.Shortcuts[1].Target, "%InstallDir%\\VORNforZat\\readme.txt");
    EXPECT_EQ(p.Shortcuts[2].Target, system + "\\zubrem.exe");
    EXPECT_EQ(p.Shortcuts[2].Arguments, "\"%InstallDir%\\UNINST\\vornforzat1_0.log\"");
    EXPECT_EQ(p.Shortcuts[2].WorkDir, system);
    EXPECT_EQ(p.Shortcuts[2].Folder, "%InstallDir%\\UNINST");
    EXPECT_EQ(p.Shortcuts[3].Folder, group);
    EXPECT_EQ(p.Shortcuts[3].Caption, "VORN for Zat Uninstall");
    EXPECT_EQ(p.Components.Count, 0);
    EXPECT_EQ(p.SelectionExtraHeight, 185);
    EXPECT_TRUE(p.SelectionFromDisk);
    EXPECT_FALSE(p.AllowEmptySelection);
    EXPECT_EQ(p.VolumeCount, 1);
    EXPECT_THROW(PackageDescription.Shortcuts[MaxShortcuts], EListError);

    // Without special folders the shortcut folders start with the group name; platform
    // texts end at their first NUL.
    StartupServices().SpecialFolder = [](TSpecialFolder, AnsiString&) { return false; };
    StartupServices().SystemDir = [] { return AnsiString("C:\\WINDOWS\\system32\0junk", 24); };
    BuildPackageDescription();
    EXPECT_EQ(PackageDescription.ProgramsDir, "");
    EXPECT_EQ(PackageDescription.DesktopDir, "");
    EXPECT_EQ(PackageDescription.Shortcuts[0].Folder, "\\VORN for Zat");
    EXPECT_EQ(PackageDescription.SystemDir, "C:\\WINDOWS\\system32");
}

TEST_F(SetupTest, SettingsFileOverridesItsValues) {
    struct Case {
        const char* text;
        std::function<void(const TSettings&)> check;
    } cases[] = {
        {"[ExcludeDir]\n1=Samples\n2=Docs\n4=Tools\n",
         [](const TSettings& s) {
             ASSERT_EQ(s.ExcludeDir.Count, 2);
             EXPECT_EQ(s.ExcludeDir[0], "Samples");
             EXPECT_EQ(s.ExcludeDir[1], "Docs");
         }},
        {"[ExcludeDir]\n1=\n2=Docs\n", [](const TSettings& s) { EXPECT_EQ(s.ExcludeDir.Count, 0); }},
        {"[Main]\nAutoRun=yes\n", [](const TSettings& s) { EXPECT_FALSE(s.AutoRun); }},
        {"[Main]\nAutoRun=0x1\n", [](const TSettings& s) { EXPECT_TRUE(s.AutoRun); }},
        {"[Main]\nAutoRun=$A\n", [](const TSettings& s) { EXPECT_TRUE(s.AutoRun); }},
        {"[main]\nautorun = -1\n", [](const TSettings& s) { EXPECT_TRUE(s.AutoRun); }},
        {"[Main]\nAutoRun=0\nSelectDialog=0\nFinalMessage=0\n[Links]\nStartMenu=0\nDesktop=0\n[Setup]\nRun=0\n"
         "Params= \"%STARTDIR%\\a.txt\" \n",
         [](const TSettings& s) {
             EXPECT_FALSE(s.AutoRun);
             EXPECT_FALSE(s.SelectDialog);
             EXPECT_FALSE(s.FinalMessage);
             EXPECT_FALSE(s.StartMenu);
             EXPECT_FALSE(s.Desktop);
             EXPECT_FALSE(s.Run);
             EXPECT_EQ(s.Params, "%STARTDIR%\\a.txt");
         }},
        {"garbage without sections\n", [](const TSettings& s) {
             EXPECT_TRUE(s.SelectDialog && s.FinalMessage && s.StartMenu && s.Desktop && s.Run);
             EXPECT_FALSE(s.AutoRun);
             EXPECT_EQ(s.InstallDir, "");
         }},
    };
    for (const Case& c : cases) {
        WriteSettings(c.text);
        BuildFolders();
        SCOPED_TRACE(c.text);
        c.check(Settings);
    }
}

TEST_F(SetupTest, ProgramFilesMacroOfTheSettingsIsReplacedOnceAndTwentyKeysAtMost) {
    std::string text = "[Main]\nInstallDir=%ProgramFilesDir%\\A;%PROGRAMFILESDIR%\\B\n[ExcludeDir]\n";
    for (int k = 1; k <= 22; ++k) text += std::to_string(k) + "=D" + std::to_string(k) + "\n";
    WriteSettings(text);
    BuildFolders();
    EXPECT_EQ(Settings.InstallDir, Dir / "pf\\A;%PROGRAMFILESDIR%\\B");
    ASSERT_EQ(Settings.ExcludeDir.Count, ExcludeDirKeys);
    EXPECT_EQ(Settings.ExcludeDir[19], "D20");
    // Without a settings file the defaults stand, an earlier file's values gone.
    DeleteFile(Dist() + "\\setup.ini");
    BuildFolders();
    EXPECT_EQ(Settings.InstallDir, "");
    EXPECT_EQ(Settings.ExcludeDir.Count, 0);
}

#ifndef _WIN32
// Drive letters come from the drive table, so that the scans over C: to Z: can be shown.
class DriveScanTest : public SetupTest {
protected:
    void TearDown() override {
        PathMap::ClearDrives();
        SetupTest::TearDown();
    }
    void MapDrive(char letter, const AnsiString& folder) {
        ForceDirectories(folder);
        std::string host;
        ASSERT_TRUE(PathMap::ToHost(folder, host));
        PathMap::SetDrive(letter, host);
    }
};

TEST_F(DriveScanTest, WithoutTheRegistryValueTheDrivesDecide) {
    RegistryValue = "";
    EXPECT_EQ(FindProgramFilesDir(), "");  // no drive at all
    MapDrive('A', Dir / "a");                // never examined
    ForceDirectories(Dir / "a\\Program Files");
    MapDrive('D', Dir / "d");
    MapDrive('F', Dir / "f");
    EXPECT_EQ(FindProgramFilesDir(), "D:");
    ForceDirectories(Dir / "f\\Program Files");
    EXPECT_EQ(FindProgramFilesDir(), "F:\\Program Files");
    RegistryValue = "Q:\\Programs\\";  // used unchanged when there is one
    EXPECT_EQ(FindProgramFilesDir(), "Q:\\Programs\\");
}

TEST_F(DriveScanTest, FirstExistingRootGivesTheProposedFolder) {
    RegistryValue = "";
    MapDrive('D', Dir / "d");
    MapDrive('E', Dir / "e");
    WriteVolume();
    TInstF1& f = StartSetup();
    EXPECT_EQ(PackageDescription.ProgramFilesDir, "D:");
    EXPECT_EQ(f.Edit1->Text(), "D:\\Morvath.NET\\XR4");
}

TEST_F(DriveScanTest, ProgramInADrivesRootFindsItsVolumeThere) {
    MapDrive('E', Dir / "e");
    Module = "E:\\setup.exe";
    WriteFileBytes(Dir / "e\\setup.dat", "PK");
    WriteFileBytes(Dir / "e\\readme.txt", "Hello\n");
    TInstF1& f = StartSetup();
    EXPECT_TRUE(Driver->Boxes.empty());
    EXPECT_EQ(PackageDescription.StartDir, "E:");
    EXPECT_TRUE(f.Button2->Visible());
    EXPECT_FALSE(f.Button3->Visible());
    PackageDescription.Version = "1.0";
    EXPECT_EQ(ExpandStartDir("%STARTDIR%\\x.txt"), "E:\\x.txt");
}
#endif

// The finishing steps through the run: shortcuts as the settings allow, the group folder and
// its failure, the merge of a repeated installation's log, an association, and the
// follow-up program.
#include "tests/install/RunFixture.h"

#include "platform/os/Registry.h"
#include "platform/rtl/SysUtils.h"

#include <chrono>
#include <thread>

#ifndef _WIN32
#include "tests/common/HostTools.h"

#include <sys/stat.h>
#endif

namespace {

const AnsiString kClosing =
    "Из-за указанных проблем задачник VORN for Zat может работать не вполне корректно.\r\n"
    "Рекомендуется перезагрузить компьютер и повторно выполнить установку задачника VORN for Zat.";

}  // namespace

class FinishTest : public RunTest {
protected:
    void SetUp() override {
        RunTest::SetUp();
        AddShortcuts();
        WriteVolume(1, {Entry("docs/readme.txt", "read me"), Entry("bin/tool.exe", "MZ")});
    }
    AnsiString GroupLink() const { return PackageDescription.ProgramsDir + "\\VORN for Zat\\Readme.lnk"; }
    AnsiString DesktopLink() const { return PackageDescription.DesktopDir + "\\Tool.lnk"; }
    AnsiString PlacedLines() const {
        return FirstLogLine() + "\r\n" + Target("docs\\readme.txt") + "\r\n" + Target("bin\\tool.exe") + "\r\n";
    }
};

TEST_F(FinishTest, SettingsLeaveOutDesktopOrStartMenuShortcuts) {
    struct Case {
        bool desktop, startMenu;
        bool groupLink, desktopLink;
        int position;
    } const cases[] = {
        {false, true, true, false, 100 + 10},
        {true, false, false, true, 100 + 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.desktop ? "Start menu off" : "desktop off");
        Settings.Desktop = c.desktop;
        Settings.StartMenu = c.startMenu;
        Settings.FinalMessage = true;
        EXPECT_EQ(Run(), ExitInstalled);
        EXPECT_EQ(FileExists(GroupLink()), c.groupLink);
        EXPECT_EQ(DirectoryExists(PackageDescription.ProgramsDir + "\\VORN for Zat"), c.startMenu);
        EXPECT_EQ(FileExists(DesktopLink()), c.desktopLink);
        EXPECT_EQ(InstF3->ProgressBar1->Position(), c.position);
        EXPECT_EQ(ReadFileBytes(LogPath()), PlacedLines() + (c.groupLink ? GroupLink() : DesktopLink()) + "\r\n");
        ASSERT_EQ(Driver->Boxes.size(), 1u);
        EXPECT_EQ(Driver->Boxes[0].Text.find("Ярлыки") != AnsiString::npos, c.startMenu);
        // The next case starts afresh.
        Application->DestroyForms();
        Driver->Boxes.clear();
        RemoveTree(PackageDescription.InstallDir);
        RemoveTree(PackageDescription.ProgramsDir + "\\VORN for Zat");
        DeleteFile(DesktopLink());
        ForceDirectories(PackageDescription.InstallDir);
    }
}

TEST_F(FinishTest, AnExistingGroupFolderIsUsed) {
    ForceDirectories(PackageDescription.ProgramsDir + "\\VORN for Zat");
    EXPECT_EQ(Run(), ExitInstalled);
    EXPECT_TRUE(InstF3->GroupError.empty());
    EXPECT_TRUE(FileExists(GroupLink()));
}

TEST_F(FinishTest, TheGroupFailingHidesTheShortcutListEvenWithADesktopFailure) {
    TPackageDescription& p = PackageDescription;
    RemoveTree(p.ProgramsDir);
    RemoveTree(p.DesktopDir);
    EXPECT_EQ(Run(), ExitInstalledWithProblems);
    EXPECT_EQ(InstF3->GroupError, "Не удалось создать программную группу \"VORN for Zat\".\r\n");
    EXPECT_EQ(InstF3->FailedShortcuts,
              "\"" + p.ProgramsDir + "\\VORN for Zat\\Readme\", \"" + p.DesktopDir + "\\Tool\", ");
    ASSERT_EQ(Driver->Boxes.size(), 1u);
    EXPECT_EQ(Driver->Boxes[0].Text, "Установка задачника VORN for Zat завершена.\r\n"
                                     "Не удалось создать программную группу \"VORN for Zat\".\r\n" +
                                         kClosing);
    EXPECT_EQ(ReadFileBytes(LogPath()), PlacedLines());
}

TEST_F(FinishTest, ARepeatedInstallationMergesTheLog) {
    EXPECT_EQ(Run(), ExitInstalled);
    const std::string first = ReadFileBytes(LogPath());
    Application->DestroyForms();
    // The second package has a new file and lists an old one in other letters.
    WriteVolume(1, {Entry("DOCS/README.TXT", "read me again"), Entry("new.txt", "new"), Entry("bin/tool.exe", "MZ")});
    PackageDescription.UninstallTitle = "Другой заголовок";
    EXPECT_EQ(Run(), ExitInstalled);
    EXPECT_EQ(ReadFileBytes(LogPath()), first + Target("new.txt") + "\r\n");
}

TEST_F(FinishTest, AnAssociationIsRegisteredWithItsIconIndex) {
    PackageDescription.Associations.Add({"vrz", "%InstallDir%\\bin", "tool.exe", "Задание VORN", 2});
    EXPECT_EQ(Run(), ExitInstalled);
    AnsiString icon, command;
    EXPECT_TRUE(RegReadString(TRegistryRoot::ClassesRoot, "vrz\\DefaultIcon", "", icon));
    EXPECT_EQ(icon, Target("bin\\tool.exe") + ",2");
    EXPECT_TRUE(RegReadString(TRegistryRoot::ClassesRoot, "vrz\\Shell\\Open\\command", "", command));
    EXPECT_EQ(command, "\"" + Target("bin\\tool.exe") + "\" \"%1\"");
}

TEST_F(FinishTest, AMissingFollowUpProgramIsNotStartedAndAddsNoText) {
    PackageDescription.FinishProgram = "%InstallDir%\\bin\\absent.exe";
    PackageDescription.FinishProgramMessage = " Сейчас будет запущена программа.";
    EXPECT_EQ(Run(), ExitInstalled);
    ASSERT_EQ(Driver->Boxes.size(), 1u);
    EXPECT_EQ(Driver->Boxes[0].Text.find("запущена"), AnsiString::npos);
}

#ifndef _WIN32
// The follow-up program is a script beside the setup program; it writes its working folder and
// its argument into a marker file there.
TEST_F(FinishTest, TheFollowUpProgramStartsAfterTheReport) {
    TPackageDescription& p = PackageDescription;
    const AnsiString script = p.StartDir + "\\after.sh";
    WriteFileBytes(script, "#!/bin/sh\n{ pwd; printf '%s\\n' \"$1\"; } > started.tmp && mv started.tmp started\n");
    ASSERT_EQ(::chmod(HostPath(script).c_str(), 0755), 0);
    p.FinishProgram = script;
    p.FinishParams = "\"%InstallDir%\\a b\"";
    p.FinishWorkDir = "%InstallDir%\\bin";
    p.FinishProgramMessage = " Сейчас будет запущена программа.";
    EXPECT_EQ(Run(), ExitInstalled);
    ASSERT_EQ(Driver->Boxes.size(), 1u);
    EXPECT_TRUE(Driver->Boxes[0].Text.ends_with(" Сейчас будет запущена программа."));
    const AnsiString marker = Target("bin\\started");
    for (int i = 0; i < 1000 && !FileExists(marker); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(FileExists(marker)) << "the program was not started";
    EXPECT_EQ(ReadFileBytes(marker), HostPath(Target("bin")) + "\n" + Target("a b") + "\n");
}
#endif

// The installation run in a scratch folder: a small package description like the product's,
// data volumes written by the fixture writer (encrypted with the archive password), the run
// window shown modally as the setup window shows it, and the driver answering the boxes.
#pragma once

#include "install/InstF3.h"
#include "platform/os/FileSystem.h"
#include "platform/ui/testdriver/TestDriver.h"
#include "setup/PackageDescription.h"
#include "tests/common/TestPaths.h"
#include "tests/common/ZipWriter.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include "platform/os/posix/Faults.h"
#include "tests/platform/ScratchHome.h"
#endif

class RunTest : public ::testing::Test {
protected:
    void SetUp() override {
        Driver = &TTestDriver::Install();
        ResetStartupServices();
        ResetInstallExitStatus();
        PackageDescription = TPackageDescription();
        Settings = TSettings();
        ExcludedNames = std::make_unique<TStringList>();
        TPackageDescription& p = PackageDescription;
        p.StartDir = Dir / "dist";
        p.DataFileName = "setup.dat";
        p.VolumeCount = 1;
        p.InstallDir = Dir / "XR4";
        p.SystemDir = Dir / "system";
        p.ProgramsDir = Dir / "programs";
        p.DesktopDir = Dir / "desktop";
        p.ProductName = "VORN for Zat";
        p.ProductNoun = "задачник";
        p.ProductNounGenitive = "задачника";
        p.RunCaption = "Установка VORN for Zat";
        p.LogFileName = "vornforzat1_0.log";
        p.GroupSubdir = "\\VORN for Zat";
        p.FinishWorkDir = "%InstallDir%";
        p.UninstallTitle = "Удаление VORN for Zat";
        p.UninstallQuestion = "Удалить задачник VORN for Zat и связанные с ним компоненты?";
        p.UninstallDoneMessage = "Задачник VORN for Zat полностью удален.";
        p.UninstallPartialMessage = "Задачник VORN for Zat удален, за исключением следующих файлов:";
        p.CreateDirs.Add("%InstallDir%\\LIB");
        for (const char* folder : {"dist", "XR4", "system", "programs", "desktop"}) ForceDirectories(Dir / folder);
    }
    void TearDown() override {
#ifndef _WIN32
        Faults::Clear();
#endif
        Application->DestroyForms();
        InstF3 = nullptr;
        SetUiBackend(nullptr);
        ResetStartupServices();
        ExcludedNames.reset();
    }

    // A stored entry, encrypted with the archive password as the package maker's zip -P does;
    // its name stored in the OEM code page, as archivers on Windows store it.
    static ZipFixture::TFixtureEntry Entry(const AnsiString& name, const std::string& data) {
        ZipFixture::TFixtureEntry e;
        e.Name = ZipFixture::Oem(name);
        e.Data = data;
        e.Password = ArchivePassword;
        return e;
    }
    void WriteVolume(int n, std::vector<ZipFixture::TFixtureEntry> entries) {
        ZipFixture::TFixtureArchive archive;
        archive.Entries = std::move(entries);
        WriteFileBytes(VolumeFileName(n), ZipFixture::BuildZip(archive).Bytes);
    }
    // The shortcut records of the tests: the group, the desktop, a missing target.
    void AddShortcuts() {
        TPackageDescription& p = PackageDescription;
        p.Shortcuts.Add({"%InstallDir%\\docs\\readme.txt", "", "%InstallDir%", p.ProgramsDir + p.GroupSubdir, "Readme"});
        p.Shortcuts.Add({"%InstallDir%\\bin\\tool.exe", "-x \"%InstallDir%\"", "%InstallDir%\\bin", p.DesktopDir, "Tool"});
        p.Shortcuts.Add({"%InstallDir%\\missing.txt", "", "%InstallDir%", p.ProgramsDir + p.GroupSubdir, "Missing"});
    }

    // Shows the run window as the setup window does; the run ends the program.
    int Run() {
        Application->CreateForm(InstF3);
        if (BeforeRun) BeforeRun(*InstF3);
        InstF3->ShowModal();
        EXPECT_TRUE(Application->Terminated());
        return InstallExitStatus();
    }

    AnsiString Target(const AnsiString& relative) const { return PackageDescription.InstallDir + "\\" + relative; }
    AnsiString LogPath() const { return Target("UNINST\\" + PackageDescription.LogFileName); }
    AnsiString FirstLogLine() const {
        const TPackageDescription& p = PackageDescription;
        return p.UninstallTitle + "|" + p.UninstallQuestion + "|" + p.UninstallDoneMessage + "|" +
               p.UninstallPartialMessage + "|";
    }
    std::vector<AnsiString> BoxTexts() const {
        std::vector<AnsiString> texts;
        for (const TShownBox& b : Driver->Boxes) texts.push_back(b.Text);
        return texts;
    }
    // Every file and folder under a folder, relative, folders ending with "\", sorted.
    std::vector<AnsiString> Tree(const AnsiString& folder, const AnsiString& prefix = AnsiString()) const {
        std::vector<AnsiString> out;
        for (const TSearchRec& e : FindFiles(folder + "\\*")) {
            if (e.Attr & faDirectory) {
                out.push_back(prefix + e.Name + "\\");
                for (const AnsiString& sub : Tree(folder + "\\" + e.Name, prefix + e.Name + "\\")) out.push_back(sub);
            } else {
                out.push_back(prefix + e.Name);
            }
        }
        std::sort(out.begin(), out.end());
        return out;
    }

#ifndef _WIN32
    TScratchHome Home;  // the registry file of the associations
#endif
    TScratchDir Dir;
    TTestDriver* Driver = nullptr;
    std::function<void(TInstF3&)> BeforeRun;
};

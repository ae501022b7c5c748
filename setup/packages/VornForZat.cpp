// The package "VORN for Zat": every value this package compiles into the setup program.
// Another package is another file like this one, chosen by SETUP_PACKAGE at configure time.
#include "setup/Package.h"

// The package travels in one data volume, unless a build ships it in more (add_setup_program
// and add_zipvol with VOLUMES).
#ifndef SETUP_VOLUME_COUNT
#define SETUP_VOLUME_COUNT 1
#endif

namespace {

void SetVolumeCount(TPackageDescription& p) {
    p.VolumeCount = SETUP_VOLUME_COUNT;
    p.Associations.Count = 0;
}

void SetVersion(TPackageDescription& p) { p.Version = "1.0"; }

void SetValues(TPackageDescription& p) {
    p.ProductName = "VORN for Zat";
    p.ProductNoun = "задачник";
    p.ProductNounGenitive = "задачника";
    p.LogFileName = "vornforzat1_0.log";
    p.GroupSubdir = "\\VORN for Zat";
    p.FinishProgram = "";
    p.FinishParams = "";
    p.FinishWorkDir = "%InstallDir%";
    p.FinishProgramMessage = "";
    p.SelfCopyName = "";
    p.PreviousVersionDir = "";
    p.PreviousVersionMessage = "Перед установкой данной версии " + p.ProductNounGenitive + " " + p.ProductName +
                               " необходимо удалить ранее установленную версию (команда "
                               "\"Пуск | Программы | Druvel 4 | Удаление Druvel 4\").\r\n";

    p.UninstallTitle = "Удаление VORN for Zat";
    p.UninstallQuestion = "Удалить задачник VORN for Zat и связанные с ним компоненты?";
    p.UninstallDoneMessage = "Задачник VORN for Zat полностью удален.";
    p.UninstallPartialMessage = "Задачник VORN for Zat удален, за исключением следующих файлов:";
    p.RequiredFiles = {};
    for (const char* name : {"results.vrd", "XR4Setup.exe", "loadvorn.dat", "XR4vorn.dll", "XR.INI"})
        p.RequiredFiles.Add(name);
    p.MissingBaseMessage = "Для успешной установки " + p.ProductNounGenitive + " " + p.ProductName +
                           " необходимо, чтобы в указанном каталоге "
                           "уже был установлен базовый вариант задачника Druvel версии не ниже 4.10.\r\n"
                           "В каталоге \"%InstallDir%\" базовый вариант задачника не найден.";
    p.KeepFiles.Count = 0;
    p.CreateDirs = {};
    p.CreateDirs.Add("%InstallDir%\\LIB");
    p.UninstallExtraLines.Count = 0;

    const AnsiString group = p.ProgramsDir + p.GroupSubdir;
    const AnsiString uninstaller = p.SystemDir + "\\zubrem.exe";
    const AnsiString logArgument = "\"%InstallDir%\\UNINST\\" + p.LogFileName + "\"";
    p.Shortcuts = {};
    p.Shortcuts.Add({"%InstallDir%\\VORNforZat\\XRforZat.chm", "", "%InstallDir%", group, "XR for Zat Info"});
    p.Shortcuts.Add({"%InstallDir%\\VORNforZat\\readme.txt", "", "%InstallDir%", group, "VORN for Zat Readme"});
    p.Shortcuts.Add({uninstaller, logArgument, p.SystemDir, "%InstallDir%\\UNINST", "VORNforZatUninstall"});
    p.Shortcuts.Add({uninstaller, logArgument, p.SystemDir, group, "VORN for Zat Uninstall"});

    p.Associations.Count = 0;
    p.Components = {};
    p.SelectionCaption = "";
    p.SelectionText = "";
    p.SelectionExtraHeight = 185;
    p.AllowEmptySelection = false;
    p.SelectionFromDisk = true;
}

const TPackage Package = {
    {
        "VORNforZat Install",
        "VORNforZat Install - Программа установки",
        "Druvel/Morvath for Zat",
        "Электронный задачник по программированию для Druvel",
        "Автор: Д. Морват, 2012",
        "Задачник будет установлен в следующем каталоге:",
        "\\Morvath.NET\\XR4",
    },
    SetVolumeCount,
    SetVersion,
    SetValues,
};

}  // namespace

const TPackage& CompiledPackage() { return Package; }

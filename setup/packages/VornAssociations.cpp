// A test package for the end-to-end checks: the files of VORN for Zat with two file
// associations (one with icon index 2) whose program is a file of the package, no required
// files and no shortcuts, so that a run leaves only the package, its log and the keys.
#include "setup/Package.h"

namespace {

void SetVolumeCount(TPackageDescription& p) {
    p.VolumeCount = 1;
    p.Associations.Count = 0;
}

void SetVersion(TPackageDescription& p) { p.Version = "1.0"; }

void SetValues(TPackageDescription& p) {
    p.ProductName = "VORN Associations";
    p.ProductNoun = "задачник";
    p.ProductNounGenitive = "задачника";
    p.LogFileName = "vornassoc.log";
    p.GroupSubdir = "\\VORN Associations";
    p.FinishProgram = "";
    p.FinishParams = "";
    p.FinishWorkDir = "%InstallDir%";
    p.FinishProgramMessage = "";
    p.SelfCopyName = "";
    p.PreviousVersionDir = "";
    p.PreviousVersionMessage = "";

    p.UninstallTitle = "Удаление VORN Associations";
    p.UninstallQuestion = "Удалить задачник VORN Associations?";
    p.UninstallDoneMessage = "Задачник VORN Associations полностью удален.";
    p.UninstallPartialMessage = "Задачник VORN Associations удален, за исключением следующих файлов:";
    p.RequiredFiles = {};
    p.MissingBaseMessage = "";
    p.KeepFiles.Count = 0;
    p.CreateDirs = {};
    p.UninstallExtraLines.Count = 0;
    p.Shortcuts = {};

    p.Associations = {};
    p.Associations.Add({"vrz", "%InstallDir%\\VORNforZat", "XRforZat.exe", "Задание VORN for Zat", 2});
    p.Associations.Add({"vrr", "%InstallDir%\\VORNforZat", "XRforZat.exe", "Результаты VORN", 0});
    p.Components = {};
    p.SelectionCaption = "";
    p.SelectionText = "";
    p.SelectionExtraHeight = 185;
    p.AllowEmptySelection = false;
    p.SelectionFromDisk = true;
}

const TPackage Package = {
    {
        "VORN Associations Install",
        "VORN Associations Install - Программа установки",
        "Druvel/Morvath for Zat",
        "Пакет для проверки сопоставлений файлов",
        "Автор: Д. Морват, 2012",
        "Задачник будет установлен в следующем каталоге:",
        "\\Morvath.NET\\VORN Associations",
    },
    SetVolumeCount,
    SetVersion,
    SetValues,
};

}  // namespace

const TPackage& CompiledPackage() { return Package; }

// The package this program installs: its presentation texts and the startup steps that set
// its own values. One package file (setup/packages/) defines it; the build chooses the file
// (SETUP_PACKAGE), and tests may put another package in its place.
#pragma once

#include "setup/PackageDescription.h"

struct TPackagePresentation {
    AnsiString ApplicationTitle;
    AnsiString WindowCaption;
    AnsiString TitleLine;
    AnsiString DescriptionLine;
    AnsiString AuthorLine;
    AnsiString FolderPrompt;
    AnsiString DefaultFolderTail;  // appended to ProgramFilesDir: the proposed target folder
};

struct TPackage {
    TPackagePresentation Presentation;
    std::function<void(TPackageDescription&)> SetVolumeCount;  // VolumeCount, associations count 0
    std::function<void(TPackageDescription&)> SetVersion;
    // The package's own values in their order: names, messages, lists, shortcuts (composed
    // from the folders found before), components and switches.
    std::function<void(TPackageDescription&)> SetValues;
};

// The package compiled in (defined by the package file).
const TPackage& CompiledPackage();
// The package in use: the compiled one unless a test replaced it (null puts it back).
const TPackage& CurrentPackage();
void SetPackageForTests(const TPackage* package);

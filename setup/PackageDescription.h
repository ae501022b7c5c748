// The package description and the settings file: the process-wide records, the startup
// steps that fill them, the folder macros and the names of the data volumes. The values of
// the package itself come from the package file (Package.h); the machine's folders from the
// startup services, which tests replace.
#pragma once

#include "platform/os/Shell.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"

#include <array>
#include <functional>
#include <memory>

// A list of the package description: a fixed array with the count of entries in use beside
// it. An index beyond the capacity is an error (EListError).
template <typename T, int CapacityValue>
struct TFixedList {
    static constexpr int Capacity = CapacityValue;
    int Count = 0;
    std::array<T, CapacityValue> Items{};

    T& operator[](int index) { return Items[Checked(index)]; }
    const T& operator[](int index) const { return Items[Checked(index)]; }
    // Sets the entry at Count and counts it.
    void Add(const T& value) {
        (*this)[Count] = value;
        ++Count;
    }

private:
    static size_t Checked(int index) {
        if (index < 0 || index >= CapacityValue) throw EListError(Format("List index out of bounds (%d)", index));
        return static_cast<size_t>(index);
    }
};

// Capacities of the lists.
constexpr int MaxKeepFiles = 101;
constexpr int MaxCreateDirs = 101;
constexpr int MaxRequiredFiles = 101;
constexpr int MaxShortcuts = 51;
constexpr int MaxComponents = 21;
constexpr int MaxAssociations = 21;
constexpr int MaxUninstallExtraLines = 51;
constexpr int MaxExcludeDirs = 21;
// The settings reader fills at most this many ExcludeDir entries.
constexpr int ExcludeDirKeys = 20;

// One shortcut.
struct TLink {
    AnsiString Target;     // macros
    AnsiString Arguments;  // macros
    AnsiString WorkDir;    // macros
    AnsiString Folder;     // macros; where the .lnk file is created
    AnsiString Caption;    // the file name without ".lnk"
};

// One file association.
struct TFileExt {
    AnsiString Extension;   // without the dot; also the name of the file type
    AnsiString ProgramDir;  // macros
    AnsiString ProgramFile;
    AnsiString Description;
    int32_t IconIndex = 0;
};

// The optional components: parallel lists of captions and top-level folders.
struct TComponentList {
    int Count = 0;
    TFixedList<AnsiString, MaxComponents> Captions;
    TFixedList<AnsiString, MaxComponents> Folders;
    void Add(const AnsiString& caption, const AnsiString& folder) {
        Captions[Count] = caption;
        Folders[Count] = folder;
        ++Count;
        Captions.Count = Folders.Count = Count;
    }
};

struct TPackageDescription {
    AnsiString StartDir;
    AnsiString ProgramFilesDir;
    AnsiString InstallDir;
    AnsiString SystemDir;
    AnsiString Version;
    AnsiString ProgramsDir;
    AnsiString DesktopDir;
    AnsiString RunCaption;
    AnsiString GroupSubdir;
    AnsiString ProductName;
    AnsiString PreviousVersionDir;
    AnsiString PreviousVersionMessage;
    AnsiString ProductNoun;
    AnsiString ProductNounGenitive;
    AnsiString FinishProgram;         // macros
    AnsiString FinishParams;          // macros
    AnsiString FinishWorkDir;         // macros
    AnsiString FinishProgramMessage;
    AnsiString MissingBaseMessage;    // macros
    AnsiString DataFileName;
    AnsiString LogFileName;
    AnsiString SelfCopyName;
    AnsiString UninstallTitle, UninstallQuestion, UninstallDoneMessage, UninstallPartialMessage;
    TFixedList<AnsiString, MaxKeepFiles> KeepFiles;
    TFixedList<AnsiString, MaxCreateDirs> CreateDirs;  // macros
    TFixedList<AnsiString, MaxRequiredFiles> RequiredFiles;
    TFixedList<TLink, MaxShortcuts> Shortcuts;
    bool AllowEmptySelection = false;
    TComponentList Components;
    int32_t SelectionExtraHeight = 0;
    AnsiString SelectionCaption;
    AnsiString SelectionText;
    TFixedList<TFileExt, MaxAssociations> Associations;
    TFixedList<AnsiString, MaxUninstallExtraLines> UninstallExtraLines;  // macros
    int32_t VolumeCount = 0;
    bool SelectionFromDisk = false;
    // The volume the run is reading (for its progress and its error message).
    int32_t CurrentVolume = 0;
};

struct TSettings {
    AnsiString InstallDir;
    AnsiString Params;
    bool StartMenu = true;
    bool Desktop = true;
    bool Run = true;
    bool FinalMessage = true;
    bool AutoRun = false;
    bool SelectDialog = true;
    TFixedList<AnsiString, MaxExcludeDirs> ExcludeDir;
};

extern TPackageDescription PackageDescription;
extern TSettings Settings;
// Upper-case top-level folder names whose files are not installed; created by the Install
// action, freed when the setup window closes.
extern std::unique_ptr<TStringList> ExcludedNames;

// What the startup asks of the machine. Each member defaults to the platform's service;
// tests replace them (a program in a drive's root, a machine without the registry value).
struct TStartupServices {
    std::function<AnsiString()> ModuleFileName;
    // The program files value of the registry; false when the key or value is missing or
    // cannot be read.
    std::function<bool(AnsiString& value)> ReadProgramFilesValue;
    std::function<bool(TSpecialFolder folder, AnsiString& path)> SpecialFolder;
    std::function<AnsiString()> SystemDir;
};
TStartupServices& StartupServices();
// Puts the platform's services back.
void ResetStartupServices();

// Room the platform calls are given for the system folder and the special folders.
constexpr size_t SystemDirRoom = 300;
constexpr size_t SpecialFolderRoom = 1000;

// The startup steps, in their order; the setup window's creation runs them with its own
// steps between them (TInstF1::FormCreate).
void BuildPackageDescription();
void BuildFolders();        // StartDir, ProgramFilesDir, the settings, SystemDir, ProgramsDir, DesktopDir
void BuildVolumeCount();    // VolumeCount and the associations count
void BuildVersion();
void BuildPackageValues();  // the package's own values, shortcuts and components
void BuildDataFileName();

AnsiString FindProgramFilesDir();
void ReadSettings();
// Empty for volume 1, the decimal number from 2 on; a number below 1 is an error.
AnsiString VolumeSuffix(int n);
AnsiString ExpandInstallDir(const AnsiString& text);
AnsiString ExpandStartDir(const AnsiString& text);
// The path of data volume n, and its name as messages give it (without folder).
AnsiString VolumeFileName(int n);
AnsiString VolumeDisplayName(int n);

// The startup steps of the package description, the settings reader, the folder macros and
// the volume names.
#include "setup/PackageDescription.h"

#include "platform/os/FileSystem.h"
#include "platform/os/Registry.h"
#include "platform/rtl/IniFiles.h"
#include "setup/Package.h"

TPackageDescription PackageDescription;
TSettings Settings;
std::unique_ptr<TStringList> ExcludedNames;

namespace {

const AnsiString ProgramFilesKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const AnsiString ProgramFilesMacro = "%PROGRAMFILESDIR%";
const AnsiString InstallDirMacro = "%INSTALLDIR%";
const AnsiString StartDirMacro = "%STARTDIR%";

TStartupServices PlatformServices() {
    TStartupServices s;
    s.ModuleFileName = [] { return GetModuleFileName(); };
    s.ReadProgramFilesValue = [](AnsiString& value) {
        try {
            return RegKeyExists(TRegistryRoot::LocalMachine, ProgramFilesKey) &&
                   RegReadString(TRegistryRoot::LocalMachine, ProgramFilesKey, "ProgramFilesDir", value);
        } catch (const ERegistryException&) {
            return false;  // an unreadable value counts as a missing one
        }
    };
    s.SpecialFolder = [](TSpecialFolder folder, AnsiString& path) { return GetSpecialFolder(folder, path); };
    s.SystemDir = [] { return GetSystemDir(); };
    return s;
}

// A text as a platform call with `room` characters gives it: up to its first NUL, and
// nothing when it does not fit (the call fails then).
AnsiString Fitted(const AnsiString& text, size_t room) {
    const AnsiString cut = text.substr(0, text.find('\0'));
    return cut.size() < room ? cut : AnsiString();
}

AnsiString SpecialFolderOrEmpty(TSpecialFolder folder) {
    AnsiString path;
    if (!StartupServices().SpecialFolder(folder, path)) return AnsiString();
    return Fitted(path, SpecialFolderRoom);
}

}  // namespace

TStartupServices& StartupServices() {
    static TStartupServices services = PlatformServices();
    return services;
}

void ResetStartupServices() { StartupServices() = PlatformServices(); }

AnsiString FindProgramFilesDir() {
    AnsiString value;
    if (!StartupServices().ReadProgramFilesValue(value)) value.clear();
    if (value.empty()) {
        for (char drive = 'C'; drive <= 'Z'; ++drive) {
            const AnsiString folder = AnsiString(1, drive) + ":\\Program Files";
            if (DirectoryExists(folder)) return folder;
        }
        for (char drive = 'C'; drive <= 'Z'; ++drive)
            if (DirectoryExists(AnsiString(1, drive) + ":\\")) return AnsiString(1, drive) + ":";
    }
    return value;
}

void ReadSettings() {
    Settings = TSettings();
    const AnsiString fileName = ChangeFileExt(StartupServices().ModuleFileName(), ".ini");
    if (!FileExists(fileName)) return;
    try {
        const TIniFile ini(fileName);
        Settings.InstallDir = ini.ReadString("Main", "InstallDir", "");
        const size_t macro = AnsiUpperCase(Settings.InstallDir).find(ProgramFilesMacro);
        if (macro != AnsiString::npos)
            Settings.InstallDir.replace(macro, ProgramFilesMacro.size(), PackageDescription.ProgramFilesDir);
        Settings.AutoRun = ini.ReadBool("Main", "AutoRun", false);
        Settings.SelectDialog = ini.ReadBool("Main", "SelectDialog", true);
        Settings.FinalMessage = ini.ReadBool("Main", "FinalMessage", true);
        Settings.StartMenu = ini.ReadBool("Links", "StartMenu", true);
        Settings.Desktop = ini.ReadBool("Links", "Desktop", true);
        Settings.Run = ini.ReadBool("Setup", "Run", true);
        Settings.Params = ini.ReadString("Setup", "Params", "");
        for (int k = 1; k <= ExcludeDirKeys; ++k) {
            const AnsiString name = ini.ReadString("ExcludeDir", IntToStr(k), "");
            if (name.empty()) break;
            Settings.ExcludeDir.Add(name);
        }
    } catch (const std::exception&) {
        // A settings file that cannot be read leaves the values read so far and the defaults.
    }
}

void BuildFolders() {
    TPackageDescription& p = PackageDescription;
    p.StartDir = ExtractFilePath(StartupServices().ModuleFileName());
    if (!p.StartDir.empty() && p.StartDir.back() == '\\') p.StartDir.pop_back();
    p.ProgramFilesDir = FindProgramFilesDir();
    ReadSettings();
    p.SystemDir = Fitted(StartupServices().SystemDir(), SystemDirRoom);
    p.ProgramsDir = SpecialFolderOrEmpty(TSpecialFolder::Programs);
    p.DesktopDir = SpecialFolderOrEmpty(TSpecialFolder::DesktopDirectory);
}

void BuildVolumeCount() { CurrentPackage().SetVolumeCount(PackageDescription); }
void BuildVersion() { CurrentPackage().SetVersion(PackageDescription); }
void BuildPackageValues() { CurrentPackage().SetValues(PackageDescription); }

void BuildDataFileName() {
    PackageDescription.DataFileName = ChangeFileExt(ExtractFileName(StartupServices().ModuleFileName()), ".dat");
}

void BuildPackageDescription() {
    BuildFolders();
    BuildVolumeCount();
    BuildVersion();
    BuildPackageValues();
    BuildDataFileName();
    PackageDescription.RunCaption = "Установка " + PackageDescription.ProductName;
}

AnsiString VolumeSuffix(int n) {
    if (n < 1) throw EListError(Format("Volume number out of range (%d)", n));
    return n == 1 ? AnsiString() : IntToStr(n);
}

AnsiString ExpandInstallDir(const AnsiString& text) {
    return ReplaceTextAscii(text, InstallDirMacro, PackageDescription.InstallDir);
}

AnsiString ExpandStartDir(const AnsiString& text) {
    const AnsiString& start = PackageDescription.StartDir;
    const AnsiString upper = UpperCase(text);
    AnsiString out;
    size_t i = 0;
    for (;;) {
        const size_t hit = upper.find(StartDirMacro, i);
        if (hit == AnsiString::npos) break;
        out.append(text, i, hit - i);
        i = hit + StartDirMacro.size();
        out += start;
        // A bare drive gets its root backslash, unless the text brings one itself: E: and
        // "%STARTDIR%\x.txt" give E:\x.txt.
        if (start.size() == 2 && (i >= text.size() || text[i] != '\\')) out += '\\';
    }
    out.append(text, i, AnsiString::npos);
    return out;
}

AnsiString VolumeFileName(int n) {
    return PackageDescription.StartDir + "\\" + PackageDescription.DataFileName + VolumeSuffix(n);
}

AnsiString VolumeDisplayName(int n) { return PackageDescription.DataFileName + VolumeSuffix(n); }

namespace {
const TPackage*& PackageOverride() {
    static const TPackage* package = nullptr;
    return package;
}
}  // namespace

const TPackage& CurrentPackage() { return PackageOverride() ? *PackageOverride() : CompiledPackage(); }
void SetPackageForTests(const TPackage* package) { PackageOverride() = package; }

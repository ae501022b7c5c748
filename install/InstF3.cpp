// The run window: the start of the run, the volume loop, placement with retry, the finishing
// steps and the error routine with its rollback.
#include "install/InstF3.h"

#include "install/InstallLogFile.h"
#include "install/PlacementRules.h"
#include "install/ShellSteps.h"
#include "platform/os/FileSystem.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Dialogs.h"
#include "setup/PackageDescription.h"

TInstF3* InstF3 = nullptr;

namespace {

int gExitStatus = ExitNotInstalled;

const char* const kStagingFolder = "\\TEMP";
const char* const kUninstFolder = "\\UNINST";

AnsiString Quoted(const AnsiString& path) { return "\"" + path + "\", "; }

// DOS date-times grow with the time they stand for once read as unsigned numbers (the year
// is in the top bits), at the two-second resolution of the format.
bool StrictlyLater(int32_t a, int32_t b) { return static_cast<uint32_t>(a) > static_cast<uint32_t>(b); }

}  // namespace

int InstallExitStatus() { return gExitStatus; }
void ResetInstallExitStatus() { gExitStatus = ExitNotInstalled; }

TInstF3::TInstF3() {
    SetBorderStyle(bsNone);
    SetBorderIcons(0);
    SetClientSize(FormClientWidth, FormClientHeight);
    Position = poDesigned;
    TFont font = Font();
    font.Charset = fcRussianCharset;
    SetFont(font);

    Panel1 = Create<TPanel>("Panel1");
    Panel1->SetParent(this);
    Panel1->SetAlign(alClient);
    Panel1->BevelWidth = 2;
    Label1 = Create<TLabel>("Label1");
    Label1->SetParent(Panel1);
    Label1->SetBounds(16, 13, 0, 0);
    Label1->SetCaption("Копирование файлов");
    ProgressBar1 = Create<TProgressBar>("ProgressBar1");
    ProgressBar1->SetParent(Panel1);
    ProgressBar1->SetBounds(2, 37, 628, 16);
    ProgressBar1->SetRange(0, 100);

    FUnZipper = std::make_unique<TUnZipper>();
    UnZipper1 = FUnZipper.get();
    UnZipper1->RecreateDirs = true;
    UnZipper1->OverwriteMode = Always;
    UnZipper1->DoAll = true;
    UnZipper1->OnTotalPercentDone = [this](TUnZipper* s, int percent) { UnZipper1TotalPercentDone(s, percent); };
    UnZipper1->OnEndUnZip = [this](TUnZipper* s, int index, const AnsiString& name) {
        UnZipper1EndUnZip(s, index, name);
    };
    UnZipper1->OnSkippingFile = [this](TUnZipper* s, TSkipReason reason, const AnsiString& name, int index) {
        UnZipper1SkippingFile(s, reason, name, index);
    };
    UnZipper1->OnBadCRC = [this](TUnZipper* s, int calc, int stored, int index) { UnZipper1BadCRC(s, calc, stored, index); };

    OnActivate = [this](TObject* s) { FormShow(s); };
    OnCloseQuery = [this](TObject* s, bool& canClose) { FormCloseQuery(s, canClose); };
}

TInstF3::~TInstF3() = default;

void TInstF3::FormCloseQuery(TObject*, bool& CanClose) { CanClose = false; }

// ---- The start of the run ------------------------------------------------------------

void TInstF3::ExpandMacros() {
    TPackageDescription& p = PackageDescription;
    p.FinishProgram = ExpandInstallDir(p.FinishProgram);
    p.FinishWorkDir = ExpandInstallDir(p.FinishWorkDir);
    Settings.Params = Trim(ExpandStartDir(ExpandInstallDir(Settings.Params)));
    p.FinishParams = Settings.Params.empty() ? ExpandInstallDir(p.FinishParams) : Settings.Params;
    for (int i = 0; i < p.CreateDirs.Count; ++i) p.CreateDirs[i] = ExpandInstallDir(p.CreateDirs[i]);
    for (int i = 0; i < p.Shortcuts.Count; ++i) {
        TLink& link = p.Shortcuts[i];
        link.Target = ExpandInstallDir(link.Target);
        link.Arguments = ExpandInstallDir(link.Arguments);
        link.WorkDir = ExpandInstallDir(link.WorkDir);
        link.Folder = ExpandInstallDir(link.Folder);
    }
    for (int i = 0; i < p.Associations.Count; ++i)
        p.Associations[i].ProgramDir = ExpandInstallDir(p.Associations[i].ProgramDir);
}

bool TInstF3::CreateFolders(const AnsiString& folder) {
    std::vector<AnsiString> missing;
    for (AnsiString f = folder; !f.empty() && !DirectoryExists(f); f = FolderPart(f)) missing.push_back(f);
    if (missing.empty()) return true;
    ForceDirectories(folder);
    for (auto it = missing.rbegin(); it != missing.rend(); ++it)
        if (DirectoryExists(*it)) FRollback->FolderCreated(*it);
    return DirectoryExists(folder);
}

bool TInstF3::PrepareTargetFolder() {
    const TPackageDescription& p = PackageDescription;
    for (int i = 0; i < p.CreateDirs.Count; ++i) CreateFolders(p.CreateDirs[i]);
    // The run cannot go on without these two; the error routine names the folder.
    for (const char* name : {kUninstFolder, kStagingFolder}) {
        const AnsiString folder = p.InstallDir + name;
        if (DirectoryExists(folder)) continue;
        if (!CreateDir(folder)) {
            AbortInstallation("Невозможно создать каталог \"" + folder + "\".\r\nПродолжение установки невозможно.");
            return false;
        }
        // UNINST stays after a failed run, as the uninstaller's folder; TEMP goes anyway.
    }
    if (!p.SelfCopyName.empty() && IsSafeEntryPath(p.SelfCopyName)) {
        const AnsiString copy = p.InstallDir + kStagingFolder + "\\" + p.SelfCopyName;
        CopyFile(StartupServices().ModuleFileName(), copy, false);
        ClearReadOnly(copy);
    }
    return true;
}

void TInstF3::StartInstallLog() {
    const TPackageDescription& p = PackageDescription;
    InstallLog = std::make_unique<TStringList>();
    InstallLog->Add(p.UninstallTitle + "|" + p.UninstallQuestion + "|" + p.UninstallDoneMessage + "|" +
                    p.UninstallPartialMessage + "|");
    for (int i = 0; i < p.UninstallExtraLines.Count; ++i) InstallLog->Add(ExpandInstallDir(p.UninstallExtraLines[i]));
}

void TInstF3::FormShow(TObject*) {
    // A message box closing activates the window again; the run starts once.
    if (FStarted) return;
    FStarted = true;
    TPackageDescription& p = PackageDescription;
    Application->ProcessMessages();
    ExpandMacros();
    UnZipper1->Password = ArchivePassword;
    UnZipper1->SetDestDir(p.InstallDir + kStagingFolder);
    ProgressBar1->SetRange(0, p.VolumeCount * VolumeProgress + p.Shortcuts.Count * ShortcutProgress);
    ProgressBar1->SetPosition(0);
    FailedUpdates.clear();
    FailedCreates.clear();
    FailedShortcuts.clear();
    GroupError.clear();
    FRollback = std::make_unique<TRollback>(TRollback::FreeBackupFolder(p.InstallDir));
    StartInstallLog();
    Finished = false;
    if (!PrepareTargetFolder()) return;

    AnsiString abortMessage;
    for (int n = 1; n <= p.VolumeCount; ++n) {
        try {
            UnZipper1->SetZipName(VolumeFileName(n));
            p.CurrentVolume = n;
            UnZipper1->UnZip();
        } catch (const std::exception& error) {
            abortMessage = AbortMessageFor(error);
            break;
        } catch (...) {
            break;
        }
    }
    if (!Finished) AbortInstallation(abortMessage);
}

void TInstF3::UnZipper1TotalPercentDone(TUnZipper*, int Percent) {
    ProgressBar1->SetPosition((PackageDescription.CurrentVolume - 1) * VolumeProgress + Percent);
}

void TInstF3::UnZipper1EndUnZip(TUnZipper*, int FileIndex, const AnsiString&) {
    const TPackageDescription& p = PackageDescription;
    Label1->SetCaption(p.RunCaption + ": копирование файлов...");
    PlaceFile(UnZipper1->FullName(FileIndex));
    // The event of the last entry of the last volume is the only sign that all was read.
    if (FileIndex == UnZipper1->Count() - 1 && p.CurrentVolume == p.VolumeCount) FinishInstallation();
}

void TInstF3::UnZipper1SkippingFile(TUnZipper*, TSkipReason, const AnsiString& FName, int) {
    throw EDamagedEntry("Damaged entry " + FName);
}

void TInstF3::UnZipper1BadCRC(TUnZipper* Sender, int, int, int FileIndex) {
    throw EDamagedEntry("Damaged entry " + Sender->FullName(FileIndex));
}

// ---- Placement -----------------------------------------------------------------------

bool TInstF3::IsExcludedFolder(const AnsiString& D) const { return ::IsExcludedFolder(D, ExcludedNames.get()); }

bool TInstF3::IsKeepFile(const AnsiString& E) const { return ::IsKeepFile(E, PackageDescription.KeepFiles); }

void TInstF3::ReportFailure(AnsiString& list, const AnsiString& path) { list += Quoted(path); }

bool TInstF3::DeleteWithRetry(const AnsiString& T) {
    const TPackageDescription& p = PackageDescription;
    // No file is deleted before a copy of it is kept: a copy that cannot be made (the file
    // is locked for reading too, or the disk is full) counts as a deletion that failed.
    bool copied = FRollback->KeepCopy(T);
    ClearReadOnly(T);
    bool ok = copied && DeleteFile(T);
    while (!ok) {
        const int answer = MessageDlg(
            "Ошибка при обновлении файла \"" + T + "\". Возможно, прежняя версия файла используется " +
                "в одном из работающих приложений. Закройте все приложения, " + "кроме программы установки " +
                p.ProductName + ", и повторите попытку обновления, " +
                "нажав кнопку \"Повтор\".\r\nПри повторном возникновении ошибки нажмите кнопку \"Далее\".",
            mtWarning, mbRetry | mbIgnore);
        if (answer == mrIgnore) break;
        if (!copied) copied = FRollback->KeepCopy(T);
        ok = copied && DeleteFile(T);
    }
    if (!ok && copied) FRollback->Release(T);
    return ok;
}

void TInstF3::PlaceFile(const AnsiString& E) {
    TPackageDescription& p = PackageDescription;
    // Nothing outside the target folder (or the system folder) is written or deleted, and
    // no staged file outside the staging folder is touched, whatever the name.
    if (!IsSafeEntryPath(E)) {
        ReportFailure(FailedUpdates, p.InstallDir + "\\" + E);
        return;
    }
    if (IsExcludedFolder(FolderPart(E))) return;
    const AnsiString S = p.InstallDir + kStagingFolder + "\\" + E;
    const bool system = IsSystemEntry(E);
    AnsiString T;
    if (system) {
        const AnsiString rest = E.substr(SystemEntryPrefix.size(), MaxSystemEntryRest);
        if (!IsSafeEntryPath(rest)) {
            ReportFailure(FailedUpdates, p.SystemDir + "\\" + rest);
            return;
        }
        T = p.SystemDir + "\\" + rest;
        if (FileExists(T) && !StrictlyLater(FileAge(S), FileAge(T))) return;
    } else {
        T = p.InstallDir + "\\" + E;
    }

    const AnsiString F = FolderPart(T);
    if (!DirectoryExists(F) && CreateFolders(F)) {
        const AnsiString upper = UpperCase(F);
        bool known = false;
        for (int i = 0; i < p.CreateDirs.Count && !known; ++i) known = UpperCase(p.CreateDirs[i]) == upper;
        if (!known && p.CreateDirs.Count < p.CreateDirs.Capacity) p.CreateDirs.Add(upper);
    }

    if (!IsKeepFile(E)) {
        const bool existed = FileExists(T);
        const bool ok = !existed || DeleteWithRetry(T);
        const bool moved = ok && MoveFile(S, T);
        if (!moved) {
            // The old file was deleted and the new one did not take its place: the old one
            // comes back rather than leaving nothing there.
            if (ok && existed) FRollback->RestoreNow(T);
            ReportFailure(FailedUpdates, T);
            DeleteFile(S);
            return;
        }
        FRollback->Created(T);
    } else if (FileExists(T)) {
        DeleteFile(S);
    } else if (MoveFile(S, T)) {
        FRollback->Created(T);
    } else {
        ReportFailure(FailedCreates, T);
        DeleteFile(S);
        return;
    }
    if (!system) InstallLog->Add(T);
}

void TInstF3::DeleteTree(const AnsiString& folder) {
    // Only the run's own files are deleted this way (staging, copies of a finished run): a
    // read-only one is made writable, or it would keep its folder.
    RemoveTree(folder);
}

// ---- The finishing steps -------------------------------------------------------------

void TInstF3::CreateGroupFolder() {
    const TPackageDescription& p = PackageDescription;
    const AnsiString group = p.ProgramsDir + p.GroupSubdir;
    if (DirectoryExists(group)) return;
    if (CreateDir(group))
        FRollback->FolderCreated(group);
    else
        GroupError = GroupErrorText(p.GroupSubdir);
}

void TInstF3::CreateShortcuts() {
    const TPackageDescription& p = PackageDescription;
    const AnsiString desktop = AnsiUpperCase(p.DesktopDir);
    const AnsiString programs = AnsiUpperCase(p.ProgramsDir);
    for (int i = 0; i < p.Shortcuts.Count; ++i) {
        const TLink& link = p.Shortcuts[i];
        const AnsiString folder = AnsiUpperCase(link.Folder);
        if (folder == desktop && !Settings.Desktop) continue;
        if (!programs.empty() && folder.find(programs) != AnsiString::npos && !Settings.StartMenu) continue;
        if (FileExists(link.Target)) {
            const AnsiString L = link.Folder + "\\" + link.Caption + ".lnk";
            bool made = false;
            if (DirectoryExists(link.Folder) && FRollback->KeepCopy(L)) {
                made = CreateShortcut(link.Target, link.Arguments, link.WorkDir, L);
                if (made)
                    FRollback->Created(L);
                else if (!FileExists(L))
                    FRollback->RestoreNow(L);
                else
                    FRollback->Release(L);
            }
            if (made)
                InstallLog->Add(L);
            else
                ReportFailure(FailedShortcuts, link.Folder + "\\" + link.Caption);
        }
        ProgressBar1->SetPosition(ProgressBar1->Position() + ShortcutProgress);
        Application->ProcessMessages();
    }
}

AnsiString TInstF3::FinalReport() const {
    const TPackageDescription& p = PackageDescription;
    TReportFacts facts;
    facts.ProductName = p.ProductName;
    facts.ProductNoun = p.ProductNoun;
    facts.ProductNounGenitive = p.ProductNounGenitive;
    facts.GroupSubdir = p.GroupSubdir;
    facts.ShortcutCount = p.Shortcuts.Count;
    facts.StartMenu = Settings.StartMenu;
    facts.FinishProgramStarts = !p.FinishProgram.empty() && FileExists(p.FinishProgram) && Settings.Run;
    facts.FinishProgramMessage = p.FinishProgramMessage;
    return FinalReportText(Failures(), facts);
}

void TInstF3::FinishInstallation() {
    const TPackageDescription& p = PackageDescription;
    if (!p.SelfCopyName.empty()) PlaceFile(p.SelfCopyName);
    DeleteTree(p.InstallDir + kStagingFolder);
    Label1->SetCaption(p.RunCaption + ": создание ярлыков...");
    for (int i = 0; i < p.Associations.Count; ++i) {
        const TFileExt& a = p.Associations[i];
        RegisterAssociation(a.Extension, a.ProgramDir, a.ProgramFile, a.Description, a.IconIndex);
    }
    if (Settings.StartMenu) CreateGroupFolder();
    CreateShortcuts();
    WriteInstallLog(p.InstallDir + kUninstFolder + "\\" + p.LogFileName, *InstallLog);
    InstallLog.reset();
    Finished = true;
    // From here on nothing is undone: the copies of the replaced files go.
    FRollback->Commit();
    Label1->SetCaption(p.RunCaption);
    Hide();
    const bool problems = Failures().Any();
    gExitStatus = problems ? ExitInstalledWithProblems : ExitInstalled;
    if (problems || Settings.FinalMessage) MessageDlg(FinalReport(), mtInformation, mbOK);
    if (!problems && !p.FinishProgram.empty() && FileExists(p.FinishProgram) && Settings.Run)
        StartProgram(p.FinishProgram, p.FinishParams, p.FinishWorkDir, 0);
    Application->Terminate();
}

// ---- The error routine ---------------------------------------------------------------

AnsiString TInstF3::AbortMessageFor(const std::exception& error) const {
    // A target that cannot be written (a full disk, a name that cannot be created) is not a
    // damaged volume, and the user must not be sent to look for another copy of one.
    if (dynamic_cast<const EWriteError*>(&error) || dynamic_cast<const EFCreateError*>(&error) ||
        dynamic_cast<const EInOutError*>(&error))
        return "Ошибка при записи файлов установки (" + AnsiString(error.what()) +
               ").\r\nПродолжение установки невозможно.";
    return AnsiString();
}

void TInstF3::AbortInstallation(const AnsiString& message) {
    TPackageDescription& p = PackageDescription;
    const int volume = p.CurrentVolume < 1 ? 1 : p.CurrentVolume;
    MessageDlg(message.empty() ? "Ошибка при чтении данных. Вероятно, испорчен файл " + VolumeDisplayName(volume) +
                                     ".\r\n" + "Продолжение установки невозможно."
                               : message,
               mtError, mbOK);
    // Every file the run made goes and every file it replaced comes back; files it kept and
    // the files the log's extra lines name were never touched.
    if (FRollback) FRollback->Undo();
    InstallLog.reset();
    DeleteTree(p.InstallDir + kStagingFolder);
    RemoveDir(p.InstallDir);
    for (int pass = 0; pass < FolderRemovalPasses; ++pass)
        for (int i = 0; i < p.CreateDirs.Count; ++i) RemoveDir(p.CreateDirs[i]);
    if (FRollback) FRollback->RemoveCreatedFolders();
    gExitStatus = ExitRolledBack;
    Application->Terminate();
}

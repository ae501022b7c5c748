// The run window TInstF3: the whole installation run, from its first activation to the end
// of the program: extraction of every data volume into staging, placement of each verified
// file, associations, shortcuts, the log, the final report, the follow-up program, and the
// rollback when the run fails. Relies on the package description (setup/), the unzip
// component (unzip/) and the installation's own units beside it.
#pragma once

#include "install/ArchivePassword.h"
#include "install/FinalReport.h"
#include "install/Rollback.h"
#include "platform/rtl/Classes.h"
#include "platform/ui/Forms.h"
#include "unzip/UnZipper.h"

#include <memory>

// The program's exit status, as the run leaves it.
constexpr int ExitInstalled = 0;              // installed without problems
constexpr int ExitNotInstalled = 1;           // the run never started (left before it, volume missing)
constexpr int ExitRolledBack = 2;             // the run failed and undid what it had done
constexpr int ExitInstalledWithProblems = 3;  // installed; the report lists what failed
int InstallExitStatus();
void ResetInstallExitStatus();

// An entry of a data volume that failed its check, or that could not be extracted.
SETUP_EXCEPTION_CLASS(EDamagedEntry, Exception);

class TInstF3 : public TForm {
public:
    TInstF3();
    ~TInstF3() override;

    TPanel* Panel1 = nullptr;
    TLabel* Label1 = nullptr;
    TProgressBar* ProgressBar1 = nullptr;
    TUnZipper* UnZipper1 = nullptr;

    // The lines of the installation log, from the start of the run until the log is written
    // or the run is undone.
    std::unique_ptr<TStringList> InstallLog;
    AnsiString FailedUpdates;
    AnsiString FailedCreates;
    AnsiString FailedShortcuts;
    AnsiString GroupError;
    bool Finished = false;

    // The whole run, on the first activation only.
    void FormShow(TObject* Sender);
    void UnZipper1TotalPercentDone(TUnZipper* Sender, int Percent);
    void UnZipper1EndUnZip(TUnZipper* Sender, int FileIndex, const AnsiString& FName);
    void FormCloseQuery(TObject* Sender, bool& CanClose);
    // An entry skipped or failing its CRC check: the volume is damaged, and the run must not
    // end as a success without that file.
    void UnZipper1SkippingFile(TUnZipper* Sender, TSkipReason Reason, const AnsiString& FName, int FileIndex);
    void UnZipper1BadCRC(TUnZipper* Sender, int CalcCRC, int StoredCRC, int FileIndex);

    // Moves one extracted file from staging to its place (E: its path in the archive).
    void PlaceFile(const AnsiString& E);
    void FinishInstallation();
    // The error routine: tells the user, undoes the run, ends the program. An empty text is
    // the data read message naming the current volume.
    void AbortInstallation(const AnsiString& message = AnsiString());
    // Deletes a folder with everything in it; failures are ignored.
    void DeleteTree(const AnsiString& folder);

    bool IsExcludedFolder(const AnsiString& D) const;
    bool IsKeepFile(const AnsiString& E) const;

    // The failure texts as the final report takes them.
    TRunFailures Failures() const { return {FailedUpdates, FailedCreates, FailedShortcuts, GroupError}; }
    // The text of the final report as the finishing steps compose it.
    AnsiString FinalReport() const;

    static constexpr int FormClientWidth = 632, FormClientHeight = 65;
    // Progress units of one volume and of one shortcut record.
    static constexpr int VolumeProgress = 100, ShortcutProgress = 5;
    // Passes over CreateDirs that remove nested created folders.
    static constexpr int FolderRemovalPasses = 4;

private:
    void ExpandMacros();
    bool PrepareTargetFolder();
    void StartInstallLog();
    void ReportFailure(AnsiString& list, const AnsiString& path);
    // Creates a folder with its missing parents, and records the ones it created.
    bool CreateFolders(const AnsiString& folder);
    bool DeleteWithRetry(const AnsiString& T);
    void CreateGroupFolder();
    void CreateShortcuts();
    AnsiString AbortMessageFor(const std::exception& error) const;

    bool FStarted = false;
    std::unique_ptr<TUnZipper> FUnZipper;
    std::unique_ptr<TRollback> FRollback;
};

extern TInstF3* InstF3;

// What the installation run must be able to undo: every file it put on the disk, and a copy
// of every file it deleted or overwrote, kept in a backup folder of the target folder until
// the run has either completed (the copies go) or failed (the copies go back in place).
// Relies on the file services of platform/os; keeps its journal in memory.
#pragma once

#include "platform/rtl/Types.h"

#include <unordered_map>
#include <vector>

class TRollback {
public:
    // The backup folder is created only when the first copy is needed.
    explicit TRollback(AnsiString backupFolder);

    // A folder name under installDir for the copies that no earlier run left behind: a run
    // that crashed keeps its copies, which are then the only ones of the replaced files.
    static AnsiString FreeBackupFolder(const AnsiString& installDir);

    const AnsiString& BackupFolder() const { return FBackupFolder; }

    // Before the run deletes or overwrites the file `target`: keeps a copy of it, with its
    // time and attributes, unless this run made the file or holds a copy already. False when
    // no copy could be made: the file must then be left alone.
    bool KeepCopy(const AnsiString& target);
    // The run has put a file of its own at `target` (after KeepCopy when one was there).
    void Created(const AnsiString& target);
    // The file at `target` stays as it was (the user gave up replacing it): its attributes
    // are put back and its copy goes.
    void Release(const AnsiString& target);
    // The old file at `target` has been deleted and the new one could not take its place:
    // puts the old one back at once. False when there was nothing to put back or it failed.
    bool RestoreNow(const AnsiString& target);

    // The run made this folder (it did not exist before).
    void FolderCreated(const AnsiString& folder);

    // The run failed: deletes the files it made and puts every copy back, newest first.
    // A copy that cannot be put back stays in the backup folder, which then stays too.
    void Undo();
    // After Undo: removes the folders the run made, newest first, where they are empty.
    void RemoveCreatedFolders();
    // The run completed: the copies are not needed any more.
    void Commit();

    // Copies held at the moment (for tests and the report of a failed undo).
    int CopiesHeld() const;

private:
    struct TRecord {
        AnsiString Target;
        AnsiString Backup;  // empty: the file did not exist before the run
        int Attributes = 0;
        bool Made = false;  // the file now at Target is this run's
        bool Done = false;  // nothing is left to do for this record
    };
    TRecord* Find(const AnsiString& target);
    bool PutBack(TRecord& record);

    AnsiString FBackupFolder;
    int FNextCopy = 1;
    std::vector<TRecord> FRecords;
    std::vector<AnsiString> FFolders;
    std::unordered_map<AnsiString, size_t> FIndex;
};

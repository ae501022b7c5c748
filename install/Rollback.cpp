// The rollback journal: numbered copies in one backup folder, records in placement order.
#include "install/Rollback.h"

#include "install/PlacementRules.h"
#include "platform/os/FileSystem.h"
#include "platform/rtl/SysUtils.h"

namespace {

const char* const kBackupFolderName = "$$backup$";

// Deletes a file whatever its read-only attribute says.
bool ForceDelete(const AnsiString& path) {
    ClearReadOnly(path);
    return DeleteFile(path);
}

}  // namespace

TRollback::TRollback(AnsiString backupFolder) : FBackupFolder(std::move(backupFolder)) {}

AnsiString TRollback::FreeBackupFolder(const AnsiString& installDir) {
    const AnsiString base = installDir + "\\" + kBackupFolderName;
    AnsiString folder = base;
    for (int n = 2; DirectoryExists(folder) || FileExists(folder); ++n) folder = base + IntToStr(n);
    return folder;
}

TRollback::TRecord* TRollback::Find(const AnsiString& target) {
    const auto it = FIndex.find(target);
    return it == FIndex.end() ? nullptr : &FRecords[it->second];
}

bool TRollback::KeepCopy(const AnsiString& target) {
    if (TRecord* known = Find(target); known && !known->Done) return true;
    if (!FileExists(target)) return true;
    if (!DirectoryExists(FBackupFolder) && !ForceDirectories(FBackupFolder)) return false;
    AnsiString backup;
    do backup = FBackupFolder + "\\" + IntToStr(FNextCopy++);
    while (FileExists(backup) || DirectoryExists(backup));
    TRecord record;
    record.Target = target;
    record.Backup = backup;
    record.Attributes = FileGetAttr(target);
    // The copy keeps the file's time; its attributes are put back from the record.
    if (record.Attributes == -1 || !CopyFile(target, backup, true)) {
        ForceDelete(backup);
        return false;
    }
    FIndex[target] = FRecords.size();
    FRecords.push_back(std::move(record));
    return true;
}

void TRollback::Created(const AnsiString& target) {
    if (TRecord* known = Find(target); known && !known->Done) {
        known->Made = true;
        return;
    }
    TRecord record;
    record.Target = target;
    record.Made = true;
    FIndex[target] = FRecords.size();
    FRecords.push_back(std::move(record));
}

void TRollback::Release(const AnsiString& target) {
    TRecord* record = Find(target);
    if (!record || record->Done || record->Made || record->Backup.empty()) return;
    if (FileExists(target)) FileSetAttr(target, record->Attributes);
    if (ForceDelete(record->Backup)) record->Done = true;
}

bool TRollback::PutBack(TRecord& record) {
    if (FileExists(record.Target)) return false;
    if (!MoveFile(record.Backup, record.Target)) {
        // MoveFile may not cross volumes everywhere (a system file's copy lives under the
        // target folder); a copy keeps the time as well.
        if (!CopyFile(record.Backup, record.Target, true)) return false;
        ForceDelete(record.Backup);
    }
    FileSetAttr(record.Target, record.Attributes);
    return true;
}

bool TRollback::RestoreNow(const AnsiString& target) {
    TRecord* record = Find(target);
    if (!record || record->Done || record->Backup.empty()) return false;
    if (!PutBack(*record)) return false;
    record->Done = true;
    return true;
}

void TRollback::Undo() {
    for (auto it = FRecords.rbegin(); it != FRecords.rend(); ++it) {
        TRecord& record = *it;
        if (record.Done) continue;
        if (record.Made && FileExists(record.Target)) ForceDelete(record.Target);
        if (record.Backup.empty()) {
            record.Done = true;
            continue;
        }
        // A copy whose file is still in place (an undo between the copy and the deletion)
        // is not needed; one that cannot go back stays where it is.
        if (record.Made ? PutBack(record) : (FileExists(record.Target) ? ForceDelete(record.Backup) : PutBack(record)))
            record.Done = true;
    }
    RemoveDir(FBackupFolder);
}

void TRollback::FolderCreated(const AnsiString& folder) { FFolders.push_back(folder); }

void TRollback::RemoveCreatedFolders() {
    for (auto it = FFolders.rbegin(); it != FFolders.rend(); ++it) RemoveDir(*it);
}

void TRollback::Commit() {
    for (TRecord& record : FRecords) {
        if (!record.Done && !record.Backup.empty() && ForceDelete(record.Backup)) record.Done = true;
        if (record.Backup.empty()) record.Done = true;
    }
    RemoveDir(FBackupFolder);
}

int TRollback::CopiesHeld() const {
    int held = 0;
    for (const TRecord& record : FRecords)
        if (!record.Done && !record.Backup.empty()) ++held;
    return held;
}

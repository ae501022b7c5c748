// Writing the installation log: merge, write beside, flush, rename over the old one.
#include "install/InstallLogFile.h"

#include "install/PlacementRules.h"
#include "platform/os/FileStream.h"
#include "platform/os/FileSystem.h"
#include "platform/rtl/SysUtils.h"

AnsiString InstallLogPendingName(const AnsiString& logPath) { return logPath + ".new"; }

TStringList MergeInstallLog(const TStringList* existing, const TStringList& installLog) {
    if (!existing) return installLog;
    TStringList merged = *existing;
    for (int i = 1; i < installLog.Count(); ++i)
        if (merged.IndexOf(installLog[i]) < 0) merged.Add(installLog[i]);
    return merged;
}

void WriteInstallLog(const AnsiString& logPath, const TStringList& installLog) {
    TStringList old;
    const bool exists = FileExists(logPath);
    if (exists) {
        ClearReadOnly(logPath);
        old.LoadFromFile(logPath);
    }
    const AnsiString text = MergeInstallLog(exists ? &old : nullptr, installLog).GetText();
    const AnsiString pending = InstallLogPendingName(logPath);
    ClearReadOnly(pending);
    try {
        TFileStream file(pending, fmCreate);
        file.WriteBuffer(text.data(), static_cast<int32_t>(text.size()));
        file.FlushToDisk();
        file.Close();
    } catch (...) {
        DeleteFile(pending);
        throw;
    }
    if (!ReplaceFile(pending, logPath)) {
        const AnsiString reason = LastErrorMessage();
        DeleteFile(pending);
        throw EWriteError("Cannot create file \"" + logPath + "\". " + reason);
    }
}

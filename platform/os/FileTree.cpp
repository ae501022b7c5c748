// Operations on whole folder trees, composed from the file system calls of either backend.
#include "platform/os/FileSystem.h"

bool RemoveTree(const AnsiString& folder) {
    for (const TSearchRec& rec : FindFiles(folder + "\\*")) {
        const AnsiString path = folder + "\\" + rec.Name;
        if (rec.Attr & faDirectory) {
            RemoveTree(path);
        } else {
            if (rec.Attr & faReadOnly) FileSetAttr(path, rec.Attr & ~faReadOnly);
            DeleteFile(path);
        }
    }
    RemoveDir(folder);
    return !DirectoryExists(folder);
}

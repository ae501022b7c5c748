// Files and folders, as the system asks for them. Paths are Windows paths in CP1251
// (backslashes, "X:" drives). The win32 backend hands them to the W functions; the posix
// backend maps them to host paths (see PathMap in posix/).
#pragma once

#include "platform/rtl/Types.h"

#include <cstdint>
#include <vector>

// File attribute bits, with the values of Windows.
constexpr int faReadOnly = 0x01;
constexpr int faHidden = 0x02;
constexpr int faSysFile = 0x04;
constexpr int faVolumeID = 0x08;
constexpr int faDirectory = 0x10;
constexpr int faArchive = 0x20;
constexpr int faAnyFile = 0x3F;

// A file is never a folder and a folder never a file.
bool FileExists(const AnsiString& path);
bool DirectoryExists(const AnsiString& path);

// Attributes, or -1 when the path does not exist. On Linux, faReadOnly stands for a file
// without its owner's write permission, faDirectory for a folder, faArchive for a file.
int FileGetAttr(const AnsiString& path);
// True on success. On Linux only faReadOnly has an effect.
bool FileSetAttr(const AnsiString& path, int attributes);

bool CreateDir(const AnsiString& path);          // one level; false when it fails or exists
bool ForceDirectories(const AnsiString& path);   // with every missing parent; true when it exists afterwards
bool RemoveDir(const AnsiString& path);          // only an empty folder
// Deletes a file; a read-only file is refused on every platform, as Windows does.
bool DeleteFile(const AnsiString& path);
// Copies a file with its time; with failIfExists an existing target is refused.
bool CopyFile(const AnsiString& from, const AnsiString& to, bool failIfExists);
// Moves (renames) a file or folder; never replaces an existing target.
bool MoveFile(const AnsiString& from, const AnsiString& to);
// Replaces `target` by `source` in one step where the system allows it (the source is gone
// afterwards); used to put a fully written file in place of an old one.
bool ReplaceFile(const AnsiString& source, const AnsiString& target);

struct TSearchRec {
    AnsiString Name;     // without folder
    int Attr = 0;
    int64_t Size = 0;
    int32_t Time = 0;    // last-write time as DOS date-time, local time
};
// Entries of the folder part of `pattern` whose names match its last component ("*.*" or
// "*" for all; "?" and "*" as Windows matches them). "." and ".." are never listed. Names
// that CP1251 cannot hold are left out on Linux (they could not be named by the system).
std::vector<TSearchRec> FindFiles(const AnsiString& pattern);

// An entry of a folder that the system cannot use, and why; the name shows "_" for each
// character that CP1251 cannot hold.
enum TUnusableReason {
    urNameNotRepresentable,  // CP1251 cannot hold the name (the system could not name it)
    urCannotExamine,         // its type and size cannot be read (a link to nothing)
    urNotFileOrFolder,       // a device, pipe or socket
};
struct TUnusableEntry {
    AnsiString Name;
    TUnusableReason Reason = urNameNotRepresentable;
};
// Every entry of a folder, for tools that must not lose one silently (FindFiles leaves out
// what it cannot name): the usable ones in `entries`, the others in `unusable`. False, with
// LastErrorMessage(), when the folder cannot be read.
bool ListFolder(const AnsiString& folder, std::vector<TSearchRec>& entries, std::vector<TUnusableEntry>& unusable);

// Last-write time as a DOS date-time (local time), or -1 when the file does not exist.
int32_t FileAge(const AnsiString& path);
// Sets the last-write time from a DOS date-time (local time). True on success.
bool FileSetDate(const AnsiString& path, int32_t dosDateTime);
// Last-write time at full resolution (local time); 0 when the file does not exist.
TDateTime FileLastWriteTime(const AnsiString& path);
// Size in bytes, or -1.
int64_t FileSizeOf(const AnsiString& path);

AnsiString GetCurrentDir();
bool SetCurrentDir(const AnsiString& path);
// Full path of the running program's own file.
AnsiString GetModuleFileName();
// The text of the last failing call of this layer, for messages ("No such file or directory").
AnsiString LastErrorMessage();

// ---- Drives ----------------------------------------------------------------------------

constexpr int DRIVE_UNKNOWN_TYPE = 0;
constexpr int DRIVE_NO_ROOT = 1;
constexpr int DRIVE_REMOVABLE_TYPE = 2;
constexpr int DRIVE_FIXED_TYPE = 3;
// Type of the drive whose root is given ("A:\"), as Windows numbers it. On Linux every
// mapped drive is fixed and others have no root.
int GetDriveType(const AnsiString& root);
// Volume label of the drive whose root is given; empty when it has none or cannot be read
// (always empty on Linux).
AnsiString GetVolumeLabel(const AnsiString& root);

// The Windows system folder (on Linux: see the README's table of folders).
AnsiString GetSystemDir();

// Deletes a folder with everything in it, read-only files included (they are made writable
// first). Failures are ignored; true when the folder is gone afterwards.
bool RemoveTree(const AnsiString& folder);

// The package folder as the entries of its data volumes: every folder and file under it, in
// the order the volumes hold them, with everything that the setup program could not install
// named as a problem. Relies on the platform's folder listing and the reader's name rules.
#pragma once

#include "platform/rtl/Types.h"

#include <cstdint>
#include <vector>

// The largest file an entry can hold: sizes are signed 32-bit values in the reader, and an
// encrypted entry carries 12 bytes more than its data.
constexpr int64_t MaxPackFileSize = 0x7FFFFFFF - 12;

// One entry to be: a folder ("docs\") or a file ("docs\a.txt"), with what the volume keeps of
// it (the DOS date-time and attributes read from the disk).
struct TPackItem {
    AnsiString Name;    // "\" between folders; a folder's name ends with "\"
    AnsiString Source;  // the file or folder on the disk
    bool IsFolder = false;
    int64_t Size = 0;
    int32_t DosTime = 0;
    int Attr = 0;
};

// Reads the tree under `folder`: the folders first (each before the folders inside it), then
// the files (a folder's own files, then those of its subfolders), names in the order of the
// system's letter-case rules. Every problem found is one line in `problems` (a folder that
// cannot be read, a name the setup program refuses, names equal but for letter case, a file
// of 2 GiB or more, no file at all); false when there is any.
bool ReadPackTree(const AnsiString& folder, std::vector<TPackItem>& items, std::vector<AnsiString>& problems);

// The problem with one entry name (a folder's ends with "\"), or an empty text: the reader's
// rules for unsafe names, and no colon at all (a folder walk has no drive letters).
AnsiString PackNameProblem(const AnsiString& name);

// zipvol pack: the data volumes of a package from a folder, for the package this zipvol was
// built with. Everything the setup program could not install is refused before anything is
// written; the volumes are written beside their final names, read back with the setup
// program's own reader, and only then put in place of the old ones.
#pragma once

#include "platform/rtl/Types.h"
#include "tools/PackTree.h"

#include <cstdint>
#include <vector>

class TZipVolConsole;

// The package the volumes are for: the values its package file compiles in.
struct TPackTarget {
    AnsiString ProductName;
    int VolumeCount = 0;  // 0: this zipvol knows no package and packs nothing
};

// Entries one volume can hold: the reader's lists grow in steps that end at this capacity.
constexpr int MaxVolumeEntries = 65520;
// The largest volume: the reader compares entry offsets as signed 32-bit values.
constexpr int64_t MaxVolumeSize = 0x7FFFFFFF;

// Splits the entries into `volumes` volumes (indices into items, in order): the folders in
// the first, the files in runs of about equal size, at least one in each volume, so that
// every volume, and the last above all, ends with a file. False with the problem in
// `problem` when that cannot be done (fewer files than volumes, a volume over its entries).
bool PlanVolumes(const std::vector<TPackItem>& items, int volumes, std::vector<std::vector<size_t>>& plan,
                 AnsiString& problem);

// "1440K", "100M", "2G" or a number of bytes; false for anything else.
bool ParseVolumeSize(const AnsiString& text, int64_t& size);

// The command; args are those after "pack".
int ZipVolPack(const std::vector<AnsiString>& args, const TPackTarget& target, TZipVolConsole& console);

// TSortedZip: a sorted list of archive entries (TZipHeaderInfo) in one of eight orders. With
// ByNone it is archive order (volume, then local header offset), the order of the reader's
// master list.
#pragma once

#include "unzip/ObjectList.h"
#include "unzip/ZipRecords.h"

enum TZipSortMode { ByName, ByFileName, ByDirectoryName, ByDate, ByCompressedSize, ByUnCompressedSize, ByRate, ByNone };

class TSortedZip : public TSortedObjectList {
public:
    explicit TSortedZip(TDuplicateMode duplicates) : TSortedObjectList(duplicates) {}
    const char* ClassName() const override { return "TSortedZip"; }

    // key1 is the entry already in the list, key2 the one being placed.
    int Compare(TPersistent* key1, TPersistent* key2) override;

    TZipHeaderInfo* Entry(int32_t index) const { return static_cast<TZipHeaderInfo*>(Get(index)); }

    TZipSortMode SortMode = ByNone;
};

// Byte-wise comparison with a-z folded to A-Z: the first differing byte, else the lengths.
int CompareEntryText(const AnsiString& a, const AnsiString& b);

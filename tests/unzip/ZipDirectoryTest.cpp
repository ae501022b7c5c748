// The directory model: the owning lists with their growth, limits and messages, the eight
// sort orders, and the reading of central and local headers with the decoding of names.
#include "platform/rtl/CodePage.h"
#include "tests/common/ZipWriter.h"
#include "unzip/SortedZip.h"
#include "unzip/ZipRecords.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using ZipFixture::BuildZip;
using ZipFixture::DosTime;
using ZipFixture::Oem;
using ZipFixture::ReferenceCrc32;
using ZipFixture::TFixtureArchive;
using ZipFixture::TFixtureLayout;
using ZipFixture::UnicodePathExtra;
using ZipFixture::Utf8;

namespace {

struct TCounted : TPersistent {
    explicit TCounted(int* deaths) : Deaths(deaths) {}
    ~TCounted() override { ++*Deaths; }
    const char* ClassName() const override { return "TCounted"; }
    int* Deaths;
};

std::string ListError(const std::function<void()>& action) {
    try {
        action();
    } catch (const EListError& e) {
        return e.Message;
    }
    return "no error";
}

TZipHeaderInfo* Entry(const AnsiString& dir, const AnsiString& file, uint32_t offset = 0, uint16_t disk = 0) {
    auto* e = new TZipHeaderInfo;
    e->SetDirectory(dir);
    e->SetFilename(file);
    e->LocalOffset = offset;
    e->DiskStart = disk;
    return e;
}

std::vector<AnsiString> Names(const TSortedZip& list) {
    std::vector<AnsiString> out;
    for (int32_t i = 0; i < list.Count(); ++i) out.push_back(list.Entry(i)->FullName());
    return out;
}

// The central header of the first entry of a fixture, read from memory.
TZipHeaderInfo ReadFirstCentral(const TFixtureArchive& zip, bool* ok = nullptr) {
    const TFixtureLayout layout = BuildZip(zip);
    TMemoryStream stream(layout.Bytes);
    stream.Position = layout.CentralStart;
    TStream* s = &stream;
    TZipHeaderInfo e;
    const bool read = e.ReadCentralRecord(s);
    if (ok) *ok = read;
    return e;
}

}  // namespace

TEST(ObjectList, GrowsByFixedStepsUpToItsLimit) {
    int deaths = 0;
    {
        TObjectList list;
        std::vector<int32_t> capacities;
        for (int i = 0; i < 40; ++i) {
            list.Add(new TCounted(&deaths));
            if (capacities.empty() || capacities.back() != list.Capacity()) capacities.push_back(list.Capacity());
        }
        EXPECT_EQ(capacities, (std::vector<int32_t>{4, 8, 16, 32, 48}));
        while (list.Count() < 65520) list.Add(new TCounted(&deaths));
        EXPECT_EQ(list.Capacity(), 65520);
        TCounted extra(&deaths);
        EXPECT_EQ(ListError([&] { list.Add(&extra); }), "ListIndexError");
        EXPECT_EQ(list.Count(), 65520);
        EXPECT_EQ(ListError([&] { list.SetCapacity(65535); }), "ListIndexError");
        EXPECT_EQ(ListError([&] { list.SetCapacity(10); }), "ListIndexError");  // below Count
        list.SetCapacity(65534);
        EXPECT_EQ(list.Capacity(), 65534);
    }
    EXPECT_EQ(deaths, 65520 + 1);  // every item the list owned, and the one on the stack
}

TEST(ObjectList, IndexErrorsAndOwnership) {
    int deaths = 0;
    TObjectList list;
    EXPECT_EQ(ListError([&] { list.First(); }), "ListIndexError");
    EXPECT_EQ(ListError([&] { list.Last(); }), "ListIndexError");
    auto* a = new TCounted(&deaths);
    auto* b = new TCounted(&deaths);
    list.Add(a);
    list.Insert(0, b);
    EXPECT_EQ(list.Get(0), b);
    EXPECT_EQ(ListError([&] { list.Get(2); }), "ListIndexError");
    EXPECT_EQ(ListError([&] { list.Get(-1); }), "ListIndexError");
    EXPECT_EQ(ListError([&] { list.Insert(3, a); }), "ListIndexError");
    EXPECT_EQ(ListError([&] { list.Put(2, a); }), "ListIndexError");
    EXPECT_EQ(ListError([&] { list.SetCount(65535); }), "ListIndexError");
    list.Put(0, a);  // the old item is not destroyed
    EXPECT_EQ(deaths, 0);
    list.Put(0, b);
    EXPECT_EQ(list.IndexOf(a), 1);
    list.SetCount(4);  // new slots are absent
    EXPECT_EQ(list.Get(3), nullptr);
    list.SetCount(2);
    list.Clear();  // forgets without destroying
    EXPECT_EQ(deaths, 0);
    EXPECT_EQ(list.Capacity(), 0);
    list.Add(a);
    list.Add(b);
    list.FreeAll();
    EXPECT_EQ(deaths, 2);
    EXPECT_EQ(list.Count(), 0);
}

TEST(ObjectList, Neighbours) {
    TSortedZip list(dmError);
    list.OwnsItems = true;
    TZipHeaderInfo* x = Entry("", "x", 0);
    TZipHeaderInfo* y = Entry("", "y", 10);
    list.Add(x);
    list.Add(y);
    EXPECT_EQ(list.Neighbour(y, true), nullptr);
    EXPECT_EQ(list.Neighbour(nullptr, false), y);
    EXPECT_EQ(list.Neighbour(nullptr, true), x);
    EXPECT_EQ(list.Neighbour(y, false), x);
    TZipHeaderInfo stranger;
    stranger.LocalOffset = 5;
    EXPECT_EQ(ListError([&] { list.Neighbour(&stranger, true); }), "tObject TZipHeaderInfo not in item list");
}

TEST(SortedObjectList, DuplicateModes) {
    {
        TSortedZip list(dmError);
        list.Add(Entry("", "a", 450));
        std::unique_ptr<TZipHeaderInfo> twin(Entry("", "b", 450));
        EXPECT_EQ(ListError([&] { list.Add(twin.get()); }), "Duplicate Object index");
        EXPECT_EQ(list.Count(), 1);
        EXPECT_EQ(ListError([&] { list.Put(0, twin.get()); }), "Cannot <Put> an Object in a sorted list!");
    }
    {
        TSortedZip list(dmIgnore);
        list.Add(Entry("", "a", 450));
        std::unique_ptr<TZipHeaderInfo> twin(Entry("", "b", 450));
        EXPECT_EQ(list.Add(twin.get()), 0);
        EXPECT_EQ(list.Count(), 1);  // not added; it stays with the caller
    }
}

TEST(SortedZip, ArchiveOrderAndTheNameModes) {
    TSortedZip master(dmError);
    for (uint32_t offset : {900u, 0u, 450u}) master.Add(Entry("", Format("o%u", offset), offset));
    EXPECT_EQ(Names(master), (std::vector<AnsiString>{"o0", "o450", "o900"}));
    master.Add(Entry("", "second volume", 0, 1));
    EXPECT_EQ(master.Entry(3)->Filename, "second volume");

    TSortedZip byName(dmAccept);
    byName.OwnsItems = true;
    byName.SortMode = ByName;
    for (const char* n : {"B.TXT", "a.txt", "c.txt", "x", "X"}) byName.Add(Entry("", n));
    EXPECT_EQ(Names(byName), (std::vector<AnsiString>{"a.txt", "B.TXT", "c.txt", "X", "x"}));

    TSortedZip byFile(dmAccept);
    byFile.OwnsItems = true;
    byFile.SortMode = ByFileName;
    byFile.Add(Entry("z\\", "a"));
    byFile.Add(Entry("a\\", "b"));
    EXPECT_EQ(Names(byFile), (std::vector<AnsiString>{"z\\a", "a\\b"}));
    TSortedZip byDir(dmAccept);
    byDir.OwnsItems = true;
    byDir.SortMode = ByDirectoryName;
    byDir.Add(Entry("z\\", "a"));
    byDir.Add(Entry("a\\", "b"));
    EXPECT_EQ(Names(byDir), (std::vector<AnsiString>{"a\\b", "z\\a"}));
}

TEST(SortedZip, ValueModesPutTheLargestFirstAndKeepTiesInOrder) {
    struct TItem {
        const char* name;
        uint32_t date;
        int32_t packed, unpacked;
    };
    const TItem items[] = {
        {"old", DosTime(2001, 1, 1, 0, 0, 0), 10, 100},
        {"new", DosTime(2020, 1, 1, 0, 0, 0), 30, 60},
        {"tie1", DosTime(2010, 1, 1, 0, 0, 0), 20, 20},
        {"tie2", DosTime(2010, 1, 1, 0, 0, 0), 20, 0},
        {"bad date", 0xFFFFFFFF, 5, 50},
    };
    auto sorted = [&](TZipSortMode mode) {
        TSortedZip list(dmAccept);
        list.OwnsItems = true;
        list.SortMode = mode;
        for (const TItem& i : items) {
            TZipHeaderInfo* e = Entry("", i.name);
            e->DosDateTime = i.date;
            e->PackedSize = i.packed;
            e->UnpackedSize = i.unpacked;
            list.Add(e);
        }
        return Names(list);
    };
    EXPECT_EQ(sorted(ByDate), (std::vector<AnsiString>{"new", "tie1", "tie2", "old", "bad date"}));
    EXPECT_EQ(sorted(ByCompressedSize), (std::vector<AnsiString>{"new", "tie1", "tie2", "old", "bad date"}));
    EXPECT_EQ(sorted(ByUnCompressedSize), (std::vector<AnsiString>{"old", "new", "bad date", "tie1", "tie2"}));
    // Rates 10, 50, 100, 0 (no size), 10: equal rates put the later entry first.
    EXPECT_EQ(sorted(ByRate), (std::vector<AnsiString>{"tie1", "new", "bad date", "old", "tie2"}));
}

TEST(ZipRecords, NamesSplitIntoFolderAndFile) {
    struct TCase {
        const char* stored;
        const char* directory;
        const char* filename;
        int nameLength;
    } cases[] = {
        {"docs/readme.txt", "docs\\", "readme.txt", 15},
        {"docs/", "docs\\", "", 5},
        {"c:readme.txt", "c:\\", "readme.txt", 13},
        {"a\\b/c.txt", "a\\b\\", "c.txt", 9},
        {"plain", "", "plain", 5},
    };
    for (const TCase& c : cases) {
        TFixtureArchive zip;
        zip.Entries.push_back({.Name = c.stored, .Data = "x"});
        const TZipHeaderInfo e = ReadFirstCentral(zip);
        EXPECT_EQ(e.Directory, c.directory) << c.stored;
        EXPECT_EQ(e.Filename, c.filename) << c.stored;
        EXPECT_EQ(e.NameLength, c.nameLength) << c.stored;
    }
}

TEST(ZipRecords, CentralFieldsAreCopiedAndNormalised) {
    TFixtureArchive zip;
    zip.Entries.push_back({.Name = "pad", .Data = "123"});
    zip.Entries.push_back({.Name = "f.txt",
                           .Data = "hello",
                           .Method = 0,
                           .Flags = 0x0002,
                           .DosDateTime = DosTime(2012, 3, 5, 25, 10, 4),  // hour 25: clamped to 23
                           .VersionMadeBy = 0x031E,
                           .VersionNeeded = 10,
                           .InternalAttr = 1,
                           .ExternalAttr = 0x81A40021,
                           .CentralExtra = std::string("\x01\x02\x03\x00xyz", 7),
                           .Comment = "note",
                           .CentralDisk = 3});
    const TFixtureLayout layout = BuildZip(zip);
    TMemoryStream stream(layout.Bytes);
    stream.Position = layout.CentralOffsets[1];
    TStream* s = &stream;
    TZipHeaderInfo e;
    ASSERT_TRUE(e.ReadCentralRecord(s));
    EXPECT_EQ(e.VersionMadeBy, 0x031E);
    EXPECT_EQ(e.VersionNeeded, 10);
    EXPECT_EQ(e.Flags, 0x0002);
    EXPECT_EQ(e.Method, 0);
    EXPECT_EQ(e.DosDateTime, DosTime(2012, 3, 5, 23, 10, 4));
    EXPECT_EQ(e.Crc, ReferenceCrc32("hello"));
    EXPECT_EQ(e.PackedSize, 5);
    EXPECT_EQ(e.UnpackedSize, 5);
    EXPECT_EQ(e.ExtraLength, 7);
    EXPECT_EQ(e.CommentLength, 4);
    EXPECT_FALSE(e.FileComment.has_value());
    EXPECT_EQ(e.DiskStart, 3);
    EXPECT_EQ(e.InternalAttr, 1);
    EXPECT_EQ(e.ExternalAttr, 0x81A40021u);
    EXPECT_EQ(e.LocalOffset, layout.LocalOffsets[1]);
    EXPECT_EQ(e.CentralPos, layout.CentralOffsets[1]);
    EXPECT_EQ(stream.Position, layout.CentralOffsets[1] + CentralHeaderSize + 5 + 7 + 4);

    TZipHeaderInfo copy;
    e.SetFileComment(AnsiString("kept"));
    e.Selected = true;
    copy.Assign(e);
    EXPECT_EQ(copy.FileComment.value_or(""), "kept");
    EXPECT_EQ(copy.CommentLength, 4);
    EXPECT_TRUE(copy.Selected);
    e.SetFileComment(std::nullopt);
    EXPECT_EQ(e.CommentLength, 0);
    EXPECT_EQ(copy.FileComment.value_or(""), "kept");
}

TEST(ZipRecords, NameDecoding) {
    const AnsiString cyr = "Папка/Файл.txt";  // CP1251
    const AnsiString cyrBack = "Папка\\Файл.txt";
    struct TCase {
        const char* what;
        std::string stored;
        uint16_t flags;
        std::string extra;
        AnsiString expected;
        bool representable;
    } cases[] = {
        {"OEM text", Oem(cyr), 0, "", cyrBack, true},
        {"UTF-8 with flag bit 11", Utf8(cyr), 0x0800, "", cyrBack, true},
        {"UTF-8 without flag (zip on Linux)", Utf8(cyr), 0, "", cyrBack, true},
        {"Unicode Path with matching CRC", Oem("x_y"), 0, UnicodePathExtra(Oem("x_y"), Utf8(cyr)), cyrBack, true},
        {"Unicode Path with another CRC", "abc", 0, UnicodePathExtra("abd", Utf8(cyr)), "abc", true},
        {"ASCII", "dir/a.txt", 0, "", "dir\\a.txt", true},
        {"UTF-8 outside CP1251", "\xE4\xB8\xAD.txt", 0x0800, "", "_.txt", false},
        {"UTF-8 outside CP1251, no flag", "a/\xE4\xB8\xAD.txt", 0, "", "a\\_.txt", false},
        {"OEM pseudo-graphics", "\xB0\xB1.txt", 0, "", "__.txt", false},
        {"flag bit 11 on invalid UTF-8", "\xFF\xFE", 0x0800, "", "\xA0_", false},
    };
    for (const TCase& c : cases) {
        TFixtureArchive zip;
        zip.Entries.push_back({.Name = c.stored, .Data = "x", .Flags = c.flags, .CentralExtra = c.extra});
        const TZipHeaderInfo e = ReadFirstCentral(zip);
        EXPECT_EQ(e.FullName(), c.expected) << c.what;
        EXPECT_EQ(!e.NameNotRepresentable, c.representable) << c.what;
    }
    // A Cyrillic OEM name keeps its length.
    AnsiString name;
    EXPECT_TRUE(DecodeStoredName(Oem("Отчёт.doc"), 0, "", name));
    EXPECT_EQ(name, "Отчёт.doc");
}

TEST(ZipRecords, CutShortRecordsReadAsFalseAndLeaveTheStream) {
    TFixtureArchive zip;
    zip.Entries.push_back({.Name = "docs/readme.txt", .Data = "0123456789"});
    const TFixtureLayout layout = BuildZip(zip);
    {
        // A local header whose name is cut by the end of the file.
        TMemoryStream stream(layout.Bytes.substr(0, LocalHeaderSize + 5));
        TZipHeaderInfo e;
        e.SetFilename("untouched");
        EXPECT_FALSE(e.ReadLocalHeader(stream));
        EXPECT_EQ(stream.Position, 0);
        EXPECT_EQ(e.Filename, "untouched");
    }
    {
        TMemoryStream stream(layout.Bytes);
        TZipHeaderInfo e;
        ASSERT_TRUE(e.ReadLocalHeader(stream));
        EXPECT_EQ(e.FullName(), "docs\\readme.txt");
        EXPECT_EQ(e.VersionMadeBy, 0);
        EXPECT_EQ(e.ExternalAttr, 0u);
        EXPECT_EQ(e.PackedSize, 10);
        EXPECT_EQ(stream.Position, LocalHeaderSize + 15);  // at the extra field
    }
    for (int32_t cut : {CentralHeaderSize - 1, CentralHeaderSize + 3}) {
        TMemoryStream stream(layout.Bytes.substr(0, layout.CentralStart + cut));
        stream.Position = layout.CentralStart;
        TStream* s = &stream;
        TZipHeaderInfo e;
        EXPECT_FALSE(e.ReadCentralRecord(s)) << cut;
        EXPECT_EQ(stream.Position, layout.CentralStart) << cut;
    }
    TMemoryStream wrong(layout.Bytes);  // a local header where a central one should be
    TStream* s = &wrong;
    TZipHeaderInfo e;
    EXPECT_FALSE(e.ReadCentralRecord(s));
    EXPECT_EQ(wrong.Position, 0);
}

TEST(ZipRecords, CentralRecordGoesOnInTheNextVolume) {
    TFixtureArchive zip;
    zip.Entries.push_back({.Name = "some/long/name.txt", .Data = "abc", .CentralExtra = std::string("\x09\x00\x01\x00Z", 5), .Comment = "c"});
    const TFixtureLayout layout = BuildZip(zip);
    const std::string central = layout.Bytes.substr(layout.CentralStart, CentralHeaderSize + 18 + 5 + 1);
    // Cut in the signature, in the fixed part, in the name, in the extra field.
    for (size_t cut : {size_t(2), size_t(20), size_t(CentralHeaderSize + 4), size_t(CentralHeaderSize + 20)}) {
        TMemoryStream first(central.substr(0, cut));
        TMemoryStream second(central.substr(cut) + "next");
        TStream* s = &first;
        int calls = 0;
        TZipHeaderInfo e;
        ASSERT_TRUE(e.ReadCentralRecord(
            s, [&](TZipHeaderInfo&, TStream*& stream) { ++calls, stream = &second; }, true))
            << cut;
        EXPECT_EQ(calls, 1);
        EXPECT_EQ(e.FullName(), "some\\long\\name.txt") << cut;
        EXPECT_EQ(e.FileComment.value_or(""), "c") << cut;
        EXPECT_EQ(s, &second);
        EXPECT_EQ(second.Position, static_cast<int64_t>(central.size() - cut));
    }
}

TEST(EndCentral, SearchWindowAndTheNearestRecord) {
    auto archive = [](const std::string& comment, const std::string& tail) {
        TFixtureArchive zip;
        zip.Entries.push_back({.Name = "a", .Data = "1"});
        zip.Comment = comment;
        zip.Tail = tail;
        return BuildZip(zip);
    };
    TEndCentral end;
    {
        TMemoryStream tiny(std::string(21, 'P'));
        EXPECT_FALSE(end.ReadEndCentral(tiny));
    }
    {
        const TFixtureLayout layout = archive(std::string(65000, 'c'), "");
        TMemoryStream s(layout.Bytes);
        ASSERT_TRUE(end.ReadEndCentral(s));
        EXPECT_EQ(end.CommentLength, 65000);
        EXPECT_EQ(end.CentralStart, layout.CentralStart);
        EXPECT_EQ(end.CommentPos, layout.Bytes.size() - 65000);
        EXPECT_EQ(end.TotalEntries, 1);
    }
    // The record starting 65,528 bytes before the end is the farthest one found.
    for (size_t back : {size_t(65528), size_t(65529)}) {
        const TFixtureLayout layout = archive("", std::string(back - EndCentralSize, 't'));
        TMemoryStream s(layout.Bytes);
        EXPECT_EQ(end.ReadEndCentral(s), back == 65528) << back;
    }
    {
        // A second end record at the end of the comment, nearer the end, wins.
        std::string fake("PK\x05\x06\0\0\0\0\x07\0\x07\0\0\0\0\0\0\0\0\0\0\0", EndCentralSize);
        const TFixtureLayout layout = archive("xx" + fake, "");
        TMemoryStream s(layout.Bytes);
        ASSERT_TRUE(end.ReadEndCentral(s));
        EXPECT_EQ(end.TotalEntries, 7);
        EXPECT_EQ(end.CommentPos, layout.Bytes.size());
    }
}

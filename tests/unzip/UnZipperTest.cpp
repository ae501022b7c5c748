// The component and the extraction of entries: properties, selection, the events and counts
// of every outcome (CRC, passwords, overwrite, unknown methods, skips), output folders, volume
// continuation, unsafe names, short writes, and archives of Info-ZIP zip.
#include "platform/os/FileSystem.h"
#include "platform/rtl/SysUtils.h"
#include "tests/common/HostTools.h"
#include "tests/common/Raised.h"
#include "tests/common/RecordingDialogs.h"
#include "tests/common/TestPaths.h"
#include "tests/common/ZipWriter.h"
#include "unzip/UnZipper.h"
#include "unzip/ZipExceptions.h"
#include "unzip/decode/Crc32.h"

#ifndef _WIN32
#include "platform/os/posix/Faults.h"
#include "platform/os/posix/PathMap.h"
#endif

#include <gtest/gtest.h>

#include <functional>

using ZipFixture::BuildSplitZip;
using ZipFixture::BuildZip;
using ZipFixture::DosTime;
using ZipFixture::ReferenceCrc32;
using ZipFixture::TFixtureArchive;
using ZipFixture::TFixtureEntry;
using ZipFixture::TFixtureLayout;
using ZipFixture::WriteNumberedSet;

namespace {

const char* ReasonName(TSkipReason r) {
    return r == srBadPassword ? "srBadPassword" : r == srNoOverwrite ? "srNoOverwrite" : "srFileOpenError";
}

// Every event of a component as one line of text, paths relative to the scratch folder.
struct TEventLog {
    std::vector<std::string> Lines;
    AnsiString Base;
    // Answers of the handlers that answer.
    std::function<void(int, AnsiString&)> BadPassword;
    std::function<void(int, bool&)> StartSkip;

    AnsiString Rel(const AnsiString& path) const {
        return path.compare(0, Base.size(), Base) == 0 ? "~" + path.substr(Base.size()) : path;
    }
    void Attach(TUnZipper& zip, bool badCrc = true) {
        zip.OnStartUnZipInfo = [this](TUnZipper*, int n, int64_t total, bool&) {
            Lines.push_back(Format("info %d %d", n, static_cast<int>(total)));
        };
        zip.OnStartUnZip = [this](TUnZipper*, int i, const AnsiString& name, bool& skip) {
            Lines.push_back(Format("start %d %s", i, Rel(name)));
            if (StartSkip) StartSkip(i, skip);
        };
        zip.OnEndUnZip = [this](TUnZipper*, int i, const AnsiString& name) {
            Lines.push_back(Format("end %d %s", i, Rel(name)));
        };
        zip.OnSkippingFile = [this](TUnZipper*, TSkipReason r, const AnsiString& name, int i) {
            Lines.push_back(Format("skip %s %s %d", ReasonName(r), name, i));
        };
        if (badCrc)
            zip.OnBadCRC = [this](TUnZipper*, int calc, int stored, int i) {
                Lines.push_back(Format("badcrc %x %x %d", static_cast<uint32_t>(calc), static_cast<uint32_t>(stored), i));
            };
        zip.OnBadPassword = [this](TUnZipper*, int i, AnsiString& password) {
            Lines.push_back(Format("badpassword %d %s", i, password));
            if (BadPassword) BadPassword(i, password);
        };
    }
};

struct TFixtureRun {
    TScratchDir Dir;
    TUnZipper Zip;
    TEventLog Log;
    AnsiString Out;

    explicit TFixtureRun(const TFixtureArchive& fixture, bool attach = true) {
        WriteFileBytes(Dir / "t.zip", BuildZip(fixture).Bytes);
        Out = Dir / "out";
        Log.Base = Out;
        Zip.SetZipName(Dir / "t.zip");
        Zip.SetDestDir(Out);
        Zip.DoAll = true;
        Zip.OverwriteMode = Always;
        if (attach) Log.Attach(Zip);
    }
    std::string Read(const AnsiString& relative) const { return ReadFileBytes(Out + "\\" + relative); }
    bool Exists(const AnsiString& relative) const { return FileExists(Out + "\\" + relative); }
};

TFixtureArchive ThreeEntries() {
    TFixtureArchive zip;
    zip.Entries.push_back({.Name = "docs/", .ExternalAttr = 0x10});
    zip.Entries.push_back({.Name = "docs/a.txt", .Data = "alpha", .DosDateTime = DosTime(2011, 4, 5, 6, 7, 8), .ExternalAttr = 0x21});
    zip.Entries.push_back({.Name = "b.bin", .Data = std::string(3000, 'b')});
    return zip;
}

std::string Pattern(size_t n, uint32_t seed = 1) {
    std::string s(n, '\0');
    for (char& c : s) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 24);
    }
    return s;
}

}  // namespace

TEST(UnZipper, PropertiesAndTheirSetterRules) {
    TUnZipper zip;
    EXPECT_EQ(zip.ThisVersion(), 217);
    zip.SetThisVersion(5);
    EXPECT_EQ(zip.ThisVersion(), 217);
    zip.SetDestDir("C:\\out\\");
    EXPECT_EQ(zip.DestDir(), "C:\\out");
    zip.SetRootDir("tools");
    EXPECT_EQ(zip.RootDir(), "tools\\");
    zip.SetRootDir("");
    EXPECT_EQ(zip.RootDir(), "");
    EXPECT_EQ(zip.SortMode, ByNone);
    EXPECT_EQ(zip.OverwriteMode, Prompt);
    EXPECT_EQ(zip.IncompleteZipMode, izAssumeMulti);
    EXPECT_TRUE(zip.DoProcessMessages);
    EXPECT_TRUE(zip.RetainAttributes);
    EXPECT_TRUE(zip.CheckVolumeLabels());
    EXPECT_TRUE(static_cast<bool>(zip.OnGetNextDisk));
    zip.OnGetNextDisk = nullptr;
    zip.Loaded();
    EXPECT_TRUE(static_cast<bool>(zip.OnGetNextDisk));
    TStringList patterns{"*.txt", "*.bin"};
    zip.SetFilesList(patterns);
    patterns.Clear();
    EXPECT_EQ(zip.FilesList().Count(), 2);

    TRecordingDialogs dialogs;
    zip.SetZipName("C:\\a.zip");
    EXPECT_EQ(Raised<EUserCanceled>([&] { zip.SetZipName("C:\\?"); }), "User canceled setting zip file name.");
    EXPECT_EQ(zip.ZipName(), "C:\\a.zip");
    dialogs.OpenFileAnswer = "C:\\chosen.zip";
    zip.SetZipName("?");
    EXPECT_EQ(zip.ZipName(), "C:\\chosen.zip");
    EXPECT_EQ(Raised<EUserCanceled>([&] { zip.SetDestDir("?"); }), "User canceled Set Desination Directory");
    EXPECT_EQ(zip.DestDir(), "C:\\out");
    dialogs.SelectDirectoryAnswer = "C:\\picked\\";
    zip.SetDestDir("?");
    EXPECT_EQ(zip.DestDir(), "C:\\picked");
}

TEST(UnZipper, ExtractsStoredEntriesWithFoldersDatesAndAttributes) {
    for (bool recreate : {false, true}) {
        TFixtureRun run(ThreeEntries());
        run.Zip.RecreateDirs = recreate;
        const int result = run.Zip.UnZip();
        EXPECT_FALSE(run.Zip.IsOpen());
        if (!recreate) {
            EXPECT_EQ(result, 2);
            EXPECT_EQ(run.Log.Lines, (std::vector<std::string>{"info 2 3005", "start 1 ~\\a.txt", "end 1 ~\\a.txt",
                                                                "start 2 ~\\b.bin", "end 2 ~\\b.bin"}));
            EXPECT_EQ(run.Read("a.txt"), "alpha");
            EXPECT_FALSE(DirectoryExists(run.Out + "\\docs"));
            continue;
        }
        EXPECT_EQ(result, 3);
        EXPECT_EQ(run.Log.Lines,
                  (std::vector<std::string>{"info 3 3005", "start 0 ~\\docs\\", "start 1 ~\\docs\\a.txt",
                                            "end 1 ~\\docs\\a.txt", "start 2 ~\\b.bin", "end 2 ~\\b.bin"}));
        EXPECT_EQ(run.Read("docs\\a.txt"), "alpha");
        EXPECT_EQ(run.Read("b.bin"), std::string(3000, 'b'));
        EXPECT_EQ(FileAge(run.Out + "\\docs\\a.txt"), static_cast<int32_t>(DosTime(2011, 4, 5, 6, 7, 8)));
        EXPECT_TRUE(FileGetAttr(run.Out + "\\docs\\a.txt") & faReadOnly);
        EXPECT_FALSE(FileGetAttr(run.Out + "\\b.bin") & faReadOnly);
        EXPECT_EQ(run.Zip.LastCrc(), ReferenceCrc32(std::string(3000, 'b')));
    }
}

TEST(UnZipper, SelectionAndTheStartNotification) {
    {
        TFixtureRun run(ThreeEntries());
        run.Zip.DoAll = false;
        run.Zip.FilesList().Add("*.TXT");
        EXPECT_EQ(run.Zip.UnZip(), 1);
        EXPECT_EQ(run.Log.Lines, (std::vector<std::string>{"info 1 5", "start 1 ~\\a.txt", "end 1 ~\\a.txt"}));
        EXPECT_TRUE(run.Zip.Entry(1).Selected);
        EXPECT_FALSE(run.Zip.Entry(2).Selected);
    }
    {
        TFixtureRun run(ThreeEntries());
        run.Zip.DoAll = false;
        EXPECT_EQ(run.Zip.UnZip(), 0);
        EXPECT_EQ(run.Log.Lines, (std::vector<std::string>{"info 0 0"}));
    }
    {
        TFixtureRun run(ThreeEntries());
        run.Zip.RecreateDirs = true;
        run.Zip.OnStartUnZipInfo = [](TUnZipper*, int, int64_t, bool& stop) { stop = true; };
        EXPECT_EQ(run.Zip.UnZip(), 3);
        EXPECT_FALSE(DirectoryExists(run.Out + "\\docs"));
        EXPECT_FALSE(run.Exists("b.bin"));
    }
}

TEST(UnZipper, SortedOrderIsTheIndexOfTheEvents) {
    TFixtureArchive fixture;
    for (const char* name : {"c.txt", "A.txt", "b.txt"}) fixture.Entries.push_back({.Name = name, .Data = name});
    TFixtureRun run(fixture);
    run.Zip.SortMode = ByName;
    EXPECT_EQ(run.Zip.UnZip(), 3);
    EXPECT_EQ(run.Zip.FullName(0), "A.txt");
    EXPECT_EQ(run.Log.Lines, (std::vector<std::string>{"info 3 15", "start 0 ~\\A.txt", "end 0 ~\\A.txt",
                                                        "start 1 ~\\b.txt", "end 1 ~\\b.txt", "start 2 ~\\c.txt",
                                                        "end 2 ~\\c.txt"}));
}

TEST(UnZipper, CommentsReadByAHandlerLeaveTheExtractionRunning) {
    TFixtureArchive fixture = ThreeEntries();
    fixture.Entries[1].Comment = "one";
    fixture.Entries[2].Comment = "two";
    fixture.Comment = "all";
    TFixtureRun run(fixture);
    std::vector<AnsiString> comments;
    run.Zip.OnEndUnZip = [&](TUnZipper* z, int i, const AnsiString&) {
        comments.push_back(z->FileComment(i));
        comments.push_back(z->ArchiveComment());
    };
    EXPECT_EQ(run.Zip.UnZip(), 2);
    EXPECT_EQ(comments, (std::vector<AnsiString>{"one", "all", "two", "all"}));
    EXPECT_EQ(run.Read("b.bin"), std::string(3000, 'b'));
    EXPECT_FALSE(run.Zip.IsOpen());
}

TEST(UnZipper, BadCrcWithAndWithoutHandler) {
    TFixtureArchive fixture;
    fixture.Entries.push_back({.Name = "bad.txt", .Data = "data", .ExternalAttr = 0x21, .Crc = 0x12345678});
    fixture.Entries.push_back({.Name = "good.txt", .Data = "fine"});
    for (bool handler : {true, false}) {
        TFixtureRun run(fixture, false);
        run.Log.Attach(run.Zip, handler);
        EXPECT_EQ(run.Zip.UnZip(), 1);
        std::vector<std::string> expected = {"info 2 8", "start 0 ~\\bad.txt"};
        if (handler) expected.push_back(Format("badcrc %x 12345678 0", ReferenceCrc32("data")));
        expected.insert(expected.end(), {"start 1 ~\\good.txt", "end 1 ~\\good.txt"});
        EXPECT_EQ(run.Log.Lines, expected);
        EXPECT_FALSE(run.Exists("bad.txt"));  // deleted although its attributes made it read-only
        EXPECT_EQ(run.Read("good.txt"), "fine");
    }
}

TEST(UnZipper, PasswordCheckAndRetries) {
    const std::string data = Pattern(40000);
    auto archive = [&](uint16_t flags, std::optional<uint32_t> crc = std::nullopt) {
        TFixtureArchive fixture;
        fixture.Entries.push_back({.Name = "secret.bin",
                                   .Data = data,
                                   .Flags = flags,
                                   .DosDateTime = DosTime(2015, 6, 7, 8, 9, 10),
                                   .Password = "right",
                                   .Crc = crc});
        return fixture;
    };
    {
        // Bit 3: the check byte is the time's high byte, not the CRC's.
        ASSERT_NE(ReferenceCrc32(data) >> 24, (DosTime(2015, 6, 7, 8, 9, 10) & 0xFFFF) >> 8);
        for (uint16_t flags : {uint16_t(0), uint16_t(8)}) {
            TFixtureRun run(archive(flags));
            run.Zip.Password = "right";
            EXPECT_EQ(run.Zip.UnZip(), 1) << flags;
            EXPECT_TRUE(run.Read("secret.bin") == data) << flags;
        }
    }
    {
        // The same wrong text back: skipped, nothing created.
        TFixtureRun run(archive(0));
        run.Zip.Password = "wrong";
        EXPECT_EQ(run.Zip.UnZip(), 0);
        EXPECT_EQ(run.Log.Lines, (std::vector<std::string>{"info 1 40000", "badpassword 0 wrong",
                                                            "skip srBadPassword secret.bin 0"}));
        EXPECT_FALSE(run.Exists("secret.bin"));
    }
    {
        // A new text: the same header is checked again.
        TFixtureRun run(archive(0));
        run.Zip.Password = "wrong";
        run.Log.BadPassword = [](int, AnsiString& p) { p = p == "wrong" ? "still wrong" : "right"; };
        EXPECT_EQ(run.Zip.UnZip(), 1);
        EXPECT_EQ(run.Log.Lines,
                  (std::vector<std::string>{"info 1 40000", "badpassword 0 wrong", "badpassword 0 still wrong",
                                            "start 0 ~\\secret.bin", "end 0 ~\\secret.bin"}));
        EXPECT_EQ(run.Zip.Password, "right");
    }
    {
        TFixtureRun run(archive(0), false);
        run.Zip.Password = "wrong";
        EXPECT_EQ(run.Zip.UnZip(), 0);  // no handler: skipped
        EXPECT_FALSE(run.Exists("secret.bin"));
    }
    {
        // The check passes but the CRC fails: a new password retries the entry, which then
        // fails its check and is skipped.
        TFixtureRun run(archive(0, 0x01020304));
        run.Zip.Password = "right";
        run.Log.BadPassword = [](int, AnsiString& p) { p = p == "right" ? "other" : p; };
        EXPECT_EQ(run.Zip.UnZip(), 0);
        EXPECT_EQ(run.Log.Lines,
                  (std::vector<std::string>{"info 1 40000", "start 0 ~\\secret.bin", "badpassword 0 right",
                                            "badpassword 0 other", "skip srBadPassword secret.bin 0"}));
        EXPECT_FALSE(run.Exists("secret.bin"));
    }
    {
        // A matching check byte lets an empty password through.
        TFixtureArchive fixture;
        fixture.Entries.push_back({.Name = "e.txt", .Data = "empty password", .Password = ""});
        TFixtureRun run(fixture);
        EXPECT_EQ(run.Zip.UnZip(), 1);
        EXPECT_EQ(run.Read("e.txt"), "empty password");
    }
}

TEST(UnZipper, StartSkipLeavesAnEmptyFile) {
    TFixtureRun run(ThreeEntries());
    run.Log.StartSkip = [](int i, bool& skip) { skip = i == 2; };
    EXPECT_EQ(run.Zip.UnZip(), 2);
    EXPECT_EQ(run.Log.Lines, (std::vector<std::string>{"info 2 3005", "start 1 ~\\a.txt", "end 1 ~\\a.txt",
                                                        "start 2 ~\\b.bin"}));
    EXPECT_EQ(run.Read("b.bin"), "");
}

TEST(UnZipper, OverwriteModes) {
    TFixtureArchive fixture;
    fixture.Entries.push_back({.Name = "docs/readme.txt", .Data = "new"});
    struct TCase {
        TUZOverwriteMode mode;
        int answer;  // of the message box; 0: a handler answers instead
        int result;
        const char* content;
    } cases[] = {
        {Never, mrNone, 0, "old"},
        {Prompt, mrNo, 0, "old"},
        {Prompt, mrYes, 1, "new"},
        {Always, mrNone, 1, "new"},
    };
    for (const TCase& c : cases) {
        TFixtureRun run(fixture);
        run.Zip.OverwriteMode = c.mode;
        ForceDirectories(run.Out);
        WriteFileBytes(run.Out + "\\readme.txt", "old");
        TRecordingDialogs dialogs([&](const TMessageBoxRequest&) { return c.answer; });
        EXPECT_EQ(run.Zip.UnZip(), c.result) << c.mode << " " << c.answer;
        EXPECT_EQ(run.Read("readme.txt"), c.content) << c.mode << " " << c.answer;
        if (c.mode == Prompt) {
            ASSERT_EQ(dialogs.Boxes.size(), 1u);
            EXPECT_EQ(dialogs.Boxes[0].Text, "Replace existing file readme.txt?");
            EXPECT_EQ(dialogs.Boxes[0].Caption, "File Exists Alert");
            EXPECT_EQ(dialogs.Boxes[0].Buttons, mbYes | mbNo);
        } else {
            EXPECT_TRUE(dialogs.Boxes.empty());
        }
        if (c.result == 0) {
            EXPECT_EQ(run.Log.Lines.back(), "skip srNoOverwrite docs\\readme.txt 0");
        }
    }
    {
        // A handler may send the entry elsewhere.
        TFixtureRun run(fixture);
        run.Zip.OverwriteMode = Prompt;
        ForceDirectories(run.Out);
        WriteFileBytes(run.Out + "\\readme.txt", "old");
        run.Zip.OnPromptForOverwrite = [&](TUnZipper*, bool& overwrite, int, AnsiString& name) {
            overwrite = true;
            name = run.Out + "\\renamed.txt";
        };
        EXPECT_EQ(run.Zip.UnZip(), 1);
        EXPECT_EQ(run.Read("readme.txt"), "old");
        EXPECT_EQ(run.Read("renamed.txt"), "new");
        EXPECT_EQ(run.Log.Lines.back(), "end 0 ~\\renamed.txt");
    }
}

TEST(UnZipper, MethodsWithoutDecoder) {
    for (uint16_t method : {uint16_t(7), uint16_t(9)}) {
        for (bool empty : {false, true}) {
            TFixtureArchive fixture;
            fixture.Entries.push_back(
                {.Name = "m.dat", .Data = empty ? "" : "packed", .Method = method, .DosDateTime = DosTime(2010, 1, 2, 3, 4, 6)});
            TFixtureRun run(fixture);
            TRecordingDialogs dialogs;
            EXPECT_EQ(run.Zip.UnZip(), empty ? 1 : 0);
            ASSERT_EQ(dialogs.Boxes.size(), 1u);
            EXPECT_EQ(dialogs.Boxes[0].Text, "Unknown Compression Method");
            EXPECT_EQ(dialogs.Boxes[0].Caption, "Zip Error");
            EXPECT_EQ(dialogs.Boxes[0].Buttons, mbOK);
            EXPECT_EQ(run.Exists("m.dat"), empty);
            if (empty) {
                EXPECT_EQ(FileAge(run.Out + "\\m.dat"), static_cast<int32_t>(DosTime(2010, 1, 2, 3, 4, 6)));
                EXPECT_EQ(run.Log.Lines.back(), "end 0 ~\\m.dat");
            } else {
                EXPECT_EQ(run.Log.Lines.back(), Format("badcrc 0 %x 0", ReferenceCrc32("packed")));
            }
        }
    }
}

TEST(UnZipper, TruncatedArchiveEndsWithPrematureEnd) {
    TFixtureArchive fixture;
    const std::string data = Pattern(40000);
    // The directory claims 20,000 bytes more than the archive holds after the data.
    fixture.Entries.push_back({.Name = "cut.bin", .Data = data, .PackedSize = 60000});
    TFixtureRun run(fixture);
    EXPECT_EQ(Raised<EFatalUnzipError>([&] { run.Zip.UnZip(); }), "Premature end of file reached");
    EXPECT_TRUE(run.Read("cut.bin") == data.substr(0, 32000));  // the pieces before the short read
    EXPECT_TRUE(run.Zip.IsOpen());  // only a normal end closes the archive
}

TEST(UnZipper, ProgressRoundsHalvesToEven) {
    TFixtureArchive fixture;
    fixture.Entries.push_back({.Name = "empty", .Data = ""});
    fixture.Entries.push_back({.Name = "big", .Data = Pattern(128000)});
    fixture.Entries.push_back({.Name = "small", .Data = Pattern(128000 / 3)});
    TFixtureRun run(fixture);
    std::vector<int> file, total;
    run.Zip.OnFilePercentDone = [&](TUnZipper*, int p) { file.push_back(p); };
    run.Zip.OnTotalPercentDone = [&](TUnZipper*, int p) { total.push_back(p); };
    EXPECT_EQ(run.Zip.UnZip(), 3);
    // 16,000 of 128,000 bytes is 12.5 %: 12; 37.5 % gives 38.
    EXPECT_EQ(file, (std::vector<int>{12, 25, 38, 50, 62, 75, 88, 100, 38, 75, 100}));
    ASSERT_EQ(total.size(), file.size());
    EXPECT_EQ(total[0], 9);    // 16,000 of 170,666
    EXPECT_EQ(total[7], 75);   // 128,000 of 170,666
    EXPECT_EQ(total.back(), 100);
}

TEST(UnZipper, OutputFoldersFromRootDirAndDestDir) {
    TFixtureArchive fixture;
    fixture.Entries.push_back({.Name = "TOOLS/x.txt", .Data = "x"});
    fixture.Entries.push_back({.Name = "/data/1.txt", .Data = "1"});
    fixture.Entries.push_back({.Name = "D:/data/2.txt", .Data = "2"});
    fixture.Entries.push_back({.Name = "data/3.txt", .Data = "3"});
    fixture.Entries.push_back({.Name = "D:data/4.txt", .Data = "4"});  // drive-relative
    TFixtureRun run(fixture);
    run.Zip.RecreateDirs = true;
    run.Zip.SetRootDir("tools");
    EXPECT_EQ(run.Zip.UnZip(), 5);
    EXPECT_EQ(run.Read("x.txt"), "x");
    for (const char* n : {"1", "2", "3", "4"}) EXPECT_EQ(run.Read(AnsiString("data\\") + n + ".txt"), n);
    // Nothing beside the output folder ("outdata" would be the drive-relative name's escape).
    std::vector<AnsiString> beside;
    for (const TSearchRec& r : FindFiles(run.Dir / "*")) beside.push_back(r.Name);
    std::sort(beside.begin(), beside.end());
    EXPECT_EQ(beside, (std::vector<AnsiString>{"out", "t.zip"}));
}

TEST(UnZipper, EmptyDestDirUsesADriveFolderUnchanged) {
    TScratchDir dir;
#ifdef _WIN32
    const AnsiString drive = dir.Path().substr(0, 2);
    const AnsiString folder = dir.Path().substr(2) + "\\data";
#else
    PathMap::SetDrive('R', HostPath(dir.Path()));
    const AnsiString drive = "R:";
    const AnsiString folder = "\\data";
#endif
    TFixtureArchive fixture;
    std::string stored = drive + folder + "\\f.txt";
    std::replace(stored.begin(), stored.end(), '\\', '/');
    fixture.Entries.push_back({.Name = stored, .Data = "abs"});
    WriteFileBytes(dir / "t.zip", BuildZip(fixture).Bytes);
    TUnZipper zip;
    zip.SetZipName(dir / "t.zip");
    zip.DoAll = true;
    zip.RecreateDirs = true;
    EXPECT_EQ(zip.UnZip(), 1);
    EXPECT_EQ(ReadFileBytes(dir / "data\\f.txt"), "abs");
}

TEST(UnZipper, UnsafeNamesAreNeverWritten) {
    const char* unsafe[] = {
        "../evil.txt", "a/../../evil.txt", "..", "con.txt", "a/AUX/b.txt", "lpt1", "ctl\x01.txt",
        "what?.txt", "a<b.txt", "pipe|.txt", "star*.txt", "quote\".txt", "dir/c:x.txt", "dots./x.txt",
        "space /x.txt", "name.txt ", "\xE4\xB8\xAD.txt",
    };
    TFixtureArchive fixture;
    for (const char* name : unsafe)
        fixture.Entries.push_back({.Name = name, .Data = "bad", .Flags = uint16_t(name[0] == '\xE4' ? 0x800 : 0)});
    fixture.Entries.push_back({.Name = "c:/ok/fine.txt", .Data = "good"});
    fixture.Entries.push_back({.Name = "./dot/fine.txt", .Data = "good"});
    for (bool recreate : {true, false}) {
        TFixtureRun run(fixture);
        run.Zip.RecreateDirs = recreate;
        EXPECT_EQ(run.Zip.UnZip(), 2) << recreate;
        int skipped = 0;
        for (const std::string& line : run.Log.Lines) skipped += line.rfind("skip srFileOpenError ", 0) == 0;
        EXPECT_EQ(skipped, static_cast<int>(std::size(unsafe))) << recreate;
        EXPECT_EQ(run.Read(recreate ? "ok\\fine.txt" : "fine.txt"), "good");
        std::vector<AnsiString> beside;
        for (const TSearchRec& r : FindFiles(run.Dir / "*")) beside.push_back(r.Name);
        std::sort(beside.begin(), beside.end());
        EXPECT_EQ(beside, (std::vector<AnsiString>{"out", "t.zip"}));
    }
}

TEST(UnZipper, DataContinuesOnTheNextVolume) {
    TFixtureArchive fixture;
    fixture.SpanSignature = true;
    const std::string big = Pattern(50000, 3), secret = Pattern(30000, 4);
    fixture.Entries.push_back({.Name = "z_big.bin", .Data = big});
    fixture.Entries.push_back({.Name = "m_later.txt", .Data = "on volume three"});
    fixture.Entries.push_back({.Name = "a_secret.bin", .Data = secret, .Password = "pw"});
    const TFixtureLayout whole = BuildZip(fixture);
    // z_big.bin spans volumes 1 to 3; a_secret.bin is cut in its encryption header and data.
    const std::vector<uint32_t> cuts = {whole.DataOffsets[0] + 10000, whole.DataOffsets[0] + 30000,
                                        whole.DataOffsets[2] + 5, whole.DataOffsets[2] + 20000, whole.CentralStart};
    TScratchDir dir;
    WriteNumberedSet(dir / "set.zip", BuildSplitZip(fixture, cuts));
    TUnZipper zip;
    zip.SetZipName(dir / "set.zip");
    zip.SetDestDir(dir / "out");
    zip.DoAll = true;
    zip.Password = "pw";
    zip.SortMode = ByName;
    std::vector<AnsiString> ends;
    zip.OnEndUnZip = [&](TUnZipper*, int, const AnsiString& name) { ends.push_back(ExtractFileName(name)); };
    EXPECT_EQ(zip.UnZip(), 3);
    // Archive order while a set is extracted, the host's order afterwards.
    EXPECT_EQ(ends, (std::vector<AnsiString>{"z_big.bin", "m_later.txt", "a_secret.bin"}));
    EXPECT_EQ(zip.SortMode, ByName);
    EXPECT_EQ(zip.FullName(0), "a_secret.bin");
    EXPECT_TRUE(ReadFileBytes(dir / "out\\z_big.bin") == big);
    EXPECT_EQ(ReadFileBytes(dir / "out\\m_later.txt"), "on volume three");
    EXPECT_TRUE(ReadFileBytes(dir / "out\\a_secret.bin") == secret);

    // Without a volume handler the short read is the end.
    TUnZipper alone;
    alone.SetZipName(dir / "set.zip");
    alone.SetDestDir(dir / "out2");
    alone.DoAll = true;
    alone.OverwriteMode = Always;
    alone.OpenZip();
    alone.OnGetNextDisk = nullptr;
    EXPECT_EQ(Raised<EFatalUnzipError>([&] { alone.UnZip(); }), "Premature end of file reached");
}

#ifndef _WIN32
TEST(UnZipper, ShortWritesAreErrorsNamingTheFile) {
    // A write that fails at once (a large file) and one that fails only when the file's
    // buffer is flushed at its closing (a small file).
    for (size_t size : {size_t(40000), size_t(100)}) {
        TFixtureArchive fixture;
        fixture.Entries.push_back({.Name = "full.bin", .Data = Pattern(size)});
        TFixtureRun run(fixture);
        const AnsiString target = run.Out + "\\full.bin";
        Faults::Set([&](TFaultOp op, const AnsiString& path) { return op == TFaultOp::Write && path == target; });
        const std::string message = Raised<EWriteError>([&] { run.Zip.UnZip(); });
        Faults::Clear();
        EXPECT_NE(message.find(target), std::string::npos) << size << ": " << message;
        EXPECT_EQ(run.Log.Lines, (std::vector<std::string>{Format("info 1 %d", static_cast<int>(size)), "start 0 ~\\full.bin"}))
            << size;
    }
}
#endif

TEST(UnZipper, InfoZipStoredAndEncryptedArchives) {
    if (!HostToolAvailable("zip")) GTEST_SKIP() << "Info-ZIP zip is not installed";
    TScratchDir dir;
    ForceDirectories(dir / "src\\sub");
    const std::string one = Pattern(70000, 9), two = "second file\n";
    WriteFileBytes(dir / "src\\one.bin", one);
    WriteFileBytes(dir / "src\\sub\\two.txt", two);
    const std::string src = ShellQuote(HostPath(dir / "src"));
    std::string out;
    ASSERT_EQ(RunHost("cd " + src + " && zip -q -0 -r ../stored.zip . && zip -q -0 -P s3cret -r ../enc.zip .", &out), 0)
        << out;
    for (const char* name : {"stored.zip", "enc.zip"}) {
        TUnZipper zip;
        zip.SetZipName(dir / name);
        zip.SetDestDir(dir / (AnsiString(name) + ".out"));
        zip.DoAll = true;
        zip.RecreateDirs = true;
        zip.Password = "s3cret";
        const int extracted = zip.UnZip();
        EXPECT_EQ(extracted, zip.Count()) << name;
        if (AnsiString(name) == "enc.zip") {
            for (int i = 0; i < zip.Count(); ++i)
                if (!zip.Filename(i).empty()) {
                    EXPECT_TRUE(zip.Entry(i).IsEncrypted() && zip.Entry(i).HasDataDescriptor());
                }
        }
        EXPECT_TRUE(ReadFileBytes(dir / (AnsiString(name) + ".out\\one.bin")) == one) << name;
        EXPECT_EQ(ReadFileBytes(dir / (AnsiString(name) + ".out\\sub\\two.txt")), two) << name;
    }
}

TEST(UnZipper, PkzipStoredConformanceArchive) {
    const AnsiString fixtures = FixtureDir("pkzip");
    if (fixtures.empty()) GTEST_SKIP() << "the PKZIP archives are not there";
    TScratchDir dir;
    TUnZipper zip;
    zip.SetZipName(fixtures + "\\PKZ204E0.ZIP");
    zip.SetDestDir(dir.Path());
    zip.DoAll = true;
    int failed = 0;
    zip.OnBadCRC = [&](TUnZipper*, int, int, int) { ++failed; };
    EXPECT_EQ(zip.UnZip(), 15);
    EXPECT_EQ(failed, 0);
}

TEST(UnZipper, InfoZipSplitSetExtractsAcrossVolumes) {
    if (!HostToolAvailable("zip")) GTEST_SKIP() << "Info-ZIP zip is not installed";
    TScratchDir dir;
    ForceDirectories(dir / "src");
    const std::string big = Pattern(300000, 11);
    WriteFileBytes(dir / "src\\big.bin", big);
    for (int i = 0; i < 50; ++i) WriteFileBytes(dir / ("src\\f" + IntToStr(i) + ".txt"), Pattern(3000 + i, i));
    const std::string script = "cd " + ShellQuote(HostPath(dir / "src")) +
                               " && zip -q -0 -s 64k -P pw -r ../set.zip . && cd .. && n=1 && for f in set.z[0-9][0-9];"
                               " do mv \"$f\" \"set.$(printf %03d $n)\"; n=$((n+1)); done";
    std::string out;
    ASSERT_EQ(RunHost(script, &out), 0) << out;
    TUnZipper zip;
    zip.SetZipName(dir / "set.zip");
    zip.SetDestDir(dir / "out");
    zip.DoAll = true;
    zip.Password = "pw";
    EXPECT_EQ(zip.UnZip(), 51);
    EXPECT_GE(zip.EndCentralRecord().DiskNumber, 5);
    EXPECT_TRUE(ReadFileBytes(dir / "out\\big.bin") == big);
    for (int i = 0; i < 50; ++i) EXPECT_TRUE(ReadFileBytes(dir / ("out\\f" + IntToStr(i) + ".txt")) == Pattern(3000 + i, i));
}

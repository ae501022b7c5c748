// zipvol pack: volumes read back by the setup program's reader and by Info-ZIP unzip, names
// stored as the reader reads them, the split into volumes, and every refusal leaving the old
// volumes and nothing else behind.
#include "install/ArchivePassword.h"
#include "platform/os/FileStream.h"
#include "platform/os/FileSystem.h"
#include "platform/rtl/SysUtils.h"
#include "tests/common/HostTools.h"
#include "tests/common/TestPaths.h"
#include "tools/EntryEncoder.h"
#include "tools/ZipPack.h"
#include "tools/ZipVolCommand.h"
#include "tools/ZipVolumeWriter.h"
#include "unzip/UnZipper.h"
#include "unzip/ZipRecords.h"

#ifndef _WIN32
#include "platform/os/posix/Faults.h"
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {

struct TConsole : TZipVolConsole {
    std::string OutText, ErrText;
    void Out(const AnsiString& text) override { OutText += text; }
    void Err(const AnsiString& text) override { ErrText += text; }
    bool ReadLine(AnsiString&) override { return false; }
};

std::string Arg(const AnsiString& path) {
#ifdef _WIN32
    return path;
#else
    std::string p = path;
    std::replace(p.begin(), p.end(), '\\', '/');
    return p;
#endif
}

const TPackTarget OneVolume{"VORN for Zat", 1};
const TPackTarget ThreeVolumes{"VORN for Zat", 3};

int Pack(TConsole& c, const TPackTarget& target, const AnsiString& folder, const AnsiString& out,
         std::vector<AnsiString> more = {}) {
    std::vector<AnsiString> args = {"pack", Arg(folder), Arg(out)};
    args.insert(args.end(), more.begin(), more.end());
    return ZipVolMain(args, c, target);
}

// Every file and folder under root, by relative name with "\", with the bytes of files.
std::map<AnsiString, std::string> Tree(const AnsiString& root, const AnsiString& prefix = "") {
    std::map<AnsiString, std::string> out;
    for (const TSearchRec& r : FindFiles(root + "\\*")) {
        if (r.Attr & faDirectory) {
            out[prefix + r.Name + "\\"] = "";
            for (auto& [k, v] : Tree(root + "\\" + r.Name, prefix + r.Name + "\\")) out[k] = v;
        } else {
            out[prefix + r.Name] = ReadFileBytes(root + "\\" + r.Name);
        }
    }
    return out;
}

// Bytes that deflate cannot shrink.
std::string Noise(size_t n) {
    std::string s(n, '\0');
    uint32_t x = 2463534242u;
    for (char& c : s) {
        x ^= x << 13, x ^= x >> 17, x ^= x << 5;
        c = static_cast<char>(x);
    }
    return s;
}

// A package folder: nested and Cyrillic names, a name that needs UTF-8 (« » are not in
// CP866), a name whose CP866 bytes are well-formed UTF-8 ("сад.txt": E1 A0 A4 2E ...), an
// empty file and folder, a read-only file, compressible and incompressible data.
void MakePackage(const AnsiString& dir) {
    ForceDirectories(dir + "\\VORNforZat\\help");
    ForceDirectories(dir + "\\Задачи\\Урок 1");
    ForceDirectories(dir + "\\empty");
    WriteFileBytes(dir + "\\VORNforZat\\readme.txt", "Задачник\r\n");
    WriteFileBytes(dir + "\\VORNforZat\\help\\XRforZat.chm", std::string(200000, 'h') + "end");
    WriteFileBytes(dir + "\\Задачи\\Урок 1\\Задание.txt", "урок первый");
    WriteFileBytes(dir + "\\Задачи\\«Урок».txt", "кавычки");
    WriteFileBytes(dir + "\\сад.txt", "сад");
    WriteFileBytes(dir + "\\zero.txt", "");
    WriteFileBytes(dir + "\\noise.bin", Noise(70000));
    WriteFileBytes(dir + "\\locked.txt", "read-only");
    FileSetAttr(dir + "\\locked.txt", FileGetAttr(dir + "\\locked.txt") | faReadOnly);
}

struct TVolumeRead {
    std::vector<TZipHeaderInfo> Entries;
    int Passed = 0;
    AnsiString Error;
};

// Extracts a volume as the run does: the setup program's password, every entry.
TVolumeRead ReadVolume(const AnsiString& archive, const AnsiString& dest) {
    TVolumeRead r;
    TUnZipper zip;
    zip.SetZipName(archive);
    zip.Password = ArchivePassword;
    zip.SetDestDir(dest);
    zip.RecreateDirs = true;
    zip.OverwriteMode = Always;
    zip.DoAll = true;
    zip.DoProcessMessages = false;
    zip.OnEndUnZip = [&](TUnZipper*, int, const AnsiString&) { ++r.Passed; };
    try {
        ForceDirectories(dest);
        zip.UnZip();
        for (int i = 0; i < zip.Count(); ++i) {
            r.Entries.emplace_back();
            r.Entries.back().Assign(zip.Entry(i));
        }
    } catch (const Exception& e) {
        r.Error = e.Message;
    }
    return r;
}

AnsiString VolumeFile(const AnsiString& out, int n) { return out + "\\setup.dat" + (n == 1 ? "" : IntToStr(n)); }

// Only the volumes are in OUTDIR: no spool, no half-written ".new".
std::vector<AnsiString> Leftovers(const AnsiString& out) {
    std::vector<AnsiString> names;
    for (const TSearchRec& r : FindFiles(out + "\\*"))
        if (r.Name.find(".new") != AnsiString::npos || r.Name.find(".spool") != AnsiString::npos) names.push_back(r.Name);
    return names;
}

}  // namespace

TEST(ZipPack, VolumesReadBackAsTheFolderWithTimesAttributesAndNames) {
    TScratchDir dir;
    MakePackage(dir / "pkg");
    const auto source = Tree(dir / "pkg");
    for (const char* method : {"deflate", "store"}) {
        if (AnsiString(method) == "deflate" && !PackDeflateAvailable()) continue;
        SCOPED_TRACE(method);
        const AnsiString out = dir / (AnsiString("out-") + method);
        TConsole c;
        ASSERT_EQ(Pack(c, OneVolume, dir / "pkg", out, {"--method", method}), ZipVolPassed) << c.ErrText;
        EXPECT_NE(c.OutText.find("8 files and 5 folders packed for VORN for Zat"), std::string::npos) << c.OutText;
        EXPECT_TRUE(Leftovers(out).empty());

        const TVolumeRead r = ReadVolume(VolumeFile(out, 1), dir / (AnsiString("x-") + method));
        ASSERT_EQ(r.Error, "");
        EXPECT_EQ(r.Passed, 8);
        auto extracted = Tree(dir / (AnsiString("x-") + method));
        EXPECT_TRUE(extracted == source);

        ASSERT_EQ(r.Entries.size(), 13u);
        // Folders first, so that the last entry, the run's signal of completion, is a file.
        EXPECT_EQ(r.Entries.front().FullName(), "empty\\");
        EXPECT_FALSE(r.Entries.back().Filename.empty());
        bool deflated = false;
        for (const TZipHeaderInfo& e : r.Entries) {
            const AnsiString name = e.FullName();
            SCOPED_TRACE(name);
            const bool folder = e.Filename.empty();
            const AnsiString path = dir / ("pkg\\" + name);
            EXPECT_EQ(e.IsEncrypted(), !folder);
            EXPECT_EQ(static_cast<int32_t>(e.DosDateTime), folder ? FindFiles(ExcludeTrailingBackslash(path))[0].Time
                                                                 : FileAge(path));
            EXPECT_EQ(e.ExternalAttr & faReadOnly, name == "locked.txt" ? static_cast<uint32_t>(faReadOnly) : 0u);
            EXPECT_EQ((e.ExternalAttr & faDirectory) != 0, folder);
            // CP866 where the reader takes it back; UTF-8 where it would misread it.
            const bool utf8 = name.find("«") != AnsiString::npos || name.find("сад") != AnsiString::npos;
            EXPECT_EQ((e.Flags & FlagUtf8Name) != 0, utf8);
            if (e.Method == 8) deflated = true;
            if (name == "noise.bin") {
                EXPECT_EQ(e.Method, 0) << "deflating noise makes it longer: stored";
            }
        }
        EXPECT_EQ(deflated, AnsiString(method) == "deflate");

        if (HostToolAvailable("unzip")) {
            std::string peer;
            EXPECT_EQ(RunHost("unzip -t -P " + std::string(ArchivePassword) + " " + ShellQuote(HostPath(VolumeFile(out, 1))),
                              &peer),
                      0)
                << peer;
            EXPECT_NE(peer.find("No errors detected"), std::string::npos) << peer;
        }
    }
}

TEST(ZipPack, HelpNamesThePackageAndUsageErrorsSayWhat) {
    TConsole help;
    EXPECT_EQ(ZipVolMain({"--help"}, help, ThreeVolumes), ZipVolPassed);
    EXPECT_NE(help.OutText.find("zipvol pack FOLDER OUTDIR [--volumes N | --volume-size SIZE]"), std::string::npos);
    EXPECT_NE(help.OutText.find("This zipvol packs for VORN for Zat: 3 volumes.\n"), std::string::npos) << help.OutText;
    const std::pair<std::vector<AnsiString>, const char*> cases[] = {
        {{"pack", "pkg"}, "pack needs a FOLDER and an OUTDIR"},
        {{"pack", "pkg", "out", "more"}, "pack needs a FOLDER and an OUTDIR"},
        {{"pack", "pkg", "out", "--volumes", "0"}, "--volumes needs a number of volumes"},
        {{"pack", "pkg", "out", "--volume-size", "big"}, "--volume-size needs a size"},
        {{"pack", "pkg", "out", "--volumes", "3", "--volume-size", "1M"}, "--volumes and --volume-size exclude each other"},
        {{"pack", "pkg", "out", "--method", "zip"}, "--method needs deflate or store, not zip"},
        {{"pack", "pkg", "out", "-v"}, "pack does not know -v"},
    };
    for (const auto& [args, message] : cases) {
        TConsole c;
        EXPECT_EQ(ZipVolMain(args, c, ThreeVolumes), ZipVolUnreadable);
        EXPECT_EQ(c.ErrText.rfind(std::string("zipvol: pack: ") + message, 0), 0u) << c.ErrText;
    }
}

TEST(ZipPack, StoredNamesComeBackUnchanged) {
    struct TCase {
        AnsiString Name;
        uint16_t Flags;
    } cases[] = {
        {"readme.txt", 0},
        {"Задачи\\Урок 1\\", 0},
        {"№ 5.txt", 0},                // CP866 has the numero sign
        {"«Урок».txt", FlagUtf8Name},  // and no guillemets
        {"сад.txt", FlagUtf8Name},     // CP866 "сад" is E1 A0 A4: well-formed UTF-8
        {"сада.txt", 0},               // and "сада" is not
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const TStoredName stored = StoreName(c.Name);
        EXPECT_EQ(stored.Flags, c.Flags);
        EXPECT_EQ(stored.Bytes.find('\\'), std::string::npos);
        AnsiString back;
        EXPECT_TRUE(DecodeStoredName(stored.Bytes, stored.Flags, {}, back));
        EXPECT_EQ(back, c.Name);
    }
}

TEST(ZipPack, VolumesSplitTheFilesAndEachEndsWithAFile) {
    TScratchDir dir;
    MakePackage(dir / "pkg");
    // Three files that fill a volume of 50 KiB each when stored.
    ForceDirectories(dir / "noisy\\a");
    ForceDirectories(dir / "noisy\\b");
    WriteFileBytes(dir / "noisy\\a\\1.bin", Noise(40000));
    WriteFileBytes(dir / "noisy\\a\\2.bin", Noise(40001));
    WriteFileBytes(dir / "noisy\\b\\3.bin", Noise(40002));
    WriteFileBytes(dir / "noisy\\c.txt", "small");
    struct TCase {
        const char* Label;
        const char* Folder;
        std::vector<AnsiString> Args;
        int64_t MaxSize;
    } cases[] = {
        {"--volumes", "pkg", {"--volumes", "3"}, 0},
        {"default count", "pkg", {}, 0},
        {"--volume-size", "noisy", {"--volume-size", "50K"}, 50 * 1024},
    };
    for (const TCase& t : cases) {
        SCOPED_TRACE(t.Label);
        const auto source = Tree(dir / t.Folder);
        const AnsiString out = dir / (AnsiString("out-") + t.Label);
        TConsole c;
        ASSERT_EQ(Pack(c, ThreeVolumes, dir / t.Folder, out, t.Args), ZipVolPassed) << c.ErrText;
        EXPECT_FALSE(FileExists(VolumeFile(out, 4)));
        std::map<AnsiString, std::string> together;
        for (int n = 1; n <= 3; ++n) {
            SCOPED_TRACE(n);
            if (t.MaxSize) {
                EXPECT_LE(FileSizeOf(VolumeFile(out, n)), t.MaxSize);
            }
            const AnsiString x = dir / (AnsiString("x-") + t.Label + IntToStr(n));
            const TVolumeRead r = ReadVolume(VolumeFile(out, n), x);
            ASSERT_EQ(r.Error, "");
            ASSERT_FALSE(r.Entries.empty());
            EXPECT_FALSE(r.Entries.back().Filename.empty()) << "a volume ends with a folder";
            EXPECT_GE(r.Passed, 1);
            for (auto& [k, v] : Tree(x)) together[k] = v;
        }
        EXPECT_TRUE(together == source);
    }
}

TEST(ZipPack, PlanBalancesVolumesAndKnowsTheLimits) {
    auto file = [](const char* name, int64_t size) {
        TPackItem i;
        i.Name = name;
        i.Size = size;
        return i;
    };
    TPackItem folder;
    folder.Name = "d\\";
    folder.IsFolder = true;
    std::vector<TPackItem> items = {folder, file("a", 1000), file("b", 1000), file("c", 1000), file("d\\e", 3000),
                                    file("f", 10)};
    std::vector<std::vector<size_t>> plan;
    AnsiString problem;
    ASSERT_TRUE(PlanVolumes(items, 2, plan, problem)) << problem;
    EXPECT_EQ(plan, (std::vector<std::vector<size_t>>{{0, 1, 2, 3}, {4, 5}}));
    ASSERT_TRUE(PlanVolumes(items, 5, plan, problem)) << problem;
    for (const auto& v : plan) EXPECT_FALSE(v.empty());
    EXPECT_EQ(plan.back(), (std::vector<size_t>{5}));
    EXPECT_FALSE(PlanVolumes(items, 6, plan, problem));
    EXPECT_EQ(problem, "6 volumes need at least as many files; the folder holds 5 files");

    std::vector<TPackItem> many(MaxVolumeEntries, file("x", 0));
    EXPECT_TRUE(PlanVolumes(many, 1, plan, problem)) << problem;
    many.push_back(file("y", 0));
    EXPECT_FALSE(PlanVolumes(many, 1, plan, problem));
    EXPECT_EQ(problem, "setup.dat would hold 65521 entries; a volume holds at most 65520 (the package needs more "
                       "volumes: VolumeCount in its package file)");
    EXPECT_TRUE(PlanVolumes(many, 2, plan, problem)) << problem;
}

TEST(ZipPack, VolumeSizesAndNameRules) {
    const std::pair<const char*, int64_t> sizes[] = {
        {"1440K", 1440 * 1024}, {"100m", 100 * 1024 * 1024}, {"2G", 2LL * 1024 * 1024 * 1024}, {"512", 512},
        {"", -1},  {"K", -1},   {"1.5M", -1},   {"-5", -1},   {"0", -1},   {"10X", -1},
    };
    for (const auto& [text, expected] : sizes) {
        int64_t size = -1;
        EXPECT_EQ(ParseVolumeSize(text, size), expected > 0) << text;
        if (expected > 0) {
            EXPECT_EQ(size, expected) << text;
        }
    }
    const std::pair<const char*, const char*> names[] = {
        {"docs\\readme.txt", ""},
        {"..\\up.txt", "unsafe name: a \"..\" folder"},
        {"a\\..\\", "unsafe name: a \"..\" folder"},
        {"C:\\x.txt", "unsafe name: a character Windows does not allow"},
        {"aux.txt", "unsafe name: a reserved device name"},
        {"Con\\", "unsafe name: a reserved device name"},
        {"what?.txt", "unsafe name: a character Windows does not allow"},
        {"end.\\x", "unsafe name: a name ending with a dot or space"},
        {"tab\t.txt", "unsafe name: a control character"},
    };
    for (const auto& [name, problem] : names) EXPECT_EQ(PackNameProblem(name), problem) << name;
}

// Each refusal names the problem, exits with 2 and leaves OUTDIR as it was: the old volume
// byte for byte, nothing new beside it.
TEST(ZipPack, RefusalsLeaveTheOldVolumes) {
    TScratchDir dir;
    const AnsiString out = dir / "out";
    ForceDirectories(out);
    WriteFileBytes(VolumeFile(out, 1), "the old volume");
    struct TCase {
        const char* Label;
        std::function<void(const AnsiString& pkg)> Make;
        TPackTarget Target;
        std::vector<AnsiString> Args;
        const char* Message;
        bool LinuxOnly;
    } cases[] = {
        {"count other than the package's", MakePackage, OneVolume, {"--volumes", "2"},
         "zipvol: pack: VORN for Zat has 1 data volume, not 2", false},
        {"a volume size that gives more volumes", MakePackage, OneVolume, {"--volume-size", "60K", "--method", "store"},
         "more than 1 volume of 61440 bytes would be needed; VORN for Zat has 1 data volume", false},
        {"a volume size that gives fewer volumes", MakePackage, ThreeVolumes, {"--volume-size", "1M"},
         "volumes of 1048576 bytes give 1 volume; VORN for Zat has 3 data volumes", false},
        {"a file larger than a volume", MakePackage, ThreeVolumes, {"--volume-size", "50K", "--method", "store"},
         "noise.bin: 70012 bytes packed, more than setup.dat2 can take (--volume-size 51200)", false},
        {"fewer files than volumes",
         [](const AnsiString& pkg) {
             ForceDirectories(pkg);
             WriteFileBytes(pkg + "\\one.txt", "1");
             WriteFileBytes(pkg + "\\two.txt", "2");
         },
         ThreeVolumes, {}, "3 volumes need at least as many files; the folder holds 2 files", false},
        {"no file", [](const AnsiString& pkg) { ForceDirectories(pkg + "\\only\\folders"); }, OneVolume, {},
         "the package folder holds no file", false},
        {"no folder", [](const AnsiString&) {}, OneVolume, {}, "the package folder does not exist", false},
        {"unknown package", MakePackage, TPackTarget{}, {}, "this zipvol was built without a package", false},
        {"OUTDIR inside the folder",
         [&](const AnsiString& pkg) {
             MakePackage(pkg);
             ForceDirectories(pkg + "\\out");
         },
         OneVolume, {"--method", "store"}, "lies inside the package folder", false},
        {"reserved device name",
         [](const AnsiString& pkg) {
             MakePackage(pkg);
             ForceDirectories(pkg + "\\LPT1");
             WriteFileBytes(pkg + "\\LPT1\\x.txt", "x");
         },
         OneVolume, {}, "LPT1/: unsafe name: a reserved device name", true},
        {"names equal but for case",
         [](const AnsiString& pkg) {
             MakePackage(pkg);
             WriteFileBytes(pkg + "\\VORNforZat\\README.TXT", "other");
         },
         OneVolume, {}, "VORNforZat/README.TXT and VORNforZat/readme.txt: names that differ only in letter case", true},
        {"forbidden character and trailing dot",
         [](const AnsiString& pkg) {
             MakePackage(pkg);
             WriteFileBytes(pkg + "\\why?.txt", "x");
             WriteFileBytes(pkg + "\\dot.", "x");
         },
         OneVolume, {}, "dot.: unsafe name: a name ending with a dot or space", true},
        {"a name code page 1251 cannot hold",
         [](const AnsiString& pkg) {
             MakePackage(pkg);
             RunHost("touch " + ShellQuote(HostPath(pkg) + "/\xE4\xB8\xAD.txt"));
         },
         OneVolume, {}, "_.txt: a name that code page 1251 cannot hold", true},
        {"a file of 2 GiB",
         [](const AnsiString& pkg) {
             MakePackage(pkg);
             TFileStream f(pkg + "\\huge.bin", fmCreate);  // sparse: one byte at the end
             f.Seek(0x7FFFFFFF, soFromBeginning);
             f.WriteBuffer("x", 1);
         },
         OneVolume, {}, "huge.bin: 2147483648 bytes; an entry holds less than 2 GiB", true},
    };
    int n = 0;
    for (const TCase& t : cases) {
        SCOPED_TRACE(t.Label);
#ifdef _WIN32
        if (t.LinuxOnly) continue;
#endif
        const AnsiString pkg = dir / ("pkg" + IntToStr(++n));
        t.Make(pkg);
        const AnsiString target = AnsiString(t.Label) == "OUTDIR inside the folder" ? pkg + "\\out" : out;
        TConsole c;
        EXPECT_EQ(Pack(c, t.Target, pkg, target, t.Args), ZipVolUnreadable);
        EXPECT_NE(c.ErrText.find(t.Message), std::string::npos) << c.ErrText;
        EXPECT_EQ(c.OutText, "");
        EXPECT_EQ(ReadFileBytes(VolumeFile(out, 1)), "the old volume");
        EXPECT_EQ(Tree(out).size(), 1u);
    }
#ifndef _WIN32
    // A refused folder names every problem, not only the first.
    MakePackage(dir / "two");
    WriteFileBytes(dir / "two\\why?.txt", "x");
    WriteFileBytes(dir / "two\\Задачи\\nul", "x");
    TConsole c;
    EXPECT_EQ(Pack(c, OneVolume, dir / "two", out), ZipVolUnreadable);
    EXPECT_NE(c.ErrText.find("why?.txt: unsafe name: a character Windows does not allow"), std::string::npos) << c.ErrText;
    EXPECT_NE(c.ErrText.find("Задачи/nul: unsafe name: a reserved device name"), std::string::npos) << c.ErrText;
    EXPECT_NE(c.ErrText.find("nothing written: the setup program could not install 2 entries"), std::string::npos);
#endif
}

#ifndef _WIN32
// A full disk, an unreadable folder or file while packing: the message says so, the old
// volume stays, nothing half-written is left.
TEST(ZipPack, FaultsWhileWritingLeaveTheOldVolumes) {
    TScratchDir dir;
    MakePackage(dir / "pkg");
    const AnsiString out = dir / "out";
    ForceDirectories(out);
    WriteFileBytes(VolumeFile(out, 1), "the old volume");
    struct TCase {
        TFaultOp Op;
        AnsiString Path;
        const char* Message;
        int Code = ZipVolUnreadable;
    } cases[] = {
        {TFaultOp::Write, VolumeFile(out, 1) + ".new", "nothing replaced: cannot write in "},
        {TFaultOp::Write, VolumeFile(out, 1) + ".spool", "No space left on device"},
        {TFaultOp::Create, VolumeFile(out, 1) + ".new", "Cannot create file"},
        {TFaultOp::Open, dir / "pkg\\Задачи\\Урок 1", "Задачи/Урок 1/: cannot be read: Permission denied"},
        {TFaultOp::Open, dir / "pkg\\VORNforZat\\readme.txt", "nothing replaced: Cannot open file"},
        // Written, but the reader cannot open it again.
        {TFaultOp::Open, VolumeFile(out, 1) + ".new", "setup.dat.new does not read back: ", ZipVolSomeFailed},
    };
    for (const TCase& t : cases) {
        SCOPED_TRACE(t.Path);
        Faults::Set([&](TFaultOp op, const AnsiString& path) { return op == t.Op && path == t.Path; });
        TConsole c;
        const int code = Pack(c, OneVolume, dir / "pkg", out);
        Faults::Clear();
        EXPECT_EQ(code, t.Code);
        EXPECT_NE(c.ErrText.find(t.Message), std::string::npos) << c.ErrText;
        EXPECT_EQ(ReadFileBytes(VolumeFile(out, 1)), "the old volume");
        EXPECT_EQ(Tree(out).size(), 1u);
    }
    // Without a fault the same command replaces the old volume.
    TConsole c;
    EXPECT_EQ(Pack(c, OneVolume, dir / "pkg", out), ZipVolPassed) << c.ErrText;
    EXPECT_NE(ReadFileBytes(VolumeFile(out, 1)), "the old volume");
}
#endif

// zipvol's commands run in the test's process with a scripted console: the listing, the exit
// codes and the named failures, the overwrite question, and extraction byte for byte as
// Info-ZIP unzip extracts the same archive.
#include "platform/os/Console.h"
#include "platform/os/FileSystem.h"
#include "platform/rtl/SysUtils.h"
#include "tests/common/HostTools.h"
#include "tests/common/TestPaths.h"
#include "tests/common/ZipWriter.h"
#include "tools/ZipVolCommand.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>

using ZipFixture::BuildZip;
using ZipFixture::DosTime;
using ZipFixture::TFixtureArchive;

namespace {

struct TScriptedConsole : TZipVolConsole {
    std::string OutText, ErrText;
    std::deque<AnsiString> Input;
    void Out(const AnsiString& text) override { OutText += text; }
    void Err(const AnsiString& text) override { ErrText += text; }
    bool ReadLine(AnsiString& line) override {
        if (Input.empty()) return false;
        line = Input.front();
        Input.pop_front();
        return true;
    }
};

// The archive and its host form for the command line (zipvol takes either separator).
std::string Arg(const AnsiString& path) {
#ifdef _WIN32
    return path;
#else
    std::string p = path;
    std::replace(p.begin(), p.end(), '\\', '/');
    return p;
#endif
}

int ZipVol(TScriptedConsole& console, std::vector<AnsiString> args) { return ZipVolMain(args, console); }

TFixtureArchive Sample() {
    TFixtureArchive zip;
    zip.Entries.push_back({.Name = "docs/", .DosDateTime = DosTime(2012, 3, 5, 10, 20, 30), .ExternalAttr = 0x10});
    zip.Entries.push_back({.Name = "docs/a.txt", .Data = "alpha", .DosDateTime = DosTime(2012, 3, 5, 10, 20, 30)});
    zip.Entries.push_back(
        {.Name = "s.bin", .Data = std::string(1000, 's'), .DosDateTime = DosTime(2001, 2, 3, 4, 5, 6), .Password = "pw"});
    return zip;
}

// Every file under a folder with its bytes, by relative name ("/" separated).
std::map<std::string, std::string> Tree(const AnsiString& root, const std::string& prefix = "") {
    std::map<std::string, std::string> out;
    for (const TSearchRec& r : FindFiles(root + "\\*")) {
        if (r.Attr & faDirectory) {
            out[prefix + r.Name + "/"] = "";
            for (auto& [k, v] : Tree(root + "\\" + r.Name, prefix + r.Name + "/")) out[k] = v;
        } else {
            out[prefix + r.Name] = ReadFileBytes(root + "\\" + r.Name);
        }
    }
    return out;
}

}  // namespace

TEST(ZipVol, HelpAndUsageErrors) {
    TScriptedConsole c;
    EXPECT_EQ(ZipVol(c, {"--help"}), ZipVolPassed);
    EXPECT_NE(c.OutText.find("zipvol extract ARCHIVE -d DIR"), std::string::npos);
    TScriptedConsole bad;
    EXPECT_EQ(ZipVol(bad, {}), ZipVolUnreadable);
    EXPECT_EQ(ZipVol(bad, {"extract", "a.zip"}), ZipVolUnreadable);
    EXPECT_EQ(ZipVol(bad, {"extract", "a.zip", "-d", "x", "--overwrite", "sometimes"}), ZipVolUnreadable);
    EXPECT_NE(bad.ErrText.find("extract needs -d DIR"), std::string::npos);
}

TEST(ZipVol, ListShowsEveryColumnAndTheTotals) {
    TScratchDir dir;
    TFixtureArchive zip = Sample();
    zip.Entries.push_back({.Name = "\xE4\xB8\xAD.txt", .Data = "x", .Flags = 0x800, .DosDateTime = DosTime(2012, 3, 5, 10, 20, 30)});
    WriteFileBytes(dir / "t.zip", BuildZip(zip).Bytes);
    TScriptedConsole c;
    EXPECT_EQ(ZipVol(c, {"list", Arg(dir / "t.zip")}), ZipVolPassed);
    const std::string sep = Arg("docs\\a.txt");
    EXPECT_NE(c.OutText.find("         5           5  Stored   2012-03-05 10:20 " +
                             std::string(Format("%8.8x", ZipFixture::ReferenceCrc32("alpha"))) + "  -  " + sep + "\n"),
              std::string::npos)
        << c.OutText;
    EXPECT_NE(c.OutText.find("      1000        1012  Stored   2001-02-03 04:05"), std::string::npos) << c.OutText;
    EXPECT_NE(c.OutText.find("  E  s.bin\n"), std::string::npos);
    EXPECT_NE(c.OutText.find("  -  !_.txt\n"), std::string::npos);
    EXPECT_NE(c.OutText.find("      1006        1018 "), std::string::npos);
    EXPECT_NE(c.OutText.find(" 4 entries\n"), std::string::npos);
    TScriptedConsole one;
    EXPECT_EQ(ZipVol(one, {"list", Arg(dir / "t.zip"), "*.TXT"}), ZipVolPassed);
    EXPECT_NE(one.OutText.find(" 2 entries\n"), std::string::npos) << one.OutText;
}

TEST(ZipVol, ExitCodesAndNamedFailures) {
    TScratchDir dir;
    TFixtureArchive zip = Sample();
    zip.Entries.push_back({.Name = "bad.txt", .Data = "data", .Crc = 0x1234});
    zip.Entries.push_back({.Name = "../up.txt", .Data = "escape"});
    zip.Entries.push_back({.Name = "m7.dat", .Data = "x", .Method = 7});
    WriteFileBytes(dir / "t.zip", BuildZip(zip).Bytes);
    {
        TScriptedConsole c;
        EXPECT_EQ(ZipVol(c, {"test", Arg(dir / "t.zip"), "-p", "pw"}), ZipVolSomeFailed);
        EXPECT_NE(c.ErrText.find("zipvol: bad.txt: bad CRC\n"), std::string::npos) << c.ErrText;
        EXPECT_NE(c.ErrText.find("zipvol: " + Arg("..\\up.txt") + ": unsafe name: a \"..\" folder\n"), std::string::npos)
            << c.ErrText;
        EXPECT_NE(c.ErrText.find("zipvol: m7.dat: unknown compression method 7\n"), std::string::npos) << c.ErrText;
        EXPECT_EQ(c.ErrText.find("s.bin"), std::string::npos);
        // The scratch folder is gone.
        for (const TSearchRec& r : FindFiles(Console::TempDir() + "\\zipvol-test-*"))
            EXPECT_NE(r.Name, "zipvol-test-" + IntToStr(Console::ProcessId()));
    }
    {
        TScriptedConsole c;
        EXPECT_EQ(ZipVol(c, {"extract", Arg(dir / "t.zip"), "-d", Arg(dir / "out"), "-p", "wrong", "*.bin"}), ZipVolSomeFailed);
        EXPECT_EQ(c.ErrText, "zipvol: s.bin: bad password\n");
        EXPECT_FALSE(FileExists(dir / "out\\s.bin"));
    }
    {
        TScriptedConsole c;
        EXPECT_EQ(ZipVol(c, {"extract", Arg(dir / "t.zip"), "-d", Arg(dir / "out"), "-p", "pw", "docs/*", "s.bin"}), ZipVolPassed);
        EXPECT_EQ(ReadFileBytes(dir / "out\\docs\\a.txt"), "alpha");
        EXPECT_EQ(c.OutText, "2 files extracted.\n");
    }
    {
        WriteFileBytes(dir / "junk.zip", "not an archive at all, not even close");
        TScriptedConsole c;
        EXPECT_EQ(ZipVol(c, {"list", Arg(dir / "junk.zip")}), ZipVolUnreadable);
        EXPECT_EQ(c.ErrText, "zipvol: " + Arg(dir / "junk.zip") + ": Incomplete Zip File\n");
        TScriptedConsole missing;
        EXPECT_EQ(ZipVol(missing, {"test", Arg(dir / "none.zip")}), ZipVolUnreadable);
        EXPECT_NE(missing.ErrText.find("none.zip"), std::string::npos);
    }
}

TEST(ZipVol, OverwriteNeverAndPrompt) {
    TScratchDir dir;
    TFixtureArchive zip;
    zip.Entries.push_back({.Name = "one.txt", .Data = "new 1"});
    zip.Entries.push_back({.Name = "two.txt", .Data = "new 2"});
    zip.Entries.push_back({.Name = "three.txt", .Data = "new 3"});
    WriteFileBytes(dir / "t.zip", BuildZip(zip).Bytes);
    auto reset = [&] {
        ForceDirectories(dir / "out");
        for (const char* n : {"one", "two", "three"}) WriteFileBytes(dir / ("out\\" + AnsiString(n) + ".txt"), "old");
    };
    reset();
    {
        TScriptedConsole c;
        EXPECT_EQ(ZipVol(c, {"extract", Arg(dir / "t.zip"), "-d", Arg(dir / "out"), "--overwrite", "never"}), ZipVolSomeFailed);
        EXPECT_NE(c.ErrText.find("zipvol: two.txt: skipped: the file exists\n"), std::string::npos);
        EXPECT_EQ(ReadFileBytes(dir / "out\\two.txt"), "old");
    }
    {
        // An answer that is neither is asked again; the end of input answers no.
        TScriptedConsole c;
        c.Input = {"да", "maybe", "n"};
        EXPECT_EQ(ZipVol(c, {"extract", Arg(dir / "t.zip"), "-d", Arg(dir / "out")}), ZipVolSomeFailed);
        EXPECT_EQ(ReadFileBytes(dir / "out\\one.txt"), "new 1");
        EXPECT_EQ(ReadFileBytes(dir / "out\\two.txt"), "old");
        EXPECT_EQ(ReadFileBytes(dir / "out\\three.txt"), "old");
        EXPECT_NE(c.ErrText.find("Replace existing file one.txt? [y/n] "), std::string::npos);
        EXPECT_NE(c.ErrText.find("Replace existing file two.txt? [y/n] Replace existing file two.txt? [y/n] "),
                  std::string::npos);
        EXPECT_NE(c.ErrText.find("zipvol: three.txt: skipped: the file exists\n"), std::string::npos);
    }
}

TEST(ZipVol, ExtractGivesWhatInfoZipUnzipGives) {
    if (!HostToolAvailable("zip") || !HostToolAvailable("unzip")) GTEST_SKIP() << "Info-ZIP zip/unzip are not installed";
    TScratchDir dir;
    ForceDirectories(dir / "src\\sub\\deeper");
    ForceDirectories(dir / "src\\empty");
    WriteFileBytes(dir / "src\\sub\\deeper\\data.bin", std::string(100000, '\x5A') + "end");
    WriteFileBytes(dir / "src\\sub\\Отчёт.txt", "кириллица");
    WriteFileBytes(dir / "src\\zero.txt", "");
    const std::string src = ShellQuote(HostPath(dir / "src"));
    std::string out;
    ASSERT_EQ(RunHost("cd " + src + " && LC_ALL=C.UTF-8 zip -q -0 -r ../s.zip . && LC_ALL=C.UTF-8 zip -q -0 -P pw -r ../e.zip .", &out), 0)
        << out;
    for (const char* name : {"s.zip", "e.zip"}) {
        const AnsiString archive = dir / name;
        const AnsiString ours = dir / (AnsiString(name) + ".zipvol"), theirs = dir / (AnsiString(name) + ".unzip");
        TScriptedConsole c;
        EXPECT_EQ(ZipVol(c, {"extract", Arg(archive), "-d", Arg(ours), "-p", "pw"}), ZipVolPassed) << c.ErrText;
        ASSERT_EQ(RunHost("LC_ALL=C.UTF-8 unzip -q -P pw " + ShellQuote(HostPath(archive)) + " -d " +
                              ShellQuote(HostPath(theirs)),
                          &out),
                  0)
            << out;
        const auto a = Tree(ours), b = Tree(theirs);
        EXPECT_EQ(a.size(), 6u) << name;  // three folders, three files
        EXPECT_TRUE(a == b) << name;
    }
}

// Shell link files on both backends. On Linux the .lnk files are read back with lnkinfo (of
// liblnk-utils; skipped when it is missing). Under Wine, links made by Wine's shell link
// object are loaded back through it, and so are the bytes the Linux writer composes.
#include "platform/os/FileSystem.h"
#include "platform/os/Shell.h"
#include "platform/os/ShellLinkFile.h"
#include "platform/rtl/CodePage.h"
#include "platform/rtl/SysUtils.h"
#include "tests/common/TestPaths.h"

#include <gtest/gtest.h>

namespace {

bool MakeLink(const AnsiString& target, const AnsiString& arguments, const AnsiString& workDir,
              const AnsiString& linkPath) {
    TShellLink::InitializeComLibrary();
    TShellLink link;
    return link.Create() && link.SetPath(target) && link.SetArguments(arguments) &&
           link.SetWorkingDirectory(workDir) && link.Save(Cp1251ToUtf16(linkPath), true);
}

}  // namespace

#ifndef _WIN32

#include "platform/os/posix/Faults.h"
#include "platform/os/posix/PathMap.h"

#include <cstdio>
#include <map>

namespace {

bool HaveLnkInfo() { return std::system("command -v lnkinfo >/dev/null 2>&1") == 0; }

// lnkinfo's "Name : value" lines, the names trimmed, the values converted to CP1251.
std::map<std::string, AnsiString> LnkInfo(const AnsiString& link) {
    std::string host;
    PathMap::ToHost(link, host);
    std::map<std::string, AnsiString> fields;
    FILE* out = ::popen(("lnkinfo '" + host + "' 2>&1").c_str(), "r");
    if (!out) return fields;
    char line[4096];
    while (std::fgets(line, sizeof line, out)) {
        std::string text = line;
        const size_t colon = text.find(':');
        if (colon == std::string::npos) continue;
        const std::string name = Trim(text.substr(0, colon));
        std::string value = text.substr(colon + 1);
        while (!value.empty() && (value.back() == '\n' || value.back() == '\r')) value.pop_back();
        if (!value.empty() && value[0] == ' ') value.erase(0, 1);
        AnsiString converted;
        fields[name] = TryUtf8ToCp1251(value, converted) ? converted : AnsiString("<not CP1251>");
    }
    ::pclose(out);
    return fields;
}

}  // namespace

struct DriveTableGuard {
    ~DriveTableGuard() { PathMap::ClearDrives(); }
};

struct FaultGuard {
    ~FaultGuard() { Faults::Clear(); }
};

TEST(ShellLink, LnkInfoReadsTargetArgumentsAndWorkingFolder) {
    if (!HaveLnkInfo()) GTEST_SKIP() << "lnkinfo (liblnk-utils) is not installed";
    TScratchDir dir;
    DriveTableGuard drives;
    std::string host;
    ASSERT_TRUE(PathMap::ToHost(dir / "drive", host));
    ASSERT_TRUE(ForceDirectories(dir / "drive\\Program Files\\VORN"));
    PathMap::SetDrive('C', host);
    WriteFileBytes(dir / "Задачник.exe", "12345");
    WriteFileBytes(dir / "drive\\Program Files\\VORN\\readme.txt", "read me");
    struct Case {
        AnsiString Target, Arguments, WorkDir, Link, Size;
    } cases[] = {
        {dir / "Задачник.exe", "\"C:\\Журнал\\vorn.log\" -v", dir.Path(), dir / "Ярлык.lnk", "5 bytes"},
        {"C:\\Program Files\\VORN\\readme.txt", "", "C:\\Program Files\\VORN", dir / "Readme.lnk", "7 bytes"},
        {dir / "Задачник.exe", "", "", dir / "bare.lnk", "5 bytes"},
        {dir / "missing.exe", "a b", "C:\\", dir / "missing.lnk", "0 bytes"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(MakeLink(c.Target, c.Arguments, c.WorkDir, c.Link)) << c.Link;
        auto info = LnkInfo(c.Link);
        EXPECT_EQ(info["Local path"], c.Target);
        EXPECT_EQ(info["File size"], c.Size);
        EXPECT_EQ(info.count("Command line arguments"), c.Arguments.empty() ? 0u : 1u);
        EXPECT_EQ(info["Command line arguments"], c.Arguments);
        EXPECT_EQ(info.count("Working directory"), c.WorkDir.empty() ? 0u : 1u);
        EXPECT_EQ(info["Working directory"], c.WorkDir);
        EXPECT_EQ(info.count("Error"), 0u) << info["Error"];
    }
}

TEST(ShellLink, SaveFailsCleanlyAndReplacesWhole) {
    TScratchDir dir;
    WriteFileBytes(dir / "t.exe", "x");
    EXPECT_FALSE(MakeLink(dir / "t.exe", "", "", dir / "no such folder\\t.lnk"));
    EXPECT_FALSE(DirectoryExists(dir / "no such folder"));
    EXPECT_FALSE(MakeLink(dir / "t.exe", "", "", ""));
    EXPECT_FALSE(MakeLink("", "", "", dir / "empty target.lnk"));
    {
        TShellLink link;  // not created
        EXPECT_FALSE(link.SetPath(dir / "t.exe"));
        EXPECT_FALSE(link.Save(Cp1251ToUtf16(dir / "t.lnk"), true));
    }
    {
        // A name that the system's code page cannot hold has no place on the system's paths.
        TShellLink link;
        ASSERT_TRUE(link.Create() && link.SetPath(dir / "t.exe"));
        EXPECT_FALSE(link.Save(Cp1251ToUtf16(dir.Path()) + u"\\\u65E5.lnk", true));
    }

    ASSERT_TRUE(MakeLink(dir / "t.exe", "old", "", dir / "t.lnk"));
    const std::string before = ReadFileBytes(dir / "t.lnk");
    FaultGuard guard;
    for (TFaultOp op : {TFaultOp::Create, TFaultOp::Write, TFaultOp::Move}) {
        Faults::Set([&](TFaultOp o, const AnsiString& path) { return o == op && path == dir / "t.lnk"; });
        EXPECT_FALSE(MakeLink(dir / "t.exe", "new", "", dir / "t.lnk"));
        EXPECT_EQ(ReadFileBytes(dir / "t.lnk"), before);
        EXPECT_EQ(FindFiles(dir / "*").size(), 2u);  // no temporary file left
    }
    Faults::Clear();
    ASSERT_TRUE(MakeLink(dir / "t.exe", "new", "", dir / "t.lnk"));
    EXPECT_NE(ReadFileBytes(dir / "t.lnk"), before);
}

#else  // _WIN32

#include "platform/os/win32/WinApi.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

namespace {

struct TLinkTexts {
    AnsiString Target, Arguments, WorkDir;
};

// Loads a link through Windows' own shell link object, as Explorer would read it.
bool LoadLink(const AnsiString& file, TLinkTexts& texts) {
    CoInitialize(nullptr);
    IShellLinkW* link = nullptr;
    IPersistFile* persist = nullptr;
    bool ok = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                         reinterpret_cast<void**>(&link))) &&
              SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist))) &&
              SUCCEEDED(persist->Load(WinText::Wide(file).c_str(), STGM_READ));
    wchar_t buffer[INFOTIPSIZE] = {};
    ok = ok && SUCCEEDED(link->GetPath(buffer, INFOTIPSIZE, nullptr, SLGP_RAWPATH)) &&
         WinText::TryNarrow(buffer, texts.Target);
    ok = ok && SUCCEEDED(link->GetArguments(buffer, INFOTIPSIZE)) && WinText::TryNarrow(buffer, texts.Arguments);
    ok = ok && SUCCEEDED(link->GetWorkingDirectory(buffer, INFOTIPSIZE)) &&
         WinText::TryNarrow(buffer, texts.WorkDir);
    if (persist) persist->Release();
    if (link) link->Release();
    return ok;
}

}  // namespace

TEST(ShellLink, WindowsShellLinkObjectsRoundTrip) {
    TScratchDir dir;
    WriteFileBytes(dir / "Задачник.exe", "12345");
    const TLinkTexts made{dir / "Задачник.exe", "\"C:\\Журнал\\vorn.log\"", dir.Path()};
    ASSERT_TRUE(MakeLink(made.Target, made.Arguments, made.WorkDir, dir / "Ярлык.lnk"));
    TLinkTexts loaded;
    ASSERT_TRUE(LoadLink(dir / "Ярлык.lnk", loaded));
    EXPECT_EQ(loaded.Target, made.Target);
    EXPECT_EQ(loaded.Arguments, made.Arguments);
    EXPECT_EQ(loaded.WorkDir, made.WorkDir);
    // The file Wine wrote is a shell link file: its header size and class identifier.
    const std::string bytes = ReadFileBytes(dir / "Ярлык.lnk");
    ASSERT_GE(bytes.size(), 76u);
    EXPECT_EQ(bytes.substr(0, 20), std::string("\x4C\0\0\0\x01\x14\x02\0\0\0\0\0\xC0\0\0\0\0\0\0\x46", 20));

    EXPECT_FALSE(MakeLink(made.Target, "", "", dir / "no such folder\\x.lnk"));
    EXPECT_FALSE(MakeLink(made.Target, "", "", ""));
}

TEST(ShellLinkFile, WindowsReadsTheComposedBytes) {
    TScratchDir dir;
    WriteFileBytes(dir / "Задачник.exe", "12345");
    struct Case {
        TShellLinkFileData Data;
    } cases[] = {
        {{dir / "Задачник.exe", "\"C:\\Журнал\\vorn.log\" -v", dir.Path()}},
        {{dir / "Задачник.exe", "", ""}},
    };
    for (const auto& c : cases) {
        std::string bytes;
        ASSERT_TRUE(ComposeShellLinkFile(c.Data, bytes));
        WriteFileBytes(dir / "composed.lnk", bytes);
        TLinkTexts loaded;
        ASSERT_TRUE(LoadLink(dir / "composed.lnk", loaded));
        EXPECT_EQ(loaded.Target, c.Data.Target);
        EXPECT_EQ(loaded.Arguments, c.Data.Arguments);
        EXPECT_EQ(loaded.WorkDir, c.Data.WorkingDir);
    }
}

#endif

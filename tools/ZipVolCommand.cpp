// zipvol's commands. Packing is ZipPack's; listing reads the directory only; testing
// extracts into a scratch folder that is removed afterwards; extracting recreates the
// entries' folders. Failures are collected from the component's events and named one per
// line on the error stream.
#include "tools/ZipVolCommand.h"

#include "platform/os/Console.h"
#include "platform/os/FileSystem.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Dialogs.h"
#include "unzip/UnZipper.h"
#include "unzip/Wildcard.h"
#include "unzip/ZipExceptions.h"
#include "unzip/decode/SafeNames.h"

#include <map>
#include <memory>

namespace {

#ifdef ZIPVOL_HAVE_ZLIB
#define ZIPVOL_METHODS "deflate|store"
#define ZIPVOL_METHOD_HELP                                                                        \
    "--method deflate     entries deflated through zlib (the default); a file that deflating\n" \
    "                     would not make smaller is stored\n"                                    \
    "--method store       entries stored as they are\n"
#else
#define ZIPVOL_METHODS "store"
#define ZIPVOL_METHOD_HELP \
    "--method store       entries stored as they are: this zipvol was built without zlib\n"
#endif

const char* const Help =
    "zipvol - packs, lists, tests and extracts the data volumes of a package with the setup\n"
    "program's own archive reader.\n"
    "\n"
    "usage:\n"
    "  zipvol pack FOLDER OUTDIR [--volumes N | --volume-size SIZE] [--method " ZIPVOL_METHODS "]\n"
    "  zipvol list ARCHIVE [PATTERN...]\n"
    "  zipvol test ARCHIVE [-p PASSWORD] [PATTERN...]\n"
    "  zipvol extract ARCHIVE -d DIR [-p PASSWORD] [--overwrite always|never|prompt] [PATTERN...]\n"
    "  zipvol --help\n"
    "\n"
    "pack     writes the data volumes of the package this zipvol was built with (named below)\n"
    "         from the files under FOLDER: OUTDIR/setup.dat, setup.dat2, ... as complete ZIP\n"
    "         archives, every file encrypted with the setup program's password, folders,\n"
    "         times and attributes kept; then reads every volume back with the setup\n"
    "         program's reader, and only then replaces the old volumes. It refuses what the\n"
    "         setup program could not install: names it would not write, names equal but for\n"
    "         letter case, a file of 2 GiB or more, more than 65,520 entries in a volume, a\n"
    "         volume count other than the package's.\n"
    "--volumes N          the package's number of volumes (the default); the files are split\n"
    "                     in runs of about equal size\n"
    "--volume-size SIZE   fill each volume up to SIZE bytes (K, M, G: KiB, MiB, GiB); the\n"
    "                     volumes that result must be as many as the package has\n"
    ZIPVOL_METHOD_HELP
    "\n"
    "list     size, packed size, method, date, CRC-32, encryption (E) and full name of every\n"
    "         entry, then the totals; a name marked ! holds a character that code page 1251\n"
    "         cannot hold (it is shown as _ and never extracted)\n"
    "test     extracts the entries into a scratch folder, checks every CRC-32, removes the folder\n"
    "extract  extracts the entries under DIR, recreating their folders\n"
    "\n"
    "-p PASSWORD          password of encrypted entries (taken as code page 1251 text)\n"
    "--overwrite MODE     an existing file: always replaced, never replaced, or asked for\n"
    "                     (prompt, the default; the end of input answers no)\n"
    "PATTERN              selects entries by their full name: * any run of characters, ? one\n"
    "                     character, <a-z> a set; letters match either case; / or \\ separate\n"
    "                     folders. Without patterns every entry is selected.\n"
    "\n"
    "A numbered set is named by its last volume (set.zip); the others are set.001, set.002, ...\n"
    "in the same folder.\n"
    "\n"
    "exit status: 0 every selected entry passed (pack: the volumes are in place), 1 some entry\n"
    "failed (each is named on the error stream with its reason: bad CRC, bad password,\n"
    "skipped, unsafe name; pack: a volume did not read back), 2 the archive could not be read\n"
    "(pack: refused, or the volumes could not be written; nothing was replaced).\n";

AnsiString HostSeparators(AnsiString name) {
#ifndef _WIN32
    for (char& c : name)
        if (c == '\\') c = '/';
#endif
    return name;
}

AnsiString SystemSeparators(AnsiString path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

AnsiString MethodName(uint16_t method) {
    switch (method) {
        case 0: return "Stored";
        case 1: return "Shrunk";
        case 2: case 3: case 4: case 5: return "Reduce" + IntToStr(method - 1);
        case 6: return "Implode";
        case 8: return "Deflate";
        default: return "M" + IntToStr(method);
    }
}

AnsiString DateText(uint32_t dos) {
    const TDateParts p = DosDateTimeToParts(static_cast<int32_t>(dos));
    return Format("%4.4d-%2.2d-%2.2d %2.2d:%2.2d", p.Year, p.Month, p.Day, p.Hour, p.Minute);
}

AnsiString PadLeft(const AnsiString& text, size_t width) {
    return text.size() >= width ? text : AnsiString(width - text.size(), ' ') + text;
}

AnsiString PadRight(const AnsiString& text, size_t width) {
    return text.size() >= width ? text : text + AnsiString(width - text.size(), ' ');
}

// The answers zipvol gives to the archive reader's message boxes: the overwrite question is
// asked on the terminal when the user chose prompting; every other box takes the answer
// that lets the work go on, and "Unknown Compression Method" is remembered for the entry.
class TZipVolDialogs : public TDialogBackend {
public:
    TZipVolDialogs(TZipVolConsole& console, bool askOverwrite) : FConsole(console), FAsk(askOverwrite) {}
    int MessageBox(const TMessageBoxRequest& request) override {
        if (request.Text == "Unknown Compression Method") UnknownMethod = true;
        if (FAsk && request.Buttons == (mbYes | mbNo) && request.Caption == "File Exists Alert") {
            for (;;) {
                FConsole.Err(request.Text + " [y/n] ");
                AnsiString answer;
                if (!FConsole.ReadLine(answer)) {
                    FConsole.Err("\n");
                    return mrNo;
                }
                const AnsiString a = AnsiLowerCase(Trim(answer));
                if (a == "y" || a == "yes" || a == "д" || a == "да") return mrYes;
                if (a == "n" || a == "no" || a == "н" || a == "нет" || a.empty()) return mrNo;
            }
        }
        return DefaultAnswer(request.Buttons);
    }
    bool UnknownMethod = false;

private:
    TZipVolConsole& FConsole;
    bool FAsk;
};

// Installs a backend for the lifetime of one command.
struct TBackendScope {
    explicit TBackendScope(std::unique_ptr<TDialogBackend> backend) { SetDialogBackend(std::move(backend)); }
    ~TBackendScope() { SetDialogBackend(nullptr); }
};

struct TCommandLine {
    AnsiString Command;
    AnsiString Archive;
    AnsiString DestDir;
    AnsiString Password;
    TUZOverwriteMode Overwrite = Prompt;
    TStringList Patterns;
};

// Parses the arguments; an empty text, or the text of what is wrong.
AnsiString Parse(const std::vector<AnsiString>& args, TCommandLine& line) {
    if (args.empty()) return "no command (zipvol --help tells them)";
    line.Command = args[0];
    if (line.Command != "list" && line.Command != "test" && line.Command != "extract")
        return "unknown command " + line.Command;
    for (size_t i = 1; i < args.size(); ++i) {
        const AnsiString& a = args[i];
        auto value = [&](AnsiString& into) {
            if (i + 1 >= args.size()) return false;
            into = args[++i];
            return true;
        };
        if (a == "-p" && line.Command != "list") {
            if (!value(line.Password)) return "-p needs a password";
        } else if (a == "-d" && line.Command == "extract") {
            if (!value(line.DestDir)) return "-d needs a folder";
        } else if (a == "--overwrite" && line.Command == "extract") {
            AnsiString mode;
            if (!value(mode)) return "--overwrite needs always, never or prompt";
            if (mode == "always") line.Overwrite = Always;
            else if (mode == "never") line.Overwrite = Never;
            else if (mode == "prompt") line.Overwrite = Prompt;
            else return "--overwrite needs always, never or prompt, not " + mode;
        } else if (line.Archive.empty()) {
            line.Archive = SystemSeparators(a);
        } else {
            line.Patterns.Add(SystemSeparators(a));
        }
    }
    if (line.Archive.empty()) return "no archive named";
    if (line.Command == "extract" && line.DestDir.empty()) return "extract needs -d DIR";
    return AnsiString();
}

bool Selected(const TStringList& patterns, const AnsiString& fullName) {
    if (patterns.Count() == 0) return true;
    const AnsiString name = LowerCase(fullName);
    for (const AnsiString& p : patterns.Lines)
        if (IsMatch(LowerCase(p), name)) return true;
    return false;
}

int List(TUnZipper& zip, const TCommandLine& line, TZipVolConsole& console) {
    zip.OpenZip();
    zip.CloseZip();
    console.Out(PadLeft("Length", 10) + "  " + PadLeft("Packed", 10) + "  " + PadRight("Method", 7) + "  " +
                PadRight("Date", 11) + PadRight("Time", 6) + PadRight("CRC-32", 8) + "  E  Name\n");
    console.Out(AnsiString(10, '-') + "  " + AnsiString(10, '-') + "  " + AnsiString(7, '-') + "  " + AnsiString(16, '-') +
                " " + AnsiString(8, '-') + "  -  ----\n");
    int64_t size = 0, packed = 0;
    int files = 0;
    AnsiString text;
    for (int i = 0; i < zip.Count(); ++i) {
        const TZipHeaderInfo& e = zip.Entry(i);
        if (!Selected(line.Patterns, e.FullName())) continue;
        ++files;
        size += static_cast<uint32_t>(e.UnpackedSize);
        packed += static_cast<uint32_t>(e.PackedSize);
        text += PadLeft(IntToStr(static_cast<uint32_t>(e.UnpackedSize)), 10) + "  " +
                PadLeft(IntToStr(static_cast<uint32_t>(e.PackedSize)), 10) + "  " + PadRight(MethodName(e.Method), 7) +
                "  " + DateText(e.DosDateTime) + " " + Format("%8.8x", e.Crc) + "  " + (e.IsEncrypted() ? "E" : "-") +
                "  " + (e.NameNotRepresentable ? "!" : "") + HostSeparators(e.FullName()) + "\n";
        if (text.size() > 60000) {
            console.Out(text);
            text.clear();
        }
    }
    console.Out(text);
    const AnsiString gap(2 + 7 + 2 + 16 + 1 + 8 + 2 + 1 + 2, ' ');
    console.Out(AnsiString(10, '-') + "  " + AnsiString(10, '-') + gap + "----\n");
    console.Out(PadLeft(IntToStr(size), 10) + "  " + PadLeft(IntToStr(packed), 10) + gap + IntToStr(files) +
                (files == 1 ? " entry\n" : " entries\n"));
    return ZipVolPassed;
}

int Extract(TUnZipper& zip, const TCommandLine& line, TZipVolConsole& console) {
    const bool test = line.Command == "test";
    auto dialogs = std::make_unique<TZipVolDialogs>(console, !test && line.Overwrite == Prompt);
    TZipVolDialogs& answers = *dialogs;
    TBackendScope scope(std::move(dialogs));

    AnsiString scratch;
    if (test) {
        scratch = Console::TempDir() + "\\zipvol-test-" + IntToStr(Console::ProcessId());
        for (int n = 1; DirectoryExists(scratch); ++n)
            scratch = Console::TempDir() + "\\zipvol-test-" + IntToStr(Console::ProcessId()) + "-" + IntToStr(n);
    }
    zip.SetDestDir(test ? scratch : SystemSeparators(line.DestDir));
    zip.RecreateDirs = true;
    zip.OverwriteMode = test ? Always : line.Overwrite;
    zip.Password = line.Password;
    zip.DoAll = line.Patterns.Count() == 0;
    zip.SetFilesList(line.Patterns);
    zip.DoProcessMessages = false;

    std::map<int, AnsiString> failures;
    int selected = 0, passed = 0;
    zip.OnStartUnZipInfo = [&](TUnZipper*, int n, int64_t, bool&) { selected = n; };
    zip.OnStartUnZip = [&](TUnZipper*, int, const AnsiString&, bool&) { answers.UnknownMethod = false; };
    zip.OnEndUnZip = [&](TUnZipper*, int i, const AnsiString&) {
        ++passed;
        failures.erase(i);
    };
    zip.OnBadCRC = [&](TUnZipper* z, int, int, int i) {
        failures[i] = answers.UnknownMethod ? "unknown compression method " + IntToStr(z->Entry(i).Method) : AnsiString("bad CRC");
    };
    zip.OnSkippingFile = [&](TUnZipper* z, TSkipReason reason, const AnsiString&, int i) {
        const TZipHeaderInfo& e = z->Entry(i);
        if (reason == srBadPassword)
            failures[i] = answers.UnknownMethod ? "unknown compression method " + IntToStr(e.Method) : AnsiString("bad password");
        else if (reason == srNoOverwrite)
            failures[i] = "skipped: the file exists";
        else
            failures[i] = AnsiString("unsafe name: ") +
                          UnsafeNameText(e.NameNotRepresentable ? unNotRepresentable : CheckEntryName(e.Directory, e.Filename));
    };

    int result = 0;
    try {
        result = zip.UnZip();
    } catch (...) {
        if (test) RemoveTree(scratch);
        throw;
    }
    if (test) RemoveTree(scratch);
    for (const auto& [index, reason] : failures)
        console.Err("zipvol: " + HostSeparators(zip.FullName(index)) + ": " + reason + "\n");
    const int failed = static_cast<int>(failures.size());
    auto count = [](int n, const char* one, const char* many) { return IntToStr(n) + " " + (n == 1 ? one : many); };
    if (test)
        console.Out(failed == 0 ? "No errors detected: " + count(passed, "file", "files") + " checked.\n"
                                : count(passed, "file", "files") + " checked, " + count(failed, "entry", "entries") +
                                      " failed.\n");
    else
        console.Out(count(passed, "file", "files") + " extracted" +
                    (failed ? ", " + count(failed, "entry", "entries") + " failed.\n" : AnsiString(".\n")));
    return failed == 0 && result == selected ? ZipVolPassed : ZipVolSomeFailed;
}

}  // namespace

const char* ZipVolHelp() { return Help; }

int ZipVolMain(const std::vector<AnsiString>& args, TZipVolConsole& console, const TPackTarget& target) {
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        console.Out(Help);
        console.Out(target.VolumeCount > 0
                        ? "\nThis zipvol packs for " + target.ProductName + ": " + IntToStr(target.VolumeCount) +
                              (target.VolumeCount == 1 ? " volume.\n" : " volumes.\n")
                        : AnsiString("\nThis zipvol was built without a package: pack is not available.\n"));
        return ZipVolPassed;
    }
    if (!args.empty() && args[0] == "pack") return ZipVolPack({args.begin() + 1, args.end()}, target, console);
    TCommandLine line;
    const AnsiString wrong = Parse(args, line);
    if (!wrong.empty()) {
        console.Err("zipvol: " + wrong + "\n");
        return ZipVolUnreadable;
    }
    TUnZipper zip;
    try {
        zip.SetZipName(line.Archive);
        return line.Command == "list" ? List(zip, line, console) : Extract(zip, line, console);
    } catch (const Exception& e) {
        console.Err("zipvol: " + HostSeparators(line.Archive) + ": " + e.Message + "\n");
        return ZipVolUnreadable;
    } catch (const std::exception& e) {
        console.Err("zipvol: " + HostSeparators(line.Archive) + ": " + e.what() + "\n");
        return ZipVolUnreadable;
    }
}

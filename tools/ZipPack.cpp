// zipvol pack. The volumes are first written as "<name>.new" beside their final names and
// read back; a refusal, a full disk or a fault found on reading leaves the old volumes as
// they were and removes every file the run made.
#include "tools/ZipPack.h"

#include "install/ArchivePassword.h"
#include "platform/os/Console.h"
#include "platform/os/FileSystem.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Dialogs.h"
#include "tools/EntryEncoder.h"
#include "tools/ZipVolCommand.h"
#include "tools/ZipVolumeWriter.h"
#include "unzip/UnZipper.h"
#include "unzip/ZipRecords.h"

#include <memory>

namespace {

// The setup program's first volume is its own name with ".dat"; setup.exe reads setup.dat,
// setup.dat2, ...
const char* const DataFileName = "setup.dat";
// A file whose time the system could not read is stored as 1980-01-01 00:00.
constexpr uint32_t EarliestDosTime = (1u << 21) | (1u << 16);
constexpr int64_t KiB = 1024;

AnsiString VolumeName(int n) { return DataFileName + (n == 1 ? AnsiString() : IntToStr(n)); }

AnsiString Shown(AnsiString text) {
#ifndef _WIN32
    for (char& c : text)
        if (c == '\\') c = '/';
#endif
    return text;
}

AnsiString SystemSeparators(AnsiString path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

AnsiString Plural(int64_t n, const char* one, const char* many) {
    return IntToStr(n) + " " + (n == 1 ? one : many);
}

struct TPackArgs {
    AnsiString Folder;
    AnsiString OutDir;
    int Volumes = 0;
    int64_t VolumeSize = 0;
    TPackMethod Method = PackDeflateAvailable() ? pmDeflate : pmStore;
};

AnsiString Parse(const std::vector<AnsiString>& args, TPackArgs& a) {
    std::vector<AnsiString> places;
    for (size_t i = 0; i < args.size(); ++i) {
        const AnsiString& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--volumes") {
            if (!hasValue || !TryStrToInt(args[i + 1], a.Volumes) || a.Volumes < 1)
                return "--volumes needs a number of volumes";
            ++i;
        } else if (arg == "--volume-size") {
            if (!hasValue || !ParseVolumeSize(args[i + 1], a.VolumeSize))
                return "--volume-size needs a size (bytes, or a number with K, M or G)";
            ++i;
        } else if (arg == "--method") {
            if (!hasValue) return "--method needs deflate or store";
            const AnsiString& m = args[++i];
            if (m == "store") {
                a.Method = pmStore;
            } else if (m == "deflate") {
                if (!PackDeflateAvailable()) return "this zipvol was built without zlib: --method store only";
                a.Method = pmDeflate;
            } else {
                return "--method needs deflate or store, not " + m;
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            return "pack does not know " + arg;
        } else {
            places.push_back(SystemSeparators(arg));
        }
    }
    if (places.size() != 2) return "pack needs a FOLDER and an OUTDIR (zipvol --help)";
    if (a.Volumes && a.VolumeSize) return "--volumes and --volume-size exclude each other";
    a.Folder = ExcludeTrailingBackslash(places[0]);
    a.OutDir = ExcludeTrailingBackslash(places[1]);
    return AnsiString();
}

// The absolute form of a path with "." and ".." resolved, for comparing folders.
AnsiString AbsolutePath(const AnsiString& path) {
    const bool absolute = (!path.empty() && path[0] == '\\') || (path.size() > 1 && path[1] == ':');
    const AnsiString full = absolute ? path : GetCurrentDir() + "\\" + path;
    std::vector<AnsiString> parts;
    size_t start = 0;
    for (;;) {
        const size_t cut = full.find('\\', start);
        const AnsiString part = full.substr(start, cut == AnsiString::npos ? AnsiString::npos : cut - start);
        if (part == "..") {
            if (parts.size() > 1) parts.pop_back();
        } else if (!(part.empty() && !parts.empty()) && part != ".") {
            parts.push_back(part);
        }
        if (cut == AnsiString::npos) break;
        start = cut + 1;
    }
    AnsiString result;
    for (size_t i = 0; i < parts.size(); ++i) result += (i ? "\\" : "") + parts[i];
    return AnsiUpperCase(result);
}

class TQuietDialogs : public TDialogBackend {
public:
    int MessageBox(const TMessageBoxRequest& request) override { return DefaultAnswer(request.Buttons); }
};

struct TBackendScope {
    TBackendScope() { SetDialogBackend(std::make_unique<TQuietDialogs>()); }
    ~TBackendScope() { SetDialogBackend(nullptr); }
};

struct TWrittenVolume {
    AnsiString Temp;
    AnsiString Final;
    std::vector<AnsiString> Names;
    int Files = 0;
    int64_t Size = 0;
};

// Deletes the new volumes unless they were put in place.
struct TTempFiles {
    std::vector<TWrittenVolume>& Volumes;
    bool Keep = false;
    ~TTempFiles() {
        if (Keep) return;
        for (const TWrittenVolume& v : Volumes) DeleteFile(v.Temp);
    }
};

// Reads a new volume back with the setup program's reader, as the setup program does: every
// entry under its planned name, every file extracted with the right CRC-32. Empty, or what
// is wrong.
AnsiString ReadBack(const TWrittenVolume& volume, const AnsiString& scratch) {
    TUnZipper zip;
    zip.SetZipName(volume.Temp);
    zip.Password = ArchivePassword;
    zip.SetDestDir(scratch);
    zip.RecreateDirs = true;
    zip.OverwriteMode = Always;
    zip.DoAll = true;
    zip.DoProcessMessages = false;
    int passed = 0;
    AnsiString failed;
    auto fault = [&](const AnsiString& name, const char* why) {
        failed += ' ';
        failed += name;
        failed += why;
    };
    zip.OnEndUnZip = [&](TUnZipper*, int, const AnsiString&) { ++passed; };
    zip.OnBadCRC = [&](TUnZipper* z, int, int, int i) { fault(z->FullName(i), " (bad CRC)"); };
    zip.OnSkippingFile = [&](TUnZipper* z, TSkipReason, const AnsiString&, int i) { fault(z->FullName(i), " (skipped)"); };
    ForceDirectories(scratch);
    try {
        zip.UnZip();
    } catch (const Exception& e) {
        RemoveTree(scratch);
        return e.Message;
    }
    RemoveTree(scratch);
    if (!failed.empty()) return "entries that failed:" + failed;
    if (zip.Count() != static_cast<int>(volume.Names.size()))
        return IntToStr(zip.Count()) + " entries read, " + IntToStr(volume.Names.size()) + " written";
    for (int i = 0; i < zip.Count(); ++i)
        if (zip.FullName(i) != volume.Names[static_cast<size_t>(i)])
            return "entry " + IntToStr(i + 1) + " reads as " + zip.FullName(i) + ", not " + volume.Names[static_cast<size_t>(i)];
    if (passed != volume.Files) return IntToStr(passed) + " of " + IntToStr(volume.Files) + " files extracted";
    return AnsiString();
}

int Refuse(TZipVolConsole& console, const AnsiString& text) {
    console.Err("zipvol: pack: " + Shown(text) + "\n");
    return ZipVolUnreadable;
}

}  // namespace

bool ParseVolumeSize(const AnsiString& text, int64_t& size) {
    if (text.empty()) return false;
    int64_t unit = 1;
    AnsiString digits = text;
    switch (UpCaseAscii(text.back())) {
        case 'K': unit = KiB; break;
        case 'M': unit = KiB * KiB; break;
        case 'G': unit = KiB * KiB * KiB; break;
        default: break;
    }
    if (unit != 1) digits.pop_back();
    if (digits.empty() || digits.size() > 12) return false;
    int64_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    size = value * unit;
    return size > 0;
}

bool PlanVolumes(const std::vector<TPackItem>& items, int volumes, std::vector<std::vector<size_t>>& plan,
                 AnsiString& problem) {
    plan.assign(static_cast<size_t>(volumes), {});
    std::vector<size_t> files;
    int64_t folderBytes = 0, fileBytes = 0;
    std::vector<int64_t> weight(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        const TPackItem& item = items[i];
        weight[i] = TZipVolumeWriter::EntryBytes(StoreName(item.Name), item.IsFolder ? 0 : item.Size + 12);
        if (item.IsFolder) {
            plan[0].push_back(i);
            folderBytes += weight[i];
        } else {
            files.push_back(i);
            fileBytes += weight[i];
        }
    }
    if (files.size() < static_cast<size_t>(volumes)) {
        problem = Plural(volumes, "volume needs", "volumes need") + " at least as many files; the folder holds " +
                  Plural(static_cast<int64_t>(files.size()), "file", "files");
        return false;
    }
    size_t next = 0;
    int64_t left = fileBytes;
    for (int v = 0; v < volumes; ++v) {
        std::vector<size_t>& volume = plan[static_cast<size_t>(v)];
        int64_t bytes = v == 0 ? folderBytes : 0;
        const int64_t target = (left + bytes) / (volumes - v);
        const size_t keepForLater = static_cast<size_t>(volumes - 1 - v);
        bool hasFile = false;
        while (next < files.size() - keepForLater) {
            const int64_t w = weight[files[next]];
            // A file goes into this volume when the volume has none yet, when it is the last
            // volume, or when it brings the volume nearer its share than leaving it out would.
            if (hasFile && v < volumes - 1 && bytes + w / 2 > target) break;
            volume.push_back(files[next]);
            bytes += w;
            left -= w;
            hasFile = true;
            ++next;
        }
    }
    for (int v = 0; v < volumes; ++v)
        if (plan[static_cast<size_t>(v)].size() > static_cast<size_t>(MaxVolumeEntries)) {
            problem = VolumeName(v + 1) + " would hold " + IntToStr(plan[static_cast<size_t>(v)].size()) +
                      " entries; a volume holds at most " + IntToStr(MaxVolumeEntries) +
                      " (the package needs more volumes: VolumeCount in its package file)";
            return false;
        }
    return true;
}

int ZipVolPack(const std::vector<AnsiString>& args, const TPackTarget& target, TZipVolConsole& console) {
    TPackArgs a;
    const AnsiString wrong = Parse(args, a);
    if (!wrong.empty()) return Refuse(console, wrong);
    if (target.VolumeCount < 1) return Refuse(console, "this zipvol was built without a package to pack for");
    const AnsiString volumesOfPackage =
        target.ProductName + " has " + Plural(target.VolumeCount, "data volume", "data volumes");
    if (a.Volumes && a.Volumes != target.VolumeCount)
        return Refuse(console, volumesOfPackage + ", not " + IntToStr(a.Volumes) +
                                   " (VolumeCount in its package file; build zipvol and setup with the new count)");
    if (a.VolumeSize > MaxVolumeSize) return Refuse(console, "a volume holds less than 2 GiB");
    const AnsiString outAbs = AbsolutePath(a.OutDir), inAbs = AbsolutePath(a.Folder);
    if (outAbs == inAbs || outAbs.starts_with(inAbs + "\\"))
        return Refuse(console, "OUTDIR " + a.OutDir + " lies inside the package folder " + a.Folder);

    std::vector<TPackItem> items;
    std::vector<AnsiString> problems;
    if (!ReadPackTree(a.Folder, items, problems)) {
        for (const AnsiString& p : problems) console.Err("zipvol: pack: " + Shown(a.Folder + ": " + p) + "\n");
        console.Err("zipvol: pack: nothing written: the setup program could not install " +
                    Plural(static_cast<int64_t>(problems.size()), "entry", "entries") + " as they are\n");
        return ZipVolUnreadable;
    }
    std::vector<size_t> volumeOf(items.size(), 0);
    if (!a.VolumeSize) {
        std::vector<std::vector<size_t>> plan;
        AnsiString problem;
        if (!PlanVolumes(items, target.VolumeCount, plan, problem)) return Refuse(console, problem);
        for (size_t v = 0; v < plan.size(); ++v)
            for (size_t i : plan[v]) volumeOf[i] = v;
    }
    if (!ForceDirectories(a.OutDir)) return Refuse(console, a.OutDir + ": cannot be created: " + LastErrorMessage());

    TBackendScope dialogs;
    std::vector<TWrittenVolume> written;
    TTempFiles temps{written};
    int files = 0, folders = 0;
    try {
        std::unique_ptr<TZipVolumeWriter> writer;
        auto finish = [&] {
            if (!writer) return;
            written.back().Size = writer->FinishedSize();
            writer->Finish();
            writer.reset();
        };
        auto open = [&] {
            finish();
            const int n = static_cast<int>(written.size()) + 1;
            if (n > target.VolumeCount)
                throw Exception("more than " + Plural(target.VolumeCount, "volume", "volumes") + " of " +
                                IntToStr(a.VolumeSize) + " bytes would be needed; " + volumesOfPackage);
            const AnsiString final = a.OutDir + "\\" + VolumeName(n);
            written.push_back({final + ".new", final, {}, 0, 0});
            writer = std::make_unique<TZipVolumeWriter>(written.back().Temp);
        };
        const AnsiString spool = a.OutDir + "\\" + DataFileName + ".spool";
        TEntryEncoder encoder(spool, ArchivePassword);
        const int64_t volumeLimit = a.VolumeSize ? a.VolumeSize : MaxVolumeSize;
        open();
        for (size_t i = 0; i < items.size(); ++i) {
            const TPackItem& item = items[i];
            TVolumeEntry entry;
            entry.Name = StoreName(item.Name);
            entry.DosTime = item.DosTime == -1 ? EarliestDosTime : static_cast<uint32_t>(item.DosTime);
            entry.ExternalAttr = static_cast<uint32_t>(item.Attr);
            if (!item.IsFolder) {
                const TEncodedEntry encoded = encoder.Encode(item, a.Method);
                entry.Flags = FlagEncrypted;
                entry.Method = encoded.Method;
                entry.Crc = encoded.Crc;
                entry.PackedSize = static_cast<uint32_t>(encoded.PackedSize);
                entry.Size = static_cast<uint32_t>(item.Size);
            }
            const int64_t bytes = TZipVolumeWriter::EntryBytes(entry.Name, entry.PackedSize);
            if (a.VolumeSize) {
                if (writer->Count() > 0 &&
                    (writer->FinishedSize() + bytes > volumeLimit || writer->Count() >= MaxVolumeEntries))
                    open();
            } else {
                while (written.size() < volumeOf[i] + 1) open();
            }
            if (writer->FinishedSize() + bytes > volumeLimit)
                throw Exception(item.Name + ": " + Plural(entry.PackedSize, "byte", "bytes") + " packed, more than " +
                                VolumeName(static_cast<int>(written.size())) + " can take (" +
                                (a.VolumeSize ? "--volume-size " + IntToStr(a.VolumeSize) : AnsiString("2 GiB")) +
                                ")");
            writer->BeginEntry(entry);
            if (!item.IsFolder) encoder.CopyTo(*writer);
            written.back().Names.push_back(item.Name);
            if (item.IsFolder) {
                ++folders;
            } else {
                ++written.back().Files;
                ++files;
            }
        }
        finish();
        if (static_cast<int>(written.size()) != target.VolumeCount)
            throw Exception("volumes of " + IntToStr(a.VolumeSize) + " bytes give " +
                            Plural(static_cast<int64_t>(written.size()), "volume", "volumes") + "; " + volumesOfPackage);
    } catch (const EWriteError& e) {
        // "Stream write error" alone would not say which file, nor that the disk is full.
        return Refuse(console, "nothing replaced: cannot write in " + a.OutDir + ": " + e.Message + " (" +
                                   LastErrorMessage() + ")");
    } catch (const Exception& e) {
        return Refuse(console, "nothing replaced: " + e.Message);
    }

    const AnsiString scratch = Console::TempDir() + "\\zipvol-pack-" + IntToStr(Console::ProcessId());
    for (const TWrittenVolume& v : written) {
        const AnsiString fault = ReadBack(v, scratch);
        if (!fault.empty()) {
            console.Err("zipvol: pack: " + Shown(v.Temp) + " does not read back: " + Shown(fault) + "; nothing replaced\n");
            return ZipVolSomeFailed;
        }
    }
    for (size_t k = 0; k < written.size(); ++k)
        if (!ReplaceFile(written[k].Temp, written[k].Final)) {
            const AnsiString reason = LastErrorMessage();
            temps.Keep = true;
            for (size_t j = k; j < written.size(); ++j) DeleteFile(written[j].Temp);
            return Refuse(console, written[k].Final + ": cannot be replaced: " + reason +
                                       (k ? "; the volumes before it are new, the others old: pack again" : AnsiString()));
        }
    temps.Keep = true;

    for (const TWrittenVolume& v : written)
        console.Out(Format("%-12s %12s bytes  %s\n", VolumeName(static_cast<int>(&v - written.data()) + 1),
                           IntToStr(v.Size), Plural(static_cast<int64_t>(v.Names.size()), "entry", "entries")));
    console.Out(Plural(files, "file", "files") + " and " + Plural(folders, "folder", "folders") + " packed for " +
                target.ProductName + " into " + Shown(a.OutDir) + " (" +
                (a.Method == pmDeflate ? "deflated" : "stored") +
                ", encrypted); read back with the setup program's reader: every CRC-32 is right.\n");
    const AnsiString stale = a.OutDir + "\\" + VolumeName(target.VolumeCount + 1);
    if (FileExists(stale))
        console.Out("note: " + Shown(stale) + " is left from an earlier pack; the setup program does not read it.\n");
    return ZipVolPassed;
}

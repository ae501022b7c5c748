// The unzip component: creation, the property setters, the indexed reads and comments, the
// sorted view of the directory, and the extraction loop of UnZip.
#include "unzip/UnZipper.h"

#include "platform/os/FileSystem.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Dialogs.h"
#include "unzip/BufferStream.h"
#include "unzip/Wildcard.h"
#include "unzip/ZipExceptions.h"
#include "unzip/decode/ExtractEntry.h"

TUnZipper::TUnZipper() : FWorkEntry(std::make_unique<TZipHeaderInfo>()) { OnGetNextDisk = TDefaultNextDisk{this}; }

TUnZipper::~TUnZipper() { ClearZip(); }

void TUnZipper::Loaded() {
    if (!OnGetNextDisk) OnGetNextDisk = TDefaultNextDisk{this};
}

void TUnZipper::SetZipName(const AnsiString& value) {
    if (AnsiSameText(value, FZipName)) return;
    AnsiString name = value;
    if (!value.empty() && value.back() == '?') {
        const AnsiString folder = ExtractFilePath(value.substr(0, value.size() - 1));
        const AnsiString initial = !folder.empty() && DirectoryExists(folder) ? folder : AnsiString("C:\\");
        if (!DialogBackend().OpenFile("Open a Zip File",
                                      "Zip Files (*.ZIP)|*.zip|SFX Files (*.EXE)|*.exe|Jar Files (*.JAR)|*.jar|"
                                      "All Files (*.*)|*.*",
                                      initial, name))
            throw EUserCanceled("User canceled setting zip file name.");
    }
    FZipName = name;
    ReleaseDirectory();
    FZipFileDate = 0;
    FEndCentral.Clear();
    FZipStream.reset();
    FRebuiltDirectory = false;
}

void TUnZipper::SetDestDir(const AnsiString& value) {
    if (value == "?") {
        AnsiString folder = DirectoryExists(FDestDir + "\\") ? FDestDir : GetCurrentDir();
        if (!DialogBackend().SelectDirectory(folder, true)) throw EUserCanceled("User canceled Set Desination Directory");
        FDestDir = folder;
    } else {
        FDestDir = value;
    }
    if (!FDestDir.empty() && FDestDir.back() == '\\') FDestDir.pop_back();
}

void TUnZipper::SetRootDir(const AnsiString& value) {
    FRootDir = value;
    if (!FRootDir.empty() && FRootDir.back() != '\\') FRootDir += '\\';
}

int TUnZipper::Count() const { return FMasterList ? FMasterList->Count() : 0; }

void TUnZipper::CheckIndex(int Index) const {
    if (Index < 0 || Index >= Count()) throw EListError(Format("Index %d is out of range", Index));
}

const TZipHeaderInfo& TUnZipper::Entry(int Index) const {
    CheckIndex(Index);
    return *FSortedList->Entry(Index);
}

AnsiString TUnZipper::Filename(int Index) const { return Entry(Index).Filename; }

AnsiString TUnZipper::FullName(int Index) const { return Entry(Index).FullName(); }

AnsiString TUnZipper::ReadCommentAt(const TZipHeaderInfo& entry) {
    TLFNFileStream& zip = *FZipStream;
    zip.SetPosition(entry.CentralPos);
    uint8_t h[CentralHeaderSize];
    if (zip.Read(h, CentralHeaderSize) < CentralHeaderSize) return AnsiString();
    zip.Seek(static_cast<int64_t>(h[28] | h[29] << 8) + (h[30] | h[31] << 8), soFromCurrent);
    AnsiString text(entry.CommentLength, '\0');
    text.resize(static_cast<size_t>(zip.Read(text.data(), entry.CommentLength)));
    return text;
}

AnsiString TUnZipper::FileComment(int Index) {
    CheckIndex(Index);
    const TZipHeaderInfo& known = *FSortedList->Entry(Index);
    if (known.CommentLength == 0) return AnsiString();
    if (known.FileComment) return *known.FileComment;
    AnsiString text;
    try {
        OpenZip();
        CheckIndex(Index);
        TZipHeaderInfo& entry = *FSortedList->Entry(Index);
        if (entry.FileComment) {
            text = *entry.FileComment;
        } else if (entry.CommentLength) {
            text = ReadCommentAt(entry);
            entry.SetFileComment(text);
        }
    } catch (...) {
        CloseZip();
        throw;
    }
    CloseZip();
    return text;
}

AnsiString TUnZipper::ReadArchiveCommentNow() {
    FZipStream->SetPosition(FEndCentral.CommentPos);
    AnsiString text(FEndCentral.CommentLength, '\0');
    text.resize(static_cast<size_t>(FZipStream->Read(text.data(), FEndCentral.CommentLength)));
    return text;
}

AnsiString TUnZipper::ArchiveComment() {
    if (FEndCentral.CommentLength == 0) return AnsiString();
    if (FEndCentral.Comment) return *FEndCentral.Comment;
    AnsiString text;
    try {
        OpenZip();
        if (FEndCentral.Comment) {
            text = *FEndCentral.Comment;
        } else if (FEndCentral.CommentLength) {
            text = ReadArchiveCommentNow();
            FEndCentral.Comment = text;
        }
    } catch (...) {
        CloseZip();
        throw;
    }
    CloseZip();
    return text;
}

void TUnZipper::BuildSortedList(TZipSortMode mode) {
    FOwnSortedList.reset();
    FSortedList = FMasterList.get();
    if (mode != ByNone && FMasterList) {
        auto sorted = std::make_unique<TSortedZip>(dmAccept);
        sorted->OwnsItems = false;
        sorted->SortMode = mode;
        for (int32_t i = 0; i < FMasterList->Count(); ++i) sorted->Add(FMasterList->Get(i));
        FOwnSortedList = std::move(sorted);
        FSortedList = FOwnSortedList.get();
    }
    SortMode = mode;
}

int TUnZipper::UnZip() {
    OpenZip();
    TExtractContext ctx;
    ctx.Zip = this;
    ctx.Host = this;
    ctx.ArchiveStream = FZipStream.get();
    {
        TExtractBuffers buffers(ctx);
        // Extraction of a set runs in archive order, volume after volume; the host's order
        // comes back however the call ends.
        struct TOrderRestore {
            TUnZipper* Self;
            TZipSortMode Mode;
            bool Active;
            ~TOrderRestore() {
                if (Active) Self->BuildSortedList(Mode);
            }
        } restore{this, SortMode, FEndCentral.DiskNumber > 0 && SortMode != ByNone};
        if (restore.Active) BuildSortedList(ByNone);
        FExtracting = true;
        struct TExtractingScope {
            bool& Flag;
            ~TExtractingScope() { Flag = false; }
        } extracting{FExtracting};
        RunExtraction(ctx);
    }
    CloseZip();
    return ctx.ExtractedCount;
}

void TUnZipper::RunExtraction(TExtractContext& ctx) {
    if (!FDestDir.empty() && !DirectoryExists(FDestDir)) ForceDirectories(FDestDir);
    FTotalBytes = 0;
    FBytesDone = 0;

    const int count = Count();
    ctx.ExtractedCount = count;
    for (int i = 0; i < count; ++i) {
        TZipHeaderInfo& e = *FSortedList->Entry(i);
        e.Selected = DoAll;
        if (e.Filename.empty() && !RecreateDirs) {
            e.Selected = false;
            --ctx.ExtractedCount;
            continue;
        }
        if (!e.Selected && FFilesList.Count() > 0) {
            const AnsiString name = LowerCase(e.FullName());
            for (const AnsiString& pattern : FFilesList.Lines)
                if (IsMatch(LowerCase(pattern), name)) {
                    e.Selected = true;
                    break;
                }
        }
        if (e.Selected)
            FTotalBytes += e.UnpackedSize;
        else
            --ctx.ExtractedCount;
    }

    bool stopNow = false;
    if (OnStartUnZipInfo) OnStartUnZipInfo(this, ctx.ExtractedCount, FTotalBytes, stopNow);
    if (ctx.ExtractedCount <= 0 || stopNow) return;
    for (int i = 0; i < count; ++i) {
        if (!DoAll && !FSortedList->Entry(i)->Selected) continue;
        do ExtractEntry(ctx, i);
        while (ctx.RetryEntry);
    }
}

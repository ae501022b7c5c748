// Opening an archive: the end record, the central directory (across the volumes of a set),
// the rebuild from local headers when the directory cannot be found, and obtaining volumes.
#include "platform/os/FileSystem.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Dialogs.h"
#include "unzip/BufferStream.h"
#include "unzip/UnZipper.h"
#include "unzip/ZipExceptions.h"
#include "unzip/ZipUtils.h"

void TUnZipper::OpenZip() {
    if (!FZipStream) FZipStream = std::make_unique<TLFNFileStream>(FZipName, fmOpenRead | fmShareDenyWrite);
    if (FMasterList && (FExtracting || FZipStream->LastWriteTime() == FZipFileDate)) return;
    ReadZipDirectory();
}

void TUnZipper::CloseZip() {
    if (!KeepZipOpen && !FExtracting) FZipStream.reset();
}

void TUnZipper::ReleaseDirectory() {
    FOwnSortedList.reset();
    FSortedList = nullptr;
    FMasterList.reset();
}

void TUnZipper::ClearZip() {
    FZipStream.reset();
    ReleaseDirectory();
    FEndCentral.Clear();
    FRebuiltDirectory = false;
    FZipFileDate = 0;
    SetVolumeMode(vmSingle);
    FZipName.clear();
    FSetName.clear();
}

void TUnZipper::ReadZipDirectory() {
    FZipFileDate = FZipStream->LastWriteTime();
    ReleaseDirectory();
    // Nothing of an archive read before may survive a read that finds no end record.
    FEndCentral.Clear();
    SetVolumeMode(vmSingle);
    FRebuiltDirectory = false;
    FSetName = FZipName;

    auto rebuildOrFail = [this] {
        SetBusyCursor(true);
        bool rebuilt = false;
        try {
            rebuilt = RebuildDirectory();
        } catch (...) {
            SetBusyCursor(false);
            throw;
        }
        SetBusyCursor(false);
        if (!rebuilt) {
            ClearZip();
            throw EBadZipFile("Not a valid zip file!");
        }
    };

    if (FEndCentral.ReadEndCentral(*FZipStream)) {
        FCurrentDisk = FEndCentral.DiskNumber;
        if (FEndCentral.DiskNumber == 0) {
            SetVolumeMode(vmSingle);
        } else {
            const AnsiString root = UpperCase(FZipName.substr(0, 3));
            const bool removable = root.size() == 3 && root[1] == ':' && QueryDriveType(root) == DRIVE_REMOVABLE_TYPE;
            SetVolumeMode(removable ? vmRemovable : vmNumbered);
        }
        if (FEndCentral.TotalEntries > 0) {
            if (VolumeMode() != vmSingle && FEndCentral.CentralDisk != FCurrentDisk) LoadDisk(FEndCentral.CentralDisk + 1);
            FZipStream->SetPosition(FEndCentral.CentralStart);
            uint8_t sig[4] = {};
            const bool atCentral = FZipStream->Read(sig, 4) == 4 && sig[0] == 0x50 && sig[1] == 0x4B && sig[2] == 1 && sig[3] == 2;
            if (atCentral)
                FZipStream->Seek(-4, soFromCurrent);
            else
                rebuildOrFail();
        }
    } else {
        if (OnInCompleteZip) OnInCompleteZip(this, IncompleteZipMode);
        if (IncompleteZipMode == izAssumeMulti) {
            ClearZip();
            throw EIncompleteZip("Incomplete Zip File");
        }
        rebuildOrFail();
    }

    if (!FRebuiltDirectory) {
        FMasterList = std::make_unique<TSortedZip>(dmError);
        FSortedList = FMasterList.get();
    }

    const bool multi = FEndCentral.DiskNumber > 0;
    TZipHeaderInfo::TContinuation continuation;
    if (VolumeMode() != vmSingle && !FRebuiltDirectory)
        continuation = [this](TZipHeaderInfo& record, TStream*& stream) { ContinueOnNextDisk(record, stream); };
    for (uint32_t i = 0; i < FEndCentral.TotalEntries; ++i) {
        auto entry = std::make_unique<TZipHeaderInfo>();
        TStream* stream = FZipStream.get();
        // In a set the comments are kept at once, while the volume holding them is open.
        const bool read = entry->ReadCentralRecord(stream, continuation, multi);
        if (!FRebuiltDirectory) {
            // A header that cannot be read ends the read: going on would produce entries with
            // default values that the list then reports as duplicates.
            if (!read) {
                ClearZip();
                throw EBadZipFile("Not a valid zip file!");
            }
            FMasterList->Add(entry.get());
            entry.release();
        } else {
            if (!read) break;
            const int32_t at = FMasterList->IndexOf(entry.get());
            if (at >= 0) {
                TZipHeaderInfo* found = FMasterList->Entry(at);
                const uint32_t offset = found->LocalOffset;
                found->Assign(*entry);
                found->LocalOffset = offset;
            }
        }
    }
    if (multi && FEndCentral.HasComment()) {
        if (FCurrentDisk != FEndCentral.DiskNumber) LoadDisk(FEndCentral.DiskNumber + 1);
        FEndCentral.Comment = ReadArchiveCommentNow();
    }
    // CurrentDisk always names the volume that is open (LoadDisk keeps it so), which after a
    // directory that ends on an earlier volume is not the last one.
    BuildSortedList(SortMode);
}

bool TUnZipper::RebuildDirectory() {
    FRebuiltDirectory = true;
    ReleaseDirectory();
    TLFNFileStream& zip = *FZipStream;
    zip.SetPosition(ExtractFileExt(FZipName) == ".EXE" ? RebuildScanStart : 0);

    uint32_t window = 0;  // the last four bytes read, the newest in the high byte
    uint32_t passed = 0;
    uint8_t b = 0;
    for (;;) {
        if (zip.Read(&b, 1) != 1) return false;
        window = window >> 8 | static_cast<uint32_t>(b) << 24;
        if (window == LocalFileHeaderSig) break;
        if (DoProcessMessages && ++passed == RebuildMessageInterval) {
            passed = 0;
            ProcessMessages();
        }
    }
    zip.Seek(-4, soFromCurrent);
    FMasterList = std::make_unique<TSortedZip>(dmError);
    FSortedList = FMasterList.get();

    for (;;) {
        auto entry = std::make_unique<TZipHeaderInfo>();
        if (!entry->ReadLocalHeader(zip)) break;
        // Sizes are unsigned here: the scan only ever goes forward.
        int64_t skip = static_cast<int64_t>(static_cast<uint32_t>(entry->PackedSize)) + entry->ExtraLength;
        if (entry->HasDataDescriptor()) skip += 16;  // a descriptor with its signature
        FMasterList->Add(entry.get());
        entry.release();
        zip.Seek(skip, soFromCurrent);
    }
    FEndCentral.DiskNumber = 0;
    FCurrentDisk = 0;
    FEndCentral.CentralStart = static_cast<uint32_t>(zip.GetPosition());
    FEndCentral.TotalEntries = static_cast<uint16_t>(FMasterList->Count());
    return true;
}

bool TUnZipper::IsDefaultNextDisk() const { return !OnGetNextDisk || OnGetNextDisk.target<TDefaultNextDisk>(); }

AnsiString TUnZipper::QueryVolumeLabel(const AnsiString& root) { return VolumeLabel(root); }

int TUnZipper::QueryDriveType(const AnsiString& root) { return GetDriveType(root); }

bool TUnZipper::LabelMatches(int N) {
    if (VolumeMode() != vmRemovable) return true;
    const AnsiString label = LeftChars(QueryVolumeLabel(UpperCase(FZipName.substr(0, 3))), 11);
    const AnsiString number = Format("%3.3d", N);
    return label.size() >= number.size() && label.compare(label.size() - number.size(), number.size(), number) == 0;
}

TLFNFileStream* TUnZipper::LoadDisk(int N) {
    FZipStream.reset();
    AnsiString fileName = FZipName;
    for (;;) {
        const bool byDefault = IsDefaultNextDisk();
        if (OnGetNextDisk)
            OnGetNextDisk(this, N, fileName);
        else
            DefaultGetNextDisk(this, N, fileName);
        if (CheckVolumeLabels() && !fileName.empty() && !LabelMatches(N)) continue;
        if (fileName.empty()) throw EUserCanceled("User canceled loading new disk.");
        if (FileExists(fileName)) break;
        // The numbered naming can only repeat its answer: a missing file ends the request.
        if (byDefault && VolumeMode() != vmRemovable) throw EUserCanceled("User canceled loading new disk.");
    }
    FZipStream = std::make_unique<TLFNFileStream>(fileName, fmOpenRead);
    FCurrentDisk = N - 1;
    FZipFileDate = FZipStream->LastWriteTime();
    FZipName = fileName;
    return FZipStream.get();
}

void TUnZipper::ContinueOnNextDisk(TZipHeaderInfo&, TStream*& stream) {
    stream = LoadDisk(FCurrentDisk + 2);
}

void TUnZipper::DefaultGetNextDisk(TUnZipper*, int NextDisk, AnsiString& FName) {
    if (VolumeMode() == vmRemovable) {
        SetBusyCursor(false);
        const int answer = MessageDlg("Please insert disk " + IntToStr(NextDisk) + " of the multi-disk set.",
                                      mtConfirmation, mbOK | mbCancel);
        if (answer != mrOk) FName.clear();
        SetBusyCursor(true);
    } else if (NextDisk == FEndCentral.DiskNumber + 1 && !FSetName.empty()) {
        // The last volume of a numbered set carries the archive's own name.
        FName = FSetName;
    } else {
        FName = ChangeFileExt(FName, Format(".%3.3d", NextDisk));
    }
}

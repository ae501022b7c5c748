// TUnZipper, the unzip component: a host names an archive in ZipName, sets where and how to
// extract, and calls UnZip; progress and every finished entry arrive through events. The
// component also opens archives and reads their directory (single files, numbered sets,
// removable-media sets, damaged archives rebuilt from their local headers).
// Relies on the buffered streams (BufferStream.h), the entry lists (SortedZip.h), the
// extraction pipeline (decode/ExtractEntry.h) and the dialogs of platform/ui.
#pragma once

#include "platform/rtl/Classes.h"
#include "unzip/SortedZip.h"
#include "unzip/ZipRecords.h"
#include "unzip/decode/ExtractContext.h"
#include "unzip/decode/ZipCrypt.h"

#include <cstdint>
#include <functional>
#include <memory>

class TLFNFileStream;

enum TUZOverwriteMode { Prompt, Always, Never };
enum TIncompleteZipMode { izAssumeMulti, izAssumeBad };
// srFileOpenError: an entry whose name cannot be created safely (see ExtractEntry).
enum TSkipReason { srBadPassword, srNoOverwrite, srFileOpenError };
enum TVolumeMode : uint8_t { vmSingle = 0, vmRemovable = 1, vmNumbered = 2 };

class TUnZipper;

// Event types; each handler is fired only when assigned (OnGetNextDisk always has one).
using TStartUnzipInfo = std::function<void(TUnZipper* Sender, int NumFiles, int64_t TotalBytes, bool& StopNow)>;
using TFilePercentDone = std::function<void(TUnZipper* Sender, int Percent)>;
using TTotalPercentDone = std::function<void(TUnZipper* Sender, int Percent)>;
using TStartUnZipEvent = std::function<void(TUnZipper* Sender, int FileIndex, const AnsiString& FName, bool& Skip)>;
using TEndUnZipEvent = std::function<void(TUnZipper* Sender, int FileIndex, const AnsiString& FName)>;
using TPromptForOverwrite =
    std::function<void(TUnZipper* Sender, bool& OverWriteIt, int FileIndex, AnsiString& FName)>;
using TSkippingFile =
    std::function<void(TUnZipper* Sender, TSkipReason Reason, const AnsiString& FName, int FileIndex)>;
using TBadPassword = std::function<void(TUnZipper* Sender, int FileIndex, AnsiString& NewPassword)>;
using TBadCRC = std::function<void(TUnZipper* Sender, int CalcCRC, int StoredCRC, int FileIndex)>;
using TIncompleteZip = std::function<void(TUnZipper* Sender, TIncompleteZipMode& IncompleteMode)>;
using TGetNextDisk = std::function<void(TUnZipper* Sender, int NextDisk, AnsiString& FName)>;

class TUnZipper : public TExtractHost {
public:
    static constexpr int Version = 217;
    static constexpr uint32_t RebuildScanStart = 14000;      // a self-extractor's program ends before this
    static constexpr uint32_t RebuildMessageInterval = 10240;

    TUnZipper();
    ~TUnZipper() override;
    TUnZipper(const TUnZipper&) = delete;
    TUnZipper& operator=(const TUnZipper&) = delete;

    // After the properties were set from a window's description.
    void Loaded();

    // ---- Properties ---------------------------------------------------------------------
    int ThisVersion() const { return Version; }
    void SetThisVersion(int) {}  // stays 217
    const AnsiString& ZipName() const { return FZipName; }
    // A name equal to the current one ignoring case keeps the directory; one ending in "?"
    // asks for the file (EUserCanceled when cancelled); any other drops the directory.
    virtual void SetZipName(const AnsiString& value);
    const AnsiString& DestDir() const { return FDestDir; }
    // "?" asks for the folder; a trailing backslash is removed.
    void SetDestDir(const AnsiString& value);
    const AnsiString& RootDir() const { return FRootDir; }
    void SetRootDir(const AnsiString& value);  // empty, or ending with a backslash
    TStringList& FilesList() { return FFilesList; }
    void SetFilesList(const TStringList& list) { FFilesList = list; }

    TZipSortMode SortMode = ByNone;  // takes effect at the next directory read
    bool RecreateDirs = false;
    TUZOverwriteMode OverwriteMode = Prompt;
    bool DoAll = false;
    TIncompleteZipMode IncompleteZipMode = izAssumeMulti;
    bool KeepZipOpen = false;
    bool DoProcessMessages = true;
    bool RetainAttributes = true;

    TStartUnzipInfo OnStartUnZipInfo;
    TFilePercentDone OnFilePercentDone;
    TTotalPercentDone OnTotalPercentDone;
    TStartUnZipEvent OnStartUnZip;
    TEndUnZipEvent OnEndUnZip;
    TPromptForOverwrite OnPromptForOverwrite;
    TSkippingFile OnSkippingFile;
    TBadPassword OnBadPassword;
    TBadCRC OnBadCRC;
    TIncompleteZip OnInCompleteZip;
    TGetNextDisk OnGetNextDisk;  // the component's own DefaultGetNextDisk unless replaced

    AnsiString Password;

    // ---- Operations ---------------------------------------------------------------------
    // Extracts the selected entries (DoAll, or the patterns of FilesList) under DestDir;
    // returns how many were selected less those skipped or failed.
    int UnZip();
    // Entries of the directory read last (0 before any); never opens the archive.
    int Count() const;
    AnsiString Filename(int Index) const;
    AnsiString FullName(int Index) const;
    AnsiString FileComment(int Index);
    AnsiString ArchiveComment();
    void BuildSortedList(TZipSortMode mode);
    // The entry at Index of the sorted list, for hosts that list the directory.
    const TZipHeaderInfo& Entry(int Index) const;

    // ---- Opening (also for hosts that only list an archive) ----------------------------
    // Opens ZipName and reads its directory unless the one read before is still current
    // (the file's last-write time is unchanged).
    void OpenZip();
    void CloseZip();  // unless KeepZipOpen
    void ClearZip();  // forgets the archive, ZipName included
    void ReadZipDirectory();
    bool RebuildDirectory();
    // Closes the open volume and opens volume N (1-based), found through OnGetNextDisk.
    TLFNFileStream* LoadDisk(int N);
    void ContinueOnNextDisk(TZipHeaderInfo& record, TStream*& stream);
    void DefaultGetNextDisk(TUnZipper* Sender, int NextDisk, AnsiString& FName);

    virtual bool CheckVolumeLabels() const { return FCheckVolumeLabels; }
    virtual void SetCheckVolumeLabels(bool value) { FCheckVolumeLabels = value; }
    virtual TVolumeMode VolumeMode() const { return FVolumeMode; }
    virtual void SetVolumeMode(TVolumeMode value) { FVolumeMode = value; }

    // ---- State, for hosts and tests -----------------------------------------------------
    bool RebuiltDirectory() const { return FRebuiltDirectory; }
    int CurrentDisk() const { return FCurrentDisk; }
    bool IsOpen() const { return FZipStream != nullptr; }
    TDateTime ZipFileDate() const { return FZipFileDate; }
    const TEndCentral& EndCentralRecord() const { return FEndCentral; }
    TSortedZip* MasterList() const { return FMasterList.get(); }
    TSortedZip* SortedList() const { return FSortedList; }
    // The CRC-32 of the last entry's output, once its check is done.
    uint32_t LastCrc() const { return FCrc; }

    // ---- The extraction pipeline's view (TExtractHost) ----------------------------------
    void FillInput(TExtractContext& ctx) override;
    void OutputWritten(TExtractContext& ctx, const uint8_t* data, uint32_t count) override;

protected:
    // The label of the drive whose root is given (the platform's query; tests may answer).
    virtual AnsiString QueryVolumeLabel(const AnsiString& root);
    // The platform's drive type of a root ("A:\").
    virtual int QueryDriveType(const AnsiString& root);

private:
    friend void ExtractEntry(TExtractContext& ctx, int FileIndex);
    // The component's own volume request, recognisable among the handlers a host may set.
    struct TDefaultNextDisk {
        TUnZipper* Self;
        void operator()(TUnZipper* sender, int nextDisk, AnsiString& fileName) const {
            Self->DefaultGetNextDisk(sender, nextDisk, fileName);
        }
    };

    void ReleaseDirectory();
    bool LabelMatches(int N);
    bool IsDefaultNextDisk() const;
    void CheckIndex(int Index) const;
    AnsiString ReadCommentAt(const TZipHeaderInfo& entry);
    AnsiString ReadArchiveCommentNow();
    void RunExtraction(TExtractContext& ctx);
    // Reads (skips) n bytes of the archive, going on at the start of the following volumes
    // where the set allows; returns the count read.
    int32_t ReadSpanning(TExtractContext& ctx, uint8_t* buffer, int32_t n);
    void SkipSpanning(TExtractContext& ctx, int64_t n);
    bool Spanning() const;

    AnsiString FZipName;
    AnsiString FDestDir;
    AnsiString FRootDir;
    TStringList FFilesList;
    bool FCheckVolumeLabels = true;
    TVolumeMode FVolumeMode = vmSingle;
    std::unique_ptr<TZipHeaderInfo> FWorkEntry;
    std::unique_ptr<TSortedZip> FMasterList;
    std::unique_ptr<TSortedZip> FOwnSortedList;  // the SortedList when it is a list of its own
    TSortedZip* FSortedList = nullptr;
    TDateTime FZipFileDate = 0;
    bool FRebuiltDirectory = false;
    int FCurrentDisk = 0;
    std::unique_ptr<TLFNFileStream> FZipStream;
    uint32_t FCrc = CrcInitial;
    uint8_t FLocalHeader[LocalHeaderSize] = {};
    TEndCentral FEndCentral;
    TZipKeys FKeys;
    int64_t FTotalBytes = 0;
    int64_t FBytesDone = 0;
    // While UnZip runs, the archive stays open and its directory in place, whatever a
    // handler reads (a comment read would otherwise close the stream the entries come from).
    bool FExtracting = false;
    // The name of the set's last volume (the name its directory was read from): with the
    // numbered naming the last volume is not numbered.
    AnsiString FSetName;
};

// The per-entry pipeline and the component's two services to it: the refill of the input
// buffer (volume continuation, decryption, the premature end) and the accounting of output
// (CRC-32, progress events).
#include "unzip/decode/ExtractEntry.h"

#include "platform/os/FileSystem.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Dialogs.h"
#include "unzip/BufferStream.h"
#include "unzip/UnZipper.h"
#include "unzip/ZipExceptions.h"
#include "unzip/ZipUtils.h"
#include "unzip/decode/Crc32.h"
#include "unzip/decode/Decoders.h"
#include "unzip/decode/SafeNames.h"

#include <algorithm>

bool TUnZipper::Spanning() const { return FEndCentral.DiskNumber != 0 && OnGetNextDisk; }

int32_t TUnZipper::ReadSpanning(TExtractContext& ctx, uint8_t* buffer, int32_t n) {
    int32_t got = ctx.ArchiveStream->Read(buffer, n);
    while (got < n && Spanning()) {
        ctx.ArchiveStream = LoadDisk(FCurrentDisk + 2);
        got += ctx.ArchiveStream->Read(buffer + got, n - got);
    }
    return got;
}

void TUnZipper::SkipSpanning(TExtractContext& ctx, int64_t n) {
    if (!Spanning()) {
        ctx.ArchiveStream->Seek(n, soFromCurrent);
        return;
    }
    int64_t left = ctx.ArchiveStream->GetSize() - ctx.ArchiveStream->GetPosition();
    while (n > left) {
        n -= left;
        ctx.ArchiveStream = LoadDisk(FCurrentDisk + 2);
        left = ctx.ArchiveStream->GetSize();
    }
    ctx.ArchiveStream->Seek(n, soFromCurrent);
}

void TUnZipper::FillInput(TExtractContext& ctx) {
    if (DoProcessMessages) ProcessMessages();
    const int32_t n = std::min<int32_t>(FWorkEntry->PackedSize, static_cast<int32_t>(IoBufferSize));
    if (n <= 0) throw EFatalUnzipError("Premature end of file reached");
    FWorkEntry->PackedSize -= n;
    const int32_t got = ReadSpanning(ctx, ctx.InBuf, n);
    if (got < n) throw EFatalUnzipError("Premature end of file reached");
    ctx.InCount = static_cast<uint16_t>(got);
    if (FWorkEntry->IsEncrypted()) FKeys.Decrypt(ctx.InBuf, static_cast<size_t>(got));
    ctx.InPos = ctx.InBuf;
}

void TUnZipper::OutputWritten(TExtractContext& ctx, const uint8_t* data, uint32_t count) {
    FCrc = UpdateCrc32(FCrc, data, count);
    if (OnFilePercentDone) OnFilePercentDone(this, BigPercentOf(ctx.EntryWritten, ctx.UncompressedSize));
    if (OnTotalPercentDone) {
        FBytesDone += count;
        OnTotalPercentDone(this, BigPercentOf(FBytesDone, FTotalBytes));
    }
}

namespace {

// Whatever happens while the output file is open, it is closed; an exception already on its
// way is not replaced by one from closing.
struct TOutFileGuard {
    TExtractContext& Ctx;
    std::unique_ptr<TLFNFileStream> File;
    ~TOutFileGuard() {
        if (!File) return;
        try {
            File->Close();
        } catch (...) {
        }
        Ctx.OutFile = nullptr;
    }
    void Close() {
        std::unique_ptr<TLFNFileStream> file = std::move(File);
        Ctx.OutFile = nullptr;
        file->Close();
    }
};

void DeleteBadFile(const AnsiString& path) {
    // A file left read-only by its own attributes could not be deleted otherwise.
    const int attr = FileGetAttr(path);
    if (attr >= 0 && (attr & faReadOnly)) FileSetAttr(path, attr & ~faReadOnly);
    DeleteFile(path);
}

}  // namespace

void ExtractEntry(TExtractContext& ctx, int FileIndex) {
    TUnZipper& zip = *ctx.Zip;
    ctx.RetryEntry = false;
    TZipHeaderInfo& work = *zip.FWorkEntry;
    work.Assign(*zip.FSortedList->Entry(FileIndex));
    const bool isFolder = work.Filename.empty();
    auto skip = [&](TSkipReason reason) {
        if (zip.OnSkippingFile) zip.OnSkippingFile(&zip, reason, work.FullName(), FileIndex);
        --ctx.ExtractedCount;
    };

    // Names that would leave the target folder or that Windows cannot create are never
    // written, nor is a name that the system's code page cannot hold (it would be another).
    if (!isFolder || zip.RecreateDirs) {
        if (work.NameNotRepresentable || CheckEntryName(work.Directory, work.Filename) != unSafe) {
            skip(srFileOpenError);
            return;
        }
    }

    if (!isFolder) {
        if (zip.FEndCentral.DiskNumber != 0 && work.DiskStart != zip.FCurrentDisk)
            ctx.ArchiveStream = zip.LoadDisk(work.DiskStart + 1);
        ctx.ArchiveStream->SetPosition(work.LocalOffset);
        // Within a set, a header may end on the next volume, as may the data (see FillInput).
        if (zip.ReadSpanning(ctx, zip.FLocalHeader, LocalHeaderSize) < LocalHeaderSize)
            throw EFatalUnzipError("Premature end of file reached");
        const uint8_t* h = zip.FLocalHeader;
        zip.SkipSpanning(ctx, static_cast<int64_t>(h[26] | h[27] << 8) + (h[28] | h[29] << 8));
    }

    AnsiString outDir;
    const AnsiString& destDir = zip.FDestDir;
    if (zip.RecreateDirs && !work.Directory.empty()) {
        AnsiString d = work.Directory;
        const AnsiString& root = zip.FRootDir;
        if (!root.empty() && d.size() >= root.size() && AnsiSameText(d.substr(0, root.size()), root))
            d.erase(0, root.size());
        const bool absolute = !d.empty() && (d[0] == '\\' || (d.size() > 1 && d[1] == ':'));
        if (!absolute)
            outDir = destDir + "\\" + d;
        else if (destDir.empty())
            outDir = d;
        else if (d[0] == '\\')
            outDir = destDir + d;
        else  // a drive: "D:\data\" and the drive-relative "D:data\" both stay under DestDir
            outDir = destDir + (d.size() > 2 && d[2] == '\\' ? "" : "\\") + d.substr(2);
        if (!DirectoryExists(outDir)) ForceDirectories(outDir);
    } else {
        outDir = destDir + "\\";
    }

    if (isFolder) {
        if (zip.RecreateDirs && zip.OnStartUnZip) {
            bool ignored = false;
            zip.OnStartUnZip(&zip, FileIndex, outDir, ignored);
        }
        return;
    }
    AnsiString outPath = outDir + work.Filename;

    if (work.IsEncrypted()) {
        const int headerDisk = zip.FCurrentDisk;
        const int64_t headerPos = ctx.ArchiveStream->GetPosition();
        for (;;) {
            const auto check = work.HasDataDescriptor() ? static_cast<uint8_t>((work.DosDateTime & 0xFFFF) >> 8)
                                                        : static_cast<uint8_t>(work.Crc >> 24);
            uint8_t header[EncryptionHeaderSize];
            if (zip.ReadSpanning(ctx, header, EncryptionHeaderSize) < static_cast<int32_t>(EncryptionHeaderSize))
                throw EFatalUnzipError("Premature end of file reached");
            work.PackedSize -= EncryptionHeaderSize;
            zip.FKeys.Init(zip.Password);
            zip.FKeys.Decrypt(header, EncryptionHeaderSize);
            if (header[EncryptionHeaderSize - 1] == check) break;
            AnsiString newPassword = zip.Password;
            if (zip.OnBadPassword) zip.OnBadPassword(&zip, FileIndex, newPassword);
            if (!zip.OnBadPassword || newPassword == zip.Password) {
                skip(srBadPassword);
                return;
            }
            zip.Password = newPassword;
            if (zip.FCurrentDisk != headerDisk) ctx.ArchiveStream = zip.LoadDisk(headerDisk + 1);
            ctx.ArchiveStream->SetPosition(headerPos);
            work.PackedSize += EncryptionHeaderSize;
        }
    }

    ctx.CompressedLeft = work.PackedSize;
    ctx.UncompressedSize = work.UnpackedSize;

    if (zip.OverwriteMode != Always && FileExists(outPath)) {
        if (zip.OverwriteMode == Never) {
            skip(srNoOverwrite);
            return;
        }
        bool overwrite = false;
        if (zip.OnPromptForOverwrite)
            zip.OnPromptForOverwrite(&zip, overwrite, FileIndex, outPath);
        else
            overwrite = MessageBoxDlg("Replace existing file " + work.Filename + "?", "File Exists Alert", mtCustom,
                                      mbYes | mbNo) == mrYes;
        if (!overwrite) {
            skip(srNoOverwrite);
            return;
        }
    }

    TOutFileGuard out{ctx, std::make_unique<TLFNFileStream>(outPath, fmCreate)};
    ctx.OutFile = out.File.get();
    ctx.OutName = outPath;
    ctx.BitCount = 0;
    ctx.BitBuf = 0;
    ctx.InputEnded = false;
    ctx.LastByte = 0;
    ctx.EntryWritten = 0;
    ctx.InCount = 0;
    ctx.OutCount = 0;
    ctx.OutPos = ctx.OutBuf;
    ctx.EntryFlags = work.Flags;
    zip.FCrc = CrcInitial;

    bool skipEntry = false;
    if (zip.OnStartUnZip) zip.OnStartUnZip(&zip, FileIndex, outPath, skipEntry);
    if (skipEntry) {
        out.Close();
        return;
    }

    try {
        // Each method's decoder is dispatched here.
        switch (work.Method) {
            case 0: CopyStored(ctx); break;
            case 1: UnShrink(ctx); break;
            case 2:
            case 3:
            case 4:
            case 5: UnReduce(ctx, work.Method - 1); break;
            case 6: Explode(ctx); break;
            case 8: Inflate(ctx); break;
            default: MessageBoxDlg("Unknown Compression Method", "Zip Error", mtCustom, mbOK); break;
        }
    } catch (const EBiggerThanUncompressed&) {
        // The output stops at the entry's size; the CRC check below tells the rest.
    }

    out.Close();
    FileSetDate(outPath, static_cast<int32_t>(work.DosDateTime));
    if (zip.RetainAttributes) FileSetAttr(outPath, static_cast<int>(work.ExternalAttr));

    zip.FCrc = ~zip.FCrc;
    if (zip.FCrc == work.Crc) {
        if (zip.OnEndUnZip) zip.OnEndUnZip(&zip, FileIndex, outPath);
        return;
    }
    if (work.IsEncrypted()) {
        if (zip.OnBadPassword) {
            AnsiString newPassword = zip.Password;
            zip.OnBadPassword(&zip, FileIndex, newPassword);
            if (newPassword != zip.Password) {
                zip.Password = newPassword;
                ctx.RetryEntry = true;
            }
        }
        if (!ctx.RetryEntry && zip.OnSkippingFile) zip.OnSkippingFile(&zip, srBadPassword, work.FullName(), FileIndex);
    } else if (zip.OnBadCRC) {
        zip.OnBadCRC(&zip, static_cast<int>(zip.FCrc), static_cast<int>(work.Crc), FileIndex);
    }
    DeleteBadFile(outPath);
    if (!ctx.RetryEntry) --ctx.ExtractedCount;
}

// The file stream on Windows: a HANDLE from CreateFileW.
#include "platform/os/FileStream.h"

#include "platform/os/FileSystem.h"
#include "platform/os/win32/WinApi.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/SysUtils.h"

TFileStream::TFileStream(const AnsiString& fileName, uint16_t mode) : FFileName(fileName), FHandle(-1) {
    const bool create = mode == fmCreate;
    DWORD access = GENERIC_READ, share = FILE_SHARE_READ | FILE_SHARE_WRITE, disposition = OPEN_EXISTING;
    if (create) {
        access = GENERIC_READ | GENERIC_WRITE;
        share = FILE_SHARE_READ;
        disposition = CREATE_ALWAYS;
    } else {
        switch (mode & 3) {
            case fmOpenWrite: access = GENERIC_WRITE; break;
            case fmOpenReadWrite: access = GENERIC_READ | GENERIC_WRITE; break;
            default: access = GENERIC_READ; break;
        }
        if ((mode & 0xF0) == fmShareDenyWrite) share = FILE_SHARE_READ;
        else if ((mode & 0xF0) == 0x10) share = 0;
    }
    if (access & GENERIC_WRITE) {
        // Windows refuses to write to a read-only file; Wine running as root would not.
        const DWORD a = GetFileAttributesW(WinText::WidePath(fileName).c_str());
        if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY) && !(a & FILE_ATTRIBUTE_DIRECTORY)) {
            const AnsiString reason = WinText::ErrorText(ERROR_ACCESS_DENIED);
            if (create) throw EFCreateError("Cannot create file \"" + fileName + "\". " + reason);
            throw EFOpenError("Cannot open file \"" + fileName + "\". " + reason);
        }
    }
    HANDLE h = CreateFileW(WinText::WidePath(fileName).c_str(), access, share, nullptr, disposition,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const AnsiString reason = WinText::ErrorText(GetLastError());
        if (create) throw EFCreateError("Cannot create file \"" + fileName + "\". " + reason);
        throw EFOpenError("Cannot open file \"" + fileName + "\". " + reason);
    }
    FHandle = reinterpret_cast<intptr_t>(h);
}

TFileStream::~TFileStream() {
    if (FHandle != -1) CloseHandle(reinterpret_cast<HANDLE>(FHandle));
}

void TFileStream::Close() {
    if (FHandle == -1) return;
    HANDLE h = reinterpret_cast<HANDLE>(FHandle);
    FHandle = -1;
    if (!CloseHandle(h)) throw EWriteError("Cannot close file \"" + FFileName + "\". " + WinText::ErrorText(GetLastError()));
}

void TFileStream::FlushToDisk() {
    if (FHandle == -1) return;
    if (!FlushFileBuffers(reinterpret_cast<HANDLE>(FHandle)))
        throw EWriteError("Cannot write file \"" + FFileName + "\". " + WinText::ErrorText(GetLastError()));
}

int32_t TFileStream::Read(void* buffer, int32_t count) {
    if (count <= 0 || FHandle == -1) return 0;
    DWORD got = 0;
    if (!ReadFile(reinterpret_cast<HANDLE>(FHandle), buffer, static_cast<DWORD>(count), &got, nullptr)) return 0;
    return static_cast<int32_t>(got);
}

int32_t TFileStream::Write(const void* buffer, int32_t count) {
    if (count <= 0 || FHandle == -1) return 0;
    DWORD put = 0;
    if (!WriteFile(reinterpret_cast<HANDLE>(FHandle), buffer, static_cast<DWORD>(count), &put, nullptr)) return 0;
    return static_cast<int32_t>(put);
}

int64_t TFileStream::Seek(int64_t offset, int origin) {
    if (origin < 0 || origin > 2) throw EStreamError(Format("Invalid seek origin (%d)", origin));
    LARGE_INTEGER distance, result;
    distance.QuadPart = offset;
    const DWORD method = origin == soFromBeginning ? FILE_BEGIN : origin == soFromCurrent ? FILE_CURRENT : FILE_END;
    if (!SetFilePointerEx(reinterpret_cast<HANDLE>(FHandle), distance, &result, method)) return -1;
    return result.QuadPart;
}

TDateTime TFileStream::LastWriteTime() const {
    FILETIME write;
    if (FHandle == -1 || !GetFileTime(reinterpret_cast<HANDLE>(FHandle), nullptr, nullptr, &write)) return 0;
    return WinText::FileTimeToDateTime(write);
}

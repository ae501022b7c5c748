// Files and folders on Windows, through the W functions.
#include "platform/os/FileSystem.h"

#include "platform/os/win32/WinApi.h"
#include "platform/rtl/CodePage.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/SysUtils.h"

using WinText::WidePath;

namespace {

DWORD gLastError = 0;

bool Fail() {
    gLastError = GetLastError();
    return false;
}

DWORD Attributes(const AnsiString& path) {
    if (path.empty()) return INVALID_FILE_ATTRIBUTES;
    return GetFileAttributesW(WidePath(path).c_str());
}

int32_t FileTimeToDos(const FILETIME& utc) {
    FILETIME local;
    WORD date = 0, time = 0;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToDosDateTime(&local, &date, &time)) return -1;
    return static_cast<int32_t>(static_cast<uint32_t>(date) << 16 | time);
}

}  // namespace

bool FileExists(const AnsiString& path) {
    const DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES ? (a & FILE_ATTRIBUTE_DIRECTORY) == 0 : Fail();
}

bool DirectoryExists(const AnsiString& path) {
    const DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES ? (a & FILE_ATTRIBUTE_DIRECTORY) != 0 : Fail();
}

int FileGetAttr(const AnsiString& path) {
    const DWORD a = Attributes(path);
    if (a == INVALID_FILE_ATTRIBUTES) {
        Fail();
        return -1;
    }
    return static_cast<int>(a);
}

bool FileSetAttr(const AnsiString& path, int attributes) {
    return SetFileAttributesW(WidePath(path).c_str(), static_cast<DWORD>(attributes)) ? true : Fail();
}

bool CreateDir(const AnsiString& path) {
    return !path.empty() && CreateDirectoryW(WidePath(path).c_str(), nullptr) ? true : Fail();
}

bool ForceDirectories(const AnsiString& path) {
    const AnsiString dir = ExcludeTrailingBackslash(path);
    if (dir.empty()) return false;
    if (DirectoryExists(dir)) return true;
    if (dir.size() <= 2 && dir.size() >= 1 && dir.back() == ':') return false;  // a drive that is not there
    const AnsiString parent = ExtractFileDir(dir);
    if (!parent.empty() && parent != dir && !ForceDirectories(parent)) return false;
    return CreateDir(dir) || DirectoryExists(dir);
}

bool RemoveDir(const AnsiString& path) { return RemoveDirectoryW(WidePath(path).c_str()) ? true : Fail(); }

bool DeleteFile(const AnsiString& path) { return DeleteFileW(WidePath(path).c_str()) ? true : Fail(); }

bool CopyFile(const AnsiString& from, const AnsiString& to, bool failIfExists) {
    return CopyFileW(WidePath(from).c_str(), WidePath(to).c_str(), failIfExists ? TRUE : FALSE) ? true : Fail();
}

bool MoveFile(const AnsiString& from, const AnsiString& to) {
    // MOVEFILE_COPY_ALLOWED lets a file move to another volume; without
    // MOVEFILE_REPLACE_EXISTING an existing target makes the move fail.
    return MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(), MOVEFILE_COPY_ALLOWED) ? true : Fail();
}

bool ReplaceFile(const AnsiString& source, const AnsiString& target) {
    return MoveFileExW(WidePath(source).c_str(), WidePath(target).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? true
               : Fail();
}

std::vector<TSearchRec> FindFiles(const AnsiString& pattern) {
    std::vector<TSearchRec> result;
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW(WidePath(pattern).c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) {
        Fail();
        return result;
    }
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        TSearchRec rec;
        // A name that CP1251 cannot hold could not be named again by the system.
        if (!WinText::TryNarrow(name, rec.Name)) continue;
        rec.Attr = static_cast<int>(data.dwFileAttributes & faAnyFile);
        rec.Size = static_cast<int64_t>(static_cast<uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow);
        rec.Time = FileTimeToDos(data.ftLastWriteTime);
        result.push_back(rec);
    } while (FindNextFileW(h, &data));
    FindClose(h);
    return result;
}

namespace {

// A name for messages: CP1251 where it can be, "_" for every other character.
AnsiString ShownName(const std::wstring& name) {
    AnsiString shown;
    for (size_t i = 0; i < name.size(); ++i) {
        const bool pair = name[i] >= 0xD800 && name[i] <= 0xDBFF && i + 1 < name.size();
        const int b = pair ? -1 : UnicodeToCp1251(name[i]);
        shown += b < 0 ? '_' : static_cast<char>(b);
        if (pair) ++i;
    }
    return shown;
}

}  // namespace

bool ListFolder(const AnsiString& folder, std::vector<TSearchRec>& entries, std::vector<TUnusableEntry>& unusable) {
    entries.clear();
    unusable.clear();
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW(WidePath(IncludeTrailingBackslash(folder) + "*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return Fail();
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        TSearchRec rec;
        if (!WinText::TryNarrow(name, rec.Name)) {
            unusable.push_back({ShownName(name), urNameNotRepresentable});
            continue;
        }
        rec.Attr = static_cast<int>(data.dwFileAttributes & faAnyFile);
        rec.Size = static_cast<int64_t>(static_cast<uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow);
        if (rec.Attr & faDirectory) rec.Size = 0;
        rec.Time = FileTimeToDos(data.ftLastWriteTime);
        entries.push_back(rec);
    } while (FindNextFileW(h, &data));
    const DWORD error = GetLastError();
    FindClose(h);
    if (error != ERROR_NO_MORE_FILES) {
        gLastError = error;
        return false;
    }
    return true;
}

int32_t FileAge(const AnsiString& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        Fail();
        return -1;
    }
    return FileTimeToDos(data.ftLastWriteTime);
}

bool FileSetDate(const AnsiString& path, int32_t dosDateTime) {
    FILETIME local, utc;
    const auto v = static_cast<uint32_t>(dosDateTime);
    if (!DosDateTimeToFileTime(static_cast<WORD>(v >> 16), static_cast<WORD>(v & 0xFFFF), &local) ||
        !LocalFileTimeToFileTime(&local, &utc))
        return Fail();
    HANDLE h = CreateFileW(WidePath(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return Fail();
    const BOOL ok = SetFileTime(h, nullptr, nullptr, &utc);
    if (!ok) Fail();
    CloseHandle(h);
    return ok != FALSE;
}

TDateTime FileLastWriteTime(const AnsiString& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, &data)) {
        Fail();
        return 0;
    }
    return WinText::FileTimeToDateTime(data.ftLastWriteTime);
}

int64_t FileSizeOf(const AnsiString& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        Fail();
        return -1;
    }
    return static_cast<int64_t>(static_cast<uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow);
}

AnsiString GetCurrentDir() {
    const DWORD need = GetCurrentDirectoryW(0, nullptr);
    std::wstring buffer(need, L'\0');
    const DWORD got = GetCurrentDirectoryW(need, buffer.data());
    buffer.resize(got < need ? got : 0);
    AnsiString out;
    WinText::TryNarrow(buffer, out);
    return out;
}

bool SetCurrentDir(const AnsiString& path) {
    return SetCurrentDirectoryW(WinText::Wide(path).c_str()) ? true : Fail();
}

AnsiString GetModuleFileName() {
    std::wstring buffer(32768, L'\0');
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    buffer.resize(n);
    AnsiString out;
    WinText::TryNarrow(buffer, out);
    return out;
}

AnsiString LastErrorMessage() { return gLastError ? WinText::ErrorText(gLastError) : AnsiString(); }

int GetDriveType(const AnsiString& root) { return static_cast<int>(GetDriveTypeW(WinText::Wide(root).c_str())); }

AnsiString GetVolumeLabel(const AnsiString& root) {
    wchar_t label[MAX_PATH + 1] = {};
    if (!GetVolumeInformationW(WinText::Wide(root).c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0))
        return AnsiString();
    AnsiString out;
    WinText::TryNarrow(label, out);
    return out;
}

AnsiString GetSystemDir() {
    wchar_t buffer[MAX_PATH + 1] = {};
    const UINT n = GetSystemDirectoryW(buffer, MAX_PATH + 1);
    AnsiString out;
    if (n > 0 && n <= MAX_PATH) WinText::TryNarrow(std::wstring(buffer, n), out);
    return out;
}

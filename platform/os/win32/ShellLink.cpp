// Shell links on Windows through the component object library: the shell link object with
// its UTF-16 interface IShellLinkW, saved through IPersistFile.
#include "platform/os/Shell.h"

#include "platform/os/win32/WinApi.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

namespace {

// The identifiers the installer asks for, spelled out rather than taken from a library, so
// that the build does not depend on which GUIDs a toolchain's import library carries.
constexpr GUID kClsidShellLink = {0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// IShellLinkW rather than the 8-bit IShellLinkA: the 8-bit texts would be read in the
// machine's ANSI code page, which breaks Cyrillic paths on a Windows that is not Russian.
constexpr GUID kIidShellLinkW = {0x000214F9, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID kIidPersistFile = {0x0000010B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

}  // namespace

struct TShellLink::TImpl {
    IShellLinkW* Link = nullptr;
    IPersistFile* File = nullptr;
    ~TImpl() {
        if (File) File->Release();
        if (Link) Link->Release();
    }
};

void TShellLink::InitializeComLibrary() { CoInitialize(nullptr); }

TShellLink::TShellLink() : FImpl(std::make_unique<TImpl>()) {}

TShellLink::~TShellLink() = default;

bool TShellLink::Create() {
    if (FImpl->Link) return false;
    void* link = nullptr;
    if (FAILED(CoCreateInstance(kClsidShellLink, nullptr, CLSCTX_INPROC_SERVER, kIidShellLinkW, &link)) || !link)
        return false;
    FImpl->Link = static_cast<IShellLinkW*>(link);
    void* file = nullptr;
    if (FAILED(FImpl->Link->QueryInterface(kIidPersistFile, &file)) || !file) return false;
    FImpl->File = static_cast<IPersistFile*>(file);
    return true;
}

bool TShellLink::SetPath(const AnsiString& target) {
    return FImpl->Link && SUCCEEDED(FImpl->Link->SetPath(WinText::Wide(target).c_str()));
}

bool TShellLink::SetArguments(const AnsiString& arguments) {
    return FImpl->Link && SUCCEEDED(FImpl->Link->SetArguments(WinText::Wide(arguments).c_str()));
}

bool TShellLink::SetWorkingDirectory(const AnsiString& folder) {
    return FImpl->Link && SUCCEEDED(FImpl->Link->SetWorkingDirectory(WinText::Wide(folder).c_str()));
}

bool TShellLink::Save(const std::u16string& fileName, bool remember) {
    if (!FImpl->File || fileName.empty()) return false;
    const std::wstring name(fileName.begin(), fileName.end());
    if (FAILED(FImpl->File->Save(name.c_str(), remember ? TRUE : FALSE))) return false;
    const DWORD attributes = GetFileAttributesW(name.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Shell services on Windows: special folders through SHGetFolderPathW and starting a program
// through ShellExecuteExW; texts cross as UTF-16.
#include "platform/os/Shell.h"

#include "platform/os/win32/WinApi.h"
#include "platform/rtl/SysUtils.h"

#include <shellapi.h>
#include <shlobj.h>

namespace {

// Room the startup gives a special folder's path; SHGetFolderPathW needs at least MAX_PATH.
constexpr size_t kSpecialFolderRoom = 1000;
static_assert(kSpecialFolderRoom >= MAX_PATH);

}  // namespace

bool GetSpecialFolder(TSpecialFolder folder, AnsiString& path) {
    wchar_t buffer[kSpecialFolderRoom] = {};
    const int csidl = folder == TSpecialFolder::Programs ? CSIDL_PROGRAMS : CSIDL_DESKTOPDIRECTORY;
    if (SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer) != S_OK) return false;
    buffer[kSpecialFolderRoom - 1] = L'\0';
    AnsiString text;
    // The text ends at the first NUL; a name CP1251 cannot hold makes the folder unavailable
    // rather than a wrong path.
    if (!WinText::TryNarrow(std::wstring(buffer), text) || text.empty()) return false;
    path = text.size() > 3 ? ExcludeTrailingBackslash(text) : text;
    return true;
}

bool StartShellProgram(const AnsiString& program, const AnsiString& parameters, const AnsiString& workDir,
                       TShowMode show) {
    const std::wstring file = WinText::Wide(program);
    const std::wstring params = WinText::Wide(parameters);
    const std::wstring folder = WinText::Wide(workDir);
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    // A follow-up program that cannot be started is not reported: Windows must not show a
    // box of its own either.
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpFile = file.c_str();
    info.lpParameters = params.empty() ? nullptr : params.c_str();
    info.lpDirectory = folder.empty() ? nullptr : folder.c_str();
    switch (show) {
        case TShowMode::Show: info.nShow = SW_SHOW; break;
        case TShowMode::Maximized: info.nShow = SW_SHOWMAXIMIZED; break;
        case TShowMode::Minimized: info.nShow = SW_SHOWMINIMIZED; break;
        case TShowMode::MinimizedNoActivate: info.nShow = SW_SHOWMINNOACTIVE; break;
        case TShowMode::Hide: info.nShow = SW_HIDE; break;
    }
    const bool started = ShellExecuteExW(&info) != FALSE;
    // The process handle is asked for, as the installer always did, but nothing waits on it.
    if (info.hProcess) CloseHandle(info.hProcess);
    return started;
}

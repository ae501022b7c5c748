// The program's entry on Windows. The DLL search is restricted to the system folder before
// anything else runs, so that an elevated installer started from a downloads folder never
// loads a planted DLL from beside itself; then the native backend is installed.
#include "platform/os/win32/WinApi.h"
#include "platform/ui/ProgramEntry.h"
#include "platform/ui/win32/Win32Backend.h"

#include <commctrl.h>

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

namespace {

void RestrictDllSearch() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    // kernel32 is always loaded; older systems without the call at least drop the
    // current folder from the search.
    HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    auto setDefault = kernel32 ? reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
                                     GetProcAddress(kernel32, "SetDefaultDllDirectories")))
                               : nullptr;
    if (setDefault) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetDllDirectoryW(L"");
}

// Static constructors of the program run before WinMain; this one runs first of them.
struct TDllSearchGuard {
    TDllSearchGuard() { RestrictDllSearch(); }
};
__attribute__((init_priority(101))) TDllSearchGuard gDllSearchGuard;

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    RestrictDllSearch();
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    SetUiBackend(std::make_unique<TWin32Backend>(instance));
    const int status = ProgramMain();
    SetUiBackend(nullptr);
    return status;
}

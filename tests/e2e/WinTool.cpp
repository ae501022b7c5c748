// A small Windows program for the end-to-end checks under Wine: it finds a top-level window
// by its caption and presses one of its buttons the way the button itself would be pressed
// (BM_CLICK), so the checks do not depend on keyboard focus or a window manager.
//   wintool wait CAPTION [SECONDS]           exit 0 once a visible window has that caption
//   wintool click CAPTION BUTTON [SECONDS]   press the button with that text in that window
//   wintool gone CAPTION [SECONDS]           exit 0 once no visible window has that caption
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

struct TSearch {
    const wchar_t* Text;
    HWND Found = nullptr;
};

std::wstring TextOf(HWND hwnd) {
    wchar_t buffer[512] = {};
    GetWindowTextW(hwnd, buffer, 511);
    return buffer;
}

BOOL CALLBACK FindTopLevel(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<TSearch*>(param);
    if (IsWindowVisible(hwnd) && TextOf(hwnd) == search->Text) {
        search->Found = hwnd;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindButton(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<TSearch*>(param);
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 63);
    if (_wcsicmp(cls, L"Button") == 0 && IsWindowVisible(hwnd) && TextOf(hwnd) == search->Text) {
        search->Found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND WaitWindow(const wchar_t* caption, int seconds) {
    for (int i = 0; i < seconds * 10; ++i) {
        TSearch search{caption};
        EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&search));
        if (search.Found) return search.Found;
        Sleep(100);
    }
    return nullptr;
}

int Seconds(int argc, wchar_t** argv, int index) { return argc > index ? _wtoi(argv[index]) : 20; }

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    const std::wstring command = argv[1];
    if (command == L"wait") return WaitWindow(argv[2], Seconds(argc, argv, 3)) ? 0 : 1;
    if (command == L"gone") {
        for (int i = 0; i < Seconds(argc, argv, 3) * 10; ++i) {
            TSearch search{argv[2]};
            EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&search));
            if (!search.Found) return 0;
            Sleep(100);
        }
        return 1;
    }
    if (command == L"click" && argc >= 4) {
        HWND window = WaitWindow(argv[2], Seconds(argc, argv, 4));
        if (!window) return 1;
        TSearch search{argv[3]};
        EnumChildWindows(window, FindButton, reinterpret_cast<LPARAM>(&search));
        if (!search.Found) return 3;
        PostMessageW(search.Found, BM_CLICK, 0, 0);
        return 0;
    }
    return 2;
}

// The console on Windows: the Unicode console functions when a stream is a console, UTF-8
// bytes when it is redirected.
#include "platform/os/Console.h"

#include "platform/os/win32/WinApi.h"
#include "platform/rtl/CodePage.h"

#include <shellapi.h>

#include <string>

namespace Console {

namespace {

void Write(DWORD which, const AnsiString& text) {
    const HANDLE h = ::GetStdHandle(which);
    if (h == INVALID_HANDLE_VALUE || h == nullptr) return;
    DWORD mode = 0, done = 0;
    if (::GetConsoleMode(h, &mode)) {
        const std::u16string wide = Cp1251ToUtf16(text);
        ::WriteConsoleW(h, wide.data(), static_cast<DWORD>(wide.size()), &done, nullptr);
    } else {
        const std::string utf8 = Cp1251ToUtf8(text);
        ::WriteFile(h, utf8.data(), static_cast<DWORD>(utf8.size()), &done, nullptr);
    }
}

}  // namespace

bool Arguments(int, char**, std::vector<AnsiString>& args, int* bad) {
    args.clear();
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!wide) return true;
    bool ok = true;
    for (int i = 1; i < count && ok; ++i) {
        AnsiString text;
        if (!WinText::TryNarrow(wide[i], text)) {
            if (bad) *bad = i - 1;
            ok = false;
        }
        args.push_back(text);
    }
    ::LocalFree(wide);
    return ok;
}

void WriteOut(const AnsiString& text) { Write(STD_OUTPUT_HANDLE, text); }
void WriteErr(const AnsiString& text) { Write(STD_ERROR_HANDLE, text); }

bool ReadLine(AnsiString& line) {
    const HANDLE h = ::GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0, got = 0;
    std::wstring wide;
    if (::GetConsoleMode(h, &mode)) {
        wchar_t c;
        for (;;) {
            if (!::ReadConsoleW(h, &c, 1, &got, nullptr) || got == 0) {
                if (wide.empty()) return false;
                break;
            }
            if (c == L'\n') break;
            if (c != L'\r') wide += c;
        }
    } else {
        std::string utf8;
        char c;
        for (;;) {
            if (!::ReadFile(h, &c, 1, &got, nullptr) || got == 0) {
                if (utf8.empty()) return false;
                break;
            }
            if (c == '\n') break;
            if (c != '\r') utf8 += c;
        }
        AnsiString text;
        if (TryUtf8ToCp1251(utf8, text)) {
            line = text;
            return true;
        }
        line.clear();
        for (unsigned char b : utf8)
            if (b < 0x80) line += static_cast<char>(b);
            else if ((b & 0xC0) != 0x80) line += '?';
        return true;
    }
    line.clear();
    for (wchar_t w : wide) {
        const int b = UnicodeToCp1251(static_cast<char32_t>(w));
        line += b < 0 ? '?' : static_cast<char>(b);
    }
    return true;
}

AnsiString TempDir() {
    wchar_t buffer[MAX_PATH + 1];
    const DWORD n = ::GetTempPathW(MAX_PATH + 1, buffer);
    AnsiString path;
    if (n == 0 || n > MAX_PATH || !WinText::TryNarrow(std::wstring(buffer, n), path)) return "C:\\Windows\\Temp";
    while (path.size() > 3 && path.back() == '\\') path.pop_back();
    return path;
}

unsigned ProcessId() { return static_cast<unsigned>(::GetCurrentProcessId()); }

}  // namespace Console

// UTF-16 / CP1251 conversion for Windows calls, long path names and error texts.
#include "platform/os/win32/WinApi.h"

#include "platform/rtl/CodePage.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/SysUtils.h"

namespace WinText {

std::wstring Wide(const AnsiString& text) {
    const std::u16string u = Cp1251ToUtf16(text);
    return std::wstring(u.begin(), u.end());
}

bool TryNarrow(const std::wstring& text, AnsiString& out) {
    return TryUtf16ToCp1251(std::u16string(text.begin(), text.end()), out);
}

AnsiString Narrow(const std::wstring& text) {
    return Utf16ToCp1251(std::u16string(text.begin(), text.end()));
}

std::wstring WidePath(const AnsiString& path) {
    std::wstring wide = Wide(path);
    if (wide.size() < MAX_PATH - 12 || wide.rfind(L"\\\\?\\", 0) == 0) return wide;
    const DWORD need = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (need == 0) return wide;
    std::wstring full(need, L'\0');
    const DWORD got = GetFullPathNameW(wide.c_str(), need, full.data(), nullptr);
    if (got == 0 || got >= need) return wide;
    full.resize(got);
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

AnsiString ErrorText(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = n && buffer ? std::wstring(buffer, n) : std::wstring();
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ' || text.back() == L'.'))
        text.pop_back();
    AnsiString out;
    if (text.empty() || !TryNarrow(text, out)) out = Format("System error %u", static_cast<int64_t>(error));
    return out;
}

TDateTime FileTimeToDateTime(const FILETIME& utc) {
    FILETIME local;
    SYSTEMTIME st;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st)) return 0;
    TDateParts p;
    p.Year = st.wYear;
    p.Month = st.wMonth;
    p.Day = st.wDay;
    p.Hour = st.wHour;
    p.Minute = st.wMinute;
    p.Second = st.wSecond;
    TDateTime value = 0;
    TryEncodeDateTime(p, value);
    const uint64_t ticks = static_cast<uint64_t>(local.dwHighDateTime) << 32 | local.dwLowDateTime;
    return value + static_cast<double>(ticks % 10000000ull) / 1e7 / 86400.0;
}

}  // namespace WinText

// The unsafe-name rules, component by component of the entry's full name.
#include "unzip/decode/SafeNames.h"

#include "platform/rtl/SysUtils.h"

#include <string_view>

namespace {

bool IsReservedDevice(std::string_view component) {
    // Windows ignores the extension and trailing blanks of a device name: "con.txt" is CON.
    std::string_view base = component.substr(0, component.find('.'));
    while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
    const AnsiString upper = UpperCase(base);
    static const char* const names[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* name : names)
        if (upper == name) return true;
    return upper.size() == 4 && (upper.compare(0, 3, "COM") == 0 || upper.compare(0, 3, "LPT") == 0) &&
           upper[3] >= '0' && upper[3] <= '9';
}

TUnsafeName CheckComponent(std::string_view c) {
    if (c == "..") return unParentFolder;
    if (c.empty() || c == ".") return unSafe;
    if (IsReservedDevice(c)) return unReservedDevice;
    if (c.back() == '.' || c.back() == ' ') return unTrailingDotOrSpace;
    return unSafe;
}

}  // namespace

TUnsafeName CheckEntryName(const AnsiString& directory, const AnsiString& filename) {
    const AnsiString full = directory + filename;
    // A drive letter and colon may start the folder ("C:\data\"); nowhere else.
    const bool drive = full.size() >= 2 && full[1] == ':' &&
                       ((full[0] >= 'A' && full[0] <= 'Z') || (full[0] >= 'a' && full[0] <= 'z'));
    for (size_t i = 0; i < full.size(); ++i) {
        const auto b = static_cast<unsigned char>(full[i]);
        if (b < 0x20) return unControlCharacter;
        if (b == ':' && drive && i == 1) continue;
        if (std::string_view("<>:\"|?*").find(static_cast<char>(b)) != std::string_view::npos) return unForbiddenCharacter;
    }
    std::string_view rest(full);
    if (drive) rest.remove_prefix(2);
    while (!rest.empty()) {
        const size_t cut = rest.find('\\');
        const TUnsafeName reason = CheckComponent(rest.substr(0, cut));
        if (reason != unSafe) return reason;
        if (cut == std::string_view::npos) break;
        rest.remove_prefix(cut + 1);
    }
    return unSafe;
}

const char* UnsafeNameText(TUnsafeName reason) {
    switch (reason) {
        case unSafe: return "safe";
        case unParentFolder: return "a \"..\" folder";
        case unReservedDevice: return "a reserved device name";
        case unControlCharacter: return "a control character";
        case unForbiddenCharacter: return "a character Windows does not allow";
        case unTrailingDotOrSpace: return "a name ending with a dot or space";
        case unNotRepresentable: return "a character the system's code page cannot hold";
    }
    return "unsafe";
}

// The registry on Windows through the W functions; texts cross as UTF-16.
#include "platform/os/Registry.h"

#include "platform/os/win32/WinApi.h"

#include <vector>

namespace {

HKEY RootKey(TRegistryRoot root) {
    switch (root) {
        case TRegistryRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
        case TRegistryRoot::CurrentUser: return HKEY_CURRENT_USER;
        case TRegistryRoot::LocalMachine: break;
    }
    return HKEY_LOCAL_MACHINE;
}

const char* RootName(TRegistryRoot root) {
    switch (root) {
        case TRegistryRoot::ClassesRoot: return "HKEY_CLASSES_ROOT";
        case TRegistryRoot::CurrentUser: return "HKEY_CURRENT_USER";
        case TRegistryRoot::LocalMachine: break;
    }
    return "HKEY_LOCAL_MACHINE";
}

// The key below its root: the leading backslash that means "from the root" is dropped.
std::wstring SubKey(const AnsiString& key) {
    size_t begin = 0;
    if (!key.empty() && key[0] == '\\') begin = 1;
    return WinText::Wide(key.substr(begin));
}

AnsiString KeyName(TRegistryRoot root, const AnsiString& key) {
    return AnsiString(RootName(root)) + (key.empty() || key[0] == '\\' ? "" : "\\") + key;
}

class TKey {
public:
    TKey() = default;
    ~TKey() {
        if (FKey) RegCloseKey(FKey);
    }
    TKey(const TKey&) = delete;
    TKey& operator=(const TKey&) = delete;
    HKEY* operator&() { return &FKey; }
    operator HKEY() const { return FKey; }

private:
    HKEY FKey = nullptr;
};

}  // namespace

bool RegKeyExists(TRegistryRoot root, const AnsiString& key) {
    TKey h;
    return RegOpenKeyExW(RootKey(root), SubKey(key).c_str(), 0, KEY_READ, &h) == ERROR_SUCCESS;
}

bool RegReadString(TRegistryRoot root, const AnsiString& key, const AnsiString& name, AnsiString& value) {
    TKey h;
    if (RegOpenKeyExW(RootKey(root), SubKey(key).c_str(), 0, KEY_QUERY_VALUE, &h) != ERROR_SUCCESS) return false;
    const std::wstring wideName = WinText::Wide(name);
    const wchar_t* valueName = name.empty() ? nullptr : wideName.c_str();
    for (;;) {
        DWORD type = 0, size = 0;
        if (RegQueryValueExW(h, valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
        if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
        // One unit more than asked, so that a text stored without its NUL still ends.
        std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
        DWORD got = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
        const LSTATUS status =
            RegQueryValueExW(h, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &got);
        if (status == ERROR_MORE_DATA) continue;  // it grew between the two calls
        if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
        const std::wstring text(buffer.data());  // up to the first NUL
        if (!WinText::TryNarrow(text, value))
            throw ERegistryException("The registry value \"" + name + "\" of \"" + KeyName(root, key) +
                                     "\" holds characters that code page 1251 cannot hold.");
        return true;
    }
}

void RegWriteDefaultValue(TRegistryRoot root, const AnsiString& key, const AnsiString& value) {
    if (value.find('\0') != AnsiString::npos)
        throw ERegistryException("The default value of \"" + KeyName(root, key) + "\" holds a NUL.");
    TKey h;
    LSTATUS status = RegCreateKeyExW(RootKey(root), SubKey(key).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_SET_VALUE, nullptr, &h, nullptr);
    if (status != ERROR_SUCCESS)
        throw ERegistryException("Cannot create the registry key \"" + KeyName(root, key) + "\". " +
                                 WinText::ErrorText(static_cast<DWORD>(status)));
    const std::wstring text = WinText::Wide(value);
    status = RegSetValueExW(h, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    if (status != ERROR_SUCCESS)
        throw ERegistryException("Cannot set the default value of the registry key \"" + KeyName(root, key) + "\". " +
                                 WinText::ErrorText(static_cast<DWORD>(status)));
}

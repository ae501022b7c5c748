// The Linux registry's text: a REGEDIT4 file ("[HKEY_CLASSES_ROOT\key]" sections, "@=" default
// values, "\"Name\"=" named values, "\\" and "\"" escaped inside quotes), parsed into keys and
// written back whole. Texts are held as in the file, in UTF-8; names compare without regard to
// letter case by the CP1251 rules, as Windows compares them.
#pragma once

#include "platform/os/Registry.h"

#include <string>
#include <string_view>
#include <vector>

struct TRegistryFileValue {
    std::string Name;   // empty for the default value
    bool IsText = true;
    std::string Data;   // a text value unescaped, or the data of any other type as written
                        // after "=" (dword:..., hex:...), kept so that a rewrite loses nothing
};

struct TRegistryFileKey {
    TRegistryRoot Root = TRegistryRoot::ClassesRoot;
    std::string Path;   // below the root, without leading or trailing backslash
    std::vector<TRegistryFileValue> Values;
};

class TRegistryFile {
public:
    // Raises ERegistryException naming the file and the first line that is not REGEDIT4.
    static TRegistryFile Parse(std::string_view text, const AnsiString& fileName);
    // The whole file: "REGEDIT4", the header comment, then each key in the order of the file,
    // keys added later at the end. Lines end with LF.
    std::string Compose() const;

    // A key exists when it is listed or lies above a listed one (a REGEDIT4 section creates
    // its parents); the root always exists.
    bool KeyExists(TRegistryRoot root, std::string_view path) const;
    const TRegistryFileValue* FindValue(TRegistryRoot root, std::string_view path, std::string_view name) const;
    // Creates the key when needed and sets a text value; false when nothing changed.
    bool SetText(TRegistryRoot root, std::string_view path, std::string_view name, std::string_view text);

    // The name of a root as REGEDIT4 writes it ("HKEY_CLASSES_ROOT").
    static const char* RootName(TRegistryRoot root);

private:
    TRegistryFileKey* Find(TRegistryRoot root, std::string_view path);
    const TRegistryFileKey* Find(TRegistryRoot root, std::string_view path) const;
    std::vector<TRegistryFileKey> FKeys;
};

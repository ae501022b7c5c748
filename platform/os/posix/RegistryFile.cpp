// Parsing and writing the REGEDIT4 text of the Linux registry.
#include "platform/os/posix/RegistryFile.h"

#include "platform/rtl/CodePage.h"
#include "platform/rtl/SysUtils.h"

namespace {

const char* const kSignature = "REGEDIT4";
const char* const kHeaderComment =
    "; The registry of the setup program on Linux (see its README). Text encoding: UTF-8.";
const char* const kUtf8Bom = "\xEF\xBB\xBF";

struct TRootName {
    TRegistryRoot Root;
    const char* Name;
};
constexpr TRootName kRoots[] = {
    {TRegistryRoot::ClassesRoot, "HKEY_CLASSES_ROOT"},
    {TRegistryRoot::CurrentUser, "HKEY_CURRENT_USER"},
    {TRegistryRoot::LocalMachine, "HKEY_LOCAL_MACHINE"},
};

// Names are compared as Windows compares them, letter case ignored; the fold works on the
// CP1251 form and leaves a name that CP1251 cannot hold as it is.
std::string Fold(std::string_view utf8) {
    AnsiString ansi;
    if (!TryUtf8ToCp1251(utf8, ansi)) return std::string(utf8);
    return AnsiUpperCase(ansi);
}

bool SameName(std::string_view a, std::string_view b) { return Fold(a) == Fold(b); }

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

std::string Quote(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out + '"';
}

class TParser {
public:
    TParser(std::string_view text, const AnsiString& fileName) : FText(text), FFileName(fileName) {}

    [[noreturn]] void Fail(const char* what) const {
        throw ERegistryException("The registry file \"" + FFileName + "\" cannot be read: line " +
                                 IntToStr(static_cast<int64_t>(FLineNumber > 0 ? FLineNumber : 1)) + " " + what + ".");
    }

    bool NextLine(std::string_view& line) {
        if (FPos >= FText.size()) return false;
        size_t end = FText.find('\n', FPos);
        if (end == std::string_view::npos) end = FText.size();
        line = FText.substr(FPos, end - FPos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        FPos = end + 1;
        ++FLineNumber;
        return true;
    }

    // A quoted string at the start of `s`; `s` is left behind its closing quote.
    std::string Quoted(std::string_view& s) const {
        std::string out;
        size_t i = 1;
        for (; i < s.size() && s[i] != '"'; ++i) {
            if (s[i] == '\\') {
                if (i + 1 >= s.size() || (s[i + 1] != '\\' && s[i + 1] != '"'))
                    Fail("has a backslash that escapes neither a backslash nor a quote");
                ++i;
            }
            out += s[i];
        }
        if (i >= s.size()) Fail("has a quoted text without its closing quote");
        s.remove_prefix(i + 1);
        return out;
    }

private:
    std::string_view FText;
    AnsiString FFileName;
    size_t FPos = 0;
    int FLineNumber = 0;
};

bool SplitPath(std::string_view path, std::vector<std::string_view>& parts) {
    parts.clear();
    if (path.empty()) return true;
    size_t start = 0;
    for (;;) {
        const size_t end = path.find('\\', start);
        const std::string_view part = path.substr(start, end == std::string_view::npos ? end : end - start);
        if (part.empty()) return false;
        parts.push_back(part);
        if (end == std::string_view::npos) return true;
        start = end + 1;
    }
}

// True when `upper` is `lower` or one of its parents.
bool IsAtOrAbove(std::string_view upper, std::string_view lower) {
    std::vector<std::string_view> a, b;
    SplitPath(upper, a);
    SplitPath(lower, b);
    if (a.size() > b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (!SameName(a[i], b[i])) return false;
    return true;
}

}  // namespace

const char* TRegistryFile::RootName(TRegistryRoot root) {
    for (const auto& r : kRoots)
        if (r.Root == root) return r.Name;
    return "";
}

TRegistryFile TRegistryFile::Parse(std::string_view text, const AnsiString& fileName) {
    if (text.starts_with(kUtf8Bom)) text.remove_prefix(std::string_view(kUtf8Bom).size());
    TParser p(text, fileName);
    if (!IsValidUtf8(text)) {
        std::string_view line;
        while (p.NextLine(line))
            if (!IsValidUtf8(line)) p.Fail("is not UTF-8 text");
    }
    p = TParser(text, fileName);
    TRegistryFile file;
    std::string_view line;
    if (!p.NextLine(line) || TrimBlanks(line) != kSignature) p.Fail("is not \"REGEDIT4\"");
    TRegistryFileKey* key = nullptr;
    while (p.NextLine(line)) {
        line = TrimBlanks(line);
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            if (line.back() != ']') p.Fail("opens a key without closing it");
            std::string_view name = line.substr(1, line.size() - 2);
            if (!name.empty() && name.front() == '-') p.Fail("deletes a key, which this registry does not do");
            const size_t slash = name.find('\\');
            const std::string_view rootName = name.substr(0, slash);
            std::string_view path = slash == std::string_view::npos ? std::string_view() : name.substr(slash + 1);
            while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
            const TRootName* root = nullptr;
            for (const auto& r : kRoots)
                if (rootName == r.Name) root = &r;
            if (!root) p.Fail("names a root other than HKEY_CLASSES_ROOT, HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE");
            std::vector<std::string_view> parts;
            if (!SplitPath(path, parts)) p.Fail("names a key with an empty part");
            key = file.Find(root->Root, path);
            if (!key) {
                file.FKeys.push_back({root->Root, std::string(path), {}});
                key = &file.FKeys.back();
            }
            continue;
        }
        if (line.front() != '@' && line.front() != '"') p.Fail("is not a key, a value or a comment");
        if (!key) p.Fail("sets a value before any key");
        TRegistryFileValue value;
        std::string_view rest = line;
        if (rest.front() == '@') {
            rest.remove_prefix(1);
        } else {
            value.Name = p.Quoted(rest);
            if (value.Name.empty()) p.Fail("names a value with an empty name (the default value is written @)");
        }
        rest = TrimBlanks(rest);
        if (rest.empty() || rest.front() != '=') p.Fail("has no \"=\" after the value's name");
        rest = TrimBlanks(rest.substr(1));
        if (rest.empty()) p.Fail("has no data after \"=\"");
        if (rest.front() == '"') {
            value.Data = p.Quoted(rest);
            if (!TrimBlanks(rest).empty()) p.Fail("has text after the closing quote");
        } else if (rest.front() == '-') {
            p.Fail("deletes a value, which this registry does not do");
        } else if (rest.starts_with("dword:") || rest.starts_with("hex")) {
            value.IsText = false;
            value.Data = std::string(rest);
            // Binary data continues on the next line after a trailing backslash.
            while (!value.Data.empty() && value.Data.back() == '\\') {
                value.Data.pop_back();
                std::string_view next;
                if (!p.NextLine(next)) p.Fail("ends inside binary data");
                value.Data += std::string(TrimBlanks(next));
            }
        } else {
            p.Fail("has data that is neither a quoted text, dword: nor hex:");
        }
        bool replaced = false;
        for (auto& v : key->Values)
            if (SameName(v.Name, value.Name)) {
                v.IsText = value.IsText;
                v.Data = value.Data;
                replaced = true;
            }
        if (!replaced) key->Values.push_back(std::move(value));
    }
    return file;
}

std::string TRegistryFile::Compose() const {
    std::string out = std::string(kSignature) + "\n" + kHeaderComment + "\n";
    for (const auto& key : FKeys) {
        out += "\n[";
        out += RootName(key.Root);
        if (!key.Path.empty()) out += "\\" + key.Path;
        out += "]\n";
        // The default value first, as regedit writes it.
        for (int pass = 0; pass < 2; ++pass)
            for (const auto& v : key.Values) {
                if (v.Name.empty() != (pass == 0)) continue;
                out += v.Name.empty() ? std::string("@") : Quote(v.Name);
                out += "=";
                out += v.IsText ? Quote(v.Data) : v.Data;
                out += "\n";
            }
    }
    return out;
}

TRegistryFileKey* TRegistryFile::Find(TRegistryRoot root, std::string_view path) {
    for (auto& key : FKeys)
        if (key.Root == root && SameName(key.Path, path)) return &key;
    return nullptr;
}

const TRegistryFileKey* TRegistryFile::Find(TRegistryRoot root, std::string_view path) const {
    return const_cast<TRegistryFile*>(this)->Find(root, path);
}

bool TRegistryFile::KeyExists(TRegistryRoot root, std::string_view path) const {
    if (path.empty()) return true;
    for (const auto& key : FKeys)
        if (key.Root == root && IsAtOrAbove(path, key.Path)) return true;
    return false;
}

const TRegistryFileValue* TRegistryFile::FindValue(TRegistryRoot root, std::string_view path,
                                                   std::string_view name) const {
    const TRegistryFileKey* key = Find(root, path);
    if (!key) return nullptr;
    for (const auto& v : key->Values)
        if (SameName(v.Name, name)) return &v;
    return nullptr;
}

bool TRegistryFile::SetText(TRegistryRoot root, std::string_view path, std::string_view name, std::string_view text) {
    TRegistryFileKey* key = Find(root, path);
    if (!key) {
        FKeys.push_back({root, std::string(path), {}});
        key = &FKeys.back();
    }
    for (auto& v : key->Values)
        if (SameName(v.Name, name)) {
            if (v.IsText && v.Data == text) return false;
            v.IsText = true;
            v.Data = std::string(text);
            return true;
        }
    key->Values.push_back({std::string(name), true, std::string(text)});
    return true;
}

// The placement rules: text tests on entry paths, and the one attribute change they need.
#include "install/PlacementRules.h"

#include "platform/os/FileSystem.h"

bool IsSystemEntry(const AnsiString& E) { return UpperCase(E).starts_with(SystemEntryPrefix); }

bool IsExcludedFolder(const AnsiString& D, const TStringList* excludedNames) {
    AnsiString top = D;
    if (const size_t slash = top.find('\\'); slash != AnsiString::npos) top.resize(slash);
    top = Trim(AnsiUpperCase(top));
    return excludedNames && excludedNames->IndexOf(top) >= 0;
}

void ClearReadOnly(const AnsiString& P) {
    const int attributes = FileGetAttr(P);
    if (attributes != -1 && (attributes & faReadOnly) != 0) FileSetAttr(P, attributes & ~faReadOnly);
}

bool IsSafeEntryPath(const AnsiString& E) {
    if (E.empty() || E.front() == '\\') return false;
    size_t start = 0;
    for (;;) {
        const size_t end = E.find('\\', start);
        const AnsiString part = E.substr(start, end == AnsiString::npos ? AnsiString::npos : end - start);
        // Windows drops trailing dots and blanks, so ". ." or "..." would climb as ".." does.
        if (part.find_first_not_of(". ") == AnsiString::npos) return false;
        if (part.find(':') != AnsiString::npos || part.find('/') != AnsiString::npos) return false;
        if (end == AnsiString::npos) return true;
        start = end + 1;
    }
}

AnsiString FolderPart(const AnsiString& path) {
    const size_t slash = path.rfind('\\');
    return slash == AnsiString::npos ? AnsiString() : path.substr(0, slash);
}

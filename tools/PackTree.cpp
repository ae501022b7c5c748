// The walk of the package folder. Folder entries come first so that the last entry of the
// last volume is always a file: the setup program takes the event of that entry as the sign
// that the whole package has been extracted.
#include "tools/PackTree.h"

#include "platform/os/FileSystem.h"
#include "platform/rtl/SysUtils.h"
#include "unzip/decode/SafeNames.h"

#include <algorithm>
#include <map>

namespace {

const char* UnusableText(TUnusableReason reason) {
    switch (reason) {
        case urNameNotRepresentable: return "a name that code page 1251 cannot hold (shown with _)";
        case urCannotExamine: return "cannot be examined (a link to nothing?)";
        case urNotFileOrFolder: return "neither a file nor a folder";
    }
    return "unusable";
}

struct TWalk {
    std::vector<TPackItem> Folders;
    std::vector<TPackItem> Files;
    std::vector<AnsiString>& Problems;

    // `prefix` is the entry name of `path` ("" for the package folder itself).
    void Folder(const AnsiString& path, const AnsiString& prefix) {
        std::vector<TSearchRec> entries;
        std::vector<TUnusableEntry> unusable;
        if (!ListFolder(path, entries, unusable)) {
            Problems.push_back((prefix.empty() ? AnsiString("the package folder") : prefix) +
                               ": cannot be read: " + LastErrorMessage());
            return;
        }
        for (const TUnusableEntry& u : unusable) Problems.push_back(prefix + u.Name + ": " + UnusableText(u.Reason));
        std::sort(entries.begin(), entries.end(), [](const TSearchRec& a, const TSearchRec& b) {
            const int c = AnsiCompareText(a.Name, b.Name);
            return c != 0 ? c < 0 : a.Name < b.Name;
        });
        std::vector<const TSearchRec*> subfolders;
        for (const TSearchRec& e : entries) {
            TPackItem item;
            item.IsFolder = (e.Attr & faDirectory) != 0;
            item.Name = prefix + e.Name + (item.IsFolder ? "\\" : "");
            item.Source = path + "\\" + e.Name;
            item.Size = e.Size;
            item.DosTime = e.Time;
            item.Attr = e.Attr & (faReadOnly | faHidden | faSysFile | faDirectory | faArchive);
            const AnsiString problem = PackNameProblem(item.Name);
            if (!problem.empty()) {
                Problems.push_back(item.Name + ": " + problem);
                continue;
            }
            if (!item.IsFolder && item.Size > MaxPackFileSize) {
                Problems.push_back(item.Name + ": " + IntToStr(item.Size) +
                                   " bytes; an entry holds less than 2 GiB (at most " + IntToStr(MaxPackFileSize) +
                                   " bytes)");
                continue;
            }
            if (item.IsFolder) {
                Folders.push_back(item);
                subfolders.push_back(&e);
            } else {
                Files.push_back(item);
            }
        }
        for (const TSearchRec* sub : subfolders) Folder(path + "\\" + sub->Name, prefix + sub->Name + "\\");
    }
};

}  // namespace

AnsiString PackNameProblem(const AnsiString& name) {
    if (name.find(':') != AnsiString::npos) return "unsafe name: " + AnsiString(UnsafeNameText(unForbiddenCharacter));
    const bool folder = !name.empty() && name.back() == '\\';
    const AnsiString bare = folder ? name.substr(0, name.size() - 1) : name;
    const size_t cut = bare.rfind('\\');
    const AnsiString directory = cut == AnsiString::npos ? AnsiString() : bare.substr(0, cut + 1);
    const TUnsafeName reason = CheckEntryName(directory, bare.substr(directory.size()));
    return reason == unSafe ? AnsiString() : "unsafe name: " + AnsiString(UnsafeNameText(reason));
}

bool ReadPackTree(const AnsiString& folder, std::vector<TPackItem>& items, std::vector<AnsiString>& problems) {
    items.clear();
    const size_t before = problems.size();
    if (!DirectoryExists(folder)) {
        problems.push_back("the package folder does not exist");
        return false;
    }
    TWalk walk{{}, {}, problems};
    walk.Folder(ExcludeTrailingBackslash(folder), AnsiString());

    // Windows would make one file (or folder) of two names that differ only in letter case.
    std::map<AnsiString, const TPackItem*> seen;
    for (const auto* list : {&walk.Folders, &walk.Files})
        for (const TPackItem& item : *list) {
            const auto [at, fresh] = seen.emplace(AnsiUpperCase(item.Name), &item);
            if (!fresh) problems.push_back(at->second->Name + " and " + item.Name + ": names that differ only in letter case");
        }
    if (walk.Files.empty() && problems.size() == before) problems.push_back("the package folder holds no file");

    items = std::move(walk.Folders);
    items.insert(items.end(), walk.Files.begin(), walk.Files.end());
    return problems.size() == before;
}

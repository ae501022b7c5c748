// Shell services: the current user's special folders, shell link (.lnk) files and starting a
// program. On Linux each has the counterpart the README describes.
#pragma once

#include "platform/rtl/Types.h"

#include <memory>
#include <string>

enum class TSpecialFolder { Programs, DesktopDirectory };

// The folder, without a trailing backslash; false when the platform cannot give it.
bool GetSpecialFolder(TSpecialFolder folder, AnsiString& path);

// One shell link being made, in the order the installer makes it: create the object, set
// its path, arguments and working folder, save it to a file. Windows: the shell link object
// through its UTF-16 interface IShellLinkW and IPersistFile. Linux: a .lnk file in the Shell
// Link Binary File Format (ShellLinkFile.h), replaced whole, so that a crash leaves no part.
class TShellLink {
public:
    // Initialises the component object library for the calling thread (the result is not
    // used; on Linux there is nothing to do).
    static void InitializeComLibrary();
    TShellLink();
    ~TShellLink();
    TShellLink(const TShellLink&) = delete;
    TShellLink& operator=(const TShellLink&) = delete;

    // Creates the shell link object and gets its persist-file interface; false on failure.
    bool Create();
    bool SetPath(const AnsiString& target);
    bool SetArguments(const AnsiString& arguments);
    bool SetWorkingDirectory(const AnsiString& folder);
    // Saves the link to fileName (UTF-16; an empty name fails); true when the file exists
    // afterwards.
    bool Save(const std::u16string& fileName, bool remember);

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};

enum class TShowMode { Show, Maximized, Minimized, MinimizedNoActivate, Hide };
// The installer's show mode numbers: 0 shown, 1 maximized, 2 minimized, 3 minimized and not
// activated, any other hidden.
constexpr TShowMode ShowModeOf(int showMode) {
    return showMode == 0 ? TShowMode::Show
         : showMode == 1 ? TShowMode::Maximized
         : showMode == 2 ? TShowMode::Minimized
         : showMode == 3 ? TShowMode::MinimizedNoActivate
                         : TShowMode::Hide;
}

// Starts a program through the shell (the default action of the file), with its parameters
// in its working folder (empty: the current one); true when it started. Nothing waits for it.
// Windows: ShellExecuteExW. Linux: posix_spawn of an executable file (a name without folder
// is looked up in PATH) with the parameters split as Windows splits a command line and input
// from /dev/null; any other file is given to xdg-open, and without xdg-open the start fails.
// The show mode has no effect on Linux.
bool StartShellProgram(const AnsiString& program, const AnsiString& parameters, const AnsiString& workDir,
                       TShowMode show);

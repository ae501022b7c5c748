// The current Linux user's folders that stand in for the folders Windows would give (README,
// "Linux counterparts"). Everything is derived from HOME and the XDG variables at each call,
// so that tests can point them at a scratch folder. Host (Linux) paths, no trailing slash.
#pragma once

#include <string>

namespace UserDirs {

// $HOME; false when it is unset, empty or not absolute.
bool Home(std::string& path);
// $XDG_CONFIG_HOME, or ~/.config (a relative XDG value is ignored, as the XDG rules say).
bool ConfigHome(std::string& path);
// $XDG_DATA_HOME, or ~/.local/share.
bool DataHome(std::string& path);
// XDG_DESKTOP_DIR of $XDG_CONFIG_HOME/user-dirs.dirs, else ~/Desktop. False when neither
// gives a folder, when the user disabled the desktop (pointed it at HOME) or when the
// folder does not exist: a machine without a desktop gets no desktop shortcuts.
bool Desktop(std::string& path);
// The Start-menu Programs counterpart, $XDG_DATA_HOME/applications. Created (with its
// parents) when missing, as Windows keeps the Start menu of every user: the installer
// creates only one level below it.
bool Programs(std::string& path);
// The program files counterpart, ~/.local/opt, and the system folder counterpart,
// ~/.local/lib; neither is created here.
bool ProgramFiles(std::string& path);
bool SystemFolder(std::string& path);
// $XDG_CONFIG_HOME/vornsetup/registry.reg.
bool RegistryFile(std::string& path);

// Creates a folder and its missing parents (mode 0700, as the XDG rules ask for the base
// folders); true when it is a folder afterwards.
bool MakeFolders(const std::string& path);

}  // namespace UserDirs

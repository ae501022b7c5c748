// Shell services on Linux: the special folders' counterparts (UserDirs) and starting a
// program with posix_spawn.
#include "platform/os/Shell.h"

#include "platform/os/posix/PathMap.h"
#include "platform/os/posix/UserDirs.h"

bool GetSpecialFolder(TSpecialFolder folder, AnsiString& path) {
    std::string host;
    const bool found = folder == TSpecialFolder::Programs ? UserDirs::Programs(host) : UserDirs::Desktop(host);
    return found && PathMap::FromHost(host, path);
}

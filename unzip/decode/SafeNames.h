// Which entry names are never written: names that would climb out of the target folder,
// names that Windows cannot create (or would create under another name), on every platform
// alike, so that a package extracts the same everywhere.
#pragma once

#include "platform/rtl/Types.h"

enum TUnsafeName {
    unSafe,
    unParentFolder,      // a component ".." (climbs out of the target folder)
    unReservedDevice,    // CON, PRN, AUX, NUL, COM0-COM9, LPT0-LPT9, CONIN$, CONOUT$ (any case, any extension)
    unControlCharacter,  // a byte 0x00-0x1F
    unForbiddenCharacter,  // < > : " | ? * (a colon only as the second character, after a drive letter)
    unTrailingDotOrSpace,  // a component ending with "." or " " (Windows drops them); "." alone is allowed
    unNotRepresentable,    // the stored name holds a character that CP1251 cannot hold (set by the reader)
};

// The entry's folder (ending with "\" or empty) and file name, as read from the archive.
TUnsafeName CheckEntryName(const AnsiString& directory, const AnsiString& filename);
// "unsafe name: ..." text of a reason, for messages of tools.
const char* UnsafeNameText(TUnsafeName reason);

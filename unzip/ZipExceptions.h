// The archive reader's own exceptions; each carries only its fixed English message.
#pragma once

#include "platform/rtl/SysUtils.h"

SETUP_EXCEPTION_CLASS(EBadZipFile, Exception);              // "Not a valid zip file!"
SETUP_EXCEPTION_CLASS(EIncompleteZip, Exception);           // "Incomplete Zip File"
SETUP_EXCEPTION_CLASS(EFatalUnzipError, Exception);         // "Premature end of file reached"
SETUP_EXCEPTION_CLASS(EUserCanceled, Exception);            // "User canceled loading new disk." ...
SETUP_EXCEPTION_CLASS(EBiggerThanUncompressed, Exception);  // "File is larger than uncompressed size!"

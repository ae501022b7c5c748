// The extraction of one archive entry to a file: output folder, password check, overwrite
// decision, decoding through the method's decoder, CRC-32 check, date and attributes, and
// the component's per-entry events. Runs inside TUnZipper::UnZip on its context.
#pragma once

#include "unzip/decode/ExtractContext.h"

// FileIndex is the entry's position in the component's sorted list. Sets ctx.RetryEntry when
// the same entry is to be extracted again (a new password after a failed CRC check).
void ExtractEntry(TExtractContext& ctx, int FileIndex);

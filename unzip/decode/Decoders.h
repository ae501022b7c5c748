// Entry points of the decoders: each decodes the whole current entry of the context, taking
// compressed bytes through ReadByte (or, for the stored method, straight from the archive)
// and handing decoded bytes on through PutByte / FlushWindow / FlushOutput.
#pragma once

#include "unzip/decode/ExtractContext.h"

void CopyStored(TExtractContext& ctx);              // method 0
void UnShrink(TExtractContext& ctx);                // method 1
void UnReduce(TExtractContext& ctx, int factor);    // methods 2 to 5, factor = method - 1
void Explode(TExtractContext& ctx);                 // method 6
void Inflate(TExtractContext& ctx);                 // method 8

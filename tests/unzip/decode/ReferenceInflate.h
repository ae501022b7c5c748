// The Deflate decoder as the design words it, byte-wise reader and all, with nothing made
// fast: the yardstick that Inflate's refills, flushes, LastByte and results must match.
#pragma once

#include "unzip/decode/ExtractContext.h"

void ReferenceInflate(TExtractContext& ctx);

// Method 1, Shrink: LZW with codes of 9 to 13 bits, the code size raised and the table
// partly cleared by signals in the stream. Tables and stack live in WorkArea; bits come
// through the Shrink/Reduce bit reader.
#include "unzip/decode/Decoders.h"
#include "unzip/decode/LegacyBits.h"

#include <cstring>

namespace {

constexpr unsigned InitialCodeSize = 9;
constexpr unsigned MaxCodeSize = 13;
constexpr int SignalCode = 256;       // followed by a subcode
constexpr int SubcodeWider = 1;
constexpr int SubcodePartialClear = 2;
constexpr int FirstFreeCode = 257;
constexpr int CodeLimit = 8192;       // codes 0 to 8,191; 8,192 ends the free-code search
constexpr int16_t FreeCode = -1;
constexpr int16_t ClearMark = INT16_MIN;  // bit 15 of a prefix during a partial clear
constexpr uint32_t StackSize = 8192;

// WorkArea: the prefixes (8,193 signed 16-bit), the suffixes (8,193 bytes), the stack.
constexpr uint32_t TableEntries = CodeLimit + 1;
constexpr uint32_t SuffixOffset = TableEntries * sizeof(int16_t);
constexpr uint32_t StackOffset = SuffixOffset + TableEntries;
static_assert(StackOffset + StackSize <= WorkAreaSize);

struct TShrinkTables {
    int16_t* Prefix;
    uint8_t* Suffix;
    uint8_t* Stack;
};

int NextFree(const int16_t* prefix, int from) {
    while (from < CodeLimit && prefix[from] != FreeCode) ++from;
    return from;
}

// Frees every code from 257 below nextFree that no other code of that range extends; the
// survivors keep their numbers. Returns the new next free code.
int PartialClear(int16_t* prefix, int nextFree) {
    for (int code = FirstFreeCode; code < nextFree; ++code)
        prefix[code] = static_cast<int16_t>(prefix[code] | ClearMark);
    for (int code = FirstFreeCode; code < nextFree; ++code) {
        const int parent = prefix[code] & 0x7FFF;
        // A corrupt stream can define a code on a free one; only marked codes are unmarked.
        if (parent >= FirstFreeCode && parent < nextFree)
            prefix[parent] = static_cast<int16_t>(prefix[parent] & 0x7FFF);
    }
    for (int code = FirstFreeCode; code < nextFree; ++code)
        if (prefix[code] < 0) prefix[code] = FreeCode;
    return NextFree(prefix, FirstFreeCode);
}

// A string goes into OutBuf as one block whenever it fits without filling OutBuf (below
// 2,048 bytes of OutBuf use included); otherwise as PutByte would put it byte by byte,
// flushing exactly when OutBuf reaches 16,000 bytes, only in pieces.
void PutString(TExtractContext& ctx, const uint8_t* from, uint32_t n) {
    if (ctx.OutCount + n < IoBufferSize) {
        uint8_t* to = ctx.OutPos;
        for (uint32_t i = 0; i < n; ++i) to[i] = from[i];
        ctx.OutPos = to + n;
        ctx.OutCount = static_cast<uint16_t>(ctx.OutCount + n);
        return;
    }
    FlushWindow(ctx, from, n);
}

}  // namespace

// A corrupt stream that asks for codes wider than 13 bits, or whose strings would not fit
// the 8,192-byte stack (only a cycle of prefixes does that), stops the decoder at once:
// OutBuf is not flushed, and the entry fails its CRC check. Codes of at most 13 bits, and
// prefixes that are always codes once read from the stream, keep every other access inside
// the tables.
void UnShrink(TExtractContext& ctx) {
    const TShrinkTables t{reinterpret_cast<int16_t*>(ctx.WorkArea), ctx.WorkArea + SuffixOffset,
                          ctx.WorkArea + StackOffset};
    ResetBitBuf(ctx);

    unsigned codeSize = InitialCodeSize;
    int nextFree = FirstFreeCode;
    for (int code = SignalCode; code <= CodeLimit; ++code) t.Prefix[code] = FreeCode;
    std::memset(t.Suffix + SignalCode, 0, TableEntries - SignalCode);
    for (int c = 255; c >= 0; --c) {
        t.Prefix[c] = 0;
        t.Suffix[c] = static_cast<uint8_t>(c);
    }

    int code = static_cast<int>(ReadBits(ctx, codeSize));
    if (ctx.InputEnded) {
        FlushOutput(ctx);
        return;
    }
    int previous = code;
    uint8_t current = static_cast<uint8_t>(code);
    PutByte(ctx, current);

    while (!ctx.InputEnded) {
        code = static_cast<int>(ReadBits(ctx, codeSize));
        if (ctx.InputEnded) break;
        while (code == SignalCode) {
            const uint32_t subcode = ReadBits(ctx, codeSize);
            if (subcode == SubcodeWider) {
                if (codeSize == MaxCodeSize) return;
                ++codeSize;
            } else if (subcode == SubcodePartialClear) {
                nextFree = PartialClear(t.Prefix, nextFree);
            }
            code = static_cast<int>(ReadBits(ctx, codeSize));
            if (ctx.InputEnded) {
                FlushOutput(ctx);
                return;
            }
        }

        const int incode = code;
        uint32_t sp = StackSize;
        // A code not yet defined stands for the previous string and its own first
        // character (the code being defined, or garbage in a corrupt stream).
        if (t.Prefix[code] == FreeCode) {
            t.Stack[--sp] = current;
            code = previous;
        }
        while (code >= FirstFreeCode) {
            if (sp == 0) return;
            const int parent = t.Prefix[code];
            if (parent == FreeCode) {
                t.Stack[--sp] = current;
                code = previous;
            } else {
                t.Stack[--sp] = t.Suffix[code];
                code = parent;
            }
        }
        if (sp == 0) return;
        current = t.Suffix[code];
        t.Stack[--sp] = current;
        PutString(ctx, t.Stack + sp, StackSize - sp);

        if (nextFree < CodeLimit) {
            t.Prefix[nextFree] = static_cast<int16_t>(previous);
            t.Suffix[nextFree] = current;
            nextFree = NextFree(t.Prefix, nextFree + 1);
        }
        previous = incode;
    }
    FlushOutput(ctx);
}

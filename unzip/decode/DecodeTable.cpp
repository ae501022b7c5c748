// Builds canonical Huffman lookup tables level by level; each table is its own allocation
// with a front cell that chains the blocks of one build, so that one call frees them all.
#include "unzip/decode/DecodeTable.h"

#include "platform/ui/Dialogs.h"

#include <new>

namespace {

std::function<bool()>& FaultHook() {
    static std::function<bool()> hook;
    return hook;
}

// A block of 2^bits cells behind its front cell; null when memory runs out.
TDecodeEntry* AllocateBlock(unsigned bits) {
    if (FaultHook() && FaultHook()()) return nullptr;
    TDecodeEntry* block = new (std::nothrow) TDecodeEntry[(1u << bits) + 1];
    if (block) {
        block->Op = 0;
        block->Bits = 0;
        block->Link = nullptr;
    }
    return block;
}

void ReleaseChain(TDecodeEntry* block) {
    while (block) {
        TDecodeEntry* next = block->Link;
        delete[] block;
        block = next;
    }
}

// Deflate codes are sent from their most significant bit on; the reader sees that bit first,
// as the least significant bit of the table index.
uint32_t Reversed(uint32_t code, unsigned length) {
    uint32_t r = 0;
    for (unsigned i = 0; i < length; ++i, code >>= 1) r = (r << 1) | (code & 1);
    return r;
}

struct TLevel {
    TDecodeEntry* Table;
    unsigned Start;   // code bits decoded before this level
    unsigned Bits;    // index width of this level's table
    uint32_t Prefix;  // the first Start bits (as read) of every code below this table
};

}  // namespace

void SetDecodeTableFault(std::function<bool()> hook) { FaultHook() = std::move(hook); }

void ReleaseDecodeTables(TDecodeEntry* table) {
    if (table) ReleaseChain(table - 1);
}

TBuildResult BuildDecodeTable(const uint8_t* lengths, unsigned n, unsigned s, const uint16_t* base,
                              const uint8_t* extra, TDecodeEntry*& table, unsigned& bits) {
    table = nullptr;
    // Codes of each length still to be placed; the spare space joins the longest length.
    unsigned count[MaxCodeLength + 1] = {};
    for (unsigned i = 0; i < n; ++i) {
        if (lengths[i] > MaxCodeLength) return brOversubscribed;
        ++count[lengths[i]];
    }
    if (count[0] == n) {
        bits = 0;
        return brComplete;
    }
    unsigned shortest = 1, longest = MaxCodeLength;
    while (count[shortest] == 0) ++shortest;
    while (count[longest] == 0) --longest;
    const unsigned m = bits < shortest ? shortest : bits > longest ? longest : bits;
    bits = m;

    int32_t left = 1 << shortest;
    for (unsigned len = shortest; len < longest; ++len) {
        left -= static_cast<int32_t>(count[len]);
        if (left < 0) return brOversubscribed;
        left <<= 1;
    }
    left -= static_cast<int32_t>(count[longest]);
    if (left < 0) return brOversubscribed;
    const unsigned spare = static_cast<unsigned>(left);

    // Symbols in canonical order: by length, then by symbol.
    uint16_t order[MaxCodeSymbols];
    unsigned offset[MaxCodeLength + 2];
    offset[1] = 0;
    for (unsigned len = 1; len <= MaxCodeLength; ++len) offset[len + 1] = offset[len] + count[len];
    for (unsigned i = 0; i < n; ++i)
        if (lengths[i]) order[offset[lengths[i]]++] = static_cast<uint16_t>(i);
    const unsigned used = n - count[0];
    count[longest] += spare;

    TLevel level[MaxCodeLength + 1];
    TDecodeEntry* first = AllocateBlock(m);
    TDecodeEntry* last = first;
    if (!first) {
        MessageBoxDlg("*** inflate out of memory ***", "Error", mtCustom, mbOK);
        return brOutOfMemory;
    }
    level[0] = {first + 1, 0, m, 0};
    unsigned depth = 1;

    uint32_t code = 0;  // canonical code, most significant bit first
    unsigned codeLength = shortest;
    for (unsigned k = 0; k < used + spare; ++k) {
        const unsigned len = k < used ? lengths[order[k]] : longest;
        code <<= len - codeLength;
        codeLength = len;
        const uint32_t rev = Reversed(code, len);
        ++code;

        TDecodeEntry cell;
        cell.Value = 0;
        if (k >= used) {
            cell.Op = DecodeOpInvalid;
        } else if (const unsigned symbol = order[k]; symbol < s) {
            cell.Op = symbol < 256 ? DecodeOpLiteral : DecodeOpEndOfBlock;
            cell.Value = symbol;
        } else {
            cell.Op = extra[symbol - s];
            cell.Value = base[symbol - s];
        }

        unsigned h = 0;
        while (len > level[h].Start + level[h].Bits) {
            const unsigned start = level[h].Start + level[h].Bits;
            const uint32_t prefix = rev & ((1u << start) - 1);
            if (h + 1 < depth && level[h + 1].Prefix == prefix) {
                ++h;
                continue;
            }
            // The smallest table that the codes from this one on fill, at most m bits and no
            // deeper than the longest code.
            const unsigned limit = longest - start < m ? longest - start : m;
            unsigned j = len - start;
            if (j >= limit) {
                j = limit;
            } else {
                int32_t open = (1 << j) - static_cast<int32_t>(count[len]);
                if (open > 0) {
                    unsigned x = len;
                    while (++j < limit) {
                        open <<= 1;
                        if (open <= static_cast<int32_t>(count[++x])) break;
                        open -= static_cast<int32_t>(count[x]);
                    }
                }
            }
            TDecodeEntry* block = AllocateBlock(j);
            if (!block) {
                ReleaseChain(first);
                MessageBoxDlg("*** inflate out of memory ***", "Error", mtCustom, mbOK);
                return brOutOfMemory;
            }
            last->Link = block;
            last = block;
            TDecodeEntry& link = level[h].Table[(rev >> level[h].Start) & ((1u << level[h].Bits) - 1)];
            link.Op = static_cast<uint8_t>(DecodeOpLink + j);
            link.Bits = static_cast<uint8_t>(level[h].Bits);
            link.Link = block + 1;
            ++h;
            level[h] = {block + 1, start, j, prefix};
            depth = h + 1;
        }

        const TLevel& at = level[h];
        cell.Bits = static_cast<uint8_t>(len - at.Start);
        const uint32_t step = 1u << (len - at.Start);
        for (uint32_t i = (rev >> at.Start) & ((1u << at.Bits) - 1); i < (1u << at.Bits); i += step)
            at.Table[i] = cell;
        --count[len];
    }

    table = first + 1;
    return spare != 0 && longest != 1 ? brIncomplete : brComplete;
}

// Huffman lookup tables of the Deflate and Implode decoders: canonical codes, given as one code
// length per symbol, become a first-level table indexed by the next m bits of the stream (the
// bit read first is the least significant of the index) with linked sub-tables for longer codes.
//
// Using a table: take cell = table[bits & (2^m - 1)]. While cell.Op is above 16 (and not
// DecodeOpInvalid), drop cell.Bits and take cell.Link[next bits & (2^(Op - 16) - 1)]. Then drop
// cell.Bits: the cell is a literal (DecodeOpLiteral, Value = the byte), the end of a block
// (DecodeOpEndOfBlock), a base with Op extra bits (Op 0 to 13, Value = the base), or an invalid
// code (DecodeOpInvalid). TBitReader::Decode (BitReader.h) does exactly this.
#pragma once

#include <cstdint>
#include <functional>

constexpr uint8_t DecodeOpEndOfBlock = 15;
constexpr uint8_t DecodeOpLiteral = 16;
constexpr uint8_t DecodeOpLink = 16;     // a link of j further bits has Op = DecodeOpLink + j
constexpr uint8_t DecodeOpInvalid = 99;  // a code that no symbol owns (the spare space of a code)

constexpr unsigned MaxCodeLength = 16;   // code lengths are 0 to 16
constexpr unsigned MaxCodeSymbols = 288; // symbols per table

// One cell of a lookup table.
struct TDecodeEntry {
    uint8_t Op;    // see the constants above
    uint8_t Bits;  // code bits this cell consumes at its level
    union {
        uint32_t Value;      // literal, or base of a length or distance
        TDecodeEntry* Link;  // sub-table (Op 17 to 32); in a block's front cell, the next block
    };
};

// Results of BuildDecodeTable (also the block results of Inflate).
enum TBuildResult : int {
    brComplete = 0,
    brIncomplete = 1,      // spare code space; its cells are DecodeOpInvalid
    brOversubscribed = 2,  // more codes of some length than the code space allows
    brOutOfMemory = 3,     // "*** inflate out of memory ***" has been shown
};

// Builds the tables for n symbols (n <= MaxCodeSymbols) from lengths[0..n-1] (0 = unused).
// Symbols below s are simple: Op DecodeOpLiteral with the symbol as Value for symbols below
// 256, DecodeOpEndOfBlock for 256 and above. Symbol s + i takes Op extra[i] and Value base[i]
// (base and extra may be null when s >= n). bits is the requested lookup width on entry and
// the width actually used on return (clamped to the shortest and longest length in use).
// table receives the first-level table, or null (and bits 0) when every length is 0 (result
// brComplete). On brIncomplete and brComplete the caller owns table and must release it; on
// the other results nothing is left to release. An incomplete code whose longest length is 1
// (a single code of one bit) counts as complete.
TBuildResult BuildDecodeTable(const uint8_t* lengths, unsigned n, unsigned s, const uint16_t* base,
                              const uint8_t* extra, TDecodeEntry*& table, unsigned& bits);

// Frees every block that the BuildDecodeTable call which made `table` allocated; null is a no-op.
void ReleaseDecodeTables(TDecodeEntry* table);

// For tests: asked before each block allocation; true makes it fail as if memory ran out.
// An empty hook (the default) never fails.
void SetDecodeTableFault(std::function<bool()> hook);

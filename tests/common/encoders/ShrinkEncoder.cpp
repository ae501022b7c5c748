// Shrink encoder of the tests; see ShrinkEncoder.h.
#include "tests/common/encoders/ShrinkEncoder.h"

#include "tests/common/encoders/BitWriter.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

constexpr int CodeLimit = 8192;
constexpr int FirstFree = 257;
constexpr int Signal = 256;
constexpr unsigned MaxCodeSize = 13;

int LastClears = 0;

class TShrinkEncoder {
public:
    explicit TShrinkEncoder(const TShrinkOptions& options)
        : FOptions(options), FPrefix(CodeLimit + 1, -1), FSuffix(CodeLimit + 1, 0),
          FLookup(static_cast<size_t>(CodeLimit) * 256, 0) {}

    std::string Encode(std::string_view data) {
        if (data.empty()) return {};
        int w = static_cast<uint8_t>(data[0]);
        for (size_t i = 1; i < data.size(); ++i) {
            const uint8_t c = static_cast<uint8_t>(data[i]);
            const int next = FLookup[Key(w, c)];
            if (next != 0) {
                w = next;
                continue;
            }
            Emit(w);
            if (ClearWanted() && SurvivesClear(w)) {
                Put(Signal);
                Put(2);
                PartialClear();
                ++LastClears;
            }
            if (FNextFree < CodeLimit) Define(w, c);
            w = c;
        }
        Emit(w);
        return FBits.Finish();
    }

private:
    static size_t Key(int prefix, uint8_t c) { return static_cast<size_t>(prefix) * 256 + c; }

    void Put(int code) { FBits.Put(static_cast<uint32_t>(code), FCodeSize); }

    void Emit(int code) {
        while (code >= (1 << FCodeSize) && FCodeSize < MaxCodeSize) {
            Put(Signal);
            Put(1);
            ++FCodeSize;
        }
        Put(code);
    }

    void Define(int prefix, uint8_t c) {
        const int code = FNextFree;
        FPrefix[code] = static_cast<int16_t>(prefix);
        FSuffix[code] = c;
        FLookup[Key(prefix, c)] = static_cast<uint16_t>(code);
        FTop = std::max(FTop, code + 1);
        FLastDefined = code;
        FNextFree = code + 1;
        while (FNextFree < CodeLimit && FPrefix[FNextFree] != -1) ++FNextFree;
    }

    // Only when no code is in use above the next free one, and the highest code is the one
    // defined last: PKZIP's clears always look like that, and Info-ZIP's unzip leaves out of
    // a clear the codes above the last one defined since the clear before.
    bool ClearWanted() const {
        return FOptions.ClearAt > 0 && FNextFree >= FOptions.ClearAt && FNextFree == FTop && FLastDefined == FTop - 1;
    }

    bool SurvivesClear(int code) const {
        if (code < FirstFree || code >= FNextFree) return true;
        for (int other = FirstFree; other < FNextFree; ++other)
            if (FPrefix[other] == code) return true;
        return false;
    }

    // The decoder's rule: of the codes from 257 below the next free one, those that no code
    // of that range extends become free.
    void PartialClear() {
        std::vector<bool> referenced(CodeLimit + 1, false);
        for (int code = FirstFree; code < FNextFree; ++code)
            if (FPrefix[code] >= FirstFree && FPrefix[code] < FNextFree) referenced[FPrefix[code]] = true;
        for (int code = FirstFree; code < FNextFree; ++code) {
            if (referenced[code] || FPrefix[code] == -1) continue;
            FLookup[Key(FPrefix[code], FSuffix[code])] = 0;
            FPrefix[code] = -1;
        }
        while (FTop > FirstFree && FPrefix[FTop - 1] == -1) --FTop;
        FNextFree = FirstFree;
        while (FNextFree < CodeLimit && FPrefix[FNextFree] != -1) ++FNextFree;
    }

    TShrinkOptions FOptions;
    TBitWriter FBits;
    unsigned FCodeSize = 9;
    int FNextFree = FirstFree;
    int FTop = FirstFree;  // above the highest code in use
    int FLastDefined = 0;
    std::vector<int16_t> FPrefix;
    std::vector<uint8_t> FSuffix;
    std::vector<uint16_t> FLookup;  // (prefix, byte) -> code, 0 for none
};

}  // namespace

std::string ShrinkEncode(std::string_view data, const TShrinkOptions& options) {
    LastClears = 0;
    return TShrinkEncoder(options).Encode(data);
}

int ShrinkClearsSent() { return LastClears; }

// The eight orders of the entry lists. The date and size orders never call two entries
// equal, so entries of equal value keep the order in which they were added.
#include "unzip/SortedZip.h"

#include "platform/rtl/DateUtils.h"
#include "platform/rtl/SysUtils.h"
#include "unzip/ZipUtils.h"

#include <algorithm>
#include <string_view>

namespace {

// The text comparison over texts given in two pieces (folder and file name), so that full
// names are compared without being put together.
int CompareText2(std::string_view a1, std::string_view a2, std::string_view b1, std::string_view b2) {
    const size_t na = a1.size() + a2.size(), nb = b1.size() + b2.size();
    const size_t n = std::min(na, nb);
    for (size_t i = 0; i < n; ++i) {
        const char ca = i < a1.size() ? a1[i] : a2[i - a1.size()];
        const char cb = i < b1.size() ? b1[i] : b2[i - b1.size()];
        const int x = static_cast<unsigned char>(UpCaseAscii(ca));
        const int y = static_cast<unsigned char>(UpCaseAscii(cb));
        if (x != y) return x - y;
    }
    return static_cast<int>(na) - static_cast<int>(nb);
}

TDateTime EntryDate(const TZipHeaderInfo& e) {
    TDateTime value = 0;
    return TryDosDateTimeToDateTime(static_cast<int32_t>(e.DosDateTime), value) ? value : 0;
}

int32_t SignedDifference(int32_t later, int32_t earlier) {
    return static_cast<int32_t>(static_cast<uint32_t>(later) - static_cast<uint32_t>(earlier));
}

}  // namespace

int CompareEntryText(const AnsiString& a, const AnsiString& b) { return CompareText2(a, {}, b, {}); }

int TSortedZip::Compare(TPersistent* key1, TPersistent* key2) {
    const auto& a = *static_cast<TZipHeaderInfo*>(key1);
    const auto& b = *static_cast<TZipHeaderInfo*>(key2);
    switch (SortMode) {
        case ByName: return CompareText2(a.Directory, a.Filename, b.Directory, b.Filename);
        case ByFileName: return CompareEntryText(a.Filename, b.Filename);
        case ByDirectoryName: return CompareEntryText(a.Directory, b.Directory);
        case ByDate: return EntryDate(b) > EntryDate(a) ? 1 : -1;
        case ByCompressedSize: return SignedDifference(b.PackedSize, a.PackedSize) > 0 ? 1 : -1;
        case ByUnCompressedSize: return SignedDifference(b.UnpackedSize, a.UnpackedSize) > 0 ? 1 : -1;
        case ByRate: return PercentOf(b.PackedSize, b.UnpackedSize) - PercentOf(a.PackedSize, a.UnpackedSize);
        case ByNone:
            if (a.DiskStart != b.DiskStart) return static_cast<int>(a.DiskStart) - static_cast<int>(b.DiskStart);
            if (static_cast<int32_t>(b.LocalOffset) < static_cast<int32_t>(a.LocalOffset)) return 1;
            return a.LocalOffset == b.LocalOffset ? 0 : -1;
    }
    return -1;
}

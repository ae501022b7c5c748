// The buffered streams of the archive reader.
#include "platform/os/FileStream.h"
#include "platform/rtl/SysUtils.h"
#include "tests/common/TestPaths.h"
#include "unzip/BufferStream.h"

#include <gtest/gtest.h>

namespace {

// A stream in memory that counts the calls the buffer makes of it.
class TCountingStream : public TMemoryStream {
public:
    using TMemoryStream::TMemoryStream;
    int32_t Read(void* buffer, int32_t count) override {
        ++Reads;
        return TMemoryStream::Read(buffer, count);
    }
    int32_t Write(const void* buffer, int32_t count) override {
        Writes.push_back(count);
        if (Capacity >= 0 && static_cast<int64_t>(Data.size()) + count > Capacity) {
            const int32_t room = static_cast<int32_t>(Capacity - static_cast<int64_t>(Data.size()));
            return TMemoryStream::Write(buffer, room > 0 ? room : 0);
        }
        return TMemoryStream::Write(buffer, count);
    }
    int Reads = 0;
    std::vector<int32_t> Writes;
    int64_t Capacity = -1;
};

std::string Pattern(size_t n) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>(i * 7 + i / 256);
    return s;
}

}  // namespace

TEST(BufferStream, ReadAheadIsKeptAcrossASeekToTheCurrentPosition) {
    TCountingStream inner(Pattern(20000));
    TS_BufferStream s(&inner);
    char a[10], b[10];
    ASSERT_EQ(s.Read(a, 10), 10);
    EXPECT_EQ(s.Seek(0, soFromCurrent), 10);  // logical, although 8,192 bytes were read
    EXPECT_EQ(inner.Position, 8192);
    ASSERT_EQ(s.Read(b, 10), 10);
    EXPECT_EQ(inner.Reads, 1);
    EXPECT_EQ(std::string(b, 10), inner.Data.substr(10, 10));
}

TEST(BufferStream, WritesGoOutIn8192BytePieces) {
    TCountingStream inner;
    {
        TS_BufferStream s(&inner);
        const std::string data = Pattern(10000);
        EXPECT_EQ(s.Write(data.data(), 10000), 10000);
        EXPECT_EQ(inner.Writes, (std::vector<int32_t>{8192}));
    }
    EXPECT_EQ(inner.Writes, (std::vector<int32_t>{8192, 1808}));
    EXPECT_EQ(inner.Data, Pattern(10000));
}

TEST(BufferStream, SeekFromTheEndTakesTheDistanceEitherWay) {
    TCountingStream inner(Pattern(100));
    TS_BufferStream s(&inner);
    EXPECT_EQ(s.Seek(-22, soFromEnd), 78);
    EXPECT_EQ(s.Seek(22, soFromEnd), 78);
    char c;
    ASSERT_EQ(s.Read(&c, 1), 1);
    EXPECT_EQ(c, inner.Data[78]);
    try {
        s.Seek(0, 3);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message, "Invalid seek origin (3)");
    }
}

TEST(BufferStream, WritingAfterReadingGivesTheReadAheadBack) {
    TCountingStream inner(Pattern(9000));
    {
        TS_BufferStream s(&inner);
        char a[4];
        s.Read(a, 4);
        s.Write("WXYZ", 4);
        EXPECT_EQ(s.Seek(0, soFromCurrent), 8);
    }
    EXPECT_EQ(inner.Data.substr(4, 4), "WXYZ");
    EXPECT_EQ(inner.Data.size(), 9000u);
    EXPECT_EQ(inner.Data.substr(8), Pattern(9000).substr(8));
}

TEST(BufferStream, AFailedFlushIsReported) {
    TCountingStream inner;
    inner.Capacity = 100;
    TS_BufferStream s(&inner);
    const std::string data = Pattern(200);
    EXPECT_EQ(s.Write(data.data(), 200), 200);  // still buffered
    EXPECT_FALSE(s.Flush());
    s.Write(data.data(), 10);
    inner.Capacity = 0;
    EXPECT_THROW(s.Seek(0, soFromBeginning), EStreamError);
}

TEST(LFNFileStream, ClosingReportsAFileThatDidNotTakeItsBytes) {
    TScratchDir dir;
    {
        TLFNFileStream out(dir / "a.bin", fmCreate);
        out.Write("abc", 3);
        out.Close();
    }
    EXPECT_EQ(ReadFileBytes(dir / "a.bin"), "abc");
    TLFNFileStream in(dir / "a.bin", fmOpenRead | fmShareDenyWrite);
    char b[3];
    EXPECT_EQ(in.Read(b, 3), 3);
    EXPECT_EQ(in.Read(b, 3), 0);
    EXPECT_THROW(TLFNFileStream(dir / "missing.zip", fmOpenRead), EFOpenError);
}

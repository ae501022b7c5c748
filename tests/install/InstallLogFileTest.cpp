// The installation log file: first installation byte for byte, the merge of a repeated one,
// a read-only old log, and a full disk that leaves the old log whole.
#include "install/InstallLogFile.h"

#include "platform/os/FileSystem.h"
#include "platform/rtl/SysUtils.h"
#include "tests/common/TestPaths.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include "platform/os/posix/Faults.h"
#endif

namespace {

const AnsiString kFirstLine = "Удаление VORN for Zat|Удалить задачник?|Удален.|Удален, кроме:|";

}  // namespace

TEST(InstallLogFile, FirstInstallationWritesTheLinesWithCrLfInCp1251) {
    TScratchDir dir;
    const AnsiString log = dir / "vornforzat1_0.log";
    WriteInstallLog(log, {kFirstLine, "C:\\XR4\\Задачи\\a.txt", "C:\\XR4\\UNINST\\Удаление.lnk"});
    EXPECT_EQ(ReadFileBytes(log), kFirstLine + "\r\nC:\\XR4\\Задачи\\a.txt\r\nC:\\XR4\\UNINST\\Удаление.lnk\r\n");
    EXPECT_EQ(ReadFileBytes(log).substr(0, 8), "\xD3\xE4\xE0\xEB\xE5\xED\xE8\xE5") << "CP1251, one byte a letter";
    EXPECT_FALSE(FileExists(InstallLogPendingName(log)));
}

TEST(InstallLogFile, RepeatedInstallationKeepsTheOldLinesAndAppendsNewOnesOnce) {
    TScratchDir dir;
    const AnsiString log = dir / "vornforzat1_0.log";
    WriteFileBytes(log, "old title|q|d|p|\r\nC:\\XR4\\ЗАДАЧИ\\A.TXT\r\nC:\\XR4\\extra.cfg\r\n");
    ASSERT_TRUE(FileSetAttr(log, FileGetAttr(log) | faReadOnly));
    WriteInstallLog(log, {kFirstLine, "C:\\XR4\\задачи\\a.txt", "C:\\XR4\\b.txt", "C:\\XR4\\c.txt", "C:\\XR4\\B.TXT"});
    EXPECT_EQ(ReadFileBytes(log),
              "old title|q|d|p|\r\nC:\\XR4\\ЗАДАЧИ\\A.TXT\r\nC:\\XR4\\extra.cfg\r\nC:\\XR4\\b.txt\r\nC:\\XR4\\c.txt\r\n");
}

#ifndef _WIN32
TEST(InstallLogFile, AFullDiskLeavesTheOldLogWholeAndNothingBesideIt) {
    TScratchDir dir;
    const AnsiString log = dir / "vornforzat1_0.log";
    const std::string old = "old|q|d|p|\r\nC:\\XR4\\a.txt\r\n";
    WriteFileBytes(log, old);
    for (TFaultOp failing : {TFaultOp::Create, TFaultOp::Write, TFaultOp::Move}) {
        Faults::Set([&](TFaultOp op, const AnsiString& path) {
            return op == failing && path == InstallLogPendingName(log);
        });
        EXPECT_THROW(WriteInstallLog(log, {kFirstLine, "C:\\XR4\\b.txt"}), Exception);
        Faults::Clear();
        EXPECT_EQ(ReadFileBytes(log), old);
        EXPECT_FALSE(FileExists(InstallLogPendingName(log)));
    }
}
#endif

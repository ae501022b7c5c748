// Splitting a command line as Windows does; under Wine each case is also put to
// CommandLineToArgvW itself.
#include "platform/os/CommandLine.h"
#include "platform/rtl/SysUtils.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include "platform/os/win32/WinApi.h"

#include <shellapi.h>
#endif

TEST(CommandLine, SplitsAsWindowsDoes) {
    struct Case {
        const char* line;
        std::vector<AnsiString> arguments;
    } cases[] = {
        {"", {}},
        {"   \t ", {}},
        {"one", {"one"}},
        {"  one  two\tthree ", {"one", "two", "three"}},
        {"\"C:\\Program Files\\VORN\\vorn.log\"", {"C:\\Program Files\\VORN\\vorn.log"}},
        {"\"Мой журнал\" -v", {"Мой журнал", "-v"}},
        {"a\"b c\"d e", {"ab cd", "e"}},
        {"\"\" x", {"", "x"}},
        {"C:\\dir\\ x", {"C:\\dir\\", "x"}},           // backslashes before no quote stay
        {"\"C:\\dir\\\\\" x", {"C:\\dir\\", "x"}},    // 2n backslashes, quote: n, and it closes
        {"a\\\"b", {"a\"b"}},                          // 2n+1 backslashes: a literal quote
        {"a\\\\\\\"b", {"a\\\"b"}},
        {"a\\\\\\\\\"b c\"", {"a\\\\b c"}},
        {"\"unclosed quote", {"unclosed quote"}},
        {"\"a\"\"b\"", {"a\"b"}},                      // doubled quote inside quotes
        {"\"a\"\"\"b", {"a\"b"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SplitCommandLine(c.line), c.arguments) << c.line;
#ifdef _WIN32
        // The first argument follows other rules; a plain program name stands in for it.
        int count = 0;
        LPWSTR* argv = CommandLineToArgvW(WinText::Wide(AnsiString("prog ") + c.line).c_str(), &count);
        ASSERT_NE(argv, nullptr);
        std::vector<AnsiString> windows;
        for (int k = 1; k < count; ++k) windows.push_back(WinText::Narrow(argv[k]));
        LocalFree(argv);
        EXPECT_EQ(windows, c.arguments) << "CommandLineToArgvW: " << c.line;
#endif
    }
}

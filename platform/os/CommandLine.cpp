// Command-line splitting by the rules of CommandLineToArgvW.
#include "platform/os/CommandLine.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::vector<AnsiString> SplitCommandLine(const AnsiString& parameters) {
    std::vector<AnsiString> arguments;
    const size_t n = parameters.size();
    size_t i = 0;
    while (i < n && IsBlank(parameters[i])) ++i;
    while (i < n) {
        AnsiString argument;
        bool quoted = false;
        while (i < n && (quoted || !IsBlank(parameters[i]))) {
            const char c = parameters[i];
            if (c == '\\') {
                size_t count = 0;
                while (i < n && parameters[i] == '\\') {
                    ++count;
                    ++i;
                }
                if (i < n && parameters[i] == '"') {
                    // 2n backslashes and a quote: n backslashes, and the quote groups;
                    // 2n+1 backslashes and a quote: n backslashes and a literal quote.
                    argument.append(count / 2, '\\');
                    if (count % 2 == 1) {
                        argument += '"';
                        ++i;
                    }
                } else {
                    argument.append(count, '\\');
                }
            } else if (c == '"') {
                // Inside quotes, a doubled quote stands for one literal quote.
                if (quoted && i + 1 < n && parameters[i + 1] == '"') {
                    argument += '"';
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                argument += c;
                ++i;
            }
        }
        arguments.push_back(argument);
        while (i < n && IsBlank(parameters[i])) ++i;
    }
    return arguments;
}

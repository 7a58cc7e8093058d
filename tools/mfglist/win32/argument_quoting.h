// A Windows process gets one command line, which the C run-time's parser
// splits back into arguments: this is the quoting that parser undoes.  The
// tool starts its own workers with it, and the tests' process support
// includes it too.  Plain C++, so that both builds can test it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mfgtool {

// One argument, quoted only when it is empty or holds a blank or a quote;
// inside quotes, backslashes double only where they come before a quote
// (or the closing one).
inline std::string quoteArgument(std::string_view arg) {
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string_view::npos)
        return std::string(arg);
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + "\"";
}

// The command line that starts `program` with `args`.
inline std::string commandLineOf(std::string_view program, const std::vector<std::string>& args) {
    std::string line = quoteArgument(program);
    for (const std::string& arg : args) line += " " + quoteArgument(arg);
    return line;
}

}  // namespace mfgtool

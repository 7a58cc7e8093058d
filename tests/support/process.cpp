#include "support/process.h"

#include "support/machine.h"

namespace mfg::test {

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const ChildStreams& streams)
    : streams_(streams) {
    if (streams_.input || streams_.keepOutput || streams_.keepError) {
        streamFiles_ = std::make_unique<ScratchFolder>("child");
        writeFile(*streamFiles_ / kInput, streams_.input.value_or(""));
    }
    start(program, args);
}

void ChildProcess::collect() {
    if (!streamFiles_) return;
    if (streams_.keepOutput) output_ = readFile(*streamFiles_ / kOutput);
    if (streams_.keepError) error_ = readFile(*streamFiles_ / kError);
}

std::string quoteWindowsArgument(std::string_view arg) {
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    return out + "\"";
}

}  // namespace mfg::test

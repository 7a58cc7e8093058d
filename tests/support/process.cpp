#include "support/process.h"

#include "support/machine.h"

namespace mfg::test {

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const ChildSetup& setup)
    : setup_(setup) {
    if (setup_.input || setup_.keepOutput || setup_.keepError) {
        // The test program's own files, wherever the test machine's drives are.
        streamFiles_ = std::make_unique<ScratchFolder>("child", ScratchPlace::hostTemp);
        writeFile(*streamFiles_ / kInput, setup_.input.value_or(""));
    }
    // The child inherits the environment: it is changed around the start only,
    // and put back in the reverse order, so that a name given twice ends as it was.
    std::vector<std::unique_ptr<ScopedEnv>> changes;
    for (const auto& [name, value] : setup_.environment)
        changes.push_back(std::make_unique<ScopedEnv>(name.c_str(), value));
    start(program, args);
    while (!changes.empty()) changes.pop_back();
}

void ChildProcess::collect() {
    if (!streamFiles_) return;
    if (setup_.keepOutput) output_ = readFile(*streamFiles_ / kOutput);
    if (setup_.keepError) error_ = readFile(*streamFiles_ / kError);
}

}  // namespace mfg::test

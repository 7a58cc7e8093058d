#include "support/tool/run_tool.h"

#include <fstream>

#include "support/file_bytes.h"

namespace mfgtool::test {

fs::path toolFile() { return MFGLIST_TOOL_FILE; }
fs::path libraryFile() { return MFGLIST_LIBRARY_FILE; }
fs::path recordingLibraryFile() { return MFGLIST_RECORDING_LIBRARY_FILE; }
fs::path partialLibraryFile() { return MFGLIST_PARTIAL_LIBRARY_FILE; }
fs::path examplesFolder() { return MFGLIST_EXAMPLES_FOLDER; }

std::string readText(const fs::path& file) {
    return mfg::test::readWholeFile(file).value_or(std::string());
}

void writeText(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        result.push_back(line);
        at = end + 1;
    }
    return result;
}

Outcome runTool(const std::vector<std::string>& args, const EnvChanges& env,
                const std::string& input) {
    mfg::test::ChildProcess tool(toolFile().string(), args, {input, true, true, env});
    Outcome outcome;
    outcome.status = tool.wait();
    outcome.out = tool.output();
    outcome.err = tool.error();
    return outcome;
}

}  // namespace mfgtool::test

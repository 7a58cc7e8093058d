#include "tool_support.h"

#include <fstream>
#include <iterator>
#include <system_error>

namespace mfgtest {

fs::path toolFile() { return MFGLIST_TOOL_FILE; }
fs::path libraryFile() { return MFGLIST_LIBRARY_FILE; }
fs::path recordingLibraryFile() { return MFGLIST_RECORDING_LIBRARY_FILE; }
fs::path partialLibraryFile() { return MFGLIST_PARTIAL_LIBRARY_FILE; }
fs::path examplesFolder() { return MFGLIST_EXAMPLES_FOLDER; }

std::string readText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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

Scratch::Scratch() {
    static unsigned counter = 0;
    const fs::path base = fs::temp_directory_path();
    do {
        path_ = base / ("mfglist-tool-test-" + std::to_string(processId()) + "-" +
                        std::to_string(counter++));
    } while (!fs::create_directory(path_));
}

Scratch::~Scratch() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

Outcome runTool(const std::vector<std::string>& args, const EnvChanges& env,
                const std::string& input) {
    Scratch streams;
    writeText(streams / "in", input);
    // The child inherits the environment: change it around the start only.
    std::vector<std::pair<std::string, std::optional<std::string>>> saved;
    for (const auto& [name, value] : env) {
        saved.emplace_back(name, environment(name));
        setEnvironment(name, value);
    }
    Outcome outcome;
    outcome.status =
        spawnAndWait(toolFile(), args, streams / "in", streams / "out", streams / "err");
    for (auto it = saved.rbegin(); it != saved.rend(); ++it) setEnvironment(it->first, it->second);
    outcome.out = readText(streams / "out");
    outcome.err = readText(streams / "err");
    return outcome;
}

}  // namespace mfgtest

// The library traces only while its debug flag file exists, into a log file
// it appends to and never truncates.  For one run the host raises the flag
// (when it is not up already), keeps the log lines of this run only, and
// afterwards lowers a flag it raised.  The log stays, whether or not it was
// there before: what the library wrote is the user's (a scratch machine's
// log goes with its folder).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace mfgtool {

class TraceCapture {
public:
    // Throws RunError when the flag file cannot be created.  With `raise`
    // false the flag is left as it is (the lines are those of a run traced
    // because the user raised the flag).
    TraceCapture(std::filesystem::path flagFile, std::filesystem::path logFile, bool raise = true);
    ~TraceCapture();
    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;

    // The lines the library appended since the capture began, without line
    // ends; with `keep`, only those it keeps (a large run traces a few lines
    // per entry).
    std::vector<std::string> lines(bool (*keep)(const std::string&) = nullptr) const;

private:
    std::filesystem::path flagFile_;
    std::filesystem::path logFile_;
    bool createdFlag_ = false;
    std::uintmax_t logStart_ = 0;
};

}  // namespace mfgtool

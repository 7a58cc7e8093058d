// Helpers for tests that drive a list run through the exports.
#pragma once

#include <string>
#include <vector>

#include "mfglist/mfglist.h"
#include "platform/platform.h"
#include "support/machine.h"
#include "support/text.h"
#include "trace/trace_log.h"

namespace mfg::test {

// Switches the trace on for its life; lines() gives the messages written so
// far, without the tag and the line end.
class TraceCapture {
public:
    TraceCapture() {
        clear();
        writeFile(kDebugFlagFile, "");
    }
    ~TraceCapture() {
        clear();
        removeTree(kDebugFlagFile);
    }
    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;

    void clear() const { removeFile(kTraceLogFile); }
    std::vector<std::string> lines() const {
        const std::string log = readFile(kTraceLogFile), tag = kTraceTag;
        std::vector<std::string> out;
        for (std::size_t pos = 0, end; pos < log.size(); pos = end + 2) {
            end = log.find("\r\n", pos);
            if (end == std::string::npos) end = log.size();
            const std::string line = log.substr(pos, end - pos);
            out.push_back(line.rfind(tag, 0) == 0 ? line.substr(tag.size()) : line);
        }
        return out;
    }
};

// The folder of the file the library's code runs from (the test program
// itself, which links it), with its closing backslash.
inline std::string ownFolder() {
    std::string path;
    return platform::moduleFileName(path) ? path.substr(0, path.find_last_of('\\') + 1) : "";
}

// Ends whatever list run a test left open.
inline void endListRun() { MFG_CreateAllSoftIniFile(""); }

}  // namespace mfg::test

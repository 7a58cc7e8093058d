#include "trace_capture.h"

#include <fstream>
#include <system_error>

#include "common/errors.h"

namespace fs = std::filesystem;

namespace mfgtool {

TraceCapture::TraceCapture(fs::path flagFile, fs::path logFile, bool raise)
    : flagFile_(std::move(flagFile)), logFile_(std::move(logFile)) {
    std::error_code ec;
    if (fs::exists(logFile_, ec)) logStart_ = fs::file_size(logFile_, ec);
    if (ec) logStart_ = 0;
    if (raise && !fs::exists(flagFile_, ec)) {
        std::ofstream flag(flagFile_, std::ios::binary);
        if (!flag)
            throw RunError("cannot create the debug flag file " + flagFile_.string() +
                           "; run without --trace, or where its folder is writable");
        createdFlag_ = true;
    }
}

TraceCapture::~TraceCapture() {
    std::error_code ec;
    if (createdFlag_) fs::remove(flagFile_, ec);
}

std::vector<std::string> TraceCapture::lines(bool (*keep)(const std::string&)) const {
    std::vector<std::string> lines;
    std::ifstream in(logFile_, std::ios::binary);
    if (!in) return lines;
    in.seekg(static_cast<std::streamoff>(logStart_));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!keep || keep(line)) lines.push_back(line);
    }
    return lines;
}

}  // namespace mfgtool

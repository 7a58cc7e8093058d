// The floor's file calls: the least a list run's I/O can cost on this
// system, made with the system's own calls and nothing around them.  Paths
// are native paths.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace bench::floor_io {

// The whole file, in large sequential reads.
bool readAll(const std::string& path, std::string& content);

// A file created once and rewritten in place (from offset 0, then the end of
// file set), as the temporary section file and its lookup copy are.
class Rewritable {
public:
    virtual ~Rewritable() = default;
    virtual void rewrite(std::string_view content) = 0;
};
std::unique_ptr<Rewritable> createRewritable(const std::string& path);

// The debug flag file's check, as the trace makes it before every message.
bool flagPresent(const std::string& path);

// The debugger output of one message.
void debuggerOutput(const char* text);

// A whole new file moved over `path` once it is written and flushed.
bool commitFile(const std::string& path, std::string_view content);

bool removeFile(const std::string& path);

}  // namespace bench::floor_io

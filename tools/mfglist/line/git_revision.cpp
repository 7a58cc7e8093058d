#include "git_revision.h"

#include "common/errors.h"
#include "common/file_writes.h"
#include "run/self_process.h"

namespace fs = std::filesystem;

namespace mfgtool {

void checkOutRevision(const std::string& folder, const std::string& revision, const fs::path& into) {
    if (revision.empty() || revision[0] == '-')
        throw UsageError("--git needs a revision, such as origin/main");
    std::string listing;
    const int status = runCapturing("git", {"-C", folder, "ls-tree", "--full-tree", revision + ":./"}, listing);
    if (status < 0)
        throw UsageError("cannot run git for --git; install git, or give OLD as a folder");
    if (status != 0)
        throw UsageError("git knows no revision " + revision + " of the folder " + folder +
                         " (not a git working tree, or no such revision or folder in it)");
    // "<mode> <type> <object>\t<name>" a line; files only.
    std::size_t files = 0;
    for (std::size_t at = 0; at < listing.size();) {
        std::size_t end = listing.find('\n', at);
        if (end == std::string::npos) end = listing.size();
        const std::string line = listing.substr(at, end - at);
        at = end + 1;
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos || line.find(" blob ") == std::string::npos) continue;
        const std::string name = line.substr(tab + 1);
        std::string bytes;
        if (runCapturing("git", {"-C", folder, "cat-file", "blob", line.substr(line.find(" blob ") + 6, tab - line.find(" blob ") - 6)}, bytes) != 0)
            throw UsageError("git cannot give " + name + " of revision " + revision);
        replaceFileWhole(into / name, bytes);
        ++files;
    }
    if (files == 0)
        throw UsageError("revision " + revision + " has no files in the folder " + folder);
}

}  // namespace mfgtool

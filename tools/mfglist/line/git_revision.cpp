#include "git_revision.h"

#include <optional>
#include <vector>

#include "common/errors.h"
#include "common/file_writes.h"
#include "run/self_process.h"

namespace fs = std::filesystem;

namespace mfgtool {
namespace {

// Links followed from one file before it is called a loop.
constexpr int kMostLinks = 16;

// What git said on its standard error, one line: the reason it refused.
std::string gitReason(const std::string& errors) {
    std::string reason;
    for (std::size_t at = 0; at < errors.size();) {
        std::size_t end = errors.find('\n', at);
        if (end == std::string::npos) end = errors.size();
        std::string line = errors.substr(at, end - at);
        at = end + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.pop_back();
        if (!line.empty()) reason += (reason.empty() ? "" : "; ") + line;
    }
    return reason.empty() ? "no reason given" : reason;
}

struct Git {
    std::string folder;
    std::string revision;

    // Git's standard output; a refusal becomes a UsageError that gives
    // `what` and git's own reason.
    std::string run(const std::vector<std::string>& args, const std::string& what) const {
        std::vector<std::string> all = {"-C", folder};
        all.insert(all.end(), args.begin(), args.end());
        std::string output, errors;
        const int status = runCapturing("git", all, output, &errors);
        if (status < 0)
            throw UsageError("cannot run git for --git; install git, or give OLD as a folder");
        if (status != 0) throw UsageError(what + ": git says: " + gitReason(errors));
        return output;
    }
};

// One line of `git ls-tree`: "<mode> <type> <object>\t<name>".
struct TreeEntry {
    std::string mode, type, object, name;
};

std::vector<TreeEntry> treeEntries(const std::string& listing) {
    std::vector<TreeEntry> entries;
    for (std::size_t at = 0; at < listing.size();) {
        std::size_t end = listing.find('\n', at);
        if (end == std::string::npos) end = listing.size();
        const std::string line = listing.substr(at, end - at);
        at = end + 1;
        const std::size_t tab = line.find('\t');
        const std::size_t first = line.find(' ');
        const std::size_t second = first == std::string::npos ? first : line.find(' ', first + 1);
        if (tab == std::string::npos || second == std::string::npos || second > tab) continue;
        entries.push_back({line.substr(0, first), line.substr(first + 1, second - first - 1),
                           line.substr(second + 1, tab - second - 1), line.substr(tab + 1)});
    }
    return entries;
}

// `target` (a link's text) read from the folder `base` of the repository,
// made a path from the repository's top; nullopt when it leaves the
// repository or is absolute.
std::optional<std::string> resolvedInRepository(const std::string& base,
                                                const std::string& target) {
    if (target.empty() || target[0] == '/' || target[0] == '\\' ||
        (target.size() > 1 && target[1] == ':'))
        return std::nullopt;
    std::vector<std::string> parts;
    const auto add = [&parts](const std::string& path) {
        for (std::size_t at = 0; at <= path.size();) {
            std::size_t end = path.find('/', at);
            if (end == std::string::npos) end = path.size();
            const std::string part = path.substr(at, end - at);
            at = end + 1;
            if (part.empty() || part == ".") continue;
            if (part != "..") {
                parts.push_back(part);
            } else if (parts.empty()) {
                return false;
            } else {
                parts.pop_back();
            }
        }
        return true;
    };
    if (!add(base) || !add(target)) return std::nullopt;
    std::string path;
    for (const std::string& part : parts) path += (path.empty() ? "" : "/") + part;
    return path;
}

std::string parentOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// The bytes of the file `name` of the folder (at `path` from the top of the
// repository): a symbolic link is read through its target in the same
// revision, never through the working tree.
std::string fileBytesAt(const Git& git, const std::string& name, std::string path,
                        TreeEntry entry) {
    const std::string refused = name + " of revision " + git.revision;
    for (int links = 0; entry.mode == "120000"; ++links) {
        if (links == kMostLinks)
            throw UsageError(refused +
                             " is a symbolic link that leads round in a loop; "
                             "--git reads a link only through its target in the revision");
        const std::string target =
            git.run({"cat-file", "blob", entry.object}, "git cannot give " + refused);
        const std::optional<std::string> resolved = resolvedInRepository(parentOf(path), target);
        if (!resolved)
            throw UsageError(refused + " is a symbolic link to " + target +
                             ", outside the repository; --git reads a link only through its "
                             "target in the revision");
        const std::vector<TreeEntry> found =
            treeEntries(git.run({"ls-tree", "--full-tree", git.revision, "--", *resolved},
                                "git cannot give " + refused));
        if (found.empty())
            throw UsageError(refused + " is a symbolic link to " + target +
                             ", which the revision does not hold");
        path = *resolved;
        entry = found.front();
    }
    if (entry.type != "blob")
        throw UsageError(refused + " is not a file in the revision (a " + entry.type + ")");
    return git.run({"cat-file", "blob", entry.object}, "git cannot give " + refused);
}

}  // namespace

void checkOutRevision(const std::string& folder, const std::string& revision,
                      const fs::path& into) {
    if (revision.empty() || revision[0] == '-')
        throw UsageError("--git needs a revision, such as origin/main");
    const Git git{folder, revision};
    const std::string what = "no revision " + revision + " of the folder " + folder;
    std::string prefix = git.run({"rev-parse", "--show-prefix"}, what);
    while (!prefix.empty() &&
           (prefix.back() == '\n' || prefix.back() == '\r' || prefix.back() == '/'))
        prefix.pop_back();
    std::size_t files = 0;
    for (const TreeEntry& entry :
         treeEntries(git.run({"ls-tree", "--full-tree", revision + ":./"}, what))) {
        // Files and links to files; subfolders and submodules are no process files.
        if (entry.type != "blob") continue;
        const std::string path = prefix.empty() ? entry.name : prefix + "/" + entry.name;
        const std::string bytes = fileBytesAt(git, entry.name, path, entry);
        replaceFileWhole(into / entry.name, bytes);
        ++files;
    }
    if (files == 0)
        throw UsageError("revision " + revision + " has no files in the folder " + folder);
}

}  // namespace mfgtool

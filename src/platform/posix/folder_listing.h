// Case-insensitive name lookup in a folder without listing it on every call.
//
// The trace looks for its flag file at every message and every path of a
// run resolves each component without regard to case, so the same few
// folders are searched thousands of times in one run.  A folder's listing is
// kept and used again while the folder is unchanged: same device and inode,
// same modification and change times.  Creating, removing or renaming an
// entry changes both times, so a file that appears or goes between two calls
// is seen by the second one.
#pragma once

#include <sys/stat.h>
#include <time.h>

#include <cstdint>
#include <optional>
#include <string>

namespace mfg::platform::posix {

// What tells a folder unchanged since it was looked at: the same file, with
// the same modification and change times.
struct FolderState {
    dev_t device = 0;
    ino_t inode = 0;
    timespec modified{};
    timespec changed{};

    static FolderState of(const struct stat& folderStat);
    // Inline: the trace's flag check asks before every message.
    bool describes(const struct stat& folderStat) const {
        return device == folderStat.st_dev && inode == folderStat.st_ino &&
               modified.tv_sec == folderStat.st_mtim.tv_sec &&
               modified.tv_nsec == folderStat.st_mtim.tv_nsec &&
               changed.tv_sec == folderStat.st_ctim.tv_sec &&
               changed.tv_nsec == folderStat.st_ctim.tv_nsec;
    }
};

// The entry of the folder at `folder` (whose stat the caller has just taken)
// equal to `name` without regard to ASCII case; of several, the first in byte
// order.  Empty when there is none or the folder cannot be listed.
std::optional<std::string> findNoCase(const std::string& folder, const struct stat& folderStat,
                                      const std::string& name);

// Answers from the kept listing of `folder` alone, at the cost of one stat
// of the folder, when that listing is still valid: found (`name` then holds
// the entry's spelling, the exact one first) or missing.  Unknown when no
// valid listing is kept; the caller then asks the file system itself.
// `answeredAt`, when given, receives the state of the folder the answer
// holds for (not set when unknown).
enum class KeptAnswer { unknown, missing, found };
KeptAnswer findInKeptListing(const std::string& folder, std::string& name,
                             FolderState* answeredAt = nullptr);

// Whether a listing of a folder with the stat `folderStat`, begun when the
// clock that stamps the folder's changes read `listedAt`, may answer later
// calls for as long as the folder's times stay as they are.
bool listingCanBeKept(const struct stat& folderStat, const timespec& listedAt);

// How many file-system calls path resolution and the existence check made on
// top of it have made in this process (stat, lstat, and one per folder
// listing), and how many folder listings.
// For tests that check the work per list step, which must not grow with the
// size of a folder.
struct ResolverCalls {
    std::uint64_t fileSystemCalls = 0;
    std::uint64_t listings = 0;
};
ResolverCalls resolverCalls();
void countResolverCall();

}  // namespace mfg::platform::posix

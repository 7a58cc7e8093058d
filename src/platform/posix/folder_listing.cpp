#include "platform/posix/folder_listing.h"

#include <dirent.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

#include "platform/posix/file_calls.h"

namespace mfg::platform::posix {
namespace {

std::atomic<std::uint64_t> g_fileSystemCalls{0};
std::atomic<std::uint64_t> g_listings{0};

// A run touches a handful of folders; a host that wanders through many more
// starts the cache afresh rather than let it grow.
constexpr std::size_t kMaxFolders = 64;

std::string foldedAscii(const std::string& name) {
    std::string folded = name;
    for (char& c : folded)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return folded;
}

// The clock a folder's times are stamped from: the kernel's coarse clock.
// Where it cannot be read, the precise clock stands in, which may run up to
// a tick ahead of the stamps.
#ifdef CLOCK_REALTIME_COARSE
constexpr clockid_t kStampClock = CLOCK_REALTIME_COARSE;
constexpr std::int64_t kStampClockLeadNs = 0;
#else
constexpr clockid_t kStampClock = CLOCK_REALTIME;
constexpr std::int64_t kStampClockLeadNs = 20'000'000;
#endif

timespec stampClockNow() {
    timespec t{};
    ::clock_gettime(kStampClock, &t);
    return t;
}

std::int64_t nanoseconds(const timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

// The step of a folder's times: the largest power of ten, up to a second,
// that both are whole multiples of.  Times stamped to the nanosecond almost
// never are; exFAT keeps 10 ms, FAT and some network shares whole seconds.
std::int64_t timeStepNs(const struct stat& folderStat) {
    std::int64_t step = 1'000'000'000;
    while (step > 1 &&
           (folderStat.st_mtim.tv_nsec % step != 0 || folderStat.st_ctim.tv_nsec % step != 0))
        step /= 10;
    return step;
}

struct Listing {
    FolderState state;
    bool kept = false;
    // Upper-cased name -> the first name in byte order that folds to it, and
    // whether other names fold to it too (then `names` says which exist).
    struct Spellings {
        std::string first;
        bool several = false;
    };
    std::unordered_map<std::string, Spellings> byFoldedName;
    std::unordered_set<std::string> names;

    bool describes(const struct stat& st) const { return kept && state.describes(st); }
};

bool list(const std::string& folder, const struct stat& folderStat, Listing& listing) {
    const timespec listedAt = stampClockNow();
    countResolverCall();
    ++g_listings;
    DIR* dir = fileCalls.opendir(folder.c_str());
    if (!dir) return false;
    listing = Listing{};
    // readdir ends a listing and fails one the same way, with a null entry;
    // only errno tells them apart.  A listing cut short is no listing: kept,
    // it would call every name it missed missing for as long as it held.
    errno = 0;
    while (dirent* entry = fileCalls.readdir(dir)) {
        const std::string name(entry->d_name);
        if (name == "." || name == "..") continue;
        listing.names.insert(name);
        auto [at, added] =
            listing.byFoldedName.try_emplace(foldedAscii(name), Listing::Spellings{name});
        if (added) continue;
        at->second.several = true;
        if (name < at->second.first) at->second.first = name;
        errno = 0;
    }
    const bool whole = errno == 0;
    ::closedir(dir);
    if (!whole) return false;
    listing.state = FolderState::of(folderStat);
    listing.kept = listingCanBeKept(folderStat, listedAt);
    return true;
}

std::mutex g_mutex;
std::unordered_map<std::string, Listing>& listings() {
    // An object, not a pointer left to the end of the process: the host may
    // unload the library, and what it kept must go with it.  Nothing that
    // resolves a path runs while the library's statics are destroyed.
    static std::unordered_map<std::string, Listing> cache;
    return cache;
}

}  // namespace

FolderState FolderState::of(const struct stat& folderStat) {
    return {folderStat.st_dev, folderStat.st_ino, folderStat.st_mtim, folderStat.st_ctim};
}

// An entry made or removed after the listing started is stamped no earlier
// than the stamp clock read then (`listedAt`).  When that reading lies
// beyond the folder's last change by more than a step of its times, such a
// change gives the folder new times, and the listing holds for as long as
// they stay.  A listing taken sooner (in the tick of the last change) could
// miss an entry that leaves the times as they were, so it serves only the
// call that made it: a run that has just written in a folder lists it again
// for about one tick of the kernel's clock (1 to 10 ms), not longer.
bool listingCanBeKept(const struct stat& folderStat, const timespec& listedAt) {
    const std::int64_t step = timeStepNs(folderStat);
    // FAT's times go in steps of two seconds, though they read as whole ones.
    const std::int64_t marginNs =
        (step == 1'000'000'000 ? 2 * step : std::max<std::int64_t>(2 * step, 1'000'000)) +
        kStampClockLeadNs;
    const std::int64_t changed =
        std::max(nanoseconds(folderStat.st_mtim), nanoseconds(folderStat.st_ctim));
    return changed + marginNs < nanoseconds(listedAt);
}

std::optional<std::string> findNoCase(const std::string& folder, const struct stat& folderStat,
                                      const std::string& name) {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto& cache = listings();
    auto at = cache.find(folder);
    if (at == cache.end() || !at->second.describes(folderStat)) {
        if (at == cache.end() && cache.size() >= kMaxFolders) cache.clear();
        Listing fresh;
        if (!list(folder, folderStat, fresh)) {
            cache.erase(folder);
            return std::nullopt;
        }
        at = cache.insert_or_assign(folder, std::move(fresh)).first;
    }
    const auto match = at->second.byFoldedName.find(foldedAscii(name));
    if (match == at->second.byFoldedName.end()) return std::nullopt;
    return match->second.first;
}

KeptAnswer findInKeptListing(const std::string& folder, std::string& name,
                             FolderState* answeredAt) {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto& cache = listings();
    const auto at = cache.find(folder);
    if (at == cache.end() || !at->second.kept) return KeptAnswer::unknown;
    struct stat folderStat {};
    countResolverCall();
    if (fileCalls.stat(folder.c_str(), &folderStat) != 0 || !at->second.describes(folderStat))
        return KeptAnswer::unknown;
    const Listing& listing = at->second;
    if (answeredAt) *answeredAt = listing.state;
    // One look-up answers nearly every call: the name is missing, or its
    // only spelling is the one wanted or the one to use instead.
    const auto match = listing.byFoldedName.find(foldedAscii(name));
    if (match == listing.byFoldedName.end()) return KeptAnswer::missing;
    const auto& spellings = match->second;
    if (name != spellings.first && !(spellings.several && listing.names.count(name) != 0))
        name = spellings.first;
    return KeptAnswer::found;
}

ResolverCalls resolverCalls() { return {g_fileSystemCalls.load(), g_listings.load()}; }

void countResolverCall() { ++g_fileSystemCalls; }

}  // namespace mfg::platform::posix

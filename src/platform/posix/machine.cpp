#include "platform/posix/machine.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/platform.h"
#include "platform/posix/file_calls.h"
#include "platform/posix/folder_listing.h"
#include "text/codepage.h"

namespace mfg::platform::posix {
namespace {

char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

void stripTrailingSlashes(std::string& folder) {
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
}

// One allocation: the trace's flag file is joined so before every message.
std::string joinNative(const std::string& folder, const std::string& name) {
    std::string path;
    path.reserve(folder.size() + 1 + name.size());
    path += folder;
    if (folder != "/") path += '/';
    path += name;
    return path;
}

// The entry of `folder` that `name` stands for: the exact name when it exists,
// else the first entry (in byte order) equal to it without regard to case,
// else the name itself.  False when nothing of that name exists.  A folder
// with a valid kept listing answers from it (one stat of the folder: the
// trace's flag file is looked for that way before every message).  Else the
// exact name is tried first and alone: when it exists, as nearly every name
// a run uses does, the folder is not listed at all.  `keptAnswerAt`, when
// given, receives the folder's state when a kept listing answered, else none.
bool matchComponent(const std::string& folder, std::string& name,
                    std::optional<FolderState>* keptAnswerAt = nullptr) {
    FolderState answeredAt;
    if (keptAnswerAt) keptAnswerAt->reset();
    switch (findInKeptListing(folder, name, &answeredAt)) {
        case KeptAnswer::found:
            if (keptAnswerAt) *keptAnswerAt = answeredAt;
            return true;
        case KeptAnswer::missing:
            if (keptAnswerAt) *keptAnswerAt = answeredAt;
            return false;
        case KeptAnswer::unknown:
            break;
    }
    struct stat entry {};
    countResolverCall();
    if (fileCalls.lstat(joinNative(folder, name).c_str(), &entry) == 0) return true;
    if (errno != ENOENT) return false;  // not a folder, or not one we may search
    struct stat folderStat {};
    countResolverCall();
    if (fileCalls.stat(folder.c_str(), &folderStat) != 0 || !S_ISDIR(folderStat.st_mode))
        return false;
    const std::optional<std::string> match = findNoCase(folder, folderStat, name);
    if (!match) return false;
    name = *match;
    countResolverCall();
    return fileCalls.lstat(joinNative(folder, name).c_str(), &entry) == 0;
}

// Calls `use(component)` for each component of `rest` split at '\' and '/',
// stepping over double-byte characters so that a trail byte 0x5C is not a
// separator.  Components are slices of `rest`: nothing is copied.
template <typename Use>
void forEachComponent(std::string_view rest, const text::CodePage& cp, Use use) {
    std::size_t start = 0;
    const bool doubleByte = cp.isDoubleByte();
    for (std::size_t i = 0; i < rest.size();) {
        const unsigned len = doubleByte ? cp.charLength(rest.data(), rest.size(), i) : 1;
        if (len == 1 && (rest[i] == '\\' || rest[i] == '/')) {
            if (i > start) use(rest.substr(start, i - start));
            start = i + 1;
        }
        i += len;
    }
    if (rest.size() > start) use(rest.substr(start));
}

// A path that MFGLIST_FILES places, or of one name in a drive's root, as the
// trace's flag file and log are: within a run, where it lies depends only on
// the held settings, so only the name itself is searched for again.  A run
// uses a few such paths in turn (flag, log, temporary section files).
struct RootPathMemo {
    RootPathMemo(std::string path, bool isPlaced, std::string folderOrFile,
                 std::string nameInFolder)
        : windowsPath(std::move(path)),
          placed(isPlaced),
          folder(std::move(folderOrFile)),
          name(std::move(nameInFolder)) {}

    std::string windowsPath;
    bool placed = false;
    std::string folder;  // placed: the native file; else the drive's folder
    std::string name;    // the name as the path spells it
    // The name's last look-up when a kept listing answered it, and the state
    // of the folder then: while one stat finds the folder in that state, it
    // holds what the listing saw, and the answer stands without the
    // listing's look-ups (the trace's flag file is checked before every
    // message).
    std::optional<FolderState> answeredAt;
    bool answerExists = false;
    std::string answerName;  // the spelling found, or `name`

    bool answerStands() const {
        if (!answeredAt) return false;
        struct stat folderStat;  // filled by the call, read only when it succeeds
        countResolverCall();
        return fileCalls.stat(folder.c_str(), &folderStat) == 0 &&
               answeredAt->describes(folderStat);
    }
};
constexpr std::size_t kRootPathMemos = 4;

// The settings of the run this thread is in, while it holds them.
struct RunHold {
    int depth = 0;
    HeldRunSettings settings;
    std::vector<RootPathMemo> rootPaths;
    std::size_t nextRootPath = 0;  // the one to replace when all are used

    void remember(RootPathMemo memo) {
        if (rootPaths.size() < kRootPathMemos) {
            rootPaths.push_back(std::move(memo));
            return;
        }
        rootPaths[nextRootPath] = std::move(memo);
        nextRootPath = (nextRootPath + 1) % kRootPathMemos;
    }
};
thread_local RunHold t_runHold;

// Calls `use(letter, folder)` for each well-formed entry of MFGLIST_DRIVES,
// in order (a later entry for a letter overrides an earlier one).
// Malformed entries are skipped.
template <typename Use>
void forEachDriveMapping(Use use) {
    std::string_view rest;
    if (const HeldRunSettings* held = heldRunSettings()) {
        if (held->drives) rest = *held->drives;
    } else if (const char* value = std::getenv("MFGLIST_DRIVES")) {
        rest = value;
    }
    while (!rest.empty()) {
        const std::size_t end = rest.find(';');
        std::string_view item = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        const std::size_t eq = item.find('=');
        if (eq != 1) continue;
        const char letter = upperAscii(item[0]);
        std::string_view folder = item.substr(2);
        if (letter < 'A' || letter > 'Z' || folder.empty() || folder[0] != '/') continue;
        use(letter, folder);
    }
}

// One drive's folder, into `folder` (whose room is used again), read without
// building the whole map: every path a run resolves asks for one.  False
// when the drive is not mapped.
bool driveFolder(char letter, std::string& folder) {
    letter = upperAscii(letter);
    std::optional<std::string_view> found;
    forEachDriveMapping([&](char mapped, std::string_view mappedFolder) {
        if (mapped == letter) found = mappedFolder;
    });
    if (found) {
        folder.assign(*found);
    } else if (letter == 'Z') {
        folder.assign("/");
    } else {
        return false;
    }
    stripTrailingSlashes(folder);
    return true;
}

bool sameWithoutCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return upperAscii(x) == upperAscii(y);
           });
}

// The native file MFGLIST_FILES places `windowsPath` at, if it names it (a
// later item for the same path overrides an earlier one).
std::optional<std::string_view> placedFile(std::string_view windowsPath) {
    std::string_view rest;
    if (const HeldRunSettings* held = heldRunSettings()) {
        if (!held->files) return std::nullopt;
        rest = *held->files;
    } else if (const char* value = std::getenv("MFGLIST_FILES")) {
        rest = value;
    }
    std::optional<std::string_view> found;
    while (!rest.empty()) {
        const std::size_t end = rest.find(';');
        const std::string_view item = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        const std::size_t eq = item.find('=');
        if (eq == std::string_view::npos || eq + 1 >= item.size() || item[eq + 1] != '/') continue;
        if (sameWithoutCase(item.substr(0, eq), windowsPath)) found = item.substr(eq + 1);
    }
    return found;
}

// Where a path the run remembers lies now (see RootPathMemo); nullopt when
// the run has not remembered it.
std::optional<ResolvedPath> rememberedPath(RunHold& hold, std::string_view windowsPath,
                                           bool nativeIfMissing) {
    for (RootPathMemo& memo : hold.rootPaths) {
        if (memo.windowsPath != windowsPath) continue;
        if (memo.placed) return ResolvedPath{memo.folder, false};
        if (!memo.answerStands()) {
            memo.answerName = memo.name;
            memo.answerExists = matchComponent(memo.folder, memo.answerName, &memo.answeredAt);
        }
        const bool exists = memo.answerExists;
        if (!exists && !nativeIfMissing) return ResolvedPath{std::string(), true};
        return ResolvedPath{joinNative(memo.folder, memo.answerName), !exists};
    }
    return std::nullopt;
}

// A path's components walked from a root folder.  Each is searched in the
// folder the ones before it name; below a name that does not exist nothing
// does.  No name holds a '/', so ".." goes back to the last one, never above
// the root.  Every path a run uses comes through here, the trace's flag file
// before every message: nothing is allocated per component that need not be.
struct ComponentWalk {
    std::string folder;  // the root and the names resolved so far
    std::size_t rootSize = 0;
    bool folderExists = true;
    int steps = 0;  // every component, "." and ".." included
    std::string_view lastPart;
    std::string name;  // the component being searched, its room kept

    void step(std::string_view part) {
        ++steps;
        lastPart = part;
        if (part == ".") return;
        if (part == "..") {
            const std::size_t lastSlash = folder.rfind('/');
            folder.resize(lastSlash == std::string::npos ? rootSize
                                                         : std::max(rootSize, lastSlash));
            folderExists = true;
            return;
        }
        name.assign(part);
        folderExists = folderExists && matchComponent(folder, name);
        if (folder != "/") folder += '/';
        folder += name;
    }
};

std::string currentDirectory() {
    std::vector<char> buffer(4096);
    if (::getcwd(buffer.data(), buffer.size())) return buffer.data();
    return "/";
}

}  // namespace

const HeldRunSettings* heldRunSettings() {
    return t_runHold.depth > 0 ? &t_runHold.settings : nullptr;
}

std::vector<DriveMapping> driveMap() {
    std::vector<DriveMapping> map;
    forEachDriveMapping([&](char letter, std::string_view folder) {
        map.erase(std::remove_if(map.begin(), map.end(),
                                 [&](const DriveMapping& m) { return m.letter == letter; }),
                  map.end());
        map.push_back({letter, std::string(folder)});
        stripTrailingSlashes(map.back().folder);
    });
    const bool hasZ =
        std::any_of(map.begin(), map.end(), [](const DriveMapping& m) { return m.letter == 'Z'; });
    if (!hasZ) map.push_back({'Z', "/"});
    return map;
}

std::optional<std::string> resolvePath(std::string_view windowsPath) {
    std::optional<ResolvedPath> resolved = resolvePathNoting(windowsPath);
    if (!resolved) return std::nullopt;
    return std::move(resolved->native);
}

std::optional<ResolvedPath> resolvePathNoting(std::string_view windowsPath, bool nativeIfMissing) {
    windowsPath =
        std::string_view(windowsPath.data(), ::strnlen(windowsPath.data(), windowsPath.size()));
    if (windowsPath.empty()) return std::nullopt;
    RunHold& hold = t_runHold;  // one look-up of the thread's own
    const bool held = hold.depth > 0;
    if (held) {
        std::optional<ResolvedPath> remembered = rememberedPath(hold, windowsPath, nativeIfMissing);
        if (remembered) return remembered;
    }
    if (const std::optional<std::string_view> placed = placedFile(windowsPath)) {
        if (held)
            t_runHold.remember(
                RootPathMemo(std::string(windowsPath), true, std::string(*placed), {}));
        return ResolvedPath{std::string(*placed), false};
    }

    ComponentWalk walk;
    const auto step = [&walk](std::string_view part) { walk.step(part); };
    const text::CodePage cp = text::CodePage::active();
    const bool hasDrive = windowsPath.size() >= 2 && windowsPath[1] == ':' &&
                          std::isalpha(static_cast<unsigned char>(windowsPath[0]));
    if (hasDrive) {
        // One allocation for the root and every name after it.
        walk.folder.reserve(windowsPath.size() + 128);
        if (!driveFolder(windowsPath[0], walk.folder)) return std::nullopt;
        walk.rootSize = walk.folder.size();
        const std::string root = held ? walk.folder : std::string();
        // "C:name" is relative to the drive's current directory, which on
        // this machine is always the drive's root.
        forEachComponent(windowsPath.substr(2), cp, step);
        if (held && walk.steps == 1 && walk.lastPart != "." && walk.lastPart != "..")
            t_runHold.remember(
                RootPathMemo(std::string(windowsPath), false, root, std::string(walk.lastPart)));
    } else if (windowsPath[0] == '\\' || windowsPath[0] == '/') {
        if (windowsPath.size() >= 2 && (windowsPath[1] == '\\' || windowsPath[1] == '/'))
            return std::nullopt;  // network paths do not exist on this machine
        const std::string cwd = toWindowsPath(currentDirectory());
        if (!driveFolder(cwd[0], walk.folder)) return std::nullopt;
        walk.rootSize = walk.folder.size();
        forEachComponent(windowsPath, cp, step);
    } else {
        walk.folder = "/";
        walk.rootSize = 1;
        // Components of the current directory are native already: resolving
        // them again is harmless, since their exact spelling exists.
        const std::string cwd = currentDirectory();
        forEachComponent(cwd, cp, step);
        forEachComponent(windowsPath, cp, step);
    }

    ResolvedPath path;
    path.native = std::move(walk.folder);
    path.knownMissing = !walk.folderExists;
    return path;
}

std::string toWindowsPath(const std::string& nativePath) {
    const DriveMapping* best = nullptr;
    std::vector<DriveMapping> map = driveMap();
    for (const DriveMapping& m : map) {
        const bool holds =
            m.folder == "/" || nativePath == m.folder ||
            (nativePath.compare(0, m.folder.size(), m.folder) == 0 &&
             nativePath.size() > m.folder.size() && nativePath[m.folder.size()] == '/');
        if (holds && (!best || m.folder.size() > best->folder.size())) best = &m;
    }
    if (!best) return "Z:" + nativePath;
    std::string rest = best->folder == "/" ? nativePath : nativePath.substr(best->folder.size());
    std::replace(rest.begin(), rest.end(), '/', '\\');
    if (rest.empty()) rest = "\\";
    return std::string(1, best->letter) + ":" + rest;
}

}  // namespace mfg::platform::posix

namespace mfg::platform {

RunSettingsHeld::RunSettingsHeld() {
    posix::RunHold& hold = posix::t_runHold;
    if (hold.depth++ > 0) return;
    hold.rootPaths.clear();
    hold.nextRootPath = 0;
    const char* drives = std::getenv("MFGLIST_DRIVES");
    hold.settings.drives = drives ? std::optional<std::string>(drives) : std::nullopt;
    const char* files = std::getenv("MFGLIST_FILES");
    hold.settings.files = files ? std::optional<std::string>(files) : std::nullopt;
    const char* debugTarget = std::getenv("MFGLIST_DEBUG_OUTPUT");
    hold.settings.debugOutput =
        debugTarget ? std::optional<std::string>(debugTarget) : std::nullopt;
    hold.settings.codePage = posix::codePageOfEnvironment();
}

RunSettingsHeld::~RunSettingsHeld() { --posix::t_runHold.depth; }

}  // namespace mfg::platform

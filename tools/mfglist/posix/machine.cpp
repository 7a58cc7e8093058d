#include "run/machine.h"

#include <map>
#include <system_error>

#include "common/errors.h"
#include "scratch/scratch_machine.h"

namespace fs = std::filesystem;

namespace mfgtool {
namespace {

using mfg::scratch::environment;
using mfg::scratch::setEnvironment;

char upperLetter(char letter) {
    return letter >= 'a' && letter <= 'z' ? static_cast<char>(letter - 'a' + 'A') : letter;
}

// The drive of the system directory: the library keeps its temporary
// section file at that drive's root, so the drive must exist and be
// writable or every look-up in a process file comes back empty.
char systemDrive() {
    const std::optional<std::string> dir = environment("MFGLIST_SYSTEM_DIR");
    if (dir && dir->size() >= 2 && (*dir)[1] == ':') {
        const char letter = upperLetter((*dir)[0]);
        if (letter >= 'A' && letter <= 'Z') return letter;
    }
    return 'C';
}

std::map<char, fs::path> parseDriveMap(const std::string& map) {
    std::map<char, fs::path> drives;
    for (std::size_t at = 0; at < map.size();) {
        std::size_t end = map.find(';', at);
        if (end == std::string::npos) end = map.size();
        const std::string item = map.substr(at, end - at);
        if (item.size() >= 2 && item[1] == '=')
            drives.emplace(upperLetter(item[0]), item.substr(2));
        at = end + 1;
    }
    return drives;
}

// A Windows path on the drives of `drives` (Z: is "/" unless mapped), each
// component found without regard to case where the exact one is missing,
// as the library finds it.
std::optional<fs::path> resolve(const std::map<char, fs::path>& drives, const std::string& path) {
    if (path.size() < 2 || path[1] != ':') return std::nullopt;
    const char letter = upperLetter(path[0]);
    const auto drive = drives.find(letter);
    if (drive == drives.end() && letter != 'Z') return std::nullopt;
    fs::path native = drive == drives.end() ? fs::path("/") : drive->second;
    std::size_t at = 2;
    while (at < path.size()) {
        std::size_t end = path.find_first_of("\\/", at);
        if (end == std::string::npos) end = path.size();
        const std::string part = path.substr(at, end - at);
        at = end + 1;
        if (part.empty()) continue;
        fs::path next = native / part;
        std::error_code ec;
        if (!fs::exists(next, ec)) {
            for (fs::directory_iterator it(native, ec), stop; !ec && it != stop; it.increment(ec)) {
                const std::string name = it->path().filename().string();
                if (name.size() == part.size() &&
                    std::equal(name.begin(), name.end(), part.begin(),
                               [](char a, char b) { return upperLetter(a) == upperLetter(b); })) {
                    next = it->path();
                    break;
                }
            }
        }
        native = next;
    }
    return native;
}

// MFGLIST_WINVER as this process found it: a machine that asks for no
// version leaves the library this one, whatever an earlier machine of the
// same process asked for.
const std::optional<std::string>& ownWinver() {
    static const std::optional<std::string> own = environment("MFGLIST_WINVER");
    return own;
}

class PosixMachine : public LibraryMachine {
public:
    explicit PosixMachine(const fs::path& scratch) {
        (void)ownWinver();
        mfg::scratch::DriveFolders made = mfg::scratch::makeDriveFolders(scratch, "CD");
        if (made.error)
            throw RunError("cannot make the scratch drive " + made.failed.string() + ": " +
                           made.error.message());
        drives_ = std::move(made.drives);
        const char system = systemDrive();
        if (!drives_.count(system)) drives_[system] = scratch / "c";
    }

    std::string reach(const fs::path& folder, char preferredDrive) override {
        std::error_code ec;
        fs::path native = fs::weakly_canonical(fs::absolute(folder, ec), ec);
        if (ec) native = folder;
        for (const auto& [letter, mapped] : drives_)
            if (mapped == native && !isScratch(letter)) return std::string(1, letter) + ":\\";
        char letter = preferredDrive;
        if (drives_.count(letter)) {
            // Z: stays the library's view of "/", as without a drive map.
            for (letter = 'E'; letter < 'Z' && drives_.count(letter); ++letter) {}
            if (letter == 'Z') throw RunError("no free drive letter left for " + native.string());
        }
        drives_[letter] = native;
        return std::string(1, letter) + ":\\";
    }

    fs::path fixedFile(char drive, const std::string& name) const override {
        return drives_.at(drive) / name;
    }

    std::optional<fs::path> nativePath(const std::string& path) const override {
        return resolve(drives_, path);
    }

    Windows settleWindows(std::optional<Windows> wanted) override {
        // The library's own rule: only 6.0 on a workstation is Vista.
        const std::optional<std::string>& winver = ownWinver();
        const Windows own = winver && *winver == "6.0" ? Windows::vista : Windows::xp;
        if (!wanted) return own;
        winver_ = *wanted == Windows::vista ? "6.0" : "5.1";
        return *wanted;
    }

    void publish(const DynamicModule&) override {
        setEnvironment("MFGLIST_DRIVES", mfg::scratch::driveMapText(drives_));
        // No file of the user's is placed in this machine.  The library's own
        // fixed files are, at the very files its drives lead to: the same
        // files, without resolving the path name by name (and checking the
        // folder's listing) before every message of the trace.
        const char system = systemDrive();
        std::string files;
        for (const auto& [windowsPath, native] :
             {std::pair{std::string("C:\\vrelDebug.flg"), fixedFile('C', "vrelDebug.flg")},
              std::pair{std::string("D:\\ombrix_drvinst.log"),
                        fixedFile('D', "ombrix_drvinst.log")},
              std::pair{std::string("D:\\temp.ini"), fixedFile('D', "temp.ini")},
              std::pair{std::string(1, system) + ":\\Temp.ini", fixedFile(system, "Temp.ini")}}) {
            if (!files.empty()) files += ';';
            files += windowsPath + "=" + native.string();
        }
        setEnvironment("MFGLIST_FILES", files);
        setEnvironment("MFGLIST_WINVER", winver_ ? winver_ : ownWinver());
    }

    std::vector<std::string> notes() const override { return {}; }

private:
    bool isScratch(char letter) const {
        return letter == 'C' || letter == 'D' || letter == systemDrive();
    }

    std::map<char, fs::path> drives_;
    std::optional<std::string> winver_;
};

}  // namespace

std::unique_ptr<LibraryMachine> makeLibraryMachine(const fs::path& scratch) {
    return std::make_unique<PosixMachine>(scratch);
}

void applyHostMachine(const std::optional<std::string>& drives,
                      const std::optional<std::string>& winver) {
    if (drives) checkDriveMap(*drives);
    if (winver) checkWinver(*winver);
    if (drives) setEnvironment("MFGLIST_DRIVES", drives);
    if (winver) setEnvironment("MFGLIST_WINVER", winver);
}

void traceIntoSideFiles(const DynamicModule&, const fs::path& flag, const fs::path& log) {
    // The library's machine places single files through MFGLIST_FILES; a
    // later item wins over one the user set for the same path.
    const std::optional<std::string> placed = environment("MFGLIST_FILES");
    std::string files = placed ? *placed + ";" : std::string();
    files += "C:\\vrelDebug.flg=" + flag.string() + ";D:\\ombrix_drvinst.log=" + log.string();
    setEnvironment("MFGLIST_FILES", files);
    setEnvironment("MFGLIST_DEBUG_OUTPUT", std::nullopt);
}

std::optional<fs::path> hostNativePath(const std::string& path, std::string& why) {
    const std::optional<std::string> map = environment("MFGLIST_DRIVES");
    std::optional<fs::path> native = resolve(parseDriveMap(map ? *map : ""), path);
    if (!native)
        why = path.size() >= 2 && path[1] == ':'
                  ? "drive " + path.substr(0, 2) + " is not mapped (--drives, MFGLIST_DRIVES)"
                  : "the path has no drive letter";
    return native;
}

}  // namespace mfgtool

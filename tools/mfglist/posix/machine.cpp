#include "machine.h"

#include <cstdlib>
#include <map>
#include <system_error>

#include "errors.h"

namespace fs = std::filesystem;

namespace mfgtool {
namespace {

std::optional<std::string> environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

// The drive of the system directory: the library keeps its temporary
// section file at that drive's root, so the drive must exist and be
// writable or every look-up in a process file comes back empty.
char systemDrive() {
    const std::optional<std::string> dir = environment("MFGLIST_SYSTEM_DIR");
    if (dir && dir->size() >= 2 && (*dir)[1] == ':') {
        const char letter = (*dir)[0];
        if (letter >= 'a' && letter <= 'z') return static_cast<char>(letter - 'a' + 'A');
        if (letter >= 'A' && letter <= 'Z') return letter;
    }
    return 'C';
}

class PosixMachine : public LibraryMachine {
public:
    explicit PosixMachine(const fs::path& scratch) {
        std::error_code ec;
        for (const char* name : {"c", "d"}) {
            fs::create_directories(scratch / name, ec);
            if (ec)
                throw RunError("cannot make the scratch drive " + (scratch / name).string() + ": " +
                               ec.message());
        }
        drives_['C'] = scratch / "c";
        drives_['D'] = scratch / "d";
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
            for (letter = 'E'; letter < 'Z' && drives_.count(letter); ++letter) {
            }
            if (letter == 'Z') throw RunError("no free drive letter left for " + native.string());
        }
        drives_[letter] = native;
        return std::string(1, letter) + ":\\";
    }

    fs::path fixedFile(char drive, const std::string& name) const override {
        return drives_.at(drive) / name;
    }

    Windows settleWindows(std::optional<Windows> wanted) override {
        if (wanted) {
            winver_ = *wanted == Windows::Vista ? "6.0" : "5.1";
            return *wanted;
        }
        // The library's own rule: only 6.0 on a workstation is Vista.
        const std::optional<std::string> winver = environment("MFGLIST_WINVER");
        return winver && *winver == "6.0" ? Windows::Vista : Windows::Xp;
    }

    void publish() override {
        std::string map;
        for (const auto& [letter, folder] : drives_) {
            if (!map.empty()) map += ';';
            map += std::string(1, letter) + "=" + folder.string();
        }
        ::setenv("MFGLIST_DRIVES", map.c_str(), 1);
        if (winver_) ::setenv("MFGLIST_WINVER", winver_->c_str(), 1);
    }

    std::vector<std::pair<char, fs::path>> mappedDrives() const override {
        return {drives_.begin(), drives_.end()};
    }

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
    if (drives) ::setenv("MFGLIST_DRIVES", drives->c_str(), 1);
    if (winver) ::setenv("MFGLIST_WINVER", winver->c_str(), 1);
}

}  // namespace mfgtool

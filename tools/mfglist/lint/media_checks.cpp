// Media: the programs an entry names must be on the media the factory line
// or the CD-ROM carries, where $TESTDIR and $MFGPROCPATH point.
#include <filesystem>
#include <map>
#include <string>

#include "checks.h"
#include "common/text_encoding.h"
#include "items/macros.h"
#include "text/mbstring.h"

namespace mfgtool::lint {

namespace fs = std::filesystem;
using mfg::items::Key;
using mfg::items::keyName;

namespace {

// What the macros of the media root expand to: a name no real path holds.
constexpr char kMediaRoot[] = "\x01MEDIA\x01\\";
constexpr char kWindowsDir[] = "C:\\WINDOWS";

// Finds paths below the media root as the library resolves them: each name
// without regard to ASCII case, the exact spelling first.  Folders are
// listed once.
class MediaFolder {
public:
    explicit MediaFolder(fs::path root) : root_(std::move(root)) {}

    // The missing part of `relative` (backslash-separated), "" when found.
    std::string missingPart(const std::string& relative) {
        fs::path at = root_;
        std::string walked;
        std::size_t start = 0;
        while (start <= relative.size()) {
            const std::size_t end = std::min(relative.find('\\', start), relative.size());
            const std::string name = relative.substr(start, end - start);
            start = end + 1;
            if (name.empty() || name == ".") continue;
            walked += (walked.empty() ? "" : "\\") + name;
            const std::optional<fs::path> next = find(at, name);
            if (!next) return walked;
            at = *next;
        }
        return {};
    }

private:
    std::optional<fs::path> find(const fs::path& folder, const std::string& name) {
        if (name == "..") return folder.parent_path();
        auto [entries, added] = listings_.try_emplace(folder.string());
        if (added) {
            std::error_code error;
            for (fs::directory_iterator it(folder, error), end; !error && it != end;
                 it.increment(error))
                entries->second.push_back(it->path().filename().string());
        }
        const std::string lower = lowerAscii(name);
        std::optional<fs::path> found;
        for (const std::string& entry : entries->second) {
            if (entry == name) return folder / entry;
            if (!found && lowerAscii(entry) == lower) found = folder / entry;
        }
        return found;
    }

    fs::path root_;
    std::map<std::string, std::vector<std::string>> listings_;
};

}  // namespace

void checkMedia(FileCheck& check) {
    if (!check.options.mediaRoot) return;
    MediaFolder media(*check.options.mediaRoot);
    const std::string root = kMediaRoot;
    for (const SectionView& section : check.view.sections) {
        if (!check.isListable(section)) continue;
        const std::string packetName(
            mfg::text::trimAsciiSpace(check.value(section, Key::packetName)));
        const mfg::items::MacroValues values{root, root, section.trimmedName, packetName,
                                             kWindowsDir};
        for (Key k : check.programKeys()) {
            const KeyLine* key = check.key(section, k);
            if (!key || key->value.empty()) continue;
            const std::string path = mfg::items::expandMacros(key->value, values, check.cp);
            if (path.compare(0, root.size(), root) != 0) continue;  // not on the media
            const std::string relative = path.substr(root.size());
            const std::string missing = media.missingPart(relative);
            if (missing.empty()) continue;
            check.report(key->line, key->valueColumn, "missing-on-media",
                         std::string(keyName(k)) + " names " + relative +
                             ", which is not on the media: " + missing + " is missing",
                         "copy the program to the media, or correct the path");
        }
    }
}

}  // namespace mfgtool::lint

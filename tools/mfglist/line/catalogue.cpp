#include "catalogue.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <map>
#include <system_error>

#include "common/errors.h"
#include "common/text_encoding.h"
#include "ids/id_file.h"
#include "items/filters.h"
#include "text/mbstring.h"

namespace fs = std::filesystem;

namespace mfgtool {

namespace {

// README, NOTES, README.md.txt, notes-2026: the word alone, or followed by
// anything that does not make it part of a longer word (notesbook is a
// model).
bool isNoteName(const std::string& stem) {
    const std::string lower = lowerAscii(stem);
    for (const std::string word : {"readme", "notes"})
        if (lower.compare(0, word.size(), word) == 0 &&
            (lower.size() == word.size() || !std::isalnum(static_cast<unsigned char>(lower[word.size()]))))
            return true;
    return false;
}

// The entry of a catalogue that claims a role: a regular file, or a link
// to one.  Anything else is refused by name, since a model or an ignore
// file that silently drops out makes an answer look complete.
void checkIsFile(const fs::path& file, const std::string& what) {
    std::error_code ec;
    const fs::file_status own = fs::symlink_status(file, ec);
    if (fs::is_symlink(own) && !fs::exists(file, ec)) {
        const fs::path target = fs::read_symlink(file, ec);
        throw UsageError(what + " " + file.string() + " is a link to " + target.string() +
                         ", which does not exist");
    }
    if (!fs::is_regular_file(file, ec))
        throw UsageError(what + " " + file.string() + " is not a file");
}

// The file's bytes, read as an ID file (which refuses what is not text),
// every message naming the file as `what`.
std::string idFileBytes(const fs::path& file, const std::string& what, int codePage,
                        std::size_t* idCount = nullptr) {
    checkIsFile(file, what);
    std::ifstream in(file, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!in.is_open() || in.bad()) throw UsageError("cannot read " + what + " " + file.string());
    const std::size_t ids = idsFromText(bytes, IdLines::tidy, codePage, what + " " + file.string()).size();
    if (idCount) *idCount = ids;
    return bytes;
}

bool sameFile(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    return fs::equivalent(a, b, ec);
}

}  // namespace

CatalogueRole catalogueRole(const std::string& fileName) {
    const fs::path name(fileName);
    if (fileName.empty() || fileName[0] == '.') return CatalogueRole::other;
    const std::string extension = lowerAscii(name.extension().string());
    if (extension != ".ids" && extension != ".txt") return CatalogueRole::other;
    if (lowerAscii(fileName) == kIgnoreFileName) return CatalogueRole::ignoreFile;
    if (isNoteName(name.stem().string())) return CatalogueRole::note;
    return CatalogueRole::model;
}

std::vector<CatalogueModel> readCatalogue(const fs::path& folder, int codePage,
                                          const std::optional<fs::path>& ignore) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        throw UsageError("no catalogue folder " + folder.string() +
                         "; give --models the folder of the models' ID files");
    std::vector<fs::path> files;
    fs::directory_iterator it(folder, ec);
    for (const fs::directory_iterator end; !ec && it != end; it.increment(ec))
        if (catalogueRole(it->path().filename().string()) == CatalogueRole::model &&
            !(ignore && sameFile(it->path(), *ignore)))
            files.push_back(it->path());
    if (ec) throw UsageError("cannot list the catalogue folder " + folder.string() + ": " + ec.message());
    std::sort(files.begin(), files.end());
    if (files.empty())
        throw UsageError("the catalogue " + folder.string() +
                         " holds no model: give it one ID file per model, named MODEL.ids");
    // A model's name is its list file's name too, and file systems that
    // ignore case would make two such lists one.
    std::map<std::string, fs::path> byName;
    std::vector<CatalogueModel> models;
    for (const fs::path& file : files) {
        CatalogueModel model;
        model.name = file.stem().string();
        model.file = file;
        const auto [first, added] = byName.emplace(lowerAscii(model.name), file);
        if (!added)
            throw UsageError("the model files " + first->second.string() + " and " + file.string() +
                             " both give the model name " + model.name + "; rename one");
        const std::string bytes = idFileBytes(file, "the model file", codePage, &model.idCount);
        bool unicode = false;
        model.header = readIdFileHeader(decodeIdsText(bytes, unicode));
        models.push_back(std::move(model));
    }
    return models;
}

std::optional<fs::path> ignoreFile(const fs::path& folder, const std::optional<std::string>& given,
                                   int codePage) {
    std::error_code ec;
    std::optional<fs::path> file;
    if (given) {
        if (!fs::exists(fs::symlink_status(*given, ec)))
            throw UsageError("no ignore file " + *given +
                             "; give --ignore a file of device IDs, one a line");
        file = fs::path(*given);
    } else {
        fs::directory_iterator it(folder, ec);
        for (const fs::directory_iterator end; !ec && it != end; it.increment(ec)) {
            if (catalogueRole(it->path().filename().string()) != CatalogueRole::ignoreFile) continue;
            if (file)
                throw UsageError("the catalogue holds two ignore files, " + file->string() + " and " +
                                 it->path().string() + "; keep one");
            file = it->path();
        }
    }
    if (file) (void)idFileBytes(*file, "the ignore file", codePage);
    return file;
}

std::vector<std::string> withoutIgnored(const std::vector<std::string>& ids,
                                        const std::vector<std::string>& ignore, bool hardwareIds,
                                        int codePage) {
    const mfg::text::CodePage cp(static_cast<unsigned>(codePage));
    std::vector<std::string> upperIgnore;
    for (const std::string& entry : ignore) upperIgnore.push_back(mfg::text::toUpperAscii(entry, cp));
    std::vector<std::string> kept;
    for (const std::string& id : ids) {
        // The ID in the place of a host's, each ignore entry in the place of
        // a section's: the same look-up that decides a match in a run.
        const char* one[] = {id.c_str()};
        const mfg::items::HostIds host(1, one, cp);
        const bool ignored = std::any_of(upperIgnore.begin(), upperIgnore.end(), [&](const std::string& e) {
            return host.firstMatch(e, hardwareIds) >= 0;
        });
        if (!ignored) kept.push_back(id);
    }
    return kept;
}

}  // namespace mfgtool

#include "catalogue.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <map>
#include <system_error>

#include "common/errors.h"
#include "common/text_encoding.h"
#include "ids/id_devices.h"
#include "ids/id_file.h"

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
            (lower.size() == word.size() ||
             !std::isalnum(static_cast<unsigned char>(lower[word.size()]))))
            return true;
    return false;
}

// The entry of a catalogue that claims a role: a regular file, or a link
// to one.  Anything else is refused by name, since a model or an ignore
// file that silently drops out makes an answer look complete.
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
    if (ec)
        throw UsageError("cannot list the catalogue folder " + folder.string() + ": " +
                         ec.message());
    std::sort(files.begin(), files.end(), [](const fs::path& a, const fs::path& b) {
        return naturalLess(a.stem().string(), b.stem().string()) ||
               (a.stem() == b.stem() && a.filename() < b.filename());
    });
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

}  // namespace mfgtool

#include "catalogue.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <system_error>

#include "common/errors.h"
#include "common/text_encoding.h"
#include "ids/id_file.h"
#include "items/filters.h"
#include "text/mbstring.h"

namespace fs = std::filesystem;

namespace mfgtool {

bool isModelFile(const fs::path& file) {
    std::error_code ec;
    const std::string name = file.filename().string();
    if (name.empty() || name[0] == '.' || lowerAscii(name) == kIgnoreFileName) return false;
    const std::string extension = lowerAscii(file.extension().string());
    return (extension == ".ids" || extension == ".txt") && fs::is_regular_file(file, ec);
}

std::vector<CatalogueModel> readCatalogue(const fs::path& folder, int codePage) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        throw UsageError("no catalogue folder " + folder.string() +
                         "; give --models the folder of the models' ID files");
    std::vector<fs::path> files;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (isModelFile(it->path())) files.push_back(it->path());
    std::sort(files.begin(), files.end(), [](const fs::path& a, const fs::path& b) {
        return naturalLess(a.stem().string(), b.stem().string()) ||
               (a.stem() == b.stem() && a.filename() < b.filename());
    });
    if (files.empty())
        throw UsageError("the catalogue " + folder.string() +
                         " holds no model: give it one ID file per model, named MODEL.ids");
    std::vector<CatalogueModel> models;
    for (const fs::path& file : files) {
        std::ifstream in(file, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        if (!in.is_open() || in.bad())
            throw UsageError("cannot read the model file " + file.string());
        bool unicode = false;
        CatalogueModel model;
        model.name = file.stem().string();
        model.file = file;
        model.header = readIdFileHeader(decodeIdsText(bytes, unicode));
        model.idCount = idsFromText(bytes, IdLines::tidy, codePage, "the model file " +
                                                                       file.string()).size();
        models.push_back(std::move(model));
    }
    return models;
}

std::optional<fs::path> ignoreFile(const fs::path& folder, const std::optional<std::string>& given) {
    std::error_code ec;
    if (given) {
        if (!fs::is_regular_file(*given, ec))
            throw UsageError("no ignore file " + *given +
                             "; give --ignore a file of device IDs, one a line");
        return fs::path(*given);
    }
    const fs::path inCatalogue = folder / kIgnoreFileName;
    if (fs::is_regular_file(inCatalogue, ec)) return inCatalogue;
    return std::nullopt;
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

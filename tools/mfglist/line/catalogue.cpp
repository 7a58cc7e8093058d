#include "catalogue.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <system_error>

#include "common/errors.h"
#include "common/text_encoding.h"
#include "ids/id_file.h"

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
    std::sort(files.begin(), files.end());
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

}  // namespace mfgtool

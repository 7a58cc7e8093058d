#include "id_file_check.h"

#include <algorithm>
#include <cctype>
#include <set>

#include "common/file_reads.h"
#include "common/process_file_view.h"
#include "ids/id_file.h"
#include "ids/id_file_header.h"
#include "listjob/cdrom_files.h"
#include "mfglist/mfglist.h"

namespace fs = std::filesystem;

namespace mfgtool {
namespace {

bool sameNameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// The lengths of the HARDIDs of the driver files the run reads, as the
// library's reader finds them.
std::vector<std::size_t> hardIdLengths(const Plan& plan) {
    const std::vector<std::string> files =
        plan.cdrom ? std::vector<std::string>{mfg::kMatchedDriversFile, mfg::kConfigDriversFile}
                   : std::vector<std::string>{"MfgProc.ini"};
    const mfg::text::CodePage codePage(static_cast<unsigned>(plan.codePage));
    std::set<std::size_t> lengths;
    std::error_code ec;
    for (fs::directory_iterator it(plan.folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (std::none_of(files.begin(), files.end(),
                         [&](const std::string& file) { return sameNameIgnoringCase(name, file); }))
            continue;
        const ProcessFileView view = viewProcessFile(fileBytes(it->path()), codePage);
        for (const SectionView& section : view.sections)
            if (const std::string id = section.value("HARDID", codePage); !id.empty())
                lengths.insert(id.size());
    }
    return {lengths.begin(), lengths.end()};
}

}  // namespace

std::optional<std::string> idFileFormWarning(const RunOptions& options, const Plan& plan) {
    if (!options.idsFile || *options.idsFile == "-" || plan.listKind != LIST_DRIVER)
        return std::nullopt;
    bool unicode = false;
    const IdFileHeader header =
        readIdFileHeader(decodeIdsText(fileBytes(*options.idsFile), unicode));
    if (header.form.empty()) return std::nullopt;
    const std::string warning = formMismatch(header, hardIdLengths(plan));
    if (warning.empty()) return std::nullopt;
    return "the IDs file " + *options.idsFile + " was " + warning;
}

}  // namespace mfgtool

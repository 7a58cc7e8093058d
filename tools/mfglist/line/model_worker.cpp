#include "model_worker.h"

#include <fstream>

#include "catalogue.h"
#include "common/errors.h"
#include "common/system.h"
#include "common/text_encoding.h"
#include "ids/id_file.h"
#include "present/explain_report.h"
#include "run/in_process_core.h"
#include "run/library.h"
#include "run/list_sources.h"
#include "run/plan.h"
#include "run/scratch_run.h"

namespace mfgtool {
namespace {

Json modelRun(const ModelWorkerOptions& options) {
    Plan plan = planRun(options);
    if (options.list) planOutput(plan, *options.list);
    const ListLibrary library = loadListLibrary(options.library, programFolder());
    const LibraryRun run = runInScratchMachine(plan, library);
    // The core's run, for the fate of every section; its list is checked
    // against the loaded library's below.
    ExplainJournal journal(plan.ids);
    Plan again = plan;
    again.output.reset();
    const LibraryRun core = runObserved(again, journal);
    const ReportContext context{plan, core, kInProcessCoreName, false};
    const auto text = [&](const std::string& bytes) {
        return decodeCodePage(bytes, plan.codePage).utf8;
    };

    Json result = Json::object();
    result["list_written"] = run.list.written;
    result["entry_count"] = run.list.entries.size();
    result["no_list"] = run.noList ? Json(*run.noList) : Json(nullptr);
    result["windows"] = windowsName(run.windows);
    result["same_as_core"] = core.listBytes == run.listBytes;
    // On Windows the library names the real folder, which differs between
    // two folders compared; impact writes it "<folder>\" as the JSON does.
    result["folder_for_library"] = text(run.folderForLibrary);
    Json sections = Json::array();
    for (const SectionRecord& record : journal.sections()) {
        Json section = Json::object();
        section["file"] = fileInFolder(record.place.file, core.folderForLibrary, plan.codePage);
        section["section"] = text(record.place.section);
        section["line"] = record.place.line;
        section["position"] = record.fate == Fate::listed && record.listSection
                                  ? Json(*record.listSection)
                                  : Json(nullptr);
        section["reason"] = sectionFateText(context, journal, record);
        sections.push_back(section);
    }
    result["sections"] = sections;
    const bool matchesIds = runMatchesIds(plan);
    result["ids_matched"] = matchesIds;
    Json uncovered = Json::array();
    if (matchesIds) {
        std::vector<std::string> ignore;
        if (options.ignore) ignore = readIdsFile(*options.ignore, IdLines::tidy, plan.codePage);
        const bool hardwareIds = plan.listKind == LIST_DRIVER;
        for (const std::string& id :
             withoutIgnored(journal.unmatchedIds(), ignore, hardwareIds, plan.codePage))
            uncovered.push_back(text(id));
    }
    result["uncovered_ids"] = uncovered;
    return result;
}

}  // namespace

int runModelWorker(const ModelWorkerOptions& options) {
    Json result;
    int status = kExitOk;
    try {
        result = modelRun(options);
    } catch (const UsageError& e) {
        status = kExitBadUse;
        result = {{"error", e.what()}};
    } catch (const LibraryError& e) {
        status = kExitLibraryProblem;
        result = {{"error", e.what()}};
    } catch (const std::exception& e) {
        status = kExitRunFailed;
        result = {{"error", e.what()}};
    }
    result["exit_status"] = status;
    std::ofstream out(options.result, std::ios::binary);
    out << result.dump(-1, ' ', false, Json::error_handler_t::replace);
    return status;
}

}  // namespace mfgtool

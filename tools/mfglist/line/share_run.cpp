#include "share_run.h"

#include <cstdint>
#include <fstream>
#include <map>

#include "catalogue.h"
#include "entry_verdict.h"
#include "common/errors.h"
#include "common/file_writes.h"
#include "common/stop_signals.h"
#include "common/system.h"
#include "common/text_encoding.h"
#include "ids/id_file.h"
#include "run/in_process_core.h"
#include "run/library.h"
#include "run/list_coverage.h"
#include "run/list_sources.h"
#include "run/plan.h"
#include "run/preview_problems.h"
#include "run/scratch_run.h"
#include "run/section_words.h"

namespace mfgtool {
namespace {

// What the models of one share have in common: the sections' places and the
// reasons' texts, each written once in the result and named by its index.
// A share of 50 models over 300 sections names each place 50 times and most
// reasons as often, and the parent reads the result faster the less text it
// holds.
class SharedTexts {
public:
    std::size_t placeIndex(const std::string& file, const std::string& section, std::uint64_t line) {
        Json place = Json::array({file, section, line});
        const std::string key = place.dump();
        const auto [at, added] = placeIndexes_.emplace(key, places_.size());
        if (added) places_.push_back(std::move(place));
        return at->second;
    }
    std::size_t reasonIndex(const std::string& reason) {
        const auto [at, added] = reasonIndexes_.emplace(reason, reasons_.size());
        if (added) reasons_.push_back(reason);
        return at->second;
    }
    Json& places() { return places_; }
    Json& reasons() { return reasons_; }

private:
    std::map<std::string, std::size_t> placeIndexes_, reasonIndexes_;
    Json places_ = Json::array();
    Json reasons_ = Json::array();
};

// A model's run in the words of the line's reports: media without a file of
// the list kind is told as such, whatever list came of it.
const char* modelOutcome(const RunVerdict& verdict, const PreviewProblems& problems) {
    const std::string label = verdict.label;
    if (label == "failed") return kOutcomeFailed;
    if (!problems.missingFiles.empty()) return kOutcomeMissingFiles;
    if (label == "ok") return kOutcomeWritten;
    if (label == "empty") return kOutcomeEmpty;
    return kOutcomeNoList;
}

Json modelRun(const ModelWorkerOptions& options, const ModelInShare& model,
              const ListLibrary& library, const std::vector<std::string>& ignore,
              SharedTexts& shared) {
    RunOptions runOptions = options;
    runOptions.kind = model.kind;
    runOptions.windows = model.windows;
    runOptions.idsFile = model.idsFile;
    Plan plan = planRun(runOptions);
    planOutput(plan, model.list);
    LibraryRun run = runInScratchMachine(
        plan, library, RunNeeds{/*trace=*/true, /*parsedList=*/true, /*traceLines=*/false});
    // What preview would say of this run, and the status it would give.
    const PreviewProblems problems = findPreviewProblems(plan, run.list, windowsName(run.windows));
    nameUnusableFiles(run, problems);
    const RunVerdict verdict =
        previewVerdict(run, problems, /*allowEmpty=*/false, /*allowMissing=*/false);
    // The core's run, for the fate of every section; its list is checked
    // against the loaded library's below.  The loaded run's trace explains
    // a missing list; the core's needs none, nor its list parsed.
    ExplainJournal journal(plan.ids);
    Plan again = plan;
    again.output.reset();
    RunNeeds coreNeeds{/*trace=*/false, /*parsedList=*/false};
    coreNeeds.compareWith = &run.listBytes;
    const LibraryRun core = runInScratchMachine(again, inProcessCore(journal, CoreTrace::none), coreNeeds);
    const auto text = [&](const std::string& bytes) {
        return decodeCodePage(bytes, plan.codePage).utf8;
    };

    Json result = Json::object();
    result["list_written"] = run.list.written;
    result["entry_count"] = run.list.entries.size();
    result["no_list"] = run.noList ? Json(*run.noList) : Json(nullptr);
    result["outcome"] = {{"label", modelOutcome(verdict, problems)},
                         {"status", verdict.status},
                         {"missing_files", problems.missingFiles}};
    // The entries preview marks: nothing to run for the model's Windows, a
    // macro or '%' left, a relative path.  [position, why] each.
    Json entryProblems = Json::array();
    for (std::size_t i = 0; i < problems.entryProblems.size(); ++i)
        if (!problems.entryProblems[i].empty())
            entryProblems.push_back(Json::array({i, problems.entryProblems[i]}));
    result["entry_problems"] = std::move(entryProblems);
    result["windows"] = windowsName(run.windows);
    result["same_as_core"] =
        core.list.written ? run.list.written && core.sameAsCompared : !run.list.written;
    // On Windows the library names the real folder, which differs between
    // two folders compared; impact writes it "<folder>\" as the JSON does.
    result["folder_for_library"] = text(run.folderForLibrary);
    // Each section as [place, position or null, reason], the place and the
    // reason indexes into the share's tables.
    Json sections = Json::array();
    for (const SectionRecord& record : journal.sections()) {
        const std::size_t place =
            shared.placeIndex(fileInFolder(record.place.file, core.folderForLibrary, plan.codePage),
                              text(record.place.section), record.place.line);
        const Json position = record.fate == Fate::listed && record.listSection
                                  ? Json(*record.listSection)
                                  : Json(nullptr);
        sections.push_back(
            Json::array({place, position, shared.reasonIndex(sectionFateText(plan, core, journal, record))}));
    }
    result["sections"] = std::move(sections);
    // Beside each section, aligned with "sections": its outcome's name and
    // the place of the entry that stood in its way (null when none), from
    // the journal's own data for the line's dead entries.
    Json outcomes = Json::array();
    for (const SectionRecord& record : journal.sections()) {
        const Json other =
            record.other && record.fate != Fate::listed
                ? Json(shared.placeIndex(fileInFolder(record.other->file, core.folderForLibrary, plan.codePage),
                                         text(record.other->section), record.other->line))
                : Json(nullptr);
        outcomes.push_back(Json::array({outcomeName(outcomeOf(record)), other}));
    }
    result["section_outcomes"] = std::move(outcomes);
    result["ids_matched"] = runMatchesIds(plan);
    // A failed run's list is none at all: its devices are not uncovered,
    // the run is what went wrong.
    if (!run.failed)
        if (const std::optional<DeviceCoverage> coverage = listCoverage(plan, run.list, ignore))
            result["coverage"] = coverageJson(*coverage, plan.codePage);
    return result;
}

// Runs `action`, giving the status its error has (0 when none) and the
// error's words in `error`.
template <typename Action>
int statusOf(Action action, std::string& error) {
    try {
        action();
        return kExitOk;
    } catch (const UsageError& e) {
        error = e.what();
        return kExitBadUse;
    } catch (const LibraryError& e) {
        error = e.what();
        return kExitLibraryProblem;
    } catch (const std::exception& e) {
        error = e.what();
        return kExitRunFailed;
    }
}

std::vector<ModelInShare> readShare(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    const Json share = Json::parse(in, nullptr, false);
    if (share.is_discarded() || !share.is_array())
        throw RunError("the worker's share " + file + " cannot be read");
    std::vector<ModelInShare> models;
    for (const Json& item : share) {
        ModelInShare model;
        model.kind = item.value("kind", "driver");
        if (item.contains("windows")) model.windows = item["windows"].get<std::string>();
        if (item.contains("ids_file")) model.idsFile = item["ids_file"].get<std::string>();
        model.list = item.value("list", "");
        models.push_back(std::move(model));
    }
    return models;
}

}  // namespace

Json shareJson(const std::vector<ModelInShare>& models) {
    Json share = Json::array();
    for (const ModelInShare& model : models) {
        Json item = {{"kind", model.kind}, {"list", model.list}};
        if (model.windows) item["windows"] = *model.windows;
        if (model.idsFile) item["ids_file"] = *model.idsFile;
        share.push_back(std::move(item));
    }
    return share;
}

int runModelWorker(const ModelWorkerOptions& options) {
    // A worker serves one run: once its parent is gone, it cleans up and ends.
    stopWithParent(options.parent);
    std::vector<ModelInShare> models;
    std::optional<ListLibrary> library;
    std::vector<std::string> ignore;
    // What every model needs, once per worker: a failure here is each model's.
    std::string setupError;
    const int setupStatus = statusOf(
        [&] {
            models = readShare(options.share);
            library = loadListLibrary(options.library, programFolder());
            if (options.ignore)
                ignore = readIdsFile(*options.ignore, IdLines::tidy, libraryCodePage());
        },
        setupError);
    Json results = Json::array();
    SharedTexts shared;
    int firstStatus = setupStatus;
    for (const ModelInShare& model : models) {
        Json result;
        std::string error = setupError;
        const int status = setupStatus != kExitOk
                               ? setupStatus
                               : statusOf([&] { result = modelRun(options, model, *library, ignore, shared); },
                                          error);
        if (status != kExitOk) result = {{"error", error}};
        result["exit_status"] = status;
        if (firstStatus == kExitOk) firstStatus = status;
        results.push_back(std::move(result));
    }
    const Json share = {{"places", std::move(shared.places())},
                        {"reasons", std::move(shared.reasons())},
                        {"models", std::move(results)}};
    replaceFileWhole(options.result, share.dump(-1, ' ', false, Json::error_handler_t::replace));
    return firstStatus;
}

}  // namespace mfgtool

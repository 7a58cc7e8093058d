#include "share_run.h"

#include "catalogue.h"
#include "common/errors.h"
#include "common/file_reads.h"
#include "common/file_writes.h"
#include "common/json_text.h"
#include "common/stop_signals.h"
#include "common/system.h"
#include "common/text_encoding.h"
#include "entry_verdict.h"
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

Plan modelPlan(const ModelWorkerOptions& options, const ModelInShare& model) {
    RunOptions runOptions = options;
    runOptions.kind = model.kind;
    runOptions.windows = model.windows;
    runOptions.idsFile = model.idsFile;
    Plan plan = planRun(runOptions);
    planOutput(plan, model.list);
    return plan;
}

// Each section the core's run read, with the place of the entry that stood
// in its way, from the journal's own data for the line's dead entries.
std::vector<SectionInRun> sectionsOf(const Plan& plan, const LibraryRun& core,
                                     const ExplainJournal& journal) {
    const auto shownPlace = [&](const SectionPlace& place) {
        return SectionPlace{fileInFolder(place.file, core.folderForLibrary, plan.codePage),
                            decodeCodePage(place.section, plan.codePage).utf8, place.line};
    };
    std::vector<SectionInRun> sections;
    sections.reserve(journal.sections().size());
    for (const SectionRecord& record : journal.sections()) {
        SectionInRun section;
        section.place = shownPlace(record.place);
        if (record.fate == Fate::listed) section.position = record.listSection;
        section.reason = sectionFateText(plan, core, journal, record);
        section.outcome = outcomeOf(record);
        if (record.other && record.fate != Fate::listed) section.other = shownPlace(*record.other);
        sections.push_back(std::move(section));
    }
    return sections;
}

// The model's devices no listed entry claims.  A failed run's list is none
// at all: its devices are not uncovered, the run is what went wrong.
std::optional<ShownCoverage> shownCoverage(const Plan& plan, const LibraryRun& run,
                                           const std::vector<std::string>& ignore) {
    if (run.failed) return std::nullopt;
    const std::optional<DeviceCoverage> coverage = listCoverage(plan, run.list, ignore);
    if (!coverage) return std::nullopt;
    ShownCoverage shown;
    shown.devices = coverage->devices;
    shown.ignored = coverage->ignored;
    shown.uncoveredDevices = shownDevices(coverage->uncovered, plan.codePage);
    for (const IdDevice& device : shown.uncoveredDevices)
        shown.uncoveredIds.insert(shown.uncoveredIds.end(), device.ids.begin(), device.ids.end());
    return shown;
}

ModelResult modelRun(const ModelWorkerOptions& options, const ModelInShare& model,
                     const ListLibrary& library, const std::vector<std::string>& ignore) {
    const Plan plan = modelPlan(options, model);
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
    const LibraryRun core =
        runInScratchMachine(again, inProcessCore(journal, CoreTrace::none), coreNeeds);

    ModelResult result;
    result.listWritten = run.list.written;
    result.entryCount = run.list.entries.size();
    result.noList = run.noList;
    result.outcome = modelOutcome(verdict, problems);
    result.outcomeStatus = verdict.status;
    result.missingFiles = problems.missingFiles;
    // The entries preview marks: nothing to run for the model's Windows, a
    // macro or '%' left, a relative path.
    for (std::size_t i = 0; i < problems.entryProblems.size(); ++i)
        if (!problems.entryProblems[i].empty())
            result.entryProblems.emplace_back(static_cast<int>(i), problems.entryProblems[i]);
    result.windows = windowsName(run.windows);
    result.sameAsCore =
        core.list.written ? run.list.written && core.sameAsCompared : !run.list.written;
    // On Windows the library names the real folder, which differs between
    // two folders compared; impact writes it "<folder>\" as the JSON does.
    result.folderForLibrary = decodeCodePage(run.folderForLibrary, plan.codePage).utf8;
    result.sections = sectionsOf(plan, core, journal);
    result.idsMatched = runMatchesIds(plan);
    result.coverage = shownCoverage(plan, run, ignore);
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
    try {
        return readWorkerShare(fileBytes(file)).models;
    } catch (const ProtocolError& e) {
        throw RunError("the worker's share " + file + " cannot be read: " + e.what());
    }
}

}  // namespace

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
    WorkerResult results;
    int firstStatus = setupStatus;
    for (const ModelInShare& model : models) {
        ModelResult result;
        std::string error = setupError;
        const int status =
            setupStatus != kExitOk
                ? setupStatus
                : statusOf([&] { result = modelRun(options, model, *library, ignore); }, error);
        if (status != kExitOk) result = ModelResult{};
        result.exitStatus = status;
        result.error = status != kExitOk ? error : std::string();
        if (firstStatus == kExitOk) firstStatus = status;
        results.models.push_back(std::move(result));
    }
    replaceFileWhole(options.result, workerResultText(results));
    return firstStatus;
}

}  // namespace mfgtool

#include "line_runs.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <optional>
#include <thread>
#include <unordered_map>

#include "common/errors.h"
#include "common/file_reads.h"
#include "common/file_writes.h"
#include "common/options.h"
#include "common/process_file_view.h"
#include "common/system.h"
#include "common/text_encoding.h"
#include "run/library.h"
#include "run/list_coverage.h"
#include "run/plan.h"
#include "run/scratch_run.h"
#include "run/self_process.h"
#include "share_run.h"
#include "worker_protocol.h"

namespace fs = std::filesystem;

namespace mfgtool {
namespace {

// The command line of the worker that runs the models of `share`.
std::vector<std::string> workerArgs(const LineOptions& options, const std::string& folder,
                                    const std::optional<fs::path>& ignore, const fs::path& share,
                                    const fs::path& result) {
    std::vector<std::string> args = {
        kModelWorkerCommand, folder,          "--share",  share.string(),
        "--result",          result.string(), "--parent", std::to_string(processId())};
    if (options.cdrom) args.push_back("--cdrom");
    if (options.group) args.insert(args.end(), {"--group", *options.group});
    if (options.callFactory) args.push_back("--callfactory");
    if (options.library) args.insert(args.end(), {"--library", *options.library});
    if (ignore) args.insert(args.end(), {"--ignore", ignore->string()});
    return args;
}

// A worker costs a process and a load of the library before its first
// model, which a few models' runs repay only: bench/jobs_bench.py measures
// where a second worker starts to pay (4 to 8 models over a 300-entry
// media).  So the default gives each worker this many models at least, and
// a small catalogue runs in one worker, never slower than --jobs 1.
constexpr std::size_t kModelsPerWorker = 8;

unsigned defaultJobs(std::size_t models) {
    const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
    return static_cast<unsigned>(std::max<std::size_t>(
        1, std::min(cores, (models + kModelsPerWorker - 1) / kModelsPerWorker)));
}

// Each worker's share of the models, dealt in turn: neighbours in the
// catalogue go to different workers.
std::vector<std::vector<std::size_t>> sharesOf(std::size_t models, unsigned workers) {
    std::vector<std::vector<std::size_t>> shares(std::max(1u, workers));
    for (std::size_t m = 0; m < models; ++m) shares[m % shares.size()].push_back(m);
    return shares;
}

// A row's key, as the line's reports name it: "DrvProc.ini:51:VGA_C0DE".
std::string rowId(const std::string& file, std::uint64_t line, const std::string& section) {
    return file + ":" + std::to_string(line) + ":" + section;
}

[[noreturn]] void throwWorkerError(const CatalogueModel& model, int status,
                                   const ModelResult* result) {
    const std::string message = "model " + model.name + ": " +
                                (result ? result->error
                                        : "its worker process stopped with status " +
                                              std::to_string(status) + " and no result");
    if (status == kExitBadUse) throw UsageError(message);
    if (status == kExitLibraryProblem) throw LibraryError(message);
    throw RunError(message);
}

// One model's run from its worker's result.
ModelRun modelRunFrom(const CatalogueModel& model, ModelResult&& result, const std::string& kind,
                      const fs::path& list) {
    ModelRun run;
    run.model = model;
    run.displayName = model.header.model.empty() ? model.name : model.header.model;
    run.kind = kind;
    run.windows = std::move(result.windows);
    run.listWritten = result.listWritten;
    run.entryCount = result.entryCount;
    run.noList = std::move(result.noList);
    run.outcome = std::move(result.outcome);
    run.outcomeStatus = result.outcomeStatus;
    run.missingFiles = std::move(result.missingFiles);
    run.entryProblems = std::move(result.entryProblems);
    run.idsMatched = result.idsMatched;
    run.folderForLibrary = std::move(result.folderForLibrary);
    if (result.coverage) {
        run.devices = result.coverage->devices;
        run.ignoredDevices = result.coverage->ignored;
        run.uncoveredDevices = std::move(result.coverage->uncoveredDevices);
        run.uncoveredIds = std::move(result.coverage->uncoveredIds);
    }
    run.sections.reserve(result.sections.size());
    for (SectionInRun& section : result.sections) {
        SectionFate fate;
        fate.file = std::move(section.place.file);
        fate.section = std::move(section.place.section);
        fate.fileLine = section.place.line;
        fate.position = section.position;
        fate.reason = std::move(section.reason);
        fate.outcome = section.outcome;
        if (section.other)
            fate.otherId = rowId(section.other->file, section.other->line, section.other->section);
        run.sections.push_back(std::move(fate));
    }
    if (run.listWritten) run.listFile = list;
    if (model.idCount == 0 && run.idsMatched) run.warnings.push_back("the ID file holds no IDs");
    if (!result.sameAsCore)
        run.warnings.push_back(
            "the core linked into mfglist wrote a different list than the loaded library; the "
            "positions and reasons shown are the core's");
    return run;
}

// A worker's result; none when the worker wrote none.
std::optional<WorkerResult> readResultFile(const fs::path& file) {
    const std::optional<std::string> bytes = readFileWhole(file);
    if (!bytes) return std::nullopt;
    try {
        return readWorkerResult(*bytes);
    } catch (const ProtocolError& e) {
        throw RunError("the worker's result " + file.string() + " cannot be read: " + e.what());
    }
}

// The model's list written whole over `folder`/MODEL.ini (through a link,
// over its target), on whatever file system the folder is; a model that
// gets no list now has none there, so that an earlier run's list is never
// taken for this run's.  Done once every model has run: a run that stops
// before leaves the earlier lists as they were.
void keepList(ModelRun& run, const fs::path& folder) {
    const fs::path kept = folder / (run.model.name + ".ini");
    if (run.listFile.empty()) {
        std::error_code ec;
        if (fs::remove(kept, ec); ec)
            throw RunError("cannot remove the earlier run's list " + kept.string() + ": " +
                           ec.message());
        return;
    }
    replaceFileWhole(kept, fileBytes(run.listFile));
    run.listFile = kept;
}

// The rows: every section a run read that is an entry (it has a NAME, an
// ID or a program) or that some model lists, in the order of the files as
// first read and of their lines.
std::vector<LineRow> rowsOf(const std::vector<ModelRun>& models, FolderSections& sections) {
    const int codePage = libraryCodePage();
    const mfg::text::CodePage cp(static_cast<unsigned>(codePage));
    std::vector<std::string> fileOrder;
    std::map<std::pair<std::size_t, std::uint64_t>, LineRow> rows;
    for (std::size_t m = 0; m < models.size(); ++m) {
        for (const SectionFate& fate : models[m].sections) {
            auto file = std::find(fileOrder.begin(), fileOrder.end(), fate.file);
            if (file == fileOrder.end()) file = fileOrder.insert(fileOrder.end(), fate.file);
            const auto key =
                std::make_pair(static_cast<std::size_t>(file - fileOrder.begin()), fate.fileLine);
            auto found = rows.find(key);
            if (found == rows.end()) {
                LineRow row;
                row.id = rowId(fate.file, fate.fileLine, fate.section);
                row.file = fate.file;
                row.section = fate.section;
                row.fileLine = fate.fileLine;
                row.positions.assign(models.size(), std::nullopt);
                row.reasons.assign(models.size(), "not read in this model's run");
                row.outcomes.assign(models.size(), SectionOutcome::notRead);
                row.others.assign(models.size(), std::string());
                found = rows.emplace(key, std::move(row)).first;
            }
            found->second.positions[m] = fate.position;
            found->second.reasons[m] = fate.reason;
            found->second.outcomes[m] = fate.outcome;
            found->second.others[m] = fate.otherId;
        }
    }
    std::vector<LineRow> entries;
    SectionLookup lookup(cp);
    for (auto& [key, row] : rows) {
        bool entry = false;
        if (const SectionView* section = sections.at(row.file, row.fileLine)) {
            lookup.index(section->text);
            const auto value = [&](const char* k) {
                return decodeCodePage(lookup.value(k), codePage).utf8;
            };
            row.name = value("NAME");
            row.type = value("TYPE");
            row.hardId = value("HARDID");
            entry = !row.name.empty() || !row.hardId.empty() || !value("PACKETNAME").empty() ||
                    !value("EXEPATH").empty();
        }
        if (entry || row.listed()) entries.push_back(std::move(row));
    }
    return entries;
}

}  // namespace

FolderSections::Found FolderSections::find(const std::string& file, std::uint64_t line) {
    // Each file read once and its sections found by their header's line: a
    // walk of the file per row made the line's cost grow with the square of
    // the media.
    auto found = files_.find(file);
    if (found == files_.end()) {
        const mfg::text::CodePage cp(static_cast<unsigned>(libraryCodePage()));
        IndexedFile indexed{scanProcessFile(fileBytes(folder_ / file), cp), {}, {}};
        for (std::size_t i = 0; i < indexed.view.sections.size(); ++i)
            indexed.byLine.emplace(indexed.view.sections[i].line, i);
        indexed.keysRead.assign(indexed.view.sections.size(), false);
        found = files_.emplace(file, std::move(indexed)).first;
    }
    const auto section = found->second.byLine.find(line);
    if (section == found->second.byLine.end()) return {};
    return {&found->second, section->second};
}

const SectionView* FolderSections::at(const std::string& file, std::uint64_t line) {
    const Found found = find(file, line);
    return found.file ? &found.file->view.sections[found.section] : nullptr;
}

const SectionView* FolderSections::withKeys(const std::string& file, std::uint64_t line) {
    const Found found = find(file, line);
    if (!found.file) return nullptr;
    SectionView& section = found.file->view.sections[found.section];
    if (!found.file->keysRead[found.section]) {
        readSectionKeys(section, mfg::text::CodePage(static_cast<unsigned>(libraryCodePage())));
        found.file->keysRead[found.section] = true;
    }
    return &section;
}

bool ModelRun::hasGap() const { return outcome != kOutcomeWritten || !uncoveredDevices.empty(); }

int lineOutcomeStatus(const LineRun& line, std::string& label) {
    const auto first = [&](const char* outcome) {
        return std::find_if(line.models.begin(), line.models.end(),
                            [&](const ModelRun& run) { return run.outcome == outcome; });
    };
    if (first(kOutcomeFailed) != line.models.end()) {
        label = "failed";
        return kExitListRunFailed;
    }
    const auto missing = first(kOutcomeMissingFiles);
    label = missing != line.models.end() ? "incomplete" : "ok";
    return missing != line.models.end() ? missing->outcomeStatus : kExitOk;
}

void requireWholeRuns(const LineRun& line, const std::string& which) {
    std::string label;
    const int status = lineOutcomeStatus(line, label);
    for (const ModelRun& run : line.models) {
        if (run.outcome != (status == kExitListRunFailed ? kOutcomeFailed : kOutcomeMissingFiles))
            continue;
        const std::string model = which + ", model " + run.model.name + ": ";
        if (status == kExitListRunFailed)
            throw FailedRunError(model + "run failed: " + run.noList.value_or("no reason given"));
        std::string files;
        for (const std::string& file : run.missingFiles)
            files += (files.empty() ? "" : ", ") + file;
        const std::string message = model + "the media lacks " + files +
                                    ", a CD-ROM file of the list kind; the lists compared would "
                                    "not be the line's";
        if (run.outcomeStatus == kExitNoList) throw NoListError(message);
        throw IncompleteError(message);
    }
}

void addRequireRunnableOption(CLI::App& command, bool& requireRunnable) {
    command.add_flag(
        "--require-runnable", requireRunnable,
        "Status 1 when a listed entry has nothing a host can run (as preview marks it)");
}

bool hasUnrunnableEntries(const LineRun& line) {
    return std::any_of(line.models.begin(), line.models.end(),
                       [](const ModelRun& run) { return !run.entryProblems.empty(); });
}

bool LineRow::listed() const {
    return std::any_of(positions.begin(), positions.end(),
                       [](const std::optional<int>& p) { return p.has_value(); });
}

bool LineRow::candidate() const {
    return std::any_of(outcomes.begin(), outcomes.end(), isCandidate);
}

bool LineRow::dead() const { return !listed() && candidate(); }

EntryVerdict LineRow::verdict() const { return entryVerdict(outcomes, others); }

void addLineOptions(CLI::App& command, LineOptions& options, bool withFolder) {
    if (withFolder)
        command
            .add_option(
                "FOLDER", options.folder,
                "Folder of the process files (MfgProc.ini, or the CD-ROM files with --cdrom)")
            ->required();
    command
        .add_option("--models", options.models,
                    "The model catalogue: a folder of ID files, one per model (MODEL.ids)")
        ->required();
    addRunModeOptions(command, options);
    command.add_option("--kind", options.kind,
                       "List kind: driver (default), software or all-software; a model's "
                       "'# kind:' header wins");
    command.add_option("--windows", options.windows,
                       "Windows the library targets: xp or vista (default: this machine's); a "
                       "model's '# windows:' header wins");
    command.add_option("--library", options.library,
                       "The library file to load; by default the one beside this program, else "
                       "the one in the build tree");
    command.add_option("--ignore", options.ignore,
                       "File of device IDs that need no driver, one a line (default: ignore.ids "
                       "in the catalogue)");
    command.add_option("--jobs", options.jobs,
                       "Models run at once, each worker process running its share of them "
                       "(default: the cores, but one for every 8 models at most)");
    command.add_option("--lists", options.lists,
                       "Keep each model's list file in this folder, as MODEL.ini");
}

namespace {

// What each model's worker is told, and where its list is written.
struct ModelsToRun {
    std::vector<std::string> kinds;
    std::vector<fs::path> lists;
    std::vector<ModelInShare> inShare;
};

ModelsToRun modelsToRun(const LineOptions& options, const std::vector<CatalogueModel>& models,
                        const fs::path& listFolder, const std::vector<ReadFile>& reads,
                        const ScratchFolder& exchange) {
    ModelsToRun run;
    for (const CatalogueModel& model : models) {
        run.kinds.push_back(model.header.kind.value_or(options.kind));
        refuseOutputOverInput(listFolder / (model.name + ".ini"), "--lists", reads);
        run.lists.push_back(exchange.path() /
                            ("list-" + std::to_string(run.inShare.size()) + ".ini"));
        ModelInShare item;
        item.kind = run.kinds.back();
        item.windows = model.header.windows ? model.header.windows : options.windows;
        // The complete software list takes no IDs.
        if (item.kind != "all-software") item.idsFile = model.file.string();
        item.list = run.lists.back().string();
        run.inShare.push_back(std::move(item));
    }
    return run;
}

// Each model's result from the workers, one worker per job, each loading
// the library once for its share; none for a model whose worker stopped
// before writing its results or before reading its share, and the status
// that worker ended with in `workerStatus`.
std::vector<std::optional<ModelResult>> workerResults(const LineOptions& options,
                                                      const std::string& absoluteFolder,
                                                      const std::optional<fs::path>& ignore,
                                                      const std::vector<ModelInShare>& inShare,
                                                      const ScratchFolder& exchange,
                                                      std::vector<int>& workerStatus) {
    const std::size_t models = inShare.size();
    const unsigned jobs = options.jobs.value_or(defaultJobs(models));
    const std::vector<std::vector<std::size_t>> shares =
        sharesOf(models, static_cast<unsigned>(std::min<std::size_t>(jobs, models)));
    std::vector<std::vector<std::string>> argLists;
    for (std::size_t w = 0; w < shares.size(); ++w) {
        std::vector<ModelInShare> share;
        for (std::size_t m : shares[w]) share.push_back(inShare[m]);
        const fs::path shareFile = exchange.path() / ("share-" + std::to_string(w) + ".json");
        replaceFileWhole(shareFile, workerShareText(WorkerShare{share}));
        argLists.push_back(workerArgs(options, absoluteFolder, ignore, shareFile,
                                      exchange.path() / ("result-" + std::to_string(w) + ".json")));
    }
    const std::vector<int> statuses = runSelfInParallel(argLists, jobs);

    std::vector<std::optional<ModelResult>> resultOf(models);
    workerStatus.assign(models, kExitOk);
    for (std::size_t w = 0; w < shares.size(); ++w) {
        for (std::size_t m : shares[w]) workerStatus[m] = statuses[w];
        const fs::path file = exchange.path() / ("result-" + std::to_string(w) + ".json");
        std::optional<WorkerResult> result = readResultFile(file);
        if (!result || (statuses[w] != kExitOk && result->models.size() != shares[w].size()))
            continue;
        if (result->models.size() != shares[w].size())
            throw RunError("the worker's result " + file.string() + " holds " +
                           std::to_string(result->models.size()) + " models for a share of " +
                           std::to_string(shares[w].size()));
        for (std::size_t i = 0; i < shares[w].size(); ++i)
            resultOf[shares[w][i]] = std::move(result->models[i]);
    }
    return resultOf;
}

// A capture form that cannot match the process files' HARDIDs.
void warnOfFormMismatches(LineRun& line) {
    std::vector<std::size_t> hardIdLengths;
    for (const LineRow& row : line.rows)
        if (!row.hardId.empty() && std::find(hardIdLengths.begin(), hardIdLengths.end(),
                                             row.hardId.size()) == hardIdLengths.end())
            hardIdLengths.push_back(row.hardId.size());
    for (ModelRun& run : line.models)
        if (run.kind == "driver" && run.idsMatched)
            if (std::string mismatch = formMismatch(run.model.header, hardIdLengths);
                !mismatch.empty())
                run.warnings.insert(run.warnings.begin(), mismatch);
}

}  // namespace

LineRun runLine(const LineOptions& options, const std::string& folder, const fs::path& listFolder) {
    if (options.jobs && *options.jobs == 0)
        throw UsageError("--jobs 0 runs nothing; give 1 or more");
    RunOptions base = options;
    base.folder = folder;
    base.ids.clear();
    base.idsFile.reset();
    if (options.kind != "all-software" && options.kind != "driver" && options.kind != "software")
        throw UsageError("unknown list kind " + options.kind +
                         "; use --kind driver, software or all-software");
    // The folder and options, checked once for every model.
    std::vector<ReadFile> reads = planRun(base).reads;
    const int codePage = libraryCodePage();
    const std::optional<fs::path> ignore = ignoreFile(options.models, options.ignore, codePage);
    const std::vector<CatalogueModel> models = readCatalogue(options.models, codePage, ignore);
    for (const CatalogueModel& model : models) reads.push_back({model.file, "the model file"});
    if (ignore) reads.push_back({*ignore, "the ignore file"});
    if (options.html) refuseOutputOverInput(*options.html, "--html", reads);
    (void)loadListLibrary(options.library, programFolder());  // status 3 before any worker

    std::error_code ec;
    const std::string absoluteFolder = fs::absolute(folder, ec).string();
    // The workers write each list under a plain name of their own folder:
    // a model's name may hold what the library takes for a folder (a
    // backslash).  keepList gives it the model's name afterwards.
    ScratchFolder exchange;
    const ModelsToRun toRun = modelsToRun(options, models, listFolder, reads, exchange);
    std::vector<int> workerStatus;
    std::vector<std::optional<ModelResult>> resultOf =
        workerResults(options, absoluteFolder, ignore, toRun.inShare, exchange, workerStatus);
    LineRun line;
    line.folder = absoluteFolder;
    for (std::size_t m = 0; m < models.size(); ++m) {
        std::optional<ModelResult>& result = resultOf[m];
        const int status = result                       ? result->exitStatus
                           : workerStatus[m] == kExitOk ? kExitRunFailed
                                                        : workerStatus[m];
        if (status != kExitOk) throwWorkerError(models[m], status, result ? &*result : nullptr);
        line.models.push_back(
            modelRunFrom(models[m], std::move(*result), toRun.kinds[m], toRun.lists[m]));
    }
    for (ModelRun& run : line.models) keepList(run, listFolder);
    line.sections = std::make_shared<FolderSections>(absoluteFolder);
    line.rows = rowsOf(line.models, *line.sections);
    warnOfFormMismatches(line);
    return line;
}

std::string lineFolderName(const std::string& folder) {
    const fs::path normal = fs::path(folder).lexically_normal();
    return normal.filename().empty() ? normal.parent_path().filename().string()
                                     : normal.filename().string();
}

}  // namespace mfgtool

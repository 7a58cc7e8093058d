// Every model of a catalogue run over one folder of process files: what
// `matrix` shows and what `impact` compares.  The models are dealt out to
// --jobs worker processes (share_run.h), each running its share one model
// after another; the parent reads the catalogue, starts the workers, and puts
// their results together into one row per entry section and one column per
// model.
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "catalogue.h"
#include "common/json.h"
#include "common/process_file_view.h"
#include "common/run_options.h"
#include "entry_verdict.h"

namespace mfgtool {

// FOLDER (when `withFolder`), --cdrom, --group, --callfactory, --kind,
// --windows, --library, --models, --ignore, --jobs, --lists.
void addLineOptions(CLI::App& command, LineOptions& options, bool withFolder);

// A section as one model's run saw it.
struct SectionFate {
    std::string file;
    std::string section;
    std::uint64_t fileLine = 0;   // where the section starts in its file
    std::optional<int> position;  // in this model's list
    std::string reason;           // what explain says of it
    SectionOutcome outcome = SectionOutcome::notRead;
    std::string otherId;  // the row of the entry in its way ("" when none)
};

struct ModelRun {
    CatalogueModel model;
    std::string displayName;
    std::string windows;  // what the run used
    std::string kind;
    bool listWritten = false;
    std::size_t entryCount = 0;
    std::optional<std::string> noList;
    // kOutcome... of share_run.h; the status preview gives such a run, and
    // the CD-ROM files of the list kind the media lacks.
    std::string outcome;
    int outcomeStatus = 0;
    std::vector<std::string> missingFiles;
    bool idsMatched = false;  // the list matches IDs, so uncovered devices mean something
    std::size_t devices = 0, ignoredDevices = 0;
    std::vector<IdDevice> uncoveredDevices;  // UTF-8; a device no listed entry claims
    std::vector<std::string> uncoveredIds;   // every ID of the uncovered devices
    std::vector<std::string> warnings;
    // The listed entries whose program a host cannot run as the list names
    // it (what preview marks), by list position, with why.
    std::vector<std::pair<int, std::string>> entryProblems;
    std::vector<SectionFate> sections;  // in the order the run read them
    std::filesystem::path listFile;     // the loaded library's list ("" when none written)
    std::string folderForLibrary;       // the folder as the library named it in the list

    // Anything but a list with entries, or a device no entry claims.
    bool hasGap() const;
};

struct LineRow {
    std::string id;  // "DrvProc.ini:51:VGA_C0DE"
    std::string file;
    std::string section;
    std::uint64_t fileLine = 0;  // where the section starts in its file
    std::string name, type, hardId;
    std::vector<std::optional<int>> positions;  // one per model
    std::vector<std::string> reasons;           // one per model
    std::vector<SectionOutcome> outcomes;       // one per model
    std::vector<std::string> others;            // one per model: SectionFate::otherId
    bool listed() const;                        // some model lists it
    bool candidate() const;                     // this list's to give for some model
    bool dead() const;                          // a candidate no model lists
    EntryVerdict verdict() const;               // for a row no model lists
};

// The process files of a folder, each read when a row first asks for one of
// its sections and then kept, its sections found by their header's line:
// the rows take their NAME, TYPE and HARDID from it, and impact compares
// the sections of two folders' rows without reading the files again.  The
// files are only cut into sections; a section's keys are read when first
// asked for (impact reads those of the sections that changed).
class FolderSections {
public:
    explicit FolderSections(std::filesystem::path folder) : folder_(std::move(folder)) {}
    // The section whose header is on `line` of `file` (named within the
    // folder), its keys read only if withKeys read them; nullptr when none
    // is.
    const SectionView* at(const std::string& file, std::uint64_t line);
    // The same section with its keys read.
    const SectionView* withKeys(const std::string& file, std::uint64_t line);

private:
    struct IndexedFile {
        ProcessFileView view;
        std::unordered_map<std::uint64_t, std::size_t> byLine;
        std::vector<bool> keysRead;  // one per section
    };
    struct Found {
        IndexedFile* file = nullptr;
        std::size_t section = 0;
    };
    Found find(const std::string& file, std::uint64_t line);
    std::filesystem::path folder_;
    std::map<std::string, IndexedFile> files_;
};

struct LineRun {
    std::string folder;  // the process files', absolute
    std::vector<ModelRun> models;
    std::vector<LineRow> rows;  // the entry sections, in file order
    // The folder's files as the rows read them; none for a line made by hand.
    std::shared_ptr<FolderSections> sections;
};

// Checks the options (UsageError, LibraryError as preview would), then runs
// every model over `folder`.  Lists are written into `listFolder`, named
// MODEL.ini; each model's list of an earlier run there is removed first.  Throws the error of the
// first model that failed, named.
LineRun runLine(const LineOptions& options, const std::string& folder,
                const std::filesystem::path& listFolder);

// The status of a line whose model runs went wrong as preview's would: 5 when
// a model's run failed, else, when a model's media lacks a CD-ROM file of
// its kind, the status preview gives the first such model (6, or 4 for a
// list without entries), else 0.  `label` is "failed", "incomplete" or "ok".
int lineOutcomeStatus(const LineRun& line, std::string& label);

// Refuses a line run whose models ran as lineOutcomeStatus fails them: a
// FailedRunError or an IncompleteError naming `which` folder, the model and
// preview's reason.
void requireWholeRuns(const LineRun& line, const std::string& which);

// --require-runnable, the gate matrix and impact share: status 1 when
// hasUnrunnableEntries.
void addRequireRunnableOption(CLI::App& command, bool& requireRunnable);

// Some model's list names an entry whose program a host cannot run as the
// list names it (what preview marks: nothing to run for the model's
// Windows, a macro or '%' left, a relative path).
bool hasUnrunnableEntries(const LineRun& line);

// The name a report gives the folder of process files: its last component.
std::string lineFolderName(const std::string& folder);

}  // namespace mfgtool

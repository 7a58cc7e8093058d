// The commands of the host.  Each returns the exit status, or throws one of
// the errors of errors.h; each writes what it shows into `out` as UTF-8.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace mfgtool {

// What a run of the library from a folder of process files needs.  `preview`
// takes these; a command that explains or checks the same run takes them too
// (options.h adds them to a command).
struct RunOptions {
    std::string folder;
    bool cdrom = false;
    std::optional<std::string> group;
    bool callFactory = false;
    std::string kind = "driver";  // driver, software, all-software
    std::vector<std::string> ids;
    std::optional<std::string> idsFile;
    std::optional<std::string> windows;  // xp, vista, vista64
    std::optional<std::string> library;
};

// What a command that runs the list and shows it does with the result.
struct ListOutputOptions {
    std::optional<std::string> output;
    bool trace = false;
    bool json = false;
    bool allowEmpty = false;
};

struct PreviewOptions : RunOptions, ListOutputOptions {
    std::optional<int> width;
    bool allowMissing = false;  // a CD-ROM file of the list kind may be missing
};

struct HostOptions {
    std::string commandLine;
    int drive = 0;
    int kind = 0;
    std::vector<std::string> ids;
    std::optional<std::string> idsFile;
    bool allSoftware = false;
    std::string output;
    std::optional<std::string> drives;
    std::optional<std::string> winver;
    std::optional<std::string> library;
    bool allowEmpty = false;
};

struct DiffOptions {
    std::string before;
    std::string after;
    bool json = false;
};

struct LintCommandOptions {
    std::string folder;
    bool cdrom = false;
    std::vector<std::string> groups;
    std::optional<std::string> windows;  // xp, vista
    std::optional<std::string> media;
    std::optional<int> codePage;
    bool json = false;
    bool sarif = false;
    bool strict = false;
    std::vector<std::string> disabled;
    std::optional<std::string> kind;      // driver or software (CD-ROM)
    std::optional<std::string> format;    // text, json, sarif, codeclimate
    std::optional<std::string> baseline;  // known findings that do not fail
    bool writeBaseline = false;           // write the findings to the baseline
};

// `mfglist ids`: this machine's hardware IDs as an ID file of the model
// catalogue (id_file_header.h, id_forms.h).
struct IdsOptions {
    std::optional<std::string> output;
    std::optional<std::string> model;
    std::optional<std::string> form;  // compact (default) or pnp
    std::vector<std::string> templates;
    std::optional<std::string> root;  // a copied sysfs tree instead of this machine
};

// A run of every model of a catalogue (matrix, impact).
struct LineOptions : RunOptions {  // RunOptions' --id and --ids-file are not taken
    std::string models;
    std::optional<std::string> ignore;
    std::optional<unsigned> jobs;
    std::optional<std::string> lists;  // keep each model's list file there
};

struct MatrixOptions : LineOptions {
    bool json = false;
    std::optional<std::string> html;
    bool requireCoverage = false;
    std::optional<int> width;
};

struct ImpactOptions : LineOptions {
    std::vector<std::string> folders;  // OLD NEW, or NEW with --git
    std::optional<std::string> git;    // OLD is this revision of NEW's folder
    bool json = false;
    bool markdown = false;
    std::optional<std::string> html;
};

int runMatrix(const MatrixOptions& options, std::ostream& out);
int runImpact(const ImpactOptions& options, std::ostream& out);

int runPreview(const PreviewOptions& options, std::ostream& out);
int runHost(const HostOptions& options);
int runDiff(const DiffOptions& options, std::ostream& out);
int runLint(const LintCommandOptions& options, std::ostream& out);
int runIds(const IdsOptions& options, std::ostream& out);
// The lint rules by category, for --help.
std::string lintRuleList();

}  // namespace mfgtool

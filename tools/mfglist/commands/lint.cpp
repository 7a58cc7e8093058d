// mfglist lint: checks a folder's process files and shows the findings.
#include "commands.h"

#include <filesystem>
#include <fstream>
#include <memory>

#include "common/errors.h"
#include "common/file_writes.h"
#include "common/options.h"
#include "common/text_encoding.h"
#include "ids/id_names.h"
#include "lint/baseline.h"
#include "lint/lint_folder.h"
#include "lint/rules.h"
#include "present/lint_report.h"

namespace mfgtool {
namespace {

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
    std::optional<std::string> idNames;   // pci.ids and usb.ids, for the HARDIDs' vendors
};

const char* const kLintFooter =
    "Checks the process files the library would read (FOLDER/MfgProc.ini, or with --cdrom\n"
    "DrvProc.ini, DrvCofg.ini and SoftProc.ini) with the library's own reader and rules, and\n"
    "prints one line per finding, FILE:LINE:COLUMN: error|warning|note: message [rule],\n"
    "sorted by file and line, each followed by a hint.  Lint does not load the library.\n"
    "A rule or a whole category is switched off with --disable NAME, or for one file with a\n"
    "comment line '; mfglist-lint: disable=NAME[,NAME]'.\n"
    "\n"
    "Exit status: 0 no error (warnings and notes allowed unless --strict); 1 an error was\n"
    "found, or with --strict a warning; 2 bad use (unknown option or rule, no such folder,\n"
    "no process file in it).\n"
    "\n"
    "Examples:\n"
    "  mfglist lint examples/factory\n"
    "  mfglist lint examples/cdrom --cdrom --windows vista --media /srv/cdrom\n"
    "  mfglist lint factory --strict --format sarif > mfglist.sarif\n"
    "\n"
    "Rules:\n";

}  // namespace

namespace {

lint::LintOptions lintOptionsOf(const LintCommandOptions& options) {
    if (options.json + options.sarif + options.format.has_value() > 1)
        throw UsageError("give --format once (--json and --sarif are its other spellings)");
    if (options.format && *options.format != "text" && *options.format != "json" &&
        *options.format != "sarif" && *options.format != "codeclimate")
        throw UsageError("--format takes text, json, sarif or codeclimate, not " + *options.format);
    if (options.writeBaseline && !options.baseline)
        throw UsageError("--write-baseline needs --baseline FILE: the file to write");
    lint::LintOptions lintOptions;
    lintOptions.folder = options.folder;
    lintOptions.cdrom = options.cdrom;
    lintOptions.groups = options.groups;
    if (options.windows && *options.windows != "xp" && *options.windows != "vista")
        throw UsageError("--windows takes xp or vista, not " + *options.windows);
    lintOptions.windows = options.windows;
    if (options.kind && *options.kind != "driver" && *options.kind != "software")
        throw UsageError("--kind takes driver or software, not " + *options.kind);
    lintOptions.kind = options.kind;
    if (options.media) {
        std::error_code error;
        if (!std::filesystem::is_directory(*options.media, error))
            throw UsageError("--media " + *options.media + " is not a folder");
        lintOptions.mediaRoot = options.media;
    }
    const int codePage = options.codePage ? *options.codePage : libraryCodePage();
    if (!isSupportedCodePage(codePage))
        throw UsageError("code page " + std::to_string(codePage) +
                         " is not one the library knows: use 1252, 932, 936, 949 or 950");
    lintOptions.codePage = static_cast<unsigned>(codePage);
    lintOptions.isValidCharacter = [codePage](std::string_view character) {
        return decodeCodePage(character, codePage).valid;
    };
    lintOptions.utf8Meaning = [codePage](std::string_view bytes) {
        return utf8InCodePage(bytes, codePage);
    };
    if (auto names = std::make_shared<IdNames>(options.idNames); names->has(Bus::pci)) {
        lintOptions.idName = [names](std::uint16_t vendor, std::optional<std::uint16_t> device) {
            return names->vendorOrDeviceName(vendor, device);
        };
    }
    for (const std::string& name : options.disabled) {
        if (!lint::isRuleOrCategory(name))
            throw UsageError("--disable: " + lint::unknownRuleText(name) +
                             "; 'mfglist lint --help' lists them");
    }
    lintOptions.disabled = options.disabled;
    return lintOptions;
}

std::string lintRuleList() {
    std::string text;
    std::string category;
    for (const lint::Rule& rule : lint::allRules()) {
        if (category != rule.category) {
            category = rule.category;
            text += "  " + category + ":\n";
        }
        text += "    " + std::string(rule.name) + " (" + lint::severityName(rule.severity) +
                "): " + rule.summary + "\n";
    }
    return text;
}

int runLint(const LintCommandOptions& options, std::ostream& out) {
    const lint::LintOptions lintOptions = lintOptionsOf(options);
    lint::LintResult result;
    try {
        result = lint::lintFolder(lintOptions);
    } catch (const lint::LintInputError& e) {
        throw UsageError(e.what());
    }
    LintRun run;
    run.baseline = options.baseline;
    if (options.writeBaseline) {
        std::vector<ReadFile> reads;
        for (const char* name : {"MfgProc.ini", "DrvProc.ini", "DrvCofg.ini", "SoftProc.ini"})
            reads.push_back({std::filesystem::path(options.folder) / name, "the process file"});
        refuseOutputOverInput(*options.baseline, "--baseline", reads);
        replaceFileWhole(*options.baseline,
                         baselineJson(result, lintOptions.codePage).dump(2) + '\n');
        run.known = result.findings.size();
        result.findings.clear();
    } else if (options.baseline) {
        run.known = dropKnownFindings(result, *options.baseline, lintOptions.codePage);
    }
    bool fails = false;
    for (const lint::Finding& finding : result.findings) {
        if (finding.severity == lint::Severity::error ||
            (options.strict && finding.severity == lint::Severity::warning))
            fails = true;
    }
    run.options = &lintOptions;
    run.strict = options.strict;
    run.exitStatus = fails ? kExitLintFindings : kExitOk;
    const std::string format = options.json    ? "json"
                               : options.sarif ? "sarif"
                                               : options.format.value_or("text");
    const auto dump = [&out](const Json& json) {
        out << json.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
    };
    if (format == "json")
        dump(lintJson(result, run));
    else if (format == "sarif")
        dump(lintSarif(result, run));
    else if (format == "codeclimate")
        dump(lintCodeClimate(result, run));
    else
        out << lintText(result, run);
    return run.exitStatus;
}

}  // namespace

Command addLintCommand(CLI::App& app) {
    auto options = std::make_shared<LintCommandOptions>();
    CLI::App* command = app.add_subcommand(
        "lint", "Check process files for mistakes before they reach the factory line.");
    command->add_option("FOLDER", options->folder, "Folder of the process files")->required();
    command->add_flag("--cdrom", options->cdrom,
                      "CD-ROM mode: check DrvProc.ini, DrvCofg.ini and SoftProc.ini");
    command
        ->add_option("--group", options->groups,
                     "A group the line runs (-T); repeat; default PRELOAD")
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    command->add_option("--windows", options->windows,
                        "xp or vista: the Windows whose program every entry must name "
                        "(default: both, as warnings)");
    command->add_option("--media", options->media,
                        "The folder $TESTDIR and $MFGPROCPATH stand for: every program "
                        "path must exist there");
    command->add_option("--codepage", options->codePage,
                        "The code page of the files: 1252, 932, 936, 949 or 950 "
                        "(default: MFGLIST_CODEPAGE on Linux, the system's on Windows)");
    // --format is the one choice of output; --json (which every command
    // has) and --sarif are its older spellings, kept for scripts.
    command->add_flag("--json", options->json, "Same as --format json")->group("");
    command->add_flag("--sarif", options->sarif, "Same as --format sarif")->group("");
    command->add_option("--kind", options->kind,
                        "driver or software: the CD-ROM list whose files must all be there "
                        "(default: both)");
    command->add_option("--format", options->format,
                        "text (default), json (docs/mfglist.schema.json), sarif (SARIF 2.1.0) "
                        "or codeclimate (GitLab's code quality report)");
    addIdNamesOption(*command, options->idNames);
    command->add_option("--baseline", options->baseline,
                        "A file of known findings: they do not fail the check, new ones do");
    command->add_flag("--write-baseline", options->writeBaseline,
                      "Write the findings to the --baseline file and pass");
    command->add_flag("--strict", options->strict, "A warning fails the check too (status 1)");
    command->add_option("--disable", options->disabled, "Switch a rule or a category off; repeat")
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    command->footer(std::string("\n") + kLintFooter + lintRuleList());
    return {command, [options](std::ostream& out) { return runLint(*options, out); }};
}

}  // namespace mfgtool

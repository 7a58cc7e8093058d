// mfglist lint: checks a folder's process files and shows the findings.
#include <filesystem>
#include <fstream>

#include "common/errors.h"
#include "common/run_options.h"
#include "common/text_encoding.h"
#include "lint/lint.h"
#include "lint/rules.h"
#include "lint_baseline.h"
#include "lint_report.h"

namespace mfgtool {

namespace {

lint::LintOptions lintOptionsOf(const LintCommandOptions& options) {
    if (options.json + options.sarif + options.format.has_value() > 1)
        throw UsageError("choose one of --json, --sarif and --format");
    if (options.format && *options.format != "text" && *options.format != "json" &&
        *options.format != "sarif" && *options.format != "codeclimate")
        throw UsageError("--format takes text, json, sarif or codeclimate, not " +
                         *options.format);
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
    for (const std::string& name : options.disabled) {
        if (!lint::isRuleOrCategory(name))
            throw UsageError("--disable: " + lint::unknownRuleText(name) +
                             "; 'mfglist lint --help' lists them");
    }
    lintOptions.disabled = options.disabled;
    return lintOptions;
}

}  // namespace

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
        std::ofstream file(*options.baseline, std::ios::binary | std::ios::trunc);
        file << baselineJson(result, lintOptions.codePage).dump(2) << '\n';
        if (!file.flush()) throw UsageError("cannot write the baseline " + *options.baseline);
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
    const std::string format =
        options.json ? "json" : options.sarif ? "sarif" : options.format.value_or("text");
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

}  // namespace mfgtool

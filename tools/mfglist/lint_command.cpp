// mfglist lint: checks a folder's process files and shows the findings.
#include <filesystem>

#include "commands.h"
#include "errors.h"
#include "lint/lint.h"
#include "lint/rules.h"
#include "lint_report.h"
#include "text_encoding.h"

namespace mfgtool {

namespace {

lint::LintOptions lintOptionsOf(const LintCommandOptions& options) {
    if (options.json && options.sarif) throw UsageError("choose one of --json and --sarif");
    lint::LintOptions lintOptions;
    lintOptions.folder = options.folder;
    lintOptions.cdrom = options.cdrom;
    lintOptions.groups = options.groups;
    if (options.windows && *options.windows != "xp" && *options.windows != "vista")
        throw UsageError("--windows takes xp or vista, not " + *options.windows);
    lintOptions.windows = options.windows;
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
    bool fails = false;
    for (const lint::Finding& finding : result.findings) {
        if (finding.severity == lint::Severity::error ||
            (options.strict && finding.severity == lint::Severity::warning))
            fails = true;
    }
    LintRun run;
    run.options = &lintOptions;
    run.strict = options.strict;
    run.exitStatus = fails ? kExitLintFindings : kExitOk;
    if (options.json)
        out << lintJson(result, run).dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
    else if (options.sarif)
        out << lintSarif(result, run).dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
    else
        out << lintText(result, run);
    return run.exitStatus;
}

}  // namespace mfgtool

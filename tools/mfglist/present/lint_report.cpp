#include "lint_report.h"

#include <cctype>
#include <filesystem>

#include "common/text_encoding.h"
#include "lint/baseline.h"
#include "lint/rules.h"

namespace mfgtool {

using lint::Finding;
using lint::Severity;

namespace {

constexpr char kSourceRoot[] = "SRCROOT";
// The rule, file, section and key of a finding, hashed: what a baseline
// matches, so a code-scanning service keeps one alert when lines move.
constexpr char kFingerprintName[] = "mfglistFindingIdentity/v1";

// RFC 3986: a path keeps its unreserved characters and '/'; every other
// byte (of the name as the system gives it) is written %XX, so '#', '%',
// blanks and bytes that are not UTF-8 reach the reader unchanged.
std::string percentEncoded(std::string_view path, bool keepColon = false) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) || c == '-' || c == '.' || c == '_' || c == '~' || c == '/' ||
            (keepColon && c == ':')) {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        }
    }
    return out;
}

// A relative path is a URI relative to SRCROOT, the folder the run started
// in (the log states it); an absolute one becomes a file URI.
Json artifactLocation(const std::string& file) {
    if (!file.empty() && file[0] == '/') return {{"uri", "file://" + percentEncoded(file)}};
    if (file.size() > 2 && file[1] == ':') {
        std::string path = file;
        for (char& c : path)
            if (c == '\\') c = '/';
        return {{"uri", "file:///" + path.substr(0, 2) + percentEncoded(path.substr(2))}};
    }
    return {{"uri", percentEncoded(file)}, {"uriBaseId", kSourceRoot}};
}

// SRCROOT as a file URI that ends in '/'.
std::string sourceRootUri() {
    std::error_code error;
    std::string root = std::filesystem::current_path(error).generic_string();
    if (root.empty() || root.back() != '/') root += '/';
    return root.front() == '/' ? "file://" + percentEncoded(root)
                               : "file:///" + root.substr(0, 2) + percentEncoded(root.substr(2));
}

std::string utf8(const std::string& bytes, const LintRun& run) {
    return decodeCodePage(bytes, static_cast<int>(run.options->codePage)).utf8;
}

struct Counts {
    std::size_t errors = 0, warnings = 0, notes = 0;
};

Counts countOf(const lint::LintResult& result) {
    Counts counts;
    for (const Finding& f : result.findings) {
        if (f.severity == Severity::error)
            ++counts.errors;
        else if (f.severity == Severity::warning)
            ++counts.warnings;
        else
            ++counts.notes;
    }
    return counts;
}

std::string plural(std::size_t n, const char* word) {
    return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

}  // namespace

std::string lintText(const lint::LintResult& result, const LintRun& run) {
    std::string out;
    for (const Finding& f : result.findings) {
        out += f.file + ":" + std::to_string(f.line) + ":" + std::to_string(f.column) + ": " +
               lint::severityName(f.severity) + ": " + utf8(f.message, run) + " [" + f.rule + "]\n";
        out += "    hint: " + utf8(f.hint, run) + "\n";
    }
    const Counts counts = countOf(result);
    out += "mfglist lint: " + plural(counts.errors, "error") + ", " +
           plural(counts.warnings, "warning") + ", " + plural(counts.notes, "note") + " in " +
           plural(result.files.size(), "file") +
           (run.baseline ? "; " + std::to_string(run.known) + " known from " + *run.baseline : "") +
           "\n";
    return out;
}

Json lintJson(const lint::LintResult& result, const LintRun& run) {
    Json json =
        jsonDocument("lint", result.findings.empty() ? "clean" : "findings", run.exitStatus);
    const lint::LintOptions& options = *run.options;
    json["code_page"] = options.codePage;
    Json groups = Json::array();
    for (const std::string& g : options.groups) groups.push_back(g);
    if (groups.empty()) groups.push_back("PRELOAD");
    json["run"] = {{"mode", options.cdrom ? "cdrom" : "process-file"},
                   {"groups", groups},
                   {"windows", options.windows ? Json(*options.windows) : Json(nullptr)},
                   {"media", options.mediaRoot.has_value()},
                   {"strict", run.strict},
                   {"disabled", options.disabled}};
    json["files"] = result.files;
    const Counts counts = countOf(result);
    json["summary"] = {
        {"errors", counts.errors}, {"warnings", counts.warnings}, {"notes", counts.notes}};
    Json findings = Json::array();
    for (const Finding& f : result.findings) {
        findings.push_back({{"file", f.file},
                            {"line", f.line},
                            {"column", f.column},
                            {"severity", lint::severityName(f.severity)},
                            {"rule", f.rule},
                            {"message", utf8(f.message, run)},
                            {"hint", utf8(f.hint, run)}});
    }
    json["findings"] = findings;
    if (run.baseline) json["baseline"] = {{"file", *run.baseline}, {"known", run.known}};
    return json;
}

Json lintSarif(const lint::LintResult& result, const LintRun& run) {
    Json rules = Json::array();
    for (const lint::Rule& rule : lint::allRules()) {
        rules.push_back({{"id", rule.name},
                         {"shortDescription", {{"text", rule.summary}}},
                         {"properties", {{"category", rule.category}}},
                         {"defaultConfiguration", {{"level", lint::severityName(rule.severity)}}}});
    }
    Json results = Json::array();
    const std::vector<std::string> identities =
        findingIdentities(result.findings, run.options->codePage);
    for (std::size_t i = 0; i < result.findings.size(); ++i) {
        const Finding& f = result.findings[i];
        std::size_t ruleIndex = 0;
        for (; ruleIndex < lint::allRules().size(); ++ruleIndex)
            if (f.rule == lint::allRules()[ruleIndex].name) break;
        results.push_back(
            {{"ruleId", f.rule},
             {"ruleIndex", ruleIndex},
             {"level", lint::severityName(f.severity)},
             {"message", {{"text", utf8(f.message, run) + " (" + utf8(f.hint, run) + ")"}}},
             {"partialFingerprints", {{kFingerprintName, identityFingerprint(identities[i])}}},
             {"locations",
              Json::array(
                  {{{"physicalLocation",
                     {{"artifactLocation", artifactLocation(f.file)},
                      {"region", {{"startLine", f.line}, {"startColumn", f.column}}}}}}})}});
    }
    Json artifacts = Json::array();
    for (const std::string& file : result.files)
        artifacts.push_back({{"location", artifactLocation(file)}});
    Json sarif;
    sarif["$schema"] = "https://json.schemastore.org/sarif-2.1.0.json";
    sarif["version"] = "2.1.0";
    sarif["runs"] = Json::array(
        {{{"tool",
           {{"driver",
             {{"name", "mfglist lint"}, {"version", MFGLIST_VERSION}, {"rules", rules}}}}},
          {"originalUriBaseIds", {{kSourceRoot, {{"uri", sourceRootUri()}}}}},
          {"artifacts", artifacts},
          {"results", results},
          {"columnKind", "unicodeCodePoints"}}});
    return sarif;
}

Json lintCodeClimate(const lint::LintResult& result, const LintRun& run) {
    const std::vector<std::string> identities =
        findingIdentities(result.findings, run.options->codePage);
    Json issues = Json::array();
    for (std::size_t i = 0; i < result.findings.size(); ++i) {
        const Finding& f = result.findings[i];
        const char* severity = f.severity == Severity::error     ? "critical"
                               : f.severity == Severity::warning ? "minor"
                                                                 : "info";
        issues.push_back({{"type", "issue"},
                          {"check_name", f.rule},
                          {"description", utf8(f.message, run)},
                          {"content", {{"body", utf8(f.hint, run)}}},
                          {"categories", Json::array({"Bug Risk"})},
                          {"severity", severity},
                          {"fingerprint", identityFingerprint(identities[i])},
                          {"location", {{"path", f.file}, {"lines", {{"begin", f.line}}}}}});
    }
    return issues;
}

}  // namespace mfgtool

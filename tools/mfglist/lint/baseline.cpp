#include "baseline.h"

#include <map>
#include <set>

#include "common/errors.h"
#include "common/file_reads.h"
#include "common/text_encoding.h"

namespace mfgtool {

namespace {

constexpr char kBaselineFormat[] = "mfglist-lint-baseline";
constexpr int kBaselineVersion = 1;

std::string utf8Of(const std::string& bytes, unsigned codePage) {
    return decodeCodePage(bytes, static_cast<int>(codePage)).utf8;
}

// A process file by its name in the linted folder (its role: MfgProc.ini,
// DrvProc.ini ...), never by the way the folder was typed: "f", "./f" and
// "/abs/f" are one folder to a baseline and to code scanning.
std::string fileInIdentity(const std::string& shown) {
    const std::size_t slash = shown.find_last_of("/\\");
    return slash == std::string::npos ? shown : shown.substr(slash + 1);
}

// An identity of a baseline written when identities held the folder as it
// was typed, with that folder left out.
std::string withoutFolder(const std::string& identity) {
    const std::size_t rule = identity.find('|');
    const std::size_t file = rule == std::string::npos ? rule : identity.find("|[", rule + 1);
    if (file == std::string::npos) return identity;
    return identity.substr(0, rule + 1) +
           fileInIdentity(identity.substr(rule + 1, file - rule - 1)) + identity.substr(file);
}

}  // namespace

std::vector<std::string> findingIdentities(const std::vector<lint::Finding>& findings,
                                           unsigned codePage) {
    std::vector<std::string> identities;
    std::map<std::string, std::size_t> seen;
    for (const lint::Finding& f : findings) {
        std::string identity = f.rule + "|" + fileInIdentity(f.file) + "|[" +
                               utf8Of(f.section, codePage) + "]|" + utf8Of(f.key, codePage);
        const std::size_t count = ++seen[identity];
        if (count > 1) identity += "#" + std::to_string(count);
        identities.push_back(std::move(identity));
    }
    return identities;
}

std::string identityFingerprint(const std::string& identity) {
    // FNV-1a, 64 bits: the same on every build and every run.
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : identity) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    for (int shift = 60; shift >= 0; shift -= 4) out += kHex[(hash >> shift) & 0xF];
    return out;
}

Json baselineJson(const lint::LintResult& result, unsigned codePage) {
    Json known = Json::array();
    for (const std::string& identity : findingIdentities(result.findings, codePage))
        known.push_back(identity);
    return {{"format", kBaselineFormat}, {"version", kBaselineVersion}, {"findings", known}};
}

std::size_t dropKnownFindings(lint::LintResult& result, const std::string& baselineFile,
                              unsigned codePage) {
    const std::optional<std::string> text = readFileWhole(baselineFile);
    if (!text) throw UsageError("cannot read the baseline " + baselineFile);
    const Json baseline = Json::parse(*text, nullptr, false);
    if (baseline.is_discarded() || !baseline.is_object() ||
        baseline.value("format", "") != kBaselineFormat || !baseline.contains("findings") ||
        !baseline["findings"].is_array())
        throw UsageError(baselineFile +
                         " is not a lint baseline (write one with --write-baseline)");
    std::set<std::string> known;
    for (const Json& identity : baseline["findings"])
        if (identity.is_string()) known.insert(withoutFolder(identity.get<std::string>()));
    const std::vector<std::string> identities = findingIdentities(result.findings, codePage);
    std::vector<lint::Finding> kept;
    for (std::size_t i = 0; i < result.findings.size(); ++i)
        if (!known.count(identities[i])) kept.push_back(std::move(result.findings[i]));
    const std::size_t dropped = result.findings.size() - kept.size();
    result.findings = std::move(kept);
    return dropped;
}

}  // namespace mfgtool

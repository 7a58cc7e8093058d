// mfglist lint: the corpus of broken factories (one folder per rule, each
// with the findings it must give: file, line as an editor shows it, rule),
// the examples, and the command as a script in CI meets it.
#include <algorithm>
#include <memory>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "common/text_encoding.h"
#include "ids/id_names.h"
#include "lint/lint_folder.h"
#include "lint/rules.h"
#include "support/tool/json_schema_check.h"
#include "support/tool/tool_fixture.h"

namespace mfgtool::test {
namespace {

using mfgtool::lint::Finding;
using mfgtool::lint::LintOptions;
using mfgtool::lint::Severity;

struct CorpusCase {
    LintOptions options;
    std::vector<std::string> expected;  // "FILE:LINE:RULE", sorted
};

// expected: "# options: ..." then one "FILE:LINE:RULE" a line.
CorpusCase readCase(const fs::path& folder) {
    CorpusCase c;
    c.options.folder = folder.string();
    c.options.isValidCharacter = [](std::string_view character) {
        return mfgtool::decodeCodePage(character, 1252).valid;
    };
    c.options.utf8Meaning = [](std::string_view bytes) {
        return mfgtool::utf8InCodePage(bytes, 1252);
    };
    std::istringstream in(readText(folder / "expected"));
    std::string line;
    std::getline(in, line);
    std::istringstream options(line.substr(line.find(':') + 1));
    for (std::string word; options >> word;) {
        std::string value;
        if (word != "--cdrom") options >> value;
        if (word == "--cdrom") c.options.cdrom = true;
        if (word == "--group") c.options.groups.push_back(value);
        if (word == "--windows") c.options.windows = value;
        if (word == "--kind") c.options.kind = value;
        if (word == "--media") c.options.mediaRoot = (folder / value).string();
        if (word == "--id-names") {
            auto names = std::make_shared<mfgtool::IdNames>((folder / value).string());
            c.options.idName = [names](std::uint16_t vendor, std::optional<std::uint16_t> device) {
                return names->vendorOrDeviceName(vendor, device);
            };
        }
    }
    while (std::getline(in, line))
        if (!line.empty()) c.expected.push_back(line);
    std::sort(c.expected.begin(), c.expected.end());
    return c;
}

std::vector<std::string> found(const std::vector<Finding>& findings) {
    std::vector<std::string> out;
    for (const Finding& f : findings)
        out.push_back(fs::path(f.file).filename().string() + ":" + std::to_string(f.line) + ":" +
                      f.rule);
    std::sort(out.begin(), out.end());
    return out;
}

TEST(LintCorpus, EachBrokenFactoryGivesExactlyItsFindingsAndEveryRuleIsCovered) {
    std::set<std::string> covered;
    std::size_t cases = 0;
    for (const auto& entry : fs::directory_iterator(MFGLIST_LINT_CORPUS_FOLDER)) {
        SCOPED_TRACE(entry.path().filename().string());
        const CorpusCase c = readCase(entry.path());
        const auto result = mfgtool::lint::lintFolder(c.options);
        EXPECT_EQ(found(result.findings), c.expected);
        for (const Finding& f : result.findings) {
            covered.insert(f.rule);
            EXPECT_FALSE(f.message.empty() || f.hint.empty()) << f.rule;
            EXPECT_GE(f.column, 1u);
        }
        ++cases;
    }
    EXPECT_GE(cases, mfgtool::lint::allRules().size());
    for (const auto& rule : mfgtool::lint::allRules())
        EXPECT_TRUE(covered.count(rule.name)) << rule.name;
}

TEST(LintCorpus, RulesAreSwitchedOffByNameOrCategoryPerRun) {
    CorpusCase c = readCase(fs::path(MFGLIST_LINT_CORPUS_FOLDER) / "bad-number");
    c.options.disabled = {"bad-number"};
    EXPECT_TRUE(mfgtool::lint::lintFolder(c.options).findings.empty());
    c.options.disabled = {"values"};
    EXPECT_TRUE(mfgtool::lint::lintFolder(c.options).findings.empty());
    c.options.disabled = {"keys"};
    EXPECT_EQ(mfgtool::lint::lintFolder(c.options).findings.size(), 3u);
}

class LintCommand : public ToolTest {};

TEST_F(LintCommand, ExamplesHaveNoErrors) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"lint", factory().string()},
             {"lint", cdrom().string(), "--cdrom"},
             {"lint", cdrom().string(), "--cdrom", "--windows", "xp"}}) {
        const Outcome outcome = runTool(args);
        EXPECT_EQ(outcome.status, 0) << outcome.out << outcome.err;
        EXPECT_EQ(outcome.out.find(": error: "), std::string::npos) << outcome.out;
    }
    // Its spare entry without GROUP is parked on purpose: a warning, as for
    // every other entry that no run lists.
    const Outcome factoryLint = runTool({"lint", factory().string(), "--strict"});
    EXPECT_EQ(factoryLint.status, 1);
    EXPECT_EQ(lines(factoryLint.out).front(),
              factory().string() +
                  "/MfgProc.ini:87:1: warning: [SPARE_VGA] has an entry's keys "
                  "but no GROUP: the group filter refuses it, so it is never "
                  "listed, for any group [entry-without-group]");
}

TEST_F(LintCommand, FindingsAreEditorLinesWithHintsAndTheStatusSaysWhetherToFail) {
    const fs::path folder = scratch / "f";
    fs::create_directories(folder);
    writeText(folder / "MfgProc.ini",
              "[PRELOAD]\r\nLOG_FILE=x.log\r\n\r\n[VGA]\r\nGROUP=PRELOAD\r\nTYPE=DISPLAY\r\n"
              "EXEPATH=A.EXE\r\nEXEPTAH=B.EXE\r\nTYPE=SOUND\r\n");
    Outcome outcome = runTool({"lint", folder.string()});
    EXPECT_EQ(outcome.status, 1) << outcome.err;
    const std::vector<std::string> out = lines(outcome.out);
    ASSERT_EQ(out.size(), 5u) << outcome.out;
    const std::string file = folder.string() + "/MfgProc.ini";  // FOLDER as given, then the name
    EXPECT_EQ(out[0], file +
                          ":8:1: error: unknown key EXEPTAH (did you mean EXEPATH?): the "
                          "library never reads it [unknown-key]");
    EXPECT_EQ(out[1], "    hint: rename it EXEPATH");
    EXPECT_EQ(out[2].rfind(file + ":9:1: warning: TYPE is given again", 0), 0u) << out[2];
    EXPECT_EQ(out[4], "mfglist lint: 1 error, 1 warning, 0 notes in 1 file");

    EXPECT_EQ(runTool({"lint", folder.string(), "--disable", "unknown-key"}).status, 0);
    EXPECT_EQ(runTool({"lint", folder.string(), "--disable", "unknown-key", "--strict"}).status, 1);
    expectOneErrorLine(runTool({"lint", folder.string(), "--disable", "no-such-rule"}),
                       "no-such-rule");
    expectOneErrorLine(runTool({"lint", folder.string(), "--disable", "bad-numbr"}),
                       "(did you mean bad-number?)");
    EXPECT_EQ(runTool({"lint", (scratch / "none").string()}).status, 2);
    EXPECT_EQ(runTool({"lint", cdrom().string()}).status, 2);  // no MfgProc.ini there
    expectOneErrorLine(runTool({"lint", factory().string(), "--cdrom"}), "leave out --cdrom");
    EXPECT_EQ(runTool({"lint", folder.string(), "--json", "--sarif"}).status, 2);
}

TEST_F(LintCommand, JsonFollowsTheSchemaAndSarifIsVersion2_1_0) {
    const Outcome json = runTool({"lint", cdrom().string(), "--cdrom", "--json"});
    EXPECT_EQ(json.status, 0);
    const nlohmann::json document = nlohmann::json::parse(json.out);
    for (const std::string& problem :
         schemaViolations(nlohmann::json::parse(readText(MFGLIST_SCHEMA_FILE)), document))
        ADD_FAILURE() << problem;
    EXPECT_EQ(document["command"], "lint");
    EXPECT_EQ(document["files"].size(), 3u);
    EXPECT_FALSE(document["findings"].empty());

    const Outcome bad = runTool({"lint", (scratch / "none").string(), "--json"});
    EXPECT_EQ(bad.status, 2);
    const nlohmann::json error = nlohmann::json::parse(bad.out);
    EXPECT_EQ(error["command"], "lint");
    EXPECT_EQ(error["status"], "error");
    EXPECT_TRUE(
        schemaViolations(nlohmann::json::parse(readText(MFGLIST_SCHEMA_FILE)), error).empty());

    const Outcome sarif = runTool({"lint", cdrom().string(), "--cdrom", "--sarif"});
    const nlohmann::json log = nlohmann::json::parse(sarif.out);
    EXPECT_EQ(log["version"], "2.1.0");
    const nlohmann::json& results = log["runs"][0]["results"];
    EXPECT_EQ(results.size(), document["findings"].size());
    const nlohmann::json& rules = log["runs"][0]["tool"]["driver"]["rules"];
    for (const auto& result : results) {
        EXPECT_EQ(rules[result["ruleIndex"].get<std::size_t>()]["id"], result["ruleId"]);
        EXPECT_GE(result["locations"][0]["physicalLocation"]["region"]["startLine"].get<int>(), 1);
    }
}

}  // namespace
}  // namespace mfgtool::test

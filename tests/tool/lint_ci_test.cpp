// mfglist lint in CI: a baseline of known findings, SARIF that a code-
// scanning service keeps one alert for when lines move, and GitLab's code
// quality report.
#include <nlohmann/json.hpp>
#include <set>

#include "present/lint_report.h"

#include "support/tool/tool_fixture.h"

namespace mfgtool::test {
namespace {

class LintCi : public ToolTest {
protected:
    // The factory with a line added above every finding.
    void addLineAtTop() {
        const fs::path file = factory() / "MfgProc.ini";
        writeText(file, "; a comment line\r\n" + readText(file));
    }
    void addMistake() {
        const fs::path file = factory() / "MfgProc.ini";
        writeText(file, readText(file) + "EXEPTAH=x\r\n");
    }
};

TEST_F(LintCi, ABaselineKeepsKnownFindingsWhereverTheyMoveAndFailsOnNewOnes) {
    const std::string baseline = (scratch / "baseline.json").string();
    const std::vector<std::string> lint = {"lint", factory().string(), "--strict", "--baseline",
                                           baseline};
    EXPECT_EQ(runTool(lint).status, 2);  // no baseline yet
    std::vector<std::string> write = lint;
    write.push_back("--write-baseline");
    EXPECT_EQ(runTool(write).status, 0);
    EXPECT_EQ(runTool({"lint", factory().string(), "--strict"}).status, 1);  // a warning
    EXPECT_EQ(runTool(lint).status, 0);
    addLineAtTop();
    const Outcome moved = runTool(lint);
    EXPECT_EQ(moved.status, 0) << moved.out;
    EXPECT_NE(moved.out.find("1 known from"), std::string::npos) << moved.out;
    addMistake();
    const Outcome added = runTool(lint);
    EXPECT_EQ(added.status, 1);
    EXPECT_NE(added.out.find("[unknown-key]"), std::string::npos) << added.out;
    EXPECT_EQ(added.out.find("[entry-without-group]"), std::string::npos) << added.out;
    writeText(baseline, "{}");
    expectOneErrorLine(runTool(lint), "is not a lint baseline");
}

TEST_F(LintCi, IdentitiesDoNotDependOnHowTheFolderIsTyped) {
    const std::string baseline = (scratch / "baseline.json").string();
    std::error_code ec;
    std::vector<std::string> spellings = {factory().string(), (factory() / ".").string(),
                                          (examples() / "models" / ".." / "factory").string()};
    // Relative to the working folder, where there is such a path (none on
    // Windows when the two are on different drives).
    if (const fs::path relative = fs::relative(factory(), fs::current_path(), ec);
        !ec && !relative.empty())
        spellings.push_back(relative.string());
    ASSERT_EQ(
        runTool({"lint", spellings[0], "--strict", "--baseline", baseline, "--write-baseline"})
            .status,
        0);
    std::vector<nlohmann::json> sarif, codeClimate;
    for (const std::string& folder : spellings) {
        SCOPED_TRACE(folder);
        EXPECT_EQ(runTool({"lint", folder, "--strict", "--baseline", baseline}).status, 0);
        const Outcome s = runTool({"lint", folder, "--strict", "--sarif"});
        const Outcome c = runTool({"lint", folder, "--strict", "--format", "codeclimate"});
        const nlohmann::json log = nlohmann::json::parse(s.out),
                             issues = nlohmann::json::parse(c.out);
        nlohmann::json prints = nlohmann::json::array();
        for (const nlohmann::json& result : log["runs"][0]["results"])
            prints.push_back(result["partialFingerprints"]);
        sarif.push_back(prints);
        prints = nlohmann::json::array();
        for (const nlohmann::json& issue : issues) prints.push_back(issue["fingerprint"]);
        codeClimate.push_back(prints);
        EXPECT_FALSE(sarif.back().empty());
        EXPECT_EQ(sarif.back(), sarif.front());
        EXPECT_EQ(codeClimate.back(), codeClimate.front());
    }
    // A baseline written when identities held the folder as typed.
    nlohmann::json old = nlohmann::json::parse(readText(baseline));
    for (nlohmann::json& identity : old["findings"]) {
        std::string text = identity.get<std::string>();
        text.insert(text.find('|') + 1, "some/checkout/factory/");
        identity = text;
    }
    writeText(baseline, old.dump());
    EXPECT_EQ(runTool({"lint", spellings[0], "--strict", "--baseline", baseline}).status, 0);
}

TEST(LintSarif, FingerprintsStayWhenLinesMoveAndPathsArePercentEncoded) {
    mfgtool::lint::LintOptions options;
    mfgtool::LintRun run;
    run.options = &options;
    const auto resultAt = [&](std::uint64_t line) {
        mfgtool::lint::LintResult result;
        result.files = {"a#b 100%/MfgProc.ini"};
        mfgtool::lint::Finding f;
        f.file = result.files[0];
        f.line = line;
        f.column = 1;
        f.rule = "unknown-key";
        f.section = "VGA";
        f.key = "EXEPTAH";
        result.findings = {f, f};  // two of one identity stay two alerts
        return mfgtool::lintSarif(result, run)["runs"][0];
    };
    const nlohmann::json before = resultAt(30), after = resultAt(31);
    const nlohmann::json& artifact =
        before["results"][0]["locations"][0]["physicalLocation"]["artifactLocation"];
    EXPECT_EQ(artifact["uri"], "a%23b%20100%25/MfgProc.ini");
    EXPECT_EQ(artifact["uriBaseId"], "SRCROOT");
    const std::string root = before["originalUriBaseIds"]["SRCROOT"]["uri"];
    EXPECT_EQ(root.rfind("file:///", 0), 0u) << root;
    EXPECT_EQ(root.back(), '/');
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(after["results"][i]["partialFingerprints"],
                  before["results"][i]["partialFingerprints"]);
        EXPECT_EQ(before["results"][i]["partialFingerprints"].size(), 1u);
    }
    EXPECT_NE(before["results"][0]["partialFingerprints"],
              before["results"][1]["partialFingerprints"]);
}

TEST_F(LintCi, CodeQualityReportHasTheFieldsGitLabReads) {
    addMistake();
    const Outcome outcome = runTool({"lint", factory().string(), "--format", "codeclimate"});
    EXPECT_EQ(outcome.status, 1);
    const nlohmann::json issues = nlohmann::json::parse(outcome.out);
    ASSERT_EQ(issues.size(), 2u);
    std::set<std::string> fingerprints;
    for (const auto& issue : issues) {
        EXPECT_EQ(issue["type"], "issue");
        for (const char* field : {"check_name", "description", "fingerprint", "severity"})
            EXPECT_TRUE(issue[field].is_string()) << field;
        EXPECT_TRUE(std::set<std::string>({"info", "minor", "major", "critical", "blocker"})
                        .count(issue["severity"].get<std::string>()));
        EXPECT_EQ(issue["location"]["path"], factory().string() + "/MfgProc.ini");
        EXPECT_GE(issue["location"]["lines"]["begin"].get<int>(), 1);
        fingerprints.insert(issue["fingerprint"].get<std::string>());
    }
    EXPECT_EQ(fingerprints.size(), 2u);
    EXPECT_EQ(issues[1]["check_name"], "unknown-key");
    EXPECT_EQ(issues[1]["severity"], "critical");
    EXPECT_EQ(runTool({"lint", factory().string(), "--format", "html"}).status, 2);
}

}  // namespace
}  // namespace mfgtool::test

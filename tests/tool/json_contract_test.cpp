// The JSON a script reads, run as a process on both builds: it follows
// docs/mfglist.schema.json, is the same on every run and on both builds (the
// files under expected/ are shared by the two), carries the code page's text
// as UTF-8, and errors come as JSON too.
#include <nlohmann/json.hpp>

#include "support/tool/json_schema_check.h"
#include "support/tool/tool_fixture.h"

namespace mfgtool::test {
namespace {

using Json = nlohmann::json;

Json schema() { return Json::parse(readText(MFGLIST_SCHEMA_FILE)); }

void expectFollowsSchema(const Json& document) {
    for (const std::string& problem : schemaViolations(schema(), document))
        ADD_FAILURE() << problem << "\n" << document.dump(2);
}

class ToolJson : public ToolTest {
protected:
    Outcome json(std::vector<std::string> args, const EnvChanges& env = {}) {
        args.push_back("--json");
        return runTool(args, env);
    }
    // A process file of one group whose one entry has `name`.
    fs::path folderWithEntryNamed(const std::string& name) {
        const fs::path folder = scratch / "named";
        fs::create_directories(folder);
        writeText(folder / "MfgProc.ini",
                  "[PRELOAD]\r\nLOG_FILE=x.log\r\n[ONE]\r\nGROUP=PRELOAD\r\n"
                  "NAME=" +
                      name + "\r\nTYPE=SOUND\r\nID=1\r\n");
        return folder;
    }
};

TEST_F(ToolJson, ExamplesFollowTheSchemaAndAreTheSameOnEveryRunAndBuild) {
    const std::string ids = (examples() / "ids.txt").string();
    const struct {
        const char* expected;
        std::vector<std::string> args;
    } cases[] = {
        {"factory-driver.json", {"preview", factory().string(), "--ids-file", ids}},
        {"factory-software.json",
         {"preview", factory().string(), "--kind", "software", "--ids-file",
          (examples() / "packages.txt").string(), "--callfactory"}},
        {"cdrom-driver.json", {"preview", cdrom().string(), "--cdrom", "--ids-file", ids}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        const Outcome first = json(c.args);
        const Outcome second = json(c.args);
        ASSERT_EQ(first.status, 0) << first.err;
        EXPECT_EQ(first.out, second.out);
        expectFollowsSchema(Json::parse(first.out));
        EXPECT_EQ(first.out, readText(fs::path(MFGLIST_EXPECTED_FOLDER) / c.expected));
    }
}

TEST_F(ToolJson, ErrorsAndMissingListsAreJsonWithTheirStatus) {
    fs::create_directories(scratch / "empty-cd");
    const struct {
        std::vector<std::string> args;
        int status;
        std::string jsonStatus;
        std::string said;  // in "error" or "reason"
    } cases[] = {
        {{"preview", (scratch / "nowhere").string()}, 2, "error", "no folder"},
        {{"preview", factory().string(), "--frobnicate"}, 2, "error", "unknown option"},
        {{"preview", factory().string(), "--library", (scratch / "none").string()},
         3,
         "error",
         "no library file"},
        {{"preview", (scratch / "empty-cd").string(), "--cdrom"},
         4,
         "no-list",
         "no process file <folder>\\DrvProc.ini"},
        {{"preview", factory().string(), "--group", "NOSUCHGROUP"},
         4,
         "empty",
         "the list has no entries"},
        {{"diff", (scratch / "a.ini").string(), (scratch / "b.ini").string()},
         2,
         "error",
         "cannot read"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.said);
        const Outcome outcome = json(c.args);
        EXPECT_EQ(outcome.status, c.status) << outcome.err;
        EXPECT_EQ(outcome.err, "");
        const Json document = Json::parse(outcome.out);
        expectFollowsSchema(document);
        EXPECT_EQ(document["status"], c.jsonStatus);
        EXPECT_EQ(document["exit_status"], c.status);
        const std::string said = document.value("error", document.value("reason", ""));
        EXPECT_NE(said.find(c.said), std::string::npos) << said;
    }
}

TEST_F(ToolJson, CodePageNamesReachJsonAsUtf8) {
    // 0xE9 is é in 1252; 0x81 is not a character there and is kept in hex.
    Json list = Json::parse(
        json({"preview", folderWithEntryNamed("Pilote r\xE9seau\x81").string()}).out)["list"];
    EXPECT_EQ(list["entries"][0]["keys"]["NAME"], "Pilote r\xC3\xA9seau\xEF\xBF\xBD");
    EXPECT_EQ(list["entries"][0]["raw"]["NAME"], "50696c6f74652072e97365617581");
    if (!hostDrives(scratch)) return;  // Windows: the code page is the machine's
    // "ドライバ" in 932.
    const Outcome outcome = json({"preview", folderWithEntryNamed("\x83h\x83\x89\x83"
                                                                  "C\x83o")
                                                 .string()},
                                 {{"MFGLIST_CODEPAGE", "932"}});
    list = Json::parse(outcome.out)["list"];
    EXPECT_EQ(list["entries"][0]["keys"]["NAME"],
              "\xE3\x83\x89\xE3\x83\xA9\xE3\x82\xA4\xE3\x83\x90");
    EXPECT_FALSE(list["entries"][0].contains("raw"));
}

TEST_F(ToolJson, IdFilesInEveryEncodingMatch) {
    const std::string ids = "1A2B0001C0DE0101\r\n; a comment\r\nACPI0003\r\n";
    std::string utf16le = "\xFF\xFE";
    std::string utf16be = "\xFE\xFF";
    for (const char c : ids) {
        utf16le += std::string{c, '\0'};
        utf16be += std::string{'\0', c};
    }
    const std::vector<std::string> files = {ids, "\xEF\xBB\xBF" + ids, utf16le, utf16be};
    std::string expected;
    for (std::size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(i);
        writeText(scratch / "ids.txt", files[i]);
        const Outcome outcome = json(
            {"preview", cdrom().string(), "--cdrom", "--ids-file", (scratch / "ids.txt").string()});
        ASSERT_EQ(outcome.status, 0) << outcome.out;
        const Json run = Json::parse(outcome.out);
        EXPECT_EQ(run["run"]["ids"], Json::array({"1A2B0001C0DE0101", "ACPI0003"}));
        if (i == 0) expected = run["list"].dump();
        EXPECT_EQ(run["list"].dump(), expected);
    }
    EXPECT_NE(expected.find("Display driver, C0DE board"), std::string::npos);
}

TEST_F(ToolJson, DiffTellsWhatAnEditDoesToTheList) {
    const auto save = [&](const std::string& name) {
        const Outcome outcome = json({"preview", factory().string()});
        writeText(scratch / name, outcome.out);
        return (scratch / name).string();
    };
    const std::string before = save("before.json");
    std::string process = readText(factory() / "MfgProc.ini");
    // Change the audio entry's timeout and drop the chipset entry.
    const std::size_t audio = process.find("TIMEOUT=600", process.find("[AUDIO]"));
    ASSERT_NE(audio, std::string::npos);
    process.replace(audio, 11, "TIMEOUT=900");
    const std::size_t chipset = process.find("GROUP=PRELOAD", process.find("[CHIPSET]"));
    process.replace(chipset, 13, "GROUP=NOWHERE");
    writeText(factory() / "MfgProc.ini", process);
    const std::string after = save("after.json");

    const Outcome same = runTool({"diff", before, before});
    EXPECT_EQ(same.status, 0) << same.err;
    const Outcome text = runTool({"diff", before, after});
    EXPECT_EQ(text.status, 1) << text.err;
    EXPECT_NE(text.out.find("- removed  #0  Chipset support"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("TIMEOUT: \"600\" -> \"900\""), std::string::npos) << text.out;
    const Outcome outcome = json({"diff", before, after});
    EXPECT_EQ(outcome.status, 1);
    const Json diff = Json::parse(outcome.out);
    expectFollowsSchema(diff);
    EXPECT_EQ(diff["removed"].size(), 1u);
    EXPECT_EQ(diff["moved"].size(), 0u) << "the others keep their order";
    ASSERT_EQ(diff["changed"].size(), 1u);
    EXPECT_EQ(diff["changed"][0]["name"], "Audio driver");
}

}  // namespace
}  // namespace mfgtool::test

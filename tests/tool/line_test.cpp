// The whole line at once, run as a process on both builds: the example
// catalogue (examples/models) over the CD-ROM example through `matrix`,
// each column the very list `preview` writes for that model, `impact` over
// crafted changes naming exactly the models whose list changes, and `diff`
// refusing what is not a whole install list.
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "support/tool/json_schema_check.h"
#include "support/tool/tool_fixture.h"

namespace mfgtool::test {
namespace {

using Json = nlohmann::json;

class ToolLine : public ToolTest {
protected:
    fs::path models() const { return examples() / "models"; }
    std::vector<std::string> line(const std::string& command, std::vector<std::string> more) {
        std::vector<std::string> args = {command};
        args.insert(args.end(), more.begin(), more.end());
        args.insert(args.end(), {"--cdrom", "--models", models().string()});
        return args;
    }
    void expectFollowsSchema(const Json& document) {
        for (const std::string& problem :
             schemaViolations(Json::parse(readText(MFGLIST_SCHEMA_FILE)), document))
            ADD_FAILURE() << problem;
    }
};

TEST_F(ToolLine, MatrixOfTheExampleCatalogue) {
    const Outcome outcome = runTool(line("matrix", {cdrom().string(), "--json", "--jobs", "3"}));
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const Json matrix = Json::parse(outcome.out);
    expectFollowsSchema(matrix);
    EXPECT_EQ(matrix["status"], "gaps");
    const struct {
        const char* name;
        std::size_t entries;
        std::vector<std::string> uncovered;  // DEADBEEF... is in ignore.ids
        std::string warning;
    } expected[] = {
        {"kiosk-k1", 5, {}, "holds no IDs"},
        {"legacy-l2", 6, {"PCI\\VEN_1A2B&DEV_0001&SUBSYS_0101C0DE"}, "form pnp"},
        {"notebook-n14", 9, {"9F9F0001C0DE0101"}, ""},
        {"office-5010", 10, {}, ""},
        {"office-7010", 11, {}, ""},
        {"tower-t20", 10, {}, ""},
    };
    ASSERT_EQ(matrix["models"].size(), std::size(expected));
    for (std::size_t m = 0; m < std::size(expected); ++m) {
        const Json& model = matrix["models"][m];
        SCOPED_TRACE(expected[m].name);
        EXPECT_EQ(model["name"], expected[m].name);
        EXPECT_EQ(model["entry_count"], expected[m].entries);
        EXPECT_EQ(model["uncovered_ids"].get<std::vector<std::string>>(), expected[m].uncovered);
        const std::string warnings = model["warnings"].dump();
        if (expected[m].warning.empty())
            EXPECT_EQ(model["warnings"].size(), 0u) << warnings;
        else
            EXPECT_NE(warnings.find(expected[m].warning), std::string::npos) << warnings;
    }
    EXPECT_EQ(matrix["models"][5]["windows"], "vista") << "the model's header wins";
    EXPECT_EQ(matrix["dead_entries"].get<std::vector<std::string>>(),
              (std::vector<std::string>{"DrvProc.ini:72:LAN_OLD"}));
    EXPECT_EQ(matrix["not_candidates"].size(), 2u) << "SOFTWARE in a driver list is not dead";
    EXPECT_EQ(matrix["uncovered"], 2);
    // The tower's board takes the generic display driver, the others the
    // C0DE board's.
    for (const Json& entry : matrix["entries"]) {
        if (entry["section"] == "VGA_GENERIC") {
            EXPECT_EQ(entry["cells"][5]["position"], 3);
            EXPECT_EQ(entry["cells"][4]["position"], nullptr);
            EXPECT_NE(entry["cells"][5]["reason"].get<std::string>().find("as its family"),
                      std::string::npos);
        }
        if (entry["section"] == "VGA_C0DE") {
            EXPECT_EQ(entry["cells"][4]["position"], 3);
        }
    }

    const Outcome required = runTool(line("matrix", {cdrom().string(), "--require-coverage"}));
    EXPECT_EQ(required.status, 1) << "an uncovered ID fails a coverage check";
    EXPECT_NE(required.out.find("Dead entries"), std::string::npos);
    writeText(scratch / "ignore-more.ids",
              "DEADBEEF\n9F9F0001\nPCI\\VEN_1A2B&DEV_0001&SUBSYS_0101C0DE\n");
    const Outcome covered =
        runTool(line("matrix", {cdrom().string(), "--require-coverage", "--ignore",
                                (scratch / "ignore-more.ids").string()}));
    EXPECT_EQ(covered.status, 0) << covered.out << covered.err;
}

// What preview marks in a list (here: entries with nothing to run on the
// Vista of tower-t20's header) is in the line's cells, counted per model
// and in all, and --require-runnable makes it fail the run.
TEST_F(ToolLine, EntriesAHostCannotRunAreMarkedInTheirCellsAndCanFailTheRun) {
    const Outcome outcome = runTool(line("matrix", {cdrom().string(), "--json"}));
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const Json matrix = Json::parse(outcome.out);
    expectFollowsSchema(matrix);
    std::size_t marked = 0, cells = 0;
    for (const Json& model : matrix["models"]) {
        SCOPED_TRACE(model["name"].get<std::string>());
        const std::size_t expected = model["name"] == "tower-t20" ? 3 : 0;
        ASSERT_EQ(model["entry_problems"].size(), expected);
        for (const Json& problem : model["entry_problems"])
            EXPECT_NE(problem["problem"].get<std::string>().find("nothing to run on Windows vista"),
                      std::string::npos);
        marked += model["entry_problems"].size();
    }
    for (const Json& entry : matrix["entries"])
        for (const Json& cell : entry["cells"]) cells += cell["problem"].is_null() ? 0 : 1;
    EXPECT_EQ(matrix["entry_problems"], marked);
    EXPECT_EQ(cells, marked);
    const Outcome gated = runTool(line("matrix", {cdrom().string(), "--require-runnable"}));
    EXPECT_EQ(gated.status, 1) << gated.err;
    EXPECT_NE(gated.out.find("tower-t20 #1: EXEPATH is empty"), std::string::npos) << gated.out;
}

TEST_F(ToolLine, EachColumnIsThatModelsPreviewList) {
    // A worker runs its models one after another: the catalogue gets a
    // Vista model that comes first, so that with one job every other model
    // runs after it in the same worker, and must still get its own Windows.
    const fs::path catalogue = scratch / "catalogue";
    fs::copy(models(), catalogue);
    fs::copy_file(models() / "tower-t20.ids", catalogue / "a-tower.ids");
    for (const std::string jobs : {"1", "4"}) {
        SCOPED_TRACE("--jobs " + jobs);
        const fs::path lists = scratch / ("lists-" + jobs);
        const Outcome outcome =
            runTool({"matrix", cdrom().string(), "--cdrom", "--models", catalogue.string(),
                     "--jobs", jobs, "--lists", lists.string()});
        ASSERT_EQ(outcome.status, 0) << outcome.err;
        for (const auto& [model, windows] :
             std::vector<std::pair<std::string, std::string>>{{"a-tower", "vista"},
                                                              {"kiosk-k1", ""},
                                                              {"legacy-l2", ""},
                                                              {"notebook-n14", ""},
                                                              {"office-5010", ""},
                                                              {"office-7010", ""},
                                                              {"tower-t20", "vista"}}) {
            SCOPED_TRACE(model);
            std::vector<std::string> args = {"preview",
                                             cdrom().string(),
                                             "--cdrom",
                                             "--ids-file",
                                             (catalogue / (model + ".ids")).string(),
                                             "--output",
                                             (scratch / (model + ".ini")).string()};
            if (!windows.empty()) args.insert(args.end(), {"--windows", windows});
            const Outcome preview = runTool(args);
            ASSERT_EQ(preview.status, 0) << preview.err;
            const std::string previewList = readText(scratch / (model + ".ini"));
            EXPECT_FALSE(previewList.empty());
            EXPECT_EQ(readText(lists / (model + ".ini")), previewList);
        }
    }
}

TEST_F(ToolLine, AModelWhoseLoadedListDiffersFromTheCoresIsWarned) {
    // The recording library's canned list is not the one the core writes.
    const Outcome outcome = runTool(
        line("matrix", {cdrom().string(), "--json", "--library", recordingLibraryFile().string()}));
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const Json matrix = Json::parse(outcome.out);
    ASSERT_FALSE(matrix["models"].empty());
    for (const Json& model : matrix["models"])
        EXPECT_NE(model["warnings"].dump().find("wrote a different list"), std::string::npos)
            << model["name"];
}

TEST_F(ToolLine, ImpactNamesExactlyTheModelsWhoseListChanges) {
    const std::string original = readText(cdrom() / "DrvProc.ini");
    const auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = original;
        const std::size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return at == std::string::npos ? text : text.replace(at, from.size(), to);
    };
    // The drivers for every machine follow the matched ones in file order:
    // the hot key driver taken to the end moves in every model's list.
    std::string config = readText(cdrom() / "DrvCofg.ini");
    const std::size_t hotKeys = config.find("[HOTKEYS]");
    const std::size_t imePatch = config.find("[IME_PATCH]");
    ASSERT_NE(imePatch, std::string::npos);
    const std::string hotKeysBlock = config.substr(hotKeys, imePatch - hotKeys);
    config.erase(hotKeys, imePatch - hotKeys);
    config += "\r\n" + hotKeysBlock;
    const struct {
        const char* what;
        const char* file;
        std::string text;
        std::set<std::string> changed;
        const char* kind;              // the member of the changed model that says it
        std::string consequence = "";  // what the summary adds
    } cases[] = {
        {"an entry added for one model's device",
         "DrvProc.ini",
         original + "\n[NEW_DEVICE]\nNAME=New device\nID=75\nHARDID=9F9F0001C0DE0101\nTYPE=OTHER\n"
                    "EXEPATH=$MFGPROCPATH\\NEW\\SETUP.EXE\n",
         {"notebook-n14"},
         "added",
         ", 1 device gains a driver"},
        {"an entry removed: its HARDID no longer the reader's",
         "DrvProc.ini",
         replaced("HARDID=7A8B3000C0DE0101", "HARDID=7A8B3000C0DE0102"),
         {"office-7010"},
         "removed",
         ", 1 device loses its driver"},
        {"a field changed",
         "DrvProc.ini",
         replaced("NAME=Modem driver", "NAME=Modem driver, new"),
         {"tower-t20"},
         "changed_fields"},
        {"an entry moved",
         "DrvCofg.ini",
         config,
         {"kiosk-k1", "legacy-l2", "notebook-n14", "office-5010", "office-7010", "tower-t20"},
         "moved"},
        {"a change no model sees",
         "DrvProc.ini",
         replaced("PACKETNAME=LAN_OLD", "PACKETNAME=LAN_OLDER"),
         {},
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path changed = scratch / "new";
        fs::remove_all(changed);
        fs::copy(cdrom(), changed, fs::copy_options::recursive);
        writeText(changed / c.file, c.text);
        const Outcome outcome =
            runTool(line("impact", {cdrom().string(), changed.string(), "--json"}));
        ASSERT_EQ(outcome.status, c.changed.empty() ? 0 : 1) << outcome.err;
        const Json impact = Json::parse(outcome.out);
        expectFollowsSchema(impact);
        std::set<std::string> named;
        for (const Json& model : impact["models"])
            if (model["changed"].get<bool>()) {
                named.insert(model["name"].get<std::string>());
                EXPECT_FALSE(model[c.kind].empty()) << model.dump();
            }
        EXPECT_EQ(named, c.changed);
        EXPECT_EQ(impact["summary"]["text"],
                  std::to_string(c.changed.size()) + " of 6 models change" + c.consequence);
    }
    const Outcome markdown =
        runTool(line("impact", {cdrom().string(), cdrom().string(), "--markdown"}));
    EXPECT_EQ(markdown.status, 0);
    EXPECT_NE(markdown.out.find("### mfglist impact: 0 of 6 models change"), std::string::npos);
}

// The changes turned round, each with the models that see it: a HARDID
// typo that hands the device to the family's entry and leaves the board's
// entry dead, a deleted entry that lets an older release win, a VERSION
// that goes down in place, a change no model sees, and a NAME that would
// break a Markdown table.
TEST_F(ToolLine, ImpactShowsEachChangeWithTheModelsThatSeeIt) {
    std::string old = readText(cdrom() / "DrvProc.ini");
    const auto replace = [](std::string& text, const std::string& from, const std::string& to) {
        const std::size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        text.replace(at, from.size(), to);
    };
    const std::string eol = old.find("\r\n") != std::string::npos ? "\r\n" : "\n";
    replace(old, "PACKETNAME=LAN" + eol, "PACKETNAME=LAN" + eol + "VERSION=7.021" + eol);
    replace(old, "PACKETNAME=LAN_OLD" + eol, "PACKETNAME=LAN_OLD" + eol + "VERSION=7.005" + eol);
    replace(old, "PACKETNAME=MODEM" + eol, "PACKETNAME=MODEM" + eol + "VERSION=7.021" + eol);
    std::string changed = old;
    replace(changed, "HARDID=3C4D1000C0DE0101", "HARDID=3C4D1000C0DE01O1");
    changed.erase(changed.find("[LAN]"), changed.find("[LAN_OLD]") - changed.find("[LAN]"));
    replace(changed, "VERSION=7.021", "VERSION=7.005");  // MODEM's, now LAN is gone
    replace(changed, "NAME=Modem driver", "NAME=Modem | <b>fast</b>");
    replace(changed, "PACKETNAME=VGAPANEL", "PACKETNAME=VGAPANEL2");
    const fs::path before = scratch / "old", after = scratch / "new";
    fs::copy(cdrom(), before);
    fs::copy(cdrom(), after);
    writeText(before / "DrvProc.ini", old);
    writeText(after / "DrvProc.ini", changed);

    const Outcome outcome = runTool(line("impact", {before.string(), after.string(), "--json"}));
    ASSERT_EQ(outcome.status, 1) << outcome.err;
    const Json impact = Json::parse(outcome.out);
    expectFollowsSchema(impact);
    using Names = std::vector<std::string>;
    const Names offices = {"office-5010", "office-7010"};
    const Names lanModels = {"notebook-n14", "office-5010", "office-7010"};
    const struct {
        std::string kind, section, key;
        Names models;
        bool downgrade;
        std::string replaces;
    } expected[] = {
        {"removed", "LAN", "", lanModels, false, ""},
        {"added", "LAN_OLD", "", lanModels, true, "LAN"},
        {"removed", "AUDIO", "", offices, false, ""},
        {"added", "AUDIO_GENERIC", "", offices, false, "AUDIO"},
        {"changed", "MODEM", "NAME", {"tower-t20"}, false, ""},
        {"changed", "MODEM", "VERSION", {"tower-t20"}, true, ""},
        {"unseen", "CONTROL_PANEL", "PACKETNAME", {}, false, ""},
    };
    ASSERT_EQ(impact["changes"].size(), std::size(expected)) << impact["changes"].dump(1);
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const Json& change = impact["changes"][i];
        SCOPED_TRACE(change.dump());
        EXPECT_EQ(change["kind"], expected[i].kind);
        EXPECT_EQ(change["section"], expected[i].section);
        EXPECT_EQ(change.value("key", ""), expected[i].key);
        EXPECT_EQ(change["models"].get<Names>(), expected[i].models);
        EXPECT_EQ(change["downgrade"], expected[i].downgrade);
        EXPECT_EQ(change.value("replaces", ""), expected[i].replaces);
    }
    EXPECT_EQ(impact["changes"][1]["old_version"], "7.021");
    EXPECT_EQ(impact["changes"][1]["new_version"], "7.005");
    EXPECT_EQ(impact["changes"][6]["new"], "VGAPANEL2");
    // The board's audio entry is left to no model; the old LAN release is
    // listed again.
    ASSERT_EQ(impact["now_dead"].size(), 1u);
    EXPECT_EQ(impact["now_dead"][0]["section"], "AUDIO");
    EXPECT_EQ(impact["now_dead"][0]["models"].get<Names>(), offices);
    ASSERT_EQ(impact["live_again"].size(), 1u);
    EXPECT_EQ(impact["live_again"][0]["section"], "LAN_OLD");
    EXPECT_EQ(impact["live_again"][0]["models"].get<Names>(), lanModels);
    const Json& summary = impact["summary"];
    EXPECT_EQ(summary["downgrades"], 2);
    EXPECT_EQ(summary["now_dead"], 1);
    EXPECT_EQ(summary["live_again"], 1);
    for (const Json& model : impact["models"]) {
        SCOPED_TRACE(model["name"].get<std::string>());
        const bool office = model["name"] == "office-5010" || model["name"] == "office-7010";
        EXPECT_EQ(model["now_dead"].size(), office ? 1u : 0u);
        if (model["name"] == "tower-t20") {
            for (const Json& field : model["changed_fields"])
                EXPECT_EQ(field["downgrade"], field["key"] == "VERSION");
        }
    }

    const Outcome text = runTool(line("impact", {before.string(), after.string()}));
    EXPECT_NE(text.out.find("VERSION: \"7.021\" -> \"7.005\"  VERSION GOES DOWN"),
              std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find("no model's list shows it"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("Entries no model gets any more:\n  DrvProc.ini:"), std::string::npos)
        << text.out;

    const Outcome markdown =
        runTool(line("impact", {before.string(), after.string(), "--markdown"}));
    EXPECT_EQ(markdown.out.find("<b>"), std::string::npos) << markdown.out;
    EXPECT_NE(markdown.out.find("Modem \\| &lt;b&gt;fast&lt;/b&gt;"), std::string::npos)
        << markdown.out;
    // Every row of a table has as many cells as its header.
    std::size_t header = 0;
    for (const std::string& row : lines(markdown.out)) {
        if (row.rfind("|", 0) != 0) {
            header = 0;
            continue;
        }
        std::size_t cells = 0;
        for (std::size_t i = 0; i < row.size(); ++i)
            if (row[i] == '|' && (i == 0 || row[i - 1] != '\\')) ++cells;
        if (!header) header = cells;
        EXPECT_EQ(cells, header) << row;
    }
}

// The answer first: the totals and one row per model that changes, then
// the detail; --summary stops after the answer, with the same status.
TEST_F(ToolLine, ImpactTextPutsTheSummaryFirstAndSummaryStopsThere) {
    const fs::path changed = scratch / "media";
    fs::copy(cdrom(), changed);
    std::string text = readText(changed / "DrvProc.ini");
    for (const auto& [from, to] :
         {std::pair<std::string, std::string>{"HARDID=7A8B3000C0DE0101", "HARDID=7A8B3000C0DE0102"},
          {"NAME=Modem driver", "NAME=Modem driver, new"}}) {
        ASSERT_NE(text.find(from), std::string::npos) << from;
        text.replace(text.find(from), from.size(), to);
    }
    writeText(changed / "DrvProc.ini", text);
    const Outcome full = runTool(line("impact", {cdrom().string(), changed.string()}));
    const Outcome summary =
        runTool(line("impact", {cdrom().string(), changed.string(), "--summary"}));
    EXPECT_EQ(full.status, 1) << full.err;
    EXPECT_EQ(summary.status, 1) << summary.err;
    ASSERT_EQ(full.out.rfind(summary.out, 0), 0u) << "the summary is the full text's start:\n"
                                                  << summary.out;
    EXPECT_EQ(summary.out.find("By change:"), std::string::npos) << summary.out;
    EXPECT_NE(full.out.find("By change:"), std::string::npos) << full.out;
    const std::vector<std::string> shown = lines(summary.out);
    ASSERT_GE(shown.size(), 6u) << summary.out;
    EXPECT_EQ(shown[0],
              "Impact on media against cdrom: 2 of 6 models change, 1 device loses its driver");
    EXPECT_EQ(shown[1], "  section changes: 2 (VERSION going down: 0)");
    // The table: a header, then the two models needing a look, marked !, in
    // the catalogue's order: the office, whose card reader loses its driver
    // with the entry it lost, then the tower (three listed entries a Vista
    // host cannot run) with its key changed.
    const auto cells = [](const std::string& row) {
        std::vector<std::string> words;
        std::istringstream in(row);
        for (std::string word; in >> word;) words.push_back(word);
        return words;
    };
    std::size_t header = 0;
    while (header < shown.size() && shown[header].find("MODEL") == std::string::npos) ++header;
    ASSERT_LT(header + 2, shown.size()) << summary.out;
    const std::vector<std::string> office = cells(shown[header + 1]),
                                   tower = cells(shown[header + 2]);
    EXPECT_EQ(std::vector<std::string>(office.begin(), office.begin() + 2),
              (std::vector<std::string>{"!", "office-7010"}))
        << shown[header + 1];
    EXPECT_EQ(std::vector<std::string>(office.end() - 7, office.end()),
              (std::vector<std::string>{"0", "1", "0", "0", "1", "0", "0"}))
        << shown[header + 1];
    EXPECT_EQ(std::vector<std::string>(tower.begin(), tower.begin() + 2),
              (std::vector<std::string>{"!", "tower-t20"}))
        << shown[header + 2];
    EXPECT_EQ(std::vector<std::string>(tower.end() - 7, tower.end()),
              (std::vector<std::string>{"0", "0", "0", "1", "0", "0", "3"}))
        << shown[header + 2];
    EXPECT_EQ(shown.back().rfind("4 models unchanged: ", 0), 0u) << shown.back();

    const Outcome refused =
        runTool(line("impact", {cdrom().string(), changed.string(), "--summary", "--json"}));
    EXPECT_EQ(refused.status, 2);
}

TEST_F(ToolLine, ModelsInNaturalOrderAndIdsNeverCut) {
    const fs::path catalogue = scratch / "catalogue";
    fs::create_directory(catalogue);
    for (const char* name : {"aio-e20-10", "aio-e20-2", "AIO-E20-1", "aio-e20-9"})
        fs::copy_file(models() / "office-7010.ids", catalogue / (std::string(name) + ".ids"));
    const Outcome outcome =
        runTool({"matrix", cdrom().string(), "--cdrom", "--models", catalogue.string(), "--json"});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const Json matrix = Json::parse(outcome.out);
    std::vector<std::string> names;
    for (const Json& model : matrix["models"]) names.push_back(model["name"]);
    EXPECT_EQ(names,
              (std::vector<std::string>{"AIO-E20-1", "aio-e20-2", "aio-e20-9", "aio-e20-10"}));

    const Outcome narrow = runTool(
        {"matrix", cdrom().string(), "--cdrom", "--models", models().string(), "--width", "60"});
    ASSERT_EQ(narrow.status, 0) << narrow.err;
    EXPECT_NE(narrow.out.find("1A2B0001C0DE0101"), std::string::npos) << narrow.out;
    EXPECT_NE(narrow.out.find("7A8B3000C0DE0101"), std::string::npos) << narrow.out;
    // Nor preview's table, where the card reader's ID is the HARDID cell alone.
    const Outcome preview = runTool({"preview", cdrom().string(), "--cdrom", "--ids-file",
                                     (models() / "office-7010.ids").string(), "--width", "40"});
    ASSERT_EQ(preview.status, 0) << preview.err;
    EXPECT_NE(preview.out.find("7A8B3000C0DE0101"), std::string::npos) << preview.out;
}

// Media tracked in git as symbolic links to one shared copy: --git reads
// each link through its target in the revision, as the working tree does,
// refuses a link that leaves the repository by name, and passes git's own
// reason on when git refuses.
TEST_F(ToolLine, ImpactGitReadsLinksThroughTheirTargetsAndGivesGitsReason) {
    const fs::path repo = scratch / "repo";
    const auto git = [&](const std::string& args) {
        return std::system(("git -C \"" + repo.string() + "\" -c user.name=t -c user.email=t@t " +
                            args + " >/dev/null 2>&1")
                               .c_str()) == 0;
    };
    fs::create_directories(repo / "media");
    if (!git("init -q .")) GTEST_SKIP() << "no git on this machine";
    fs::copy(cdrom(), repo / "shared");
    for (const char* file : {"DrvProc.ini", "DrvCofg.ini", "SoftProc.ini"}) {
        std::error_code ec;
        fs::create_symlink(fs::path("..") / "shared" / file, repo / "media" / file, ec);
        if (ec) GTEST_SKIP() << "no symbolic links here: " << ec.message();
    }
    ASSERT_TRUE(git("add -A") && git("commit -q -m media"));
    const Outcome same = runTool(line("impact", {"--git", "HEAD", (repo / "media").string()}));
    EXPECT_EQ(same.status, 0) << same.out << same.err;
    EXPECT_NE(same.out.find("0 of 6 models change"), std::string::npos) << same.out;

    writeText(scratch / "elsewhere.ini", "[X]\n");
    fs::create_symlink(scratch / "elsewhere.ini", repo / "media" / "Outside.ini");
    ASSERT_TRUE(git("add -A") && git("commit -q -m outside"));
    const Outcome outside = runTool(line("impact", {"--git", "HEAD", (repo / "media").string()}));
    EXPECT_EQ(outside.status, 2);
    expectOneErrorLine(outside, "Outside.ini of revision HEAD is a symbolic link to");

    const struct {
        const char* what;
        fs::path folder;
        std::string revision, reason;
    } refusals[] = {
        {"an unknown revision", repo / "media", "no-such-revision", "git says: fatal: "},
        {"a folder outside git", scratch, "HEAD", "git says: fatal: not a git repository"},
    };
    for (const auto& c : refusals) {
        SCOPED_TRACE(c.what);
        const Outcome refused = runTool(line("impact", {"--git", c.revision, c.folder.string()}));
        EXPECT_EQ(refused.status, 2);
        expectOneErrorLine(refused, c.reason);
    }
}

TEST_F(ToolLine, BadUseOfMatrixAndImpact) {
    const struct {
        const char* what;
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {"no catalogue",
         {"matrix", cdrom().string(), "--cdrom", "--models", (scratch / "none").string()},
         "no catalogue folder"},
        {"a catalogue without models",
         {"matrix", cdrom().string(), "--cdrom", "--models", cdrom().string()},
         "holds no model"},
        {"no jobs", line("matrix", {cdrom().string(), "--jobs", "0"}), "--jobs 0"},
        {"impact with one folder", line("impact", {cdrom().string()}), "give two folders"},
        {"--git of a folder outside git", line("impact", {"--git", "HEAD", cdrom().string()}),
         "git"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        expectOneErrorLine(runTool(c.args), c.message);
        EXPECT_EQ(runTool(c.args).status, 2);
    }
}

TEST_F(ToolLine, DiffRefusesWhatIsNotAWholeList) {
    const fs::path list = scratch / "list.ini";
    ASSERT_EQ(runTool({"preview", cdrom().string(), "--cdrom", "--ids-file",
                       (examples() / "ids.txt").string(), "--output", list.string()})
                  .status,
              0);
    const std::string text = readText(list);
    const auto withCount = [&](const std::string& count) {
        std::string changed = text;
        return changed.replace(changed.find("COUNT=11"), 8, "COUNT=" + count);
    };
    writeText(scratch / "binary", std::string("\x7F"
                                              "ELF\0\0\x01[SYSTEM]\nCOUNT=0\n",
                                              24));
    writeText(scratch / "more.ini", withCount("12"));
    writeText(scratch / "fewer.ini", withCount("10"));
    writeText(scratch / "shape.json",
              "{\"list\": {\"written\": true, \"system\": null, "
              "\"entries\": [{\"keys\": {\"NAME\": [1]}}]}}");
    writeText(scratch / "shapeless.json", "{\"list\": {}}");
    writeText(scratch / "no-entries.json", "{\"list\": {\"written\": true, \"system\": null}}");
    const struct {
        const char* what;
        fs::path file;
        std::string message;
    } cases[] = {
        {"a process file", cdrom() / "DrvProc.ini", "is not an install list"},
        {"a binary file", scratch / "binary", "bytes that are not text"},
        {"a folder", cdrom(), "is a folder"},
        {"COUNT past the sections", scratch / "more.ini", "section 11 is missing"},
        {"sections past COUNT", scratch / "fewer.ini", "holds 11 numbered entry sections"},
        {"JSON of another shape", scratch / "shape.json", "not a value"},
        {"JSON without the list's members", scratch / "shapeless.json", "list.written"},
        {"JSON without entries", scratch / "no-entries.json", "list.entries"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome outcome = runTool({"diff", list.string(), c.file.string()});
        EXPECT_EQ(outcome.status, 2);
        expectOneErrorLine(outcome, c.message);
    }
}

}  // namespace
}  // namespace mfgtool::test

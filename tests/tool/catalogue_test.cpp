// Which files of a catalogue are models, and what is refused, through
// `matrix` as a process: notes beside the models, one model name given
// twice, bytes that are not text, the ignore file under any case, and a
// --lists folder that keeps no list of an earlier run.
#include <nlohmann/json.hpp>

#include "support/tool/catalogue_fixture.h"

namespace mfgtool::test {
namespace {

using Json = nlohmann::json;

class ToolCatalogue : public CatalogueTest {
protected:
    Outcome matrix(std::vector<std::string> more = {}) {
        more.insert(more.begin(), "--json");
        return CatalogueTest::matrix(more);
    }
};
std::vector<std::string> modelNames(const Json& matrix) {
    std::vector<std::string> names;
    for (const Json& model : matrix["models"]) names.push_back(model["name"]);
    return names;
}

TEST_F(ToolCatalogue, NotesAndTheIgnoreFileUnderAnyCaseAreNeverModels) {
    const std::string ignored = readText(catalogue() / "ignore.ids");
    fs::remove(catalogue() / "ignore.ids");
    writeText(catalogue() / "IGNORE.IDS", ignored);
    writeText(catalogue() / "README.txt", "One ID file per model of the line.\n");
    writeText(catalogue() / "notes-2026.ids", "Board C0DE comes in May.\n");
    const std::vector<std::string> models = {"kiosk-k1",    "legacy-l2",   "notebook-n14",
                                             "office-5010", "office-7010", "tower-t20"};
    const Outcome outcome = matrix();
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const Json json = Json::parse(outcome.out);
    EXPECT_EQ(modelNames(json), models);
    // IGNORE.IDS names DEADBEEF, which the notebook holds beside its
    // uncovered 9F9F0001C0DE0101.
    EXPECT_EQ(json["models"][2]["uncovered_ids"], Json::array({"9F9F0001C0DE0101"}));

    // A file of the catalogue given as the ignore file is not a model.
    writeText(catalogue() / "extra-ignore.txt", "DEADBEEF\n9F9F0001\n");
    const Outcome given = matrix({"--ignore", (catalogue() / "extra-ignore.txt").string()});
    ASSERT_EQ(given.status, 0) << given.err;
    EXPECT_EQ(modelNames(Json::parse(given.out)), models);
    EXPECT_EQ(Json::parse(given.out)["models"][2]["uncovered_ids"], Json::array());
}

TEST_F(ToolCatalogue, WhatCannotBeAModelIsRefusedByName) {
    std::string random(4096, '\0');
    unsigned state = 12345;
    for (char& c : random) c = static_cast<char>((state = state * 1103515245u + 12345u) >> 16);
    const struct {
        const char* what;
        const char* file;
        std::string bytes;
        std::vector<std::string> named;  // every text the one error line holds
    } cases[] = {
        {"one model name from two files",
         "office-5010.txt",
         "80862448\n",
         {"office-5010.ids", "office-5010.txt", "both give the model name office-5010"}},
        {"random bytes", "noise.ids", random, {"noise.ids", "is not text"}},
        {"a control byte in an ID",
         "bell.txt",
         "80862448\n8086\a2449\n",
         {"bell.txt", "line 2", "0x07"}},
        {"a UTF-16 decoding error",
         "wide.ids",
         std::string("\xFF\xFE"
                     "A\0\0\xD8\n\0",
                     8),
         {"wide.ids", "lone UTF-16 surrogate"}},
        {"an ignore file that is not text",
         "ignore.ids",
         std::string("DEADBEEF\n\x01\x02", 11),
         {"the ignore file", "ignore.ids", "is not text"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string before = readText(catalogue() / c.file);
        writeText(catalogue() / c.file, c.bytes);
        const Outcome outcome = CatalogueTest::matrix();
        EXPECT_EQ(outcome.status, 2);
        for (const std::string& text : c.named) expectOneErrorLine(outcome, text);
        if (before.empty())
            fs::remove(catalogue() / c.file);
        else
            writeText(catalogue() / c.file, before);
    }
    EXPECT_EQ(matrix().status, 0) << "every case put the catalogue back";
}

TEST_F(ToolCatalogue, ListsKeepNoListOfAnEarlierRun) {
    const fs::path lists = scratch / "lists";
    const Outcome first = matrix({"--lists", lists.string()});
    ASSERT_EQ(first.status, 0) << first.err;
    const std::vector<std::string> names = modelNames(Json::parse(first.out));
    // Without the driver files no model gets a driver list, however the
    // run ends.
    const fs::path media = scratch / "media";
    fs::copy(cdrom(), media);
    fs::remove(media / "DrvProc.ini");
    fs::remove(media / "DrvCofg.ini");
    runTool({"matrix", media.string(), "--cdrom", "--models", catalogue().string(), "--lists",
             lists.string()});
    for (const std::string& name : names) EXPECT_FALSE(fs::exists(lists / (name + ".ini"))) << name;
}

}  // namespace
}  // namespace mfgtool::test

// Catalogue names only a POSIX file system gives: a model named with a
// backslash, two names that differ in case alone, a dangling link.
#include <functional>
#include <nlohmann/json.hpp>

#include "support/tool/catalogue_fixture.h"

namespace mfgtool::test {
namespace {

using Json = nlohmann::json;

class ToolCatalogueNames : public CatalogueTest {};
TEST_F(ToolCatalogueNames, AModelNamedWithABackslashGetsItsList) {
    fs::copy_file(catalogue() / "office-5010.ids", catalogue() / "L:\\a\\b.ids");
    const fs::path lists = scratch / "lists";
    const Outcome outcome = matrix({"--json", "--lists", lists.string()});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const Json matrixJson = Json::parse(outcome.out);
    for (const Json& model : matrixJson["models"])
        if (model["name"] == "L:\\a\\b") {
            EXPECT_EQ(model["entry_count"], 10);
        }
    EXPECT_EQ(readText(lists / "L:\\a\\b.ini"), readText(lists / "office-5010.ini"));
}

TEST_F(ToolCatalogueNames, NamesTheFilesItRefuses) {
    const struct {
        const char* what;
        std::function<void()> arrange;
        std::vector<std::string> named;
    } cases[] = {
        {"two names in different case",
         [&] { fs::copy_file(catalogue() / "tower-t20.ids", catalogue() / "Tower-T20.txt"); },
         {"Tower-T20.txt", "tower-t20.ids", "both give the model name"}},
        {"a dangling link",
         [&] { fs::create_symlink("gone.ids", catalogue() / "link.ids"); },
         {"link.ids", "a link to gone.ids, which does not exist"}},
        {"a dangling ignore file",
         [&] {
             fs::remove(catalogue() / "ignore.ids");
             fs::create_symlink("gone.ids", catalogue() / "Ignore.ids");
         },
         {"the ignore file", "Ignore.ids", "gone.ids"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(catalogue());
        fs::copy(examples() / "models", catalogue());
        c.arrange();
        const Outcome outcome = matrix();
        EXPECT_EQ(outcome.status, 2);
        for (const std::string& text : c.named) expectOneErrorLine(outcome, text);
    }
}

}  // namespace
}  // namespace mfgtool::test

// Impact's own rules: when a version goes down, and names kept as text in
// a pull-request comment.
#include <gtest/gtest.h>

#include "line/line_impact.h"
#include "present/impact_report.h"

namespace mfgtool::test {
namespace {

TEST(ToolImpact, AVersionGoesDownOnlyWhenBothAreGiven) {
    const struct {
        std::optional<std::string> before, after;
        bool down;
    } cases[] = {
        {"7.021", "7.005", true},
        {"7.005", "7.021", false},
        {"7.9", "7.10", false},
        {"2.0", "1.99", true},
        {"5.10", "5.10", false},
        {"5.1", "5.1.0", false},
        {"01/15/2009", "12/01/2008", true},  // a date, year first
        {"7.021", "", false},
        {std::nullopt, "1.0", false},
        {"1.0", std::nullopt, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(versionGoesDown(c.before, c.after), c.down)
            << c.before.value_or("(none)") << " -> " << c.after.value_or("(none)");
}

// Text in a pull-request comment stays text: no table cell, emphasis, code,
// link or HTML comes from a NAME.
TEST(ToolImpact, MarkdownEscapesEveryMarkupCharacter) {
    const struct {
        std::string text, escaped;
    } cases[] = {
        {"LAN | WLAN", "LAN \\| WLAN"},
        {"<script>x</script>", "&lt;script&gt;x&lt;/script&gt;"},
        {"R&D", "R&amp;D"},
        {"`code` *bold* _it_ ~del~", "\\`code\\` \\*bold\\* \\_it\\_ \\~del\\~"},
        {"![img](x) [link]", "\\!\\[img\\](x) \\[link\\]"},
        {"# heading", "\\# heading"},
        {"PCI\\VEN_8086", "PCI\\\\VEN\\_8086"},
        {"two\nlines", "two lines"},
        {"Audio driver 7.0", "Audio driver 7.0"},
    };
    for (const auto& c : cases) EXPECT_EQ(escapeMarkdown(c.text), c.escaped) << c.text;
}

}  // namespace
}  // namespace mfgtool::test

// The tool's own JSON writer against the library's serializer: the same
// bytes for every kind of value, at every indent the commands use.
#include <gtest/gtest.h>

#include "common/json_text.h"

namespace mfgtool::test {
namespace {

TEST(JsonText, WritesWhatTheSerializerWrites) {
    const std::vector<Json> values = {
        nullptr,
        true,
        Json::object(),
        Json::array(),
        -42,
        std::uint64_t{18446744073709551615u},
        1.5,
        -0.0,
        1e300,
        "plain text: with / and ~ and \x7f",
        "a \"quote\", a \\ and \b\f\n\r\t and \x01\x1f",
        "UTF-8 caf\xC3\xA9 \xE2\x82\xAC",
        "cut short \xC3 and a stray \xFF byte",
        Json::parse(R"({"b": [1, {"x": [], "y": {}}, [[]]], "a": {"c": null, "d": [true, "t"]},
                        "e": -1})"),
        Json::array({Json::object({{"k\xE9y", "v"}, {"q\"", Json::array({1, 2})}})}),
    };
    for (const int indent : {-1, 0, 2, 4})
        for (std::size_t i = 0; i < values.size(); ++i)
            EXPECT_EQ(jsonText(values[i], indent),
                      values[i].dump(indent, ' ', false, Json::error_handler_t::replace))
                << "value " << i << ", indent " << indent;
}

}  // namespace
}  // namespace mfgtool::test

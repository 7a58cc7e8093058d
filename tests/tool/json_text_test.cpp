// The tool's own JSON writer against the library's serializer: the same
// bytes for every kind of value, at every indent the commands use.
#include <gtest/gtest.h>

#include <functional>

#include "common/json_text.h"
#include "common/json_writer.h"

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
        "\xC3 cut",
        "\"quoted\" then plain text",
        "sixteen plain ch \"q\"",  // the escape past the last whole word
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

// Written piece by piece, without a tree: each case against the dump of the
// tree it stands for.
TEST(JsonText, TheWriterWritesWhatTheSerializerWrites) {
    const std::string invalid = "cut \xC3 short, \xFF stray, caf\xC3\xA9";
    const Json nested = Json::parse(R"({"a": [1, {"b": []}], "c": {}})");
    const struct {
        const char* name;
        std::function<void(JsonWriter&)> write;
        Json tree;
    } cases[] = {
        {"empty containers at every depth",
         [](JsonWriter& w) {
             w.beginObject().key("o").beginObject().endObject();
             w.key("a").beginArray().beginArray().endArray().beginObject().endObject().endArray();
             w.member("v", std::vector<int>{}).endObject();
         },
         {{"o", Json::object()}, {"a", {Json::array(), Json::object()}}, {"v", Json::array()}}},
        {"numbers at their limits",
         [](JsonWriter& w) {
             w.beginArray().value(-1).value(std::int64_t{-9223372036854775807 - 1});
             w.value(std::uint64_t{18446744073709551615u}).value(std::size_t{0});
             w.value(Json(2.5)).value(Json(-1e300)).endArray();
         },
         {-1, std::int64_t{-9223372036854775807 - 1}, std::uint64_t{18446744073709551615u}, 0, 2.5,
          -1e300}},
        {"strings escaped, non-ASCII kept, invalid UTF-8 replaced, in keys too",
         [&](JsonWriter& w) {
             w.beginObject().member("q\"\\\t\x01", "a \"b\" \\ \n\x1f\x7f");
             w.member(invalid, invalid).member("\xE2\x82\xAC", "").endObject();
         },
         {{"q\"\\\t\x01", "a \"b\" \\ \n\x1f\x7f"}, {invalid, invalid}, {"\xE2\x82\xAC", ""}}},
        {"optionals, booleans, null and lists",
         [](JsonWriter& w) {
             w.beginArray().value(std::optional<int>{}).value(std::optional<int>{7});
             w.value(true).value(false).value(nullptr);
             w.value(std::vector<std::string>{"x", "y"}).endArray();
         },
         {nullptr, 7, true, false, nullptr, {"x", "y"}}},
        {"trees spliced as values and as members, deep inside",
         [&](JsonWriter& w) {
             w.beginArray().beginObject().members(nested).member("d", nested).endObject();
             w.value(nested).endArray();
         },
         Json::array({Json::parse(R"({"a": [1, {"b": []}], "c": {}, "d": {"a": [1, {"b": []}],
                                      "c": {}}})"),
                      nested})},
        {"more text than the writer's first room",
         [](JsonWriter& w) { w.value(std::vector<std::string>(2000, "twelve bytes")); },
         std::vector<std::string>(2000, "twelve bytes")},
    };
    for (const int indent : {-1, 0, 2, 4})
        for (const auto& c : cases) {
            JsonWriter writer(indent);
            c.write(writer);
            EXPECT_EQ(writer.take(),
                      c.tree.dump(indent, ' ', false, Json::error_handler_t::replace))
                << c.name << ", indent " << indent;
        }
}

}  // namespace
}  // namespace mfgtool::test

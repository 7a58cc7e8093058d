// A JSON document written as text piece by piece, without building its tree:
// the large parts of a line's document (an entry a section, a cell a model)
// go straight into the text, the small ones are built as Json values and
// spliced in.  The text is byte for byte what jsonText (json_text.h) gives
// for the same tree, which itself is written by this writer: members in the
// order written, empty containers as "{}" and "[]", invalid UTF-8 replaced.
#pragma once

#include <charconv>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "json.h"

namespace mfgtool {

class JsonWriter {
public:
    // `indent` as jsonText's: below 0 the compact form, else pretty with that
    // many spaces a level.
    explicit JsonWriter(int indent);
    // The text written, handed over once the document is whole.
    std::string take();

    JsonWriter& beginObject() { return open('{'); }
    JsonWriter& endObject() { return close('}'); }
    JsonWriter& beginArray() { return open('['); }
    JsonWriter& endArray() { return close(']'); }
    // The name of the open object's next member, whose value comes next.
    JsonWriter& key(std::string_view name);

    JsonWriter& value(std::string_view text);
    JsonWriter& value(const std::string& text) { return value(std::string_view(text)); }
    JsonWriter& value(const char* text) { return value(std::string_view(text)); }
    JsonWriter& value(bool flag);
    JsonWriter& value(std::nullptr_t);
    template <
        typename Number,
        std::enable_if_t<std::is_integral_v<Number> && !std::is_same_v<Number, bool>, int> = 0>
    JsonWriter& value(Number number) {
        char digits[24];
        const auto written = std::to_chars(digits, digits + sizeof digits, number);
        return raw(std::string_view(digits, static_cast<std::size_t>(written.ptr - digits)));
    }
    template <typename Held>
    JsonWriter& value(const std::optional<Held>& held) {
        return held ? value(*held) : value(nullptr);
    }
    template <typename Item>
    JsonWriter& value(const std::vector<Item>& items) {
        beginArray();
        for (const Item& item : items) value(item);
        return endArray();
    }
    // A whole value, spliced in at the current place and depth.
    JsonWriter& value(const Json& json);

    template <typename Value>
    JsonWriter& member(std::string_view name, const Value& v) {
        key(name);
        return value(v);
    }
    // Each member of `object` as a member of the open object.
    JsonWriter& members(const Json& object);
    // A value another compact writer wrote, spliced in as it stands: for a
    // part of the text that is written apart and placed before the parts
    // that made it (a table whose items the rest names by index).
    JsonWriter& written(std::string_view compactText) { return raw(compactText); }

private:
    bool pretty() const { return indent_ >= 0; }
    // Before a value: its separator and indentation, unless it is a
    // member's, whose key has placed it.
    void beforeValue();
    // A new item of the open container: the comma after the one before it,
    // and its line.
    void nextItem();
    // The comma before an item (when `comma`), and the new line at `depth`
    // when the text is pretty.
    void breakLine(bool comma, std::size_t depth);
    JsonWriter& open(char bracket);
    JsonWriter& close(char bracket);
    JsonWriter& raw(std::string_view text);
    // `size` bytes more of the text, to be filled; the text grows by
    // doubling, so that a large document is not copied an append at a time.
    char* room(std::size_t size) {
        if (out_.size() - used_ < size) grow(size);
        char* const place = out_.data() + used_;
        used_ += size;
        return place;
    }
    void grow(std::size_t size);
    void put(std::string_view text);
    // `text` as a JSON string, quoted and escaped as the serializer's
    // `replace` does it (invalid UTF-8 as U+FFFD), then `after`.
    void putQuoted(std::string_view text, std::string_view after);

    static constexpr std::size_t kFirstRoom = 4096;

    std::string out_;
    std::size_t used_ = 0;  // the bytes of `out_` that are text; the rest is room
    int indent_;
    std::vector<bool> emptyLevels_;  // one per open container: nothing in it yet
    bool afterKey_ = false;
    std::string breaks_ = ",\n";  // ",\n" and the spaces of the deepest line yet
};

}  // namespace mfgtool

#include "json_writer.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

namespace mfgtool {
namespace {

constexpr std::uint64_t kEachByte = 0x0101010101010101u;
constexpr std::uint64_t kHighBits = 0x8080808080808080u;

// Eight bytes at once: none at or above 0x80, below 0x20, a quote or a
// backslash.  With every byte below 0x80, subtracting from each byte sets
// its high bit only when some byte is smaller than what is subtracted (the
// borrow may mark its neighbour too, but never when no byte is); a byte
// equal to c is a zero byte of word ^ c.
bool wordCopiedAsItIs(std::uint64_t word) {
    const std::uint64_t quotes = word ^ (kEachByte * '"');
    const std::uint64_t backslashes = word ^ (kEachByte * '\\');
    const std::uint64_t flagged =
        word | (word - kEachByte * 0x20) | (quotes - kEachByte) | (backslashes - kEachByte);
    return (flagged & kHighBits) == 0;
}

// Text the serializer would copy unchanged: no byte to escape and none that
// begins a UTF-8 sequence, which it checks (and may replace).
bool copiedAsItIs(std::string_view text) {
    const auto wordAt = [&](std::size_t at) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + at, sizeof word);
        return word;
    };
    if (text.size() >= 8) {
        std::size_t at = 0;
        for (; at + 8 <= text.size(); at += 8)
            if (!wordCopiedAsItIs(wordAt(at))) return false;
        // The rest as the last eight bytes, checked again in part.
        return at == text.size() || wordCopiedAsItIs(wordAt(text.size() - 8));
    }
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x80 || c == '"' || c == '\\') return false;
    }
    return true;
}

// A string the serializer escapes: its escapes and UTF-8 checks are the
// serializer's own, so that they never differ from a dump.
std::string escapedByTheSerializer(std::string_view text) {
    return Json(std::string(text)).dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace

JsonWriter::JsonWriter(int indent) : indent_(indent) {}

std::string JsonWriter::take() {
    out_.resize(used_);
    used_ = 0;
    return std::exchange(out_, {});
}

void JsonWriter::grow(std::size_t size) {
    out_.resize(std::max(out_.size() * 2, used_ + size + kFirstRoom));
}

void JsonWriter::put(std::string_view text) {
    if (!text.empty()) std::memcpy(room(text.size()), text.data(), text.size());
}

void JsonWriter::putQuoted(std::string_view text, std::string_view after) {
    if (!copiedAsItIs(text)) {
        put(escapedByTheSerializer(text));
        put(after);
        return;
    }
    char* const place = room(text.size() + 2 + after.size());
    place[0] = '"';
    if (!text.empty()) std::memcpy(place + 1, text.data(), text.size());
    place[text.size() + 1] = '"';
    if (!after.empty()) std::memcpy(place + text.size() + 2, after.data(), after.size());
}

void JsonWriter::breakLine(bool comma, std::size_t depth) {
    if (!pretty()) {
        if (comma) put(",");
        return;
    }
    // The comma, the line's end and its indentation in one piece, cut from a
    // text of spaces grown to the deepest level yet.
    const std::size_t spaces = depth * static_cast<std::size_t>(indent_);
    if (breaks_.size() < spaces + 2) breaks_.resize(spaces + 2, ' ');
    put(std::string_view(breaks_).substr(comma ? 0 : 1, spaces + (comma ? 2 : 1)));
}

void JsonWriter::nextItem() {
    if (emptyLevels_.empty()) return;
    const bool first = emptyLevels_.back();
    emptyLevels_.back() = false;
    breakLine(!first, emptyLevels_.size());
}

void JsonWriter::beforeValue() {
    if (afterKey_)
        afterKey_ = false;
    else
        nextItem();
}

JsonWriter& JsonWriter::open(char bracket) {
    beforeValue();
    *room(1) = bracket;
    emptyLevels_.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::close(char bracket) {
    const bool empty = emptyLevels_.back();
    emptyLevels_.pop_back();
    if (!empty) breakLine(false, emptyLevels_.size());
    *room(1) = bracket;
    return *this;
}

JsonWriter& JsonWriter::key(std::string_view name) {
    nextItem();
    putQuoted(name, pretty() ? ": " : ":");
    afterKey_ = true;
    return *this;
}

JsonWriter& JsonWriter::raw(std::string_view text) {
    beforeValue();
    put(text);
    return *this;
}

JsonWriter& JsonWriter::value(std::string_view text) {
    beforeValue();
    putQuoted(text, {});
    return *this;
}

JsonWriter& JsonWriter::value(bool flag) { return raw(flag ? "true" : "false"); }

JsonWriter& JsonWriter::value(std::nullptr_t) { return raw("null"); }

JsonWriter& JsonWriter::value(const Json& json) {
    switch (json.type()) {
        case Json::value_t::object:
            beginObject();
            members(json);
            return endObject();
        case Json::value_t::array:
            beginArray();
            for (const Json& item : json.get_ref<const Json::array_t&>()) value(item);
            return endArray();
        case Json::value_t::string:
            return value(json.get_ref<const std::string&>());
        case Json::value_t::boolean:
            return value(json.get<bool>());
        case Json::value_t::null:
            return value(nullptr);
        case Json::value_t::number_integer:
            return value(json.get<std::int64_t>());
        case Json::value_t::number_unsigned:
            return value(json.get<std::uint64_t>());
        default:
            // A float (no document holds binary data): the serializer's own
            // digits.
            return raw(json.dump(-1, ' ', false, Json::error_handler_t::replace));
    }
}

JsonWriter& JsonWriter::members(const Json& object) {
    for (const auto& [name, member] : object.get_ref<const Json::object_t&>()) {
        key(name);
        value(member);
    }
    return *this;
}

}  // namespace mfgtool

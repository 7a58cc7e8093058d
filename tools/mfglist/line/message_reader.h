// A strict pull reader of one JSON message between a parent and its
// workers (worker_protocol.h): values are read in the order they stand in
// the text, straight into the reader's own structures, with no tree built
// between.  Every complaint is a ProtocolError naming the member it is
// about, as "models[2].sections[7]: ...", and the text is never read past
// its end: a message cut short or not JSON is refused like a mistyped one.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "worker_protocol.h"

namespace mfgtool {

// Where a value sits in the message, spelled only when a complaint names
// it: a member of `parent` by `name`, else its item `index`; the message
// itself has no parent.
struct MessagePlace {
    const MessagePlace* parent = nullptr;
    const char* name = nullptr;
    std::size_t index = 0;

    MessagePlace member(const char* memberName) const { return {this, memberName, 0}; }
    MessagePlace item(std::size_t itemIndex) const { return {this, nullptr, itemIndex}; }
    std::string spelled() const;
};

class MessageReader {
public:
    explicit MessageReader(std::string_view text) : text_(text) {}

    [[noreturn]] void fail(const MessagePlace& at, const std::string& what) const;

    // Null, taken; false (nothing taken) for any other value.
    bool null(const MessagePlace& at);
    bool boolean(const MessagePlace& at);
    std::string text(const MessagePlace& at);
    // The text as it stands in the message when it holds no escape, else
    // decoded into `decoded`.
    std::string_view textView(const MessagePlace& at, std::string& decoded);

    // A whole number that `Number` holds (-0 is 0), else "is out of range".
    template <typename Number>
    Number number(const MessagePlace& at) {
        const Integer read = integer(at);
        using Limits = std::numeric_limits<Number>;
        if (read.negative && read.magnitude > 0) {
            if constexpr (std::is_signed_v<Number>) {
                const auto least = static_cast<std::uint64_t>(-(Limits::min() + 1)) + 1;
                if (read.magnitude <= least)
                    return static_cast<Number>(-static_cast<std::int64_t>(read.magnitude - 1) - 1);
            }
            fail(at, "is out of range");
        }
        if (read.magnitude > static_cast<std::uint64_t>(Limits::max())) fail(at, "is out of range");
        return static_cast<Number>(read.magnitude);
    }

    // An array's items, each read by `item(index, place)`, which must take
    // the whole item; gives how many there were.
    template <typename Item>
    std::size_t items(const MessagePlace& at, Item&& item) {
        if (!openIf('[')) kindFail(at, "is not an array");
        std::size_t count = 0;
        if (closeIf(']')) return count;
        do {
            item(count, at.item(count));
            ++count;
        } while (nextIf(at, ']'));
        return count;
    }

    // An object's members in the order they stand, each by
    // `read(index in names, place)`, which takes the whole value or, to have
    // another member read first, takes nothing and returns false to be
    // called again once every other member is read.  Members not named are
    // skipped; one given twice is refused.  Gives which were read.
    template <std::size_t N, typename Read>
    std::array<bool, N> members(const MessagePlace& at, const std::array<const char*, N>& names,
                                Read&& read) {
        if (!openIf('{')) kindFail(at, "is not an object");
        std::array<bool, N> seen{};
        std::vector<std::pair<std::size_t, std::size_t>> later;  // name, where its value is
        if (!closeIf('}')) {
            std::string decoded;
            do {
                const std::string_view key = memberKey(at, decoded);
                std::size_t known = 0;
                while (known < N && key != names[known]) ++known;
                if (known == N) {
                    skipValue(at, 0);
                    continue;
                }
                const MessagePlace place = at.member(names[known]);
                if (seen[known]) fail(place, "is given twice");
                seen[known] = true;
                skipSpace();
                const std::size_t value = at_;
                if (!read(known, place)) {
                    skipValue(place, 0);
                    later.emplace_back(known, value);
                }
            } while (nextIf(at, '}'));
        }
        const std::size_t after = at_;
        // One still not read lacks what it needs: it reads as missing, for
        // the caller to name what is.
        for (const auto& [known, value] : later) {
            at_ = value;
            if (!read(known, at.member(names[known]))) seen[known] = false;
        }
        at_ = after;
        return seen;
    }

    // A value of any type, checked as JSON but not kept.
    void skip(const MessagePlace& at) { skipValue(at, 0); }

    // Only white space left after the message.
    void end(const MessagePlace& at);

private:
    struct Integer {
        bool negative = false;
        std::uint64_t magnitude = 0;
    };

    [[noreturn]] void malformed(const MessagePlace& at, const std::string& what) const;
    // The value there is of another type, or no JSON value at all.
    [[noreturn]] void kindFail(const MessagePlace& at, const char* what);
    void skipSpace();
    // The bracket taken when it is the next character.
    bool openIf(char bracket);
    bool closeIf(char bracket) { return openIf(bracket); }
    // After an item: true when a comma leads to another, false when
    // `bracket` closes them.
    bool nextIf(const MessagePlace& at, char bracket);
    std::string_view memberKey(const MessagePlace& at, std::string& decoded);
    void word(const MessagePlace& at, std::string_view expected);
    Integer integer(const MessagePlace& at);
    // Whether the text at hand holds no escape and nothing amiss, and then
    // `end` past its closing quote.
    bool plainText(std::size_t& end) const;
    void decodeText(const MessagePlace& at, std::string& out);
    void skipValue(const MessagePlace& at, int depth);

    std::string_view text_;
    std::size_t at_ = 0;
};

}  // namespace mfgtool

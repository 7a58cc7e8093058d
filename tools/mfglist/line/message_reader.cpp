#include "message_reader.h"

#include "common/text_encoding.h"

namespace mfgtool {
namespace {

// Deeper than any message nests, shallow enough for any stack.
constexpr int kDeepest = 64;

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The length of the well-formed UTF-8 character at `at`, 0 for a
// malformed one.
std::size_t utf8Length(std::string_view text, std::size_t at) {
    std::size_t next = at;
    return nextCodePoint(text, next) ? next - at : 0;
}

}  // namespace

std::string MessagePlace::spelled() const {
    if (!parent) return {};
    std::string path = parent->spelled();
    if (!name) return path + "[" + std::to_string(index) + "]";
    return path.empty() ? std::string(name) : path + "." + name;
}

void MessageReader::fail(const MessagePlace& at, const std::string& what) const {
    const std::string path = at.spelled();
    throw ProtocolError((path.empty() ? std::string("the message") : path) + ": " + what);
}

void MessageReader::malformed(const MessagePlace& at, const std::string& what) const {
    fail(at, "is not JSON: " + what + " at byte " + std::to_string(at_));
}

void MessageReader::kindFail(const MessagePlace& at, const char* what) {
    skipSpace();
    if (at_ == text_.size()) malformed(at, "the text ends");
    const char c = text_[at_];
    if (c == '"' || c == '{' || c == '[' || c == 't' || c == 'f' || c == 'n' || c == '-' ||
        isDigit(c))
        fail(at, what);
    malformed(at, std::string("'") + c + "' begins no value");
}

void MessageReader::skipSpace() {
    while (at_ < text_.size() && isSpace(text_[at_])) ++at_;
}

bool MessageReader::openIf(char bracket) {
    skipSpace();
    if (at_ == text_.size() || text_[at_] != bracket) return false;
    ++at_;
    return true;
}

bool MessageReader::nextIf(const MessagePlace& at, char bracket) {
    skipSpace();
    if (at_ == text_.size()) malformed(at, "the text ends");
    const char c = text_[at_++];
    if (c == ',') return true;
    if (c == bracket) return false;
    --at_;
    malformed(at, std::string("',' or '") + bracket + "' is missing");
}

std::string_view MessageReader::memberKey(const MessagePlace& at, std::string& decoded) {
    skipSpace();
    if (at_ == text_.size() || text_[at_] != '"') malformed(at, "a member's name is missing");
    const std::string_view key = textView(at, decoded);
    skipSpace();
    if (at_ == text_.size() || text_[at_] != ':') malformed(at, "':' is missing");
    ++at_;
    return key;
}

void MessageReader::word(const MessagePlace& at, std::string_view expected) {
    if (text_.substr(at_, expected.size()) != expected)
        malformed(at, "'" + std::string(expected) + "' is misspelt");
    at_ += expected.size();
}

bool MessageReader::null(const MessagePlace& at) {
    skipSpace();
    if (at_ == text_.size() || text_[at_] != 'n') return false;
    word(at, "null");
    return true;
}

bool MessageReader::boolean(const MessagePlace& at) {
    skipSpace();
    if (at_ < text_.size() && text_[at_] == 't') return word(at, "true"), true;
    if (at_ < text_.size() && text_[at_] == 'f') return word(at, "false"), false;
    kindFail(at, "is not true or false");
}

MessageReader::Integer MessageReader::integer(const MessagePlace& at) {
    skipSpace();
    Integer read;
    if (at_ < text_.size() && text_[at_] == '-') {
        read.negative = true;
        ++at_;
        if (at_ == text_.size() || !isDigit(text_[at_])) malformed(at, "'-' stands alone");
    }
    if (at_ == text_.size() || !isDigit(text_[at_])) kindFail(at, "is not a whole number");
    bool tooLarge = false;
    const std::size_t first = at_;
    for (; at_ < text_.size() && isDigit(text_[at_]); ++at_) {
        const auto digit = static_cast<std::uint64_t>(text_[at_] - '0');
        if (read.magnitude > (std::numeric_limits<std::uint64_t>::max() - digit) / 10)
            tooLarge = true;
        read.magnitude = read.magnitude * 10 + digit;
    }
    if (text_[first] == '0' && at_ - first > 1) malformed(at, "a number begins with 0");
    if (at_ < text_.size() && (text_[at_] == '.' || text_[at_] == 'e' || text_[at_] == 'E'))
        fail(at, "is not a whole number");
    if (tooLarge) fail(at, "is out of range");
    return read;
}

bool MessageReader::plainText(std::size_t& end) const {
    // at_ is on the opening quote.
    std::size_t i = at_ + 1;
    while (i < text_.size()) {
        const auto byte = static_cast<unsigned char>(text_[i]);
        if (byte == '"') {
            end = i + 1;
            return true;
        }
        if (byte == '\\' || byte < 0x20) return false;
        if (byte < 0x80) {
            ++i;
        } else if (const std::size_t length = utf8Length(text_, i)) {
            i += length;
        } else {
            return false;
        }
    }
    return false;
}

void MessageReader::decodeText(const MessagePlace& at, std::string& out) {
    ++at_;  // the opening quote
    const auto hex4 = [&] {
        std::uint32_t code = 0;
        for (int i = 0; i < 4; ++i) {
            const int digit = at_ < text_.size() ? hexDigit(text_[at_]) : -1;
            if (digit < 0) malformed(at, "a \\u escape lacks its four hex digits");
            code = code * 16 + static_cast<std::uint32_t>(digit);
            ++at_;
        }
        return code;
    };
    while (true) {
        if (at_ == text_.size()) malformed(at, "the text ends");
        const auto byte = static_cast<unsigned char>(text_[at_]);
        if (byte == '"') {
            ++at_;
            return;
        }
        if (byte < 0x20) malformed(at, "a control character is not escaped");
        if (byte >= 0x80) {
            const std::size_t length = utf8Length(text_, at_);
            if (length == 0) malformed(at, "a byte is not UTF-8");
            out.append(text_.substr(at_, length));
            at_ += length;
            continue;
        }
        ++at_;
        if (byte != '\\') {
            out += static_cast<char>(byte);
            continue;
        }
        if (at_ == text_.size()) malformed(at, "the text ends");
        const char escaped = text_[at_++];
        switch (escaped) {
            case '"':
                out += '"';
                break;
            case '\\':
                out += '\\';
                break;
            case '/':
                out += '/';
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u': {
                std::uint32_t code = hex4();
                if (code >= 0xDC00 && code <= 0xDFFF)
                    malformed(at, "a \\u escape is a low surrogate alone");
                if (code >= 0xD800 && code <= 0xDBFF) {
                    if (text_.substr(at_, 2) != "\\u")
                        malformed(at, "a high surrogate lacks its low one");
                    at_ += 2;
                    const std::uint32_t low = hex4();
                    if (low < 0xDC00 || low > 0xDFFF)
                        malformed(at, "a high surrogate lacks its low one");
                    code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                }
                appendUtf8(out, static_cast<char32_t>(code));
                break;
            }
            default:
                --at_;
                malformed(at, std::string("\\") + escaped + " is no escape");
        }
    }
}

std::string_view MessageReader::textView(const MessagePlace& at, std::string& decoded) {
    skipSpace();
    if (at_ == text_.size() || text_[at_] != '"') kindFail(at, "is not text");
    std::size_t end = 0;
    if (plainText(end)) {
        const std::string_view view = text_.substr(at_ + 1, end - at_ - 2);
        at_ = end;
        return view;
    }
    decoded.clear();
    decodeText(at, decoded);
    return decoded;
}

std::string MessageReader::text(const MessagePlace& at) {
    std::string decoded;
    const std::string_view view = textView(at, decoded);
    return view.data() == decoded.data() ? std::move(decoded) : std::string(view);
}

void MessageReader::skipValue(const MessagePlace& at, int depth) {
    if (depth > kDeepest) malformed(at, "values nest too deep");
    skipSpace();
    if (at_ == text_.size()) malformed(at, "the text ends");
    std::string decoded;
    switch (text_[at_]) {
        case '"':
            textView(at, decoded);
            return;
        case '{':
            ++at_;
            if (closeIf('}')) return;
            do {
                memberKey(at, decoded);
                skipValue(at, depth + 1);
            } while (nextIf(at, '}'));
            return;
        case '[':
            ++at_;
            if (closeIf(']')) return;
            do skipValue(at, depth + 1);
            while (nextIf(at, ']'));
            return;
        case 't':
            return word(at, "true");
        case 'f':
            return word(at, "false");
        case 'n':
            return word(at, "null");
        default: {
            if (text_[at_] != '-' && !isDigit(text_[at_]))
                malformed(at, std::string("'") + text_[at_] + "' begins no value");
            if (text_[at_] == '-') ++at_;
            if (at_ == text_.size() || !isDigit(text_[at_])) malformed(at, "'-' stands alone");
            const auto digits = [&] {
                const std::size_t first = at_;
                while (at_ < text_.size() && isDigit(text_[at_])) ++at_;
                if (at_ == first) malformed(at, "a number lacks its digits");
            };
            if (text_[at_] == '0') {
                ++at_;
            } else {
                digits();
            }
            if (at_ < text_.size() && text_[at_] == '.') {
                ++at_;
                digits();
            }
            if (at_ < text_.size() && (text_[at_] == 'e' || text_[at_] == 'E')) {
                ++at_;
                if (at_ < text_.size() && (text_[at_] == '+' || text_[at_] == '-')) ++at_;
                digits();
            }
        }
    }
}

void MessageReader::end(const MessagePlace& at) {
    skipSpace();
    if (at_ != text_.size()) malformed(at, "text follows the message's end");
}

}  // namespace mfgtool

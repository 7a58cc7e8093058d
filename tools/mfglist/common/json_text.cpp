#include "json_text.h"

namespace mfgtool {
namespace {

// Text the serializer would copy unchanged: no byte to escape and none that
// begins a UTF-8 sequence, which it checks (and may replace).
bool copiedAsItIs(std::string_view text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x80 || c == '"' || c == '\\') return false;
    }
    return true;
}

class TextWriter {
public:
    TextWriter(std::string& out, int indent) : out_(out), indent_(indent) {}

    void write(const Json& value, std::size_t current) {
        switch (value.type()) {
            case Json::value_t::object: {
                const auto& members = value.get_ref<const Json::object_t&>();
                if (members.empty()) return void(out_ += "{}");
                open('{');
                bool first = true;
                for (const auto& [key, member] : members) {
                    next(first, current);
                    text(key);
                    out_ += pretty() ? ": " : ":";
                    write(member, current + step());
                }
                close('}', current);
                return;
            }
            case Json::value_t::array: {
                const auto& items = value.get_ref<const Json::array_t&>();
                if (items.empty()) return void(out_ += "[]");
                open('[');
                bool first = true;
                for (const Json& item : items) {
                    next(first, current);
                    write(item, current + step());
                }
                close(']', current);
                return;
            }
            case Json::value_t::string:
                return text(value.get_ref<const std::string&>());
            case Json::value_t::boolean:
                out_ += value.get<bool>() ? "true" : "false";
                return;
            case Json::value_t::null:
                out_ += "null";
                return;
            case Json::value_t::number_integer:
                out_ += std::to_string(value.get<std::int64_t>());
                return;
            case Json::value_t::number_unsigned:
                out_ += std::to_string(value.get<std::uint64_t>());
                return;
            default:
                // A float (no document holds binary data): the serializer's
                // own digits.
                out_ += value.dump(-1, ' ', false, Json::error_handler_t::replace);
                return;
        }
    }

private:
    bool pretty() const { return indent_ >= 0; }
    std::size_t step() const { return pretty() ? static_cast<std::size_t>(indent_) : 0; }

    void open(char bracket) {
        out_ += bracket;
        if (pretty()) out_ += '\n';
    }
    void next(bool& first, std::size_t current) {
        if (!first) out_ += pretty() ? ",\n" : ",";
        first = false;
        if (pretty()) out_.append(current + step(), ' ');
    }
    void close(char bracket, std::size_t current) {
        if (pretty()) {
            out_ += '\n';
            out_.append(current, ' ');
        }
        out_ += bracket;
    }
    void text(const std::string& value) { appendJsonString(out_, value); }

    std::string& out_;
    int indent_;
};

}  // namespace

void appendJsonString(std::string& out, std::string_view text) {
    if (!copiedAsItIs(text)) {
        out += Json(std::string(text)).dump(-1, ' ', false, Json::error_handler_t::replace);
        return;
    }
    out += '"';
    out += text;
    out += '"';
}

std::string jsonText(const Json& value, int indent) {
    std::string out;
    TextWriter(out, indent).write(value, 0);
    return out;
}

}  // namespace mfgtool

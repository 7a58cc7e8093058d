#include "id_file_header.h"

#include <algorithm>
#include <cctype>

namespace mfgtool {
namespace {

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

std::string lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// The length of what a template gives: each field is a fixed number of hex
// digits, every other character stands for itself.
std::size_t templateLength(std::string_view pattern) {
    static constexpr struct {
        std::string_view field;
        std::size_t digits;
    } kFields[] = {{"{VEN}", 4},    {"{DEV}", 4}, {"{SUBSYS}", 8}, {"{SUBVEN}", 4},
                   {"{SUBDEV}", 4}, {"{REV}", 2}, {"{CLASS}", 6}};
    std::size_t length = 0;
    for (std::size_t i = 0; i < pattern.size();) {
        const auto* field = std::find_if(
            std::begin(kFields), std::end(kFields),
            [&](const auto& f) { return pattern.substr(i, f.field.size()) == f.field; });
        if (field != std::end(kFields)) {
            length += field->digits;
            i += field->field.size();
        } else {
            ++length;
            ++i;
        }
    }
    return length;
}

}  // namespace

IdFileHeader readIdFileHeader(std::string_view text) {
    IdFileHeader header;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = trimmed(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty()) continue;
        if (line.front() != '#' && line.front() != ';') break;
        const std::string_view body = trimmed(line.substr(1));
        const std::size_t colon = body.find(':');
        if (colon == std::string_view::npos) continue;
        const std::string key = lowered(trimmed(body.substr(0, colon)));
        const std::string value(trimmed(body.substr(colon + 1)));
        if (key == "model")
            header.model = value;
        else if (key == "windows")
            header.windows = lowered(value);
        else if (key == "kind")
            header.kind = lowered(value);
        else if (key == "form")
            header.form = lowered(value);
        else if (key == "template")
            header.templates.push_back(value);
        else if (key == "captured")
            header.captured = value;
        else if (key == "host")
            header.host = value;
        else if (key == "tool")
            header.tool = value;
    }
    return header;
}

std::string formatIdFileHeader(const IdFileHeader& header) {
    std::string out;
    const auto put = [&](std::string_view key, const std::string& value) {
        if (!value.empty()) out.append("# ").append(key).append(": ").append(value).append("\n");
    };
    put("model", header.model);
    put("windows", header.windows.value_or(""));
    put("kind", header.kind.value_or(""));
    put("form", header.form);
    for (const std::string& pattern : header.templates) put("template", pattern);
    put("captured", header.captured);
    put("host", header.host);
    put("tool", header.tool);
    return out;
}

std::vector<std::size_t> formIdLengths(const IdFileHeader& header) {
    if (header.form == "compact") return {8, 16};
    if (header.form != "template") return {};
    std::vector<std::size_t> lengths;
    for (const std::string& pattern : header.templates) lengths.push_back(templateLength(pattern));
    return lengths;
}

std::string formMismatch(const IdFileHeader& header,
                         const std::vector<std::size_t>& hardIdLengths) {
    const bool onlyHexLengths =
        !hardIdLengths.empty() && std::all_of(hardIdLengths.begin(), hardIdLengths.end(),
                                              [](std::size_t n) { return n == 8 || n == 16; });
    if (header.form == "pnp") {
        if (!onlyHexLengths) return {};
        return "captured in form pnp: Windows' ID strings (PCI\\VEN_...&DEV_...) cannot match "
               "the process files' 8- and 16-character HARDIDs; capture again with --form compact";
    }
    const std::vector<std::size_t> lengths = formIdLengths(header);
    if (lengths.empty() || hardIdLengths.empty()) return {};
    // A 16-character HARDID matches an ID whole; an 8-character one, as a
    // family, every ID that begins with it.
    const auto matchable = [&](std::size_t hardIdLength) {
        return std::any_of(lengths.begin(), lengths.end(), [&](std::size_t n) {
            return hardIdLength == 8 ? n >= 8 : n == hardIdLength;
        });
    };
    if (std::any_of(hardIdLengths.begin(), hardIdLengths.end(), matchable)) return {};
    return "captured in form " + header.form +
           ": its IDs have none of the lengths of the process files' HARDIDs, so no entry can "
           "match";
}

}  // namespace mfgtool

// Loading a list for comparing: an install list file, or a saved preview's
// JSON, refused with a message that says what was expected when it is
// neither.
#include "compared_list.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "common/errors.h"
#include "common/file_reads.h"
#include "common/text_encoding.h"

namespace mfgtool {
namespace {

const char* const kWhatDiffTakes =
    "give an install list file (a [SYSTEM] section with COUNT and the entry sections [0], "
    "[1], ...) or the saved JSON of 'mfglist preview --json'";

// How much of a file tells whether it can be a list: a list file names its
// SYSTEM section or its first entry near the top, a JSON document opens
// with '{', and neither holds a zero byte.
constexpr std::size_t kHeadBytes = 64 * 1024;

ComparedList fromPreviewJson(const Json& json, const std::string& file) {
    const auto wrongShape = [&](const std::string& what) {
        return UsageError(file + " is JSON but not a saved 'mfglist preview --json' (" + what +
                          "); " + kWhatDiffTakes);
    };
    if (!json.is_object() || !json.contains("list") || !json["list"].is_object())
        throw wrongShape("no \"list\" object");
    const Json& list = json["list"];
    // Every member a saved preview always has: a document that lacks one is
    // of another shape, not a list without entries.
    if (!list.contains("written") || !list["written"].is_boolean())
        throw wrongShape("list.written is not true or false");
    if (!list.contains("system") || !(list["system"].is_null() || list["system"].is_object()))
        throw wrongShape("list.system is neither a section nor null");
    if (!list.contains("entries") || !list["entries"].is_array())
        throw wrongShape("list.entries is not an array");
    const auto keysOf = [&](const Json& section, const std::string& where) {
        const Json keys = section.is_object() ? section.value("keys", Json::object()) : Json();
        if (!keys.is_object()) throw wrongShape(where + " has no \"keys\" object");
        for (const auto& [key, value] : keys.items())
            if (value.is_object() || value.is_array())
                throw wrongShape(where + " key " + key + " is not a value");
        return keysFromJson(keys);
    };
    ComparedList compared;
    if (!list["system"].is_null()) compared.system = keysOf(list["system"], "list.system");
    for (const Json& entry : list["entries"]) {
        const std::string where = "entry " + std::to_string(compared.entries.size());
        compared.entries.push_back(keysOf(entry, where));
        const Json source = entry.is_object() ? entry.value("source", Json()) : Json();
        compared.sections.push_back(source.is_object() &&
                                            source.value("section", Json()).is_string()
                                        ? source["section"].get<std::string>()
                                        : std::string());
    }
    return compared;
}

}  // namespace

ComparedList comparedListFromBytes(const std::string& bytes, int codePage,
                                   const std::string& file) {
    IniDocument document = parseIni(bytes);
    const bool anyNumbered =
        std::any_of(document.sections().begin(), document.sections().end(),
                    [](const IniSection& s) { return isEntrySectionName(s.name); });
    InstallList list = installListFrom(std::move(document));
    if (!list.system && !anyNumbered)
        throw UsageError(file +
                         " is not an install list: it has no [SYSTEM] section and no "
                         "numbered entry sections; " +
                         kWhatDiffTakes);
    if (!list.problems.empty())
        throw UsageError(file + " is not a whole install list: " + list.problems.front() +
                         "; compare lists as the library wrote them");
    // ASCII is its own UTF-8: only a text with other bytes is decoded.
    const auto toUtf8 = [&](std::string& text) {
        if (std::any_of(text.begin(), text.end(),
                        [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
            text = decodeCodePage(text, codePage).utf8;
    };
    const auto decoded = [&](KeyValues keys) {
        for (auto& [key, value] : keys) {
            toUtf8(key);
            toUtf8(value);
        }
        return keys;
    };
    ComparedList compared;
    if (list.system) compared.system = decoded(std::move(*list.system));
    compared.entries.reserve(list.entries.size());
    for (KeyValues& entry : list.entries) compared.entries.push_back(decoded(std::move(entry)));
    return compared;
}

namespace {

// Whether the head of a file can begin a list file: text, with a [SYSTEM]
// or an entry section header among its lines.
bool headCanBeList(const std::string& head) {
    if (head.find('\0') != std::string::npos) return false;
    const std::string lower = lowerAscii(head);
    for (std::size_t at = 0; at < lower.size();) {
        const std::size_t start = lower.find_first_not_of(" \t\r\n", at);
        if (start == std::string::npos) break;
        std::size_t end = lower.find('\n', start);
        if (end == std::string::npos) end = lower.size();
        const std::string line = lower.substr(start, end - start);
        if (line.rfind("[system]", 0) == 0 || line.rfind("[0]", 0) == 0) return true;
        at = end;
    }
    return false;
}

}  // namespace

ComparedList loadComparedList(const std::string& file) {
    std::error_code ec;
    if (std::filesystem::is_directory(file, ec))
        throw UsageError(file + " is a folder; " + kWhatDiffTakes);
    std::ifstream in(file, std::ios::binary);
    if (!in) throw UsageError("cannot read " + file + "; " + kWhatDiffTakes);
    std::string bytes(kHeadBytes, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (in.bad()) throw UsageError("cannot read " + file);
    const std::size_t first = bytes.find_first_not_of(" \t\r\n");
    const bool json =
        first != std::string::npos && bytes[first] == '{' && bytes.find('\0') == std::string::npos;
    // Anything else is refused before the rest of a large file is read.
    if (!json && !headCanBeList(bytes))
        throw UsageError(file + " is not an install list: " +
                         (bytes.find('\0') != std::string::npos
                              ? std::string("it holds bytes that are not text")
                              : "no [SYSTEM] or [0] section near its start") +
                         "; " + kWhatDiffTakes);
    in.close();
    std::optional<std::string> whole = readFileWhole(file);
    if (!whole) throw UsageError("cannot read " + file);
    bytes = std::move(*whole);
    if (json) {
        const Json document = Json::parse(bytes, nullptr, false);
        if (document.is_discarded())
            throw UsageError(file + " is not valid JSON; " + kWhatDiffTakes);
        return fromPreviewJson(document, file);
    }
    return comparedListFromBytes(bytes, libraryCodePage(), file);
}

KeyValues keysFromJson(const Json& keys) {
    KeyValues values;
    for (const auto& [key, value] : keys.items())
        values.emplace_back(key, value.is_string() ? value.get<std::string>() : value.dump());
    return values;
}

}  // namespace mfgtool

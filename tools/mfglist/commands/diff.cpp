// `mfglist diff A B`: what changes between two install lists, each a list
// file or a saved `preview --json`.  Status 0 when equal, 1 when not, as
// diff(1) says it.
#include "commands.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "common/errors.h"
#include "common/options.h"
#include "common/text_encoding.h"
#include "list/diff.h"
#include "present/json_contract.h"

namespace mfgtool {
namespace {

struct DiffOptions {
    std::string before;
    std::string after;
    bool json = false;
};

const char* const kDiffFooter =
    "Each of A and B is an install list file or the saved JSON of 'mfglist preview --json'.\n"
    "Entries are paired by what they are, never by where they stand: by the process-file\n"
    "section each came from where both know it (a preview's JSON does), then by NAME and\n"
    "HARDID; the report names entries added, removed, moved in the install order, and every\n"
    "changed key.  Status 0 when the lists are equal, 1 when they differ, 2 when a file cannot\n"
    "be read or is not a whole install list: a folder, JSON of another shape, a file without\n"
    "a [SYSTEM] section with COUNT and numbered entry sections (refused from its first 64 KB),\n"
    "or a COUNT that disagrees with the numbered sections.\n"
    "\n"
    "Examples:\n"
    "  mfglist diff before.json after.json\n"
    "  mfglist diff old/LIST.INI new/LIST.INI --json\n";

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
        compared.sections.push_back(source.is_object() && source.value("section", Json()).is_string()
                                        ? source["section"].get<std::string>()
                                        : std::string());
    }
    return compared;
}

}  // namespace

ComparedList comparedListFromBytes(const std::string& bytes, int codePage, const std::string& file) {
    IniDocument document = parseIni(bytes);
    const bool anyNumbered = std::any_of(document.sections().begin(), document.sections().end(),
                                         [](const IniSection& s) { return isEntrySectionName(s.name); });
    InstallList list = installListFrom(std::move(document));
    if (!list.system && !anyNumbered)
        throw UsageError(file + " is not an install list: it has no [SYSTEM] section and no "
                                "numbered entry sections; " + kWhatDiffTakes);
    if (!list.problems.empty())
        throw UsageError(file + " is not a whole install list: " + list.problems.front() +
                         "; compare lists as the library wrote them");
    // ASCII is its own UTF-8: only a text with other bytes is decoded.
    const auto toUtf8 = [&](std::string& text) {
        if (std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
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
    const bool json = first != std::string::npos && bytes[first] == '{' &&
                      bytes.find('\0') == std::string::npos;
    // Anything else is refused before the rest of a large file is read.
    if (!json && !headCanBeList(bytes))
        throw UsageError(file + " is not an install list: " +
                         (bytes.find('\0') != std::string::npos
                              ? std::string("it holds bytes that are not text")
                              : "no [SYSTEM] or [0] section near its start") +
                         "; " + kWhatDiffTakes);
    bytes.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) throw UsageError("cannot read " + file);
    if (json) {
        const Json document = Json::parse(bytes, nullptr, false);
        if (document.is_discarded()) throw UsageError(file + " is not valid JSON; " + kWhatDiffTakes);
        return fromPreviewJson(document, file);
    }
    return comparedListFromBytes(bytes, libraryCodePage(), file);
}

namespace {

std::string nameOf(const KeyValues& entry) {
    for (const auto& [key, value] : entry)
        if (key == "NAME") return value;
    return {};
}

Json optionalText(const std::optional<std::string>& text) {
    return text ? Json(*text) : Json(nullptr);
}

Json keyChangesJson(const std::vector<KeyChange>& changes) {
    Json json = Json::array();
    for (const KeyChange& change : changes)
        json.push_back({{"key", change.key},
                        {"before", optionalText(change.before)},
                        {"after", optionalText(change.after)}});
    return json;
}

std::string shown(const std::optional<std::string>& text) {
    return text ? "\"" + *text + "\"" : "(none)";
}

void printKeyChanges(const std::vector<KeyChange>& changes, std::ostream& out) {
    for (const KeyChange& change : changes)
        out << "    " << change.key << ": " << shown(change.before) << " -> " << shown(change.after)
            << '\n';
}

int runDiff(const DiffOptions& options, std::ostream& out) {
    const ComparedList before = loadComparedList(options.before);
    const ComparedList after = loadComparedList(options.after);
    const ListDiff diff = compareLists(before, after);
    const int status = diff.equal() ? kExitOk : kExitDifferent;

    if (options.json) {
        Json json = jsonDocument("diff", diff.equal() ? "equal" : "different", status);
        Json added = Json::array();
        for (const std::size_t j : diff.added)
            added.push_back({{"position", j}, {"name", nameOf(after.entries[j])}});
        Json removed = Json::array();
        for (const std::size_t i : diff.removed)
            removed.push_back({{"position", i}, {"name", nameOf(before.entries[i])}});
        Json moved = Json::array();
        Json changed = Json::array();
        for (const EntryChange& change : diff.matched) {
            if (change.moved)
                moved.push_back(
                    {{"name", change.name}, {"before", change.before}, {"after", change.after}});
            if (!change.keys.empty())
                changed.push_back({{"name", change.name},
                                   {"before", change.before},
                                   {"after", change.after},
                                   {"keys", keyChangesJson(change.keys)}});
        }
        json["entries"] = {{"before", before.entries.size()}, {"after", after.entries.size()}};
        json["added"] = added;
        json["removed"] = removed;
        json["moved"] = moved;
        json["changed"] = changed;
        json["system"] = keyChangesJson(diff.system);
        out << json.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
        return status;
    }

    if (diff.equal()) {
        out << "The lists are the same: " << after.entries.size() << " entries in the same order.\n";
        return status;
    }
    out << "Entries: " << before.entries.size() << " before, " << after.entries.size()
        << " after\n";
    for (const std::size_t i : diff.removed)
        out << "- removed  #" << i << "  " << nameOf(before.entries[i]) << '\n';
    for (const std::size_t j : diff.added)
        out << "+ added    #" << j << "  " << nameOf(after.entries[j]) << '\n';
    for (const EntryChange& change : diff.matched)
        if (change.moved)
            out << "~ moved    #" << change.before << " -> #" << change.after << "  " << change.name
                << '\n';
    for (const EntryChange& change : diff.matched) {
        if (change.keys.empty()) continue;
        out << "* changed  #" << change.before;
        if (change.before != change.after) out << " -> #" << change.after;
        out << "  " << change.name << '\n';
        printKeyChanges(change.keys, out);
    }
    if (!diff.system.empty()) {
        out << "* SYSTEM\n";
        printKeyChanges(diff.system, out);
    }
    return status;
}

}  // namespace

Command addDiffCommand(CLI::App& app) {
    auto options = std::make_shared<DiffOptions>();
    CLI::App* command =
        app.add_subcommand("diff", "Compare two install lists (list files or preview JSON).");
    command->add_option("A", options->before, "The list before")->required();
    command->add_option("B", options->after, "The list after")->required();
    addJsonOption(*command, options->json);
    command->footer(std::string("\n") + kDiffFooter + "\n" + kExitStatusHelp);
    return {command, [options](std::ostream& out) { return runDiff(*options, out); }};
}

}  // namespace mfgtool

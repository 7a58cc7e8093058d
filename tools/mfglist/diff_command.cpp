// `mfglist diff A B`: what changes between two install lists, each a list
// file or a saved `preview --json`.  Status 0 when equal, 1 when not, as
// diff(1) says it.
#include <fstream>
#include <iterator>

#include "commands.h"
#include "diff.h"
#include "errors.h"
#include "json_contract.h"
#include "text_encoding.h"

namespace mfgtool {
namespace {

ComparedList fromPreviewJson(const Json& json, const std::string& file) {
    if (!json.is_object() || !json.contains("list") || !json["list"].is_object())
        throw UsageError(file + " is JSON but not a saved 'mfglist preview --json'; give a list "
                                "file or a preview's JSON");
    const Json& list = json["list"];
    ComparedList compared;
    if (list.contains("system") && list["system"].is_object())
        compared.system = keysFromJson(list["system"].value("keys", Json::object()));
    for (const Json& entry : list.value("entries", Json::array()))
        compared.entries.push_back(keysFromJson(entry.value("keys", Json::object())));
    return compared;
}

ComparedList fromListFile(const std::string& bytes, int codePage) {
    const InstallList list = installListFrom(parseIni(bytes));
    const auto decoded = [&](const KeyValues& keys) {
        KeyValues text;
        for (const auto& [key, value] : keys)
            text.emplace_back(decodeCodePage(key, codePage).utf8,
                              decodeCodePage(value, codePage).utf8);
        return text;
    };
    ComparedList compared;
    if (list.system) compared.system = decoded(*list.system);
    for (const KeyValues& entry : list.entries) compared.entries.push_back(decoded(entry));
    return compared;
}

ComparedList load(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw UsageError("cannot read " + file + "; give a list file or a preview's JSON");
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::size_t first = bytes.find_first_not_of(" \t\r\n");
    if (first != std::string::npos && bytes[first] == '{') {
        const Json json = Json::parse(bytes, nullptr, false);
        if (json.is_discarded()) throw UsageError(file + " is not valid JSON");
        return fromPreviewJson(json, file);
    }
    return fromListFile(bytes, libraryCodePage());
}

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

}  // namespace

int runDiff(const DiffOptions& options, std::ostream& out) {
    const ComparedList before = load(options.before);
    const ComparedList after = load(options.after);
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

}  // namespace mfgtool

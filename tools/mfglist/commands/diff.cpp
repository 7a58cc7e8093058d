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
#include "list/compared_list.h"
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
        out << "The lists are the same: " << after.entries.size()
            << " entries in the same order.\n";
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

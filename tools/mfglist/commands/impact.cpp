// `mfglist impact OLD NEW --models DIR`: what a change of the process files
// does to every model's list.  Both folders run the whole catalogue as
// `matrix` does; each model's two lists are compared the way `diff`
// compares them (entries paired by their section, then by NAME and HARDID).
// `--git REV FOLDER` takes OLD from a revision of FOLDER in its git
// repository.
#include "commands.h"

#include <fstream>
#include <iterator>
#include <memory>

#include "common/errors.h"
#include "common/file_writes.h"
#include "common/options.h"
#include "common/text_encoding.h"
#include "line/line_runs.h"
#include "list/diff.h"
#include "present/html_report.h"
#include "run/scratch_run.h"
#include "run/self_process.h"

namespace fs = std::filesystem;

namespace mfgtool {
namespace {

struct ImpactOptions : LineOptions {
    std::vector<std::string> folders;  // OLD NEW, or NEW with --git
    std::optional<std::string> git;    // OLD is this revision of NEW's folder
    bool json = false;
    bool markdown = false;
};

const char* const kImpactFooter =
    "Runs every model of the catalogue over OLD and over NEW as 'mfglist matrix' does and\n"
    "compares each model's two lists as 'mfglist diff' does: entries added, removed, moved in\n"
    "the install order, and keys changed, paired by their section, then by NAME and HARDID.\n"
    "With --git REV the one FOLDER is NEW and OLD is that folder as revision REV has it (git\n"
    "must be on the PATH and FOLDER in a git working tree).  --markdown prints a pull-request\n"
    "comment.\n"
    "\n"
    "Exit status: 0 no model's list changes; 1 some model's list changes; 2 bad use (a folder\n"
    "or catalogue missing, no git, a revision git does not know); 3 the library cannot be\n"
    "loaded.\n"
    "\n"
    "Examples:\n"
    "  mfglist impact old-media media --cdrom --models models\n"
    "  mfglist impact --git origin/main media --cdrom --models models --markdown > comment.md\n";

// The files of `folder` as revision `revision` has them, written into
// `into`.  Throws UsageError when git is missing or knows no such revision.
void checkOutRevision(const std::string& folder, const std::string& revision, const fs::path& into) {
    if (revision.empty() || revision[0] == '-')
        throw UsageError("--git needs a revision, such as origin/main");
    std::string listing;
    const int status = runCapturing("git", {"-C", folder, "ls-tree", "--full-tree", revision + ":./"}, listing);
    if (status < 0)
        throw UsageError("cannot run git for --git; install git, or give OLD as a folder");
    if (status != 0)
        throw UsageError("git knows no revision " + revision + " of the folder " + folder +
                         " (not a git working tree, or no such revision or folder in it)");
    // "<mode> <type> <object>\t<name>" a line; files only.
    std::size_t files = 0;
    for (std::size_t at = 0; at < listing.size();) {
        std::size_t end = listing.find('\n', at);
        if (end == std::string::npos) end = listing.size();
        const std::string line = listing.substr(at, end - at);
        at = end + 1;
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos || line.find(" blob ") == std::string::npos) continue;
        const std::string name = line.substr(tab + 1);
        std::string bytes;
        if (runCapturing("git", {"-C", folder, "cat-file", "blob", line.substr(line.find(" blob ") + 6, tab - line.find(" blob ") - 6)}, bytes) != 0)
            throw UsageError("git cannot give " + name + " of revision " + revision);
        replaceFileWhole(into / name, bytes);
        ++files;
    }
    if (files == 0)
        throw UsageError("revision " + revision + " has no files in the folder " + folder);
}

struct ModelImpact {
    const ModelRun* before = nullptr;
    const ModelRun* after = nullptr;
    ComparedList oldList, newList;
    ListDiff diff;
    bool changed = false;
};

ComparedList listOf(const ModelRun& run) {
    ComparedList list;
    if (run.listFile.empty()) return list;
    const int codePage = libraryCodePage();
    list = comparedListFromBytes(fileBytes(run.listFile), codePage, run.listFile.string());
    // The folder in a value, written "<folder>\\": OLD and NEW are two folders.
    const std::string& prefix = run.folderForLibrary;
    if (!prefix.empty())
        for (KeyValues& entry : list.entries)
            for (auto& [key, value] : entry)
                for (std::size_t at; (at = findIgnoringAsciiCase(value, prefix)) != std::string::npos;)
                    value.replace(at, prefix.size(), "<folder>\\");
    list.sections.assign(list.entries.size(), "");
    for (const SectionFate& fate : run.sections)
        if (fate.position && *fate.position >= 0 &&
            static_cast<std::size_t>(*fate.position) < list.sections.size())
            list.sections[static_cast<std::size_t>(*fate.position)] = fate.section;
    return list;
}

std::string valueOf(const KeyValues& keys, const std::string& key) {
    for (const auto& [name, value] : keys)
        if (name == key) return value;
    return {};
}

Json entryJson(const ComparedList& list, std::size_t i) {
    return {{"position", i},
            {"section", i < list.sections.size() ? list.sections[i] : ""},
            {"name", valueOf(list.entries[i], "NAME")},
            {"hardid", valueOf(list.entries[i], "HARDID")}};
}

Json optionalText(const std::optional<std::string>& text) {
    return text ? Json(*text) : Json(nullptr);
}

Json impactJson(const ImpactOptions& options, const std::vector<ModelImpact>& impacts,
                const std::string& oldName, const std::string& newFolder, std::size_t changed,
                int status) {
    Json json = jsonDocument("impact", changed ? "changed" : "unchanged", status);
    Json run = lineRunJson(options, newFolder);
    run["old"] = oldName;
    run["new"] = run["folder"];
    json["run"] = run;
    const std::string text =
        std::to_string(changed) + " of " + std::to_string(impacts.size()) + " models change";
    json["summary"] = {{"models", impacts.size()}, {"changed", changed}, {"text", text}};
    Json models = Json::array();
    for (const ModelImpact& impact : impacts) {
        Json model = Json::object();
        model["name"] = impact.after->model.name;
        model["display_name"] = impact.after->displayName;
        model["changed"] = impact.changed;
        model["old_list_written"] = impact.before->listWritten;
        model["new_list_written"] = impact.after->listWritten;
        model["old_entry_count"] = impact.oldList.entries.size();
        model["new_entry_count"] = impact.newList.entries.size();
        Json added = Json::array(), removed = Json::array(), moved = Json::array(),
             fields = Json::array();
        for (const std::size_t j : impact.diff.added) added.push_back(entryJson(impact.newList, j));
        for (const std::size_t i : impact.diff.removed) removed.push_back(entryJson(impact.oldList, i));
        for (const EntryChange& change : impact.diff.matched) {
            const Json entry = entryJson(impact.newList, change.after);
            if (change.moved)
                moved.push_back({{"section", entry["section"]},
                                 {"name", entry["name"]},
                                 {"from", change.before},
                                 {"to", change.after}});
            for (const KeyChange& key : change.keys)
                fields.push_back({{"section", entry["section"]},
                                  {"name", entry["name"]},
                                  {"position", change.after},
                                  {"key", key.key},
                                  {"old", optionalText(key.before)},
                                  {"new", optionalText(key.after)}});
        }
        model["added"] = added;
        model["removed"] = removed;
        model["moved"] = moved;
        model["changed_fields"] = fields;
        Json system = Json::array();
        // A list that is new or gone changes all of SYSTEM: the entries say it.
        const bool bothWritten = impact.before->listWritten && impact.after->listWritten;
        for (const KeyChange& key : bothWritten ? impact.diff.system : std::vector<KeyChange>{})
            system.push_back({{"key", key.key}, {"old", optionalText(key.before)}, {"new", optionalText(key.after)}});
        model["system"] = system;
        models.push_back(model);
    }
    json["models"] = models;
    return json;
}

std::string shown(const Json& text) {
    return text.is_null() ? "(none)" : "\"" + text.get<std::string>() + "\"";
}

std::string entryText(const Json& entry) {
    return entry["name"].get<std::string>() + " [" + entry["section"].get<std::string>() + "]";
}

void printImpactText(const Json& json, std::ostream& out) {
    out << "Impact on " << json["run"]["new"].get<std::string>() << " against "
        << json["run"]["old"].get<std::string>() << ": " << json["summary"]["text"].get<std::string>()
        << "\n";
    std::size_t unchanged = 0;
    for (const Json& model : json["models"]) {
        if (!model["changed"].get<bool>()) {
            ++unchanged;
            continue;
        }
        out << '\n' << model["name"].get<std::string>() << " (" << model["display_name"].get<std::string>()
            << "): " << model["old_entry_count"] << " -> " << model["new_entry_count"] << " entries";
        if (model["old_list_written"] != model["new_list_written"])
            out << (model["new_list_written"].get<bool>() ? ", a list now written" : ", no list any more");
        out << '\n';
        for (const Json& e : model["removed"]) out << "  - removed  #" << e["position"] << "  " << entryText(e) << '\n';
        for (const Json& e : model["added"]) out << "  + added    #" << e["position"] << "  " << entryText(e) << '\n';
        for (const Json& e : model["moved"])
            out << "  ~ moved    #" << e["from"] << " -> #" << e["to"] << "  " << entryText(e) << '\n';
        for (const Json& e : model["changed_fields"])
            out << "  * changed  #" << e["position"] << "  " << entryText(e) << "  " << e["key"].get<std::string>()
                << ": " << shown(e["old"]) << " -> " << shown(e["new"]) << '\n';
        for (const Json& e : model["system"])
            out << "  * SYSTEM   " << e["key"].get<std::string>() << ": " << shown(e["old"]) << " -> "
                << shown(e["new"]) << '\n';
    }
    if (unchanged) out << "\nUnchanged: " << unchanged << " model" << (unchanged == 1 ? "" : "s") << '\n';
}

// A pull-request comment: the summary, a table of the models that change,
// and each one's changes folded.
void printImpactMarkdown(const Json& json, std::ostream& out) {
    const auto cell = [](std::string text) {
        std::string escaped;
        for (const char c : text) escaped += c == '|' ? std::string("\\|") : std::string(1, c);
        return escaped;
    };
    out << "### mfglist impact: " << json["summary"]["text"].get<std::string>() << "\n\n";
    out << "`" << json["run"]["new"].get<std::string>() << "` against `" << json["run"]["old"].get<std::string>()
        << "`, " << json["run"]["mode"].get<std::string>() << " " << json["run"]["kind"].get<std::string>()
        << " lists of group " << json["run"]["group"].get<std::string>() << ".\n";
    if (json["summary"]["changed"].get<std::size_t>() == 0) {
        out << "\nNo model's list changes.\n";
        return;
    }
    out << "\n| Model | Entries | Added | Removed | Moved | Changed keys |\n"
           "|---|---|---|---|---|---|\n";
    for (const Json& model : json["models"]) {
        if (!model["changed"].get<bool>()) continue;
        out << "| " << cell(model["display_name"].get<std::string>()) << " (`" << model["name"].get<std::string>()
            << "`) | " << model["old_entry_count"] << " → " << model["new_entry_count"] << " | "
            << model["added"].size() << " | " << model["removed"].size() << " | " << model["moved"].size()
            << " | " << model["changed_fields"].size() << " |\n";
    }
    for (const Json& model : json["models"]) {
        if (!model["changed"].get<bool>()) continue;
        out << "\n<details><summary>" << model["name"].get<std::string>() << "</summary>\n\n";
        for (const Json& e : model["removed"]) out << "- removed #" << e["position"] << " " << cell(entryText(e)) << "\n";
        for (const Json& e : model["added"]) out << "- added #" << e["position"] << " " << cell(entryText(e)) << "\n";
        for (const Json& e : model["moved"])
            out << "- moved #" << e["from"] << " → #" << e["to"] << " " << cell(entryText(e)) << "\n";
        for (const Json& e : model["changed_fields"])
            out << "- changed #" << e["position"] << " " << cell(entryText(e)) << ": `" << e["key"].get<std::string>()
                << "` " << cell(shown(e["old"])) << " → " << cell(shown(e["new"])) << "\n";
        for (const Json& e : model["system"])
            out << "- SYSTEM `" << e["key"].get<std::string>() << "` " << cell(shown(e["old"])) << " → "
                << cell(shown(e["new"])) << "\n";
        out << "\n</details>\n";
    }
}

}  // namespace

int runImpact(const ImpactOptions& options, std::ostream& out) {
    if (options.git ? options.folders.size() != 1 : options.folders.size() != 2)
        throw UsageError(options.git ? "with --git give one folder, the new one: impact --git REV "
                                       "FOLDER --models DIR"
                                     : "give two folders, OLD and NEW, or --git REV and one folder");
    if (options.json && options.markdown)
        throw UsageError("--json and --markdown are two outputs; choose one");
    if (options.lists) throw UsageError("--lists is for matrix; impact keeps no lists");
    const std::string newFolder = options.folders.back();
    ScratchFolder scratch;
    std::error_code ec;
    std::string oldFolder = options.folders.front();
    std::string oldName = fs::path(oldFolder).lexically_normal().filename().string();
    if (options.git) {
        const fs::path checkedOut = scratch.path() / "old";
        fs::create_directory(checkedOut, ec);
        checkOutRevision(newFolder, *options.git, checkedOut);
        oldFolder = checkedOut.string();
        oldName = lineRunJson(options, newFolder)["folder"].get<std::string>() + "@" + *options.git;
    }
    fs::create_directory(scratch.path() / "old-lists", ec);
    fs::create_directory(scratch.path() / "new-lists", ec);
    const LineRun before = runLine(options, oldFolder, scratch.path() / "old-lists");
    const LineRun after = runLine(options, newFolder, scratch.path() / "new-lists");

    std::vector<ModelImpact> impacts(after.models.size());
    std::size_t changed = 0;
    for (std::size_t m = 0; m < after.models.size(); ++m) {
        ModelImpact& impact = impacts[m];
        impact.before = &before.models[m];
        impact.after = &after.models[m];
        impact.oldList = listOf(before.models[m]);
        impact.newList = listOf(after.models[m]);
        impact.diff = compareLists(impact.oldList, impact.newList);
        impact.changed = !impact.diff.equal() || impact.before->listWritten != impact.after->listWritten;
        if (impact.changed) ++changed;
    }
    const int status = changed ? kExitImpact : kExitOk;
    const Json json = impactJson(options, impacts, oldName, newFolder, changed, status);
    if (options.html) {
        replaceFileWhole(*options.html, renderImpactHtml(json));
    }
    if (options.json)
        out << json.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
    else if (options.markdown)
        printImpactMarkdown(json, out);
    else
        printImpactText(json, out);
    return status;
}

Command addImpactCommand(CLI::App& app) {
    auto options = std::make_shared<ImpactOptions>();
    CLI::App* command = app.add_subcommand(
        "impact", "What a change of the process files does to every model's list.");
    command->add_option("FOLDERS", options->folders, "OLD NEW, or with --git the one folder")
        ->required();
    command->add_option("--git", options->git,
                        "Take OLD from this git revision of the folder (e.g. origin/main)");
    addLineOptions(*command, *options, false);
    addJsonOption(*command, options->json);
    command->add_flag("--markdown", options->markdown, "Print a pull-request comment");
    command->add_option("--html", options->html, "Write the report as one HTML file");
    command->footer(std::string("\n") + kImpactFooter);
    return {command, [options](std::ostream& out) { return runImpact(*options, out); }};
}

}  // namespace mfgtool

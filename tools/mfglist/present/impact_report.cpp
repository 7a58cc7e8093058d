#include "impact_report.h"

#include "json_contract.h"
#include "matrix_report.h"

namespace mfgtool {
namespace {

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

std::string shown(const Json& text) {
    return text.is_null() ? "(none)" : "\"" + text.get<std::string>() + "\"";
}

std::string entryText(const Json& entry) {
    return entry["name"].get<std::string>() + " [" + entry["section"].get<std::string>() + "]";
}

}  // namespace

Json impactJson(const LineOptions& options, const std::vector<ModelImpact>& impacts,
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

}  // namespace mfgtool

#include "impact_report.h"

#include <functional>

#include "html_page.h"
#include "ids/id_devices.h"
#include "json_contract.h"
#include "matrix_report.h"
#include "report.h"

namespace mfgtool {
namespace {

std::optional<std::string> valueOrNone(const KeyValues& keys, const std::string& key) {
    for (const auto& [name, value] : keys)
        if (name == key) return value;
    return std::nullopt;
}

std::string valueOf(const KeyValues& keys, const std::string& key) {
    return valueOrNone(keys, key).value_or("");
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

Json modelNames(const std::vector<ModelImpact>& models, const std::vector<std::size_t>& indexes) {
    Json names = Json::array();
    for (const std::size_t m : indexes) names.push_back(models[m].after->model.name);
    return names;
}

Json changeJson(const SectionChange& change, const std::vector<ModelImpact>& models) {
    Json json = {{"kind", sectionChangeKind(change.kind)},
                 {"section", change.section},
                 {"name", change.name},
                 {"downgrade", change.downgrade},
                 {"models", modelNames(models, change.models)}};
    if (change.kind == SectionChange::Kind::changed || change.kind == SectionChange::Kind::unseen) {
        json["key"] = change.key;
        json["old"] = optionalText(change.before);
        json["new"] = optionalText(change.after);
    }
    if (!change.replaces.empty()) {
        json["replaces"] = change.replaces;
        json["old_version"] = optionalText(change.replacedVersion);
        json["new_version"] = optionalText(change.version);
    }
    return json;
}

Json lifeJson(const EntryLifeChange& life, const std::vector<ModelImpact>& models) {
    Json json = {{"id", life.row->id},       {"file", life.row->file}, {"line", life.row->line},
                 {"section", life.row->section}, {"name", life.row->name},
                 {"models", modelNames(models, life.models)}};
    if (life.nowDead) json["new"] = life.isNew;
    return json;
}

std::string joined(const Json& names) {
    std::string text;
    for (const Json& name : names) text += (text.empty() ? "" : ", ") + name.get<std::string>();
    return text;
}

std::string modelsText(const Json& names) {
    if (names.empty()) return "no model's list shows it";
    return std::to_string(names.size()) + (names.size() == 1 ? " model: " : " models: ") + joined(names);
}



// The consequences for the machines, each line naming its model: the
// devices that lose or gain their driver, and the entries NEW lists that a
// host cannot run.  `bullet` starts a line, `show` escapes a text.
void printConsequences(const Json& json, const std::string& bullet,
                       const std::function<std::string(const std::string&)>& show, std::ostream& out) {
    const struct {
        const char* member;
        const char* heading;
    } devices[] = {{"devices_losing_driver", "Devices that lose their driver:"},
                   {"devices_gaining_driver", "Devices that gain a driver:"}};
    for (const auto& [member, heading] : devices) {
        bool any = false;
        for (const Json& model : json["models"])
            for (const Json& device : model[member]) {
                if (!any) out << '\n' << heading << '\n';
                any = true;
                out << bullet << show(model["name"].get<std::string>() + ": " + deviceText(deviceFromJson(device)))
                    << '\n';
            }
    }
    bool any = false;
    for (const Json& model : json["models"])
        for (const Json& entry : model["entry_problems"]) {
            if (!any) out << "\nListed entries a host cannot run as the new lists name them:\n";
            any = true;
            out << bullet
                << show(model["name"].get<std::string>() + " #" + std::to_string(entry["position"].get<std::size_t>()) +
                        " [" + entry["section"].get<std::string>() + "] " + entry["name"].get<std::string>() +
                        ": " + entry["problem"].get<std::string>() +
                        (entry["new"].get<bool>() ? " (new)" : ""))
                << '\n';
        }
}

const char* changeMark(const std::string& kind) {
    if (kind == "added") return "+";
    if (kind == "removed") return "-";
    if (kind == "moved") return "~";
    if (kind == "unseen") return "?";
    return "*";
}

}  // namespace

std::string changeDetail(const Json& change, const std::string& arrow) {
    // Read member by member: the HTML page renders whatever document it is
    // given, and a member left out is shown as absent.
    const auto text = [](const Json& value) { return value.is_string() ? shown(value) : shown(Json()); };
    const auto given = [](const Json& version) {
        return version.is_string() && !version.get<std::string>().empty();
    };
    std::string detail;
    if (const Json& key = memberOf(change, "key"); key.is_string())
        detail = key.get<std::string>() + ": " + text(memberOf(change, "old")) + arrow +
                 text(memberOf(change, "new"));
    if (const Json& replaces = memberOf(change, "replaces"); replaces.is_string()) {
        detail = "in place of " + replaces.get<std::string>();
        const Json &before = memberOf(change, "old_version"), &after = memberOf(change, "new_version");
        if (given(before) || given(after)) detail += ", VERSION " + text(before) + arrow + text(after);
    }
    if (memberOf(change, "downgrade") == true) detail += "  VERSION GOES DOWN";
    return detail;
}

std::string escapeMarkdown(const std::string& text) {
    std::string escaped;
    for (const char c : text) {
        switch (c) {
            case '<': escaped += "&lt;"; break;
            case '>': escaped += "&gt;"; break;
            case '&': escaped += "&amp;"; break;
            case '\\': case '`': case '*': case '_': case '[': case ']': case '|': case '~':
            case '#': case '!':
                escaped += '\\';
                escaped += c;
                break;
            case '\n': case '\r': escaped += ' '; break;
            default: escaped += c;
        }
    }
    return escaped;
}

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
        for (std::size_t a = 0; a < impact.diff.added.size(); ++a) {
            Json entry = entryJson(impact.newList, impact.diff.added[a]);
            entry["replaces"] = nullptr;
            entry["downgrade"] = false;
            if (const auto r = a < impact.replaces.size() ? impact.replaces[a] : std::nullopt) {
                const std::size_t i = impact.diff.removed[*r];
                entry["replaces"] = i < impact.oldList.sections.size() ? impact.oldList.sections[i] : "";
                entry["downgrade"] = versionGoesDown(valueOrNone(impact.oldList.entries[i], "VERSION"),
                                                     valueOrNone(impact.newList.entries[impact.diff.added[a]], "VERSION"));
            }
            added.push_back(std::move(entry));
        }
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
                                  {"new", optionalText(key.after)},
                                  {"downgrade", versionGoesDown(key)}});
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
        models.push_back(std::move(model));
    }
    json["models"] = std::move(models);
    return json;
}

void addChangeView(Json& json, const LineImpact& impact) {
    Json changes = Json::array();
    std::size_t downgrades = 0;
    for (const SectionChange& change : impact.changes) {
        changes.push_back(changeJson(change, impact.models));
        if (change.downgrade) ++downgrades;
    }
    json["changes"] = changes;
    Json nowDead = Json::array(), liveAgain = Json::array();
    for (Json& model : json["models"]) {
        model["now_dead"] = Json::array();
        model["live_again"] = Json::array();
    }
    for (const EntryLifeChange& life : impact.lifeChanges) {
        (life.nowDead ? nowDead : liveAgain).push_back(lifeJson(life, impact.models));
        for (const std::size_t m : life.models)
            json["models"][m][life.nowDead ? "now_dead" : "live_again"].push_back(life.row->id);
    }
    json["now_dead"] = nowDead;
    json["live_again"] = liveAgain;
    std::string& text = json["summary"]["text"].get_ref<std::string&>();
    for (std::size_t m = 0; m < impact.models.size(); ++m) {
        const ModelImpact& model = impact.models[m];
        Json& shown = json["models"][m];
        shown["devices_losing_driver"] = devicesJson(model.losing);
        shown["devices_gaining_driver"] = devicesJson(model.gaining);
        Json problems = Json::array();
        for (const UnrunnableEntry& entry : model.unrunnable)
            problems.push_back({{"position", entry.position}, {"section", entry.section},
                                {"name", entry.name}, {"problem", entry.problem}, {"new", entry.isNew}});
        shown["entry_problems"] = std::move(problems);
    }
    // The consequences a reviewer must not miss go into the one line that
    // heads every output.
    const auto count = [](std::size_t n, const char* one, const char* many) {
        return ", " + std::to_string(n) + " " + (n == 1 ? one : many);
    };
    if (impact.losing) text += count(impact.losing, "device loses its driver", "devices lose their driver");
    if (impact.gaining) text += count(impact.gaining, "device gains a driver", "devices gain a driver");
    // Entries that could not run before as well are matrix's to tell.
    if (impact.newlyUnrunnable)
        text += count(impact.newlyUnrunnable, "newly listed entry a host cannot run",
                      "newly listed entries a host cannot run");
    json["summary"]["devices_losing_driver"] = impact.losing;
    json["summary"]["devices_gaining_driver"] = impact.gaining;
    json["summary"]["entry_problems"] = impact.unrunnable;
    json["summary"]["new_entry_problems"] = impact.newlyUnrunnable;
    json["summary"]["section_changes"] = changes.size();
    json["summary"]["downgrades"] = downgrades;
    json["summary"]["now_dead"] = nowDead.size();
    json["summary"]["live_again"] = liveAgain.size();
}

void printImpactText(const Json& json, std::ostream& out) {
    out << "Impact on " << json["run"]["new"].get<std::string>() << " against "
        << json["run"]["old"].get<std::string>() << ": " << json["summary"]["text"].get<std::string>()
        << "\n";
    if (!json["changes"].empty()) out << "\nBy change:\n";
    for (const Json& change : json["changes"]) {
        const std::string detail = changeDetail(change);
        out << "  " << changeMark(change["kind"].get<std::string>()) << ' '
            << change["kind"].get<std::string>() << std::string(9 - change["kind"].get<std::string>().size(), ' ')
            << change["section"].get<std::string>() << " (" << change["name"].get<std::string>() << ")"
            << (detail.empty() ? "" : "  " + detail) << "\n      " << modelsText(change["models"]) << '\n';
    }
    for (const char* member : {"now_dead", "live_again"}) {
        if (json[member].empty()) continue;
        const bool dead = std::string(member) == "now_dead";
        out << (dead ? "\nEntries no model gets any more:\n" : "\nEntries some model gets again:\n");
        for (const Json& entry : json[member]) {
            out << "  " << entry["file"].get<std::string>() << ":" << entry["line"] << " ["
                << entry["section"].get<std::string>() << "]  " << entry["name"].get<std::string>();
            if (dead && entry["new"].get<bool>())
                out << "  (a new section)";
            else if (!entry["models"].empty())
                out << (dead ? "  (listed before by " : "  (listed now by ") << joined(entry["models"]) << ")";
            out << '\n';
        }
    }
    printConsequences(json, "  ", [](const std::string& text) { return text; }, out);
    if (!json["changes"].empty()) out << "\nBy model:\n";
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
        for (const Json& e : model["added"])
            out << "  + added    #" << e["position"] << "  " << entryText(e)
                << (e["replaces"].is_string() ? "  in place of " + e["replaces"].get<std::string>() : "")
                << (e["downgrade"].get<bool>() ? "  VERSION GOES DOWN" : "") << '\n';
        for (const Json& e : model["moved"])
            out << "  ~ moved    #" << e["from"] << " -> #" << e["to"] << "  " << entryText(e) << '\n';
        for (const Json& e : model["changed_fields"])
            out << "  * changed  #" << e["position"] << "  " << entryText(e) << "  " << e["key"].get<std::string>()
                << ": " << shown(e["old"]) << " -> " << shown(e["new"])
                << (e["downgrade"].get<bool>() ? "  VERSION GOES DOWN" : "") << '\n';
        for (const Json& e : model["system"])
            out << "  * SYSTEM   " << e["key"].get<std::string>() << ": " << shown(e["old"]) << " -> "
                << shown(e["new"]) << '\n';
        for (const Json& device : model["devices_losing_driver"])
            out << "  ! loses its driver  " << deviceText(deviceFromJson(device)) << '\n';
        for (const Json& device : model["devices_gaining_driver"])
            out << "  ! gains a driver    " << deviceText(deviceFromJson(device)) << '\n';
        for (const Json& id : model["now_dead"]) out << "  ! now dead   " << id.get<std::string>() << '\n';
        for (const Json& id : model["live_again"]) out << "  ! live again " << id.get<std::string>() << '\n';
    }
    if (unchanged) out << "\nUnchanged: " << unchanged << " model" << (unchanged == 1 ? "" : "s") << '\n';
}

// A pull-request comment: the summary, the changes with the models that
// see them, a table of the models that change, and each one's changes
// folded.  Every name and value is escaped: a '|' or '<' in a NAME must not
// break the table or become markup.
void printImpactMarkdown(const Json& json, std::ostream& out) {
    const auto text = [](const Json& value) { return escapeMarkdown(value.get<std::string>()); };
    const auto valueText = [](const Json& value) { return escapeMarkdown(shown(value)); };
    out << "### mfglist impact: " << text(json["summary"]["text"]) << "\n\n";
    out << text(json["run"]["new"]) << " against " << text(json["run"]["old"]) << ", "
        << text(json["run"]["mode"]) << " " << text(json["run"]["kind"]) << " lists of group "
        << text(json["run"]["group"]) << ".\n";
    if (!json["changes"].empty()) {
        out << "\n| Change | Section | Name | What | Models |\n|---|---|---|---|---|\n";
        for (const Json& change : json["changes"])
            out << "| " << text(change["kind"]) << " | " << text(change["section"]) << " | "
                << text(change["name"]) << " | " << escapeMarkdown(changeDetail(change, " → ")) << " | "
                << (change["models"].empty() ? std::string("none")
                                             : std::to_string(change["models"].size()) + ": " +
                                                   escapeMarkdown(joined(change["models"])))
                << " |\n";
    }
    for (const char* member : {"now_dead", "live_again"}) {
        if (json[member].empty()) continue;
        const bool dead = std::string(member) == "now_dead";
        out << (dead ? "\nEntries no model gets any more:\n" : "\nEntries some model gets again:\n");
        for (const Json& entry : json[member])
            out << "- " << text(entry["file"]) << ":" << entry["line"] << " " << text(entry["section"]) << " ("
                << text(entry["name"]) << ")\n";
    }
    printConsequences(json, "- ", escapeMarkdown, out);
    if (json["summary"]["changed"].get<std::size_t>() == 0) {
        out << "\nNo model's list changes.\n";
        return;
    }
    out << "\n| Model | Entries | Added | Removed | Moved | Changed keys |\n"
           "|---|---|---|---|---|---|\n";
    for (const Json& model : json["models"]) {
        if (!model["changed"].get<bool>()) continue;
        out << "| " << text(model["display_name"]) << " (" << text(model["name"]) << ") | "
            << model["old_entry_count"] << " → " << model["new_entry_count"] << " | " << model["added"].size()
            << " | " << model["removed"].size() << " | " << model["moved"].size() << " | "
            << model["changed_fields"].size() << " |\n";
    }
    const auto entry = [](const Json& e) { return escapeMarkdown(entryText(e)); };
    for (const Json& model : json["models"]) {
        if (!model["changed"].get<bool>()) continue;
        // HTML, not Markdown, inside the summary.
        out << "\n<details><summary>" << escapeHtml(model["name"].get<std::string>()) << "</summary>\n\n";
        for (const Json& e : model["removed"]) out << "- removed #" << e["position"] << " " << entry(e) << "\n";
        for (const Json& e : model["added"])
            out << "- added #" << e["position"] << " " << entry(e)
                << (e["replaces"].is_string() ? " in place of " + text(e["replaces"]) : "")
                << (e["downgrade"].get<bool>() ? " **VERSION goes down**" : "") << "\n";
        for (const Json& e : model["moved"])
            out << "- moved #" << e["from"] << " → #" << e["to"] << " " << entry(e) << "\n";
        for (const Json& e : model["changed_fields"])
            out << "- changed #" << e["position"] << " " << entry(e) << ": " << text(e["key"]) << " "
                << valueText(e["old"]) << " → " << valueText(e["new"])
                << (e["downgrade"].get<bool>() ? " **VERSION goes down**" : "") << "\n";
        for (const Json& e : model["system"])
            out << "- SYSTEM " << text(e["key"]) << " " << valueText(e["old"]) << " → " << valueText(e["new"])
                << "\n";
        for (const Json& device : model["devices_losing_driver"])
            out << "- **loses its driver**: " << escapeMarkdown(deviceText(deviceFromJson(device))) << "\n";
        for (const Json& device : model["devices_gaining_driver"])
            out << "- gains a driver: " << escapeMarkdown(deviceText(deviceFromJson(device))) << "\n";
        out << "\n</details>\n";
    }
}

}  // namespace mfgtool

#include "report.h"

#include <algorithm>
#include <limits>

#include "common/text_encoding.h"
#include "mfglist/mfglist.h"
#include "run/preview_problems.h"
#include "table.h"

namespace mfgtool {
namespace {

const char* const kProcessFile = "MfgProc.ini";

std::string valueOf(const KeyValues& keys, const std::string& key) {
    for (const auto& [name, value] : keys)
        if (name == key) return value;
    return {};
}

const char* kindLabel(const Plan& plan) {
    if (plan.allSoftware) return "complete software list";
    return plan.listKind == LIST_SOFTWARE ? "software list" : "driver list";
}

// A place as placeText shows it: folder + name + line + " [" + section + "]".
struct PlaceParts {
    std::string folder;  // with its closing separator; empty for a file in the previewed folder
    std::string name;
    std::string line;  // ":LINE"
};

PlaceParts splitPlace(const ShownPlace& place) {
    const std::size_t slash = place.file.find_last_of("\\/");
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    return {place.file.substr(0, nameStart), place.file.substr(nameStart),
            ":" + std::to_string(place.line)};
}

}  // namespace

std::string placeText(const ShownPlace& place) {
    return place.file + ":" + std::to_string(place.line) + " [" + place.section + "]";
}

std::string fitPlaceText(const ShownPlace& place, std::size_t width) {
    const std::string whole = placeText(place);
    if (displayWidth(whole) <= width) return whole;
    // The file's name and line say where the entry is, the section what it
    // is called, the folder least.  So the folder goes first (from the left,
    // as a path is cut), then the end of the section, then the end of the
    // name; the line goes last.
    constexpr std::size_t kEllipsisWidth = 3;  // fitCell's "..."
    constexpr std::size_t kBracketsWidth = 3;  // " [" and "]"
    const PlaceParts parts = splitPlace(place);
    const std::string at = parts.name + parts.line;
    const std::string section = " [" + place.section + "]";
    const std::size_t atWidth = displayWidth(at);
    const std::size_t sectionWidth = displayWidth(section);
    if (!parts.folder.empty() && width >= atWidth + sectionWidth + kEllipsisWidth)
        return fitCell(parts.folder, width - atWidth - sectionWidth, true) + at + section;
    // A folder without room for its "..." is left out.
    if (width > atWidth + kBracketsWidth + kEllipsisWidth)
        return at + " [" + fitCell(place.section, width - atWidth - kBracketsWidth, false) + "]";
    if (width >= atWidth) return at;
    const std::size_t lineWidth = parts.line.size();
    if (width > lineWidth + kEllipsisWidth)
        return fitCell(parts.name, width - lineWidth, false) + parts.line;
    return fitCell(at, width, false);
}

Json placeJson(const ShownPlace& place) {
    Json json;
    json["file"] = place.file;
    json["section"] = place.section;
    json["line"] = place.line;
    return json;
}

namespace {

std::string shownText(const Plan& plan, const std::string& bytes) {
    return decodeCodePage(bytes, plan.codePage).utf8;
}

// What was asked of the library, one labelled row each.
void printRunSettings(const ReportContext& context, std::size_t width, std::ostream& out) {
    const Plan& plan = context.plan;
    const LibraryRun& run = context.run;
    constexpr std::size_t kLabel = 15;
    const auto row = [&](const std::string& label, const std::string& value, bool path = false) {
        const std::size_t room = width > kLabel + 8 ? width - kLabel : 8;
        out << label << std::string(kLabel - label.size(), ' ') << fitCell(value, room, path)
            << '\n';
    };
    std::string seen = plan.folder.string();
    if (run.folderForLibrary != plan.folder.string() + "\\" &&
        run.folderForLibrary != plan.folder.string())
        seen += "  (the library sees " + run.folderForLibrary + ")";
    row("Process files", seen, true);
    row("Mode", plan.cdrom ? "CD-ROM: DrvProc.ini, DrvCofg.ini, SoftProc.ini"
                           : std::string("process file: ") + kProcessFile);
    row("List", std::string(kindLabel(plan)) + " of group " + shownText(plan, run.group) +
                    " for Windows " + windowsName(run.windows) +
                    (plan.callFactory ? ", CALLFACTORY" : "") + settingsOrigin(plan));
    if (!plan.allSoftware) {
        const bool one = plan.ids.size() == 1;
        std::string ids =
            std::to_string(plan.ids.size()) + (plan.listKind == LIST_SOFTWARE
                                                   ? (one ? " package name" : " package names")
                                                   : (one ? " hardware ID" : " hardware IDs"));
        if (!plan.cdrom && plan.listKind == LIST_DRIVER)
            ids += ", not matched for a driver list from " + std::string(kProcessFile);
        row("IDs", ids);
    }
    row("Command line", shownText(plan, run.commandLine));
    row("Library", context.libraryFile, true);
    row("List file", plan.output ? plan.output->string() : "temporary, removed afterwards",
        plan.output.has_value());
}

void printSystemSection(const Plan& plan, const KeyValues& system, std::size_t width,
                        std::ostream& out) {
    out << "\nSYSTEM\n";
    std::size_t keyWidth = 0;
    for (const auto& [key, value] : system) keyWidth = std::max(keyWidth, key.size());
    for (const auto& [key, value] : system) {
        std::string line =
            "  " + key + std::string(keyWidth - key.size() + 2, ' ') + shownText(plan, value);
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out << fitCell(line, width, false) << '\n';
    }
}

// Never narrower than a source's file name and line (unless an odd name is
// very long): they say where the entry is.  The other columns give up what
// they have beyond a comfortable width before the section is cut.
TableColumn sourceColumn(const ReportContext& context) {
    constexpr std::size_t kLongestKept = 40;
    std::size_t kept = 0;
    std::size_t whole = 0;
    for (const auto& source : context.sources)
        if (source) {
            const PlaceParts parts = splitPlace(*source);
            kept = std::max(kept, displayWidth(parts.name + parts.line));
            whole = std::max(whole, displayWidth(placeText(*source)) - displayWidth(parts.folder));
        }
    TableColumn column{
        "SOURCE", false, true, true, std::min(whole, kLongestKept), std::min(kept, kLongestKept)};
    column.cut = [&context](std::size_t entry, std::size_t fit) {
        return entry < context.sources.size() && context.sources[entry]
                   ? fitPlaceText(*context.sources[entry], fit)
                   : std::string();
    };
    return column;
}

void printEntries(const ReportContext& context, std::size_t width, std::ostream& out) {
    const Plan& plan = context.plan;
    const LibraryRun& run = context.run;
    if (run.list.entries.empty()) {
        out << "Entries: the list has no entries"
            << (run.list.written ? "." : " (the library wrote no list file).") << '\n';
        return;
    }
    out << "Entries in install order: " << run.list.entries.size() << '\n';
    std::vector<TableColumn> columns = {
        {"#", true, false, false, 0},
        {"NAME", false, true, false, 16},
        {"TYPE", false, true, false, 9},
        {"HARDID", false, false, false, 0},  // never cut: a cut ID names another device
        {"ID", true, false, false, 0},
        {"EXEPATH", false, true, true, 20},
        {"TIMEOUT", true, false, false, 0},
        {"REBOOT_COUNT", true, false, false, 0},
    };
    const bool sourced = !context.sources.empty();
    if (sourced) columns.push_back(sourceColumn(context));
    // Rows are made as they are drawn: a list of 200,000 entries is not
    // held a second time as cells and a third as lines.
    const auto cellsOf = [&](std::size_t i) {
        const KeyValues& entry = run.list.entries[i];
        // "!" marks an entry a host cannot run as listed.
        const bool broken = context.problems && i < context.problems->brokenEntries.size() &&
                            context.problems->brokenEntries[i];
        std::vector<std::string> cells = {std::to_string(i) + (broken ? "!" : "")};
        for (const char* key :
             {"NAME", "TYPE", "HARDID", "ID", "EXEPATH", "TIMEOUT", "REBOOT_COUNT"})
            cells.push_back(shownText(plan, valueOf(entry, key)));
        if (sourced && i < context.sources.size() && context.sources[i])
            cells.push_back(placeText(*context.sources[i]));
        return cells;
    };
    streamTable(columns, run.list.entries.size(), cellsOf, width,
                [&out](const std::string& line) { out << line << '\n'; });
    if (context.problems &&
        std::find(context.problems->brokenEntries.begin(), context.problems->brokenEntries.end(),
                  true) != context.problems->brokenEntries.end())
        out << "! an entry whose program a host cannot run as listed (see the warnings)\n";
}

void printTrace(const ReportContext& context, std::ostream& out) {
    const LibraryRun& run = context.run;
    out << "\nTrace of this run (D:\\ombrix_drvinst.log)";
    if (run.trace.empty()) out << ": the library wrote no trace lines";
    out << '\n';
    for (const std::string& line : run.trace) out << "  " << shownText(context.plan, line) << '\n';
}

}  // namespace

void printPreviewText(const ReportContext& context, std::size_t width, std::ostream& out) {
    if (width == 0) width = std::numeric_limits<std::size_t>::max() / 2;
    printRunSettings(context, width, out);
    if (context.run.list.system)
        printSystemSection(context.plan, *context.run.list.system, width, out);
    out << '\n';
    printEntries(context, width, out);
    if (context.showTrace) printTrace(context, out);
}

Json previewJson(const ReportContext& context, const std::string& status, int exitStatus) {
    const Plan& plan = context.plan;
    const LibraryRun& run = context.run;
    TextForJson text;
    text.codePage = plan.codePage;
    text.prefixes = {{run.folderForLibrary, "<folder>\\"}, {run.listFolderForLibrary, "<list>\\"}};

    Json json = jsonDocument("preview", status, exitStatus);
    json["code_page"] = plan.codePage;
    Json request;
    request["mode"] = plan.cdrom ? "cdrom" : "process-file";
    request["kind"] = plan.kind;
    request["group"] = text(run.group);
    request["callfactory"] = plan.callFactory;
    request["windows"] = windowsName(run.windows);
    request["kind_from"] = plan.kindFrom;
    request["windows_from"] = plan.windowsFrom;
    Json ids = Json::array();
    for (const std::string& id : plan.ids) ids.push_back(text(id));
    request["ids"] = ids;
    request["list_file_kept"] = plan.output.has_value();
    json["run"] = request;
    json["list"] = installListJson(run.list, text);
    Json& entries = json["list"]["entries"];
    for (std::size_t i = 0; i < context.sources.size() && i < entries.size(); ++i)
        if (context.sources[i]) entries[i]["source"] = placeJson(*context.sources[i]);
    if (context.sourceNote) json["source_note"] = *context.sourceNote;
    json["problems"] = run.list.problems;
    if (context.problems)
        for (const std::string& problem : context.problems->problems)
            json["problems"].push_back(problem);
    if (run.noList) json["reason"] = *run.noList;
    json["coverage"] = coverageMember(context);
    if (context.showTrace) {
        Json trace = Json::array();
        for (const std::string& line : run.trace) {
            // Paths inside a line: each folder's name wherever it stands, in
            // any case (the library upper-cases its command line).
            std::string shown = text(line);
            for (const auto& [prefix, name] : text.prefixes) {
                const std::string from = decodeCodePage(prefix, plan.codePage).utf8;
                std::size_t at = 0;
                while (!from.empty() && at <= shown.size()) {
                    const std::size_t found =
                        findIgnoringAsciiCase(std::string_view(shown).substr(at), from);
                    if (found == std::string_view::npos) break;
                    shown.replace(at + found, from.size(), name);
                    at += found + name.size();
                }
            }
            trace.push_back(shown);
        }
        json["trace"] = trace;
    }
    return json;
}

std::string settingsOrigin(const Plan& plan) {
    std::vector<std::string> fromHeader;
    if (plan.kindFrom == "ids-file header") fromHeader.push_back("kind");
    if (plan.windowsFrom == "ids-file header") fromHeader.push_back("Windows");
    if (fromHeader.empty()) return "";
    std::string text = " (";
    for (std::size_t i = 0; i < fromHeader.size(); ++i) text += (i ? " and " : "") + fromHeader[i];
    return text + " from the IDs file's header)";
}

std::string deviceLabel(const IdDevice& device, const std::optional<std::string>& name) {
    // A comment `mfglist ids` wrote with the databases at hand names the
    // device already.
    if (!name || device.comment.find(*name) != std::string::npos)
        return device.comment.empty() ? "IDs" : device.comment;
    return *name + (device.comment.empty() ? "" : " (" + device.comment + ")");
}

std::string deviceText(const IdDevice& device, const std::optional<std::string>& name) {
    std::string text = deviceLabel(device, name) + ":";
    for (const std::string& id : device.ids) text += ' ' + id;
    return text;
}

void printUncoveredDevices(const std::vector<IdDevice>& devices, const std::string& indent,
                           std::ostream& out,
                           const std::vector<std::optional<std::string>>& names) {
    for (std::size_t d = 0; d < devices.size(); ++d)
        out << indent << deviceText(devices[d], d < names.size() ? names[d] : std::nullopt) << '\n';
}

void printCoverageText(const ReportContext& context, std::ostream& out) {
    const std::optional<DeviceCoverage>& coverage = context.coverage;
    if (!coverage) {
        out << "Coverage: this list matches no IDs, so no device can be left uncovered\n";
        return;
    }
    out << "Coverage: " << coverage->devices - coverage->ignored - coverage->uncovered.size()
        << " of " << coverage->devices - coverage->ignored << " devices have an entry";
    if (coverage->ignored) out << " (" << coverage->ignored << " more named by the ignore file)";
    out << (coverage->uncovered.empty() ? "\n" : "; uncovered devices:\n");
    const std::vector<IdDevice> shown = shownDevices(coverage->uncovered, context.plan.codePage);
    printUncoveredDevices(shown, "  ", out, deviceNames(shown, context.names));
}

Json coverageMember(const ReportContext& context) {
    return context.coverage ? coverageJson(*context.coverage, context.plan.codePage, context.names)
                            : Json(nullptr);
}

}  // namespace mfgtool

#include "worker_protocol.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <limits>
#include <type_traits>
#include <unordered_map>

#include "common/json_text.h"
#include "message_reader.h"

namespace mfgtool {
namespace {

// A value of a message being read and where it sits in it, so that every
// complaint names the member.
class Member {
public:
    Member(const Json& value, std::string path) : value_(value), path_(std::move(path)) {}

    [[noreturn]] void fail(const std::string& what) const {
        throw ProtocolError((path_.empty() ? std::string("the message") : path_) + ": " + what);
    }

    Member operator[](const char* name) const {
        if (!value_.is_object()) fail("is not an object");
        const auto found = value_.find(name);
        if (found == value_.end()) fail(std::string("lacks the member \"") + name + "\"");
        return Member(*found, path_.empty() ? name : path_ + "." + name);
    }
    Member item(std::size_t index) const {
        return Member(value_.at(index), path_ + "[" + std::to_string(index) + "]");
    }
    bool has(const char* name) const { return value_.is_object() && value_.contains(name); }
    std::string text() const {
        if (!value_.is_string()) fail("is not text");
        return value_.get<std::string>();
    }
    std::size_t items() const {
        if (!value_.is_array()) fail("is not an array");
        return value_.size();
    }

private:
    const Json& value_;
    std::string path_;
};

template <typename Number>
void appendNumber(std::string& out, Number number) {
    char digits[24];
    const std::to_chars_result written = std::to_chars(digits, digits + sizeof digits, number);
    out.append(digits, written.ptr);
}

void appendFlag(std::string& out, bool flag) { out += flag ? "true" : "false"; }

void appendTexts(std::string& out, const std::vector<std::string>& texts) {
    out += '[';
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i > 0) out += ',';
        appendJsonString(out, texts[i]);
    }
    out += ']';
}

// A place as the results being written hold it.
struct PlaceKey {
    std::string_view file;
    std::string_view section;
    std::uint64_t line;

    bool operator==(const PlaceKey& other) const {
        return line == other.line && section == other.section && file == other.file;
    }
};

struct PlaceKeyHash {
    std::size_t operator()(const PlaceKey& key) const {
        const std::hash<std::string_view> hash;
        return hash(key.section) ^ (hash(key.file) * 31) ^
               (std::hash<std::uint64_t>()(key.line) * 1000003);
    }
};

// The places and reasons of a share's results, each written once into its
// table and named by its index everywhere else.  The results outlive it.
class SharedTexts {
public:
    std::size_t placeIndex(const SectionPlace& place) {
        const auto [at, added] = placeIndexes_.emplace(
            PlaceKey{place.file, place.section, place.line}, placeIndexes_.size());
        if (added) {
            if (at->second > 0) places_ += ',';
            places_ += '[';
            appendJsonString(places_, place.file);
            places_ += ',';
            appendJsonString(places_, place.section);
            places_ += ',';
            appendNumber(places_, place.line);
            places_ += ']';
        }
        return at->second;
    }
    std::size_t reasonIndex(const std::string& reason) {
        const auto [at, added] = reasonIndexes_.emplace(reason, reasonIndexes_.size());
        if (added) {
            if (at->second > 0) reasons_ += ',';
            appendJsonString(reasons_, reason);
        }
        return at->second;
    }

    // The message, its tables before the models that name their items.
    std::string message(const std::string& models) const {
        std::string text;
        text.reserve(places_.size() + reasons_.size() + models.size() + 48);
        text += "{\"places\":[";
        text += places_;
        text += "],\"reasons\":[";
        text += reasons_;
        text += "],\"models\":";
        text += models;
        text += '}';
        return text;
    }

private:
    std::unordered_map<PlaceKey, std::size_t, PlaceKeyHash> placeIndexes_;
    std::unordered_map<std::string_view, std::size_t> reasonIndexes_;
    std::string places_;   // the table's items
    std::string reasons_;  // the table's items
};

void appendSections(std::string& out, const std::vector<SectionInRun>& sections,
                    SharedTexts& shared) {
    out += '[';
    for (std::size_t i = 0; i < sections.size(); ++i) {
        const SectionInRun& section = sections[i];
        out += i > 0 ? ",[" : "[";
        appendNumber(out, shared.placeIndex(section.place));
        out += ',';
        if (section.position)
            appendNumber(out, *section.position);
        else
            out += "null";
        out += ',';
        appendNumber(out, shared.reasonIndex(section.reason));
        out += ',';
        appendJsonString(out, outcomeName(section.outcome));
        out += ',';
        if (section.other)
            appendNumber(out, shared.placeIndex(*section.other));
        else
            out += "null";
        out += ']';
    }
    out += ']';
}

void appendCoverage(std::string& out, const ShownCoverage& coverage) {
    out += "{\"devices\":";
    appendNumber(out, coverage.devices);
    out += ",\"ignored\":";
    appendNumber(out, coverage.ignored);
    out += ",\"uncovered_devices\":[";
    for (std::size_t d = 0; d < coverage.uncoveredDevices.size(); ++d) {
        out += d > 0 ? ",{\"comment\":" : "{\"comment\":";
        appendJsonString(out, coverage.uncoveredDevices[d].comment);
        out += ",\"ids\":";
        appendTexts(out, coverage.uncoveredDevices[d].ids);
        out += '}';
    }
    out += "],\"uncovered_ids\":";
    appendTexts(out, coverage.uncoveredIds);
    out += '}';
}

void appendModel(std::string& out, const ModelResult& model, SharedTexts& shared) {
    out += "{\"exit_status\":";
    appendNumber(out, model.exitStatus);
    if (model.exitStatus != kExitOk) {
        out += ",\"error\":";
        appendJsonString(out, model.error);
        out += '}';
        return;
    }
    out += ",\"windows\":";
    appendJsonString(out, model.windows);
    out += ",\"list_written\":";
    appendFlag(out, model.listWritten);
    out += ",\"entry_count\":";
    appendNumber(out, model.entryCount);
    out += ",\"no_list\":";
    if (model.noList)
        appendJsonString(out, *model.noList);
    else
        out += "null";
    out += ",\"outcome\":";
    appendJsonString(out, model.outcome);
    out += ",\"outcome_status\":";
    appendNumber(out, model.outcomeStatus);
    out += ",\"missing_files\":";
    appendTexts(out, model.missingFiles);
    out += ",\"entry_problems\":[";
    for (std::size_t i = 0; i < model.entryProblems.size(); ++i) {
        out += i > 0 ? ",[" : "[";
        appendNumber(out, model.entryProblems[i].first);
        out += ',';
        appendJsonString(out, model.entryProblems[i].second);
        out += ']';
    }
    out += "],\"same_as_core\":";
    appendFlag(out, model.sameAsCore);
    out += ",\"folder_for_library\":";
    appendJsonString(out, model.folderForLibrary);
    out += ",\"sections\":";
    appendSections(out, model.sections, shared);
    out += ",\"ids_matched\":";
    appendFlag(out, model.idsMatched);
    out += ",\"coverage\":";
    if (model.coverage)
        appendCoverage(out, *model.coverage);
    else
        out += "null";
    out += '}';
}

// The reader's side: each object's members by name, and the tables a
// result's sections name by index.
constexpr std::array<const char*, 3> kMessageMembers = {"places", "reasons", "models"};
enum MessageMember : std::size_t { kPlaces, kReasons, kModels };

constexpr std::array<const char*, 15> kModelMembers = {
    "exit_status",   "error",          "windows",      "list_written",
    "entry_count",   "no_list",        "outcome",      "outcome_status",
    "missing_files", "entry_problems", "same_as_core", "folder_for_library",
    "sections",      "ids_matched",    "coverage"};
enum ModelMember : std::size_t {
    kExitStatus,
    kError,
    kWindows,
    kListWritten,
    kEntryCount,
    kNoList,
    kOutcome,
    kOutcomeStatus,
    kMissingFiles,
    kEntryProblems,
    kSameAsCore,
    kFolderForLibrary,
    kSections,
    kIdsMatched,
    kCoverage,
    kModelMemberCount
};

constexpr std::array<const char*, 4> kCoverageMembers = {"devices", "ignored", "uncovered_devices",
                                                         "uncovered_ids"};
constexpr std::array<const char*, 2> kDeviceMembers = {"comment", "ids"};

struct SharedTables {
    std::vector<SectionPlace> places;
    std::vector<std::string> reasons;
};

// Members `from` to `to` of `names` were all there.
template <std::size_t N>
void requireMembers(const MessageReader& in, const MessagePlace& at,
                    const std::array<const char*, N>& names, const std::array<bool, N>& seen,
                    std::size_t from = 0, std::size_t to = N) {
    for (std::size_t m = from; m < to; ++m)
        if (!seen[m]) in.fail(at, std::string("lacks the member \"") + names[m] + "\"");
}

void requireItems(const MessageReader& in, const MessagePlace& at, std::size_t count,
                  std::size_t size) {
    if (count != size)
        in.fail(at, "holds " + std::to_string(count) + " items, not " + std::to_string(size));
}

std::vector<std::string> textsRead(MessageReader& in, const MessagePlace& at) {
    std::vector<std::string> texts;
    in.items(at, [&](std::size_t, const MessagePlace& item) { texts.push_back(in.text(item)); });
    return texts;
}

SectionPlace placeRead(MessageReader& in, const MessagePlace& at) {
    SectionPlace place;
    const std::size_t count = in.items(at, [&](std::size_t i, const MessagePlace& item) {
        if (i == 0)
            place.file = in.text(item);
        else if (i == 1)
            place.section = in.text(item);
        else if (i == 2)
            place.line = in.number<std::uint64_t>(item);
        else
            in.skip(item);
    });
    requireItems(in, at, count, 3);
    return place;
}

// An index into a table of `size` items.
std::size_t indexRead(MessageReader& in, const MessagePlace& at, std::size_t size,
                      const char* what) {
    const std::size_t index = in.number<std::size_t>(at);
    if (index >= size)
        in.fail(at, std::string("names no ") + what + ": the share has " + std::to_string(size));
    return index;
}

SectionInRun sectionRead(MessageReader& in, const MessagePlace& at, const SharedTables& tables) {
    SectionInRun section;
    std::string decoded;
    const std::size_t count = in.items(at, [&](std::size_t i, const MessagePlace& item) {
        switch (i) {
            case 0:
                section.place = tables.places[indexRead(in, item, tables.places.size(), "place")];
                return;
            case 1:
                if (!in.null(item)) section.position = in.number<int>(item);
                return;
            case 2:
                section.reason =
                    tables.reasons[indexRead(in, item, tables.reasons.size(), "reason")];
                return;
            case 3: {
                const std::string outcome(in.textView(item, decoded));
                section.outcome = outcomeNamed(outcome);
                if (outcomeName(section.outcome) != outcome)
                    in.fail(item, "names no outcome: \"" + outcome + "\"");
                return;
            }
            case 4:
                if (!in.null(item))
                    section.other =
                        tables.places[indexRead(in, item, tables.places.size(), "place")];
                return;
            default:
                in.skip(item);
        }
    });
    requireItems(in, at, count, 5);
    return section;
}

IdDevice deviceRead(MessageReader& in, const MessagePlace& at) {
    IdDevice device;
    const auto seen =
        in.members(at, kDeviceMembers, [&](std::size_t member, const MessagePlace& value) {
            if (member == 0)
                device.comment = in.text(value);
            else
                device.ids = textsRead(in, value);
            return true;
        });
    requireMembers(in, at, kDeviceMembers, seen);
    return device;
}

ShownCoverage coverageRead(MessageReader& in, const MessagePlace& at) {
    ShownCoverage shown;
    const auto seen =
        in.members(at, kCoverageMembers, [&](std::size_t member, const MessagePlace& value) {
            switch (member) {
                case 0:
                    shown.devices = in.number<std::size_t>(value);
                    break;
                case 1:
                    shown.ignored = in.number<std::size_t>(value);
                    break;
                case 2:
                    in.items(value, [&](std::size_t, const MessagePlace& device) {
                        shown.uncoveredDevices.push_back(deviceRead(in, device));
                    });
                    break;
                default:
                    shown.uncoveredIds = textsRead(in, value);
            }
            return true;
        });
    requireMembers(in, at, kCoverageMembers, seen);
    return shown;
}

// A model that could not run holds its exit status and error only; what
// else it holds is skipped, as for one that ran its error is.
ModelResult modelRead(MessageReader& in, const MessagePlace& at, const SharedTables& tables) {
    ModelResult model;
    bool statusRead = false;
    const auto seen =
        in.members(at, kModelMembers, [&](std::size_t member, const MessagePlace& value) {
            if (member == kExitStatus) {
                model.exitStatus = in.number<int>(value);
                return statusRead = true;
            }
            if (!statusRead) return false;
            if ((member == kError) != (model.exitStatus != kExitOk)) {
                in.skip(value);
                return true;
            }
            switch (member) {
                case kError:
                    model.error = in.text(value);
                    break;
                case kWindows:
                    model.windows = in.text(value);
                    break;
                case kListWritten:
                    model.listWritten = in.boolean(value);
                    break;
                case kEntryCount:
                    model.entryCount = in.number<std::size_t>(value);
                    break;
                case kNoList:
                    if (!in.null(value)) model.noList = in.text(value);
                    break;
                case kOutcome:
                    model.outcome = in.text(value);
                    break;
                case kOutcomeStatus:
                    model.outcomeStatus = in.number<int>(value);
                    break;
                case kMissingFiles:
                    model.missingFiles = textsRead(in, value);
                    break;
                case kEntryProblems:
                    in.items(value, [&](std::size_t, const MessagePlace& problem) {
                        std::pair<int, std::string> read;
                        const std::size_t count =
                            in.items(problem, [&](std::size_t i, const MessagePlace& item) {
                                if (i == 0)
                                    read.first = in.number<int>(item);
                                else if (i == 1)
                                    read.second = in.text(item);
                                else
                                    in.skip(item);
                            });
                        requireItems(in, problem, count, 2);
                        model.entryProblems.push_back(std::move(read));
                    });
                    break;
                case kSameAsCore:
                    model.sameAsCore = in.boolean(value);
                    break;
                case kFolderForLibrary:
                    model.folderForLibrary = in.text(value);
                    break;
                case kSections:
                    in.items(value, [&](std::size_t, const MessagePlace& section) {
                        model.sections.push_back(sectionRead(in, section, tables));
                    });
                    break;
                case kIdsMatched:
                    model.idsMatched = in.boolean(value);
                    break;
                default:
                    if (!in.null(value)) model.coverage = coverageRead(in, value);
            }
            return true;
        });
    requireMembers(in, at, kModelMembers, seen, kExitStatus, kError);
    if (model.exitStatus != kExitOk)
        requireMembers(in, at, kModelMembers, seen, kError, kWindows);
    else
        requireMembers(in, at, kModelMembers, seen, kWindows, kModelMemberCount);
    return model;
}
}  // namespace

Json toJson(const WorkerShare& share) {
    Json models = Json::array();
    for (const ModelInShare& model : share.models) {
        Json item = {{"kind", model.kind}, {"list", model.list}};
        if (model.windows) item["windows"] = *model.windows;
        if (model.idsFile) item["ids_file"] = *model.idsFile;
        models.push_back(std::move(item));
    }
    return {{"models", std::move(models)}};
}

void fromJson(const Json& json, WorkerShare& share) {
    const Member models = Member(json, "")["models"];
    share.models.clear();
    for (std::size_t i = 0, n = models.items(); i < n; ++i) {
        const Member entry = models.item(i);
        ModelInShare model;
        model.kind = entry["kind"].text();
        model.list = entry["list"].text();
        if (entry.has("windows")) model.windows = entry["windows"].text();
        if (entry.has("ids_file")) model.idsFile = entry["ids_file"].text();
        share.models.push_back(std::move(model));
    }
}

std::string workerResultText(const WorkerResult& result) {
    SharedTexts shared;
    std::string models = "[";
    for (std::size_t m = 0; m < result.models.size(); ++m) {
        if (m > 0) models += ',';
        appendModel(models, result.models[m], shared);
    }
    models += ']';
    return shared.message(models);
}

WorkerResult readWorkerResult(std::string_view text) {
    MessageReader in(text);
    const MessagePlace message;
    SharedTables tables;
    bool placesRead = false, reasonsRead = false;
    WorkerResult result;
    const auto seen =
        in.members(message, kMessageMembers, [&](std::size_t member, const MessagePlace& value) {
            switch (member) {
                case kPlaces:
                    in.items(value, [&](std::size_t, const MessagePlace& place) {
                        tables.places.push_back(placeRead(in, place));
                    });
                    return placesRead = true;
                case kReasons:
                    tables.reasons = textsRead(in, value);
                    return reasonsRead = true;
                default:
                    // The sections name the tables' items, so these come first.
                    if (!placesRead || !reasonsRead) return false;
                    in.items(value, [&](std::size_t, const MessagePlace& model) {
                        result.models.push_back(modelRead(in, model, tables));
                    });
                    return true;
            }
        });
    requireMembers(in, message, kMessageMembers, seen);
    in.end(message);
    return result;
}

}  // namespace mfgtool

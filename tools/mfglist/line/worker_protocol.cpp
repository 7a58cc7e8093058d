#include "worker_protocol.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <limits>
#include <type_traits>
#include <unordered_map>

#include "common/json_writer.h"
#include "message_reader.h"

namespace mfgtool {
namespace {

constexpr int kCompact = -1;  // the message is read by a program, not a person

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
    SharedTexts() {
        places_.beginArray();
        reasons_.beginArray();
    }

    std::size_t placeIndex(const SectionPlace& place) {
        const auto [at, added] = placeIndexes_.emplace(
            PlaceKey{place.file, place.section, place.line}, placeIndexes_.size());
        if (added)
            places_.beginArray()
                .value(place.file)
                .value(place.section)
                .value(place.line)
                .endArray();
        return at->second;
    }
    std::size_t reasonIndex(const std::string& reason) {
        const auto [at, added] = reasonIndexes_.emplace(reason, reasonIndexes_.size());
        if (added) reasons_.value(reason);
        return at->second;
    }

    // The message, its tables before the models that name their items.
    std::string message(JsonWriter& models) {
        JsonWriter text(kCompact);
        text.beginObject();
        text.key("places").written(places_.endArray().take());
        text.key("reasons").written(reasons_.endArray().take());
        text.key("models").written(models.take());
        return text.endObject().take();
    }

private:
    std::unordered_map<PlaceKey, std::size_t, PlaceKeyHash> placeIndexes_;
    std::unordered_map<std::string_view, std::size_t> reasonIndexes_;
    JsonWriter places_{kCompact}, reasons_{kCompact};  // the tables
};

void writeSections(JsonWriter& out, const std::vector<SectionInRun>& sections,
                   SharedTexts& shared) {
    out.beginArray();
    for (const SectionInRun& section : sections) {
        out.beginArray().value(shared.placeIndex(section.place)).value(section.position);
        out.value(shared.reasonIndex(section.reason)).value(outcomeName(section.outcome));
        if (section.other)
            out.value(shared.placeIndex(*section.other));
        else
            out.value(nullptr);
        out.endArray();
    }
    out.endArray();
}

void writeCoverage(JsonWriter& out, const ShownCoverage& coverage) {
    out.beginObject().member("devices", coverage.devices).member("ignored", coverage.ignored);
    out.key("uncovered_devices").beginArray();
    for (const IdDevice& device : coverage.uncoveredDevices)
        out.beginObject().member("comment", device.comment).member("ids", device.ids).endObject();
    out.endArray().member("uncovered_ids", coverage.uncoveredIds).endObject();
}

void writeModel(JsonWriter& out, const ModelResult& model, SharedTexts& shared) {
    out.beginObject().member("exit_status", model.exitStatus);
    if (model.exitStatus != kExitOk) {
        out.member("error", model.error).endObject();
        return;
    }
    out.member("windows", model.windows)
        .member("list_written", model.listWritten)
        .member("entry_count", model.entryCount)
        .member("no_list", model.noList)
        .member("outcome", model.outcome)
        .member("outcome_status", model.outcomeStatus)
        .member("missing_files", model.missingFiles);
    out.key("entry_problems").beginArray();
    for (const auto& [position, why] : model.entryProblems)
        out.beginArray().value(position).value(why).endArray();
    out.endArray();
    out.member("same_as_core", model.sameAsCore)
        .member("folder_for_library", model.folderForLibrary);
    out.key("sections");
    writeSections(out, model.sections, shared);
    out.member("ids_matched", model.idsMatched).key("coverage");
    if (model.coverage)
        writeCoverage(out, *model.coverage);
    else
        out.value(nullptr);
    out.endObject();
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

constexpr std::array<const char*, 1> kShareMembers = {"models"};
constexpr std::array<const char*, 4> kShareModelMembers = {"kind", "list", "windows", "ids_file"};

// A model of a share: its Windows and ID file are optional.
ModelInShare shareModelRead(MessageReader& in, const MessagePlace& at) {
    ModelInShare model;
    const auto seen =
        in.members(at, kShareModelMembers, [&](std::size_t member, const MessagePlace& value) {
            std::string text = in.text(value);
            if (member == 0) model.kind = std::move(text);
            if (member == 1) model.list = std::move(text);
            if (member == 2) model.windows = std::move(text);
            if (member == 3) model.idsFile = std::move(text);
            return true;
        });
    requireMembers(in, at, kShareModelMembers, seen, 0, 2);
    return model;
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

std::string workerShareText(const WorkerShare& share) {
    JsonWriter json(kCompact);
    json.beginObject().key("models").beginArray();
    for (const ModelInShare& model : share.models) {
        json.beginObject().member("kind", model.kind).member("list", model.list);
        if (model.windows) json.member("windows", *model.windows);
        if (model.idsFile) json.member("ids_file", *model.idsFile);
        json.endObject();
    }
    return json.endArray().endObject().take();
}

WorkerShare readWorkerShare(std::string_view text) {
    MessageReader in(text);
    const MessagePlace message;
    WorkerShare share;
    const auto seen =
        in.members(message, kShareMembers, [&](std::size_t, const MessagePlace& models) {
            in.items(models, [&](std::size_t, const MessagePlace& model) {
                share.models.push_back(shareModelRead(in, model));
            });
            return true;
        });
    // Checked by hand: GCC 12 warns of requireMembers's loop over an array
    // of one (a known false -Warray-bounds).
    if (!seen[0]) in.fail(message, "lacks the member \"models\"");
    in.end(message);
    return share;
}

std::string workerResultText(const WorkerResult& result) {
    SharedTexts shared;
    JsonWriter models(kCompact);
    models.beginArray();
    for (const ModelResult& model : result.models) writeModel(models, model, shared);
    models.endArray();
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

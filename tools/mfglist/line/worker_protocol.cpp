#include "worker_protocol.h"

#include <cstdint>
#include <limits>
#include <map>
#include <tuple>
#include <type_traits>
#include <unordered_map>

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
    bool isNull() const { return value_.is_null(); }

    std::string text() const {
        if (!value_.is_string()) fail("is not text");
        return value_.get<std::string>();
    }
    bool boolean() const {
        if (!value_.is_boolean()) fail("is not true or false");
        return value_.get<bool>();
    }
    template <typename Number>
    Number number() const {
        if (!value_.is_number_integer()) fail("is not a whole number");
        constexpr auto most = static_cast<std::uint64_t>(std::numeric_limits<Number>::max());
        bool fits;
        if (value_.is_number_unsigned()) {
            fits = value_.get<std::uint64_t>() <= most;
        } else {
            const std::int64_t value = value_.get<std::int64_t>();
            fits = value < 0
                       ? std::is_signed_v<Number> &&
                             value >= static_cast<std::int64_t>(std::numeric_limits<Number>::min())
                       : static_cast<std::uint64_t>(value) <= most;
        }
        if (!fits) fail("is out of range");
        return value_.get<Number>();
    }
    // The array's size; `size`, when given, is the one it must have.
    std::size_t items(std::optional<std::size_t> size = std::nullopt) const {
        if (!value_.is_array()) fail("is not an array");
        if (size && value_.size() != *size)
            fail("holds " + std::to_string(value_.size()) + " items, not " + std::to_string(*size));
        return value_.size();
    }
    std::vector<std::string> texts() const {
        std::vector<std::string> all;
        for (std::size_t i = 0, n = items(); i < n; ++i) all.push_back(item(i).text());
        return all;
    }

private:
    const Json& value_;
    std::string path_;
};

Json placeJson(const SectionPlace& place) {
    return Json::array({place.file, place.section, place.line});
}

// The places and reasons of a share's results, each kept once.
class SharedTexts {
public:
    std::size_t placeIndex(const SectionPlace& place) {
        const auto [at, added] = placeIndexes_.emplace(
            std::forward_as_tuple(place.file, place.section, place.line), places_.size());
        if (added) places_.push_back(placeJson(place));
        return at->second;
    }
    std::size_t reasonIndex(const std::string& reason) {
        const auto [at, added] = reasonIndexes_.emplace(reason, reasons_.size());
        if (added) reasons_.push_back(reason);
        return at->second;
    }
    Json& places() { return places_; }
    Json& reasons() { return reasons_; }

private:
    std::map<std::tuple<std::string, std::string, std::uint64_t>, std::size_t> placeIndexes_;
    std::unordered_map<std::string, std::size_t> reasonIndexes_;
    Json places_ = Json::array();
    Json reasons_ = Json::array();
};

Json modelJson(const ModelResult& model, SharedTexts& shared) {
    if (model.exitStatus != kExitOk)
        return {{"exit_status", model.exitStatus}, {"error", model.error}};
    Json entryProblems = Json::array();
    for (const auto& [position, why] : model.entryProblems)
        entryProblems.push_back(Json::array({position, why}));
    Json sections = Json::array();
    for (const SectionInRun& section : model.sections)
        sections.push_back(
            Json::array({shared.placeIndex(section.place),
                         section.position ? Json(*section.position) : Json(nullptr),
                         shared.reasonIndex(section.reason), outcomeName(section.outcome),
                         section.other ? Json(shared.placeIndex(*section.other)) : Json(nullptr)}));
    Json json = {{"exit_status", model.exitStatus},
                 {"windows", model.windows},
                 {"list_written", model.listWritten},
                 {"entry_count", model.entryCount},
                 {"no_list", model.noList ? Json(*model.noList) : Json(nullptr)},
                 {"outcome", model.outcome},
                 {"outcome_status", model.outcomeStatus},
                 {"missing_files", model.missingFiles},
                 {"entry_problems", std::move(entryProblems)},
                 {"same_as_core", model.sameAsCore},
                 {"folder_for_library", model.folderForLibrary},
                 {"sections", std::move(sections)},
                 {"ids_matched", model.idsMatched},
                 {"coverage", nullptr}};
    if (model.coverage)
        json["coverage"] = {{"devices", model.coverage->devices},
                            {"ignored", model.coverage->ignored},
                            {"uncovered_devices", devicesJson(model.coverage->uncoveredDevices)},
                            {"uncovered_ids", model.coverage->uncoveredIds}};
    return json;
}

SectionPlace placeFrom(const Member& places, const Member& index) {
    const std::size_t at = index.number<std::size_t>();
    if (at >= places.items())
        index.fail("names no place: the share has " + std::to_string(places.items()));
    const Member place = places.item(at);
    place.items(3);
    return SectionPlace{place.item(0).text(), place.item(1).text(),
                        place.item(2).number<std::uint64_t>()};
}

SectionInRun sectionFrom(const Member& json, const Member& places, const Member& reasons) {
    json.items(5);
    SectionInRun section;
    section.place = placeFrom(places, json.item(0));
    if (!json.item(1).isNull()) section.position = json.item(1).number<int>();
    const std::size_t reason = json.item(2).number<std::size_t>();
    if (reason >= reasons.items())
        json.item(2).fail("names no reason: the share has " + std::to_string(reasons.items()));
    section.reason = reasons.item(reason).text();
    const std::string outcome = json.item(3).text();
    section.outcome = outcomeNamed(outcome);
    if (outcomeName(section.outcome) != outcome)
        json.item(3).fail("names no outcome: \"" + outcome + "\"");
    if (!json.item(4).isNull()) section.other = placeFrom(places, json.item(4));
    return section;
}

ModelResult modelFrom(const Member& json, const Member& places, const Member& reasons) {
    ModelResult model;
    model.exitStatus = json["exit_status"].number<int>();
    if (model.exitStatus != kExitOk) {
        model.error = json["error"].text();
        return model;
    }
    model.windows = json["windows"].text();
    model.listWritten = json["list_written"].boolean();
    model.entryCount = json["entry_count"].number<std::size_t>();
    if (!json["no_list"].isNull()) model.noList = json["no_list"].text();
    model.outcome = json["outcome"].text();
    model.outcomeStatus = json["outcome_status"].number<int>();
    model.missingFiles = json["missing_files"].texts();
    const Member problems = json["entry_problems"];
    for (std::size_t i = 0, n = problems.items(); i < n; ++i) {
        problems.item(i).items(2);
        model.entryProblems.emplace_back(problems.item(i).item(0).number<int>(),
                                         problems.item(i).item(1).text());
    }
    model.sameAsCore = json["same_as_core"].boolean();
    model.folderForLibrary = json["folder_for_library"].text();
    const Member sections = json["sections"];
    model.sections.reserve(sections.items());
    for (std::size_t i = 0, n = sections.items(); i < n; ++i)
        model.sections.push_back(sectionFrom(sections.item(i), places, reasons));
    model.idsMatched = json["ids_matched"].boolean();
    if (const Member coverage = json["coverage"]; !coverage.isNull()) {
        ShownCoverage shown;
        shown.devices = coverage["devices"].number<std::size_t>();
        shown.ignored = coverage["ignored"].number<std::size_t>();
        const Member devices = coverage["uncovered_devices"];
        for (std::size_t i = 0, n = devices.items(); i < n; ++i)
            shown.uncoveredDevices.push_back(
                IdDevice{devices.item(i)["comment"].text(), devices.item(i)["ids"].texts()});
        shown.uncoveredIds = coverage["uncovered_ids"].texts();
        model.coverage = std::move(shown);
    }
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

Json toJson(const WorkerResult& result) {
    SharedTexts shared;
    Json models = Json::array();
    for (const ModelResult& model : result.models) models.push_back(modelJson(model, shared));
    return {{"places", std::move(shared.places())},
            {"reasons", std::move(shared.reasons())},
            {"models", std::move(models)}};
}

void fromJson(const Json& json, WorkerResult& result) {
    const Member message(json, "");
    const Member places = message["places"];
    const Member reasons = message["reasons"];
    places.items();
    reasons.items();
    const Member models = message["models"];
    result.models.clear();
    for (std::size_t i = 0, n = models.items(); i < n; ++i)
        result.models.push_back(modelFrom(models.item(i), places, reasons));
}

}  // namespace mfgtool

// The JSON of `mfglist explain`: a preview's document with every section's
// fate, the IDs that matched nothing and the group's settings, as data
// (docs/json-output.md).
#include "explain_report.h"
#include "run/section_words.h"

namespace mfgtool {

using mfg::items::Placement;
using mfg::listjob::LeftOut;

namespace {

const char* fateName(Fate fate) {
    switch (fate) {
        case Fate::listed:
            return "listed";
        case Fate::leftOut:
            return "left-out";
        case Fate::replaced:
            return "replaced";
        case Fate::refused:
            return "refused";
        case Fate::passed:
            return "selected";
    }
    return "";
}

const char* leftOutReason(LeftOut leftOut) {
    switch (leftOut) {
        case LeftOut::otherGroup:
            return "other-group";
        case LeftOut::softwareInDriverList:
            return "software-in-driver-list";
        case LeftOut::notSoftwareInSoftwareList:
            return "not-software-in-software-list";
        case LeftOut::noIdMatched:
            return "no-id-matched";
    }
    return "";
}

Json sectionRecordJson(const SectionRecord& record, const ExplainText& shown, const Plan& plan) {
    const auto sectionJson = [&](const SectionPlace& at) {
        return placeJson(shown.shownPlace(at));
    };
    Json item = sectionJson(record.place);
    item["fate"] = fateName(record.fate);
    if (record.listSection) item["position"] = *record.listSection;
    if (record.orderKey) {
        item["rank"] = record.orderKey->first;
        item["id_key"] = record.orderKey->second;
    }
    if (record.fate == Fate::leftOut) {
        item["reason"] = leftOutReason(record.leftOut);
    } else if (record.fate == Fate::refused) {
        item["reason"] =
            record.placement == Placement::refusedSameId ? "same-hardid" : "device-driver-held";
    }
    if (record.fate == Fate::leftOut || record.matchedId || record.fate == Fate::refused)
        item["compared"] = shown.text(record.compared);
    if (record.matchedId) {
        item["matched_id"] = shown.text(*record.matchedId);
        item["family_match"] = record.familyMatch;
    }
    if (record.configDriver) item["config_driver"] = true;
    if (record.other) {
        const char* name = record.fate == Fate::replaced  ? "replaced_by"
                           : record.fate == Fate::refused ? "refused_by"
                                                          : "took_place_of";
        item[name] = sectionJson(*record.other);
    }
    if (const auto hint = nearestIdFor(record, plan)) {
        Json nearest;
        nearest["id"] = shown.text(hint->id);
        nearest["why"] = hint->why;
        item["nearest_id"] = nearest;
    }
    Json cuts = Json::array();
    for (const FieldCut& cut : record.cuts) {
        Json one;
        one["key"] = cut.key;
        one["kept_bytes"] = cut.keptBytes;
        cuts.push_back(one);
    }
    item["cuts"] = cuts;
    return item;
}

Json settingsJson(const ExplainJournal& journal, const ExplainText& shown) {
    Json settings = Json::array();
    for (const SettingRecord& setting : journal.settings()) {
        Json item;
        item["key"] = setting.key;
        item["value"] = shown.text(setting.value);
        item["set"] = !setting.value.empty();
        item["file"] = setting.file.empty() ? Json(nullptr) : Json(shown.file(setting.file));
        item["group"] = shown.text(setting.group);
        Json cuts = Json::array();
        for (const std::size_t kept : setting.cutTo) cuts.push_back(kept);
        item["cut_to"] = cuts;
        settings.push_back(item);
    }
    return settings;
}

}  // namespace

Json explainJson(const ReportContext& context, const ExplainJournal& journal,
                 const std::string& status, int exitStatus) {
    const Plan& plan = context.plan;
    const ExplainText shown(context.plan, context.run, journal);
    Json json = previewJson(context, status, exitStatus);
    json["command"] = "explain";
    Json sections = Json::array();
    for (const SectionRecord& record : journal.sections())
        sections.push_back(sectionRecordJson(record, shown, plan));
    json["sections"] = sections;
    if (runMatchesIds(plan)) {
        Json unmatched = Json::array();
        for (const std::string& id : journal.unmatchedIds()) unmatched.push_back(shown.text(id));
        json["unmatched_ids"] = unmatched;
    } else {
        json["unmatched_ids"] = nullptr;
    }
    json["settings"] = settingsJson(journal, shown);
    return json;
}

}  // namespace mfgtool

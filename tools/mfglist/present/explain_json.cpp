// The JSON of `mfglist explain`: a preview's document with every section's
// fate, the IDs that matched nothing and the group's settings, as data
// (docs/json-output.md).
#include "explain_report.h"
#include "run/section_words.h"

namespace mfgtool {

using mfg::items::Placement;
using mfg::listjob::LeftOut;

Json explainJson(const ReportContext& context, const ExplainJournal& journal,
                 const std::string& status, int exitStatus) {
    const Plan& plan = context.plan;
    const ExplainText shown(context.plan, context.run, journal);
    Json json = previewJson(context, status, exitStatus);
    json["command"] = "explain";
    const auto sectionJson = [&](const SectionPlace& at) { return placeJson(shown.shownPlace(at)); };
    Json sections = Json::array();
    for (const SectionRecord& record : journal.sections()) {
        Json item = sectionJson(record.place);
        switch (record.fate) {
        case Fate::listed: item["fate"] = "listed"; break;
        case Fate::leftOut: item["fate"] = "left-out"; break;
        case Fate::replaced: item["fate"] = "replaced"; break;
        case Fate::refused: item["fate"] = "refused"; break;
        case Fate::passed: item["fate"] = "selected"; break;
        }
        if (record.listSection) item["position"] = *record.listSection;
        if (record.orderKey) {
            item["rank"] = record.orderKey->first;
            item["id_key"] = record.orderKey->second;
        }
        if (record.fate == Fate::leftOut) {
            switch (record.leftOut) {
            case LeftOut::otherGroup: item["reason"] = "other-group"; break;
            case LeftOut::softwareInDriverList: item["reason"] = "software-in-driver-list"; break;
            case LeftOut::notSoftwareInSoftwareList:
                item["reason"] = "not-software-in-software-list";
                break;
            case LeftOut::noIdMatched: item["reason"] = "no-id-matched"; break;
            }
        } else if (record.fate == Fate::refused) {
            item["reason"] = record.placement == Placement::refusedSameId ? "same-hardid"
                                                                          : "device-driver-held";
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
        sections.push_back(item);
    }
    json["sections"] = sections;
    if (runMatchesIds(plan)) {
        Json unmatched = Json::array();
        for (const std::string& id : journal.unmatchedIds()) unmatched.push_back(shown.text(id));
        json["unmatched_ids"] = unmatched;
    } else {
        json["unmatched_ids"] = nullptr;
    }
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
    json["settings"] = settings;
    return json;
}

}  // namespace mfgtool

#include "explain_journal.h"

#include <algorithm>

#include "items/keys.h"

namespace mfgtool {

using mfg::listjob::SectionAt;

SectionRecord& ExplainJournal::record(const SectionAt& at) {
    const auto key = std::make_pair(std::string(at.file), at.line);
    const auto found = index_.find(key);
    if (found != index_.end()) return sections_[found->second];
    index_.emplace(key, sections_.size());
    SectionRecord added;
    added.place = {std::string(at.file), std::string(at.section), at.line};
    sections_.push_back(std::move(added));
    return sections_.back();
}

void ExplainJournal::sectionReached(const SectionAt& at) {
    record(at);
    current_ = index_.at({std::string(at.file), at.line});
}

void ExplainJournal::sectionLeftOut(const SectionAt& at, mfg::listjob::LeftOut reason,
                                    std::string_view compared) {
    SectionRecord& entry = record(at);
    entry.fate = Fate::leftOut;
    entry.leftOut = reason;
    entry.compared = std::string(compared);
}

void ExplainJournal::idMatched(const SectionAt& at, const mfg::items::IdMatch& match,
                               std::string_view hostId) {
    SectionRecord& entry = record(at);
    entry.matchedId = std::string(hostId);
    entry.familyMatch = match.family;
    entry.compared = match.sectionId;
    if (match.hostIndex >= 0 && static_cast<std::size_t>(match.hostIndex) < hostIdMatched_.size())
        hostIdMatched_[static_cast<std::size_t>(match.hostIndex)] = true;
}

void ExplainJournal::entryWritten(const SectionAt& at, int listSection) {
    SectionRecord& entry = record(at);
    entry.fate = Fate::listed;
    entry.listSection = listSection;
}

void ExplainJournal::driverPlaced(const SectionAt& at, mfg::items::Placement placement,
                                  const SectionAt* other, int rank, std::int32_t id) {
    SectionRecord& entry = record(at);
    entry.placement = placement;
    entry.orderKey = std::make_pair(rank, id);
    std::optional<SectionPlace> otherPlace;
    if (other)
        otherPlace =
            SectionPlace{std::string(other->file), std::string(other->section), other->line};
    entry.other = otherPlace;
    using mfg::items::Placement;
    if (placement == Placement::refusedSameId || placement == Placement::refusedDeviceHeld) {
        entry.fate = Fate::refused;
    } else if (placement == Placement::replacedFamily && other) {
        SectionRecord& gone = record(*other);
        gone.fate = Fate::replaced;
        gone.listSection.reset();
        gone.other = SectionPlace{std::string(at.file), std::string(at.section), at.line};
    }
}

void ExplainJournal::configDriverAppended(const SectionAt& at) { record(at).configDriver = true; }

void ExplainJournal::driverListed(const SectionAt& at, int listSection, int rank, std::int32_t id) {
    SectionRecord& entry = record(at);
    entry.fate = Fate::listed;
    entry.listSection = listSection;
    entry.orderKey = std::make_pair(rank, id);
}

void ExplainJournal::settingRead(std::string_view file, std::string_view group, mfg::items::Key key,
                                 std::string_view value) {
    settings_.push_back(SettingRecord{
        mfg::items::keyName(key), std::string(value), std::string(file), std::string(group), {}});
}

void ExplainJournal::fieldCut(mfg::items::FieldOwner owner, std::string_view, std::string_view key,
                              std::size_t keptBytes) {
    if (owner == mfg::items::FieldOwner::settings) {
        for (SettingRecord& setting : settings_)
            if (setting.key == key && std::find(setting.cutTo.begin(), setting.cutTo.end(),
                                                keptBytes) == setting.cutTo.end())
                setting.cutTo.push_back(keptBytes);
        return;
    }
    if (current_ >= sections_.size()) return;
    // EXEPATH fills three fields in process-file mode: one cut says it.
    std::vector<FieldCut>& cuts = sections_[current_].cuts;
    for (const FieldCut& cut : cuts)
        if (cut.key == key && cut.keptBytes == keptBytes) return;
    cuts.push_back(FieldCut{std::string(key), keptBytes});
}

std::vector<std::string> ExplainJournal::unmatchedIds() const {
    std::vector<std::string> unmatched;
    for (std::size_t i = 0; i < hostIds_.size(); ++i)
        if (!hostIdMatched_[i]) unmatched.push_back(hostIds_[i]);
    return unmatched;
}

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string trimmed(const std::string& text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && isBlank(text[begin])) ++begin;
    while (end > begin && isBlank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

char upperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Letters of the Western page besides ASCII (0xE0-0xFE but 0xF7 are the
// small forms of 0xC0-0xDE): the library upper-cases ASCII only, so these
// differ to it.
unsigned char foldWide(unsigned char c, int codePage) {
    if (codePage == 1252 && c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return static_cast<unsigned char>(c - 0x20);
    return static_cast<unsigned char>(upperAscii(static_cast<char>(c)));
}

bool equalAscii(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (upperAscii(a[i]) != upperAscii(b[i])) return false;
    return true;
}

bool equalWide(const std::string& a, const std::string& b, int codePage) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (foldWide(static_cast<unsigned char>(a[i]), codePage) !=
            foldWide(static_cast<unsigned char>(b[i]), codePage))
            return false;
    return true;
}

}  // namespace

std::optional<NearestId> nearestHostId(const std::string& sectionId,
                                       const std::vector<std::string>& hostIds, int codePage) {
    if (sectionId.empty()) return std::nullopt;
    for (const std::string& id : hostIds)
        if (id != trimmed(id) && equalAscii(trimmed(id), sectionId))
            return NearestId{id, "the same ID with a blank at its end"};
    for (const std::string& id : hostIds)
        if (equalWide(id, sectionId, codePage))
            return NearestId{id, "differs in the case of a letter the library does not fold"};
    constexpr std::size_t kFamily = 8;
    for (const std::string& id : hostIds)
        if (id.size() >= kFamily && sectionId.size() >= kFamily &&
            equalAscii(id.substr(0, kFamily), sectionId.substr(0, kFamily)))
            return NearestId{id, "the same first 8 characters"};
    return std::nullopt;
}

}  // namespace mfgtool

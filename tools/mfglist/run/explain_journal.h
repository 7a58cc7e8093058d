// What `explain` learns from the library's core while it makes a list: every
// section walked, in file order, and what became of it; the host IDs that
// matched nothing; the group settings and where each came from.  Texts stay
// in the library's code page until the report shows them.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "listjob/decision_observer.h"

namespace mfgtool {

struct SectionPlace {
    std::string file;     // as the library names it
    std::string section;  // as the header spells it
    std::uint64_t line = 0;
};

enum class Fate {
    passed,    // every filter passed, but the list was not written
    listed,    // in the list at `listSection`
    leftOut,   // a filter left it out (`leftOut`)
    replaced,  // a 16-character driver (`other`) took its place
    refused,   // the held entry `other` stood for it already
};

struct FieldCut {
    std::string key;
    std::size_t keptBytes = 0;
};

struct SectionRecord {
    SectionPlace place;
    Fate fate = Fate::passed;
    std::optional<int> listSection;
    mfg::listjob::LeftOut leftOut = mfg::listjob::LeftOut::otherGroup;
    std::string compared;                            // the value a filter left it out on
    std::optional<mfg::items::Placement> placement;  // a CD-ROM matched driver
    std::optional<SectionPlace> other;  // replaced by / refused because of / took the place of
    std::optional<std::pair<int, std::int32_t>> orderKey;  // rank, ID of a CD-ROM driver
    std::optional<std::string> matchedId;  // the host ID it matched ("" for SYSPATCH)
    bool familyMatch = false;
    bool configDriver = false;  // DrvCofg.ini: listed after the matched drivers
    std::vector<FieldCut> cuts;
};

struct SettingRecord {
    std::string key;
    std::string value;
    std::string file;  // the process file read, "" when none
    std::string group;
    std::vector<std::size_t> cutTo;  // bytes kept, once per cut
};

class ExplainJournal : public mfg::listjob::DecisionObserver {
public:
    explicit ExplainJournal(std::vector<std::string> hostIds) : hostIds_(std::move(hostIds)) {}

    const std::vector<SectionRecord>& sections() const { return sections_; }
    const std::vector<SettingRecord>& settings() const { return settings_; }
    // The host IDs no section matched, in the order given.
    std::vector<std::string> unmatchedIds() const;

    void sectionReached(const mfg::listjob::SectionAt& at) override;
    void sectionLeftOut(const mfg::listjob::SectionAt& at, mfg::listjob::LeftOut reason,
                        std::string_view compared) override;
    void idMatched(const mfg::listjob::SectionAt& at, const mfg::items::IdMatch& match,
                   std::string_view hostId) override;
    void entryWritten(const mfg::listjob::SectionAt& at, int listSection) override;
    void driverPlaced(const mfg::listjob::SectionAt& at, mfg::items::Placement placement,
                      const mfg::listjob::SectionAt* other, int rank, std::int32_t id) override;
    void configDriverAppended(const mfg::listjob::SectionAt& at) override;
    void driverListed(const mfg::listjob::SectionAt& at, int listSection, int rank,
                      std::int32_t id) override;
    void settingRead(std::string_view file, std::string_view group, mfg::items::Key key,
                     std::string_view value) override;
    void fieldCut(mfg::items::FieldOwner owner, std::string_view section, std::string_view key,
                  std::size_t keptBytes) override;

private:
    SectionRecord& record(const mfg::listjob::SectionAt& at);

    std::vector<std::string> hostIds_;
    std::vector<bool> hostIdMatched_ = std::vector<bool>(hostIds_.size(), false);
    std::vector<SectionRecord> sections_;
    std::map<std::pair<std::string, std::uint64_t>, std::size_t> index_;  // file, line
    std::size_t current_ = 0;                                             // the section being read
    std::vector<SettingRecord> settings_;
};

// The host ID that almost matched `sectionId`, and how near it came: a blank
// at its end, a difference of letter case only, or the same first 8
// characters (another device of the same family).  nullopt when none is near.
struct NearestId {
    std::string id;
    std::string why;
};
std::optional<NearestId> nearestHostId(const std::string& sectionId,
                                       const std::vector<std::string>& hostIds, int codePage);

}  // namespace mfgtool

// Which sections of a process file become entries of a list: the TYPE must
// suit the list kind, the GROUP must be the run's group, and the section's ID
// must be one the host asked for.  Each filter is a function of the run's
// settings and the section's values, and changes nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "items/keys.h"
#include "text/codepage.h"

namespace mfg::items {

// The section's value of a key (keys.h), "" when the section lacks it.  Only
// the keys a filter needs are asked for, in the order it needs them.  Each
// answer must stay valid until the filter returns (a view into the reader's
// current section is: the filters never step the reader).
using SectionValues = std::function<std::string_view(Key key)>;

// A driver list takes every TYPE but SOFTWARE, a software list only
// SOFTWARE, any other list kind every TYPE.
bool typeMatches(std::int32_t listKind, const SectionValues& section, const text::CodePage& cp);

// The section's GROUP is the run's group; an empty one matches nothing.
bool groupMatches(std::string_view groupName, const SectionValues& section,
                  const text::CodePage& cp);

// The section's HARDID (driver list) or PACKETNAME (software list) is one of
// the `idCount` texts of `ids`, without regard to case; a family HARDID also
// matches the device IDs that begin with it, and a SYSPATCH driver matches
// whatever the IDs.  Any other list kind matches nothing.
bool idMatches(std::int32_t listKind, const SectionValues& section, int idCount,
               const char* const* ids, const text::CodePage& cp);

// The same match, telling what decided it.
struct IdMatch {
    bool matched = false;
    bool sysPatch = false;  // a SYSPATCH driver: no ID asked
    bool family = false;    // the section's family HARDID begins the host's device ID
    int hostIndex = -1;     // the host ID matched, an index of `ids`; -1 when none
    std::string sectionId;  // the HARDID or PACKETNAME compared, "" when none was
};
IdMatch findIdMatch(std::int32_t listKind, const SectionValues& section, int idCount,
                    const char* const* ids, const text::CodePage& cp);

// The host's IDs upper-cased once, and looked up rather than walked: a run
// matches every section of a process file against the same IDs.
class HostIds {
public:
    HostIds(int idCount, const char* const* ids, const text::CodePage& cp);
    // Made from these very IDs (the same array and count) in this code page.
    bool madeFrom(int idCount, const char* const* ids, const text::CodePage& cp) const;
    // The first host ID, in the host's order, equal to the upper-cased
    // `mine` or (for hardware IDs) a device ID of the family `mine`; -1
    // when there is none.
    int firstMatch(std::string_view mine, bool hardwareIds) const;
    const std::string& upper(int index) const { return upper_[static_cast<std::size_t>(index)]; }

private:
    std::vector<std::string> upper_;
    std::unordered_map<std::string, int> firstEqual_;
    // Host IDs of at least eight bytes by their first eight, where those end
    // on a character.
    std::unordered_map<std::string, int> firstOfFamily_;
    int idCount_;
    const char* const* ids_;
    unsigned codePage_;
};
IdMatch findIdMatch(std::int32_t listKind, const SectionValues& section, const HostIds& hostIds,
                    const text::CodePage& cp);

}  // namespace mfg::items

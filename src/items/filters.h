// Which sections of a process file become entries of a list: the TYPE must
// suit the list kind, the GROUP must be the run's group, and the section's ID
// must be one the host asked for.  Each filter is a function of the run's
// settings and the section's values, and changes nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "items/keys.h"
#include "text/codepage.h"

namespace mfg::items {

// The section's value of a key (keys.h), "" when the section lacks it.  Only
// the keys a filter needs are asked for, in the order it needs them.
using SectionValues = std::function<std::string(Key key)>;

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

}  // namespace mfg::items

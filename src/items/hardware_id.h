// Hardware IDs of two lengths relate to each other: an 8-character family ID
// and the 16-character device IDs that begin with it.
#pragma once

#include <cstddef>
#include <string_view>

#include "text/mbstring.h"

namespace mfg::items {

inline constexpr std::size_t kFamilyIdLength = 8;
inline constexpr std::size_t kDeviceIdLength = 16;

// True when the upper-cased `familyId` is a family ID and `deviceId` begins
// with it, the family ending where a character of the device ID ends (a
// family must not take half of a double-byte character).
inline bool familyIdMatches(std::string_view familyId, std::string_view deviceId,
                            const text::CodePage& cp) {
    return familyId.size() == kFamilyIdLength && deviceId.substr(0, kFamilyIdLength) == familyId &&
           text::isCharBoundary(deviceId, kFamilyIdLength, cp);
}

}  // namespace mfg::items

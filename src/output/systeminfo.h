// The list's global settings as the group section of a process file gives
// them: the record behind the SYSTEM section of the list file.  Fixed layout
// (field order and widths), like ITEMINFO, so it can be zero-filled and
// compared as plain bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mfg {

inline constexpr std::size_t kSystemTextWidth = 200;  // hot key, language
inline constexpr std::size_t kSystemPathWidth = 260;  // log file, test programs

struct SYSTEMINFO {
    char logFile[kSystemPathWidth];
    char hotKey[kSystemTextWidth];
    std::int32_t debug;  // 1 when the group's DEBUG says TRUE
    char languageId[kSystemTextWidth];
    char runBeginTest[kSystemPathWidth];
    char runEndTest[kSystemPathWidth];
};

// No padding: the integer falls on a 4-byte boundary by the widths alone.
static_assert(offsetof(SYSTEMINFO, hotKey) == 260);
static_assert(offsetof(SYSTEMINFO, debug) == 460);
static_assert(offsetof(SYSTEMINFO, languageId) == 464);
static_assert(offsetof(SYSTEMINFO, runBeginTest) == 664);
static_assert(offsetof(SYSTEMINFO, runEndTest) == 924);
static_assert(sizeof(SYSTEMINFO) == 1184);

}  // namespace mfg

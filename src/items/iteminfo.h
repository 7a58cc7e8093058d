// One install entry as the list carries it from a process-file section to
// the list file: a fixed-size record of zero-terminated text fields and
// 32-bit integers.  The layout is fixed (field order and widths), so a
// record can be zero-filled, copied and compared as plain bytes; the
// assertions below keep it that way on every compiler.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mfg {

inline constexpr std::size_t kItemTextWidth = 200;  // names, IDs, types, versions
inline constexpr std::size_t kItemPathWidth = 260;  // paths, descriptions, command lines

struct ITEMINFO {
    char group[kItemTextWidth];
    char name[kItemTextWidth];
    std::int32_t id;
    char hardId[kItemTextWidth];
    char description[kItemPathWidth];
    char exePath[kItemPathWidth];         // MFG_WIN_XP32
    char exePathVista32[kItemPathWidth];  // MFG_WIN_VISTA32
    char exePathVista64[kItemPathWidth];  // MFG_WIN_VISTA64
    char packetName[kItemTextWidth];
    char packetPath[kItemPathWidth];
    char type[kItemTextWidth];
    std::int32_t timeout;
    std::int32_t rebootCount;
    std::int32_t firstTimeout;
    std::int32_t firstRebootCount;
    std::int32_t resultValue;
    char logFile[kItemPathWidth];
    char version[kItemTextWidth];
    char commandLine[kItemPathWidth];
    char sectionName[kItemTextWidth];
    char selectPath[kItemPathWidth];
};

// No padding anywhere: the integers fall on 4-byte boundaries by the widths
// alone, so the record is the same 3504 bytes on the 32-bit DLL and natively.
static_assert(offsetof(ITEMINFO, id) == 400);
static_assert(offsetof(ITEMINFO, hardId) == 404);
static_assert(offsetof(ITEMINFO, packetName) == 1644);
static_assert(offsetof(ITEMINFO, timeout) == 2304);
static_assert(offsetof(ITEMINFO, logFile) == 2324);
static_assert(offsetof(ITEMINFO, selectPath) == 3244);
static_assert(sizeof(ITEMINFO) == 3504);

}  // namespace mfg

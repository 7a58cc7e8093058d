// The sections of the install list file.  The host reads SYSTEM for the
// list's settings and its COUNT, then the entry sections "0" to COUNT - 1 in
// install order.  Every key is written even when empty, since the host
// reads each one.  The writers are functions of the record and the list's
// settings; they write into a list file held open by the caller.
#pragma once

#include <cstdint>
#include <string_view>

#include "items/iteminfo.h"
#include "output/list_file.h"
#include "output/systeminfo.h"

namespace mfg::output {

// A list written as the process file is walked names each entry to the
// debugger and writes its DESCRIPTION; the CD-ROM driver list does neither.
enum class EntryForm { asYouGo, driverList };

// SYSTEM with its COUNT and the group's settings; null settings write the
// first three keys only.
void writeSystemSection(ListFile& file, std::int32_t count, const SYSTEMINFO* settings);
// SYSTEM of the CD-ROM driver list: the media has no group, so every setting
// is empty.
void writeDriverListSystemSection(ListFile& file, std::int32_t count);
// SYSTEM's COUNT alone.
void writeCount(ListFile& file, std::int32_t count);
// One entry as the section `section`, with the executable of `osVariant`.
void writeEntrySection(ListFile& file, std::string_view section, const ITEMINFO& entry,
                       std::int32_t osVariant, EntryForm form);

}  // namespace mfg::output

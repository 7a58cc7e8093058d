// A folder of process files as a git revision has it, for `impact --git`.
#pragma once

#include <filesystem>
#include <string>

namespace mfgtool {

// The files of `folder` as revision `revision` has them, written into
// `into`.  Throws UsageError when git is missing or knows no such revision.
void checkOutRevision(const std::string& folder, const std::string& revision,
                      const std::filesystem::path& into);

}  // namespace mfgtool

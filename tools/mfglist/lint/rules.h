// The linter's rules: each has a name that findings carry and that
// --disable and a file's "; mfglist-lint: disable=" comment switch off, and
// belongs to a category that switches off all of its rules at once.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "finding.h"

namespace mfgtool::lint {

struct Rule {
    const char* name;
    const char* category;  // encoding, keys, values, selection, cdrom-order, media, comments
    Severity severity;     // the usual severity; a finding may say less or more
    const char* summary;
};

const std::vector<Rule>& allRules();
const Rule* findRule(std::string_view name);
bool isRuleOrCategory(std::string_view name);

// "no rule or category NAME", with the name it is likely a misspelling of:
// one wording for --disable and for a file's disable comment.
std::string unknownRuleText(std::string_view name);

// True when `disabled` (rule or category names) switches `rule` off.
bool isDisabled(std::string_view rule, const std::vector<std::string>& disabled);

}  // namespace mfgtool::lint

#include "rules.h"

#include <algorithm>

#include "checks.h"

namespace mfgtool::lint {

const char* severityName(Severity severity) {
    switch (severity) {
        case Severity::note:
            return "note";
        case Severity::warning:
            return "warning";
        case Severity::error:
            return "error";
    }
    return "error";
}

const std::vector<Rule>& allRules() {
    static const std::vector<Rule> rules = {
        {"byte-order-mark", "encoding", Severity::warning,
         "a UTF-8 or UTF-16 byte-order mark at the start of a process file"},
        {"invalid-byte", "encoding", Severity::warning,
         "bytes that are not a character of the code page"},
        {"utf8-read-as-ansi", "encoding", Severity::error,
         "a file saved as UTF-8 without a byte-order mark, which the library reads in the code "
         "page"},
        {"nul-byte", "encoding", Severity::error,
         "a NUL byte: the rest of its section is never read"},
        {"text-before-header", "encoding", Severity::warning,
         "text before the first section header, which no lookup reads"},
        {"broken-header", "encoding", Severity::error,
         "a line that starts like a section header but has no ']'"},
        {"unfindable-header", "encoding", Severity::error,
         "a header with more than one ']', whose section a lookup by name never finds"},
        {"unknown-key", "keys", Severity::error, "a key the library never reads"},
        {"vista-path-in-process-file", "keys", Severity::note,
         "EXEPATHVISTA32 or EXEPATHVISTA64 in MfgProc.ini, where EXEPATH serves every Windows"},
        {"duplicate-key", "keys", Severity::warning,
         "a key given twice in one section: the first one wins"},
        {"empty-section", "keys", Severity::warning, "a section without keys"},
        {"not-a-key", "keys", Severity::warning,
         "a line in a section that is neither a key, a comment nor blank"},
        {"value-too-long", "values", Severity::warning,
         "a value longer than the field that holds it: it is cut"},
        {"bad-number", "values", Severity::error,
         "a number key whose value is not a number or does not fit 32 bits"},
        {"unknown-type", "values", Severity::warning,
         "a TYPE outside the table of ranks (an error when it is near a known type)"},
        {"hardid-length", "values", Severity::warning,
         "a HARDID that is neither 8 nor 16 characters long, or missing"},
        {"unknown-vendor", "values", Severity::note,
         "a HARDID whose vendor neither pci.ids nor usb.ids knows (when they are there)"},
        {"unknown-macro", "values", Severity::error, "a $ name that is not a path macro"},
        {"percent-name", "values", Severity::error,
         "a %NAME% other than %WINDIR%, or a lone '%': the library drops every '%'"},
        {"macro-in-word", "values", Severity::error,
         "a macro name inside a longer word, which the library replaces all the same"},
        {"dash-in-path", "values", Severity::warning,
         "a path with a '-' after a blank, where a command line is cut"},
        {"group-without-settings", "selection", Severity::warning,
         "a group that has no settings section"},
        {"group-without-entries", "selection", Severity::error,
         "a group asked for that no entry belongs to"},
        {"entry-without-group", "selection", Severity::warning,
         "an entry without GROUP, which no group's list takes"},
        {"missing-exepath", "selection", Severity::error,
         "an entry without a program for the Windows asked"},
        {"software-in-driver-file", "selection", Severity::error,
         "a SOFTWARE entry in DrvProc.ini or DrvCofg.ini, which is never listed"},
        {"driver-in-software-file", "selection", Severity::error,
         "an entry of SoftProc.ini that is not SOFTWARE, which is never listed"},
        {"duplicate-section", "selection", Severity::warning, "a section name given twice"},
        {"missing-cdrom-file", "selection", Severity::error,
         "a CD-ROM file that the list kind asked reads and the media lacks"},
        {"unread-process-file", "selection", Severity::note,
         "a MfgProc.ini beside the CD-ROM files, which CD-ROM mode never reads"},
        {"shadowed-entry", "cdrom-order", Severity::warning,
         "a driver that another with the same HARDID always keeps out"},
        {"family-superseded", "cdrom-order", Severity::note,
         "an 8-character HARDID that gives way to a 16-character one"},
        {"missing-on-media", "media", Severity::error,
         "a program path that does not exist on the media"},
        {"unknown-rule", "comments", Severity::warning,
         "a name in a '; mfglist-lint: disable=' comment that is no rule or category"},
    };
    return rules;
}

const Rule* findRule(std::string_view name) {
    for (const Rule& rule : allRules())
        if (name == rule.name) return &rule;
    return nullptr;
}

bool isRuleOrCategory(std::string_view name) {
    for (const Rule& rule : allRules())
        if (name == rule.name || name == rule.category) return true;
    return false;
}

std::string unknownRuleText(std::string_view name) {
    std::vector<std::string> names;
    for (const Rule& rule : allRules()) {
        names.emplace_back(rule.name);
        if (std::find(names.begin(), names.end(), rule.category) == names.end())
            names.emplace_back(rule.category);
    }
    const std::string near = closestName(name, names);
    return "no rule or category " + std::string(name) +
           (near.empty() ? "" : " (did you mean " + near + "?)");
}

bool isDisabled(std::string_view rule, const std::vector<std::string>& disabled) {
    const Rule* known = findRule(rule);
    for (const std::string& off : disabled)
        if (off == rule || (known && off == known->category)) return true;
    return false;
}

}  // namespace mfgtool::lint

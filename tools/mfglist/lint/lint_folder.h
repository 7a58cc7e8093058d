// Checks the process files of a folder, as the library would read them for
// one mode, and says what would go wrong on the factory line.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "finding.h"

namespace mfgtool::lint {

struct LintOptions {
    std::string folder;
    bool cdrom = false;                    // DrvProc.ini, DrvCofg.ini, SoftProc.ini
    std::optional<std::string> kind;       // driver or software; none: both (CD-ROM)
    std::vector<std::string> groups;       // the groups a run asks for; none: PRELOAD
    std::optional<std::string> windows;    // xp or vista; none: both are checked
    std::optional<std::string> mediaRoot;  // what $TESTDIR and $MFGPROCPATH stand for
    unsigned codePage = 1252;
    std::vector<std::string> disabled;  // rule and category names
    // True when the bytes of one character are valid in the code page; no
    // check of the bytes without it.
    std::function<bool(std::string_view character)> isValidCharacter;
    // The text `bytes` means when read as UTF-8, in the code page ('?' for
    // a character it lacks); nullopt when they are not UTF-8.  No check of
    // UTF-8 text without it.
    std::function<std::optional<std::string>(std::string_view bytes)> utf8Meaning;
    // The name of a PCI or USB vendor, or with `device` of a device of it,
    // from pci.ids and usb.ids; nullopt for one they do not list.  No check
    // of HARDID vendors without it (no database on the machine).
    std::function<std::optional<std::string>(std::uint16_t vendor,
                                             std::optional<std::uint16_t> device)>
        idName;
};

struct LintResult {
    std::vector<std::string> files;  // the files read, as findings name them
    std::vector<Finding> findings;   // sorted by file, line and column
};

// The folder or its process files are not there: nothing can be checked.
class LintInputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

LintResult lintFolder(const LintOptions& options);

// The findings for one process file held in `bytes`; `fileName` is the name
// the library gives it (MfgProc.ini, DrvProc.ini, ...), `shownAs` the name
// findings carry.  Rules that need the other files of the folder are not run.
std::vector<Finding> lintProcessFile(std::string_view bytes, const std::string& fileName,
                                     const std::string& shownAs, const LintOptions& options);

}  // namespace mfgtool::lint

// The host's command line through the list object's start-up, and the path
// macros expanded with the folders it set.
//
// After start-up from any line that is not empty: the work and process-file
// folders end in a backslash (a character, not the trail byte of one, unless
// the folder given ends in a lone lead byte, which takes it along), the
// process file lies in the process-file folder unless -CDROM chose the media,
// the group has a name without surrounding blanks, and the CD-ROM media never
// calls the factory.  An expanded path holds no percent sign, and expanding
// it again gives the same text (nothing about the machine is cached).
//
// Input: flags (bit 0: code page 932, else 1252; bit 1: P:\ holds a
// MfgProc.ini; bit 2: trace on; bits 3-4: list kind; bits 5-7: drive
// number), then the parts: the command line, the section name, the package
// name, then texts to expand.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "listjob/mfg_list.h"
#include "support/fuzz_input.h"
#include "support/fuzz_machine.h"
#include "text/mbstring.h"

namespace {

using namespace mfg;

constexpr std::size_t kMaxExpansions = 8;

bool endsInBackslash(const std::string& dir, const text::CodePage& cp) {
    if (dir.empty() || dir.back() != '\\') return false;
    return text::isCharBoundary(dir, dir.size() - 1, cp) ||
           text::endsWithLoneLeadByte(std::string_view(dir).substr(0, dir.size() - 1), cp);
}

std::string describe(const fuzz::FuzzInput& in, const CMfgList& list) {
    return "flags " + std::to_string(in.flags) +
           ", command line: " + fuzz::printable(in.part(0).c_str()) + "\nworkDir " +
           fuzz::printable(list.startUp.workDir) + ", procDir " +
           fuzz::printable(list.startUp.procDir) + ", procFile " +
           fuzz::printable(list.startUp.procFile) + ", group " +
           fuzz::printable(list.startUp.groupName) + ", cdRom " +
           std::to_string(list.startUp.cdRom) + ", callFactory " +
           std::to_string(list.startUp.callFactory);
}

void checkStartUp(const fuzz::FuzzInput& in, const CMfgList& list, const text::CodePage& cp) {
    const std::string upper = text::toUpperAscii(in.part(0).c_str(), cp);
    const bool cdRomSwitch = text::find(upper, "-CDROM", 0, cp) != std::string::npos;
    const auto check = [&](bool ok, const char* what) {
        if (!ok) fuzz::fail(what, describe(in, list));
    };
    check(endsInBackslash(list.startUp.workDir, cp), "the work folder does not end in a backslash");
    check(endsInBackslash(list.startUp.procDir, cp),
          "the process-file folder does not end in a backslash");
    check(cdRomSwitch || list.startUp.procFile == list.startUp.procDir + "MfgProc.ini",
          "the process file is not in the process-file folder");
    check(!list.startUp.groupName.empty() &&
              text::trimAsciiSpace(list.startUp.groupName) == list.startUp.groupName,
          "the group has no name, or blanks around it");
    check(list.startUp.cdRom == 0 || list.startUp.cdRom == 1, "the mode is neither");
    check(list.startUp.cdRom == 0 || list.startUp.callFactory == 0,
          "the CD-ROM media calls the factory");
    check(!cdRomSwitch || list.startUp.cdRom == 1, "-CDROM did not choose the media");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::FuzzInput in = fuzz::splitInput(data, size);
    const fuzz::FuzzMachine& machine = fuzz::FuzzMachine::get();
    const unsigned cpId = in.flag(0) ? 932 : 1252;
    const text::CodePage cp(cpId);
    ::setenv("MFGLIST_CODEPAGE", std::to_string(cpId).c_str(), 1);
    machine.clear('P');
    if (in.flag(1)) machine.writeFile('P', "MfgProc.ini", "[PRELOAD]\r\nLOG_FILE=X\r\n");
    machine.trace(in.flag(2));

    // The host hands over a C string: the line ends at its first NUL.
    CMfgList list((in.flags >> 3) & 3, in.part(0).c_str(), in.flags >> 5);
    if (!in.part(0).empty() && in.part(0)[0] != '\0') checkStartUp(in, list, cp);

    list.request.sectionName = in.part(1);
    list.request.packetName = in.part(2);
    for (std::size_t i = 3; i < in.parts.size() && i < 3 + kMaxExpansions; ++i) {
        const std::string expanded = list.ExpandMacros(in.part(i), cp);
        if (text::findChar(expanded, '%', 0, cp) != std::string::npos)
            fuzz::fail("a percent sign is left after expansion",
                       describe(in, list) + "\ntext: " + fuzz::printable(in.part(i)) +
                           "\nexpanded: " + fuzz::printable(expanded));
        if (list.ExpandMacros(in.part(i), cp) != expanded)
            fuzz::fail("two expansions of one text differ", describe(in, list));
    }
    return 0;
}

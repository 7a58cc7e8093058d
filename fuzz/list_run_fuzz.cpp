// A whole list run through the three exports, as the factory host makes it,
// on process files built from the input.
//
// Whatever the files hold, a list the run leaves must parse with COUNT
// matching its entry sections (tests/support/list_check.h), be made of exactly
// the writes the run made (replayed key by key on an empty file, they give the
// same bytes) and hold no more entries than the files have headers.  No
// file but the list may stay in the list's folder, and no temporary section
// file on the system drive.
//
// Input: flags (bit 0: CD-ROM mode; bits 1-2: the request: driver list,
// software list, complete software list, complete software list of a driver
// run; bit 3: -F; bit 4: Windows Vista; bit 5: code page 932; bit 6: trace
// on; bit 7: group REWORK, else PRELOAD), then the parts: MfgProc.ini, or in
// CD-ROM mode DrvProc.ini, DrvCofg.ini and SoftProc.ini; then the IDs, one a
// line.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "mfglist/mfglist.h"
#include "output/list_file.h"
#include "profile/profile_text.h"
#include "support/fuzz_input.h"
#include "support/fuzz_machine.h"
#include "support/list_check.h"

namespace {

using namespace mfg;

constexpr char kListName[] = "LIST.INI";
constexpr char kListPath[] = "L:\\LIST.INI";
constexpr std::size_t kMaxIds = 32;

std::string describe(const fuzz::FuzzInput& in) {
    return "flags " + std::to_string(in.flags) + ", " + std::to_string(in.parts.size()) +
           " parts (reproduce with the input file)";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::FuzzInput in = fuzz::splitInput(data, size);
    const fuzz::FuzzMachine& machine = fuzz::FuzzMachine::get();
    const bool cdRom = in.flag(0);
    const int request = (in.flags >> 1) & 3;
    const text::CodePage cp(in.flag(5) ? 932 : 1252);
    ::setenv("MFGLIST_CODEPAGE", std::to_string(cp.id()).c_str(), 1);
    ::setenv("MFGLIST_WINVER", in.flag(4) ? "6.0" : "5.1", 1);
    for (char drive : {'C', 'D', 'L', 'P'}) machine.clear(drive);
    machine.trace(in.flag(6));

    const std::vector<std::string> names =
        cdRom ? std::vector<std::string>{"DrvProc.ini", "DrvCofg.ini", "SoftProc.ini"}
              : std::vector<std::string>{"MfgProc.ini"};
    std::size_t headers = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        machine.writeFile('P', names[i], in.part(i));
        headers += static_cast<std::size_t>(std::count(in.part(i).begin(), in.part(i).end(), '['));
    }
    std::vector<std::string> ids = test::linesOf(in.part(names.size()));
    if (ids.size() > kMaxIds) ids.resize(kMaxIds);
    std::vector<const char*> idTexts;
    for (const std::string& id : ids) idTexts.push_back(id.c_str());

    std::string commandLine = "C:\\FACTORY\\SETUP.EXE -D P:\\ -P P:\\ -T ";
    commandLine += in.flag(7) ? "REWORK" : "PRELOAD";
    if (in.flag(3)) commandLine += " -F";

    std::vector<output::ListWrite> journal;
    output::ListFile::recordWritesForTesting(&journal);
    MFG_InitMfgList(request == 0 || request == 3 ? MFG_LIST_DRIVER : MFG_LIST_SOFTWARE,
                    commandLine.c_str(), 0);
    if (request >= 2)
        MFG_CreateAllSoftIniFile(kListPath);
    else
        MFG_CreateIniFile(static_cast<int>(idTexts.size()), idTexts.data(), kListPath);
    output::ListFile::recordWritesForTesting(nullptr);

    for (const std::string& name : machine.names('L'))
        if (name != kListName) fuzz::fail("a file is left beside the list", describe(in) + ": " + name);
    for (const std::string& name : machine.names('C'))
        if (name != "vrelDebug.flg")
            fuzz::fail("a file is left on the system drive", describe(in) + ": " + name);

    // A run may refuse to commit what it wrote (a process file it cannot
    // trust); it may never commit what it did not write.
    if (!machine.exists('L', kListName)) return 0;
    if (journal.empty()) fuzz::fail("a list without writes", describe(in));
    const std::string list = machine.readFile('L', kListName);
    const std::string problem = test::checkListFile(list, cp);
    if (!problem.empty())
        fuzz::fail(("the list is malformed: " + problem).c_str(),
                   describe(in) + "\nlist: " + fuzz::printable(list));
    const long count = test::listCount(list, cp);
    if (count > 0 && static_cast<std::size_t>(count) > headers)
        fuzz::fail("more entries than the process files have sections", describe(in));

    std::string keyByKey;
    for (const output::ListWrite& w : journal)
        keyByKey = profile::applyWrite(keyByKey, w.section, w.key, w.value, cp);
    if (keyByKey != list)
        fuzz::fail("the list differs from its writes made key by key",
                   describe(in) + "\nlist:       " + fuzz::printable(list) +
                       "\nkey by key: " + fuzz::printable(keyByKey));
    return 0;
}

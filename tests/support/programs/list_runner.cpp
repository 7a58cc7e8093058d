// list_runner LIST_PATH FIRST_FOLDER SECOND_FOLDER RUNS
//
// Makes driver lists at LIST_PATH through the three exports, as the factory
// host does, from the process files in FIRST_FOLDER and SECOND_FOLDER in
// turn (the first run reads FIRST_FOLDER).  RUNS lists, or without end when
// RUNS is 0: a test kills it at random moments.  Exit code 0 when done.
#include <cstdlib>
#include <string>

#include "mfglist/mfglist.h"

int main(int argc, char** argv) {
    if (argc != 5) return 1;
    const std::string listPath = argv[1];
    const std::string folders[] = {argv[2], argv[3]};
    const long runs = std::atol(argv[4]);
    for (long run = 0; runs == 0 || run < runs; ++run) {
        const std::string& folder = folders[run % 2];
        const std::string commandLine = "C:\\FACTORY\\SETUP.EXE -D " + folder + " -P " + folder;
        MFG_InitMfgList(MFG_LIST_DRIVER, commandLine.c_str(), 0);
        MFG_CreateIniFile(0, nullptr, listPath.c_str());
    }
    return 0;
}

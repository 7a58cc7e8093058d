// reader_walker PROCESS_FILE RESULT_FILE GO_FILE PASSES KEY...
//
// Waits until GO_FILE exists, so that several walkers start together, then
// walks PROCESS_FILE PASSES times with the library's reader and writes one
// line per section visited to RESULT_FILE: the section name, then the value
// of each KEY, separated by "|".  Exit code 0 when the result was written.
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/platform.h"
#include "reader/parse_ini_file.h"

int main(int argc, char** argv) {
    if (argc < 5) return 1;
    const std::string processFile = argv[1];
    const std::string resultFile = argv[2];
    const std::string goFile = argv[3];
    const int passes = std::atoi(argv[4]);

    for (int waited = 0; !mfg::platform::pathExists(goFile); ++waited) {
        if (waited > 60000) return 3;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    std::string result;
    mfg::CParseIniFile* reader = mfg::CParseIniFile::GetInstance();
    for (int pass = 0; pass < passes; ++pass) {
        if (!reader->OpenFile(processFile)) return 2;
        for (int more = reader->FirstSection(); more; more = reader->NextSection()) {
            result += reader->GetSectionName();
            for (int k = 5; k < argc; ++k) result += "|" + reader->GetValue(argv[k]);
            result += "\n";
        }
        reader->CloseFile();
    }
    mfg::CParseIniFile::ReleaseInstance();
    return mfg::platform::replaceFileAtomically(resultFile, result) ? 0 : 4;
}

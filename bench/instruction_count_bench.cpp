// Instructions per list run, counted by valgrind's callgrind (the same count
// on a busy machine as on a quiet one): the library's run of a 1,000-entry
// list of each kind (a process-file driver list, a software list, a CD-ROM
// driver list) against the floor, the program that does only the file I/O
// the same run must do (workload.h), counted in the same benchmark run.
// Only the run itself is counted: the files are written and the floor's
// work measured before counting starts, and neither side's start-up or exit
// is in its count.  Callgrind counts the instructions of the program, not
// the system's: the floor's work is nearly all in the system calls, so the
// ratio here is far above that of whole processes (where both sides also
// count the program's start-up), which the goal of 4 was set on.
//
//   mfglist_instruction_count_bench [--entries=1000]
// It starts itself under valgrind once per case and side:
//   mfglist_instruction_count_bench --count=library|floor --case=0|1|2 --entries=N
#include <valgrind/callgrind.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>

#include "workload.h"

namespace {

using bench::ListCase;

const char* option(int argc, char** argv, const char* name) {
    const std::size_t length = std::strlen(name);
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], name, length) == 0) return argv[i] + length;
    return nullptr;
}

// Under callgrind: prepares the case, then counts one run of one side.
int countOne(const std::string& side, ListCase c, int entries) {
    bench::machine();
    const bench::PreparedCase prepared(c, entries);
    CALLGRIND_ZERO_STATS;
    CALLGRIND_TOGGLE_COLLECT;
    if (side == "library")
        prepared.runLibrary();
    else
        prepared.runFloor();
    CALLGRIND_TOGGLE_COLLECT;
    return 0;
}

// The instructions callgrind counted, from its output file's totals.
unsigned long long countedInstructions(const std::string& file) {
    std::ifstream in(file);
    unsigned long long total = 0;
    for (std::string line; std::getline(in, line);)
        if (line.rfind("totals:", 0) == 0 || line.rfind("summary:", 0) == 0)
            total = std::strtoull(line.c_str() + line.find(':') + 1, nullptr, 10);
    return total;
}

unsigned long long underCallgrind(const char* self, const char* side, int c, int entries) {
    const std::string out = "/tmp/mfglist-callgrind-" + std::to_string(::getpid()) + "-" + side +
                            "-" + std::to_string(c) + ".out";
    const std::string command = "valgrind --tool=callgrind --collect-atstart=no --callgrind-out-file=" +
                                out + " '" + self + "' --count=" + side + " --case=" +
                                std::to_string(c) + " --entries=" + std::to_string(entries) +
                                " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) return 0;
    const unsigned long long count = countedInstructions(out);
    std::remove(out.c_str());
    return count;
}

}  // namespace

int main(int argc, char** argv) {
    const char* entriesText = option(argc, argv, "--entries=");
    const int entries = entriesText ? std::atoi(entriesText) : 1000;
    if (const char* side = option(argc, argv, "--count=")) {
        const char* caseText = option(argc, argv, "--case=");
        return countOne(side, static_cast<ListCase>(caseText ? std::atoi(caseText) : 0), entries);
    }
    if (std::system("valgrind --version >/dev/null 2>&1") != 0) {
        std::fprintf(stderr, "valgrind is not installed (apt-get install valgrind)\n");
        return 1;
    }
    std::printf("| list (%d entries) | library | per entry | floor | library / floor |\n"
                "|---|---:|---:|---:|---:|\n",
                entries);
    for (ListCase c : {ListCase::processFile, ListCase::softwareList, ListCase::cdRom}) {
        const unsigned long long library = underCallgrind(argv[0], "library", static_cast<int>(c), entries);
        const unsigned long long floor = underCallgrind(argv[0], "floor", static_cast<int>(c), entries);
        if (library == 0 || floor == 0) {
            std::fprintf(stderr, "callgrind counted nothing for %s\n", bench::caseName(c));
            return 1;
        }
        std::printf("| %s | %.1f M | %.0f | %.1f M | %.1f |\n", bench::caseName(c),
                    static_cast<double>(library) / 1e6, static_cast<double>(library) / entries,
                    static_cast<double>(floor) / 1e6,
                    static_cast<double>(library) / static_cast<double>(floor));
        std::fflush(stdout);
    }
    std::printf("\nInstructions of the run only, the program's own (valgrind's callgrind); the floor's\n"
                "work is nearly all in system calls, which callgrind does not count.\n");
    return 0;
}

// Instructions per list run, counted by valgrind's callgrind (the same count
// on a busy machine as on a quiet one), in two ways, each for a 1,000-entry
// list of each kind (a process-file driver list, a software list, a CD-ROM
// driver list) against the floor, the program that does only the file I/O
// the same run must do (workload.h), counted in the same benchmark run.
// Each run is counted with no list file before it and over each old list
// of workload.h (the floor then also reads the old list), and is set
// against the run that finds no list:
//
// - the run only: the library's list run against the floor's work, between
//   two callgrind requests (the files are written and the floor's work
//   measured before; neither side's start-up or exit counts).  Callgrind
//   counts the program's own instructions, not the system's, and the floor's
//   work is nearly all system calls, so this ratio is far above the next.
// - whole processes, start-up and exit included: a process that makes the
//   list as the factory host does (one create call, no trace: this program
//   with --host-process), `mfglist host` making it (which always traces its
//   run and reads the trace back), and a process that does only the floor's
//   I/O (this program with --floor-process).
//
//   mfglist_instruction_count_bench [--entries=1000] [--case=0|1|2] [--whole-only] [--keep=DIR]
// --case counts one list kind only, --whole-only only whole processes, and
// --keep leaves each callgrind output in DIR (named by case, old list and
// side) for callgrind_annotate.
// It starts itself under valgrind once per case and side:
//   mfglist_instruction_count_bench --count=library|floor --case=0|1|2 --old=0..5 --entries=N
//   mfglist_instruction_count_bench --host-process=PLAN | --floor-process=PLAN
#include <valgrind/callgrind.h>

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "floor_io.h"
#include "listjob/mfg_list.h"
#include "workload.h"

namespace {

using bench::ListCase;
using bench::OldList;

const OldList kOldLists[] = {OldList::none,     OldList::same,       OldList::tenth,
                             OldList::tenTimes, OldList::otherOrder, OldList::extraKeys};

const char* option(int argc, char** argv, const char* name) {
    const std::size_t length = std::strlen(name);
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], name, length) == 0) return argv[i] + length;
    return nullptr;
}

// Under callgrind: prepares the case, then counts one run of one side.
int countOne(const std::string& side, ListCase c, OldList shape, int entries) {
    bench::machine();
    const bench::PreparedCase prepared(c, entries);
    const bench::FloorPlan plan = prepared.floorPlanOver(shape);
    prepared.placeOldList(shape);
    CALLGRIND_ZERO_STATS;
    CALLGRIND_TOGGLE_COLLECT;
    if (side == "library")
        prepared.runLibraryOverList();
    else
        bench::runFloorPlan(plan);
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

std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Where callgrind's outputs are kept ("": removed after counting).
std::string g_keepFolder;

// Runs `command` under callgrind; `wholeProcess` counts from the start,
// else only between the program's own two requests.  0 when it failed.
// `name` names the output kept in g_keepFolder.
unsigned long long underCallgrind(const std::string& command, bool wholeProcess,
                                  const std::string& name) {
    static int runs = 0;
    const std::string out = g_keepFolder.empty()
                                ? "/tmp/mfglist-callgrind-" + std::to_string(::getpid()) + "-" +
                                      std::to_string(++runs) + ".out"
                                : g_keepFolder + "/" + name + ".out";
    const std::string line = std::string("valgrind --tool=callgrind") +
                             (wholeProcess ? "" : " --collect-atstart=no") +
                             " --callgrind-out-file=" + out + " " + command + " >/dev/null 2>&1";
    if (std::system(line.c_str()) != 0) return 0;
    const unsigned long long count = countedInstructions(out);
    if (g_keepFolder.empty()) std::remove(out.c_str());
    return count;
}

unsigned long long runUnderCallgrind(const char* self, const char* side, ListCase c, OldList shape,
                                     int entries) {
    return underCallgrind(quoted(self) + " --count=" + side +
                              " --case=" + std::to_string(static_cast<int>(c)) +
                              " --old=" + std::to_string(static_cast<int>(shape)) +
                              " --entries=" + std::to_string(entries),
                          false,
                          std::string("run-") + std::to_string(static_cast<int>(c)) + "-" +
                              std::to_string(static_cast<int>(shape)) + "-" + side);
}

struct WholeProcesses {
    unsigned long long factoryHost = 0;
    unsigned long long host = 0;
    unsigned long long floor = 0;
};

// The factory host's run from a plan of lines: the list kind, the host
// command line, the list's path, then the IDs.
int factoryHostProcess(const char* planFile) {
    std::ifstream in(planFile, std::ios::binary);
    std::string kind, commandLine, output;
    if (!std::getline(in, kind) || !std::getline(in, commandLine) || !std::getline(in, output))
        return 1;
    std::vector<std::string> ids;
    for (std::string id; std::getline(in, id);) ids.push_back(id);
    std::vector<const char*> pointers;
    for (const std::string& id : ids) pointers.push_back(id.c_str());
    mfg::CMfgList list(std::atoi(kind.c_str()), commandLine.c_str(), 0);
    list.CreateIniFile(static_cast<int>(pointers.size()),
                       pointers.empty() ? nullptr : pointers.data(), output);
    list.FreeItems();
    return 0;
}

// Whether `listFile` holds the bytes the library's run wrote, as it must
// after each host process.
bool sameList(const std::string& listFile, const std::string& bytes, const char* who, ListCase c,
              OldList shape) {
    std::string made;
    if (bench::floor_io::readAll(listFile, made) && made == bytes) return true;
    std::fprintf(stderr, "%s wrote another list than the library's run for %s, old list: %s\n", who,
                 bench::caseName(c), bench::oldListName(shape));
    return false;
}

// `mfglist host` making the case's list, and a process doing only the
// floor's I/O of the same case, each counted whole, each finding the old
// list of `shape`.
WholeProcesses wholeProcesses(const char* self, const bench::PreparedCase& prepared, ListCase c,
                              OldList shape) {
    const std::string scratch = "/tmp/mfglist-whole-" + std::to_string(::getpid());
    const std::string planFile = scratch + ".plan";
    const std::string idsFile = scratch + ".ids";
    const bench::FloorPlan plan = prepared.floorPlanOver(shape);
    const std::string name =
        std::to_string(static_cast<int>(c)) + "-" + std::to_string(static_cast<int>(shape));
    WholeProcesses counts;
    if (bench::saveFloorPlan(plan, planFile)) {
        prepared.placeOldList(shape);
        counts.floor = underCallgrind(quoted(self) + " --floor-process=" + quoted(planFile), true,
                                      "floor-" + name);
    }
    const std::vector<std::string> ids = prepared.idsGiven();
    {
        std::ofstream out(planFile + ".host", std::ios::binary | std::ios::trunc);
        out << prepared.listKind() << '\n'
            << prepared.hostCommandLine() << '\n'
            << bench::PreparedCase::listPath() << '\n';
        for (const std::string& id : ids) out << id << '\n';
    }
    prepared.placeOldList(shape);  // as the library's run finds it
    counts.factoryHost = underCallgrind(
        quoted(self) + " --host-process=" + quoted(planFile + ".host"), true, "factory-" + name);
    if (counts.factoryHost &&
        !sameList(plan.listFile, plan.listBytes, "the factory host process", c, shape))
        counts.factoryHost = 0;
    std::string command =
        quoted(MFGLIST_TOOL_FILE) + " host --library " + quoted(MFGLIST_LIBRARY_FILE) + " --kind " +
        std::to_string(prepared.listKind()) + " --command-line " +
        quoted(prepared.hostCommandLine()) + " --output " +
        quoted(bench::PreparedCase::listPath()) + " --drives " +
        quoted(std::getenv("MFGLIST_DRIVES") ? std::getenv("MFGLIST_DRIVES") : "");
    if (!ids.empty()) {
        std::ofstream out(idsFile, std::ios::binary | std::ios::trunc);
        for (const std::string& id : ids) out << id << '\n';
        command += " --ids-file " + quoted(idsFile);
    }
    prepared.placeOldList(shape);
    counts.host = underCallgrind(command, true, "host-" + name);
    if (counts.host && !sameList(plan.listFile, plan.listBytes, "mfglist host", c, shape))
        counts.host = 0;
    for (const std::string& file : {planFile, planFile + ".list", planFile + ".host", idsFile})
        std::remove(file.c_str());
    return counts;
}

}  // namespace

int main(int argc, char** argv) {
    if (const char* planFile = option(argc, argv, "--host-process="))
        return factoryHostProcess(planFile);
    if (const char* planFile = option(argc, argv, "--floor-process=")) {
        bench::FloorPlan plan;
        if (!bench::loadFloorPlan(planFile, plan)) return 1;
        bench::runFloorPlan(plan);
        return 0;
    }
    const char* entriesText = option(argc, argv, "--entries=");
    const int entries = entriesText ? std::atoi(entriesText) : 1000;
    if (const char* side = option(argc, argv, "--count=")) {
        const char* caseText = option(argc, argv, "--case=");
        const char* oldText = option(argc, argv, "--old=");
        return countOne(side, static_cast<ListCase>(caseText ? std::atoi(caseText) : 0),
                        static_cast<OldList>(oldText ? std::atoi(oldText) : 0), entries);
    }
    if (std::system("valgrind --version >/dev/null 2>&1") != 0) {
        std::fprintf(stderr, "valgrind is not installed (apt-get install valgrind)\n");
        return 1;
    }
    if (const char* keep = option(argc, argv, "--keep=")) g_keepFolder = keep;
    std::vector<ListCase> cases = {ListCase::processFile, ListCase::softwareList, ListCase::cdRom};
    if (const char* only = option(argc, argv, "--case="))
        cases = {static_cast<ListCase>(std::atoi(only))};
    const bool wholeOnly = option(argc, argv, "--whole-only") != nullptr;
    if (!wholeOnly)
        std::printf(
            "| list (%d entries) | list file before the run | library | / no list | floor | "
            "library / floor |\n"
            "|---|---|---:|---:|---:|---:|\n",
            entries);
    for (ListCase c : cases) {
        if (wholeOnly) break;
        double none = 0;
        for (OldList shape : kOldLists) {
            const unsigned long long library =
                runUnderCallgrind(argv[0], "library", c, shape, entries);
            const unsigned long long floor = runUnderCallgrind(argv[0], "floor", c, shape, entries);
            if (library == 0 || floor == 0) {
                std::fprintf(stderr, "callgrind counted nothing for %s, old list: %s\n",
                             bench::caseName(c), bench::oldListName(shape));
                return 1;
            }
            if (shape == OldList::none) none = static_cast<double>(library);
            std::printf("| %s | %s | %.1f M | %.2f | %.1f M | %.1f |\n", bench::caseName(c),
                        bench::oldListName(shape), static_cast<double>(library) / 1e6,
                        static_cast<double>(library) / none, static_cast<double>(floor) / 1e6,
                        static_cast<double>(library) / static_cast<double>(floor));
            std::fflush(stdout);
        }
    }
    if (!wholeOnly)
        std::printf(
            "\nInstructions of the run only, the program's own (valgrind's callgrind); the "
            "floor's\n"
            "work is nearly all in system calls, which callgrind does not count.  \"/ no list\":\n"
            "against the same run when it finds no list file.\n\n");

    bench::machine();
    std::printf(
        "| list (%d entries) | list file before the run | factory host process | / no list | / "
        "floor | mfglist host process | / floor | floor process |\n"
        "|---|---|---:|---:|---:|---:|---:|---:|\n",
        entries);
    for (ListCase c : cases) {
        const bench::PreparedCase prepared(c, entries);
        double none = 0;
        for (OldList shape : kOldLists) {
            const WholeProcesses counts = wholeProcesses(argv[0], prepared, c, shape);
            if (counts.factoryHost == 0 || counts.host == 0 || counts.floor == 0) {
                std::fprintf(stderr, "callgrind counted no whole process for %s, old list: %s\n",
                             bench::caseName(c), bench::oldListName(shape));
                return 1;
            }
            const double floor = static_cast<double>(counts.floor);
            if (shape == OldList::none) none = static_cast<double>(counts.factoryHost);
            std::printf("| %s | %s | %.1f M | %.2f | %.1f | %.1f M | %.1f | %.1f M |\n",
                        bench::caseName(c), bench::oldListName(shape),
                        static_cast<double>(counts.factoryHost) / 1e6,
                        static_cast<double>(counts.factoryHost) / none,
                        static_cast<double>(counts.factoryHost) / floor,
                        static_cast<double>(counts.host) / 1e6,
                        static_cast<double>(counts.host) / floor, floor / 1e6);
            std::fflush(stdout);
        }
    }
    std::printf(
        "\nWhole processes, start-up and exit included.  The factory host process makes one\n"
        "create call, untraced; `mfglist host` traces its run (a line per message, read back\n"
        "afterwards), which neither of the others does.  The floor process of a run over an\n"
        "old list also reads that list.\n");
    return 0;
}

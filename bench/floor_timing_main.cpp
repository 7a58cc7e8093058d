// The Windows build's figures: Google Benchmark is not built for mingw, so
// this harness times the same runs itself (fastest of a few, wall clock).
//
//   mfglist_floor_timing.exe [--sizes=300,10000]
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "workload.h"

namespace {

using bench::ListCase;

template <typename Run>
double fastest(int entries, Run run) {
    const int tries = entries >= 10000 ? 1 : 3;
    double best = 0;
    for (int i = 0; i < tries; ++i) {
        const auto start = std::chrono::steady_clock::now();
        run();
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (i == 0 || seconds < best) best = seconds;
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes = {300, 10000};
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--sizes=", 8) != 0) continue;
        sizes.clear();
        for (const char* p = argv[i] + 8; p; p = std::strchr(p, ',')) {
            if (*p == ',') ++p;
            sizes.push_back(std::atoi(p));
        }
    }
    bench::machine();
    std::vector<bench::Row> rows;
    for (ListCase c : {ListCase::processFile, ListCase::cdRom}) {
        for (int entries : sizes) {
            bench::Row row{"Windows (Wine)", c, entries, 0, 0, 0, 0, 0, 0};
            {
                const bench::PreparedCase small(c, bench::smallerSize(entries));
                row.librarySmall = fastest(entries / 33, [&] { small.runLibrary(); });
                row.floorSmall = fastest(entries / 33, [&] { small.runFloor(); });
            }
            const bench::PreparedCase full(c, entries);
            row.library = fastest(entries, [&] { full.runLibrary(); });
            row.floor = fastest(entries, [&] { full.runFloor(); });
            // Over the list the run writes, there before each run.
            const bench::FloorPlan overList = full.floorPlanOver(bench::OldList::same);
            row.libraryOverList = fastest(entries, [&] { full.runLibraryOverList(); });
            row.floorOverList = fastest(entries, [&] { bench::runFloorPlan(overList); });
            rows.push_back(row);
            std::fprintf(stderr, "%s %d: library %.3f s, floor %.3f s\n", bench::caseName(c),
                         entries, row.library, row.floor);
        }
    }
    bench::printTable(rows, {}, "");
    return 0;
}

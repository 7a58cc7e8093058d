// The library's list runs against the floor of their I/O, for a factory
// driver list and a CD-ROM driver list of 300, 10,000 and 100,000 entries,
// with each run's growth from a run 33 times smaller, and each run again
// over the list it writes, already there (the floor then also reads it);
// then the peak memory per entry a CD-ROM list holds.  Prints
// bench/README.md's table at the end.
//
//   mfglist_floor_bench [--sizes=300,10000] [Google Benchmark options]
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "workload.h"

namespace {

using bench::ListCase;

std::vector<int> sizesFrom(int& argc, char** argv) {
    std::vector<int> sizes = {300, 10000, 100000};
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--sizes=", 8) != 0) continue;
        sizes.clear();
        for (const char* p = argv[i] + 8; *p;) {
            sizes.push_back(std::atoi(p));
            p = std::strchr(p, ',');
            if (!p) break;
            ++p;
        }
        for (int j = i; j + 1 < argc; ++j) argv[j] = argv[j + 1];
        --argc;
        break;
    }
    return sizes;
}

// The case whose files are on the scratch drives now; a benchmark of
// another case or size writes its own.
const bench::PreparedCase& prepared(ListCase c, int entries) {
    static std::unique_ptr<bench::PreparedCase> current;
    static std::pair<ListCase, int> key{};
    if (!current || key != std::make_pair(c, entries)) {
        current.reset();
        current = std::make_unique<bench::PreparedCase>(c, entries);
        key = {c, entries};
    }
    return *current;
}

std::string nameOf(std::string who, ListCase c, int entries) {
    return std::string(who) + (c == ListCase::processFile ? "/process_file/" : "/cdrom/") +
           std::to_string(entries);
}

void registerPair(ListCase c, int entries) {
    const int iterations = entries >= 10000 ? 1 : entries >= 1000 ? 3 : 20;
    benchmark::RegisterBenchmark(nameOf("library", c, entries).c_str(),
                                 [c, entries](benchmark::State& state) {
                                     const auto& run = prepared(c, entries);
                                     for (auto _ : state) run.runLibrary();
                                 })
        ->Iterations(iterations)
        ->Repetitions(3)
        ->ReportAggregatesOnly(false)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(nameOf("floor", c, entries).c_str(),
                                 [c, entries](benchmark::State& state) {
                                     const auto& run = prepared(c, entries);
                                     for (auto _ : state) run.runFloor();
                                 })
        ->Iterations(iterations)
        ->Repetitions(3)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
}

// The run and the floor over the list the run writes, there before each.
void registerOverList(ListCase c, int entries) {
    const int iterations = entries >= 10000 ? 1 : entries >= 1000 ? 3 : 20;
    benchmark::RegisterBenchmark(nameOf("library_over_list", c, entries).c_str(),
                                 [c, entries](benchmark::State& state) {
                                     const auto& run = prepared(c, entries);
                                     run.placeOldList(bench::OldList::same);
                                     for (auto _ : state) run.runLibraryOverList();
                                 })
        ->Iterations(iterations)
        ->Repetitions(3)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(nameOf("floor_over_list", c, entries).c_str(),
                                 [c, entries](benchmark::State& state) {
                                     const auto& run = prepared(c, entries);
                                     const bench::FloorPlan plan =
                                         run.floorPlanOver(bench::OldList::same);
                                     for (auto _ : state) bench::runFloorPlan(plan);
                                 })
        ->Iterations(iterations)
        ->Repetitions(3)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
}

// Keeps the fastest repetition of every benchmark: the others measured
// the machine's other work as well.
class TableReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.iterations == 0) continue;
            const double seconds = run.real_accumulated_time / static_cast<double>(run.iterations);
            auto [at, added] = best.try_emplace(run.run_name.function_name, seconds);
            if (!added && seconds < at->second) at->second = seconds;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> best;
};

}  // namespace

int main(int argc, char** argv) {
    const std::vector<int> sizes = sizesFrom(argc, argv);
    bench::machine();
    for (ListCase c : {ListCase::processFile, ListCase::cdRom}) {
        for (int entries : sizes) {
            registerPair(c, bench::smallerSize(entries));
            registerPair(c, entries);
            registerOverList(c, entries);
        }
    }
    benchmark::Initialize(&argc, argv);
    TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::vector<bench::Row> rows;
    for (ListCase c : {ListCase::processFile, ListCase::cdRom}) {
        for (int entries : sizes) {
            const auto time = [&](const char* who, int n) {
                return reporter.best[nameOf(who, c, n)];
            };
            const int small = bench::smallerSize(entries);
            rows.push_back({"Linux", c, entries, time("library", entries), time("floor", entries),
                            time("library", small), time("floor", small),
                            time("library_over_list", entries), time("floor_over_list", entries)});
        }
    }
    std::vector<std::pair<int, double>> memory;
    for (int entries : sizes)
        if (entries >= 10000) memory.emplace_back(entries, bench::peakBytesPerHeldEntry(entries));
    bench::printTable(rows, memory, "");
    benchmark::Shutdown();
    return 0;
}

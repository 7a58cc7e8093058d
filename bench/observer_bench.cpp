// What a decision observer costs a list run: the same run at 10,000 sections
// with no observer and with one that keeps a record per section, as
// `mfglist explain` does.  The figures to watch are the last lines, the
// observed run's time against the plain one's (the aim: within 10%); the
// runs write a file per section, so on a busy machine give
// --benchmark_repetitions=5 and read the means.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "listjob/decision_observer.h"
#include "listjob/mfg_list.h"
#include "mfglist/mfglist.h"
#include "scratch/scratch_machine.h"

namespace {

namespace fs = std::filesystem;

constexpr int kSections = 10000;
constexpr int kHostIds = 1000;

// Drives C: and D: of the runs, in a temporary folder.
class Drives {
public:
    Drives() {
        for (const char* folder : {"C:\\PF", "C:\\CD"})
            fs::create_directories(machine_.native(folder));
    }
    void write(const std::string& path, const std::string& text) const {
        std::ofstream(machine_.native("C:\\" + path), std::ios::binary | std::ios::trunc) << text;
    }

private:
    mfg::scratch::ScratchMachine machine_{"observer-bench"};
};

std::string hostId(int i) {
    char id[17];
    std::snprintf(id, sizeof id, "%08X%08X", 0x1A2B0000u + static_cast<unsigned>(i), 0xC0DE0101u);
    return id;
}

// Sections of every fate: other groups, software in a driver list, family
// and device IDs that replace and refuse each other, IDs nobody has.
std::string processFile(bool cdrom) {
    const char* types[] = {"DISPLAY", "NETCARD", "SOUND", "SOFTWARE", "MAINBOARD", "POWER"};
    std::ostringstream out;
    out << "[PRELOAD]\r\nLOG_FILE=$TESTDIR\\install.log\r\n\r\n";
    for (int i = 0; i < kSections; ++i) {
        const int device = i % (kHostIds + kHostIds / 10);  // a tenth match nothing
        const std::string id = i % 5 == 0 ? hostId(device).substr(0, 8) : hostId(device);
        out << "[DRV" << i << "]\r\nGROUP=" << (cdrom || i % 7 ? "PRELOAD" : "REWORK")
            << "\r\nNAME=Driver " << i << "\r\nID=" << i % 97 << "\r\nHARDID=" << id
            << "\r\nEXEPATH=$TESTDIR\\DRV" << i << "\\setup.exe\r\nPACKETNAME=DRV" << i
            << "\r\nTYPE=" << types[i % 6] << "\r\nTIMEOUT=600\r\n\r\n";
    }
    return out.str();
}

// What explain keeps: a record per section, found again by file and line.
class RecordingObserver : public mfg::listjob::DecisionObserver {
public:
    void sectionReached(const mfg::listjob::SectionAt& at) override {
        index_.emplace(at.line, records_.size());
        records_.push_back(Record{std::string(at.section), 0});
    }
    void sectionLeftOut(const mfg::listjob::SectionAt& at, mfg::listjob::LeftOut,
                        std::string_view) override {
        mark(at, 1);
    }
    void entryWritten(const mfg::listjob::SectionAt& at, int) override { mark(at, 2); }
    void driverPlaced(const mfg::listjob::SectionAt& at, mfg::items::Placement placement,
                      const mfg::listjob::SectionAt*, int, std::int32_t) override {
        mark(at, 3 + static_cast<int>(placement));
    }
    void driverListed(const mfg::listjob::SectionAt& at, int, int, std::int32_t) override {
        mark(at, 2);
    }

private:
    struct Record {
        std::string section;
        int fate;
    };
    void mark(const mfg::listjob::SectionAt& at, int fate) {
        const auto found = index_.find(at.line);
        if (found != index_.end()) records_[found->second].fate = fate;
    }
    std::vector<Record> records_;
    std::map<std::uint64_t, std::size_t> index_;
};

const Drives& drives() {
    static const Drives made;
    static const bool written = [] {
        made.write("PF\\MfgProc.ini", processFile(false));
        made.write("CD\\DrvProc.ini", processFile(true));
        made.write("CD\\DrvCofg.ini", "");
        return true;
    }();
    (void)written;
    return made;
}

void listRun(benchmark::State& state) {
    const bool cdrom = state.range(0) == 1;
    const bool observed = state.range(1) == 1;
    drives();
    std::vector<std::string> ids;
    for (int i = 0; i < kHostIds; ++i) ids.push_back(hostId(i));
    std::vector<const char*> pointers;
    for (const std::string& id : ids) pointers.push_back(id.c_str());
    for (auto _ : state) {
        RecordingObserver observer;
        mfg::CMfgList list(MFG_LIST_DRIVER, cdrom ? "X -D C:\\CD\\" : "X -D C:\\PF\\", 0);
        if (observed) list.decisionObserver = &observer;
        list.CreateIniFile(static_cast<int>(pointers.size()), pointers.data(), "C:\\LIST.INI");
        list.FreeItems();
    }
    state.SetLabel(std::string(cdrom ? "CD-ROM" : "process file") +
                   (observed ? ", observed" : ", plain"));
    state.SetItemsProcessed(state.iterations() * kSections);
}
BENCHMARK(listRun)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->ArgNames({"cdrom", "observed"})
    ->Unit(benchmark::kMillisecond);

// Prints the observed runs' cost against the plain ones' after the table.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            // The mean of repetitions (--benchmark_repetitions) where there is one.
            if (run.run_type == Run::RT_Iteration && !means_.count(run.report_label))
                times_[run.report_label] = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "mean") {
                means_.insert(run.report_label);
                times_[run.report_label] = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
            }
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const char* kind : {"process file", "CD-ROM"}) {
            const auto plain = times_.find(std::string(kind) + ", plain");
            const auto observed = times_.find(std::string(kind) + ", observed");
            if (plain == times_.end() || observed == times_.end() || plain->second.first <= 0 ||
                plain->second.second <= 0)
                continue;
            std::printf(
                "%s at %d sections: observed %.1f%% of the plain run's time, %.1f%% of "
                "its CPU time\n",
                kind, kSections, 100.0 * observed->second.first / plain->second.first,
                100.0 * observed->second.second / plain->second.second);
        }
    }

private:
    std::map<std::string, std::pair<double, double>> times_;  // real, CPU
    std::set<std::string> means_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

// What a write-as-you-go list run costs as the list grows, and what the same
// writes would cost made key by key through the platform's profile writer,
// which rewrites the whole list file for every key.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "listjob/mfg_list.h"
#include "mfglist/mfglist.h"
#include "output/list_file.h"
#include "platform/platform.h"
#include "reader/parse_ini_file.h"
#include "scratch/scratch_machine.h"
#include "support/profile_calls.h"

namespace {

namespace fs = std::filesystem;

// A machine of its own: drives C: and D: in a temporary folder.
const mfg::scratch::ScratchMachine& machine() {
    static mfg::scratch::ScratchMachine m("bench");
    return m;
}

std::string hostFile(const std::string& name) { return machine().native("C:\\" + name); }

void writeProcessFile(int entries) {
    std::ofstream out(hostFile("MfgProc.ini"), std::ios::binary | std::ios::trunc);
    out << "[PRELOAD]\r\nLOG_FILE=$TESTDIR\\install.log\r\n";
    for (int i = 0; i < entries; ++i) {
        out << "[E" << i << "]\r\nGROUP=PRELOAD\r\nNAME=Driver " << i << "\r\nID=" << i
            << "\r\nHARDID=PCI\\VEN_" << i << "\r\nEXEPATH=$TESTDIR\\D" << i
            << "\\setup.exe\r\nPACKETNAME=D" << i << "\r\nTYPE=DISPLAY\r\nTIMEOUT=600\r\n";
    }
}

void runList(const std::string& listPath) {
    mfg::CMfgList list(MFG_LIST_DRIVER, "X -D C:\\", 0);
    list.CreateIniFile(0, nullptr, listPath);
    list.FreeItems();
}

void BM_WriteAsYouGo(benchmark::State& state) {
    const int entries = static_cast<int>(state.range(0));
    writeProcessFile(entries);
    for (auto _ : state) {
        fs::remove(hostFile("LIST.INI"));
        runList("C:\\LIST.INI");
    }
    state.SetItemsProcessed(state.iterations() * entries);
}
BENCHMARK(BM_WriteAsYouGo)->Arg(50)->Arg(300)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The same run's writes made key by key: quadratic in the entries, so only
// the small lists are measured.
void BM_KeyByKeyWrites(benchmark::State& state) {
    const int entries = static_cast<int>(state.range(0));
    writeProcessFile(entries);
    std::vector<mfg::output::ListWrite> journal;
    mfg::output::ListFile::recordWritesForTesting(&journal);
    runList("C:\\JOURNAL.INI");
    mfg::output::ListFile::recordWritesForTesting(nullptr);
    for (auto _ : state) {
        fs::remove(hostFile("KEYS.INI"));
        for (const auto& w : journal)
            mfg::test::writeProfileString(w.section, w.key, w.value, "C:\\KEYS.INI");
    }
    state.SetItemsProcessed(state.iterations() * entries);
}
BENCHMARK(BM_KeyByKeyWrites)->Arg(50)->Arg(300)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

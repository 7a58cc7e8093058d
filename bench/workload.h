// The list runs the benchmarks time, and the floor each is compared with.
//
// A case is a list request over generated process files: a factory driver
// list of N selected sections (process-file mode), or a CD-ROM driver list
// for a machine of 1,000 hardware IDs whose N held entries come from
// DrvProc.ini (one per ID, up to 1,000) and DrvCofg.ini (the rest).  The
// floor does only the I/O the run must do: read the process files once,
// rewrite the temporary section file and its lookup copy per section, check
// the debug flag file before every trace message, send every debugger
// message, and write the list once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "scratch/scratch_machine.h"

namespace bench {

// softwareList: a software list from a process file, every entry's
// PACKETNAME one of the IDs given (the instruction counts only).
enum class ListCase { processFile, cdRom, softwareList };
const char* caseName(ListCase c);

// The list file a run finds where it writes its list: none, or one an
// earlier run left, made from the list the run writes (`entries` sections):
// that very list (a machine reworked, a station repeating its run), its
// first tenth of entries, ten times its entries (copies of its own, so
// that numbered sections go on beyond the new COUNT), its sections in the
// reverse order, or each section with keys the run does not write (the
// host's own records) before and after its keys.
enum class OldList { none, same, tenth, tenTimes, otherOrder, extraKeys };
const char* oldListName(OldList shape);

// Scratch drives C: and D: for the library (scratch_machine.h) and the
// native paths that the floor uses for the same files.
class BenchMachine {
public:
    BenchMachine();
    ~BenchMachine();
    BenchMachine(const BenchMachine&) = delete;
    BenchMachine& operator=(const BenchMachine&) = delete;
    std::string native(std::string_view windowsPath) const;

private:
    mfg::scratch::ScratchMachine machine_;
};
const BenchMachine& machine();

// The floor's work for one case: what it reads, rewrites, checks and writes
// (native paths), so that a process of its own can do it (the instruction
// count of whole processes).  Kept in a file as lines, the list's bytes in a
// file beside it.
struct FloorPlan {
    std::vector<std::string> processFiles;  // in the order walked
    std::string flagFile, tempSectionFile, lookupCopy, listFile;
    std::string listBytes;
    bool listThere = false;  // the list file is read before it is written
    std::uint64_t traceMessages = 0;
    std::uint64_t debuggerMessages = 0;
};
void runFloorPlan(const FloorPlan& plan);
bool saveFloorPlan(const FloorPlan& plan, const std::string& path);
bool loadFloorPlan(const std::string& path, FloorPlan& plan);

// One list case at one size, with its files written and the floor's
// work measured from a traced run of the library.
class PreparedCase {
public:
    PreparedCase(ListCase c, int entries);
    // A run that finds no list file.
    void runLibrary() const;
    void runFloor() const;
    FloorPlan floorPlan() const;
    // The old list of `shape` ("" for none), and that list put where the
    // run writes its list (the file removed for none).
    std::string oldListBytes(OldList shape) const;
    void placeOldList(OldList shape) const;
    // A run over whatever list file is there, and the floor's work of a
    // run that finds the old list of `shape`: read it, and write what the
    // run leaves over it (found by a run of the library over it, which
    // leaves the old list in place again).
    void runLibraryOverList() const;
    FloorPlan floorPlanOver(OldList shape) const;
    // The same run as `mfglist host` is told to make it: the list kind, the
    // host command line, the IDs (one a line) and the list's Windows path.
    int listKind() const;
    std::string hostCommandLine() const;
    std::vector<std::string> idsGiven() const;
    static const char* listPath();
    // Entries the library's list holds (the CD-ROM list holds them all in
    // memory until it is written).
    int entries() const { return entries_; }

private:
    ListCase case_;
    int entries_;
    int matched_;                            // CD-ROM: sections of DrvProc.ini; process file: all
    int config_;                             // CD-ROM: sections of DrvCofg.ini
    std::vector<std::string> processFiles_;  // native paths, in the order walked
    std::string listBytes_;                  // the list the library writes
    std::uint64_t traceMessages_ = 0;
    std::uint64_t debuggerMessages_ = 0;
};

// A factory process file of `entries` driver sections of group PRELOAD, the
// process-file case's MfgProc.ini, written at the native `path`.
void writeFactoryProcessFile(const std::string& path, int entries);

// Allocation counter of the benchmark programs (alloc_counter.cpp).
std::size_t liveBytes();
std::size_t peakBytes();
void resetPeak();

// Bytes at the peak of a CD-ROM run per held entry, beyond its record.
double peakBytesPerHeldEntry(int entries);

// A time row of the table: t(n), floor(n), and the same at n/33.
struct Row {
    const char* build;
    ListCase listCase;
    int entries;
    double library;  // seconds
    double floor;
    double librarySmall;  // at entries / 33
    double floorSmall;
    // The same run over the list it writes, already there (a machine
    // reworked), and the floor that also reads that list.
    double libraryOverList;
    double floorOverList;
};
void printTable(const std::vector<Row>& rows, const std::vector<std::pair<int, double>>& memory,
                const std::string& note);

inline int smallerSize(int entries) { return entries / 33 > 0 ? entries / 33 : 1; }

}  // namespace bench

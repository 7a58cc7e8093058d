#include "workload.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "floor_io.h"
#include "items/iteminfo.h"
#include "listjob/mfg_list.h"
#include "mfglist/mfglist.h"

namespace bench {

namespace fs = std::filesystem;

namespace {

constexpr int kHostIds = 1000;
constexpr char kFlagFile[] = "C:\\vrelDebug.flg";
constexpr char kTraceLog[] = "D:\\ombrix_drvinst.log";
constexpr char kTempSectionFile[] = "C:\\Temp.ini";
constexpr char kLookupCopy[] = "D:\\temp.ini";
constexpr char kListFile[] = "C:\\MFGBENCH\\LIST.INI";
constexpr char kProcessFileFolder[] = "C:\\MFGBENCH\\PF\\";
constexpr char kCdRomFolder[] = "C:\\MFGBENCH\\CD\\";
constexpr char kSoftwareFolder[] = "C:\\MFGBENCH\\SW\\";
// Debugger messages per entry, which the traced run cannot count: the TYPE
// and group checks, the expanded name and the written name (process file);
// the TYPE check and the expanded name (CD-ROM).
// The software list is taken as the process-file one (the POSIX build's
// debugger output costs nothing either way).
constexpr int kDebuggerMessagesPerEntry[] = {4, 2, 4};

// The machine's hardware IDs: 16 characters, the first 8 a family.
std::string hostId(int i) {
    char id[17];
    std::snprintf(id, sizeof id, "%08X%08X", 0x1A2B0000u + static_cast<unsigned>(i), 0xC0DE0101u);
    return id;
}

void section(std::ostream& out, int i, const std::string& hardId, const char* type) {
    out << "[DRV" << i << "]\r\nGROUP=PRELOAD\r\nNAME=Driver " << i << "\r\nID=" << (i % 97)
        << "\r\nHARDID=" << hardId << "\r\nDESCRIPTION=Driver package " << i
        << " for this machine\r\nEXEPATH=$TESTDIR\\DRV" << i
        << "\\setup.exe\r\nEXEPATHVISTA32=$TESTDIR\\DRV" << i
        << "\\vista\\setup.exe\r\nPACKETNAME=DRV" << i << "\r\nTYPE=" << type
        << "\r\nTIMEOUT=600\r\nREBOOT_COUNT=0\r\nVERSION=1.0." << i
        << "\r\nCOMMANDLINE=-s -F2 %WINDIR%\\drv" << i << ".log\r\n\r\n";
}

const char* const kTypes[] = {"DISPLAY", "NETCARD", "SOUND", "MAINBOARD", "1394", "POWER"};

void writeFile(const std::string& native, const std::string& text) {
    fs::create_directories(fs::path(native).parent_path());
    std::ofstream(native, std::ios::binary | std::ios::trunc) << text;
}

std::vector<std::string> hostIds() {
    std::vector<std::string> ids;
    for (int i = 0; i < kHostIds; ++i) ids.push_back(hostId(i));
    return ids;
}

// The software case's IDs: the packet names of its entries.
std::vector<std::string> packetNames(int entries) {
    std::vector<std::string> names;
    for (int i = 0; i < entries; ++i) names.push_back("DRV" + std::to_string(i));
    return names;
}

int g_softwareEntries = 0;  // the software case on the scratch drive now

int listKindOf(ListCase c) {
    return c == ListCase::softwareList ? MFG_LIST_SOFTWARE : MFG_LIST_DRIVER;
}

std::string commandLineOf(ListCase c) {
    const char* folder = c == ListCase::processFile    ? kProcessFileFolder
                         : c == ListCase::softwareList ? kSoftwareFolder
                                                       : kCdRomFolder;
    return std::string("X -D ") + folder;
}

// The IDs the run is given: none for the factory driver list.
const std::vector<std::string>& idsOf(ListCase c) {
    static const std::vector<std::string> none;
    static const std::vector<std::string> machineIds = hostIds();
    static std::vector<std::string> names;
    if (c == ListCase::processFile) return none;
    if (c == ListCase::cdRom) return machineIds;
    if (names.size() != static_cast<std::size_t>(g_softwareEntries))
        names = packetNames(g_softwareEntries);
    return names;
}

// The list run as the host makes it: start-up, one create call, release,
// over whatever list file is there.
void libraryRun(ListCase c) {
    std::vector<const char*> pointers;
    for (const std::string& id : idsOf(c)) pointers.push_back(id.c_str());
    mfg::CMfgList list(listKindOf(c), commandLineOf(c).c_str(), 0);
    list.CreateIniFile(static_cast<int>(pointers.size()),
                       pointers.empty() ? nullptr : pointers.data(), kListFile);
    list.FreeItems();
}

std::uint64_t countLines(const std::string& native) {
    std::ifstream in(native, std::ios::binary);
    std::uint64_t lines = 0;
    for (std::string line; std::getline(in, line);) ++lines;
    return lines;
}

std::string factoryProcessFile(int entries) {
    std::ostringstream main;
    main << "[PRELOAD]\r\nLOG_FILE=$TESTDIR\\install.log\r\n\r\n";
    for (int i = 0; i < entries; ++i) section(main, i, hostId(i % kHostIds), kTypes[i % 6]);
    return main.str();
}

void writeCase(ListCase c, int matched, int config) {
    if (c == ListCase::softwareList) {
        std::ostringstream main;
        main << "[PRELOAD]\r\nLOG_FILE=$TESTDIR\\install.log\r\n\r\n";
        for (int i = 0; i < matched; ++i) section(main, i, hostId(i % kHostIds), "SOFTWARE");
        writeFile(machine().native(std::string(kSoftwareFolder) + "MfgProc.ini"), main.str());
        g_softwareEntries = matched;
        return;
    }
    if (c == ListCase::processFile) {
        writeFile(machine().native(std::string(kProcessFileFolder) + "MfgProc.ini"),
                  factoryProcessFile(matched));
        return;
    }
    std::ostringstream main;
    // One driver per host ID, a family ID for every fourth.
    for (int i = 0; i < matched; ++i)
        section(main, i, i % 4 == 3 ? hostId(i).substr(0, 8) : hostId(i), kTypes[i % 6]);
    std::ostringstream common;
    for (int i = 0; i < config; ++i) section(common, matched + i, "", kTypes[i % 6]);
    writeFile(machine().native(std::string(kCdRomFolder) + "DrvProc.ini"), main.str());
    writeFile(machine().native(std::string(kCdRomFolder) + "DrvCofg.ini"), common.str());
}

// Trace messages of a run, counted in the trace log of a traced run.
std::uint64_t tracedMessages(ListCase c, int matched, int config) {
    writeCase(c, matched, config);
    writeFile(machine().native(kFlagFile), "");
    fs::remove(machine().native(kTraceLog));
    fs::remove(machine().native(kListFile));
    libraryRun(c);
    fs::remove(machine().native(kFlagFile));
    const std::uint64_t lines = countLines(machine().native(kTraceLog));
    fs::remove(machine().native(kTraceLog));
    return lines;
}

// The sections of a list, each with its lines, SYSTEM first.
std::vector<std::string> sectionsOf(const std::string& list) {
    std::vector<std::string> sections;
    for (std::size_t at = 0, next; at < list.size(); at = next) {
        next = list.find("\r\n[", at);
        next = next == std::string::npos ? list.size() : next + 2;
        sections.push_back(list.substr(at, next - at));
    }
    return sections;
}

}  // namespace

const char* oldListName(OldList shape) {
    switch (shape) {
        case OldList::none:
            return "none";
        case OldList::same:
            return "the same list";
        case OldList::tenth:
            return "a tenth of it";
        case OldList::tenTimes:
            return "ten times it";
        case OldList::otherOrder:
            return "sections reversed";
        case OldList::extraKeys:
            return "keys not written";
    }
    return "";
}

void writeFactoryProcessFile(const std::string& path, int entries) {
    writeFile(path, factoryProcessFile(entries));
}

const char* caseName(ListCase c) {
    switch (c) {
        case ListCase::processFile:
            return "process file, driver list";
        case ListCase::cdRom:
            return "CD-ROM driver list, 1,000 IDs";
        case ListCase::softwareList:
            return "process file, software list";
    }
    return "";
}

BenchMachine::BenchMachine() : machine_("bench") {
    if (!machine_.problem().empty())
        std::fprintf(stderr, "the benchmark's machine is missing: %s\n",
                     machine_.problem().c_str());
}

// On Windows the machine is the real drives: only the benchmark's own
// folder goes.
BenchMachine::~BenchMachine() {
    std::error_code ec;
    fs::remove_all(native("C:\\MFGBENCH"), ec);
}

std::string BenchMachine::native(std::string_view windowsPath) const {
    return machine_.native(windowsPath);
}

const BenchMachine& machine() {
    static BenchMachine m;
    return m;
}

PreparedCase::PreparedCase(ListCase c, int entries) : case_(c), entries_(entries) {
    matched_ = c != ListCase::cdRom ? entries : std::min(entries, kHostIds);
    config_ = entries - matched_;
    // Messages grow linearly with each file's sections: measured on small
    // traced runs, then taken for this size.
    const int fileCount = c != ListCase::cdRom ? 1 : 2;
    const std::uint64_t base = tracedMessages(c, 20, fileCount == 2 ? 20 : 0);
    const std::uint64_t perMatched = (tracedMessages(c, 40, fileCount == 2 ? 20 : 0) - base) / 20;
    const std::uint64_t perConfig = fileCount == 2 ? (tracedMessages(c, 20, 40) - base) / 20 : 0;
    traceMessages_ = base + perMatched * static_cast<std::uint64_t>(matched_ - 20) +
                     perConfig * static_cast<std::uint64_t>(config_ - (fileCount == 2 ? 20 : 0));
    debuggerMessages_ =
        static_cast<std::uint64_t>(entries) * kDebuggerMessagesPerEntry[static_cast<int>(c)];

    writeCase(c, matched_, config_);
    if (c == ListCase::processFile) {
        processFiles_ = {machine().native(std::string(kProcessFileFolder) + "MfgProc.ini")};
    } else if (c == ListCase::softwareList) {
        processFiles_ = {machine().native(std::string(kSoftwareFolder) + "MfgProc.ini")};
    } else {
        processFiles_ = {machine().native(std::string(kCdRomFolder) + "DrvProc.ini"),
                         machine().native(std::string(kCdRomFolder) + "DrvCofg.ini")};
    }
    fs::remove(machine().native(kListFile));
    libraryRun(c);
    floor_io::readAll(machine().native(kListFile), listBytes_);
}

void PreparedCase::runLibrary() const {
    fs::remove(machine().native(kListFile));
    libraryRun(case_);
}

void PreparedCase::runLibraryOverList() const { libraryRun(case_); }

std::string PreparedCase::oldListBytes(OldList shape) const {
    if (shape == OldList::none) return "";
    if (shape == OldList::same) return listBytes_;
    const std::vector<std::string> sections = sectionsOf(listBytes_);
    const std::size_t entries = sections.size() - 1;
    std::string old;
    switch (shape) {
        case OldList::tenth:
            for (std::size_t i = 0; i <= std::max<std::size_t>(entries / 10, 1); ++i)
                old += sections[i];
            break;
        case OldList::tenTimes:
            old = listBytes_;
            for (std::size_t i = entries; i < 10 * entries; ++i) {
                const std::string& copy = sections[1 + i % entries];
                old += "[" + std::to_string(i) + copy.substr(copy.find(']'));
            }
            break;
        case OldList::otherOrder:
            for (auto it = sections.rbegin(); it != sections.rend(); ++it) old += *it;
            break;
        default:
            for (const std::string& section : sections) {
                const std::size_t body = section.find("\r\n") + 2;
                old += section.substr(0, body) + "INSTALLED=1\r\n" + section.substr(body) +
                       "RESULT=0\r\n";
            }
            break;
    }
    return old;
}

void PreparedCase::placeOldList(OldList shape) const {
    if (shape == OldList::none)
        fs::remove(machine().native(kListFile));
    else
        writeFile(machine().native(kListFile), oldListBytes(shape));
}

FloorPlan PreparedCase::floorPlanOver(OldList shape) const {
    FloorPlan plan = floorPlan();
    if (shape == OldList::none) return plan;
    placeOldList(shape);
    libraryRun(case_);
    floor_io::readAll(plan.listFile, plan.listBytes);
    plan.listThere = true;
    placeOldList(shape);
    return plan;
}

void PreparedCase::runFloor() const { runFloorPlan(floorPlan()); }

FloorPlan PreparedCase::floorPlan() const {
    FloorPlan plan;
    plan.processFiles = processFiles_;
    plan.flagFile = machine().native(kFlagFile);
    plan.tempSectionFile = machine().native(kTempSectionFile);
    plan.lookupCopy = machine().native(kLookupCopy);
    plan.listFile = machine().native(kListFile);
    plan.listBytes = listBytes_;
    plan.traceMessages = traceMessages_;
    plan.debuggerMessages = debuggerMessages_;
    return plan;
}

int PreparedCase::listKind() const { return listKindOf(case_); }
std::string PreparedCase::hostCommandLine() const { return commandLineOf(case_); }
std::vector<std::string> PreparedCase::idsGiven() const { return idsOf(case_); }
const char* PreparedCase::listPath() { return kListFile; }

bool saveFloorPlan(const FloorPlan& plan, const std::string& path) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << plan.flagFile << '\n'
        << plan.tempSectionFile << '\n'
        << plan.lookupCopy << '\n'
        << plan.listFile << '\n'
        << plan.traceMessages << '\n'
        << plan.debuggerMessages << '\n'
        << (plan.listThere ? 1 : 0) << '\n';
    for (const std::string& file : plan.processFiles) out << file << '\n';
    std::ofstream(path + ".list", std::ios::binary | std::ios::trunc) << plan.listBytes;
    return static_cast<bool>(out);
}

bool loadFloorPlan(const std::string& path, FloorPlan& plan) {
    std::ifstream in(path, std::ios::binary);
    std::string traces, debugger, listThere;
    if (!std::getline(in, plan.flagFile) || !std::getline(in, plan.tempSectionFile) ||
        !std::getline(in, plan.lookupCopy) || !std::getline(in, plan.listFile) ||
        !std::getline(in, traces) || !std::getline(in, debugger) || !std::getline(in, listThere))
        return false;
    plan.listThere = listThere == "1";
    plan.traceMessages = std::strtoull(traces.c_str(), nullptr, 10);
    plan.debuggerMessages = std::strtoull(debugger.c_str(), nullptr, 10);
    for (std::string file; std::getline(in, file);) plan.processFiles.push_back(file);
    return floor_io::readAll(path + ".list", plan.listBytes);
}

void runFloorPlan(const FloorPlan& plan) {
    std::vector<std::string> sections;
    for (const std::string& path : plan.processFiles) {
        std::string text;
        floor_io::readAll(path, text);
        // A section starts at a '[' that begins a line.
        std::size_t start = 0;
        for (std::size_t at = text.find("\n[", 0); at != std::string::npos;
             at = text.find("\n[", at + 1)) {
            sections.push_back(text.substr(start, at + 1 - start));
            start = at + 1;
        }
        sections.push_back(text.substr(start));
        sections.emplace_back();  // the step that finds no more sections
    }
    auto temp = floor_io::createRewritable(plan.tempSectionFile);
    auto lookup = floor_io::createRewritable(plan.lookupCopy);
    const std::uint64_t messagesEach = plan.traceMessages / sections.size();
    const std::uint64_t debuggerEach = plan.debuggerMessages / sections.size();
    std::uint64_t messages = 0;
    std::uint64_t debugger = 0;
    for (const std::string& text : sections) {
        if (temp) temp->rewrite(text);
        if (lookup && !text.empty()) lookup->rewrite(text);
        for (std::uint64_t i = 0; i < messagesEach; ++i, ++messages)
            floor_io::flagPresent(plan.flagFile);
        for (std::uint64_t i = 0; i < debuggerEach; ++i, ++debugger)
            floor_io::debuggerOutput("DRV");
    }
    for (; messages < plan.traceMessages; ++messages) floor_io::flagPresent(plan.flagFile);
    for (; debugger < plan.debuggerMessages; ++debugger) floor_io::debuggerOutput("DRV");
    temp.reset();
    lookup.reset();
    floor_io::removeFile(plan.tempSectionFile);
    if (plan.listThere) {
        std::string old;
        floor_io::readAll(plan.listFile, old);
    }
    floor_io::commitFile(plan.listFile, plan.listBytes);
}

double peakBytesPerHeldEntry(int entries) {
    PreparedCase prepared(ListCase::cdRom, entries);
    const std::size_t before = liveBytes();
    resetPeak();
    prepared.runLibrary();
    return static_cast<double>(peakBytes() - before) / entries - sizeof(mfg::ITEMINFO);
}

void printTable(const std::vector<Row>& rows, const std::vector<std::pair<int, double>>& memory,
                const std::string& note) {
    std::printf(
        "\n| build | list | entries | library | floor | library / floor | list there: library | "
        "floor | library / floor | growth t(n)/t(n/33) (linear: 33) |\n");
    std::printf("|---|---|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    for (const Row& r : rows) {
        std::printf(
            "| %s | %s | %d | %.3f s | %.3f s | %.2f | %.3f s | %.3f s | %.2f | %.1f (floor %.1f) "
            "|\n",
            r.build, caseName(r.listCase), r.entries, r.library, r.floor, r.library / r.floor,
            r.libraryOverList, r.floorOverList, r.libraryOverList / r.floorOverList,
            r.library / r.librarySmall, r.floor / r.floorSmall);
    }
    for (const auto& [entries, bytes] : memory)
        std::printf(
            "\nPeak memory per held entry (CD-ROM list, %d entries): %.0f bytes beyond the %u-byte "
            "record\n",
            entries, bytes, static_cast<unsigned>(sizeof(mfg::ITEMINFO)));
    if (!note.empty()) std::printf("\n%s\n", note.c_str());
    std::fflush(stdout);
}

}  // namespace bench

#include "scratch_run.h"

#include <algorithm>
#include <fstream>
#include <optional>
#include <system_error>

#include "common/errors.h"
#include "common/file_reads.h"
#include "common/file_writes.h"
#include "common/system.h"
#include "common/text_encoding.h"
#include "mfglist/mfglist.h"
#include "no_list.h"
#include "scratch/scratch_machine.h"
#include "trace_capture.h"

namespace fs = std::filesystem;

namespace mfgtool {
namespace {

const char* const kDefaultGroup = "PRELOAD";
const char* const kOtherScratch = "free room there or set TMPDIR to another folder";

// Whether the rest of `in` holds exactly `bytes`, read a piece at a time.
bool sameBytes(std::istream& in, const std::string& bytes) {
    std::string piece(std::size_t{1} << 16, '\0');
    std::size_t at = 0;
    for (;;) {
        in.read(piece.data(), static_cast<std::streamsize>(piece.size()));
        const auto got = static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0));
        if (got == 0) return at == bytes.size();
        if (got > bytes.size() - at || bytes.compare(at, got, piece, 0, got) != 0) return false;
        at += got;
    }
}

// A reason shown to the user names the previewed folder "<folder>\\", the
// same on every run.
void nameFolder(const LibraryRun& run, std::string& reason) {
    const std::string& prefix = run.folderForLibrary;
    const std::size_t at = findIgnoringAsciiCase(reason, prefix);
    if (!prefix.empty() && at != std::string::npos) reason.replace(at, prefix.size(), "<folder>\\");
}

// What the trace says of a run: a failure, why no list was written, or
// why a written list may be wrong.
void takeTracedProblem(LibraryRun& run, const std::optional<TracedProblem>& problem) {
    if (problem && problem->failedRun) {
        run.failed = true;
        run.noList = problem->reason;
    } else if (!run.list.written) {
        if (problem) {
            run.noList = problem->reason;
        } else {
            // A CD-ROM driver list without entries writes no file at all.
            run.empty = true;
            run.noList = "the library wrote no list file: no entry was selected";
        }
    } else if (problem) {
        run.tracedReason = problem->reason;
    }
}

}  // namespace

ScratchFolder::ScratchFolder() {
    std::error_code ec;
    base_ = scratchBase();
    const fs::path& base = base_;
    // Numbered on through the process: a worker runs many models one after
    // another, and none of them finds a folder of an earlier one's name.
    static unsigned next = 0;
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate =
            base / ("mfglist-" + std::to_string(processId()) + "-" + std::to_string(next++));
        bool made = false;
        auto removedIfStopped = std::make_unique<RemovedIfStopped>(
            candidate, [&] { made = fs::create_directory(candidate, ec); });
        if (made) {
            removedIfStopped_ = std::move(removedIfStopped);
            path_ = candidate;
            try {
                requireRoom();
            } catch (...) {
                fs::remove_all(path_, ec);
                throw;
            }
            return;
        }
    }
    throw RunError("cannot make a folder in the scratch folder " + scratchBaseText(base) + ": " +
                   ec.message() + "; " + kOtherScratch);
}

void ScratchFolder::requireRoom() const {
    // Enough for the library's flag, trace and temporary section files of a
    // small run: a folder that cannot take this lets every run down, and a
    // run let down by its scratch folder must never read as the library's
    // answer (no list, no entries).
    constexpr std::size_t kRoomProbe = 64 * 1024;
    const fs::path probe = path_ / "room";
    bool written = false;
    {
        std::ofstream out(probe, std::ios::binary | std::ios::trunc);
        const std::string bytes(kRoomProbe, '\0');
        written = out && out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) &&
                  out.flush();
        out.close();
        written = written && !out.fail();
    }
    std::error_code ec;
    fs::remove(probe, ec);
    if (!written)
        throw RunError("the scratch folder " + scratchBaseText(base_) +
                       " has no room or no write access for a run; " + kOtherScratch);
}

ScratchFolder::~ScratchFolder() { mfg::scratch::removeTree(path_); }

LibraryRun runInScratchMachine(const Plan& plan, const ListLibrary& library, RunNeeds needs) {
    ScratchFolder scratch;
    std::unique_ptr<LibraryMachine> machine = makeLibraryMachine(scratch.path());
    LibraryRun run;
    run.folderForLibrary = machine->reach(plan.folder, 'P');
    run.windows = machine->settleWindows(plan.windows);
    run.group = plan.group ? *plan.group : kDefaultGroup;

    // The library writes into the scratch machine, which holds no list
    // before the run (the library adds to one that is there): the user's
    // --output file is replaced only by a list this run wrote.
    std::error_code ec;
    fs::create_directory(scratch.path() / "list", ec);
    const fs::path listFile =
        scratch.path() / "list" / (plan.output ? plan.output->filename() : fs::path("list.ini"));
    run.listFolderForLibrary = machine->reach(listFile.parent_path(), 'L');
    const std::string listForLibrary = run.listFolderForLibrary + listFile.filename().string();

    // On the line and on a CD-ROM the library lies beside its process files,
    // so its folder is $TESTDIR: -D makes the previewed folder $TESTDIR, as
    // if the library lay there, instead of the build tree it is loaded from.
    // In CD-ROM mode the library reads its fixed files from its own folder;
    // pointing -P at a folder without MfgProc.ini gives the same mode with
    // the files read from there.
    requireOptionSafe(run.folderForLibrary, "the folder's path");
    run.commandLine = "mfglist -D " + run.folderForLibrary + " -P " + run.folderForLibrary;
    if (plan.group) run.commandLine += " -T " + *plan.group;
    if (plan.callFactory) run.commandLine += " -F";

    machine->publish(*library.module);
    {
        std::optional<TraceCapture> capture;
        if (needs.trace)
            capture.emplace(machine->fixedFile('C', "vrelDebug.flg"),
                            machine->fixedFile('D', "ombrix_drvinst.log"));
        std::vector<const char*> pointers;
        for (const std::string& id : plan.ids) pointers.push_back(id.c_str());
        library.initMfgList(plan.listKind, run.commandLine.c_str(), 0);
        if (plan.allSoftware)
            library.createAllSoftIniFile(listForLibrary.c_str());
        else
            library.createIniFile(static_cast<int>(pointers.size()),
                                  pointers.empty() ? nullptr : pointers.data(),
                                  listForLibrary.c_str());
        if (capture) run.trace = capture->lines(needs.traceLines ? nullptr : &namesAProblem);
    }
    // The file is read once; the list is parsed from the same bytes.
    if (needs.compareWith) {
        if (std::ifstream in{listFile, std::ios::binary}) {
            run.list.written = true;
            run.sameAsCompared = sameBytes(in, *needs.compareWith);
        }
    } else if (std::optional<std::string> bytes = readFileWhole(listFile)) {
        run.listBytes = std::move(*bytes);
        run.list.written = true;
    }
    run.notes = machine->notes();

    const NativePath native = [&](const std::string& path) { return machine->nativePath(path); };
    const std::optional<TracedProblem> problem = problemFromTrace(run.trace, native);
    takeTracedProblem(run, problem);
    // A run that came to no list may have been let down by a full scratch
    // folder, which is this machine's fault and is said so.
    if (!run.list.written || run.failed || problem) scratch.requireRoom();
    if (plan.output && run.list.written && !run.failed)
        replaceFileWhole(*plan.output, run.listBytes);
    if (run.noList) nameFolder(run, *run.noList);
    if (needs.parsedList) takeParsedList(run);
    return run;
}

void takeParsedList(LibraryRun& run) {
    if (!run.list.written) return;
    run.list = installListFrom(parseIni(run.listBytes));
    if (run.failed || !run.list.entries.empty()) return;
    std::optional<std::string> reason = run.tracedReason;
    if (!reason && !run.list.problems.empty()) reason = run.list.problems.front();
    if (!reason) {
        run.empty = true;
        reason = "the list has no entries";
    }
    nameFolder(run, *reason);
    run.noList = std::move(reason);
}

RunVerdict verdictOf(const LibraryRun& run, bool allowEmpty) {
    if (run.failed) return {kExitListRunFailed, "failed"};
    if (!run.noList) return {kExitOk, "ok"};
    if (!run.empty) return {kExitNoList, "no-list"};
    return {allowEmpty ? kExitOk : kExitNoList, "empty"};
}

std::string verdictLine(const LibraryRun& run, const RunVerdict& verdict,
                        const std::string& folder) {
    if (verdict.status == kExitOk) return "";
    std::string line =
        std::string("mfglist: ") + (run.failed ? "run failed: " : "no list: ") + *run.noList;
    if (run.noList->find("<folder>") != std::string::npos) line += " (<folder> is " + folder + ")";
    if (run.empty) line += "; --allow-empty accepts a list without entries";
    return line + "\n";
}

}  // namespace mfgtool

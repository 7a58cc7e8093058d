#include "file_writes.h"

#include <algorithm>

#include "errors.h"
#include "stop_signals.h"
#include "system.h"

namespace fs = std::filesystem;

namespace mfgtool {
namespace {

struct FaultPlan {
    std::uint64_t failAt = 0;
    int error = 0;
    std::uint64_t counted = 0;
    bool active = false;
};
FaultPlan g_faults;

// True when the test plan makes this step fail; `ec` then holds its error.
bool plannedFailure(std::error_code& ec) {
    if (!g_faults.active) return false;
    if (++g_faults.counted != g_faults.failAt) return false;
    ec.assign(g_faults.error, std::generic_category());
    return true;
}

template <typename Call>
bool step(std::error_code& ec, Call call) {
    if (!plannedFailure(ec)) call();
    return !ec;
}

// A name of its own beside the target, hidden where dot files are: the
// rename that follows stays in one folder and so on one file system.
fs::path temporaryBeside(const fs::path& file) {
    static unsigned next = 0;
    return file.parent_path() / ("." + file.filename().string() + ".mfglist-" +
                                 std::to_string(processId()) + "-" + std::to_string(next++));
}

}  // namespace

fs::path linkedFile(const fs::path& path) {
    std::error_code ec;
    fs::path file = fs::absolute(path, ec);
    if (ec) file = path;
    // As many links as the system itself follows before it gives up.
    for (int hops = 0; hops < 40 && fs::is_symlink(file, ec); ++hops) {
        const fs::path to = fs::read_symlink(file, ec);
        if (ec) break;
        file = (to.is_absolute() ? to : file.parent_path() / to).lexically_normal();
    }
    return file;
}

void replaceFileWhole(const fs::path& target, std::string_view bytes) {
    const fs::path file = linkedFile(target);
    const fs::path temporary = temporaryBeside(file);
    std::error_code ec;
    NativeFile handle = 0;
    bool created = false;
    bool open = false;
    bool made = false;
    const RemovedIfStopped removedIfStopped(
        temporary, [&] { made = step(ec, [&] { handle = createNewFile(temporary, ec); }); });
    // Where the disk is full or closed to this user, the folder is the
    // place to look, so the message names it.
    const std::string where = " in the folder " + file.parent_path().string();
    const auto failed = [&](const std::string& doing) {
        std::error_code ignored;
        if (open) closeFile(handle, ignored);
        if (created) fs::remove(temporary, ignored);
        const std::string kept =
            fs::exists(file, ignored) ? "; " + target.string() + " is left as it was" : "";
        throw RunError("cannot " + doing + " " + target.string() + ": " + ec.message() + where +
                       kept);
    };
    if (!made) failed("write");
    created = open = true;
    // In pieces, so that a disk that fills part-way is met where it fills.
    constexpr std::size_t kPiece = std::size_t{1} << 20;
    for (std::size_t at = 0; at < bytes.size(); at += kPiece)
        if (!step(ec, [&] { writeToFile(handle, bytes.substr(at, kPiece), ec); })) failed("write");
    if (!step(ec, [&] { flushToDisk(handle, ec); })) failed("write");
    // A close releases the file whatever it answers (a second close could
    // reach another file), so a failure planned for it comes after it: the
    // temporary file is then closed and, on Windows too, can be removed.
    open = false;
    closeFile(handle, ec);
    if (!ec) plannedFailure(ec);
    if (ec) failed("write");
    std::error_code ignored;
    const fs::file_status old = fs::status(file, ignored);
    if (fs::exists(old)) fs::permissions(temporary, old.permissions(), ignored);
    if (!step(ec, [&] { renameOver(temporary, file, ec); })) failed("replace");
}

bool isSameFile(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    if (fs::exists(a, ec) && fs::exists(b, ec)) {
        const bool same = fs::equivalent(a, b, ec);
        if (!ec) return same;
    }
    const fs::path left = fs::weakly_canonical(linkedFile(a), ec);
    const fs::path right = fs::weakly_canonical(linkedFile(b), ec);
    return left == right;
}

void refuseOutputOverInput(const fs::path& output, const std::string& option,
                           const std::vector<ReadFile>& inputs) {
    for (const ReadFile& input : inputs)
        if (isSameFile(output, input.path))
            throw UsageError(option + " " + output.string() + " is " + input.role + " " +
                             input.path.string() + " that this run reads; give another file for " +
                             option);
}

}  // namespace mfgtool

namespace mfgtool::testing {

void injectWriteFault(std::uint64_t failAt, int error) {
    g_faults = FaultPlan{failAt, error, 0, true};
}

std::uint64_t writeStepsCounted() { return g_faults.counted; }

void clearWriteFault() { g_faults.active = false; }

}  // namespace mfgtool::testing

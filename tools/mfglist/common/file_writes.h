// Every file the tool writes for the user (a list, a report, a baseline, an
// ID file) and every file its workers hand back is written whole beside its
// target and then renamed over it: a reader, or a run stopped half-way by a
// full disk, sees the old file byte for byte or the complete new one, never
// a cut one, and no temporary file is left behind.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace mfgtool {

// Replaces `target` with `bytes`.  A link at `target` keeps leading to its
// file, which is the one replaced; an existing file keeps its permissions.
// Throws RunError naming `target` and the system's reason (a full disk, no
// write access in its folder) when it cannot; the old file is then as it
// was.
void replaceFileWhole(const std::filesystem::path& target, std::string_view bytes);

// The file a write to `path` reaches: `path` with every link followed, also
// one whose file does not exist yet.
std::filesystem::path linkedFile(const std::filesystem::path& path);

// A file a run reads, named for the user by what it is to the run
// ("the process file", "the model file", "the baseline").
struct ReadFile {
    std::filesystem::path path;
    std::string role;
};

// Whether two paths are one file: the same device and inode (file index on
// Windows) when both exist, else the same path once links are followed.
bool isSameFile(const std::filesystem::path& a, const std::filesystem::path& b);

// Throws UsageError when `output` (given as `option`, "--output") would
// overwrite one of the files the run reads, naming both.
void refuseOutputOverInput(const std::filesystem::path& output, const std::string& option,
                           const std::vector<ReadFile>& inputs);

}  // namespace mfgtool

// The tests' way to make a write fail part-way without filling a disk.
namespace mfgtool::testing {

// From now on counts the steps of replaceFileWhole (create, each piece
// written, flush, close, rename) and makes step number `failAt` (from 1)
// fail with `error`, an errno value (ENOSPC, EACCES ...); `failAt` 0 only
// counts.
void injectWriteFault(std::uint64_t failAt, int error);
std::uint64_t writeStepsCounted();
void clearWriteFault();

}  // namespace mfgtool::testing

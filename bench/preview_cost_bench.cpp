// The command-line tool's own cost on a large factory: `mfglist preview` of
// a generated process file of 200,000 driver entries against `mfglist host`
// making the same list, in the same run.  Prints each one's wall time (the
// best of the runs), preview's ratio to host, and the peak memory (the
// child's maximum resident set) per listed entry, preview's own part being
// what it holds beyond host's run.  The goals: a ratio of 1.5 at most and
// the tool's own part within 2 KB an entry.
//
//   mfglist_preview_cost_bench [--entries=200000] [--runs=3]
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "workload.h"

namespace {

namespace fs = std::filesystem;

struct ChildCost {
    double seconds = 0;
    long peakKilobytes = 0;
    int status = -1;
};

// Runs `argv` with its standard output into `output`; wall time from fork
// to reaping, the peak from wait4.
ChildCost runChild(const std::vector<std::string>& argv, const std::string& output) {
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        const int fd = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) ::dup2(fd, STDOUT_FILENO);
        ::execv(args[0], args.data());
        std::perror("execv");
        ::_exit(127);
    }
    ChildCost cost;
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    cost.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    cost.peakKilobytes = usage.ru_maxrss;
    cost.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return cost;
}

int option(int argc, char** argv, const char* name, int fallback) {
    const std::size_t length = std::strlen(name);
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], name, length) == 0) return std::atoi(argv[i] + length);
    return fallback;
}

}  // namespace

int main(int argc, char** argv) {
    const int entries = option(argc, argv, "--entries=", 200000);
    const int runs = std::max(1, option(argc, argv, "--runs=", 3));
    char pattern[] = "/tmp/mfglist-preview-bench-XXXXXX";
    const fs::path root = ::mkdtemp(pattern);
    fs::create_directories(root / "c" / "PF");
    fs::create_directories(root / "d");
    bench::writeFactoryProcessFile((root / "c" / "PF" / "MfgProc.ini").string(), entries);
    std::printf("process file: %d entries, %.1f MB; best of %d runs each\n", entries,
                static_cast<double>(fs::file_size(root / "c" / "PF" / "MfgProc.ini")) / 1e6, runs);

    const std::string tool = MFGLIST_TOOL_FILE;
    const std::string library = MFGLIST_LIBRARY_FILE;
    const std::vector<std::string> host = {
        tool,
        "host",
        "--command-line",
        "SETUP.EXE -D C:\\PF",
        "--output",
        "C:\\LIST.INI",
        "--drives",
        "C=" + (root / "c").string() + ";D=" + (root / "d").string(),
        "--library",
        library};
    const std::vector<std::string> preview = {tool, "preview", (root / "c" / "PF").string(),
                                              "--library", library};
    ChildCost bestHost{1e30, 0, 0};
    ChildCost bestPreview{1e30, 0, 0};
    for (int run = 0; run < runs; ++run) {
        // The library adds to a list that is there: each host run starts without one.
        fs::remove(root / "c" / "LIST.INI");
        const ChildCost h = runChild(host, (root / "host.out").string());
        const ChildCost p = runChild(preview, (root / "preview.out").string());
        if (h.status != 0 || p.status != 0) {
            std::fprintf(stderr, "a run failed: host status %d, preview status %d\n", h.status,
                         p.status);
            fs::remove_all(root);
            return 1;
        }
        bestHost.seconds = std::min(bestHost.seconds, h.seconds);
        bestPreview.seconds = std::min(bestPreview.seconds, p.seconds);
        bestHost.peakKilobytes = std::max(bestHost.peakKilobytes, h.peakKilobytes);
        bestPreview.peakKilobytes = std::max(bestPreview.peakKilobytes, p.peakKilobytes);
    }
    const auto perEntry = [entries](long kilobytes) {
        return static_cast<double>(kilobytes) * 1024.0 / entries;
    };
    std::printf("| command | wall time | peak memory | per listed entry |\n|---|---:|---:|---:|\n");
    std::printf("| mfglist host | %.2f s | %.0f MB | %.0f bytes |\n", bestHost.seconds,
                static_cast<double>(bestHost.peakKilobytes) / 1024.0,
                perEntry(bestHost.peakKilobytes));
    std::printf("| mfglist preview | %.2f s | %.0f MB | %.0f bytes |\n", bestPreview.seconds,
                static_cast<double>(bestPreview.peakKilobytes) / 1024.0,
                perEntry(bestPreview.peakKilobytes));
    std::printf("\npreview / host wall time: %.2f (goal: 1.5 at most)\n",
                bestPreview.seconds / bestHost.seconds);
    std::printf(
        "preview's own memory beyond host's run: %.0f bytes per listed entry (goal: 2,048 at "
        "most)\n",
        perEntry(bestPreview.peakKilobytes - bestHost.peakKilobytes));
    std::error_code ec;
    fs::remove_all(root, ec);
    return 0;
}

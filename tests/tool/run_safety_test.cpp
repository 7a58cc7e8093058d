// What the user had stays, and a failed run says so: the trace the user
// asked for is kept, --output is replaced only by a list the run wrote, and
// a run the library traced as failed fails every command with its reason.
#include <regex>

#include "run/no_list.h"
#include "support/tool/host_fixture.h"

namespace mfgtool::test {
namespace {

const char* const kOldList = "[SYSTEM]\r\nCOUNT=0\r\n";

class ToolRunSafety : public ToolHost {
protected:
    // The user's flag and log: under hostDrives() on Linux, the Wine prefix's on Windows.
    void SetUp() override {
        ToolHost::SetUp();
        if (hostDrives(scratch))
            user = {scratch / "c" / "vrelDebug.flg", scratch / "d" / "ombrix_drvinst.log", {}};
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove(user.flag, ec);
        fs::remove(user.log, ec);
        listWritable(true);
    }
    void listWritable(bool writable) {
        std::error_code ec;  // none yet, at first
        fs::permissions(list, fs::perms::owner_write,
                        writable ? fs::perm_options::add : fs::perm_options::remove, ec);
    }

    Outcome host() {
        std::vector<std::string> args = {"host", "--command-line",
                                         "SETUP.EXE -P " + forLibrary(factory()), "--output",
                                         forLibrary(list)};
        if (const auto drives = hostDrives(scratch)) args.insert(args.end(), {"--drives", *drives});
        return runTool(args);
    }

    // UTF-16 big-endian text, which the library refuses to read.
    void processFileInUtf16BigEndian() {
        std::string wide = "\xFE\xFF";
        for (const char c : readText(factory() / "MfgProc.ini")) wide += std::string(1, '\0') + c;
        writeText(factory() / "MfgProc.ini", wide);
    }

    UserTraceFiles user = userTraceFiles(scratch);
    fs::path list = scratch / "list.ini";
};

TEST_F(ToolRunSafety, HostKeepsTheTraceTheUserAskedFor) {
    writeText(user.flag, "");
    EXPECT_EQ(host().status, 0);
    const std::string firstRun = readText(user.log);
    EXPECT_NE(firstRun.find("ORVANTIS == : "), std::string::npos) << "the log stays";
    processFileInUtf16BigEndian();
    EXPECT_EQ(host().status, 5);
    EXPECT_NE(readText(user.log).find("CANNOT READ MFGFILE", firstRun.size()), std::string::npos);
}

TEST_F(ToolRunSafety, OutputFileStaysWhenTheRunWritesNoList) {
    writeText(list, kOldList);
    // The stand-in library writes no list without MFGLIST_FAKE_LIST.
    const Outcome outcome = runTool({"preview", factory().string(), "--output", list.string(),
                                     "--library", recordingLibraryFile().string()});
    EXPECT_EQ(outcome.status, 4) << outcome.err;
    EXPECT_EQ(readText(list), kOldList);
}

TEST_F(ToolRunSafety, AFailedRunFailsEveryCommandAndLeavesTheListAsItWas) {
    const std::string processFile = readText(factory() / "MfgProc.ini");
    // The reason, and the status of preview and explain, which refuse a
    // read-only --output before the run.
    std::vector<std::pair<std::string, int>> cases = {{"UTF-16 BIG-ENDIAN", 5},
                                                      {"THE FILE IS READ-ONLY", 2}};
    if (hostDrives(scratch)) cases.push_back({"(INPUT/OUTPUT ERROR)", 5});
    for (const auto& [reason, status] : cases) {
        SCOPED_TRACE(reason);
        writeText(factory() / "MfgProc.ini", processFile);
        listWritable(true);
        writeText(list, kOldList);
        listWritable(status != 2);
        if (reason == "UTF-16 BIG-ENDIAN") processFileInUtf16BigEndian();
        if (reason == "(INPUT/OUTPUT ERROR)") {  // Linux: its first read fails with EIO
            fs::remove(factory() / "MfgProc.ini");
            fs::create_symlink("/proc/self/mem", factory() / "MfgProc.ini");
        }
        const Outcome outcome = host();
        EXPECT_EQ(outcome.status, 5);
        expectOneErrorLine(outcome, "the library's run failed");
        EXPECT_NE(outcome.err.find(reason), std::string::npos) << outcome.err;
        EXPECT_FALSE(fs::exists(user.flag) || fs::exists(user.log)) << "the user's stay down";
        for (const char* command : {"preview", "explain"}) {
            const Outcome shown = runTool({command, factory().string(), "--output", list.string()});
            EXPECT_EQ(shown.status, status) << command;
            EXPECT_NE(shown.err.find(status == 2 ? "is read-only" : reason), std::string::npos);
        }
        EXPECT_EQ(readText(list), kOldList);
    }
}

// Every line the library traces when something went wrong is one the reason
// finder knows (and keeps from a run's trace), read from the library's sources so that a new one
// cannot slip by; a list folder that is missing explains a missing list, it is no failure.
TEST(ToolReasonFinder, KnowsEveryFailureLineTheLibraryTraces) {
    const mfgtool::NativePath noDrives = [](const std::string&) { return std::nullopt; };
    const std::regex traced(
        R"re(TraceLog\(\s*"([^"]*(CANNOT|FAILED|ERROR|LEFT AS IT WAS)[^"]*)")re");
    int failureLines = 0;
    for (const auto& file : fs::recursive_directory_iterator(examplesFolder() / ".." / "src")) {
        const std::string text = file.is_regular_file() ? readText(file.path()) : "";
        for (std::sregex_iterator it(text.begin(), text.end(), traced), end; it != end; ++it) {
            ++failureLines;
            const std::string line = std::regex_replace((*it)[1].str(), std::regex("%s"), "C:\\X");
            EXPECT_TRUE(mfgtool::problemFromTrace({line}, noDrives)) << line;
            // Kept when a run keeps only the lines that name a problem.
            EXPECT_TRUE(mfgtool::namesAProblem(line)) << line;
        }
    }
    EXPECT_GE(failureLines, 10);
    EXPECT_FALSE(mfgtool::problemFromTrace({"CANNOT WRITE LIST FILE = Q:\\X (NO DRIVE)"}, noDrives)
                     ->failedRun);
}

}  // namespace
}  // namespace mfgtool::test

// What the user had stays, and a failed run says so: the trace the user
// asked for is kept, an --output file is replaced only by a list the run
// wrote, and a run the library traced as failed is a failure of every
// command that makes it, with the library's reason.
#include <regex>

#include "host_fixture.h"
#include "no_list.h"

namespace mfgtest {
namespace {

const char* const kOldList = "[SYSTEM]\r\nCOUNT=0\r\n";

class ToolRunSafety : public ToolHost {
protected:
    fs::path list() const { return scratch / "list.ini"; }

    Outcome host(const EnvChanges& env = {}) {
        std::vector<std::string> args = {"host", "--command-line",
                                         "SETUP.EXE -P " + forLibrary(factory()) + " -T PRELOAD",
                                         "--output", forLibrary(list())};
        if (const std::optional<std::string> drives = hostDrives(scratch.path()))
            args.insert(args.end(), {"--drives", *drives});
        return runTool(args, env);
    }

    // The example process file as UTF-16 big-endian text, which the library
    // refuses to read.
    void processFileInUtf16BigEndian() {
        const std::string text = readText(factory() / "MfgProc.ini");
        std::string wide = "\xFE\xFF";
        for (const char c : text) wide += std::string(1, '\0') + c;
        writeText(factory() / "MfgProc.ini", wide);
    }

    void writableList(bool writable) {
        fs::permissions(list(), fs::perms::owner_write,
                        writable ? fs::perm_options::add : fs::perm_options::remove);
    }
};

// The user's own debug flag and trace log: on Linux under the drives of
// hostDrives(), on Windows the machine's (the test run's Wine prefix).
// Lowered and removed again whatever the test's outcome.
struct UserTrace {
    explicit UserTrace(const fs::path& root)
        : files(hostDrives(root) ? UserTraceFiles{root / "c" / "vrelDebug.flg",
                                                  root / "d" / "ombrix_drvinst.log", {}}
                                 : userTraceFiles(root)) {}
    ~UserTrace() {
        std::error_code ec;
        fs::remove(files.flag, ec);
        fs::remove(files.log, ec);
    }
    UserTraceFiles files;
};

TEST_F(ToolRunSafety, HostKeepsTheTraceTheUserAskedFor) {
    const UserTrace user(scratch.path());
    writeText(user.files.flag, "");
    fs::remove(user.files.log);
    Outcome outcome = host();
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    const std::string firstRun = readText(user.files.log);
    EXPECT_NE(firstRun.find("ORVANTIS == : "), std::string::npos) << "the log stays";

    processFileInUtf16BigEndian();
    outcome = host();
    EXPECT_EQ(outcome.status, 5);
    expectOneErrorLine(outcome, "could not read the process file");
    const std::string both = readText(user.files.log);
    EXPECT_EQ(both.rfind(firstRun, 0), 0u) << "the library only appends";
    EXPECT_NE(both.find("CANNOT READ MFGFILE", firstRun.size()), std::string::npos);
    EXPECT_TRUE(fs::exists(user.files.flag));
}

TEST_F(ToolRunSafety, OutputFileStaysWhenTheRunWritesNoList) {
    writeText(list(), kOldList);
    // The stand-in library writes no list without MFGLIST_FAKE_LIST.
    const Outcome outcome =
        runTool({"preview", factory().string(), "--output", list().string(), "--library",
                 recordingLibraryFile().string()},
                {{"MFGLIST_FAKE_RECORD", (scratch / "record.txt").string()}});
    EXPECT_EQ(outcome.status, 4) << outcome.err;
    EXPECT_EQ(readText(list()), kOldList);
}

TEST_F(ToolRunSafety, AFailedRunFailsEveryCommandAndLeavesTheListAsItWas) {
    const std::string processFile = readText(factory() / "MfgProc.ini");
    struct Case {
        const char* what;
        std::string reason;   // in host's line and in preview's and explain's
        int status;           // of preview and explain, which check --output first
        std::string refusal;  // their reason when it is not the library's
    };
    std::vector<Case> cases = {
        {"UTF-16 BE process file", "UTF-16 BIG-ENDIAN", 5, ""},
        {"read-only list file", "THE FILE IS READ-ONLY", 2, "is read-only"},
    };
    if (hostDrives(scratch.path()))  // Linux: a file whose first read fails with EIO
        cases.push_back({"read error", "(INPUT/OUTPUT ERROR)", 5, ""});
    const UserTrace user(scratch.path());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeText(factory() / "MfgProc.ini", processFile);
        if (fs::exists(list())) writableList(true);
        writeText(list(), kOldList);
        if (c.reason == "UTF-16 BIG-ENDIAN") processFileInUtf16BigEndian();
        if (c.reason == "THE FILE IS READ-ONLY") writableList(false);
        if (c.reason == "(INPUT/OUTPUT ERROR)") {
            fs::remove(factory() / "MfgProc.ini");
            fs::create_symlink("/proc/self/mem", factory() / "MfgProc.ini");
        }

        const Outcome outcome = host();
        EXPECT_EQ(outcome.status, 5);
        expectOneErrorLine(outcome, "the library's run failed");
        EXPECT_NE(outcome.err.find(c.reason), std::string::npos) << outcome.err;
        EXPECT_EQ(readText(list()), kOldList);
        EXPECT_FALSE(fs::exists(user.files.flag)) << "the user's flag stays down";
        EXPECT_FALSE(fs::exists(user.files.log));

        for (const char* command : {"preview", "explain"}) {
            SCOPED_TRACE(command);
            const Outcome shown = runTool({command, factory().string(), "--output", list().string()});
            EXPECT_EQ(shown.status, c.status);
            EXPECT_NE(shown.err.find(c.refusal.empty() ? "mfglist: run failed: " : c.refusal),
                      std::string::npos)
                << shown.err;
            if (c.refusal.empty()) {
                EXPECT_NE(shown.err.find(c.reason), std::string::npos);
            }
            EXPECT_EQ(readText(list()), kOldList);
        }
    }
    writableList(true);
}

// Every line the library traces when something went wrong is one the reason
// finder knows, read from the library's sources so that a new one cannot
// slip by; which of them fail a run is the finder's table.
TEST(ToolReasonFinder, KnowsEveryFailureLineTheLibraryTraces) {
    const mfgtool::NativePath noDrives = [](const std::string&) { return std::nullopt; };
    const std::regex traced(R"re(TraceLog\(\s*"([^"]*)")re");
    const std::regex failure("CANNOT|FAILED|ERROR|LEFT AS IT WAS");
    int failureLines = 0;
    for (const fs::directory_entry& file :
         fs::recursive_directory_iterator(examplesFolder().parent_path() / "src")) {
        if (!file.is_regular_file()) continue;
        const std::string text = readText(file.path());
        for (std::sregex_iterator it(text.begin(), text.end(), traced), end; it != end; ++it) {
            std::string line = "ORVANTIS == : " + (*it)[1].str();
            if (!std::regex_search(line, failure)) continue;
            ++failureLines;
            line = std::regex_replace(line, std::regex("%s"), "C:\\LIST.INI");
            EXPECT_TRUE(mfgtool::problemFromTrace({line}, noDrives)) << line;
        }
    }
    EXPECT_GE(failureLines, 10);

    // Every drive is there, and every folder but L:\no.
    const mfgtool::NativePath everyDrive = [](const std::string& path) {
        const bool missing = path.find("\\no\\") != std::string::npos;
        return std::optional<fs::path>(examplesFolder() / (missing ? "nowhere" : ""));
    };
    const struct {
        std::vector<std::string> trace;
        bool failedRun;
        const char* reason;
    } cases[] = {
        {{"********** CANNOT READ MFGFILE = P:\\MfgProc.ini (INPUT/OUTPUT ERROR)",
          "********** LIST FILE LEFT AS IT WAS = L:\\list.ini"},
         true, "process file P:\\MfgProc.ini (INPUT/OUTPUT ERROR)"},
        {{"********** CANNOT WRITE LIST FILE = L:\\list.ini (THE FILE IS READ-ONLY)"}, true,
         "(THE FILE IS READ-ONLY)"},
        {{"********** CANNOT WRITE LIST FILE = L:\\no\\list.ini (THE FOLDER DOES NOT EXIST)"},
         false, "no folder L:\\no\\"},
        {{"********** CANNOT OPEN MFGFILE = P:\\DrvCofg.ini",
          "===== GET OS VERSION ERROR 87"},
         true, "Windows version (error 87)"},
    };
    for (const auto& c : cases) {
        const std::optional<mfgtool::TracedProblem> problem =
            mfgtool::problemFromTrace(c.trace, everyDrive);
        ASSERT_TRUE(problem) << c.trace.front();
        EXPECT_EQ(problem->failedRun, c.failedRun) << problem->reason;
        EXPECT_NE(problem->reason.find(c.reason), std::string::npos) << problem->reason;
    }
    EXPECT_FALSE(mfgtool::problemFromTrace(
        {"VALUE TOO LONG ,CUT TO 64 : SECTION = A ,KEY = NAME"}, everyDrive));
}

}  // namespace
}  // namespace mfgtest

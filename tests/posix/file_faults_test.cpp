// File-system faults injected through the platform's file-call table: every
// failure of a whole list run leaves the old list byte for byte or writes the
// complete new one, leaves no temporary file, and is named in the trace.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <iterator>
#include <string>

#include "list_run_support.h"
#include "platform/posix/fault_injection.h"
#include "reader/parse_ini_file.h"

namespace mfg {
namespace {

namespace fi = platform::testing;

constexpr char kDir[] = "C:\\FAULTS\\";
constexpr char kList[] = "C:\\FAULTS\\OUT\\LIST.INI";
constexpr char kOldList[] = "[SYSTEM]\r\nCOUNT=9\r\n";

std::string entries(const std::string& type, int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "[E" + std::to_string(i) + "]\r\nGROUP=PRELOAD\r\nTYPE=" + type +
                "\r\nHARDID=PCI\\VEN_1\r\nPACKETNAME=P" + std::to_string(i % 3) +
                "\r\nEXEPATH=$TESTDIR\\E" + std::to_string(i) + ".EXE\r\n";
    return text;
}

struct ListRun {
    const char* what;
    bool cdRom;
    int kind;
    bool allSoftware;
};

class FileFaults : public ::testing::Test {
protected:
    void SetUp() override {
        test::endListRun();
        test::removeTree(kDir);
        test::makeFolder(kDir);
        test::makeFolder("C:\\FAULTS\\OUT\\");
    }
    void TearDown() override {
        fi::clearFileFault();
        test::endListRun();
        test::removeTree(kDir);
    }

    // The process files of one mode; `entriesEach` sets their size.
    static void layOut(bool cdRom, int entriesEach) {
        if (cdRom) {
            test::writeFile("C:\\FAULTS\\DrvProc.ini", entries("VGA", entriesEach));
            test::writeFile("C:\\FAULTS\\DrvCofg.ini", entries("LAN", entriesEach));
            test::writeFile("C:\\FAULTS\\SoftProc.ini", entries("SOFTWARE", entriesEach));
        } else {
            test::writeFile("C:\\FAULTS\\MfgProc.ini",
                            "[PRELOAD]\r\nLOG_FILE=C:\\LOG.TXT\r\n" + entries("VGA", entriesEach) +
                                entries("SOFTWARE", entriesEach));
        }
    }
    static void run(const ListRun& r) {
        MFG_InitMfgList(r.kind, (std::string("X -P ") + kDir + " -F").c_str(), 0);
        const char* ids[] = {"PCI\\VEN_1", "P1"};
        if (!r.allSoftware) MFG_CreateIniFile(2, ids, kList);
        if (r.allSoftware) MFG_CreateAllSoftIniFile(kList);
    }
    static std::size_t filesInListFolder() {
        const std::filesystem::directory_iterator files(test::hostPath("C:\\FAULTS\\OUT\\"));
        return static_cast<std::size_t>(std::distance(begin(files), end(files)));
    }
    static bool traceSays(const test::TraceCapture& trace, const std::string& text) {
        for (const std::string& line : trace.lines())
            if (line.find(text) != std::string::npos) return true;
        return false;
    }
};

const ListRun kRuns[] = {{"driver list", false, MFG_LIST_DRIVER, false},
                     {"software list", false, MFG_LIST_SOFTWARE, false},
                     {"all-software list", false, MFG_LIST_SOFTWARE, true},
                     {"CD-ROM driver list", true, MFG_LIST_DRIVER, false},
                     {"CD-ROM software list", true, MFG_LIST_SOFTWARE, false},
                     {"CD-ROM all-software list", true, MFG_LIST_SOFTWARE, true}};

// A read that fails part-way through a process file (here after the first
// 128 KiB) is an error, not an end: nothing is committed, and the trace says
// which file and why.  The last read of a walk is the one at the end of the
// file, so the one before it stops the walk part-way.
TEST_F(FileFaults, ReadErrorPartWayCommitsNothing) {
    test::TraceCapture trace;
    for (const ListRun& r : kRuns) {
        SCOPED_TRACE(r.what);
        layOut(r.cdRom, 1500);
        test::writeFile(kList, kOldList);
        fi::injectFileFault(0, 0, fi::kReadCall);
        run(r);
        const std::uint64_t reads = fi::fileCallsCounted();
        // Part-way through the last file walked, and (process-file mode) part-way
        // through the group settings' read, which comes first.
        for (std::uint64_t failAt : {reads - 1, std::uint64_t{2}}) {
            test::writeFile(kList, kOldList);
            trace.clear();
            fi::injectFileFault(failAt, EIO, fi::kReadCall);
            run(r);
            fi::clearFileFault();
            EXPECT_EQ(test::readFile(kList), kOldList) << failAt;
            EXPECT_TRUE(traceSays(trace, "CANNOT READ MFGFILE = C:\\FAULTS\\")) << failAt;
            EXPECT_TRUE(traceSays(trace, "(INPUT/OUTPUT ERROR)")) << failAt;
        }
    }
}

// Every I/O call of whole list runs, in turn, fails.
TEST_F(FileFaults, EveryFailingCallLeavesTheOldListOrTheWholeNewOne) {
    test::TraceCapture trace;
    for (const ListRun& r : kRuns) {
        SCOPED_TRACE(r.what);
        layOut(r.cdRom, 4);
        test::writeFile(kList, kOldList);
        fi::injectFileFault(0, 0);
        run(r);
        fi::clearFileFault();
        const std::uint64_t calls = fi::fileCallsCounted();
        const std::string newList = test::readFile(kList);
        ASSERT_NE(newList, kOldList);
        for (std::uint64_t n = 1; n <= calls; ++n) {
            test::writeFile(kList, kOldList);
            trace.clear();
            fi::injectFileFault(n, n % 2 ? EIO : ENOSPC);
            run(r);
            fi::clearFileFault();
            const std::string list = test::readFile(kList);
            EXPECT_TRUE(list == kOldList || list == newList) << "call " << n << ":\n" << list;
            if (list == kOldList) {
                EXPECT_TRUE(traceSays(trace, "**********")) << "call " << n;
            }
            EXPECT_EQ(filesInListFolder(), 1u) << "call " << n;
            EXPECT_FALSE(test::fileExists("C:\\Temp.ini")) << "call " << n;
        }
    }
}

// The reason a failed replace gives is that of the call that failed.
TEST_F(FileFaults, FailedRenameReportsItsOwnError) {
    layOut(false, 2);
    test::writeFile(kList, kOldList);
    test::TraceCapture trace;
    fi::injectFileFault(1, EXDEV, fi::kRenameCall);
    run(kRuns[0]);
    EXPECT_TRUE(fi::fileFaultMade());
    EXPECT_EQ(test::readFile(kList), kOldList);
    EXPECT_TRUE(traceSays(trace, "CANNOT REPLACE THE FILE: INVALID CROSS-DEVICE LINK"));
}

// A FIFO as a process file would block the run for ever; it is refused.  A
// read-only trace log is left as it is, even for root.
TEST_F(FileFaults, FifoProcessFileAndReadOnlyTraceLog) {
    ASSERT_EQ(::mkfifo(test::hostPath("C:\\FAULTS\\MfgProc.ini").c_str(), 0644), 0);
    test::writeFile(kList, kOldList);
    test::TraceCapture trace;
    run(kRuns[0]);
    EXPECT_EQ(test::readFile(kList), kOldList);
    EXPECT_TRUE(traceSays(trace, "(NOT A REGULAR FILE)"));
    test::setReadOnly(kTraceLogFile, true);
    const std::string before = test::readFile(kTraceLogFile);
    run(kRuns[0]);
    EXPECT_EQ(test::readFile(kTraceLogFile), before);
    test::setReadOnly(kTraceLogFile, false);
}

// The lookup copy is written at the first lookup of a section, not at every
// one: a list run looks up a dozen keys a section.
TEST_F(FileFaults, LookupCopyWrittenOncePerSection) {
    test::writeFile("C:\\FAULTS\\P.INI", "[A]\r\nK=1\r\nL=2\r\n[B]\r\nK=3\r\n");
    CParseIniFile* reader = CParseIniFile::GetInstance();
    ASSERT_EQ(reader->OpenFile("C:\\FAULTS\\P.INI"), 1);
    ASSERT_EQ(reader->FirstSection(), 1);
    fi::injectFileFault(0, 0, fi::kWriteCall);
    EXPECT_EQ(reader->GetValue("K"), "1");
    const std::uint64_t firstLookup = fi::fileCallsCounted();
    EXPECT_GE(firstLookup, 1u);
    EXPECT_EQ(reader->GetValue("L"), "2");
    EXPECT_EQ(reader->GetWholeValue("K"), "1");
    EXPECT_EQ(fi::fileCallsCounted(), firstLookup);
    fi::clearFileFault();
    reader->CloseFile();
    CParseIniFile::ReleaseInstance();
}

}  // namespace
}  // namespace mfg

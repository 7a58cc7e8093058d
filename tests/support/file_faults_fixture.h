// The fixture of the file-fault tests: the process files of each mode, a
// list run of each kind, and an old list that a failed run must leave.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <string>

#include "platform/fault_injection.h"
#include "support/list_run.h"

namespace mfg::test {

namespace fi = platform::testing;

inline constexpr char kDir[] = "C:\\FAULTS\\";
inline constexpr char kList[] = "C:\\FAULTS\\OUT\\LIST.INI";
inline constexpr char kOldList[] = "[SYSTEM]\r\nCOUNT=9\r\n";

// `padding` bytes of a comment line make each entry larger, so that a few
// entries fill more than one read of the file.
inline std::string entries(const std::string& type, int count, std::size_t padding = 0) {
    const std::string comment = padding ? "; " + std::string(padding, '-') + "\r\n" : "";
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "[E" + std::to_string(i) + "]\r\n" + comment + "GROUP=PRELOAD\r\nTYPE=" + type +
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
        endListRun();
        removeTree(kDir);
        makeFolder(kDir);
        makeFolder("C:\\FAULTS\\OUT\\");
    }
    void TearDown() override {
        fi::clearFileFault();
        endListRun();
        removeTree(kDir);
    }

    // The process files of one mode; `entriesEach` and `padding` set their size.
    // Without its process file a run takes the media's files.
    static void layOut(bool cdRom, int entriesEach, std::size_t padding = 0) {
        if (cdRom) {
            removeFile("C:\\FAULTS\\MfgProc.ini");
            writeFile("C:\\FAULTS\\DrvProc.ini", entries("VGA", entriesEach, padding));
            writeFile("C:\\FAULTS\\DrvCofg.ini", entries("LAN", entriesEach, padding));
            writeFile("C:\\FAULTS\\SoftProc.ini", entries("SOFTWARE", entriesEach, padding));
        } else {
            writeFile("C:\\FAULTS\\MfgProc.ini", "[PRELOAD]\r\nLOG_FILE=C:\\LOG.TXT\r\n" +
                                                     entries("VGA", entriesEach, padding) +
                                                     entries("SOFTWARE", entriesEach, padding));
        }
    }
    static void run(const ListRun& r) {
        MFG_InitMfgList(r.kind, (std::string("X -P ") + kDir + " -F").c_str(), 0);
        const char* ids[] = {"PCI\\VEN_1", "P1"};
        if (!r.allSoftware) MFG_CreateIniFile(2, ids, kList);
        if (r.allSoftware) MFG_CreateAllSoftIniFile(kList);
    }
    static std::size_t filesInListFolder() {
        const std::filesystem::directory_iterator files(hostPath("C:\\FAULTS\\OUT\\"));
        return static_cast<std::size_t>(std::distance(begin(files), end(files)));
    }
    static bool traceSays(const TraceCapture& trace, const std::string& text) {
        for (const std::string& line : trace.lines())
            if (line.find(text) != std::string::npos) return true;
        return false;
    }
};

inline const ListRun kRuns[] = {{"driver list", false, MFG_LIST_DRIVER, false},
                                {"software list", false, MFG_LIST_SOFTWARE, false},
                                {"all-software list", false, MFG_LIST_SOFTWARE, true},
                                {"CD-ROM driver list", true, MFG_LIST_DRIVER, false},
                                {"CD-ROM software list", true, MFG_LIST_SOFTWARE, false},
                                {"CD-ROM all-software list", true, MFG_LIST_SOFTWARE, true}};

}  // namespace mfg::test

// A committed list file against the platform's own profile writer: every
// write a run made, replayed key by key through WritePrivateProfileStringA
// into a file that did not exist, must leave exactly the same bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "items/iteminfo.h"
#include "listjob/mfg_list.h"
#include "mfglist/mfglist.h"
#include "output/list_file.h"
#include "platform/platform.h"
#include "support/list_examples.h"
#include "support/machine.h"
#include "support/profile_calls.h"

namespace mfg::test {
namespace {

TEST(ListFileVsKernel32, EveryKindOfRunGivesTheBytesOfKeyByKeyWrites) {
    test::ScratchFolder dir("vskernel");
    test::writeFile(dir / "MfgProc.ini", test::kExampleProcess);
    CMfgList list(MFG_LIST_DRIVER, "", 0);
    list.startUp.workDir = list.startUp.procDir = dir.path();
    list.startUp.procFile = dir / "MfgProc.ini";
    list.startUp.groupName = "PRELOAD";
    list.startUp.callFactory = 1;

    const auto check = [&](const std::string& name, const std::function<void(std::string)>& run) {
        std::vector<output::ListWrite> journal;
        output::ListFile::recordWritesForTesting(&journal);
        run(dir / (name + ".INI"));
        output::ListFile::recordWritesForTesting(nullptr);
        ASSERT_FALSE(journal.empty()) << name;
        const std::string replayed = dir / (name + "-REPLAY.INI");
        for (const output::ListWrite& w : journal)
            ASSERT_TRUE(test::writeProfileString(w.section, w.key, w.value, replayed)) << name;
        EXPECT_EQ(test::readFile(dir / (name + ".INI")), test::readFile(replayed)) << name;
    };

    check("DRIVERS", [&](std::string out) { list.CreateIniFile(0, nullptr, out); });
    list.startUp.listKind = MFG_LIST_SOFTWARE;
    list.startUp.osVariant = MFG_WIN_VISTA64;
    const char* ids[] = {"office"};
    check("SOME", [&](std::string out) { list.CreateIniFile(1, ids, out); });
    check("ALL", [&](std::string out) { list.CreateAllSoftIniFile(out); });

    auto entry = std::make_unique<ITEMINFO>();
    std::strcpy(entry->packetName, "VGA");
    std::strcpy(entry->exePathVista64, "C:\\VGA\\SETUP.EXE");
    entry->timeout = -5;
    list.request.driverList.push_back(std::move(entry));
    list.request.driverList.push_back(nullptr);
    list.request.driverList.push_back(std::make_unique<ITEMINFO>());
    check("HELD", [&](std::string out) {
        list.request.outputPath = out;
        list.WriteDriverList();
    });
    list.FreeItems();
}

}  // namespace
}  // namespace mfg::test

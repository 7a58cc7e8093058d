// `host` reproduces one factory call exactly: the arguments reach the
// library unchanged, and the list file equals the one a direct call of the
// exports makes with the same arguments.
#include "support/tool/host_fixture.h"

namespace mfgtool::test {
namespace {

TEST_F(ToolHost, PassesEveryArgumentUnchanged) {
    // Blanks and empty lines are IDs too when a call is reproduced.
    writeText(scratch / "ids.txt", " B\r\n\r\nC \n");
    writeText(scratch / "canned.ini", "[SYSTEM]\r\nCOUNT=0\r\n");
    const EnvChanges record = {{"MFGLIST_FAKE_RECORD", (scratch / "record.txt").string()},
                               {"MFGLIST_FAKE_LIST", (scratch / "canned.ini").string()}};
    const std::string library = recordingLibraryFile().string();
    const std::string output = forLibrary(scratch / "list.ini");
    std::vector<std::string> args = {"host",
                                     "--command-line",
                                     "C:\\TOOLS\\SETUP.EXE -p c:\\my-proc",
                                     "--drive",
                                     "259",
                                     "--kind",
                                     "7",
                                     "--id",
                                     "A",
                                     "--ids-file",
                                     (scratch / "ids.txt").string(),
                                     "--output",
                                     output,
                                     "--library",
                                     library};
    const std::optional<std::string> drives = hostDrives(scratch);
    if (drives) args.insert(args.end(), {"--drives", *drives, "--winver", "6.0:server"});
    Outcome outcome = runTool(args, record);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out + outcome.err, "");
    EXPECT_EQ(readText(scratch / "list.ini"), "[SYSTEM]\r\nCOUNT=0\r\n") << "the list stays";

    outcome = runTool({"host", "--command-line=-CDROM", "--kind", "1", "--all-software", "--output",
                       "", "--allow-empty", "--library", library},
                      record);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    const std::vector<std::string> made = lines(readText(scratch / "record.txt"));
    ASSERT_EQ(made.size(), 4u);
    EXPECT_EQ(made[0], "init|7|C:\\TOOLS\\SETUP.EXE -p c:\\my-proc|259|winver=" +
                           std::string(drives ? "6.0:server" : ""));
    // The flag the library sees is the host's side file on Windows.
    EXPECT_EQ(made[1].rfind("create|4|<A>,< B>,<>,<C >|" + output + "|flag=", 0), 0u) << made[1];
    EXPECT_EQ(made[2].rfind("init|1|-CDROM|0|", 0), 0u) << made[2];
    EXPECT_EQ(made[3].rfind("createall||flag=", 0), 0u) << made[3];
}

TEST_F(ToolHost, ListFileEqualsADirectCallOfTheExports) {
    for (const HostCall& call : factoryCalls()) {
        SCOPED_TRACE(call.what);
        const auto [viaHost, direct] = bothWays(call);
        EXPECT_EQ(viaHost, direct);
    }
}

}  // namespace
}  // namespace mfgtool::test

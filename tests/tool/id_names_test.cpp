// Devices named from the PCI and USB ID databases: read only for the IDs
// asked, subsystems where the database knows them, nothing (and no error)
// without a database; `ids` names each captured device and lint notes a
// HARDID whose vendor the databases do not know.
#include <optional>
#include <string>
#include <vector>

#include "common/json.h"
#include "ids/id_names.h"
#include "support/tool/tool_fixture.h"

namespace mfgtool::test {
namespace {

// A database in pci.ids' form: comments, a vendor's devices and their
// subsystems (one subsystem under two devices), a device ID given twice (the
// first line names it), and the class table that follows the vendors.
const char* const kPciIds =
    "# comment line\n"
    "1a2b  Example Vendor\n"
    "\t0001  Display Adapter\n"
    "\t\t0101 c0de  Example Board\n"
    "# a comment inside a vendor's block\n"
    "\t0002  Network Adapter\n"
    "\t\t0101 c0de  Network Board\n"
    "\t0001  A second line of an ID already named\n"
    "8086  Intel Corporation\n"
    "\t1234  Some Device\n"
    "C 02  Network controller\n"
    "\t00  Ethernet controller\n";

TEST(IdNames, NamesVendorDeviceAndSubsystemFromTheDatabase) {
    const ScratchFolder scratch{"idnames", ScratchPlace::hostTemp};
    writeText(scratch.hostFolder() / "pci.ids", kPciIds);
    const IdNames names((scratch.hostFolder() / "pci.ids").string());
    const struct {
        const char* id;
        std::optional<std::string> name;
    } cases[] = {
        {"1A2B0001C0DE0101", "Example Vendor Display Adapter (Example Board)"},
        {"1A2B0001", "Example Vendor Display Adapter"},
        {"1a2b0002", "Example Vendor Network Adapter"},
        {"1A2B0002C0DE0101", "Example Vendor Network Adapter (Network Board)"},
        {"1A2B0003", "Example Vendor device 0003"},  // a device the vendor lacks
        {"PCI\\VEN_8086&DEV_1234&SUBSYS_00000000", "Intel Corporation Some Device"},
        {"0002ffff", std::nullopt},  // no such vendor
        {"ACPI0003", std::nullopt},  // not hexadecimal
        {"1A2B000", std::nullopt},   // neither 8 nor 16 digits
    };
    for (const auto& c : cases) EXPECT_EQ(names.nameOfId(c.id), c.name) << c.id;
    // The class table after the vendors is not taken for a vendor.
    EXPECT_EQ(names.vendorName(Bus::pci, 0x0002), std::nullopt);
    EXPECT_FALSE(names.has(Bus::usb));
}

TEST(IdNames, AMissingDatabaseNamesNothing) {
    for (const std::string& where : {std::string(""), std::string("/nowhere/pci.ids")}) {
        const IdNames names(where);
        EXPECT_FALSE(names.has(Bus::pci)) << where;
        EXPECT_EQ(names.nameOfId("8086A0F0"), std::nullopt) << where;
    }
}

#ifdef MFGLIST_ID_DATABASE_FOLDER
// The databases the packages install (pci.ids, usb.ids).
class ToolIdNames : public ToolTest {
protected:
    void SetUp() override {
        ToolTest::SetUp();
        if (!IdNames(MFGLIST_ID_DATABASE_FOLDER).has(Bus::pci))
            GTEST_SKIP() << "no pci.ids in " << MFGLIST_ID_DATABASE_FOLDER;
    }
};

TEST_F(ToolIdNames, LintNotesAVendorAndDeviceWrittenTheWrongWayRound) {
    writeText(scratch / "DrvProc.ini",
              "[LAN]\r\nNAME=LAN\r\nHARDID=169214E4\r\nTYPE=NETCARD\r\nID=1\r\n"
              "EXEPATH=$TESTDIR\\LAN\\SETUP.EXE\r\nEXEPATHVISTA32=$TESTDIR\\LAN\\SETUP.EXE\r\n");
    writeText(scratch / "DrvCofg.ini", "");
    writeText(scratch / "SoftProc.ini", "");
    const std::vector<std::string> lint = {"lint", scratch.string(), "--cdrom", "--kind", "driver"};
    std::vector<std::string> named = lint;
    named.insert(named.end(), {"--id-names", MFGLIST_ID_DATABASE_FOLDER});
    const Outcome withNames = runTool(named);
    EXPECT_NE(withNames.out.find("[unknown-vendor]"), std::string::npos) << withNames.out;
    EXPECT_NE(withNames.out.find("write HARDID=14E41692"), std::string::npos) << withNames.out;
    // Without the databases the rule says nothing.
    EXPECT_EQ(runTool(lint).out.find("[unknown-vendor]"), std::string::npos);
}

TEST_F(ToolIdNames, CaptureNamesEachDeviceItsDatabaseKnows) {
    if (!hostDrives(scratch)) GTEST_SKIP() << "sysfs trees are read on Linux";
    const Outcome outcome =
        runTool({"ids", "--root", MFGLIST_SYSFS_FOLDER, "--id-names", MFGLIST_ID_DATABASE_FOLDER});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    // 046D:C52B, a USB receiver every usb.ids names.
    EXPECT_NE(outcome.out.find("# USB 1-1: Logitech"), std::string::npos) << outcome.out;
}
// preview and explain name the device no entry claims, and explain the
// host ID that matched nothing; without a database the IDs stand alone.
TEST_F(ToolIdNames, PreviewAndExplainNameTheDevicesTheyShow) {
    writeText(scratch / "ids.txt", "1A2B0001C0DE0101\n10EC8168\n");
    const std::vector<std::string> run = {cdrom().string(), "--cdrom", "--ids-file",
                                          (scratch / "ids.txt").string()};
    const auto with = [&](const char* command, std::vector<std::string> more) {
        std::vector<std::string> args = {command};
        args.insert(args.end(), run.begin(), run.end());
        args.insert(args.end(), more.begin(), more.end());
        return runTool(args);
    };
    const std::vector<std::string> named = {"--id-names", MFGLIST_ID_DATABASE_FOLDER};
    const Outcome json = with("preview", {"--json", "--id-names", MFGLIST_ID_DATABASE_FOLDER});
    ASSERT_EQ(json.status, 0) << json.err;
    const Json preview = Json::parse(json.out);
    const std::string realtek = preview["coverage"]["uncovered_devices"][0].value("name", "");
    EXPECT_EQ(realtek.rfind("Realtek", 0), 0u) << json.out;
    const struct {
        const char* command;
        std::string line;  // with the databases
        std::string bare;  // without them
    } cases[] = {
        {"preview", "  " + realtek + ": 10EC8168\n", "  IDs: 10EC8168\n"},
        {"explain", "  \"10EC8168\"  " + realtek + "\n", "  \"10EC8168\"\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        const Outcome withNames = with(c.command, named);
        EXPECT_NE(withNames.out.find(c.line), std::string::npos) << withNames.out;
        const Outcome bare = with(c.command, {});
        EXPECT_EQ(bare.status, withNames.status);
        EXPECT_EQ(bare.out.find("Realtek"), std::string::npos);
        EXPECT_NE(bare.out.find(c.bare), std::string::npos) << bare.out;
    }
}
#endif

}  // namespace
}  // namespace mfgtool::test

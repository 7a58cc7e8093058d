// ID files and capturing a machine as one: an ID file's text in every
// encoding, the header read back as it was written, the forms made from a device's numbers or from
// Windows' own ID strings, and `mfglist ids` run on the sysfs tree under tests/tool/sysfs, whose
// file gives the library the IDs it holds.
#include <algorithm>

#include "common/errors.h"
#include "ids/device.h"
#include "ids/id_file.h"
#include "ids/id_file_header.h"
#include "ids/id_forms.h"
#include "support/tool/tool_fixture.h"

namespace mfgtool::test {
namespace {

using namespace mfgtool;

TEST(IdFileHeaderText, ReadsBackWhatItWritesAndWarnsOfFormsThatCannotMatch) {
    const IdFileHeader headers[] = {
        {"Golden A",
         std::nullopt,
         std::nullopt,
         "compact",
         {},
         "2026-12-08T21:00:00Z",
         "pc",
         "mfglist 1"},
        {"B", "vista", "driver", "template", {"{VEN}{DEV}", "PCI:{SUBSYS}"}, "", "", ""},
        {"", std::nullopt, std::nullopt, "pnp", {}, "", "host: colon", ""},
    };
    for (const IdFileHeader& header : headers) {
        const IdFileHeader read =
            readIdFileHeader(formatIdFileHeader(header) + "\n1A2B0001\n# x: y\n");
        EXPECT_EQ(formatIdFileHeader(read), formatIdFileHeader(header));
    }
    const struct {
        IdFileHeader header;
        std::vector<std::size_t> hardIds;
        bool warns;
    } cases[] = {
        {{"", {}, {}, "compact", {}, "", "", ""}, {8, 16}, false},
        {{"", {}, {}, "pnp", {}, "", "", ""}, {8, 16}, true},
        {{"", {}, {}, "pnp", {}, "", "", ""}, {8, 41}, false},  // HARDIDs in pnp form too
        {{"", {}, {}, "template", {"{VEN}{DEV}{REV}"}, "", "", ""}, {8}, false},  // a family prefix
        {{"", {}, {}, "template", {"{VEN}-{DEV}"}, "", "", ""}, {16}, true},
        {{"", {}, {}, "", {}, "", "", ""}, {16}, false},  // no header: nothing to tell
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.header.form + (c.header.templates.empty() ? "" : c.header.templates[0]));
        EXPECT_EQ(!formMismatch(c.header, c.hardIds).empty(), c.warns);
    }
}

// Two characters no single-byte code page has.
const std::string kWide = "\xE6\xBC\xA2\xE5\xAD\x97";

TEST(ToolIds, EveryEncodingGivesTheCodePageBytes) {
    const std::string ids = "# machine\r\n R\xC3\xA9seau \r\n;skip\r\n\r\nACPI0003";
    std::string utf16 = "\xFF\xFE";
    for (const char c : std::string("R\xE9seau\nX")) utf16 += std::string{c, '\0'};
    const struct {
        std::string text;
        IdLines mode;
        std::vector<std::string> expected;
    } cases[] = {
        {ids, IdLines::tidy, {"R\xE9seau", "ACPI0003"}},
        {"\xEF\xBB\xBF" + ids, IdLines::tidy, {"R\xE9seau", "ACPI0003"}},
        {utf16, IdLines::tidy, {"R\xE9seau", "X"}},
        {"R\xE9seau\r\n", IdLines::tidy, {"R\xE9seau"}},  // already the code page's bytes
        {"\xEF\xBB\xBF A \r\n\r\n#B", IdLines::verbatim, {" A ", "", "#B"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(idsFromText(c.text, c.mode, 1252, "ids"), c.expected);
    }
    try {
        idsFromText("A\n" + kWide + "\n", IdLines::tidy, 1252, "ids.txt");
        ADD_FAILURE() << "no error";
    } catch (const UsageError& e) {
        EXPECT_NE(std::string(e.what()).find("ids.txt line 2"), std::string::npos) << e.what();
    }
    // A broken UTF-16 text is named for what it is; a long line is quoted
    // by a short start only.
    const struct {
        std::string text;
        std::string says;
    } broken[] = {
        {std::string("\xFF\xFE"
                     "A\0\n\0\x00\xD8",
                     8),
         "ids.txt line 2: a lone UTF-16 surrogate 0xD800"},
        {std::string("\xFF\xFE"
                     "A\0\n\0"
                     "B",
                     7),
         "ids.txt line 2: the UTF-16 text ends in an odd byte"},
        {std::string(100000, 'B') + kWide, "\"" + std::string(40, 'B') + "...\" has a character"},
    };
    for (const auto& b : broken) {
        try {
            idsFromText(b.text, IdLines::tidy, 1252, "ids.txt");
            ADD_FAILURE() << "no error for " << b.says;
        } catch (const UsageError& e) {
            EXPECT_NE(std::string(e.what()).find(b.says), std::string::npos) << e.what();
            EXPECT_LT(std::string(e.what()).size(), 300u);
        }
    }
}

TEST(MultiString, SplitsWithinItsSizeWhateverTheBufferEndsWith) {
    const struct {
        std::string bytes;  // as SetupAPI returned them, size included
        std::vector<std::string> strings;
    } cases[] = {
        {std::string("PCI\\VEN_1A2B&DEV_0001\0PCI\\CC_0300\0\0", 35),
         {"PCI\\VEN_1A2B&DEV_0001", "PCI\\CC_0300"}},
        {std::string("ROOT\\ONE\0", 9), {"ROOT\\ONE"}},  // the list's NUL missing
        {std::string("ROOT\\ONE\0ROOT\\TW", 16), {"ROOT\\ONE", "ROOT\\TW"}},  // cut mid-string
        {std::string("A\0\0stale", 8), {"A"}},  // past the end of the list
        {std::string("\0", 1), {}},
        {std::string(), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        // A copy of exactly the given size, so that a read past it is caught.
        const std::vector<char> buffer(c.bytes.begin(), c.bytes.end());
        EXPECT_EQ(splitMultiString(buffer.data(), buffer.size()), c.strings);
    }
}

TEST(CaptureForms, WindowsStringsGiveTheFormsLinuxMakesFromNumbers) {
    // Recorded from Windows XP's device manager: a display adapter, a USB
    // mouse, an ACPI device and a bridge whose subsystem is 0000:0000.
    const struct {
        std::vector<std::string> windowsIds;
        std::vector<std::string> compact;
        std::vector<std::string> templated;  // {SUBVEN}.{REV} and {CLASS}
    } cases[] = {
        {{"PCI\\VEN_1A2B&DEV_0001&SUBSYS_C0DE0101&REV_03", "PCI\\VEN_1A2B&DEV_0001&SUBSYS_C0DE0101",
          "PCI\\VEN_1A2B&DEV_0001&CC_030000", "PCI\\VEN_1A2B&DEV_0001&CC_0300"},
         {"1A2B0001C0DE0101", "1A2B0001"},
         {"0101.03", "030000"}},
        {{"USB\\Vid_046d&Pid_c52b&Rev_1211", "USB\\Vid_046d&Pid_c52b"}, {"046DC52B"}, {}},
        {{"ACPI\\PNP0A08", "*PNP0A08"}, {"PNP0A08"}, {}},
        {{"PCI\\VEN_8086&DEV_2448&SUBSYS_00000000&REV_D9", "PCI\\VEN_8086&DEV_2448&CC_0604"},
         {"80862448"},
         {}},
        {{"PCI\\VEN_12&DEV_XYZW"}, {}, {}},
    };
    const CaptureForm compact = captureForm(std::nullopt, {});
    const CaptureForm templated = captureForm(std::nullopt, {"{SUBVEN}.{REV}", "{CLASS}"});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.windowsIds[0]);
        const Device device = deviceFromWindowsIds(c.windowsIds);
        EXPECT_EQ(idsOf(device, compact), c.compact);
        EXPECT_EQ(idsOf(device, templated), c.templated);
        EXPECT_EQ(idsOf(device, captureForm("pnp", {})), c.windowsIds);  // Windows' own, unchanged
    }
    const struct {
        std::optional<std::string> form;
        std::vector<std::string> templates;
        std::string message;
    } bad[] = {
        {std::nullopt, {"{VEN}{FOO}"}, "unknown field {FOO}"},
        {std::nullopt, {"{VEN"}, "without its '}'"},
        {"compact", {"{VEN}"}, "give one of them"},
        {"lower", {}, "unknown form lower"},
    };
    for (const auto& b : bad) {
        try {
            captureForm(b.form, b.templates);
            ADD_FAILURE() << b.message;
        } catch (const UsageError& e) {
            EXPECT_NE(std::string(e.what()).find(b.message), std::string::npos) << e.what();
        }
    }
}

fs::path sysfsTree() { return fs::path(MFGLIST_SYSFS_FOLDER); }

// The ID file without its lines that change from run to run.
std::string withoutRunLines(const std::string& text) {
    std::string kept;
    for (const std::string& line : lines(text))
        if (line.rfind("# captured: ", 0) != 0 && line.rfind("# tool: ", 0) != 0)
            kept += line + "\n";
    return kept;
}

class ToolCapture : public ToolTest {
protected:
    void SetUp() override {
        // On Windows a sysfs name's ':' cannot be a file name's.
        if (!hostDrives(scratch)) GTEST_SKIP() << "sysfs trees are read on Linux";
        ToolTest::SetUp();
    }
};

TEST_F(ToolCapture, EachFormOfTheTreeAsExpectedWithEveryOddEntryNamed) {
    const struct {
        const char* expected;
        std::vector<std::string> args;
    } cases[] = {
        {"ids-compact.txt", {}},
        {"ids-pnp.txt", {"--form", "pnp"}},
        {"ids-template.txt",
         {"--template", "{VEN}{DEV}{SUBSYS}{REV}", "--template", "PCI:{VEN}-{DEV}-{CLASS}"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        std::vector<std::string> args = {"ids", "--root", sysfsTree().string(), "--model",
                                         "Golden A"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Outcome outcome = runTool(args);
        ASSERT_EQ(outcome.status, 0) << outcome.err;
        EXPECT_EQ(withoutRunLines(outcome.out),
                  readText(fs::path(MFGLIST_EXPECTED_FOLDER) / c.expected));
        EXPECT_NE(outcome.out.find("# tool: mfglist "), std::string::npos);
        const std::vector<std::string> notes = lines(outcome.err);
        for (const char* named : {"PCI 0000:00:1f.0: no revision", "PCI 0000:00:1f.3: cannot read",
                                  "PCI 0000:00:1f.4: class holds \"0x0c05\"", "PCI 0000:00:1f.6: "})
            EXPECT_EQ(std::count_if(notes.begin(), notes.end(),
                                    [&](const std::string& note) {
                                        return note.find(named) != std::string::npos;
                                    }),
                      1)
                << named << "\n"
                << outcome.err;
        EXPECT_EQ(notes.size(), 4u) << outcome.err;
    }
}

TEST_F(ToolCapture, TheFileGivesTheLibraryItsIdsAndPreviewWarnsOfAFormThatCannotMatch) {
    const fs::path file = scratch / "catalogue" / "GoldenA.txt";
    fs::create_directories(file.parent_path());
    for (const char* form : {"compact", "pnp"}) {
        SCOPED_TRACE(form);
        const Outcome captured =
            runTool({"ids", "--root", sysfsTree().string(), "--form", form, "-o", file.string()});
        ASSERT_EQ(captured.status, 0) << captured.err;
        const std::string text = readText(file);
        EXPECT_EQ(text.rfind("# model: GoldenA\n# form: " + std::string(form) + "\n", 0), 0u)
            << text;
        std::string expected;
        for (const std::string& line : lines(text))
            if (!line.empty() && line[0] != '#')
                expected += std::string(expected.empty() ? "" : ",") + "<" + line + ">";
        const fs::path record = scratch / "record.txt";
        fs::remove(record);
        const Outcome preview = runTool(
            {"preview", factory().string(), "--ids-file", file.string(), "--library",
             recordingLibraryFile().string()},
            {{"MFGLIST_FAKE_RECORD", record.string()}, {"MFGLIST_FAKE_LIST", std::nullopt}});
        const std::vector<std::string> calls = lines(readText(record));
        ASSERT_EQ(calls.size(), 2u) << preview.err;
        EXPECT_NE(calls[1].find("|" + expected + "|"), std::string::npos) << calls[1];
        EXPECT_EQ(preview.err.find("captured in form pnp") != std::string::npos,
                  std::string(form) == "pnp")
            << preview.err;
    }
}

TEST_F(ToolCapture, BadRootsAndEmptyMachines) {
    writeText(scratch / "a-file", "not a tree\n");
    const std::string kept = (scratch / "kept.txt").string();
    writeText(kept, "an earlier capture\n");
    fs::create_directories(scratch / "empty" / "sys" / "bus" / "pci" / "devices");
    const struct {
        std::vector<std::string> args;
        int status;
        std::string message;
    } cases[] = {
        {{"--root", (scratch / "a-file").string()}, 2, "is not a folder"},
        {{"--root", (scratch / "nowhere").string()}, 2, "no folder"},
        {{"--root", (scratch / "empty").string(), "-o", kept}, 4, "found no device under"},
        {{"--root", sysfsTree().string(), "--template", "{SUBSYS}{BUS}"}, 2, "unknown field {BUS}"},
        {{"--root", sysfsTree().string(), "-o", (scratch / "none" / "x.txt").string()},
         2,
         "no folder"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"ids"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Outcome outcome = runTool(args);
        EXPECT_EQ(outcome.status, c.status) << c.message;
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(outcome.err.rfind("mfglist: ", 0), 0u) << outcome.err;
        EXPECT_NE(outcome.err.find(c.message), std::string::npos) << outcome.err;
    }
    EXPECT_EQ(readText(kept), "an earlier capture\n");  // a failed capture replaces nothing
}

// This machine, through sysfs or SetupAPI: a file of the catalogue's form.
// Wine's device set is small, and a container may show no device at all:
// status 4 with its message is right then.
TEST(ToolCaptureOfThisMachine, AWellFormedFileOrNoDevice) {
    const Outcome outcome = runTool({"ids", "--form", "pnp"});
    if (outcome.status == 4) {
        EXPECT_NE(outcome.err.find("no device"), std::string::npos) << outcome.err;
        return;
    }
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const IdFileHeader header = readIdFileHeader(outcome.out);
    EXPECT_EQ(header.form, "pnp");
    EXPECT_FALSE(header.captured.empty());
    EXPECT_EQ(header.tool.rfind("mfglist ", 0), 0u);
    std::vector<std::string> ids;
    for (const std::string& line : lines(outcome.out)) {
        if (line.empty() || line[0] == '#') continue;
        // Read back as written: an --ids-file drops blanks around an ID.
        EXPECT_TRUE(line.find_first_of(" \t\r") != 0 && line.back() != ' ' && line.back() != '\r')
            << line;
        ids.push_back(line);
    }
    ASSERT_FALSE(ids.empty()) << outcome.out;
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end()) << "an ID written twice";
}

// A copied tree read with --root is all that is read: a link that climbs
// out of it (to this machine's own /sys, or anywhere) is refused with a
// note, for a device's entry and for one of its attributes.
TEST_F(ToolCapture, LinksThatLeaveTheTreeAreRefused) {
    const fs::path tree = scratch / "tree";
    fs::copy(sysfsTree(), tree, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    const fs::path outside = scratch / "outside";
    fs::create_directories(outside);
    for (const auto& [name, value] :
         {std::pair<const char*, const char*>{"vendor", "0xabcd"}, {"device", "0x1234"}})
        writeText(outside / name, std::string(value) + "\n");
    const fs::path devices = tree / "sys" / "bus" / "pci" / "devices";
    std::string climb;
    for (int i = 0; i < 40; ++i) climb += "../";
    fs::create_directory_symlink(climb + (outside.relative_path()).string(),
                                 devices / "0000:7f:00.0");
    const fs::path known = tree / "sys" / "devices" / "pci0000:00" / "0000:00:02.0";
    fs::remove(known / "vendor");
    fs::create_symlink(climb + (outside / "vendor").relative_path().string(), known / "vendor");
    const Outcome outcome = runTool({"ids", "--root", tree.string()});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out.find("ABCD"), std::string::npos) << outcome.out;
    EXPECT_NE(outcome.err.find("0000:7f:00.0 is a link that leads out of the tree read"),
              std::string::npos)
        << outcome.err;
    EXPECT_NE(outcome.err.find("0000:00:02.0: vendor is a link that leads out of the tree read"),
              std::string::npos)
        << outcome.err;
}

}  // namespace
}  // namespace mfgtool::test

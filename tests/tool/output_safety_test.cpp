// No output of a command may overwrite a file the same run reads, whatever
// the spelling of either.
#include "support/tool/tool_fixture.h"

namespace mfgtool::test {
namespace {

class ToolOutputSafety : public ToolTest {
protected:
    fs::path models() const { return examples() / "models"; }
};

TEST_F(ToolOutputSafety, AnOutputThatIsAnInputIsRefusedAndTheInputStays) {
    const std::string ids = (examples() / "ids.txt").string();
    // A model whose list file would be the CD-ROM's own driver file.
    fs::copy_file(models() / "office-5010.ids", models() / "DrvProc.ids");
    const struct {
        const char* what;
        std::vector<std::string> args;
        fs::path input;
    } cases[] = {
        {"preview over its process file",
         {"preview", factory().string(), "--output", (factory() / "MfgProc.ini").string()},
         factory() / "MfgProc.ini"},
        {"preview over its process file, spelt another way",
         {"preview", cdrom().string(), "--cdrom", "--ids-file", ids, "--output",
          (cdrom() / ".." / "cdrom" / "DrvCofg.ini").string()},
         cdrom() / "DrvCofg.ini"},
        {"preview over its IDs file",
         {"preview", factory().string(), "--ids-file", ids, "--output", ids},
         examples() / "ids.txt"},
        {"explain over its process file",
         {"explain", factory().string(), "--output", (factory() / "MfgProc.ini").string()},
         factory() / "MfgProc.ini"},
        {"matrix --html over a model file",
         {"matrix", cdrom().string(), "--cdrom", "--models", models().string(), "--html",
          (models() / "kiosk-k1.ids").string()},
         models() / "kiosk-k1.ids"},
        {"matrix --html over the ignore file",
         {"matrix", cdrom().string(), "--cdrom", "--models", models().string(), "--html",
          (models() / "ignore.ids").string()},
         models() / "ignore.ids"},
        {"matrix --lists over a process file",
         {"matrix", cdrom().string(), "--cdrom", "--models", models().string(), "--lists",
          cdrom().string()},
         cdrom() / "DrvProc.ini"},
        {"impact --html over a process file",
         {"impact", cdrom().string(), cdrom().string(), "--cdrom", "--models", models().string(),
          "--html", (cdrom() / "SoftProc.ini").string()},
         cdrom() / "SoftProc.ini"},
        {"lint --write-baseline over its process file",
         {"lint", factory().string(), "--baseline", (factory() / "MfgProc.ini").string(),
          "--write-baseline"},
         factory() / "MfgProc.ini"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string before = readText(c.input);
        const Outcome outcome = runTool(c.args);
        EXPECT_EQ(outcome.status, 2) << outcome.err;
        expectOneErrorLine(outcome, "that this run reads");
        EXPECT_NE(outcome.err.find(c.input.filename().string()), std::string::npos) << outcome.err;
        EXPECT_EQ(readText(c.input), before);
    }
}

}  // namespace
}  // namespace mfgtool::test

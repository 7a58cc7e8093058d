// Factory calls made two ways: through `mfglist host` and through the
// exports called directly with the same arguments.
#pragma once

#include <utility>

#include "run/library.h"
#include "support/tool/tool_fixture.h"

namespace mfgtool::test {

struct HostCall {
    const char* what;
    std::string commandLine;
    int drive;
    int kind;
    std::vector<std::string> ids;
    bool allSoftware;
};

class ToolHost : public ToolTest {
protected:
    std::string forLibrary(const fs::path& native) const {
        return hostPathForLibrary(native, scratch);
    }

    std::vector<HostCall> factoryCalls() const {
        const std::string f = forLibrary(factory());
        const std::string c = forLibrary(cdrom());
        const std::vector<std::string> machine = {"1A2B0001C0DE0101", "1A2B0002C0DE0101",
                                                  "3C4D1000C0DE0101", "5E6F2000C0DE0101",
                                                  "7A8B3000C0DE0101", "ACPI0003"};
        return {
            {"driver list, process file", "SETUP.EXE -P " + f + " -T PRELOAD -F", 0, 0, machine,
             false},
            {"software list, process file",
             "SETUP.EXE -P " + f,
             0,
             1,
             {"MEDIAPLAYER", "RECOVERY"},
             false},
            {"complete software list, second group",
             "SETUP.EXE -P " + f + " -T REWORK -F",
             0,
             1,
             {},
             true},
            {"driver list, CD-ROM files", "SETUP.EXE -D " + c + " -P " + c, 0, 0, machine, false},
            {"software list, CD-ROM files, drive c:",
             "SETUP.EXE -P " + c,
             2,
             1,
             {"MEDIAPLAYER", "PHOTOEDIT"},
             false},
        };
    }

    // Runs `call` through `mfglist host` and through the exports directly;
    // returns the two list files' contents ("" when none was written).
    std::pair<std::string, std::string> bothWays(const HostCall& call) {
        const std::optional<std::string> drives = hostDrives(scratch);
        const fs::path viaHost = scratch / "via-host.ini";
        const fs::path direct = scratch / "direct.ini";
        fs::remove(viaHost);
        fs::remove(direct);

        std::vector<std::string> args = {"host",
                                         "--command-line",
                                         call.commandLine,
                                         "--drive",
                                         std::to_string(call.drive),
                                         "--kind",
                                         std::to_string(call.kind),
                                         "--output",
                                         forLibrary(viaHost)};
        for (const std::string& id : call.ids) args.insert(args.end(), {"--id", id});
        if (call.allSoftware) args.push_back("--all-software");
        if (drives) args.insert(args.end(), {"--drives", *drives});
        const Outcome outcome = runTool(args);
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        EXPECT_EQ(outcome.out + outcome.err, "");

        const mfgtool::ListLibrary library =
            mfgtool::loadListLibrary(libraryFile().string(), libraryFile().parent_path());
        const std::optional<std::string> savedDrives = environment("MFGLIST_DRIVES");
        if (drives) setEnvironment("MFGLIST_DRIVES", drives);
        std::vector<const char*> ids;
        for (const std::string& id : call.ids) ids.push_back(id.c_str());
        const std::string output = forLibrary(direct);
        library.initMfgList(call.kind, call.commandLine.c_str(), call.drive);
        if (call.allSoftware)
            library.createAllSoftIniFile(output.c_str());
        else
            library.createIniFile(static_cast<int>(ids.size()), ids.empty() ? nullptr : ids.data(),
                                  output.c_str());
        setEnvironment("MFGLIST_DRIVES", savedDrives);
        EXPECT_EQ(fs::exists(viaHost), fs::exists(direct));
        return {readText(viaHost), readText(direct)};
    }
};

}  // namespace mfgtool::test

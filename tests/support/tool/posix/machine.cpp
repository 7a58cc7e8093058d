#include "support/tool/run_tool.h"

#include "scratch/scratch_machine.h"

namespace mfgtool::test {

std::string previewFolderForLibrary(const fs::path&) { return "P:\\"; }

std::optional<std::string> hostDrives(const fs::path& root) {
    mfg::scratch::DriveMap drives = mfg::scratch::makeDriveFolders(root, "CD").drives;
    drives['E'] = root;
    return mfg::scratch::driveMapText(drives);
}

std::string hostPathForLibrary(const fs::path& native, const fs::path& root) {
    std::string rest = fs::relative(native, root).string();
    for (char& c : rest)
        if (c == '/') c = '\\';
    return "E:\\" + rest;
}

UserTraceFiles userTraceFiles(const fs::path& root) {
    fs::create_directories(root / "user-c");
    fs::create_directories(root / "user-d");
    return {root / "user-c" / "vrelDebug.flg",
            root / "user-d" / "ombrix_drvinst.log",
            {{"MFGLIST_DRIVES",
              "C=" + (root / "user-c").string() + ";D=" + (root / "user-d").string()}}};
}

}  // namespace mfgtool::test

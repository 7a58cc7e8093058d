// Start-up from the host's command line: mode, folders, group and the
// CALLFACTORY flag, each decision traced so that a factory engineer can tell
// from the log why a list came out as it did.
#include <string>
#include <string_view>
#include <vector>

#include "listjob/mfg_list.h"
#include "platform/platform.h"
#include "text/mbstring.h"
#include "trace/trace_log.h"

namespace mfg {

namespace {

constexpr char kProcFileName[] = "MfgProc.ini";
constexpr char kDefaultGroup[] = "PRELOAD";
constexpr char kCdRomSwitch[] = "-CDROM";

// Positions of the hyphens that start an option: the first character of the
// line or one right after white space.  A hyphen inside a value (C:\MY-PROC)
// belongs to the value; the walk goes by characters so that a double-byte
// character is never split.
std::vector<std::size_t> optionStarts(std::string_view line, const text::CodePage& cp) {
    std::vector<std::size_t> starts;
    bool afterSpace = true;
    for (std::size_t pos = 0; pos < line.size();) {
        const unsigned len = cp.charLength(line.data(), line.size(), pos);
        if (len == 1 && line[pos] == '-' && afterSpace) starts.push_back(pos);
        afterSpace = len == 1 && text::isAsciiSpace(line[pos]);
        pos += len;
    }
    return starts;
}

// A directory value always ends in a backslash.  The test looks at the last
// character, not the last byte: in a double-byte page a trail byte 0x5C
// belongs to a letter and is no separator.
std::string withClosingBackslash(std::string_view value, const text::CodePage& cp) {
    std::string dir(value);
    const bool endsInBackslash =
        !dir.empty() && dir.back() == '\\' && text::isCharBoundary(dir, dir.size() - 1, cp);
    if (!endsInBackslash) dir += '\\';
    return dir;
}

// Text before the first option (the host's own program path) is skipped;
// each option runs to the next one.  A later option overwrites an earlier.
void takeOptions(std::string_view line, const text::CodePage& cp,
                 listjob::StartUpSettings& startUp) {
    const std::vector<std::size_t> starts = optionStarts(line, cp);
    for (std::size_t i = 0; i < starts.size(); ++i) {
        const std::size_t begin = starts[i] + 1;
        const std::size_t end = i + 1 < starts.size() ? starts[i + 1] : line.size();
        const std::string_view raw = line.substr(begin, end - begin);
        // Only an empty option ends the options: two hyphens in a row, or a
        // hyphen at the very end.  A hyphen standing alone between blanks
        // gives a blank option, which is skipped.
        if (raw.empty() || raw[0] == '-') break;
        const std::string_view option = text::trimAsciiSpace(raw);
        if (option.empty()) continue;
        // Leading blanks of the value stay until the final trim, after the
        // closing backslash is added.
        const std::string_view value = option.substr(1);
        switch (option[0]) {
            case 'D':
                startUp.workDir = withClosingBackslash(value, cp);
                break;
            case 'F':
                startUp.callFactory = 1;
                TraceLog("===== SET CALLFACTORY = TRUE ");
                break;
            case 'P':
                startUp.procDir = withClosingBackslash(value, cp);
                startUp.procFile = startUp.procDir + kProcFileName;
                break;
            case 'T':
                startUp.groupName = std::string(value);
                break;
            default:
                break;
        }
    }
}

}  // namespace

int CMfgList::ParseCommandLine(const std::string& commandLine) {
    return ParseCommandLine(commandLine, text::CodePage::active());
}

int CMfgList::ParseCommandLine(const std::string& commandLine, const text::CodePage& cp) {
    TraceLog("===== COMMAND = %s", commandLine.c_str());
    if (commandLine.empty()) return 0;

    const std::string line = text::toUpperAscii(commandLine, cp);
    startUp.cdRom = 0;

    // The CD-ROM media's host may pass the switch glued to anything, so it is
    // looked for anywhere; no other option counts on that media.
    if (text::find(line, kCdRomSwitch, 0, cp) != std::string::npos) {
        TraceLog("===== RUN BY CDROM OR RUN DRVINST NOT PARAM");
        TraceLog("===== (1) SET CALLFACTORY = FALSE ");
        TraceLog("===== (2) SET CDROM = TRUE ");
        TraceLog("===== (3) SET WORKPATH = CURRENT ");
        TraceLog("===== (4) SET MFGFILE = CONFIG ");
        startUp.cdRom = 1;
        startUp.callFactory = 0;
        startUp.workDir = GetModulePath(std::string());
        startUp.groupName = kDefaultGroup;
        startUp.procDir = startUp.workDir;
        return 1;
    }

    takeOptions(line, cp, startUp);

    if (startUp.workDir.empty()) startUp.workDir = GetModulePath(std::string());
    if (startUp.groupName.empty()) startUp.groupName = kDefaultGroup;
    if (startUp.procDir.empty()) {
        startUp.procDir = startUp.workDir;
        startUp.procFile = startUp.procDir + kProcFileName;
    }
    startUp.workDir = std::string(text::trimAsciiSpace(startUp.workDir));
    startUp.groupName = std::string(text::trimAsciiSpace(startUp.groupName));
    startUp.procFile = std::string(text::trimAsciiSpace(startUp.procFile));
    startUp.procDir = std::string(text::trimAsciiSpace(startUp.procDir));

    // Without its process file the run falls back to the CD-ROM media's fixed
    // files, looked for in the same folder.
    if (!platform::pathExists(startUp.procFile)) {
        TraceLog("===== NOT FIND = %s ,BY CDROM PROCFILE", startUp.procFile.c_str());
        TraceLog("===== (1) SET CALLFACTORY = FALSE ");
        TraceLog("===== (2) SET CDROM = TRUE ");
        startUp.cdRom = 1;
        startUp.callFactory = 0;
    }

    TraceLog("===== WORKDIR = %s", startUp.workDir.c_str());
    TraceLog("===== GROUPNAME = %s", startUp.groupName.c_str());
    TraceLog("===== MFGPATH = %s", startUp.procDir.c_str());
    return 1;
}

}  // namespace mfg

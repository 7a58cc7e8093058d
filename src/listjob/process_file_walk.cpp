// A list is made from whole process files only.  A scratched CD-ROM or a
// dropped network share ends a read part-way; taken for the end of the file,
// that would ship a machine without the drivers of the rest of the file, and
// say nothing.  So a file that is there but cannot be read to its end fails
// the list run: the trace says why, and the list file stays as it was.
#include <string>

#include "listjob/mfg_list.h"
#include "output/list_file.h"
#include "platform/platform.h"
#include "profile/profile_unicode.h"
#include "reader/parse_ini_file.h"
#include "text/codepage.h"
#include "text/mbstring.h"
#include "trace/trace_log.h"

namespace mfg {

namespace {

void traceUnrepresentable(const std::string& path, std::size_t count) {
    if (count == 0) return;
    TraceLog("********** %d CHARACTERS NOT IN THE CODE PAGE, READ AS ? : MFGFILE = %s",
             static_cast<int>(count), path.c_str());
}

// The list run fails: what it wrote so far never reaches the list file.
void abandonList(output::ListFile& file, const std::string& path, const std::string& reason) {
    const std::string why =
        reason.empty() ? "READ ERROR" : text::toUpperAscii(reason, text::CodePage::active());
    TraceLog("********** CANNOT READ MFGFILE = %s (%s)", path.c_str(), why.c_str());
    file.abandon();
}

}  // namespace

int CMfgList::openProcessFile(output::ListFile& file, CParseIniFile& reader) {
    if (reader.OpenFile(startUp.procFile) == 1) return 1;
    if (platform::pathExists(startUp.procFile)) {
        abandonList(file, startUp.procFile, reader.readError());
    } else {
        TraceLog("********** CANNOT OPEN MFGFILE = %s", startUp.procFile.c_str());
    }
    return 0;
}

int CMfgList::endProcessFileWalk(output::ListFile& file, CParseIniFile& reader) {
    traceUnrepresentable(startUp.procFile, reader.unrepresentableCount());
    const std::string error = reader.readError();
    reader.CloseFile();
    if (error.empty()) return 1;
    abandonList(file, startUp.procFile, error);
    return 0;
}

bool CMfgList::readProcessFileText(output::ListFile& file, std::string& text) {
    text.clear();
    std::string bytes, error;
    if (!platform::readWholeFile(startUp.procFile, bytes, &error)) {
        if (!platform::pathExists(startUp.procFile)) return true;  // no settings to read
        abandonList(file, startUp.procFile, error);
        return false;
    }
    std::size_t unrepresentable = 0;
    if (!profile::decodeFileText(bytes, text::CodePage::active(), text, unrepresentable)) {
        abandonList(file, startUp.procFile, profile::kUnsupportedEncoding);
        return false;
    }
    traceUnrepresentable(startUp.procFile, unrepresentable);
    return true;
}

}  // namespace mfg

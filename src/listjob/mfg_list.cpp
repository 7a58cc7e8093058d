// The list object's life: construction with the whole start-up, and the
// release of everything a run collected (the list requests are in
// list_requests.cpp).
#include "listjob/mfg_list.h"

#include "listjob/decision_observer.h"

#include "reader/parse_ini_file.h"

namespace mfg {

CMfgList::CMfgList(int kind, const char* commandLine, int driveNumber) {
    startUp.listKind = kind;
    // Only the low byte names the drive, counted from 'a' in 8 bits: 2 is c:.
    // The host passes 0 when it has no drive to offer.
    const unsigned char drive = static_cast<unsigned char>(driveNumber & 0xFF);
    if (drive != 0) {
        const char letter = static_cast<char>(static_cast<unsigned char>('a' + drive));
        // A letter that wraps round to NUL ends the text, as in a C string.
        if (letter != '\0') startUp.workDir = std::string(1, letter) + ":\\";
    }
    ParseCommandLine(commandLine ? commandLine : "");
    DetectOsVersion();
}

// Records left in the driver list would be released with it, but FreeItems
// has emptied it before every destruction that ends a create call.
CMfgList::~CMfgList() = default;

int CMfgList::FreeItems() {
    // The reader goes first: the next list run must start with a fresh one
    // and not with a file this run left open.
    CParseIniFile::ReleaseInstance();
    request.driverList.clear();
    request.driverIndex.clear();
    if (decisionObserver) decisionObserver->heldOrigins.clear();
    return 1;
}

}  // namespace mfg

// A factory process file and the list file it makes, and a list file as the
// host reads it.
#pragma once

#include <string>

#include "platform/platform.h"
#include "support/profile_calls.h"

namespace mfg::test {

// Two drivers of the group, software of the group, and a driver of another
// group: the driver list of the group holds exactly the first two.
inline constexpr char kExampleProcess[] =
    "[PRELOAD]\r\nLOG_FILE=$TESTDIR\\install.log\r\nLANGUAGEID=0409\r\n"
    "[AUDIO01]\r\nGROUP=PRELOAD\r\nNAME=Audio driver\r\nID=20\r\nHARDID=1A2B3C4D\r\n"
    "DESCRIPTION=Onboard audio\r\nEXEPATH=$TESTDIR\\AUDIO\\VISTA\\setup.exe\r\n"
    "PACKETNAME=AUDIO\r\nTYPE=SOUND\r\nTIMEOUT=600\r\nVERSION=5.10\r\nCOMMANDLINE=-s\r\n"
    "[OFFICE]\r\nGROUP=PRELOAD\r\nTYPE=SOFTWARE\r\nPACKETNAME=OFFICE\r\n"
    "[VGA01]\r\nGROUP=preload\r\nID=30\r\nHARDID=5E6F7A8B\r\n"
    "EXEPATH=$TESTDIR\\VGA\\VISTA\\setup.exe\r\nPACKETNAME=VGA\r\nTYPE=DISPLAY\r\n"
    "TIMEOUT=300\r\nREBOOT_COUNT=1\r\n"
    "[LAN01]\r\nGROUP=SERVICE\r\nHARDID=9C0D1E2F\r\nPACKETNAME=LAN\r\nTYPE=NETCARD\r\n";

// What a driver list run over it writes with the working directory
// C:\FACTORY\, without -F, on MFG_WIN_VISTA32.
inline constexpr char kExampleList[] =
    "[SYSTEM]\r\nINDEX=0\r\nCOUNT=2\r\nINSTALLSTATUS=0\r\nLOG_FILE=C:\\FACTORY\\install.log\r\n"
    "HOTKEY=\r\nDEBUG=0\r\nLANGUAGEID=\r\nRUN_BEGINTEST=\r\nRUN_ENDTEST=\r\n"
    "[0]\r\nGROUP=PRELOAD\r\nNAME=Audio driver\r\nID=20\r\nHARDID=1A2B3C4D\r\n"
    "DESCRIPTION=Onboard audio\r\nSELECTPATH=\r\nEXEPATH=C:\\FACTORY\\AUDIO\\VISTA\\setup.exe\r\n"
    "PACKETPATH=C:\\FACTORY\\\r\nPACKETNAME=AUDIO\r\nTYPE=SOUND\r\nTIMEOUT=600\r\n"
    "FIRST_TIMEOUT=0\r\nRESULTVALUE=0\r\nVERSION=5.10\r\nCOMMANDLINE=-s\r\nLOGFILE=\r\n"
    "FIRST_REBOOT_COUNT=0\r\nREBOOT_COUNT=0\r\nREDAYINSTALL=0\r\n"
    "[1]\r\nGROUP=preload\r\nNAME=VGA\r\nID=30\r\nHARDID=5E6F7A8B\r\nDESCRIPTION=\r\n"
    "SELECTPATH=\r\nEXEPATH=C:\\FACTORY\\VGA\\VISTA\\setup.exe\r\nPACKETPATH=C:\\FACTORY\\\r\n"
    "PACKETNAME=VGA\r\nTYPE=DISPLAY\r\nTIMEOUT=300\r\nFIRST_TIMEOUT=0\r\nRESULTVALUE=0\r\n"
    "VERSION=\r\nCOMMANDLINE=\r\nLOGFILE=\r\nFIRST_REBOOT_COUNT=0\r\nREBOOT_COUNT=1\r\n"
    "REDAYINSTALL=0\r\n";

// COUNT, then the NAME of each entry section, as "COUNT:NAME,NAME,...",
// with "?" for a section that is missing.
inline std::string entryNames(const std::string& listFile) {
    const std::string count = test::readProfileString("SYSTEM", "COUNT", "0", 260, listFile);
    std::string names = count + ":";
    for (int i = 0; i < std::stoi(count); ++i)
        names +=
            (i ? "," : "") + test::readProfileString(std::to_string(i), "NAME", "?", 260, listFile);
    return names;
}

}  // namespace mfg::test

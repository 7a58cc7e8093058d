// Path macros: process files name the machine's folders by macro so that one
// file serves every factory tree, CD-ROM media and Windows installation.
#pragma once

#include <string>
#include <string_view>

#include "items/keys.h"
#include "text/codepage.h"

namespace mfg::items {

// What the macros stand for in one expansion.
struct MacroValues {
    std::string_view testDir;      // $TESTDIR
    std::string_view mfgProcPath;  // $MFGPROCPATH
    std::string_view sectorName;   // $SECTORNAME
    std::string_view packetName;   // $PACKETNAME
    std::string_view windowsDir;   // WINDIR
};

// The macros in the order expandMacros replaces them: each sees what the
// ones before it inserted, so a folder or package name that holds the word
// WINDIR becomes a path to the Windows folder.
inline constexpr Key kMacroOrder[] = {Key::testDirMacro, Key::mfgProcPathMacro,
                                      Key::sectorNameMacro, Key::packetNameMacro, Key::windirMacro};

// Names between percent signs are upper-cased, the macros replaced in a fixed
// order (each step sees what the steps before it inserted), the remaining
// percent signs dropped and doubled backslashes halved.
std::string expandMacros(std::string_view source, const MacroValues& values,
                         const text::CodePage& cp);

// Whether expandMacros may give anything but `source` itself: only a '$', a
// '%', the word WINDIR or a doubled backslash gives a step something to do.
// The bytes are looked at one by one, so in a double-byte code page a text
// may be said to change that stays as it is, never the other way round.
bool expansionMayChange(std::string_view source);

// The Windows directory is the system directory's parent; "" when the
// system directory has no backslash.
std::string windowsDirectoryOf(std::string_view systemDir, const text::CodePage& cp);

}  // namespace mfg::items

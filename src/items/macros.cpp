// Path macros: process files name the machine's folders by macro so that one
// file serves every factory tree, CD-ROM media and Windows installation.
#include <string>
#include <string_view>
#include <utility>

#include "listjob/mfg_list.h"
#include "mfglist/mfglist.h"
#include "platform/platform.h"
#include "text/mbstring.h"

namespace mfg {

namespace {

// Between two percent signs a name is upper-cased so that %windir% and
// %$testdir% match; an unpaired sign upper-cases the rest of the text.  Only
// single-byte letters change: a trail byte such as 0x61 stays as it is.
std::string upperCaseBetweenPercents(std::string_view in, const text::CodePage& cp) {
    std::string out;
    out.reserve(in.size());
    bool inside = false;
    for (std::size_t pos = 0; pos < in.size();) {
        const unsigned len = cp.charLength(in.data(), in.size(), pos);
        char c = in[pos];
        if (len == 1 && c == '%') {
            inside = !inside;
        } else if (len == 1 && inside && c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
        out += c;
        if (len == 2) out += in[pos + 1];
        pos += len;
    }
    return out;
}

// The Windows directory is the system directory's parent.
std::string windowsDirectory(const text::CodePage& cp) {
    std::string systemDir;
    if (!platform::systemDirectory(systemDir)) return std::string();
    std::size_t lastBackslash = std::string::npos;
    for (std::size_t pos = text::findChar(systemDir, '\\', 0, cp); pos != std::string::npos;
         pos = text::findChar(systemDir, '\\', pos + 1, cp))
        lastBackslash = pos;
    // A system directory without any backslash has no parent to name.
    return lastBackslash == std::string::npos ? std::string() : systemDir.substr(0, lastBackslash);
}

// Halves every doubled backslash, so that a folder macro that ends in a
// backslash can be followed by one in the process file.  A text that starts
// with two backslashes is a network path: that pair is its marker and stays.
std::string halveBackslashes(std::string_view in, const text::CodePage& cp) {
    const std::size_t keep = in.substr(0, 2) == "\\\\" ? 2 : 0;
    return std::string(in.substr(0, keep)) + text::replaceAll(in.substr(keep), "\\\\", "\\", cp);
}

const char* keyName(int index) { return MFG_KEY_NAMES[index]; }

}  // namespace

std::string CMfgList::ExpandMacros(std::string source) const {
    return ExpandMacros(std::move(source), text::CodePage::active());
}

std::string CMfgList::ExpandMacros(std::string source, const text::CodePage& cp) const {
    if (source.empty()) return source;

    // Each step sees what the steps before it inserted: a folder that holds
    // the word WINDIR, a percent sign or a doubled backslash is changed too.
    std::string out = upperCaseBetweenPercents(source, cp);
    out = text::replaceAll(out, keyName(MFGKEY_MACRO_TESTDIR), workDir, cp);
    out = text::replaceAll(out, keyName(MFGKEY_MACRO_MFGPROCPATH), procDir, cp);
    out = text::replaceAll(out, keyName(MFGKEY_MACRO_SECTORNAME), sectionName, cp);
    out = text::replaceAll(out, keyName(MFGKEY_MACRO_PACKETNAME), packetName, cp);
    if (!holdsRunValues) {
        out = text::replaceAll(out, keyName(MFGKEY_MACRO_WINDIR), windowsDirectory(cp), cp);
    } else {
        if (!windowsDirOfRun) windowsDirOfRun = windowsDirectory(cp);
        out = text::replaceAll(out, keyName(MFGKEY_MACRO_WINDIR), *windowsDirOfRun, cp);
    }
    out = text::replaceAll(out, "%", "", cp);
    return halveBackslashes(out, cp);
}

}  // namespace mfg

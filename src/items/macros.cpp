#include "items/macros.h"

#include "items/keys.h"
#include "text/mbstring.h"
#include "text/windows_path.h"

namespace mfg::items {

namespace {

// Between two percent signs a name is upper-cased so that %windir% and
// %$testdir% match; an unpaired sign upper-cases the rest of the text.  Only
// single-byte letters change: a trail byte such as 0x61 stays as it is.
std::string upperCaseBetweenPercents(std::string_view in, const text::CodePage& cp) {
    if (in.find('%') == std::string_view::npos) return std::string(in);
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

// Most steps find nothing to replace in a given value: those leave it as it
// is, uncopied.
void replaceAllIn(std::string& text, std::string_view from, std::string_view to,
                  const text::CodePage& cp) {
    if (text::find(text, from, 0, cp) != std::string::npos)
        text = text::replaceAll(text, from, to, cp);
}

}  // namespace

std::string expandMacros(std::string_view source, const MacroValues& values,
                         const text::CodePage& cp) {
    if (source.empty()) return std::string();
    // Each step sees what the steps before it inserted: a folder that holds
    // the word WINDIR, a percent sign or a doubled backslash is changed too.
    std::string out = upperCaseBetweenPercents(source, cp);
    // Every macro but WINDIR begins with a '$': a value without a '$', a '%'
    // or WINDIR gives no step anything to replace, so none inserts anything.
    const bool hasMacro = out.find('$') != std::string::npos || out.find('%') != std::string::npos ||
                          out.find(keyName(Key::windirMacro)) != std::string::npos;
    if (hasMacro) {
        replaceAllIn(out, keyName(Key::testDirMacro), values.testDir, cp);
        replaceAllIn(out, keyName(Key::mfgProcPathMacro), values.mfgProcPath, cp);
        replaceAllIn(out, keyName(Key::sectorNameMacro), values.sectorName, cp);
        replaceAllIn(out, keyName(Key::packetNameMacro), values.packetName, cp);
        replaceAllIn(out, keyName(Key::windirMacro), values.windowsDir, cp);
        replaceAllIn(out, "%", "", cp);
    }
    if (out.find("\\\\") == std::string::npos) return out;
    return text::halveDoubledBackslashes(out, cp);
}

std::string windowsDirectoryOf(std::string_view systemDir, const text::CodePage& cp) {
    std::size_t lastBackslash = std::string::npos;
    for (std::size_t pos = text::findChar(systemDir, '\\', 0, cp); pos != std::string::npos;
         pos = text::findChar(systemDir, '\\', pos + 1, cp))
        lastBackslash = pos;
    return lastBackslash == std::string::npos ? std::string()
                                              : std::string(systemDir.substr(0, lastBackslash));
}

}  // namespace mfg::items

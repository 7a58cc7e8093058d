#include "items/macros.h"

#include <algorithm>
#include <cstddef>
#include <iterator>

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
    if (!cp.isDoubleByte()) {
        // Every byte is a character: the names are upper-cased in a copy,
        // without asking the code page about each byte.
        std::string out(in);
        bool inside = false;
        for (char& c : out) {
            if (c == '%') {
                inside = !inside;
            } else if (inside && c >= 'a' && c <= 'z') {
                c = static_cast<char>(c - 'a' + 'A');
            }
        }
        return out;
    }
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

// The percent signs left after the steps go.  In a single-byte code page
// every '%' byte is one, and they are taken out in place.
void dropPercentSigns(std::string& text, const text::CodePage& cp) {
    if (cp.isDoubleByte()) {
        replaceAllIn(text, "%", "", cp);
        return;
    }
    text.erase(std::remove(text.begin(), text.end(), '%'), text.end());
}

// Every macro but WINDIR begins with a '$': a value without a '$', a '%' or
// WINDIR gives no step anything to replace, so none inserts anything.
bool mayHoldMacro(std::string_view text) {
    return text.find('$') != std::string_view::npos || text.find('%') != std::string_view::npos ||
           text.find(keyName(Key::windirMacro)) != std::string_view::npos;
}

// The macros in the order their steps run.
struct Macro {
    std::string_view name;
    std::string_view value;
};
static_assert(std::size(kMacroOrder) == 5);  // the walks below are written for five

std::string_view valueOf(Key macro, const MacroValues& values) {
    switch (macro) {
        case Key::testDirMacro:
            return values.testDir;
        case Key::mfgProcPathMacro:
            return values.mfgProcPath;
        case Key::sectorNameMacro:
            return values.sectorName;
        case Key::packetNameMacro:
            return values.packetName;
        case Key::windirMacro:
            return values.windowsDir;
        default:
            return {};
    }
}

// Some macro from `firstStep` on begins at or after `from` in `text`, or
// may begin there with what follows `text`.
bool laterMacroMayStart(std::string_view text, std::size_t from, const Macro (&macros)[5],
                        std::size_t firstStep) {
    for (std::size_t pos = from; pos < text.size(); ++pos) {
        if (text[pos] != '$' && text[pos] != 'W') continue;
        const std::string_view rest = text.substr(pos);
        for (std::size_t step = firstStep; step < 5; ++step) {
            const std::size_t common = std::min(rest.size(), macros[step].name.size());
            if (rest.compare(0, common, macros[step].name, 0, common) == 0) return true;
        }
    }
    return false;
}

// The five steps in one walk of a single-byte text, into `out`, when it
// gives what the steps one after another would.  Names of different macros
// never overlap (only '$' and 'W' start one, and neither is inside another),
// so the walk finds what each step finds in the text as it came; a step
// would find more only in what an earlier step inserted, or across its edge,
// and every such find starts at most a name's length before the end of an
// inserted value.  A text where a later step's name begins there, or may
// begin with what follows, is left for the steps one by one (false).
bool expandInOneWalk(std::string_view text, const Macro (&macros)[5], std::string& out) {
    std::size_t longestName = 0;
    for (const Macro& m : macros) longestName = std::max(longestName, m.name.size());
    out.clear();
    out.reserve(text.size() + 64);
    std::size_t copied = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        const char c = text[pos];
        if (c != '$' && c != 'W') {
            ++pos;
            continue;
        }
        std::size_t step = 0;
        while (step < 5 && text.compare(pos, macros[step].name.size(), macros[step].name) != 0)
            ++step;
        if (step == 5) {
            ++pos;
            continue;
        }
        out.append(text, copied, pos - copied);
        const std::size_t insertedAt = out.size();
        out += macros[step].value;
        const std::size_t from = insertedAt >= longestName ? insertedAt - (longestName - 1) : 0;
        if (laterMacroMayStart(out, from, macros, step + 1)) return false;
        pos += macros[step].name.size();
        copied = pos;
    }
    out.append(text, copied, std::string_view::npos);
    return true;
}

}  // namespace

std::string expandMacros(std::string_view source, const MacroValues& values,
                         const text::CodePage& cp) {
    if (source.empty()) return std::string();
    Macro macros[std::size(kMacroOrder)];
    for (std::size_t step = 0; step < std::size(kMacroOrder); ++step)
        macros[step] = {keyName(kMacroOrder[step]), valueOf(kMacroOrder[step], values)};
    std::string out;
    // Each step sees what the steps before it inserted: a folder that holds
    // the word WINDIR, a percent sign or a doubled backslash is changed too.
    // A single-byte text without percent signs has no name to upper-case,
    // and the walk reads it as it came.
    if (!cp.isDoubleByte() && source.find('%') == std::string_view::npos && mayHoldMacro(source) &&
        expandInOneWalk(source, macros, out)) {
        if (out.find('%') != std::string::npos) dropPercentSigns(out, cp);
        text::halveDoubledBackslashesIn(out, cp);
        return out;
    }
    out = upperCaseBetweenPercents(source, cp);
    if (mayHoldMacro(out)) {
        std::string walked;
        if (!cp.isDoubleByte() && expandInOneWalk(out, macros, walked)) {
            out = std::move(walked);
        } else {
            for (const Macro& macro : macros) replaceAllIn(out, macro.name, macro.value, cp);
        }
        if (out.find('%') != std::string::npos) dropPercentSigns(out, cp);
    }
    // The single-byte halving looks for its first pair itself.
    if (!cp.isDoubleByte() || out.find("\\\\") != std::string::npos)
        text::halveDoubledBackslashesIn(out, cp);
    return out;
}

bool expansionMayChange(std::string_view source) {
    return mayHoldMacro(source) || source.find("\\\\") != std::string_view::npos;
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

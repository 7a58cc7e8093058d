// The section walk of a process file and the settings lookup.
//
// The walk must cut the same sections at the same offsets however the file
// arrives: in one read, in chunks of any size, or in short reads of varying
// length (a network share or a pipe gives fewer bytes than asked).  And for
// a plain file (no NUL, no byte-order mark, one "]" on the header line) a
// key looked up in a section's text, as the reader does, must answer what
// the settings lookup over the whole file answers for the first section of
// that name, as the group settings are read.
//
// Each section's header line, counted in any of those ways, is the line an
// editor shows: one more than the line ends before its "[" (CR LF counting
// once).
//
// Input: flags (bit 0: code page 932, else 1252; bits 1-7: the chunk size,
// 1 to 128 bytes), then the file's bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "profile/profile_syntax.h"
#include "profile/profile_text.h"
#include "reader/section_scanner.h"
#include "support/fuzz_input.h"
#include "text/mbstring.h"

namespace {

using namespace mfg;

// What a lookup buffer of the reader holds: 259 bytes and a NUL.
constexpr std::size_t kValueBufferSize = 260;

struct Cut {
    std::string text;
    std::uint64_t positionAfter;
    std::uint64_t line;
    bool operator!=(const Cut& o) const {
        return text != o.text || positionAfter != o.positionAfter || line != o.line;
    }
};

struct Walk {
    std::vector<Cut> sections;
    std::uint64_t end = 0;
};

// Walks `file`; each read hands over at most what `readSize(i)` says for the
// i-th read.
template <typename ReadSize>
Walk walk(std::string_view file, const text::CodePage& cp, std::size_t chunkSize,
          ReadSize readSize) {
    std::size_t at = 0, reads = 0;
    reader::SectionScanner scanner(
        [&](char* buffer, std::size_t size, std::size_t& got) {
            got = std::min({size, file.size() - at, readSize(reads++)});
            std::copy_n(file.data() + at, got, buffer);
            at += got;
            return true;
        },
        cp, chunkSize);
    Walk result;
    std::string section;
    while (scanner.next(section))
        result.sections.push_back({section, scanner.position(), scanner.sectionLine()});
    result.end = scanner.position();
    return result;
}

std::string describe(std::string_view file, unsigned cp, std::size_t chunk) {
    return "code page " + std::to_string(cp) + ", chunk " + std::to_string(chunk) +
           ", file: " + fuzz::printable(std::string(file));
}

void compareWalks(const Walk& expected, const Walk& got, const std::string& how,
                  const std::string& context) {
    if (expected.end != got.end)
        fuzz::fail(("the walk ends elsewhere " + how).c_str(), context);
    if (expected.sections.size() != got.sections.size())
        fuzz::fail(("a different number of sections " + how).c_str(), context);
    for (std::size_t i = 0; i < expected.sections.size(); ++i)
        if (expected.sections[i] != got.sections[i])
            fuzz::fail(("section " + std::to_string(i) + " differs " + how).c_str(),
                       context + "\nwhole:   " + fuzz::printable(expected.sections[i].text) +
                           "\nchunked: " + fuzz::printable(got.sections[i].text));
}

// A section after the first starts where the one before it ended: at its
// header's "[".
void checkLines(std::string_view file, const Walk& w, const std::string& context) {
    std::uint64_t lineEnds = 0;
    std::size_t counted = 0;
    for (std::size_t i = 1; i < w.sections.size(); ++i) {
        const std::size_t header = w.sections[i - 1].positionAfter;
        for (; counted < header; ++counted) {
            const char c = file[counted];
            if (c == '\r' || (c == '\n' && (counted == 0 || file[counted - 1] != '\r')))
                ++lineEnds;
        }
        if (w.sections[i].line != lineEnds + 1)
            fuzz::fail(("section " + std::to_string(i) + " gives header line " +
                        std::to_string(w.sections[i].line) + ", an editor shows " +
                        std::to_string(lineEnds + 1))
                           .c_str(),
                       context);
    }
}

// The name the reader gives a section: from its "[" to the first "]".
std::string readerName(const std::string& section, const text::CodePage& cp) {
    const std::size_t open = text::findChar(section, '[', 0, cp);
    const std::size_t close = text::findChar(section, ']', 0, cp);
    if (open == std::string::npos || close == std::string::npos || close <= open) return {};
    return section.substr(open + 1, close - open - 1);
}

bool plainFile(std::string_view file) {
    return file.find('\0') == std::string_view::npos && file.substr(0, 2) != "\xFF\xFE" &&
           file.substr(0, 3) != "\xEF\xBB\xBF";
}

void compareLookups(std::string_view file, const Walk& w, const text::CodePage& cp,
                    const std::string& context) {
    const profile::syntax::Chars chars(cp);
    std::set<std::string> seen;  // folded names of the sections already met
    for (const Cut& entry : w.sections) {
        const std::string& section = entry.text;
        const std::string_view header =
            std::string_view(section).substr(0, section.find_first_of("\r\n"));
        // The settings lookup must see the same header lines as the walk.
        const auto headerInfo = profile::syntax::classify(header, chars);
        if (headerInfo.kind != profile::syntax::LineKind::Header)
            fuzz::fail("the walk cut a section at a line the settings lookup takes for no header",
                       context + "\nline: " + fuzz::printable(std::string(header)));
        // Only the first section of a name (as the settings lookup names it)
        // is found by the settings lookup.
        if (!seen.insert(profile::syntax::fold(headerInfo.name, chars)).second) continue;
        // One "]": the walk's name and the settings lookup's are the same.
        if (std::count(header.begin(), header.end(), ']') != 1) continue;
        const std::string name = readerName(section, cp);
        if (profile::syntax::trimProfileBlanks(name, chars).empty()) continue;
        for (std::size_t pos = section.find_first_of("\r\n"); pos < section.size();) {
            const std::size_t end = std::min(section.find_first_of("\r\n", pos), section.size());
            const auto info =
                profile::syntax::classify(std::string_view(section).substr(pos, end - pos), chars);
            if (info.kind == profile::syntax::LineKind::Key) {
                const std::string key(info.name);
                const std::string inSection =
                    profile::getString(section, name, key, "", kValueBufferSize, cp);
                const std::string inFile =
                    profile::getString(file, name, key, "", kValueBufferSize, cp);
                if (inSection != inFile)
                    fuzz::fail("the walk's lookup and the settings lookup disagree",
                               context + "\nsection [" + fuzz::printable(name) + "] key " +
                                   fuzz::printable(key) + ": walk " + fuzz::printable(inSection) +
                                   ", settings " + fuzz::printable(inFile));
            }
            pos = end + 1;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const unsigned cpId = (data[0] & 1) ? 932 : 1252;
    const text::CodePage cp(cpId);
    const std::size_t chunk = 1 + (data[0] >> 1);
    const std::string_view file(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string context = describe(file, cpId, chunk);

    const auto everything = [](std::size_t) { return ~std::size_t{0}; };
    const Walk whole = walk(file, cp, file.size() + 1, everything);
    compareWalks(whole, walk(file, cp, chunk, everything), "in small chunks", context);
    compareWalks(whole,
                 walk(file, cp, reader::SectionScanner::kDefaultChunkSize,
                      [chunk](std::size_t i) { return 1 + (i * 7 + chunk) % 23; }),
                 "in short reads", context);
    checkLines(file, whole, context);
    if (plainFile(file)) compareLookups(file, whole, cp, context);
    return 0;
}

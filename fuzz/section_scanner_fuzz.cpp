// The section walk of a process file and the settings lookup.
//
// The walk must cut the same sections at the same offsets however the file
// arrives: in one read, in chunks of any size, or in short reads of varying
// length (a network share or a pipe gives fewer bytes than asked).  And on
// every input, NUL bytes, byte-order marks, headers with no or several "]",
// blank and repeated names included, the library's two readers must mean the
// same: a key looked up in a section's text as the entry reader does (the
// walk's cut, its keys indexed once) answers what the settings lookup over
// the whole file answers for that section, as the group settings are read.
// Both read the text as the library decodes the file.  The settings lookup
// finds the first section of a name, so a section is asked of from its own
// header on: a repeated name is asked of the section at hand.
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
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "profile/profile_syntax.h"
#include "profile/profile_text.h"
#include "profile/profile_unicode.h"
#include "reader/section_scanner.h"
#include "support/fuzz_input.h"
#include "text/mbstring.h"

namespace {

using namespace mfg;

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
    if (expected.end != got.end) fuzz::fail(("the walk ends elsewhere " + how).c_str(), context);
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
            if (c == '\r' || (c == '\n' && (counted == 0 || file[counted - 1] != '\r'))) ++lineEnds;
        }
        if (w.sections[i].line != lineEnds + 1)
            fuzz::fail(("section " + std::to_string(i) + " gives header line " +
                        std::to_string(w.sections[i].line) + ", an editor shows " +
                        std::to_string(lineEnds + 1))
                           .c_str(),
                       context);
    }
}

// The file's text as the reader and the settings lookup both see it; false
// for an encoding the library refuses.  Decoded in pieces as the reader
// decodes it, the text must be the same as decoded whole.
bool decodedText(std::string_view file, const text::CodePage& cp, std::size_t chunk,
                 std::string& text, const std::string& context) {
    std::size_t unrepresentable = 0;
    if (!profile::decodeFileText(file, cp, text, unrepresentable)) return false;
    profile::FileTextDecoder decoder(cp);
    std::string pieces;
    for (std::size_t at = 0; at < file.size(); at += chunk)
        decoder.feed(file.substr(at, chunk), pieces);
    decoder.finish(pieces);
    if (pieces != text)
        fuzz::fail("the file decodes differently in pieces",
                   context + "\nwhole:  " + fuzz::printable(text) +
                       "\npieces: " + fuzz::printable(pieces));
    return true;
}

// The offset at which line `line` (from 1, as an editor numbers lines)
// starts.
std::size_t lineStart(std::string_view text, std::uint64_t line) {
    std::size_t at = 0;
    for (std::uint64_t current = 1; current < line && at < text.size();) {
        const char c = text[at++];
        if (c == '\r' && at < text.size() && text[at] == '\n') ++at;
        if (c == '\r' || c == '\n') ++current;
    }
    return at;
}

void compareReaders(const std::string& text, const Walk& w, const text::CodePage& cp,
                    const std::string& context) {
    const profile::syntax::Chars chars(cp);
    profile::SectionKeys walkKeys(cp);
    const std::size_t bufferSize = text.size() + 2;  // whole values, as both read them
    for (std::size_t i = 0; i < w.sections.size(); ++i) {
        const std::string& section = w.sections[i].text;
        const std::size_t headerEnd = std::min(section.find_first_of("\r\n"), section.size());
        // The header line as the file holds it: a NUL may end the section's
        // text inside it.
        const std::size_t headerAt =
            i == 0 ? lineStart(text, w.sections[0].line) : w.sections[i - 1].positionAfter;
        const std::string_view header = std::string_view(text).substr(
            headerAt, std::min(text.find_first_of("\r\n", headerAt), text.size()) - headerAt);
        // The settings lookup must see the same header lines as the walk.
        const auto headerInfo = profile::syntax::classify(header, chars);
        if (headerInfo.kind != profile::syntax::LineKind::header)
            fuzz::fail("the walk cut a section at a line the settings lookup takes for no header",
                       context + "\nline: " + fuzz::printable(std::string(header)));
        // Nothing before the first header is a header to either reader.
        std::string fromHeader = i == 0 ? text : text.substr(headerAt);
        std::string name(headerInfo.name);
        if (name.empty()) {
            // No group has a blank name, so the settings lookup never asks
            // for one; the walk reads such a section as it would under any
            // name, so it is asked of under one.
            name = "BLANK";
            fromHeader.replace(i == 0 ? headerAt : 0, header.size(), "[" + name + "]");
        }
        walkKeys.index(section);
        // A NUL ends the walk's text of a section inside a line, where the
        // settings lookup reads the whole line and then cuts at the NUL: the
        // two part on the blanks and quotes around it (a group setting with a
        // NUL in its line is read differently from an entry's value).  So
        // values are compared only in sections that no NUL follows; their header
        // lines are still compared above.
        if (text.find('\0', headerAt) != std::string::npos) continue;
        for (std::size_t pos = headerEnd; pos < section.size();) {
            const std::size_t end = std::min(section.find_first_of("\r\n", pos), section.size());
            const std::string_view line = std::string_view(section).substr(pos, end - pos);
            pos = end + 1;
            const auto info = profile::syntax::classify(line, chars);
            if (info.kind == profile::syntax::LineKind::header)
                fuzz::fail("the settings lookup takes a line inside a walked section for a header",
                           context + "\nline: " + fuzz::printable(std::string(line)));
            if (info.kind != profile::syntax::LineKind::key) continue;
            const std::string key(info.name);
            std::string inSection = walkKeys.get(key, "", bufferSize);
            std::string inFile =
                profile::getDecodedString(fromHeader, name, key, "", bufferSize, cp);
            if (inSection != inFile)
                fuzz::fail("the walk's lookup and the settings lookup disagree",
                           context + "\nsection " + std::to_string(i) + " [" +
                               fuzz::printable(name) + "] key " + fuzz::printable(key) + ": walk " +
                               fuzz::printable(inSection) + ", settings " +
                               fuzz::printable(inFile));
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

    std::string text;
    if (!decodedText(file, cp, chunk, text, context)) return 0;  // refused by both readers
    const auto everything = [](std::size_t) { return ~std::size_t{0}; };
    const Walk whole = walk(text, cp, text.size() + 1, everything);
    compareWalks(whole, walk(text, cp, chunk, everything), "in small chunks", context);
    compareWalks(whole,
                 walk(text, cp, reader::SectionScanner::kDefaultChunkSize,
                      [chunk](std::size_t i) { return 1 + (i * 7 + chunk) % 23; }),
                 "in short reads", context);
    checkLines(text, whole, context);
    compareReaders(text, whole, cp, context);
    return 0;
}

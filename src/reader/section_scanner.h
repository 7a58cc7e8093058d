// Cuts the sections of a process file out of its bytes, front to back.
//
// A section starts at a header line: a line whose first non-blank character
// is "[" and which holds a "]" after it, the way the private-profile reader
// tells a header from any other line (blanks are 0x09-0x0D, 0x20 and 0x1A;
// lines end at CR or LF).  With a double-byte code page a lead byte takes the
// next byte with it, so a trail byte is never a bracket; CR, LF and NUL are
// never taken as trail bytes, as in the profile reader.  A "[" anywhere else
// (in a value, in a comment, on a line without "]") is ordinary text.
//
// A section's text is its header from the "[" on, and every line after it up
// to the next header line, keeping the line ends before that header (the
// blanks in front of the next "[" belong to no section).  The last section
// runs to the end of the input, its trailing white space stripped (but not a
// blank that is the trail byte of its last character).  A NUL byte ends the
// text of its section: the bytes after it are skipped up to the next header
// line.  Bytes before the first header line are skipped.
//
// The input is pulled from a source in large chunks and never re-read, and
// only the current section and at most one line are held, so a walk costs
// time in proportion to the input and memory in proportion to its largest
// section.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "text/codepage.h"

namespace mfg::reader {

// The name of a section cut by the scanner: the text between its "[" and
// the first "]" of its text, not trimmed; "" when there is none.
std::string sectionNameOf(const std::string& sectionText, const text::CodePage& cp);

class SectionScanner {
public:
    // Fills `buffer` with up to `size` bytes that follow those given before;
    // `got` is 0 at the end of the input.  False on a read error.
    using Source = std::function<bool(char* buffer, std::size_t size, std::size_t& got)>;

    // Large enough that a CD-ROM drive streams rather than seeks.
    static constexpr std::size_t kDefaultChunkSize = 64 * 1024;

    SectionScanner(Source source, const text::CodePage& cp,
                   std::size_t chunkSize = kDefaultChunkSize);

    // The text of the next section.  False when no section is left; a read
    // error ends the walk the same way, and the section it interrupted is
    // lost (the input cannot be trusted past that point).
    bool next(std::string& section);

    // Offset in the input of the first byte the next call of next() starts
    // from: the "[" of the next header when the last section returned ended
    // at one, else the number of bytes consumed (the size of the input once
    // the walk has ended).
    std::uint64_t position() const { return position_; }

    // The line of the input, from 1, where the section the last call of
    // next() returned has its header.  Lines are counted as an editor shows
    // them: CR LF, a lone CR and a lone LF each end one line.  0 before the
    // first section.
    std::uint64_t sectionLine() const { return sectionLine_; }

private:
    enum class Line { Start, Candidate, Rest };

    bool fill();
    // One step of next() over the chunk `p`, from chunkPos_, in the state
    // its name gives; each returns where the next step starts.
    std::size_t takeRestOfLine(const char* p);
    std::size_t takeLineStart(const char* p);
    // Sets `closed` when the candidate's "]" was taken: the line is a header.
    std::size_t takeCandidate(const char* p, bool& closed);
    void append(const char* bytes, std::size_t count);
    // The candidate line turned out to be ordinary text.
    void flushCandidate();
    // The candidate line is a header: it starts a section.  True when a
    // section ended there and has been moved to `section`.
    bool startSection(std::string& section);
    bool finish(std::string& section);
    // The size of the current section without its trailing white space; a
    // blank that a lead byte takes as its trail is part of a character and
    // stays, as the profile reader sees that line.
    std::size_t endWithoutTrailingSpace() const;
    // Counts the line end `c` just consumed, or notes that other bytes were.
    void countLineEnd(char c);
    void countText() { afterCr_ = false; }

    Source source_;
    bool lead_[256];
    std::vector<char> chunk_;
    std::size_t chunkPos_ = 0;
    std::size_t chunkLen_ = 0;
    std::uint64_t offset_ = 0;  // input offset of chunk_[0]
    bool ended_ = false;
    bool failed_ = false;

    Line line_ = Line::Start;
    bool trailNext_ = false;  // the candidate's last byte was a lead byte

    bool inSection_ = false;
    bool textOpen_ = false;     // no NUL met yet in the current section
    std::string text_;          // the current section so far
    std::size_t lineMark_ = 0;  // size of text_ where the current line starts

    std::string candidate_;  // a possible header line from its "[" on
    std::size_t candidateNul_ = std::string::npos;
    std::uint64_t candidateAt_ = 0;

    std::uint64_t position_ = 0;

    std::uint64_t lineEnds_ = 0;  // line ends consumed so far
    bool afterCr_ = false;        // the last byte consumed was a CR
    std::uint64_t candidateLine_ = 0;
    std::uint64_t openLine_ = 0;  // header line of the section being cut
    std::uint64_t sectionLine_ = 0;
};

}  // namespace mfg::reader

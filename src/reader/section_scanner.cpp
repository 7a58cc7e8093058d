#include "reader/section_scanner.h"

#include <algorithm>
#include <utility>

#include "profile/profile_syntax.h"
#include "text/mbstring.h"

namespace mfg::reader {
namespace {

constexpr std::size_t npos = std::string::npos;

bool isLineEnd(char c) { return c == '\r' || c == '\n'; }

}  // namespace

std::string sectionNameOf(const std::string& sectionText, const text::CodePage& cp) {
    const std::size_t open = text::findChar(sectionText, '[', 0, cp);
    if (open == npos) return {};
    const std::size_t close = text::findChar(sectionText, ']', 0, cp);
    if (close == npos || close <= open) return {};
    return sectionText.substr(open + 1, close - open - 1);
}

SectionScanner::SectionScanner(Source source, const text::CodePage& cp, std::size_t chunkSize)
    : source_(std::move(source)), chunk_(std::max<std::size_t>(chunkSize, 1)) {
    for (unsigned b = 0; b < 256; ++b) lead_[b] = cp.isLeadByte(static_cast<unsigned char>(b));
}

bool SectionScanner::fill() {
    if (ended_) return false;
    offset_ += chunkLen_;
    chunkPos_ = chunkLen_ = 0;
    std::size_t got = 0;
    if (!source_(chunk_.data(), chunk_.size(), got)) {
        failed_ = ended_ = true;
        return false;
    }
    if (got == 0) {
        ended_ = true;
        return false;
    }
    chunkLen_ = std::min(got, chunk_.size());
    return true;
}

void SectionScanner::append(const char* bytes, std::size_t count) {
    if (inSection_ && textOpen_) text_.append(bytes, count);
}

void SectionScanner::flushCandidate() {
    if (candidateNul_ == npos) {
        append(candidate_.data(), candidate_.size());
    } else {
        append(candidate_.data(), candidateNul_);
        textOpen_ = false;
    }
    candidate_.clear();
    candidateNul_ = npos;
}

void SectionScanner::countLineEnd(char c) {
    if (profile::syntax::endsEditorLine(c, afterCr_)) ++lineEnds_;
    afterCr_ = c == '\r';
}

bool SectionScanner::startSection(std::string& section) {
    const bool ended = inSection_;
    if (ended) {
        // The blanks in front of the new header's "[" belong to neither.
        text_.resize(std::min(lineMark_, text_.size()));
        section.swap(text_);
        position_ = candidateAt_;
        sectionLine_ = openLine_;
    }
    openLine_ = candidateLine_;
    textOpen_ = candidateNul_ == npos;
    if (textOpen_) {
        text_.swap(candidate_);
    } else {
        text_.assign(candidate_, 0, candidateNul_);
    }
    candidate_.clear();
    candidateNul_ = npos;
    inSection_ = true;
    line_ = Line::Rest;
    return ended;
}

std::size_t SectionScanner::endWithoutTrailingSpace() const {
    const std::size_t end = text::trimAsciiSpaceRight(text_).size();
    if (end == 0 || end == text_.size() || isLineEnd(text_[end])) return end;
    // The first blank cut off may be the trail byte of the last character,
    // which only a walk from the start of its line can tell.
    const std::size_t lineEnd = text_.find_last_of("\r\n", end - 1);
    std::size_t pos = lineEnd == npos ? 0 : lineEnd + 1;
    while (pos < end - 1) pos += lead_[static_cast<unsigned char>(text_[pos])] ? 2 : 1;
    const bool lastIsLead = pos == end - 1 && lead_[static_cast<unsigned char>(text_[pos])];
    return lastIsLead ? end + 1 : end;
}

bool SectionScanner::finish(std::string& section) {
    position_ = offset_ + chunkPos_;
    if (failed_) {
        inSection_ = false;
        text_.clear();
        candidate_.clear();
        return false;
    }
    if (line_ == Line::Candidate) {
        flushCandidate();
        line_ = Line::Start;
    }
    if (!inSection_) return false;
    inSection_ = false;
    sectionLine_ = openLine_;
    text_.resize(endWithoutTrailingSpace());
    section.swap(text_);
    text_.clear();
    return true;
}

std::size_t SectionScanner::takeRestOfLine(const char* p) {
    // Nothing more on this line can start a section: take it in one piece up
    // to its end, with that line end (and the LF of a CR LF, as the Start
    // state would take it).  (A byte above CR is neither a line end nor a
    // NUL; whole words of such bytes are stepped over at once.)
    std::size_t i = chunkPos_;
    i += profile::syntax::skipWordsAboveCr(std::string_view(p + i, chunkLen_ - i));
    while (i < chunkLen_ &&
           (static_cast<unsigned char>(p[i]) > '\r' || (!isLineEnd(p[i]) && p[i] != '\0')))
        ++i;
    if (i > chunkPos_) countText();
    if (i == chunkLen_ || p[i] == '\0') {
        append(p + chunkPos_, i - chunkPos_);
        if (i < chunkLen_) {
            textOpen_ = false;
            countText();
            ++i;
        }
        return i;
    }
    std::size_t end = i + 1;
    countLineEnd(p[i]);
    if (p[i] == '\r' && end < chunkLen_ && p[end] == '\n') countLineEnd(p[end++]);
    append(p + chunkPos_, end - chunkPos_);
    line_ = Line::Start;
    lineMark_ = text_.size();
    return end;
}

std::size_t SectionScanner::takeLineStart(const char* p) {
    const std::size_t i = chunkPos_;
    const char c = p[i];
    if (c == '[') {
        line_ = Line::Candidate;
        candidate_.assign(1, '[');
        candidateNul_ = npos;
        candidateAt_ = offset_ + i;
        candidateLine_ = lineEnds_ + 1;
        countText();
        trailNext_ = false;
        return i + 1;
    }
    if (isLineEnd(c)) {
        countLineEnd(c);
        append(p + i, 1);
        lineMark_ = text_.size();
        return i + 1;
    }
    if (profile::syntax::isProfileBlank(static_cast<unsigned char>(c))) {
        // Blanks may stand before a header's "[" on its line.
        countText();
        append(p + i, 1);
        return i + 1;
    }
    line_ = Line::Rest;  // a NUL or a lead byte goes there too
    return i;
}

std::size_t SectionScanner::takeCandidate(const char* p, bool& closed) {
    std::size_t i = chunkPos_;
    while (i < chunkLen_) {
        const char c = p[i];
        if (trailNext_) {
            trailNext_ = false;
            if (!isLineEnd(c) && c != '\0') {
                ++i;
                continue;
            }
        }
        if (isLineEnd(c) || c == ']') break;
        if (c == '\0' && candidateNul_ == npos) candidateNul_ = candidate_.size() + (i - chunkPos_);
        if (lead_[static_cast<unsigned char>(c)]) trailNext_ = true;
        ++i;
    }
    candidate_.append(p + chunkPos_, i - chunkPos_);
    if (i > chunkPos_) countText();
    if (i == chunkLen_) return i;
    if (p[i] == ']') {
        candidate_ += ']';
        closed = true;
        return i + 1;
    }
    // A line end before any "]": an ordinary line.  Its line end is taken by
    // the Start state.
    flushCandidate();
    line_ = Line::Start;
    return i;
}

bool SectionScanner::next(std::string& section) {
    section.clear();
    for (;;) {
        if (chunkPos_ == chunkLen_ && !fill()) return finish(section);
        const char* const p = chunk_.data();
        while (chunkPos_ < chunkLen_) {
            switch (line_) {
                case Line::Rest:
                    chunkPos_ = takeRestOfLine(p);
                    break;
                case Line::Start:
                    chunkPos_ = takeLineStart(p);
                    break;
                case Line::Candidate: {
                    bool closed = false;
                    chunkPos_ = takeCandidate(p, closed);
                    if (closed && startSection(section)) return true;
                    break;
                }
            }
        }
    }
}

}  // namespace mfg::reader

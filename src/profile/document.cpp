#include "profile/document.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "profile/profile_text.h"

namespace mfg::profile {

using namespace syntax;

Document::Document(std::string text, text::CodePage cp) : cp_(cp), chars_(cp) {
    load(std::move(text));
}

void Document::load(std::string text) {
    text_ = std::move(text);
    scanFrom_ = 0;
    scanned_ = false;
    sections_.clear();
    sectionIndex_.clear();
    replaced_.clear();
    patches_.clear();
    patchValues_.clear();
    loaded_.open = false;
    keyIndexes_.clear();
    written_[0] = written_[1] = kNoSection;
    writtenIndex_ = nullptr;
    prefixEnd_ = text_.size();
    prefixLineEndAdded_ = false;
    unicode_ = isUnicodeText(text_);
    if (unicode_) {
        scanned_ = true;
        return;
    }

    // The text is searched for headers only as far as the writes need:
    // here up to the first one, which ends the lines before it.
    scanNextHeader();
}

// Only a line whose first byte that is not a blank is '[' can be a header:
// the text is searched for '[' and nothing else is looked at.  (A trail
// byte can be a '[', but its lead byte is never a blank.)
bool Document::scanNextHeader() {
    if (scanned_) return false;
    const std::string_view all(text_);
    for (std::size_t from = scanFrom_;;) {
        const std::size_t bracket = all.find('[', from);
        if (bracket == std::string_view::npos) break;
        from = bracket + 1;
        std::size_t begin = bracket;
        while (begin > 0 && !isLineEnd(all[begin - 1]) &&
               isProfileBlank(static_cast<unsigned char>(all[begin - 1])))
            --begin;
        if (begin > 0 && !isLineEnd(all[begin - 1])) continue;  // within a line
        const std::size_t contentEnd = lineEndIn(all, bracket);
        from = contentEnd;
        const LineInfo info = classify(all.substr(begin, contentEnd - begin), chars_);
        if (info.kind != LineKind::header) continue;
        scanFrom_ = from;
        if (sections_.empty()) {
            prefixEnd_ = begin;
        } else {
            endLastSection(begin);
        }
        sectionIndex_.emplace(fold(info.name, chars_), sections_.size());
        sections_.emplace_back();
        sections_.back().begin = begin;
        return true;
    }
    scanFrom_ = all.size();
    scanned_ = true;
    if (!sections_.empty()) endLastSection(all.size());
    return false;
}

// The section's last line that is not blank ends where the bytes before
// `end` stop being blanks (line ends are blanks too).
void Document::endLastSection(std::size_t end) {
    const std::string_view all(text_);
    Section& s = sections_.back();
    std::size_t last = end;
    while (last > s.begin && isProfileBlank(static_cast<unsigned char>(all[last - 1]))) --last;
    const std::size_t lineEnd = std::min(lineEndIn(all, last), end);
    std::size_t runEnd = lineEnd;
    while (runEnd < end && isLineEnd(all[runEnd])) ++runEnd;
    const std::string_view run = all.substr(lineEnd, runEnd - lineEnd);
    s.bodyEnd = lineEnd + firstBreakLength(run);
    s.bodyEndsLine = !run.empty();
    s.end = end;
}

std::size_t Document::findSection(const std::string& folded) {
    for (;;) {
        const auto found = sectionIndex_.find(folded);
        if (found != sectionIndex_.end()) {
            // Its end is the next header's line.
            if (!scanned_ && found->second + 1 == sections_.size()) scanNextHeader();
            return found->second;
        }
        if (!scanNextHeader()) return kNoSection;
    }
}

bool Document::write(std::string_view section, std::string_view key, std::string_view value) {
    if (unicode_) {
        refused_ = true;
        return false;
    }
    if (lastWriteKept_ && section == lastWriteSection_ && key == lastWriteKey_) {
        setValue(lastWrite_, section, key, value);
    } else {
        lastWrite_ = makeWriteRequest(section, key, value, chars_);
        lastWriteSection_.assign(section);
        lastWriteKey_.assign(key);
        lastWriteKept_ = true;
    }
    const WriteRequest& request = lastWrite_;
    // A write whose lines would not read back as one header and one key line
    // (a value holding a line end, a key that looks like a header, a name
    // that ends in a lead byte) changes the shape of the file.  Such writes
    // are rare enough to be made on the whole text, which is then loaded
    // again.
    if (request.multiline || !writeInPlace(request)) {
        load(applyWrite(bytes(), section, key, value, cp_));
    }
    return true;
}

bool Document::writeKeys(std::string_view section, const std::vector<KeyValue>& keys) {
    if (unicode_) {
        if (!keys.empty()) refused_ = true;
        return keys.empty();
    }
    // One key is one write: the list's COUNT, which goes to SYSTEM after every
    // entry, is spared a new section's checks that would only find SYSTEM there.
    std::size_t written = 0;
    if (keys.size() > 1 && beginSection(section)) {
        while (written < keys.size() && addKey(keys[written].key, keys[written].value)) ++written;
        endSection();
    }
    for (; written < keys.size(); ++written) write(section, keys[written].key, keys[written].value);
    return true;
}

namespace {

// A key name of letters, digits and '_' only (as the list's own keys are):
// written as it is, it reads back as a key line under that very name
// whatever its value, and it folds to its ASCII lower case in every code
// page (no lead byte is below 0x80).
constexpr std::array<bool, 256> kPlainNameBytes = [] {
    std::array<bool, 256> plain{};
    for (int c = 0; c < 256; ++c)
        plain[c] =
            (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    return plain;
}();

bool isPlainKeyName(std::string_view key) {
    if (key.empty()) return false;
    for (const char c : key)
        if (!kPlainNameBytes[static_cast<unsigned char>(c)]) return false;
    return true;
}

// A bit of 64 that names folding alike share, from their length and their
// first and last bytes: names with different bits differ.
std::uint64_t nameBit(std::string_view name) {
    if (name.empty()) return 1;
    auto lower = [](char c) {
        return static_cast<unsigned>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c) & 0xFFu;
    };
    const unsigned mix =
        static_cast<unsigned>(name.size()) * 7u + lower(name.front()) * 3u + lower(name.back());
    return std::uint64_t{1} << (mix & 63u);
}

}  // namespace

// What the writes one by one would do to a new section when every key adds
// a line of its own that reads back under the very name it was written with:
// the header, then each key line, each with CR LF.  Plain key names (see
// isPlainKeyName) are neither folded nor read back.
bool Document::beginSection(std::string_view section) {
    new_.open = false;
    loaded_.open = false;
    if (unicode_ || (refusedKept_ && section == refusedSection_)) return false;
    if (!openSection(section)) {
        refusedSection_.assign(section);
        refusedKept_ = true;
        return false;
    }
    return true;
}

bool Document::openSection(std::string_view section) {
    // The header as a write spells it, and the name it is found under.
    const std::string_view spelled = trimProfileBlanksLeft(cutAtNul(section));
    if (findLineEnd(spelled) != std::string_view::npos) return false;
    foldInto(trimProfileBlanksRight(spelled, chars_), chars_, new_.folded);
    const std::size_t held = findSection(new_.folded);
    if (held != kNoSection) return openLoadedSection(held);
    new_.used = 0;
    char* header = new_.room(spelled.size() + 2);
    header[0] = '[';
    if (!spelled.empty()) std::memcpy(header + 1, spelled.data(), spelled.size());
    header[spelled.size() + 1] = ']';
    const LineInfo headerInfo = classify(new_.text(), chars_);
    if (headerInfo.kind != LineKind::header || !matchesFolded(headerInfo.name, new_.folded, chars_))
        return false;
    std::memcpy(new_.room(2), "\r\n", 2);
    new_.names.clear();
    new_.bitsSeen = 0;
    new_.open = true;
    return true;
}

namespace {

// The value as a write puts it after the '=', cut at the first NUL and
// trimmed on the left, in one look (a NUL is no blank, so trimming first
// keeps the same bytes); false for a value with a line end before its NUL.
// A `plain` value, one the caller found no NUL, CR or LF in, is only trimmed.
bool valueOnOneLine(std::string_view& value, bool plain) {
    value = trimProfileBlanksLeft(value);
    if (plain) return true;
    const std::size_t stop = findNulOrLineEnd(value);
    if (stop == std::string_view::npos) return true;
    if (value[stop] != '\0') return false;
    value = value.substr(0, stop);
    return true;
}

}  // namespace

bool Document::addKey(std::string_view key, std::string_view value, bool plainValue) {
    if (loaded_.open) return putOverLoadedKey(key, value, plainValue);
    if (!new_.open || !isPlainKeyName(key)) return false;
    if (!valueOnOneLine(value, plainValue)) return false;
    const std::uint64_t bit = nameBit(key);
    if ((new_.bitsSeen & bit) != 0) {
        for (const NewSection::Name& earlier : new_.names)
            if (earlier.bit == bit &&
                matchesIgnoringAsciiCase(new_.text().substr(earlier.at, earlier.size), key))
                return false;
    }
    new_.bitsSeen |= bit;
    new_.names.push_back({new_.used, key.size(), bit});
    // The line in one piece, copied straight into place.
    char* line = new_.room(key.size() + 1 + value.size() + 2);
    std::memcpy(line, key.data(), key.size());
    line += key.size();
    *line++ = '=';
    if (!value.empty()) std::memcpy(line, value.data(), value.size());
    line += value.size();
    line[0] = '\r';
    line[1] = '\n';
    return true;
}

void Document::endSection() {
    loaded_.open = false;
    if (!new_.open) return;
    new_.open = false;
    if (new_.names.empty()) return;  // no key, no write: no section either
    endWithLineEnd();
    const std::size_t number = sections_.size();
    sections_.emplace_back();
    Section& added = sections_.back();
    added.begin = added.bodyEnd = added.end = text_.size();
    added.written = true;
    // A copy of its own size: a list holds tens of thousands of sections,
    // and spare room in each adds up.
    added.added.assign(new_.lines.data(), new_.used);
    sectionIndex_.emplace(new_.folded, number);
    noteWrittenTo(number);  // its index is made if a later write comes back
}

// Only a section no write has reached is walked: its lines are then still
// those of the loaded text, with nothing put over them.
bool Document::openLoadedSection(std::size_t sectionNumber) {
    Section& section = sections_[sectionNumber];
    if (section.written) return false;
    section.written = true;
    section.patchBegin = section.patchEnd = patches_.size();
    const std::string_view body(text_.data(), section.bodyEnd);
    LineCursor cursor(body, section.begin);
    LineSpan header;
    cursor.next(header);
    loaded_.open = true;
    loaded_.number = sectionNumber;
    loaded_.walked = header.end;
    loaded_.names.clear();
    loaded_.bitsSeen = 0;
    loaded_.lastPatched = false;
    return true;
}

// A list written over the list of an earlier run finds its keys in the
// order it writes them: the next key line is nearly always the one.
bool Document::putOverLoadedKey(std::string_view key, std::string_view value, bool plainValue) {
    if (!isPlainKeyName(key)) return false;
    if (!valueOnOneLine(value, plainValue)) return false;
    Section& section = sections_[loaded_.number];
    if (repeatsLastPatchedKey(section, key)) {
        // NAME twice in a row (an entry shown by its package name).
        replaceLastPatchValue(value);
        return true;
    }
    const std::uint64_t bit = nameBit(key);
    if (walkPassedKey(section, key, bit)) return false;
    // Each name the walk passes is compared with every later key of its
    // bit: a section of very many keys is left to the key index.
    if (loaded_.names.size() >= kWalkedNamesLimit) return false;
    loaded_.lastPatched = false;
    if (!patchNextKeyLine(section, key, bit, value)) appendLoadedKey(section, key, bit, value);
    return true;
}

std::string_view Document::loadedName(const Section& section,
                                      const LoadedSection::Name& name) const {
    return std::string_view(name.added ? section.added : text_).substr(name.at, name.size);
}

bool Document::repeatsLastPatchedKey(const Section& section, std::string_view key) const {
    const std::vector<LoadedSection::Name>& names = loaded_.names;
    return loaded_.lastPatched && names.back().size == key.size() &&
           matchesIgnoringAsciiCase(loadedName(section, names.back()), key);
}

void Document::replaceLastPatchValue(std::string_view value) {
    Patch& last = patches_.back();
    patchValues_.resize(patches_.size() > 1 ? patches_[patches_.size() - 2].valueEnd : 0);
    patchValues_ += value;
    last.valueEnd = patchValues_.size();
}

bool Document::walkPassedKey(const Section& section, std::string_view key,
                             std::uint64_t bit) const {
    if ((loaded_.bitsSeen & bit) == 0) return false;
    for (const LoadedSection::Name& passed : loaded_.names)
        if (passed.bit == bit && matchesIgnoringAsciiCase(loadedName(section, passed), key))
            return true;
    return false;
}

bool Document::patchNextKeyLine(Section& section, std::string_view key, std::uint64_t bit,
                                std::string_view value) {
    std::vector<LoadedSection::Name>& names = loaded_.names;
    // Lines as LineCursor cuts them: the walk is always where a line begins,
    // after the line ends of the one before.
    const std::string_view body(text_.data(), section.bodyEnd);
    for (std::size_t at = loaded_.walked; at < body.size();) {
        std::size_t equals = key.size();
        std::size_t contentEnd;
        std::string_view name;
        bool keyLine = true;
        // A line that begins with the key's name and '=' is that key's line:
        // a plain name begins with no blank or '[' and holds no '=' or line
        // end.
        const bool keyFirst = at + equals < body.size() && body[at + equals] == '=' &&
                              matchesIgnoringAsciiCase(body.substr(at, equals), key);
        if (keyFirst) {
            contentEnd = lineEndIn(body, at + equals + 1);
            name = body.substr(at, equals);
        } else {
            contentEnd = lineEndIn(body, at);
            const LineInfo info = classify(body.substr(at, contentEnd - at), chars_);
            keyLine = info.kind == LineKind::key;
            equals = info.equals;
            name = info.name;
        }
        const std::size_t lineBegin = at;
        at = contentEnd;
        while (at < body.size() && isLineEnd(body[at])) ++at;
        if (!keyLine) continue;
        const bool found = keyFirst || matchesIgnoringAsciiCase(name, key);
        names.push_back({static_cast<std::size_t>(name.data() - text_.data()), name.size(),
                         found ? bit : nameBit(name), false});
        loaded_.bitsSeen |= names.back().bit;
        if (!found) continue;
        loaded_.walked = at;
        patchValues_ += value;
        patches_.push_back({lineBegin + equals + 1, contentEnd, patchValues_.size()});
        section.patchEnd = patches_.size();
        loaded_.lastPatched = true;
        return true;
    }
    return false;
}

// No line of the section holds the key: its line goes after the section's
// last line, as its write would put it.
void Document::appendLoadedKey(Section& section, std::string_view key, std::uint64_t bit,
                               std::string_view value) {
    loaded_.walked = section.bodyEnd;
    if (!section.bodyEndsLine) section.bodyLineEndAdded = true;
    loaded_.names.push_back({section.added.size(), key.size(), bit, true});
    loaded_.bitsSeen |= bit;
    section.added.reserve(section.added.size() + key.size() + value.size() + 3);
    section.added += key;
    section.added += '=';
    section.added += value;
    section.added += "\r\n";
}

void Document::patchesToReplaced(Section& section) {
    for (std::size_t i = section.patchBegin; i < section.patchEnd; ++i) {
        const std::size_t valueBegin = i > 0 ? patches_[i - 1].valueEnd : 0;
        replaced_[patches_[i].equalsEnd] =
            Replacement{patches_[i].contentEnd,
                        patchValues_.substr(valueBegin, patches_[i].valueEnd - valueBegin)};
    }
    section.patchEnd = section.patchBegin;
}

bool Document::writeInPlace(const WriteRequest& request) {
    const std::size_t number = findSection(request.sectionFolded);
    if (number == kNoSection) {
        const std::string header = request.headerLine();
        const LineInfo headerInfo = classify(header, chars_);
        if (headerInfo.kind != LineKind::header ||
            fold(headerInfo.name, chars_) != request.sectionFolded) {
            return false;
        }
        const std::string keyLine = request.keyLine();
        const LineInfo keyInfo = classify(keyLine, chars_);
        if (keyInfo.kind == LineKind::header) return false;
        endWithLineEnd();
        const std::size_t addedNumber = sections_.size();
        sections_.emplace_back();
        Section& added = sections_.back();
        added.begin = added.bodyEnd = added.end = text_.size();
        added.written = true;
        added.added = header + "\r\n";
        sectionIndex_.emplace(request.sectionFolded, addedNumber);
        addLine(added, keyIndexOf(addedNumber), keyLine, keyInfo);
        return true;
    }

    Section& section = sections_[number];
    section.written = true;
    if (section.patchEnd != section.patchBegin) patchesToReplaced(section);
    KeyIndex& keys = keyIndexOf(number);
    const auto key = keys.find(request.keyFolded);
    if (key != keys.end()) {
        KeyRef& ref = key->second;
        const std::string_view lines = ref.added ? std::string_view(section.added) : text_;
        std::string content(lines.substr(ref.line, ref.equalsEnd - ref.line));
        content += request.value;
        // A line such as "[K=v" turns into a header when the value brings a ']'.
        if (classify(content, chars_).kind == LineKind::header) return false;
        if (ref.added) {
            rewriteAddedValue(section, keys, ref, request.value);
        } else {
            replaced_[ref.equalsEnd] = Replacement{ref.contentEnd, std::string(request.value)};
        }
        return true;
    }

    const std::string keyLine = request.keyLine();
    const LineInfo keyInfo = classify(keyLine, chars_);
    if (keyInfo.kind == LineKind::header) return false;
    if (!section.bodyEndsLine) section.bodyLineEndAdded = true;
    addLine(section, keys, keyLine, keyInfo);
    return true;
}

void Document::noteWrittenTo(std::size_t sectionNumber) {
    if (sectionNumber == written_[0]) return;
    // Writes go back and forth between two sections (an entry and the count
    // in SYSTEM), so the last two keep their indexes; a small one written
    // before them gives up its index and the spare room of its added lines.
    if (written_[1] != sectionNumber) {
        const auto left = keyIndexes_.find(written_[1]);
        if (left != keyIndexes_.end() && left->second.size() <= kKeptIndexKeys) {
            keyIndexes_.erase(left);
            sections_[written_[1]].added.shrink_to_fit();
        }
    }
    written_[1] = written_[0];
    written_[0] = sectionNumber;
    writtenIndex_ = nullptr;
}

Document::KeyIndex& Document::keyIndexOf(std::size_t sectionNumber) {
    if (sectionNumber == written_[0] && writtenIndex_) return *writtenIndex_;
    noteWrittenTo(sectionNumber);
    const auto [at, made] = keyIndexes_.try_emplace(sectionNumber);
    writtenIndex_ = &at->second;  // the map's elements stay where they are
    if (!made) return at->second;
    KeyIndex& keys = at->second;
    const Section& section = sections_[sectionNumber];
    // The first key of each name wins: the loaded lines come first, then
    // the added ones (whose first line is the header of an appended section).
    auto indexLines = [&](std::string_view lines, std::size_t from, bool added) {
        LineCursor cursor(lines, from);
        LineSpan line;
        while (cursor.next(line)) {
            const LineInfo info =
                classify(lines.substr(line.begin, line.contentEnd - line.begin), chars_);
            if (info.kind != LineKind::key) continue;
            keys.emplace(fold(info.name, chars_),
                         KeyRef{added, line.begin, line.begin + info.equals + 1, line.contentEnd});
        }
    };
    if (section.begin < section.bodyEnd) {
        // Offsets stay those of the whole text: the view only ends early.
        const std::string_view body(text_.data(), section.bodyEnd);
        LineCursor cursor(body, section.begin);
        LineSpan header;
        cursor.next(header);
        indexLines(body, header.end, false);
    }
    indexLines(section.added, 0, true);
    return keys;
}

void Document::addLine(Section& section, KeyIndex& keys, const std::string& content,
                       const LineInfo& info) {
    const std::size_t line = section.added.size();
    if (info.kind == LineKind::key) {
        keys.emplace(fold(info.name, chars_),
                     KeyRef{true, line, line + info.equals + 1, line + content.size()});
    }
    section.added += content;
    section.added += "\r\n";
}

// An added line is rewritten where it stands; the added lines after it move.
void Document::rewriteAddedValue(Section& section, KeyIndex& keys, KeyRef& ref,
                                 std::string_view value) {
    const std::size_t oldLength = ref.contentEnd - ref.equalsEnd;
    section.added.replace(ref.equalsEnd, oldLength, value);
    const std::size_t line = ref.line;
    ref.contentEnd = ref.equalsEnd + value.size();
    if (value.size() == oldLength) return;
    for (auto& [name, other] : keys) {
        if (!other.added || other.line <= line) continue;
        other.line = other.line + value.size() - oldLength;
        other.equalsEnd = other.equalsEnd + value.size() - oldLength;
        other.contentEnd = other.contentEnd + value.size() - oldLength;
    }
}

// Before a section is appended, a text that does not end with a line end
// gets CR LF, given to whichever piece of the document ends it now.  (A
// section is appended when no section of its name was found, once the
// whole text was searched.)
void Document::endWithLineEnd() {
    if (sections_.empty()) {
        if (prefixEnd_ > 0 && !isLineEnd(text_[prefixEnd_ - 1])) prefixLineEndAdded_ = true;
        return;
    }
    Section& last = sections_.back();
    if (last.tailLineEndAdded) return;
    if (last.end > last.bodyEnd) {
        if (!isLineEnd(text_[last.end - 1])) last.tailLineEndAdded = true;
        return;
    }
    // Added lines end with CR LF, and a body without a line end got one
    // when the first line was added after it.
    if (!last.bodyEndsLine) last.bodyLineEndAdded = true;
}

std::string Document::bytes() const {
    std::string out = bytesBeforeTail();
    out += untouchedTail();
    return out;
}

std::string_view Document::untouchedTail() const {
    if (unicode_ || scanned_) return {};
    return std::string_view(text_).substr(sections_.back().begin);
}

std::string Document::bytesBeforeTail() const {
    if (unicode_) return text_;
    std::size_t size = text_.size() - untouchedTail().size() + 64;
    for (const Section& s : sections_) size += s.added.size();
    std::string out;
    out.reserve(size);
    out.append(text_, 0, prefixEnd_);
    if (prefixLineEndAdded_) out += "\r\n";
    // Sections, replacements and each section's patches are all in the
    // order of the loaded text.
    auto replacement = replaced_.begin();
    // While the text is not searched to its end, its last section found
    // and the rest after it are as they were loaded: no write reached them.
    const std::size_t searched = scanned_ ? sections_.size() : sections_.size() - 1;
    for (std::size_t number = 0; number < searched; ++number) {
        const Section& s = sections_[number];
        std::size_t pos = s.begin;
        std::size_t patch = s.patchBegin;
        auto put = [&](std::size_t at, std::size_t contentEnd, std::string_view value) {
            out.append(text_, pos, at - pos);
            out += value;
            pos = contentEnd;
        };
        for (;;) {
            const bool replacing =
                replacement != replaced_.end() && replacement->first <= s.bodyEnd;
            if (patch < s.patchEnd &&
                (!replacing || patches_[patch].equalsEnd < replacement->first)) {
                const std::size_t valueBegin = patch > 0 ? patches_[patch - 1].valueEnd : 0;
                put(patches_[patch].equalsEnd, patches_[patch].contentEnd,
                    std::string_view(patchValues_)
                        .substr(valueBegin, patches_[patch].valueEnd - valueBegin));
                ++patch;
            } else if (replacing) {
                put(replacement->first, replacement->second.contentEnd, replacement->second.value);
                ++replacement;
            } else {
                break;
            }
        }
        out.append(text_, pos, s.bodyEnd - pos);
        if (s.bodyLineEndAdded) out += "\r\n";
        out += s.added;
        out.append(text_, s.bodyEnd, s.end - s.bodyEnd);
        if (s.tailLineEndAdded) out += "\r\n";
    }
    return out;
}

bool Document::empty() const { return text_.empty() && sections_.empty(); }

}  // namespace mfg::profile

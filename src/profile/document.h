// One profile file held in memory across many writes.
//
// The list file receives tens of thousands of keys in one run.  Writing them
// through applyWrite would copy the whole text for every key; the document
// keeps the loaded text untouched and records each write beside it, so a
// write costs about the length of its line and names (the first write into a
// section of the loaded text also reads that section once, and the text is
// searched for headers only as far as the writes need).  The bytes it
// produces are always exactly those that applying the same writes one by one
// with applyWrite would give.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "profile/profile_syntax.h"
#include "profile/write_request.h"
#include "text/codepage.h"

namespace mfg::profile {

class Document {
public:
    Document() : Document(std::string(), text::CodePage()) {}
    explicit Document(std::string text, text::CodePage cp);

    Document(Document&&) = default;
    Document& operator=(Document&&) = default;
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    // WritePrivateProfileStringA(section, key, value).  A UTF-16 text is not
    // written to (see applyWrite): the call returns false and the text stays.
    bool write(std::string_view section, std::string_view key, std::string_view value);

    // write(section, key, value) for each pair in order, with the same bytes
    // as a result.  A section the text does not hold yet, whose keys are
    // plain (distinct names, each line read back under the name it was
    // written with), is added in one piece, without a look-up per key.
    struct KeyValue {
        std::string_view key;
        std::string_view value;
    };
    bool writeKeys(std::string_view section, const std::vector<KeyValue>& keys);

    // A section written key by key, for a writer whose keys come one after
    // another (the list file's entries).  beginSection tells whether
    // `section` can be written so:
    // - a new one (no section of its name yet, and its header reads back
    //   under that name), each key copied once, into the section's text;
    // - or one of the loaded text that no write has reached yet (a list
    //   written over the one an earlier run left): its lines are walked once,
    //   from the top, as the keys come, and each key's value is put over
    //   that of the key's first line, or a key line is added at the end of
    //   the section for a name it does not hold.
    // addKey then puts a key as its own write would, or refuses it (a name
    // of other bytes than letters, digits and '_', a repeated name, or in a
    // loaded section a name whose first line the walk has passed; a value
    // with a line end) and leaves it for write().  endSection ends the
    // section, the bytes of the same writes one by one, and must come before
    // any other write.
    bool beginSection(std::string_view section);
    // `plainValue`: the caller found no NUL, CR or LF in `value`.
    bool addKey(std::string_view key, std::string_view value, bool plainValue = false);
    void endSection();

    // The file's text after every write so far.
    std::string bytes() const;
    // The same in two parts: the loaded text after the last section the
    // writes searched for, which no write reached (a list written over a
    // larger one: most of it), is given as it lies in the loaded text, so
    // that a commit writes it without a copy.  bytes() is their sum.
    std::string bytesBeforeTail() const;
    std::string_view untouchedTail() const;
    bool empty() const;

    // The text is UTF-16 and some write was refused.
    bool writesRefused() const { return refused_; }
    bool unicode() const { return unicode_; }
    const text::CodePage& codePage() const { return cp_; }

private:
    // Where a key line is: in the loaded text (offsets into it) or among the
    // lines writes have added to its section (offsets into those lines).
    struct KeyRef {
        bool added = false;
        std::size_t line = 0;        // start of the line
        std::size_t equalsEnd = 0;   // just after the '='
        std::size_t contentEnd = 0;  // end of the line before its line end
    };
    struct Replacement {
        std::size_t contentEnd;
        std::string value;
    };
    // The first key line of each folded name in one section.  A list holds
    // tens of thousands of sections of about twenty keys each, and writes go
    // to one or two of them at a time: the index of a small section is kept
    // only while writes go to it and is found again from its lines when they
    // come back; a large one keeps its index, so that going back to it never
    // costs more than a small section's lines.
    using KeyIndex = std::unordered_map<std::string, KeyRef>;
    static constexpr std::size_t kKeptIndexKeys = 64;
    static constexpr std::size_t kWalkedNamesLimit = 1024;
    // A section of the loaded text is [begin, end): the header up to the last
    // line that is not blank and that line's first line end, up to bodyEnd,
    // then blank lines.  Lines added by writes go between the two, in
    // `added`, each with its CR LF.  Sections that writes append have
    // begin == bodyEnd == end and their header as the first added line.
    struct Section {
        std::size_t begin = 0;
        std::size_t bodyEnd = 0;
        std::size_t end = 0;
        std::string added;
        bool bodyEndsLine = true;       // the last non-blank line has a line end
        bool bodyLineEndAdded = false;  // ... or a write gave it one
        bool tailLineEndAdded = false;  // a write ended the blank lines at the end
        bool written = false;           // some write reached it
        // Its values put by a walk of its lines: patches_[patchBegin, patchEnd).
        std::size_t patchBegin = 0;
        std::size_t patchEnd = 0;
    };
    // A loaded key line's new value, put by a walk: it replaces the line's
    // bytes from equalsEnd to contentEnd, and is patchValues_ from the
    // previous patch's valueEnd (0 for the first) to its own.
    struct Patch {
        std::size_t equalsEnd;
        std::size_t contentEnd;
        std::size_t valueEnd;
    };

    void load(std::string text);
    // The loaded text is searched for its headers as far as the writes
    // need: a list written over a larger one never looks at the sections
    // it does not write.  scanNextHeader adds the next section found (true)
    // or ends the last one at the end of the text; endLastSection ends the
    // last section found where the next begins.
    bool scanNextHeader();
    void endLastSection(std::size_t end);
    // The first section of the folded name, with its end found, or
    // kNoSection once the whole text holds none.
    std::size_t findSection(const std::string& folded);
    bool writeInPlace(const WriteRequest& request);
    // beginSection's checks, and the header line put when they pass.
    bool openSection(std::string_view section);
    // beginSection for a section of the loaded text, and addKey for it.
    bool openLoadedSection(std::size_t sectionNumber);
    bool putOverLoadedKey(std::string_view key, std::string_view value, bool plainValue);
    // The parts of putOverLoadedKey: the key it put last put again, a key
    // whose line the walk has passed, the walk on to the key's next line
    // (false: the section holds none), and the key's line added at the end.
    bool repeatsLastPatchedKey(const Section& section, std::string_view key) const;
    void replaceLastPatchValue(std::string_view value);
    bool walkPassedKey(const Section& section, std::string_view key, std::uint64_t bit) const;
    bool patchNextKeyLine(Section& section, std::string_view key, std::uint64_t bit,
                          std::string_view value);
    void appendLoadedKey(Section& section, std::string_view key, std::uint64_t bit,
                         std::string_view value);
    // The walk's patches of `section` go to replaced_, where writes one by
    // one find them.
    void patchesToReplaced(Section& section);
    // Writes go to this section now: the index of an older one may go.
    void noteWrittenTo(std::size_t sectionNumber);
    KeyIndex& keyIndexOf(std::size_t sectionNumber);
    // `info` is what classify() says of `content`.
    void addLine(Section& section, KeyIndex& keys, const std::string& content,
                 const syntax::LineInfo& info);
    void rewriteAddedValue(Section& section, KeyIndex& keys, KeyRef& ref, std::string_view value);
    void endWithLineEnd();

    text::CodePage cp_;
    syntax::Chars chars_;
    std::string text_;  // the loaded text, never changed by writes
    bool unicode_ = false;
    bool refused_ = false;
    std::size_t prefixEnd_ = 0;  // lines before the first header
    std::size_t scanFrom_ = 0;   // where the search for headers goes on
    bool scanned_ = true;        // ... or it reached the end of the text
    bool prefixLineEndAdded_ = false;
    // The sections found so far, in the order of the text, then those that
    // writes appended (once the whole text was searched).
    std::vector<Section> sections_;
    std::unordered_map<std::string, std::size_t> sectionIndex_;  // first section of each name
    // New values of loaded key lines, by the offset just after their '='.
    std::map<std::size_t, Replacement> replaced_;
    // New values of loaded key lines put by walks: a section's patches are
    // in the order of its lines, and a section is walked at most once.
    std::vector<Patch> patches_;
    std::string patchValues_;
    std::unordered_map<std::size_t, KeyIndex> keyIndexes_;  // by section number
    static constexpr std::size_t kNoSection = static_cast<std::size_t>(-1);
    // The sections written last and the one before it, and the index of the last.
    std::size_t written_[2] = {kNoSection, kNoSection};
    KeyIndex* writtenIndex_ = nullptr;
    // The last write's section and key as given, and its request: the list's
    // COUNT goes to SYSTEM after every entry, and only its value changes.
    std::string lastWriteSection_;
    std::string lastWriteKey_;
    bool lastWriteKept_ = false;
    WriteRequest lastWrite_;
    // The last section beginSection refused: one that is there, or whose
    // header would not read back, stays so.
    std::string refusedSection_;
    bool refusedKept_ = false;
    // The section beginSection started; its buffers keep their room from
    // one section to the next.
    struct NewSection {
        bool open = false;
        std::string folded;
        // The header line and each key line, with CR LF: lines[0, used).
        // Its bytes beyond `used` are room, never filled before they are
        // written (a line is copied once, into place).
        std::vector<char> lines;
        std::size_t used = 0;
        char* room(std::size_t size) {
            if (used + size > lines.size())
                lines.resize(std::max(2 * lines.size(), used + size + 256));
            char* at = lines.data() + used;
            used += size;
            return at;
        }
        std::string_view text() const { return {lines.data(), used}; }
        // Each key's name, as where it lies in `lines`, and a bit of 64 that
        // names folding alike share: a name is compared only with the
        // earlier names of its bit.
        struct Name {
            std::size_t at;
            std::size_t size;
            std::uint64_t bit;
        };
        std::vector<Name> names;
        std::uint64_t bitsSeen = 0;
    };
    NewSection new_;
    // The loaded section beginSection opened, walked as its keys come.
    struct LoadedSection {
        bool open = false;
        std::size_t number = 0;
        std::size_t walked = 0;  // where the next line begins
        // The name of every key line the walk has passed (as where it lies
        // in the loaded text or, for lines it added, in the section's added
        // lines), with its bit as in NewSection: a key whose name is among
        // them has its first line behind the walk.
        struct Name {
            std::size_t at;
            std::size_t size;
            std::uint64_t bit;
            bool added;
        };
        std::vector<Name> names;
        std::uint64_t bitsSeen = 0;
        // The last key put is the last patch (and names.back()): the same
        // key written again only changes its value.
        bool lastPatched = false;
    };
    LoadedSection loaded_;
    // A name the walk passed, as the section holds it.
    std::string_view loadedName(const Section& section, const LoadedSection::Name& name) const;
};

}  // namespace mfg::profile

#include "output/list_file.h"

#include <utility>

#include "profile/profile_file.h"
#include "profile/profile_syntax.h"
#include "text/codepage.h"
#include "text/mbstring.h"
#include "trace/trace_log.h"

namespace mfg::output {

namespace {
std::vector<ListWrite>* g_journal = nullptr;

// oneLine's rare part, out of the way of its every call.
[[gnu::noinline]] std::string_view cutAtLineBreak(std::string_view text, std::size_t end,
                                                  const char* what, std::string_view section,
                                                  std::string_view key) {
    TraceLog("********** LINE BREAK IN %s ,CUT TO %d : SECTION = %s ,KEY = %s", what,
             static_cast<int>(end), std::string(section).c_str(), std::string(key).c_str());
    return text.substr(0, end);
}

// The text up to its first line break; the cut is traced.
std::string_view oneLine(std::string_view text, const char* what, std::string_view section,
                         std::string_view key) {
    const std::size_t end = profile::syntax::findLineEnd(text);
    if (end == std::string_view::npos) return text;
    return cutAtLineBreak(text, end, what, section, key);
}

}  // namespace

void ListFile::recordWritesForTesting(std::vector<ListWrite>* journal) { g_journal = journal; }

bool ListFile::write(std::string_view section, std::string_view key, std::string_view value) {
    if (state_ == State::abandoned) return false;
    if (state_ == State::notLoaded) {
        if (profile::loadDocument(path_, document_)) {
            state_ = State::loaded;
        } else {
            state_ = State::unreadable;
            TraceLog("********** CANNOT READ LIST FILE = %s (LEFT AS IT WAS, NOTHING WRITTEN)",
                     path_.c_str());
        }
    }
    if (state_ != State::loaded) return false;
    // The keys of one section come one after another: a section equal to
    // the last one has no line break (that one was cut at its first).
    const bool sameSection = hasLastSection_ && section == lastSection_;
    if (!sameSection) section = oneLine(section, "SECTION", section, key);
    key = oneLine(key, "KEY", section, key);
    // A value without NUL, CR or LF (nearly every one) is told so once, here.
    const bool plainValue = profile::syntax::findNulOrLineEnd(value) == std::string_view::npos;
    if (!plainValue) value = oneLine(value, "VALUE", section, key);
    if (g_journal)
        g_journal->push_back({std::string(section), std::string(key), std::string(value)});
    changed_ = true;
    if (document_.unicode()) return document_.write(section, key, value);  // refused
    if (!sameSection) {
        flush();
        lastSection_.assign(section);
        hasLastSection_ = true;
        building_ = document_.beginSection(section);
    }
    if (building_) {
        if (document_.addKey(key, value, plainValue)) return true;
        // This key and the rest of the section go one by one.
        flush();
    }
    return document_.write(section, key, value);
}

void ListFile::flush() {
    if (!building_) return;
    building_ = false;
    document_.endSection();
}

void ListFile::abandon() {
    if (state_ == State::abandoned) return;
    state_ = State::abandoned;
    building_ = false;  // what was built never reaches the document's text
    TraceLog("********** LIST FILE LEFT AS IT WAS = %s", path_.c_str());
}

bool ListFile::commit() {
    if (state_ == State::unreadable || state_ == State::abandoned) return false;
    if (!changed_) return true;
    flush();
    std::string error;
    if (profile::commitDocument(path_, document_, &error)) {
        changed_ = false;
        return true;
    }
    const std::string reason = text::toUpperAscii(error, text::CodePage::active());
    TraceLog("********** CANNOT WRITE LIST FILE = %s (%s)", path_.c_str(), reason.c_str());
    return false;
}

}  // namespace mfg::output

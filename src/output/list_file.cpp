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
    // the gathered one has no line break (that one was cut at its first).
    if (pendingKeys_ == 0 || section != pendingSection_)
        section = oneLine(section, "SECTION", section, key);
    key = oneLine(key, "KEY", section, key);
    value = oneLine(value, "VALUE", section, key);
    if (g_journal)
        g_journal->push_back({std::string(section), std::string(key), std::string(value)});
    changed_ = true;
    if (document_.unicode()) return document_.write(section, key, value);  // refused
    if (pendingKeys_ > 0 && section != pendingSection_) flush();
    if (pendingKeys_ == 0) {
        pendingSection_.assign(section);
        pendingText_.clear();
        pendingEnds_.clear();
    }
    pendingText_.append(key);
    pendingEnds_.push_back(pendingText_.size());
    pendingText_.append(value);
    pendingEnds_.push_back(pendingText_.size());
    ++pendingKeys_;
    return true;
}

void ListFile::flush() {
    if (pendingKeys_ == 0) return;
    pendingViews_.clear();
    const std::string_view text(pendingText_);
    std::size_t begin = 0;
    for (std::size_t i = 0; i < pendingKeys_; ++i) {
        const std::size_t keyEnd = pendingEnds_[2 * i];
        const std::size_t valueEnd = pendingEnds_[2 * i + 1];
        pendingViews_.push_back({text.substr(begin, keyEnd - begin),
                                 text.substr(keyEnd, valueEnd - keyEnd)});
        begin = valueEnd;
    }
    pendingKeys_ = 0;
    document_.writeKeys(pendingSection_, pendingViews_);
}

void ListFile::abandon() {
    if (state_ == State::abandoned) return;
    state_ = State::abandoned;
    pendingKeys_ = 0;
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

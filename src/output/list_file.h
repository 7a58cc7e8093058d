// The install list file while a list run writes it.
//
// The file is loaded once as a profile document (what it held before the run
// included), every key the run writes changes the document in memory, and
// the document is committed once, atomically, when the run ends.  The file
// that results is byte for byte the one the platform's key-by-key profile
// writer would leave, but it costs one write instead of one whole-file
// rewrite per key, and a power cut leaves the old list or the new one, never
// a torn one.  A run that writes nothing leaves the file untouched.  The
// keys of one section usually come one after another: a new section is
// built in the document key by key, each key copied once, into its text,
// and a section the old list holds (a machine reworked, a run repeated) is
// walked once as its keys come.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "profile/document.h"

namespace mfg::output {

// One key write as the run made it, for tests that replay a run's writes
// through the platform's own profile writer.
struct ListWrite {
    std::string section;
    std::string key;
    std::string value;
};

class ListFile {
public:
    explicit ListFile(std::string path) : path_(std::move(path)) {}
    ListFile(const ListFile&) = delete;
    ListFile& operator=(const ListFile&) = delete;

    // WritePrivateProfileStringA on the document.  The first write loads the
    // file; a file that exists but cannot be read is traced once and takes
    // no writes at all, so the commit cannot overwrite what it held.  A CR or
    // LF in a key or a value would start a line of its own (keys nobody
    // wrote): the text is cut there and the cut traced.
    bool write(std::string_view section, std::string_view key, std::string_view value);

    // Replaces the file with the document when some write reached it.  A
    // failure (missing folder, read-only file) leaves the file as it was and
    // is traced with the path and the reason.  True when nothing failed.
    bool commit();

    // The run failed before its list was complete: nothing is committed and
    // no further write is taken, so the file stays as it was.
    void abandon();
    bool abandoned() const { return state_ == State::abandoned; }

    const std::string& path() const { return path_; }

    // While set, every write of every list file is also appended here.
    static void recordWritesForTesting(std::vector<ListWrite>* journal);

private:
    enum class State { notLoaded, loaded, unreadable, abandoned };

    // Adds the section being built to the document.
    void flush();

    std::string path_;
    State state_ = State::notLoaded;
    bool changed_ = false;
    profile::Document document_;
    // The section the last write went to (its line break cut), and whether
    // the document is building it as a new section.
    std::string lastSection_;
    bool hasLastSection_ = false;
    bool building_ = false;
};

}  // namespace mfg::output

// The process-file reader: walks the sections of one process file at a time
// and answers key lookups in the current section only, so that two sections
// of the same name are read as two entries, in file order.
//
// There is one reader per process (GetInstance / ReleaseInstance).  A walk is
// OpenFile, FirstSection, then NextSection while a section is current, then
// CloseFile.  Operations answer 1 for done and 0 for nothing done.
//
// The file is read as the profile lookups read it: a UTF-8 byte-order mark
// is skipped and a UTF-16 file is converted to the code page; characters the
// code page lacks are read as "?" (and counted, for the trace).  A read that fails part-way is
// not an end of file: the walk ends and readError() says why, so that no
// list is made from part of a process file.
//
// Lookups are answered from the current section's text in memory.  The
// reader still leaves the section where factory engineers look for it: the
// temporary section file (Temp.ini at the root of the system drive) holds the
// current section after every step, and the lookup copy D:\temp.ini holds it
// after every lookup.  No answer depends on either file: another process may
// write them, or they may not be writable at all.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "profile/profile_text.h"
#include "profile/profile_unicode.h"
#include "reader/section_scanner.h"
#include "text/codepage.h"

namespace mfg {

class CParseIniFile;

// What the reader tells about itself at run time, as the class library's
// run-time class information does: its class and base class names, its
// schema, and a way to make another reader.  Nothing in the library looks
// classes up by name; the record is kept for a host that inspects it.
struct RuntimeClass {
    const char* className;
    int schema;
    const char* baseClassName;
    CParseIniFile* (*createObject)();  // a new reader, as GetInstance makes it
};

inline constexpr const char kTempSectionFileName[] = "Temp.ini";
inline constexpr const char kLookupCopyPath[] = "D:\\temp.ini";

class CParseIniFile {
public:
    // The one reader, created by the first call; null when it cannot be made
    // (the next call tries again).
    static CParseIniFile* GetInstance();
    // Destroys the reader; an open walk's files are closed, the temporary
    // section file is left where it is.
    static void ReleaseInstance();

    static const RuntimeClass classCParseIniFile;
    virtual const RuntimeClass* GetRuntimeClass() const;
    virtual ~CParseIniFile();

    CParseIniFile(const CParseIniFile&) = delete;
    CParseIniFile& operator=(const CParseIniFile&) = delete;

    // Opens a process file (surrounding blanks of the path ignored) for a
    // walk.  Each successful open traces the temporary section file's path;
    // a failed one traces nothing and leaves no file open.
    int OpenFile(std::string_view path);
    // Loads the first section of the open file; 1 when there is one.
    int FirstSection();
    // Loads the section after the current one; 1 when there is one.  Right
    // after OpenFile it loads the first section.
    int NextSection();
    // The key's value in the current section, trimmed, at most 259 bytes;
    // "" when the key, the section or the walk is missing.  The section is
    // the text the walk cut, whatever its header's name holds.
    std::string GetValue(std::string_view key);
    // The same, whatever its length: for a reader that cuts the value to a
    // field of its own and traces the cut.
    std::string wholeValue(std::string_view key);
    // GetValue and wholeValue without a copy, for the library's own readers:
    // a view into the current section's text, valid until the next step of
    // the walk (FirstSection, NextSection, OpenFile, CloseFile) or the
    // reader's release; further lookups leave it valid.
    std::string_view valueView(std::string_view key);
    std::string_view wholeValueView(std::string_view key);
    // The text between the section's "[" and the first "]" of its text; ""
    // when there is no current section.  Not trimmed.
    std::string GetSectionName() const;
    // Ends the walk: closes the process file and both section files and
    // deletes the temporary section file.  Always 0.
    int CloseFile();

    // Why the last OpenFile failed, or why the walk ended before the end of
    // the file (a read error, an encoding the library cannot read); "" when
    // neither happened.
    const std::string& readError() const { return readError_; }
    // Characters of a UTF-16 file read so far that the code page lacks.
    std::size_t unrepresentableCount() const { return unrepresentable_; }

    // Where the walk stands, for diagnostics and tests.  The read position is
    // the offset in the process file where the next step starts: the "[" of
    // the next section's header after a step that found one, the size of the
    // file once the walk has ended, 0 after OpenFile.
    std::uint64_t readPosition() const { return readPosition_; }
    const std::string& sectionText() const { return sectionText_; }
    // The line of the process file, from 1, where the current section's
    // header stands (as an editor counts lines); 0 when no section is
    // current.
    std::uint64_t sectionLine() const { return sectionLine_; }
    const std::string& processFilePath() const { return processFilePath_; }
    const std::string& tempFilePath() const { return tempFilePath_; }

    // Whether the walk leaves the section files (on unless switched off).
    // The command-line tool's second run through this code only gathers each
    // section's fate, and no engineer looks at its files: it switches them
    // off for that run, which spares two file writes per section.  Nothing
    // in the library as the host loads it switches them off.
    void keepSectionFiles(bool keep) { sectionFilesKept_ = keep; }

private:
    CParseIniFile();
    static CParseIniFile* CreateObject();

    int step();
    int ReadSection();
    bool readDecoded(char* buffer, std::size_t size, std::size_t& got);
    std::string_view lookup(std::string_view key, std::size_t bufferSize);
    int WriteTempFile();
    void writeLookupCopy();
    static std::string MakeTempPath(std::string_view fileName);

    std::unique_ptr<platform::InputFile> processFile_;
    std::uint64_t readPosition_ = 0;
    std::uint64_t sectionLine_ = 0;
    std::string processFilePath_;
    std::string sectionText_;
    std::string tempFilePath_;  // worked out once, at the first open

    text::CodePage codePage_;  // the machine's, taken at OpenFile
    std::unique_ptr<reader::SectionScanner> scanner_;
    std::unique_ptr<profile::FileTextDecoder> decoder_;  // one per pass over the file
    std::string rawChunk_;          // the bytes of one read, its room kept for the walk
    std::string decoded_;           // text decoded and not yet scanned
    std::size_t decodedTaken_ = 0;  // bytes of decoded_ already scanned
    bool rawEnded_ = false;
    std::string readError_;
    std::size_t unrepresentable_ = 0;
    bool stepped_ = false;  // a step has run in this walk
    bool lookupCopyCurrent_ = false;
    // The current section's keys, found at its first lookup: a reader asks
    // for about twenty keys of every section.  Made at OpenFile, for the
    // walk's code page.
    std::unique_ptr<profile::SectionKeys> sectionKeys_;
    bool sectionKeysCurrent_ = false;
    std::unique_ptr<platform::RewritableFile> tempFile_;
    std::unique_ptr<platform::RewritableFile> lookupCopy_;
    bool sectionFilesKept_ = true;
};

}  // namespace mfg

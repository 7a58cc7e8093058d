#include "reader/parse_ini_file.h"

#include <new>
#include <utility>

#include "profile/profile_text.h"
#include "text/mbstring.h"
#include "trace/trace_log.h"

namespace mfg {
namespace {

CParseIniFile* g_reader = nullptr;

// What a lookup buffer of the profile functions holds: 259 bytes and a NUL.
constexpr std::size_t kValueBufferSize = 260;

}  // namespace

const RuntimeClass CParseIniFile::classCParseIniFile = {"CParseIniFile", 1, "CObject",
                                                        &CParseIniFile::CreateObject};

CParseIniFile::CParseIniFile() = default;
CParseIniFile::~CParseIniFile() = default;

CParseIniFile* CParseIniFile::CreateObject() { return new (std::nothrow) CParseIniFile(); }

CParseIniFile* CParseIniFile::GetInstance() {
    if (!g_reader) g_reader = CreateObject();
    return g_reader;
}

void CParseIniFile::ReleaseInstance() {
    delete g_reader;
    g_reader = nullptr;
}

const RuntimeClass* CParseIniFile::GetRuntimeClass() const { return &classCParseIniFile; }

std::string CParseIniFile::MakeTempPath(std::string_view fileName) {
    // The root of the system drive: writable on every factory image, and the
    // place engineers know to look.  Without an answer the bare name is used.
    std::string dir;
    if (!platform::systemDirectory(dir)) dir.clear();
    return dir.substr(0, 3) + std::string(fileName);
}

int CParseIniFile::OpenFile(std::string_view path) {
    const std::string trimmed(text::trim(path));
    readPosition_ = 0;
    scanner_.reset();  // it reads through the file being replaced
    processFile_ = platform::openForReading(trimmed);
    if (!processFile_) return 0;
    processFilePath_ = trimmed;
    if (tempFilePath_.empty()) tempFilePath_ = MakeTempPath(kTempSectionFileName);
    TraceLog("TEMP FILE = %s", tempFilePath_.c_str());
    codePage_ = text::CodePage::active();
    stepped_ = false;
    return 1;
}

int CParseIniFile::FirstSection() {
    scanner_.reset();
    readPosition_ = 0;
    // The one seek of a walk; every later read follows on from the last.  A
    // file that cannot be rewound reads as a failed read: no section.
    if (processFile_ && !processFile_->seek(0)) {
        scanner_ = std::make_unique<reader::SectionScanner>(
            [](char*, std::size_t, std::size_t&) { return false; }, codePage_);
    }
    return Step();
}

int CParseIniFile::NextSection() { return Step(); }

int CParseIniFile::Step() {
    sectionText_.clear();
    sectionName_.clear();
    if (!processFile_) return 0;
    const int found = ReadSection();
    WriteTempFile();
    stepped_ = true;
    lookupCopyCurrent_ = false;
    return found;
}

int CParseIniFile::ReadSection() {
    if (!scanner_) {
        // A fresh walk reads from where the file pointer stands: the start
        // of the file after OpenFile or FirstSection.
        platform::InputFile* file = processFile_.get();
        scanner_ = std::make_unique<reader::SectionScanner>(
            [file](char* buffer, std::size_t size, std::size_t& got) {
                return file->read(buffer, size, got);
            },
            codePage_);
    }
    const bool found = scanner_->next(sectionText_);
    readPosition_ = scanner_->position();
    return found ? 1 : 0;
}

int CParseIniFile::WriteTempFile() {
    // Opened once per walk and rewritten in place: creating a file per
    // section costs twenty times as much.  A file that cannot be created is
    // tried again at the next step.
    if (!tempFile_ && !tempFilePath_.empty())
        tempFile_ = platform::createForRewriting(tempFilePath_);
    if (!tempFile_) return 0;
    tempFile_->rewrite(sectionText_);
    return 1;
}

void CParseIniFile::WriteLookupCopy() {
    if (!lookupCopy_) lookupCopy_ = platform::createForRewriting(kLookupCopyPath);
    if (lookupCopy_) lookupCopy_->rewrite(sectionText_);
}

std::string CParseIniFile::GetSectionName() const {
    if (sectionText_.empty()) return {};
    const std::size_t open = text::findChar(sectionText_, '[', 0, codePage_);
    if (open == std::string::npos) return {};
    const std::size_t close = text::findChar(sectionText_, ']', 0, codePage_);
    if (close == std::string::npos || close <= open) return {};
    return sectionText_.substr(open + 1, close - open - 1);
}

std::string CParseIniFile::GetValue(std::string_view key) {
    // Before the first step of a walk, and after it, there is no section to
    // look in (the temporary file of an earlier walk is gone).
    if (!processFile_ || !stepped_) return {};
    if (sectionName_.empty()) sectionName_ = GetSectionName();
    const std::string value =
        profile::getString(sectionText_, sectionName_, key, "", kValueBufferSize, codePage_);
    if (!lookupCopyCurrent_) {
        WriteLookupCopy();
        lookupCopyCurrent_ = true;
    }
    return std::string(text::trim(value));
}

int CParseIniFile::CloseFile() {
    processFile_.reset();
    scanner_.reset();
    stepped_ = false;
    // Both handles go before the delete: Windows deletes an open file only
    // when its last handle closes.
    tempFile_.reset();
    lookupCopy_.reset();
    if (!tempFilePath_.empty()) platform::deleteFile(tempFilePath_);
    return 0;
}

}  // namespace mfg

#include "reader/parse_ini_file.h"

#include <algorithm>
#include <cstring>
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
    const std::string trimmed(text::trimAsciiSpace(path));
    readPosition_ = 0;
    scanner_.reset();  // it reads through the file being replaced
    readError_.clear();
    processFile_ = platform::openForReading(trimmed, &readError_);
    if (!processFile_) return 0;
    processFilePath_ = trimmed;
    if (tempFilePath_.empty()) tempFilePath_ = MakeTempPath(kTempSectionFileName);
    TraceLog("TEMP FILE = %s", tempFilePath_.c_str());
    codePage_ = text::CodePage::active();
    sectionKeys_ = std::make_unique<profile::SectionKeys>(codePage_);
    sectionKeysCurrent_ = false;
    stepped_ = false;
    return 1;
}

int CParseIniFile::FirstSection() {
    scanner_.reset();
    readPosition_ = 0;
    // The one seek of a walk; every later read follows on from the last.  A
    // file that cannot be rewound reads as a failed read: no section.
    if (processFile_ && !processFile_->seek(0)) {
        readError_ = processFile_->lastError();
        scanner_ = std::make_unique<reader::SectionScanner>(
            [](char*, std::size_t, std::size_t&) { return false; }, codePage_);
    }
    return step();
}

int CParseIniFile::NextSection() { return step(); }

int CParseIniFile::step() {
    sectionText_.clear();
    sectionLine_ = 0;
    if (!processFile_) return 0;
    const int found = ReadSection();
    WriteTempFile();
    stepped_ = true;
    lookupCopyCurrent_ = false;
    sectionKeysCurrent_ = false;
    return found;
}

int CParseIniFile::ReadSection() {
    if (!scanner_) {
        // A fresh walk reads from where the file pointer stands: the start
        // of the file after OpenFile or FirstSection.
        decoder_ = std::make_unique<profile::FileTextDecoder>(codePage_);
        decoded_.clear();
        decodedTaken_ = 0;
        rawEnded_ = false;
        readError_.clear();
        unrepresentable_ = 0;
        scanner_ = std::make_unique<reader::SectionScanner>(
            [this](char* buffer, std::size_t size, std::size_t& got) {
                return readDecoded(buffer, size, got);
            },
            codePage_);
    }
    const bool found = scanner_->next(sectionText_);
    readPosition_ = scanner_->position();
    sectionLine_ = found ? scanner_->sectionLine() : 0;
    if (decoder_) unrepresentable_ = decoder_->unrepresentable();
    return found ? 1 : 0;
}

bool CParseIniFile::readDecoded(char* buffer, std::size_t size, std::size_t& got) {
    got = 0;
    static constexpr std::size_t kRawChunkSize = reader::SectionScanner::kDefaultChunkSize;
    while (decodedTaken_ == decoded_.size()) {
        decoded_.clear();
        decodedTaken_ = 0;
        if (rawEnded_) return true;
        // Made (and zero-filled) once a walk: each read overwrites it.
        std::string& raw = rawChunk_;
        if (raw.size() != kRawChunkSize) raw.assign(kRawChunkSize, '\0');
        std::size_t rawGot = 0;
        if (!processFile_->read(raw.data(), raw.size(), rawGot)) {
            readError_ = processFile_->lastError();
            if (readError_.empty()) readError_ = "read error";
            return false;
        }
        if (rawGot == 0) {
            rawEnded_ = true;
            decoder_->finish(decoded_);
        } else {
            decoder_->feed(std::string_view(raw.data(), rawGot), decoded_);
        }
        if (decoder_->unsupported()) {
            readError_ = profile::kUnsupportedEncoding;
            return false;
        }
    }
    got = std::min(size, decoded_.size() - decodedTaken_);
    std::memcpy(buffer, decoded_.data() + decodedTaken_, got);
    decodedTaken_ += got;
    return true;
}

int CParseIniFile::WriteTempFile() {
    // Opened once per walk and rewritten in place: creating a file per
    // section costs twenty times as much.  A file that cannot be created is
    // tried again at the next step.
    if (!sectionFilesKept_) return 1;
    if (!tempFile_ && !tempFilePath_.empty())
        tempFile_ = platform::createForRewriting(tempFilePath_);
    if (!tempFile_) return 0;
    tempFile_->rewrite(sectionText_);
    return 1;
}

void CParseIniFile::writeLookupCopy() {
    if (!sectionFilesKept_) return;
    if (!lookupCopy_) lookupCopy_ = platform::createForRewriting(kLookupCopyPath);
    if (lookupCopy_) lookupCopy_->rewrite(sectionText_);
}

std::string CParseIniFile::GetSectionName() const {
    return reader::sectionNameOf(sectionText_, codePage_);
}

std::string CParseIniFile::GetValue(std::string_view key) { return std::string(valueView(key)); }

std::string CParseIniFile::wholeValue(std::string_view key) {
    return std::string(wholeValueView(key));
}

std::string_view CParseIniFile::valueView(std::string_view key) {
    return lookup(key, kValueBufferSize);
}

std::string_view CParseIniFile::wholeValueView(std::string_view key) {
    // No value is longer than the section that holds it.
    return lookup(key, sectionText_.size() + 2);
}

std::string_view CParseIniFile::lookup(std::string_view key, std::size_t bufferSize) {
    // Before the first step of a walk, and after it, there is no section to
    // look in (the temporary file of an earlier walk is gone).
    if (!processFile_ || !stepped_) return {};
    // The walk cut this section at its header line: its keys are looked up
    // in that text, not by a name that may hold a "]" of its own.
    if (!sectionKeysCurrent_) {
        sectionKeys_->index(sectionText_);
        sectionKeysCurrent_ = true;
    }
    // A part of sectionText_ (the default "" has no text of its own).
    const std::string_view value = sectionKeys_->view(key, "", bufferSize);
    if (!lookupCopyCurrent_) {
        writeLookupCopy();
        lookupCopyCurrent_ = true;
    }
    // Most values have nothing to trim: told without a call.
    if (value.empty() || (!text::isAsciiSpace(value.front()) && !text::isAsciiSpace(value.back())))
        return value;
    return text::trimAsciiSpace(value);
}

int CParseIniFile::CloseFile() {
    processFile_.reset();
    scanner_.reset();
    decoder_.reset();
    decoded_.clear();
    decodedTaken_ = 0;
    std::string().swap(rawChunk_);
    stepped_ = false;
    // Both handles go before the delete: Windows deletes an open file only
    // when its last handle closes.
    tempFile_.reset();
    lookupCopy_.reset();
    if (sectionFilesKept_ && !tempFilePath_.empty()) platform::deleteFile(tempFilePath_);
    return 0;
}

}  // namespace mfg

// The library's one interface to the operating system.
//
// Everything above this header speaks in Windows paths (drive letter,
// backslashes), because the list file is for a Windows host.  The Win32
// implementation passes them straight to KERNEL32; the POSIX implementation
// maps them onto folders through the drive map of the environment, so the
// portable build behaves as a small Windows machine.
//
// Only what the library needs is here, named after what it does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace mfg::platform {

// ---- whole files ---------------------------------------------------------

// Does a file or a directory of this name exist (a directory search).
bool pathExists(std::string_view path);

// The whole content of a file; false when it cannot be opened or read, and
// `error` then receives a short reason.  Only a regular file is read.
bool readWholeFile(std::string_view path, std::string& content, std::string* error = nullptr);

// Replaces `path` with `content` so that no reader ever sees a torn file:
// a complete new file is written under a short name in the target's folder
// and moved over it.  A
// target that is read-only, or a folder that does not exist, fails and
// leaves the target as it was.  `error` receives a short reason on failure.
// The new file's bytes may come in two parts, `head` then `tail`, written
// one after the other.
bool replaceFileAtomically(std::string_view path, std::string_view head, std::string_view tail,
                           std::string* error);
inline bool replaceFileAtomically(std::string_view path, std::string_view content,
                                  std::string* error = nullptr) {
    return replaceFileAtomically(path, content, std::string_view(), error);
}

// DeleteFileA.
bool deleteFile(std::string_view path);

// Appends `text` to a file opened in text mode ("a"): the file is created
// when missing, and each LF is written as CR LF as a Windows text-mode
// stream does.
bool appendText(std::string_view path, std::string_view text);

// ---- open files ----------------------------------------------------------

// A file opened for reading with sharing for reading only, read in order.
class InputFile {
public:
    virtual ~InputFile() = default;
    // Reads up to `size` bytes at the file pointer; `got` is 0 at the end.
    virtual bool read(void* buffer, std::size_t size, std::size_t& got) = 0;
    // Moves the file pointer to `offset` from the beginning.
    virtual bool seek(std::uint64_t offset) = 0;
    // A short reason for the last read or seek that failed.
    virtual std::string lastError() const = 0;
};
// Null when the file cannot be opened (`error` then says why), or when it is
// not a regular file: a FIFO or a device would block the run or never end.
std::unique_ptr<InputFile> openForReading(std::string_view path, std::string* error = nullptr);

// A file created (or truncated) for writing and shared for reading and
// writing, whose whole content is rewritten in place again and again.
class RewritableFile {
public:
    virtual ~RewritableFile() = default;
    // Writes `content` from offset 0 and sets the end of file after it.
    virtual bool rewrite(std::string_view content) = 0;
};
std::unique_ptr<RewritableFile> createForRewriting(std::string_view path);

// ---- the machine ---------------------------------------------------------

// GetSystemDirectoryA; false when the query fails.
bool systemDirectory(std::string& dir);

// GetModuleFileNameA for the library's own file (not the host program).
bool moduleFileName(std::string& path);

// The fields of the extended version record that the library reads.
struct VersionInfo {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t build = 0;
    std::uint32_t platformId = 0;
    std::uint8_t productType = 0;  // 1 workstation, 2 domain controller, 3 server
    bool extended = false;         // answered with the extended record
};
// GetVersionExA: extended record first, then the basic one.  On failure
// returns false and `lastError` holds the system's error code.
bool windowsVersion(VersionInfo& info, std::uint32_t& lastError);

// OutputDebugStringA.
void debugOutput(const char* text);

// The active ANSI code page (1252, 932, 936, 949, 950, ...).
unsigned activeCodePage();

// ---- one list run ----------------------------------------------------------

// While one of these lives on a thread, the machine's settings that a host
// may change only between two runs are read once, when the outermost one
// starts, instead of at every path and every trace message: on the portable
// build the drive map, the code page and the debugger output's target of the
// environment.  The Windows
// build asks the system, which answers as cheaply, and holds nothing.
class RunSettingsHeld {
public:
    RunSettingsHeld();
    ~RunSettingsHeld();
    RunSettingsHeld(const RunSettingsHeld&) = delete;
    RunSettingsHeld& operator=(const RunSettingsHeld&) = delete;
};

}  // namespace mfg::platform

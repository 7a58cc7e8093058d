// The private-profile calls and CopyFileA, for tests that check a list file
// the way a host reads it and compare the library's own list document with
// the platform's writer.  The library never calls them: it reads process
// files with its own section reader and commits a list file whole.  On
// Windows they are KERNEL32's; on the POSIX build they are made from the
// same INI text model the list writer uses, at the library's Windows paths.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace mfg::test {

// GetPrivateProfileStringA: the value of `key` in `section` of `file`, or
// `def` when the file, the section or the key is missing.  The answer is
// what a buffer of `bufferSize` characters would receive, without the NUL.
std::string readProfileString(std::string_view section, std::string_view key, std::string_view def,
                              std::size_t bufferSize, std::string_view file);

// WritePrivateProfileStringA, key by key.
bool writeProfileString(std::string_view section, std::string_view key, std::string_view value,
                        std::string_view file);

// CopyFileA with overwrite.
bool copyFile(std::string_view from, std::string_view to);

}  // namespace mfg::test

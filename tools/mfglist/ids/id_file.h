// Hardware IDs or package names from a file, one a line ("-" for standard
// input), in whatever encoding the file was saved: UTF-8 with or without a
// byte-order mark, UTF-16 LE or BE with one (what PowerShell 5's '>' writes),
// or the library's ANSI code page.  The IDs come back in the library's code
// page, since the library compares them byte for byte.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace mfgtool {

enum class IdLines {
    // For people: blanks around an ID are dropped, and empty lines and lines
    // starting with '#' or ';' are skipped.
    tidy,
    // For reproducing a call: each line is one ID exactly as written (only
    // the line end is removed), since the library compares IDs unchanged and
    // a trailing blank changes a match.
    verbatim,
};

// The file's text as UTF-8 when it is Unicode (marked, or valid UTF-8), else
// its bytes unchanged; `unicode` says which.
std::string decodeIdsText(std::string_view bytes, bool& unicode);

// `name` is how messages name the source.  Throws UsageError naming the line
// of an ID that the code page cannot hold.
std::vector<std::string> idsFromText(std::string_view bytes, IdLines mode, int codePage,
                                     const std::string& name);

// The file's bytes ("-": standard input, read once).  Throws UsageError when
// the file cannot be read.
std::string readIdsFileBytes(const std::string& file);

// How messages name the file: "the IDs file F", or "standard input".
std::string idsFileName(const std::string& file);

// Throws UsageError when the file cannot be read.
std::vector<std::string> readIdsFile(const std::string& file, IdLines mode, int codePage);

// The bytes of an ID file, checked as idsFromText reads it (which refuses
// what is not text); every message names the file as `what` ("the model
// file", "the ignore file"), a dangling link with its target.  `idCount`,
// when given, gets the number of IDs it holds.
std::string idFileBytes(const std::filesystem::path& file, const std::string& what, int codePage,
                        std::size_t* idCount = nullptr);

}  // namespace mfgtool

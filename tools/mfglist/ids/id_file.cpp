#include "id_file.h"

#include <filesystem>
#include <iostream>
#include <iterator>

#include "common/errors.h"
#include "common/file_reads.h"
#include "common/text_encoding.h"

namespace mfgtool {
namespace {

bool startsWith(std::string_view text, std::string_view start) {
    return text.substr(0, start.size()) == start;
}

// A text that cannot be an IDs file: the message starts with "line N:" and
// the caller puts the file's name before it.
struct IdsTextError : UsageError {
    using UsageError::UsageError;
};

std::string hexUnit(char32_t unit) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out = "0x";
    for (int shift = 12; shift >= 0; shift -= 4) out += kDigits[(unit >> shift) & 0xF];
    return out;
}

std::string utf16ToUtf8(std::string_view bytes, bool bigEndian) {
    std::string utf8;
    std::size_t line = 1;
    const auto unit = [&](std::size_t i) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char32_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
    };
    std::u32string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char32_t c = unit(i);
        if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size()) {
            const char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        if (c >= 0xD800 && c < 0xE000)
            throw IdsTextError("line " + std::to_string(line) + ": a lone UTF-16 surrogate " +
                               hexUnit(c) + " (half of a character whose other half is missing)");
        if (c == '\n') ++line;
        text += c;
    }
    if (bytes.size() % 2 != 0)
        throw IdsTextError("line " + std::to_string(line) +
                           ": the UTF-16 text ends in an odd byte (every character takes two "
                           "bytes: the file is cut or not UTF-16)");
    for (const char32_t c : text) appendUtf8(utf8, c);
    return utf8;
}

std::string readAll(std::istream& in) {
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

std::string decodeIdsText(std::string_view bytes, bool& unicode) {
    unicode = true;
    if (startsWith(bytes, "\xEF\xBB\xBF")) return std::string(bytes.substr(3));
    if (startsWith(bytes, "\xFF\xFE")) return utf16ToUtf8(bytes.substr(2), false);
    if (startsWith(bytes, "\xFE\xFF")) return utf16ToUtf8(bytes.substr(2), true);
    // Plain ASCII reads the same either way; other text that is valid UTF-8
    // is almost never meant as a code page's bytes.
    unicode = isValidUtf8(bytes);
    return std::string(bytes);
}

namespace {

// Where `text` holds a control character no text file has (anything below
// a blank but tab, CR and LF, and DEL): "line N holds the control byte
// 0x03", or "" when none.  Random or binary bytes hit one within a few
// lines, where a code page's letters never do.
std::string controlByteAt(const std::string& text) {
    std::size_t line = 1;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\n') ++line;
        if ((byte < 0x20 && c != '\t' && c != '\r' && c != '\n') || byte == 0x7F)
            return "line " + std::to_string(line) + " holds the control byte 0x" +
                   hexBytes(std::string(1, c));
    }
    return {};
}

}  // namespace

// At most this many characters of a line are quoted in a message.
constexpr std::size_t kQuotedColumns = 40;

// The line as a message quotes it: cut to a short start, marked as cut.
std::string excerpt(const std::string& line) {
    const std::string_view start = takeColumns(line, kQuotedColumns, false);
    return std::string(start) + (start.size() < line.size() ? "..." : "");
}

std::vector<std::string> idsFromText(std::string_view bytes, IdLines mode, int codePage,
                                     const std::string& name) {
    bool unicode = false;
    std::string text;
    try {
        text = decodeIdsText(bytes, unicode);
    } catch (const IdsTextError& e) {
        throw UsageError(name + " " + e.what());
    }
    if (mode == IdLines::tidy)
        if (const std::string control = controlByteAt(text); !control.empty())
            throw UsageError(name + " is not text: " + control +
                             "; an ID file holds one ID a line");
    std::vector<std::string> ids;
    std::size_t lineNumber = 0;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (mode == IdLines::tidy) {
            const std::size_t first = line.find_first_not_of(" \t");
            if (first == std::string::npos || line[first] == '#' || line[first] == ';') continue;
            line = line.substr(first, line.find_last_not_of(" \t") - first + 1);
        }
        if (unicode) {
            std::optional<std::string> encoded = encodeCodePage(line, codePage);
            if (!encoded)
                throw UsageError(name + " line " + std::to_string(lineNumber) + ": \"" +
                                 excerpt(line) + "\" has a character that code page " +
                                 std::to_string(codePage) +
                                 " (the library's) cannot hold; the library could never match "
                                 "it");
            line = std::move(*encoded);
        }
        ids.push_back(std::move(line));
    }
    return ids;
}

std::string readIdsFileBytes(const std::string& file) {
    if (file == "-") {
        std::string text = readAll(std::cin);
        if (std::cin.bad()) throw UsageError("cannot read IDs from standard input");
        return text;
    }
    std::error_code ec;
    ReadFault fault = ReadFault::notOpened;
    std::optional<std::string> text =
        std::filesystem::is_directory(file, ec) ? std::nullopt : readFileWhole(file, fault);
    if (fault == ReadFault::notOpened)
        throw UsageError("cannot read the IDs file " + file +
                         "; give a readable file with one ID a line");
    if (!text) throw UsageError("cannot read the IDs file " + file);
    return std::move(*text);
}

std::string idsFileName(const std::string& file) {
    return file == "-" ? "standard input" : "the IDs file " + file;
}

std::vector<std::string> readIdsFile(const std::string& file, IdLines mode, int codePage) {
    return idsFromText(readIdsFileBytes(file), mode, codePage, idsFileName(file));
}

namespace {

namespace fs = std::filesystem;

void checkIsFile(const fs::path& file, const std::string& what) {
    std::error_code ec;
    const fs::file_status own = fs::symlink_status(file, ec);
    if (fs::is_symlink(own) && !fs::exists(file, ec)) {
        const fs::path target = fs::read_symlink(file, ec);
        throw UsageError(what + " " + file.string() + " is a link to " + target.string() +
                         ", which does not exist");
    }
    if (!fs::is_regular_file(file, ec))
        throw UsageError(what + " " + file.string() + " is not a file");
}

}  // namespace

std::string idFileBytes(const std::filesystem::path& file, const std::string& what, int codePage,
                        std::size_t* idCount) {
    checkIsFile(file, what);
    std::optional<std::string> bytes = readFileWhole(file);
    if (!bytes) throw UsageError("cannot read " + what + " " + file.string());
    const std::size_t ids =
        idsFromText(*bytes, IdLines::tidy, codePage, what + " " + file.string()).size();
    if (idCount) *idCount = ids;
    return std::move(*bytes);
}

}  // namespace mfgtool

// Encoding: what keeps the library from reading the bytes as they were meant.
#include <algorithm>
#include <string>

#include "checks.h"
#include "profile/profile_syntax.h"
#include "reader/section_scanner.h"
#include "rules.h"
#include "text/mbstring.h"

namespace mfgtool::lint {

namespace syntax = mfg::profile::syntax;

namespace {

constexpr std::string_view kDisableComment = "mfglist-lint:";

// "; mfglist-lint: disable=RULE,RULE" switches rules off for the file; a
// name that is no rule or category switches nothing off, and says so.
void readDisableComment(FileCheck& check, std::string_view content, std::uint64_t line) {
    std::string_view rest = syntax::trimProfileBlanksLeft(content);
    if (rest.empty() || rest[0] != ';') return;
    rest = syntax::trimProfileBlanksLeft(rest.substr(1));
    if (rest.substr(0, kDisableComment.size()) != kDisableComment) return;
    rest = syntax::trimProfileBlanksLeft(rest.substr(kDisableComment.size()));
    constexpr std::string_view kDisable = "disable=";
    if (rest.substr(0, kDisable.size()) != kDisable) return;
    rest = rest.substr(kDisable.size());
    while (!rest.empty()) {
        const std::size_t comma = rest.find(',');
        std::string_view name = syntax::trimProfileBlanksLeft(rest.substr(0, comma));
        while (!name.empty() && syntax::isProfileBlank(static_cast<unsigned char>(name.back())))
            name.remove_suffix(1);
        if (isRuleOrCategory(name)) {
            check.disabledHere.emplace_back(name);
        } else if (!name.empty()) {
            const std::size_t offset = static_cast<std::size_t>(name.data() - content.data());
            check.report(line, columnOf(content, offset, check.cp), "unknown-rule",
                         unknownRuleText(name) + ": this comment switches nothing off by it",
                         "spell it as 'mfglist lint --help' lists the rules and categories");
        }
        if (comma == std::string_view::npos) break;
        rest = rest.substr(comma + 1);
    }
}

void checkByteOrderMark(FileCheck& check) {
    switch (check.view.encoding) {
        case FileEncoding::ansi:
            break;
        case FileEncoding::utf8Bom:
            check.report(1, 1, "byte-order-mark",
                         "UTF-8 byte-order mark: this library skips it, but the Windows profile "
                         "functions and older builds read it as part of the first line, and its "
                         "section is lost",
                         "save the file in the code page without a byte-order mark (ANSI)");
            break;
        case FileEncoding::utf16Le:
            if (check.view.unrepresentable > 0) {
                check.report(1, 1, "byte-order-mark",
                             "UTF-16 file: " + std::to_string(check.view.unrepresentable) +
                                 " characters that code page " + std::to_string(check.cp.id()) +
                                 " lacks are read as '?'",
                             "save the file in the code page, with characters it holds",
                             Severity::warning);
            } else {
                check.report(
                    1, 1, "byte-order-mark",
                    "UTF-16 file: read converted to code page " + std::to_string(check.cp.id()),
                    "save the file in the code page to read it as the factory tools do",
                    Severity::note);
            }
            break;
        case FileEncoding::utf16Be:
            check.report(1, 1, "byte-order-mark",
                         "UTF-16 big-endian file: the library cannot read it, and lists nothing "
                         "from it",
                         "save the file in the code page (ANSI)", Severity::error);
            break;
    }
}

// The first byte of `content` that is no character of the code page.
std::size_t firstInvalidCharacter(const FileCheck& check, std::string_view content,
                                  const syntax::Chars& chars) {
    for (std::size_t at = 0; at < content.size();) {
        const std::size_t length = chars.length(content, at);
        if (static_cast<unsigned char>(content[at]) >= 0x80 &&
            !check.options.isValidCharacter(content.substr(at, length)))
            return at;
        at += length;
    }
    return std::string_view::npos;
}

bool isAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// A file saved as UTF-8 without a byte-order mark is read byte by byte in
// the code page: "vid\xC3\xA9o" is listed as two characters where one was
// meant.  Told once, at its first such line, with both readings.
void checkUtf8WithoutMark(FileCheck& check) {
    if (check.view.encoding != FileEncoding::ansi || !check.options.utf8Meaning ||
        isAscii(check.view.text) || !check.options.utf8Meaning(check.view.text))
        return;
    constexpr std::size_t kShownBytes = 60;
    const std::string_view text = check.view.text;
    syntax::LineCursor cursor(text);
    syntax::LineSpan span;
    std::uint64_t line = 1, first = 0, lines = 0;
    std::string_view shown;
    while (cursor.next(span)) {
        const std::string_view content = text.substr(span.begin, span.contentEnd - span.begin);
        const std::uint64_t here = line;
        line +=
            syntax::countEditorLineEnds(text.substr(span.contentEnd, span.end - span.contentEnd));
        if (isAscii(content)) continue;
        ++lines;
        if (first != 0) continue;
        first = here;
        shown = syntax::trimProfileBlanksLeft(content);
        // Cut at a character of UTF-8: never before a continuation byte.
        std::size_t cut = std::min(shown.size(), kShownBytes);
        while (cut < shown.size() && (static_cast<unsigned char>(shown[cut]) & 0xC0) == 0x80) ++cut;
        shown = shown.substr(0, cut);
    }
    const std::string meant = check.options.utf8Meaning(shown).value_or(std::string(shown));
    check.report(first, 1, "utf8-read-as-ansi",
                 "the file is UTF-8 without a byte-order mark, but the library reads it in code "
                 "page " +
                     std::to_string(check.cp.id()) + ": \"" + meant +
                     "\" as the file means it, the list gets \"" + std::string(shown) + "\"" +
                     (lines > 1 ? " (" + std::to_string(lines) + " lines hold such text)" : ""),
                 "save the file in code page " + std::to_string(check.cp.id()) + " (ANSI)");
}

// The list cuts a header at its first ']' and names the entry by that; a
// lookup by name (a group's settings, a CD-ROM file's defaults) reads the
// name up to the last ']'.  With two, the section is found by neither.
void checkHeaderName(FileCheck& check, std::string_view content, const syntax::LineInfo& info,
                     std::uint64_t line) {
    const std::string listed(
        mfg::text::trimAsciiSpace(mfg::reader::sectionNameOf(std::string(content), check.cp)));
    const std::string looked(mfg::text::trimAsciiSpace(std::string(info.name)));
    if (listed == looked) return;
    check.report(line, 1, "unfindable-header",
                 "this header has more than one ']': the list names its section " + listed +
                     ", but a lookup by name reads it as " + looked + ", so a group " + listed +
                     " finds no settings here (its LOG_FILE is empty)",
                 "write the header as [" + listed + "]");
}

}  // namespace

void checkEncoding(FileCheck& check) {
    checkByteOrderMark(check);
    checkUtf8WithoutMark(check);
    if (check.view.encoding == FileEncoding::utf16Be) return;
    const bool checkBytes =
        check.options.isValidCharacter && check.view.encoding != FileEncoding::utf16Le;
    const std::uint64_t firstHeader =
        check.view.sections.empty() ? 0 : check.view.sections.front().line;
    const std::string_view text = check.view.text;
    const syntax::Chars chars(check.cp);
    syntax::LineCursor cursor(text);
    syntax::LineSpan span;
    std::uint64_t line = 1;
    bool textBeforeHeader = false;
    while (cursor.next(span)) {
        const std::string_view content = text.substr(span.begin, span.contentEnd - span.begin);
        const std::uint64_t here = line;
        line +=
            syntax::countEditorLineEnds(text.substr(span.contentEnd, span.end - span.contentEnd));
        readDisableComment(check, content, here);

        const std::size_t nul = content.find('\0');
        if (nul != std::string_view::npos) {
            check.report(here, columnOf(content, nul, check.cp), "nul-byte",
                         "NUL byte: the rest of this section, up to the next header, is never read",
                         "remove the NUL byte (a file saved by a binary tool or cut by a copy)");
        }
        if (checkBytes) {
            const std::size_t bad = firstInvalidCharacter(check, content, chars);
            if (bad != std::string_view::npos) {
                check.report(
                    here, columnOf(content, bad, check.cp), "invalid-byte",
                    "bytes that are not a character of code page " + std::to_string(check.cp.id()),
                    "save the file in the code page the factory machines use "
                    "(MFGLIST_CODEPAGE or --codepage names it here)");
            }
        }
        const std::string_view trimmed = syntax::trimProfileBlanksLeft(content);
        const syntax::LineInfo info = syntax::classify(content, chars);
        if (info.kind == syntax::LineKind::header) checkHeaderName(check, content, info, here);
        if (!trimmed.empty() && trimmed[0] == '[' && info.kind != syntax::LineKind::header) {
            check.report(here, columnOf(content, content.size() - trimmed.size(), check.cp),
                         "broken-header",
                         "this line starts like a section header but has no ']': it is read as "
                         "text of the section before it",
                         "close the header with ']'");
        } else if ((firstHeader == 0 || here < firstHeader) && !textBeforeHeader &&
                   !trimmed.empty() && trimmed[0] != ';' && info.kind != syntax::LineKind::blank) {
            textBeforeHeader = true;
            check.report(here, columnOf(content, content.size() - trimmed.size(), check.cp),
                         "text-before-header",
                         "text before the first section header: no lookup reads it",
                         "move it into a section, or make it a comment with ';'");
        }
    }
}

}  // namespace mfgtool::lint

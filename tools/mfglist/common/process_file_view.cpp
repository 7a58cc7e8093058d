#include "process_file_view.h"

#include <algorithm>
#include <cstring>

#include "profile/profile_syntax.h"
#include "profile/profile_text.h"
#include "profile/profile_unicode.h"
#include "reader/section_scanner.h"
#include "text/mbstring.h"

namespace mfgtool {

namespace syntax = mfg::profile::syntax;

namespace {

FileEncoding encodingOf(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return FileEncoding::utf8Bom;
    if (bytes.substr(0, 2) == "\xFF\xFE") return FileEncoding::utf16Le;
    if (bytes.substr(0, 2) == "\xFE\xFF") return FileEncoding::utf16Be;
    return FileEncoding::ansi;
}

bool isComment(std::string_view content) {
    const std::string_view trimmed = syntax::trimProfileBlanksLeft(content);
    return !trimmed.empty() && trimmed[0] == ';';
}

}  // namespace

void SectionLookup::index(std::string_view text) {
    keys_.index(text);
    // As the reader asks: no value is longer than the section that holds it.
    bufferSize_ = text.size() + 2;
}

std::string_view SectionLookup::value(std::string_view key) const {
    return mfg::text::trimAsciiSpace(keys_.view(key, "", bufferSize_));
}

void readSectionKeys(SectionView& section, const mfg::text::CodePage& cp) {
    // The reader answers for the first key of a name with that key's own
    // line: each first key is looked up in a text of its line alone, so the
    // section costs no more than its size however many keys it holds.
    const syntax::Chars chars(cp);
    SectionLookup lookup(cp);
    std::string oneKey;
    const std::string_view text = section.text;
    syntax::LineCursor cursor(text);
    syntax::LineSpan span;
    std::uint64_t line = section.line;
    bool header = true;
    while (cursor.next(span)) {
        const std::string_view content = text.substr(span.begin, span.contentEnd - span.begin);
        const std::uint64_t lineHere = line;
        line +=
            syntax::countEditorLineEnds(text.substr(span.contentEnd, span.end - span.contentEnd));
        const syntax::LineInfo info = syntax::classify(content, chars);
        if (header) {
            header = false;
            continue;
        }
        if (info.kind == syntax::LineKind::header) break;  // as a lookup's walk stops
        if (info.kind == syntax::LineKind::key) {
            KeyLine key;
            key.name = std::string(info.name);
            key.folded = syntax::fold(info.name, chars);
            key.line = lineHere;
            key.column = columnOf(
                content, content.size() - syntax::trimProfileBlanksLeft(content).size(), cp);
            key.valueColumn =
                columnOf(content, static_cast<std::size_t>(info.value.data() - content.data()), cp);
            key.comment = isComment(content);
            const auto [first, added] =
                section.firstOfName.emplace(key.folded, section.keys.size());
            key.first = added;
            if (added) {
                oneKey.assign("[]\n").append(content);
                lookup.index(oneKey);
                key.value = std::string(lookup.value(key.name));
            } else {
                key.value = section.keys[first->second].value;
            }
            section.keys.push_back(std::move(key));
        } else if (info.kind == syntax::LineKind::other && !isComment(content)) {
            const std::size_t start =
                content.size() - syntax::trimProfileBlanksLeft(content).size();
            section.stray.push_back(
                {lineHere, columnOf(content, start, cp), content[start] == '['});
        }
    }
}

std::uint64_t columnOf(std::string_view line, std::size_t offset, const mfg::text::CodePage& cp) {
    const syntax::Chars chars(cp);
    std::uint64_t column = 1;
    for (std::size_t at = 0; at < offset && at < line.size(); at += chars.length(line, at))
        ++column;
    return column;
}

const KeyLine* SectionView::find(std::string_view key, const mfg::text::CodePage& cp) const {
    const syntax::Chars chars(cp);
    const std::string wanted =
        syntax::fold(syntax::trimProfileBlanks(syntax::cutAtNul(key), chars), chars);
    const auto first = firstOfName.find(wanted);
    return first == firstOfName.end() ? nullptr : &keys[first->second];
}

std::string SectionView::value(std::string_view key, const mfg::text::CodePage& cp) const {
    const KeyLine* k = find(key, cp);
    return k ? k->value : std::string();
}

ProcessFileView viewProcessFile(std::string_view bytes, const mfg::text::CodePage& cp) {
    ProcessFileView view = scanProcessFile(bytes, cp);
    for (SectionView& section : view.sections) readSectionKeys(section, cp);
    return view;
}

ProcessFileView scanProcessFile(std::string_view bytes, const mfg::text::CodePage& cp) {
    ProcessFileView view;
    view.encoding = encodingOf(bytes);
    if (!mfg::profile::decodeFileText(bytes, cp, view.text, view.unrepresentable)) {
        view.text.clear();
        return view;
    }
    std::size_t taken = 0;
    const std::string_view text = view.text;
    mfg::reader::SectionScanner scanner(
        [&](char* buffer, std::size_t size, std::size_t& got) {
            got = std::min(size, text.size() - taken);
            std::memcpy(buffer, text.data() + taken, got);
            taken += got;
            return true;
        },
        cp);
    std::string sectionText;
    while (scanner.next(sectionText)) {
        SectionView section;
        section.text = std::move(sectionText);
        section.line = scanner.sectionLine();
        section.name = mfg::reader::sectionNameOf(section.text, cp);
        section.trimmedName = std::string(mfg::text::trimAsciiSpace(section.name));
        view.sections.push_back(std::move(section));
        sectionText.clear();
    }
    return view;
}

}  // namespace mfgtool

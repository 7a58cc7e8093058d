#include "profile/document.h"

#include "profile/profile_text.h"

namespace mfg::profile {

using namespace syntax;

Document::Document(std::string text, text::CodePage cp) : cp_(cp), chars_(cp) {
    load(std::move(text));
}

void Document::load(std::string text) {
    text_ = std::move(text);
    sections_.clear();
    sectionIndex_.clear();
    prefixEnd_ = text_.size();
    prefixLineEndAdded_ = false;
    unicode_ = isUnicodeText(text_);
    if (unicode_) return;

    const std::string_view all(text_);
    LineCursor cursor(all);
    LineSpan line;
    LineSpan lastNonBlank;
    auto close = [&](std::size_t end) {
        Section& s = sections_.back();
        const std::string_view run =
            all.substr(lastNonBlank.contentEnd, lastNonBlank.end - lastNonBlank.contentEnd);
        s.bodyEnd = lastNonBlank.contentEnd + firstBreakLength(run);
        s.bodyEndsLine = !run.empty();
        s.end = end;
    };
    while (cursor.next(line)) {
        const LineInfo info =
            classify(all.substr(line.begin, line.contentEnd - line.begin), chars_);
        if (info.kind == LineKind::Header) {
            if (sections_.empty()) {
                prefixEnd_ = line.begin;
            } else {
                close(line.begin);
            }
            sectionIndex_.emplace(fold(info.name, chars_), sections_.size());
            sections_.emplace_back();
            sections_.back().begin = line.begin;
            lastNonBlank = line;
        } else if (info.kind != LineKind::Blank) {
            lastNonBlank = line;
        }
    }
    if (!sections_.empty()) close(all.size());
}

bool Document::write(std::string_view section, std::string_view key, std::string_view value) {
    if (unicode_) {
        refused_ = true;
        return false;
    }
    const WriteRequest request = makeWriteRequest(section, key, value, chars_);
    // A write whose lines would not read back as one header and one key line
    // (a value holding a line end, a key that looks like a header, a name
    // that ends in a lead byte) changes the shape of the file.  Such writes
    // are rare enough to be made on the whole text, which is then loaded
    // again.
    if (request.multiline || !writeInPlace(request)) {
        load(applyWrite(bytes(), section, key, value, cp_));
    }
    return true;
}

bool Document::writeInPlace(const WriteRequest& request) {
    const auto found = sectionIndex_.find(request.sectionFolded);
    if (found == sectionIndex_.end()) {
        const std::string header = request.headerLine();
        const LineInfo headerInfo = classify(header, chars_);
        if (headerInfo.kind != LineKind::Header ||
            fold(headerInfo.name, chars_) != request.sectionFolded) {
            return false;
        }
        const std::string keyLine = request.keyLine();
        if (classify(keyLine, chars_).kind == LineKind::Header) return false;
        endWithLineEnd();
        Section added;
        added.begin = added.bodyEnd = added.end = text_.size();
        added.edit = std::make_unique<Edit>();
        added.edit->added.push_back(header + "\r\n");
        addLine(*added.edit, keyLine);
        sectionIndex_.emplace(request.sectionFolded, sections_.size());
        sections_.push_back(std::move(added));
        return true;
    }

    Section& section = sections_[found->second];
    Edit& edit = editOf(section);
    const auto key = edit.keys.find(request.keyFolded);
    if (key != edit.keys.end()) {
        const KeyRef& ref = key->second;
        std::string content = ref.added ? edit.added[ref.line].substr(0, ref.equalsEnd)
                                        : text_.substr(ref.line, ref.equalsEnd - ref.line);
        content += request.value;
        // A line such as "[K=v" turns into a header when the value brings a ']'.
        if (classify(content, chars_).kind == LineKind::Header) return false;
        if (ref.added) {
            content += "\r\n";
            edit.added[ref.line] = std::move(content);
        } else {
            edit.replaced[ref.equalsEnd] = Replacement{ref.contentEnd, std::string(request.value)};
        }
        return true;
    }

    const std::string keyLine = request.keyLine();
    if (classify(keyLine, chars_).kind == LineKind::Header) return false;
    if (!section.bodyEndsLine) section.bodyLineEndAdded = true;
    addLine(edit, keyLine);
    return true;
}

Document::Edit& Document::editOf(Section& section) {
    if (section.edit) return *section.edit;
    section.edit = std::make_unique<Edit>();
    Edit& edit = *section.edit;
    // Offsets stay those of the whole text: the view only ends early.
    const std::string_view body(text_.data(), section.bodyEnd);
    LineCursor cursor(body, section.begin);
    LineSpan line;
    cursor.next(line);  // the header
    while (cursor.next(line)) {
        const LineInfo info =
            classify(body.substr(line.begin, line.contentEnd - line.begin), chars_);
        if (info.kind != LineKind::Key) continue;
        KeyRef ref;
        ref.line = line.begin;
        ref.equalsEnd = line.begin + info.equals + 1;
        ref.contentEnd = line.contentEnd;
        edit.keys.emplace(fold(info.name, chars_), ref);
    }
    return edit;
}

void Document::addLine(Edit& edit, const std::string& content) {
    const LineInfo info = classify(content, chars_);
    if (info.kind == LineKind::Key) {
        KeyRef ref;
        ref.added = true;
        ref.line = edit.added.size();
        ref.equalsEnd = info.equals + 1;
        edit.keys.emplace(fold(info.name, chars_), ref);
    }
    edit.added.push_back(content + "\r\n");
}

// Before a section is appended, a text that does not end with a line end
// gets CR LF, given to whichever piece of the document ends it now.
void Document::endWithLineEnd() {
    if (sections_.empty()) {
        if (prefixEnd_ > 0 && !isLineEnd(text_[prefixEnd_ - 1])) prefixLineEndAdded_ = true;
        return;
    }
    Section& last = sections_.back();
    if (last.tailLineEndAdded) return;
    if (last.end > last.bodyEnd) {
        if (!isLineEnd(text_[last.end - 1])) last.tailLineEndAdded = true;
        return;
    }
    // Added lines end with CR LF, and a body without a line end got one
    // when the first line was added after it.
    if (!last.bodyEndsLine) last.bodyLineEndAdded = true;
}

std::string Document::bytes() const {
    if (unicode_) return text_;
    std::string out;
    out.reserve(text_.size() + 64);
    out.append(text_, 0, prefixEnd_);
    if (prefixLineEndAdded_) out += "\r\n";
    for (const Section& s : sections_) {
        std::size_t pos = s.begin;
        if (s.edit) {
            for (const auto& [equalsEnd, replacement] : s.edit->replaced) {
                out.append(text_, pos, equalsEnd - pos);
                out += replacement.value;
                pos = replacement.contentEnd;
            }
        }
        out.append(text_, pos, s.bodyEnd - pos);
        if (s.bodyLineEndAdded) out += "\r\n";
        if (s.edit) {
            for (const std::string& line : s.edit->added) out += line;
        }
        out.append(text_, s.bodyEnd, s.end - s.bodyEnd);
        if (s.tailLineEndAdded) out += "\r\n";
    }
    return out;
}

bool Document::empty() const { return text_.empty() && sections_.empty(); }

}  // namespace mfg::profile

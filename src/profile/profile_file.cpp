#include "profile/profile_file.h"

#include <utility>

#include "platform/platform.h"
#include "text/codepage.h"

namespace mfg::profile {

bool loadDocument(std::string_view windowsPath, Document& document) {
    std::string text;
    if (!platform::readWholeFile(windowsPath, text)) {
        if (platform::pathExists(windowsPath)) return false;
        text.clear();
    }
    document = Document(std::move(text), text::CodePage::active());
    return true;
}

bool commitDocument(std::string_view windowsPath, const Document& document, std::string* error) {
    if (document.writesRefused()) {
        if (error) *error = "the file is UTF-16 text; only ANSI profiles are written";
        return false;
    }
    return platform::replaceFileAtomically(windowsPath, document.bytesBeforeTail(),
                                           document.untouchedTail(), error);
}

}  // namespace mfg::profile

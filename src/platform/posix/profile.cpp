// Private profiles on the POSIX build: the file is read afresh on every call
// and answered by the same INI text model the list writer uses.
#include "platform/platform.h"
#include "profile/profile_text.h"
#include "text/codepage.h"

namespace mfg::platform {

std::string readProfileString(std::string_view section, std::string_view key,
                              std::string_view def, std::size_t bufferSize,
                              std::string_view file) {
    std::string text;
    readWholeFile(file, text);  // a missing file reads as no file: the default
    const std::string defaultText(def);
    return profile::getString(text, section, key, defaultText.c_str(), bufferSize,
                              text::CodePage::active());
}

bool writeProfileString(std::string_view section, std::string_view key,
                        std::string_view value, std::string_view file) {
    if (section.empty() && section.data() == nullptr) return false;
    std::string text;
    readWholeFile(file, text);
    return replaceFileAtomically(
        file, profile::applyWrite(text, section, key, value, text::CodePage::active()));
}

}  // namespace mfg::platform

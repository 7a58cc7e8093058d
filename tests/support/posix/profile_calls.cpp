// The profile calls on the POSIX build: the file is read afresh on every
// call and answered by the INI text model the list writer uses.
#include "support/profile_calls.h"

#include "platform/platform.h"
#include "profile/profile_text.h"
#include "text/codepage.h"

namespace mfg::test {

std::string readProfileString(std::string_view section, std::string_view key, std::string_view def,
                              std::size_t bufferSize, std::string_view file) {
    std::string text;
    platform::readWholeFile(file, text);  // a missing file reads as no file: the default
    const std::string defaultText(def);
    return profile::getString(text, section, key, defaultText.c_str(), bufferSize,
                              text::CodePage::active());
}

bool writeProfileString(std::string_view section, std::string_view key, std::string_view value,
                        std::string_view file) {
    if (section.empty() && section.data() == nullptr) return false;
    std::string text;
    platform::readWholeFile(file, text);
    return platform::replaceFileAtomically(
        file, profile::applyWrite(text, section, key, value, text::CodePage::active()));
}

// Written whole through the platform, which refuses a folder or a read-only
// target as CopyFileA does.
bool copyFile(std::string_view from, std::string_view to) {
    std::string content;
    return platform::readWholeFile(from, content) && platform::replaceFileAtomically(to, content);
}

}  // namespace mfg::test

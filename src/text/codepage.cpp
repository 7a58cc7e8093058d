#include "text/codepage.h"

#include "platform/platform.h"

namespace mfg::text {

CodePage CodePage::active() { return CodePage(platform::activeCodePage()); }

bool CodePage::isDoubleByte() const { return id_ == 932 || id_ == 936 || id_ == 949 || id_ == 950; }

bool CodePage::isLeadByte(unsigned char byte) const {
    switch (id_) {
        case 932:  // Shift-JIS
            return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
        case 936:  // GBK
        case 949:  // Unified Hangul
        case 950:  // Big5
            return byte >= 0x81 && byte <= 0xFE;
        default:
            return false;
    }
}

}  // namespace mfg::text

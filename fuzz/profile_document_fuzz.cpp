// The INI text model: a profile document that takes many writes must leave
// exactly the bytes that the same writes leave when made key by key on the
// text (what the platform's profile writer does), and so must a document
// loaded part-way through from the text the first writes left.
//
// Input: flags (bit 0: code page 932, else 1252; bits 1-7: after how many
// writes the text is loaded into a second document), then the parts: the
// text the file holds, then the writes as (section, key, value) triples.
#include <cstddef>
#include <cstdint>
#include <string>

#include "profile/document.h"
#include "profile/profile_text.h"
#include "support/fuzz_input.h"

namespace {

using namespace mfg;

// Enough writes to reach every shape of section; more only slow a run.
constexpr std::size_t kMaxWrites = 48;

std::string describe(const fuzz::FuzzInput& in, std::size_t writes) {
    std::string out = "code page " + std::string(in.flag(0) ? "932" : "1252") +
                      ", text: " + fuzz::printable(in.part(0));
    for (std::size_t i = 0; i < writes; ++i)
        out += "\n  write [" + fuzz::printable(in.part(1 + 3 * i)) + "] " +
               fuzz::printable(in.part(2 + 3 * i)) + " = " + fuzz::printable(in.part(3 + 3 * i));
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::FuzzInput in = fuzz::splitInput(data, size);
    const text::CodePage cp(in.flag(0) ? 932 : 1252);
    const std::string& start = in.part(0);
    std::size_t writes = (in.parts.size() + 1) / 3;  // a short last triple counts
    if (writes > kMaxWrites) writes = kMaxWrites;
    const std::size_t reloadAt = (in.flags >> 1) % (writes + 1);

    profile::Document whole(start, cp);
    profile::Document reloaded;
    std::string keyByKey = start;
    for (std::size_t i = 0; i < writes; ++i) {
        if (i == reloadAt) reloaded = profile::Document(keyByKey, cp);
        const std::string& section = in.part(1 + 3 * i);
        const std::string& key = in.part(2 + 3 * i);
        const std::string& value = in.part(3 + 3 * i);
        const bool written = whole.write(section, key, value);
        if (i >= reloadAt) reloaded.write(section, key, value);
        keyByKey = profile::applyWrite(keyByKey, section, key, value, cp);
        if (written == profile::isUnicodeText(start))
            fuzz::fail("a write answered wrongly for the kind of text", describe(in, i + 1));
    }
    if (reloadAt == writes) reloaded = profile::Document(keyByKey, cp);

    if (whole.bytes() != keyByKey)
        fuzz::fail("the document differs from key-by-key writes",
                   describe(in, writes) + "\ndocument:    " + fuzz::printable(whole.bytes()) +
                       "\nkey by key:  " + fuzz::printable(keyByKey));
    if (reloaded.bytes() != keyByKey)
        fuzz::fail("a document loaded part-way differs from key-by-key writes",
                   describe(in, writes) + "\nloaded after " + std::to_string(reloadAt) +
                       " writes: " + fuzz::printable(reloaded.bytes()) +
                       "\nkey by key:  " + fuzz::printable(keyByKey));
    if (whole.empty() != keyByKey.empty())
        fuzz::fail("the document's emptiness is wrong", describe(in, writes));
    return 0;
}

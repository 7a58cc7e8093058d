// A whole list run through the three exports, as the factory host makes it,
// on process files built from the input.
//
// Whatever the files hold, a list the run leaves must parse with COUNT
// matching its entry sections (tests/support/list_check.h), be made of exactly
// the writes the run made (replayed key by key on an empty file, they give the
// same bytes) and hold no more entries than the files have headers.  No
// file but the list may stay in the list's folder, and no temporary section
// file on the system drive.
//
// And its values must be what the process files say: every entry is read
// back from the list and must be the copy of a section of the files as an
// independent reading finds it (the decoded text cut at the lines the
// settings lookup takes for headers, a NUL ending its section's text, each
// key looked up by the settings lookup in that section alone), for every key
// the entry takes unchanged: trimmed, cut to its field, a number held at 32
// bits.  A factory list takes its sections in file order.
//
// Input: flags (bit 0: CD-ROM mode; bits 1-2: the request: driver list,
// software list, complete software list, complete software list of a driver
// run; bit 3: -F; bit 4: Windows Vista; bit 5: code page 932; bit 6: trace
// on; bit 7: group REWORK, else PRELOAD), then the parts: MfgProc.ini, or in
// CD-ROM mode DrvProc.ini, DrvCofg.ini and SoftProc.ini; then the IDs, one a
// line.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "items/iteminfo.h"
#include "items/keys.h"
#include "mfglist/mfglist.h"
#include "output/list_file.h"
#include "profile/profile_text.h"
#include "profile/profile_unicode.h"
#include "support/fuzz_input.h"
#include "support/fuzz_machine.h"
#include "support/list_check.h"
#include "text/mbstring.h"

namespace {

using namespace mfg;

constexpr char kListName[] = "LIST.INI";
constexpr char kListPath[] = "L:\\LIST.INI";
constexpr std::size_t kMaxIds = 32;

std::string describe(const fuzz::FuzzInput& in) {
    return "flags " + std::to_string(in.flags) + ", " + std::to_string(in.parts.size()) +
           " parts (reproduce with the input file)";
}

using KeyValues = std::map<std::string, std::string>;

// The keys an entry takes from its section unchanged, and the width of the
// field that holds each (0: a number).
struct CopiedKey {
    items::Key key;
    std::size_t width;
};
constexpr CopiedKey kCopiedKeys[] = {
    {items::Key::group, sizeof(ITEMINFO::group)},
    {items::Key::hardId, sizeof(ITEMINFO::hardId)},
    {items::Key::packetName, sizeof(ITEMINFO::packetName)},
    {items::Key::type, sizeof(ITEMINFO::type)},
    {items::Key::version, sizeof(ITEMINFO::version)},
    {items::Key::selectPath, sizeof(ITEMINFO::selectPath)},
    {items::Key::id, 0},
};

// The sections of a process file's text, each cut at its first NUL, each key
// of kCopiedKeys looked up in it alone.
std::vector<KeyValues> sectionsOf(const std::string& part, const text::CodePage& cp) {
    std::string fileText;
    std::size_t unrepresentable = 0;
    std::vector<KeyValues> sections;
    if (!profile::decodeFileText(part, cp, fileText, unrepresentable)) return sections;
    const profile::syntax::Chars chars(cp);
    std::vector<std::size_t> headers;
    for (std::size_t at = 0; at <= fileText.size();) {
        const std::size_t end = std::min(fileText.find_first_of("\r\n", at), fileText.size());
        const std::string_view line = std::string_view(fileText).substr(at, end - at);
        if (profile::syntax::classify(line, chars).kind == profile::syntax::LineKind::header)
            headers.push_back(at);
        at = end + 1;
    }
    headers.push_back(fileText.size());
    for (std::size_t i = 0; i + 1 < headers.size(); ++i) {
        std::string text = fileText.substr(headers[i], headers[i + 1] - headers[i]);
        const std::size_t headerEnd = std::min(text.find_first_of("\r\n"), text.size());
        std::string name(
            profile::syntax::classify(std::string_view(text).substr(0, headerEnd), chars).name);
        // A NUL ends the section's text, even one in its header line (the
        // section then has no keys).
        text.resize(std::min(text.find('\0'), text.size()));
        // No group has a blank name, so no lookup asks for one; the walk
        // reads such a section as it would under any name.
        if (name.empty() && headerEnd <= text.size())
            text.replace(0, headerEnd, "[" + (name = "BLANK") + "]");
        KeyValues values;
        for (const CopiedKey& copied : kCopiedKeys) {
            const char* key = items::keyName(copied.key);
            values[key] = std::string(text::trimAsciiSpace(
                profile::getDecodedString(text, name, key, "", text.size() + 2, cp)));
        }
        sections.push_back(std::move(values));
    }
    return sections;
}

// The entries of a committed list: section "N" -> its keys as written.
std::vector<KeyValues> entriesOf(const std::string& list, long count) {
    std::vector<KeyValues> entries(count > 0 ? static_cast<std::size_t>(count) : 0);
    KeyValues* current = nullptr;
    for (const std::string& line : test::linesOf(list)) {
        if (line.front() == '[') {
            const std::string name = line.substr(1, line.size() - 2);
            const long index = std::strtol(name.c_str(), nullptr, 10);
            current = name != "SYSTEM" && index >= 0 && index < count ? &entries[index] : nullptr;
        } else if (current) {
            const std::size_t equals = line.find('=');
            current->emplace(line.substr(0, equals), line.substr(equals + 1));
        }
    }
    return entries;
}

std::int32_t asTheReaderReadsANumber(const std::string& text) {
    const long long parsed = std::strtoll(text.c_str(), nullptr, 10);
    return static_cast<std::int32_t>(
        std::clamp<long long>(parsed, std::numeric_limits<std::int32_t>::min(),
                              std::numeric_limits<std::int32_t>::max()));
}

// Whether `listed` is what the field makes of `meant`: the same, or when
// `meant` does not fit, its start cut at a character's end.
bool isCopyOf(const std::string& listed, const std::string& meant, std::size_t width) {
    if (width == 0) return listed == std::to_string(asTheReaderReadsANumber(meant));
    if (meant.size() < width) return listed == meant;
    return listed.size() + 2 >= width && listed.size() < width &&
           meant.compare(0, listed.size(), listed) == 0;
}

bool isCopyOf(const KeyValues& entry, const KeyValues& section) {
    for (const CopiedKey& copied : kCopiedKeys) {
        const auto listed = entry.find(items::keyName(copied.key));
        const std::string& meant = section.at(items::keyName(copied.key));
        if (listed == entry.end() || !isCopyOf(listed->second, meant, copied.width)) return false;
    }
    return true;
}

std::string printed(const KeyValues& values) {
    std::string text;
    for (const auto& [key, value] : values) text += " " + key + "=" + fuzz::printable(value);
    return text;
}

void checkValues(const std::string& list, long count, const std::vector<KeyValues>& sections,
                 bool inFileOrder, const std::string& context) {
    std::size_t next = 0;  // the first section a factory list's next entry may come from
    const std::vector<KeyValues> entries = entriesOf(list, count);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        std::size_t from = inFileOrder ? next : 0;
        while (from < sections.size() && !isCopyOf(entries[i], sections[from])) ++from;
        if (from == sections.size())
            fuzz::fail("an entry of the list is no section of the process files as read",
                       context + "\nentry " + std::to_string(i) + ":" + printed(entries[i]) +
                           "\nlist: " + fuzz::printable(list));
        next = from + 1;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::FuzzInput in = fuzz::splitInput(data, size);
    const fuzz::FuzzMachine& machine = fuzz::FuzzMachine::get();
    const bool cdRom = in.flag(0);
    const int request = (in.flags >> 1) & 3;
    const text::CodePage cp(in.flag(5) ? 932 : 1252);
    ::setenv("MFGLIST_CODEPAGE", std::to_string(cp.id()).c_str(), 1);
    ::setenv("MFGLIST_WINVER", in.flag(4) ? "6.0" : "5.1", 1);
    for (char drive : {'C', 'D', 'L', 'P'}) machine.clear(drive);
    machine.trace(in.flag(6));

    const std::vector<std::string> names =
        cdRom ? std::vector<std::string>{"DrvProc.ini", "DrvCofg.ini", "SoftProc.ini"}
              : std::vector<std::string>{"MfgProc.ini"};
    std::size_t headers = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        machine.writeFile('P', names[i], in.part(i));
        headers += static_cast<std::size_t>(std::count(in.part(i).begin(), in.part(i).end(), '['));
    }
    std::vector<std::string> ids = test::linesOf(in.part(names.size()));
    if (ids.size() > kMaxIds) ids.resize(kMaxIds);
    std::vector<const char*> idTexts;
    for (const std::string& id : ids) idTexts.push_back(id.c_str());

    std::string commandLine = "C:\\FACTORY\\SETUP.EXE -D P:\\ -P P:\\ -T ";
    commandLine += in.flag(7) ? "REWORK" : "PRELOAD";
    if (in.flag(3)) commandLine += " -F";

    std::vector<output::ListWrite> journal;
    output::ListFile::recordWritesForTesting(&journal);
    MFG_InitMfgList(request == 0 || request == 3 ? MFG_LIST_DRIVER : MFG_LIST_SOFTWARE,
                    commandLine.c_str(), 0);
    if (request >= 2)
        MFG_CreateAllSoftIniFile(kListPath);
    else
        MFG_CreateIniFile(static_cast<int>(idTexts.size()), idTexts.data(), kListPath);
    output::ListFile::recordWritesForTesting(nullptr);

    for (const std::string& name : machine.names('L'))
        if (name != kListName)
            fuzz::fail("a file is left beside the list", describe(in) + ": " + name);
    for (const std::string& name : machine.names('C'))
        if (name != "vrelDebug.flg")
            fuzz::fail("a file is left on the system drive", describe(in) + ": " + name);

    // A run may refuse to commit what it wrote (a process file it cannot
    // trust); it may never commit what it did not write.
    if (!machine.exists('L', kListName)) return 0;
    if (journal.empty()) fuzz::fail("a list without writes", describe(in));
    const std::string list = machine.readFile('L', kListName);
    const std::string problem = test::checkListFile(list, cp);
    if (!problem.empty())
        fuzz::fail(("the list is malformed: " + problem).c_str(),
                   describe(in) + "\nlist: " + fuzz::printable(list));
    const long count = test::listCount(list, cp);
    if (count > 0 && static_cast<std::size_t>(count) > headers)
        fuzz::fail("more entries than the process files have sections", describe(in));

    std::vector<KeyValues> sections;
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::vector<KeyValues> read = sectionsOf(in.part(i), cp);
        sections.insert(sections.end(), read.begin(), read.end());
    }
    checkValues(list, count, sections, !cdRom, describe(in));

    std::string keyByKey;
    for (const output::ListWrite& w : journal)
        keyByKey = profile::applyWrite(keyByKey, w.section, w.key, w.value, cp);
    if (keyByKey != list)
        fuzz::fail("the list differs from its writes made key by key",
                   describe(in) + "\nlist:       " + fuzz::printable(list) +
                       "\nkey by key: " + fuzz::printable(keyByKey));
    return 0;
}

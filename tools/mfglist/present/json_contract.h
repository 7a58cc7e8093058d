// The JSON that scripts read: one document per run on standard output, the
// same for the same input on every run and on both builds, described by
// docs/mfglist.schema.json.  Every document opens with the schema version and
// the command; a command adds its own members (preview: run, list; diff:
// changes).  Text is UTF-8; a value whose bytes are not valid in the
// library's code page is shown with U+FFFD and its bytes are kept in hex.
#pragma once

#include <string>
#include <vector>

#include "common/json.h"
#include "list/install_list.h"

namespace mfgtool {

// Raised when a document's shape changes in a way a reader must know:
// members removed or their meaning changed.  New members keep the version.
constexpr int kJsonSchemaVersion = 1;

// The opening members every document has.
Json jsonDocument(const std::string& command, const std::string& status, int exitStatus);

// What a command prints under --json when it fails.
Json jsonError(const std::string& command, int exitStatus, const std::string& message);

// How a library text becomes JSON text: decoded from the code page, and the
// library's names of the previewed folder and of the list's folder written
// as "<folder>\" and "<list>\", so that no per-run path remains.
struct TextForJson {
    int codePage = 0;
    std::vector<std::pair<std::string, std::string>> prefixes;  // library path, shown as

    std::string operator()(const std::string& bytes) const;
};

// Keys whose value the list file holds as a decimal integer.
bool isNumberKey(const std::string& key);

// A list section as {"keys": {...}} with numbers for the number keys that
// hold one, plus "raw": {key: hex} for values not valid in the code page.
Json sectionJson(const KeyValues& keys, const TextForJson& text);

// The list as the contract shows it: written, system, entries.
Json installListJson(const InstallList& list, const TextForJson& text);

}  // namespace mfgtool

// The header of an ID file in a model catalogue: comment lines of the form
// "# key: value" (or "; key: value") before the first ID.  A catalogue is a
// folder of ID files, one per model, the model named by the file name
// without its extension; `mfglist ids` writes such a header when it captures
// a machine, and `matrix`, `impact` and `preview` read it.  Every other
// comment, and any key not named here, is ignored, so a hand-written ID file
// without a header is a valid catalogue entry.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mfgtool {

struct IdFileHeader {
    std::string model;                   // "model": the display name
    std::optional<std::string> windows;  // "windows": xp or vista, where the model differs
    std::optional<std::string> kind;     // "kind": driver, software or all-software
    std::string form;                    // "form": compact, pnp or template; empty when unknown
    std::vector<std::string> templates;  // "template": one line per template, in order
    std::string captured;                // "captured": when, as ISO 8601 UTC
    std::string host;                    // "host": the captured machine's host name
    std::string tool;                    // "tool": the version of mfglist that wrote it
};

// `text` is the file as decodeIdsText gives it (UTF-8, or the code page's
// bytes).  Reads the leading comment block only: the first line that is not
// blank and not a comment ends the header.  Keys are case-insensitive.
IdFileHeader readIdFileHeader(std::string_view text);

// The header as "# key: value" lines, each ending in "\n", in the order of
// the fields above; empty fields are left out.
std::string formatIdFileHeader(const IdFileHeader& header);

// The lengths of the IDs a capture form gives, for the warning that a
// model's file cannot match the process files' HARDIDs: "compact" gives 8
// and 16, a template its fixed length; "pnp" (Windows' own strings) and an
// unknown form give nothing that can be told in advance (empty).
std::vector<std::size_t> formIdLengths(const IdFileHeader& header);

// The warning for a model whose capture form cannot match HARDIDs of the
// given lengths (8: a family, matched by prefix; 16: a device, matched
// whole), or empty when it can or the form is unknown.
std::string formMismatch(const IdFileHeader& header, const std::vector<std::size_t>& hardIdLengths);

}  // namespace mfgtool

// The text of a JSON value as the tool writes it: byte for byte what
// Json::dump(indent, ' ', false, Json::error_handler_t::replace) gives, at a
// fraction of its cost for the large documents of a line (a text of plain
// ASCII, the most of any document, is copied whole rather than decoded a
// byte at a time).  Written by JsonWriter (json_writer.h), which also
// writes a document without its tree.
#pragma once

#include <string>

#include "json.h"

namespace mfgtool {

// `indent` as dump's: below 0 the compact form, else pretty with that many
// spaces a level.
std::string jsonText(const Json& value, int indent = -1);

}  // namespace mfgtool

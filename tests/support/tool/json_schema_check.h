// The part of JSON Schema that docs/mfglist.schema.json uses (type, const,
// enum, required, properties, additionalProperties, items, $ref into $defs,
// allOf, anyOf, oneOf, minimum), enough to hold the tool's output to its
// contract on both builds without a validator library.  "pattern" is not
// checked: std::regex trips the sanitizer build's warnings, and the one
// pattern (hex bytes) is checked by the tests that make such bytes.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace mfgtool::test {

// One line per violation, each with the JSON pointer where it is; empty when
// `document` follows `schema`.
std::vector<std::string> schemaViolations(const nlohmann::json& schema,
                                          const nlohmann::json& document);

}  // namespace mfgtool::test

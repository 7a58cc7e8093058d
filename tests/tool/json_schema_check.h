// The part of JSON Schema that docs/mfglist.schema.json uses (type, const,
// enum, required, properties, additionalProperties, items, $ref into $defs,
// allOf, anyOf, oneOf, minimum, pattern), enough to hold the tool's output
// to its contract on both builds without a validator library.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace mfgtest {

// One line per violation, each with the JSON pointer where it is; empty when
// `document` follows `schema`.
std::vector<std::string> schemaViolations(const nlohmann::json& schema,
                                          const nlohmann::json& document);

}  // namespace mfgtest

// The JSON value every folder of the tool builds and reads: the documents
// scripts read (present/json_contract.h), the worker's share and result
// files, lint's baseline.  Members keep the order they were added in, so a
// document reads the same on every run.
#pragma once

#include <nlohmann/json.hpp>

namespace mfgtool {

using Json = nlohmann::ordered_json;

}  // namespace mfgtool

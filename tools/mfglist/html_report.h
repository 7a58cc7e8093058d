// The HTML report of `matrix` and `impact` (--html FILE): one
// self-contained page made from the command's JSON document.
#pragma once

#include <string>

#include "json_contract.h"

namespace mfgtool {

std::string renderMatrixHtml(const Json& matrix);
std::string renderImpactHtml(const Json& impact);

}  // namespace mfgtool

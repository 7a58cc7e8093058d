// What impact shows of the line's two runs compared: the JSON of the
// contract (which the HTML page is made from), the text for a terminal and
// a pull-request comment in Markdown.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "common/json.h"
#include "line/impact.h"

namespace mfgtool {

Json impactJson(const LineOptions& options, const std::vector<ModelImpact>& impacts,
                const std::string& oldName, const std::string& newFolder, std::size_t changed,
                int status);

// Both read the document impactJson made.
void printImpactText(const Json& json, std::ostream& out);
void printImpactMarkdown(const Json& json, std::ostream& out);

}  // namespace mfgtool

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

// The view by change added to impactJson's document: `changes` (each
// changed section with the models whose list shows it), the entries that
// become dead or live again, and each model's share of them.
void addChangeView(Json& json, const LineImpact& impact);

// Both read the document impactJson and addChangeView made.
void printImpactText(const Json& json, std::ostream& out);
void printImpactMarkdown(const Json& json, std::ostream& out);

// What one member of `changes` changed, after the section's name: the key
// and its two values, or the entry an added one takes the place of; a
// VERSION that goes down marked.
std::string changeDetail(const Json& change, const std::string& arrow = " -> ");

// `text` as Markdown shows it literally: the characters of tables, emphasis,
// code, links and HTML escaped.
std::string escapeMarkdown(const std::string& text);

}  // namespace mfgtool

// The pieces every HTML report page shares: text made safe for HTML, a JSON
// value shown as text, and the page around a report's body.  A page is one
// self-contained file: its style and script are inline and its security
// policy forbids the browser to fetch anything, so a report opened from a
// CI artifact or a mail works offline and reaches no server.
#pragma once

#include <string>
#include <string_view>

#include "json_contract.h"

namespace mfgtool {

// `text` as HTML text or attribute value (quoted with "): the markup
// characters as references, control characters and bytes that are not UTF-8
// as U+FFFD, which HTML would otherwise refuse or misread.
std::string escapeHtml(std::string_view text);

// A JSON scalar as the reader sees it, escaped: strings as they are, numbers
// in decimal, null as "", true/false as yes/no.
std::string htmlText(const Json& value);

// The member `key` of `object` as escaped text ("" when absent).
std::string htmlMember(const Json& object, const char* key);

// The member `key` of `object`: null when `object` is no object or lacks it;
// arrayOf gives an empty array for anything but an array.  A report shows
// what a document has and skips what it lacks.
const Json& memberOf(const Json& object, const char* key);
const Json& arrayOf(const Json& object, const char* key);

// A model as both reports name it, every text escaped.
struct HtmlModel {
    std::string name;     // the file name without extension: the key
    std::string display;  // the catalogue's display name, else the name
    std::string label;    // "Display (name)", or the name alone when they agree
};
HtmlModel htmlModel(const Json& model);

// The scalar members of a document's "run" as a line of "key value" pairs.
std::string htmlRunList(const Json& run);

struct HtmlPage {
    std::string title;   // plain text, escaped here
    std::string style;   // the report's own CSS, after the shared rules
    std::string body;    // HTML
    std::string script;  // the report's own script, run after the body is built
};

// The whole document.  The script runs inside a wrapper that records a script
// error in the body (data-error) and marks the page ready (data-ready="1")
// once the report's script has run.
std::string renderHtmlPage(const HtmlPage& page);

}  // namespace mfgtool

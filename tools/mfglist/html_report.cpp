// A plain page until the full report (sticky header, sorting, filtering)
// takes this file's place: the document itself, escaped, in a <pre>.
#include "html_report.h"

namespace mfgtool {
namespace {

std::string escaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else if (c == '&') out += "&amp;";
        else out += c;
    }
    return out;
}

std::string page(const std::string& title, const Json& document) {
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + title +
           "</title></head>\n<body><h1>" + title + "</h1>\n<pre>" +
           escaped(document.dump(2, ' ', false, Json::error_handler_t::replace)) +
           "</pre></body></html>\n";
}

}  // namespace

std::string renderMatrixHtml(const Json& matrix) { return page("mfglist matrix", matrix); }
std::string renderImpactHtml(const Json& impact) { return page("mfglist impact", impact); }

}  // namespace mfgtool

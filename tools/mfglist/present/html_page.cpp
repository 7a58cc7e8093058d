#include "html_page.h"

#include "common/text_encoding.h"

namespace mfgtool {
namespace {

constexpr const char* kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// What every report looks like, on screen and on paper.  Printing drops the
// controls and sticky parts, shows every row the filter hid, and prints black
// on white: marks stay readable as text, not as colour.
constexpr const char* kSharedStyle = R"css(
:root { color-scheme: light; }
body { font: 14px/1.4 system-ui, sans-serif; margin: 1rem; color: #111; background: #fff; }
h1 { font-size: 1.4rem; margin: 0 0 .3rem; }
h2 { font-size: 1.15rem; margin: 1.5rem 0 .4rem; }
dl.run { display: flex; flex-wrap: wrap; gap: .2rem 1.2rem; margin: 0 0 .6rem; color: #333; }
dl.run div { display: flex; gap: .3rem; }
dl.run dt { font-weight: 600; }
dl.run dd { margin: 0; }
p.summary { font-size: 1.05rem; font-weight: 600; }
p.error { color: #900; font-weight: 600; }
table { border-collapse: separate; border-spacing: 0; margin: .3rem 0 1rem; }
th, td { border-right: 1px solid #ccc; border-bottom: 1px solid #ccc; padding: .15rem .45rem;
         text-align: left; vertical-align: top; }
thead th { background: #e8ecf4; border-top: 1px solid #ccc; }
th:first-child, td:first-child { border-left: 1px solid #ccc; }
code { font: 12px/1.3 ui-monospace, monospace; white-space: pre-wrap; word-break: break-all; }
.mark { display: inline-block; font-size: .72rem; font-weight: 600; text-transform: uppercase;
        border: 1px solid currentColor; border-radius: 3px; padding: 0 .25rem; margin-left: .3rem; }
.controls { display: flex; flex-wrap: wrap; gap: .4rem 1rem; align-items: center; margin: .4rem 0; }
@media print {
  .controls, .panel { display: none !important; }
  thead th, tbody th { position: static !important; }
  tr[hidden] { display: table-row !important; }
  tbody[hidden] { display: table-row-group !important; }
  * { color: #000 !important; background: #fff !important; box-shadow: none !important; }
  th, td { border-color: #000 !important; }
  a { text-decoration: none; }
}
)css";

}  // namespace

std::string escapeHtml(std::string_view text) {
    // Text from the JSON documents is UTF-8 already; should a byte slip
    // through that is not, every byte beyond ASCII is shown as U+FFFD rather
    // than guessed at, so the page stays valid UTF-8.
    const bool utf8 = isValidUtf8(text);
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                if ((byte < 0x20 && c != '\t' && c != '\n' && c != '\r') || byte == 0x7F ||
                    (byte >= 0x80 && !utf8))
                    out += kReplacement;
                else
                    out += c;
        }
    }
    return out;
}

std::string htmlText(const Json& value) {
    if (value.is_string()) return escapeHtml(value.get_ref<const std::string&>());
    if (value.is_null()) return {};
    if (value.is_boolean()) return value.get<bool>() ? "yes" : "no";
    return escapeHtml(value.dump());
}

std::string htmlMember(const Json& object, const char* key) {
    return htmlText(memberOf(object, key));
}

const Json& memberOf(const Json& object, const char* key) {
    static const Json null;
    if (!object.is_object()) return null;
    const auto found = object.find(key);
    return found == object.end() ? null : *found;
}

const Json& arrayOf(const Json& object, const char* key) {
    static const Json empty = Json::array();
    const Json& value = memberOf(object, key);
    return value.is_array() ? value : empty;
}

HtmlModel htmlModel(const Json& model) {
    HtmlModel shown{htmlMember(model, "name"), htmlMember(model, "display_name"), {}};
    if (shown.display.empty()) shown.display = shown.name;
    shown.label =
        shown.display == shown.name ? shown.name : shown.display + " (" + shown.name + ")";
    return shown;
}

std::string htmlRunList(const Json& run) {
    std::string html = "<dl class=\"run\">";
    if (run.is_object())
        for (const auto& [key, value] : run.items())
            if (value.is_primitive())
                html +=
                    "<div><dt>" + escapeHtml(key) + "</dt><dd>" + htmlText(value) + "</dd></div>";
    return html + "</dl>\n";
}

std::string renderHtmlPage(const HtmlPage& page) {
    std::string html;
    html.reserve(page.body.size() + page.style.size() + page.script.size() + 4096);
    html += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
    html += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
    html +=
        "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
        "style-src 'unsafe-inline'; script-src 'unsafe-inline'\">\n";
    html += "<title>" + escapeHtml(page.title) + "</title>\n<style>";
    html += kSharedStyle;
    html += page.style;
    html += "</style>\n</head>\n<body>\n";
    html += page.body;
    html +=
        "<script>\n"
        "window.addEventListener(\"error\", function (event) {\n"
        "  document.body.dataset.error = String(event.message);\n"
        "});\n"
        "try {\n(function () {\n\"use strict\";\n";
    html += page.script;
    html +=
        "\n})();\ndocument.body.dataset.ready = \"1\";\n"
        "} catch (error) {\n"
        "  document.body.dataset.error = String(error && error.stack || error);\n"
        "}\n</script>\n</body>\n</html>\n";
    return html;
}

}  // namespace mfgtool

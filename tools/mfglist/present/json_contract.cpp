#include "json_contract.h"

#include <algorithm>

#include <cerrno>
#include <cstdlib>

#include "common/text_encoding.h"

namespace mfgtool {
namespace {

// Does `text` hold `part` at `at`, ASCII case aside (Windows paths).
bool holdsNoCase(const std::string& text, std::size_t at, const std::string& part) {
    if (text.size() - at < part.size()) return false;
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; };
    for (std::size_t i = 0; i < part.size(); ++i)
        if (upper(text[at + i]) != upper(part[i])) return false;
    return true;
}

// The "%d" form the library writes: optional minus, no leading zeros.
std::optional<long long> decimal(const std::string& text) {
    const std::size_t digits = text.size() - (text.rfind('-', 0) == 0 ? 1 : 0);
    if (digits == 0 || digits > 10) return std::nullopt;
    const std::size_t first = text.size() - digits;
    for (std::size_t i = first; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
    if (text[first] == '0' && digits > 1) return std::nullopt;
    if (text == "-0") return std::nullopt;
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (value < -2147483648LL || value > 2147483647LL) return std::nullopt;
    return value;
}

}  // namespace

Json jsonDocument(const std::string& command, const std::string& status, int exitStatus) {
    Json json;
    json["schema"] = kJsonSchemaVersion;
    json["command"] = command;
    json["status"] = status;
    json["exit_status"] = exitStatus;
    return json;
}

Json jsonError(const std::string& command, int exitStatus, const std::string& message) {
    Json json = jsonDocument(command, "error", exitStatus);
    json["error"] = message;
    return json;
}

std::string TextForJson::operator()(const std::string& bytes) const {
    // The folders are named wherever they stand, at a character's start: a
    // command line carries them in the middle of its text.
    std::string shown;
    std::size_t plain = 0;  // where the text not yet shown starts
    for (std::size_t at = 0; at < bytes.size();) {
        const auto folder = std::find_if(prefixes.begin(), prefixes.end(), [&](const auto& p) {
            return !p.first.empty() && holdsNoCase(bytes, at, p.first);
        });
        if (folder == prefixes.end()) {
            at += characterLength(bytes, at, codePage);
            continue;
        }
        shown += decodeCodePage(std::string_view(bytes).substr(plain, at - plain), codePage).utf8;
        shown += folder->second;
        at += folder->first.size();
        plain = at;
    }
    return shown + decodeCodePage(std::string_view(bytes).substr(plain), codePage).utf8;
}

bool isNumberKey(const std::string& key) {
    static const char* const kNumbers[] = {
        "INDEX",        "COUNT",         "INSTALLSTATUS", "DEBUG",        "ID",
        "TIMEOUT",      "FIRST_TIMEOUT", "RESULTVALUE",   "REBOOT_COUNT", "FIRST_REBOOT_COUNT",
        "REDAYINSTALL",
    };
    for (const char* number : kNumbers)
        if (key == number) return true;
    return false;
}

Json sectionJson(const KeyValues& keys, const TextForJson& text) {
    Json values = Json::object();
    Json raw = Json::object();
    for (const auto& [key, value] : keys) {
        const std::optional<long long> number = isNumberKey(key) ? decimal(value) : std::nullopt;
        const std::string name = text(key);
        if (number) {
            values[name] = *number;
            continue;
        }
        values[name] = text(value);
        if (!decodeCodePage(value, text.codePage).valid) raw[name] = hexBytes(value);
    }
    Json section;
    section["keys"] = values;
    if (!raw.empty()) section["raw"] = raw;
    return section;
}

Json installListJson(const InstallList& list, const TextForJson& text) {
    Json json;
    json["written"] = list.written;
    json["system"] = list.system ? sectionJson(*list.system, text) : Json(nullptr);
    Json entries = Json::array();
    for (std::size_t i = 0; i < list.entries.size(); ++i) {
        Json entry;
        entry["position"] = i;
        entry.update(sectionJson(list.entries[i], text));
        entries.push_back(entry);
    }
    json["entries"] = entries;
    return json;
}

}  // namespace mfgtool

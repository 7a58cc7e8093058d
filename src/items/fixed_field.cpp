#include "items/fixed_field.h"

#include <cstring>
#include <string>

#include "trace/trace_log.h"

namespace mfg::items {

bool putField(char* field, std::size_t width, std::string_view value, std::string_view key,
              const FieldOrigin& origin) {
    if (width == 0) return value.empty();
    // A value ends at its first NUL, as the C string it stands for.
    value = text::untilNul(value);
    const bool fits = value.size() < width;
    // A value that fits is moved straight in (every key of every entry is),
    // even one that lies in the field itself.
    const std::string cut =
        fits ? std::string() : text::cutToWidth(value, width - 1, origin.codePage);
    const std::string_view kept = fits ? value : std::string_view(cut);
    std::memmove(field, kept.data(), kept.size());
    std::memset(field + kept.size(), 0, width - kept.size());
    if (!fits) {
        const std::string section(origin.section);
        const std::string keyText(key);
        TraceLog("%sVALUE TOO LONG ,CUT TO %d : SECTION = %s ,KEY = %s", origin.tracePrefix,
                 static_cast<int>(kept.size()), section.c_str(), keyText.c_str());
        if (origin.cuts) origin.cuts->fieldCut(origin.owner, origin.section, key, kept.size());
    }
    return fits;
}

}  // namespace mfg::items

#include "json_text.h"

#include "json_writer.h"

namespace mfgtool {

std::string jsonText(const Json& value, int indent) {
    std::string out;
    JsonWriter(out, indent).value(value);
    return out;
}

}  // namespace mfgtool

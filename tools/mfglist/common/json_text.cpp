#include "json_text.h"

#include "json_writer.h"

namespace mfgtool {

std::string jsonText(const Json& value, int indent) {
    JsonWriter writer(indent);
    writer.value(value);
    return writer.take();
}

}  // namespace mfgtool

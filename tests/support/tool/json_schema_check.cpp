#include "support/tool/json_schema_check.h"

namespace mfgtool::test {
namespace {

using Json = nlohmann::json;

bool hasType(const Json& value, const std::string& type) {
    if (type == "object") return value.is_object();
    if (type == "array") return value.is_array();
    if (type == "string") return value.is_string();
    if (type == "integer") return value.is_number_integer();
    if (type == "number") return value.is_number();
    if (type == "boolean") return value.is_boolean();
    if (type == "null") return value.is_null();
    return false;
}

class Checker {
public:
    explicit Checker(const Json& root) : root_(root) {}

    void check(const Json& schema, const Json& value, const std::string& where,
               std::vector<std::string>& out) const {
        const auto fail = [&](const std::string& what) { out.push_back(where + ": " + what); };
        if (schema.contains("$ref")) {
            const std::string ref = schema["$ref"];
            check(root_.at(Json::json_pointer(ref.substr(1))), value, where, out);
        }
        if (schema.contains("type")) {
            bool any = false;
            for (const Json& type :
                 schema["type"].is_array() ? schema["type"] : Json::array({schema["type"]}))
                any = any || hasType(value, type);
            if (!any) return fail("not " + schema["type"].dump());
        }
        if (schema.contains("const") && value != schema["const"])
            fail("not " + schema["const"].dump());
        if (schema.contains("enum")) {
            bool found = false;
            for (const Json& option : schema["enum"]) found = found || option == value;
            if (!found) fail(value.dump() + " not in " + schema["enum"].dump());
        }
        if (schema.contains("minimum") && value.is_number() && value < schema["minimum"])
            fail("below " + schema["minimum"].dump());
        if (value.is_object()) {
            for (const Json& name : schema.value("required", Json::array()))
                if (!value.contains(name)) fail("lacks " + name.dump());
            const Json properties = schema.value("properties", Json::object());
            for (const auto& [name, member] : value.items()) {
                if (properties.contains(name))
                    check(properties[name], member, where + "/" + name, out);
                else if (schema.contains("additionalProperties"))
                    check(schema["additionalProperties"], member, where + "/" + name, out);
            }
        }
        if (value.is_array() && schema.contains("items"))
            for (std::size_t i = 0; i < value.size(); ++i)
                check(schema["items"], value[i], where + "/" + std::to_string(i), out);
        for (const Json& part : schema.value("allOf", Json::array()))
            check(part, value, where, out);
        for (const char* kind : {"anyOf", "oneOf"}) {
            if (!schema.contains(kind)) continue;
            std::size_t passed = 0;
            for (const Json& part : schema[kind]) {
                std::vector<std::string> problems;
                check(part, value, where, problems);
                passed += problems.empty() ? 1 : 0;
            }
            if (passed == 0 || (std::string(kind) == "oneOf" && passed > 1))
                fail(std::string(kind) + " matched " + std::to_string(passed));
        }
    }

private:
    const Json& root_;
};

}  // namespace

std::vector<std::string> schemaViolations(const Json& schema, const Json& document) {
    std::vector<std::string> out;
    Checker(schema).check(schema, document, "", out);
    return out;
}

}  // namespace mfgtool::test

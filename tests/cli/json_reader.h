#pragma once
// A small strict JSON reader for checking what pairwell-cli writes: it rejects anything
// that is not well-formed JSON, so a test also proves the output parses.

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace pw::test {

struct JsonValue;
using JsonObject = std::map<std::string, JsonValue>;
using JsonArray = std::vector<JsonValue>;

struct JsonValue {
    // null, boolean, number, string (\uXXXX escapes decoded to UTF-8), array, object
    std::variant<std::nullptr_t, bool, double, std::string, std::shared_ptr<JsonArray>,
                 std::shared_ptr<JsonObject>>
        value;

    bool isNull() const { return std::holds_alternative<std::nullptr_t>(value); }
    double number() const { return std::get<double>(value); }
    const std::string& string() const { return std::get<std::string>(value); }
    bool boolean() const { return std::get<bool>(value); }
    const JsonArray& array() const { return *std::get<std::shared_ptr<JsonArray>>(value); }
    const JsonObject& object() const { return *std::get<std::shared_ptr<JsonObject>>(value); }
    const JsonValue& operator[](const std::string& key) const { return object().at(key); }
};

// Parses one JSON text (surrounding white space allowed); throws std::runtime_error with
// the offset of the first fault.
JsonValue parseJson(std::string_view text);

} // namespace pw::test

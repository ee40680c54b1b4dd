#pragma once
// JSON over nlohmann-json, without exceptions.
//
// The writer matches the serializer of the phone platform that the verification server was built
// against: compact (no blanks, no line breaks), UTF-8 written as it is, and every "/" inside a text
// written as "\/".
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace ekyc {

class Json {
 public:
  // The deepest nesting of arrays and objects that parse accepts. The JSON this system reads is
  // a few levels deep; a deeper text would only make the recursive copy and writing of the value
  // overflow the stack.
  static constexpr std::size_t MAX_NESTING_DEPTH = 64;

  // Parses a complete JSON text; absent when it is not one (trailing bytes, NUL bytes and a leading
  // byte-order mark included), when an object names one member twice, or when it nests deeper
  // than MAX_NESTING_DEPTH.
  static std::optional<nlohmann::json> parse(std::string_view text);
  // Parses a JSON text whose top level is an object; absent otherwise.
  static std::optional<nlohmann::json> parseObject(std::string_view text);

  // Writes compact JSON with "/" as "\/". Absent when a text in the value is not valid UTF-8.
  static std::optional<std::string> write(const nlohmann::json& value);

  // Members of an object, absent when the value is not an object, the member is missing or has
  // another type (a number is not a text, a text is not a Boolean).
  static std::optional<std::string> getString(const nlohmann::json& object, std::string_view key);
  static std::optional<bool> getBool(const nlohmann::json& object, std::string_view key);
};

}  // namespace ekyc

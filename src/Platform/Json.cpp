#include "Platform/Json.hpp"

namespace ekyc {

namespace {

// Whether the arrays and objects of a JSON text nest deeper than `limit` (brackets inside texts
// do not count). Checked before parsing, so that an absurd text is refused without building it.
bool nestsDeeperThan(std::string_view text, std::size_t limit) {
  std::size_t depth = 0;
  bool inText = false;
  bool escaped = false;
  for (const char c : text) {
    if (inText) {
      if (escaped) {
        escaped = false;
      } else if (c == '\\') {
        escaped = true;
      } else if (c == '"') {
        inText = false;
      }
    } else if (c == '"') {
      inText = true;
    } else if (c == '[' || c == '{') {
      if (++depth > limit) return true;
    } else if ((c == ']' || c == '}') && depth > 0) {
      --depth;
    }
  }
  return false;
}

}  // namespace

std::optional<nlohmann::json> Json::parse(std::string_view text) {
  if (nestsDeeperThan(text, MAX_NESTING_DEPTH)) return std::nullopt;
  auto value = nlohmann::json::parse(text.begin(), text.end(), nullptr, /*allow_exceptions=*/false);
  if (value.is_discarded()) return std::nullopt;
  return value;
}

std::optional<nlohmann::json> Json::parseObject(std::string_view text) {
  auto value = parse(text);
  if (!value || !value->is_object()) return std::nullopt;
  return value;
}

std::optional<std::string> Json::write(const nlohmann::json& value) {
  std::string compact;
  try {
    compact = value.dump(-1, ' ', /*ensure_ascii=*/false, nlohmann::json::error_handler_t::strict);
  } catch (const nlohmann::json::exception&) {
    return std::nullopt;
  }
  // A "/" can only stand inside a text (member names included), so escaping every one is exact.
  std::string out;
  out.reserve(compact.size() + 16);
  for (const char c : compact) {
    if (c == '/') out += '\\';
    out += c;
  }
  return out;
}

std::optional<std::string> Json::getString(const nlohmann::json& object, std::string_view key) {
  if (!object.is_object()) return std::nullopt;
  const auto it = object.find(key);
  if (it == object.end() || !it->is_string()) return std::nullopt;
  return it->get<std::string>();
}

std::optional<bool> Json::getBool(const nlohmann::json& object, std::string_view key) {
  if (!object.is_object()) return std::nullopt;
  const auto it = object.find(key);
  if (it == object.end() || !it->is_boolean()) return std::nullopt;
  return it->get<bool>();
}

}  // namespace ekyc

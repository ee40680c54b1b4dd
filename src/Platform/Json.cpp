#include "Platform/Json.hpp"

#include <set>
#include <vector>

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
  // A NUL can stand nowhere in a JSON text (inside a string it must be escaped), and the parser
  // would take it for the end of the text, leaving whatever follows unread.
  if (text.find('\0') != std::string_view::npos) return std::nullopt;
  // Nor a byte-order mark, which the parser would skip at the start.
  if (text.starts_with("\xEF\xBB\xBF")) return std::nullopt;
  if (nestsDeeperThan(text, MAX_NESTING_DEPTH)) return std::nullopt;
  // The parser keeps the last of two members of one name; such a text is refused instead.
  std::vector<std::set<std::string>> names;
  bool duplicated = false;
  const auto callback = [&](int, nlohmann::json::parse_event_t event, nlohmann::json& parsed) {
    using Event = nlohmann::json::parse_event_t;
    if (event == Event::object_start) {
      names.emplace_back();
    } else if (event == Event::object_end && !names.empty()) {
      names.pop_back();
    } else if (event == Event::key && !names.empty() && parsed.is_string() &&
               !names.back().insert(parsed.get<std::string>()).second) {
      duplicated = true;
    }
    return true;
  };
  auto value = nlohmann::json::parse(text.begin(), text.end(), callback, /*allow_exceptions=*/false);
  if (value.is_discarded() || duplicated) return std::nullopt;
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

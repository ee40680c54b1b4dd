#include <gtest/gtest.h>

#include "Platform/Json.hpp"

using namespace ekyc;

TEST(Json, WriterIsCompactAndEscapesSlash) {
  nlohmann::json value = {{"ski", "ab/cd+=="}};
  EXPECT_EQ(Json::write(value), R"({"ski":"ab\/cd+=="})");
  nlohmann::json nested = {{"a/b", {1, 2}}, {"t", "改行\n\"q\""}};
  EXPECT_EQ(Json::write(nested), "{\"a\\/b\":[1,2],\"t\":\"改行\\n\\\"q\\\"\"}");
  // The escaped form reads back to the same value.
  EXPECT_EQ(Json::parse(*Json::write(nested)), nested);
  EXPECT_FALSE(Json::write({{"bad", std::string("\xC3\x28")}}).has_value());  // not UTF-8
}

TEST(Json, RefusesAbsurdNesting) {
  const auto nested = [](std::size_t depth, const std::string& inner) {
    std::string text;
    for (std::size_t i = 0; i < depth; ++i) text += R"({"a":)";
    text += inner;
    for (std::size_t i = 0; i < depth; ++i) text += "}";
    return text;
  };
  EXPECT_TRUE(Json::parseObject(nested(Json::MAX_NESTING_DEPTH, "1")).has_value());
  EXPECT_FALSE(Json::parseObject(nested(Json::MAX_NESTING_DEPTH + 1, "1")).has_value());
  // A deep text that would overflow the stack when the value is copied or written.
  EXPECT_FALSE(Json::parseObject(nested(200000, "1")).has_value());
  EXPECT_FALSE(Json::parse(std::string(300000, '[') + std::string(300000, ']')).has_value());
  // Brackets and escaped quotes inside texts do not nest.
  const std::string brackets = "\"" + std::string(500, '[') + "\\\"{{{" + "\"";
  const auto inText = Json::parseObject(nested(Json::MAX_NESTING_DEPTH, brackets));
  ASSERT_TRUE(inText.has_value());
}

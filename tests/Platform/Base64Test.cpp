#include <gtest/gtest.h>

#include "Platform/Base64.hpp"
#include "Support/Hex.hpp"

using namespace ekyc;

TEST(Base64, Rfc4648Vectors) {
  const std::pair<const char*, const char*> vectors[] = {
      {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="},
      {"foobar", "Zm9vYmFy"}};
  for (const auto& [plain, encoded] : vectors) {
    EXPECT_EQ(Base64::encode(toBytes(plain)), encoded);
    EXPECT_EQ(Base64::decode(encoded), toBytes(plain)) << encoded;
  }
  // All 256 byte values survive, and the text uses "+" and "/" on one line.
  Bytes all(256);
  for (int i = 0; i < 256; ++i) all[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
  const std::string text = Base64::encode(all);
  EXPECT_EQ(text.find('\n'), std::string::npos);
  EXPECT_NE(text.find('+'), std::string::npos);
  EXPECT_NE(text.find('/'), std::string::npos);
  EXPECT_EQ(Base64::decode(text), all);
}

TEST(Base64, StrictDecodingRejects) {
  const char* invalid[] = {
      "Zm9v\n",     // line break
      "Zm9v YmFy",  // blank
      " Zm9v",      // leading blank
      "Zm9vYg",     // padding missing
      "Zm9vYg=",    // padding short
      "Zm=vYg==",   // "=" inside
      "Zg==Zg==",   // "=" before the last group
      "Zm9-",       // URL-safe alphabet
      "Zm9_",       //
      "Zm9v\r\n",   //
      "Z===",       // three pad characters
      "====",       //
      "Zm9v\t",     //
      "Zm9vé=",     // non-ASCII
      "Zh==",       // unused bits not zero
      "Zm9=",       //
  };
  for (const char* text : invalid) EXPECT_FALSE(Base64::decode(text).has_value()) << text;
  // A view cut short inside a longer text: nothing past its end is read.
  EXPECT_FALSE(Base64::decode(std::string_view("Zm9vYmFy").substr(0, 6)).has_value());
}

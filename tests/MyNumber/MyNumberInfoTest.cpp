// The individual-number record: its getters in the server's forms, its dictionary and JSON.
#include <gtest/gtest.h>

#include "CardSurface/ExpectedRequests.hpp"
#include "MyNumber/MyNumberInfo.hpp"
#include "Platform/Json.hpp"

namespace ekyc {
namespace {

// SHA-256("abc") (FIPS 180-4, example 1) in base64.
constexpr const char* kAbcDigestBase64 = "ungWv48Bz+pBQUDeXa4iI7ADYaOWF3qctBD/YfIAFa0=";

using test::expected::arr;
using test::expected::params;

MyNumberInfo empty() {
  return MyNumberInfo(std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt,
                      std::nullopt, std::nullopt, std::nullopt);
}

MyNumberInfo full() {
  return MyNumberInfo(toBytes("123456789018"), Bytes{0x0A, 0xFF}, Bytes(32, 0x22), toBytes("CS-CERT"),
                      toBytes("SUP-CERT"), toBytes("cs-sig"), toBytes("sup-sig"), toBytes("cs-src"), toBytes("abc"));
}

TEST(MyNumberInfoTest, AllAbsentGivesAbsentGettersAndFourteenEmptyTexts) {
  const MyNumberInfo info = empty();
  EXPECT_FALSE(info.getMyNumberHashData());
  EXPECT_FALSE(info.getMyNumberAllRawData());
  const auto dictionary = info.asDictionary();
  EXPECT_EQ(dictionary.size(), 14u);
  for (const auto& [key, value] : dictionary) EXPECT_EQ(value, "") << key;
  const auto json = Json::parseObject(info.toJson());
  ASSERT_TRUE(json);
  EXPECT_EQ(json->size(), 14u);
}

TEST(MyNumberInfoTest, NumberIsAsciiTextOrAbsent) {
  MyNumberInfo info = full();
  EXPECT_EQ(info.getMyNumber(), "123456789018");
  info.myNumber = Bytes{0x31, 0x32, 0xE3, 0x81, 0x82};
  EXPECT_FALSE(info.getMyNumber());
  EXPECT_EQ(info.asDictionary().at("myNumber"), "");
}

TEST(MyNumberInfoTest, VerifyingParamsCarryTheHashOnlyOnTheNumberSide) {
  MyNumberInfo info = full();
  EXPECT_EQ(info.getMyNumberVerifyingParams(), params(toBytes("SUP-CERT"), Bytes(32, 0x22)));
  EXPECT_EQ(info.getMyNumberImageVerifyingParams(), params(toBytes("CS-CERT")));
  info.hashPersonalInfo.reset();
  EXPECT_EQ(info.getMyNumberVerifyingParams(), params(toBytes("SUP-CERT")));
  info.certSupport.reset();
  EXPECT_FALSE(info.getMyNumberAllVerifyingParams());
}

TEST(MyNumberInfoTest, BothSidesJoinImageSideFirstAndNeedBoth) {
  MyNumberInfo info = full();
  EXPECT_EQ(info.getMyNumberAllRawData(),
            arr(info.getMyNumberImageRawData().value(), info.getMyNumberRawData().value()));
  EXPECT_EQ(info.getMyNumberAllHashData(), arr(info.getMyNumberImageHashData().value(), kAbcDigestBase64));
  info.supportSignature.reset();
  EXPECT_TRUE(info.getMyNumberImageSignature());
  EXPECT_FALSE(info.getMyNumberAllSignature());
}

}  // namespace
}  // namespace ekyc

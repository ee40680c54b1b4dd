// The residence-card record's presentations at their edges.
#include <gtest/gtest.h>

#include "Platform/Base64.hpp"
#include "Platform/Digest.hpp"
#include "ResidenceCard/ResidenceCard.hpp"

namespace ekyc::test {
namespace {

ResidenceCard sample() {
  return ResidenceCard(toBytes("0100"), 1, Bytes(7000, 0x11), Bytes(3000, 0x22),
                       ResidenceCardAddresses(toBytes("20301231"), toBytes("130001"), toBytes("東京/都")), toBytes("a"),
                       toBytes("b"), true, 0, ResidenceCardSignatures(Bytes(256, 0x33), Bytes(1200, 0x44)),
                       Bytes(7004, 0x55), Bytes(3004, 0x66));
}

TEST(ResidenceCardTest, PresentsEdges) {
  auto card = sample();
  EXPECT_NE(card.toJson().find("東京\\/都"), std::string::npos);

  // Short values are zero-filled to their widths; the card entries come before the comma.
  card.cardEntries = Bytes(6999, 0x11);
  Bytes expected(7000, 0x11);
  expected.back() = 0x00;
  expected.insert(expected.end(), 3000, 0x22);
  EXPECT_EQ(card.getHashData(), Base64::encode(Digest::sha256(expected)));
  card.photoRawData = Bytes{};
  EXPECT_EQ(card.getRawData(), Base64::encode(toBytes(Base64::encode(Bytes(7004, 0x55)) + "," +
                                                      Base64::encode(Bytes(3004, 0x00)))));
  // Longer values give no verification values rather than values over part of them.
  card.cardEntries = Bytes(7001, 0x11);
  card.photoRawData = Bytes(3005, 0x66);
  EXPECT_FALSE(card.getHashData().has_value());
  EXPECT_FALSE(card.getRawData().has_value());

  // No address record, no signatures, absent and non-UTF-8 texts, info type 2.
  card.RCAddresses.reset();
  card.RCSignatures.reset();
  card.commonData.reset();
  card.comprehensivePermission = Bytes{0xFF, 0xFE};
  card.updateStatus = false;
  card.infoType = 2;
  const auto d = card.asDictionary();
  for (const char* key : {"date", "code", "address", "checkCode", "certificate", "signature", "verifyingParams",
                          "version", "comprehensivePermission", "hashData", "rawData"}) {
    EXPECT_EQ(d.at(key), "") << key;
  }
  EXPECT_EQ(card.getVersion(), "");
  EXPECT_EQ(d.at("isUpdateStatus"), "false");
  EXPECT_EQ(d.at("infoType"), "2");
  EXPECT_EQ(d.at("individualPermission"), "b");
}

}  // namespace
}  // namespace ekyc::test

// The card-surface record: text and image getters, the image-side digests over whole elements,
// the server's forms, the dictionary and JSON.
#include <gtest/gtest.h>

#include "CardPrintInfo/CardPrintInfo.hpp"
#include "CardSurface/ExpectedRequests.hpp"

namespace ekyc {
namespace {

using test::expected::cat;
using test::expected::params;

Bytes element(std::uint8_t tag, std::size_t size, std::uint8_t fill) {
  return CardSurfaceFiles::tlv({0xDF, tag}, Bytes(size, fill));
}

// DF22..DF27 as a card holds them; the images take long-form lengths.
Bytes sixElements(bool withPhoto = true) {
  const Bytes five = cat({element(0x22, 8, '1'), element(0x23, 1, '2'), element(0x24, 10, 'C'),
                          element(0x25, 300, 0x11), element(0x26, 200, 0x22)});
  return withPhoto ? cat({five, element(0x27, 1000, 0x33)}) : five;
}

CardPrintInfo empty() {
  return CardPrintInfo(std::nullopt, std::nullopt, std::nullopt, false, std::nullopt, std::nullopt, std::nullopt,
                       std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt,
                       std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt);
}

CardPrintInfo full() {
  return CardPrintInfo(toBytes("日本［山田］　花子"), toBytes("日本　花子"), toBytes("山田"), true, toBytes("東京都"),
                       toBytes("19850401"), toBytes("女"), toBytes("2035年04月01日"), Bytes{0x01, 0xAB},
                       Bytes{0x02}, Bytes{0x03}, Bytes{0x0F, 0xF0, 0x00}, Bytes(32, 0x31), toBytes("CS-CERT"),
                       toBytes("SUP-CERT"), toBytes("cs-sig"), toBytes("sup-sig"), sixElements(), toBytes("abc"));
}

TEST(CardPrintInfoTest, AllAbsentGivesTwentyThreeEmptyTextsAndFalse) {
  const CardPrintInfo info = empty();
  EXPECT_FALSE(info.getCardPrintInfoImageHashData());
  EXPECT_FALSE(info.getCardPrintInfoAllVerifyingParams());
  const auto dictionary = info.asDictionary();
  EXPECT_EQ(dictionary.size(), 24u);
  for (const auto& [key, value] : dictionary) EXPECT_EQ(value, key == "isIncludePreviousName" ? "false" : "") << key;
  EXPECT_EQ(dictionary.count("isIncludePadding"), 0u);
}

TEST(CardPrintInfoTest, TextGettersDecodeUtf8AndGiveEmptyTextForOtherBytes) {
  CardPrintInfo info = full();
  EXPECT_EQ(info.getPreviousName(), "山田");
  info.address = Bytes{0xFF, 0xFE};
  EXPECT_EQ(info.getAddress(), "");
  info.previousName = Bytes{};
  EXPECT_FALSE(info.getPreviousName());
  EXPECT_EQ(info.asDictionary().at("previousName"), "");
}

TEST(CardPrintInfoTest, ImageHashIsAbsentWithoutThePhoto) {
  CardPrintInfo info = full();
  info.cardPrintInfoVerifySrc = sixElements(false);
  EXPECT_FALSE(info.getCardPrintInfoImageHashData());
  EXPECT_FALSE(info.getCardPrintInfoAllHashData());
}

TEST(CardPrintInfoTest, TextSideUsesTheNumberHashAndImageSideNone) {
  CardPrintInfo info = full();
  EXPECT_EQ(info.getCardPrintInfoHashData(), "ungWv48Bz+pBQUDeXa4iI7ADYaOWF3qctBD/YfIAFa0=");
  EXPECT_EQ(info.getCardPrintInfoVerifyingParams(), params(toBytes("SUP-CERT"), Bytes(32, 0x31)));
  EXPECT_EQ(info.getCardPrintInfoImageVerifyingParams(), params(toBytes("CS-CERT")));
  info.hashMyNumberInfo.reset();
  EXPECT_EQ(info.getCardPrintInfoVerifyingParams(), params(toBytes("SUP-CERT")));
}

}  // namespace
}  // namespace ekyc

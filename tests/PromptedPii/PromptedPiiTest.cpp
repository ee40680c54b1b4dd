// The input-support record: everything it derives from the four files as read.
#include <gtest/gtest.h>

#include "CardSurface/ExpectedRequests.hpp"
#include "Platform/Json.hpp"
#include "PromptedPii/PromptedPii.hpp"

namespace ekyc {
namespace {

using F = CardSurfaceFiles;
using test::expected::cat;

// An EF 0002 with the given name and the four items (DF24 left out when dateOfBirth is empty).
Bytes personalInfo(const std::string& name, const std::string& dateOfBirth = "19850401") {
  Bytes items = cat({F::tlv({0xDF, 0x21}, {0x01}), F::tlv({0xDF, 0x22}, toBytes(name)),
                     F::tlv({0xDF, 0x23}, toBytes("東京都")), });
  if (!dateOfBirth.empty()) items = cat({items, F::tlv({0xDF, 0x24}, toBytes(dateOfBirth))});
  items = cat({items, F::tlv({0xDF, 0x25}, toBytes("女"))});
  Bytes file = F::tlv({0xFF, 0x20}, items);
  file.resize(1024, 0xFF);
  return file;
}

class PromptedPiiTest : public ::testing::Test {
 protected:
  CardSurfaceFiles files = CardSurfaceFiles::build(CardSurfaceHolder::sample(), CardSurfaceKeys::shared());
  PromptedPii record{files.supEf0001, files.supEf0002, files.supEf0003, files.supEf0004};
};

TEST_F(PromptedPiiTest, RawDataOfBothScopesIsTwoBase64TextsJoinedByAComma) {
  const std::string joined = record.getMyNumberRawData().value() + "," + record.getCardPrintInfoRawData().value();
  EXPECT_EQ(record.getPromptedPiiRawData(), test::expected::b64(toBytes(joined)));
  const auto block = Base64::decode(record.getCardPrintInfoRawData().value());
  ASSERT_TRUE(block);
  EXPECT_EQ(block->at(0), 0xDF);
  EXPECT_EQ(block->at(1), 0x22);  // DF21 is left out
}

TEST_F(PromptedPiiTest, WithoutTheHashFileOnlyTheWholeScopeParamsRemain) {
  for (const auto& absent : {std::optional<Bytes>{}, std::optional<Bytes>{Bytes{}}}) {
    const PromptedPii r(files.supEf0001, files.supEf0002, absent, files.supEf0004);
    EXPECT_FALSE(r.getPromptedPiiSignature());
    EXPECT_FALSE(r.getCardPrintInfoVerifyingParams());
    EXPECT_TRUE(r.getPromptedPiiVerifyingParams());
  }
}

TEST(PromptedPiiRecordTest, FourAbsentFilesGiveEmptyTextsAndFalse) {
  for (const auto& absent : {std::optional<Bytes>{}, std::optional<Bytes>{Bytes{}}}) {
    const PromptedPii r(absent, absent, absent, absent);
    EXPECT_FALSE(r.getMyNumber());
    EXPECT_FALSE(r.getPromptedPiiHashData());
    EXPECT_FALSE(r.getPromptedPiiVerifyingParams());
    const auto dictionary = r.asDictionary();
    ASSERT_EQ(dictionary.size(), 20u);
    for (const auto& [key, value] : dictionary) EXPECT_EQ(value, key == "isIncludePreviousName" ? "false" : "") << key;
    EXPECT_TRUE(Json::parseObject(r.toJson()));
  }
}

TEST(PromptedPiiRecordTest, NameSplitAroundTheBrackets) {
  const PromptedPii middle(std::nullopt, personalInfo("日本［山田］　花子"), std::nullopt, std::nullopt);
  EXPECT_TRUE(middle.isIncludePreviousName());
  EXPECT_EQ(middle.getPreviousName(), "山田");
  EXPECT_EQ(middle.getCommonName(), "日本　花子");

  // A right bracket before the left one: both are there, but no previous name can be cut out.
  const PromptedPii reversed(std::nullopt, personalInfo("日本］山田［花子"), std::nullopt, std::nullopt);
  EXPECT_TRUE(reversed.isIncludePreviousName());
  EXPECT_FALSE(reversed.getPreviousName());
  EXPECT_FALSE(reversed.getCommonName());
}

TEST(PromptedPiiRecordTest, MissingItemOfAPresentFileIsEmptyText) {
  const PromptedPii r(std::nullopt, personalInfo("日本　花子", ""), std::nullopt, std::nullopt);
  EXPECT_EQ(r.getDateOfBirth(), "");
  // The four-items block needs all four elements.
  EXPECT_FALSE(r.getCardPrintInfoRawData());
  EXPECT_FALSE(r.getCardPrintInfoHashData());
}

// Nothing is taken from a file that does not parse as its format: a template cut short, an element
// running past its template, a number of another length than 12 digits; nor from an empty
// template. Such values are absent (the text items too, not empty), while the raw data of EF 0001
// stays its bytes. An empty 7F21, stored whole, is a present, empty certificate.
TEST(PromptedPiiRecordTest, BrokenFilesGiveAbsentValuesNotCrashes) {
  const Bytes truncated{0xFF, 0x20, 0x82, 0x01, 0x00, 0xDF, 0x22, 0x10, 0x41};
  const Bytes numberWithoutElement{0xDF, 0x31, 0x01, 0x00};
  const PromptedPii r(numberWithoutElement, truncated, truncated, Bytes{0x7F, 0x21, 0x82, 0xFF});
  EXPECT_FALSE(r.getMyNumber());
  EXPECT_FALSE(r.getCardPrintInfoRawData());
  EXPECT_FALSE(r.getPromptedPiiSignature());

  CardSurfaceFiles files = CardSurfaceFiles::build(CardSurfaceHolder::sample(), CardSurfaceKeys::shared());
  Bytes shortNumber = F::tlv({0xFF, 0x10}, toBytes("12345678901"));
  shortNumber.resize(17, 0xFF);
  // Templates that end inside their last element.
  const PromptedPii broken(shortNumber, test::expected::outerLengthOneShort(personalInfo("日本　花子")),
                           test::expected::outerLengthOneShort(files.supEf0003),
                           test::expected::outerLengthOneShort(files.supEf0004));
  EXPECT_FALSE(broken.getMyNumber());
  EXPECT_EQ(broken.getMyNumberRawData(), test::expected::b64(shortNumber));
  for (const auto& item : {broken.getAllName(), broken.getCommonName(), broken.getAddress(), broken.getGender(),
                           broken.getCardPrintInfoRawData(), broken.getPromptedPiiSignature(),
                           broken.getPromptedPiiVerifyingParams()}) {
    EXPECT_FALSE(item) << *item;
  }
  EXPECT_FALSE(broken.isIncludePreviousName());

  const PromptedPii emptyCertificate(std::nullopt, std::nullopt, std::nullopt, Bytes{0x7F, 0x21, 0x00, 0xFF, 0xFF});
  EXPECT_EQ(emptyCertificate.getPromptedPiiVerifyingParams(), test::expected::b64(toBytes(R"({"publicKey":""})")));
}

}  // namespace
}  // namespace ekyc

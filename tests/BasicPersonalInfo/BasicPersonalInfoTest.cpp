// The basic four items record: the dictionary and JSON forms (the JSON writer is the platform's),
// text of bytes that are not UTF-8, and the items' hash when an item is absent (the hash of a whole
// record is checked against the virtual card's items by the signing tests).
#include <gtest/gtest.h>

#include <map>

#include <nlohmann/json.hpp>

#include "BasicPersonalInfo/BasicPersonalInfo.hpp"

namespace ekyc {
namespace {

std::optional<Bytes> b(const std::string& text) { return toBytes(text); }

BasicPersonalInfo withPreviousName() {
  return BasicPersonalInfo(b("髙橋　花子［齋藤］"), b("髙橋　花子"), true, b("齋藤"), b("2"), b("19850412"), b("東京都千代田区"),
                           b("100000100"), b("10000"), b("10"), b("0000000"), b("3"));
}

TEST(BasicPersonalInfo, HashIsAbsentWhenOneOfTheFourItemsIs) {
  for (int missing = 0; missing < 4; ++missing) {
    const BasicPersonalInfo info(missing == 0 ? std::nullopt : b("n"), b("n"), false, std::nullopt,
                                 missing == 1 ? std::nullopt : b("1"), missing == 2 ? std::nullopt : b("19900101"),
                                 missing == 3 ? std::nullopt : b("a"), b("0"), b("0"), std::nullopt, b("0"), b("4"));
    EXPECT_FALSE(info.getBasicPersonalInfoHash()) << missing;
    EXPECT_EQ(info.asDictionary().at("basicPersonalInfoHash"), "") << missing;
  }
  // Empty items are present: the hash exists.
  const BasicPersonalInfo empty(Bytes{}, Bytes{}, false, std::nullopt, Bytes{}, Bytes{}, Bytes{}, Bytes{}, Bytes{},
                                std::nullopt, Bytes{}, Bytes{});
  EXPECT_EQ(empty.getBasicPersonalInfoHash(), "47DEQpj8HBSa+/TImW+5JCeuQeRkm5NMpJWZG3hSuFU=");
}

TEST(BasicPersonalInfo, DictionaryKeysAndValues) {
  const auto info = withPreviousName();
  const std::map<std::string, std::string> expected = {
      {"allName", "髙橋　花子［齋藤］"},
      {"commonName", "髙橋　花子"},
      {"isIncludePreviousName", "true"},
      {"previousName", "齋藤"},
      {"gender", "2"},
      {"dateOfBirth", "19850412"},
      {"yearNumber", "3"},
      {"address", "東京都千代田区"},
      {"subCharOfCommonName", "10000"},
      {"subCharOfAllName", "100000100"},
      {"subCharOfPreviousName", "10"},
      {"subCharOfAddress", "0000000"},
      {"basicPersonalInfoHash", info.getBasicPersonalInfoHash().value()},
  };
  const auto dict = info.asDictionary();
  const std::map<std::string, std::string> sorted(dict.begin(), dict.end());
  EXPECT_EQ(sorted, expected);
  // The JSON form carries the same members and values.
  const auto json = nlohmann::json::parse(info.toJson());
  std::map<std::string, std::string> fromJson;
  for (const auto& [key, value] : json.items()) fromJson[key] = value.get<std::string>();
  EXPECT_EQ(fromJson, expected);
}

TEST(BasicPersonalInfo, InvalidUtf8GivesTheEmptyText) {
  const BasicPersonalInfo info(Bytes{0xFF, 0xFE}, Bytes{0xFF}, false, std::nullopt, b("1"), b("19900101"),
                               Bytes{0xC3}, b("0"), b("0"), std::nullopt, b("0"), b("4"));
  EXPECT_EQ(info.getAddress(), "");
  EXPECT_EQ(info.asDictionary().at("allName"), "");
  // The hash is over the stored bytes, whatever they are.
  EXPECT_TRUE(info.getBasicPersonalInfoHash());
}

}  // namespace
}  // namespace ekyc

#include <gtest/gtest.h>

#include "Support/Hex.hpp"
#include "Utility/Const.hpp"
#include "Utility/Utility.hpp"

using namespace ekyc;
using ekyc::test::hex;

namespace {

const std::string kLeft = "\uFF3B";   // ［
const std::string kRight = "\uFF3D";  // ］

std::string text(const Bytes& b) { return std::string(b.begin(), b.end()); }
std::string text(const std::optional<Bytes>& b) { return b ? text(*b) : "<absent>"; }

}  // namespace

TEST(UtilityPin, EachSlotsRule) {
  Utility u;
  struct Case {
    SetPinKey key;
    std::string pin;
    int expected;
  };
  const Case cases[] = {
      {SetPinKey::MYNUMBERCARD_CARDPRINTINFO_PIN, "12345678901234", 0},
      {SetPinKey::MYNUMBERCARD_CARDPRINTINFO_PIN, "1234567890123", 12007},
      {SetPinKey::MYNUMBERCARD_CARDPRINTINFO_PIN, "1234567890123A", 12008},
      {SetPinKey::MYNUMBERCARD_MYNUMBER_PIN, "123456789012", 0},
      {SetPinKey::MYNUMBERCARD_MYNUMBER_PIN, "12345678901a", 12008},
      {SetPinKey::MYNUMBERCARD_MYNUMBER_PIN, "12345678901", 12007},
      {SetPinKey::RESIDENCECARD_PIN, "AB12345678CD", 0},
      {SetPinKey::RESIDENCECARD_PIN, "AB1234567-CD", 12008},
      {SetPinKey::RESIDENCECARD_PIN, "AB12345678C", 12007},
      {SetPinKey::MYNUMBERCARD_SIGNER_PIN, "abc123", 0},
      {SetPinKey::MYNUMBERCARD_SIGNER_PIN, "ABCDEFGHIJ123456", 0},
      {SetPinKey::MYNUMBERCARD_SIGNER_PIN, "ABCDEFGHIJ1234567", 12007},
      {SetPinKey::MYNUMBERCARD_SIGNER_PIN, "abc123\n", 12008},  // a trailing line break is not accepted
      // CR LF is one character: four characters, one outside the set.
      {SetPinKey::MYNUMBERCARD_USERCERT_PIN, "123\r\n", 12008},
      {SetPinKey::MYNUMBERCARD_USERCERT_PIN, "1234\r\n", 12007},
      {SetPinKey::MYNUMBERCARD_USERCERT_PIN, "1234", 0},
      {SetPinKey::MYNUMBERCARD_PROMPTED_PII_PIN, "0000", 0},
      {SetPinKey::MYNUMBERCARD_PROMPTED_PII_PIN, "abcd", 12008},
      {SetPinKey::DRIVERLICENSE_PIN1, "9999", 0},
      {SetPinKey::DRIVERLICENSE_PIN2, "1234", 0},
      {SetPinKey::DRIVERLICENSE_PIN2, "A234", 12008},
      {SetPinKey::MYNA_DRIVERLICENSE_PIN, "4321", 0},
      // Full-width digits are four characters of twelve bytes: the length passes, the set does not.
      {SetPinKey::MYNA_DRIVERLICENSE_PIN, "\uFF11\uFF12\uFF13\uFF14", 12008},
  };
  for (const auto& c : cases) EXPECT_EQ(u.validatePin(c.key, c.pin), c.expected) << toString(c.key) << " " << c.pin;
  for (const auto key : allSetPinKeys()) EXPECT_EQ(u.validatePin(key, ""), 12002) << toString(key);
}

TEST(UtilityText, HexBothWaysAndUtf8) {
  Utility u;
  EXPECT_EQ(u.dataToHexString(hex("00ff0a")), "00FF0A");
  EXPECT_EQ(u.hexStringToBinary("00FF0a"), hex("00FF0A"));
  for (const char* bad : {"ABC", "0G", "0 12"}) EXPECT_EQ(u.hexStringToBinary(bad), Bytes{}) << bad;

  EXPECT_EQ(u.dataToUTF8String(toBytes("山田 太郎")), "山田 太郎");
  for (const char* bad : {"C328", "E28228", "F09F98", "C0AF", "EDA080", "F4908080", "FF"}) {
    EXPECT_EQ(u.dataToUTF8String(hex(bad)), "") << bad;  // broken, overlong, surrogate, above U+10FFFF
    EXPECT_FALSE(u.dataToUTF8StringForMynaDriverLicense(hex(bad)).has_value()) << bad;
  }
  EXPECT_FALSE(u.dataToUTF8StringForMynaDriverLicense(Bytes{}).has_value());
}

TEST(UtilityName, SplitsPreviousNameAndPositions) {
  Utility u;
  const Bytes name = toBytes("山田［鈴木］花子");
  const Bytes flags = toBytes("01000000");  // one flag per character of the name
  EXPECT_EQ(text(u.fetchCommonName(name, kLeft, kRight)), "山田花子");
  EXPECT_EQ(text(u.fetchPreviousName(name, kLeft, kRight)), "鈴木");
  EXPECT_EQ(text(u.fetchIndexesOfSubCharInCommonName(name, flags, kLeft, kRight)), "0100");
  EXPECT_EQ(text(u.fetchIndexesOfSubCharInPreviousName(name, toBytes("00011000"), kLeft, kRight)), "11");

  // Without a previous name: the inputs come back unchanged, the previous parts are absent.
  const Bytes plain = toBytes("山田花子");
  EXPECT_EQ(u.fetchCommonName(plain, kLeft, kRight), plain);
  EXPECT_FALSE(u.fetchPreviousName(plain, kLeft, kRight).has_value());
  EXPECT_FALSE(u.fetchIndexesOfSubCharInPreviousName(plain, toBytes("0010"), kLeft, kRight).has_value());
  EXPECT_EQ(text(u.fetchPreviousName(toBytes("山田［］"), kLeft, kRight)), "");
}

TEST(UtilityName, MalformedNamesAndShortPositions) {
  Utility u;
  // "［" without "］": no previous name, the whole name stays.
  const Bytes open = toBytes("山田［鈴木");
  EXPECT_EQ(u.fetchCommonName(open, kLeft, kRight), open);
  EXPECT_FALSE(u.fetchPreviousName(open, kLeft, kRight).has_value());
  // A "］" before the "［" is ordinary text; the pair after it counts.
  const Bytes early = toBytes("A］B［C］D");
  EXPECT_EQ(text(u.fetchCommonName(early, kLeft, kRight)), "A］BD");
  EXPECT_EQ(text(u.fetchPreviousName(early, kLeft, kRight)), "C");
  EXPECT_EQ(text(u.fetchIndexesOfSubCharInCommonName(early, toBytes("1234567"), kLeft, kRight)), "1237");
  // Positions text shorter than the name: the positions that exist, nothing read past its end.
  const Bytes name = toBytes("山田［鈴木］花子");
  EXPECT_EQ(text(u.fetchIndexesOfSubCharInCommonName(name, toBytes("0100001"), kLeft, kRight)), "011");
  // Positions text longer than the name: one flag per character of what remains, nothing beyond.
  EXPECT_EQ(text(u.fetchIndexesOfSubCharInCommonName(name, toBytes("01000001XY"), kLeft, kRight)), "0101");
  EXPECT_EQ(text(u.fetchIndexesOfSubCharInPreviousName(name, toBytes("01011001XY"), kLeft, kRight)), "11");
  // A character with a variation selector is one position.
  const Bytes ivs = toBytes("葛\U000E0100城［辻\U000E0101］");
  EXPECT_EQ(text(u.fetchIndexesOfSubCharInCommonName(ivs, toBytes("10010"), kLeft, kRight)), "10");
  // Name bytes that are not UTF-8 hold no previous name.
  EXPECT_EQ(u.fetchCommonName(hex("FF EF BC BB"), kLeft, kRight), hex("FF EF BC BB"));
}

TEST(UtilityRequest, VerifyingParamsAndBodies) {
  Utility u;
  const Bytes key = hex("FBFF00");  // base64 "+/8A"
  EXPECT_EQ(text(u.createJsonVerifyingParams(key, std::nullopt)), R"({"publicKey":"+/8A"})");
  EXPECT_EQ(text(u.createJsonVerifyingParams(key, hex("01"))), R"({"publicKey":"+/8A","hash":"AQ=="})");
  EXPECT_EQ(text(u.createJsonVerifyingParams(Utility::ski, key)), R"({"ski":"+\/8A"})");
  EXPECT_EQ(text(u.createJsonVerifyingParams(Utility::certificate, key)), R"({"certificate":"+/8A"})");
  // ["a","b"] and "cardEntries,photo", base64-encoded, nothing escaped.
  EXPECT_EQ(u.createBase64EncodedArray("QQ==", "Qg=="), "WyJRUT09IiwiUWc9PSJd");
  EXPECT_EQ(u.createBase64EncodedArray(Utility::photo, "PHOTO", "ENTRIES"), "RU5UUklFUyxQSE9UTw==");
}

TEST(UtilityJis, RowCellCodesThroughEucJp) {
  Utility u;
  // JIS X 0208: あ 0x2422, 亜 0x3021 (row 16 cell 1), 熙 0x7426 (row 84 cell 6), ［ 0x214E, □ 0x2222.
  EXPECT_EQ(u.convertDriverLicenseChar(hex("2422 3021 7426 214E 2222")), "あ亜熙［□");
  EXPECT_FALSE(u.jisX0208ToEucJp("24G2").has_value());
  // External characters become the white square, wherever they stand.
  EXPECT_EQ(u.convertExtenalCodeToSquareCode(hex("FFF1 2422 FFFA FFF8")), "22222422" "2222" "FFF8");
  EXPECT_EQ(u.convertDriverLicenseChar(hex("FFF1 2422 FFF7")), "□あ□");
  // Roman numerals from the charset table (row 13 and row 12 are not in JIS X 0208).
  EXPECT_EQ(u.convertDriverLicenseChar(hex("2D35 2D57 2C35 2C40")), "\u2160\u216B\u2170\u217B");
  // Undecodable codes give U+FFFD each; an odd last byte gives one and ends the text.
  EXPECT_EQ(u.convertDriverLicenseChar(hex("2422 2D21 FFF8 0000 2424")), "あ\uFFFD\uFFFD\uFFFDい");
  EXPECT_EQ(u.convertDriverLicenseChar(hex("2422 24")), "あ\uFFFD");
  EXPECT_EQ(u.convertDriverLicenseChar(hex("0E31 2480 A4A2")), "\uFFFD\uFFFD\uFFFD");  // outside rows and cells 21-7E
  EXPECT_EQ(u.jisToUtf8("2422ZZZZ2424"), "あ\uFFFDい");
}

TEST(UtilityJis, ExternalCharacterPositionsAndKeys) {
  Utility u;
  const Bytes text = hex("FFF1 2422 2423 FFFA 2424");
  EXPECT_EQ(u.getIndexesOfExternalChar(text), (std::vector<int>{0, 3}));
  EXPECT_EQ(u.getExternalCharKey(text, 0, 3), "FFFA");
  EXPECT_EQ(u.getExternalCharKey(text, 1, 0), "F124");  // the caller's offset is in bytes
  EXPECT_FALSE(u.getExternalCharKey(text, 0, 5).has_value());
  EXPECT_FALSE(u.getExternalCharKey(text, 0, -1).has_value());
}

TEST(UtilityJis, HistoryEntryCuts) {
  Utility u;
  // A change-history entry: 1 byte edition, 14 bytes date (7 characters), the value, 10 bytes name.
  const Bytes date = hex("2352 2356 2330 2331 2330 2331 2331");
  const Bytes value = hex("3B33 4544 FFF2");
  const Bytes psc = hex("3669 4544 3879 3022 3C7C");
  Bytes entry = {0x01};
  for (const auto* part : {&date, &value, &psc}) entry.insert(entry.end(), part->begin(), part->end());

  EXPECT_EQ(u.fetchData(entry, 15, 0), value);
  EXPECT_EQ(u.fetchData(entry, 15, 100), Bytes{});  // past the end
  EXPECT_EQ(u.fetchData(entry, -1, 2), Bytes{});
  EXPECT_EQ(u.fetchFromBottomDataToStringArray({entry, hex("2422")}, 10),
            (std::vector<std::string>{u.convertDriverLicenseChar(psc), ""}));
}

TEST(UtilityJis, PreviousNameInJisText) {
  Utility u;
  const Bytes name = hex("3B33 4544 214E 4E6B 4C5A 214F");  // 山田［鈴木］
  EXPECT_TRUE(u.isIncludePreviousNameUsingJISX0208(name, "214E"));
  EXPECT_FALSE(u.isIncludePreviousNameUsingJISX0208(hex("2214 E000"), "214E"));  // not on a character boundary
  EXPECT_EQ(u.getPreviousNameUsingJISX0208(name, "214E", "214F"), hex("4E6B 4C5A"));
  // Text after the right code (a full-width blank here) is not part of the previous name.
  EXPECT_EQ(u.removePreviousNameUsingJISX0208(hex("3B33 4544 214E 4E6B 4C5A 214F 2121"), "214E", "214F"), hex("3B33 4544"));
  // The left code last, or the right code only before it: no previous name, nothing read past the end.
  EXPECT_FALSE(u.getPreviousNameUsingJISX0208(hex("214F 3B33 214E"), "214E", "214F").has_value());
  EXPECT_EQ(u.getPreviousNameUsingJISX0208(hex("214E 214F"), "214E", "214F"), Bytes{});
}

TEST(UtilityMynaLicence, JisTextAndTagLists) {
  Utility u;
  EXPECT_EQ(u.convertMynaDriverLicenseChar(hex("3B33 0000 4544 2D35")), "山田\u2160");

  const Utility::TagDictionary dic = {{"C6", hex("3B33")}, {"C8", {}}, {"E9", toBytes("20200401")}, {"EA", hex("FF")}};
  const auto jis = u.fetchJISStringValueByTag(dic, {"C6", "C7", "C8"});
  ASSERT_TRUE(jis.has_value());
  EXPECT_EQ(*jis, (std::vector<std::optional<std::string>>{"山", std::nullopt, std::nullopt}));
  EXPECT_EQ(u.fetchUTF8StringValueByTag(dic, {"E9", "EA", "EB"}),
            (std::vector<std::optional<std::string>>{"20200401", std::nullopt, std::nullopt}));
  EXPECT_FALSE(u.fetchDataValueByTag(dic, {"C7", "C8"}).has_value());  // nothing listed holds bytes
}

TEST(UtilityResidenceCard, SmallHelpers) {
  Utility u;
  EXPECT_EQ(u.xorUInt8Array(hex("0F0F"), hex("FF00AA")), hex("F00F"));
  EXPECT_EQ(u.xorUInt8Array(hex("0102"), hex("01")), Bytes{});  // a2 too short
  EXPECT_FALSE(u.binaryEmptyToNil(Bytes(256, 0)).has_value());
  EXPECT_EQ(u.binaryEmptyToNil(hex("00 01")), hex("0001"));
}

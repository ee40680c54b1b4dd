#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <memory>

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
      {SetPinKey::MYNUMBERCARD_CARDPRINTINFO_PIN, "123456789012345", 12007},
      {SetPinKey::MYNUMBERCARD_CARDPRINTINFO_PIN, "1234567890123A", 12008},
      {SetPinKey::MYNUMBERCARD_MYNUMBER_PIN, "123456789012", 0},
      {SetPinKey::MYNUMBERCARD_MYNUMBER_PIN, "12345678901a", 12008},
      {SetPinKey::MYNUMBERCARD_MYNUMBER_PIN, "12345678901", 12007},
      {SetPinKey::RESIDENCECARD_PIN, "AB12345678CD", 0},
      {SetPinKey::RESIDENCECARD_PIN, "ab12345678cd", 0},
      {SetPinKey::RESIDENCECARD_PIN, "AB1234567-CD", 12008},
      {SetPinKey::RESIDENCECARD_PIN, "AB12345678C", 12007},
      {SetPinKey::MYNUMBERCARD_SIGNER_PIN, "abc123", 0},
      {SetPinKey::MYNUMBERCARD_SIGNER_PIN, "ABCDEFGHIJ123456", 0},
      {SetPinKey::MYNUMBERCARD_SIGNER_PIN, "abc12", 12007},
      {SetPinKey::MYNUMBERCARD_SIGNER_PIN, "ABCDEFGHIJ1234567", 12007},
      {SetPinKey::MYNUMBERCARD_SIGNER_PIN, "abc 123", 12008},
      {SetPinKey::MYNUMBERCARD_SIGNER_PIN, "abc123\n", 12008},  // a trailing line break is not accepted
      // CR LF is one character: four characters, one outside the set.
      {SetPinKey::MYNUMBERCARD_USERCERT_PIN, "123\r\n", 12008},
      {SetPinKey::MYNUMBERCARD_USERCERT_PIN, "1234\r\n", 12007},
      {SetPinKey::MYNUMBERCARD_USERCERT_PIN, "1234", 0},
      {SetPinKey::MYNUMBERCARD_USERCERT_PIN, "12a4", 12008},
      {SetPinKey::MYNUMBERCARD_USERCERT_PIN, "12345", 12007},
      {SetPinKey::MYNUMBERCARD_PROMPTED_PII_PIN, "0000", 0},
      {SetPinKey::MYNUMBERCARD_PROMPTED_PII_PIN, "abcd", 12008},
      {SetPinKey::DRIVERLICENSE_PIN1, "9999", 0},
      {SetPinKey::DRIVERLICENSE_PIN1, "999", 12007},
      {SetPinKey::DRIVERLICENSE_PIN2, "1234", 0},
      {SetPinKey::DRIVERLICENSE_PIN2, "A234", 12008},
      {SetPinKey::MYNA_DRIVERLICENSE_PIN, "4321", 0},
      {SetPinKey::MYNA_DRIVERLICENSE_PIN, "43210", 12007},
      // Full-width digits are four characters of twelve bytes: the length passes, the set does not.
      {SetPinKey::MYNA_DRIVERLICENSE_PIN, "\uFF11\uFF12\uFF13\uFF14", 12008},
      {SetPinKey::MYNUMBERCARD_USERCERT_PIN, "\uFF11\uFF12\uFF13", 12007},
  };
  for (const auto& c : cases) EXPECT_EQ(u.validatePin(c.key, c.pin), c.expected) << toString(c.key) << " " << c.pin;
  for (const auto key : allSetPinKeys()) EXPECT_EQ(u.validatePin(key, ""), 12002) << toString(key);
}

TEST(UtilityDigest, NamesAndOids) {
  Utility u;
  const Bytes abc = toBytes("abc");
  EXPECT_EQ(u.createDigest(abc, "SHA-256"), hex("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
  EXPECT_EQ(u.createDigest(abc, "SHA-384").size(), 48u);
  EXPECT_EQ(u.createDigest(abc, "SHA-512").size(), 64u);
  for (const char* name : {"SHA-1", "sha-256", "SHA256", ""}) {
    EXPECT_TRUE(u.createDigest(abc, name).empty()) << name;
    EXPECT_FALSE(u.isSupportHashAlgorithm(name)) << name;
  }
  EXPECT_TRUE(u.isSupportHashAlgorithm("SHA-384"));
  EXPECT_EQ(u.getHashAlgorithm("SHA-256"), "2.16.840.1.101.3.4.2.1");
  EXPECT_EQ(u.getHashAlgorithm("SHA-384"), "2.16.840.1.101.3.4.2.2");
  EXPECT_EQ(u.getHashAlgorithm("SHA-512"), "2.16.840.1.101.3.4.2.3");
  EXPECT_EQ(u.getHashAlgorithm("MD5"), "2.16.840.1.101.3.4.2.1");
}

TEST(UtilityText, HexBothWaysAndUtf8) {
  Utility u;
  EXPECT_EQ(u.dataToHexString(hex("63C2")), "63C2");
  EXPECT_EQ(u.dataToHexString(hex("00ff0a")), "00FF0A");
  EXPECT_EQ(u.byteToHexString({}), "");
  EXPECT_EQ(u.hexStringToBinary("00FF0a"), hex("00FF0A"));
  EXPECT_EQ(u.hexStringToBinary(""), Bytes{});
  EXPECT_EQ(u.hexStringToBinary("ABC"), Bytes{});   // odd length
  EXPECT_EQ(u.hexStringToBinary("0G"), Bytes{});    // not hex
  EXPECT_EQ(u.hexStringToBinary("0 12"), Bytes{});  // blank

  EXPECT_EQ(u.dataToUTF8String(toBytes("山田 太郎")), "山田 太郎");
  EXPECT_EQ(u.dataToUTF8String(std::nullopt), "");
  for (const char* bad : {"C328", "E28228", "F09F98", "C0AF", "EDA080", "F4908080", "FF"}) {
    EXPECT_EQ(u.dataToUTF8String(hex(bad)), "") << bad;  // broken, overlong, surrogate, above U+10FFFF
    EXPECT_FALSE(u.dataToUTF8StringForMynaDriverLicense(hex(bad)).has_value()) << bad;
  }
  EXPECT_FALSE(u.dataToUTF8StringForMynaDriverLicense(Bytes{}).has_value());
  EXPECT_FALSE(u.dataToUTF8StringForMynaDriverLicense(std::nullopt).has_value());
  EXPECT_EQ(u.dataToUTF8StringForMynaDriverLicense(toBytes(" 2024年 ")), " 2024年 ");
}

TEST(UtilityName, SplitsPreviousNameAndPositions) {
  Utility u;
  const Bytes name = toBytes("山田［鈴木］花子");
  const Bytes flags = toBytes("01000000");  // one flag per character of the name
  EXPECT_TRUE(u.isIncludePreviousName(name, kLeft));
  EXPECT_FALSE(u.isIncludePreviousName(toBytes("山田花子"), kLeft));
  EXPECT_FALSE(u.isIncludePreviousName(std::nullopt, kLeft));
  EXPECT_EQ(text(u.fetchCommonName(name, kLeft, kRight)), "山田花子");
  EXPECT_EQ(text(u.fetchPreviousName(name, kLeft, kRight)), "鈴木");
  EXPECT_EQ(text(u.fetchIndexesOfSubCharInCommonName(name, flags, kLeft, kRight)), "0100");
  EXPECT_EQ(text(u.fetchIndexesOfSubCharInPreviousName(name, toBytes("00011000"), kLeft, kRight)), "11");

  // Without a previous name: the inputs come back unchanged, the previous parts are absent.
  const Bytes plain = toBytes("山田花子");
  EXPECT_EQ(u.fetchCommonName(plain, kLeft, kRight), plain);
  EXPECT_FALSE(u.fetchPreviousName(plain, kLeft, kRight).has_value());
  EXPECT_EQ(u.fetchIndexesOfSubCharInCommonName(plain, toBytes("0010"), kLeft, kRight), toBytes("0010"));
  EXPECT_FALSE(u.fetchIndexesOfSubCharInPreviousName(plain, toBytes("0010"), kLeft, kRight).has_value());

  // An empty previous name and a bracket pair at the end.
  EXPECT_EQ(text(u.fetchPreviousName(toBytes("山田［］"), kLeft, kRight)), "");
  EXPECT_EQ(text(u.fetchCommonName(toBytes("山田［鈴木］"), kLeft, kRight)), "山田");
}

TEST(UtilityName, MalformedNamesAndShortPositions) {
  Utility u;
  // "［" without "］": no previous name, the whole name stays.
  const Bytes open = toBytes("山田［鈴木");
  EXPECT_TRUE(u.isIncludePreviousName(open, kLeft));
  EXPECT_EQ(u.fetchCommonName(open, kLeft, kRight), open);
  EXPECT_FALSE(u.fetchPreviousName(open, kLeft, kRight).has_value());
  EXPECT_EQ(u.fetchIndexesOfSubCharInCommonName(open, toBytes("00000"), kLeft, kRight), toBytes("00000"));
  EXPECT_FALSE(u.fetchIndexesOfSubCharInPreviousName(open, toBytes("00000"), kLeft, kRight).has_value());
  // A "］" before the "［" is ordinary text; the pair after it counts.
  const Bytes early = toBytes("A］B［C］D");
  EXPECT_EQ(text(u.fetchCommonName(early, kLeft, kRight)), "A］BD");
  EXPECT_EQ(text(u.fetchPreviousName(early, kLeft, kRight)), "C");
  EXPECT_EQ(text(u.fetchIndexesOfSubCharInCommonName(early, toBytes("1234567"), kLeft, kRight)), "1237");
  // Positions text shorter than the name: the positions that exist, nothing read past its end.
  const Bytes name = toBytes("山田［鈴木］花子");
  EXPECT_EQ(text(u.fetchIndexesOfSubCharInCommonName(name, toBytes("01"), kLeft, kRight)), "01");
  EXPECT_EQ(text(u.fetchIndexesOfSubCharInCommonName(name, toBytes("0100001"), kLeft, kRight)), "011");
  EXPECT_EQ(text(u.fetchIndexesOfSubCharInPreviousName(name, toBytes("0001"), kLeft, kRight)), "1");
  EXPECT_EQ(text(u.fetchIndexesOfSubCharInPreviousName(name, Bytes{}, kLeft, kRight)), "");
  // Positions text longer than the name: one flag per character of what remains, nothing beyond.
  EXPECT_EQ(text(u.fetchIndexesOfSubCharInCommonName(name, toBytes("01000001XY"), kLeft, kRight)), "0101");
  EXPECT_EQ(text(u.fetchIndexesOfSubCharInPreviousName(name, toBytes("01011001XY"), kLeft, kRight)), "11");
  // A character with a variation selector is one position.
  const Bytes ivs = toBytes("葛\U000E0100城［辻\U000E0101］");
  EXPECT_EQ(text(u.fetchIndexesOfSubCharInCommonName(ivs, toBytes("10010"), kLeft, kRight)), "10");
  EXPECT_EQ(text(u.fetchIndexesOfSubCharInPreviousName(ivs, toBytes("10010"), kLeft, kRight)), "1");
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
  const auto body = u.createRequestBody("h", "s", "v", "0", "mynumber", "23", "tenant");
  const std::map<std::string, std::string> expected = {
      {"expectedHash", "h"}, {"signature", "s"}, {"verifyingParams", "v"}, {"flags", "0"},
      {"cardType", "mynumber"}, {"reqType", "23"}, {"tenantCode", "tenant"}};
  EXPECT_EQ(body, expected);
}

TEST(UtilityJis, RowCellCodesThroughEucJp) {
  Utility u;
  // JIS X 0208: あ 0x2422, 亜 0x3021 (row 16 cell 1), 熙 0x7426 (row 84 cell 6), ［ 0x214E, □ 0x2222.
  EXPECT_EQ(u.convertDriverLicenseChar(hex("2422 3021 7426 214E 2222")), "あ亜熙［□");
  EXPECT_EQ(u.jisX0208ToEucJp("2422"), hex("A4A2"));
  EXPECT_FALSE(u.jisX0208ToEucJp("242").has_value());
  EXPECT_FALSE(u.jisX0208ToEucJp("24G2").has_value());
  EXPECT_EQ(u.eucJpToUtf8(hex("A4A2")), "あ");
  EXPECT_FALSE(u.eucJpToUtf8(hex("ADA1")).has_value());
  // External characters become the white square, wherever they stand.
  EXPECT_EQ(u.convertExtenalCodeToSquareCode(hex("FFF1 2422 FFFA FFF8")), "22222422" "2222" "FFF8");
  EXPECT_EQ(u.convertDriverLicenseChar(hex("FFF1 2422 FFF7")), "□あ□");
  EXPECT_EQ(u.convertExtenalCodeToSquareCode(Bytes{}), "");
  // Roman numerals from the charset table (row 13 and row 12 are not in JIS X 0208).
  EXPECT_EQ(u.convertDriverLicenseChar(hex("2D35 2D57 2C35 2C40")), "\u2160\u216B\u2170\u217B");
  EXPECT_TRUE(u.isJisx0213RomanNum("2d3f"));
  EXPECT_FALSE(u.isJisx0213RomanNum("2D40"));
  EXPECT_EQ(u.jisToUtf8ByVudiLibJisToUtf8MappingTable("2D36"), "\u2161");
  EXPECT_EQ(u.jisToUtf8ByVudiLibJisToUtf8MappingTable("2422"), "");
  // Undecodable codes give U+FFFD each; an odd last byte gives one and ends the text.
  EXPECT_EQ(u.convertDriverLicenseChar(hex("2422 2D21 FFF8 0000 2424")), "あ\uFFFD\uFFFD\uFFFDい");
  EXPECT_EQ(u.convertDriverLicenseChar(hex("2422 24")), "あ\uFFFD");
  EXPECT_EQ(u.convertDriverLicenseChar(hex("0E31 2480 A4A2")), "\uFFFD\uFFFD\uFFFD");  // outside rows and cells 21-7E
  EXPECT_EQ(u.jisToUtf8("2422ZZZZ2424"), "あ\uFFFDい");
  EXPECT_EQ(u.jisToUtf8(""), "");
}

TEST(UtilityJis, ExternalCharacterPositionsAndKeys) {
  Utility u;
  const Bytes text = hex("FFF1 2422 2423 FFFA 2424");
  EXPECT_EQ(u.getIndexesOfExternalChar(text), (std::vector<int>{0, 3}));
  EXPECT_FALSE(u.getIndexesOfExternalChar(hex("2422 2423")).has_value());
  EXPECT_FALSE(u.getIndexesOfExternalChar(hex("FF")).has_value());
  EXPECT_EQ(u.getExternalCharKey(text, 0, 3), "FFFA");
  EXPECT_EQ(u.getExternalCharKey(text, 2, 0), "2422");
  EXPECT_EQ(u.getExternalCharKey(text, 1, 0), "F124");  // the caller's offset is in bytes
  EXPECT_FALSE(u.getExternalCharKey(text, 0, 5).has_value());
  EXPECT_FALSE(u.getExternalCharKey(text, 9, 0).has_value());
  EXPECT_FALSE(u.getExternalCharKey(text, 0, -1).has_value());
  EXPECT_FALSE(u.getExternalCharKey(hex("24"), 0, 0).has_value());
}

TEST(UtilityJis, HistoryEntryCuts) {
  Utility u;
  // A change-history entry: 1 byte edition, 14 bytes date (7 characters), the value, 10 bytes name.
  const Bytes date = hex("2352 2356 2330 2331 2330 2331 2331");
  const Bytes value = hex("3B33 4544 FFF2");
  const Bytes psc = hex("3669 4544 3879 3022 3C7C");
  Bytes entry = {0x01};
  for (const auto* part : {&date, &value, &psc}) entry.insert(entry.end(), part->begin(), part->end());

  EXPECT_EQ(u.fetchData(entry, 1, 14), date);
  EXPECT_EQ(u.fetchData(entry, 15, 0), value);
  EXPECT_EQ(u.fetchData(entry, 15, 100), Bytes{});  // past the end
  EXPECT_EQ(u.fetchData(hex("0102"), 0, 0), Bytes{});
  EXPECT_EQ(u.fetchData(entry, -1, 2), Bytes{});
  EXPECT_EQ(u.fetchDataArray({entry, {}}, 15, 0), (std::vector<Bytes>{value, {}}));
  EXPECT_EQ(u.fetchDataToStringArray({entry, {}, hex("01")}, 15, 0),
            (std::vector<std::string>{"山田□", "", ""}));
  EXPECT_EQ(u.fetchFromBottomDataToStringArray({entry, hex("2422")}, 10),
            (std::vector<std::string>{u.convertDriverLicenseChar(psc), ""}));
  EXPECT_TRUE(u.fetchFromBottomDataToStringArray({}, 10).empty());

  const std::optional<std::vector<std::optional<Bytes>>> list = std::vector<std::optional<Bytes>>{hex("01"), std::nullopt, hex("02")};
  EXPECT_EQ(u.removeNilFromArray(list), (std::vector<Bytes>{hex("01"), hex("02")}));
  EXPECT_FALSE(u.removeNilFromArray(std::optional<std::vector<std::optional<Bytes>>>{}).has_value());
}

TEST(UtilityJis, PreviousNameInJisText) {
  Utility u;
  const Bytes name = hex("3B33 4544 214E 4E6B 4C5A 214F");  // 山田［鈴木］
  EXPECT_TRUE(u.isIncludePreviousNameUsingJISX0208(name, "214E"));
  EXPECT_FALSE(u.isIncludePreviousNameUsingJISX0208(hex("2214 E000"), "214E"));  // not on a character boundary
  EXPECT_FALSE(u.isIncludePreviousNameUsingJISX0208(hex("21"), "214E"));
  EXPECT_EQ(u.getPreviousNameUsingJISX0208(name, "214E", "214F"), hex("4E6B 4C5A"));
  EXPECT_EQ(u.removePreviousNameUsingJISX0208(name, "214E", "214F"), hex("3B33 4544"));
  // Text after the right code (a full-width blank here) is not part of the previous name.
  const Bytes trailing = hex("3B33 4544 214E 4E6B 4C5A 214F 2121");
  EXPECT_EQ(u.getPreviousNameUsingJISX0208(trailing, "214E", "214F"), hex("4E6B 4C5A"));
  EXPECT_EQ(u.removePreviousNameUsingJISX0208(trailing, "214E", "214F"), hex("3B33 4544"));
  // Without both codes: no previous name, the name unchanged.
  const Bytes plain = hex("3B33 4544");
  EXPECT_FALSE(u.getPreviousNameUsingJISX0208(plain, "214E", "214F").has_value());
  EXPECT_EQ(u.removePreviousNameUsingJISX0208(plain, "214E", "214F"), plain);
  EXPECT_FALSE(u.getPreviousNameUsingJISX0208(std::nullopt, "214E", "214F").has_value());
  EXPECT_FALSE(u.removePreviousNameUsingJISX0208(std::nullopt, "214E", "214F").has_value());
  // The left code last, or the right code only before it: no previous name, nothing read past the end.
  EXPECT_FALSE(u.getPreviousNameUsingJISX0208(hex("214F 3B33 214E"), "214E", "214F").has_value());
  EXPECT_EQ(u.getPreviousNameUsingJISX0208(hex("214E 214F"), "214E", "214F"), Bytes{});
}

TEST(UtilityMynaLicence, JisTextAndTagLists) {
  Utility u;
  EXPECT_EQ(u.convertMynaDriverLicenseChar(hex("3B33 0000 4544 2D35")), "山田\u2160");
  EXPECT_EQ(u.convertMynaDriverLicenseChar(hex("3B33 2D21 45")), "山\uFFFD\uFFFD");
  EXPECT_FALSE(u.convertMynaDriverLicenseChar(Bytes{}).has_value());
  EXPECT_FALSE(u.convertMynaDriverLicenseChar(std::nullopt).has_value());

  const Utility::TagDictionary dic = {{"C6", hex("3B33")}, {"C8", {}}, {"E9", toBytes("20200401")}, {"EA", hex("FF")}};
  const auto jis = u.fetchJISStringValueByTag(dic, {"C6", "C7", "C8"});
  ASSERT_TRUE(jis.has_value());
  EXPECT_EQ(*jis, (std::vector<std::optional<std::string>>{"山", std::nullopt, std::nullopt}));
  const auto dates = u.fetchUTF8StringValueByTag(dic, {"E9", "EA", "EB"});
  EXPECT_EQ(*dates, (std::vector<std::optional<std::string>>{"20200401", std::nullopt, std::nullopt}));
  const auto raw = u.fetchDataValueByTag(dic, {"C7", "C8", "C6"});
  EXPECT_EQ(*raw, (std::vector<std::optional<Bytes>>{std::nullopt, Bytes{}, hex("3B33")}));
  // Nothing listed with bytes, an empty dictionary or an empty list: absent.
  EXPECT_FALSE(u.fetchDataValueByTag(dic, {"C7", "C8"}).has_value());
  EXPECT_FALSE(u.fetchUTF8StringValueByTag({}, {"E9"}).has_value());
  EXPECT_FALSE(u.fetchJISStringValueByTag(dic, {}).has_value());
}

TEST(UtilityResidenceCard, SmallHelpers) {
  Utility u;
  EXPECT_EQ(u.xorUInt8Array(hex("0F0F"), hex("FF00AA")), hex("F00F"));
  EXPECT_EQ(u.xorUInt8Array({}, hex("01")), Bytes{});
  EXPECT_EQ(u.xorUInt8Array(hex("0102"), hex("01")), Bytes{});  // a2 too short
  EXPECT_TRUE(u.isDataAllEmpty({}));
  EXPECT_TRUE(u.isDataAllEmpty(Bytes(1200, 0)));
  EXPECT_FALSE(u.isDataAllEmpty(hex("0001")));
  EXPECT_FALSE(u.binaryEmptyToNil(Bytes(256, 0)).has_value());
  EXPECT_FALSE(u.binaryEmptyToNil(Bytes{}).has_value());
  EXPECT_EQ(u.binaryEmptyToNil(hex("00 01")), hex("0001"));
  EXPECT_FALSE(u.binaryEmptyToNil(std::nullopt).has_value());
  EXPECT_TRUE(u.isSignatureAndCertificateEmpty(std::nullopt, std::nullopt));
  EXPECT_FALSE(u.isSignatureAndCertificateEmpty(Bytes{}, std::nullopt));
  EXPECT_TRUE(u.is16YearsUnderForResidenceCard(std::nullopt, std::nullopt, std::nullopt));
  EXPECT_FALSE(u.is16YearsUnderForResidenceCard(Bytes{}, std::nullopt, std::nullopt));
}

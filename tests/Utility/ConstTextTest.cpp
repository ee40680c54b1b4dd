#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "Pin/SetPinKey.hpp"
#include "Utility/Const.hpp"
#include "Utility/ConstCharset.hpp"
#include "Utility/ConstDataLength.hpp"
#include "Utility/ConstTag.hpp"

using namespace ekyc;

TEST(Const, BracketsAreTheFullWidthSquareBrackets) {
  const Const c;
  EXPECT_EQ(c.COMMON_BRACKET_LEFT, "\xEF\xBC\xBB");   // U+FF3B
  EXPECT_EQ(c.COMMON_BRACKET_RIGHT, "\xEF\xBC\xBD");  // U+FF3D
  // Their JIS X 0208 codes, as EUC-JP A1CE / A1CF.
  EXPECT_EQ(c.JISX_0208_SQUARE_BRACKET_LEFT, "214E");
  EXPECT_EQ(c.JISX_0208_SQUARE_BRACKET_RIGHT, "214F");
  EXPECT_EQ(c.EXTERNAL_CODE,
            (std::vector<std::string>{"FFF1", "FFF2", "FFF3", "FFF4", "FFF5", "FFF6", "FFF7", "FFFA"}));
}

TEST(Const, VerificationEndpointPath) {
  const std::string url = Const().SIGNATURE_VERIFICATION_URL;
  EXPECT_EQ(url.rfind("https://", 0), 0u);
  const std::string path = "/signature/verification";
  ASSERT_GE(url.size(), path.size());
  EXPECT_EQ(url.substr(url.size() - path.size()), path);
}

TEST(Const, SameNameDifferentHolders) {
  // A name shared by several holders keeps each holder's own value.
  EXPECT_EQ(Const().CARD_PRINT_INFO, "券面事項情報");
  EXPECT_EQ(ConstDataLength().CARD_PRINT_INFO, 5498);
  EXPECT_EQ(ConstTag().CARD_PRINT_INFO.front(), "FF20");
  EXPECT_EQ(ConstDataLength().PHOTO, 2005);
  EXPECT_EQ(ConstTag().PHOTO, (std::vector<std::string>{"5F40"}));
  EXPECT_EQ(ConstDataLength().RESIDENCE_CARD_SIGNATURES, 1464);
  EXPECT_EQ(ConstTag().RESIDENCE_CARD_SIGNATURES.size(), 2u);
}

TEST(ConstDataLength, DerivedSizesAddUp) {
  const ConstDataLength l;
  EXPECT_EQ(l.LICENSE_ENTRIES + l.REGISTERED_DOMICILE + l.PHOTO, l.DRIVER_LICENSE_RAWDATA);
  // The photo offset pads entries and domicile up to the partial hash's 16 blocks of 64 bytes.
  EXPECT_EQ(l.LICENSE_ENTRIES + l.REGISTERED_DOMICILE + l.DL_PHOTO_OFFSET, l.DL_LOOP_TIME * 64);
  EXPECT_EQ(l.RESIDENCE_CARD_ADDRESSES_DATE + l.RESIDENCE_CARD_ADDRESSES_CODE + l.RESIDENCE_CARD_ADDRESSES_ADDRESS +
                8,
            l.RESIDENCE_CARD_ADDRESSES);
  EXPECT_EQ(l.RESIDENCE_CARD_SIGNATURES_SIGNATURE + l.RESIDENCE_CARD_SIGNATURES_CERTIFICATE + 8,
            l.RESIDENCE_CARD_SIGNATURES);
  // D0/D1 elements: tag, 82 LL LL, value; then padding up to the 8-byte cipher block.
  EXPECT_EQ(l.RESIDENCE_CARD_CARD_ENTRIES_VAL + 4, l.RESIDENCE_CARD_CARD_ENTRIES_PADDING);
  EXPECT_EQ(l.RESIDENCE_CARD_PHOTO_VAL + 4, l.RESIDENCE_CARD_PHOTO_PADDING);
  EXPECT_EQ(l.RESIDENCE_CARD_CARD_ENTRIES % 8, 0);
  EXPECT_EQ(l.RESIDENCE_CARD_PHOTO % 8, 0);
  EXPECT_EQ(l.MUTUAL_AUTH_DATA_LENGTH, 32 + l.GET_CHALLENGE_DATA_LENGTH);
}

TEST(ConstCharset, RomanNumeralsMapToUnicodeNumberForms) {
  const ConstCharset cs;
  ASSERT_EQ(cs.ROMAN_NUMS_OF_JIS.size(), 24u);
  ASSERT_EQ(cs.VUDI_LIBRARY_JIS_TO_UTF8_MAPPING_TABLE.size(), 24u);
  // Upper case I..XII are U+2160..U+216B, lower case i..xii U+2170..U+217B, in list order.
  for (std::size_t i = 0; i < 24; ++i) {
    const std::string& jis = cs.ROMAN_NUMS_OF_JIS[i];
    const auto found = cs.VUDI_LIBRARY_JIS_TO_UTF8_MAPPING_TABLE.find(jis);
    ASSERT_NE(found, cs.VUDI_LIBRARY_JIS_TO_UTF8_MAPPING_TABLE.end()) << jis;
    const unsigned codePoint = (i < 12 ? 0x2160u : 0x2170u - 12u) + static_cast<unsigned>(i);
    char utf8[7];
    std::snprintf(utf8, sizeof utf8, "%02X%02X%02X", 0xE0u | (codePoint >> 12), 0x80u | ((codePoint >> 6) & 0x3Fu),
                  0x80u | (codePoint & 0x3Fu));
    EXPECT_EQ(found->second, utf8) << jis;
  }
  EXPECT_EQ(cs.ROMAN_NUMS_OF_JIS[11], "2D57");
  EXPECT_EQ(cs.ROMAN_NUMS_OF_JIS[23], "2C40");
}

TEST(SetPinKey, NineSlotsWithTheirNames) {
  const auto keys = allSetPinKeys();
  std::set<std::string> names;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    EXPECT_EQ(static_cast<std::size_t>(keys[i]), i);
    names.insert(toString(keys[i]));
  }
  EXPECT_EQ(names.size(), 9u);
  EXPECT_EQ(toString(SetPinKey::RESIDENCECARD_PIN), "RESIDENCECARD_PIN");
  EXPECT_EQ(toString(keys[3]), "MYNUMBERCARD_SIGNER_PIN");
  EXPECT_EQ(toString(keys[8]), "MYNA_DRIVERLICENSE_PIN");
}

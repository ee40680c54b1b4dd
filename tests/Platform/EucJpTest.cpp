// JIS X 0208 row-cell codes through EUC-JP (each byte of the row-cell code plus A0).
#include <gtest/gtest.h>

#include "Platform/EucJp.hpp"
#include "Support/Hex.hpp"

using namespace ekyc;
using ekyc::test::hex;

TEST(EucJp, JisX0208RowCellCodes) {
  EXPECT_EQ(EucJp::decode(hex("A4A2")), "あ");  // row 4 cell 2 (0x2422): U+3042
  EXPECT_EQ(EucJp::decode(hex("B0A1")), "亜");  // row 16 cell 1 (0x3021): U+4E9C, first kanji of level 1
  EXPECT_EQ(EucJp::decode(hex("A2A2")), "□");   // row 2 cell 2 (0x2222): white square
  EXPECT_EQ(EucJp::decode(hex("A1CEA1CF")), "［］");  // 0x214E / 0x214F: full-width brackets
  EXPECT_EQ(EucJp::decode(hex("B4C1BBFA")), "漢字");
  EXPECT_EQ(EucJp::decode(hex("F4A6")), "熙");  // 0x7426, the last code of level 2
  EXPECT_EQ(EucJp::decode(toBytes("ABC123")), "ABC123");
  EXPECT_EQ(EucJp::decode(Bytes{}), "");
}

TEST(EucJp, StrictDecodeFailsOnUnmappedOrBrokenInput) {
  EXPECT_FALSE(EucJp::decode(hex("ADB5")).has_value());  // row 13 is not in JIS X 0208
  EXPECT_FALSE(EucJp::decode(hex("A9A1")).has_value());  // row 9 is unassigned
  EXPECT_FALSE(EucJp::decode(hex("A4")).has_value());    // half a character
  EXPECT_FALSE(EucJp::decode(hex("A441")).has_value());  // lead byte, then ASCII
}

TEST(EucJp, LossyDecodeReplacesEachBadCharacter) {
  EXPECT_EQ(EucJp::decodeLossy(hex("A4A2 ADB5 A4A4")), "あ\uFFFDい");
  EXPECT_EQ(EucJp::decodeLossy(hex("ADB5ADB6")), "\uFFFD\uFFFD");
  EXPECT_EQ(EucJp::decodeLossy(hex("A4A2 A4")), "あ\uFFFD");
  EXPECT_EQ(EucJp::decodeLossy(hex("A441")), "\uFFFDA");  // the ASCII byte is kept
  EXPECT_EQ(EucJp::decodeLossy(hex("FF")), "\uFFFD");
}

// EUC-JP decoding: what it refuses and what the lossy form makes of it (the characters it decodes
// are checked through the JIS X 0208 conversions of Utility).
#include <gtest/gtest.h>

#include "Platform/EucJp.hpp"
#include "Support/Hex.hpp"

using namespace ekyc;
using ekyc::test::hex;

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

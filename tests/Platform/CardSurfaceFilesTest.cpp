// The virtual card-surface holder and the TLV writer of its files (the files themselves are checked
// end to end: the stand-in verifies their integrity data against texts worked out independently).
#include <gtest/gtest.h>
#include <string>

#include "Platform/VirtualCard/CardSurfaceFiles.hpp"

namespace ekyc {
namespace {

TEST(CardSurfaceHolderTest, SampleWithPreviousNameDiffersOnlyInTheName) {
  const auto plain = CardSurfaceHolder::sample();
  const auto previous = CardSurfaceHolder::sampleWithPreviousName();
  EXPECT_NE(previous.name.find("［"), std::string::npos);
  EXPECT_NE(previous.name.find("］"), std::string::npos);
  EXPECT_EQ(plain.name.find("［"), std::string::npos);
  EXPECT_EQ(plain.myNumber, previous.myNumber);
  EXPECT_EQ(plain.myNumberPin.size(), 12u);
  EXPECT_EQ(plain.cardPrintInfoPin.size(), 14u);
  EXPECT_EQ(plain.promptedPiiPin.size(), 4u);
}

TEST(CardSurfaceFilesTlvTest, LengthFormsFollowTheValueSize) {
  EXPECT_EQ(CardSurfaceFiles::tlv({0xDF, 0x22}, Bytes(0x7F, 0)).size(), 2u + 1u + 0x7Fu);
  EXPECT_EQ(CardSurfaceFiles::tlv({0xDF, 0x22}, Bytes(0x80, 0))[2], 0x81);
  EXPECT_EQ(CardSurfaceFiles::tlv({0xDF, 0x22}, Bytes(0x100, 0))[2], 0x82);
  EXPECT_EQ(CardSurfaceFiles::tlv({0xDF, 0x22}, Bytes(0x100, 0))[3], 0x01);
}

}  // namespace
}  // namespace ekyc

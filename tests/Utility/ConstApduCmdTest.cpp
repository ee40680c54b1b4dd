#include <gtest/gtest.h>

#include "Platform/BlockCipher.hpp"
#include "Utility/ConstApduCmd.hpp"

using namespace ekyc;

TEST(ConstApduCmd, ReadBinaryExtendedLe) {
  ConstApduCmd cmd;
  EXPECT_EQ(cmd.getReadAdpuCmd(5498).encoded(), (Bytes{0x00, 0xB0, 0x00, 0x00, 0x00, 0x15, 0x7A}));
  // A length that makes no sense requests nothing rather than a wrapped-around Le.
  EXPECT_EQ(cmd.getReadAdpuCmd(-1).encoded(), (Bytes{0x00, 0xB0, 0x00, 0x00}));
}

TEST(ConstApduCmd, ResidenceCardSecureMessagingCommands) {
  ConstApduCmd cmd;
  // Protected READ BINARY: 13 raw bytes, the expected length does not enter the command.
  const Bytes read85{0x08, 0xB0, 0x85, 0x00, 0x00, 0x00, 0x04, 0x96, 0x02, 0x00, 0x00, 0x00, 0x00};
  EXPECT_EQ(cmd.getReadSMResidenceCardApduCmd(7008, cmd.SELECT_RESIDENCE_CARD_CARD_ENTRIES).encoded(), read85);
  EXPECT_EQ(cmd.getReadSMResidenceCardApduCmd(3008, cmd.SELECT_RESIDENCE_CARD_PHOTO).encoded()[2], 0x86);

  // Protected VERIFY: 24 bytes, 08 20 00 86 13 86 11 01 || 16-byte cryptogram of the padded number.
  const Bytes key{0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF, 0xFE, 0xDC, 0xBA, 0x98, 0x76, 0x54, 0x32, 0x10};
  const Bytes number = toBytes("AB12345678CD");
  const Bytes verify = cmd.getVerifyForResidenceCardAdpuCmd(number, key).encoded();
  ASSERT_EQ(verify.size(), 24u);
  EXPECT_EQ(Bytes(verify.begin(), verify.begin() + 8), (Bytes{0x08, 0x20, 0x00, 0x86, 0x13, 0x86, 0x11, 0x01}));
  const Bytes cryptogram(verify.begin() + 8, verify.end());
  Bytes padded = number;
  padded.insert(padded.end(), {0x80, 0x00, 0x00, 0x00});
  // Two-key triple DES, CBC with a zero IV (the cipher has its own known-answer tests).
  EXPECT_EQ(BlockCipher::tripleDesCbc(BlockCipher::Direction::Decrypt, key, Bytes(8, 0), cryptogram), padded);
}

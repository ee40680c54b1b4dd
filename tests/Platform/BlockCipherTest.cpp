// Single DES known answers (FIPS 81 CBC example) and PKCS #7 padding; the two-key triple DES and
// its refusals of bad sizes are checked with the ICAO vectors of the Crypt tests.
#include <gtest/gtest.h>

#include "Platform/BlockCipher.hpp"
#include "Support/Hex.hpp"

using namespace ekyc;
using ekyc::test::hex;
using D = BlockCipher::Direction;

TEST(BlockCipher, SingleDesFips81CbcExample) {
  const Bytes key = hex("0123456789abcdef");
  const Bytes iv = hex("1234567890abcdef");
  const Bytes plain = toBytes("Now is the time for all ");
  const Bytes cipher = hex("e5c7cdde872bf27c 43e934008c389c0f 683788499a7c05f6");
  EXPECT_EQ(BlockCipher::desCbc(D::Encrypt, key, iv, plain), cipher);
  EXPECT_EQ(BlockCipher::desCbc(D::Decrypt, key, iv, cipher), plain);
  // One ECB block of the classic example.
  EXPECT_EQ(BlockCipher::run(BlockCipher::Algorithm::DES, D::Encrypt, BlockCipher::Mode::ECB, key, {},
                             hex("4e6f772069732074")),
            hex("3fa40e8a984d4815"));
  // A key of 16 bytes is no DES key (nor is it widened past the 24 bytes of the cipher's key).
  EXPECT_FALSE(BlockCipher::desCbc(D::Encrypt, Bytes(16, 0x11), iv, plain).has_value());
}

TEST(BlockCipher, Pkcs7PaddingRoundTrip) {
  const Bytes key(8, 0x5A);
  const Bytes iv(8, 0x01);
  const Bytes data = toBytes("twelve bytes");
  const auto enc = BlockCipher::run(BlockCipher::Algorithm::DES, D::Encrypt, BlockCipher::Mode::CBC, key, iv, data, true);
  ASSERT_TRUE(enc.has_value());
  EXPECT_EQ(enc->size(), 16u);
  EXPECT_EQ(BlockCipher::run(BlockCipher::Algorithm::DES, D::Decrypt, BlockCipher::Mode::CBC, key, iv, *enc, true),
            data);
}

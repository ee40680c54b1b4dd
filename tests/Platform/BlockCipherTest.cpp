// DES known answers (FIPS 81 CBC example) and the K|K|K and two-key forms.
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
}

TEST(BlockCipher, TwoKeyTripleDesIsK1K2K1) {
  const Bytes k1 = hex("0123456789abcdef");
  const Bytes twoKey = hex("0123456789abcdef fedcba9876543210");
  const Bytes threeKey = hex("0123456789abcdef fedcba9876543210 0123456789abcdef");
  const Bytes iv(8, 0x00);
  const Bytes data = hex("00112233445566778899aabbccddeeff");
  const auto a = BlockCipher::tripleDesCbc(D::Encrypt, twoKey, iv, data);
  ASSERT_TRUE(a.has_value());
  EXPECT_EQ(a, BlockCipher::tripleDesCbc(D::Encrypt, threeKey, iv, data));
  EXPECT_EQ(BlockCipher::tripleDesCbc(D::Decrypt, twoKey, iv, *a), data);
  // Triple DES with K1 = K2 collapses to single DES.
  EXPECT_EQ(BlockCipher::tripleDesCbc(D::Encrypt, hex("0123456789abcdef 0123456789abcdef"), iv, data),
            BlockCipher::desCbc(D::Encrypt, k1, iv, data));
}

TEST(BlockCipher, RejectsBadSizesWithoutPadding) {
  const Bytes key16(16, 0x11);
  const Bytes iv(8, 0);
  EXPECT_FALSE(BlockCipher::tripleDesCbc(D::Encrypt, key16, iv, Bytes(7, 0)).has_value());
  EXPECT_FALSE(BlockCipher::tripleDesCbc(D::Encrypt, Bytes(15, 0x11), iv, Bytes(8, 0)).has_value());
  EXPECT_FALSE(BlockCipher::tripleDesCbc(D::Encrypt, key16, Bytes(7, 0), Bytes(8, 0)).has_value());
  EXPECT_FALSE(BlockCipher::desCbc(D::Encrypt, key16, iv, Bytes(8, 0)).has_value());
  EXPECT_EQ(BlockCipher::tripleDesCbc(D::Encrypt, key16, iv, Bytes{}), Bytes{});
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

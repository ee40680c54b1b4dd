// ICAO Doc 9303 part 11, appendix D (basic access control worked example): two-key triple DES and
// the retail MAC of ISO/IEC 9797-1 (MAC algorithm 3, padding method 2).
#include <gtest/gtest.h>

#include "Support/Hex.hpp"
#include "Utility/Crypt.hpp"

using namespace ekyc;
using ekyc::test::hex;

namespace {
const Bytes kEnc = hex("AB94FDECF2674FDFB9B391F85D7F76F2");
const Bytes kMac = hex("7962D9ECE03D1ACD4C76089DCE131543");
const Bytes kZeroIv(8, 0x00);
}  // namespace

TEST(Crypt, IcaoMutualAuthenticationExample) {
  Crypt crypt;
  // Terminal side: S = RND.IFD || RND.IC || K.IFD, E.IFD = 3DES(K.Enc, S), M.IFD = MAC(K.MAC, E.IFD).
  const Bytes s = hex("781723860C06C226 4608F91988702212 0B795240CB7049B01C19B33E32804F0B");
  const Bytes eIfd = hex("72C29C2371CC9BDB65B779B8E8D37B29ECC154AA56A8799FAE2F498F76ED92F2");
  EXPECT_EQ(crypt.TDES(kEnc, s, kZeroIv, crypt.ENCRYPT), eIfd);
  EXPECT_EQ(crypt.getRetailMac(eIfd, kMac), hex("5F1448EEA8AD90A7"));
  EXPECT_EQ(crypt.TDES(kEnc, eIfd, kZeroIv, crypt.DECRYPT), s);

  // Chip side: R = RND.IC || RND.IFD || K.IC, sent as E.IC || M.IC.
  const Bytes eIc = hex("46B9342A41396CD7386BF5803104D7CEDC122B9132139BAF2EEDC94EE178534F");
  EXPECT_EQ(crypt.getRetailMac(eIc, kMac), hex("2F2D235D074D7449"));
  EXPECT_EQ(crypt.TDES(kEnc, eIc, kZeroIv, crypt.DECRYPT),
            hex("4608F91988702212 781723860C06C226 0B4F80323EB3191CB04970CB4052790B"));
}

TEST(Crypt, IcaoSecureMessagingEncryption) {
  Crypt crypt;
  // SELECT EF.COM: the padded file id 01 1E encrypted under KS.Enc.
  const Bytes ksEnc = hex("979EC13B1CBFE9DCD01AB0FED307EAE5");
  EXPECT_EQ(crypt.TDES(ksEnc, crypt.padding7816_4(hex("011E"), 0, 2), kZeroIv, crypt.ENCRYPT),
            hex("6375432908C044F6"));
}

TEST(Crypt, MacBuildingBlocks) {
  Crypt crypt;
  const Bytes blocks = hex("0011223344556677 8899AABBCCDDEEFF");
  EXPECT_EQ(crypt.getCBCMac(hex("01020304"), kMac), Bytes(8, 0x00));  // no whole block
  EXPECT_TRUE(crypt.getRetailMac(blocks, Bytes(kMac.begin(), kMac.begin() + 8)).empty());
}

TEST(Crypt, PaddingAndErrors) {
  Crypt crypt;
  const Bytes cardNumber = toBytes("AB12345678CD");
  EXPECT_EQ(crypt.padding7816_4(cardNumber, 0, cardNumber.size()), hex("414231323334353637384344 80000000"));
  EXPECT_EQ(crypt.padding7816_4(hex("0102030405"), 1, 3), hex("0203 800000000000"));
  EXPECT_EQ(crypt.padding7816_4(hex("0102"), 5, 99), hex("8000000000000000"));  // clamped, no over-read
  // Data that is not whole blocks, or a key of the wrong size, gives empty output.
  EXPECT_TRUE(crypt.TDES(kEnc, hex("0102030405"), kZeroIv, crypt.ENCRYPT).empty());
  EXPECT_TRUE(crypt.TDES(hex("0102030405060708"), Bytes(8, 0), kZeroIv, crypt.ENCRYPT).empty());
  EXPECT_EQ(crypt.sha1(toBytes("abc")), hex("a9993e364706816aba3e25717850c26c9cd0d89d"));
}

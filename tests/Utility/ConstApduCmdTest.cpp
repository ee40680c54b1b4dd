#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <memory>

#include "Utility/ConstApduCmd.hpp"

using namespace ekyc;

namespace {

Bytes concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// Independent 3DES-CBC decryption with OpenSSL's two-key cipher (K1 K2 K1), zero IV.
Bytes tdes2Decrypt(const Bytes& key16, const Bytes& cipher) {
  std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(),
                                                                      &EVP_CIPHER_CTX_free);
  const unsigned char iv[8] = {0};
  EXPECT_EQ(EVP_DecryptInit_ex(ctx.get(), EVP_des_ede_cbc(), nullptr, key16.data(), iv), 1);
  EVP_CIPHER_CTX_set_padding(ctx.get(), 0);
  Bytes out(cipher.size() + 8);
  int n = 0, f = 0;
  EXPECT_EQ(EVP_DecryptUpdate(ctx.get(), out.data(), &n, cipher.data(), static_cast<int>(cipher.size())), 1);
  EXPECT_EQ(EVP_DecryptFinal_ex(ctx.get(), out.data() + n, &f), 1);
  out.resize(static_cast<std::size_t>(n + f));
  return out;
}

}  // namespace

TEST(ConstApduCmd, ReadBinaryShortAndExtendedLe) {
  ConstApduCmd cmd;
  EXPECT_EQ(cmd.getReadAdpuCmd(17).encoded(), (Bytes{0x00, 0xB0, 0x00, 0x00, 0x11}));
  EXPECT_EQ(cmd.getReadAdpuCmd(256).encoded(), (Bytes{0x00, 0xB0, 0x00, 0x00, 0x00}));
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
  EXPECT_EQ(tdes2Decrypt(key, cryptogram), concat(number, {0x80, 0x00, 0x00, 0x00}));
}

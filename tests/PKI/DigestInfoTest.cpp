// DigestInfo against RFC 8017's encodings with FIPS 180-4 digests, and against OpenSSL's own
// DigestInfo (a card signature over create() verifies as an ordinary RSA/SHA-x signature).
#include <gtest/gtest.h>

#include "JpkiTestSupport.hpp"
#include "PKI/DigestInfo.hpp"

namespace ekyc {
namespace {

Bytes hex(const std::string& text) {
  Bytes out;
  for (std::size_t i = 0; i + 1 < text.size(); i += 2) out.push_back(static_cast<std::uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
  return out;
}

TEST(DigestInfo, Sha256OfAbc) {
  const DigestInfo info(toBytes("abc"), "SHA-256");
  const Bytes expected = hex("3031300D060960864801650304020105000420"
                             "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD");
  EXPECT_EQ(info.create(), expected);
  EXPECT_EQ(info.create().size(), 51u);
  EXPECT_EQ(info.getDigestBitLength(), 256);
  EXPECT_EQ(info.create(), info.create());
  EXPECT_EQ(info.tbsData(), toBytes("abc"));
  EXPECT_EQ(info.hashAlgorithm(), "SHA-256");
}

TEST(DigestInfo, Sha384OfAbc) {
  const DigestInfo info(toBytes("abc"), "SHA-384");
  const Bytes value = info.create();
  ASSERT_EQ(value.size(), 67u);
  EXPECT_EQ(value[1], 0x41);
  EXPECT_EQ(value[18], 0x30);
  EXPECT_EQ(Bytes(value.begin(), value.begin() + 19), hex("3041300D060960864801650304020205000430"));
  EXPECT_EQ(Bytes(value.begin() + 19, value.end()),
            hex("CB00753F45A35E8BB5A03D699AC65007272C32AB0EDED1631A8B605A43FF5BED8086072BA1E7CC2358BAECA134C825A7"));
  EXPECT_EQ(info.getDigestBitLength(), 384);
}

TEST(DigestInfo, Sha512OfNothing) {
  const DigestInfo info({}, "SHA-512");
  const Bytes expected = hex("3051300D060960864801650304020305000440"
                             "CF83E1357EEFB8BDF1542850D66D8007D620E4050B5715DC83F4A921D36CE9CE"
                             "47D0D13C5D85F2B0FF8318D2877EEC2F63B931BD47417A81A538327AF927DA3E");
  EXPECT_EQ(info.create(), expected);
  EXPECT_EQ(info.create().size(), 83u);
  EXPECT_EQ(info.getDigestBitLength(), 512);
}

TEST(DigestInfo, UnsupportedNamesGiveTheFixedValue) {
  const Bytes fixed = {0x30, 0x0A, 0x30, 0x05, 0x06, 0x01, 0x00, 0x05, 0x00, 0x04, 0x01, 0x00};
  for (const std::string name : {"sha-256", "SHA256", "SHA-1", "", "SHA-256 ", "Sha-512"}) {
    const DigestInfo info(toBytes("abc"), name);
    EXPECT_EQ(info.create(), fixed) << name;
    EXPECT_EQ(info.getDigestBitLength(), 256) << name;
  }
}

TEST(DigestInfo, CardSignatureOverItIsAStandardRsaSignature) {
  const auto& contents = test::jpkiContents();
  const Bytes data = toBytes("the data to be signed");
  const std::pair<std::string, std::string> names[] = {{"SHA-256", "SHA256"}, {"SHA-384", "SHA384"}, {"SHA-512", "SHA512"}};
  for (const auto& [name, opensslName] : names) {
    const auto signature = VirtualJpkiContents::sign(contents.signingKey.get(), DigestInfo(data, name).create());
    ASSERT_TRUE(signature);
    EXPECT_TRUE(test::verifySignature(contents.signingCertificate, opensslName, data, *signature)) << name;
  }
}

}  // namespace
}  // namespace ekyc

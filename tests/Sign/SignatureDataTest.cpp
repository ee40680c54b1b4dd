// The signing record: its two forms and the expected hash a host sends to a verifier.
#include <gtest/gtest.h>

#include "JpkiTestSupport.hpp"
#include "Platform/Base64.hpp"
#include "Sign/SignatureData.hpp"

namespace ekyc {
namespace {

TEST(SignatureData, SignatureForm) {
  const SignatureData data(Bytes{1, 2}, Bytes{3}, toBytes("abc"), std::string("2.16.840.1.101.3.4.2.1"));
  EXPECT_FALSE(data.fourInfoConsentRevokeApply());
  EXPECT_EQ(data.getExpectedHash(), "ungWv48Bz+pBQUDeXa4iI7ADYaOWF3qctBD/YfIAFa0=");
}

TEST(SignatureData, ConsentForm) {
  const SignatureData data(std::nullopt, std::optional<std::string>("PGE+PC9hPg=="));
  EXPECT_EQ(data.fourInfoConsentRevokeApply(), "PGE+PC9hPg==");
  EXPECT_FALSE(data.getExpectedHash());
}

TEST(SignatureData, ExpectedHashFollowsTheOid) {
  const Bytes tbs = toBytes("abc");
  EXPECT_EQ(SignatureData(std::nullopt, std::nullopt, tbs, std::string("2.16.840.1.101.3.4.2.2")).getExpectedHash(),
            Base64::encode(test::sha(tbs, "SHA384")));
  EXPECT_EQ(SignatureData(std::nullopt, std::nullopt, tbs, std::string("2.16.840.1.101.3.4.2.3")).getExpectedHash(),
            Base64::encode(test::sha(tbs, "SHA512")));
  EXPECT_FALSE(SignatureData(std::nullopt, std::nullopt, tbs, std::string("1.3.14.3.2.26")).getExpectedHash());
  EXPECT_FALSE(SignatureData(std::nullopt, std::nullopt, tbs, std::nullopt).getExpectedHash());
  // Empty data has a digest too.
  EXPECT_EQ(SignatureData(std::nullopt, std::nullopt, Bytes{}, std::string("2.16.840.1.101.3.4.2.1")).getExpectedHash(),
            "47DEQpj8HBSa+/TImW+5JCeuQeRkm5NMpJWZG3hSuFU=");
}

}  // namespace
}  // namespace ekyc

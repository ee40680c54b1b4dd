// User-authentication signing end to end: generator -> NFC session -> virtual JPKI card: the exact
// order of the calls the host and the back channel hear, the commands the card saw and the texts
// of the NFC sheet.
#include <gtest/gtest.h>

#include <map>

#include "Jpki/JpkiRig.hpp"
#include "Platform/Base64.hpp"

namespace ekyc::test {
namespace {

using Strings = std::vector<std::string>;
const std::string DATA_B64 = Base64::encode(toBytes("login challenge 0001"));

std::shared_ptr<AuthSignatureDataGenerator> start(JpkiRig& rig, std::optional<std::string> pin,
                                                  std::optional<std::string> data = DATA_B64,
                                                  const std::string& hash = "SHA-256") {
  auto generator = rig.make<AuthSignatureDataGenerator>();
  generator->auth(data, hash, pin);
  return generator;
}

TEST(AuthSignatureDataGenerator, SignsWithTheUserAuthenticationKey) {
  for (const auto& [name, openssl, oid] : {std::tuple{"SHA-256", "SHA256", "2.16.840.1.101.3.4.2.1"},
                                           std::tuple{"SHA-384", "SHA384", "2.16.840.1.101.3.4.2.2"},
                                           std::tuple{"SHA-512", "SHA512", "2.16.840.1.101.3.4.2.3"}}) {
    JpkiRig rig;
    start(rig, "1234", DATA_B64, name);
    ASSERT_TRUE(rig.waitForResult()) << name;
    EXPECT_EQ(rig.log->events(), (Strings{"result(ok)", "didGetPin()"}));
    const Bytes data = toBytes("login challenge 0001");
    // The signature of a 2048-bit key is asked for with Le 00 (256) whatever the hash.
    EXPECT_EQ(rig.commands(), (Strings{"00A4040C0AD392F000260100000001", "00A4020C020018", "002000800431323334",
                                       "00A4020C020017", signCommand(data, name), "00A4020C02000A", "00B00000000F3C"}));
    EXPECT_EQ(rig.alerts->texts(), (Strings{"initial", "reading", "success"}));
    const auto outcome = rig.results->outcome();
    ASSERT_TRUE(outcome.signatureData) << name << " " << outcome.code;
    const auto& record = *outcome.signatureData;
    EXPECT_EQ(record.tbsData(), data);
    EXPECT_EQ(record.hashAlgOid(), oid);
    EXPECT_EQ(record.signingCert(), jpkiContents().userAuthCertificate);
    ASSERT_TRUE(record.signature());
    EXPECT_EQ(record.signature()->size(), 256u);
    EXPECT_TRUE(verifySignature(record.signingCert().value(), openssl, data, record.signature().value())) << name;
    EXPECT_FALSE(record.fourInfoConsentApply());
    EXPECT_FALSE(record.fourInfoConsentRevokeApply());
    EXPECT_EQ(record.getExpectedHash(), Base64::encode(sha(data, openssl)));
  }
}

TEST(AuthSignatureDataGenerator, DataAndHashChecksInTheirOrder) {
  const std::tuple<std::optional<std::string>, std::string, long long> cases[] = {
      {std::nullopt, "SHA-1", 12003},        {"", "SHA-256", 12003},
      {"not base64!", "SHA-1", 12006},       {"YWJj\nZGVm", "SHA-256", 12006},
      {"YWJjZA", "SHA-256", 12006},          {"YWJj ZGVm", "SHA-256", 12006},
      {"YWJj", "sha-256", 12005},            {"YWJj", "SHA-1", 12005},
      {"YWJj", "SHA256", 12005},             {"YWJj", "", 12005}};
  const std::map<long long, std::string> texts{{12003, "tbsData が設定されていません。"},
                                               {12005, "サポートしないハッシュアルゴリズムが設定されています。"},
                                               {12006, "Base64 のデコードに失敗しました。"}};
  for (const auto& [data, hash, code] : cases) {
    JpkiRig rig;
    start(rig, "1234", data, hash);
    ASSERT_TRUE(rig.waitForResult());
    EXPECT_EQ(rig.log->events(), (Strings{"result(" + std::to_string(code) + ")", "didGetPin()"}))
        << data.value_or("<absent>") << " " << hash;
    EXPECT_EQ(rig.results->outcome().message, texts.at(code));
    EXPECT_TRUE(rig.commands().empty());
  }
}

}  // namespace
}  // namespace ekyc::test

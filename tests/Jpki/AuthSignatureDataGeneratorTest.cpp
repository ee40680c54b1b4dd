// User-authentication signing end to end: generator -> NFC session -> virtual JPKI card. The
// recorder is the host's delegate and the back channel, so every test states the exact order of
// the calls, the commands the card saw and the texts of the NFC sheet.
#include <gtest/gtest.h>

#include "Jpki/JpkiRig.hpp"
#include "PKI/DigestInfo.hpp"
#include "Platform/Base64.hpp"
#include "Platform/VirtualCard/VirtualCardContext.hpp"
#include "Utility/ConstResult.hpp"

namespace ekyc::test {
namespace {

using Strings = std::vector<std::string>;
const std::string DATA_B64 = Base64::encode(toBytes("login challenge 0001"));

const std::string SELECT_JPKI = "00A4040C0AD392F000260100000001";
const std::string SELECT_EF18 = "00A4020C020018";
const std::string VERIFY_1234 = "002000800431323334";
const std::string SELECT_EF17 = "00A4020C020017";
const std::string SELECT_EF0A = "00A4020C02000A";
const std::string READ_3900 = "00B00000000F3C";

std::string signCommand(const Bytes& data, const std::string& hash) {
  const Bytes info = DigestInfo(data, hash).create();
  return "802A0080" + hex(Bytes{static_cast<std::uint8_t>(info.size())}) + hex(info) + "00";
}

Strings sheetOk() { return {"カードをかざしてください", "読み取り中", "読み取りました"}; }

std::shared_ptr<AuthSignatureDataGenerator> start(JpkiRig& rig, std::optional<std::string> pin,
                                                  std::optional<std::string> data = DATA_B64,
                                                  const std::string& hash = "SHA-256") {
  auto generator = rig.make<AuthSignatureDataGenerator>();
  generator->auth(data, hash, pin);
  return generator;
}

TEST(AuthSignatureDataGenerator, SignsWithTheUserAuthenticationKey) {
  JpkiRig rig;
  start(rig, "1234");
  ASSERT_TRUE(rig.waitForResult());
  EXPECT_EQ(rig.recorder->events(), (Strings{"result ok", "didGetPin "}));
  const Bytes data = *Base64::decode(DATA_B64);
  EXPECT_EQ(rig.commands(), (Strings{SELECT_JPKI, SELECT_EF18, VERIFY_1234, SELECT_EF17, signCommand(data, "SHA-256"),
                                     SELECT_EF0A, READ_3900}));
  EXPECT_EQ(rig.sheet->texts(), sheetOk());
  const auto record = rig.recorder->lastSignature().value();
  EXPECT_EQ(record.tbsData(), data);
  EXPECT_EQ(record.hashAlgOid(), "2.16.840.1.101.3.4.2.1");
  EXPECT_EQ(record.signingCert(), jpkiContents().userAuthCertificate);
  ASSERT_TRUE(record.signature());
  EXPECT_EQ(record.signature()->size(), 256u);
  EXPECT_TRUE(verifySignature(record.signingCert().value(), "SHA256", data, record.signature().value()));
  EXPECT_FALSE(record.fourInfoConsentApply());
  EXPECT_FALSE(record.fourInfoConsentRevokeApply());
  EXPECT_EQ(record.getExpectedHash(), Base64::encode(sha(data, "SHA256")));
}

TEST(AuthSignatureDataGenerator, Sha384AndSha512AskForA256ByteSignature) {
  for (const auto& [name, openssl] : {std::pair{"SHA-384", "SHA384"}, std::pair{"SHA-512", "SHA512"}}) {
    JpkiRig rig;
    start(rig, "1234", DATA_B64, name);
    ASSERT_TRUE(rig.waitForResult());
    const Bytes data = *Base64::decode(DATA_B64);
    const auto commands = rig.commands();
    ASSERT_EQ(commands.size(), 7u);
    EXPECT_EQ(commands[4], signCommand(data, name));
    EXPECT_EQ(commands[4].substr(commands[4].size() - 2), "00");  // Le 256
    const auto record = rig.recorder->lastSignature().value();
    EXPECT_TRUE(verifySignature(record.signingCert().value(), openssl, data, record.signature().value())) << name;
    EXPECT_EQ(record.hashAlgOid(), std::string(name) == "SHA-384" ? "2.16.840.1.101.3.4.2.2" : "2.16.840.1.101.3.4.2.3");
  }
}

TEST(AuthSignatureDataGenerator, DataAndHashChecksInTheirOrder) {
  const std::tuple<std::optional<std::string>, std::string, long long> cases[] = {
      {std::nullopt, "SHA-1", 12003},        {"", "SHA-256", 12003},
      {"not base64!", "SHA-1", 12006},       {"YWJj\nZGVm", "SHA-256", 12006},
      {"YWJjZA", "SHA-256", 12006},          {"YWJj ZGVm", "SHA-256", 12006},
      {"YWJj", "sha-256", 12005},            {"YWJj", "SHA-1", 12005},
      {"YWJj", "SHA256", 12005},             {"YWJj", "", 12005}};
  for (const auto& [data, hash, code] : cases) {
    JpkiRig rig;
    start(rig, "1234", data, hash);
    ASSERT_TRUE(rig.waitForResult());
    EXPECT_EQ(rig.recorder->events(), (Strings{"result " + std::to_string(code), "didGetPin "}))
        << data.value_or("<absent>") << " " << hash;
    EXPECT_TRUE(rig.commands().empty());
  }
}

}  // namespace
}  // namespace ekyc::test

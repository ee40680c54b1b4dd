// Answers of a JPKI card that its format does not allow, on each signing generator: a signature
// that is not as long as the signing key's modulus, a certificate whose DER element does not parse
// or does not span its length. Each gives one 13999 with its text, then didGetPin(""), and the
// sheet's error text; never a record.
#include <gtest/gtest.h>

#include "Jpki/JpkiRig.hpp"
#include "Platform/Base64.hpp"

namespace ekyc::test {
namespace {

using Strings = std::vector<std::string>;

enum class Kind { auth, consentRevoke, signAndItems };

struct Generator {
  Kind kind;
  std::size_t signCommand;         // index of COMPUTE DIGITAL SIGNATURE in the chain
  std::size_t certificateCommand;  // index of the certificate's READ BINARY
  const Bytes& certificate() const {
    return kind == Kind::auth ? jpkiContents().userAuthCertificate : jpkiContents().signingCertificate;
  }
  void start(JpkiRig& rig) const {
    const std::string data = Base64::encode(toBytes("to be signed"));
    switch (kind) {
      case Kind::auth: rig.make<AuthSignatureDataGenerator>()->auth(data, "SHA-256", "1234"); break;
      case Kind::consentRevoke:
        rig.make<FourInfoConsentRevokeApplySignatureDataGenerator>()->signFourInfoConsentRevokeApply("s", "p", "SHA-256",
                                                                                                      "ABCDEF123");
        break;
      case Kind::signAndItems:
        rig.make<SignatureDataAndBasicPersonalInfoGenerator>()->signAndGetBasicPersonalInfo(data, "SHA-256", "ABCDEF123",
                                                                                            true);
        break;
    }
  }
};

Bytes withStatus(Bytes data) {
  data.push_back(0x90);
  data.push_back(0x00);
  return data;
}

// The certificate with its outer length changed by `delta`, followed by the file's fill.
Bytes certificateWithLength(const Bytes& der, int delta) {
  Bytes out = der;  // 30 82 LL LL ...
  const int length = ((out[2] << 8) | out[3]) + delta;
  out[2] = static_cast<std::uint8_t>(length >> 8);
  out[3] = static_cast<std::uint8_t>(length);
  out.resize(3900, 0xFF);
  return out;
}

class MalformedAnswersTest : public ::testing::TestWithParam<Generator> {};

TEST_P(MalformedAnswersTest, GiveOneCardReadFailure) {
  const Generator& g = GetParam();
  struct Case {
    std::string name;
    std::size_t command;
    Bytes answer;
  };
  const std::vector<Case> cases{
      {"empty signature", g.signCommand, withStatus({})},
      {"128-byte signature", g.signCommand, withStatus(Bytes(128, 0x5A))},
      {"255-byte signature", g.signCommand, withStatus(Bytes(255, 0x5A))},
      {"257-byte signature", g.signCommand, withStatus(Bytes(257, 0x5A))},
      {"65534-byte signature", g.signCommand, withStatus(Bytes(65534, 0x5A))},
      {"certificate length one more", g.certificateCommand, withStatus(certificateWithLength(g.certificate(), 1))},
      {"certificate length one short", g.certificateCommand, withStatus(certificateWithLength(g.certificate(), -1))},
      {"SEQUENCE that is no certificate", g.certificateCommand, withStatus({0x30, 0x03, 0x02, 0x01, 0x00})},
  };
  for (const auto& c : cases) {
    JpkiRig rig;
    rig.card->addFault(VirtualCardFault::answerAt(c.command, c.answer));
    g.start(rig);
    ASSERT_TRUE(rig.waitForResult()) << c.name;
    // The consent-revoke generator lets the facade go as the chain starts.
    Strings expected{"result 13999", "didGetPin "};
    if (g.kind == Kind::consentRevoke) expected.insert(expected.begin(), "didGetPin ");
    EXPECT_EQ(rig.recorder->events(), expected) << c.name;
    const auto text = rig.recorder->signatureResult()
                          ? rig.recorder->signatureResult()->error().localizedDescription
                          : rig.recorder->basicResult()->error().localizedDescription;
    EXPECT_EQ(text, "カードの読み込みに失敗しました。") << c.name;
    EXPECT_EQ(rig.sheet->texts().back(), "読み取りに失敗しました") << c.name;
  }
}

INSTANTIATE_TEST_SUITE_P(AllGenerators, MalformedAnswersTest,
                         ::testing::Values(Generator{Kind::auth, 5, 7}, Generator{Kind::consentRevoke, 5, 7},
                                           Generator{Kind::signAndItems, 7, 5}),
                         [](const auto& info) {
                           switch (info.param.kind) {
                             case Kind::auth: return std::string("Auth");
                             case Kind::consentRevoke: return std::string("ConsentRevoke");
                             case Kind::signAndItems: return std::string("SignAndBasicPersonalInfo");
                           }
                           return std::string("generator");
                         });

}  // namespace
}  // namespace ekyc::test

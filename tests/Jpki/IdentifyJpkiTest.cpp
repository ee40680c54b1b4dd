// The three JPKI requests through the facade: the facade's own checks (12012, 12013, the preset
// signing PIN), the PIN store and the held signing PIN, and whole requests on the virtual card.
#include <gtest/gtest.h>

#include "Identify/Identify.hpp"
#include "Jpki/JpkiRig.hpp"
#include "Platform/Base64.hpp"

namespace ekyc::test {
namespace {

using Strings = std::vector<std::string>;
const Bytes DATA = toBytes("facade data");
const std::string DATA_B64 = Base64::encode(DATA);

struct FacadeRig : JpkiRig {
  std::shared_ptr<Identify> identify = Identify::create(viewController, 30.0, platform);
};

// The user-authentication PIN of the store is checked by the generator, a refusal reaches the
// facade, and the PIN is never kept (nor as a signing PIN).
TEST(IdentifyJpki, AuthWithPresetPin) {
  for (const auto& [pin, code, left] : {std::tuple{"1234", 0, std::optional<int>()},
                                        std::tuple{"12", 12007, std::optional<int>()},
                                        std::tuple{"4321", 13300, std::optional<int>(2)}}) {
    FacadeRig rig;
    rig.identify->setPin(SetPinKey::MYNUMBERCARD_USERCERT_PIN, pin);
    rig.identify->auth(rig.results, DATA_B64, std::nullopt, pinTexts(), nfcTexts());
    ASSERT_TRUE(rig.waitForResult()) << pin;
    EXPECT_EQ(rig.log->events(), (Strings{code ? "result(" + std::to_string(code) + ")" : "result(ok)"}));
    if (code == 0) {
      const auto record = rig.results->outcome().signatureData.value();
      EXPECT_EQ(record.hashAlgOid(), "2.16.840.1.101.3.4.2.1");
      EXPECT_TRUE(verifySignature(record.signingCert().value(), "SHA256", DATA, record.signature().value()));
    } else {
      EXPECT_EQ(rig.identify->failedPinDic(),
                (Identify::FailedPinDictionary{{SetPinKey::MYNUMBERCARD_USERCERT_PIN, left}}));
    }
    EXPECT_FALSE(rig.identify->hasReader());
    EXPECT_FALSE(rig.identify->pinDic().at(SetPinKey::MYNUMBERCARD_USERCERT_PIN));
    EXPECT_EQ(rig.identify->pinForSigner().value_or(""), "");
  }
}

TEST(IdentifyJpki, ConsentRevokeChecksTheServiceIdsFirst) {
  for (const auto& [service, provider, code] :
       {std::tuple{"", "", 12012}, std::tuple{"", "p", 12012}, std::tuple{"s", "", 12013}}) {
    FacadeRig rig;
    rig.identify->setPin(SetPinKey::MYNUMBERCARD_SIGNER_PIN, "bad");
    rig.identify->signFourInfoConsentRevokeApply(rig.results, service, provider, pinTexts(),
                                                 nfcTexts());
    ASSERT_TRUE(rig.waitForResult());
    EXPECT_EQ(rig.log->events(), (Strings{"result(" + std::to_string(code) + ")"}));
    EXPECT_EQ(rig.results->outcome().message,
              code == 12012 ? "serviceId が設定されていません。" : "serviceProviderId が設定されていません。");
    EXPECT_TRUE(rig.commands().empty());
    EXPECT_EQ(rig.viewController->presentedCount(), 0u);
    EXPECT_FALSE(rig.identify->failedPinDic());
  }
}

// Both signing requests check a preset signing PIN in the facade, before any dialog or session.
TEST(IdentifyJpki, PresetSigningPinIsCheckedByTheFacade) {
  const std::pair<std::string, int> cases[] = {{"", 12002}, {"ABC12", 12007}, {"ABCDEFGHIJ1234567", 12007},
                                               {"ABC 123", 12008}};
  for (const auto& [pin, code] : cases) {
    for (const bool consent : {false, true}) {
      FacadeRig rig;
      rig.identify->setPin(SetPinKey::MYNUMBERCARD_SIGNER_PIN, pin);
      if (consent) {
        rig.identify->signFourInfoConsentRevokeApply(rig.results, "s", "p", pinTexts(), nfcTexts());
      } else {
        rig.identify->signAndGetBasicPersonalInfo(rig.results, DATA_B64, std::nullopt, false, pinTexts(),
                                                  nfcTexts());
      }
      ASSERT_TRUE(rig.waitForResult());
      EXPECT_EQ(rig.log->events(), (Strings{"result(" + std::to_string(code) + ")"})) << pin;
      EXPECT_EQ(rig.identify->failedPinDic(),
                (Identify::FailedPinDictionary{{SetPinKey::MYNUMBERCARD_SIGNER_PIN, std::nullopt}}));
      EXPECT_TRUE(rig.commands().empty());
      EXPECT_EQ(rig.viewController->presentedCount(), 0u);
    }
  }
}

TEST(IdentifyJpki, SigningPinHandedBackServesTheNextSigningRequest) {
  FacadeRig rig;
  rig.identify->setPin(SetPinKey::MYNUMBERCARD_SIGNER_PIN, "abcdef123");
  rig.identify->signAndGetBasicPersonalInfo(rig.results, DATA_B64, "SHA-384", true, pinTexts(),
                                            nfcTexts());
  ASSERT_TRUE(rig.waitForResult());
  const auto outcome = rig.results->outcome();
  ASSERT_TRUE(outcome.signatureData) << outcome.code;
  const auto& signature = *outcome.signatureData;
  EXPECT_EQ(signature.tbsData()->size(), 80u);
  EXPECT_TRUE(verifySignature(signature.signingCert().value(), "SHA384", signature.tbsData().value(),
                              signature.signature().value()));
  EXPECT_EQ(rig.identify->pinForSigner(), "ABCDEF123");

  // The consent revoke takes the held PIN: no dialog.
  rig.results = std::make_shared<JpkiResults>(rig.log);
  rig.card->clearLog();
  rig.identify->signFourInfoConsentRevokeApply(rig.results, "service", "provider", pinTexts(),
                                               nfcTexts());
  ASSERT_TRUE(rig.waitForResult());
  EXPECT_EQ(rig.results->outcome().code, 0);
  EXPECT_EQ(rig.viewController->presentedCount(), 0u);
  EXPECT_EQ(rig.commands().at(2), "0020008009" + hex(toBytes("ABCDEF123")));
  EXPECT_EQ(rig.identify->pinForSigner().value_or(""), "");
  EXPECT_FALSE(rig.identify->hasReader());
}

TEST(IdentifyJpki, ConsentRevokeLetsGoOfItsGeneratorOnceTheChainStarts) {
  FacadeRig rig;
  rig.card->addFault(VirtualCardFault::delayAt(4, std::chrono::seconds(2)));
  rig.identify->setPin(SetPinKey::MYNUMBERCARD_SIGNER_PIN, "ABCDEF123");
  rig.identify->signFourInfoConsentRevokeApply(rig.results, "s", "p", pinTexts(), nfcTexts());
  // While the chain runs the facade holds neither the generator nor a PIN; the session's pending
  // handlers keep the generator alive until it delivers.
  ASSERT_TRUE(rig.waitFor([&] { return rig.card->commandCount() >= 3; }));
  EXPECT_FALSE(rig.identify->hasReader());
  EXPECT_FALSE(rig.identify->pinDic().at(SetPinKey::MYNUMBERCARD_SIGNER_PIN));
  EXPECT_EQ(rig.identify->pinForSigner().value_or(""), "");
  EXPECT_EQ(rig.results->outcome().results, 0);
  ASSERT_TRUE(rig.waitForResult());
  EXPECT_EQ(rig.results->outcome().code, 0);
}

}  // namespace
}  // namespace ekyc::test

// The JPKI requests on a virtual Individual Number Card (JPKI application, RSA keys made per process)
// or the card held to a PC/SC reader:
//   auth             signs a log-in challenge with the user-authentication key (PIN slot
//                    MYNUMBERCARD_USERCERT_PIN, virtual card: 1234);
//   consent-revoke   signs the consent-revoke document (MYNUMBERCARD_SIGNER_PIN, virtual card:
//                    ABCDEF123);
//   sign-basic-info  signs with the signature key and returns the four basic items, their hash
//                    folded into the signed data (MYNUMBERCARD_SIGNER_PIN).
// Each prints its record as JSON; signatures, certificates, data and the document in base64.
#include <expected>
#include <memory>
#include <mutex>
#include <optional>

#include "../DemoContext.hpp"
#include "../DemoRecords.hpp"
#include "../DemoRequest.hpp"
#include "Auth/AuthSignatureDataGenerator.hpp"
#include "FourInfoConsentRevokeApply/FourInfoConsentRevokeApplySignatureDataGenerator.hpp"
#include "Identify/Identify.hpp"
#include "Platform/Base64.hpp"
#include "Platform/Json.hpp"
#include "Platform/VirtualCard/JpkiApplication.hpp"
#include "SignatureDataAndBasicPersonalInfo/SignatureDataAndBasicPersonalInfoGenerator.hpp"

namespace ekyc::demo {

namespace {

// Keeps the one result of a request.
template <class Record, class Error>
struct Outcome {
  std::mutex mutex;
  std::optional<std::expected<Record, Error>> result;
  // The host loop that waits for the result; woken when it comes (on the session's queue).
  std::shared_ptr<RunLoop> runLoop;
  void set(const std::expected<Record, Error>& value) {
    {
      std::lock_guard lock(mutex);
      result = value;
    }
    if (runLoop) runLoop->wake();
  }
  bool done() {
    std::lock_guard lock(mutex);
    return result.has_value();
  }
};

class Host : public AuthSignatureDataGeneratorDelegate,
             public FourInfoConsentRevokeApplySignatureDataGeneratorDelegate,
             public SignatureDataAndBasicPersonalInfoGeneratorDelegate {
 public:
  Outcome<SignatureData, SignatureDataError> signature;
  Outcome<SignatureDataAndBasicPersonalInfo, SignatureDataAndBasicPersonalInfoError> basic;

  void didAuth(const std::expected<SignatureData, SignatureDataError>& result) override { signature.set(result); }
  void didSignFourInfoConsentRevokeApply(const std::expected<SignatureData, SignatureDataError>& result) override {
    signature.set(result);
  }
  void didSignAndGetBasicPersonalInfo(
      const std::expected<SignatureDataAndBasicPersonalInfo, SignatureDataAndBasicPersonalInfoError>& result) override {
    basic.set(result);
  }
};

const std::string CHALLENGE = Base64::encode(toBytes("ekyc-demo: log-in challenge 0001"));

// The card's keys are made when a virtual card is first needed, once per process.
void presentJpkiCard(DemoContext& context) {
  context.presentCard([] {
    static const VirtualJpkiContents::Keys keys = VirtualJpkiContents::Keys::generate();
    return JpkiApplication::makeCard(VirtualJpkiContents::make(keys));
  });
}

template <class Record, class Error, class ToJson>
DemoOutcome finish(DemoContext& context, Outcome<Record, Error>& outcome, ToJson toJson) {
  if (!context.runUntil([&] { return outcome.done(); })) return DemoOutcome::failure(99999, "no result");
  const auto& result = *outcome.result;
  if (!result) return DemoOutcome::failure(result.error().errorCode, result.error().localizedDescription);
  return DemoOutcome::success(toJson(*result));
}

DemoOutcome runAuth(DemoContext& context) {
  presentJpkiCard(context);
  auto host = std::make_shared<Host>();
  host->signature.runLoop = host->basic.runLoop = context.runLoop();
  context.identify()->auth(host, CHALLENGE, "SHA-256", context.pinTexts(), context.nfcTexts());
  return finish(context, host->signature, [](const SignatureData& data) {
    nlohmann::json record = signatureJson(data);
    record["request"] = "auth";
    return record;
  });
}

DemoOutcome runConsentRevoke(DemoContext& context) {
  presentJpkiCard(context);
  auto host = std::make_shared<Host>();
  host->signature.runLoop = host->basic.runLoop = context.runLoop();
  context.identify()->signFourInfoConsentRevokeApply(host, "demo-service-0001", "demo-provider-0001",
                                                     context.pinTexts(), context.nfcTexts());
  return finish(context, host->signature, [](const SignatureData& data) {
    return nlohmann::json{{"request", "consent-revoke"},
                          {"fourInfoConsentRevokeApply", data.fourInfoConsentRevokeApply().value_or("")}};
  });
}

DemoOutcome runSignBasicInfo(DemoContext& context) {
  presentJpkiCard(context);
  auto host = std::make_shared<Host>();
  host->signature.runLoop = host->basic.runLoop = context.runLoop();
  context.identify()->signAndGetBasicPersonalInfo(host, CHALLENGE, "SHA-256", true, context.pinTexts(),
                                                  context.nfcTexts());
  return finish(context, host->basic, [](const SignatureDataAndBasicPersonalInfo& data) {
    nlohmann::json record{{"request", "sign-basic-info"}};
    if (data.getSignatureData()) record["signatureData"] = signatureJson(*data.getSignatureData());
    if (data.getBasicPersonalInfo()) {
      record["basicPersonalInfo"] = Json::parse(data.getBasicPersonalInfo()->toJson()).value_or(nullptr);
    }
    return record;
  });
}

}  // namespace

}  // namespace ekyc::demo

EKYC_DEMO_REQUEST(auth, "auth", "signs a challenge with the JPKI user-authentication key",
                  {"MYNUMBERCARD_USERCERT_PIN"},
                  ekyc::demo::runAuth, ekyc::demo::NEVER_VERIFIES)
EKYC_DEMO_REQUEST(consentRevoke, "consent-revoke",
                  "signs the consent-revoke document with the JPKI signature key",
                  {"MYNUMBERCARD_SIGNER_PIN"},
                  ekyc::demo::runConsentRevoke, ekyc::demo::NEVER_VERIFIES)
EKYC_DEMO_REQUEST(signBasicInfo, "sign-basic-info",
                  "signs with the JPKI signature key and reads the four basic items",
                  {"MYNUMBERCARD_SIGNER_PIN"},
                  ekyc::demo::runSignBasicInfo, ekyc::demo::NEVER_VERIFIES)

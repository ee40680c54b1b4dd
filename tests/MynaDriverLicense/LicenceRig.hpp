#pragma once
// The rig of the three licence-data requests end to end: the card-surface rig's host loop, dialog,
// log and in-process reader, with a whole virtual Individual Number Card (card surface, input
// support, JPKI, licence data), the facade, and the stand-in with the standard verifiers.
#include "CardPrintInfoAndMynaDriverLicense/CardPrintInfoAndMynaDriverLicenseReader.hpp"
#include "Support/RunLoopPump.hpp"
#include "CardSurface/CardSurfaceTestSupport.hpp"
#include "Identify/Identify.hpp"
#include "JpkiTestSupport.hpp"
#include "MynaDriverLicense/MynaDriverLicenseReader.hpp"
#include "Platform/VirtualCard/JpkiApplication.hpp"
#include "Platform/VirtualCard/MynaDriverLicenseApplication.hpp"
#include "SignatureDataAndBasicPersonalInfoAndMynaDriverLicense/SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseReader.hpp"
#include "verification-server/SkiKeyRegistry.hpp"
#include "verification-server/StandardVerifiers.hpp"

namespace ekyc::test {

// The three requests, in the order of the tables' parameters.
enum class Licence { alone, withCardPrint, withSignature };

inline std::string licenceName(const ::testing::TestParamInfo<Licence>& info) {
  switch (info.param) {
    case Licence::alone: return "Alone";
    case Licence::withCardPrint: return "WithCardPrint";
    default: return "WithSignature";
  }
}

inline void PrintTo(Licence kind, std::ostream* os) {
  *os << licenceName(::testing::TestParamInfo<Licence>(kind, 0));
}

// One delegate for the three result protocols: logs "result(ok)" / "result(<code>)" and keeps what
// the host got.
class LicenceResults : public MynaDriverLicenseReaderDelegate,
                       public CardPrintInfoAndMynaDriverLicenseReaderDelegate,
                       public SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseReaderDelegate {
 public:
  explicit LicenceResults(std::shared_ptr<EventLog> log) : log_(std::move(log)) {}

  struct Outcome {
    std::optional<MynaDriverLicense> licence;
    std::optional<CardPrintInfo> cardPrintInfo;
    std::optional<SignatureData> signatureData;
    std::optional<BasicPersonalInfo> basicPersonalInfo;
    std::int64_t code = 0;
    std::string message;
    std::optional<std::int64_t> retryCount, httpStatus;
  };

  void didGetMynaDriverLicense(const std::expected<MynaDriverLicense, MynaDriverLicenseError>& r) override {
    keep(r, [](Outcome& o, const MynaDriverLicense& v) { o.licence = v; });
  }
  void didGetCardPrintInfoAndGetMynaDriverLicense(
      const std::expected<CardPrintInfoAndMynaDriverLicense, CardPrintInfoAndMynaDriverLicenseError>& r) override {
    keep(r, [](Outcome& o, const CardPrintInfoAndMynaDriverLicense& v) {
      o.licence = v.getMynaDriverLicense();
      o.cardPrintInfo = v.getCardPrintInfo();
    });
  }
  void didSignAndGetBasicPersonalInfoAndGetMynaDriverLicense(
      const std::expected<SignatureDataAndBasicPersonalInfoAndMynaDriverLicense,
                          SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseError>& r) override {
    keep(r, [](Outcome& o, const SignatureDataAndBasicPersonalInfoAndMynaDriverLicense& v) {
      o.licence = v.getMynaDriverLicense();
      o.signatureData = v.getSignatureData();
      o.basicPersonalInfo = v.getBasicPersonalInfo();
    });
  }

  std::size_t count() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return outcomes_.size();
  }
  Outcome last() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return outcomes_.empty() ? Outcome{{}, {}, {}, {}, -1, {}, {}, {}} : outcomes_.back();
  }

 private:
  template <class Record, class Error, class Fill>
  void keep(const std::expected<Record, Error>& r, Fill fill) {
    Outcome o;
    if (r) {
      fill(o, *r);
    } else {
      const auto& e = r.error();
      std::tie(o.code, o.message, o.retryCount, o.httpStatus) =
          std::tie(e.errorCode, e.localizedDescription, e.retryCount, e.httpStatus);
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      outcomes_.push_back(std::move(o));
    }
    log_->add(r ? "result(ok)" : "result(" + std::to_string(r.error().errorCode) + ")");
  }
  std::shared_ptr<EventLog> log_;
  mutable std::mutex mutex_;
  std::vector<Outcome> outcomes_;
};

class LicenceRig : public CardSurfaceRig {
 public:
  MynaDriverLicenseApplication::Contents licence = MynaDriverLicenseApplication::make();
  std::optional<VirtualJpkiContents> jpki;  // the shared contents when unset
  std::shared_ptr<LicenceResults> results = std::make_shared<LicenceResults>(log);
  std::shared_ptr<Identify> identify;
  // The PINs the facade is given; an absent one is asked for with the dialog.
  std::optional<std::string> licencePin = licence.pin;
  std::optional<std::string> otherPin;  // card-surface or signing PIN; the card's own when unset
  std::optional<std::string> tbsData = "ZGF0YSB0byBzaWdu";  // "data to sign"
  std::string hashAlgorithm = "SHA-256";

  // The whole card with the current contents, in the field.
  VirtualCard& presentWholeCard() {
    VirtualCard& c = presentCard();
    JpkiApplication::install(c, jpki ? *jpki : jpkiContents());
    MynaDriverLicenseApplication::install(c, licence);
    return c;
  }
  VerificationServer& startStandIn() {
    server = std::make_unique<VerificationServer>();
    EXPECT_TRUE(server->start());
    // The stand-in trusts the virtual licence issuer, under the SKI it computes itself.
    auto issuers = std::make_shared<SkiKeyRegistry>();
    auto key = RsaPublicKey::fromSubjectPublicKeyInfo(MynaDriverLicenseApplication::issuer().subjectPublicKeyInfo);
    EXPECT_TRUE(key);
    if (key) issuers->add(std::move(*key));
    StandardVerifiers::install(*server, issuers);
    platform.verificationUrl = server->url();
    platform.trustedCaFile = server->caFilePath();
    return *server;
  }

  // The request `kind`, with or without an application id, until the result has arrived and the
  // reader is gone. Through the facade (whose PIN store gets the PINs), or with the reader made
  // here and the logging back channel.
  void request(Licence kind, const std::optional<std::string>& appId = std::nullopt, double httpTimeout = 10.0,
               bool viaFacade = false) {
    const SetPinKey otherKey = kind == Licence::withSignature ? SetPinKey::MYNUMBERCARD_SIGNER_PIN
                                                              : SetPinKey::MYNUMBERCARD_CARDPRINTINFO_PIN;
    const std::optional<std::string> other =
        kind == Licence::alone ? std::nullopt
                               : std::optional<std::string>(otherPin.value_or(
                                     kind == Licence::withSignature ? jpkiContents().options.signingPin
                                                                    : holder.cardPrintInfoPin));
    const auto p = pinTexts();
    const auto n = nfcTexts();
    auto r = results;
    if (!viaFacade) {
      switch (kind) {
        case Licence::alone:
          return run<MynaDriverLicenseReader>(r, [&](MynaDriverLicenseReader& x) {
            appId ? x.fetchMynaDriverLicense(appId, licencePin) : x.fetchMynaDriverLicense(licencePin);
          }, httpTimeout);
        case Licence::withCardPrint:
          return run<CardPrintInfoAndMynaDriverLicenseReader>(r, [&](CardPrintInfoAndMynaDriverLicenseReader& x) {
            appId ? x.fetchCardPrintInfoAndMynaDriverLicense(appId, other, licencePin)
                  : x.fetchCardPrintInfoAndMynaDriverLicense(other, licencePin);
          }, httpTimeout);
        case Licence::withSignature:
          using Sign = SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseReader;
          return run<Sign>(r, [&](Sign& x) {
            appId ? x.signAndGetBasicPersonalInfoAndFetchMynaDriverLicense(tbsData, hashAlgorithm, appId, other, licencePin, true)
                  : x.signAndGetBasicPersonalInfoAndFetchMynaDriverLicense(tbsData, hashAlgorithm, other, licencePin, true);
          }, httpTimeout);
      }
    }
    identify = Identify::create(viewController, httpTimeout, platform);
    if (licencePin) identify->setPin(SetPinKey::MYNA_DRIVERLICENSE_PIN, *licencePin);
    if (other) identify->setPin(otherKey, *other);
    const auto before = results->count();
    auto f = identify;
    runLoop->post([=, this] {
      switch (kind) {
        case Licence::alone:
          appId ? f->getMynaDriverLicense(r, appId, p, n) : f->getMynaDriverLicense(r, p, n);
          break;
        case Licence::withCardPrint:
          appId ? f->getCardPrintInfoAndGetMynaDriverLicense(r, appId, p, n)
                : f->getCardPrintInfoAndGetMynaDriverLicense(r, p, n);
          break;
        case Licence::withSignature:
          appId ? f->signAndGetBasicPersonalInfoAndGetMynaDriverLicense(r, appId, tbsData, std::nullopt, true, p, n)
                : f->signAndGetBasicPersonalInfoAndGetMynaDriverLicense(r, tbsData, std::nullopt, true, p, n);
          break;
      }
    });
    EXPECT_TRUE(::ekyc::test::pumpUntil(*runLoop, 
        [&] { return results->count() > before && !f->hasReader() && cardReader->activeSessionCount() == 0; },
        std::chrono::seconds(30)))
        << "no result";
  }

  // The licence chain as the card must see it, with the given PIN.
  static std::vector<std::string> licenceChain(const std::string& pin) {
    return {"00A4040C10A0000002310600000000000000000000", selectEf("0006"), verify(pin), selectEf("001B"),
            read(5845), selectEf("001C"), read(584)};
  }
};

}  // namespace ekyc::test

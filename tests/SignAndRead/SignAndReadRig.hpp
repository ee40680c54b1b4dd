#pragma once
// The rig of the sign-and-read tests: the card-surface rig with a card that holds the JPKI
// application too, and one runner for the three readers so that each behaviour is one table over
// them. The outcome of a request is what the host received (one line per delegate or back-channel
// call in rig.log) and, on success, the parts of the record.
#include <optional>
#include <string>
#include <tuple>

#include "CardSurface/CardSurfaceTestSupport.hpp"
#include "JpkiTestSupport.hpp"
#include "Platform/VirtualCard/JpkiApplication.hpp"
#include "SignatureDataAndBasicPersonalInfoAndMyNumberInfo/SignatureDataAndBasicPersonalInfoAndMyNumberInfoReader.hpp"
#include "SignatureDataAndBasicPersonalInfoAndPromptedPii/SignatureDataAndBasicPersonalInfoAndPromptedPiiReader.hpp"
#include "SignatureDataAndMyNumberInfo/SignatureDataAndMyNumberInfoReader.hpp"

namespace ekyc::test {

enum class SignAndRead { myNumber, basicMyNumber, basicPromptedPii };

inline std::string nameOf(SignAndRead kind) {
  const char* const names[] = {"SignatureDataAndMyNumberInfoReader", "SignatureDataAndBasicPersonalInfoAndMyNumberInfoReader",
                               "SignatureDataAndBasicPersonalInfoAndPromptedPiiReader"};
  return names[static_cast<int>(kind)];
}

inline void PrintTo(SignAndRead kind, std::ostream* os) { *os << nameOf(kind); }

struct SignAndReadOutcome {
  std::size_t results = 0;
  bool ok = false;
  std::int64_t code = 0;
  std::string message;
  std::optional<std::int64_t> retryCount, httpStatus, intErrFlag;
  std::optional<SignatureData> signatureData;
  std::optional<BasicPersonalInfo> basicPersonalInfo;
  std::optional<MyNumberInfo> myNumberInfo;
  std::optional<PromptedPii> promptedPii;
};

// The result delegate of all three readers: logs "result(ok)" or "result(<code>)" and keeps the outcome.
class SignAndReadResults : public SignatureDataAndMyNumberInfoReaderDelegate,
                           public SignatureDataAndBasicPersonalInfoAndMyNumberInfoReaderDelegate,
                           public SignatureDataAndBasicPersonalInfoAndPromptedPiiReaderDelegate {
 public:
  explicit SignAndReadResults(std::shared_ptr<EventLog> log) : log_(std::move(log)) {}
  void didSignAndGetMyNumberInfo(
      const std::expected<SignatureDataAndMyNumberInfo, SignatureDataAndMyNumberInfoError>& r) override {
    keep(r);
  }
  void didSignAndGetBasicPersonalInfoAndGetMyNumber(
      const std::expected<SignatureDataAndBasicPersonalInfoAndMyNumberInfo,
                          SignatureDataAndBasicPersonalInfoAndMyNumberInfoError>& r) override {
    keep(r);
  }
  void didSignAndGetBasicPersonalInfoAndGetPromptedPii(
      const std::expected<SignatureDataAndBasicPersonalInfoAndPromptedPii,
                          SignatureDataAndBasicPersonalInfoAndPromptedPiiError>& r) override {
    keep(r);
  }
  SignAndReadOutcome outcome() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return outcome_;
  }

 private:
  template <class Result>
  void keep(const Result& r) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      auto& o = outcome_;
      ++o.results;
      o.ok = r.has_value();
      if (r) {
        o.signatureData = r->getSignatureData();
        if constexpr (requires { r->getBasicPersonalInfo(); }) o.basicPersonalInfo = r->getBasicPersonalInfo();
        if constexpr (requires { r->getMyNumberInfo(); }) o.myNumberInfo = r->getMyNumberInfo();
        if constexpr (requires { r->getPromptedPii(); }) o.promptedPii = r->getPromptedPii();
      } else {
        const auto& e = r.error();
        std::tie(o.code, o.message, o.retryCount, o.httpStatus, o.intErrFlag) =
            std::tie(e.errorCode, e.localizedDescription, e.retryCount, e.httpStatus, e.intErrFlag);
      }
    }
    log_->add(r ? "result(ok)" : "result(" + std::to_string(r.error().errorCode) + ")");
  }
  std::shared_ptr<EventLog> log_;
  mutable std::mutex mutex_;
  SignAndReadOutcome outcome_;
};

// What the host asks: the data to sign (base64), its hash name, the two PINs (absent: asked for
// with the dialog), the application id (absent: the entry without one) and the fold flag.
struct SignAndReadRequest {
  std::optional<std::string> tbs = "ZWt5YyB0ZXN0IGRhdGE=";  // "ekyc test data"
  std::string hash = "SHA-256";
  std::optional<std::string> signPin = std::string("abcdef123");
  std::optional<std::string> secondPin;  // absent here: the holder's PIN of the reader's second slot
  bool askSecondPin = false;
  std::optional<std::string> appId;
  bool include = false;
};

class SignAndReadRig : public CardSurfaceRig {
 public:
  // The JPKI contents of the card: the shared ones, or a variant set with useJpki.
  const VirtualJpkiContents* jpki = &jpkiContents();
  std::shared_ptr<VirtualJpkiContents> variant;
  void useJpki(const VirtualJpkiContents::Options& options) {
    variant = std::make_shared<VirtualJpkiContents>(VirtualJpkiContents::make(jpkiKeys(), options));
    jpki = variant.get();
  }

  // The Individual Number Card with its JPKI, card-surface and input-support applications.
  std::shared_ptr<VirtualCard> makeFullCard() {
    auto full = std::make_shared<VirtualCard>("Individual Number Card");
    JpkiApplication::install(*full, *jpki);
    CardSurfaceApplications::Options options;
    options.holder = holder;
    CardSurfaceApplications::install(*full, files, options);
    return full;
  }
  VirtualCard& presentFullCard() {
    card = makeFullCard();
    cardReader->present(card);
    return *card;
  }

  SignAndReadOutcome run(SignAndRead kind, SignAndReadRequest q = {}, double httpTimeout = 10.0) {
    auto results = std::make_shared<SignAndReadResults>(log);
    if (!q.secondPin && !q.askSecondPin)
      q.secondPin = kind == SignAndRead::basicPromptedPii ? holder.promptedPiiPin : holder.myNumberPin;
    switch (kind) {
      case SignAndRead::myNumber:
        CardSurfaceRig::run<SignatureDataAndMyNumberInfoReader>(
            results, [&](SignatureDataAndMyNumberInfoReader& r) {
              q.appId ? r.signAndFetchMyNumber(q.tbs, q.hash, q.signPin, q.secondPin, q.appId)
                      : r.signAndFetchMyNumber(q.tbs, q.hash, q.signPin, q.secondPin);
            }, httpTimeout);
        break;
      case SignAndRead::basicMyNumber:
        CardSurfaceRig::run<SignatureDataAndBasicPersonalInfoAndMyNumberInfoReader>(
            results, [&](SignatureDataAndBasicPersonalInfoAndMyNumberInfoReader& r) {
              q.appId ? r.signAndFetchMyNumberInfoAndFetchMyNumber(q.tbs, q.hash, q.signPin, q.secondPin, q.include, q.appId)
                      : r.signAndFetchMyNumberInfoAndFetchMyNumber(q.tbs, q.hash, q.signPin, q.secondPin, q.include);
            }, httpTimeout);
        break;
      case SignAndRead::basicPromptedPii:
        CardSurfaceRig::run<SignatureDataAndBasicPersonalInfoAndPromptedPiiReader>(
            results, [&](SignatureDataAndBasicPersonalInfoAndPromptedPiiReader& r) {
              q.appId ? r.signAndGetBasicPersonalInfoAndFetchPromptedPii(q.tbs, q.hash, q.signPin, q.secondPin, q.include, q.appId)
                      : r.signAndGetBasicPersonalInfoAndFetchPromptedPii(q.tbs, q.hash, q.signPin, q.secondPin, q.include);
            }, httpTimeout);
        break;
    }
    return results->outcome();
  }
};

}  // namespace ekyc::test

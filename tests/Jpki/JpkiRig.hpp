#pragma once
// The rig of the JPKI end-to-end tests: the card-surface rig (host run loop, scripted view
// controller, in-process reader, recorded NFC sheet, and one ordered log of what the host and the
// back channel hear, lines such as "didGetFailedPin(SIGNER,2)", "result(13300)", "didGetPin(ABC)")
// with a virtual JPKI card, a fixed clock, and one result delegate for the three generators.
#include <chrono>
#include <expected>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <tuple>

#include "Auth/AuthSignatureDataGenerator.hpp"
#include "CardSurface/CardSurfaceTestSupport.hpp"
#include "FourInfoConsentRevokeApply/FourInfoConsentRevokeApplySignatureDataGenerator.hpp"
#include "JpkiTestSupport.hpp"
#include "PKI/DigestInfo.hpp"
#include "Platform/FixedClock.hpp"
#include "Platform/VirtualCard/JpkiApplication.hpp"
#include "SignatureDataAndBasicPersonalInfo/SignatureDataAndBasicPersonalInfoGenerator.hpp"

namespace ekyc::test {

// What the host received, whichever generator answered: the number of results and of the last one
// its code (0 for success, -1 before any result), its error fields or its record.
struct JpkiOutcome {
  int results = 0;
  long long code = -1;
  std::string message;
  std::optional<std::int64_t> retryCount, intErrFlag;
  std::optional<SignatureData> signatureData;
  std::optional<BasicPersonalInfo> basicPersonalInfo;
};

// The host's delegate of the three generators: logs "result(ok)" or "result(<code>)" and keeps the outcome.
class JpkiResults : public AuthSignatureDataGeneratorDelegate,
                    public FourInfoConsentRevokeApplySignatureDataGeneratorDelegate,
                    public SignatureDataAndBasicPersonalInfoGeneratorDelegate {
 public:
  explicit JpkiResults(std::shared_ptr<EventLog> log) : log_(std::move(log)) {}
  void didAuth(const std::expected<SignatureData, SignatureDataError>& r) override { keep(r); }
  void didSignFourInfoConsentRevokeApply(const std::expected<SignatureData, SignatureDataError>& r) override {
    keep(r);
  }
  void didSignAndGetBasicPersonalInfo(
      const std::expected<SignatureDataAndBasicPersonalInfo, SignatureDataAndBasicPersonalInfoError>& r) override {
    keep(r);
  }
  JpkiOutcome outcome() const {
    std::lock_guard lock(mutex_);
    return outcome_;
  }

 private:
  template <class Result>
  void keep(const Result& r) {
    {
      std::lock_guard lock(mutex_);
      auto& o = outcome_;
      ++o.results;
      o.code = r ? 0 : r.error().errorCode;
      if (!r) {
        std::tie(o.message, o.retryCount, o.intErrFlag) =
            std::tie(r.error().localizedDescription, r.error().retryCount, r.error().intErrFlag);
      } else if constexpr (requires { r->getSignatureData(); }) {
        o.signatureData = r->getSignatureData();
        o.basicPersonalInfo = r->getBasicPersonalInfo();
      } else {
        o.signatureData = *r;
      }
    }
    log_->add(r ? "result(ok)" : "result(" + std::to_string(r.error().errorCode) + ")");
  }
  std::shared_ptr<EventLog> log_;
  mutable std::mutex mutex_;
  JpkiOutcome outcome_;
};

// Upper-case hex of bytes.
inline std::string hex(const Bytes& bytes) { return Utility().dataToHexString(bytes); }

// COMPUTE DIGITAL SIGNATURE of the DigestInfo of `data`, asking for a 256-byte signature.
inline std::string signCommand(const Bytes& data, const std::string& hash) {
  const Bytes info = DigestInfo(data, hash).create();
  return "802A0080" + hex(Bytes{static_cast<std::uint8_t>(info.size())}) + hex(info) + "00";
}

class JpkiRig : public CardSurfaceRig {
 public:
  explicit JpkiRig(const VirtualJpkiContents& contents = jpkiContents(), bool cardInField = true) {
    card = JpkiApplication::makeCard(contents);
    platform.clock = clock;
    platform.sessionTimeout = std::chrono::seconds(20);
    if (cardInField) cardReader->present(card);
  }

  // 2024-03-05T00:07:30Z
  std::shared_ptr<FixedClock> clock = std::make_shared<FixedClock>(Clock::TimePoint(std::chrono::seconds(1709597250)));
  std::shared_ptr<JpkiResults> results = std::make_shared<JpkiResults>(log);

  // A generator made by a test: `results` is the host's delegate, the rig's back channel the context's.
  template <class Generator>
  std::shared_ptr<Generator> make() {
    return std::make_shared<Generator>(results, context());
  }
  // Runs the host's run loop until a result has arrived and no session runs any more.
  bool waitForResult() {
    return waitFor([this] { return results->outcome().results > 0 && cardReader->activeSessionCount() == 0; });
  }
  // Runs the host's run loop until `done` holds.
  bool waitFor(const std::function<bool()>& done) { return pumpUntil(*runLoop, done, std::chrono::seconds(20)); }
};

}  // namespace ekyc::test

#pragma once
// The rig of the JPKI end-to-end tests: a virtual JPKI card in an in-process reader, the host's run
// loop and scripted view controller, a recorded NFC sheet, a fixed clock, and a recorder that is
// both the host's result delegate and (for generator-level tests) the back channel, keeping every
// call in one ordered list of lines such as
//   "didGetFailedPin MYNUMBERCARD_SIGNER_PIN 2", "result 13300", "result ok", "didGetPin ABC123".
#include <chrono>
#include <expected>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "Auth/AuthSignatureDataGenerator.hpp"
#include "CoreNFC/IdentifyDelegate.hpp"
#include "FourInfoConsentRevokeApply/FourInfoConsentRevokeApplySignatureDataGenerator.hpp"
#include "JpkiTestSupport.hpp"
#include "PKI/DigestInfo.hpp"
#include "Platform/FixedClock.hpp"
#include "Platform/Platform.hpp"
#include "Platform/RecordingAlertPresenter.hpp"
#include "Platform/VirtualCard/JpkiApplication.hpp"
#include "Platform/VirtualCard/VirtualCard.hpp"
#include "Platform/VirtualCard/VirtualCardReader.hpp"
#include "Reader/ReaderContext.hpp"
#include "SignatureDataAndBasicPersonalInfo/SignatureDataAndBasicPersonalInfoGenerator.hpp"
#include "Support/RunLoopPump.hpp"
#include "UI/RunLoop.hpp"
#include "UI/ScriptedViewController.hpp"
#include "Utility/Utility.hpp"

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

class JpkiRecorder : public IdentifyDelegate,
                     public AuthSignatureDataGeneratorDelegate,
                     public FourInfoConsentRevokeApplySignatureDataGeneratorDelegate,
                     public SignatureDataAndBasicPersonalInfoGeneratorDelegate {
 public:
  void didGetPin(const std::string& pin) override { record("didGetPin " + pin); }
  void didClearInstance() override { record("didClearInstance"); }
  void didGetFailedPin(SetPinKey key, std::optional<int> left) override {
    record("didGetFailedPin " + toString(key) + (left ? " " + std::to_string(*left) : ""));
  }
  void didAuth(const std::expected<SignatureData, SignatureDataError>& r) override { keep(r); }
  void didSignFourInfoConsentRevokeApply(const std::expected<SignatureData, SignatureDataError>& r) override {
    keep(r);
  }
  void didSignAndGetBasicPersonalInfo(
      const std::expected<SignatureDataAndBasicPersonalInfo, SignatureDataAndBasicPersonalInfoError>& r) override {
    keep(r);
  }

  std::vector<std::string> events() const {
    std::lock_guard lock(mutex_);
    return events_;
  }
  JpkiOutcome outcome() const {
    std::lock_guard lock(mutex_);
    return outcome_;
  }

 private:
  void record(std::string line) {
    std::lock_guard lock(mutex_);
    events_.push_back(std::move(line));
  }
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
    record(r ? "result ok" : "result " + std::to_string(r.error().errorCode));
  }
  mutable std::mutex mutex_;
  std::vector<std::string> events_;
  JpkiOutcome outcome_;
};

// Upper-case hex of bytes.
inline std::string hex(const Bytes& bytes) { return Utility().dataToHexString(bytes); }

// COMPUTE DIGITAL SIGNATURE of the DigestInfo of `data`, asking for a 256-byte signature.
inline std::string signCommand(const Bytes& data, const std::string& hash) {
  const Bytes info = DigestInfo(data, hash).create();
  return "802A0080" + hex(Bytes{static_cast<std::uint8_t>(info.size())}) + hex(info) + "00";
}

class JpkiRig {
 public:
  explicit JpkiRig(const VirtualJpkiContents& contents = jpkiContents(), bool cardInField = true)
      : card(JpkiApplication::makeCard(contents)) {
    platform->cardReader = reader;
    platform->clock = clock;
    platform->alertPresenter = sheet;
    platform->sessionTimeout = std::chrono::seconds(20);
    if (cardInField) reader->present(card);
  }

  std::shared_ptr<RunLoop> runLoop = std::make_shared<RunLoop>();
  std::shared_ptr<ScriptedViewController> viewController = std::make_shared<ScriptedViewController>(runLoop);
  std::shared_ptr<VirtualCardReader> reader = std::make_shared<VirtualCardReader>();
  std::shared_ptr<RecordingAlertPresenter> sheet = std::make_shared<RecordingAlertPresenter>();
  // 2024-03-05T00:07:30Z
  std::shared_ptr<FixedClock> clock = std::make_shared<FixedClock>(Clock::TimePoint(std::chrono::seconds(1709597250)));
  std::shared_ptr<Platform> platform = std::make_shared<Platform>();
  std::shared_ptr<VirtualCard> card;
  std::shared_ptr<JpkiRecorder> recorder = std::make_shared<JpkiRecorder>();

  static InputPinDialogDisplaySettingGroup pinTexts() {
    return {"署名用パスワード", "unused title",       "パスワードを入力してください", "unused message",
            "パスワード",       "unused placeholder", "OK",                           "キャンセル"};
  }
  static NFCDialogMessageSettingGroup nfcTexts() {
    return {"カードをかざしてください", "読み取り中", "読み取りました", "読み取りに失敗しました"};
  }
  // The context of a generator made by a test: the recorder is the back channel.
  ReaderContext context() {
    ReaderContext context;
    context.uIViewController = viewController;
    context.inputPinDialogDisplaySettingGroup = pinTexts();
    context.nfcDialogMessageSettingGroup = nfcTexts();
    context.idetifyDelegate = recorder;
    context.httpConnectionTimeOut = 30.0;
    context.platform = platform;
    return context;
  }
  template <class Generator>
  std::shared_ptr<Generator> make() {
    return std::make_shared<Generator>(recorder, context());
  }

  // Runs the host's run loop until a result has arrived and no session runs any more.
  bool waitForResult() {
    return pumpUntil(
        *runLoop, [this] { return recorder->outcome().results > 0 && reader->activeSessionCount() == 0; },
        std::chrono::seconds(20));
  }
  // Runs the host's run loop until `done` holds.
  bool waitFor(const std::function<bool()>& done) { return pumpUntil(*runLoop, done, std::chrono::seconds(20)); }
  // The commands the card received, as upper-case hex.
  std::vector<std::string> commands() const {
    std::vector<std::string> out;
    for (const auto& command : card->commands()) out.push_back(hex(command));
    return out;
  }
};

// The last text of a list, "(none)" when it is empty (never a read past the end).
inline std::string lastOf(const std::vector<std::string>& texts) { return texts.empty() ? "(none)" : texts.back(); }

}  // namespace ekyc::test

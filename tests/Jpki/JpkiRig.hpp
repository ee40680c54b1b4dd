#pragma once
// The rig of the JPKI end-to-end tests: a virtual JPKI card in an in-process reader, the host's run
// loop and scripted view controller, a recorded NFC sheet, a fixed clock, and a recorder that is
// both the host's result delegate and (for generator-level tests) the back channel, keeping every
// call in one ordered list of lines such as
//   "didGetFailedPin MYNUMBERCARD_SIGNER_PIN 2", "result 13300", "result ok", "didGetPin ABC123".
#include <chrono>
#include <condition_variable>
#include <expected>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "Auth/AuthSignatureDataGenerator.hpp"
#include "CoreNFC/IdentifyDelegate.hpp"
#include "FourInfoConsentRevokeApply/FourInfoConsentRevokeApplySignatureDataGenerator.hpp"
#include "JpkiTestSupport.hpp"
#include "Platform/FixedClock.hpp"
#include "Platform/Platform.hpp"
#include "Platform/RecordingAlertPresenter.hpp"
#include "Platform/VirtualCard/JpkiApplication.hpp"
#include "Platform/VirtualCard/VirtualCard.hpp"
#include "Platform/VirtualCard/VirtualCardReader.hpp"
#include "Reader/ReaderContext.hpp"
#include "SignatureDataAndBasicPersonalInfo/SignatureDataAndBasicPersonalInfoGenerator.hpp"
#include "UI/RunLoop.hpp"
#include "UI/ScriptedViewController.hpp"

namespace ekyc::test {

class JpkiRecorder : public IdentifyDelegate,
                     public AuthSignatureDataGeneratorDelegate,
                     public FourInfoConsentRevokeApplySignatureDataGeneratorDelegate,
                     public SignatureDataAndBasicPersonalInfoGeneratorDelegate {
 public:
  using SignatureResult = std::expected<SignatureData, SignatureDataError>;
  using BasicResult = std::expected<SignatureDataAndBasicPersonalInfo, SignatureDataAndBasicPersonalInfoError>;

  void didGetPin(const std::string& pin) override;
  void didClearInstance() override;
  void didGetFailedPin(SetPinKey setPinKey, std::optional<int> pinRemainNum) override;
  void didAuth(const SignatureResult& result) override;
  void didSignFourInfoConsentRevokeApply(const SignatureResult& result) override;
  void didSignAndGetBasicPersonalInfo(const BasicResult& result) override;

  std::vector<std::string> events() const;
  int resultCount() const;
  std::optional<SignatureResult> signatureResult() const;
  std::optional<BasicResult> basicResult() const;
  // The last result of its kind; throws (the test fails with a message and goes on) when none came.
  SignatureResult lastSignature() const;
  BasicResult lastBasic() const;
  // The error code of the (last) result, 0 for success, -1 for none.
  long long code() const;

 private:
  void record(std::string line, bool isResult);
  mutable std::mutex mutex_;
  std::vector<std::string> events_;
  int results_ = 0;
  std::optional<SignatureResult> signature_;
  std::optional<BasicResult> basic_;
};

class JpkiRig {
 public:
  explicit JpkiRig(const VirtualJpkiContents& contents = jpkiContents(), bool cardInField = true);

  std::shared_ptr<RunLoop> runLoop = std::make_shared<RunLoop>();
  std::shared_ptr<ScriptedViewController> viewController;
  std::shared_ptr<VirtualCardReader> reader = std::make_shared<VirtualCardReader>();
  std::shared_ptr<RecordingAlertPresenter> sheet = std::make_shared<RecordingAlertPresenter>();
  // 2024-03-05T00:07:30Z
  std::shared_ptr<FixedClock> clock = std::make_shared<FixedClock>(Clock::TimePoint(std::chrono::seconds(1709597250)));
  std::shared_ptr<Platform> platform = std::make_shared<Platform>();
  std::shared_ptr<VirtualCard> card;
  std::shared_ptr<JpkiRecorder> recorder = std::make_shared<JpkiRecorder>();

  static InputPinDialogDisplaySettingGroup pinTexts();
  static NFCDialogMessageSettingGroup nfcTexts();
  // The context of a generator made by a test: the recorder is the back channel.
  ReaderContext context();

  template <class Generator>
  std::shared_ptr<Generator> make() {
    return std::make_shared<Generator>(recorder, context());
  }

  // Runs the host's run loop until a result has arrived and no session runs any more.
  bool waitForResult(std::chrono::milliseconds timeout = std::chrono::seconds(20));
  // Runs the host's run loop until a session is running.
  bool waitForSession(std::chrono::milliseconds timeout = std::chrono::seconds(20));
  // The commands the card received, as upper-case hex.
  std::vector<std::string> commands() const;
};

// The last text of a list, "(none)" when it is empty (never a read past the end).
inline std::string lastOf(const std::vector<std::string>& texts) { return texts.empty() ? "(none)" : texts.back(); }

// Upper-case hex of bytes.
std::string hex(const Bytes& bytes);

}  // namespace ekyc::test

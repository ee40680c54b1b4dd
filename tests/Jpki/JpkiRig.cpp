#include "Jpki/JpkiRig.hpp"
#include "Support/RunLoopPump.hpp"

#include "Utility/Utility.hpp"

namespace ekyc::test {

void JpkiRecorder::didGetPin(const std::string& pin) { record("didGetPin " + pin, false); }
void JpkiRecorder::didClearInstance() { record("didClearInstance", false); }
void JpkiRecorder::didGetFailedPin(SetPinKey setPinKey, std::optional<int> pinRemainNum) {
  record("didGetFailedPin " + toString(setPinKey) + (pinRemainNum ? " " + std::to_string(*pinRemainNum) : ""), false);
}

void JpkiRecorder::didAuth(const SignatureResult& result) {
  {
    std::lock_guard lock(mutex_);
    signature_ = result;
  }
  record(result ? "result ok" : "result " + std::to_string(result.error().errorCode), true);
}

void JpkiRecorder::didSignFourInfoConsentRevokeApply(const SignatureResult& result) { didAuth(result); }

void JpkiRecorder::didSignAndGetBasicPersonalInfo(const BasicResult& result) {
  {
    std::lock_guard lock(mutex_);
    basic_ = result;
  }
  record(result ? "result ok" : "result " + std::to_string(result.error().errorCode), true);
}

void JpkiRecorder::record(std::string line, bool isResult) {
  std::lock_guard lock(mutex_);
  events_.push_back(std::move(line));
  if (isResult) ++results_;
}

std::vector<std::string> JpkiRecorder::events() const {
  std::lock_guard lock(mutex_);
  return events_;
}

int JpkiRecorder::resultCount() const {
  std::lock_guard lock(mutex_);
  return results_;
}

std::optional<JpkiRecorder::SignatureResult> JpkiRecorder::signatureResult() const {
  std::lock_guard lock(mutex_);
  return signature_;
}

std::optional<JpkiRecorder::BasicResult> JpkiRecorder::basicResult() const {
  std::lock_guard lock(mutex_);
  return basic_;
}

long long JpkiRecorder::code() const {
  std::lock_guard lock(mutex_);
  if (signature_) return *signature_ ? 0 : signature_->error().errorCode;
  if (basic_) return *basic_ ? 0 : basic_->error().errorCode;
  return -1;
}

JpkiRig::JpkiRig(const VirtualJpkiContents& contents, bool cardInField)
    : viewController(std::make_shared<ScriptedViewController>(runLoop)), card(JpkiApplication::makeCard(contents)) {
  platform->cardReader = reader;
  platform->clock = clock;
  platform->alertPresenter = sheet;
  platform->sessionTimeout = std::chrono::seconds(20);
  if (cardInField) reader->present(card);
}

InputPinDialogDisplaySettingGroup JpkiRig::pinTexts() {
  InputPinDialogDisplaySettingGroup texts;
  texts.pin1DialogTitle = "署名用パスワード";
  texts.pin1DialogMessage = "パスワードを入力してください";
  texts.pin1DialogPlaceholder = "パスワード";
  texts.pin2DialogTitle = "unused title";
  texts.pin2DialogMessage = "unused message";
  texts.pin2DialogPlaceholder = "unused placeholder";
  texts.dialogActionTitleOK = "OK";
  texts.dialogActionTitleCancel = "キャンセル";
  return texts;
}

NFCDialogMessageSettingGroup JpkiRig::nfcTexts() {
  NFCDialogMessageSettingGroup texts;
  texts.nfcAlertInitialMessage = "カードをかざしてください";
  texts.nfcAlertReadMessage = "読み取り中";
  texts.nfcAlertSuccesMessage = "読み取りました";
  texts.nfcAlertErrorMessage = "読み取りに失敗しました";
  return texts;
}

ReaderContext JpkiRig::context() {
  ReaderContext context;
  context.uIViewController = viewController;
  context.inputPinDialogDisplaySettingGroup = pinTexts();
  context.nfcDialogMessageSettingGroup = nfcTexts();
  context.idetifyDelegate = recorder;
  context.httpConnectionTimeOut = 30.0;
  context.platform = platform;
  return context;
}

bool JpkiRig::waitForResult(std::chrono::milliseconds timeout) {
  return ::ekyc::test::pumpUntil(*runLoop, 
      [this] { return recorder->resultCount() > 0 && reader->activeSessionCount() == 0; }, timeout);
}

bool JpkiRig::waitForSession(std::chrono::milliseconds timeout) {
  return ::ekyc::test::pumpUntil(*runLoop, [this] { return reader->activeSessionCount() > 0; }, timeout);
}

std::vector<std::string> JpkiRig::commands() const {
  std::vector<std::string> out;
  for (const auto& command : card->commands()) out.push_back(hex(command));
  return out;
}

std::string hex(const Bytes& bytes) { return Utility().dataToHexString(bytes); }

JpkiRecorder::SignatureResult JpkiRecorder::lastSignature() const {
  if (auto r = signatureResult()) return *r;
  throw std::runtime_error("no signature result was delivered");
}

JpkiRecorder::BasicResult JpkiRecorder::lastBasic() const {
  if (auto r = basicResult()) return *r;
  throw std::runtime_error("no signature-and-basic-items result was delivered");
}

}  // namespace ekyc::test

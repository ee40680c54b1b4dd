#pragma once
// The frame that every JPKI signing generator follows, written once: the PIN step (preset PIN or
// dialog, the slot's rule), the session, the command chain walked as data with the status check
// after every answer, the delivery order, the end of the session and the back channel.
//
// A generator states only what is its own: its PIN slot, its checks (between the PIN step and
// beginScan), its chain (a list of steps, each with the command and what to keep of the answer),
// its record and the PIN it hands back after success.
//
// Threads: the entry and the PIN dialog run on the host thread; from beginScan on, everything
// runs on the session's serial queue. Fields are written on the host thread only before the
// session begins, and on the session queue only afterwards.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CoreNFC/IdentifyDelegate.hpp"
#include "Extension/Bytes.hpp"
#include "Pin/SetPinKey.hpp"
#include "Platform/Base64.hpp"
#include "Platform/NFCTagReaderSession.hpp"
#include "Reader/ReaderContext.hpp"
#include "Reader/ReaderSupport.hpp"
#include "TLV/Ber.hpp"
#include "UI/InputPinDialog.hpp"
#include "Utility/ConstApduCmd.hpp"
#include "Utility/ConstDataLength.hpp"
#include "Utility/Utility.hpp"

namespace ekyc {

template <class E>
class JpkiSigningFrame : public NFCTagReaderSessionDelegate,
                         public std::enable_shared_from_this<JpkiSigningFrame<E>> {
 public:
  // One step of a command chain: the command (built when it is sent) and what to keep of the
  // answer once its status passed; `keep` returns a failure to end the request with.
  struct Step {
    std::function<NFCISO7816APDU()> command;
    std::function<std::optional<E>(const Bytes& data)> keep;
  };

  explicit JpkiSigningFrame(ReaderContext context)
      : uIViewController(context.uIViewController),
        idetifyDelegate(context.idetifyDelegate),
        inputPinDialogDisplaySettingGroup(context.inputPinDialogDisplaySettingGroup),
        nfcDialogMessageSettingGroup(context.nfcDialogMessageSettingGroup),
        platform_(context.platform) {}

  std::shared_ptr<NFCTagReaderSession> session;
  std::shared_ptr<ViewController> uIViewController;
  std::weak_ptr<IdentifyDelegate> idetifyDelegate;
  // Set once the first command has been handed to the card: from then on the chain reports.
  bool hasApduResponse = false;
  InputPinDialogDisplaySettingGroup inputPinDialogDisplaySettingGroup;
  NFCDialogMessageSettingGroup nfcDialogMessageSettingGroup;

  void tagReaderSessionDidBecomeActive(NFCTagReaderSession&) override {}

  void tagReaderSession(NFCTagReaderSession& current, const std::vector<std::shared_ptr<NFCTag>>& tags) override {
    current.setAlertMessage(nfcDialogMessageSettingGroup.nfcAlertReadMessage);
    if (tags.empty()) {
      unwrapErrorProcess(current);
      return;
    }
    auto self = this->shared_from_this();
    const auto tag = tags.front();
    current.connect(tag, [self, tag](std::optional<NFCError>) {
      // The session ended while connecting: its end has been reported already.
      if (self->ended_) return;
      auto iso = tag->iso7816();
      if (!iso) return;  // not an ISO 7816 tag: nothing is sent, the session's end reports
      if (!self->pin_) {
        self->unwrapErrorProcess(*self->session);
        return;
      }
      self->chain_ = self->chain();
      self->send(iso, 0);
      self->chainStarted();
      self->hasApduResponse = true;
    });
  }

  void tagReaderSession(NFCTagReaderSession&, const NFCError& error) override {
    ended_ = true;
    if (!hasApduResponse) {
      deliverFailure(ReaderSupport::sessionEndFailure<E>(error));
      ReaderSupport::didGetPin(idetifyDelegate, "");
    }
    hasApduResponse = false;
  }

  // The status check: true when the answer passes; otherwise reports a refused PIN, delivers the
  // failure and returns false.
  bool isApduSuccess(std::uint8_t sw1, std::uint8_t sw2) {
    if (auto failure = ReaderSupport::checkStatusWord<E>(sw1, sw2, pinKey(), idetifyDelegate)) {
      deliverFailure(*failure);
      return false;
    }
    return true;
  }

  // Ends the request from inside the session with 99999.
  void unwrapErrorProcess(NFCTagReaderSession& current) {
    // The end that follows reports nothing more.
    hasApduResponse = true;
    deliverFailure(E::unknown());
    ReaderSupport::didGetPin(idetifyDelegate, "");
    current.invalidate(nfcDialogMessageSettingGroup.nfcAlertErrorMessage);
  }

 protected:
  // ---- What a generator states ----------------------------------------------------------------
  virtual SetPinKey pinKey() const = 0;
  // The chain, built when the card is connected; never empty.
  virtual std::vector<Step> chain() = 0;
  virtual void deliverFailure(const E& error) = 0;
  // Delivers the record after the last step.
  virtual void deliverSuccess() = 0;
  // The PIN handed back through didGetPin after success.
  virtual std::string pinHandedBack() const { return ""; }
  // Runs right after the first command has been handed to the card.
  virtual void chainStarted() {}

  // ---- The frame's steps, called by the generators --------------------------------------------

  // The PIN step: a preset PIN is checked at once; without one the dialog asks. A PIN that passes
  // the slot's rule goes to `checked` (on the host thread); a refused or cancelled one ends the
  // request.
  void obtainPin(const std::optional<std::string>& preset, std::function<void(const std::string&)> checked) {
    if (preset) {
      if (pinAccepted(*preset)) checked(*preset);
      return;
    }
    if (!uIViewController) {
      fail(E::unknown());
      return;
    }
    auto self = this->shared_from_this();
    auto dialog = std::make_shared<InputPinDialog>();
    const auto& texts = inputPinDialogDisplaySettingGroup;
    dialog->show(uIViewController, texts.pin1DialogTitle, texts.pin1DialogMessage, texts.pin1DialogPlaceholder,
                 texts.dialogActionTitleOK, texts.dialogActionTitleCancel, "", [self, dialog, checked] {
                   if (dialog->dialogPin) {
                     if (self->pinAccepted(*dialog->dialogPin)) checked(*dialog->dialogPin);
                   } else if (dialog->isCanceled) {
                     self->fail(ReaderSupport::pinDialogCanceled<E>(self->pinKey(), self->idetifyDelegate));
                   } else {
                     self->fail(E::unknown());
                   }
                 });
  }

  // A failure before the session: delivered, then the back channel lets go.
  void fail(const E& error) {
    deliverFailure(error);
    ReaderSupport::didGetPin(idetifyDelegate, "");
  }

  // Upper-cases the PIN and begins the session.
  void beginScan(const std::string& pin) {
    pin_ = upperCased(pin);
    if (platform_) session = NFCTagReaderSession::create(*platform_, NFCPollingOption::iso14443, this->shared_from_this());
    if (!session) {
      // No session could be made: as a session that ended at once.
      fail(ReaderSupport::sessionEndFailure<E>(
          NFCError::reader(NFCReaderErrorCode::readerSessionInvalidationErrorSystemIsBusy)));
      return;
    }
    session->setAlertMessage(nfcDialogMessageSettingGroup.nfcAlertInitialMessage);
    session->begin();
  }

  // The checks of the data to be signed and of the hash name, in this order: absent or empty data
  // (12003), data that is not strict base64 (12006), a hash name other than "SHA-256", "SHA-384"
  // and "SHA-512" (12005). On success `decoded` holds the data.
  static std::optional<E> checkTbsData(const std::optional<std::string>& tbsDataBase64String,
                                       const std::string& hashAlgorithm, Bytes& decoded) {
    if (!tbsDataBase64String || tbsDataBase64String->empty()) return E::notSetTbsData();
    auto bytes = Base64::decode(*tbsDataBase64String);
    if (!bytes) return E::failBase64Decode();
    decoded = std::move(*bytes);
    if (!Utility().isSupportHashAlgorithm(hashAlgorithm)) return E::notSupportedHashAlgorithm();
    return std::nullopt;
  }

  // A chain step that sends a fixed command and keeps nothing.
  static Step fixed(NFCISO7816APDU command) {
    return Step{[command] { return command; }, nullptr};
  }

  // ASCII small letters in capitals, as the card compares PINs.
  static std::string upperCased(std::string pin) {
    for (auto& c : pin) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return pin;
  }

  // The PIN as sent to the card (upper-cased); set by beginScan.
  const std::optional<std::string>& scanPin() const { return pin_; }
  const std::shared_ptr<const Platform>& platform() const { return platform_; }

  // The whole DER certificate at the start of a certificate file's READ BINARY answer.
  static std::optional<Bytes> certificateElement(const Bytes& data) {
    auto found = Ber().parseToTLV(data, {"30"}, false);
    auto it = found.find("30");
    if (it == found.end()) return std::nullopt;
    return it->second;
  }

  // One READ BINARY of a certificate file.
  static NFCISO7816APDU readCertificateCommand() {
    return ConstApduCmd().getReadAdpuCmd(ConstDataLength().SIGN_CERT);
  }

 private:
  bool pinAccepted(const std::string& pin) {
    const int result = Utility().validatePin(pinKey(), pin);
    if (auto failure = ReaderSupport::pinRuleFailure<E>(result, pinKey(), idetifyDelegate)) {
      fail(*failure);
      return false;
    }
    return true;
  }

  void send(const std::shared_ptr<NFCISO7816Tag>& tag, std::size_t index) {
    auto self = this->shared_from_this();
    tag->sendCommand(chain_[index].command(),
                     [self, tag, index](Bytes data, std::uint8_t sw1, std::uint8_t sw2, std::optional<NFCError>) {
                       self->answered(tag, index, data, sw1, sw2);
                     });
  }

  void answered(const std::shared_ptr<NFCISO7816Tag>& tag, std::size_t index, const Bytes& data, std::uint8_t sw1,
                std::uint8_t sw2) {
    if (!isApduSuccess(sw1, sw2)) {
      endAfterFailure();
      return;
    }
    if (chain_[index].keep) {
      if (auto failure = chain_[index].keep(data)) {
        deliverFailure(*failure);
        endAfterFailure();
        return;
      }
    }
    if (index + 1 < chain_.size()) {
      send(tag, index + 1);
      return;
    }
    deliverSuccess();
    ReaderSupport::didGetPin(idetifyDelegate, pinHandedBack());
    session->setAlertMessage(nfcDialogMessageSettingGroup.nfcAlertSuccesMessage);
    session->invalidate();
  }

  void endAfterFailure() {
    ReaderSupport::didGetPin(idetifyDelegate, "");
    session->invalidate(nfcDialogMessageSettingGroup.nfcAlertErrorMessage);
  }

  std::shared_ptr<const Platform> platform_;
  std::optional<std::string> pin_;
  std::vector<Step> chain_;
  bool ended_ = false;
};

}  // namespace ekyc

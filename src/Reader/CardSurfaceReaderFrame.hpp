#pragma once
// The frame shared by the readers of the card-surface and input-support applications
// (MyNumberInfoReader, PromptedPiiReader, CardPrintInfoReader, CardPrintInfoAndMyNumberInfoReader).
// It owns everything the four have in common:
//   - the application-id check of the verifying entries (14001);
//   - the PINs: preset or asked for with the PIN dialog (the first slot with the pin1 texts, a
//     second with the pin2 texts), validated against their slot's rule, refusals and Cancel
//     reported with the slot and the reader's label;
//   - the session: begun with the initial text; the first detected tag is connected with the read
//     text; an ISO 7816 tag gets the first command, then didGetPin("") and hasApduResponse;
//   - the chain, stated by each reader as data: a list of steps, each a command (built when it is
//     sent), the arguments of the status check on its answer, and what to keep of the answer. The
//     engine sends each step from the completion of the previous one; a refused answer delivers the
//     status check's failure and ends the session with the error text; a file lacking an element
//     the reader needs delivers cardConnectionFailed (13999) the same way;
//   - the end of the session before the chain started (13700, 13600, 13500, 99999, then
//     didGetPin("")); after it started the end reports nothing;
//   - the verification request: body, HTTPS post to the platform's endpoint, verdict.
// A reader adds its fields, its chain, its final steps and its delivery.
#include <array>
#include <cstddef>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CoreNFC/IdentifyDelegate.hpp"
#include "Http/HTTPClient.hpp"
#include "Pin/SetPinKey.hpp"
#include "Platform/Base64.hpp"
#include "Platform/Digest.hpp"
#include "Platform/NFCTagReaderSession.hpp"
#include "Platform/Platform.hpp"
#include "Reader/ReaderContext.hpp"
#include "Reader/ReaderSupport.hpp"
#include "UI/InputPinDialog.hpp"
#include "UI/InputPinDialogDisplaySettingGroup.hpp"
#include "UI/NFCDialogMessageSettingGroup.hpp"
#include "UI/ViewController.hpp"
#include "Utility/Const.hpp"
#include "Utility/Utility.hpp"

namespace ekyc {

template <class E>
class CardSurfaceReaderFrame : public NFCTagReaderSessionDelegate,
                               public std::enable_shared_from_this<CardSurfaceReaderFrame<E>> {
 public:
  std::shared_ptr<NFCTagReaderSession> session;
  std::shared_ptr<ViewController> uIViewController;
  NFCDialogMessageSettingGroup nfcDialogMessageSettingGroup;
  InputPinDialogDisplaySettingGroup inputPinDialogDisplaySettingGroup;
  std::weak_ptr<IdentifyDelegate> idetifyDelegate;
  std::optional<std::string> appId;
  bool hasApduResponse = false;
  std::optional<double> httpConnectionTimeOut;

  // Creates and begins the session. A session the platform cannot create ends the request with
  // cardConnectionLost and didGetPin("").
  void beginScan() {
    session = platform_ ? NFCTagReaderSession::create(*platform_, NFCPollingOption::iso14443, this->shared_from_this())
                        : nullptr;
    if (!session) {
      deliverFailure(E::cardConnectionLost());
      ReaderSupport::didGetPin(idetifyDelegate, "");
      return;
    }
    session->setAlertMessage(nfcDialogMessageSettingGroup.nfcAlertInitialMessage);
    session->begin();
  }

  void tagReaderSessionDidBecomeActive(NFCTagReaderSession&) override {}

  void tagReaderSession(NFCTagReaderSession& current, const std::vector<std::shared_ptr<NFCTag>>& tags) override {
    if (connecting_ || tags.empty()) return;  // only the first tag of the first detection counts
    connecting_ = true;
    steps_ = chain();
    current.setAlertMessage(nfcDialogMessageSettingGroup.nfcAlertReadMessage);
    const auto tag = tags.front();
    auto self = this->shared_from_this();
    current.connect(tag, [self, tag](std::optional<NFCError>) {
      const auto iso = tag->iso7816();
      if (!iso || self->steps_.empty()) return;  // another kind of tag gets no command
      self->tag_ = iso;
      self->send(0);
      ReaderSupport::didGetPin(self->idetifyDelegate, "");
      self->hasApduResponse = true;
    });
  }

  void tagReaderSession(NFCTagReaderSession&, const NFCError& error) override {
    if (!hasApduResponse) {
      deliverFailure(ReaderSupport::sessionEndFailure<E>(error));
      ReaderSupport::didGetPin(idetifyDelegate, "");
    }
    hasApduResponse = false;
  }

 protected:
  // One PIN the request needs: its slot, where it is kept, and the label of its messages.
  struct PinSlot {
    SetPinKey key;
    std::optional<std::string>* pin;
    std::string label;
  };

  // One command of the chain and what to do with its answer.
  struct Step {
    std::function<NFCISO7816APDU()> command;
    SetPinKey checkKey;
    std::string checkLabel;
    // What to keep of the answer's data; false when the data lacks what the request needs.
    std::function<bool(const Bytes&)> keep;
  };

  explicit CardSurfaceReaderFrame(ReaderContext context)
      : uIViewController(std::move(context.uIViewController)),
        nfcDialogMessageSettingGroup(std::move(context.nfcDialogMessageSettingGroup)),
        inputPinDialogDisplaySettingGroup(std::move(context.inputPinDialogDisplaySettingGroup)),
        idetifyDelegate(std::move(context.idetifyDelegate)),
        httpConnectionTimeOut(context.httpConnectionTimeOut),
        platform_(std::move(context.platform)) {}

  // The reader's chain, built when the tag is detected.
  virtual std::vector<Step> chain() = 0;
  // What follows a successful answer to the last command.
  virtual void finish() = 0;
  // Hands a failure to the host's delegate, when there is one.
  virtual void deliverFailure(const E& error) = 0;

  // The verifying entry's check: stores the id; false (after 14001 and didGetPin("")) when it is
  // absent or empty.
  bool acceptAppId(const std::optional<std::string>& id) {
    appId = id;
    if (appId && !appId->empty()) return true;
    deliverFailure(E::notSetAppId());
    ReaderSupport::didGetPin(idetifyDelegate, "");
    return false;
  }

  // Takes each PIN in turn (preset, else from the dialog), validates it, and begins the session
  // once all have passed. A refusal or Cancel ends the request.
  void obtainPins(std::vector<PinSlot> slots) {
    pinSlots_ = std::move(slots);
    nextPin(0);
  }

  // A step that selects, or verifies a PIN with a command built when it is sent.
  static Step step(NFCISO7816APDU command, SetPinKey key, std::function<bool(const Bytes&)> keep = {},
                   std::string label = {}) {
    return Step{[command] { return command; }, key, std::move(label), std::move(keep)};
  }

  void endWithError() {
    if (session) session->invalidate(nfcDialogMessageSettingGroup.nfcAlertErrorMessage);
  }
  void endWithSuccess() {
    if (!session) return;
    session->setAlertMessage(nfcDialogMessageSettingGroup.nfcAlertSuccesMessage);
    session->invalidate();
  }
  // A failure found by the reader itself inside the session: delivered, then the error text.
  void fail(const E& error) {
    deliverFailure(error);
    endWithError();
  }

  // One side of a verification request: the signed source (sent as its SHA-256 digest, or as it is
  // when it already is digests), the card's signature and the verifying-parameters JSON.
  struct VerificationSide {
    std::optional<Bytes> source;
    bool hashSource = true;
    std::optional<Bytes> signature;
    std::optional<Bytes> verifyingParams;
  };

  // The request of a type with one side or both (card-surface side first, each member then the
  // base64 of a two-element array). A side the card left without source, signature or verifying
  // parameters cannot be sent: cardConnectionFailed (13999) is delivered and false returned.
  bool postSides(const std::string& reqType, const std::optional<VerificationSide>& surface,
                 const std::optional<VerificationSide>& support, const std::string& label = {}) {
    const auto complete = [](const std::optional<VerificationSide>& side) {
      return !side || (side->source && side->signature && side->verifyingParams);
    };
    if ((!surface && !support) || !complete(surface) || !complete(support)) {
      deliverFailure(E::cardConnectionFailed());
      return false;
    }
    const auto texts = [](const VerificationSide& side) {
      return std::array<std::string, 3>{
          Base64::encode(side.hashSource ? Digest::sha256(*side.source) : *side.source),
          Base64::encode(*side.signature), Base64::encode(*side.verifyingParams)};
    };
    std::array<std::string, 3> members;
    if (surface && support) {
      const auto a = texts(*surface), b = texts(*support);
      const Utility utility;
      for (std::size_t i = 0; i < 3; ++i) members[i] = utility.createBase64EncodedArray(a[i], b[i]);
    } else {
      members = texts(surface ? *surface : *support);
    }
    return postVerification(reqType, members[0], members[1], members[2], label);
  }

  // Posts one verification request and judges the answer. True when the server answered "valid"
  // true; otherwise the failure has been delivered (18001 carries `label`).
  bool postVerification(const std::string& reqType, const std::string& expectedHash, const std::string& signature,
                        const std::string& verifyingParams, const std::string& label = {}) {
    const Const c;
    const auto body = Utility().createRequestBody(expectedHash, signature, verifyingParams, "0", c.CARD_TYPE_MYNUMBER,
                                                  reqType, appId.value_or(""));
    const std::string url = platform_ && !platform_->verificationUrl.empty() ? platform_->verificationUrl
                                                                            : c.SIGNATURE_VERIFICATION_URL;
    const HTTPClient client = platform_ ? HTTPClient(httpConnectionTimeOut, *platform_) : HTTPClient(httpConnectionTimeOut);
    const auto [response, timedOut] = client.post(url, {}, body);
    if (const auto failure = ReaderSupport::verificationFailure<E>(
            response.getHttpStatusCode(), response.getResponseBodyForMyNumberVerification(), timedOut, label)) {
      deliverFailure(*failure);
      return false;
    }
    std::clog << "verify Response OK" << std::endl;
    return true;
  }

 private:
  void nextPin(std::size_t index) {
    if (index >= pinSlots_.size()) {
      beginScan();
      return;
    }
    const PinSlot& slot = pinSlots_[index];
    if (*slot.pin) {
      if (accept(index, **slot.pin)) nextPin(index + 1);
      return;
    }
    const auto& texts = inputPinDialogDisplaySettingGroup;
    const bool first = index == 0;
    auto dialog = std::make_shared<InputPinDialog>();
    auto self = this->shared_from_this();
    dialog->show(uIViewController, first ? texts.pin1DialogTitle : texts.pin2DialogTitle,
                 first ? texts.pin1DialogMessage : texts.pin2DialogMessage,
                 first ? texts.pin1DialogPlaceholder : texts.pin2DialogPlaceholder, texts.dialogActionTitleOK,
                 texts.dialogActionTitleCancel, "", [self, dialog, index] {
                   const PinSlot& typed = self->pinSlots_[index];
                   if (dialog->dialogPin) {
                     if (self->accept(index, *dialog->dialogPin)) {
                       *typed.pin = *dialog->dialogPin;
                       self->nextPin(index + 1);
                     }
                   } else if (dialog->isCanceled) {
                     self->deliverFailure(
                         ReaderSupport::pinDialogCanceled<E>(typed.key, self->idetifyDelegate, typed.label));
                     ReaderSupport::didGetPin(self->idetifyDelegate, "");
                   }
                 });
  }

  // Validates a PIN of slot `index`; false (after the refusal and didGetPin("")) when it breaks
  // the slot's rule.
  bool accept(std::size_t index, const std::string& pin) {
    const PinSlot& slot = pinSlots_[index];
    const auto failure =
        ReaderSupport::pinRuleFailure<E>(Utility().validatePin(slot.key, pin), slot.key, idetifyDelegate, slot.label);
    if (!failure) return true;
    deliverFailure(*failure);
    ReaderSupport::didGetPin(idetifyDelegate, "");
    return false;
  }

  void send(std::size_t index) {
    auto self = this->shared_from_this();
    tag_->sendCommand(steps_[index].command(),
                      [self, index](Bytes data, std::uint8_t sw1, std::uint8_t sw2, std::optional<NFCError>) {
                        self->answered(index, data, sw1, sw2);
                      });
  }

  void answered(std::size_t index, const Bytes& data, std::uint8_t sw1, std::uint8_t sw2) {
    const Step& current = steps_[index];
    if (const auto failure =
            ReaderSupport::checkStatusWord<E>(sw1, sw2, current.checkKey, idetifyDelegate, current.checkLabel)) {
      fail(*failure);
      return;
    }
    if (current.keep && !current.keep(data)) {
      fail(E::cardConnectionFailed());
      return;
    }
    if (index + 1 < steps_.size()) {
      send(index + 1);
    } else {
      tag_.reset();
      finish();
    }
  }

  std::shared_ptr<const Platform> platform_;
  std::vector<PinSlot> pinSlots_;
  std::vector<Step> steps_;
  std::shared_ptr<NFCISO7816Tag> tag_;
  bool connecting_ = false;
};

}  // namespace ekyc

#pragma once
// The engine every card request runs on, written once: the PIN step (each PIN preset or asked for
// with the PIN dialog, checked against its slot's rule), the NFC session (begun with the initial
// text; the first detected tag connected with the read text), `hasApduResponse`, the command chain
// walked as data with the status check after every answer and what to keep of it, the end of the
// session while no command has been handed over, and ending the session with the success or error
// text.
//
// A request group's frame (the JPKI signing frame, the card-surface frame, ...) states only where
// it differs: how its readers write their chain, what follows the first command, the last answer
// and a failed one, and what a detection without tags means. A reader then states its chain and
// its record.
//
// Threads: the entry and the PIN dialog run on the host thread; from the session's begin on,
// everything runs on the session's serial queue. The facade may abandon the request from any
// thread.
//
// A request the facade abandoned before its session began (the host dropped the facade, or the
// next request took over, at whatever step before the session began) never begins a session: its
// dialog is taken down, and it ends as a cancelled dialog ends (inputPinDialogCanceled, once),
// without a word to the facade, which serves another request by then. No lock of the frame is held
// while host code runs (the view controller, the dialog's completion, the sheet presenter, the
// result delegate).
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "CoreNFC/IdentifyDelegate.hpp"
#include "Extension/Bytes.hpp"
#include "Pin/SetPinKey.hpp"
#include "Platform/NFCTagReaderSession.hpp"
#include "Platform/Platform.hpp"
#include "Reader/AbandonableRequest.hpp"
#include "Reader/ReaderContext.hpp"
#include "Reader/ReaderSupport.hpp"
#include "UI/InputPinDialog.hpp"
#include "UI/InputPinDialogDisplaySettingGroup.hpp"
#include "UI/NFCDialogMessageSettingGroup.hpp"
#include "UI/ViewController.hpp"
#include "Utility/Utility.hpp"

namespace ekyc {

template <class E>
class ReaderFrame : public NFCTagReaderSessionDelegate,
                    public AbandonableRequest,
                    public std::enable_shared_from_this<ReaderFrame<E>> {
 public:
  std::shared_ptr<NFCTagReaderSession> session;
  // Held weakly: the view controller keeps a presented PIN dialog, whose completion keeps this
  // reader; a strong reference back would keep both (and what they hold) alive for ever when the
  // dialog is never answered.
  std::weak_ptr<ViewController> uIViewController;
  std::weak_ptr<IdentifyDelegate> idetifyDelegate;
  // Set once the first command has been handed to the card: from then on the chain reports, and
  // the end of the session reports nothing.
  bool hasApduResponse = false;
  InputPinDialogDisplaySettingGroup inputPinDialogDisplaySettingGroup;
  NFCDialogMessageSettingGroup nfcDialogMessageSettingGroup;

  // Creates and begins the session. A session the platform cannot create ends the request as a
  // session that ended at once (13500), then didGetPin(""). A request abandoned before its session
  // began (from another thread, or from a host callback on this one) never begins it and ends as
  // a cancelled PIN dialog does (12101), without a word to the facade. No lock is held while the
  // session begins: beginning shows the first sheet text to the host's presenter, which may let go
  // of the facade or start the next request.
  void beginScan() {
    auto created = platform_ ? NFCTagReaderSession::create(*platform_, NFCPollingOption::iso14443,
                                                           this->shared_from_this())
                             : nullptr;
    bool left = false;
    {
      std::lock_guard<std::mutex> lock(abandonMutex_);
      left = abandoned_;
      if (!left && created) session = created;
    }
    if (left) {  // `created`, never begun, goes with this scope
      deliverFailure(leftBeforeSession());
      return;
    }
    if (!created) {
      failBeforeSession(ReaderSupport::sessionEndFailure<E>(
          NFCError::reader(NFCReaderErrorCode::readerSessionInvalidationErrorSystemIsBusy)));
      return;
    }
    if (sessionLedger_) sessionLedger_->add(created);
    created->setAlertMessage(nfcDialogMessageSettingGroup.nfcAlertInitialMessage);
    // An abandon from now on either withdraws the session before it begins (and ends the request
    // itself), or finds it begun; begin() does nothing once it has been withdrawn.
    created->begin();
  }

  void abandon(bool endSession) override {
    std::shared_ptr<InputPinDialog> shown;
    std::shared_ptr<NFCTagReaderSession> created;
    {
      std::lock_guard<std::mutex> lock(abandonMutex_);
      abandoned_ = true;
      shown = dialog_.lock();
      created = session;
    }
    if (shown) shown->dismiss();
    if (!created) return;
    if (created->withdraw()) {
      deliverFailure(leftBeforeSession());
    } else if (endSession) {
      created->invalidate();
    }
  }

  bool endIfAbandoned() override {
    if (!abandoned()) return false;
    deliverFailure(leftBeforeSession());
    return true;
  }

  void tagReaderSessionDidBecomeActive(NFCTagReaderSession&) override {}

  // Only the first tag of the first detection that has tags is connected.
  void tagReaderSession(NFCTagReaderSession& current, const std::vector<std::shared_ptr<NFCTag>>& tags) override {
    if (connecting_) return;
    if (tags.empty()) {
      noTagDetected(current);
      return;
    }
    connecting_ = true;
    current.setAlertMessage(nfcDialogMessageSettingGroup.nfcAlertReadMessage);
    const auto tag = tags.front();
    auto self = this->shared_from_this();
    current.connect(tag, [self, tag](std::optional<NFCError> error) { self->connected(tag, error); });
  }

  void tagReaderSession(NFCTagReaderSession&, const NFCError& error) override {
    ended_ = true;
    if (!hasApduResponse) {
      deliverFailure(ReaderSupport::sessionEndFailure<E>(error));
      ReaderSupport::didGetPin(idetifyDelegate, "");
    }
    hasApduResponse = false;
  }

 protected:
  // One command of the chain: the command (built when it is sent), the arguments of the status
  // check on its answer, and what to keep of the answer once its status passed (a failure it
  // returns ends the request).
  struct ChainStep {
    std::function<NFCISO7816APDU()> command;
    SetPinKey checkKey;
    std::string checkLabel;
    std::function<std::optional<E>(const Bytes& data)> keep;
    // When set and true at the moment the step is due, the step is passed over: a chain that
    // branches on what an earlier answer held.
    std::function<bool()> skipped{};
  };

  // One PIN the request needs: its slot, where it is kept (a preset value, or the typed one once
  // accepted), and the label in front of its messages. The first slot is asked for with the pin1
  // texts, any later one with the pin2 texts.
  struct PinSlot {
    SetPinKey key;
    std::optional<std::string>* pin;
    std::string label;
    // Runs once this slot's PIN has passed its rule, before the next slot is taken (the checks a
    // request makes between its PINs); a failure it returns ends the request.
    std::function<std::optional<E>()> accepted{};
  };

  explicit ReaderFrame(ReaderContext context)
      : uIViewController(std::move(context.uIViewController)),
        idetifyDelegate(std::move(context.idetifyDelegate)),
        inputPinDialogDisplaySettingGroup(std::move(context.inputPinDialogDisplaySettingGroup)),
        nfcDialogMessageSettingGroup(std::move(context.nfcDialogMessageSettingGroup)),
        platform_(std::move(context.platform)),
        sessionLedger_(std::move(context.sessionLedger)) {}

  // ---- What a frame states ----------------------------------------------------------------------
  // The chain, built when the card is connected; an empty one sends nothing.
  virtual std::vector<ChainStep> chainSteps() = 0;
  // Hands a failure to the host's delegate, when there is one.
  virtual void deliverFailure(const E& error) = 0;
  // What follows a successful answer to the last command.
  virtual void chainFinished() = 0;
  // What follows a failure of the chain, once it has been delivered.
  virtual void chainFailed() { endWithError(); }
  // Runs right after the first command has been handed to the card.
  virtual void chainStarted() {}
  // A detection without tags.
  virtual void noTagDetected(NFCTagReaderSession&) {}
  // Checked when an ISO 7816 tag is connected, before anything is sent; false sends nothing.
  virtual bool readyToSend() { return true; }
  // A connection that failed (`error` set) or a tag that is not ISO 7816 (`error` absent). True
  // when the frame has ended the request itself; false (the default) leaves it to the chain, or to
  // the end of the session for a tag of another kind.
  virtual bool tagRefused(const std::optional<NFCError>&) { return false; }

  // ---- The engine's steps, called by the frames ------------------------------------------------

  // Takes each PIN in turn (preset, else from the dialog) and checks it against its slot's rule;
  // once all have passed, `passed` runs (on the host thread). A refused PIN, Cancel or a dialog
  // that gives no answer ends the request.
  void obtainPins(std::vector<PinSlot> slots, std::function<void()> passed) {
    pinSlots_ = std::move(slots);
    nextPin(0, std::move(passed));
  }

  // A failure before the session: delivered, then the back channel lets go.
  void failBeforeSession(const E& error) {
    deliverFailure(error);
    ReaderSupport::didGetPin(idetifyDelegate, "");
  }

  void endWithError() {
    if (session) session->invalidate(nfcDialogMessageSettingGroup.nfcAlertErrorMessage);
  }
  void endWithSuccess() {
    if (!session) return;
    session->setAlertMessage(nfcDialogMessageSettingGroup.nfcAlertSuccesMessage);
    session->invalidate();
  }

  const std::shared_ptr<const Platform>& platform() const { return platform_; }

  // Ends the request at once for a tag that failed to connect or is not ISO 7816 (a frame's
  // tagRefused may use it): cardConnectionFailed (13999, after a failed connection with the
  // platform's description of the error appended), didGetPin(""), and the session ended with the
  // error text (its end then reports nothing more).
  bool refuseTag(const std::optional<NFCError>& error) {
    hasApduResponse = true;
    ErrorDetail detail;
    if (error && !error->message.empty()) detail.suffix = error->message;
    deliverFailure(E::cardConnectionFailed(detail));
    ReaderSupport::didGetPin(idetifyDelegate, "");
    endWithError();
    return true;
  }

 private:
  void nextPin(std::size_t index, std::function<void()> passed) {
    // Let go of by the facade meanwhile: no PIN is checked or asked for, and the facade, serving
    // another request by now, is told nothing.
    if (endIfAbandoned()) return;
    if (index >= pinSlots_.size()) {
      passed();
      return;
    }
    const PinSlot& slot = pinSlots_[index];
    if (*slot.pin) {
      if (pinAccepted(slot, **slot.pin)) slotPassed(index, std::move(passed));
      return;
    }
    const auto& texts = inputPinDialogDisplaySettingGroup;
    const bool first = index == 0;
    auto dialog = std::make_shared<InputPinDialog>();
    {
      std::lock_guard<std::mutex> lock(abandonMutex_);
      dialog_ = dialog;
    }
    auto self = this->shared_from_this();
    dialog->show(uIViewController.lock(), first ? texts.pin1DialogTitle : texts.pin2DialogTitle,
                 first ? texts.pin1DialogMessage : texts.pin2DialogMessage,
                 first ? texts.pin1DialogPlaceholder : texts.pin2DialogPlaceholder, texts.dialogActionTitleOK,
                 texts.dialogActionTitleCancel, "", [self, dialog, index, passed] {
                   const PinSlot& typed = self->pinSlots_[index];
                   if (self->abandoned()) {
                     // Whatever the answer: the facade has moved on, so its back channel is not told.
                     self->deliverFailure(ReaderSupport::pinDialogCanceled<E>(typed.key, {}, typed.label));
                   } else if (dialog->dialogPin) {
                     if (self->pinAccepted(typed, *dialog->dialogPin)) {
                       *typed.pin = *dialog->dialogPin;
                       self->slotPassed(index, passed);
                     }
                   } else if (dialog->isCanceled) {
                     self->failBeforeSession(
                         ReaderSupport::pinDialogCanceled<E>(typed.key, self->idetifyDelegate, typed.label));
                   } else {
                     self->failBeforeSession(E::unknown());
                   }
                 });
    // Abandoned while it was being shown: taken down now.
    if (abandoned()) dialog->dismiss();
  }

  bool abandoned() {
    std::lock_guard<std::mutex> lock(abandonMutex_);
    return abandoned_;
  }

  // How a request abandoned before its session began ends: as its last PIN dialog cancelled,
  // without the back channel (the facade serves another request by then).
  // Before its PIN step (its entry never ran) it has no slot, and the text no label.
  E leftBeforeSession() const {
    if (pinSlots_.empty()) return ReaderSupport::pinDialogCanceled<E>(SetPinKey::MYNUMBERCARD_MYNUMBER_PIN, {});
    const PinSlot& last = pinSlots_.back();
    return ReaderSupport::pinDialogCanceled<E>(last.key, {}, last.label);
  }

  void slotPassed(std::size_t index, std::function<void()> passed) {
    if (const auto& accepted = pinSlots_[index].accepted) {
      if (auto failure = accepted()) {
        failBeforeSession(*failure);
        return;
      }
    }
    nextPin(index + 1, std::move(passed));
  }

  // False (after the refusal and didGetPin("")) when the PIN breaks its slot's rule.
  bool pinAccepted(const PinSlot& slot, const std::string& pin) {
    const auto failure =
        ReaderSupport::pinRuleFailure<E>(Utility().validatePin(slot.key, pin), slot.key, idetifyDelegate, slot.label);
    if (!failure) return true;
    failBeforeSession(*failure);
    return false;
  }

  void connected(const std::shared_ptr<NFCTag>& tag, const std::optional<NFCError>& error) {
    // The session ended while connecting: its end has been reported already.
    if (ended_) return;
    const auto iso = tag->iso7816();
    if ((error || !iso) && tagRefused(error)) return;
    if (!iso) return;  // another kind of tag gets no command: the session's end reports
    if (!readyToSend()) return;
    steps_ = chainSteps();
    if (steps_.empty()) return;
    tag_ = iso;
    send(0);
    chainStarted();
    hasApduResponse = true;
  }

  void send(std::size_t index) {
    auto self = this->shared_from_this();
    tag_->sendCommand(steps_[index].command(),
                      [self, index](Bytes data, std::uint8_t sw1, std::uint8_t sw2, std::optional<NFCError>) {
                        self->answered(index, data, sw1, sw2);
                      });
  }

  void answered(std::size_t index, const Bytes& data, std::uint8_t sw1, std::uint8_t sw2) {
    const ChainStep& current = steps_[index];
    auto failure = ReaderSupport::checkStatusWord<E>(sw1, sw2, current.checkKey, idetifyDelegate, current.checkLabel);
    if (!failure && current.keep) failure = current.keep(data);
    if (failure) {
      deliverFailure(*failure);
      chainFailed();
      return;
    }
    std::size_t next = index + 1;
    while (next < steps_.size() && steps_[next].skipped && steps_[next].skipped()) ++next;
    if (next < steps_.size()) {
      send(next);
      return;
    }
    tag_.reset();
    chainFinished();
  }

  std::shared_ptr<const Platform> platform_;
  std::shared_ptr<SessionLedger> sessionLedger_;
  std::vector<PinSlot> pinSlots_;
  std::vector<ChainStep> steps_;
  std::shared_ptr<NFCISO7816Tag> tag_;
  bool connecting_ = false;
  bool ended_ = false;
  std::mutex abandonMutex_;
  bool abandoned_ = false;
  // The PIN dialog on screen (held by its alert while it is up).
  std::weak_ptr<InputPinDialog> dialog_;
};

}  // namespace ekyc

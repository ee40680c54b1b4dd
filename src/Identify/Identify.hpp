#pragma once
// The public facade. The host creates it once and keeps it:
//
//   auto identify = Identify::create(viewController, /*httpConnectionTimeOut=*/30.0, platform);
//   identify->setPin(SetPinKey::MYNUMBERCARD_MYNUMBER_PIN, "123456789012");   // optional preset
//   identify->getMyNumber(delegate, pinTexts, nfcTexts);                      // returns at once
//
// Each request method returns at once; the result arrives later through the delegate given with
// the call. The facade is also every reader's back channel (IdentifyDelegate).
//
// ---- How a reader plugs in (for the request methods) ----------------------------------------
//
// A reader or generator is a class created with std::make_shared and constructed as
//
//   Reader(std::shared_ptr<ReaderDelegate> delegate, ReaderContext context)
//
// and is an AbandonableRequest (every ReaderFrame is).
// (Reader/ReaderContext.hpp: view controller, the two text groups, the facade as a weak back
// channel, the HTTPS time-out and the Platform). Its result protocol has one method taking
// `const std::expected<Record, Error>&`, and Error is declared with EKYC_ERROR_ENUMERATION
// (Error/ErrorEnumeration.hpp) and has the case notNfcTagReadAvailable (11001).
//
// A request method is then one call of the shared runner, runRequest, in Identify.cpp:
//
//   void Identify::getMyNumber(std::shared_ptr<MyNumberInfoReaderDelegate> delegate,
//                              const InputPinDialogDisplaySettingGroup& pinTexts,
//                              const NFCDialogMessageSettingGroup& nfcTexts) {
//     runRequest<MyNumberInfoReader>(delegate, &MyNumberInfoReaderDelegate::didGetMyNumberInfo,
//                                    pinTexts, nfcTexts, [](MyNumberInfoReader& reader, const RequestPins& pins) {
//       reader.fetchMyNumberCardInfo(pins.pin(SetPinKey::MYNUMBERCARD_MYNUMBER_PIN));
//     });
//   }
//
// The runner builds the reader, then, in one step against any other start on the facade, takes
// the PIN store's entries and the held signing PIN (the store is then empty and the held PIN
// cleared), makes the new reader the current request and the only one held, and abandons the one
// it replaced (Reader/AbandonableRequest.hpp: one still at its PIN dialog never takes the card;
// one whose session has begun has it ended). When the device cannot read NFC tags it builds no
// reader and delivers Error::notNfcTagReadAvailable() (11001, bare text); otherwise it calls the
// entry with the PINs unchanged (reader<MyNumberInfoReader>() gives the reader back), unless
// another start has abandoned the request meanwhile (it then ends with 12101, its entry unrun). The
// entry may return std::optional<Error> instead of void: a value is a failure the facade found
// itself (for example 12012), delivered to the delegate instead of a reader result. The two
// requests that check a preset signing PIN in the facade use heldSignerPin().
//
// Inside the reader, the shared rules come from Reader/ReaderSupport.hpp, each generic over the
// reader's error enumeration:
//
//   if (auto failure = ReaderSupport::checkStatusWord<MyNumberInfoError>(sw1, sw2,
//           SetPinKey::MYNUMBERCARD_MYNUMBER_PIN, idetifyDelegate)) { deliver(*failure); ... }
//   ReaderSupport::pinRuleFailure<E>(Utility().validatePin(key, pin), key, idetifyDelegate, label);
//   ReaderSupport::pinDialogCanceled<E>(key, idetifyDelegate, label);
//   ReaderSupport::sessionEndFailure<E>(error);                // while hasApduResponse is false
//   ReaderSupport::verificationFailure<E>(response, timedOut, label);  // after HTTPClient::post
//
// Everything the facade holds is guarded by one mutex that is never held while calling out (the
// platform, a reader's entry, a host delegate): a reader may call back on the same thread before
// its entry returns, and a host may start the next request from inside a delegate callback.
#include <concepts>
#include <expected>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <type_traits>
#include <typeindex>
#include <typeinfo>
#include <utility>

#include "CoreNFC/IdentifyDelegate.hpp"
#include "Pin/SetPinKey.hpp"
#include "Platform/HostCall.hpp"
#include "Platform/Platform.hpp"
#include "Reader/AbandonableRequest.hpp"
#include "Reader/ReaderContext.hpp"
#include "Reader/SessionLedger.hpp"
#include "UI/InputPinDialogDisplaySettingGroup.hpp"
#include "UI/NFCDialogMessageSettingGroup.hpp"
#include "UI/ViewController.hpp"

namespace ekyc {

class AuthSignatureDataGeneratorDelegate;
class FourInfoConsentRevokeApplySignatureDataGeneratorDelegate;
class SignatureDataAndBasicPersonalInfoGeneratorDelegate;
class MyNumberInfoReaderDelegate;
class DriverLicenseInfoReaderDelegate;
class ResidenceCardInfoReaderDelegate;
class CardPrintInfoReaderDelegate;
class PromptedPiiReaderDelegate;
class CardPrintInfoAndMyNumberInfoReaderDelegate;
class MynaDriverLicenseReaderDelegate;
class CardPrintInfoAndMynaDriverLicenseReaderDelegate;
class SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseReaderDelegate;
class SignatureDataAndMyNumberInfoReaderDelegate;
class SignatureDataAndBasicPersonalInfoAndMyNumberInfoReaderDelegate;
class SignatureDataAndBasicPersonalInfoAndPromptedPiiReaderDelegate;

class Identify : public IdentifyDelegate, public std::enable_shared_from_this<Identify> {
  struct Passkey {
    explicit Passkey() = default;
  };

 public:
  using PinDictionary = std::map<SetPinKey, std::optional<std::string>>;
  using FailedPinDictionary = std::map<SetPinKey, std::optional<int>>;

  // What a request takes from the facade: the PIN store's entries (one per slot, absent when not
  // preset) and the held signing PIN.
  struct RequestPins {
    PinDictionary pinDic;
    std::optional<std::string> pinForSigner;

    std::optional<std::string> pin(SetPinKey key) const;
  };

  // The facade, with the host's view controller (PIN dialogs), the HTTPS time-out in seconds of the
  // verification requests, and the platform (NFC reader, clock, random source, endpoint). When the
  // host lets go of the last handle it got from here (and its copies), that returns once the
  // request's session has reset the card and let it go (at most the platform's releaseWait; at
  // once on an NFC queue's thread), so a host that then exits leaves no card unlocked behind; a
  // request still at its PIN dialog then is abandoned and never takes the card.
  static std::shared_ptr<Identify> create(std::shared_ptr<ViewController> viewController,
                                          double httpConnectionTimeOut, Platform platform = Platform());
  Identify(Passkey, std::shared_ptr<ViewController> viewController, double httpConnectionTimeOut,
           Platform platform);
  Identify(const Identify&) = delete;
  Identify& operator=(const Identify&) = delete;

  const std::shared_ptr<ViewController>& viewController() const { return viewController_; }
  double httpConnectionTimeOut() const { return httpConnectionTimeOut_; }
  const Platform& platform() const { return *platform_; }

  // ---- PIN store --------------------------------------------------------------------------------

  // The PIN store: one entry per slot, absent when not preset.
  PinDictionary pinDic() const;
  // Presets (or, with an absent value, clears) the PIN of a slot for the next request.
  void setPin(SetPinKey key, std::optional<std::string> pin);
  // Clears every preset PIN.
  void clearPinDic();
  // The signing PIN kept from an earlier signature for the next signing request.
  std::optional<std::string> pinForSigner() const;
  // The last refused PIN: its slot and the tries left (absent count: refused before the card saw
  // it). Absent until a PIN has been refused.
  std::optional<FailedPinDictionary> failedPinDic() const;

  // The reader of the current request of this type, if the facade still holds it.
  template <class Reader>
  std::shared_ptr<Reader> reader() const;
  // Whether the facade holds any reader.
  bool hasReader() const;

  // ---- Back channel (IdentifyDelegate) ------------------------------------------------------------

  // Drops every reader, clears the held signing PIN and the PIN store, then keeps `pin` as the
  // held signing PIN.
  void didGetPin(const std::string& pin) override;
  // Drops every reader.
  void didClearInstance() override;
  // Replaces the record of the last refused PIN with this one.
  void didGetFailedPin(SetPinKey setPinKey, std::optional<int> pinRemainNum) override;

  // ---- Requests -----------------------------------------------------------------------------------
  // Requests without a hash name use "SHA-256"; the forms with `appId` have the data verified by the
  // verification server before it is delivered.

  void auth(std::shared_ptr<AuthSignatureDataGeneratorDelegate> delegate, std::optional<std::string> tbsData,
            std::optional<std::string> hashAlgorithm, const InputPinDialogDisplaySettingGroup& inputPinDialogDisplaySettingGroup,
            const NFCDialogMessageSettingGroup& nfcDialogMessageSettingGroup);

  void signFourInfoConsentRevokeApply(std::shared_ptr<FourInfoConsentRevokeApplySignatureDataGeneratorDelegate> delegate,
                                      std::string serviceId, std::string serviceProviderId,
                                      const InputPinDialogDisplaySettingGroup& inputPinDialogDisplaySettingGroup,
                                      const NFCDialogMessageSettingGroup& nfcDialogMessageSettingGroup);

  void signAndGetBasicPersonalInfo(std::shared_ptr<SignatureDataAndBasicPersonalInfoGeneratorDelegate> delegate,
                                   std::optional<std::string> tbsData, std::optional<std::string> hashAlgorithm,
                                   bool includeBasicPersonalInfo,
                                   const InputPinDialogDisplaySettingGroup& inputPinDialogDisplaySettingGroup,
                                   const NFCDialogMessageSettingGroup& nfcDialogMessageSettingGroup);

  void getMyNumber(std::shared_ptr<MyNumberInfoReaderDelegate> delegate,
                   const InputPinDialogDisplaySettingGroup& inputPinDialogDisplaySettingGroup,
                   const NFCDialogMessageSettingGroup& nfcDialogMessageSettingGroup);
  void getMyNumber(std::shared_ptr<MyNumberInfoReaderDelegate> delegate, std::optional<std::string> appId,
                   const InputPinDialogDisplaySettingGroup& inputPinDialogDisplaySettingGroup,
                   const NFCDialogMessageSettingGroup& nfcDialogMessageSettingGroup);

  void getCardPrintInfo(std::shared_ptr<CardPrintInfoReaderDelegate> delegate,
                        const InputPinDialogDisplaySettingGroup& inputPinDialogDisplaySettingGroup,
                        const NFCDialogMessageSettingGroup& nfcDialogMessageSettingGroup);
  void getCardPrintInfo(std::shared_ptr<CardPrintInfoReaderDelegate> delegate, std::optional<std::string> appId,
                        const InputPinDialogDisplaySettingGroup& inputPinDialogDisplaySettingGroup,
                        const NFCDialogMessageSettingGroup& nfcDialogMessageSettingGroup);

  void getCardPrintInfoAndGetMyNumber(std::shared_ptr<CardPrintInfoAndMyNumberInfoReaderDelegate> delegate,
                                      const InputPinDialogDisplaySettingGroup& inputPinDialogDisplaySettingGroup,
                                      const NFCDialogMessageSettingGroup& nfcDialogMessageSettingGroup);
  void getCardPrintInfoAndGetMyNumber(std::shared_ptr<CardPrintInfoAndMyNumberInfoReaderDelegate> delegate,
                                      std::optional<std::string> appId,
                                      const InputPinDialogDisplaySettingGroup& inputPinDialogDisplaySettingGroup,
                                      const NFCDialogMessageSettingGroup& nfcDialogMessageSettingGroup);

  void getPromptedPii(std::shared_ptr<PromptedPiiReaderDelegate> delegate,
                      const InputPinDialogDisplaySettingGroup& inputPinDialogDisplaySettingGroup,
                      const NFCDialogMessageSettingGroup& nfcDialogMessageSettingGroup);
  void getPromptedPii(std::shared_ptr<PromptedPiiReaderDelegate> delegate, std::optional<std::string> appId,
                      const InputPinDialogDisplaySettingGroup& inputPinDialogDisplaySettingGroup,
                      const NFCDialogMessageSettingGroup& nfcDialogMessageSettingGroup);

  void getDriverLicense(std::shared_ptr<DriverLicenseInfoReaderDelegate> delegate,
                        const InputPinDialogDisplaySettingGroup& inputPinDialogDisplaySettingGroup,
                        const NFCDialogMessageSettingGroup& nfcDialogMessageSettingGroup);
  void getDriverLicense(std::shared_ptr<DriverLicenseInfoReaderDelegate> delegate, std::optional<std::string> appId,
                        const InputPinDialogDisplaySettingGroup& inputPinDialogDisplaySettingGroup,
                        const NFCDialogMessageSettingGroup& nfcDialogMessageSettingGroup);

  // Sign-and-read: the signing PIN (MYNUMBERCARD_SIGNER_PIN) and the second PIN
  // (MYNUMBERCARD_MYNUMBER_PIN, or MYNUMBERCARD_PROMPTED_PII_PIN for the input-support data) are taken
  // from the PIN store as they are, absent when not preset; the reader checks them and asks for
  // missing ones.
  void signAndGetMyNumber(std::shared_ptr<SignatureDataAndMyNumberInfoReaderDelegate> delegate,
                          std::optional<std::string> tbsData, std::optional<std::string> hashAlgorithm,
                          const InputPinDialogDisplaySettingGroup& inputPinDialogDisplaySettingGroup,
                          const NFCDialogMessageSettingGroup& nfcDialogMessageSettingGroup);
  void signAndGetMyNumber(std::shared_ptr<SignatureDataAndMyNumberInfoReaderDelegate> delegate,
                          std::optional<std::string> appId, std::optional<std::string> tbsData,
                          std::optional<std::string> hashAlgorithm,
                          const InputPinDialogDisplaySettingGroup& inputPinDialogDisplaySettingGroup,
                          const NFCDialogMessageSettingGroup& nfcDialogMessageSettingGroup);

  void signAndGetBasicPersonalInfoAndGetMyNumber(
      std::shared_ptr<SignatureDataAndBasicPersonalInfoAndMyNumberInfoReaderDelegate> delegate,
      std::optional<std::string> tbsData, std::optional<std::string> hashAlgorithm, bool includeBasicPersonalInfo,
      const InputPinDialogDisplaySettingGroup& inputPinDialogDisplaySettingGroup,
      const NFCDialogMessageSettingGroup& nfcDialogMessageSettingGroup);
  void signAndGetBasicPersonalInfoAndGetMyNumber(
      std::shared_ptr<SignatureDataAndBasicPersonalInfoAndMyNumberInfoReaderDelegate> delegate,
      std::optional<std::string> appId, std::optional<std::string> tbsData, std::optional<std::string> hashAlgorithm,
      bool includeBasicPersonalInfo, const InputPinDialogDisplaySettingGroup& inputPinDialogDisplaySettingGroup,
      const NFCDialogMessageSettingGroup& nfcDialogMessageSettingGroup);

  void signAndGetBasicPersonalInfoAndGetPromptedPii(
      std::shared_ptr<SignatureDataAndBasicPersonalInfoAndPromptedPiiReaderDelegate> delegate,
      std::optional<std::string> tbsData, std::optional<std::string> hashAlgorithm, bool includeBasicPersonalInfo,
      const InputPinDialogDisplaySettingGroup& inputPinDialogDisplaySettingGroup,
      const NFCDialogMessageSettingGroup& nfcDialogMessageSettingGroup);
  void signAndGetBasicPersonalInfoAndGetPromptedPii(
      std::shared_ptr<SignatureDataAndBasicPersonalInfoAndPromptedPiiReaderDelegate> delegate,
      std::optional<std::string> appId, std::optional<std::string> tbsData, std::optional<std::string> hashAlgorithm,
      bool includeBasicPersonalInfo, const InputPinDialogDisplaySettingGroup& inputPinDialogDisplaySettingGroup,
      const NFCDialogMessageSettingGroup& nfcDialogMessageSettingGroup);

  // The residence card; its card number is the PIN slot RESIDENCECARD_PIN.
  void getResidenceCard(std::shared_ptr<ResidenceCardInfoReaderDelegate> delegate,
                        const InputPinDialogDisplaySettingGroup& inputPinDialogDisplaySettingGroup,
                        const NFCDialogMessageSettingGroup& nfcDialogMessageSettingGroup);
  void getResidenceCard(std::shared_ptr<ResidenceCardInfoReaderDelegate> delegate, std::optional<std::string> appId,
                        const InputPinDialogDisplaySettingGroup& inputPinDialogDisplaySettingGroup,
                        const NFCDialogMessageSettingGroup& nfcDialogMessageSettingGroup);

  // ---- The shared runner (see the note at the top) -------------------------------------------------

  // ---- Licence data on the Individual Number Card -------------------------------------------
  // The preset PINs of MYNA_DRIVERLICENSE_PIN (and MYNUMBERCARD_CARDPRINTINFO_PIN,
  // MYNUMBERCARD_SIGNER_PIN) go to the reader unchecked; the reader applies the PIN rules.
  void getMynaDriverLicense(std::shared_ptr<MynaDriverLicenseReaderDelegate> delegate,
                            const InputPinDialogDisplaySettingGroup& inputPinDialogDisplaySettingGroup,
                            const NFCDialogMessageSettingGroup& nfcDialogMessageSettingGroup);
  void getMynaDriverLicense(std::shared_ptr<MynaDriverLicenseReaderDelegate> delegate, std::optional<std::string> appId,
                            const InputPinDialogDisplaySettingGroup& inputPinDialogDisplaySettingGroup,
                            const NFCDialogMessageSettingGroup& nfcDialogMessageSettingGroup);
  void getCardPrintInfoAndGetMynaDriverLicense(std::shared_ptr<CardPrintInfoAndMynaDriverLicenseReaderDelegate> delegate,
                                               const InputPinDialogDisplaySettingGroup& inputPinDialogDisplaySettingGroup,
                                               const NFCDialogMessageSettingGroup& nfcDialogMessageSettingGroup);
  void getCardPrintInfoAndGetMynaDriverLicense(std::shared_ptr<CardPrintInfoAndMynaDriverLicenseReaderDelegate> delegate,
                                               std::optional<std::string> appId,
                                               const InputPinDialogDisplaySettingGroup& inputPinDialogDisplaySettingGroup,
                                               const NFCDialogMessageSettingGroup& nfcDialogMessageSettingGroup);
  // hashAlgorithm absent: "SHA-256".
  void signAndGetBasicPersonalInfoAndGetMynaDriverLicense(
      std::shared_ptr<SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseReaderDelegate> delegate,
      std::optional<std::string> tbsData, std::optional<std::string> hashAlgorithm, bool includeBasicPersonalInfo,
      const InputPinDialogDisplaySettingGroup& inputPinDialogDisplaySettingGroup,
      const NFCDialogMessageSettingGroup& nfcDialogMessageSettingGroup);
  void signAndGetBasicPersonalInfoAndGetMynaDriverLicense(
      std::shared_ptr<SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseReaderDelegate> delegate,
      std::optional<std::string> appId, std::optional<std::string> tbsData, std::optional<std::string> hashAlgorithm,
      bool includeBasicPersonalInfo, const InputPinDialogDisplaySettingGroup& inputPinDialogDisplaySettingGroup,
      const NFCDialogMessageSettingGroup& nfcDialogMessageSettingGroup);

  template <class Reader, class Delegate, class Record, class Error, class Entry>
  void runRequest(std::shared_ptr<std::type_identity_t<Delegate>> delegate,
                  void (Delegate::*deliver)(const std::expected<Record, Error>&),
                  const InputPinDialogDisplaySettingGroup& inputPinDialogDisplaySettingGroup,
                  const NFCDialogMessageSettingGroup& nfcDialogMessageSettingGroup, Entry&& entry);

  // For the requests that take the signing PIN in the facade: a preset MYNUMBERCARD_SIGNER_PIN is
  // the held signing PIN and must pass Utility.validatePin (a refusal is reported through
  // didGetFailedPin with no count, and its code 12002, 12007 or 12008 is returned for the facade
  // to deliver); without one, the PIN kept from an earlier signature; else the empty text.
  std::expected<std::string, int> heldSignerPin(const RequestPins& pins);

 private:
  // The two forms of the sign-and-read requests with the basic items; `verified` picks the entry.
  void signAndGetBasicPersonalInfoAndGetMyNumber(
      std::shared_ptr<SignatureDataAndBasicPersonalInfoAndMyNumberInfoReaderDelegate> delegate,
      std::optional<std::string> appId, std::optional<std::string> tbsData, std::optional<std::string> hashAlgorithm,
      bool includeBasicPersonalInfo, const InputPinDialogDisplaySettingGroup& inputPinDialogDisplaySettingGroup,
      const NFCDialogMessageSettingGroup& nfcDialogMessageSettingGroup, bool verified);
  void signAndGetBasicPersonalInfoAndGetPromptedPii(
      std::shared_ptr<SignatureDataAndBasicPersonalInfoAndPromptedPiiReaderDelegate> delegate,
      std::optional<std::string> appId, std::optional<std::string> tbsData, std::optional<std::string> hashAlgorithm,
      bool includeBasicPersonalInfo, const InputPinDialogDisplaySettingGroup& inputPinDialogDisplaySettingGroup,
      const NFCDialogMessageSettingGroup& nfcDialogMessageSettingGroup, bool verified);
  // Drops every reader reference; the readers are released after the lock.
  void dropReaders();
  // Tells the current request that the facade no longer serves it (outside the lock); a session it
  // began runs on to its end.
  void abandonRequest();
  // Waits (at most the platform's releaseWait) until the sessions this facade's requests began
  // have reset the card and let it go: the host's last handle going. Sessions of other facades on
  // the same card reader are not waited for.
  void awaitCardRelease() const;
  // The request is over (the back channel's last call): a host waiting in its run loop for that
  // checks again.
  void wakeHost() const;
  // Whether the platform can read NFC tags.
  bool nfcReadingAvailable() const;
  // The context every reader of a request is built with.
  ReaderContext readerContext(const InputPinDialogDisplaySettingGroup& inputPinDialogDisplaySettingGroup,
                              const NFCDialogMessageSettingGroup& nfcDialogMessageSettingGroup);
  // A request's start, as one step under the lock: takes the PIN store's entries and the held
  // signing PIN (leaving the store empty and the held PIN cleared), makes `request` the current
  // request and `reader` (by its type; null: none) the only reader held. Then, outside the lock,
  // abandons the request it replaced, ending a session that request began.
  RequestPins startRequest(std::type_index type, std::shared_ptr<void> reader,
                           const std::shared_ptr<AbandonableRequest>& request);

  const std::shared_ptr<ViewController> viewController_;
  const double httpConnectionTimeOut_;
  const std::shared_ptr<const Platform> platform_;
  // The sessions this facade's requests began.
  const std::shared_ptr<SessionLedger> sessionLedger_;

  mutable std::mutex mutex_;
  PinDictionary pinDic_;
  std::optional<std::string> pinForSigner_;
  std::optional<FailedPinDictionary> failedPinDic_;
  std::map<std::type_index, std::shared_ptr<void>> readers_;
  // The last request started; its own end (didGetPin) does not clear it, a late end of an older
  // one must not either.
  std::weak_ptr<AbandonableRequest> current_;
};

template <class Reader>
std::shared_ptr<Reader> Identify::reader() const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = readers_.find(std::type_index(typeid(Reader)));
  return found == readers_.end() ? nullptr : std::static_pointer_cast<Reader>(found->second);
}

template <class Reader, class Delegate, class Record, class Error, class Entry>
void Identify::runRequest(std::shared_ptr<std::type_identity_t<Delegate>> delegate,
                          void (Delegate::*deliver)(const std::expected<Record, Error>&),
                          const InputPinDialogDisplaySettingGroup& inputPinDialogDisplaySettingGroup,
                          const NFCDialogMessageSettingGroup& nfcDialogMessageSettingGroup, Entry&& entry) {
  static_assert(Error::hasCode(11001), "a request's error enumeration needs notNfcTagReadAvailable");
  using EntryResult = std::invoke_result_t<Entry&, Reader&, const RequestPins&>;
  static_assert(std::is_void_v<EntryResult> || std::is_same_v<EntryResult, std::optional<Error>>,
                "an entry returns void or std::optional<Error>");

  // One step against every other start on this facade: the PINs the host set are taken, the new
  // reader becomes the current request and the only one held, and the request it replaces is
  // abandoned (one at its dialog ends with 12101 and never takes the card; one whose session has
  // begun has it ended, and the card reset before the next session gets it).
  // The facade outlives this call even when host code run from it (a presenter, a delegate) lets
  // go of the host's last handle.
  const auto keepAlive = shared_from_this();
  std::shared_ptr<Reader> reader;
  if (nfcReadingAvailable()) {
    reader = std::make_shared<Reader>(delegate, readerContext(inputPinDialogDisplaySettingGroup,
                                                              nfcDialogMessageSettingGroup));
  }
  const RequestPins pins = startRequest(std::type_index(typeid(Reader)), reader, reader);
  if (!reader) {
    deliverToHost(delegate, [&](Delegate& host) { (host.*deliver)(std::unexpected(Error::notNfcTagReadAvailable())); });
    return;
  }
  // Replaced before its entry ran (another start came in between): it ends as abandoned, and
  // neither its PINs nor anything else of it is checked or reported to this facade.
  if (reader->endIfAbandoned()) return;
  if constexpr (std::is_void_v<EntryResult>) {
    entry(*reader, pins);
  } else {
    if (auto failure = entry(*reader, pins)) {
      deliverToHost(delegate, [&](Delegate& host) { (host.*deliver)(std::unexpected(std::move(*failure))); });
    }
  }
}

}  // namespace ekyc

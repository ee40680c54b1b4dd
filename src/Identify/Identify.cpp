#include "Identify/Identify.hpp"

#include <vector>

#include "Auth/AuthSignatureDataGenerator.hpp"
#include "CardPrintInfo/CardPrintInfoReader.hpp"
#include "CardPrintInfoAndMyNumberInfo/CardPrintInfoAndMyNumberInfoReader.hpp"
#include "CardPrintInfoAndMynaDriverLicense/CardPrintInfoAndMynaDriverLicenseReader.hpp"
#include "DriverLicense/DriverLicenseInfoReader.hpp"
#include "FourInfoConsentRevokeApply/FourInfoConsentRevokeApplySignatureDataGenerator.hpp"
#include "MyNumber/MyNumberInfoReader.hpp"
#include "MynaDriverLicense/MynaDriverLicenseReader.hpp"
#include "Platform/CardReader.hpp"
#include "Platform/NFCTagReaderSession.hpp"
#include "ResidenceCard/ResidenceCardInfoReader.hpp"
#include "PromptedPii/PromptedPiiReader.hpp"
#include "SignatureDataAndBasicPersonalInfo/SignatureDataAndBasicPersonalInfoGenerator.hpp"
#include "SignatureDataAndBasicPersonalInfoAndMynaDriverLicense/SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseReader.hpp"
#include "SignatureDataAndBasicPersonalInfoAndMyNumberInfo/SignatureDataAndBasicPersonalInfoAndMyNumberInfoReader.hpp"
#include "SignatureDataAndBasicPersonalInfoAndPromptedPii/SignatureDataAndBasicPersonalInfoAndPromptedPiiReader.hpp"
#include "SignatureDataAndMyNumberInfo/SignatureDataAndMyNumberInfoReader.hpp"
#include "Utility/Const.hpp"
#include "Utility/Utility.hpp"

namespace ekyc {

namespace {

Identify::PinDictionary emptyPinDictionary() {
  Identify::PinDictionary pins;
  for (const auto key : allSetPinKeys()) pins.emplace(key, std::nullopt);
  return pins;
}

}  // namespace

std::optional<std::string> Identify::RequestPins::pin(SetPinKey key) const {
  const auto found = pinDic.find(key);
  return found == pinDic.end() ? std::nullopt : found->second;
}

std::shared_ptr<Identify> Identify::create(std::shared_ptr<ViewController> viewController,
                                           double httpConnectionTimeOut, Platform platform) {
  auto facade =
      std::make_shared<Identify>(Passkey{}, std::move(viewController), httpConnectionTimeOut, std::move(platform));
  Identify* const shared = facade.get();
  // The host's handles are counted apart from the library's own references (a reader's back
  // channel holds the facade while it calls): when the host lets go of its last handle, that call
  // returns once the card has been reset and let go, whichever thread the library is on then.
  return std::shared_ptr<Identify>(shared, [facade = std::move(facade)](Identify*) mutable {
    facade->abandonRequest();
    facade->awaitCardRelease();
    facade.reset();
  });
}

void Identify::awaitCardRelease() const {
  if (platform_->cardReader) platform_->cardReader->waitUntilReleased(platform_->releaseWait, sessionLedger_->sessions());
}

Identify::Identify(Passkey, std::shared_ptr<ViewController> viewController, double httpConnectionTimeOut,
                   Platform platform)
    : viewController_(std::move(viewController)),
      httpConnectionTimeOut_(httpConnectionTimeOut),
      platform_(std::make_shared<const Platform>(std::move(platform))),
      sessionLedger_(std::make_shared<SessionLedger>()),
      pinDic_(emptyPinDictionary()) {}

// ---- PIN store -------------------------------------------------------------------------------------

Identify::PinDictionary Identify::pinDic() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return pinDic_;
}

void Identify::setPin(SetPinKey key, std::optional<std::string> pin) {
  std::lock_guard<std::mutex> lock(mutex_);
  pinDic_[key] = std::move(pin);
}

void Identify::clearPinDic() {
  std::lock_guard<std::mutex> lock(mutex_);
  pinDic_ = emptyPinDictionary();
}

std::optional<std::string> Identify::pinForSigner() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return pinForSigner_;
}

std::optional<Identify::FailedPinDictionary> Identify::failedPinDic() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return failedPinDic_;
}

bool Identify::hasReader() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return !readers_.empty();
}

// ---- Back channel ------------------------------------------------------------------------------------

void Identify::didGetPin(const std::string& pin) {
  std::map<std::type_index, std::shared_ptr<void>> dropped;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    dropped.swap(readers_);
    pinForSigner_.reset();
    pinDic_ = emptyPinDictionary();
    pinForSigner_ = pin;
  }
  wakeHost();
}

void Identify::didClearInstance() {
  dropReaders();
  wakeHost();
}

void Identify::wakeHost() const {
  if (viewController_ && viewController_->runLoop()) viewController_->runLoop()->wake();
}

void Identify::didGetFailedPin(SetPinKey setPinKey, std::optional<int> pinRemainNum) {
  std::lock_guard<std::mutex> lock(mutex_);
  failedPinDic_ = FailedPinDictionary{{setPinKey, pinRemainNum}};
}

// ---- Runner support ------------------------------------------------------------------------------------

void Identify::dropReaders() {
  std::map<std::type_index, std::shared_ptr<void>> dropped;
  std::lock_guard<std::mutex> lock(mutex_);
  dropped.swap(readers_);
  // `dropped` is destroyed after the lock is released (declared first).
}

void Identify::abandonRequest() {
  std::shared_ptr<AbandonableRequest> request;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    request = std::exchange(current_, {}).lock();
  }
  if (request) request->abandon(false);
}

bool Identify::nfcReadingAvailable() const { return NFCTagReaderSession::readingAvailable(*platform_); }

ReaderContext Identify::readerContext(const InputPinDialogDisplaySettingGroup& inputPinDialogDisplaySettingGroup,
                                      const NFCDialogMessageSettingGroup& nfcDialogMessageSettingGroup) {
  ReaderContext context;
  context.uIViewController = viewController_;
  context.inputPinDialogDisplaySettingGroup = inputPinDialogDisplaySettingGroup;
  context.nfcDialogMessageSettingGroup = nfcDialogMessageSettingGroup;
  context.idetifyDelegate = std::static_pointer_cast<IdentifyDelegate>(shared_from_this());
  context.httpConnectionTimeOut = httpConnectionTimeOut_;
  context.platform = platform_;
  context.sessionLedger = sessionLedger_;
  return context;
}

Identify::RequestPins Identify::startRequest(std::type_index type, std::shared_ptr<void> reader,
                                             const std::shared_ptr<AbandonableRequest>& request) {
  std::map<std::type_index, std::shared_ptr<void>> dropped;
  std::shared_ptr<AbandonableRequest> previous;
  RequestPins pins;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    pins = RequestPins{std::exchange(pinDic_, emptyPinDictionary()), std::exchange(pinForSigner_, std::nullopt)};
    previous = std::exchange(current_, request).lock();
    dropped.swap(readers_);
    if (reader) readers_.emplace(type, std::move(reader));
  }
  // Outside the lock: the previous request may take its dialog down (the host's view controller)
  // or deliver its end (the host's delegate), and the dropped readers may go with it.
  if (previous) previous->abandon(true);
  return pins;
}

std::expected<std::string, int> Identify::heldSignerPin(const RequestPins& pins) {
  if (const auto preset = pins.pin(SetPinKey::MYNUMBERCARD_SIGNER_PIN)) {
    const int check = Utility().validatePin(SetPinKey::MYNUMBERCARD_SIGNER_PIN, *preset);
    if (check != 0) {
      didGetFailedPin(SetPinKey::MYNUMBERCARD_SIGNER_PIN, std::nullopt);
      return std::unexpected(check);
    }
    return *preset;
  }
  return pins.pinForSigner.value_or(std::string());
}

// ---- Requests ------------------------------------------------------------------------------------------
// Each request is one runRequest call (see Identify.hpp). They are added with their readers, each in
// its own section below.

// -- auth: AuthSignatureDataGenerator

void Identify::auth(std::shared_ptr<AuthSignatureDataGeneratorDelegate> delegate, std::optional<std::string> tbsData,
                    std::optional<std::string> hashAlgorithm,
                    const InputPinDialogDisplaySettingGroup& inputPinDialogDisplaySettingGroup,
                    const NFCDialogMessageSettingGroup& nfcDialogMessageSettingGroup) {
  runRequest<AuthSignatureDataGenerator>(
      delegate, &AuthSignatureDataGeneratorDelegate::didAuth, inputPinDialogDisplaySettingGroup,
      nfcDialogMessageSettingGroup, [&](AuthSignatureDataGenerator& generator, const RequestPins& pins) {
        generator.auth(tbsData, hashAlgorithm.value_or(Const().SHA256), pins.pin(SetPinKey::MYNUMBERCARD_USERCERT_PIN));
      });
}

// -- signFourInfoConsentRevokeApply: FourInfoConsentRevokeApplySignatureDataGenerator

void Identify::signFourInfoConsentRevokeApply(
    std::shared_ptr<FourInfoConsentRevokeApplySignatureDataGeneratorDelegate> delegate, std::string serviceId,
    std::string serviceProviderId, const InputPinDialogDisplaySettingGroup& inputPinDialogDisplaySettingGroup,
    const NFCDialogMessageSettingGroup& nfcDialogMessageSettingGroup) {
  using Generator = FourInfoConsentRevokeApplySignatureDataGenerator;
  runRequest<Generator>(delegate, &FourInfoConsentRevokeApplySignatureDataGeneratorDelegate::didSignFourInfoConsentRevokeApply,
                        inputPinDialogDisplaySettingGroup, nfcDialogMessageSettingGroup,
                        [&](Generator& generator, const RequestPins& pins) -> std::optional<SignatureDataError> {
                          if (serviceId.empty()) return SignatureDataError::notSetServiceId();
                          if (serviceProviderId.empty()) return SignatureDataError::notSetServiceProviderId();
                          const auto pin = heldSignerPin(pins);
                          if (!pin) return SignatureDataError::fromCode(pin.error());
                          generator.signFourInfoConsentRevokeApply(serviceId, serviceProviderId, Const().SHA256, *pin);
                          return std::nullopt;
                        });
}

// -- signAndGetBasicPersonalInfo: SignatureDataAndBasicPersonalInfoGenerator

void Identify::signAndGetBasicPersonalInfo(std::shared_ptr<SignatureDataAndBasicPersonalInfoGeneratorDelegate> delegate,
                                           std::optional<std::string> tbsData, std::optional<std::string> hashAlgorithm,
                                           bool includeBasicPersonalInfo,
                                           const InputPinDialogDisplaySettingGroup& inputPinDialogDisplaySettingGroup,
                                           const NFCDialogMessageSettingGroup& nfcDialogMessageSettingGroup) {
  using Generator = SignatureDataAndBasicPersonalInfoGenerator;
  using Error = SignatureDataAndBasicPersonalInfoError;
  runRequest<Generator>(delegate, &SignatureDataAndBasicPersonalInfoGeneratorDelegate::didSignAndGetBasicPersonalInfo,
                        inputPinDialogDisplaySettingGroup, nfcDialogMessageSettingGroup,
                        [&](Generator& generator, const RequestPins& pins) -> std::optional<Error> {
                          const auto pin = heldSignerPin(pins);
                          if (!pin) return Error::fromCode(pin.error());
                          generator.signAndGetBasicPersonalInfo(tbsData, hashAlgorithm.value_or(Const().SHA256), *pin,
                                                                includeBasicPersonalInfo);
                          return std::nullopt;
                        });
}

// -- getMyNumber: MyNumberInfoReader

void Identify::getMyNumber(std::shared_ptr<MyNumberInfoReaderDelegate> delegate,
                           const InputPinDialogDisplaySettingGroup& pinTexts, const NFCDialogMessageSettingGroup& nfcTexts) {
  runRequest<MyNumberInfoReader>(delegate, &MyNumberInfoReaderDelegate::didGetMyNumberInfo, pinTexts, nfcTexts,
                                 [](MyNumberInfoReader& reader, const RequestPins& pins) {
                                   reader.fetchMyNumberCardInfo(pins.pin(SetPinKey::MYNUMBERCARD_MYNUMBER_PIN));
                                 });
}

void Identify::getMyNumber(std::shared_ptr<MyNumberInfoReaderDelegate> delegate, std::optional<std::string> appId,
                           const InputPinDialogDisplaySettingGroup& pinTexts, const NFCDialogMessageSettingGroup& nfcTexts) {
  runRequest<MyNumberInfoReader>(delegate, &MyNumberInfoReaderDelegate::didGetMyNumberInfo, pinTexts, nfcTexts,
                                 [&appId](MyNumberInfoReader& reader, const RequestPins& pins) {
                                   reader.fetchMyNumberCardInfo(pins.pin(SetPinKey::MYNUMBERCARD_MYNUMBER_PIN), appId);
                                 });
}

// -- getDriverLicense: DriverLicenseInfoReader

void Identify::getDriverLicense(std::shared_ptr<DriverLicenseInfoReaderDelegate> delegate,
                                const InputPinDialogDisplaySettingGroup& pinTexts,
                                const NFCDialogMessageSettingGroup& nfcTexts) {
  runRequest<DriverLicenseInfoReader>(delegate, &DriverLicenseInfoReaderDelegate::didGetDriverLicense, pinTexts,
                                      nfcTexts, [](DriverLicenseInfoReader& reader, const RequestPins& pins) {
                                        reader.fetchDriverLicense(pins.pin(SetPinKey::DRIVERLICENSE_PIN1),
                                                                  pins.pin(SetPinKey::DRIVERLICENSE_PIN2));
                                      });
}

void Identify::getDriverLicense(std::shared_ptr<DriverLicenseInfoReaderDelegate> delegate,
                                std::optional<std::string> appId, const InputPinDialogDisplaySettingGroup& pinTexts,
                                const NFCDialogMessageSettingGroup& nfcTexts) {
  runRequest<DriverLicenseInfoReader>(delegate, &DriverLicenseInfoReaderDelegate::didGetDriverLicense, pinTexts,
                                      nfcTexts, [&appId](DriverLicenseInfoReader& reader, const RequestPins& pins) {
                                        reader.fetchDriverLicense(appId, pins.pin(SetPinKey::DRIVERLICENSE_PIN1),
                                                                  pins.pin(SetPinKey::DRIVERLICENSE_PIN2));
                                      });
}

// -- getCardPrintInfo: CardPrintInfoReader

void Identify::getCardPrintInfo(std::shared_ptr<CardPrintInfoReaderDelegate> delegate,
                                const InputPinDialogDisplaySettingGroup& pinTexts,
                                const NFCDialogMessageSettingGroup& nfcTexts) {
  runRequest<CardPrintInfoReader>(delegate, &CardPrintInfoReaderDelegate::didGetCardPrintInfo, pinTexts, nfcTexts,
                                  [](CardPrintInfoReader& reader, const RequestPins& pins) {
                                    reader.fetchCardPrintInfo(pins.pin(SetPinKey::MYNUMBERCARD_CARDPRINTINFO_PIN));
                                  });
}

void Identify::getCardPrintInfo(std::shared_ptr<CardPrintInfoReaderDelegate> delegate, std::optional<std::string> appId,
                                const InputPinDialogDisplaySettingGroup& pinTexts,
                                const NFCDialogMessageSettingGroup& nfcTexts) {
  runRequest<CardPrintInfoReader>(
      delegate, &CardPrintInfoReaderDelegate::didGetCardPrintInfo, pinTexts, nfcTexts,
      [&appId](CardPrintInfoReader& reader, const RequestPins& pins) {
        reader.fetchCardPrintInfo(pins.pin(SetPinKey::MYNUMBERCARD_CARDPRINTINFO_PIN), appId);
      });
}

// -- getCardPrintInfoAndGetMyNumber: CardPrintInfoAndMyNumberInfoReader

void Identify::getCardPrintInfoAndGetMyNumber(std::shared_ptr<CardPrintInfoAndMyNumberInfoReaderDelegate> delegate,
                                              const InputPinDialogDisplaySettingGroup& pinTexts,
                                              const NFCDialogMessageSettingGroup& nfcTexts) {
  runRequest<CardPrintInfoAndMyNumberInfoReader>(
      delegate, &CardPrintInfoAndMyNumberInfoReaderDelegate::didGetCardPrintInfoAndGetMyNumber, pinTexts, nfcTexts,
      [](CardPrintInfoAndMyNumberInfoReader& reader, const RequestPins& pins) {
        reader.fetchCardPrintInfoAndMyNumberInfo(pins.pin(SetPinKey::MYNUMBERCARD_CARDPRINTINFO_PIN),
                                                 pins.pin(SetPinKey::MYNUMBERCARD_MYNUMBER_PIN));
      });
}

void Identify::getCardPrintInfoAndGetMyNumber(std::shared_ptr<CardPrintInfoAndMyNumberInfoReaderDelegate> delegate,
                                              std::optional<std::string> appId,
                                              const InputPinDialogDisplaySettingGroup& pinTexts,
                                              const NFCDialogMessageSettingGroup& nfcTexts) {
  runRequest<CardPrintInfoAndMyNumberInfoReader>(
      delegate, &CardPrintInfoAndMyNumberInfoReaderDelegate::didGetCardPrintInfoAndGetMyNumber, pinTexts, nfcTexts,
      [&appId](CardPrintInfoAndMyNumberInfoReader& reader, const RequestPins& pins) {
        reader.fetchCardPrintInfoAndMyNumberInfo(pins.pin(SetPinKey::MYNUMBERCARD_CARDPRINTINFO_PIN),
                                                 pins.pin(SetPinKey::MYNUMBERCARD_MYNUMBER_PIN), appId);
      });
}

// -- getPromptedPii: PromptedPiiReader

void Identify::getPromptedPii(std::shared_ptr<PromptedPiiReaderDelegate> delegate,
                              const InputPinDialogDisplaySettingGroup& pinTexts,
                              const NFCDialogMessageSettingGroup& nfcTexts) {
  runRequest<PromptedPiiReader>(delegate, &PromptedPiiReaderDelegate::didGetPromptedPii, pinTexts, nfcTexts,
                                [](PromptedPiiReader& reader, const RequestPins& pins) {
                                  reader.fetchPromptedPii(pins.pin(SetPinKey::MYNUMBERCARD_PROMPTED_PII_PIN));
                                });
}

void Identify::getPromptedPii(std::shared_ptr<PromptedPiiReaderDelegate> delegate, std::optional<std::string> appId,
                              const InputPinDialogDisplaySettingGroup& pinTexts,
                              const NFCDialogMessageSettingGroup& nfcTexts) {
  runRequest<PromptedPiiReader>(delegate, &PromptedPiiReaderDelegate::didGetPromptedPii, pinTexts, nfcTexts,
                                [&appId](PromptedPiiReader& reader, const RequestPins& pins) {
                                  reader.fetchPromptedPii(appId, pins.pin(SetPinKey::MYNUMBERCARD_PROMPTED_PII_PIN));
                                });
}

// -- getMynaDriverLicense: MynaDriverLicenseReader

void Identify::getMynaDriverLicense(std::shared_ptr<MynaDriverLicenseReaderDelegate> delegate,
                                    const InputPinDialogDisplaySettingGroup& pinTexts,
                                    const NFCDialogMessageSettingGroup& nfcTexts) {
  runRequest<MynaDriverLicenseReader>(delegate, &MynaDriverLicenseReaderDelegate::didGetMynaDriverLicense, pinTexts,
                                      nfcTexts, [](MynaDriverLicenseReader& reader, const RequestPins& pins) {
                                        reader.fetchMynaDriverLicense(pins.pin(SetPinKey::MYNA_DRIVERLICENSE_PIN));
                                      });
}

void Identify::getMynaDriverLicense(std::shared_ptr<MynaDriverLicenseReaderDelegate> delegate,
                                    std::optional<std::string> appId, const InputPinDialogDisplaySettingGroup& pinTexts,
                                    const NFCDialogMessageSettingGroup& nfcTexts) {
  runRequest<MynaDriverLicenseReader>(
      delegate, &MynaDriverLicenseReaderDelegate::didGetMynaDriverLicense, pinTexts, nfcTexts,
      [&appId](MynaDriverLicenseReader& reader, const RequestPins& pins) {
        reader.fetchMynaDriverLicense(appId, pins.pin(SetPinKey::MYNA_DRIVERLICENSE_PIN));
      });
}

// -- getCardPrintInfoAndGetMynaDriverLicense: CardPrintInfoAndMynaDriverLicenseReader

void Identify::getCardPrintInfoAndGetMynaDriverLicense(
    std::shared_ptr<CardPrintInfoAndMynaDriverLicenseReaderDelegate> delegate,
    const InputPinDialogDisplaySettingGroup& pinTexts, const NFCDialogMessageSettingGroup& nfcTexts) {
  runRequest<CardPrintInfoAndMynaDriverLicenseReader>(
      delegate, &CardPrintInfoAndMynaDriverLicenseReaderDelegate::didGetCardPrintInfoAndGetMynaDriverLicense, pinTexts,
      nfcTexts, [](CardPrintInfoAndMynaDriverLicenseReader& reader, const RequestPins& pins) {
        reader.fetchCardPrintInfoAndMynaDriverLicense(pins.pin(SetPinKey::MYNUMBERCARD_CARDPRINTINFO_PIN),
                                                      pins.pin(SetPinKey::MYNA_DRIVERLICENSE_PIN));
      });
}

void Identify::getCardPrintInfoAndGetMynaDriverLicense(
    std::shared_ptr<CardPrintInfoAndMynaDriverLicenseReaderDelegate> delegate, std::optional<std::string> appId,
    const InputPinDialogDisplaySettingGroup& pinTexts, const NFCDialogMessageSettingGroup& nfcTexts) {
  runRequest<CardPrintInfoAndMynaDriverLicenseReader>(
      delegate, &CardPrintInfoAndMynaDriverLicenseReaderDelegate::didGetCardPrintInfoAndGetMynaDriverLicense, pinTexts,
      nfcTexts, [&appId](CardPrintInfoAndMynaDriverLicenseReader& reader, const RequestPins& pins) {
        reader.fetchCardPrintInfoAndMynaDriverLicense(appId, pins.pin(SetPinKey::MYNUMBERCARD_CARDPRINTINFO_PIN),
                                                      pins.pin(SetPinKey::MYNA_DRIVERLICENSE_PIN));
      });
}

// -- signAndGetBasicPersonalInfoAndGetMynaDriverLicense:
//    SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseReader

void Identify::signAndGetBasicPersonalInfoAndGetMynaDriverLicense(
    std::shared_ptr<SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseReaderDelegate> delegate,
    std::optional<std::string> tbsData, std::optional<std::string> hashAlgorithm, bool includeBasicPersonalInfo,
    const InputPinDialogDisplaySettingGroup& pinTexts, const NFCDialogMessageSettingGroup& nfcTexts) {
  using Reader = SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseReader;
  runRequest<Reader>(
      delegate,
      &SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseReaderDelegate::didSignAndGetBasicPersonalInfoAndGetMynaDriverLicense,
      pinTexts, nfcTexts, [&](Reader& reader, const RequestPins& pins) {
        reader.signAndGetBasicPersonalInfoAndFetchMynaDriverLicense(
            tbsData, hashAlgorithm.value_or(Const().SHA256), pins.pin(SetPinKey::MYNUMBERCARD_SIGNER_PIN),
            pins.pin(SetPinKey::MYNA_DRIVERLICENSE_PIN), includeBasicPersonalInfo);
      });
}

void Identify::signAndGetBasicPersonalInfoAndGetMynaDriverLicense(
    std::shared_ptr<SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseReaderDelegate> delegate,
    std::optional<std::string> appId, std::optional<std::string> tbsData, std::optional<std::string> hashAlgorithm,
    bool includeBasicPersonalInfo, const InputPinDialogDisplaySettingGroup& pinTexts,
    const NFCDialogMessageSettingGroup& nfcTexts) {
  using Reader = SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseReader;
  runRequest<Reader>(
      delegate,
      &SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseReaderDelegate::didSignAndGetBasicPersonalInfoAndGetMynaDriverLicense,
      pinTexts, nfcTexts, [&](Reader& reader, const RequestPins& pins) {
        reader.signAndGetBasicPersonalInfoAndFetchMynaDriverLicense(
            tbsData, hashAlgorithm.value_or(Const().SHA256), appId, pins.pin(SetPinKey::MYNUMBERCARD_SIGNER_PIN),
            pins.pin(SetPinKey::MYNA_DRIVERLICENSE_PIN), includeBasicPersonalInfo);
      });
}

// -- signAndGetMyNumber: SignatureDataAndMyNumberInfoReader

void Identify::signAndGetMyNumber(std::shared_ptr<SignatureDataAndMyNumberInfoReaderDelegate> delegate,
                                  std::optional<std::string> tbsData, std::optional<std::string> hashAlgorithm,
                                  const InputPinDialogDisplaySettingGroup& pinTexts,
                                  const NFCDialogMessageSettingGroup& nfcTexts) {
  using Reader = SignatureDataAndMyNumberInfoReader;
  runRequest<Reader>(delegate, &SignatureDataAndMyNumberInfoReaderDelegate::didSignAndGetMyNumberInfo, pinTexts,
                     nfcTexts, [&](Reader& reader, const RequestPins& pins) {
                       reader.signAndFetchMyNumber(tbsData, hashAlgorithm.value_or(Const().SHA256),
                                                   pins.pin(SetPinKey::MYNUMBERCARD_SIGNER_PIN),
                                                   pins.pin(SetPinKey::MYNUMBERCARD_MYNUMBER_PIN));
                     });
}

void Identify::signAndGetMyNumber(std::shared_ptr<SignatureDataAndMyNumberInfoReaderDelegate> delegate,
                                  std::optional<std::string> appId, std::optional<std::string> tbsData,
                                  std::optional<std::string> hashAlgorithm,
                                  const InputPinDialogDisplaySettingGroup& pinTexts,
                                  const NFCDialogMessageSettingGroup& nfcTexts) {
  using Reader = SignatureDataAndMyNumberInfoReader;
  runRequest<Reader>(delegate, &SignatureDataAndMyNumberInfoReaderDelegate::didSignAndGetMyNumberInfo, pinTexts,
                     nfcTexts, [&](Reader& reader, const RequestPins& pins) {
                       reader.signAndFetchMyNumber(tbsData, hashAlgorithm.value_or(Const().SHA256),
                                                   pins.pin(SetPinKey::MYNUMBERCARD_SIGNER_PIN),
                                                   pins.pin(SetPinKey::MYNUMBERCARD_MYNUMBER_PIN), appId);
                     });
}

// -- signAndGetBasicPersonalInfoAndGetMyNumber: SignatureDataAndBasicPersonalInfoAndMyNumberInfoReader

void Identify::signAndGetBasicPersonalInfoAndGetMyNumber(
    std::shared_ptr<SignatureDataAndBasicPersonalInfoAndMyNumberInfoReaderDelegate> delegate,
    std::optional<std::string> tbsData, std::optional<std::string> hashAlgorithm, bool includeBasicPersonalInfo,
    const InputPinDialogDisplaySettingGroup& pinTexts, const NFCDialogMessageSettingGroup& nfcTexts) {
  signAndGetBasicPersonalInfoAndGetMyNumber(delegate, std::nullopt, tbsData, hashAlgorithm, includeBasicPersonalInfo,
                                            pinTexts, nfcTexts, false);
}

void Identify::signAndGetBasicPersonalInfoAndGetMyNumber(
    std::shared_ptr<SignatureDataAndBasicPersonalInfoAndMyNumberInfoReaderDelegate> delegate,
    std::optional<std::string> appId, std::optional<std::string> tbsData, std::optional<std::string> hashAlgorithm,
    bool includeBasicPersonalInfo, const InputPinDialogDisplaySettingGroup& pinTexts,
    const NFCDialogMessageSettingGroup& nfcTexts) {
  signAndGetBasicPersonalInfoAndGetMyNumber(delegate, appId, tbsData, hashAlgorithm, includeBasicPersonalInfo,
                                            pinTexts, nfcTexts, true);
}

void Identify::signAndGetBasicPersonalInfoAndGetMyNumber(
    std::shared_ptr<SignatureDataAndBasicPersonalInfoAndMyNumberInfoReaderDelegate> delegate,
    std::optional<std::string> appId, std::optional<std::string> tbsData, std::optional<std::string> hashAlgorithm,
    bool includeBasicPersonalInfo, const InputPinDialogDisplaySettingGroup& pinTexts,
    const NFCDialogMessageSettingGroup& nfcTexts, bool verified) {
  using Reader = SignatureDataAndBasicPersonalInfoAndMyNumberInfoReader;
  runRequest<Reader>(
      delegate, &SignatureDataAndBasicPersonalInfoAndMyNumberInfoReaderDelegate::didSignAndGetBasicPersonalInfoAndGetMyNumber,
      pinTexts, nfcTexts, [&](Reader& reader, const RequestPins& pins) {
        const auto hashName = hashAlgorithm.value_or(Const().SHA256);
        auto signerPin = pins.pin(SetPinKey::MYNUMBERCARD_SIGNER_PIN);
        auto numberPin = pins.pin(SetPinKey::MYNUMBERCARD_MYNUMBER_PIN);
        if (verified) {
          reader.signAndFetchMyNumberInfoAndFetchMyNumber(tbsData, hashName, signerPin, numberPin,
                                                          includeBasicPersonalInfo, appId);
        } else {
          reader.signAndFetchMyNumberInfoAndFetchMyNumber(tbsData, hashName, signerPin, numberPin,
                                                          includeBasicPersonalInfo);
        }
      });
}

// -- signAndGetBasicPersonalInfoAndGetPromptedPii: SignatureDataAndBasicPersonalInfoAndPromptedPiiReader

void Identify::signAndGetBasicPersonalInfoAndGetPromptedPii(
    std::shared_ptr<SignatureDataAndBasicPersonalInfoAndPromptedPiiReaderDelegate> delegate,
    std::optional<std::string> tbsData, std::optional<std::string> hashAlgorithm, bool includeBasicPersonalInfo,
    const InputPinDialogDisplaySettingGroup& pinTexts, const NFCDialogMessageSettingGroup& nfcTexts) {
  signAndGetBasicPersonalInfoAndGetPromptedPii(delegate, std::nullopt, tbsData, hashAlgorithm,
                                               includeBasicPersonalInfo, pinTexts, nfcTexts, false);
}

void Identify::signAndGetBasicPersonalInfoAndGetPromptedPii(
    std::shared_ptr<SignatureDataAndBasicPersonalInfoAndPromptedPiiReaderDelegate> delegate,
    std::optional<std::string> appId, std::optional<std::string> tbsData, std::optional<std::string> hashAlgorithm,
    bool includeBasicPersonalInfo, const InputPinDialogDisplaySettingGroup& pinTexts,
    const NFCDialogMessageSettingGroup& nfcTexts) {
  signAndGetBasicPersonalInfoAndGetPromptedPii(delegate, appId, tbsData, hashAlgorithm, includeBasicPersonalInfo,
                                               pinTexts, nfcTexts, true);
}

void Identify::signAndGetBasicPersonalInfoAndGetPromptedPii(
    std::shared_ptr<SignatureDataAndBasicPersonalInfoAndPromptedPiiReaderDelegate> delegate,
    std::optional<std::string> appId, std::optional<std::string> tbsData, std::optional<std::string> hashAlgorithm,
    bool includeBasicPersonalInfo, const InputPinDialogDisplaySettingGroup& pinTexts,
    const NFCDialogMessageSettingGroup& nfcTexts, bool verified) {
  using Reader = SignatureDataAndBasicPersonalInfoAndPromptedPiiReader;
  runRequest<Reader>(
      delegate,
      &SignatureDataAndBasicPersonalInfoAndPromptedPiiReaderDelegate::didSignAndGetBasicPersonalInfoAndGetPromptedPii,
      pinTexts, nfcTexts, [&](Reader& reader, const RequestPins& pins) {
        const auto hashName = hashAlgorithm.value_or(Const().SHA256);
        auto signerPin = pins.pin(SetPinKey::MYNUMBERCARD_SIGNER_PIN);
        auto supportPin = pins.pin(SetPinKey::MYNUMBERCARD_PROMPTED_PII_PIN);
        if (verified) {
          reader.signAndGetBasicPersonalInfoAndFetchPromptedPii(tbsData, hashName, signerPin, supportPin,
                                                                includeBasicPersonalInfo, appId);
        } else {
          reader.signAndGetBasicPersonalInfoAndFetchPromptedPii(tbsData, hashName, signerPin, supportPin,
                                                                includeBasicPersonalInfo);
        }
      });
}

// -- getResidenceCard: ResidenceCardInfoReader

void Identify::getResidenceCard(std::shared_ptr<ResidenceCardInfoReaderDelegate> delegate,
                                const InputPinDialogDisplaySettingGroup& pinTexts,
                                const NFCDialogMessageSettingGroup& nfcTexts) {
  runRequest<ResidenceCardInfoReader>(delegate, &ResidenceCardInfoReaderDelegate::didGetResidenceCard, pinTexts,
                                      nfcTexts, [](ResidenceCardInfoReader& reader, const RequestPins& pins) {
                                        reader.fetchResidenceCard(pins.pin(SetPinKey::RESIDENCECARD_PIN));
                                      });
}

void Identify::getResidenceCard(std::shared_ptr<ResidenceCardInfoReaderDelegate> delegate,
                                std::optional<std::string> appId, const InputPinDialogDisplaySettingGroup& pinTexts,
                                const NFCDialogMessageSettingGroup& nfcTexts) {
  runRequest<ResidenceCardInfoReader>(delegate, &ResidenceCardInfoReaderDelegate::didGetResidenceCard, pinTexts,
                                      nfcTexts, [&appId](ResidenceCardInfoReader& reader, const RequestPins& pins) {
                                        reader.fetchResidenceCard(pins.pin(SetPinKey::RESIDENCECARD_PIN), appId);
                                      });
}

}  // namespace ekyc

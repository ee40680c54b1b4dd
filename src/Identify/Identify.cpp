#include "Identify/Identify.hpp"

#include <vector>

#include "Platform/NFCTagReaderSession.hpp"
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
  return std::make_shared<Identify>(Passkey{}, std::move(viewController), httpConnectionTimeOut, std::move(platform));
}

Identify::Identify(Passkey, std::shared_ptr<ViewController> viewController, double httpConnectionTimeOut,
                   Platform platform)
    : viewController_(std::move(viewController)),
      httpConnectionTimeOut_(httpConnectionTimeOut),
      platform_(std::make_shared<const Platform>(std::move(platform))),
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
}

void Identify::didClearInstance() { dropReaders(); }

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
  return context;
}

void Identify::keepReader(std::type_index type, std::shared_ptr<void> reader) {
  std::shared_ptr<void> replaced;
  std::lock_guard<std::mutex> lock(mutex_);
  replaced = std::exchange(readers_[type], std::move(reader));
}

Identify::RequestPins Identify::takeRequestPins() {
  std::lock_guard<std::mutex> lock(mutex_);
  RequestPins pins{std::exchange(pinDic_, emptyPinDictionary()), std::exchange(pinForSigner_, std::nullopt)};
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

// -- signFourInfoConsentRevokeApply: FourInfoConsentRevokeApplySignatureDataGenerator

// -- signAndGetBasicPersonalInfo: SignatureDataAndBasicPersonalInfoGenerator

// -- getMyNumber: MyNumberInfoReader

// -- getCardPrintInfo: CardPrintInfoReader

// -- getCardPrintInfoAndGetMyNumber: CardPrintInfoAndMyNumberInfoReader

// -- getPromptedPii: PromptedPiiReader

// -- signAndGetMyNumber: SignatureDataAndMyNumberInfoReader

// -- signAndGetBasicPersonalInfoAndGetMyNumber: SignatureDataAndBasicPersonalInfoAndMyNumberInfoReader

// -- signAndGetBasicPersonalInfoAndGetPromptedPii: SignatureDataAndBasicPersonalInfoAndPromptedPiiReader

// -- getDriverLicense: DriverLicenseInfoReader

// -- getMynaDriverLicense: MynaDriverLicenseReader

// -- getCardPrintInfoAndGetMynaDriverLicense: CardPrintInfoAndMynaDriverLicenseReader

// -- signAndGetBasicPersonalInfoAndGetMynaDriverLicense: SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseReader

// -- getResidenceCard: ResidenceCardInfoReader

}  // namespace ekyc

#pragma once
// The frame of the JPKI signing generators, on the shared reader engine. What is its own: one PIN
// in the generator's slot (a dialog is needed when no PIN is preset), the PIN sent upper-cased, a
// chain whose every status check names that slot, the record delivered before the session ends
// with the PIN handed back, didGetPin("") after a failed answer, and a detection without tags
// ending the request with 99999.
//
// A generator states only what is its own: its PIN slot, its checks (between the PIN step and
// beginScan), its chain (a list of steps, each with the command and what to keep of the answer),
// its record and the PIN it hands back after success.
//
// What the card answers is held to what its format promises before a record is built: the
// certificate is one whole DER X.509 certificate (no "30" element at all: 99999; one that does not
// parse or does not span its length: 13999) with the 2048-bit RSA key whose 256-byte signature the
// chain asks for, and the signature is exactly that long; otherwise cardConnectionFailed (13999),
// then didGetPin("").
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Extension/Bytes.hpp"
#include "PKI/Certificate.hpp"
#include "PKI/DigestInfo.hpp"
#include "Platform/Base64.hpp"
#include "Reader/ReaderFrame.hpp"
#include "TLV/Ber.hpp"
#include "Utility/ConstApduCmd.hpp"
#include "Utility/ConstDataLength.hpp"

namespace ekyc {

template <class E>
class JpkiSigningFrame : public ReaderFrame<E> {
  using Base = ReaderFrame<E>;

 public:
  // One step of a command chain: the command (built when it is sent) and what to keep of the
  // answer once its status passed; `keep` returns a failure to end the request with.
  struct Step {
    std::function<NFCISO7816APDU()> command;
    std::function<std::optional<E>(const Bytes& data)> keep;
  };

  explicit JpkiSigningFrame(ReaderContext context) : Base(std::move(context)) {}

  // The sign-and-read frame signs with this frame's checks and certificate steps.
  template <class>
  friend class SignAndReadFrame;

  // The status check: true when the answer passes; otherwise reports a refused PIN, delivers the
  // failure and returns false.
  bool isApduSuccess(std::uint8_t sw1, std::uint8_t sw2) {
    if (auto failure = ReaderSupport::checkStatusWord<E>(sw1, sw2, pinKey(), this->idetifyDelegate)) {
      deliverFailure(*failure);
      return false;
    }
    return true;
  }

  // Ends the request from inside the session with 99999.
  void unwrapErrorProcess(NFCTagReaderSession& current) {
    // The end that follows reports nothing more.
    this->hasApduResponse = true;
    this->failBeforeSession(E::unknown());
    current.invalidate(this->nfcDialogMessageSettingGroup.nfcAlertErrorMessage);
  }

 protected:
  using Base::deliverFailure;

  // ---- What a generator states ----------------------------------------------------------------
  virtual SetPinKey pinKey() const = 0;
  // The chain, built when the card is connected; never empty.
  virtual std::vector<Step> chain() = 0;
  // Delivers the record after the last step.
  virtual void deliverSuccess() = 0;
  // The PIN handed back through didGetPin after success.
  virtual std::string pinHandedBack() const { return ""; }

  // ---- The frame's steps, called by the generators --------------------------------------------

  // The PIN step: a preset PIN is checked at once; without one the dialog asks. A PIN that passes
  // the slot's rule goes to `checked` (on the host thread); a refused or cancelled one ends the
  // request.
  void obtainPin(const std::optional<std::string>& preset, std::function<void(const std::string&)> checked) {
    if (!preset && this->uIViewController.expired()) {
      fail(E::unknown());
      return;
    }
    enteredPin_ = preset;
    this->obtainPins({{pinKey(), &enteredPin_, {}}}, [this, checked] { checked(*enteredPin_); });
  }

  // The PIN step, then the checks of the data to be signed (checkTbsData). On success the data,
  // its hash name, the DigestInfo the card is to sign and the PIN as the card sees it are kept in
  // the generator's fields, and the session begins.
  void signAfterPin(const std::optional<std::string>& preset, const std::optional<std::string>& tbsDataBase64String,
                    const std::string& hashName, std::optional<Bytes>& tbsDataBinary, std::string& hashAlgorithm,
                    std::optional<Bytes>& digestInfo, std::optional<std::string>& keptPin) {
    obtainPin(preset, [this, tbsDataBase64String, hashName, &tbsDataBinary, &hashAlgorithm, &digestInfo,
                       &keptPin](const std::string& pin) {
      Bytes decoded;
      if (auto failure = checkTbsData(tbsDataBase64String, hashName, decoded)) {
        fail(*failure);
        return;
      }
      tbsDataBinary = decoded;
      hashAlgorithm = hashName;
      digestInfo = DigestInfo(decoded, hashName).create();
      keptPin = upperCased(pin);
      beginScan(pin);
    });
  }

  // A failure before the session: delivered, then the back channel lets go.
  void fail(const E& error) { this->failBeforeSession(error); }

  // Upper-cases the PIN and begins the session.
  void beginScan(const std::string& pin) {
    pin_ = upperCased(pin);
    Base::beginScan();
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

  // The VERIFY of the PIN as the card sees it, built when it is sent.
  Step verifyStep() const {
    return Step{[this] { return ConstApduCmd().getVerifyAdpuCmd(toBytes(scanPin().value_or(""))); }, nullptr};
  }

  // The length asked of COMPUTE DIGITAL SIGNATURE: a signature of a 2048-bit key.
  static constexpr std::size_t SIGNATURE_LENGTH = 256;

  // The signature of `digestInfo` (read when the command is sent), kept in `into`; 13999 unless it
  // is as long as the signing key's modulus (SIGNATURE_LENGTH, which certificateFailure holds the
  // certificate's key to).
  static Step signStep(const std::optional<Bytes>& digestInfo, std::optional<Bytes>& into) {
    return Step{[&digestInfo] { return ConstApduCmd().getSignAdpuCmd(digestInfo.value_or(Bytes{}), SIGNATURE_LENGTH); },
                [&into](const Bytes& data) -> std::optional<E> {
                  into = data;
                  if (data.size() != SIGNATURE_LENGTH) return E::cardConnectionFailed();
                  return std::nullopt;
                }};
  }

  // The certificate of the selected certificate file, kept in `into`; 99999 when it holds none,
  // 13999 when it is not what the format promises (certificateFailure).
  static Step certificateStep(std::optional<Bytes>& into) {
    return Step{readCertificateCommand, [&into](const Bytes& data) -> std::optional<E> {
                  into = certificateElement(data);
                  if (!into) return E::unknown();
                  return certificateFailure(*into);
                }};
  }

  // 13999 unless the certificate element is one whole X.509 certificate (its DER parses and spans
  // the element) whose RSA key makes signatures of SIGNATURE_LENGTH bytes.
  static std::optional<E> certificateFailure(const Bytes& element) {
    if (Certificate::rsaModulusLength(element) != SIGNATURE_LENGTH) return E::cardConnectionFailed();
    return std::nullopt;
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
  // Every status check of the chain names the generator's PIN slot.
  std::vector<typename Base::ChainStep> chainSteps() override {
    std::vector<typename Base::ChainStep> steps;
    for (auto& step : chain()) steps.push_back({std::move(step.command), pinKey(), {}, std::move(step.keep)});
    return steps;
  }

  bool readyToSend() override {
    if (pin_) return true;
    unwrapErrorProcess(*this->session);
    return false;
  }

  void noTagDetected(NFCTagReaderSession& current) override {
    current.setAlertMessage(this->nfcDialogMessageSettingGroup.nfcAlertReadMessage);
    unwrapErrorProcess(current);
  }

  void chainFinished() override {
    deliverSuccess();
    ReaderSupport::didGetPin(this->idetifyDelegate, pinHandedBack());
    this->endWithSuccess();
  }

  void chainFailed() override {
    ReaderSupport::didGetPin(this->idetifyDelegate, "");
    this->endWithError();
  }

  std::optional<std::string> enteredPin_;
  std::optional<std::string> pin_;
};

}  // namespace ekyc

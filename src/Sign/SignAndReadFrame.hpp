#pragma once
// The frame of the sign-and-read readers: one tap that signs the host's data with the JPKI
// signature key and then reads the individual number or the input-support data. It stands on the
// card-surface frame (application-id check, the second PIN, its chains, didGetPin("") right after
// the first command, 13999 for a file that lacks what the request needs, the verification request)
// and takes the JPKI signing frame's checks of the data to sign and its certificate element.
// What is its own:
//   - two PINs: the signing PIN first (pin1 dialog texts), then the data to sign and its hash name
//     are checked, then the second PIN (pin2 dialog texts), then the session begins;
//   - the signing steps (the signing PIN upper-cased in its VERIFY), the signature step and the
//     certificate step, which with the basic items takes them out of the certificate (17000 names
//     the missing ones) and folds their hash into the data to sign on request;
//   - the last step of the two individual-number readers.
// A reader states its chain (in its order) and its record.
#include <functional>
#include <initializer_list>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "BasicPersonalInfo/BasicPersonalInfo.hpp"
#include "PKI/DigestInfo.hpp"
#include "Reader/CardSurfaceReaderFrame.hpp"
#include "Sign/JpkiSigningFrame.hpp"
#include "Sign/SignatureData.hpp"
#include "SignatureDataAndBasicPersonalInfo/SignatureDataAndBasicPersonalInfoGenerator.hpp"
#include "Utility/Const.hpp"
#include "Utility/ConstApduCmd.hpp"
#include "Utility/ConstResult.hpp"

namespace ekyc {

template <class E>
class SignAndReadFrame : public CardSurfaceReaderFrame<E> {
  using Base = CardSurfaceReaderFrame<E>;
  using Jpki = JpkiSigningFrame<E>;

 public:
  std::optional<SignatureData> signatureData;
  std::optional<Bytes> digestInfo;          // the DER DigestInfo the card signs
  std::optional<int> digestLength;          // its digest's length in bits
  std::optional<Bytes> signatureBinary;     // the card's signature
  std::optional<Bytes> certificateBinary;   // the whole DER signing certificate
  std::optional<Bytes> tbsDataBinary;       // the data signed (with the basic items folded in, on request)
  std::string hashAlgorithm = Const().SHA256;
  bool includeBasicPersonalInfo = false;
  std::optional<std::string> pin;           // the signing PIN (upper-cased when the card is reached)

 protected:
  using typename Base::PinSlot;
  using typename Base::Step;
  using Base::deliverFailure;

  explicit SignAndReadFrame(ReaderContext context) : Base(std::move(context)) {}

  // The entry: the signing PIN (slot MYNUMBERCARD_SIGNER_PIN, `signLabel` in front of its
  // messages), the data to sign and the hash name (12003, 12006, 12005), then the second PIN; then
  // the session begins. A PIN given by the host is checked when its turn comes, a missing one is
  // asked for with the dialog.
  void signAndRead(const std::optional<std::string>& tbsDataBase64String, const std::string& hashName,
                   std::optional<std::string> pinForSigner, const std::string& signLabel, PinSlot second) {
    pin = std::move(pinForSigner);
    PinSlot signing{SetPinKey::MYNUMBERCARD_SIGNER_PIN, &pin, signLabel,
                    [this, tbsDataBase64String, hashName]() -> std::optional<E> {
                      Bytes decoded;
                      if (auto failure = Jpki::checkTbsData(tbsDataBase64String, hashName, decoded)) return failure;
                      hashAlgorithm = hashName;
                      tbsDataBinary = std::move(decoded);
                      keepDigestInfo();
                      return std::nullopt;
                    }};
    Base::obtainPins({std::move(signing), std::move(second)});
  }

  // The parts of a chain, one after the other.
  static std::vector<Step> joined(std::initializer_list<std::vector<Step>> parts) {
    std::vector<Step> steps;
    for (const auto& part : parts) steps.insert(steps.end(), part.begin(), part.end());
    return steps;
  }

  // SELECT of the JPKI application and of the signing PIN file, and the VERIFY of the signing PIN,
  // upper-cased as the card compares it (`signLabel` in front of its messages).
  std::vector<Step> signingPinSteps(const std::string& signLabel) {
    const ConstApduCmd cmd;
    const SetPinKey key = SetPinKey::MYNUMBERCARD_SIGNER_PIN;
    if (pin) pin = Jpki::upperCased(*pin);
    return {
        Base::step(cmd.selectPublicCertAid, key),
        Base::step(cmd.selectEf1B, key),
        Step{[this] { return ConstApduCmd().getVerifyAdpuCmd(toBytes(pin.value_or(""))); }, key, signLabel, {}},
    };
  }

  // SELECT of the signing key and COMPUTE DIGITAL SIGNATURE of `digestInfo` (as it stands when the
  // command is sent), kept in signatureBinary.
  std::vector<Step> signatureSteps() {
    const SetPinKey key = SetPinKey::MYNUMBERCARD_SIGNER_PIN;
    auto sign = Jpki::signStep(digestInfo, signatureBinary);
    return {
        Base::step(ConstApduCmd().selectEf1A, key),
        Step{std::move(sign.command), key, {}, {},
             [this, keep = std::move(sign.keep)](const Bytes& data) -> std::optional<E> {
               if (keep) {
                 if (auto failure = keep(data)) return failure;
               }
               keepSignatureData();
               return std::nullopt;
             }},
    };
  }

  // SELECT of the signing certificate file and its READ: the certificate element (13999 without
  // one, or when it is not the whole X.509 certificate of the signing key). With `basicItems`, the
  // basic items of the certificate go there (17000 with the mask and the labels of the missing
  // ones; 13999 for an empty date of birth) and, with includeBasicPersonalInfo, the data to sign
  // becomes the digest of the data followed by the items' hash.
  std::vector<Step> certificateSteps(std::optional<BasicPersonalInfo>* basicItems) {
    const SetPinKey key = SetPinKey::MYNUMBERCARD_SIGNER_PIN;
    return {
        Base::step(ConstApduCmd().selectEf01, key),
        Step{Jpki::readCertificateCommand, key, {}, {},
             [this, basicItems](const Bytes& data) -> std::optional<E> {
               certificateBinary = Jpki::certificateElement(data);
               if (!certificateBinary) return E::cardConnectionFailed();
               if (auto failure = Jpki::certificateFailure(*certificateBinary)) return failure;
               if (basicItems) {
                 if (auto failure = keepBasicPersonalInfo(data, *basicItems)) return failure;
               }
               keepSignatureData();
               return std::nullopt;
             }},
    };
  }

  // The last step of the individual-number readers (after myNumberSteps): the verifying
  // parameters; with an application id the request "23" while the session is open (a refusal ends
  // it with the error text); then the success text, the individual-number record and `deliver`.
  template <class Reader>
  void finishMyNumber(Reader& r, const std::function<void()>& deliver) {
    Base::keepMyNumberVerifyingParams(r);
    if (this->appId) {
      std::clog << "Send Request" << std::endl;
      if (!r.request(Const().REQ_TYPE_MYNUMBER_ALL)) {
        this->endWithError();
        return;
      }
    }
    this->endWithSuccess();
    r.myNumberInfo = Base::myNumberInfoOf(r);
    deliver();
  }

  // The individual-number verification request of the two individual-number readers: "21", "22" or
  // "23" (18001 carries "個人番号情報"); another type delivers 99999 and sends nothing.
  template <class Reader>
  bool myNumberVerification(const Reader& r, const std::string& reqType) {
    const Const c;
    if (reqType != c.REQ_TYPE_MYNUMBER_ALL && reqType != c.REQ_TYPE_MYNUMBER_IMG &&
        reqType != c.REQ_TYPE_MYNUMBER_TEXT) {
      deliverFailure(E::unknown());
      return false;
    }
    return Base::myNumberRequest(r, reqType, c.MY_NUMBER_INFO);
  }

 private:
  void keepDigestInfo() {
    const DigestInfo info(tbsDataBinary.value_or(Bytes{}), hashAlgorithm);
    digestInfo = info.create();
    digestLength = info.getDigestBitLength();
  }

  // The signature record, once both the signature and the certificate are in.
  void keepSignatureData() {
    if (!signatureBinary || !certificateBinary) return;
    signatureData = SignatureData(signatureBinary, certificateBinary, tbsDataBinary,
                                  Utility().getHashAlgorithm(hashAlgorithm));
  }

  std::optional<E> keepBasicPersonalInfo(const Bytes& certificateFile, std::optional<BasicPersonalInfo>& into) {
    using Generator = SignatureDataAndBasicPersonalInfoGenerator;
    auto info = Generator::readBasicPersonalInfo(certificateFile);
    if (!info) {
      const auto& error = info.error();
      if (!error.intErrFlag) return E::cardConnectionFailed();
      // The labels of the missing items with "、" only between two of them (the plain signing
      // request puts one before every label but the name's).
      if (auto missing = E::fromCode(error.errorCode, ReaderSupport::missingBasicItems(*error.intErrFlag))) return missing;
      return E::cardConnectionFailed();
    }
    if (includeBasicPersonalInfo) {
      auto folded = tbsDataBinary ? Generator::foldBasicPersonalInfo(*tbsDataBinary, hashAlgorithm, *info) : std::nullopt;
      if (!folded) return E::cardConnectionFailed();
      tbsDataBinary = std::move(folded);
    }
    keepDigestInfo();
    into = std::move(*info);
    return std::nullopt;
  }
};

}  // namespace ekyc

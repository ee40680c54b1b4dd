#pragma once
// Reads a residence card in one NFC session, on the shared reader engine. The card number (12
// letters and digits, the PIN slot RESIDENCECARD_PIN, preset or typed in the PIN dialog) keys the
// secure messaging (ResidenceCardSecureMessaging) under which the front image and the photo are
// read; the other files are read in plain:
//
//   1  SELECT DF1               2  SELECT MF
//   3  READ SFI 0B common data (C0)              4  READ SFI 0A card type (C1, a decimal number)
//   5  GET CHALLENGE            6  MUTUAL AUTHENTICATE (card's MAC and challenges checked)
//   7  protected VERIFY of the card number       8  SELECT DF1
//   9  protected READ SFI 05 front image (D0)   10  protected READ SFI 06 photo (D1)
//   11 SELECT DF2               12 READ SFI 01 address (D2 D3 D4)
//   13-15 (card type 1 only) READ SFI 02, 03, 04: permissions (D5, D6) and update status (D7)
//   16 SELECT DF3               17 READ SFI 02 signatures (DA check code, DB certificate)
//
// Then: all-zero values become absent; the info type (0 signatures, 1 no photo and no signatures,
// 2 photo without signatures); a card carrying the toolkit's fixed test signatures is refused
// (18002); with an application id, a card with signatures has the check code verified by the
// server (card type "residencecard", request type "11") before the record is delivered.
//
// What the card sends is checked where it is used: a card type that is not a number, a protected
// answer too short for its file (7004 / 3004 bytes) or not of whole cipher blocks, a front image /
// photo element running past its file or longer than 7000 / 3000 bytes (a shorter one is kept; a
// file without it leaves the value absent; the raw file is kept either way), a signatures file
// without both elements of their widths (or with only one of them zero) each end the request with
// cardConnectionFailed (13999). The status 6300 on any command is the card refusing the number
// (13800). The card number never reaches a log.
#include <memory>
#include <optional>
#include <string>

#include "Error/ResidenceCardError.hpp"
#include "Reader/ReaderFrame.hpp"
#include "ResidenceCard/ResidenceCard.hpp"
#include "ResidenceCard/ResidenceCardInfoReaderDelegate.hpp"
#include "ResidenceCard/ResidenceCardSecureMessaging.hpp"

namespace ekyc {

class ResidenceCardInfoReader : public ReaderFrame<ResidenceCardError> {
 public:
  std::shared_ptr<ResidenceCardInfoReaderDelegate> delegate;
  std::optional<double> httpConnectionTimeOut;
  std::optional<std::string> pinResidenceCard;
  std::optional<Bytes> commonData;
  std::optional<Bytes> cardType;
  std::optional<Bytes> cardEntries;
  std::optional<Bytes> photo;
  std::optional<Bytes> cardEntriesSrc;
  std::optional<Bytes> photoSrc;
  std::optional<ResidenceCardAddresses> RCAddresses;
  std::optional<Bytes> date, code, address;
  std::optional<Bytes> comprehensivePermission;
  std::optional<Bytes> individualPermission;
  std::optional<Bytes> updateStatus;
  bool updateStatusBool = false;
  std::int64_t infoType = 0;
  std::optional<ResidenceCardSignatures> RCSignatures;
  std::optional<Bytes> signature;  // the certificate (DB), as the field has always been named
  std::optional<Bytes> checkCode;  // DA
  std::optional<std::string> appId;

  ResidenceCardInfoReader(std::shared_ptr<ResidenceCardInfoReaderDelegate> delegate, ReaderContext context);

  // The request with verification: an absent or empty id gives notSetAppId (14001).
  void fetchResidenceCard(std::optional<std::string> pinResidenceCard, std::optional<std::string> appId);
  // The request without verification.
  void fetchResidenceCard(std::optional<std::string> pinResidenceCard);

  // The verification request; true when the server said the data is valid, otherwise the failure
  // has been delivered (18001 without sending when a text is absent).
  bool request(const std::optional<std::string>& signature, const std::optional<std::string>& verifyingParams,
               const std::optional<std::string>& hashData);


 protected:
  std::vector<ChainStep> chainSteps() override;
  void deliverFailure(const ResidenceCardError& error) override;
  void chainStarted() override;
  void chainFinished() override;
  bool tagRefused(const std::optional<NFCError>& error) override;

 private:
  std::optional<ResidenceCardError> keepCardType(const Bytes& data);
  std::optional<ResidenceCardError> authenticate(const Bytes& challenge);
  std::optional<ResidenceCardError> acceptCard(const Bytes& answer);
  std::optional<ResidenceCardError> keepProtectedFile(const Bytes& answer, bool frontImage);
  std::optional<ResidenceCardError> keepSignatures(const Bytes& data);
  ResidenceCard record() const;
  void succeed();
  void fail(const ResidenceCardError& error);

  ResidenceCardSecureMessaging sm_;
  std::optional<NFCISO7816APDU> mutualAuthenticate_;
  std::optional<NFCISO7816APDU> verify_;
  std::int64_t cardTypeNumber_ = 0;
  Bytes rawCheckCode_;
  Bytes rawCertificate_;
};

}  // namespace ekyc

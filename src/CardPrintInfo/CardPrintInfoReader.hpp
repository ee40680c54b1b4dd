#pragma once
// Reads the card surface in one NFC session with the 14-digit card-surface PIN: the card-surface
// application (PIN at EF 0012, surface data EF 0002, certificate EF 0004), then the input-support
// application (the same PIN at EF 0015, basic items EF 0002, hashes and signature EF 0003,
// certificate EF 0004), and delivers a CardPrintInfo. With an application id both sides are
// verified first (request type "13") while the session stays open, and the record is delivered
// after the session has ended; without one it is delivered before the session ends.
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "CardPrintInfo/CardPrintInfo.hpp"
#include "CardPrintInfo/CardPrintInfoReaderDelegate.hpp"
#include "Error/CardPrintInfoError.hpp"
#include "Reader/CardSurfaceReaderFrame.hpp"

namespace ekyc {

class CardPrintInfoReader : public CardSurfaceReaderFrame<CardPrintInfoError> {
 public:
  std::shared_ptr<CardPrintInfoReaderDelegate> delegate;
  std::optional<std::string> pinCardPrintInfo;
  std::optional<CardPrintInfo> cardPrintInfo;                     // the record, once built
  std::optional<std::map<std::string, Bytes>> dicCardPrintInfo;     // cs EF 0002 values
  std::optional<std::map<std::string, Bytes>> dicBasicPersonalInfo; // sup EF 0002 values
  std::optional<Bytes> cardPrintInfoSignature;          // DF28 of cs EF 0002
  std::optional<Bytes> supportSignature;                // DF33 of sup EF 0003
  std::optional<Bytes> cardPrintInfoVerifySrc;          // the 96 bytes of three digests
  std::optional<Bytes> responseCardPrintInfoVerifySrc;  // whole DF22..DF27 of cs EF 0002
  std::optional<Bytes> cardPrintInfoVerifySrcFst;       // SHA-256 of DF22 DF23 DF24
  std::optional<Bytes> cardPrintInfoVerifySrcSec;       // SHA-256 of DF25 DF26
  std::optional<Bytes> cardPrintInfoVerifySrcTrd;       // SHA-256 of DF27
  std::optional<Bytes> supportVerifySrc;                // whole DF22..DF25 of sup EF 0002
  std::optional<Bytes> cardPrintInfoVerifyingParams;
  std::optional<Bytes> supportVerifyingParams;
  std::optional<Bytes> certCardPrintInfo;               // 7F21 value of cs EF 0004
  std::optional<Bytes> certSupport;                     // 7F21 value of sup EF 0004
  std::optional<Bytes> hashMyNumberInfo;                // DF31 of sup EF 0003

  CardPrintInfoReader(std::shared_ptr<CardPrintInfoReaderDelegate> delegate, ReaderContext context);

  void fetchCardPrintInfo(std::optional<std::string> pinCardPrintInfo, std::optional<std::string> appId);
  void fetchCardPrintInfo(std::optional<std::string> pinCardPrintInfo);

  // The verification request of type "11" (card surface), "12" (basic items) or "13" (both).
  bool request(const std::string& reqType);

 protected:
  std::vector<Step> chain() override;
  void finish() override;
  void deliverFailure(const CardPrintInfoError& error) override;

 private:
  void buildRecord();
};

}  // namespace ekyc

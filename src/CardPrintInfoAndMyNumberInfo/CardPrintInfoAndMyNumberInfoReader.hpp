#pragma once
// Reads the card surface and the individual number in one NFC session with two PINs, the 14-digit
// card-surface PIN and the 12-digit individual-number PIN, each presented in both applications:
// card surface (EF 0012, EF 0013; files EF 0002, EF 0004, EF 0005), then input support (EF 0014,
// EF 0015; files EF 0001, EF 0002, EF 0003, EF 0004). It delivers both records together. With an
// application id the card surface is verified (request type "13") and only then the individual
// number ("23"), while the session stays open. PIN and verification messages carry the label of
// the record concerned ("券面事項情報" or "個人番号情報").
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "CardPrintInfoAndMyNumberInfo/CardPrintInfoAndMyNumberInfo.hpp"
#include "CardPrintInfoAndMyNumberInfo/CardPrintInfoAndMyNumberInfoReaderDelegate.hpp"
#include "Error/CardPrintInfoAndMyNumberInfoError.hpp"
#include "Reader/CardSurfaceReaderFrame.hpp"

namespace ekyc {

class CardPrintInfoAndMyNumberInfoReader : public CardSurfaceReaderFrame<CardPrintInfoAndMyNumberInfoError> {
 public:
  std::shared_ptr<CardPrintInfoAndMyNumberInfoReaderDelegate> delegate;
  std::optional<std::string> pinCardPrintInfo;
  std::optional<std::string> pinMyNumber;
  std::optional<CardPrintInfo> cardPrintInfo;
  std::optional<MyNumberInfo> myNumberInfo;
  std::optional<Bytes> myNumberImage;                                // DF41 of cs EF 0005
  std::optional<std::map<std::string, Bytes>> myNumber;              // sup EF 0001 parsed
  std::optional<std::map<std::string, Bytes>> dicCardPrintInfo;      // cs EF 0002 values
  std::optional<std::map<std::string, Bytes>> dicBasicPersonalInfo;  // sup EF 0002 values
  std::optional<Bytes> cardPrintInfoSignature;          // DF28 of cs EF 0002
  std::optional<Bytes> myNumberInfoSignature;           // DF43 of cs EF 0005
  std::optional<Bytes> supportSignature;                // DF33 of sup EF 0003
  std::optional<Bytes> cardPrintInfoVerifySrc;          // the 96 bytes of three digests
  std::optional<Bytes> myNumberInfoVerifySrc;           // whole DF41 then whole DF42
  std::optional<Bytes> responseCardPrintInfoVerifySrc;  // whole DF22..DF27 of cs EF 0002
  std::optional<Bytes> cardPrintInfoVerifySrcFst;
  std::optional<Bytes> cardPrintInfoVerifySrcSec;
  std::optional<Bytes> cardPrintInfoVerifySrcTrd;
  std::optional<Bytes> supportVerifySrc;                // whole DF22..DF25 of sup EF 0002
  std::optional<Bytes> supportMyNumberInfoVerifySrc;    // sup EF 0001 as read
  std::optional<Bytes> cardPrintInfoVerifyingParams;
  std::optional<Bytes> supportVerifyingParams;
  std::optional<Bytes> myNumberInfoVerifyingParams;
  std::optional<Bytes> supportMyNumberInfoVerifyingParams;
  std::optional<Bytes> certCardPrintInfo;               // 7F21 value of cs EF 0004
  std::optional<Bytes> certSupport;                     // 7F21 value of sup EF 0004
  std::optional<Bytes> hashMyNumberInfo;                // DF31 of sup EF 0003
  std::optional<Bytes> hashPersonalInfo;                // DF32 of sup EF 0003

  CardPrintInfoAndMyNumberInfoReader(std::shared_ptr<CardPrintInfoAndMyNumberInfoReaderDelegate> delegate,
                                     ReaderContext context);

  void fetchCardPrintInfoAndMyNumberInfo(std::optional<std::string> pinCardPrintInfo,
                                         std::optional<std::string> pinMyNumber, std::optional<std::string> appId);
  void fetchCardPrintInfoAndMyNumberInfo(std::optional<std::string> pinCardPrintInfo,
                                         std::optional<std::string> pinMyNumber);

  // The card-surface verification ("13", "11", "12") and the individual-number verification
  // ("23", "21", "22"). True when the server answered valid.
  bool requestCardPrintInfo(const std::string& reqType);
  bool requestMyNumberInfo(const std::string& reqType);

 protected:
  std::vector<Step> chain() override;
  void finish() override;
  void deliverFailure(const CardPrintInfoAndMyNumberInfoError& error) override;

 private:
  void buildRecords();
};

}  // namespace ekyc

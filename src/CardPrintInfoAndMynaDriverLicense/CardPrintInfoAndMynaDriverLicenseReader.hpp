#pragma once
// Reads, in one NFC session, the card surface (card-surface and input-support applications with the
// 14-digit card-surface PIN) and then the licence data (the 4-digit licence-data PIN), and delivers
// both in one CardPrintInfoAndMynaDriverLicense. With an application id the card surface is
// verified first (request type "13") while the session is open, and only a valid answer lets the
// licence data be read; the licence data is verified ("43") after the session has ended with the
// success text. PIN messages carry the label of the data set concerned ("券面事項情報" or
// "免許情報記録個人番号カード情報"). A tag that is not ISO 7816 is refused at once (13999).
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "CardPrintInfoAndMynaDriverLicense/CardPrintInfoAndMynaDriverLicense.hpp"
#include "CardPrintInfoAndMynaDriverLicense/CardPrintInfoAndMynaDriverLicenseReaderDelegate.hpp"
#include "Error/CardPrintInfoAndMynaDriverLicenseError.hpp"
#include "MynaDriverLicense/MynaDriverLicenseStep.hpp"
#include "Reader/CardSurfaceReaderFrame.hpp"

namespace ekyc {

class CardPrintInfoAndMynaDriverLicenseReader : public CardSurfaceReaderFrame<CardPrintInfoAndMynaDriverLicenseError> {
 public:
  std::shared_ptr<CardPrintInfoAndMynaDriverLicenseReaderDelegate> delegate;
  std::optional<std::string> pinCardPrintInfo;
  std::optional<std::string> pinMynaDL;
  std::optional<std::map<std::string, Bytes>> dicCardPrintInfo;      // cs EF 0002 values
  std::optional<std::map<std::string, Bytes>> dicBasicPersonalInfo;  // sup EF 0002 values
  std::optional<Bytes> cardPrintInfoSignature;          // DF28 of cs EF 0002
  std::optional<Bytes> supportSignature;                // DF33 of sup EF 0003
  std::optional<Bytes> cardPrintInfoVerifySrc;          // the 96 bytes of three digests
  std::optional<Bytes> responseCardPrintInfoVerifySrc;  // whole DF22..DF27 of cs EF 0002
  std::optional<Bytes> cardPrintInfoVerifySrcFst;
  std::optional<Bytes> cardPrintInfoVerifySrcSec;
  std::optional<Bytes> cardPrintInfoVerifySrcTrd;
  std::optional<Bytes> supportVerifySrc;                // whole DF22..DF25 of sup EF 0002
  std::optional<Bytes> certCardPrintInfo;               // 7F21 value of cs EF 0004
  std::optional<Bytes> certSupport;                     // 7F21 value of sup EF 0004
  std::optional<Bytes> hashMyNumberInfo;                // DF31 of sup EF 0003

  CardPrintInfoAndMynaDriverLicenseReader(std::shared_ptr<CardPrintInfoAndMynaDriverLicenseReaderDelegate> delegate,
                                          ReaderContext context);

  void fetchCardPrintInfoAndMynaDriverLicense(std::optional<std::string> appId,
                                              std::optional<std::string> pinCardPrintInfo,
                                              std::optional<std::string> pinMynaDL);
  void fetchCardPrintInfoAndMynaDriverLicense(std::optional<std::string> pinCardPrintInfo,
                                              std::optional<std::string> pinMynaDL);

  // The card-surface verification of both sides of `cardPrintInfo` (request type "13"): true when
  // the server answered valid, else the failure has been delivered (18001 before any traffic when
  // the record lacks a side's signature or certificate; an empty one is sent).
  bool requestCardPrintInfo(const std::string& reqType, const CardPrintInfo& cardPrintInfo);

 protected:
  std::vector<Step> chain() override;
  void finish() override;
  void deliverFailure(const CardPrintInfoAndMynaDriverLicenseError& error) override;
  bool tagRefused(const std::optional<NFCError>& error) override { return refuseTag(error); }

 private:
  MynaDriverLicenseStep licence_;
  bool failed_ = false;
};

}  // namespace ekyc

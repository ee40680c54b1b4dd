#pragma once
// Reads the individual number in one NFC session, over the card-surface application (the
// individual-number PIN at EF 0013, the certificate EF 0004, the number image EF 0005) and the
// input-support application (the same PIN at EF 0014, the number EF 0001, the hashes and signature
// EF 0003, the certificate EF 0004), and delivers a MyNumberInfo. With an application id the data
// is verified first (request type "23") while the session stays open.
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "Error/MyNumberInfoError.hpp"
#include "MyNumber/MyNumberInfo.hpp"
#include "MyNumber/MyNumberInfoReaderDelegate.hpp"
#include "Reader/CardSurfaceReaderFrame.hpp"

namespace ekyc {

class MyNumberInfoReader : public CardSurfaceReaderFrame<MyNumberInfoError> {
 public:
  std::shared_ptr<MyNumberInfoReaderDelegate> delegate;
  std::optional<std::string> pinMyNumber;
  std::optional<Bytes> myNumberImage;                      // DF41 of cs EF 0005
  std::optional<std::map<std::string, Bytes>> myNumber;    // sup EF 0001 parsed ("FF10")
  std::optional<Bytes> cardPrintInfoSignature;             // DF43 of cs EF 0005
  std::optional<Bytes> supportSignature;                   // DF33 of sup EF 0003
  std::optional<Bytes> cardPrintInfoVerifySrc;             // whole DF41 then whole DF42
  std::optional<Bytes> supportVerifySrc;                   // sup EF 0001 as read
  std::optional<Bytes> cardPrintInfoVerifyingParams;
  std::optional<Bytes> supportVerifyingParams;
  std::optional<Bytes> certCardPrintInfo;                  // 7F21 value of cs EF 0004
  std::optional<Bytes> certSupport;                        // 7F21 value of sup EF 0004
  std::optional<Bytes> hashPersonalInfo;                   // DF32 of sup EF 0003

  MyNumberInfoReader(std::shared_ptr<MyNumberInfoReaderDelegate> delegate, ReaderContext context);

  // The request with verification: an absent or empty id gives notSetAppId (14001).
  void fetchMyNumberCardInfo(std::optional<std::string> pinMyNumber, std::optional<std::string> appId);
  // The request without verification.
  void fetchMyNumberCardInfo(std::optional<std::string> pinMyNumber);

  // The verification request of type "21" (image side), "22" (number side) or "23" (both). True
  // when the server answered valid; otherwise the failure has been delivered (nothing for an
  // unknown type).
  bool request(const std::string& reqType);

 protected:
  std::vector<Step> chain() override;
  void finish() override;
  void deliverFailure(const MyNumberInfoError& error) override;
};

}  // namespace ekyc

#pragma once
// The fields in which a reader of the individual number keeps what its chain reads over the
// card-surface and input-support applications (CardSurfaceReaderFrame::myNumberSteps), the
// verifying parameters built from them and the record made of them. The sign-and-read readers
// carry them under these names.
#include <map>
#include <optional>
#include <string>

#include "Extension/Bytes.hpp"
#include "MyNumber/MyNumberInfo.hpp"

namespace ekyc {

struct MyNumberInfoSources {
  std::optional<std::string> pinMyNumber;                // the 12-digit PIN, sent to EF 0013 and EF 0014
  std::optional<Bytes> myNumberImage;                    // DF41 of card-surface EF 0005
  std::optional<std::map<std::string, Bytes>> myNumber;  // input-support EF 0001 parsed ("FF10")
  std::optional<Bytes> cardPrintInfoSignature;           // DF43 of card-surface EF 0005
  std::optional<Bytes> supportSignature;                 // DF33 of input-support EF 0003
  std::optional<Bytes> cardPrintInfoVerifySrc;           // whole DF41 then whole DF42
  std::optional<Bytes> supportVerifySrc;                 // input-support EF 0001 as read
  std::optional<Bytes> cardPrintInfoVerifyingParams;
  std::optional<Bytes> supportVerifyingParams;
  std::optional<Bytes> certCardPrintInfo;                // 7F21 value of card-surface EF 0004
  std::optional<Bytes> certSupport;                      // 7F21 value of input-support EF 0004
  std::optional<Bytes> hashPersonalInfo;                 // DF32 of input-support EF 0003
  std::optional<MyNumberInfo> myNumberInfo;              // built in the last step
};

}  // namespace ekyc

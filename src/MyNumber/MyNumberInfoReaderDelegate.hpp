#pragma once
// The host's result protocol for the individual-number reader.
#include <expected>

namespace ekyc {

class MyNumberInfo;
class MyNumberInfoError;

class MyNumberInfoReaderDelegate {
 public:
  virtual ~MyNumberInfoReaderDelegate() = default;

  // Called once per request: success with the record, or failure with a case of the request's
  // error enumeration. Runs on the host thread for failures met before the NFC session began,
  // on the session's queue afterwards.
  virtual void didGetMyNumberInfo(const std::expected<MyNumberInfo, MyNumberInfoError>& result) = 0;
};

}  // namespace ekyc

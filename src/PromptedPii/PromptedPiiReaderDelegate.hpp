#pragma once
// The host's result protocol for the input-support data reader.
#include <expected>

namespace ekyc {

class PromptedPii;
class PromptedPiiError;

class PromptedPiiReaderDelegate {
 public:
  virtual ~PromptedPiiReaderDelegate() = default;

  // Called once per request: success with the record, or failure with a case of the request's
  // error enumeration. Runs on the host thread for failures met before the NFC session began,
  // on the session's queue afterwards.
  virtual void didGetPromptedPii(const std::expected<PromptedPii, PromptedPiiError>& result) = 0;
};

}  // namespace ekyc

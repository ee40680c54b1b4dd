#pragma once
// The four texts of the NFC sheet, given by the host with each request.
#include <string>

namespace ekyc {

struct NFCDialogMessageSettingGroup {
  std::string nfcAlertInitialMessage;  // when the session begins
  std::string nfcAlertReadMessage;     // when a tag is detected
  std::string nfcAlertSuccesMessage;   // before the session ends after success
  std::string nfcAlertErrorMessage;    // the error text a failed session ends with

  bool operator==(const NFCDialogMessageSettingGroup&) const = default;
};

}  // namespace ekyc

#pragma once
// The eight texts of the PIN dialog, given by the host with each request. The pin1 texts serve the
// single or first PIN of a request, the pin2 texts the second; both use the two action titles.
#include <string>

namespace ekyc {

struct InputPinDialogDisplaySettingGroup {
  std::string pin1DialogTitle;
  std::string pin2DialogTitle;
  std::string pin1DialogMessage;
  std::string pin2DialogMessage;
  std::string pin1DialogPlaceholder;
  std::string pin2DialogPlaceholder;
  std::string dialogActionTitleOK;
  std::string dialogActionTitleCancel;

  bool operator==(const InputPinDialogDisplaySettingGroup&) const = default;
};

}  // namespace ekyc

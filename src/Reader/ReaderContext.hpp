#pragma once
// What the facade hands every reader beside the host's result delegate. Readers are constructed
// as `Reader(std::shared_ptr<ReaderDelegate> delegate, ReaderContext context)`; the field names are
// the readers' own property names.
#include <memory>
#include <optional>

#include "CoreNFC/IdentifyDelegate.hpp"
#include "Platform/Platform.hpp"
#include "Reader/SessionLedger.hpp"
#include "UI/InputPinDialogDisplaySettingGroup.hpp"
#include "UI/NFCDialogMessageSettingGroup.hpp"
#include "UI/ViewController.hpp"

namespace ekyc {

struct ReaderContext {
  // The host's view controller, on which PIN dialogs are shown.
  std::shared_ptr<ViewController> uIViewController;
  InputPinDialogDisplaySettingGroup inputPinDialogDisplaySettingGroup;
  NFCDialogMessageSettingGroup nfcDialogMessageSettingGroup;
  // The facade's back channel; a call to an expired one is skipped.
  std::weak_ptr<IdentifyDelegate> idetifyDelegate;
  // The HTTPS time-out in seconds for the verification request.
  std::optional<double> httpConnectionTimeOut;
  // NFC reader, clock, random source, verification endpoint and its TLS trust.
  std::shared_ptr<const Platform> platform;
  // Where the reader records the NFC session it creates: the facade's, so that letting go of it
  // waits for that session; may be null.
  std::shared_ptr<SessionLedger> sessionLedger;
};

}  // namespace ekyc

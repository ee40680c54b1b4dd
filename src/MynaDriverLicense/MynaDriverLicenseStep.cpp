#include "MynaDriverLicense/MynaDriverLicenseStep.hpp"

#include "Utility/ConstApduCmd.hpp"
#include "Utility/ConstDataLength.hpp"

namespace ekyc {

std::vector<MynaDriverLicenseStep::Command> MynaDriverLicenseStep::commands(const std::optional<std::string>& pin) {
  const ConstApduCmd cmd;
  const ConstDataLength length;
  const auto fixed = [](NFCISO7816APDU command) { return [command] { return command; }; };
  return {
      {fixed(cmd.selectMynaDriverLicenceInstanceAid), {}},
      {fixed(cmd.selectMynaDriverLicenceIEF), {}},
      {[&pin] { return ConstApduCmd().getVerifyAdpuCmd(toBytes(pin.value_or(""))); }, {}},
      {fixed(cmd.selectMynaDriverLicenceWEF02), {}},
      {fixed(cmd.getReadAdpuCmd(length.MYNA_DRIVER_LICENCE_ENTRY)), [this](const Bytes& data) { entries_ = data; }},
      {fixed(cmd.selectMynaDriverLicenceWEF03), {}},
      {fixed(cmd.getReadAdpuCmd(length.MYNA_DRIVER_LICENCE_SIGNATURE)),
       [this](const Bytes& data) { signature_ = data; }},
  };
}

}  // namespace ekyc

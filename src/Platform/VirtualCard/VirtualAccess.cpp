#include "Platform/VirtualCard/VirtualAccess.hpp"

#include <algorithm>

#include "Platform/VirtualCard/VirtualCardContext.hpp"

namespace ekyc {

VirtualAccess::VirtualAccess() : rule_(nullptr) {}

VirtualAccess::VirtualAccess(Rule rule) : rule_(std::move(rule)) {}

VirtualAccess VirtualAccess::always() { return VirtualAccess(); }

VirtualAccess VirtualAccess::never() {
  return VirtualAccess([](const VirtualCardContext&) { return false; });
}

VirtualAccess VirtualAccess::afterPin(std::uint16_t pin) {
  return VirtualAccess([pin](const VirtualCardContext& context) { return context.isPinVerified(pin); });
}

VirtualAccess VirtualAccess::afterAnyPin(std::vector<std::uint16_t> pins) {
  return VirtualAccess([pins = std::move(pins)](const VirtualCardContext& context) {
    return std::any_of(pins.begin(), pins.end(), [&](std::uint16_t pin) { return context.isPinVerified(pin); });
  });
}

VirtualAccess VirtualAccess::afterAllPins(std::vector<std::uint16_t> pins) {
  return VirtualAccess([pins = std::move(pins)](const VirtualCardContext& context) {
    return std::all_of(pins.begin(), pins.end(), [&](std::uint16_t pin) { return context.isPinVerified(pin); });
  });
}

VirtualAccess VirtualAccess::afterMasterFilePin(std::uint16_t pin) {
  return VirtualAccess([pin](const VirtualCardContext& context) { return context.isMasterFilePinVerified(pin); });
}

VirtualAccess VirtualAccess::custom(Rule rule) { return VirtualAccess(std::move(rule)); }

bool VirtualAccess::allows(const VirtualCardContext& context) const { return !rule_ || rule_(context); }

}  // namespace ekyc

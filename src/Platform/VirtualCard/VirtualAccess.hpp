#pragma once
// When a virtual card lets a file be read: always, never, or once PINs have been verified in the
// current card session (security status), or by any rule an application states.
#include <cstdint>
#include <functional>
#include <vector>

namespace ekyc {

class VirtualCardContext;

class VirtualAccess {
 public:
  using Rule = std::function<bool(const VirtualCardContext&)>;

  VirtualAccess();  // always
  static VirtualAccess always();
  static VirtualAccess never();
  // A PIN file of the same application has been verified.
  static VirtualAccess afterPin(std::uint16_t pin);
  static VirtualAccess afterAnyPin(std::vector<std::uint16_t> pins);
  static VirtualAccess afterAllPins(std::vector<std::uint16_t> pins);
  // A PIN file of the master file has been verified (cards whose PINs sit in the MF).
  static VirtualAccess afterMasterFilePin(std::uint16_t pin);
  static VirtualAccess custom(Rule rule);

  bool allows(const VirtualCardContext& context) const;

 private:
  explicit VirtualAccess(Rule rule);
  Rule rule_;
};

}  // namespace ekyc

#include "Platform/VirtualCard/VirtualCardContext.hpp"

#include "Platform/VirtualCard/VirtualCard.hpp"

namespace ekyc {

VirtualCardContext::VirtualCardContext(VirtualCard& card, std::size_t commandIndex)
    : card_(card), commandIndex_(commandIndex) {}

VirtualCardApplication& VirtualCardContext::application() const { return *card_.current_; }

VirtualFile* VirtualCardContext::currentFile() const { return card_.currentFile_; }

bool VirtualCardContext::selectFile(std::uint16_t id) {
  VirtualFile* file = card_.current_->file(id);
  if (!file) return false;
  card_.currentFile_ = file;
  return true;
}

bool VirtualCardContext::isPinVerified(std::uint16_t pin) const {
  auto it = card_.security_.find(card_.current_);
  return it != card_.security_.end() && it->second.verified.contains(pin);
}

void VirtualCardContext::setPinVerified(std::uint16_t pin, bool verified) {
  auto& security = card_.security_[card_.current_];
  if (verified) {
    security.verified.insert(pin);
  } else {
    security.verified.erase(pin);
  }
}

bool VirtualCardContext::isMasterFilePinVerified(std::uint16_t pin) const {
  auto it = card_.security_.find(card_.applications_.front().get());
  return it != card_.security_.end() && it->second.verified.contains(pin);
}

std::map<std::string, Bytes>& VirtualCardContext::applicationValues() {
  return card_.security_[card_.current_].values;
}

std::map<std::string, Bytes>& VirtualCardContext::cardValues() { return card_.cardValues_; }

VirtualResponse VirtualCardContext::standard(const VirtualCommand& command) { return card_.builtIn(command); }

}  // namespace ekyc

#include "Platform/VirtualCard/VirtualCardFault.hpp"

namespace ekyc {

VirtualCardFault VirtualCardFault::statusWordAt(std::size_t command, std::uint16_t sw) {
  VirtualCardFault fault;
  fault.kind = Kind::statusWord;
  fault.atCommand = command;
  fault.sw = sw;
  return fault;
}

VirtualCardFault VirtualCardFault::removedAt(std::size_t command) {
  VirtualCardFault fault;
  fault.kind = Kind::removeCard;
  fault.atCommand = command;
  return fault;
}

VirtualCardFault VirtualCardFault::answerAt(std::size_t command, Bytes answer) {
  VirtualCardFault fault;
  fault.kind = Kind::answer;
  fault.atCommand = command;
  fault.answerBytes = std::move(answer);
  return fault;
}

VirtualCardFault VirtualCardFault::truncatedAt(std::size_t command, std::size_t keep) {
  VirtualCardFault fault;
  fault.kind = Kind::truncate;
  fault.atCommand = command;
  fault.keep = keep;
  return fault;
}

VirtualCardFault VirtualCardFault::delayAt(std::size_t command, std::chrono::milliseconds delay) {
  VirtualCardFault fault;
  fault.kind = Kind::delay;
  fault.atCommand = command;
  fault.delay = delay;
  return fault;
}

VirtualCardFault VirtualCardFault::delayEach(std::chrono::milliseconds delay) {
  VirtualCardFault fault;
  fault.kind = Kind::delay;
  fault.delay = delay;
  return fault;
}

bool VirtualCardFault::appliesTo(std::size_t index, const VirtualCommand* command) const {
  if (atCommand && *atCommand != index) return false;
  if (matches) return command != nullptr && matches(*command);
  return true;
}

}  // namespace ekyc
